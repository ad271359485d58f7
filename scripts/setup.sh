#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks and builds the codec libraries and GoogleTest as
# static mingw libraries. Safe to re-run: every step checks whether its result is already there.
#
#   scripts/setup.sh [x86_64|i686]...     (default: x86_64)
#
# The built libraries go to $ORVO_DEPS_CACHE (default ~/.cache/orvo-deps), outside the clone, so a
# fresh clone on the same machine reuses them. Each library's folder is keyed on its upstream
# version, the target and a hash of the recipe below, so a change of any of them rebuilds it alone.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache=${ORVO_DEPS_CACHE:-$HOME/.cache/orvo-deps}
jobs=${ORVO_JOBS:-$(nproc)}
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(x86_64)

log() { printf '[setup] %s\n' "$*" >&2; }

packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev cmake make dpkg-dev nasm
          googletest wine wine64 xvfb x11-utils xdotool clang libclang-rt-14-dev llvm imagemagick
          ccache ninja-build fonts-wqy-microhei libpng-dev libjpeg62-turbo-dev python3-pil)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

apt_updated=
apt_update() {
    [ -n "$apt_updated" ] && return
    as_root apt-get update -qq >/dev/null
    apt_updated=1
}

install_packages() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    log "installing ${missing[*]}"
    apt_update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Source packages need a deb-src entry. It is written from the machine's own source list so the
# repository names no mirror.
add_source_list() {
    local target=/etc/apt/sources.list.d/orvo-deb-src.sources
    [ -f "$target" ] && return
    local uris signed
    uris=$(grep -m1 '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    signed=$(grep -m1 '^Signed-By:' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    if [ -z "$uris" ]; then
        uris="URIs: $(grep -m1 -oE '^deb +(\[[^]]*\] +)?[^ ]+' /etc/apt/sources.list | awk '{print $NF}')"
    fi
    log "adding deb-src for bookworm main"
    printf 'Types: deb-src\n%s\nSuites: bookworm\nComponents: main\n%s\n' "$uris" "$signed" |
        as_root tee "$target" >/dev/null
    apt_updated=
    apt_update
}

# Fetches a Debian source package once into $cache/src and prints its folder.
fetch_source() {
    local pkg=$1 dir
    mkdir -p "$cache/src"
    dir=$(find "$cache/src" -maxdepth 1 -type d -name "$2" | sort | tail -n1)
    if [ -z "$dir" ]; then
        add_source_list
        log "fetching source of $pkg"
        (cd "$cache/src" && apt-get source -qq "$pkg" >/dev/null 2>&1) ||
            { apt_updated=; apt_update; (cd "$cache/src" && apt-get source -qq "$pkg" >/dev/null); }
        dir=$(find "$cache/src" -maxdepth 1 -type d -name "$2" | sort | tail -n1)
    fi
    [ -n "$dir" ] || { log "source of $pkg not found"; exit 1; }
    printf '%s\n' "$dir"
}

recipe_hash=$(sed -n '/^# --- recipes ---/,$p' "${BASH_SOURCE[0]}" | sha1sum | cut -c1-10)

# --- recipes ---
cmake_lib() {
    local src=$1 build=$2 prefix=$3 toolchain=$4; shift 4
    cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DORVO_DEPS_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@" >"$build.log" 2>&1
    cmake --build "$build" -j"$jobs" >>"$build.log" 2>&1
    cmake --install "$build" >>"$build.log" 2>&1
}

build_jpeg() {
    cmake_lib "$1" "$2" "$3" "$4" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
}

# 12-bit samples need a second libjpeg of the same names: its global symbols get a j12_ prefix
# (after the leading underscore of 32-bit names) and its headers, which map the public names onto
# the prefixed ones, go to include/jpeg12, so both libraries link into one program.
build_jpeg12() {
    local src=$1 build=$2 prefix=$3 toolchain=$4 triplet=$5 lead=
    local stage="$build/stage"
    [ "$triplet" = i686-w64-mingw32 ] && lead=_
    cmake_lib "$src" "$build" "$stage" "$toolchain" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
        -DWITH_TURBOJPEG=OFF -DWITH_12BIT=1
    "$triplet-nm" --defined-only -g "$stage/lib/libjpeg.a" | awk 'NF == 3 { print $3 }' | sort -u |
        awk -v lead="$lead" '{ name = substr($0, length(lead) + 1); print $0, lead "j12_" name }' \
        >"$build/renames"
    mkdir -p "$prefix/lib" "$prefix/include/jpeg12"
    "$triplet-objcopy" --redefine-syms="$build/renames" "$stage/lib/libjpeg.a" "$prefix/lib/libjpeg12.a"
    awk -v lead="$lead" '{ name = substr($1, length(lead) + 1) }
        name ~ /^jpeg_/ { print "#define " name " j12_" name }' "$build/renames" \
        >"$prefix/include/jpeg12/j12names.h"
    { printf '#include "j12names.h"\n'; cat "$stage/include/jpeglib.h"; } >"$prefix/include/jpeg12/jpeglib.h"
    cp "$stage/include/jconfig.h" "$stage/include/jmorecfg.h" "$stage/include/jerror.h" \
        "$prefix/include/jpeg12/"
}

build_png() {
    cmake_lib "$1" "$2" "$3" "$4" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DZLIB_USE_STATIC_LIBS=ON
}

# liblzma and libwebp serve libtiff's LZMA and WebP compressions; only their libraries are built.
build_lzma() {
    cmake_lib "$1" "$2" "$3" "$4" -DCREATE_XZ_SYMLINKS=OFF -DCREATE_LZMA_SYMLINKS=OFF
}

build_webp() {
    cmake_lib "$1" "$2" "$3" "$4" -DWEBP_LINK_STATIC=ON -DWEBP_BUILD_ANIM_UTILS=OFF \
        -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF \
        -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
        -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
}

# A static liblzma is declared without DLL imports only when LZMA_API_STATIC is set.
build_tiff() {
    cmake_lib "$1" "$2" "$3" "$4" -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF \
        -Dtiff-docs=OFF -Dtiff-deprecated=OFF -Djpeg=ON -Dzlib=ON -Dpixarlog=ON -Dold-jpeg=ON \
        -Djpeg12=OFF -Dwebp=ON -Dzstd=OFF -Dlzma=ON -Djbig=OFF -Dlibdeflate=OFF -Dlerc=OFF \
        -Dcxx=OFF -DZLIB_USE_STATIC_LIBS=ON -DCMAKE_C_FLAGS=-DLZMA_API_STATIC
}

build_openjpeg() {
    cmake_lib "$1" "$2" "$3" "$4" -DBUILD_CODEC=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_TESTING=OFF \
        -DBUILD_JPIP=OFF -DBUILD_JPWL=OFF -DBUILD_MJ2=OFF -DBUILD_DOC=OFF
}

build_gtest() {
    cmake_lib "$1" "$2" "$3" "$4" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_force_shared_crt=OFF
}

# libmng has no build system usable for mingw: its C files are compiled with Debian's feature set.
build_mng() {
    local src=$1 build=$2 prefix=$3 triplet=$5 f
    mkdir -p "$build" "$prefix/lib" "$prefix/include"
    for f in "$src"/libmng_*.c; do
        "$triplet-gcc-posix" -O2 -DMNG_BUILD_SO -include stdio.h -I"$prefix/include" -I"$src" \
            -c "$f" -o "$build/$(basename "${f%.c}").o"
    done
    rm -f "$prefix/lib/libmng.a"
    "$triplet-ar" rcs "$prefix/lib/libmng.a" "$build"/*.o
    cp "$src/libmng.h" "$src/libmng_conf.h" "$src/libmng_types.h" "$prefix/include/"
}

# name  source-package  folder-pattern  recipe  (order matters: png, tiff and mng use jpeg/zlib,
# tiff lzma and webp)
libraries=(
    "jpeg libjpeg-turbo libjpeg-turbo-* build_jpeg"
    "jpeg12 libjpeg-turbo libjpeg-turbo-* build_jpeg12"
    "png libpng1.6 libpng1.6-* build_png"
    "lzma xz-utils xz-utils-* build_lzma"
    "webp libwebp libwebp-* build_webp"
    "tiff tiff tiff-* build_tiff"
    "mng libmng libmng-* build_mng"
    "openjpeg openjpeg2 openjpeg2-* build_openjpeg"
)

build_arch() {
    local arch=$1 triplet="$1-w64-mingw32"
    local toolchain="$here/../cmake/toolchain-$triplet.cmake"
    local prefix="$cache/$triplet-$recipe_hash"
    mkdir -p "$prefix" "$cache/build"
    local entry name pkg pattern recipe src version stamp
    for entry in "${libraries[@]}"; do
        read -r name pkg pattern recipe <<<"$entry"
        src=$(fetch_source "$pkg" "$pattern")
        version=${src##*/}
        stamp="$prefix/.built-$name-$version"
        [ -f "$stamp" ] && continue
        log "building $name ($version) for $triplet"
        rm -rf "$cache/build/$triplet-$name"
        "$recipe" "$src" "$cache/build/$triplet-$name" "$prefix" "$toolchain" "$triplet" ||
            { log "build of $name failed; see $cache/build/$triplet-$name.log"; exit 1; }
        touch "$stamp"
    done
    stamp="$prefix/.built-gtest-$(dpkg-query -W -f='${Version}' googletest)"
    if [ ! -f "$stamp" ]; then
        log "building googletest for $triplet"
        rm -rf "$cache/build/$triplet-gtest"
        build_gtest /usr/src/googletest "$cache/build/$triplet-gtest" "$prefix" "$toolchain" ||
            { log "build of googletest failed; see $cache/build/$triplet-gtest.log"; exit 1; }
        touch "$stamp"
    fi
    # A stable name for the build to find, whatever the recipe hash is.
    ln -sfn "$prefix" "$cache/$triplet"
}

install_packages
for arch in "${arches[@]}"; do
    case "$arch" in
        x86_64|i686) build_arch "$arch" ;;
        *) log "unknown target $arch"; exit 2 ;;
    esac
done
log "dependencies ready in $cache"
