# Shared by the run and test commands: set-up, configure and build of one flavour.
# Sourced, not run.
ORVO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVO_DEPS_CACHE=${ORVO_DEPS_CACHE:-$HOME/.cache/orvo-deps}
export ORVO_DEPS_CACHE
# Seconds since the outermost command started, printed between its steps so a slow run shows where
# its time went.
ORVO_T0=${ORVO_T0:-$(date +%s)}
export ORVO_T0
orvo_step() {
    echo "[$(( $(date +%s) - ORVO_T0 )) s] $*"
}

# Compiled objects are kept outside the clone too, so a fresh clone on the same machine (CI's)
# compiles only what changed. Paths are taken relative to the clone, so any clone's path hits.
# Read by CMake when a build folder is first configured; a launcher given by the caller wins.
orvo_use_compiler_cache() {
    command -v ccache >/dev/null || return 0
    export CCACHE_DIR=${CCACHE_DIR:-${ORVO_CCACHE_DIR:-$HOME/.cache/orvo-ccache}}
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ORVO_ROOT}
    export CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-12G}
    export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
}
orvo_use_compiler_cache

# orvo_build ARCH BUILD_DIR [cmake --build arguments]: set-up for ARCH, then configure (once) and
# build (all, or what the arguments name).
orvo_build() {
    local arch=$1 build=$2 triplet="$1-w64-mingw32"
    shift 2
    "$ORVO_ROOT/scripts/setup.sh" "$arch"
    local prefix
    prefix=$(readlink -f "$ORVO_DEPS_CACHE/$triplet")
    # Ninja for a new build folder: on a fresh clone make's own bookkeeping over a hundred test
    # programs cost more than the compiler cache's hits. A folder keeps the generator it has.
    local generator=()
    [ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
    if [ ! -f "$build/CMakeCache.txt" ] || ! grep -q "ORVO_DEPS_PREFIX:PATH=$prefix\$" "$build/CMakeCache.txt"; then
        cmake -S "$ORVO_ROOT" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_TOOLCHAIN_FILE="$ORVO_ROOT/cmake/toolchain-$triplet.cmake" \
            -DORVO_DEPS_PREFIX:PATH="$prefix" >/dev/null
    fi
    cmake --build "$build" -j"${ORVO_JOBS:-$(nproc)}" "$@"
}

# orvo_compile_check ARCH BUILD_DIR: compiles every source file of ARCH and links its two programs,
# but none of the test and bench programs, which only the 64-bit flavour runs: their links are
# most of a warm build's time. A folder not generated for Ninja is built whole.
orvo_compile_check() {
    local arch=$1 build=$2
    orvo_build "$arch" "$build" --target OrvoKestal OrvoUacTools
    [ -f "$build/build.ninja" ] || { cmake --build "$build" -j"${ORVO_JOBS:-$(nproc)}"; return; }
    ninja -C "$build" -t targets all | awk -F': ' '$2 ~ /_COMPILER__/ { print $1 }' |
        xargs -r ninja -C "$build" -j"${ORVO_JOBS:-$(nproc)}"
}

# Starts a private Xvfb display on the first free number from 91 and waits until it answers.
# Prints the display's name; its process id is in ORVO_STARTED_XVFB.
orvo_start_xvfb() {
    local n i
    for n in $(seq 91 160); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        ORVO_STARTED_XVFB=$!
        for i in $(seq 1 100); do
            DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && { echo ":$n"; return 0; }
            sleep 0.1
        done
        kill "$ORVO_STARTED_XVFB" 2>/dev/null || true
    done
    echo "Xvfb did not start" >&2
    return 1
}

# Starts a private Xvfb display and a persistent wineserver for the prefix; both end with the shell.
# With a lane count (ORVO_WINDOW_LANES, default 4) it also starts that many window lanes: each its
# own display, prefix and wineserver, so tests that need the foreground window or the whole
# display run beside each other without sharing one (see docs/building.md).
orvo_start_display() {
    local build
    build=$(realpath -m "$1")
    export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    ORVO_XVFB_PIDS=""
    trap orvo_stop_display EXIT
    DISPLAY=$(orvo_start_xvfb < /dev/null) || return 1
    # The subshell's variable is lost; the lock file names the server's process.
    ORVO_XVFB_PIDS="$(cat "/tmp/.X${DISPLAY#:}-lock" 2>/dev/null | tr -d ' ')"
    export DISPLAY
    orvo_prepared_prefix "$WINEPREFIX"
    orvo_start_lanes "$build" "${ORVO_WINDOW_LANES:-4}"
    orvo_start_wineserver "$WINEPREFIX" "$DISPLAY"
}

# A persistent server keeps each test executable's start fast; wineboot with no terminal attached
# keeps Wine's services from holding the callers' output pipes open. A server left by an
# interrupted run would refuse the persistent start.
orvo_start_wineserver() {
    WINEPREFIX=$1 /usr/lib/wine/wineserver -k 2>/dev/null || true
    WINEPREFIX=$1 /usr/lib/wine/wineserver -p
    WINEPREFIX=$1 DISPLAY=$2 /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 || true
}

# orvo_list_gtests BUILD: each test executable's listing of its cases, made in parallel for those
# built since their last listing (ctest would list them one after the other when it starts; see
# cmake/OrvoGTestBatches.cmake). A listing that fails is left to ctest, which tries again.
orvo_list_gtests() {
    local build=$1
    grep -rhoE --include='*_include.cmake' 'set\(_orvo_exe \[==\[[^]]+' "$build/tests" |
        sed 's/^set(_orvo_exe \[==\[//' |
        xargs -r -P "${ORVO_JOBS:-$(nproc)}" -I{} sh -c '
            exe=$1 list="$1.tests"
            [ -f "$list" ] && [ "$list" -nt "$exe" ] && exit 0
            "$2" "$exe" --gtest_list_tests </dev/null >"$list.part" 2>/dev/null && mv "$list.part" "$list" ||
                rm -f "$list.part"' _ {} "$ORVO_ROOT/cmake/wine-run.sh"
}

# orvo_start_lanes BUILD COUNT: lane K's display and prefix are written to BUILD/lanes/K.env, and
# BUILD/lanes/spec.json offers the lanes to ctest as the resource "display".
orvo_start_lanes() {
    local build=$1 count=$2 k display prefix ids="" pids=()
    rm -rf "$build/lanes"
    mkdir -p "$build/lanes"
    ORVO_LANE_PREFIXES=""
    for k in $(seq 1 "$count"); do
        prefix="$build/wineprefix-lane$k"
        # A copy of the prepared prefix is ready at once; preparing each anew takes a minute.
        [ -f "$prefix/.orvo-unmanaged" ] && cmp -s "$prefix/.orvo-key" "$WINEPREFIX/.orvo-key" ||
            orvo_copy_prefix "$WINEPREFIX" "$prefix"
        display=$(orvo_start_xvfb < /dev/null) || return 1
        ORVO_XVFB_PIDS="$ORVO_XVFB_PIDS $(cat "/tmp/.X${display#:}-lock" 2>/dev/null | tr -d ' ')"
        orvo_start_wineserver "$prefix" "$display" &
        pids+=($!)
        ORVO_LANE_PREFIXES="$ORVO_LANE_PREFIXES $prefix"
        printf 'DISPLAY=%s\nWINEPREFIX=%s\n' "$display" "$prefix" > "$build/lanes/$k.env"
        ids="$ids${ids:+,}{\"id\":\"$k\",\"slots\":1}"
    done
    # Only these: the caller may have other work of its own in the background.
    wait "${pids[@]}"
    printf '{"version":{"major":1,"minor":0},"local":[{"display":[%s]}]}\n' "$ids" \
        > "$build/lanes/spec.json"
    export ORVO_LANES_DIR="$build/lanes"
}

# orvo_prepared_prefix PREFIX: PREFIX prepared for the tests (cmake/wine-prefix.sh --unmanaged).
# Preparing one takes half a minute to several under load, so a prepared prefix is kept outside
# the clone, one per Wine version and preparation script, and a fresh clone starts from a copy.
# A prefix holds no path of its own, so a copy works wherever it lands.
orvo_prepared_prefix() {
    local prefix=$1 key cache part
    key=$({ /usr/lib/wine/wine64 --version; cat "$ORVO_ROOT/cmake/wine-prefix.sh"; } | sha1sum | cut -c1-12)
    # wine-prefix.sh writes this marker last, once the prefix is whole; a prefix prepared by
    # another version of the script (one without the CJK face, say) is made anew.
    [ -f "$prefix/.orvo-unmanaged" ] && [ "$(cat "$prefix/.orvo-key" 2>/dev/null)" = "$key" ] && return 0
    cache="${ORVO_WINE_CACHE:-$HOME/.cache/orvo-wine}/prefix-$key"
    if [ ! -f "$cache/.orvo-unmanaged" ]; then
        # Prepared aside and moved in whole, so a run stopped half-way, or two clones preparing
        # at once, never leave a half-made prefix in the cache.
        part="$cache.part.$$"
        rm -rf "$part"
        mkdir -p "$(dirname "$cache")"
        "$ORVO_ROOT/cmake/wine-prefix.sh" "$part" --unmanaged || { rm -rf "$part"; return 1; }
        [ -f "$cache/.orvo-unmanaged" ] || rm -rf "$cache"
        mv -T "$part" "$cache" 2>/dev/null || rm -rf "$part"
    fi
    orvo_copy_prefix "$cache" "$prefix"
    echo "$key" > "$prefix/.orvo-key"
}

# A copy of a prepared prefix. Wine's system folder (most of its 700 MB) is only read, so it is
# hard-linked; everything a program may write is copied.
orvo_copy_prefix() {
    local from=$1 to=$2 system="drive_c/windows/system32"
    rm -rf "$to"
    mkdir -p "$to"
    tar -C "$from" --exclude="./$system" -cf - . | tar -C "$to" -xf -
    cp -al "$from/$system" "$to/$system"
}

orvo_stop_display() {
    local prefix pid
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    for prefix in ${ORVO_LANE_PREFIXES:-}; do
        WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    done
    for pid in ${ORVO_XVFB_PIDS:-}; do
        kill "$pid" 2>/dev/null || true
    done
}
