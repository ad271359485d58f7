// Small pictures of large photos: the DCT scale chosen for a box, the area-averaging shrink, and a
// thumbnail made from a scaled decode against one made from the full decode.
#include "imaging/AreaShrink.h"
#include "imaging/CRasterImageJPG.h"
#include "imaging/KImage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

using orvo::test::TempDir;

namespace {

struct ScaleCase
{
    DWORD width, height, boxWidth, boxHeight;
    unsigned denominator;
};

class JpegScaleForBox : public testing::TestWithParam<ScaleCase>
{
};

TEST_P(JpegScaleForBox, IsTheSmallestDecodeThatStillCoversTheFit)
{
    const ScaleCase c = GetParam();
    EXPECT_EQ(CRasterImageJPG::ScaleDenominatorForBox(c.width, c.height, c.boxWidth, c.boxHeight),
              c.denominator);
}

INSTANTIATE_TEST_SUITE_P(
    Table, JpegScaleForBox,
    testing::Values(ScaleCase{4000, 3000, 96, 72, 8},     // a photo into a thumbnail cell
                    ScaleCase{3000, 4000, 96, 72, 8},     // upright photo
                    ScaleCase{4000, 3000, 250, 250, 8},   // largest cell: 500 x 375 still covers
                    ScaleCase{1600, 1200, 400, 300, 4},   // exactly a quarter
                    ScaleCase{1600, 1200, 404, 303, 2},   // a little more than a quarter
                    ScaleCase{800, 600, 500, 400, 1},     // half would be too small
                    ScaleCase{90, 60, 96, 72, 1},         // smaller than the box already
                    ScaleCase{4000, 3000, 0, 72, 1},      // no box
                    ScaleCase{0, 3000, 96, 72, 1},        // no picture
                    ScaleCase{4001, 3001, 96, 72, 8},     // odd sides round up
                    ScaleCase{4000, 100, 96, 72, 8},      // panorama
                    ScaleCase{100, 4000, 96, 72, 8}));    // shown turned: 13 x 500 still covers 3 x 96

// A 24-bit picture whose pixels come from f(x, fromTop) as a grey level.
template <class F>
void FillGrey(CRasterImage& image, DWORD width, DWORD height, F level)
{
    ASSERT_TRUE(image.Create(width, height, 24, RASTER_FORMAT_JPG));
    for (DWORD row = 0; row < height; ++row) {
        BYTE* bits = image.GetBits(row);
        for (DWORD x = 0; x < width; ++x) {
            const BYTE v = level(x, height - 1 - row);
            bits[3 * x] = bits[3 * x + 1] = bits[3 * x + 2] = v;
        }
    }
}

struct ChannelStats
{
    double mean = 0;
    int min = 255;
    int max = 0;
};

ChannelStats StatsOf(const CRasterImage& image)
{
    ChannelStats s;
    double sum = 0;
    size_t n = 0;
    for (DWORD y = 0; y < image.GetHeight(); ++y) {
        for (DWORD x = 0; x < image.GetWidth(); ++x) {
            const RGBQUAD c = image.GetPixelColor(long(x), long(y), false);
            for (int v : {int(c.rgbRed), int(c.rgbGreen), int(c.rgbBlue)}) {
                sum += v;
                s.min = std::min(s.min, v);
                s.max = std::max(s.max, v);
                ++n;
            }
        }
    }
    s.mean = n ? sum / n : 0;
    return s;
}

double MeanDifference(const CRasterImage& a, const CRasterImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return 255;
    double sum = 0;
    for (DWORD y = 0; y < a.GetHeight(); ++y) {
        for (DWORD x = 0; x < a.GetWidth(); ++x) {
            const RGBQUAD p = a.GetPixelColor(long(x), long(y), false);
            const RGBQUAD q = b.GetPixelColor(long(x), long(y), false);
            sum += std::abs(p.rgbRed - q.rgbRed) + std::abs(p.rgbGreen - q.rgbGreen) +
                   std::abs(p.rgbBlue - q.rgbBlue);
        }
    }
    return sum / (3.0 * a.GetWidth() * a.GetHeight());
}

TEST(ShrinkByArea, FineStripesBecomeTheirMeanGrey)
{
    // One-pixel black and white columns: a sampling shrink gives black or white (aliasing).
    CRasterImage stripes;
    FillGrey(stripes, 800, 600, [](DWORD x, DWORD) { return BYTE(x % 2 ? 255 : 0); });
    for (DWORD width : {100u, 96u, 33u}) {
        const auto small = ShrinkByArea(stripes, width, 72);
        ASSERT_TRUE(small);
        const ChannelStats s = StatsOf(*small);
        EXPECT_NEAR(s.mean, 127.5, 1.0) << width;
        EXPECT_GE(s.min, 120) << width;
        EXPECT_LE(s.max, 135) << width;
    }
}

TEST(ShrinkByArea, KeepsTheMeanAndTheSidesOfTheSource)
{
    // A ratio that is no whole number splits source pixels between target pixels.
    CRasterImage ramp;
    FillGrey(ramp, 7, 5, [](DWORD x, DWORD y) { return BYTE(20 * x + 10 * y); });
    const auto small = ShrinkByArea(ramp, 3, 2);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->GetBpp(), 24);
    EXPECT_NEAR(StatsOf(*small).mean, StatsOf(ramp).mean, 0.6);
    // Left dark, right bright: the ramp survives in order.
    const RGBQUAD left = small->GetPixelColor(0, 0, false);
    const RGBQUAD right = small->GetPixelColor(2, 0, false);
    EXPECT_LT(left.rgbRed, right.rgbRed);
}

TEST(ShrinkByArea, ReadsPalettedSourcesAndRefusesEmptyOnes)
{
    CRasterImage paletted(64, 64, 8, RASTER_FORMAT_BMP);
    paletted.SetGrayPalette();
    for (DWORD y = 0; y < 64; ++y)
        for (DWORD x = 0; x < 64; ++x)
            paletted.SetPixelIndex(long(x), long(y), BYTE((x + y) % 2 ? 200 : 100));
    const auto small = ShrinkByArea(paletted, 8, 8);
    ASSERT_TRUE(small);
    const ChannelStats s = StatsOf(*small);
    EXPECT_NEAR(s.mean, 150, 1.0);
    EXPECT_GE(s.min, 148);
    EXPECT_LE(s.max, 152);

    CRasterImage empty;
    EXPECT_FALSE(ShrinkByArea(empty, 8, 8));
    EXPECT_FALSE(ShrinkByArea(paletted, 0, 8));
    EXPECT_FALSE(ShrinkByArea(paletted, 8, 0));
}

// A photo-like picture: smooth gradients with detail, saved as a JPEG file.
std::string SavePhoto(const TempDir& dir, const char* name, DWORD width, DWORD height)
{
    CRasterImage photo;
    photo.Create(width, height, 24, RASTER_FORMAT_JPG);
    for (DWORD row = 0; row < height; ++row) {
        BYTE* bits = photo.GetBits(row);
        for (DWORD x = 0; x < width; ++x) {
            bits[3 * x] = BYTE(x * 255 / width);
            bits[3 * x + 1] = BYTE(row * 255 / height);
            bits[3 * x + 2] = BYTE(128 + 100 * std::sin(x / 40.0) * std::cos(row / 30.0));
        }
    }
    photo.SetJpegQuality(95);
    const std::string path = dir / name;
    return photo.Save(path.c_str(), RASTER_FORMAT_JPG) ? path : std::string();
}

TEST(ThumbnailDecode, AFitBoxDecodesTheJpegSmaller)
{
    TempDir dir;
    const std::string path = SavePhoto(dir, "photo.jpg", 1600, 1200);
    ASSERT_FALSE(path.empty());
    struct
    {
        DWORD boxWidth, boxHeight, width, height;
    } const cases[] = {{96, 72, 200, 150}, {400, 300, 400, 300}, {0, 0, 1600, 1200}};
    for (const auto& c : cases) {
        const auto image = LoadRasterImage(path.c_str(), RASTER_FORMAT_JPG, c.boxWidth, c.boxHeight);
        ASSERT_TRUE(image) << c.boxWidth;
        EXPECT_EQ(image->GetWidth(), c.width);
        EXPECT_EQ(image->GetHeight(), c.height);
    }
    // Other formats ignore the box.
    CRasterImage bitmap(300, 200, 24, RASTER_FORMAT_BMP);
    const std::string bmp = dir / "plain.bmp";
    ASSERT_TRUE(bitmap.Save(bmp.c_str(), RASTER_FORMAT_BMP));
    const auto plain = LoadRasterImage(bmp.c_str(), RASTER_FORMAT_BMP, 96, 72);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->GetWidth(), 300u);
}

TEST(ThumbnailDecode, ScaledDecodeGivesTheSameThumbnailAsTheFullDecode)
{
    TempDir dir;
    const std::string path = SavePhoto(dir, "photo.jpg", 2000, 1500);
    ASSERT_FALSE(path.empty());
    const auto full = LoadRasterImage(path.c_str(), RASTER_FORMAT_JPG);
    const auto scaled = LoadRasterImage(path.c_str(), RASTER_FORMAT_JPG, 96, 72);
    ASSERT_TRUE(full && scaled);
    EXPECT_LT(scaled->GetWidth(), full->GetWidth());
    const auto fromFull = ShrinkByArea(*full, 96, 72);
    const auto fromScaled = ShrinkByArea(*scaled, 96, 72);
    ASSERT_TRUE(fromFull && fromScaled);
    EXPECT_LT(MeanDifference(*fromFull, *fromScaled), 3.0);
}

// The thumbnail thread's read: one read of the file into a block kept from file to file gives
// the pictures the separate reads give, the Exif thumbnail first when asked for.
TEST(ThumbnailDecode, OneReadIntoAKeptBlockGivesTheSamePictures)
{
    TempDir dir;
    const std::string large = SavePhoto(dir, "large.jpg", 1600, 1200);
    const std::string small = SavePhoto(dir, "small.jpg", 640, 480);
    ASSERT_FALSE(large.empty() || small.empty());
    KFileBuffer scratch;
    for (const std::string& path : {large, small, large}) {
        for (const bool exifThumbnail : {false, true}) {
            const auto kept = LoadThumbnailImage(path.c_str(), RASTER_FORMAT_JPG, 96, 72,
                                                 exifThumbnail, scratch);
            const auto alone = LoadRasterImage(path.c_str(), RASTER_FORMAT_JPG, 96, 72);
            ASSERT_TRUE(kept && alone) << path;
            ASSERT_EQ(kept->GetWidth(), alone->GetWidth());
            ASSERT_EQ(kept->GetHeight(), alone->GetHeight());
            EXPECT_EQ(MeanDifference(*kept, *alone), 0.0) << path;
        }
    }
    EXPECT_FALSE(scratch.IsEmpty());
    EXPECT_FALSE(LoadThumbnailImage((dir / "missing.jpg").c_str(), RASTER_FORMAT_JPG, 96, 72,
                                    true, scratch));
    EXPECT_FALSE(LoadThumbnailImage(large.c_str(), 0, 96, 72, false, scratch));
}

TEST(ThumbnailDecode, StripesOfAScaledDecodeDoNotAlias)
{
    TempDir dir;
    CRasterImage stripes;
    FillGrey(stripes, 1600, 1200, [](DWORD x, DWORD) { return BYTE(x % 4 < 2 ? 255 : 0); });
    stripes.SetJpegQuality(100);
    const std::string path = dir / "stripes.jpg";
    ASSERT_TRUE(stripes.Save(path.c_str(), RASTER_FORMAT_JPG));
    const auto scaled = LoadRasterImage(path.c_str(), RASTER_FORMAT_JPG, 96, 72);
    ASSERT_TRUE(scaled);
    const auto thumb = ShrinkByArea(*scaled, 96, 72);
    ASSERT_TRUE(thumb);
    const ChannelStats s = StatsOf(*thumb);
    EXPECT_NEAR(s.mean, 127.5, 4.0);
    EXPECT_GE(s.min, 110);
    EXPECT_LE(s.max, 145);
}

} // namespace
