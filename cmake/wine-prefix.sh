#!/usr/bin/env bash
# Prepares a Wine prefix once: wineboot; Wine's own fonts, which this Wine build does not find by
# itself (Tahoma and Marlett would be missing and dialogs would fall back to odd fonts); and no
# crash debugger or crash dialog, so a crashing program ends at once with a failure code instead of
# waiting on the virtual display until a test's time-out.
set -euo pipefail
prefix=${1:?prefix folder}
marker="$prefix/.orvo-ready-2"
[ -f "$marker" ] && exit 0
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -f "$prefix/system.reg" ] || "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
mkdir -p "$prefix/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
"$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
    </dev/null >/dev/null 2>&1 || true
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
touch "$marker"
