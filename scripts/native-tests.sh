#!/usr/bin/env bash
# Native (Linux, clang) checks of the engine's portable parts: builds engine/native in build/native
# with AddressSanitizer and UndefinedBehaviorSanitizer, runs the portable unit tests, then runs every
# libFuzzer target for a bounded time on its seed corpus. A crash, leak, sanitizer report, hang or
# oversized allocation fails the run (non-zero exit).
#   scripts/native-tests.sh [seconds per fuzz target, default 10]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/native"
fuzz_seconds=${1:-10}

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root/engine/native" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$build" -j"${ORVO_JOBS:-$(nproc)}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
ctest --test-dir "$build" --output-on-failure -j"${ORVO_JOBS:-$(nproc)}" || status=1

# Each target runs on a scratch copy of its committed seeds plus the seeds it writes itself, so the
# corpus the fuzzer grows never lands in the source tree.
work="$build/fuzz-run"
rm -rf "$work"
mkdir -p "$work"
pids=()
names=()
while read -r name; do
    [ -n "$name" ] || continue
    corpus="$work/$name/corpus"
    mkdir -p "$corpus" "$work/$name/artifacts"
    if [ -d "$root/tests/data/fuzz/$name" ]; then
        cp -r "$root/tests/data/fuzz/$name/." "$corpus/"
    fi
    ORVO_FUZZ_MAKE_SEEDS="$corpus" "$build/$name" -runs=0 "$corpus" >"$work/$name/seeds.log" 2>&1 || true
    "$build/$name" "$corpus" -max_total_time="$fuzz_seconds" -timeout=30 -rss_limit_mb=2048 \
        -malloc_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$work/$name/artifacts/" >"$work/$name/fuzz.log" 2>&1 &
    pids+=($!)
    names+=("$name")
done <"$build/fuzz-targets.txt"

for i in "${!pids[@]}"; do
    if wait "${pids[$i]}"; then
        echo "fuzz ${names[$i]}: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$work/${names[$i]}/fuzz.log" || true)"
    else
        echo "fuzz ${names[$i]}: FAILED (log and crash input in $work/${names[$i]})" >&2
        tail -40 "$work/${names[$i]}/fuzz.log" >&2
        status=1
    fi
done
exit $status
