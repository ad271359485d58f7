// The renderer's geometry through a recording sink: where a line lands, colours and colour
// modes, layers off, blocks and their colours, viewports and their clip, text, extents and abort.
#include "DxfSampleDrawing.h"
#include "ReadDrawing.h"
#include "RecordingSink.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/TextPainter.h"
#include "engine/dxf/DxfReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::Read;
using orvo::portable::RecordingSink;


// A 100 x 100 device showing world 0..100 (one unit per pixel).
ViewTransform UnitView()
{
    ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    return view;
}

std::unique_ptr<Database> Entities(const std::function<void(DxfBuilder&)>& add)
{
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LAYER");
    b.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7);
    b.S(0, "LAYER").S(2, "Red").I(70, 0).I(62, 1);
    b.S(0, "LAYER").S(2, "Off").I(70, 0).I(62, -2);
    b.S(0, "ENDTAB").EndSection();
    b.Section("BLOCKS");
    b.S(0, "BLOCK").S(2, "B").I(70, 0).P(10, 0, 0);
    b.S(0, "LINE").S(8, "0").I(62, 0).P(10, 0, 0).P(11, 10, 0);
    b.S(0, "ENDBLK").EndSection();
    b.Section("ENTITIES");
    add(b);
    b.EndSection().Eof();
    return Read(b);
}

TEST(DrawingRenderer, LineLandsOnTheRightPixels)
{
    auto db = Entities([](DxfBuilder& b) { b.S(0, "LINE").S(8, "Red").P(10, 10, 20).P(11, 90, 20); });
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    ASSERT_EQ(sink.strokes.size(), 1u);
    const auto& s = sink.strokes[0];
    EXPECT_EQ(s.rgb, 0xFF0000u);
    EXPECT_DOUBLE_EQ(s.points[0].x, 10.0);
    EXPECT_DOUBLE_EQ(s.points[0].y, 80.0);      // y grows downwards on the device
    EXPECT_DOUBLE_EQ(s.points[1].x, 90.0);
}

TEST(DrawingRenderer, ColourModesAndBackground)
{
    const struct { ColorMode mode; std::uint32_t background; std::uint32_t red; std::uint32_t white; } cases[] = {
        {ColorMode::Color, 0xFFFFFF, 0xFF0000, 0x000000},     // white lines turn black on white
        {ColorMode::Color, 0x000000, 0xFF0000, 0xFFFFFF},
        {ColorMode::Grey, 0xFFFFFF, 0x4C4C4C, 0x000000},
        {ColorMode::BlackWhite, 0xFFFFFF, 0x000000, 0x000000},
        {ColorMode::BlackWhite, 0x000000, 0xFFFFFF, 0xFFFFFF},
    };
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "LINE").S(8, "Red").P(10, 0, 0).P(11, 50, 50);
        b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 50, 50);
    });
    for (const auto& c : cases) {
        RecordingSink sink;
        RenderOptions options;
        options.colorMode = c.mode;
        options.background = c.background;
        DrawingRenderer(*db, sink, options).Draw(0, UnitView());
        ASSERT_EQ(sink.strokes.size(), 2u);
        EXPECT_EQ(sink.strokes[0].rgb, c.red) << static_cast<int>(c.mode);
        EXPECT_EQ(sink.strokes[1].rgb, c.white) << static_cast<int>(c.mode);
    }
}

TEST(DrawingRenderer, LayersOffAndBlocksByBlockColour)
{
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "LINE").S(8, "Off").P(10, 0, 0).P(11, 50, 50);
        b.S(0, "INSERT").S(8, "Red").I(62, 3).S(2, "B").P(10, 20, 30).D(41, 2).D(42, 2).D(50, 90);
    });
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    ASSERT_EQ(sink.strokes.size(), 1u);     // the line on the layer that is off is not drawn
    const auto& s = sink.strokes[0];
    EXPECT_EQ(s.rgb, 0x00FF00u);             // by block: the insert's green
    EXPECT_NEAR(s.points[0].x, 20.0, 1e-9);
    EXPECT_NEAR(s.points[0].y, 70.0, 1e-9);
    EXPECT_NEAR(s.points[1].x, 20.0, 1e-9);  // rotated 90 degrees, scaled 2: up 20 units
    EXPECT_NEAR(s.points[1].y, 50.0, 1e-9);
}

TEST(DrawingRenderer, ViewportClipsItsModelView)
{
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 10, 0);
        b.S(0, "VIEWPORT").S(8, "0").I(67, 1).P(10, 50, 50).D(40, 40).D(41, 20).I(68, 1).I(69, 2)
            .P(12, 5, 0).D(45, 10).P(16, 0, 0, 1);
    });
    ASSERT_EQ(db->Layouts().size(), 2u);
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(1, UnitView());
    ASSERT_EQ(sink.clips.size(), 1u);
    EXPECT_EQ(sink.depth, 0);
    EXPECT_DOUBLE_EQ(sink.clips[0][0].x, 30.0);
    EXPECT_DOUBLE_EQ(sink.clips[0][0].y, 60.0);
    ASSERT_EQ(sink.strokes.size(), 2u) << "the model's line and the viewport's frame";
    // Model (0,0)-(10,0) with centre (5,0) and height 10 shown in a frame of height 20: scale 2.
    EXPECT_NEAR(sink.strokes[0].points[0].x, 40.0, 1e-9);
    EXPECT_NEAR(sink.strokes[0].points[1].x, 60.0, 1e-9);
    EXPECT_NEAR(sink.strokes[0].points[0].y, 50.0, 1e-9);
    // The frame is drawn on the paper after the clip ends, closed: 40 x 20 about (50, 50).
    const auto& frame = sink.strokes[1].points;
    ASSERT_EQ(frame.size(), 5u);
    EXPECT_DOUBLE_EQ(frame[0].x, 30.0);
    EXPECT_DOUBLE_EQ(frame[0].y, 60.0);
    EXPECT_DOUBLE_EQ(frame[2].x, 70.0);
    EXPECT_DOUBLE_EQ(frame[2].y, 40.0);
    EXPECT_DOUBLE_EQ(frame[4].x, frame[0].x);
    EXPECT_DOUBLE_EQ(frame[4].y, frame[0].y);
}

TEST(DrawingRenderer, ExtentsAndFit)
{
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "LINE").S(8, "0").P(10, -5, 2).P(11, 15, 8);
        b.S(0, "CIRCLE").S(8, "0").P(10, 20, 20).D(40, 5);
        b.S(0, "XLINE").S(8, "0").P(10, 0, 0).P(11, 1, 1);
    });
    ViewTransform view = UnitView();
    Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(*db, 0, view, min, max));
    EXPECT_NEAR(min.x, -5.0, 1e-9);
    EXPECT_NEAR(min.y, 2.0, 1e-9);
    EXPECT_NEAR(max.x, 25.0, 0.1);
    EXPECT_NEAR(max.y, 25.0, 0.1);
    // The fit shows the whole box, centred, with the margin its factor leaves; a wide box on a
    // tall device is fitted by its width.
    struct FitCase
    {
        int width, height;
        double factor;
    };
    for (const FitCase& c : {FitCase{100, 100, 0.98}, FitCase{100, 100, 0.5}, FitCase{50, 100, 0.98}}) {
        ViewTransform fitted;
        fitted.SetDevice(c.width, c.height);
        fitted.Fit(min, max, c.factor);
        const double aspect = static_cast<double>(c.width) / c.height;
        const double shown = std::max(max.y - min.y, (max.x - min.x) / aspect) / c.factor;
        EXPECT_NEAR(fitted.Height(), shown, 1e-9) << c.width << " x " << c.height << " at " << c.factor;
        EXPECT_NEAR(fitted.Center().x, (min.x + max.x) / 2, 1e-9);
        EXPECT_NEAR(fitted.Center().y, (min.y + max.y) / 2, 1e-9);
        const Vec3 low = fitted.WorldToDevice().Apply({min.x, min.y, 0});
        const Vec3 high = fitted.WorldToDevice().Apply({max.x, max.y, 0});
        const double margin = (1.0 - c.factor) / 2 * c.width;
        EXPECT_NEAR(std::min(low.x, c.width - high.x), margin, 1e-6) << "the box meets the margin";
        EXPECT_GE(std::min(high.y, c.height - low.y), (1.0 - c.factor) / 2 * c.height - 1e-6);
    }
    Database empty;
    EXPECT_FALSE(DrawingRenderer::Extents(empty, 0, view, min, max));
    // A drawing of one small text still has extents (texts under a pixel high count).
    auto text = Entities([](DxfBuilder& b) {
        b.S(0, "MTEXT").S(8, "0").P(10, 7, 14).D(40, 0.2).S(1, "small words");
    });
    ASSERT_TRUE(DrawingRenderer::Extents(*text, 0, view, min, max));
    EXPECT_NEAR(min.x, 7.0, 1e-9);
    EXPECT_NEAR(max.y, 14.0, 1e-9);
}

// Rays and construction lines have no extent; when nothing else is drawn their base points give
// the extents, so that they show.
TEST(DrawingRenderer, InfiniteLinesInTheExtents)
{
    auto only = Entities([](DxfBuilder& b) {
        b.S(0, "XLINE").S(8, "0").S(100, "AcDbXline").P(10, 1000, 500).P(11, 1, 0);
        b.S(0, "RAY").S(8, "0").S(100, "AcDbRay").P(10, 1010, 520).P(11, 0, 1);
    });
    ViewTransform view = UnitView();
    Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(*only, 0, view, min, max));
    EXPECT_NEAR(min.x, 1000.0, 1e-9);
    EXPECT_NEAR(min.y, 500.0, 1e-9);
    EXPECT_NEAR(max.x, 1010.0, 1e-9);
    EXPECT_NEAR(max.y, 520.0, 1e-9);
    view.Fit(min, max, 0.98);
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*only, sink, options).Draw(0, view);
    ASSERT_EQ(sink.strokes.size(), 2u);
    for (const auto& stroke : sink.strokes) {
        ASSERT_EQ(stroke.points.size(), 2u);
        for (const DevPoint& p : stroke.points) {
            EXPECT_GE(p.x, -2.5);
            EXPECT_LE(p.x, 102.5);
            EXPECT_GE(p.y, -2.5);
            EXPECT_LE(p.y, 102.5);
        }
    }
    // The construction line runs across the whole device; the ray from its base point upwards.
    EXPECT_NEAR(std::fabs(sink.strokes[0].points[1].x - sink.strokes[0].points[0].x), 104.0, 1e-6);
    EXPECT_NEAR(std::min(sink.strokes[1].points[0].y, sink.strokes[1].points[1].y), -2.0, 1e-6);

    // Beside other entities they add nothing to the extents.
    auto mixed = Entities([](DxfBuilder& b) {
        b.S(0, "XLINE").S(8, "0").P(10, 1000, 500).P(11, 1, 0);
        b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 10, 10);
    });
    ASSERT_TRUE(DrawingRenderer::Extents(*mixed, 0, UnitView(), min, max));
    EXPECT_NEAR(max.x, 10.0, 1e-9);

    // A ray whose base lies off the device and that points away from it draws nothing; one
    // pointing across it is cut at the device's edges.
    const struct { double dx; std::size_t strokes; } rays[] = {{-1.0, 0u}, {1.0, 1u}};
    for (const auto& ray : rays) {
        auto db = Entities([&ray](DxfBuilder& b) {
            b.S(0, "RAY").S(8, "0").P(10, -1e9, 50).P(11, ray.dx, 0);
        });
        RecordingSink cut;
        DrawingRenderer(*db, cut, options).Draw(0, UnitView());
        ASSERT_EQ(cut.strokes.size(), ray.strokes);
        if (ray.strokes == 1) {
            EXPECT_NEAR(cut.strokes[0].points[0].x, -2.0, 1e-6);
            EXPECT_NEAR(cut.strokes[0].points[1].x, 102.0, 1e-6);
        }
    }
}

// The extents are those of what is drawn: points of $PDMODE 1 (drawn as nothing) take no room,
// and a paper layout's viewport counts by its frame, not by all of model space behind it.
TEST(DrawingRenderer, ExtentsOnlyOfWhatIsDrawn)
{
    DxfBuilder b;
    b.Header("AC1015");
    b.Section("HEADER").S(9, "$PDMODE").I(70, 1).EndSection();
    b.Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 10, 10);
    b.S(0, "POINT").S(8, "0").P(10, 5000, 5000);
    b.S(0, "LINE").S(8, "0").I(67, 1).P(10, 0, 0).P(11, 20, 0);
    b.S(0, "VIEWPORT").S(8, "0").I(67, 1).P(10, 50, 50).D(40, 40).D(41, 20).I(68, 1).I(69, 2)
        .P(12, 5, 5).D(45, 10).P(16, 0, 0, 1);
    b.EndSection().Eof();
    auto db = Read(b);
    Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(*db, 0, UnitView(), min, max));
    EXPECT_NEAR(max.x, 10.0, 1e-9);
    EXPECT_NEAR(max.y, 10.0, 1e-9);
    ASSERT_EQ(db->Layouts().size(), 2u);
    ASSERT_TRUE(DrawingRenderer::Extents(*db, 1, UnitView(), min, max));
    EXPECT_NEAR(min.x, 0.0, 1e-9);
    EXPECT_NEAR(min.y, 0.0, 1e-9);
    EXPECT_NEAR(max.x, 70.0, 1e-9);
    EXPECT_NEAR(max.y, 60.0, 1e-9);
}

TEST(DrawingRenderer, TextAndSampleDrawing)
{
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "TEXT").S(8, "0").P(10, 10, 10).D(40, 5).S(1, "40%%d");
    });
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0].utf8, "40\xC2\xB0");
    EXPECT_DOUBLE_EQ(sink.texts[0].height, 5.0);
    EXPECT_DOUBLE_EQ(sink.texts[0].origin.y, 90.0);

    // Every entity type of the reader's sample is drawn without trouble.
    auto sample = Read(orvo::portable::SampleDrawing());
    for (int layout = 0; layout < 3; ++layout) {
        RecordingSink all;
        ViewTransform view = UnitView();
        Vec2 min, max;
        if (DrawingRenderer::Extents(*sample, layout, view, min, max))
            view.Fit(min, max, 0.98);
        EXPECT_TRUE(DrawingRenderer(*sample, all, options).Draw(layout, view));
        EXPECT_EQ(all.depth, 0);
    }
}

TEST(DrawingRenderer, AbortEndsTheDraw)
{
    auto db = Entities([](DxfBuilder& b) {
        for (int i = 0; i < 3000; ++i)
            b.S(0, "LINE").S(8, "0").P(10, 0, i % 100).P(11, 100, i % 100);
    });
    RecordingSink sink;
    RenderOptions options;
    int polls = 0;
    options.abort = [&polls] { return ++polls == 2; };
    EXPECT_FALSE(DrawingRenderer(*db, sink, options).Draw(0, UnitView()));
    EXPECT_LT(sink.strokes.size(), 1000u);
}

// Counts strokes without keeping them: a dense pattern makes millions.
class CountingSink final : public DrawSink
{
public:
    void SetPen(std::uint32_t, double) override {}
    void Polyline(const DevPoint*, int) override { ++strokes; }
    void Polygons(const DevPoint*, const int*, int) override { ++fills; }
    void Dot(DevPoint) override {}
    void Text(const TextRun&) override {}
    double TextWidth(const TextRun&) override { return 0.0; }
    void PushClip(const DevPoint*, int) override {}
    void PopClip() override {}

    std::size_t strokes = 0, fills = 0;
};

// A square hatched by 2999 lines, each made of 12500 visible dashes: drawn dash by dash that is
// 37 million strokes. The hatch must stay within its work budget and still draw every line.
TEST(DrawingRenderer, DensePatternStaysWithinItsBudget)
{
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "HATCH").S(8, "0").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
            .S(2, "DENSE").I(70, 0).I(71, 0).I(91, 1)
            .I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, 0).D(20, 0).D(10, 100).D(20, 0)
            .D(10, 100).D(20, 100).D(10, 0).D(20, 100).I(97, 0)
            .I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 1)
            .D(53, 0.0).D(43, 0).D(44, 0.001).D(45, 0).D(46, 100.0 / 2999.0).I(79, 1000);
        for (int i = 0; i < 1000; ++i)
            b.D(49, i % 2 == 0 ? 0.004 : -0.004);
        b.I(98, 0);
    });
    CountingSink sink;
    RenderOptions options;
    EXPECT_TRUE(DrawingRenderer(*db, sink, options).Draw(0, UnitView()));
    EXPECT_GE(sink.strokes, 2999u);
    EXPECT_LT(sink.strokes, 4u * 1024u * 1024u);
}

TEST(DrawingRenderer, HitTestFindsTheTopmostEntityNearAPoint)
{
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "LINE").S(8, "0").P(10, 10, 20).P(11, 90, 20);
        b.S(0, "SOLID").S(8, "0").P(10, 40, 40).P(11, 60, 40).P(12, 40, 60).P(13, 60, 60);
        b.S(0, "LINE").S(8, "0").P(10, 50, 0).P(11, 50, 100);
    });
    const ViewTransform view = UnitView();
    const struct { double x, y; int expected; } cases[] = {
        {30, 80, 0}, {30, 83, 0}, {30, 86, -1},     // near the first line (device y is flipped)
        {45, 50, 1},                                // inside the filled square
        {50, 50, 2},                                // the vertical line lies over the square
        {5, 5, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DrawingRenderer::HitTest(*db, 0, view, c.x, c.y, 4.0), c.expected) << c.x << "," << c.y;
    RecordingSink one;
    RenderOptions options;
    DrawingRenderer(*db, one, options).DrawOne(0, view, 2);
    ASSERT_EQ(one.strokes.size(), 1u);
    EXPECT_DOUBLE_EQ(one.strokes[0].points[0].x, 50.0);
}

TEST(MTextLayout, StaticColumnsFlowLinesSideways)
{
    // Five paragraphs, columns 20 wide with a gutter of 5 and 4 units high: two lines of height
    // 1 (pitch 5/3) fit a column, so the lines go to x 0, 0, 25, 25, 50.
    auto db = Entities([](DxfBuilder& b) {
        b.S(0, "MTEXT").S(100, "AcDbEntity").S(8, "0").S(100, "AcDbMText").P(10, 10, 90).D(40, 1).I(71, 1).S(1, "a\\Pb\\Pc\\Pd\\Pe")
            .I(75, 1).I(76, 3).D(48, 20).D(49, 5).D(46, 4);
    });
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    ASSERT_EQ(sink.texts.size(), 5u);
    const double xs[5] = {10, 10, 35, 35, 60};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(sink.texts[static_cast<std::size_t>(i)].origin.x, xs[i], 1e-9) << i;
    EXPECT_NEAR(sink.texts[0].origin.y, sink.texts[2].origin.y, 1e-9);
}

TEST(MTextLayout, PlainTextFromFormattingCodes)
{
    double factor = 0.0;
    EXPECT_EQ(RkDraw::TextPainter::PlainMText("{\\fArial|b1;Bold} \\Pnext \\S1^2; \\\\x", &factor),
              "Bold \nnext 1/2 \\x");
    EXPECT_EQ(RkDraw::TextPainter::PlainMText("\\H2x;big", &factor), "big");
    EXPECT_DOUBLE_EQ(factor, 2.0);
}

TEST(TextPainter, PercentCodes)
{
    const struct { const char* in; const char* out; int codePage; } cases[] = {
        {"%%c10 %%p0.1 %%%", "\xC3\x98" "10 \xC2\xB1" "0.1 %", 1252},
        {"%%C50", "\xC3\x98" "50", 1252},                      // any case
        {"45%%d %%D", "45\xC2\xB0 \xC2\xB0", 1252},
        {"%%uunder%%u and %%Oover%%o", "under and over", 1252},   // toggles, not printed
        {"%%065%%066 %%176", "AB \xC2\xB0", 1252},              // character codes, three digits
        {"%%128", "\xE2\x82\xAC", 1252},                        // in the drawing's code page
        {"%%192", "\xD0\x90", 1251},
        {"%%0651", "A1", 1252},
        {"%%00", "%%00", 1252},                                // too few digits: as it stands
        {"%%007x", "x", 1252},                                 // a control character is not drawn
        {"100%%", "100%%", 1252}, {"%%", "%%", 1252}, {"%%z", "%%z", 1252}, {"50%", "50%", 1252},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RkDraw::TextPainter::ExpandPercentCodes(c.in, c.codePage), c.out) << c.in;
}

// TEXT, ATTRIB and the MTEXT of a dimension's block all draw the codes as their characters.
TEST(TextPainter, PercentCodesInTextsAttributesAndDimensions)
{
    DxfBuilder b;
    b.Header("AC1015").Section("BLOCKS");
    b.S(0, "BLOCK").S(2, "*D1").I(70, 1).P(10, 0, 0);
    b.S(0, "MTEXT").S(8, "0").P(10, 50, 60).D(40, 2).I(71, 1).S(1, "\\A1;%%c20");
    b.S(0, "ENDBLK");
    b.S(0, "BLOCK").S(2, "TAG").I(70, 2).P(10, 0, 0).S(0, "ENDBLK");
    b.EndSection().Section("ENTITIES");
    b.S(0, "TEXT").S(8, "0").P(10, 10, 10).D(40, 2).S(1, "%%C12");
    b.S(0, "INSERT").S(8, "0").S(2, "TAG").I(66, 1).P(10, 0, 0);
    b.S(0, "ATTRIB").S(8, "0").P(10, 10, 30).D(40, 2).S(1, "90%%D").S(2, "ANGLE").I(70, 0);
    b.S(0, "SEQEND").S(8, "0");
    b.S(0, "DIMENSION").S(8, "0").S(2, "*D1").P(10, 0, 0).P(11, 50, 60).I(70, 3);
    b.EndSection().Eof();
    auto db = Read(b);
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    std::vector<std::string> texts;
    for (const auto& run : sink.texts)
        texts.push_back(run.utf8);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "\xC3\x98" "12"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "90\xC2\xB0"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "\xC3\x98" "20"), texts.end());
    EXPECT_EQ(texts.size(), 3u);
}

} // namespace
