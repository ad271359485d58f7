// The GIF codec: round trips (LZW, plain codes, true-colour mosaic), the header and blocks the
// encoder writes, interlace order, frames with disposal and transparency, true-colour GIFs,
// extensions, write errors and damaged files.
#include "imaging/CRasterImageGIF.h"

#include "imaging/CRasterMemFile.h"
#include "imaging/GifLzwEncoder.h"
#include "tests/imaging/RasterCodecTestKit.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace orvo::test;

namespace {

// LZW data of the indices (in the order they are sent), with its code size byte and terminator.
Bytes LzwData(const std::vector<BYTE>& indices, int codeSize)
{
    CRasterMemFile out;
    out.Open();
    out.PutC(BYTE(codeSize));
    size_t next = 0;
    GifLzwEncoder encoder(out);
    encoder.PackLzw([&]() { return next < indices.size() ? int(indices[next++]) : -1; },
                    codeSize + 1);
    out.PutC(0);
    return Bytes(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
}

// A GIF assembled block by block.
struct GifBuilder
{
    Bytes bytes;

    GifBuilder(WORD width, WORD height, const std::vector<RGBQUAD>& globalTable)
    {
        bytes = {'G', 'I', 'F', '8', '9', 'a', BYTE(width), BYTE(width >> 8), BYTE(height),
                 BYTE(height >> 8), 0, 0, 0};
        if (!globalTable.empty()) {
            int bits = 0;
            while ((2u << bits) < globalTable.size())
                ++bits;
            bytes[10] = BYTE(0x80 | bits);
            Table(globalTable, 2u << bits);
        }
    }
    void Table(const std::vector<RGBQUAD>& table, size_t entries)
    {
        for (size_t i = 0; i < entries; ++i) {
            const RGBQUAD c = i < table.size() ? table[i] : RGBQUAD{};
            bytes.insert(bytes.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    }
    GifBuilder& Control(int disposal, int trans, WORD delay = 0)
    {
        bytes.insert(bytes.end(), {0x21, 0xF9, 4, BYTE(disposal * 4 + (trans >= 0 ? 1 : 0)),
                                   BYTE(delay), BYTE(delay >> 8), BYTE(trans < 0 ? 0 : trans), 0});
        return *this;
    }
    GifBuilder& Frame(WORD left, WORD top, WORD width, WORD height, const std::vector<BYTE>& indices,
                      int codeSize = 8, bool interlaced = false,
                      const std::vector<RGBQUAD>& localTable = {})
    {
        BYTE flags = interlaced ? 0x40 : 0;
        int bits = 0;
        if (!localTable.empty()) {
            while ((2u << bits) < localTable.size())
                ++bits;
            flags |= BYTE(0x80 | bits);
        }
        bytes.insert(bytes.end(), {0x2C, BYTE(left), BYTE(left >> 8), BYTE(top), BYTE(top >> 8),
                                   BYTE(width), BYTE(width >> 8), BYTE(height), BYTE(height >> 8),
                                   flags});
        if (!localTable.empty())
            Table(localTable, 2u << bits);
        const Bytes data = LzwData(indices, codeSize);
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    GifBuilder& Raw(const Bytes& b)
    {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    Bytes End()
    {
        bytes.push_back(0x3B);
        return bytes;
    }
};

std::vector<RGBQUAD> Greys(size_t n)
{
    std::vector<RGBQUAD> table;
    for (size_t i = 0; i < n; ++i)
        table.push_back(RGBQUAD{BYTE(i * 10), BYTE(i * 10), BYTE(i * 10), 0});
    return table;
}

// Index of the pixel counted from the top row.
BYTE TopIndex(const CRasterImage& image, long x, long yFromTop)
{
    return image.GetPixelIndex(x, long(image.GetHeight()) - 1 - yFromTop);
}

struct RoundTripCase
{
    DWORD width, height;
    WORD bpp;
    DWORD packing;
};

class GifRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(GifRoundTrip, ExactThroughDetection)
{
    const RoundTripCase c = GetParam();
    CRasterImage source;
    FillPattern(source, c.width, c.height, c.bpp);
    source.SetCodecOption(c.packing, RASTER_FORMAT_GIF);
    const Bytes bytes = EncodeToBytes(source, RASTER_FORMAT_GIF);
    ASSERT_FALSE(bytes.empty()) << source.GetLastError();
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_UNKNOWN)) << back.GetLastError();
    EXPECT_EQ(back.GetType(), RASTER_FORMAT_GIF);
    EXPECT_EQ(back.GetBpp(), c.bpp > 8 ? 24 : c.bpp);
    EXPECT_EQ(MaxChannelDifference(source, back), 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, GifRoundTrip,
                         testing::Values(RoundTripCase{1, 1, 1, 0}, RoundTripCase{33, 7, 1, 0},
                                         RoundTripCase{17, 9, 4, 0}, RoundTripCase{300, 200, 8, 0},
                                         RoundTripCase{300, 200, 8, 1}, RoundTripCase{20, 5, 4, 2}, RoundTripCase{1, 1, 1, 2},
                                         RoundTripCase{300, 200, 8, 2}, RoundTripCase{64, 64, 1, 2},
                                         RoundTripCase{34, 16, 24, 0}, RoundTripCase{5, 40, 24, 0}));

TEST(CRasterImageGIF, LongRunsInEveryPacking)
{
    // Runs of every length, up to whole rows and beyond, in both depths the packers see.
    for (WORD bpp : {1, 8}) {
        CRasterImage image;
        FillPattern(image, 300, 200, bpp);
        for (long y = 0; y < 200; ++y)
            for (long x = 0; x < 300; ++x)
                image.SetPixelIndex(x, y, BYTE((x / (1 + y % 40) + y / 50) % (bpp == 1 ? 2 : 5)));
        size_t sizes[3] = {};
        for (DWORD packing : {0u, 1u, 2u}) {
            image.SetCodecOption(packing, RASTER_FORMAT_GIF);
            const Bytes bytes = EncodeToBytes(image, RASTER_FORMAT_GIF);
            sizes[packing] = bytes.size();
            CRasterImage back;
            ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_GIF));
            EXPECT_EQ(MaxChannelDifference(image, back), 0) << bpp << " " << packing;
        }
        EXPECT_LT(sizes[2], sizes[1]) << bpp;
        EXPECT_LT(sizes[0], sizes[1]) << bpp;
    }
}

TEST(CRasterImageGIF, HeaderAndBlocksAsWritten)
{
    CRasterImage bw, grey;
    FillPattern(bw, 8, 2, 1);
    FillPattern(grey, 8, 2, 8, true);
    const Bytes a = EncodeToBytes(bw, RASTER_FORMAT_GIF);
    ASSERT_GE(a.size(), 40u);
    EXPECT_EQ(std::memcmp(a.data(), "GIF89a", 6), 0);
    EXPECT_EQ(a[10], 0x80);
    const size_t control = 13 + 2 * 3;
    EXPECT_EQ(a[control], 0x21);
    EXPECT_EQ(a[control + 3], 0); // no transparency, disposal 0
    EXPECT_EQ(a[control + 8], 0x2C); // no comment block
    EXPECT_EQ(a[control + 8 + 10], 2); // one-bit images start with code size 2
    const Bytes b = EncodeToBytes(grey, RASTER_FORMAT_GIF);
    EXPECT_EQ(b[10], 0xE7);
    EXPECT_EQ(b[13 + 256 * 3], 0x21);
}

TEST(CRasterImageGIF, CommentWrittenAndRead)
{
    CRasterImageGIF gif;
    FillPattern(gif, 4, 4, 4);
    gif.SetComment("made by Orvo");
    CRasterMemFile out;
    out.Open();
    ASSERT_TRUE(gif.Encode(&out));
    out.Seek(0, SEEK_SET);
    CRasterImageGIF back;
    ASSERT_TRUE(back.Decode(&out));
    EXPECT_STREQ(back.GetComment(), "made by Orvo");
}

TEST(CRasterImageGIF, MosaicTilesFromTheTopLeft)
{
    CRasterImage colour;
    FillPattern(colour, 34, 16, 24);
    const Bytes bytes = EncodeToBytes(colour, RASTER_FORMAT_GIF);
    std::vector<std::array<int, 4>> tiles;
    for (size_t i = 13; i + 10 < bytes.size(); ++i)
        if (bytes[i] == 0x2C && bytes[i - 8] == 0x21 && bytes[i - 7] == 0xF9)
            tiles.push_back({bytes[i + 1] | bytes[i + 2] << 8, bytes[i + 3] | bytes[i + 4] << 8,
                             bytes[i + 5] | bytes[i + 6] << 8, bytes[i + 7] | bytes[i + 8] << 8});
    const std::vector<std::array<int, 4>> expected = {
        {0, 0, 17, 15}, {17, 0, 17, 15}, {0, 15, 17, 1}, {17, 15, 17, 1}};
    EXPECT_EQ(tiles, expected);
    EXPECT_EQ(bytes[10], 0x11);
}

TEST(CRasterImageGIF, InterlacedRowsInPassOrder)
{
    std::vector<BYTE> sent;
    for (BYTE k = 0; k < 10; ++k)
        sent.push_back(k);
    const Bytes gif = GifBuilder(1, 10, Greys(16)).Frame(0, 0, 1, 10, sent, 4, true).End();
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, gif, RASTER_FORMAT_GIF));
    const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(TopIndex(image, 0, order[k]), k) << k;
}

Bytes ThreeFrames(int disposalOfSecond)
{
    GifBuilder b(4, 4, Greys(4));
    b.Control(0, 3).Frame(0, 0, 4, 4, std::vector<BYTE>(16, 1), 2);
    b.Control(disposalOfSecond, 3).Frame(1, 1, 2, 2, {2, 3, 2, 2}, 2);
    b.Control(0, 3).Frame(0, 0, 1, 1, {0}, 2);
    return b.End();
}

TEST(CRasterImageGIF, FramesComposeWithDisposal)
{
    for (int disposal : {2, 3}) {
        const Bytes gif = ThreeFrames(disposal);
        CRasterImage last;
        last.SetFrame(2);
        ASSERT_TRUE(DecodeFromBytes(last, gif, RASTER_FORMAT_GIF));
        EXPECT_EQ(last.GetNumFrames(), 3);
        EXPECT_EQ(last.GetTransIndex(), 3);
        EXPECT_EQ(TopIndex(last, 0, 0), 0);
        // Disposal 2 clears the screen to the transparent index; 3 keeps what was there.
        EXPECT_EQ(TopIndex(last, 1, 1), disposal == 2 ? 3 : 2);
        EXPECT_EQ(TopIndex(last, 2, 1), disposal == 2 ? 3 : 1); // transparent pixel of frame 1
        EXPECT_EQ(TopIndex(last, 3, 3), disposal == 2 ? 3 : 1);
        CRasterImage beyond;
        beyond.SetFrame(3);
        EXPECT_FALSE(DecodeFromBytes(beyond, gif, RASTER_FORMAT_GIF));
    }
}

TEST(CRasterImageGIF, FramesOutsideTheScreenAndBadCodeSizes)
{
    GifBuilder b(4, 4, Greys(4));
    b.Frame(0, 0, 4, 4, std::vector<BYTE>(16, 1), 2);
    b.Frame(3, 3, 2, 2, {2, 2, 2, 2}, 2); // reaches past the screen: the part on it shows
    b.Raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 12, 1, 0xFF, 0}); // code size 12: pixels stay as made
    const Bytes gif = b.End();
    CRasterImage first;
    ASSERT_TRUE(DecodeFromBytes(first, gif, RASTER_FORMAT_GIF));
    EXPECT_EQ(first.GetNumFrames(), 3);
    CRasterImage second;
    second.SetFrame(1);
    ASSERT_TRUE(DecodeFromBytes(second, gif, RASTER_FORMAT_GIF)) << second.GetLastError();
    EXPECT_EQ(second.GetWidth(), 4u);
    EXPECT_EQ(TopIndex(second, 3, 3), 2);
    EXPECT_EQ(TopIndex(second, 2, 2), 1);
    CRasterImage third;
    third.SetFrame(2);
    ASSERT_TRUE(DecodeFromBytes(third, gif, RASTER_FORMAT_GIF));
    EXPECT_EQ(TopIndex(third, 3, 3), 2);
}

// Where no frame draws, the picture is transparent (as browsers show it; the background colour
// the header names is not drawn): by the transparent index where the file has one, else by an
// opacity plane, which a picture its frames fill does not get.
TEST(CRasterImageGIF, ScreenWithoutAFrameShowsThrough)
{
    const struct {
        const char* name;
        Bytes file;
        int frame;
        long x, y;     // a pixel from the top left
        int index;     // -1: transparent by the opacity plane
        bool opacity;  // the picture has an opacity plane
    } cases[] = {
        {"frame outside the screen", GifBuilder(2, 2, Greys(8)).Frame(2, 2, 2, 2, {2, 2, 2, 2}, 3).End(),
         0, 1, 1, -1, true},
        {"frame over the corner, off it", GifBuilder(2, 2, Greys(8)).Frame(1, 1, 2, 2, {2, 2, 2, 2}, 3).End(),
         0, 0, 1, -1, true},
        {"frame over the corner, on it", GifBuilder(2, 2, Greys(8)).Frame(1, 1, 2, 2, {2, 2, 2, 2}, 3).End(),
         0, 1, 1, 2, true},
        {"frames that fill the screen", GifBuilder(2, 1, Greys(8)).Frame(0, 0, 1, 1, {2}, 3).Frame(1, 0, 1, 1, {4}, 3).End(),
         1, 1, 0, 4, false},
        {"a transparent index", GifBuilder(2, 2, Greys(8)).Control(0, 5).Frame(1, 1, 1, 1, {2}, 3).End(), 0,
         0, 0, 5, false},
        {"restored to the background", GifBuilder(2, 1, Greys(8)).Control(2, -1).Frame(0, 0, 2, 1, {2, 2}, 3)
             .Control(0, -1).Frame(1, 0, 1, 1, {4}, 3).End(), 1, 0, 0, -1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        image.SetFrame(c.frame);
        ASSERT_TRUE(DecodeFromBytes(image, c.file, RASTER_FORMAT_GIF)) << image.GetLastError();
        EXPECT_EQ(image.AlphaIsValid(), c.opacity);
        const long row = long(image.GetHeight()) - 1 - c.y;
        if (c.index < 0) {
            EXPECT_EQ(image.AlphaGet(c.x, row), 0);
            continue;
        }
        EXPECT_EQ(TopIndex(image, c.x, c.y), c.index);
        if (c.opacity) {
            EXPECT_EQ(image.AlphaGet(c.x, row), 255);
        }
        if (c.index == 5) {
            EXPECT_EQ(image.GetTransIndex(), 5);
        }
    }
}

// Writers may start the codes at the full twelve bits (a minimum code size of 10 or 11): the
// picture reads as written, also once the table has filled.
TEST(CRasterImageGIF, MinimumCodeSizesUpToEleven)
{
    std::vector<BYTE> indices;
    for (int i = 0; i < 64 * 64; ++i)
        indices.push_back(BYTE((i * 7 + i / 64) % 5 == 0 ? i % 251 : i % 3));
    for (const int codeSize : {10, 11}) {
        GifBuilder b(64, 64, Greys(256));
        b.Frame(0, 0, 64, 64, indices, codeSize);
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, b.End(), RASTER_FORMAT_GIF)) << codeSize;
        for (long y = 0; y < 64; ++y)
            for (long x = 0; x < 64; ++x)
                ASSERT_EQ(TopIndex(image, x, y), indices[size_t(y * 64 + x)]) << codeSize << " at " << x << "," << y;
    }
}

// Frames of no size are frames that draw nothing; a screen of no size takes the frames' box.
TEST(CRasterImageGIF, ZeroSizeFramesAndScreens)
{
    GifBuilder b(4, 4, Greys(4));
    b.Frame(0, 0, 4, 4, std::vector<BYTE>(16, 1), 2);
    b.Raw({0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0x44, 0}); // 0 x 0 with a little data
    const Bytes gif = b.End();
    CRasterImage image;
    image.SetFrame(1);
    ASSERT_TRUE(DecodeFromBytes(image, gif, RASTER_FORMAT_GIF)) << image.GetLastError();
    EXPECT_EQ(image.GetNumFrames(), 2);
    EXPECT_EQ(TopIndex(image, 2, 2), 1);

    GifBuilder alone(4, 4, Greys(4));
    alone.Raw({0x2C, 0, 0, 0, 0, 0, 0, 3, 0, 0, 2, 1, 0x44, 0}); // no width: the screen stays blank
    CRasterImage blank;
    ASSERT_TRUE(DecodeFromBytes(blank, alone.End(), RASTER_FORMAT_GIF)) << blank.GetLastError();
    EXPECT_EQ(blank.GetWidth(), 4u);

    CRasterImage fitted;
    ASSERT_TRUE(DecodeFromBytes(fitted, GifBuilder(0, 0, Greys(4)).Frame(0, 0, 3, 2, {1, 2, 3, 1, 2, 3}, 2).End(),
                                RASTER_FORMAT_GIF)) << fitted.GetLastError();
    EXPECT_EQ(fitted.GetWidth(), 3u);
    EXPECT_EQ(fitted.GetHeight(), 2u);
    EXPECT_EQ(TopIndex(fitted, 2, 1), 3);
}

// A few bytes cannot make a picture of gigapixels: a screen far beyond its frames is cut to
// them, a frame far beyond its data is refused.
TEST(CRasterImageGIF, ScreensAndFramesLargerThanTheirDataCanFill)
{
    CRasterImage cut;
    ASSERT_TRUE(DecodeFromBytes(cut, GifBuilder(61496, 32564, Greys(4)).Frame(0, 0, 3, 2, {1, 2, 3, 1, 2, 3}, 2).End(),
                                RASTER_FORMAT_GIF)) << cut.GetLastError();
    EXPECT_EQ(cut.GetWidth(), 3u);
    EXPECT_EQ(cut.GetHeight(), 2u);

    // A screen somewhat larger than its frames keeps its size.
    CRasterImage kept;
    ASSERT_TRUE(DecodeFromBytes(kept, GifBuilder(300, 200, Greys(4)).Frame(10, 10, 3, 2, {1, 2, 3, 1, 2, 3}, 2).End(),
                                RASTER_FORMAT_GIF));
    EXPECT_EQ(kept.GetWidth(), 300u);

    CRasterImage refused;
    EXPECT_FALSE(DecodeFromBytes(refused, GifBuilder(61496, 32564, Greys(4)).Frame(0, 0, 61496, 32564, {1, 2, 3}, 2).End(),
                                 RASTER_FORMAT_GIF));
    EXPECT_STREQ(refused.GetLastError(), "GIF: a frame is larger than its data can fill");
}

// Frames in opposite corners of a vast screen cover it as a box but fill almost none of it, and
// many frames each within the size taken on trust add up: both are refused before the screen's
// memory is taken. An animation of small frames on a screen they can fill still decodes.
TEST(CRasterImageGIF, ScreensAndFrameSetsBeyondTheirDataAreRefused)
{
    CRasterImage corners;
    EXPECT_FALSE(DecodeFromBytes(corners, GifBuilder(62954, 27319, Greys(4))
                                              .Frame(0, 0, 1, 1, {1}, 2)
                                              .Frame(62953, 27318, 1, 1, {2}, 2)
                                              .End(),
                                 RASTER_FORMAT_GIF));
    EXPECT_STREQ(corners.GetLastError(), "GIF: the screen is larger than its frames' data can fill");

    GifBuilder many(4000, 4000, Greys(4));
    for (int i = 0; i < 40; ++i)
        many.Frame(0, 0, 4000, 4000, {1, 2, 3}, 2);
    CRasterImage frames;
    EXPECT_FALSE(DecodeFromBytes(frames, many.End(), RASTER_FORMAT_GIF));
    EXPECT_STREQ(frames.GetLastError(), "GIF: a frame is larger than its data can fill");

    GifBuilder small(300, 200, Greys(4));
    for (int i = 0; i < 40; ++i)
        small.Frame(WORD(i * 5), WORD(i * 3), 3, 2, {1, 2, 3, 1, 2, 3}, 2);
    CRasterImage animation;
    ASSERT_TRUE(DecodeFromBytes(animation, small.End(), RASTER_FORMAT_GIF)) << animation.GetLastError();
    EXPECT_EQ(animation.GetWidth(), 300u);
    EXPECT_EQ(animation.GetNumFrames(), 40);
}

// Every way a GIF fails says why.
TEST(CRasterImageGIF, EveryFailureSaysWhy)
{
    const Bytes good = GifBuilder(2, 1, Greys(4)).Frame(0, 0, 2, 1, {1, 2}, 2).End();
    struct Case
    {
        const char* name;
        Bytes bytes;
        int frame;
    };
    const Case cases[] = {
        {"not a GIF", Bytes{'G', 'I', 'X', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}, 0},
        {"cut header", Bytes(good.begin(), good.begin() + 8), 0},
        {"cut colour table", Bytes(good.begin(), good.begin() + 16), 0},
        {"no frame", GifBuilder(2, 1, Greys(4)).End(), 0},
        {"no such frame", good, 5},
        {"frame cut short", Bytes(good.begin(), good.begin() + 27), 0},
    };
    for (const Case& c : cases) {
        CRasterImageGIF decoder;
        decoder.SetFrame(c.frame);
        CRasterMemFile in(const_cast<BYTE*>(c.bytes.data()), int32_t(c.bytes.size()));
        if (!decoder.Decode(&in)) {
            EXPECT_STRNE(decoder.GetLastError(), "") << c.name;
        }
    }
}

TEST(CRasterImageGIF, FourEntryTableWithTransparencyFillsWhite)
{
    const Bytes gif = GifBuilder(2, 1, Greys(4)).Control(0, 1).Frame(0, 0, 2, 1, {0, 3}, 2).End();
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, gif, RASTER_FORMAT_GIF));
    EXPECT_EQ(image.GetBpp(), 4);
    EXPECT_EQ(image.GetPaletteColor(3).rgbRed, 30);
    for (BYTE i = 4; i < 16; ++i)
        EXPECT_EQ(image.GetPaletteColor(i).rgbRed, 255);
}

TEST(CRasterImageGIF, LocalTableServesLaterFrames)
{
    std::vector<RGBQUAD> local(4, RGBQUAD{0, 0, 200, 0});
    GifBuilder b(2, 1, Greys(4));
    b.Frame(0, 0, 2, 1, {1, 1}, 2, false, local).Frame(0, 0, 1, 1, {2}, 2);
    const Bytes gif = b.End();
    CRasterImage image;
    image.SetFrame(1);
    ASSERT_TRUE(DecodeFromBytes(image, gif, RASTER_FORMAT_GIF));
    EXPECT_EQ(image.GetPixelColor(0, 0, false).rgbRed, 200);
}

TEST(CRasterImageGIF, TrueColourFramesTileThePicture)
{
    // No global table and a first frame smaller than the screen both ways: a true-colour GIF.
    GifBuilder b(4, 2, {});
    b.Frame(0, 0, 2, 2, {0, 1, 1, 0}, 2, false, {RGBQUAD{0, 0, 255, 0}, RGBQUAD{0, 255, 0, 0}});
    b.Frame(2, 0, 2, 2, {0, 0, 1, 1}, 2, false, {RGBQUAD{255, 0, 0, 0}, RGBQUAD{9, 9, 9, 0}});
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, b.End(), RASTER_FORMAT_GIF));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetPixelColor(0, 1, false).rgbRed, 255);
    EXPECT_EQ(image.GetPixelColor(1, 1, false).rgbGreen, 255);
    EXPECT_EQ(image.GetPixelColor(3, 1, false).rgbBlue, 255);
    EXPECT_EQ(image.GetPixelColor(3, 0, false).rgbBlue, 9);
    EXPECT_FALSE(image.AlphaIsValid()); // the tiles fill the screen

    // One such frame alone is an ordinary GIF.
    GifBuilder single(4, 2, {});
    single.Frame(0, 0, 2, 2, {0, 1, 1, 0}, 2);
    CRasterImage one;
    ASSERT_TRUE(DecodeFromBytes(one, single.End(), RASTER_FORMAT_GIF));
    EXPECT_EQ(one.GetBpp(), 1);
    EXPECT_EQ(one.GetWidth(), 4u);
}

TEST(CRasterImageGIF, ExtensionsAndDimensionsOnly)
{
    GifBuilder b(3, 2, Greys(2));
    b.Raw({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 232, 3, 0});
    b.Frame(0, 0, 3, 2, {1, 1, 1, 1, 1, 1}, 2);
    b.Raw({0x21, 0xFE, 0x00}); // an empty comment is passed over
    b.Raw({0x21, 0xFF, 11, 'I', 'C', 'C', 'R', 'G', 'B', 'G', '1', '0', '1', '2', 0}); // empty profile
    b.Frame(0, 0, 1, 1, {0}, 2);
    const Bytes gif = b.End();
    CRasterImageGIF decoder;
    CRasterMemFile in(const_cast<BYTE*>(gif.data()), int32_t(gif.size()));
    decoder.SetFrame(0);
    ASSERT_TRUE(decoder.Decode(&in));
    EXPECT_EQ(decoder.GetNumFrames(), 2);
    EXPECT_EQ(decoder.GetLoops(), 1000);
    EXPECT_EQ(decoder.GetPixelIndex(0, 0), 1);

    CRasterImage dims;
    dims.SetEscape(-1);
    CRasterImageGIF onlySize;
    onlySize.SetEscape(-1);
    CRasterMemFile in2(const_cast<BYTE*>(gif.data()), 13);
    EXPECT_TRUE(onlySize.Decode(&in2));
    EXPECT_EQ(onlySize.GetWidth(), 3u);
    EXPECT_EQ(onlySize.GetHeight(), 2u);
    EXPECT_FALSE(onlySize.IsValid());
}

TEST(CRasterImageGIF, MalformedInputSweep)
{
    CRasterImage a, c;
    FillPattern(a, 23, 9, 8);
    FillPattern(c, 20, 17, 24);
    std::vector<BYTE> sent(30);
    for (size_t i = 0; i < sent.size(); ++i)
        sent[i] = BYTE(i % 16);
    const std::vector<Bytes> files = {EncodeToBytes(a, RASTER_FORMAT_GIF), ThreeFrames(2),
                                      GifBuilder(5, 6, Greys(16)).Frame(0, 0, 5, 6, sent, 4, true).End(),
                                      EncodeToBytes(c, RASTER_FORMAT_GIF)};
    MalformedInputSweep(files, RASTER_FORMAT_GIF, 3000);
}

} // namespace
