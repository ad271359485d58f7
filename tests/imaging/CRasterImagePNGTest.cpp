// The PNG codec: round trips of every depth (plain and interlaced), the colour types libpng maps,
// transparency in both directions, resolution, palette trimming, an encoder that leaves the
// caller's image alone, create and write failures, and damaged files.
#include "imaging/CRasterImagePNG.h"

#include "imaging/CRasterMemFile.h"
#include "tests/imaging/RasterCodecTestKit.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <functional>

using namespace orvo::test;

namespace {

struct PngSpec
{
    int width = 8, height = 6, colorType = PNG_COLOR_TYPE_GRAY, bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> trans;
    bool keyed = false;
    png_color_16 keyColor = {}; // the transparent colour of a grey or colour picture
    bool background = false;
    png_color_16 backgroundColor = {};
    bool phys = false;
    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    // Sample value of channel c at (x, y) counted from the top.
    std::function<int(int x, int y, int c)> sample = [](int x, int y, int c) {
        return x * 7 + y * 3 + c * 50;
    };
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes WritePng(const PngSpec& s)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendBytes, nullptr);
    png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.trans.empty())
        png_set_tRNS(png, info, s.trans.data(), int(s.trans.size()), nullptr);
    if (s.keyed)
        png_set_tRNS(png, info, nullptr, 0, &s.keyColor);
    if (s.background)
        png_set_bKGD(png, info, &s.backgroundColor);
    if (s.phys)
        png_set_pHYs(png, info, s.resX, s.resY, s.unit);
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const int bytesPerSample = s.bitDepth == 16 ? 2 : 1;
    std::vector<std::vector<png_byte>> rows(size_t(s.height));
    for (int y = 0; y < s.height; ++y) {
        std::vector<png_byte>& row = rows[size_t(y)];
        row.assign(png_get_rowbytes(png, info), 0);
        for (int x = 0; x < s.width; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = s.sample(x, y, c);
                if (s.bitDepth < 8) {
                    const int perByte = 8 / s.bitDepth;
                    const int shift = 8 - s.bitDepth * (x % perByte + 1);
                    row[size_t(x / perByte)] |= png_byte((v & ((1 << s.bitDepth) - 1)) << shift);
                } else {
                    png_byte* p = &row[size_t((x * channels + c) * bytesPerSample)];
                    if (bytesPerSample == 2) {
                        p[0] = png_byte(v >> 8);
                        p[1] = png_byte(v);
                    } else {
                        p[0] = png_byte(v);
                    }
                }
            }
    }
    std::vector<png_bytep> pointers;
    for (auto& r : rows)
        pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Top-down pixel of an image (the stored rows are bottom-up).
RGBQUAD Pixel(const CRasterImage& image, int x, int yFromTop)
{
    return image.GetPixelColor(x, long(image.GetHeight()) - 1 - yFromTop, false);
}

struct RoundTripCase
{
    DWORD width, height;
    WORD bpp;
    bool alpha;
    bool interlaced;
};

class PngRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(PngRoundTrip, ExactThroughDetection)
{
    const RoundTripCase c = GetParam();
    CRasterImage source;
    FillPattern(source, c.width, c.height, c.bpp);
    if (c.alpha) {
        source.AlphaCreate();
        for (DWORD y = 0; y < c.height; ++y)
            for (DWORD x = 0; x < c.width; ++x)
                source.AlphaSet(long(x), long(y), BYTE(x * 40 + y));
    }
    source.SetCodecOption(c.interlaced ? 1 : 0, RASTER_FORMAT_PNG);
    source.SetXDPI(300);
    const Bytes bytes = EncodeToBytes(source, RASTER_FORMAT_PNG);
    ASSERT_FALSE(bytes.empty()) << source.GetLastError();
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_UNKNOWN)) << back.GetLastError();
    EXPECT_EQ(back.GetType(), RASTER_FORMAT_PNG);
    EXPECT_EQ(back.GetBpp(), c.bpp);
    EXPECT_EQ(MaxChannelDifference(source, back), 0);
    EXPECT_EQ(back.GetXDPI(), 300);
    EXPECT_EQ(back.GetCodecOption(RASTER_FORMAT_PNG), c.interlaced ? 1u : 0u);
    ASSERT_EQ(back.AlphaIsValid(), c.alpha);
    for (DWORD y = 0; c.alpha && y < c.height; ++y)
        for (DWORD x = 0; x < c.width; ++x)
            ASSERT_EQ(back.AlphaGet(long(x), long(y)), source.AlphaGet(long(x), long(y)));
}

INSTANTIATE_TEST_SUITE_P(Depths, PngRoundTrip,
                         testing::Values(RoundTripCase{1, 1, 1, false, false},
                                         RoundTripCase{33, 9, 1, false, true},
                                         RoundTripCase{17, 5, 4, false, false},
                                         RoundTripCase{10, 10, 4, false, true},
                                         RoundTripCase{300, 3, 8, false, false},
                                         RoundTripCase{13, 11, 8, false, true},
                                         RoundTripCase{7, 3, 24, false, false},
                                         RoundTripCase{9, 9, 24, false, true},
                                         RoundTripCase{5, 4, 24, true, false},
                                         RoundTripCase{12, 9, 24, true, true}));

TEST(CRasterImagePNG, TwoBitGreyBecomesFourBitsPlainOrInterlaced)
{
    for (bool interlaced : {false, true}) {
        PngSpec s;
        s.width = 11;
        s.height = 9;
        s.bitDepth = 2;
        s.interlaced = interlaced;
        s.sample = [](int x, int y, int) { return (x + y) % 4; };
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WritePng(s), RASTER_FORMAT_PNG));
        EXPECT_EQ(image.GetBpp(), 4);
        for (BYTE i = 0; i < 4; ++i)
            EXPECT_EQ(image.GetPaletteColor(i).rgbGreen, 85 * i);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                ASSERT_EQ(image.GetPixelIndex(x, s.height - 1 - y), (x + y) % 4)
                    << interlaced << " " << x << "," << y;
    }
}

TEST(CRasterImagePNG, EightBitRgbaKeepsAlphaAndBackground)
{
    PngSpec s;
    s.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    s.background = true;
    s.backgroundColor = {0, 10, 20, 30, 0};
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, WritePng(s), RASTER_FORMAT_PNG));
    EXPECT_EQ(image.GetBpp(), 24);
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(2, s.height - 1 - 1), (2 * 7 + 1 * 3 + 150) & 0xFF);
    const RGBQUAD p = Pixel(image, 2, 1);
    EXPECT_EQ(p.rgbRed, 2 * 7 + 3);
    EXPECT_EQ(p.rgbGreen, 2 * 7 + 3 + 50);
    EXPECT_EQ(p.rgbBlue, 2 * 7 + 3 + 100);
    const RGBQUAD t = image.GetTransColor();
    EXPECT_EQ(t.rgbRed, 10);
    EXPECT_EQ(t.rgbGreen, 20);
    EXPECT_EQ(t.rgbBlue, 30);
}

// Every colour type with an alpha channel keeps it at both depths, its colours as stored.
TEST(CRasterImagePNG, AlphaChannelsKeepTheirOpacity)
{
    const struct {
        const char* name;
        int colorType, bitDepth;
        int colour, alpha; // of every pixel, in the file's depth
        BYTE red, opacity; // as read
    } cases[] = {
        {"16-bit RGBA, transparent white", PNG_COLOR_TYPE_RGB_ALPHA, 16, 0xFFFF, 0, 255, 0},
        {"16-bit RGBA, half opaque", PNG_COLOR_TYPE_RGB_ALPHA, 16, 0x0300, 0x8000, 3, 128},
        {"8-bit grey and alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 200, 100, 200, 100},
        {"16-bit grey and alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 16, 0xC800, 0x6400, 200, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PngSpec s;
        s.colorType = c.colorType;
        s.bitDepth = c.bitDepth;
        const int alphaChannel = c.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 3 : 1;
        s.sample = [&c, alphaChannel](int, int, int channel) {
            return channel == alphaChannel ? c.alpha : c.colour;
        };
        s.background = c.bitDepth == 16;
        s.backgroundColor = {0, 0x1100, 0x2200, 0x3300, 0x4400};
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WritePng(s), RASTER_FORMAT_PNG)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 24);
        ASSERT_TRUE(image.AlphaIsValid());
        EXPECT_EQ(image.AlphaGet(3, 3), c.opacity);
        const RGBQUAD p = Pixel(image, 3, 3);
        EXPECT_EQ(p.rgbRed, c.red);
        EXPECT_EQ(p.rgbGreen, c.red);
        EXPECT_EQ(p.rgbBlue, c.red);
        if (s.background) {
            // The background's high byte (a grey one is given as its grey level).
            EXPECT_EQ(image.GetTransColor().rgbRed, alphaChannel == 3 ? 0x11 : 0x44);
        }
    }
}

// A transparent colour was once laid over grey 192: the picture lost its transparency.
TEST(CRasterImagePNG, TransparentColourBecomesOpacity)
{
    const struct {
        const char* name;
        int colorType, bitDepth;
        png_color_16 key;
        int kept; // a sample value of the other pixels, in the file's depth
        BYTE keptRed; // as read
    } cases[] = {
        {"8-bit RGB", PNG_COLOR_TYPE_RGB, 8, {0, 10, 20, 30, 0}, 200, 200},
        {"16-bit RGB", PNG_COLOR_TYPE_RGB, 16, {0, 0x0A00, 0x1400, 0x1E00, 0}, 0xC800, 200},
        {"8-bit grey", PNG_COLOR_TYPE_GRAY, 8, {0, 0, 0, 0, 40}, 200, 200},
        {"2-bit grey", PNG_COLOR_TYPE_GRAY, 2, {0, 0, 0, 0, 1}, 3, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PngSpec s;
        s.colorType = c.colorType;
        s.bitDepth = c.bitDepth;
        s.keyed = true;
        s.keyColor = c.key;
        // The left half is the transparent colour.
        s.sample = [&c](int x, int, int channel) {
            if (x >= 4)
                return c.kept;
            if (c.colorType == PNG_COLOR_TYPE_GRAY)
                return int(c.key.gray);
            return int(channel == 0 ? c.key.red : channel == 1 ? c.key.green : c.key.blue);
        };
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WritePng(s), RASTER_FORMAT_PNG)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 24);
        ASSERT_TRUE(image.AlphaIsValid());
        EXPECT_EQ(image.AlphaGet(1, 2), 0);
        EXPECT_EQ(image.AlphaGet(6, 2), 255);
        const RGBQUAD p = Pixel(image, 6, 2);
        EXPECT_EQ(p.rgbRed, c.keptRed) << "the other colours are kept, not laid over grey";
        EXPECT_EQ(p.rgbBlue, c.keptRed);
    }
}

TEST(CRasterImagePNG, SixteenBitGreyKeepsTheHighBytes)
{
    PngSpec s;
    s.bitDepth = 16;
    s.sample = [](int x, int, int) { return x * 0x1234; };
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, WritePng(s), RASTER_FORMAT_PNG));
    EXPECT_EQ(image.GetBpp(), 8);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 0x36);
}

TEST(CRasterImagePNG, PaletteTransparency)
{
    PngSpec s;
    s.colorType = PNG_COLOR_TYPE_PALETTE;
    s.bitDepth = 4;
    s.palette.assign(5, png_color{1, 2, 3});
    s.sample = [](int x, int, int) { return x % 5; };
    s.trans = {0};
    CRasterImage single;
    ASSERT_TRUE(DecodeFromBytes(single, WritePng(s), RASTER_FORMAT_PNG));
    EXPECT_EQ(single.GetTransIndex(), 0);
    EXPECT_FALSE(single.AlphaPaletteIsValid());
    s.trans = {255, 128};
    CRasterImage partial;
    ASSERT_TRUE(DecodeFromBytes(partial, WritePng(s), RASTER_FORMAT_PNG));
    EXPECT_EQ(partial.GetTransIndex(), -1);
    EXPECT_EQ(partial.GetPaletteColor(1).rgbReserved, 128);
    EXPECT_EQ(partial.GetPaletteColor(7).rgbReserved, 255);
}

TEST(CRasterImagePNG, ResolutionFromPhys)
{
    const struct
    {
        png_uint_32 x, y;
        int unit;
        LONG dpiX, dpiY;
    } cases[] = {{3780, 3780, PNG_RESOLUTION_METER, 96, 96},
                 {11811, 5906, PNG_RESOLUTION_METER, 300, 150},
                 {3, 2, PNG_RESOLUTION_UNKNOWN, 3, 2}};
    for (const auto& c : cases) {
        PngSpec s;
        s.phys = true;
        s.resX = c.x;
        s.resY = c.y;
        s.unit = c.unit;
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WritePng(s), RASTER_FORMAT_PNG));
        EXPECT_EQ(image.GetXDPI(), c.dpiX);
        EXPECT_EQ(image.GetYDPI(), c.dpiY);
    }
}

// Entries of the PLTE chunk of a PNG byte image, and the bytes of its tRNS chunk.
size_t ChunkLength(const Bytes& png, const char* type)
{
    for (size_t i = 8; i + 8 <= png.size();) {
        const size_t length = (size_t(png[i]) << 24) | (png[i + 1] << 16) | (png[i + 2] << 8) | png[i + 3];
        if (std::memcmp(&png[i + 4], type, 4) == 0)
            return length;
        i += 12 + length;
    }
    return 0;
}

TEST(CRasterImagePNG, SmallPicturesListOnlyUsedEntries)
{
    for (DWORD side : {100u, 300u}) {
        CRasterImage image;
        image.Create(side, side, 4, 0);
        for (DWORD y = 0; y < side; ++y)
            for (DWORD x = 0; x < side; ++x)
                image.SetPixelIndex(long(x), long(y), BYTE((x + y) % 6));
        const Bytes png = EncodeToBytes(image, RASTER_FORMAT_PNG);
        EXPECT_EQ(ChunkLength(png, "PLTE"), side == 100 ? 18u : 48u);
    }
}

TEST(CRasterImagePNG, TransparentIndexMovesToZeroInTheFileOnly)
{
    CRasterImage image;
    FillPattern(image, 6, 4, 4);
    image.SetTransIndex(5);
    const RGBQUAD entry0 = image.GetPaletteColor(0), entry5 = image.GetPaletteColor(5);
    const BYTE pixel = image.GetPixelIndex(5, 0);
    const Bytes png = EncodeToBytes(image, RASTER_FORMAT_PNG);
    ASSERT_FALSE(png.empty());
    // The caller's image is as it was.
    EXPECT_EQ(image.GetTransIndex(), 5);
    const RGBQUAD after5 = image.GetPaletteColor(5);
    EXPECT_EQ(std::memcmp(&after5, &entry5, 4), 0);
    EXPECT_EQ(image.GetPixelIndex(5, 0), pixel);
    EXPECT_EQ(ChunkLength(png, "tRNS"), 1u);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, png, RASTER_FORMAT_PNG));
    EXPECT_EQ(back.GetTransIndex(), 0);
    EXPECT_EQ(back.GetPaletteColor(0).rgbRed, entry5.rgbRed);
    EXPECT_EQ(back.GetPaletteColor(5).rgbRed, entry0.rgbRed);
    EXPECT_EQ(MaxChannelDifference(image, back), 0);
}

TEST(CRasterImagePNG, TransparentColourBecomesAlphaInTheFileOnly)
{
    CRasterImage image;
    FillPattern(image, 8, 8, 24);
    const RGBQUAD key = image.GetPixelColor(3, 2, false);
    image.SetTransIndex(0);
    image.SetTransColor(key);
    const Bytes png = EncodeToBytes(image, RASTER_FORMAT_PNG);
    ASSERT_FALSE(png.empty());
    EXPECT_FALSE(image.AlphaIsValid());
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, png, RASTER_FORMAT_PNG));
    ASSERT_TRUE(back.AlphaIsValid());
    for (long y = 0; y < 8; ++y)
        for (long x = 0; x < 8; ++x) {
            const RGBQUAD p = image.GetPixelColor(x, y, false);
            const bool keyed = p.rgbRed == key.rgbRed && p.rgbGreen == key.rgbGreen &&
                               p.rgbBlue == key.rgbBlue;
            EXPECT_EQ(back.AlphaGet(x, y), keyed ? 0 : 255);
        }
}

// One chunk with its length and CRC.
Bytes Chunk(const char* type, const Bytes& data)
{
    Bytes out;
    const size_t n = data.size();
    out.insert(out.end(), {BYTE(n >> 24), BYTE(n >> 16), BYTE(n >> 8), BYTE(n)});
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    const uLong crc = crc32(0, body.data(), uInt(body.size()));
    out.insert(out.end(), {BYTE(crc >> 24), BYTE(crc >> 16), BYTE(crc >> 8), BYTE(crc)});
    return out;
}

// A PNG header whose picture is too large for the image class.
Bytes HugePng()
{
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto chunk = [&](const char* type, const Bytes& data) {
        const Bytes c = Chunk(type, data);
        png.insert(png.end(), c.begin(), c.end());
    };
    chunk("IHDR", Bytes{0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 2, 0, 0, 0}); // 100000 x 100000 RGB
    chunk("IDAT", Bytes{0x78, 0x9C, 0x03, 0x00});
    chunk("IEND", Bytes());
    return png;
}

// Ancillary chunks stay small and few: a compressed text that inflates to 64 MB and thousands of
// text chunks are dropped, and the picture still decodes.
TEST(CRasterImagePNG, AncillaryChunksAreBounded)
{
    PngSpec spec;
    const Bytes plain = WritePng(spec);
    const std::vector<Bytef> text(64u * 1024u * 1024u, 'a');
    uLongf packedSize = compressBound(uLong(text.size()));
    std::vector<Bytef> packed(packedSize);
    ASSERT_EQ(compress2(packed.data(), &packedSize, text.data(), uLong(text.size()), 9), Z_OK);
    Bytes ztxt = {'b', 'o', 'm', 'b', 0, 0};
    ztxt.insert(ztxt.end(), packed.begin(), packed.begin() + long(packedSize));
    Bytes extra = Chunk("zTXt", ztxt);
    for (int i = 0; i < 3000; ++i) {
        const Bytes t = Chunk("tEXt", Bytes{'k', 0, 'v'});
        extra.insert(extra.end(), t.begin(), t.end());
    }
    Bytes forged = plain;
    forged.insert(forged.begin() + 33, extra.begin(), extra.end()); // after the signature and IHDR
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, forged, RASTER_FORMAT_PNG)) << image.GetLastError();
    CRasterImage expected;
    ASSERT_TRUE(DecodeFromBytes(expected, plain, RASTER_FORMAT_PNG));
    EXPECT_EQ(MaxChannelDifference(image, expected), 0);
}

// A chunk whose length claims two gigabytes in a file of a few dozen bytes is refused at once,
// whatever its kind (libpng only warns about such a length, then would allocate it); a picture
// far larger than its image data can fill is refused before its memory is taken. A large flat
// picture, whose data is small but enough, still decodes.
TEST(CRasterImagePNG, ClaimsBeyondTheFileAreRefusedBeforeTheyAreAllocated)
{
    const Bytes signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const Bytes ihdr = Chunk("IHDR", Bytes{0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0});
    for (const char* type : {"iTXt", "sCAL", "tEXt", "sPLT", "pCAL", "zTXt", "iCCP", "eXIf"}) {
        Bytes png = signature;
        png.insert(png.end(), ihdr.begin(), ihdr.end());
        png.insert(png.end(), {0x7F, 0xFF, 0xFF, 0xF0});
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), {'a', 'b', 'c', 'd'});
        CRasterImage image;
        EXPECT_FALSE(DecodeFromBytes(image, png, RASTER_FORMAT_PNG)) << type;
        EXPECT_STREQ(image.GetLastError(), "Read Error") << type;
    }

    Bytes overclaimed = signature;
    for (const Bytes& c : {Chunk("IHDR", Bytes{0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20, 8, 6, 0, 0, 0}),
                           Chunk("IDAT", Bytes{0x78, 0x9C, 0x03, 0x00}), Chunk("IEND", Bytes())})
        overclaimed.insert(overclaimed.end(), c.begin(), c.end()); // 20000 x 20000 RGBA
    CRasterImage refused;
    EXPECT_FALSE(DecodeFromBytes(refused, overclaimed, RASTER_FORMAT_PNG));
    EXPECT_STREQ(refused.GetLastError(), "PNG: the picture is larger than its data can fill");

    PngSpec flat;
    flat.width = 6000;
    flat.height = 3000;
    flat.sample = [](int, int, int) { return 0; };
    const Bytes large = WritePng(flat);
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, large, RASTER_FORMAT_PNG)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 6000u);
}

TEST(CRasterImagePNG, DecodeStopsWhenCreateFails)
{
    CRasterImage image;
    FillPattern(image, 4, 4, 24);
    EXPECT_FALSE(DecodeFromBytes(image, HugePng(), RASTER_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "RASTER_MAX_MEMORY exceeded");
    EXPECT_EQ(image.GetWidth(), 4u); // the old picture stays
}

TEST(CRasterImagePNG, MalformedInputSweep)
{
    PngSpec interlacedPalette;
    interlacedPalette.colorType = PNG_COLOR_TYPE_PALETTE;
    interlacedPalette.palette.assign(16, png_color{9, 8, 7});
    interlacedPalette.trans = {0, 200};
    interlacedPalette.interlaced = true;
    interlacedPalette.sample = [](int x, int y, int) { return (x ^ y) & 15; };
    PngSpec rgba;
    rgba.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    PngSpec grey2;
    grey2.bitDepth = 2;
    grey2.interlaced = true;
    const std::vector<Bytes> files = {WritePng(interlacedPalette), WritePng(rgba), WritePng(grey2)};
    MalformedInputSweep(files, RASTER_FORMAT_PNG, 3000);
    // With their checksums mended, damaged chunks reach the decoding itself.
    MalformedInputSweep(files, RASTER_FORMAT_PNG, 3000, 0, [](Bytes& png) {
        for (size_t i = 8; i + 12 <= png.size();) {
            const size_t length = (size_t(png[i]) << 24) | (png[i + 1] << 16) | (png[i + 2] << 8) | png[i + 3];
            if (length > png.size() - i - 12)
                return;
            const uLong crc = crc32(0, &png[i + 4], uInt(length + 4));
            for (int k = 0; k < 4; ++k)
                png[i + 8 + length + k] = BYTE(crc >> (24 - 8 * k));
            i += 12 + length;
        }
    });
}

} // namespace

namespace {

// A file named for one format whose bytes are another's opens by its bytes; a damaged file of the
// named format keeps its own reader's reason.
TEST(CRasterImagePNG, BytesOfAnotherFormatThanTheNameSays)
{
    CRasterImage source;
    FillPattern(source, 7, 5, 24);
    const Bytes png = EncodeToBytes(source, RASTER_FORMAT_PNG);
    ASSERT_FALSE(png.empty());
    for (const DWORD named : {DWORD(RASTER_FORMAT_PNM), DWORD(RASTER_FORMAT_BMP), DWORD(RASTER_FORMAT_TGA)}) {
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, png, named)) << named << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), RASTER_FORMAT_PNG);
        EXPECT_EQ(MaxChannelDifference(source, image), 0);
    }
    const Bytes pnm = {'P', '6', '\n', '9', '9', ' ', '9', '9', '\n', '2', '5', '5', '\n', 1, 2, 3};
    CRasterImage cut;
    EXPECT_FALSE(DecodeFromBytes(cut, pnm, RASTER_FORMAT_PNM));
    CRasterImage direct;
    EXPECT_FALSE(DecodeFromBytes(direct, Bytes(png.begin(), png.begin() + 40), RASTER_FORMAT_PNM));
    EXPECT_STRNE(direct.GetLastError(), "") << "a reason is given";
}

} // namespace
