// The icon codec: round trips of every depth, the AND mask turned into an index, a colour or
// alpha, inverted all-transparent icons, 256-pixel and PNG entries, frames, refusals and damaged
// files.
#include "imaging/CRasterImageICO.h"

#include "tests/imaging/RasterCodecTestKit.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvo::test;

namespace {

DWORD Dword(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (DWORD(b[at + 3]) << 24);
}

// Several one-image icon files joined into one file of several images.
Bytes CombineIcons(const std::vector<Bytes>& singles)
{
    Bytes out = {0, 0, 1, 0, BYTE(singles.size()), 0};
    Bytes images;
    const size_t first = 6 + 16 * singles.size();
    for (const Bytes& single : singles) {
        Bytes entry(single.begin() + 6, single.begin() + 22);
        const DWORD offset = DWORD(first + images.size());
        for (int k = 0; k < 4; ++k)
            entry[12 + k] = BYTE(offset >> (8 * k));
        out.insert(out.end(), entry.begin(), entry.end());
        images.insert(images.end(), single.begin() + 22, single.end());
    }
    out.insert(out.end(), images.begin(), images.end());
    return out;
}

struct RoundTripCase
{
    DWORD width, height;
    WORD bpp;
    bool alpha;
};

class IcoRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(IcoRoundTrip, ExactThroughDetection)
{
    const RoundTripCase c = GetParam();
    CRasterImage source;
    FillPattern(source, c.width, c.height, c.bpp);
    if (c.alpha) {
        source.AlphaCreate();
        source.AlphaSet(0, 0, 90);
    }
    const Bytes bytes = EncodeToBytes(source, RASTER_FORMAT_ICO);
    ASSERT_FALSE(bytes.empty()) << source.GetLastError();
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_UNKNOWN)) << back.GetLastError();
    EXPECT_EQ(back.GetType(), RASTER_FORMAT_ICO);
    EXPECT_EQ(back.GetBpp(), c.bpp);
    EXPECT_EQ(MaxChannelDifference(source, back), 0);
    EXPECT_EQ(back.AlphaIsValid(), c.alpha);
    if (c.alpha) {
        EXPECT_EQ(back.AlphaGet(0, 0), 90);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, IcoRoundTrip,
                         testing::Values(RoundTripCase{16, 16, 1, false},
                                         RoundTripCase{33, 5, 4, false},
                                         RoundTripCase{32, 32, 8, false},
                                         RoundTripCase{7, 3, 24, false},
                                         RoundTripCase{20, 6, 24, true}));

TEST(CRasterImageICO, CornersMaskedBecomeTheFirstFreeIndex)
{
    CRasterImage image;
    FillPattern(image, 16, 16, 4);
    for (long y = 0; y < 16; ++y)
        for (long x = 0; x < 16; ++x)
            image.SetPixelIndex(x, y, BYTE((x + y) % 9));
    for (long corner : {0L, 15L}) {
        image.SetPixelIndex(corner, 0, 9);
        image.SetPixelIndex(corner, 15, 9);
    }
    image.SetTransIndex(9);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, EncodeToBytes(image, RASTER_FORMAT_ICO), RASTER_FORMAT_ICO));
    EXPECT_EQ(back.GetTransIndex(), 10);
    EXPECT_FALSE(back.AlphaIsValid());
    EXPECT_EQ(back.GetPixelIndex(0, 0), 10);
    EXPECT_EQ(back.GetPixelIndex(15, 15), 10);
    EXPECT_EQ(back.GetPixelIndex(1, 0), 1);
}

TEST(CRasterImageICO, EveryIndexInUseKeepsTheMaskAsAlpha)
{
    CRasterImage image;
    FillPattern(image, 16, 16, 8);
    for (long y = 0; y < 16; ++y)
        for (long x = 0; x < 16; ++x)
            image.SetPixelIndex(x, y, BYTE(x + 16 * y));
    image.SetTransIndex(5);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, EncodeToBytes(image, RASTER_FORMAT_ICO), RASTER_FORMAT_ICO));
    ASSERT_TRUE(back.AlphaIsValid());
    EXPECT_EQ(back.AlphaGet(5, 0), 0);
    EXPECT_EQ(back.AlphaGet(6, 0), 255);
}

TEST(CRasterImageICO, OneMaskedColourBecomesTheTransparentColour)
{
    CRasterImage image;
    FillPattern(image, 8, 8, 24);
    image.SetPixelColor(2, 2, RGBQUAD{0, 0, 0, 0});
    image.SetPixelColor(5, 1, RGBQUAD{0, 0, 0, 0});
    image.SetTransColor(RGBQUAD{0, 0, 0, 0});
    image.SetTransIndex(0);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, EncodeToBytes(image, RASTER_FORMAT_ICO), RASTER_FORMAT_ICO));
    EXPECT_EQ(back.GetTransIndex(), 0);
    EXPECT_FALSE(back.AlphaIsValid());
    const RGBQUAD t = back.GetTransColor();
    EXPECT_EQ(t.rgbRed + t.rgbGreen + t.rgbBlue, 0);
}

TEST(CRasterImageICO, ThirtyTwoBitKeepsItsAlphaWithMaskedPixelsClear)
{
    CRasterImage image;
    FillPattern(image, 20, 4, 24);
    image.AlphaCreate();
    image.AlphaSet(1, 1, 0);
    image.AlphaSet(2, 1, 100);
    const Bytes bytes = EncodeToBytes(image, RASTER_FORMAT_ICO);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[6 + 6], 32);                                  // depth
    EXPECT_EQ(Dword(bytes, 22 + 20), 20u * 4 * 4);                // pixel size
    EXPECT_EQ(bytes.size(), 22 + 40 + 20u * 4 * 4 + 4 * 4);       // mask rows of 4 bytes
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_ICO));
    EXPECT_EQ(back.AlphaGet(1, 1), 0);
    EXPECT_EQ(back.AlphaGet(2, 1), 100);
}

TEST(CRasterImageICO, AllTransparentMaskInvertsTheColours)
{
    CRasterImage image;
    FillPattern(image, 32, 2, 24);
    image.AlphaCreate();
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 32; ++x)
            image.AlphaSet(x, y, 0);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, EncodeToBytes(image, RASTER_FORMAT_ICO), RASTER_FORMAT_ICO));
    EXPECT_EQ(back.GetTransIndex(), 0);
    const RGBQUAD a = image.GetPixelColor(3, 1, false), b = back.GetPixelColor(3, 1, false);
    EXPECT_EQ(b.rgbRed, 255 - a.rgbRed);
    EXPECT_EQ(b.rgbBlue, 255 - a.rgbBlue);
}

TEST(CRasterImageICO, SizeByteZeroIsTwoHundredFiftySixPixels)
{
    CRasterImage big;
    FillPattern(big, 256, 256, 1);
    Bytes file = {0, 0, 1, 0, 1, 0, 0, 0, 2, 0, 1, 0, 1, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    Bytes info(40, 0);
    info[0] = 40;
    info[5] = 1;  // width 256
    info[9] = 2;  // height 512 (pixels and mask)
    info[12] = 1;
    info[14] = 1;
    file.insert(file.end(), info.begin(), info.end());
    const BYTE* palette = reinterpret_cast<const BYTE*>(big.GetPalette());
    file.insert(file.end(), palette, palette + 8);
    file.insert(file.end(), big.GetBits(), big.GetBits() + 256 * 32);
    file.insert(file.end(), 256 * 32, 0);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, file, RASTER_FORMAT_ICO)) << back.GetLastError();
    EXPECT_EQ(back.GetWidth(), 256u);
    EXPECT_EQ(back.GetHeight(), 256u);
    EXPECT_EQ(MaxChannelDifference(big, back), 0);
}

TEST(CRasterImageICO, FramesAndPngEntries)
{
    CRasterImage small, large;
    FillPattern(small, 8, 8, 4);
    FillPattern(large, 24, 24, 24);
    Bytes png = EncodeToBytes(large, RASTER_FORMAT_PNG);
    ASSERT_FALSE(png.empty());
    // An icon whose second entry is a PNG: its directory entry points at the PNG stream.
    Bytes pngEntry = {0, 0, 1, 0, 1, 0, 24, 24, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    pngEntry.insert(pngEntry.end(), png.begin(), png.end());
    const Bytes file = CombineIcons({EncodeToBytes(small, RASTER_FORMAT_ICO), pngEntry});
    for (LONG frame : {0, 1, 2}) {
        CRasterImage back;
        back.SetFrame(frame);
        const bool ok = DecodeFromBytes(back, file, RASTER_FORMAT_ICO);
        EXPECT_EQ(ok, frame < 2) << frame;
        if (!ok)
            continue;
        EXPECT_EQ(back.GetNumFrames(), 2);
        EXPECT_EQ(back.GetType(), RASTER_FORMAT_ICO);
        EXPECT_EQ(MaxChannelDifference(back, frame == 0 ? small : large), 0);
    }
}

// The bitmap's own header gives the size when the directory's bytes say otherwise.
TEST(CRasterImageICO, DirectorySizeDisagreeingWithTheBitmap)
{
    CRasterImage small;
    FillPattern(small, 8, 8, 4);
    Bytes file = EncodeToBytes(small, RASTER_FORMAT_ICO);
    ASSERT_FALSE(file.empty());
    file[6] = 0; // 256 by the directory
    file[7] = 0;
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, file, RASTER_FORMAT_ICO)) << back.GetLastError();
    EXPECT_EQ(back.GetWidth(), 8u);
    EXPECT_EQ(MaxChannelDifference(small, back), 0);
}

// Every way an icon fails says why.
TEST(CRasterImageICO, EveryFailureSaysWhy)
{
    CRasterImage small;
    FillPattern(small, 8, 8, 4);
    const Bytes good = EncodeToBytes(small, RASTER_FORMAT_ICO);
    ASSERT_FALSE(good.empty());
    const size_t bitmap = Dword(good, 18);
    auto with = [&](size_t at, BYTE value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    struct Case
    {
        const char* name;
        Bytes bytes;
        LONG frame;
    };
    const Case cases[] = {
        {"not an icon", with(2, 7), 0},
        {"no pictures", with(4, 0), 0},
        {"cut directory", Bytes(good.begin(), good.begin() + 12), 0},
        {"no such picture", good, 3},
        {"offset past the end", with(21, 0x40), 0},
        {"cut bitmap header", Bytes(good.begin(), good.begin() + long(bitmap) + 20), 0},
        {"16 bits", with(bitmap + 14, 16), 0},
        {"odd depth", with(bitmap + 14, 5), 0},
        {"compressed", with(bitmap + 16, 1), 0},
        {"cut palette", Bytes(good.begin(), good.begin() + long(bitmap) + 44), 0},
        {"cut pixels", Bytes(good.begin(), good.begin() + long(bitmap) + 40 + 64 + 8), 0},
    };
    for (const Case& c : cases) {
        CRasterImage image;
        image.SetFrame(c.frame);
        EXPECT_FALSE(DecodeFromBytes(image, c.bytes, RASTER_FORMAT_ICO)) << c.name;
        EXPECT_STRNE(image.GetLastError(), "") << c.name;
    }
}

TEST(CRasterImageICO, TooLargeToSave)
{
    CRasterImage image;
    FillPattern(image, 300, 300, 8);
    EXPECT_TRUE(EncodeToBytes(image, RASTER_FORMAT_ICO).empty());
    EXPECT_STREQ(image.GetLastError(), "Can't save this image as icon");
}

TEST(CRasterImageICO, MalformedInputSweep)
{
    CRasterImage a, b, c;
    FillPattern(a, 16, 16, 4);
    a.SetTransIndex(2);
    FillPattern(b, 12, 5, 24);
    b.AlphaCreate();
    b.AlphaSet(3, 3, 0);
    FillPattern(c, 9, 9, 8);
    const std::vector<Bytes> files = {EncodeToBytes(a, RASTER_FORMAT_ICO),
                                      CombineIcons({EncodeToBytes(b, RASTER_FORMAT_ICO),
                                                    EncodeToBytes(c, RASTER_FORMAT_ICO)})};
    MalformedInputSweep(files, RASTER_FORMAT_ICO, 3000, 80);
}

} // namespace
