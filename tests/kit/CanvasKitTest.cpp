// The canvas kit: view-port numbers, fitting, zooming, the trim window, the kit's string, the
// version table and the GDI canvas's size and drawing rules.
#include "kit/KGetOsVersion.h"
#include "kit/KString.h"
#include "kit/KTrimWindow.h"
#include "kit/KViewPort.h"
#include "kit/KWinCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(KViewPortTest, TransformsWorldToDeviceWithYDownAndRoundsTiesToEven)
{
    const KViewPort view(10.0f, 20.0f, 2.0f);
    const POINT p = view.ToDevice(11.0f, 19.0f);
    EXPECT_EQ(2, p.x);
    EXPECT_EQ(2, p.y);
    const KViewPort unit(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(2, unit.ToDevice(2.5f, 0.0f).x);
    EXPECT_EQ(4, unit.ToDevice(3.5f, 0.0f).x);
    EXPECT_EQ(-2, unit.ToDevice(0.0f, 2.5f).y);
}

TEST(KViewPortTest, FitRectAndFitExtentsCentreTheBox)
{
    KViewPort view;
    const float wide[4] = {0.0f, 100.0f, 200.0f, 0.0f};
    view.FitRect(100, 100, wide);
    EXPECT_FLOAT_EQ(0.5f, view.GetScale());
    EXPECT_FLOAT_EQ(0.0f, view.GetOriginX());
    EXPECT_FLOAT_EQ(150.0f, view.GetOriginY());

    const float small[4] = {0.0f, 10.0f, 10.0f, 0.0f};
    view.FitExtents(100, 100, small);
    EXPECT_FLOAT_EQ(1.0f, view.GetScale());
    EXPECT_FLOAT_EQ(-45.0f, view.GetOriginX());
    EXPECT_FLOAT_EQ(55.0f, view.GetOriginY());
}

TEST(KViewPortTest, FitOfAFlatBoxKeepsAUsableScale)
{
    KViewPort view(0.0f, 0.0f, 3.0f);
    const float point[4] = {5.0f, 5.0f, 5.0f, 5.0f};
    view.FitRect(100, 50, point);
    EXPECT_FLOAT_EQ(3.0f, view.GetScale());
    const float line[4] = {0.0f, 0.0f, 50.0f, 0.0f};
    view.FitRect(100, 50, line);
    EXPECT_FLOAT_EQ(2.0f, view.GetScale());
}

TEST(KViewPortTest, ZoomAtKeepsThePointUnderThePixelAndRefusesTinyScales)
{
    KViewPort view(10.0f, 20.0f, 2.0f);
    const POINT p = {40, 30};
    const float worldX = view.DeviceToWorldX(p.x);
    const float worldY = view.DeviceToWorldY(p.y);
    ASSERT_TRUE(view.ZoomAt(p, 2.0f));
    EXPECT_FLOAT_EQ(4.0f, view.GetScale());
    EXPECT_NEAR(worldX, view.DeviceToWorldX(p.x), 1e-4);
    EXPECT_NEAR(worldY, view.DeviceToWorldY(p.y), 1e-4);

    KViewPort tiny(0.0f, 0.0f, 2e-5f);
    EXPECT_FALSE(tiny.ZoomAt(p, -1e-5f));
    EXPECT_FLOAT_EQ(2e-5f, tiny.GetScale());
    EXPECT_FALSE(tiny.ZoomAtFactor(p, -1.0f));
}

TEST(KTrimWindowTest, ClassifiesBoxesAgainstTheWindow)
{
    struct Case
    {
        float box[4]; // min x, max y, max x, min y
        int32_t result;
        int32_t code;
    };
    const Case cases[] = {
        {{20, 80, 80, 20}, 1, 0},     // inside
        {{100, 80, 150, 20}, -1, 0},  // min x at the window's max x
        {{-50, 80, 0, 20}, -1, 0},    // max x at the window's min x
        {{20, 150, 80, 100}, -1, 0},  // min y at the window's max y
        {{20, 0, 80, -30}, -1, 0},    // max y at the window's min y
        {{-10, 80, 50, 20}, 0, 1},    // across the left edge
        {{50, 80, 120, 20}, 0, 4},    // across the right edge
        {{20, 50, 80, -10}, 0, 8},    // across the bottom edge
        {{20, 120, 80, 50}, 0, 2},    // across the top edge
        {{-10, 110, 110, -10}, 0, 15} // around the window
    };
    KTrimWindow window(0.0f, 0.0f, 100.0f, 100.0f);
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, window.Classify(c.box)) << c.box[0] << "," << c.box[1];
        if (c.result == 0) {
            EXPECT_EQ(c.code, window.GetCode()) << c.box[0] << "," << c.box[1];
        }
    }
}

TEST(KStringTest, SetAssignLengthAndFormat)
{
    KString s;
    EXPECT_STREQ("", s.GetText());
    s.Assign("abc");
    EXPECT_EQ(3, s.GetLength());
    s.Assign(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s.Set("hello world", 5);
    EXPECT_STREQ("hello", s.GetText());
    s.Set("x", 0);
    EXPECT_TRUE(s.IsEmpty());
    s.Assign("abcdef");
    s.SetLength(3);
    EXPECT_STREQ("abc", s.GetText());
    s.SetLength(0);
    EXPECT_STREQ("abc", s.GetText());
    const KString copy(s);
    EXPECT_STREQ("abc", copy.GetText());

    const std::string long300(300, 'q');
    s.Format("%s", long300.c_str());
    EXPECT_EQ(300, s.GetLength());
    const std::string long3000(3000, 'r');
    s.Format("<%s>", long3000.c_str());
    EXPECT_EQ(3002, s.GetLength());
    const std::string tooLong(9000, 's');
    s.Format("%s", tooLong.c_str());
    EXPECT_EQ(8703, s.GetLength());
    s.Format("width:%d , height:%d", 4, 5);
    EXPECT_STREQ("width:4 , height:5", s.GetText());
}

TEST(KGetOsVersionTest, VersionRecordToCode)
{
    struct Case
    {
        DWORD platform, major, minor;
        int32_t code;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32s, 3, 1, 1},      {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 3},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 4}, {VER_PLATFORM_WIN32_WINDOWS, 3, 95, 3},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 0, 4}, {VER_PLATFORM_WIN32_NT, 4, 0, 2},
        {VER_PLATFORM_WIN32_NT, 5, 0, 5},    {VER_PLATFORM_WIN32_NT, 5, 1, 6},
        {VER_PLATFORM_WIN32_NT, 6, 1, 6},    {VER_PLATFORM_WIN32_NT, 10, 0, 6},
        {7, 1, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, KOsVersionCode(c.platform, c.major, c.minor)) << c.platform << " " << c.major;
    int32_t out = -1;
    EXPECT_EQ(out = KGetOsVersion(out), out);
    EXPECT_EQ(6, out); // Wine reports a modern NT
}

namespace {

COLORREF PixelAt(const KWinCanvas& canvas, int x, int y)
{
    return GetPixel(canvas.GetMemoryDC(), x, y) & 0xFFFFFF;
}

} // namespace

TEST(KWinCanvasTest, SizeGrowsTheBitmapOnlyWhenLarger)
{
    KWinCanvas canvas;
    EXPECT_TRUE(canvas.SetSize(40, 30));
    EXPECT_FALSE(canvas.SetSize(20, 10));
    EXPECT_EQ(20, canvas.GetWidth());
    EXPECT_TRUE(canvas.SetSize(20, 60));
    EXPECT_EQ(4, canvas.BeginDraw(0, true)); // no view port
}

TEST(KWinCanvasTest, ClearsAndDrawsThroughTheViewPort)
{
    KWinCanvas canvas;
    canvas.SetSize(20, 20);
    KViewPort view(0.0f, 20.0f, 1.0f); // world (0, 20) at the top-left
    canvas.SetViewPort(&view);
    ASSERT_EQ(0, canvas.BeginDraw(RGB(10, 20, 30), true));
    EXPECT_EQ(RGB(10, 20, 30), PixelAt(canvas, 19, 19));
    canvas.SetPixel(3.0f, 17.0f, RGB(255, 0, 0));
    const float box[4] = {10.0f, 10.0f, 15.0f, 5.0f};
    canvas.FillRectShadow(RGB(0, 255, 0), box, 2, RGB(0, 0, 0));
    EXPECT_EQ(0, canvas.EndDraw());
    EXPECT_TRUE(canvas.IsDrawingFinished());
    EXPECT_EQ(RGB(255, 0, 0), PixelAt(canvas, 3, 3));
    EXPECT_EQ(RGB(0, 255, 0), PixelAt(canvas, 12, 12));
    EXPECT_EQ(RGB(50, 50, 50), PixelAt(canvas, 16, 13)); // the shadow band right of the box
    EXPECT_EQ(RGB(10, 20, 30), PixelAt(canvas, 16, 10)); // above the band's start
}

TEST(KWinCanvasTest, ClipRectKeepsRectanglesOnTheCanvas)
{
    KWinCanvas canvas;
    canvas.SetSize(100, 50);
    RECT inside = {-10, -10, 30, 200};
    ASSERT_TRUE(canvas.ClipRect(inside));
    EXPECT_EQ(0, inside.left);
    EXPECT_EQ(0, inside.top);
    EXPECT_EQ(30, inside.right);
    EXPECT_EQ(50, inside.bottom);
    RECT outside = {100, 0, 140, 20};
    EXPECT_FALSE(canvas.ClipRect(outside));
    RECT above = {0, -20, 10, 0};
    EXPECT_FALSE(canvas.ClipRect(above));
}

TEST(KWinCanvasTest, DrawsAnImageTopRowFirstAtItsWorldPlace)
{
    // A 2 x 2 bottom-up picture: bottom row red, green; top row blue, white.
    struct
    {
        BITMAPINFOHEADER header;
        BYTE bits[2][8];
    } dib = {};
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = 2;
    dib.header.biHeight = 2;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 24;
    const BYTE rows[2][8] = {{0, 0, 255, 0, 255, 0, 0, 0}, {255, 0, 0, 255, 255, 255, 0, 0}};
    memcpy(dib.bits, rows, sizeof rows);

    KWinCanvas canvas;
    canvas.SetSize(20, 20);
    KViewPort view(0.0f, 2.0f, 10.0f); // the image fills the canvas
    canvas.SetViewPort(&view);
    ASSERT_EQ(0, canvas.BeginDraw(0, true));
    canvas.DrawImage({0.0f, 2.0f}, 2, 2, dib.bits, reinterpret_cast<const BITMAPINFO*>(&dib), false,
                     0, 0, true);
    canvas.EndDraw();
    EXPECT_EQ(RGB(0, 0, 255), PixelAt(canvas, 5, 5));
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(canvas, 15, 5));
    EXPECT_EQ(RGB(255, 0, 0), PixelAt(canvas, 5, 15));
    EXPECT_EQ(RGB(0, 255, 0), PixelAt(canvas, 15, 15));
}

// A fast reduction (a large photograph in a small pane) picks the pixels itself: each pixel of the
// canvas is the picture's pixel at its centre, top row first, for 24- and 32-bit pictures.
TEST(KWinCanvasTest, FastReductionPicksThePixelUnderEachCentre)
{
    const int width = 64;
    const int height = 48;
    // Blocks of 8 x 8 pixels, each of its own colour (block column bx, block row by from the top).
    const auto colourOf = [](int bx, int by) { return RGB(bx * 30, by * 40, 200); };
    for (const WORD bitCount : {WORD{24}, WORD{32}}) {
        SCOPED_TRACE(bitCount);
        const size_t pixel = bitCount / 8;
        const size_t stride = ((width * bitCount + 31) / 32) * 4;
        std::vector<BYTE> bits(stride * height);
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                const COLORREF colour = colourOf(x / 8, (height - 1 - row) / 8); // bottom-up rows
                BYTE* p = bits.data() + row * stride + x * pixel;
                p[0] = GetBValue(colour);
                p[1] = GetGValue(colour);
                p[2] = GetRValue(colour);
            }
        }
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = bitCount;
        KWinCanvas canvas;
        canvas.SetSize(16, 12);
        KViewPort view(0.0f, static_cast<float>(height), 0.25f); // a quarter on each side
        canvas.SetViewPort(&view);
        ASSERT_EQ(0, canvas.BeginDraw(0, true));
        canvas.DrawImage({0.0f, static_cast<float>(height)}, width, height, bits.data(), &info, false, 0, 0, true);
        canvas.EndDraw();
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 16; ++x)
                EXPECT_EQ(colourOf(x / 2, y / 2), PixelAt(canvas, x, y)) << x << "," << y;
        }
    }
}
