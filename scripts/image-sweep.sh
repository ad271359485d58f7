#!/usr/bin/env bash
# Decodes test pictures with the program's readers under Wine and holds each result against
# ImageMagick's: the pictures this script generates with ImageMagick in every format, depth and
# compression it writes (scripts/image-sweep-generate.sh), plus the public test pictures of
# Debian's source packages of codec libraries and toolkits when apt-get source can fetch them.
# Not part of the default test command. Each file gets a time and a memory limit; a file over
# either, a crash, a valid file refused, or a decoded picture that differs from ImageMagick's
# beyond rounding fails the run (non-zero exit). Prints per format: files, decoded, clean
# failures, crashes, hangs, over memory, pictures differing, the slowest file and the largest
# memory, valid files refused; then the slowest and the largest file of all.
#   scripts/image-sweep.sh [seconds per file, default 1] [megabytes per file, default 256]
# ORVO_SWEEP_SOURCES=0 skips the Debian sources. The sources are kept in ORVO_SWEEP_CACHE (default
# ~/.cache/orvo-image-sweep), outside the clone; every result goes to $cache/report/.
# ORVO_SWEEP_FILES=<list> sweeps only the files of the list (one path a line), for a quick look at
# a few files while working on a reader; nothing is generated or fetched then.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
limit=${1:-1}
megabytes=${2:-256}
cache=${ORVO_SWEEP_CACHE:-$HOME/.cache/orvo-image-sweep}
# libuemf and libemf2svg hold the public EMF and WMF test files (libemf2svg's emf-corrupted
# folder its damaged ones).
packages=(libpng1.6 tiff libjpeg-turbo giflib gdk-pixbuf pillow libuemf libemf2svg)
extensions='png|jpg|jpeg|gif|bmp|dib|tif|tiff|ico|cur|tga|pcx|psd|wbmp|wmf|emf|mng|jng|jp2|j2k|j2c|jpc|pgx|pnm|ppm|pgm|pbm|ras|sun'

source "$root/scripts/env.sh"
build="$root/build/x86_64"
tool="$build/bin/ImageSweepDecode.exe"
cmake --build "$build" -j"${ORVO_JOBS:-3}" --target ImageSweepDecode >/dev/null
command -v convert >/dev/null || { echo "image-sweep: ImageMagick is needed" >&2; exit 1; }

mkdir -p "$cache/src" "$cache/tree" "$cache/report"
chosen=${ORVO_SWEEP_FILES:-}
if [ -n "$chosen" ]; then
    [ -f "$chosen" ] || { echo "image-sweep: no list $chosen" >&2; exit 1; }
    chosen=$(realpath "$chosen")
else
    rm -rf "$cache/tree/generated"
    "$root/scripts/image-sweep-generate.sh" "$cache/tree/generated"
fi
if [ -z "$chosen" ] && [ "${ORVO_SWEEP_SOURCES:-1}" != 0 ]; then
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
fi

report="$cache/report"
pictures="$report/pictures"
rm -rf "$pictures" "$report/refused.txt" "$report/differing.txt"
mkdir -p "$pictures"
list="$report/files.txt"
if [ -n "$chosen" ]; then
    grep -v '^$' "$chosen" | xargs -d '\n' realpath >"$list.new"
    mv "$list.new" "$list"
else
    find "$cache/tree" -type f -size +0 -not -path '*/.base/*' | grep -iE "\.($extensions)\$" | sort >"$list"
fi
total=$(wc -l <"$list")
echo "image-sweep: $total files" >&2
# The tool reads Windows paths: the root of the Linux tree is drive Z:.
sed 's|/|\\|g; s|^|Z:|' "$list" >"$report/files-win.txt"

# A valid picture is one ImageMagick identifies without error and Pillow reads whole where it
# knows the format (the suites' damaged files are often identified by one of them alone), and
# that its suite does not call invalid. Neither plays metafiles on this system: a metafile is
# valid when it starts with a metafile's header and lies in no folder of damaged files; for them
# the sweep counts refusals, time and memory.
metafile_valid() {
    case "${1,,}" in */*corrupt*/*) return 1 ;; esac
    /usr/bin/python3 - "$1" <<'PY'
import struct, sys
head = open(sys.argv[1], 'rb').read(44)
placeable = head[:4] == b'\xd7\xcd\xc6\x9a'
windows = len(head) >= 4 and struct.unpack_from('<HH', head)[0] in (1, 2) and struct.unpack_from('<HH', head)[1] == 9
enhanced = len(head) >= 44 and struct.unpack_from('<I', head)[0] == 1 and head[40:44] == b' EMF'
sys.exit(0 if placeable or windows or enhanced else 1)
PY
}
while IFS= read -r f; do
    case "${f,,}" in
        *.emf | *.wmf) if metafile_valid "$f"; then echo "ok"; else echo "bad"; fi ;;
        *) if timeout 20 identify -quiet "$f[0]" >/dev/null 2>&1; then echo "ok"; else echo "bad"; fi ;;
    esac
done <"$list" >"$report/identify-im.txt"
/usr/bin/python3 - "$list" "$report/identify-im.txt" >"$report/identify.txt" <<'PY'
import sys, warnings
warnings.simplefilter('ignore')
try:
    from PIL import Image, UnidentifiedImageError
except ImportError:
    Image = None
paths = open(sys.argv[1]).read().splitlines()
verdicts = open(sys.argv[2]).read().splitlines()
for path, verdict in zip(paths, verdicts):
    # The BMP suite's b/ folder holds files it makes invalid on purpose (a run-length picture
    # that tries to overrun its buffer, palette indices past the palette): no reader's picture of
    # them is the right one, whatever ImageMagick and Pillow make of them.
    if '/bmp/b/' in path:
        verdict = 'bad'
    if verdict == 'ok' and Image is not None and not path.lower().endswith(('.emf', '.wmf')):
        try:
            with Image.open(path) as picture:
                picture.load()
        except UnidentifiedImageError:
            pass
        except Exception:
            verdict = 'bad'
    print(verdict)
PY

# Our view: the tool runs until it ends; a crash, hang or memory overrun ends the run at the file
# that printed START, and the run goes on after it.
ORVO_WINDOW_LANES=0 orvo_start_display "$build"
winlist="Z:$(printf '%s' "$report/files-win.txt" | sed 's|/|\\|g')"
winpictures="Z:$(printf '%s' "$pictures" | sed 's|/|\\|g')"
results="$report/results.txt"
: >"$results"
next=0
while [ "$next" -lt "$total" ]; do
    timeout 7200 /usr/lib/wine/wine64 "$tool" "$winlist" "$next" "$limit" "$megabytes" "$winpictures" \
        2>/dev/null </dev/null | tr -d '\r' >>"$results" || true
    last=$(awk '$2=="START"{s=$1} END{print (s==""?-1:s)}' "$results")
    done_line=$(awk -v i="$last" '$1==i && $2!="START"{print $2}' "$results" | tail -1)
    if [ "$last" -lt 0 ]; then
        echo "image-sweep: the tool did not start" >&2
        exit 1
    fi
    if [ -z "$done_line" ]; then
        echo "$last CRASH 0 0 0 0 ended without a result" >>"$results"
    fi
    next=$((last + 1))
done

# Each decoded picture against ImageMagick's, and where that differs against Pillow's (each of the
# two misreads kinds the other reads: ImageMagick takes 16-bit grey TGA for 5-5-5 colour and
# applies a PNG's gamma; a picture counts as differing only when it differs from both), on the
# pixels both see as opaque: a channel may
# differ by rounding (8 levels, one step of a 5-bit field, which the program widens by shifting
# and ImageMagick by scaling; lossy codings, whose decoders may upsample and transform
# differently, 24 levels on at most 1% of the pixels). ImageMagick keeps a TGA's rows in their
# stored order unless told to orient them.
/usr/bin/python3 - "$list" "$pictures" >"$report/compare.txt" <<'PY'
import subprocess, sys, os
try:
    from PIL import Image
except ImportError:
    Image = None
paths = open(sys.argv[1]).read().splitlines()
folder = sys.argv[2]
def netpbm(path):
    data = open(path, 'rb').read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    return int(fields[1]), int(fields[2]), data[at + 1:]
for name in sorted(os.listdir(folder)):
    if not name.endswith('.ppm'):
        continue
    index = int(name[:-4])
    path = paths[index]
    if path.lower().endswith(('.emf', '.wmf')):
        print(index, 'NOREF', 'no other decoder plays metafiles here')
        continue
    w, h, ours = netpbm(os.path.join(folder, name))
    if len(ours) < w * h * 3:
        # The tool was stopped (time or memory) while it wrote the picture.
        print(index, 'PARTIAL', 'the picture was cut short')
        continue
    mask = os.path.join(folder, '%d.pgm' % index)
    opacity = netpbm(mask)[2] if os.path.exists(mask) else None
    orient = ['-auto-orient'] if path.lower().endswith('.tga') else []
    # A GIF's first frame as it shows on its screen, as the program gives it.
    if path.lower().endswith('.gif'):
        orient = ['-coalesce']
    # A PNG's gamma chunk is not applied (as Pillow and the system's own viewers leave it), so its
    # stored values are taken as they are where ImageMagick would convert "linear" ones.
    space = ['-set', 'colorspace', 'sRGB'] if path.lower().endswith('.png') else ['-colorspace', 'sRGB']
    lossy = path.lower().endswith(('.jpg', '.jpeg', '.jp2', '.j2k', '.jpc', '.j2c')) or 'JPEG' in path or 'webp' in path.lower()
    tolerance = 24 if lossy else 8
    def against(theirs):
        compared = differing = worst = 0
        for p in range(w * h):
            if theirs[4 * p + 3] != 255 or (opacity is not None and opacity[p] != 255):
                continue
            compared += 1
            d = max(abs(ours[3 * p + c] - theirs[4 * p + c]) for c in range(3))
            worst = max(worst, d)
            if d > tolerance:
                differing += 1
        allowed = compared // 100 if lossy else 0
        return ('DIFF' if differing > allowed else 'SAME'), compared, differing, worst
    def pillow():
        if Image is None:
            return None
        try:
            with Image.open(path) as picture:
                picture.seek(0)
                return picture.convert('RGBA').tobytes()
        except Exception:
            return None
    run = subprocess.run(['convert', path + '[0]'] + orient + ['-depth', '8'] + space + ['rgba:-'],
                         capture_output=True, timeout=60)
    theirs = run.stdout if run.returncode == 0 else b''
    verdict = None
    if theirs and len(theirs) == w * h * 4:
        verdict = against(theirs)
    # A GIF without a global colour table whose first frame is a tile of its screen is a
    # true-colour picture the program composes whole from its tiles: held against the frames
    # composed to the last.
    if verdict is not None and verdict[0] == 'DIFF' and path.lower().endswith('.gif'):
        with open(path, 'rb') as gif:
            head = gif.read(11)
        if len(head) == 11 and not head[10] & 0x80:
            run = subprocess.run(['convert', path, '-coalesce', '-delete', '0--2', '-depth', '8'] + space
                                 + ['rgba:-'], capture_output=True, timeout=60)
            if run.returncode == 0 and len(run.stdout) == w * h * 4:
                composed = against(run.stdout)
                if composed[0] == 'SAME':
                    verdict = composed
    if verdict is None or verdict[0] == 'DIFF':
        second = pillow()
        if second and len(second) == w * h * 4:
            other = against(second)
            if verdict is None or other[0] == 'SAME':
                verdict = other
    if verdict is None:
        if not theirs:
            print(index, 'NOREF', 'neither ImageMagick nor Pillow reads it')
        else:
            print(index, 'SIZE', 'ImageMagick gives', len(theirs) // 4, 'pixels, we', w * h)
        continue
    print(index, *verdict)
PY

# Per format: files, decoded, failures, crashes, hangs, over memory, differing, slowest, largest,
# valid files refused.
paste -d' ' <(nl -v0 -ba "$list" | awk '{print $1}') "$report/identify.txt" "$list" >"$report/index.txt"
awk -v report="$report" '
    FILENAME == ARGV[1] { valid[$1] = $2; path[$1] = $3; ext = tolower($3); sub(/.*\./, "", ext); kind[$1] = ext; next }
    FILENAME == ARGV[2] { cmp[$1] = $2; next }
    $2 == "START" { next }
    { status[$1] = $2; ms[$1] = $3; mb[$1] = $4; text[$1] = $0 }
    END {
        for (i in kind) {
            k = kind[i]; files[k]++
            s = status[i]
            if (s == "OK") ok[k]++
            else if (s == "FAIL") fail[k]++
            else if (s == "CRASH") crash[k]++
            else if (s == "HANG") hang[k]++
            else if (s == "MEMORY") memory[k]++
            # A damaged file read anyway has no right picture to be held against.
            if (valid[i] == "ok" && (cmp[i] == "DIFF" || cmp[i] == "SIZE")) { differ[k]++; print k, path[i], cmp[i] > (report "/differing.txt") }
            if (ms[i] + 0 > slow[k] + 0) slow[k] = ms[i]
            if (mb[i] + 0 > big[k] + 0) big[k] = mb[i]
            if (ms[i] + 0 >= slowest + 0) { slowest = ms[i]; slowestFile = path[i] }
            if (mb[i] + 0 >= largest + 0) { largest = mb[i]; largestFile = path[i] }
            if (valid[i] == "ok" && s != "OK") { refused[k]++; print k, path[i], text[i] > (report "/refused.txt") }
            if (valid[i] == "ok") nvalid[k]++
        }
        for (k in files)
            printf "%-6s %5d %7d %6d %7d %5d %6d %7d %7dms %6dKB %7d  %.1f%% of %d\n", k, files[k], ok[k], fail[k], crash[k], hang[k], memory[k], differ[k], slow[k], big[k], refused[k], nvalid[k] ? 100 * refused[k] / nvalid[k] : 0, nvalid[k] > "/dev/stdout"
        printf "slowest: %d ms %s\nlargest: %d KB %s\n", slowest, slowestFile, largest, largestFile > (report "/extremes.txt")
    }' "$report/index.txt" "$report/compare.txt" "$results" | sort >"$report/summary.txt"
printf "%-6s %5s %7s %6s %7s %5s %6s %7s %9s %8s %7s  %s\n" format files decoded failed crashes hangs memory differ \
    slowest largest refused "(valid files refused, % of valid)"
cat "$report/summary.txt"
cat "$report/extremes.txt"
echo "image-sweep: refused files in $report/refused.txt, differing in $report/differing.txt, all results in $results" >&2
# Valid files refused are reported, not failed: some kinds are refused by name on purpose.
awk '{ bad += $5 + $6 + $7 + $8 } END { exit bad > 0 }' "$report/summary.txt"
