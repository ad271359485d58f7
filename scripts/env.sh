# Shared by the run and test commands: set-up, configure and build of one flavour.
# Sourced, not run.
ORVO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVO_DEPS_CACHE=${ORVO_DEPS_CACHE:-$HOME/.cache/orvo-deps}
export ORVO_DEPS_CACHE

# orvo_build ARCH BUILD_DIR: set-up for ARCH, then configure (once) and build.
orvo_build() {
    local arch=$1 build=$2 triplet="$1-w64-mingw32"
    "$ORVO_ROOT/scripts/setup.sh" "$arch"
    local prefix
    prefix=$(readlink -f "$ORVO_DEPS_CACHE/$triplet")
    if [ ! -f "$build/CMakeCache.txt" ] || ! grep -q "ORVO_DEPS_PREFIX:PATH=$prefix\$" "$build/CMakeCache.txt"; then
        cmake -S "$ORVO_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_TOOLCHAIN_FILE="$ORVO_ROOT/cmake/toolchain-$triplet.cmake" \
            -DORVO_DEPS_PREFIX:PATH="$prefix" >/dev/null
    fi
    cmake --build "$build" -j"${ORVO_JOBS:-$(nproc)}"
}

# Starts a private Xvfb display and a persistent wineserver for the prefix; both end with the shell.
orvo_start_display() {
    local build n
    build=$(realpath -m "$1")
    export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        ORVO_XVFB_PID=$!
        export DISPLAY=":$n"
        break
    done
    local i
    for i in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; return 1; }
    "$ORVO_ROOT/cmake/wine-prefix.sh" "$WINEPREFIX"
    # A persistent server keeps each test executable's start fast; wineboot with no terminal
    # attached keeps Wine's services from holding the callers' output pipes open.
    # A server left by an interrupted run would refuse the persistent start.
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    /usr/lib/wine/wineserver -p
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 || true
    trap orvo_stop_display EXIT
}

orvo_stop_display() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -n "${ORVO_XVFB_PID:-}" ] && kill "$ORVO_XVFB_PID" 2>/dev/null || true
}
