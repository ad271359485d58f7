#!/usr/bin/env bash
# Fails when a source file includes a header from a higher layer, when two subfolders of one layer
# include each other, or when a library's CMakeLists.txt links a library of a higher layer. The
# table below is the order (docs/layers.md draws it).
#   scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

# Each top-level folder is one layer: its rank (lowest first) and its library. A file may include
# from its own folder and from folders of a lower rank; folders of the same rank are peers and stay
# apart. Inside a layer, one subfolder may use another, but never both ways.
layers=(
  "res        0  -"
  "framework  1  orvo_framework"
  "engine     2  orvo_engine"
  "kit        3  orvo_kit"
  "core       4  orvo_core"
  "imaging    5  orvo_imaging"
  "render     6  orvo_render"
  "app        7  orvo_app"
  "ui         8  orvo_ui"
  "browser    9  orvo_browser"
  "frames     10 orvo_frames"
  "main       11 orvo_main"
)

failures=0
cd "$root"
table=$(printf '%s\n' "${layers[@]}")
tops=$(for row in "${layers[@]}"; do
  top=${row%% *}
  if [ -d "$top" ]; then echo "$top"; fi
done)

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
  # The layer of path: its top-level folder when the table has it ("" when not).
  function folder(path,    top) {
    top = path; sub(/\/.*/, "", top)
    return (top in rank) ? top : ""
  }
  # The subfolder of path inside its layer ("" for a file at the top of its layer).
  function subfolder(path,    rest) {
    rest = path; sub(/^[^\/]*\//, "", rest)
    if (index(rest, "/") == 0) return ""
    sub(/\/.*/, "", rest)
    return rest
  }
  $1 == "I" {
    line = substr($0, 3)
    file = line; sub(/:.*/, "", file)
    header = line; sub(/^[^"]*"/, "", header); sub(/".*/, "", header)
    from = folder(file); to = folder(header)
    if (from == "" || to == "") next
    if (from == to) {
      a = subfolder(file); b = subfolder(header)
      if (a != b && !((from, a, b) in uses)) uses[from, a, b] = file " includes " header
      next
    }
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
    for (edge in uses) {
      split(edge, e, SUBSEP)
      if (e[2] < e[3] && ((e[1], e[3], e[2]) in uses)) {
        printf "layer order: %s/%s and %s/%s include each other (%s; %s)\n", e[1], e[2], e[1], e[3],
          uses[edge], uses[e[1], e[3], e[2]] > "/dev/stderr"
        bad++
      }
    }
    if (bad) {
      printf "layer order: %d violation(s); docs/layers.md shows the order\n", bad > "/dev/stderr"
      exit 1
    }
    print "layer order: every include and link points down"
  }'
