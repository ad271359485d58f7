#!/usr/bin/env bash
# Fails when two string-table entries of the resource scripts have one id: the resource compiler
# keeps one of them silently, so a caller would load a text meant for another. Names are resolved
# through res/resource.h.
#   scripts/check-resources.sh [SOURCE_DIR]
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

awk '
    FNR == 1 { file = FILENAME }
    file ~ /resource\.h$/ && $1 == "#define" && $3 ~ /^[0-9]+$/ { id[$2] = $3; next }
    file ~ /resource\.h$/ { next }
    /^[ \t]*STRINGTABLE/ { table = 1; next }
    table && /^[ \t]*END[ \t]*$/ { table = 0; next }
    table && /^[ \t]*(BEGIN|\/\/)/ { next }
    table && NF >= 2 {
        key = $1; sub(/,$/, "", key)
        value = key ~ /^[0-9]+$/ ? key : id[key]
        if (value == "") { printf "%s:%d: %s is not defined\n", file, FNR, key; bad = 1; next }
        if (value in seen) {
            printf "%s:%d: string %s (%s) is also %s\n", file, FNR, key, value, seen[value]; bad = 1
        } else seen[value] = file ":" FNR
    }
    END { exit bad }
' "$root/res/resource.h" "$root"/res/*.rc
