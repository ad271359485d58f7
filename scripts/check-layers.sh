#!/usr/bin/env bash
# Fails when a source file includes a header from a higher layer, or a library's CMakeLists.txt
# links a library of a higher layer. The table below is the order (docs/layers.md draws it).
#   scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

# folder, its rank (lowest first) and its library. A file may include from its own folder and
# from folders of a lower rank; folders of the same rank are peers and stay apart. The longest
# folder that starts a path is its folder (render/kit is not render).
layers=(
  "res            0  -"
  "framework      1  orvo_framework"
  "engine         2  orvo_engine"
  "render/kit     3  orvo_render_kit"
  "app/core       4  orvo_app_core"
  "imaging        5  orvo_imaging"
  "render/scene   6  orvo_render"
  "render/cache   6  orvo_render"
  "render/print   6  orvo_render"
  "render/workers 7  orvo_render"
  "render         7  orvo_render"
  "app            8  orvo_app"
  "ui             9  orvo_ui"
  "browser        10 orvo_browser"
  "frames         11 orvo_frames"
  "app/main       12 orvo_app_main"
)

failures=0
cd "$root"
table=$(printf '%s\n' "${layers[@]}")
tops=$(for row in "${layers[@]}"; do
  top=${row%% *}
  top=${top%%/*}
  [ -d "$top" ] && echo "$top"
done | sort -u)

# Includes of the program's own headers, then the libraries each folder's library links.
{
  # shellcheck disable=SC2086
  find $tops -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) 2>/dev/null |
    xargs -r grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' /dev/null | sed 's/^/I /' || true
  # shellcheck disable=SC2086
  for list in $(find $tops -name CMakeLists.txt); do
    tr -s ' \t()' '\n' <"$list" | { grep -E '^orvo_[a-z_]+$' || true; } | sort -u | sed "s|^|L $list:|"
  done
} | awk -v table="$table" '
  BEGIN {
    n = split(table, rows, "\n")
    for (i = 1; i <= n; i++) {
      split(rows[i], f, " ")
      rank[f[1]] = f[2]
      if (f[3] != "-") librank[f[3]] = f[2]
    }
  }
  # The longest folder of the table that starts path ("" when none).
  function folder(path,    best, f) {
    best = ""
    for (f in rank)
      if (index(path, f "/") == 1 && length(f) > length(best)) best = f
    return best
  }
  $1 == "I" {
    line = substr($0, 3)
    file = line; sub(/:.*/, "", file)
    header = line; sub(/^[^"]*"/, "", header); sub(/".*/, "", header)
    from = folder(file); to = folder(header)
    if (from == "" || to == "" || from == to) next
    if (rank[to] + 0 >= rank[from] + 0) {
      printf "layer order: %s includes %s (%s may not use %s)\n", file, header, from, to > "/dev/stderr"
      bad++
    }
    next
  }
  $1 == "L" {
    split(substr($0, 3), p, ":")
    dir = p[1]; sub(/\/CMakeLists\.txt$/, "", dir)
    if (!(dir in rank) || !(p[2] in librank)) next
    if (librank[p[2]] + 0 > rank[dir] + 0) {
      printf "layer order: %s/CMakeLists.txt links %s (a higher layer)\n", dir, p[2] > "/dev/stderr"
      bad++
    }
  }
  END {
    if (bad) {
      printf "layer order: %d violation(s); docs/layers.md shows the order\n", bad > "/dev/stderr"
      exit 1
    }
    print "layer order: every include and link points down"
  }'
