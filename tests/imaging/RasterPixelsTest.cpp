// Pixels, palettes, the nearest-colour search, the standard palettes, alpha and selection planes
// and the codec conversions of the raster image.
#include "imaging/CRasterImage.h"
#include "imaging/StandardPalettes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

RGBQUAD Quad(BYTE red, BYTE green, BYTE blue)
{
    return RGBQUAD{blue, green, red, 0};
}

TEST(RasterNearestIndex, Table)
{
    struct Case
    {
        RGBQUAD color;
        BYTE index;
    };
    CRasterImage bw(4, 4, 1, 0);
    bw.SetPaletteColor(0, 0, 0, 0);
    bw.SetPaletteColor(1, 255, 255, 255);
    const Case bwCases[] = {{Quad(127, 127, 127), 0}, {Quad(128, 128, 128), 1}, {Quad(0, 0, 0), 0},
                            {Quad(255, 255, 255), 1}, {Quad(255, 0, 0), 0}, {Quad(255, 255, 0), 1}};
    for (const Case& c : bwCases)
        EXPECT_EQ(bw.GetNearestIndex(c.color), c.index);

    CRasterImage same(2, 2, 4, 0); // all 16 entries black: the lowest index wins
    EXPECT_EQ(same.GetNearestIndex(Quad(10, 10, 10)), 0);

    CRasterImage std8(2, 2, 8, 0);
    std8.SetStdPalette();
    const Case stdCases[] = {{Quad(255, 0, 0), 249}, {Quad(254, 0, 0), 40}, {Quad(242, 242, 242), 226},
                             {Quad(192, 220, 192), 8}, {Quad(255, 255, 255), 255}};
    for (const Case& c : stdCases)
        EXPECT_EQ(std8.GetNearestIndex(c.color), c.index);

    // Important colours limit the search, bounded by the palette.
    std8.SetClrImportant(8);
    EXPECT_EQ(std8.GetNearestIndex(Quad(255, 255, 255)), 7);

    CRasterImage rgb(2, 2, 24, 0);
    EXPECT_EQ(rgb.GetNearestIndex(Quad(1, 2, 3)), 0);
}

TEST(RasterNearestIndex, CacheIsDroppedByPaletteWrites)
{
    CRasterImage image(2, 2, 8, 0);
    image.SetGrayPalette();
    EXPECT_EQ(image.GetNearestIndex(Quad(255, 0, 0)), 85);
    image.SetStdPalette();
    EXPECT_EQ(image.GetNearestIndex(Quad(255, 0, 0)), 249);
    image.SetPaletteColor(3, 255, 0, 0);
    EXPECT_EQ(image.GetNearestIndex(Quad(255, 0, 0)), 3);
}

TEST(RasterPalette, StandardAndGreyPalettes)
{
    EXPECT_EQ(kStandardPalette256[40].rgbRed, 254);
    EXPECT_EQ(kStandardPalette256[40].rgbGreen, 0);
    EXPECT_EQ(kStandardPalette256[9].rgbBlue, 240);
    EXPECT_EQ(kStandardPalette256[245].rgbRed, 14);
    EXPECT_EQ(kStandardPalette256[246].rgbRed, 255);
    EXPECT_EQ(memcmp(&kStandardPalette256[249], &kStandardPalette16[9], 7 * sizeof(RGBQUAD)), 0);

    const struct { DWORD bpp; BYTE last; BYTE step; } greys[] = {{1, 255, 255}, {4, 255, 17}, {8, 255, 1}};
    for (const auto& g : greys) {
        CRasterImage image(1, 1, g.bpp, 0);
        image.SetGrayPalette();
        EXPECT_EQ(image.GetPaletteColor(1).rgbGreen, g.step);
        EXPECT_EQ(image.GetPaletteColor(static_cast<BYTE>(image.GetNumColors() - 1)).rgbRed, g.last);
        EXPECT_EQ(image.IsGrayScale(), g.bpp == 8);
    }
    CRasterImage rgb(1, 1, 24, 0);
    rgb.SetStdPalette();
    rgb.SetGrayPalette();
    EXPECT_EQ(rgb.GetPalette(), nullptr);
    EXPECT_FALSE(rgb.IsGrayScale());
}

// A decoder may lower the palette count below what Create laid out.
class ShortPaletteImage : public CRasterImage
{
public:
    ShortPaletteImage(DWORD bpp, DWORD colors) : CRasterImage(3, 2, bpp, 0)
    {
        m_header.biClrUsed = colors;
    }
};

TEST(RasterPalette, LoweredEntryCounts)
{
    ShortPaletteImage one(8, 1);
    one.SetPaletteColor(0, 9, 9, 9);
    one.SetGrayPalette(); // one entry: black, no division by zero
    EXPECT_EQ(one.GetPaletteColor(0).rgbRed, 0);
    EXPECT_EQ(one.GetNumColors(), 1u);
    one.SetTransIndex(5);
    EXPECT_EQ(one.GetTransColor().rgbRed, 0); // entry 5 does not exist: never read
    one.SetPaletteColor(5, 1, 2, 3);
    EXPECT_EQ(one.GetPaletteColor(5).rgbRed, 0);
    EXPECT_EQ(one.GetNearestIndex(RGBQUAD{255, 255, 255, 0}), 0);

    ShortPaletteImage three(8, 3);
    three.SetGrayPalette();
    EXPECT_EQ(three.GetPaletteColor(2).rgbRed, 254); // (255 / 2) x 2
    three.SetClrImportant(200);
    EXPECT_EQ(three.GetNearestIndex(RGBQUAD{255, 255, 255, 0}), 2);
    // The block keeps the layout Create made, so the picture still encodes and draws whole.
    HBITMAP bitmap = three.MakeBitmap();
    EXPECT_NE(bitmap, nullptr);
    DeleteObject(bitmap);
}

TEST(RasterPalette, AccessesAreBoundedByTheEntryCount)
{
    CRasterImage image(2, 2, 1, 0);
    image.SetPaletteColor(5, 1, 2, 3); // beyond 2 entries: ignored
    BYTE r = 0, g = 0, b = 0;
    EXPECT_FALSE(image.GetPaletteColor(5, &r, &g, &b));
    EXPECT_EQ(image.GetPaletteColor(5).rgbRed, 0);
    RGBQUAD many[256];
    for (RGBQUAD& q : many)
        q = Quad(0x55, 0x55, 0x55);
    image.SetPalette(many, 256); // copies only 2
    EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 0x55);
    EXPECT_EQ(image.GetPaletteSize(), 8u);
    const BYTE red[3] = {1, 2, 3};
    image.SetPalette(3, red, nullptr, nullptr);
    EXPECT_EQ(image.GetPaletteColor(1).rgbBlue, 2);
    const RGBTRIPLE triplets[3] = {{9, 8, 7}, {6, 5, 4}, {3, 2, 1}};
    image.SetPalette(triplets, 3);
    EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 4);

    const struct { DWORD bpp, request, stored; } important[] = {
        {1, 5, 2}, {4, 300, 0}, {4, 0, 0}, {4, 12, 12}, {4, 40, 16}, {8, 200, 200}};
    for (const auto& c : important) {
        CRasterImage i(1, 1, c.bpp, 0);
        i.SetClrImportant(c.request);
        EXPECT_EQ(i.GetHeader().biClrImportant, c.stored) << c.bpp << " " << c.request;
    }
    EXPECT_FALSE(image.AlphaPaletteIsValid());
    image.SetPaletteColor(0, 1, 1, 1, 7);
    EXPECT_TRUE(image.AlphaPaletteIsValid());
}

TEST(RasterPalette, SwapIndexExchangesEntriesAndPixels)
{
    CRasterImage image(3, 1, 4, 0);
    image.SetPaletteColor(1, 10, 0, 0);
    image.SetPaletteColor(2, 20, 0, 0);
    image.SetPixelIndex(0, 0, 1);
    image.SetPixelIndex(1, 0, 2);
    image.SetPixelIndex(2, 0, 3);
    image.SwapIndex(1, 2);
    EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 20);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 3);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 10);
}

TEST(RasterPixels, IndexAccessByDepth)
{
    CRasterImage four(5, 2, 4, 0);
    four.Clear(0);
    four.SetPixelIndex(1, 1, 0x13);
    EXPECT_EQ(four.GetPixelIndex(1, 1), 3);
    EXPECT_EQ(four.GetPixelIndex(0, 1), 0);
    EXPECT_EQ(four.GetBits(1)[0], 0x03);
    CRasterImage one(9, 1, 1, 0);
    one.Clear(0);
    one.SetPixelIndex(8, 0, 3);
    EXPECT_EQ(one.GetBits()[1], 0x80);
    EXPECT_EQ(one.GetPixelIndex(8, 0), 1);
    one.SetPixelIndex(9, 0, 1); // outside: ignored
    EXPECT_EQ(one.GetBits()[1], 0x80);

    // Outside reads: the transparent index when set, else the first pixel byte.
    CRasterImage eight(2, 2, 8, 0);
    eight.Clear(6);
    EXPECT_EQ(eight.GetPixelIndex(-1, 0), 6);
    eight.SetTransIndex(9);
    EXPECT_EQ(eight.GetPixelIndex(5, 5), 9);
}

TEST(RasterPixels, ColourAccessInsideAndOutside)
{
    CRasterImage rgb(3, 2, 24, 0);
    rgb.Clear(0);
    rgb.SetPixelColor(0, 0, RGB(10, 20, 30));
    rgb.SetPixelColor(2, 1, RGB(1, 2, 3));
    EXPECT_EQ(rgb.GetBits(1)[6], 3); // blue first
    EXPECT_EQ(rgb.GetPixelColor(2, 1).rgbRed, 1);
    EXPECT_EQ(rgb.GetPixelColor(7, 7).rgbRed, 10); // outside: pixel (0, 0)
    rgb.SetTransIndex(0);
    rgb.SetTransColor(Quad(50, 60, 70));
    EXPECT_EQ(rgb.GetPixelColor(-1, 0).rgbRed, 50);

    CRasterImage empty;
    empty.SetTransColor(Quad(5, 6, 7));
    EXPECT_EQ(empty.GetPixelColor(0, 0).rgbRed, 5);
    EXPECT_EQ(empty.GetPixelIndex(0, 0), 0);

    rgb.AlphaCreate();
    rgb.SetPixelColor(1, 1, RGBQUAD{1, 2, 3, 44}, true);
    EXPECT_EQ(rgb.AlphaGet(1, 1), 44);
    EXPECT_EQ(rgb.GetPixelColor(1, 1).rgbReserved, 44);
    EXPECT_EQ(rgb.GetPixelColor(1, 1, false).rgbReserved, 0);

    CRasterImage pal(2, 1, 8, 0);
    pal.SetStdPalette();
    pal.SetPixelColor(1, 0, RGB(0, 0, 255));
    EXPECT_EQ(pal.GetPixelIndex(1, 0), 252);
}

TEST(RasterPixels, RGBtoBGRSwapsOnlyWholeGroups)
{
    CRasterImage rgb(3, 1, 24, 0); // stride 12
    BYTE buffer[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    rgb.RGBtoBGR(buffer, 8); // groups at 0 and 3 only; the group at 6 would pass the length
    const BYTE expected[8] = {3, 2, 1, 6, 5, 4, 7, 8};
    EXPECT_EQ(memcmp(buffer, expected, 8), 0);
    rgb.RGBtoBGR(buffer + 8, 100); // capped at the stride: groups at 0, 3, 6, 9 of 12 bytes
    EXPECT_EQ(buffer[8], 11);
    EXPECT_EQ(buffer[15], 16);
    CRasterImage pal(3, 1, 8, 0);
    BYTE same[3] = {1, 2, 3};
    pal.RGBtoBGR(same, 3);
    EXPECT_EQ(same[0], 1);
}

TEST(RasterPixels, AlphaAndSelectionPlanes)
{
    CRasterImage image(3, 2, 24, 0);
    EXPECT_EQ(image.AlphaGet(0, 0), 0);
    EXPECT_FALSE(image.AlphaFlip());
    image.AlphaCreate();
    EXPECT_EQ(image.AlphaGet(2, 1), 255);
    image.AlphaSet(0, 0, 1);
    image.AlphaSet(2, 0, 2);
    image.AlphaSet(9, 9, 3);
    ASSERT_TRUE(image.AlphaMirror());
    EXPECT_EQ(image.AlphaGet(2, 0), 1);
    ASSERT_TRUE(image.AlphaFlip());
    EXPECT_EQ(image.AlphaGet(2, 1), 1);
    EXPECT_EQ(image.AlphaGet(0, 1), 2);
    CRasterImage other(3, 2, 8, 0), wrong(2, 2, 8, 0);
    EXPECT_TRUE(other.AlphaCopy(image));
    EXPECT_EQ(other.AlphaGet(0, 1), 2);
    EXPECT_FALSE(wrong.AlphaCopy(image));

    EXPECT_TRUE(image.SelectionIsInside(1, 1));
    EXPECT_FALSE(image.SelectionIsInside(3, 0));
    EXPECT_TRUE(image.SelectionDelete());
    const RECT box = image.GetSelectionBox();
    EXPECT_EQ(box.left, 3);
    EXPECT_EQ(box.bottom, 2);
    EXPECT_EQ(box.right, 0);
    EXPECT_FALSE(other.SelectionCopy(image));
}

TEST(RasterConversions, BitfieldTable)
{
    struct Case
    {
        WORD red, green, blue;
        WORD pixel;
        BYTE r, g, b;
    };
    const Case cases[] = {
        {0xF800, 0x07E0, 0x001F, 0xFFFF, 248, 252, 248},
        {0x7C00, 0x03E0, 0x001F, 0x7FFF, 248, 248, 248},
        {0x7C00, 0x03E0, 0x001F, 0x001F, 0, 0, 248},
        {0x7C00, 0x03E0, 0x001F, 0x0421, 8, 8, 8},
        {0xF800, 0x07E0, 0x001F, 0x07E0, 0, 252, 0},
        {0x0F00, 0x00F0, 0x000F, 0x0F00, 240, 0, 0}, // 4-4-4
        {0x0000, 0x0000, 0x0000, 0xFFFF, 0, 0, 0},   // no masks: black, never an undefined shift
        {0x001F, 0x03E0, 0x7C00, 0x001F, 248, 0, 0}, // blue and red swapped
    };
    for (const Case& c : cases) {
        CRasterImage image(3, 2, 24, 0);
        BYTE source[16] = {};
        for (int i = 0; i < 8; ++i) {
            source[2 * i] = static_cast<BYTE>(c.pixel);
            source[2 * i + 1] = static_cast<BYTE>(c.pixel >> 8);
        }
        image.Bitfield2RGB(source, c.red, c.green, c.blue, 16);
        for (long y = 0; y < 2; ++y)
            for (long x = 0; x < 3; ++x) {
                const RGBQUAD q = image.GetPixelColor(x, y);
                EXPECT_EQ(q.rgbRed, c.r) << std::hex << c.pixel;
                EXPECT_EQ(q.rgbGreen, c.g) << std::hex << c.pixel;
                EXPECT_EQ(q.rgbBlue, c.b) << std::hex << c.pixel;
            }
    }
}

TEST(RasterConversions, InPlaceConversionsKeepEveryPixel)
{
    // 16 bits in place: the 2-byte pixels are read before the 3-byte results overwrite them.
    for (DWORD width : {1u, 2u, 5u, 8u}) {
        CRasterImage image(width, 3, 24, 0);
        BYTE* bits = image.GetBits();
        const size_t sourceStride = (width + 1) / 2 * 4;
        for (DWORD y = 0; y < 3; ++y)
            for (DWORD x = 0; x < width; ++x) {
                const WORD w = static_cast<WORD>(((x + y) & 31) << 10 | (x & 31) << 5 | (y & 31));
                bits[y * sourceStride + 2 * x] = static_cast<BYTE>(w);
                bits[y * sourceStride + 2 * x + 1] = static_cast<BYTE>(w >> 8);
            }
        image.Bitfield2RGB(bits, 0x7C00, 0x03E0, 0x001F, 16);
        for (long y = 0; y < 3; ++y)
            for (long x = 0; x < static_cast<long>(width); ++x) {
                const RGBQUAD q = image.GetPixelColor(x, y);
                ASSERT_EQ(q.rgbRed, ((x + y) & 31) << 3) << width << " " << x << "," << y;
                ASSERT_EQ(q.rgbGreen, (x & 31) << 3);
                ASSERT_EQ(q.rgbBlue, (y & 31) << 3);
            }
    }
    // 32 bits: rows of width x 4 bytes, bottom row first.
    for (DWORD width : {1u, 3u, 4u, 7u}) {
        const DWORD height = 4;
        CRasterImage image(width, height, 24, 0);
        std::vector<BYTE> block(static_cast<size_t>(width) * height * 4);
        for (DWORD i = 0; i < width * height; ++i) {
            block[4 * i] = static_cast<BYTE>(i);
            block[4 * i + 1] = static_cast<BYTE>(i + 100);
            block[4 * i + 2] = static_cast<BYTE>(i + 200);
            block[4 * i + 3] = 0xEE;
        }
        image.Bitfield2RGB(block.data(), 0, 0, 0, 32);
        for (long y = 0; y < static_cast<long>(height); ++y)
            for (long x = 0; x < static_cast<long>(width); ++x) {
                const DWORD i = static_cast<DWORD>(y) * width + x;
                const RGBQUAD q = image.GetPixelColor(x, y);
                ASSERT_EQ(q.rgbBlue, static_cast<BYTE>(i));
                ASSERT_EQ(q.rgbRed, static_cast<BYTE>(i + 200));
            }
    }
}

TEST(RasterConversions, CompareColorsByLuminance)
{
    const RGBQUAD black = Quad(0, 0, 0), white = Quad(255, 255, 255), green = Quad(0, 255, 0),
                  red = Quad(255, 0, 0);
    EXPECT_LT(CRasterImage::CompareColors(&black, &white), 0);
    EXPECT_GT(CRasterImage::CompareColors(&green, &red), 0);
    EXPECT_EQ(CRasterImage::CompareColors(&red, &red), 0);
    EXPECT_EQ(CRasterImage::RGBtoRGBQUAD(RGB(1, 2, 3)).rgbBlue, 3);
}

} // namespace
