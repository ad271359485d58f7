#!/usr/bin/env bash
# Decodes the public test pictures of Debian's source packages of codec libraries and image
# toolkits with the program's readers under Wine, and compares with ImageMagick's identify.
# Not part of the default test command. Prints per format: files, decoded, clean failures,
# crashes, hangs, the slowest file, and valid files refused (identify reads them, we do not).
#   scripts/image-sweep.sh [seconds per file, default 20]
# The sources are kept in ORVO_SWEEP_CACHE (default ~/.cache/orvo-image-sweep), outside the clone;
# the list of refused files and every result line go to $cache/report/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
limit=${1:-20}
cache=${ORVO_SWEEP_CACHE:-$HOME/.cache/orvo-image-sweep}
packages=(libpng1.6 tiff libjpeg-turbo giflib gdk-pixbuf pillow)
extensions='png|jpg|jpeg|gif|bmp|dib|tif|tiff|ico|cur|tga|pcx|psd|wbmp|wmf|emf|mng|jng|jp2|j2k|j2c|jpc|pgx|pnm|ppm|pgm|pbm|ras|sun'

source "$root/scripts/env.sh"
build="$root/build/x86_64"
tool="$build/bin/ImageSweepDecode.exe"
[ -x "$tool" ] || cmake --build "$build" -j"${ORVO_JOBS:-3}" --target ImageSweepDecode >/dev/null
command -v identify >/dev/null || { echo "image-sweep: ImageMagick's identify is needed" >&2; exit 1; }

# Sources, fetched once.
mkdir -p "$cache/src" "$cache/tree" "$cache/report"
for p in "${packages[@]}"; do
    if ! ls "$cache/src/${p}_"*.dsc >/dev/null 2>&1; then
        (cd "$cache/src" && apt-get source --download-only -qq "$p" >/dev/null 2>&1) ||
            echo "image-sweep: could not fetch $p (run apt-get update first?)" >&2
    fi
    if [ ! -d "$cache/tree/$p" ]; then
        mkdir -p "$cache/tree/$p"
        for archive in "$cache/src/${p}_"*.orig.tar.*; do
            [ -f "$archive" ] && tar -xf "$archive" -C "$cache/tree/$p" 2>/dev/null || true
        done
    fi
done

report="$cache/report"
list="$report/files.txt"
find "$cache/tree" -type f -size +0 | grep -iE "\.($extensions)\$" | sort >"$list"
total=$(wc -l <"$list")
echo "image-sweep: $total files" >&2
# The tool reads Windows paths: the root of the Linux tree is drive Z:.
sed 's|/|\\|g; s|^|Z:|' "$list" >"$report/files-win.txt"

# ImageMagick's view: a file it identifies without error is a valid picture.
: >"$report/identify.txt"
while IFS= read -r f; do
    if timeout "$limit" identify -quiet "$f[0]" >/dev/null 2>&1; then echo "ok"; else echo "bad"; fi
done <"$list" >"$report/identify.txt"

# Our view: the tool runs until it ends; a crash or hang ends the run at the file that printed
# START without a result, and the run goes on after it.
ORVO_WINDOW_LANES=0 orvo_start_display "$build"
winlist="Z:$(printf '%s' "$report/files-win.txt" | sed 's|/|\\|g')"
results="$report/results.txt"
: >"$results"
next=0
while [ "$next" -lt "$total" ]; do
    timeout 7200 /usr/lib/wine/wine64 "$tool" "$winlist" "$next" "$limit" \
        2>/dev/null </dev/null | tr -d '\r' >>"$results" || true
    last=$(awk '$2=="START"{s=$1} END{print (s==""?-1:s)}' "$results")
    done_line=$(awk -v i="$last" '$1==i && $2!="START"{print $2}' "$results" | tail -1)
    if [ "$last" -lt 0 ]; then
        echo "image-sweep: the tool did not start" >&2
        exit 1
    fi
    if [ -z "$done_line" ]; then
        echo "$last CRASH 0 0 0 ended without a result" >>"$results"
    fi
    next=$((last + 1))
done

# Per format: files, decoded, clean failures, crashes, hangs, slowest, valid files refused.
paste -d' ' <(nl -v0 -ba "$list" | awk '{print $1}') "$report/identify.txt" "$list" >"$report/index.txt"
awk '
    FNR == NR { valid[$1] = $2; path[$1] = $3; ext = tolower($3); sub(/.*\./, "", ext); kind[$1] = ext; next }
    $2 == "START" { next }
    { status[$1] = $2; ms[$1] = $3; text[$1] = $0 }
    END {
        for (i in kind) {
            k = kind[i]; files[k]++
            s = status[i]
            if (s == "OK") ok[k]++
            else if (s == "FAIL") fail[k]++
            else if (s == "CRASH") crash[k]++
            else if (s == "HANG") hang[k]++
            if (ms[i] + 0 > slow[k] + 0) { slow[k] = ms[i]; slowfile[k] = path[i] }
            if (valid[i] == "ok" && s != "OK") { refused[k]++; print k, path[i], text[i] > "'"$report"'/refused.txt" }
        }
        for (k in files) {
            nvalid = 0
            for (i in kind) if (kind[i] == k && valid[i] == "ok") nvalid++
            printf "%-6s %6d %7d %7d %7d %5d %7dms %8d  %.1f%% of %d\n", k, files[k], ok[k], fail[k], crash[k], hang[k], slow[k], refused[k], nvalid ? 100 * refused[k] / nvalid : 0, nvalid
        }
    }' "$report/index.txt" "$results" | sort >"$report/summary.txt"
printf "%-6s %6s %7s %7s %7s %5s %9s %8s  %s\n" format files decoded failed crashes hangs slowest refused \
    "(valid files refused, % of valid)"
cat "$report/summary.txt"
echo "image-sweep: refused files in $report/refused.txt, all results in $results" >&2
