#!/usr/bin/env bash
# Native (Linux, clang) checks of the engine's portable parts: builds engine/native in build/native
# with AddressSanitizer and UndefinedBehaviorSanitizer, runs the portable unit tests (one ctest
# entry per case, in parallel), then runs every libFuzzer target for a bounded time. A crash, leak,
# sanitizer report, hang or oversized allocation fails the run (non-zero exit).
#   scripts/native-tests.sh [seconds]          the test command's run: each fuzz target `seconds`
#                                              (default 10) on a small corpus merged from its seeds
#   scripts/native-tests.sh --hunt [seconds]   a long hunt: the sample sweeps ORVO_DWG_SWEEP times
#                                              (default 10) longer, then each fuzz target `seconds`
#                                              (default 600) on the whole seeds, its corpus kept
#                                              in build/native/fuzz-hunt from one hunt to the next
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/native"
jobs=${ORVO_JOBS:-$(nproc)}
hunt=0
if [ "${1:-}" = "--hunt" ]; then
    hunt=1
    shift
fi
fuzz_seconds=${1:-$([ $hunt -eq 1 ] && echo 600 || echo 10)}
# The short runs cap inputs at 64 KiB (a large drawing's head: its file header, section maps and
# classes): a sample of half a megabyte runs a few times a second under the sanitizers, a capped
# input a few thousand times. The hunt mutates whole drawings.
fuzz_cap=65536

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root/engine/native" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$build" -j"$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
log="$build/ctest.log"
if [ $hunt -eq 0 ]; then
    "$root/scripts/ctest-costs.sh" restore "$build" native
    ctest --test-dir "$build" --output-on-failure -j"$jobs" 2>&1 | tee "$log" || status=1
    "$root/scripts/ctest-costs.sh" save "$build" native
    "$root/scripts/slowest-tests.sh" "$log" || true
else
    # The sweeps without ctest's time limit: a hunt may run them for hours.
    export ORVO_DWG_SWEEP=${ORVO_DWG_SWEEP:-10}
    echo "sample sweeps, ORVO_DWG_SWEEP=$ORVO_DWG_SWEEP"
    "$build/EnginePortableTest" --gtest_list_tests --gtest_filter='Samples/*' |
        awk '/^[^ ]/ { suite = $1 } /^  / { print suite $1 }' |
        xargs -P "$jobs" -I{} sh -c '"$0" --gtest_filter="$1" >/dev/null 2>&1 && echo "ok   $1" ||
            { echo "FAIL $1"; "$0" --gtest_filter="$1" 2>&1 | tail -40; exit 1; }' \
            "$build/EnginePortableTest" {} || status=1
fi

# Each target runs on a scratch corpus (its committed seeds plus the seeds it writes itself), so
# what the fuzzer grows never lands in the source tree.
work="$build/fuzz-run"
[ $hunt -eq 0 ] || work="$build/fuzz-hunt"
pids=()
names=()
while read -r name; do
    [ -n "$name" ] || continue
    fuzzer="$build/$name"
    dir="$work/$name"
    corpus="$dir/corpus"
    [ $hunt -eq 1 ] || rm -rf "$dir"
    rm -rf "$dir/seeds" "$dir/empty"
    mkdir -p "$corpus" "$dir/seeds" "$dir/empty" "$dir/artifacts"
    if [ -d "$root/tests/data/fuzz/$name" ]; then
        cp -r "$root/tests/data/fuzz/$name/." "$dir/seeds/"
    fi
    ORVO_FUZZ_MAKE_SEEDS="$dir/seeds" "$fuzzer" -runs=0 "$dir/empty" >"$dir/make-seeds.log" 2>&1 || true
    limits=(-timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=1024)
    if [ $hunt -eq 0 ]; then
        # The smallest inputs that reach all the seeds reach, cut to the cap. A seed that crashes
        # is a fault like any other (the merge would only step over it).
        if ! "$fuzzer" -merge=1 -max_len=$fuzz_cap "${limits[@]}" "$corpus" "$dir/seeds" >"$dir/merge.log" 2>&1 ||
            grep -q 'MERGE-OUTER: attempt 2' "$dir/merge.log"; then
            echo "fuzz $name: a seed failed (log in $dir/merge.log)" >&2
            grep -m1 -A30 'ERROR:' "$dir/merge.log" >&2 || tail -40 "$dir/merge.log" >&2
            status=1
            continue
        fi
        limits+=(-max_len=$fuzz_cap)
        inputs=("$corpus")
    else
        inputs=("$corpus" "$dir/seeds")
    fi
    "$fuzzer" "${inputs[@]}" -max_total_time="$fuzz_seconds" "${limits[@]}" -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/" >"$dir/fuzz.log" 2>&1 &
    pids+=($!)
    names+=("$name")
done <"$build/fuzz-targets.txt"

for i in "${!pids[@]}"; do
    name=${names[$i]}
    if wait "${pids[$i]}"; then
        fuzz_log="$work/$name/fuzz.log"
        runs=$(grep -m1 -o 'number_of_executed_units: *[0-9]*' "$fuzz_log" | grep -o '[0-9]*$' || true)
        rate=$(grep -m1 -o 'average_exec_per_sec: *[0-9]*' "$fuzz_log" | grep -o '[0-9]*$' || true)
        done_line=$(grep -m1 -E '^#[0-9]+[[:space:]]+DONE' "$fuzz_log" || true)
        cov=$(grep -o 'cov: [0-9]*' <<<"$done_line" | grep -o '[0-9]*' || true)
        corp=$(grep -o 'corp: [^ ]*' <<<"$done_line" | cut -d' ' -f2 || true)
        echo "fuzz $name: ${runs:-?} inputs in ${fuzz_seconds} s, ${rate:-?} per second, coverage ${cov:-?}, corpus ${corp:-?}"
    else
        echo "fuzz $name: FAILED (log and crash input in $work/$name)" >&2
        tail -40 "$work/$name/fuzz.log" >&2
        status=1
    fi
done
exit $status
