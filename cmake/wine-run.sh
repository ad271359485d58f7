#!/usr/bin/env bash
# Runs a Windows executable under Wine for ctest (the cross-compiling emulator). The prefix, the
# display and the wineserver are prepared by scripts/test.sh; run by hand, it prepares the prefix
# itself (see docs/building.md).
set -o pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# A test that asked ctest for a window lane runs on that lane's own display and prefix.
lane=${CTEST_RESOURCE_GROUP_0_DISPLAY:-}
if [ -n "$lane" ] && [ -n "${ORVO_LANES_DIR:-}" ]; then
    lane=${lane#id:}
    lane=${lane%%,*}
    while IFS='=' read -r key value; do
        case $key in
            DISPLAY) export DISPLAY=$value ;;
            WINEPREFIX) export WINEPREFIX=$value ;;
        esac
    done < "$ORVO_LANES_DIR/$lane.env"
fi
: "${WINEPREFIX:=${ORVO_BUILD_DIR:-$PWD}/wineprefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/.orvo-unmanaged" ] || "$here/wine-prefix.sh" "$WINEPREFIX" --unmanaged >&2 || exit 1
# The program writes into a file, not into a pipe to the caller: a Wine helper it starts (the
# desktop's explorer.exe, first of all) inherits its output, and a pipe would stay open until that
# helper ends, which under a busy display was seen to keep a finished test's entry waiting for
# minutes. Wine's console output ends lines with CRLF; test discovery and logs want plain lines.
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'tr -d "\r" <"$out"; rm -f "$out"' EXIT
trap 'exit 143' TERM INT
/usr/lib/wine/wine64 "$@" >"$out" 2>&1 </dev/null
