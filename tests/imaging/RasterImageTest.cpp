// The raster image object: Create with its limits and texts, copies, ghosts and transfers,
// accessors, and the exchange with GDI bitmaps.
#include "imaging/CRasterImage.h"
#include "imaging/CRasterMemFile.h"
#include "tests/imaging/RasterTestImages.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(RasterImageCreate, Table)
{
    struct Case
    {
        DWORD width, height, bpp;
        bool created;
        WORD bits;
        DWORD stride, colors;
        const char* error;
    };
    const char* const kZero = "CRasterImage::Create : width and height must be greater than zero";
    const char* const kLimit = "RASTER_MAX_MEMORY exceeded";
    const Case cases[] = {
        {0, 10, 24, false, 0, 0, 0, kZero},
        {10, 0, 8, false, 0, 0, 0, kZero},
        {10, 10, 0, true, 1, 4, 2, ""},
        {33, 1, 1, true, 1, 8, 2, ""},
        {10, 10, 2, true, 4, 8, 16, ""},
        {7, 3, 4, true, 4, 4, 16, ""},
        {5, 2, 6, true, 8, 8, 256, ""},
        {3, 2, 24, true, 24, 12, 0, ""},
        {10, 10, 16, true, 24, 32, 0, ""},
        {10, 10, 32, true, 24, 32, 0, ""},
        // (width x height x bits) / 256 above 256,000,000
        {100000, 100000, 24, false, 0, 0, 0, kLimit},
        // within that figure but with a row or a block of 2^31 bytes or more
        {0x7FFFFFFF, 1, 24, false, 0, 0, 0, kLimit},
        {0x80000000, 1, 1, false, 0, 0, 0, kLimit},
        {1, 0x80000000, 1, false, 0, 0, 0, kLimit},
        {65536, 32768, 8, false, 0, 0, 0, kLimit},
        {0xFFFFFFFF, 0xFFFFFFFF, 1, false, 0, 0, 0, kLimit},
    };
    for (const Case& c : cases) {
        CRasterImage image;
        void* block = image.Create(c.width, c.height, c.bpp, 7);
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bpp);
        EXPECT_EQ(block != nullptr, c.created);
        EXPECT_EQ(image.IsValid(), c.created);
        EXPECT_STREQ(image.GetLastError(), c.error);
        if (!c.created)
            continue;
        EXPECT_EQ(image.GetBpp(), c.bits);
        EXPECT_EQ(image.GetEffWidth(), c.stride);
        EXPECT_EQ(image.GetNumColors(), c.colors);
        EXPECT_EQ(image.GetHeader().biSizeImage, c.stride * c.height);
        EXPECT_EQ(image.GetSize(), 40 + c.colors * 4 + c.stride * c.height);
        EXPECT_EQ(image.GetType(), 7u);
        // The header at the front of the block matches the allocation.
        const auto* header = static_cast<const BITMAPINFOHEADER*>(image.GetDIB());
        EXPECT_EQ(header->biSize, 40u);
        EXPECT_EQ(header->biBitCount, c.bits);
        EXPECT_EQ(header->biSizeImage, c.stride * c.height);
        EXPECT_EQ(image.GetBits(), static_cast<BYTE*>(block) + 40 + c.colors * 4);
        for (DWORD i = 0; i < c.colors; ++i)
            EXPECT_EQ(image.GetPaletteColor(static_cast<BYTE>(i)).rgbRed, 0);
    }
}

TEST(RasterImageCreate, FailureLeavesTheImageEmpty)
{
    CRasterImage image(4, 4, 24, 1);
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.Create(0, 4, 24, 1), nullptr);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetBits(), nullptr);
}

TEST(RasterImageAccessors, ResolutionCodecOptionsAndRows)
{
    CRasterImage image;
    EXPECT_EQ(image.GetXDPI(), 96);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 3780);
    EXPECT_EQ(image.GetTransIndex(), -1);
    EXPECT_EQ(image.GetJpegQuality(), 90);
    const struct { LONG dpi, stored, ppm; } dpis[] = {{0, 96, 3780}, {-5, 96, 3780}, {300, 300, 11811},
                                                      {72, 72, 2835}};
    for (const auto& d : dpis) {
        image.SetXDPI(d.dpi);
        image.SetYDPI(d.dpi);
        EXPECT_EQ(image.GetXDPI(), d.stored);
        EXPECT_EQ(image.GetHeader().biXPelsPerMeter, d.ppm);
        EXPECT_EQ(image.GetHeader().biYPelsPerMeter, d.ppm);
    }
    EXPECT_EQ(image.GetCodecOption(17), 0u);
    EXPECT_FALSE(image.SetCodecOption(5, 17));
    EXPECT_TRUE(image.SetCodecOption(5, 3));
    EXPECT_EQ(image.GetCodecOption(3), 5u);
    EXPECT_EQ(image.GetBits(0), nullptr);

    ASSERT_TRUE(image.Create(3, 2, 24, 3));
    EXPECT_EQ(image.GetCodecOption(), 5u); // code 0: the image's own format
    EXPECT_NE(image.GetBits(1), nullptr);
    EXPECT_EQ(image.GetBits(1) - image.GetBits(0), 12);
    EXPECT_EQ(image.GetBits(2), nullptr);
    EXPECT_EQ(image.GetColorType(), 2);
    image.AlphaCreate();
    EXPECT_EQ(image.GetColorType(), 4);
}

TEST(RasterImageAccessors, ClearFillsByDepth)
{
    const struct { DWORD bpp; BYTE value, stored; } cases[] = {
        {1, 1, 255}, {1, 0, 0}, {4, 0x1F, 0xFF}, {4, 0x12, 0x22}, {8, 0x12, 0x12}, {24, 7, 7}};
    for (const auto& c : cases) {
        CRasterImage image(5, 3, c.bpp, 0);
        image.Clear(c.value);
        for (DWORD i = 0; i < image.GetHeader().biSizeImage; ++i)
            ASSERT_EQ(image.GetBits()[i], c.stored) << c.bpp;
    }
}

TEST(RasterImageAccessors, TransColorComesFromThePaletteOnlyWithinIt)
{
    CRasterImage image(2, 2, 4, 0);
    image.SetPaletteColor(3, 10, 20, 30);
    image.SetTransColor(RGBQUAD{1, 2, 3, 99});
    EXPECT_EQ(image.GetTransColor().rgbReserved, 0); // reserved forced to 0
    image.SetTransIndex(3);
    EXPECT_TRUE(image.IsTransparent());
    EXPECT_EQ(image.GetTransColor().rgbRed, 10);
    image.SetTransIndex(200); // beyond the 16 entries: no read past the palette
    const RGBQUAD outside = image.GetTransColor();
    EXPECT_EQ(outside.rgbRed | outside.rgbGreen | outside.rgbBlue, 0);
}

TEST(RasterImageCopies, CopyInfoCarriesSettingsNeverBuffers)
{
    CRasterImage source(4, 4, 8, 4);
    source.SetJpegQuality(40);
    source.SetFrame(3);
    source.SetCodecOption(9, 4);
    CRasterImage target;
    target.CopyInfo(source);
    EXPECT_EQ(target.GetJpegQuality(), 40);
    EXPECT_EQ(target.GetFrame(), 3);
    EXPECT_EQ(target.GetCodecOption(4), 9u);
    EXPECT_FALSE(target.IsValid());
    EXPECT_EQ(target.GetBits(), nullptr); // no pixel pointer taken over
    EXPECT_TRUE(target.Destroy());        // and no ghost link: it is an owning image

    // An image that holds a picture keeps its own settings.
    CRasterImage holder(2, 2, 24, 1);
    holder.CopyInfo(source);
    EXPECT_EQ(holder.GetJpegQuality(), 90);
}

TEST(RasterImageCopies, CopyWithAndWithoutPixelsAndPlanes)
{
    CRasterImage source(5, 3, 8, 2);
    source.SetPaletteColor(1, 9, 8, 7);
    source.Clear(1);
    source.AlphaCreate();
    source.AlphaSet(2, 1, 17);
    CRasterImage full(source, true, true, true);
    ASSERT_TRUE(full.IsValid());
    EXPECT_EQ(memcmp(full.GetDIB(), source.GetDIB(), source.GetSize()), 0);
    EXPECT_EQ(full.AlphaGet(2, 1), 17);
    EXPECT_NE(full.GetBits(), source.GetBits());

    CRasterImage bare(source, false, false, false);
    EXPECT_EQ(bare.GetPaletteColor(1).rgbRed, 9);
    EXPECT_FALSE(bare.AlphaIsValid());
    EXPECT_EQ(bare.GetType(), 2u);
}

TEST(RasterImageCopies, TransferMovesEverythingAndResetsTheSource)
{
    CRasterImage source(6, 4, 24, 3);
    source.SetJpegQuality(55);
    source.SetTransIndex(4);
    source.AlphaCreate();
    BYTE* const pixels = source.GetBits();
    CRasterImage target(2, 2, 8, 1);
    ASSERT_TRUE(target.Transfer(source));
    EXPECT_EQ(target.GetBits(), pixels);
    EXPECT_EQ(target.GetWidth(), 6u);
    EXPECT_EQ(target.GetJpegQuality(), 55);
    EXPECT_TRUE(target.AlphaIsValid());
    EXPECT_FALSE(source.IsValid());
    EXPECT_FALSE(source.AlphaIsValid());
    EXPECT_EQ(source.GetWidth(), 0u);
    // The source is left with default settings, not a zeroed record.
    EXPECT_EQ(source.GetTransIndex(), -1);
    EXPECT_EQ(source.GetJpegQuality(), 90);
    EXPECT_EQ(source.GetXDPI(), 96);
    EXPECT_EQ(source.GetBits(), nullptr);
}

TEST(RasterImageCopies, GhostBorrowsAndNeverFrees)
{
    CRasterImage source(4, 4, 8, 1);
    source.Clear(5);
    {
        CRasterImage ghost;
        ghost.Ghost(&source);
        EXPECT_EQ(ghost.GetBits(), source.GetBits());
        EXPECT_EQ(ghost.GetPixelIndex(1, 1), 5);
        EXPECT_FALSE(ghost.Destroy());
        EXPECT_EQ(ghost.Create(2, 2, 8, 0), nullptr);
        CRasterImage thief;
        EXPECT_FALSE(thief.Transfer(ghost)); // a ghost's buffers cannot change owner
    } // the ghost ends without freeing anything
    EXPECT_TRUE(source.IsValid());
    EXPECT_EQ(source.GetPixelIndex(3, 3), 5);
}

TEST(RasterImageCopies, EncodeSafeCheckTexts)
{
    CRasterImage image;
    EXPECT_TRUE(image.EncodeSafeCheck(nullptr));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
    CRasterMemFile stream;
    ASSERT_TRUE(stream.Open());
    EXPECT_TRUE(image.EncodeSafeCheck(&stream));
    EXPECT_STREQ(image.GetLastError(), "null image!!!");
    CRasterImage valid(1, 1, 24, 0);
    EXPECT_FALSE(valid.EncodeSafeCheck(&stream));
}

TEST(RasterImageBitmap, RoundTripThroughAnHBITMAP)
{
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bpp);
        CRasterImage source;
        FillPattern(source, 13, 7, bpp);
        HBITMAP bitmap = source.MakeBitmap();
        ASSERT_NE(bitmap, nullptr);
        CRasterImage back;
        ASSERT_TRUE(back.CreateFromHBITMAP(bitmap));
        DeleteObject(bitmap);
        ASSERT_EQ(back.GetBpp(), source.GetBpp());
        ASSERT_EQ(back.GetWidth(), 13u);
        for (long y = 0; y < 7; ++y)
            for (long x = 0; x < 13; ++x) {
                const RGBQUAD a = source.GetPixelColor(x, y), b = back.GetPixelColor(x, y);
                ASSERT_EQ(RGB(a.rgbRed, a.rgbGreen, a.rgbBlue), RGB(b.rgbRed, b.rgbGreen, b.rgbBlue))
                    << x << "," << y;
            }
    }
}

TEST(RasterImageBitmap, CompatibleBitmapAndStretch)
{
    CRasterImage source;
    FillPattern(source, 8, 8, 24);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = source.MakeBitmap(screen);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    DeleteObject(bitmap);

    CRasterImage empty;
    EXPECT_EQ(empty.MakeBitmap(), nullptr);
    EXPECT_FALSE(empty.Stretch(nullptr, 0, 0, 1, 1));
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(source.Stretch(nullptr, 0, 0, 8, 8));
    EXPECT_TRUE(source.Stretch(memory, 0, 0, 8, 8));
    DeleteDC(memory);
}

TEST(RasterImageBitmap, FailedCreateFromHBITMAPKeepsThePicture)
{
    CRasterImage image;
    FillPattern(image, 4, 4, 8);
    EXPECT_FALSE(image.CreateFromHBITMAP(nullptr));
    EXPECT_FALSE(image.CreateFromHBITMAP(reinterpret_cast<HBITMAP>(GetStockObject(WHITE_BRUSH))));
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 4u);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 5);
}

} // namespace
