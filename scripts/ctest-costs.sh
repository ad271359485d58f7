#!/usr/bin/env bash
# Keeps ctest's record of each entry's run time outside the clone, so a fresh clone's run starts
# its longest entries first instead of meeting them at the end (in declaration order).
#   scripts/ctest-costs.sh restore|save BUILD_DIR NAME
# restore copies the kept record into a build folder that has none; save keeps the folder's.
# Never fails its caller.
set -uo pipefail
action=$1 build=$2 name=$3
record="$build/Testing/Temporary/CTestCostData.txt"
kept="${ORVO_CTEST_COSTS:-$HOME/.cache/orvo-ctest-costs}/$name.txt"
case "$action" in
restore)
    [ -f "$record" ] || [ ! -f "$kept" ] || { mkdir -p "$(dirname "$record")" && cp "$kept" "$record"; }
    ;;
save)
    [ -f "$record" ] || exit 0
    # Written aside and renamed, so two runs at once never leave half a record.
    mkdir -p "$(dirname "$kept")" && cp "$record" "$kept.$$" && mv -f "$kept.$$" "$kept"
    ;;
esac
exit 0
