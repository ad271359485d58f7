// Whole-image transforms against a naive per-pixel reference at odd sizes and every depth, and the
// bit-depth reduction.
#include "imaging/CRasterImage.h"
#include "tests/imaging/RasterTestImages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

// Where the result pixel (x, y) comes from in a W x H source.
using SourceOf = std::function<POINT(long x, long y, long W, long H)>;

struct Transform
{
    const char* name;
    bool swapsSize;
    std::function<bool(CRasterImage&)> run;
    SourceOf from;
};

const Transform kTransforms[] = {
    {"Flip", false, [](CRasterImage& i) { return i.Flip(); },
     [](long x, long y, long, long H) { return POINT{x, H - 1 - y}; }},
    {"Mirror", false, [](CRasterImage& i) { return i.Mirror(); },
     [](long x, long y, long W, long) { return POINT{W - 1 - x, y}; }},
    {"RotateLeft", true, [](CRasterImage& i) { return i.RotateLeft(); },
     [](long x, long y, long, long H) { return POINT{y, H - 1 - x}; }},
    {"RotateRight", true, [](CRasterImage& i) { return i.RotateRight(); },
     [](long x, long y, long W, long) { return POINT{W - 1 - y, x}; }},
    {"Rotate180", false, [](CRasterImage& i) { return i.Rotate180(); },
     [](long x, long y, long W, long H) { return POINT{W - 1 - x, H - 1 - y}; }},
};

TEST(RasterTransforms, MatchTheNaiveReference)
{
    const SIZE sizes[] = {{1, 1}, {3, 2}, {13, 7}, {70, 9}, {9, 131}};
    for (const Transform& t : kTransforms)
        for (DWORD bpp : {1u, 4u, 8u, 24u})
            for (const SIZE& size : sizes) {
                SCOPED_TRACE(testing::Message() << t.name << " " << bpp << " bits "
                                                << size.cx << "x" << size.cy);
                CRasterImage source, image;
                FillPattern(source, size.cx, size.cy, bpp);
                FillPattern(image, size.cx, size.cy, bpp);
                image.AlphaCreate();
                for (long y = 0; y < size.cy; ++y)
                    for (long x = 0; x < size.cx; ++x)
                        image.AlphaSet(x, y, static_cast<BYTE>(x * 3 + y));
                ASSERT_TRUE(t.run(image));
                const long W = size.cx, H = size.cy;
                ASSERT_EQ(static_cast<long>(image.GetWidth()), t.swapsSize ? H : W);
                ASSERT_EQ(static_cast<long>(image.GetHeight()), t.swapsSize ? W : H);
                ASSERT_EQ(image.GetBpp(), source.GetBpp());
                for (long y = 0; y < static_cast<long>(image.GetHeight()); ++y)
                    for (long x = 0; x < static_cast<long>(image.GetWidth()); ++x) {
                        const POINT p = t.from(x, y, W, H);
                        const RGBQUAD a = image.GetPixelColor(x, y, false);
                        const RGBQUAD b = source.GetPixelColor(p.x, p.y, false);
                        ASSERT_TRUE(a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen &&
                                    a.rgbBlue == b.rgbBlue) << x << "," << y;
                        ASSERT_EQ(image.AlphaGet(x, y), static_cast<BYTE>(p.x * 3 + p.y));
                    }
            }
}

TEST(RasterTransforms, LeftThenRightIsTheIdentity)
{
    for (DWORD bpp : {1u, 4u, 8u, 24u})
        for (const SIZE& size : {SIZE{3, 2}, SIZE{9, 17}, SIZE{65, 3}, SIZE{130, 67}}) {
            CRasterImage source, image;
            FillPattern(source, size.cx, size.cy, bpp);
            FillPattern(image, size.cx, size.cy, bpp);
            ASSERT_TRUE(image.RotateLeft());
            ASSERT_TRUE(image.RotateRight());
            EXPECT_EQ(ComparePixels(image, source), "") << bpp << " " << size.cx << "x" << size.cy;
        }
}

TEST(RasterTransforms, DestinationLeavesTheSourceAndSelectionIsDropped)
{
    CRasterImage image, turned;
    FillPattern(image, 3, 2, 8);
    ASSERT_TRUE(image.RotateLeft(&turned));
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(turned.GetWidth(), 2u);
    EXPECT_EQ(turned.GetPixelIndex(0, 0), image.GetPixelIndex(0, 1));
    EXPECT_EQ(turned.GetPixelIndex(1, 2), image.GetPixelIndex(2, 0));

    CRasterImage empty;
    EXPECT_FALSE(empty.Flip());
    EXPECT_FALSE(empty.Mirror());
    EXPECT_FALSE(empty.RotateLeft());
    EXPECT_FALSE(empty.Rotate180());
    EXPECT_FALSE(empty.Negative());
}

TEST(RasterTransforms, NegativeByDepthAndPalette)
{
    CRasterImage bw(9, 2, 1, 0);
    bw.SetPaletteColor(0, 0, 0, 0);
    bw.SetPaletteColor(1, 255, 255, 255);
    bw.Clear(0);
    ASSERT_TRUE(bw.Negative());
    EXPECT_EQ(bw.GetPaletteColor(0).rgbRed, 255); // the palette, not the bits
    EXPECT_EQ(bw.GetBits()[0], 0);

    CRasterImage grey(3, 1, 8, 0);
    grey.SetGrayPalette();
    grey.SetPixelIndex(0, 0, 10);
    ASSERT_TRUE(grey.Negative());
    EXPECT_EQ(grey.GetPixelIndex(0, 0), 245);
    EXPECT_EQ(grey.GetPaletteColor(10).rgbRed, 10);

    CRasterImage rgb(2, 1, 24, 0);
    rgb.SetPixelColor(0, 0, RGB(10, 20, 30));
    rgb.SetTransColor(RGBQUAD{0, 0, 0, 0});
    ASSERT_TRUE(rgb.Negative());
    EXPECT_EQ(rgb.GetPixelColor(0, 0).rgbRed, 245);
    EXPECT_EQ(rgb.GetTransColor().rgbBlue, 255);
}

// Codecs and tools may attach a selection plane; the tests make one directly.
class SelectedImage : public CRasterImage
{
public:
    SelectedImage(DWORD bpp, RECT box) : CRasterImage(4, 3, bpp, 0)
    {
        m_pSelection = static_cast<BYTE*>(calloc(12, 1));
        for (long y = box.bottom; y < box.top; ++y)
            for (long x = box.left; x < box.right; ++x)
                m_pSelection[y * 4 + x] = 1;
        m_info.rSelectionBox = box;
    }
};

TEST(RasterTransforms, NegativeOnlyInsideTheSelection)
{
    SelectedImage rgb(24, RECT{1, 2, 3, 0}); // columns 1-2, rows 0-1 (top above bottom)
    rgb.Clear(10);
    ASSERT_TRUE(rgb.Negative());
    EXPECT_EQ(rgb.GetPixelColor(1, 0).rgbRed, 245);
    EXPECT_EQ(rgb.GetPixelColor(2, 1).rgbBlue, 245);
    EXPECT_EQ(rgb.GetPixelColor(0, 0).rgbRed, 10);
    EXPECT_EQ(rgb.GetPixelColor(1, 2).rgbRed, 10);
    EXPECT_TRUE(rgb.SelectionIsInside(1, 1));
    EXPECT_FALSE(rgb.SelectionIsInside(3, 1));

    SelectedImage grey(8, RECT{0, 3, 2, 1});
    grey.SetGrayPalette();
    grey.Clear(0);
    ASSERT_TRUE(grey.Negative());
    EXPECT_EQ(grey.GetPixelIndex(0, 1), 255);
    EXPECT_EQ(grey.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(grey.GetPixelIndex(2, 2), 0);

    // Flip and Mirror drop the selection; DecreaseBpp keeps it.
    SelectedImage kept(24, RECT{0, 1, 1, 0});
    ASSERT_TRUE(kept.DecreaseBpp(8, false));
    EXPECT_TRUE(kept.SelectionIsValid());
    ASSERT_TRUE(kept.Flip());
    EXPECT_FALSE(kept.SelectionIsValid());
}

TEST(RasterDecreaseBpp, Table)
{
    struct Case
    {
        DWORD from, to, important;
        bool result;
        WORD bits;
    };
    const Case cases[] = {
        {8, 8, 0, true, 8},     // same depth, no important colours: unchanged
        {24, 24, 64, false, 24}, // no palette at 24 bits
        {8, 24, 0, false, 8},   // more bits than there are
        {24, 8, 0, true, 8},
        {24, 4, 0, true, 4},
        {24, 1, 0, true, 1},
        {8, 4, 0, true, 4},
        {8, 8, 16, true, 8},
        {24, 2, 0, false, 24},  // not a palette depth
    };
    for (const Case& c : cases) {
        CRasterImage image;
        FillPattern(image, 5, 3, c.from);
        EXPECT_EQ(image.DecreaseBpp(c.to, false, nullptr, c.important), c.result)
            << c.from << "->" << c.to;
        EXPECT_EQ(image.GetBpp(), c.bits) << c.from << "->" << c.to;
        EXPECT_TRUE(image.IsValid());
    }
}

TEST(RasterDecreaseBpp, NearestColourAndErrorDiffusion)
{
    CRasterImage image(2, 1, 24, 0);
    image.SetPixelColor(0, 0, RGB(100, 100, 100));
    image.SetPixelColor(1, 0, RGB(160, 160, 160));
    ASSERT_TRUE(image.DecreaseBpp(1, false));
    EXPECT_EQ(image.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(image.GetPaletteColor(1).rgbGreen, 255);

    CRasterImage grey(16, 16, 24, 0);
    grey.Clear(120);
    ASSERT_TRUE(grey.DecreaseBpp(1, true));
    int white = 0;
    for (long y = 0; y < 16; ++y)
        for (long x = 0; x < 16; ++x)
            white += grey.GetPixelIndex(x, y);
    EXPECT_EQ(grey.GetPixelIndex(0, 0), 0);
    EXPECT_GT(white, 40);
    EXPECT_LT(white, 216);

    CRasterImage pal(4, 4, 24, 0);
    pal.Clear(200);
    ASSERT_TRUE(pal.DecreaseBpp(8, true));
    EXPECT_EQ(pal.GetNumColors(), 256u);
}

TEST(RasterDecreaseBpp, CancelledReductionLeavesTheImage)
{
    CRasterImage image, before;
    FillPattern(image, 20, 10, 24);
    FillPattern(before, 20, 10, 24);
    image.SetEscape(1);
    EXPECT_FALSE(image.DecreaseBpp(4, true));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(ComparePixels(image, before), "");
}

} // namespace
