// JPEG files of 12-bit samples: found by the 8-bit reader's header, read through the 12-bit
// library with each sample of 0..4095 scaled to 0..255, with the options, bounds and damage
// handling of the 8-bit path.
#include "imaging/CRasterImageJPG.h"

#include "imaging/CRasterMemFile.h"
#include "tests/imaging/Jpeg12TestData.h"
#include "tests/imaging/RasterCodecTestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orvo::test;

namespace {

// A 32 x 32 picture of four flat 16 x 16 squares (whole 8 x 8 blocks: quality 100 keeps them).
constexpr uint16_t kLevels[4] = {0, 700, 2048, 4095};
constexpr int kScaled[4] = {0, 44, 128, 255}; // level x 255 / 4095, rounded
constexpr unsigned kSide = 32;

int Square(unsigned x, unsigned y)
{
    return int(x / 16 + 2 * (y / 16));
}

// Component c of square s: grey is the square's level, colour turns the levels round by c.
int LevelOf(int s, int c)
{
    return (s + c) % 4;
}

Bytes TwelveBitSquares(int components, bool progressive = false)
{
    return EncodeTwelveBitJpeg(
        kSide, kSide, components,
        [](unsigned x, unsigned y, int c) { return kLevels[LevelOf(Square(x, y), c)]; },
        progressive);
}

// The pixel x, y counted from the top.
RGBQUAD FromTop(const CRasterImage& image, long x, long y)
{
    return image.GetPixelColor(x, long(image.GetHeight()) - 1 - y, false);
}

// The centre of each square holds its scaled levels (red, green, blue from components 0, 1, 2).
void ExpectSquares(const CRasterImage& image, int components, int tolerance)
{
    ASSERT_EQ(image.GetWidth(), kSide);
    ASSERT_EQ(image.GetHeight(), kSide);
    for (int s = 0; s < 4; ++s) {
        const long x = 8 + 16 * (s % 2);
        const long y = 8 + 16 * (s / 2);
        const RGBQUAD p = FromTop(image, x, y);
        const int red = kScaled[LevelOf(s, 0)];
        const int green = kScaled[LevelOf(s, components == 1 ? 0 : 1)];
        const int blue = kScaled[LevelOf(s, components == 1 ? 0 : 2)];
        EXPECT_NEAR(p.rgbRed, red, tolerance) << "square " << s;
        EXPECT_NEAR(p.rgbGreen, green, tolerance) << "square " << s;
        EXPECT_NEAR(p.rgbBlue, blue, tolerance) << "square " << s;
    }
}

struct TwelveBitCase
{
    int components;
    bool progressive;
};

class JpegTwelveBit : public testing::TestWithParam<TwelveBitCase>
{
};

TEST_P(JpegTwelveBit, ReadThroughDetectionScaledToEightBits)
{
    const TwelveBitCase c = GetParam();
    const Bytes jpeg = TwelveBitSquares(c.components, c.progressive);
    ASSERT_FALSE(jpeg.empty());
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, jpeg, RASTER_FORMAT_UNKNOWN)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), RASTER_FORMAT_JPG);
    EXPECT_EQ(image.GetBpp(), c.components == 1 ? 8 : 24);
    EXPECT_EQ(image.IsGrayScale(), c.components == 1);
    EXPECT_STREQ(image.GetLastError(), "");
    ExpectSquares(image, c.components, 2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, JpegTwelveBit,
                         testing::Values(TwelveBitCase{1, false}, TwelveBitCase{3, false},
                                         TwelveBitCase{1, true}, TwelveBitCase{3, true}));

TEST(JpegTwelveBitOptions, DimensionsScaleAndFitBox)
{
    const Bytes jpeg = TwelveBitSquares(3);
    CRasterImageJPG dims;
    dims.SetEscape(-1);
    CRasterMemFile in(const_cast<unsigned char*>(jpeg.data()), int32_t(jpeg.size()));
    EXPECT_TRUE(dims.Decode(&in)) << dims.GetLastError();
    EXPECT_FALSE(dims.IsValid());
    EXPECT_EQ(dims.GetWidth(), kSide);
    EXPECT_EQ(dims.GetHeight(), kSide);

    CRasterImage half;
    half.SetJpegScale(2);
    ASSERT_TRUE(DecodeFromBytes(half, jpeg, RASTER_FORMAT_JPG)) << half.GetLastError();
    EXPECT_EQ(half.GetWidth(), kSide / 2);
    // A square's centre at half size: the levels still come out scaled.
    EXPECT_NEAR(FromTop(half, 12, 4).rgbRed, kScaled[LevelOf(1, 0)], 2);

    CRasterImage thumbnail;
    thumbnail.SetDecodeFitBox(8, 8);
    ASSERT_TRUE(DecodeFromBytes(thumbnail, jpeg, RASTER_FORMAT_JPG)) << thumbnail.GetLastError();
    EXPECT_EQ(thumbnail.GetWidth(), 8u);
    EXPECT_EQ(thumbnail.GetHeight(), 8u);
}

// libjpeg's colour map holds 12-bit samples: the palette gets them scaled.
TEST(JpegTwelveBitOptions, GreyAndQuantised)
{
    CRasterImage grey;
    grey.SetCodecOption(CRasterImageJPG::DEC_GRAYSCALE, RASTER_FORMAT_JPG);
    ASSERT_TRUE(DecodeFromBytes(grey, TwelveBitSquares(3), RASTER_FORMAT_JPG))
        << grey.GetLastError();
    EXPECT_EQ(grey.GetBpp(), 8);
    EXPECT_TRUE(grey.IsGrayScale());

    CRasterImage quantised;
    quantised.SetCodecOption(CRasterImageJPG::DEC_QUANTIZE | CRasterImageJPG::DEC_ONE_PASS,
                             RASTER_FORMAT_JPG);
    quantised.SetJpegQuality(16);
    ASSERT_TRUE(DecodeFromBytes(quantised, TwelveBitSquares(1), RASTER_FORMAT_JPG))
        << quantised.GetLastError();
    EXPECT_EQ(quantised.GetBpp(), 8);
    EXPECT_LE(quantised.GetNumColors(), 16u);
    EXPECT_GT(quantised.GetNumColors(), 1u);
    ExpectSquares(quantised, 1, 10); // 16 grey levels: 17 apart
}

// Offset of the first marker `code` (0xFF code), or the size.
size_t FindMarker(const Bytes& jpeg, unsigned char code)
{
    for (size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code)
            return i;
    return jpeg.size();
}

TEST(JpegTwelveBitDamage, TruncatedShowsWhatItHoldsAndOverclaimsAreRefused)
{
    const Bytes jpeg = TwelveBitSquares(3);
    // Cut half way through the scan's data: the headers are whole, the lower rows missing.
    const size_t scan = FindMarker(jpeg, 0xDA);
    ASSERT_LT(scan, jpeg.size());
    const Bytes truncated(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(scan + (jpeg.size() - scan) / 2));
    CRasterImage partial;
    EXPECT_TRUE(DecodeFromBytes(partial, truncated, RASTER_FORMAT_JPG)) << partial.GetLastError();
    EXPECT_EQ(partial.GetWidth(), kSide);

    // Extended sequential (SOF1) and progressive (SOF2) frames claiming 20000 x 20000 pixels.
    for (const bool progressive : {false, true}) {
        Bytes forged = TwelveBitSquares(3, progressive);
        const size_t sof = FindMarker(forged, progressive ? 0xC2 : 0xC1);
        ASSERT_LT(sof + 9, forged.size());
        ASSERT_EQ(forged[sof + 4], 12); // the sample precision
        for (const size_t at : {sof + 5, sof + 7}) {
            forged[at] = 20000 >> 8;
            forged[at + 1] = 20000 & 0xFF;
        }
        CRasterImage image;
        EXPECT_FALSE(DecodeFromBytes(image, forged, RASTER_FORMAT_JPG));
        EXPECT_STREQ(image.GetLastError(), "JPEG: the picture is larger than its data can fill");
    }

    // Precisions neither library reads are refused with libjpeg's text naming them.
    Bytes sixteen = jpeg;
    sixteen[FindMarker(sixteen, 0xC1) + 4] = 16;
    CRasterImage image;
    EXPECT_FALSE(DecodeFromBytes(image, sixteen, RASTER_FORMAT_JPG));
    EXPECT_STREQ(image.GetLastError(), "Unsupported JPEG data precision 16");
}

TEST(JpegTwelveBitDamage, MalformedInputSweep)
{
    const std::vector<Bytes> files = {TwelveBitSquares(1), TwelveBitSquares(3, true)};
    MalformedInputSweep(files, RASTER_FORMAT_JPG, 2000);
}

} // namespace
