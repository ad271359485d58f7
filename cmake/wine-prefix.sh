#!/usr/bin/env bash
# Prepares a Wine prefix once: wineboot; Wine's own fonts, which this Wine build does not find by
# itself (Tahoma and Marlett would be missing and dialogs would fall back to odd fonts); a CJK
# face (WenQuanYi Micro Hei, from Debian's fonts-wqy-microhei) linked behind the program's
# faces, so Chinese and Japanese texts and names draw as glyphs, not boxes; and no
# crash debugger or crash dialog, so a crashing program ends at once with a failure code instead of
# waiting on the virtual display until a test's time-out.
#   cmake/wine-prefix.sh PREFIX [--unmanaged]
# --unmanaged is for the tests' displays, which have no window manager: Wine then places and
# sizes top-level windows itself. A managed window that is hidden or destroyed makes Wine wait
# 2 s for a window manager to confirm it, in every test that closes a frame or a dialog.
set -euo pipefail
prefix=${1:?prefix folder}
marker="$prefix/.orvo-ready-3"
unmanaged_marker="$prefix/.orvo-unmanaged"
unmanaged=${2:-}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
make_unmanaged() {
    [ "$unmanaged" = --unmanaged ] && [ ! -f "$unmanaged_marker" ] || return 0
    # A persistent server left running would keep the change in memory, out of the prefix's files
    # that the window lanes copy, and would never end for the wait below.
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    touch "$unmanaged_marker"
}
if [ -f "$marker" ]; then
    make_unmanaged
    exit 0
fi
mkdir -p "$prefix"
wine=/usr/lib/wine/wine64
[ -f "$prefix/system.reg" ] || "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
mkdir -p "$prefix/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
if [ -f "$cjk" ]; then
    cp -n "$cjk" "$prefix/drive_c/windows/Fonts/"
    # Characters a face lacks are taken from the faces linked behind it; SimSun, which drawings
    # name for Chinese text, is the CJK face itself.
    for face in Arial Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Times New Roman" "Courier New"; do
        "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1 || true
    done
    for face in SimSun NSimSun "MS Gothic" "MS Mincho" SimHei; do
        "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v "$face" /t REG_SZ /d 'WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1 || true
    done
fi
"$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
    </dev/null >/dev/null 2>&1 || true
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
touch "$marker"
make_unmanaged
