// The TIFF codec: round trips of every depth and compression, pages, photometric palettes, colour
// maps, 16-bit samples, strips and tiles, resolution, the tags the encoder chooses, and damaged
// files.
#include "imaging/CRasterImageTIF.h"

#include "imaging/CRasterMemFile.h"
#include "tests/imaging/RasterCodecTestKit.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <tiffio.h>

#include <functional>

using namespace orvo::test;

namespace {

// A TIFF written with libtiff itself, so the tests can describe pages the encoder never makes.
struct TiffSpec
{
    uint32_t width = 8, length = 6;
    uint16_t samples = 1, bits = 8, photometric = PHOTOMETRIC_MINISBLACK;
    uint32_t rowsPerStrip = 2;
    uint32_t tile = 0; // tile width and length when not 0
    std::vector<uint16_t> colormap; // 3 x 2^bits entries: red, green, blue
    float xres = 0;
    uint16_t unit = RESUNIT_INCH;
    std::function<uint16_t(uint32_t x, uint32_t y, int s)> sample = [](uint32_t x, uint32_t y, int s) {
        return uint16_t(x * 10 + y + s * 40);
    };
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t compression = COMPRESSION_NONE;
    // When set, the bits of each sample (wider than 16 bits, or floating point), in place of sample.
    std::function<uint64_t(uint32_t x, uint32_t y, int s)> wide;
};

Bytes WriteTiff(const TiffSpec& s)
{
    TempDir dir;
    const std::string path = dir / "page.tif";
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.length);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, s.sampleFormat);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
    if (s.compression == COMPRESSION_WEBP)
        TIFFSetField(tif, TIFFTAG_WEBP_LOSSLESS, 1);
    if (s.xres != 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, s.xres);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, s.xres);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, s.unit);
    }
    if (!s.colormap.empty()) {
        const size_t n = s.colormap.size() / 3;
        TIFFSetField(tif, TIFFTAG_COLORMAP, &s.colormap[0], &s.colormap[n], &s.colormap[2 * n]);
    }
    const uint64_t rowBytes = (uint64_t(s.width) * s.bits * s.samples + 7) / 8;
    auto fillRow = [&](std::vector<uint8_t>& row, uint32_t y, uint32_t x0, uint32_t count) {
        for (uint32_t x = 0; x < count; ++x)
            for (int c = 0; c < s.samples; ++c) {
                const uint64_t v = s.wide ? s.wide(x0 + x, y, c) : s.sample(x0 + x, y, c);
                const uint64_t i = uint64_t(x) * s.samples + c;
                if (s.bits % 8 == 0 && s.bits >= 16) {
                    // Whole bytes in the machine's order, as libtiff takes them.
                    for (int k = 0; k < s.bits / 8; ++k)
                        row[s.bits / 8 * i + size_t(k)] = uint8_t(v >> (8 * k));
                } else if (s.bits == 8) {
                    row[i] = uint8_t(v);
                } else {
                    // Any width, packed from the high bit, samples running across bytes.
                    const uint64_t bit = i * s.bits;
                    for (int k = 0; k < s.bits; ++k)
                        if ((v >> (s.bits - 1 - k)) & 1)
                            row[(bit + k) / 8] |= uint8_t(0x80 >> ((bit + k) % 8));
                }
            }
    };
    if (s.tile) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, s.tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, s.tile);
        std::vector<uint8_t> tile(size_t(TIFFTileSize(tif)));
        for (uint32_t ty = 0; ty < s.length; ty += s.tile)
            for (uint32_t tx = 0; tx < s.width; tx += s.tile) {
                std::fill(tile.begin(), tile.end(), 0);
                const size_t tileRow = size_t(TIFFTileRowSize(tif));
                for (uint32_t k = 0; k < s.tile && ty + k < s.length; ++k) {
                    std::vector<uint8_t> row(tileRow, 0);
                    fillRow(row, ty + k, tx, std::min(s.tile, s.width - tx));
                    std::copy(row.begin(), row.end(), tile.begin() + k * tileRow);
                }
                TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0);
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip);
        for (uint32_t y = 0; y < s.length; ++y) {
            std::vector<uint8_t> row(size_t(rowBytes), 0);
            fillRow(row, y, 0, s.width);
            TIFFWriteScanline(tif, row.data(), y, 0);
        }
    }
    TIFFClose(tif);
    const std::string bytes = ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

// Opens TIFF bytes with libtiff to look at the tags the encoder wrote.
struct TiffReader
{
    TempDir dir;
    TIFF* tif = nullptr;
    explicit TiffReader(const Bytes& bytes)
    {
        const std::string path = dir / "out.tif";
        WriteFileBytes(path, bytes.data(), bytes.size());
        tif = TIFFOpen(path.c_str(), "r");
    }
    ~TiffReader()
    {
        if (tif)
            TIFFClose(tif);
    }
    uint32_t Get(ttag_t tag)
    {
        uint32_t v32 = 0;
        uint16_t v16 = 0;
        if (tag == TIFFTAG_ROWSPERSTRIP || tag == TIFFTAG_IMAGEWIDTH)
            return TIFFGetField(tif, tag, &v32) ? v32 : 0;
        return TIFFGetField(tif, tag, &v16) ? v16 : 0;
    }
};

RGBQUAD Top(const CRasterImage& image, long x, long yFromTop)
{
    return image.GetPixelColor(x, long(image.GetHeight()) - 1 - yFromTop, false);
}

struct RoundTripCase
{
    DWORD width, height;
    WORD bpp;
    bool grey, alpha;
    DWORD compression; // 0 = the encoder's choice
    int tolerance;
};

class TiffRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(TiffRoundTrip, ThroughDetection)
{
    const RoundTripCase c = GetParam();
    CRasterImage source;
    FillPattern(source, c.width, c.height, c.bpp, c.grey);
    if (c.bpp == 1) { // a one-bit page holds black and white only
        source.SetPaletteColor(0, 255, 255, 255);
        source.SetPaletteColor(1, 0, 0, 0);
    }
    if (c.alpha) {
        source.AlphaCreate();
        source.AlphaSet(1, 1, 33);
    }
    source.SetCodecOption(c.compression, RASTER_FORMAT_TIF);
    source.SetJpegQuality(100);
    const Bytes bytes = EncodeToBytes(source, RASTER_FORMAT_TIF);
    ASSERT_FALSE(bytes.empty()) << source.GetLastError();
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_UNKNOWN)) << back.GetLastError();
    EXPECT_EQ(back.GetType(), RASTER_FORMAT_TIF);
    EXPECT_EQ(back.GetBpp(), c.bpp);
    EXPECT_LE(MaxChannelDifference(source, back), c.tolerance);
    ASSERT_EQ(back.AlphaIsValid(), c.alpha);
    if (c.alpha) {
        EXPECT_EQ(back.AlphaGet(1, 1), 33);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Depths, TiffRoundTrip,
    testing::Values(RoundTripCase{1, 1, 1, false, false, 0, 0},
                    RoundTripCase{37, 9, 1, false, false, 0, 0},
                    RoundTripCase{17, 5, 4, false, false, 0, 0},
                    RoundTripCase{20, 11, 8, false, false, 0, 0},
                    RoundTripCase{20, 11, 8, true, false, 0, 0},
                    RoundTripCase{9, 7, 8, true, true, 0, 0},
                    RoundTripCase{16, 16, 24, false, false, 0, 40},
                    RoundTripCase{13, 5, 24, false, false, COMPRESSION_NONE, 0},
                    RoundTripCase{13, 5, 24, false, false, COMPRESSION_LZW, 0},
                    RoundTripCase{10, 4, 24, false, true, COMPRESSION_ADOBE_DEFLATE, 8}));

TEST(CRasterImageTIF, PagesAndFrameCount)
{
    CRasterMemFile stream;
    ASSERT_TRUE(stream.Open());
    CRasterImage pages[3];
    for (DWORD i = 0; i < 3; ++i) {
        FillPattern(pages[i], 4 + i, 3, 8);
        ASSERT_TRUE(pages[i].Encode(&stream, RASTER_FORMAT_TIF)) << pages[i].GetLastError();
    }
    const Bytes bytes(stream.GetBuffer(false), stream.GetBuffer(false) + stream.Size());
    CRasterImage second;
    second.SetFrame(1);
    ASSERT_TRUE(DecodeFromBytes(second, bytes, RASTER_FORMAT_TIF));
    EXPECT_EQ(second.GetNumFrames(), 3);
    EXPECT_EQ(second.GetWidth(), 5u);
    EXPECT_EQ(MaxChannelDifference(second, pages[1]), 0);
    CRasterImage missing;
    missing.SetFrame(3);
    EXPECT_FALSE(DecodeFromBytes(missing, bytes, RASTER_FORMAT_TIF));
    EXPECT_STREQ(missing.GetLastError(), "Error: page not present in TIFF file");
}

TEST(CRasterImageTIF, PhotometricPalettes)
{
    TiffSpec whiteIsZero;
    whiteIsZero.bits = 1;
    whiteIsZero.photometric = PHOTOMETRIC_MINISWHITE;
    CRasterImage a;
    ASSERT_TRUE(DecodeFromBytes(a, WriteTiff(whiteIsZero), RASTER_FORMAT_TIF));
    EXPECT_EQ(a.GetBpp(), 1);
    EXPECT_EQ(a.GetPaletteColor(0).rgbRed, 255);
    EXPECT_EQ(a.GetPaletteColor(1).rgbRed, 0);

    TiffSpec grey4;
    grey4.bits = 4;
    CRasterImage b;
    ASSERT_TRUE(DecodeFromBytes(b, WriteTiff(grey4), RASTER_FORMAT_TIF));
    EXPECT_EQ(b.GetBpp(), 4);
    for (BYTE i = 0; i < 16; ++i)
        EXPECT_EQ(b.GetPaletteColor(i).rgbGreen, 17 * i);
    EXPECT_EQ(b.GetPixelIndex(1, 5), (10 + 0) & 15);

    TiffSpec byteMap;
    byteMap.photometric = PHOTOMETRIC_PALETTE;
    byteMap.colormap.assign(3 * 256, 0);
    byteMap.colormap[1] = 200;          // red of entry 1
    TiffSpec wideMap = byteMap;
    wideMap.colormap[256 + 1] = 65535;  // green of entry 1
    CRasterImage c, d;
    ASSERT_TRUE(DecodeFromBytes(c, WriteTiff(byteMap), RASTER_FORMAT_TIF));
    ASSERT_TRUE(DecodeFromBytes(d, WriteTiff(wideMap), RASTER_FORMAT_TIF));
    EXPECT_EQ(c.GetPaletteColor(1).rgbRed, 200);
    EXPECT_EQ(d.GetPaletteColor(1).rgbRed, 0); // 200 scaled by 255 / 65535
    EXPECT_EQ(d.GetPaletteColor(1).rgbGreen, 255);
}

TEST(CRasterImageTIF, SixteenBitSamplesStripsAndTiles)
{
    const struct
    {
        uint16_t bits, samples, photometric;
        uint32_t rowsPerStrip, tile;
    } cases[] = {{16, 1, PHOTOMETRIC_MINISBLACK, 2, 0},  {16, 1, PHOTOMETRIC_MINISBLACK, 100, 0},
                 {8, 1, PHOTOMETRIC_MINISBLACK, 100, 0}, {8, 1, PHOTOMETRIC_MINISBLACK, 0, 16},
                 {16, 2, PHOTOMETRIC_MINISBLACK, 3, 0},  {8, 3, PHOTOMETRIC_RGB, 5, 0},
                 {16, 3, PHOTOMETRIC_RGB, 4, 0}};
    for (const auto& c : cases) {
        TiffSpec s;
        s.width = 37;
        s.length = 21;
        s.bits = c.bits;
        s.samples = c.samples;
        s.photometric = c.photometric;
        s.rowsPerStrip = c.rowsPerStrip;
        s.tile = c.tile;
        const int shift = c.bits == 16 ? 8 : 0;
        s.sample = [shift](uint32_t x, uint32_t y, int k) {
            return uint16_t(((x * 5 + y * 3 + k * 60) & 0xFF) << shift | (shift ? 0x7F : 0));
        };
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(s), RASTER_FORMAT_TIF))
            << image.GetLastError() << " " << c.bits << "/" << c.samples << "/" << c.tile;
        for (long y : {0L, 7L, 20L})
            for (long x : {0L, 17L, 36L}) {
                const BYTE want = BYTE((x * 5 + y * 3) & 0xFF);
                EXPECT_EQ(Top(image, x, y).rgbRed, want) << x << "," << y << " " << c.bits << "/"
                                                         << c.samples << "/" << c.tile;
            }
        if (c.samples == 2) {
            ASSERT_TRUE(image.AlphaIsValid());
            EXPECT_EQ(image.AlphaGet(2, 20), BYTE((2 * 5 + 0 + 60) & 0xFF));
        }
    }
}

// Plain 8-bit RGB pages are read without libtiff's RGBA pass: every channel lands in its place,
// from strips of any height and from tiles that overhang the page.
TEST(CRasterImageTIF, PlainRgbPagesKeepEveryChannel)
{
    for (const uint32_t rowsPerStrip : {1u, 5u, 100u}) {
        for (const uint32_t tile : {0u, 16u}) {
            TiffSpec s;
            s.width = 37;
            s.length = 21;
            s.samples = 3;
            s.photometric = PHOTOMETRIC_RGB;
            s.rowsPerStrip = rowsPerStrip;
            s.tile = tile;
            s.sample = [](uint32_t x, uint32_t y, int k) { return uint16_t((x * 7 + y * 11 + k * 85) & 0xFF); };
            CRasterImage image;
            ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(s), RASTER_FORMAT_TIF)) << image.GetLastError();
            ASSERT_EQ(image.GetBpp(), 24);
            for (long y : {0L, 15L, 16L, 20L})
                for (long x : {0L, 15L, 16L, 36L}) {
                    const RGBQUAD c = Top(image, x, y);
                    EXPECT_EQ(c.rgbRed, BYTE((x * 7 + y * 11) & 0xFF)) << x << "," << y << " " << tile;
                    EXPECT_EQ(c.rgbGreen, BYTE((x * 7 + y * 11 + 85) & 0xFF)) << x << "," << y;
                    EXPECT_EQ(c.rgbBlue, BYTE((x * 7 + y * 11 + 170) & 0xFF)) << x << "," << y;
                }
        }
    }
}

// Grey samples of every width from 2 to 14 bits, tiled RGB and CMYK pages.
TEST(CRasterImageTIF, OddSampleWidthsTiledRgbAndCmyk)
{
    for (uint16_t bits : {2, 3, 5, 6, 7, 9, 10, 12, 14}) {
        TiffSpec s;
        s.width = 13;
        s.length = 5;
        s.bits = bits;
        const uint16_t top = uint16_t((1u << bits) - 1);
        s.sample = [top](uint32_t x, uint32_t, int) { return uint16_t(x % 2 ? top : 0); };
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(s), RASTER_FORMAT_TIF)) << image.GetLastError() << " " << bits;
        EXPECT_EQ(Top(image, 0, 0).rgbRed, 0) << bits;
        EXPECT_EQ(Top(image, 1, 4).rgbRed, 255) << bits;
        EXPECT_EQ(Top(image, 12, 2).rgbRed, 0) << bits;
    }
    TiffSpec tiled;
    tiled.width = 40;
    tiled.length = 20;
    tiled.samples = 3;
    tiled.photometric = PHOTOMETRIC_RGB;
    tiled.tile = 16;
    tiled.sample = [](uint32_t x, uint32_t y, int k) { return uint16_t(k == 0 ? x * 5 : k == 1 ? y * 7 : 9); };
    CRasterImage rgb;
    ASSERT_TRUE(DecodeFromBytes(rgb, WriteTiff(tiled), RASTER_FORMAT_TIF)) << rgb.GetLastError();
    EXPECT_EQ(Top(rgb, 33, 18).rgbRed, 165);
    EXPECT_EQ(Top(rgb, 33, 18).rgbGreen, 126);

    TiffSpec cmyk;
    cmyk.samples = 4;
    cmyk.photometric = PHOTOMETRIC_SEPARATED;
    cmyk.sample = [](uint32_t, uint32_t, int k) { return uint16_t(k == 0 ? 255 : 0); }; // cyan
    CRasterImage separated;
    ASSERT_TRUE(DecodeFromBytes(separated, WriteTiff(cmyk), RASTER_FORMAT_TIF)) << separated.GetLastError();
    EXPECT_EQ(Top(separated, 2, 2).rgbRed, 0);
    EXPECT_EQ(Top(separated, 2, 2).rgbBlue, 255);
}

// A page the program cannot read says what it is, not that the file is damaged.
TEST(CRasterImageTIF, UnsupportedCompressionAndDepthSaySo)
{
    TiffSpec complex;
    complex.bits = 32;
    complex.sampleFormat = SAMPLEFORMAT_COMPLEXINT;
    complex.wide = [](uint32_t, uint32_t, int) { return uint64_t(0); };
    CRasterImage image;
    EXPECT_FALSE(DecodeFromBytes(image, WriteTiff(complex), RASTER_FORMAT_TIF));
    EXPECT_STREQ(image.GetLastError(), "TIFF: 32-bit samples are not supported here");

    Bytes packed = WriteTiff(TiffSpec());
    // The compression entry (tag 259, SHORT, one value) set to an unknown scheme.
    const BYTE entry[] = {0x03, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00};
    auto at = std::search(packed.begin(), packed.end(), std::begin(entry), std::end(entry));
    ASSERT_NE(at, packed.end());
    at[8] = 0x39; // 12345
    at[9] = 0x30;
    CRasterImage unknown;
    EXPECT_FALSE(DecodeFromBytes(unknown, packed, RASTER_FORMAT_TIF));
    EXPECT_STRNE(unknown.GetLastError(), "Corrupted TIFF file!");
    EXPECT_STRNE(unknown.GetLastError(), "");
}

// A page of one strip written by hand: the header, one directory and a few bytes of data, so
// that its tags may claim what no writer would.
Bytes HandTiff(uint32_t width, uint32_t length, uint16_t compression, uint16_t samples,
               uint16_t bits, uint16_t photometric)
{
    struct Entry
    {
        uint16_t tag, type;
        uint32_t value;
    };
    const Entry entries[] = {{256, 4, width},       {257, 4, length},     {258, 3, bits},
                             {259, 3, compression}, {262, 3, photometric}, {273, 4, 200},
                             {277, 3, samples},     {278, 4, length},      {279, 4, 1000}};
    Bytes out = {'I', 'I', 42, 0, 8, 0, 0, 0, BYTE(std::size(entries)), 0};
    for (const Entry& e : entries)
        out.insert(out.end(), {BYTE(e.tag), BYTE(e.tag >> 8), BYTE(e.type), 0, 1, 0, 0, 0,
                               BYTE(e.value), BYTE(e.value >> 8), BYTE(e.value >> 16), BYTE(e.value >> 24)});
    out.resize(1200, 0);
    return out;
}

// A page claiming far more pixels than the file's bytes can code with its compression is
// refused before anything is allocated; a large plain page whose rows are all there decodes.
TEST(CRasterImageTIF, PagesBeyondTheirDataAreRefused)
{
    const struct
    {
        const char* name;
        Bytes file;
    } cases[] = {
        {"plain RGB", HandTiff(20000, 20000, COMPRESSION_NONE, 3, 8, PHOTOMETRIC_RGB)},
        {"LZW RGB", HandTiff(20000, 20000, COMPRESSION_LZW, 3, 8, PHOTOMETRIC_RGB)},
        {"16-bit RGB", HandTiff(12000, 12000, COMPRESSION_ADOBE_DEFLATE, 3, 16, PHOTOMETRIC_RGB)},
        {"fax", HandTiff(60000, 60000, COMPRESSION_CCITTFAX4, 1, 1, PHOTOMETRIC_MINISWHITE)},
        {"PackBits grey", HandTiff(30000, 30000, COMPRESSION_PACKBITS, 1, 8, PHOTOMETRIC_MINISBLACK)},
    };
    for (const auto& c : cases) {
        CRasterImage image;
        EXPECT_FALSE(DecodeFromBytes(image, c.file, RASTER_FORMAT_TIF)) << c.name;
        EXPECT_STREQ(image.GetLastError(), "TIFF: the page is larger than its data can fill") << c.name;
    }
    TiffSpec large;
    large.width = 6000;
    large.length = 3000;
    large.rowsPerStrip = 64;
    large.sample = [](uint32_t, uint32_t, int) { return uint16_t(7); };
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(large), RASTER_FORMAT_TIF)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 6000u);
}

uint64_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

uint64_t DoubleBits(double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return bits;
}

// Samples of every width up to 32 bits and floating point of 32 and 64 bits, grey, grey with
// alpha, RGB and palettes of 2^16 entries: each sample comes out scaled to 8 bits (integers from
// their full range, floating point from 0 to 1).
TEST(CRasterImageTIF, WideSamplesOfEveryWidth)
{
    struct Case
    {
        const char* name;
        uint16_t samples, bits, photometric, format;
        std::function<uint64_t(uint32_t, uint32_t, int)> wide;
        // The 8-bit value expected of channel c at (x, y).
        std::function<int(uint32_t, uint32_t, int)> expected;
    };
    auto scaled = [](uint64_t v, int bits) { const uint64_t top = (1ull << bits) - 1; return int((v * 255 + top / 2) / top); };
    std::vector<Case> cases;
    for (uint16_t bits : {10, 12, 14, 24, 32}) {
        const uint64_t top = (1ull << bits) - 1;
        cases.push_back({"grey", 1, bits, PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_UINT,
                         [top](uint32_t x, uint32_t y, int) { return top * (x + 8 * y) / 47; },
                         [=](uint32_t x, uint32_t y, int) { return scaled(top * (x + 8 * y) / 47, bits); }});
    }
    cases.push_back({"RGB 12", 3, 12, PHOTOMETRIC_RGB, SAMPLEFORMAT_UINT,
                     [](uint32_t x, uint32_t y, int c) { return uint64_t(x * 200 + y * 50 + c * 1100); },
                     [=](uint32_t x, uint32_t y, int c) { return scaled(x * 200 + y * 50 + c * 1100, 12); }});
    cases.push_back({"grey and alpha 32", 2, 32, PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_UINT,
                     [](uint32_t x, uint32_t, int c) { return c == 0 ? 0xFFFFFFFFull / (x + 1) : 0xFFFFFFFFull; },
                     [=](uint32_t x, uint32_t, int) { return scaled(0xFFFFFFFFull / (x + 1), 32); }});
    cases.push_back({"float 32", 1, 32, PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_IEEEFP,
                     [](uint32_t x, uint32_t y, int) { return FloatBits(float(x) / 7 - float(y) / 10); },
                     [](uint32_t x, uint32_t y, int) {
                         const double v = double(float(x) / 7 - float(y) / 10);
                         return v <= 0 ? 0 : v >= 1 ? 255 : int(v * 255 + 0.5);
                     }});
    cases.push_back({"float 64 RGB", 3, 64, PHOTOMETRIC_RGB, SAMPLEFORMAT_IEEEFP,
                     [](uint32_t x, uint32_t, int c) { return DoubleBits(x / 8.0 + c / 4.0); },
                     [](uint32_t x, uint32_t, int c) {
                         const double v = x / 8.0 + c / 4.0;
                         return v >= 1 ? 255 : int(v * 255 + 0.5);
                     }});
    cases.push_back({"signed 16", 1, 16, PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_INT,
                     [](uint32_t x, uint32_t, int) { return uint64_t(uint16_t(int16_t(-32768 + int(x) * 9000))); },
                     [=](uint32_t x, uint32_t, int) { return scaled(uint64_t(x) * 9000, 16); }});
    for (const Case& c : cases) {
        TiffSpec spec;
        spec.samples = c.samples;
        spec.bits = c.bits;
        spec.photometric = c.photometric;
        spec.sampleFormat = c.format;
        spec.wide = c.wide;
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(spec), RASTER_FORMAT_TIF)) << c.name << " " << c.bits << ": " << image.GetLastError();
        for (uint32_t y = 0; y < spec.length; ++y)
            for (uint32_t x = 0; x < spec.width; ++x) {
                const RGBQUAD q = Top(image, long(x), long(y));
                const int rgb = c.photometric == PHOTOMETRIC_RGB;
                EXPECT_EQ(q.rgbRed, c.expected(x, y, 0)) << c.name << " " << c.bits << " at " << x << "," << y;
                EXPECT_EQ(q.rgbGreen, c.expected(x, y, rgb)) << c.name << " " << c.bits;
                EXPECT_EQ(q.rgbBlue, c.expected(x, y, 2 * rgb)) << c.name << " " << c.bits;
            }
        EXPECT_EQ(image.AlphaIsValid(), c.samples == 2) << c.name;
    }

    // A palette of 2^16 entries: the picture is true colour through the map.
    TiffSpec palette;
    palette.bits = 16;
    palette.photometric = PHOTOMETRIC_PALETTE;
    palette.colormap.assign(3 * 65536, 0);
    for (uint32_t i = 0; i < 65536; ++i) {
        palette.colormap[i] = uint16_t(i);
        palette.colormap[65536 + i] = uint16_t(65535 - i);
        palette.colormap[2 * 65536 + i] = uint16_t(i * 7);
    }
    palette.sample = [](uint32_t x, uint32_t y, int) { return uint16_t(x * 4000 + y * 300); };
    CRasterImage paletted;
    ASSERT_TRUE(DecodeFromBytes(paletted, WriteTiff(palette), RASTER_FORMAT_TIF)) << paletted.GetLastError();
    EXPECT_EQ(paletted.GetBpp(), 24u);
    const uint32_t index = 3 * 4000 + 2 * 300;
    const RGBQUAD q = Top(paletted, 3, 2);
    EXPECT_EQ(q.rgbRed, (palette.colormap[index] * 255u + 32767u) / 65535u);
    EXPECT_EQ(q.rgbGreen, (palette.colormap[65536 + index] * 255u + 32767u) / 65535u);
    EXPECT_EQ(q.rgbBlue, (palette.colormap[2 * 65536 + index] * 255u + 32767u) / 65535u);
}

// Pages compressed with LZMA and (lossless) WebP read back exactly.
TEST(CRasterImageTIF, LzmaAndWebPPages)
{
    for (const uint16_t compression : {uint16_t(COMPRESSION_LZMA), uint16_t(COMPRESSION_WEBP)}) {
        TiffSpec spec;
        spec.width = 40;
        spec.length = 24;
        spec.samples = 3;
        spec.photometric = PHOTOMETRIC_RGB;
        spec.rowsPerStrip = 24;
        spec.compression = compression;
        spec.sample = [](uint32_t x, uint32_t y, int c) { return uint16_t((x * 6 + y * 9 + c * 70) & 0xFF); };
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(spec), RASTER_FORMAT_TIF)) << compression << ": " << image.GetLastError();
        for (uint32_t y = 0; y < spec.length; ++y)
            for (uint32_t x = 0; x < spec.width; ++x) {
                const RGBQUAD q = Top(image, long(x), long(y));
                ASSERT_EQ(q.rgbRed, spec.sample(x, y, 0)) << compression << " at " << x << "," << y;
                ASSERT_EQ(q.rgbGreen, spec.sample(x, y, 1)) << compression;
                ASSERT_EQ(q.rgbBlue, spec.sample(x, y, 2)) << compression;
            }
    }
}

TEST(CRasterImageTIF, CieLabPagesBecomeTrueColour)
{
    TiffSpec s;
    s.samples = 3;
    s.photometric = PHOTOMETRIC_CIELAB;
    s.sample = [](uint32_t x, uint32_t, int k) { return uint16_t(k == 0 ? (x < 4 ? 255 : 0) : 0); };
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(s), RASTER_FORMAT_TIF)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 24);
    const RGBQUAD white = Top(image, 1, 1), black = Top(image, 6, 1);
    EXPECT_GE(white.rgbRed, 250);
    EXPECT_GE(white.rgbGreen, 250);
    EXPECT_GE(white.rgbBlue, 250);
    EXPECT_LE(black.rgbRed + black.rgbGreen + black.rgbBlue, 30); // the cube of L* = 0 is near black
}

TEST(CRasterImageTIF, ResolutionInCentimetres)
{
    TiffSpec s;
    s.xres = 100;
    s.unit = RESUNIT_CENTIMETER;
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, WriteTiff(s), RASTER_FORMAT_TIF));
    EXPECT_EQ(image.GetXDPI(), 254);
    EXPECT_EQ(image.GetYDPI(), 254);
}

TEST(CRasterImageTIF, EncoderChoosesCompressionAndPhotometric)
{
    CRasterImage colour, bw, greyAlpha;
    FillPattern(colour, 30, 30, 24);
    FillPattern(bw, 30, 30, 1);
    FillPattern(greyAlpha, 8, 8, 8, true);
    greyAlpha.AlphaCreate();
    {
        TiffReader r(EncodeToBytes(colour, RASTER_FORMAT_TIF));
        ASSERT_NE(r.tif, nullptr);
        EXPECT_EQ(r.Get(TIFFTAG_COMPRESSION), COMPRESSION_JPEG);
        EXPECT_EQ(r.Get(TIFFTAG_ROWSPERSTRIP) % 8, 0u);
        EXPECT_EQ(r.Get(TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_RGB);
    }
    {
        TiffReader r(EncodeToBytes(bw, RASTER_FORMAT_TIF));
        ASSERT_NE(r.tif, nullptr);
        EXPECT_EQ(r.Get(TIFFTAG_COMPRESSION), COMPRESSION_CCITTFAX4);
        EXPECT_EQ(r.Get(TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISWHITE);
    }
    {
        TiffReader r(EncodeToBytes(greyAlpha, RASTER_FORMAT_TIF));
        ASSERT_NE(r.tif, nullptr);
        EXPECT_EQ(r.Get(TIFFTAG_SAMPLESPERPIXEL), 2u);
        EXPECT_EQ(r.Get(TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
    }
}

TEST(CRasterImageTIF, OneBitImageIsWrittenWithoutChangingIt)
{
    CRasterImage bw;
    FillPattern(bw, 12, 3, 1);
    bw.SetPaletteColor(0, 0, 0, 0);
    bw.SetPaletteColor(1, 255, 255, 255);
    const BYTE before = *bw.GetBits(1);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, EncodeToBytes(bw, RASTER_FORMAT_TIF), RASTER_FORMAT_TIF));
    EXPECT_EQ(*bw.GetBits(1), before);
    EXPECT_EQ(bw.GetPaletteColor(0).rgbRed, 0);
    EXPECT_EQ(MaxChannelDifference(bw, back), 0);
}

TEST(CRasterImageTIF, MalformedInputSweep)
{
    CRasterImage palette, bw;
    FillPattern(palette, 19, 7, 8);
    FillPattern(bw, 21, 5, 1);
    TiffSpec tiled;
    tiled.width = 20;
    tiled.length = 18;
    tiled.tile = 16;
    TiffSpec wide;
    wide.bits = 16;
    wide.samples = 2;
    const std::vector<Bytes> files = {EncodeToBytes(palette, RASTER_FORMAT_TIF),
                                      EncodeToBytes(bw, RASTER_FORMAT_TIF), WriteTiff(tiled),
                                      WriteTiff(wide)};
    MalformedInputSweep(files, RASTER_FORMAT_TIF, 3000, 400);
}

} // namespace
