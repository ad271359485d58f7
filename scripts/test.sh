#!/usr/bin/env bash
# Sets up, builds and runs every test (Windows tests under Wine on a private virtual display, and
# the native sanitizer and fuzz runs of the file readers). Exits non-zero on any failure.
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="$ORVO_ROOT/build/x86_64"
orvo_build x86_64 "$build"
orvo_start_display "$build"
orvo_list_gtests "$build"
status=0
# A case that fails is run once more: under a heavily loaded machine Wine has been seen to fail a
# program's start with no output at all. A real fault fails both runs.
ctest --test-dir "$build" --output-on-failure -j"${ORVO_JOBS:-$(nproc)}" --timeout 300 --repeat until-pass:2 \
    --resource-spec-file "$ORVO_LANES_DIR/spec.json" "$@" 2>&1 |
    tee "$build/ctest.log" || status=$?
"$ORVO_ROOT/scripts/slowest-tests.sh" "$build/ctest.log" || true
if [ -x "$ORVO_ROOT/scripts/native-tests.sh" ] && [ $# -eq 0 ]; then
    "$ORVO_ROOT/scripts/native-tests.sh" || status=1
fi
exit $status
