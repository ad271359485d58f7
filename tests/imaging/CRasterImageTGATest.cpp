// The TGA codec: round trips, 15/16-bit pixels, origins, run-length packets across rows, colour
// maps of every entry size with a first-entry offset, refusals and damaged files.
#include "imaging/CRasterImageTGA.h"

#include "tests/imaging/RasterCodecTestKit.h"

#include <gtest/gtest.h>

using namespace orvo::test;

namespace {

struct TgaSpec
{
    BYTE imageType = 2;
    BYTE depth = 24;
    WORD width = 4, height = 2;
    BYTE descriptor = 0;
    BYTE mapType = 0;
    WORD mapFirst = 0, mapLength = 0;
    BYTE mapEntrySize = 0;
    Bytes id, map, data;
};

Bytes MakeTga(const TgaSpec& s)
{
    Bytes out = {BYTE(s.id.size()), s.mapType, s.imageType,
                 BYTE(s.mapFirst), BYTE(s.mapFirst >> 8), BYTE(s.mapLength), BYTE(s.mapLength >> 8),
                 s.mapEntrySize, 0, 0, 0, 0,
                 BYTE(s.width), BYTE(s.width >> 8), BYTE(s.height), BYTE(s.height >> 8),
                 s.depth, s.descriptor};
    for (const Bytes* part : {&s.id, &s.map, &s.data})
        out.insert(out.end(), part->begin(), part->end());
    return out;
}

RGBQUAD At(const CRasterImage& image, long x, long y)
{
    return image.GetPixelColor(x, y, false);
}

struct RoundTripCase
{
    DWORD width, height;
    WORD bpp;
    bool alpha;
};

class TgaRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(TgaRoundTrip, Exact)
{
    const RoundTripCase c = GetParam();
    CRasterImage source;
    FillPattern(source, c.width, c.height, c.bpp);
    if (c.alpha) {
        source.AlphaCreate();
        source.AlphaSet(1, 0, 7);
    }
    const Bytes bytes = EncodeToBytes(source, RASTER_FORMAT_TGA);
    ASSERT_FALSE(bytes.empty()) << source.GetLastError();
    EXPECT_EQ(bytes[16], c.alpha ? 32 : c.bpp);
    EXPECT_EQ(bytes[17], 0);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_TGA)) << back.GetLastError();
    EXPECT_EQ(back.GetBpp(), c.bpp);
    EXPECT_EQ(MaxChannelDifference(source, back), 0);
    EXPECT_EQ(back.AlphaIsValid(), c.alpha);
    if (c.alpha) {
        EXPECT_EQ(back.AlphaGet(1, 0), 7);
        EXPECT_EQ(back.AlphaGet(0, 0), 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, TgaRoundTrip,
                         testing::Values(RoundTripCase{1, 1, 8, false}, RoundTripCase{13, 7, 8, false},
                                         RoundTripCase{5, 3, 24, false},
                                         RoundTripCase{9, 4, 24, true}));

TEST(CRasterImageTGA, SixteenBitPixels)
{
    TgaSpec s;
    s.depth = 16;
    s.width = 2;
    s.height = 1;
    s.data = {0xFF, 0x7F, 0x1F, 0x00};
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, MakeTga(s), RASTER_FORMAT_TGA));
    const RGBQUAD white = At(image, 0, 0), blue = At(image, 1, 0);
    EXPECT_EQ(white.rgbRed, 248);
    EXPECT_EQ(white.rgbGreen, 248);
    EXPECT_EQ(white.rgbBlue, 248);
    EXPECT_EQ(blue.rgbBlue, 248);
    EXPECT_EQ(blue.rgbRed, 0);
}

// Grey at 16 bits is a grey byte and an alpha byte per pixel, raw and run-length coded.
TEST(CRasterImageTGA, GreyWithAlpha)
{
    for (const BYTE type : {BYTE(3), BYTE(11)}) {
        TgaSpec s;
        s.imageType = type;
        s.depth = 16;
        s.width = 3;
        s.height = 1;
        s.data = type == 3 ? Bytes{100, 255, 200, 0, 30, 128} : Bytes{0x00, 100, 255, 0x81, 200, 0};
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, MakeTga(s), RASTER_FORMAT_TGA)) << int(type);
        ASSERT_TRUE(image.AlphaIsValid());
        EXPECT_EQ(At(image, 0, 0).rgbRed, 100);
        EXPECT_EQ(At(image, 0, 0).rgbBlue, 100);
        EXPECT_EQ(image.AlphaGet(0, 0), 255);
        EXPECT_EQ(At(image, 1, 0).rgbGreen, 200);
        EXPECT_EQ(image.AlphaGet(1, 0), 0);
        EXPECT_EQ(At(image, 2, 0).rgbRed, type == 3 ? 30 : 200);
        EXPECT_EQ(image.AlphaGet(2, 0), type == 3 ? 128 : 0);
    }
}

TEST(CRasterImageTGA, TopLeftOriginShowsTheSamePicture)
{
    TgaSpec bottom;
    bottom.depth = 32;
    bottom.width = 1;
    // File rows bottom first: a red opaque pixel, then a blue half-transparent one.
    bottom.data = {0, 0, 255, 255, 255, 0, 0, 128};
    TgaSpec top = bottom;
    top.descriptor = 0x20;
    top.data = {255, 0, 0, 128, 0, 0, 255, 255};
    CRasterImage a, b;
    ASSERT_TRUE(DecodeFromBytes(a, MakeTga(bottom), RASTER_FORMAT_TGA));
    ASSERT_TRUE(DecodeFromBytes(b, MakeTga(top), RASTER_FORMAT_TGA));
    EXPECT_EQ(MaxChannelDifference(a, b), 0);
    for (long y = 0; y < 2; ++y)
        EXPECT_EQ(a.AlphaGet(0, y), b.AlphaGet(0, y));
    EXPECT_EQ(a.AlphaGet(0, 1), 128);
    EXPECT_EQ(At(a, 0, 1).rgbBlue, 255);
}

TEST(CRasterImageTGA, RightToLeftRowsAreMirrored)
{
    TgaSpec s;
    s.width = 2;
    s.height = 1;
    s.descriptor = 0x10;
    s.data = {1, 2, 3, 4, 5, 6};
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, MakeTga(s), RASTER_FORMAT_TGA));
    EXPECT_EQ(At(image, 0, 0).rgbBlue, 4);
}

TEST(CRasterImageTGA, PacketsCarryOverToTheNextRow)
{
    TgaSpec s;
    s.imageType = 10;
    s.width = 8;
    s.height = 2;
    // Row 0: 4 raw pixels, then a run of 10 (4 here, 6 on row 1), then 2 raw pixels split 0/2.
    s.data = {0x03, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 0x89, 9, 9, 9, 0x01, 5, 5, 5, 6, 6, 6};
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, MakeTga(s), RASTER_FORMAT_TGA)) << image.GetLastError();
    const BYTE expected[2][8] = {{1, 2, 3, 4, 9, 9, 9, 9}, {9, 9, 9, 9, 9, 9, 5, 6}};
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 8; ++x)
            EXPECT_EQ(At(image, x, y).rgbBlue, expected[y][x]) << x << "," << y;
}

TEST(CRasterImageTGA, ColourMapsOfEveryEntrySizeWithAFirstEntry)
{
    const struct
    {
        BYTE entrySize;
        Bytes entry; // one map entry of pure red
    } cases[] = {{15, {0x00, 0x7C}}, {16, {0x00, 0x7C}}, {24, {0, 0, 255}}, {32, {0, 0, 255, 255}}};
    for (const auto& c : cases) {
        TgaSpec s;
        s.imageType = 1;
        s.depth = 8;
        s.width = 2;
        s.height = 1;
        s.mapType = 1;
        s.mapFirst = 10;
        s.mapLength = 2;
        s.mapEntrySize = c.entrySize;
        s.map = c.entry;
        s.map.insert(s.map.end(), c.entry.size(), 0); // entry 11 black
        s.id = {'i', 'd'};
        s.data = {10, 11};
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, MakeTga(s), RASTER_FORMAT_TGA)) << int(c.entrySize);
        EXPECT_GE(At(image, 0, 0).rgbRed, 248) << int(c.entrySize);
        EXPECT_EQ(At(image, 0, 0).rgbBlue, 0);
        EXPECT_EQ(At(image, 1, 0).rgbRed, 0);
    }
}

TEST(CRasterImageTGA, RefusedFiles)
{
    TgaSpec longMap;
    longMap.imageType = 1;
    longMap.depth = 8;
    longMap.mapType = 1;
    longMap.mapLength = 257;
    longMap.mapEntrySize = 24;
    TgaSpec badType;
    badType.imageType = 4;
    TgaSpec badDepth;
    badDepth.depth = 12;
    // 30000 x 30000 from a few bytes, plain and run-length.
    TgaSpec huge;
    huge.width = 30000;
    huge.height = 30000;
    huge.depth = 24;
    huge.data = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0};
    TgaSpec hugeRle = huge;
    hugeRle.imageType = 10;
    const struct
    {
        Bytes bytes;
        const char* error;
    } cases[] = {{MakeTga(longMap), "bad TGA header"},
                 {MakeTga(badType), "Unknown TGA image type"},
                 {MakeTga(badDepth), "bad TGA header"},
                 {Bytes{1, 2, 3}, "Not a TGA"},
                 {MakeTga(TgaSpec()), "corrupted TGA"},
                 {MakeTga(huge), "TGA: the picture is larger than its data can fill"},
                 {MakeTga(hugeRle), "TGA: the picture is larger than its data can fill"}};
    for (const auto& c : cases) {
        CRasterImage image;
        EXPECT_FALSE(DecodeFromBytes(image, c.bytes, RASTER_FORMAT_TGA));
        EXPECT_STREQ(image.GetLastError(), c.error);
    }
}

TEST(CRasterImageTGA, FourBitImagesAreNotWritten)
{
    CRasterImage image;
    FillPattern(image, 4, 4, 4);
    EXPECT_TRUE(EncodeToBytes(image, RASTER_FORMAT_TGA).empty());
    EXPECT_STREQ(image.GetLastError(), "Bit depth must be 8 or 24");
}

TEST(CRasterImageTGA, MalformedInputSweep)
{
    CRasterImage a, b;
    FillPattern(a, 9, 5, 8);
    FillPattern(b, 6, 4, 24);
    b.AlphaCreate();
    TgaSpec rle;
    rle.imageType = 10;
    rle.depth = 32;
    rle.width = 5;
    rle.height = 3;
    rle.data = {0x84, 1, 2, 3, 4, 0x02, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 0xFF, 7, 7, 7, 7};
    const std::vector<Bytes> files = {EncodeToBytes(a, RASTER_FORMAT_TGA),
                                      EncodeToBytes(b, RASTER_FORMAT_TGA), MakeTga(rle)};
    MalformedInputSweep(files, RASTER_FORMAT_TGA, 3000, 64);
}

} // namespace
