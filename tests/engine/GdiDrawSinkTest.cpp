// The device context sink on a bitmap: dots of the pen's size (a line of no length would show
// nothing), translucent fills blended with what lies below, and a dotted hatch drawn whole.
#include "OffscreenPicture.h"
#include "portable/ReadDrawing.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/rkio/GdiDrawSink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using orvo::test::OffscreenPicture;
using RkDraw::DevPoint;
using RkDraw::GdiDrawSink;

constexpr std::uint32_t kWhite = 0xFFFFFF;

TEST(GdiDrawSink, DotsTakeThePensSize)
{
    OffscreenPicture thin(40, 40, RGB(255, 255, 255));
    {
        GdiDrawSink sink(thin.Dc());
        sink.SetPen(0x000000, 0.0);
        sink.Dot({10, 10});
        sink.Dot({20, 20});
        sink.Flush();
    }
    EXPECT_EQ(thin.CountOther(kWhite), 2);
    EXPECT_EQ(thin.Pixel(10, 10), 0u);
    OffscreenPicture wide(40, 40, RGB(255, 255, 255));
    {
        GdiDrawSink sink(wide.Dc());
        sink.SetPen(0x000000, 6.0);
        sink.Dot({20, 20});
        sink.Flush();
    }
    EXPECT_GE(wide.CountOther(kWhite), 20);
    EXPECT_LE(wide.CountOther(kWhite), 60);
}

TEST(GdiDrawSink, TranslucentFillsBlendWithWhatLiesBelow)
{
    OffscreenPicture picture(40, 40, RGB(0, 0, 255));
    const DevPoint square[4] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
    const int count = 4;
    {
        GdiDrawSink sink(picture.Dc());
        sink.SetPen(0xFF0000, 0.0);
        sink.SetFillOpacity(0.5);
        sink.Polygons(square, &count, 1);
        sink.SetFillOpacity(1.0);
        sink.Flush();
    }
    const std::uint32_t inside = picture.Pixel(20, 20);
    EXPECT_NEAR(static_cast<int>((inside >> 16) & 0xFF), 128, 8);
    EXPECT_NEAR(static_cast<int>(inside & 0xFF), 128, 8);
    // Outside the polygon, though inside its box's copy, nothing changed.
    EXPECT_EQ(picture.Pixel(5, 5), 0x0000FFu);
    // Opaque again: the next fill covers.
    {
        GdiDrawSink sink(picture.Dc());
        sink.SetPen(0xFF0000, 0.0);
        sink.Polygons(square, &count, 1);
    }
    EXPECT_EQ(picture.Pixel(20, 20), 0xFF0000u);
}

TEST(GdiDrawSink, TranslucentFillsInAMetafileLookAsOverPaper)
{
    // A metafile keeps no pixels to blend with: the fill is recorded in its colour as it would
    // look over white paper, half red: (255, 128, 128).
    HDC emf = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(emf, nullptr);
    const DevPoint square[4] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
    const int count = 4;
    {
        GdiDrawSink sink(emf);
        sink.SetPen(0xFF0000, 0.0);
        sink.SetFillOpacity(0.5);
        sink.Polygons(square, &count, 1);
        sink.SetFillOpacity(1.0);
    }
    HENHMETAFILE recorded = CloseEnhMetaFile(emf);
    ASSERT_NE(recorded, nullptr);
    OffscreenPicture picture(40, 40, RGB(255, 255, 255));
    ENHMETAHEADER header = {};
    GetEnhMetaFileHeader(recorded, sizeof header, &header);
    // Played back at its own size (device units of its frame).
    const RECT bounds{header.rclBounds.left, header.rclBounds.top, header.rclBounds.right + 1,
                      header.rclBounds.bottom + 1};
    PlayEnhMetaFile(picture.Dc(), recorded, &bounds);
    DeleteEnhMetaFile(recorded);
    const std::uint32_t inside = picture.Pixel(20, 20);
    EXPECT_EQ((inside >> 16) & 0xFF, 0xFFu);
    EXPECT_NEAR(static_cast<int>((inside >> 8) & 0xFF), 128, 8);
    EXPECT_NEAR(static_cast<int>(inside & 0xFF), 128, 8);
}

TEST(GdiDrawSink, DottedHatchShowsEveryDot)
{
    // Rows 4 units apart of dots 4 units apart over 10..90: some 400 dots on 100 x 100 pixels.
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "HATCH").S(8, "0").I(62, 7).S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "DOTS").I(70, 0).I(71, 0).I(91, 1).I(92, 2).I(72, 0).I(73, 1).I(93, 4)
        .D(10, 10).D(20, 10).D(10, 90).D(20, 10).D(10, 90).D(20, 90).D(10, 10).D(20, 90).I(97, 0)
        .I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 1).D(53, 0.0).D(43, 0).D(44, 0)
        .D(45, 0).D(46, 4.0).I(79, 2).D(49, 0.0).D(49, -4.0).I(98, 0);
    b.EndSection().Eof();
    auto db = orvo::portable::Read(b);
    OffscreenPicture picture(100, 100, RGB(255, 255, 255));
    RkDraw::ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    {
        GdiDrawSink sink(picture.Dc());
        RkDraw::RenderOptions options;
        RkDraw::DrawingRenderer(*db, sink, options).Draw(0, view);
    }
    EXPECT_GE(picture.CountOther(kWhite), 380);
}

} // namespace

namespace {

// Thin lines written into the picture's pixels must be the pixels GDI's own pen gives: random
// polylines and dots in every direction, reaching past the picture, in changing colours, on
// each picture layout the sink writes itself and under a rectangular and a ragged clip.
struct DirectCase
{
    const char* name;
    int bits;
    bool topDown;
    int clip;        // 0 none, 1 a rectangle, 2 two rectangles (GDI draws)
    int reach;       // how far past the picture points may lie
};

class SinkLines
{
public:
    explicit SinkLines(unsigned seed) : m_seed(seed) {}
    int Next(int range) { m_seed = m_seed * 1103515245u + 12345u; return static_cast<int>((m_seed >> 8) % static_cast<unsigned>(range)); }

private:
    unsigned m_seed;
};

void Clip(HDC dc, int kind)
{
    if (kind >= 1)
        IntersectClipRect(dc, 7, 5, 101, 77);
    if (kind == 2)
        ExcludeClipRect(dc, 40, 30, 60, 50);
}

TEST(GdiDrawSink, ThinLinesInAPictureArePixelsGdiWouldDraw)
{
    constexpr int kW = 120, kH = 90;
    const DirectCase cases[] = {
        {"24-bit top-down", 24, true, 0, 40},     {"24-bit bottom-up", 24, false, 0, 40},
        {"32-bit top-down", 32, true, 0, 40},     {"32-bit bottom-up", 32, false, 0, 40},
        {"clipped to a rectangle", 24, false, 1, 40}, {"clipped raggedly", 24, true, 2, 40},
        {"reaching far out", 32, true, 0, 1000000},
    };
    for (const DirectCase& c : cases) {
        SCOPED_TRACE(c.name);
        OffscreenPicture direct(kW, kH, RGB(255, 255, 255), c.bits, c.topDown);
        OffscreenPicture gdi(kW, kH, RGB(255, 255, 255), c.bits, c.topDown);
        Clip(direct.Dc(), c.clip);
        Clip(gdi.Dc(), c.clip);
        SinkLines random(7);
        GdiDrawSink sink(direct.Dc());
        for (int line = 0; line < 3000; ++line) {
            const std::uint32_t rgb = static_cast<std::uint32_t>(random.Next(0x1000000));
            const int width = random.Next(2);
            const int count = line % 5 == 0 ? 1 : 2 + random.Next(3);
            std::vector<DevPoint> points;
            std::vector<POINT> rounded;
            for (int i = 0; i < count; ++i) {
                // Far-reaching lines start inside, so that they cross the picture.
                const int reach = i == 0 && c.reach > kW ? 0 : c.reach;
                const int x = random.Next(kW + 2 * reach) - reach, y = random.Next(kH + 2 * reach) - reach;
                points.push_back({x + 0.25, y - 0.25});
                rounded.push_back({x, y});
            }
            sink.SetPen(rgb, width);
            HPEN pen = CreatePen(PS_SOLID, width, GdiDrawSink::ToColorRef(rgb));
            HGDIOBJ old = SelectObject(gdi.Dc(), pen);
            if (count == 1) {
                sink.Dot(points[0]);
                rounded.push_back({rounded[0].x + 1, rounded[0].y});
                Polyline(gdi.Dc(), rounded.data(), 2);
            } else {
                sink.Polyline(points.data(), count);
                Polyline(gdi.Dc(), rounded.data(), count);
            }
            SelectObject(gdi.Dc(), old);
            DeleteObject(pen);
        }
        sink.Flush();
        EXPECT_EQ(direct.CountDifferent(gdi), 0);
        EXPECT_GT(direct.CountOther(kWhite), 500);
    }
}

} // namespace
