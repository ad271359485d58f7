#!/usr/bin/env bash
# Prints the ten longest entries of a ctest run from its saved output, so a run that creeps toward
# its time limits shows where.
#   scripts/slowest-tests.sh ctest-output.log [count]
# Reads all its input (no early exit that would break the pipe) and never fails its caller.
set -uo pipefail
count=${2:-10}
echo "longest $count test entries:"
sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .* ([0-9]+\.[0-9]+) sec$/\2 \1/p' "$1" |
    sort -rn | awk -v n="$count" 'NR <= n { printf "  %7.2f s  %s\n", $1, $2 }'
