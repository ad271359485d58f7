#!/usr/bin/env bash
# Writes the sweep's own test pictures with ImageMagick into the folder given: every format the
# viewer reads, in the depths, colour kinds and compressions ImageMagick writes, from a few base
# pictures (a colour gradient with detail, a grey ramp, a picture with transparency, a two-colour
# drawing). Deterministic: the same folder comes out on every machine with the same ImageMagick.
#   scripts/image-sweep-generate.sh <folder>
set -euo pipefail
out=$1
mkdir -p "$out"
base="$out/.base"
mkdir -p "$base"
convert -size 97x61 gradient:'#ff2040-#2040ff' \( -size 97x61 -seed 7 plasma:fractal -blur 0x1 \) \
    -compose blend -define compose:args=50 -composite -depth 8 "$base/colour.png"
convert -size 64x48 gradient:black-white -rotate 90 -depth 8 "$base/grey.png"
convert "$base/colour.png" \( -size 97x61 radial-gradient:white-black \) -alpha off \
    -compose copyopacity -composite "$base/alpha.png"
convert -size 80x40 xc:white -fill black -draw 'circle 40,20 40,5' -draw 'line 0,0 79,39' \
    -monochrome "$base/mono.png"

n=0
# make <name> <source> [convert options...] [FORMAT:] - a last word ending in a colon is the
# coder ImageMagick writes with.
make() {
    local name=$1 source=$2 coder=
    shift 2
    local options=("$@")
    if [ ${#options[@]} -gt 0 ] && [[ ${options[-1]} == *: ]]; then
        coder=${options[-1]}
        unset 'options[-1]'
    fi
    if convert "$base/$source.png" "${options[@]}" "$coder$out/$name" 2>/dev/null; then
        n=$((n + 1))
    else
        rm -f "$out/$name"
    fi
}

# BMP: every depth of the old and the new headers, run-length 8.
make bmp3-24.bmp colour BMP3:
make bmp3-8.bmp colour -colors 200 -type palette BMP3:
make bmp3-4.bmp colour -colors 16 -type palette BMP3:
make bmp3-1.bmp mono -type bilevel BMP3:
make bmp-32.bmp alpha BMP:
make bmp-24.bmp colour -alpha off BMP:
make bmp-rle8.bmp colour -colors 200 -type palette -compress RLE BMP3:
make bmp2-8.bmp colour -colors 200 -type palette BMP2:
make bmp-565.bmp colour -define bmp:subtype=RGB565 BMP:
# GIF
make gif-256.gif colour -colors 256
make gif-16.gif colour -colors 16
make gif-2.gif mono
make gif-interlaced.gif colour -colors 64 -interlace GIF
make gif-transparent.gif alpha -channel A -threshold 50% +channel -colors 64
# PNG: every colour type and depth.
for d in 1 2 4 8 16; do make "png-grey-$d.png" grey -colorspace gray -depth $d -define png:color-type=0 PNG:; done
for d in 1 2 4 8; do make "png-palette-$d.png" colour -colors $((1 << d)) -define png:color-type=3 -depth $d PNG8:; done
make png-rgb-8.png colour -define png:color-type=2 PNG24:
make png-rgb-16.png colour -depth 16 -define png:color-type=2 PNG48:
make png-rgba-8.png alpha PNG32:
make png-rgba-16.png alpha -depth 16 PNG64:
make png-greyalpha-8.png alpha -colorspace gray -define png:color-type=4 PNG:
make png-interlaced.png colour -interlace PNG PNG24:
make png-palette-trns.png alpha -channel A -threshold 50% +channel -colors 32 PNG8:
# JPEG
make jpeg-baseline.jpg colour -quality 90
make jpeg-progressive.jpg colour -interlace JPEG -quality 85
make jpeg-grey.jpg grey -colorspace gray
make jpeg-444.jpg colour -sampling-factor 1x1 -quality 95
make jpeg-cmyk.jpg colour -colorspace CMYK
make jpeg-arithmetic.jpg colour -define jpeg:arithmetic-coding=true
# 12-bit samples where ImageMagick's JPEG library writes them (one built for 8-bit samples writes
# 8 bits whatever the depth asked: that file is not kept, the Debian sources' 12-bit sample of
# libjpeg-turbo stands in).
make jpeg-12.jpg grey -colorspace gray -depth 12
if [ -f "$out/jpeg-12.jpg" ] && ! python3 - "$out/jpeg-12.jpg" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
at = 2
while at + 4 < len(data) and data[at] == 0xFF:
    marker, length = data[at + 1], int.from_bytes(data[at + 2:at + 4], 'big')
    if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
        sys.exit(0 if data[at + 4] == 12 else 1)
    at += 2 + length
sys.exit(1)
PY
then
    rm -f "$out/jpeg-12.jpg"
    n=$((n - 1))
fi
# TIFF: compressions, depths, photometrics, tiles and planes.
for c in None LZW Zip PackBits JPEG; do make "tiff-rgb-$c.tif" colour -alpha off -compress $c; done
for c in None Group3 Group4 LZW; do make "tiff-mono-$c.tif" mono -type bilevel -compress $c; done
for d in 2 4 8 10 12 14 16 32; do make "tiff-grey-$d.tif" grey -colorspace gray -depth $d; done
for d in 10 12 32; do make "tiff-rgb-depth-$d.tif" colour -alpha off -depth $d; done
make tiff-double.tif grey -colorspace gray -depth 64 -define quantum:format=floating-point
make tiff-half.tif grey -colorspace gray -depth 16 -define quantum:format=floating-point
make tiff-rgb-16.tif colour -alpha off -depth 16
make tiff-rgba.tif alpha
make tiff-palette.tif colour -colors 200 -type palette
make tiff-tiled.tif colour -alpha off -define tiff:tile-geometry=32x32
make tiff-planar.tif colour -alpha off -interlace plane
make tiff-float.tif grey -colorspace gray -depth 32 -define quantum:format=floating-point
make tiff-cmyk.tif colour -colorspace CMYK
make tiff-minisblack.tif grey -colorspace gray -define tiff:photometric=min-is-black
make tiff-lzma.tif colour -alpha off -compress LZMA
make tiff-webp.tif colour -alpha off -compress WebP
# TGA, PCX, icons, WBMP, PNM, Sun raster, Photoshop, JPEG-2000.
make tga-24.tga colour -alpha off -compress None
make tga-rle-24.tga colour -alpha off -compress RLE
make tga-32.tga alpha
make tga-8.tga colour -colors 200 -type palette
make tga-grey.tga grey -colorspace gray
make pcx-24.pcx colour -alpha off
make pcx-8.pcx colour -colors 200 -type palette
make pcx-1.pcx mono -type bilevel
make ico-32.ico alpha -resize 32x32!
make ico-16.ico colour -colors 16 -resize 16x16!
make ico-48.ico alpha -resize 48x48!
make wbmp.wbmp mono
make pbm-raw.pbm mono
make pbm-plain.pbm mono -compress None
make pgm-raw.pgm grey
make pgm-plain.pgm grey -compress None
make ppm-raw.ppm colour
make ppm-plain.ppm colour -compress None
make ras-24.ras colour -alpha off
make ras-8.ras colour -colors 200 -type palette
make psd-rgb.psd colour -alpha off
make psd-rgba.psd alpha
make psd-grey.psd grey -colorspace gray
make psd-cmyk.psd colour -colorspace CMYK
make psd-rgb-16.psd colour -depth 16
make psd-rgba-16.psd alpha -depth 16
make psd-palette.psd colour -colors 64 -type palette
make psd-raw.psd colour -compress None
make jp2.jp2 colour -alpha off
make j2k.j2k colour -alpha off
make jp2-lossless.jp2 colour -alpha off -quality 0
make pgx.pgx grey -colorspace gray
# Hostile files: a few bytes claiming pictures of gigabytes, each of which must be refused within
# the time and memory limits.
python3 - "$out" "$out/jpeg-baseline.jpg" "$out/jpeg-progressive.jpg" <<'PY'
import struct, sys, zlib
out = sys.argv[1]
def write(name, data):
    open('%s/hostile-%s' % (out, name), 'wb').write(data)
def chunk(kind, data, length=None):
    size = len(data) if length is None else length
    return struct.pack('>I', size) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
def frame(x, y):
    return b'\x2c' + struct.pack('<HHHHB', x, y, 1, 1, 0) + b'\x02\x02\x44\x01\x00'
write('corners.gif', b'GIF89a' + struct.pack('<HHBBB', 62954, 27319, 0x80, 0, 0) + b'\0\0\0\xff\xff\xff'
      + frame(0, 0) + frame(62953, 27318) + b'\x3b')
signature = b'\x89PNG\r\n\x1a\n'
ihdr = chunk(b'IHDR', struct.pack('>IIBBBBB', 1, 1, 8, 2, 0, 0, 0))
for kind in [b'iTXt', b'sCAL', b'tEXt', b'sPLT', b'pCAL', b'zTXt']:
    write('chunk-%s.png' % kind.decode(), signature + ihdr + chunk(kind, b'abcd', 0x7ffffff0)[:12])
write('idat.png', signature + chunk(b'IHDR', struct.pack('>IIBBBBB', 20000, 20000, 8, 6, 0, 0, 0))
      + chunk(b'IDAT', zlib.compress(b'\0' * 1000)) + chunk(b'IEND', b''))
for source, marker, name in [(sys.argv[2], b'\xff\xc0', 'baseline.jpg'), (sys.argv[3], b'\xff\xc2', 'progressive.jpg')]:
    data = bytearray(open(source, 'rb').read())
    at = data.find(marker)
    data[at + 5:at + 9] = struct.pack('>HH', 20000, 20000)
    write(name, bytes(data))
def tiff(width, length, compression, samples, bits, photometric):
    tags = [(256, 4, width), (257, 4, length), (258, 3, bits), (259, 3, compression), (262, 3, photometric),
            (273, 4, 200), (277, 3, samples), (278, 4, length), (279, 4, 1000)]
    data = b'II*\0' + struct.pack('<IH', 8, len(tags)) + b''.join(struct.pack('<HHII', t, k, 1, v) for t, k, v in tags)
    return data + b'\0' * (1200 - len(data))
write('lzw.tif', tiff(20000, 20000, 5, 3, 8, 2))
write('fax.tif', tiff(60000, 60000, 4, 1, 1, 0))
write('rgb16.tif', tiff(12000, 12000, 8, 3, 16, 2))
write('raw.tga', struct.pack('<BBBHHBHHHHBB', 0, 0, 2, 0, 0, 0, 0, 0, 30000, 30000, 24, 0) + b'\0' * 20)
write('rle.tga', struct.pack('<BBBHHBHHHHBB', 0, 0, 10, 0, 0, 0, 0, 0, 30000, 30000, 24, 0) + b'\xff\0\0\0' * 5)
write('rle8.bmp', b'BM' + struct.pack('<IHHI', 54, 0, 0, 1078) + struct.pack('<IiiHHIIiiII', 40, 30000, 30000, 1, 8, 1, 0, 0, 0, 0, 0)
      + b'\0' * 1024 + b'\0\1')
PY
echo "image-sweep-generate: $n pictures and the hostile files in $out" >&2
