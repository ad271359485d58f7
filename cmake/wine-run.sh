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
# Wine's console output ends lines with CRLF; test discovery and logs want plain lines.
/usr/lib/wine/wine64 "$@" | tr -d '\r'
