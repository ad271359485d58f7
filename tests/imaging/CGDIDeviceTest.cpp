// The off-screen device: surface creation rules, rows, copies and blending.
#include "imaging/CGDIDevice.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(GDIDevice, CreateRulesAndRows)
{
    CGDIDevice device;
    EXPECT_FALSE(device.Create(1, 100, 3));
    EXPECT_EQ(device.GetDC(), nullptr);
    ASSERT_TRUE(device.Create(3, 5, 3));
    EXPECT_EQ(device.GetRowSize(), 12);
    EXPECT_EQ(device.GetImageSize(), 60);
    EXPECT_EQ(device.GetHeader()->biBitCount, 24);
    EXPECT_EQ(device.GetRow(0), device.GetBits() + 12 * 4);
    EXPECT_EQ(device.GetRow(4), device.GetBits());
    EXPECT_EQ(device.GetRow(5), nullptr);
    device.GetRow(0)[0] = 77;
    HDC dc = device.GetDC();
    // The same size keeps the surface and its pixels; a size below 2 changes nothing.
    EXPECT_FALSE(device.Create(3, 5, 4));
    EXPECT_FALSE(device.Create(100, 1, 3));
    EXPECT_EQ(device.GetDC(), dc);
    EXPECT_EQ(device.GetRow(0)[0], 77);

    CGDIDevice deep;
    ASSERT_TRUE(deep.Create(3, 2, 4));
    EXPECT_EQ(deep.GetRowSize(), 12);
    EXPECT_EQ(deep.GetBytesPerPixel(), 4);
    // An impossible size fails and leaves the device as it was.
    EXPECT_FALSE(deep.Create(0x7FFFFFF, 0x7FFFFFF, 3));
    EXPECT_EQ(deep.GetWidth(), 3);
}

TEST(GDIDevice, GdiDrawsIntoTheRows)
{
    CGDIDevice device;
    ASSERT_TRUE(device.Create(4, 4, 3));
    RECT top = {0, 0, 4, 1};
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    FillRect(device.GetDC(), &top, brush);
    DeleteObject(brush);
    GdiFlush();
    EXPECT_EQ(device.GetRow(0)[0], 30); // blue first, row 0 is the top
    EXPECT_EQ(device.GetRow(0)[2], 10);
    EXPECT_EQ(device.GetRow(1)[2], 0);
}

TEST(GDIDevice, CopyFromAndCopyTo)
{
    CGDIDevice source, copy;
    EXPECT_FALSE(copy.CopyFrom(source)); // nothing to copy
    ASSERT_TRUE(source.Create(5, 3, 4));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            source.GetRow(y)[4 * x + 1] = static_cast<BYTE>(x + 10 * y);
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(copy.GetBytesPerPixel(), 3);
    EXPECT_EQ(copy.GetRow(2)[3 * 4 + 1], 24);
    // Copying again at the same size reuses the surface.
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(copy.GetRow(1)[3 * 2 + 1], 12);

    CGDIDevice target;
    ASSERT_TRUE(target.Create(5, 3, 3));
    EXPECT_TRUE(copy.CopyTo(target.GetDC()));
    GdiFlush();
    EXPECT_EQ(memcmp(target.GetBits(), copy.GetBits(), static_cast<size_t>(copy.GetImageSize())), 0);
    CGDIDevice empty;
    EXPECT_FALSE(empty.CopyTo(target.GetDC()));
}

TEST(GDIDevice, BlendTable)
{
    struct Case
    {
        int x1, y1, x2, y2, percent;
        bool frame;
        BYTE inside, edge, outside, corner; // blue of (2,2), (1,1), (0,0), (4,4) after blending
    };
    // White pixels under a black fill and a grey (128) frame.
    const Case cases[] = {
        {1, 1, 3, 3, 50, false, 127, 127, 255, 255},
        {1, 1, 3, 3, 100, false, 0, 0, 255, 255},
        {1, 1, 3, 3, -1, false, 0, 0, 255, 255},
        {1, 1, 3, 3, 0, false, 255, 255, 255, 255},
        {1, 1, 3, 3, 100, true, 0, 128, 255, 255},
        {-5, -5, 99, 99, 100, false, 0, 0, 0, 0},         // clipped to the picture
        {-5, -5, 99, 99, 100, true, 0, 0, 128, 128},      // the frame lies on the clipped edges
        {5, 5, 9, 9, 100, false, 255, 255, 255, 255},     // wholly outside
    };
    for (const Case& c : cases) {
        CGDIDevice device;
        ASSERT_TRUE(device.Create(5, 5, 3));
        memset(device.GetBits(), 255, static_cast<size_t>(device.GetImageSize()));
        device.BlendRect(c.x1, c.y1, c.x2, c.y2, RGB(0, 0, 0), c.percent, c.frame, RGB(128, 128, 128));
        EXPECT_EQ(device.GetRow(2)[6], c.inside) << c.percent;
        EXPECT_EQ(device.GetRow(1)[3], c.edge) << c.percent;
        EXPECT_EQ(device.GetRow(0)[0], c.outside) << c.percent;
        EXPECT_EQ(device.GetRow(4)[12], c.corner) << c.percent;
    }
}

TEST(GDIDevice, TextFont)
{
    CGDIDevice device;
    device.InitTextFont();
    ASSERT_NE(device.GetDC(), nullptr);
    EXPECT_EQ(device.GetWidth(), 2);
    LOGFONTA font = {};
    GetObjectA(GetCurrentObject(device.GetDC(), OBJ_FONT), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "Tahoma");
    EXPECT_EQ(font.lfHeight, 16);
    EXPECT_EQ(font.lfWeight, 400);
    SIZE size = {};
    EXPECT_TRUE(GetTextExtentPoint32A(device.GetDC(), "Wide", 4, &size));
    EXPECT_GT(size.cx, 0);
    device.DeleteFont();
    GetObjectA(GetCurrentObject(device.GetDC(), OBJ_FONT), sizeof(font), &font);
    EXPECT_STRNE(font.lfFaceName, "Tahoma");
    device.DeleteFont();
}

} // namespace
