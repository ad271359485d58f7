// The device context sink on a bitmap: dots of the pen's size (a line of no length would show
// nothing), translucent fills blended with what lies below, and a dotted hatch drawn whole.
#include "OffscreenPicture.h"
#include "portable/ReadDrawing.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/rkio/GdiDrawSink.h"

#include <gtest/gtest.h>

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
