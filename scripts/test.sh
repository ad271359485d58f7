#!/usr/bin/env bash
# Sets up, builds and runs every test (Windows tests under Wine on a private virtual display, and
# the native sanitizer and fuzz runs of the file readers). Exits non-zero on any failure.
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="$ORVO_ROOT/build/x86_64"
status=0
rm -f "$build/ctest.log"
orvo_build x86_64 "$build" || status=$?
build_status=$status
# The native run shares no file with the Windows tests and uses the processor where Wine waits, so
# it runs beside them (not beside the build they wait for); its output follows their summary.
native_pid=
native_log="$ORVO_ROOT/build/native-tests.log"
if [ -x "$ORVO_ROOT/scripts/native-tests.sh" ] && [ $# -eq 0 ]; then
    "$ORVO_ROOT/scripts/native-tests.sh" >"$native_log" 2>&1 &
    native_pid=$!
fi
if [ $status -eq 0 ]; then
    orvo_step "x86_64 build done"
    orvo_start_display "$build"
    orvo_step "displays and Wine ready"
    orvo_list_gtests "$build"
    orvo_step "test lists ready"
    "$ORVO_ROOT/scripts/ctest-costs.sh" restore "$build" windows-x86_64
    # A case that fails is run once more: under a heavily loaded machine Wine has been seen to
    # fail a program's start with no output at all. A real fault fails both runs.
    ctest --test-dir "$build" --output-on-failure -j"${ORVO_JOBS:-$(nproc)}" --timeout 300 \
        --repeat until-pass:2 --resource-spec-file "$ORVO_LANES_DIR/spec.json" "$@" 2>&1 |
        tee "$build/ctest.log" || status=$?
    orvo_step "Windows tests done"
    "$ORVO_ROOT/scripts/ctest-costs.sh" save "$build" windows-x86_64
    "$ORVO_ROOT/scripts/slowest-tests.sh" "$build/ctest.log" || true
fi
native_status=
if [ -n "$native_pid" ]; then
    native_status=0
    wait "$native_pid" || native_status=1
    orvo_step "native tests done"
    echo "native tests (log in $native_log):"
    # The build's progress lines are left out; the tests, their summary and the fuzz figures stay.
    grep -vE '^\[[0-9]+/[0-9]+\] ' "$native_log" || true
fi
# The run ends with what failed and why, so a reader of only its last lines learns it.
if [ $build_status -ne 0 ]; then
    echo "the x86_64 build failed (its errors are above the native tests' output)"
elif [ -f "$build/ctest.log" ]; then
    echo "Windows tests:"
    "$ORVO_ROOT/scripts/failed-tests.sh" "$build/ctest.log"
fi
if [ "$native_status" = 1 ]; then
    echo "native tests: FAILED"
    "$ORVO_ROOT/scripts/failed-tests.sh" "$ORVO_ROOT/build/native/ctest.log" | grep -v '^$'
    grep -E '^fuzz .*(FAILED|a seed failed)' "$native_log" || true
    status=1
elif [ "$native_status" = 0 ]; then
    echo "native tests: passed"
fi
exit $status
