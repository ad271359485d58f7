#!/usr/bin/env bash
# Creates a Wine prefix once: wineboot, then Wine's own fonts, which this Wine build does not find
# by itself (Tahoma and Marlett would be missing and dialogs would fall back to odd fonts).
set -euo pipefail
prefix=${1:?prefix folder}
[ -f "$prefix/.orvo-ready" ] && exit 0
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
mkdir -p "$prefix/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
touch "$prefix/.orvo-ready"
