#!/usr/bin/env bash
# Prints, from a saved ctest output, each failed entry's own output (its last lines only) and then
# ctest's summary, so the end of a long run says what failed and why even where only that end is
# read.
#   scripts/failed-tests.sh ctest-output.log [lines per entry]
# Reads all its input and never fails its caller.
set -uo pipefail
lines=${2:-25}
[ -f "$1" ] || { echo "no test output in $1"; exit 0; }
# With parallel entries ctest prints an entry's output right after its result line, up to the next
# entry's start or result line.
awk -v keep="$lines" '
    function flush() {
        if (name == "") return
        print "---- " name " (last " (n < keep ? n : keep) " of " n " lines)"
        for (i = (n > keep ? n - keep + 1 : 1); i <= n; i++) print buf[i]
        name = ""
    }
    /^ *Start +[0-9]+: / || /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / || /^[0-9]+% tests passed/ { flush() }
    /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: .*\*\*\*(Failed|Timeout|Exception)/ {
        name = $0; sub(/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: /, "", name); sub(/ .*/, "", name)
        n = 0
        next
    }
    name != "" { buf[++n] = $0 }
    END { flush() }
' "$1"
sed -n '/^[0-9]*% tests passed/,$p' "$1"
exit 0
