// Hatches as their drawings show them, judged by their pixels: the draw order table of a block
// (which hatch lies on top), transparency, pattern lines at their scale and angle, dots as dots.
#include "RasterSink.h"
#include "ReadDrawing.h"
#include "RecordingSink.h"

#include "engine/draw/DrawingRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::RasterSink;
using orvo::portable::Read;
using orvo::portable::RecordingSink;

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

// A 100 x 100 device showing world 0..100 (one unit per pixel).
ViewTransform UnitView()
{
    ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    return view;
}

// A drawing whose model space (block record 1F) holds what add writes; objects go into OBJECTS.
std::unique_ptr<Database> Drawing(const std::function<void(DxfBuilder&)>& entities,
                                  const std::function<void(DxfBuilder&)>& objects = {})
{
    DxfBuilder b;
    b.Header("AC1024").Section("TABLES");
    b.S(0, "TABLE").S(2, "BLOCK_RECORD");
    b.S(0, "BLOCK_RECORD").S(5, "1F").S(100, "AcDbSymbolTableRecord").S(100, "AcDbBlockTableRecord")
        .S(2, "*Model_Space");
    b.S(0, "ENDTAB").EndSection();
    b.Section("ENTITIES");
    entities(b);
    b.EndSection();
    if (objects) {
        b.Section("OBJECTS");
        objects(b);
        b.EndSection();
    }
    b.Eof();
    return Read(b);
}

// A solid hatch over the square [x0, x1] x [y0, y1].
void SolidSquare(DxfBuilder& b, const std::string& handle, int aci, double x0, double y0, double x1,
                 double y1, int transparency = -1)
{
    b.S(0, "HATCH").S(5, handle).S(8, "0").I(62, aci);
    if (transparency >= 0)
        b.I(440, transparency);
    b.S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1).S(2, "SOLID").I(70, 1).I(71, 0).I(91, 1)
        .I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, x0).D(20, y0).D(10, x1).D(20, y0).D(10, x1)
        .D(20, y1).D(10, x0).D(20, y1).I(97, 0).I(75, 0).I(76, 1).I(98, 0);
}

std::uint32_t CentreColour(const Database& db)
{
    RasterSink sink(100, 100);
    RenderOptions options;
    DrawingRenderer(db, sink, options).Draw(0, UnitView());
    return sink.At(50, 50);
}

TEST(HatchDrawOrder, TheSortEntsTableDecidesWhichHatchLiesOnTop)
{
    const auto squares = [](DxfBuilder& b) {
        SolidSquare(b, "A0", 1, 20, 20, 80, 80);    // red, stored first
        SolidSquare(b, "A1", 5, 30, 30, 70, 70);    // blue, stored last
    };
    // Without a table the stored order stands: the blue square lies on top.
    EXPECT_EQ(CentreColour(*Drawing(squares)), kBlue);
    // The table gives the red square the place of the blue one and the blue one the place
    // of the red: red on top.
    const auto table = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(330, "B1").S(100, "AcDbSortentsTable").S(330, "1F")
            .S(331, "A0").S(5, "A1").S(331, "A1").S(5, "A0");
    };
    auto swapped = Drawing(squares, table);
    EXPECT_EQ(CentreColour(*swapped), kRed);
    // Hit testing finds what is drawn on top.
    EXPECT_EQ(DrawingRenderer::HitTest(*swapped, 0, UnitView(), 50, 50, 1.0), 0);
    // A table of another block, or naming no entity of this one, changes nothing.
    const auto elsewhere = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(100, "AcDbSortentsTable").S(330, "77")
            .S(331, "A0").S(5, "A1").S(331, "A1").S(5, "A0");
    };
    EXPECT_EQ(CentreColour(*Drawing(squares, elsewhere)), kBlue);
    const auto strangers = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(100, "AcDbSortentsTable").S(330, "1F")
            .S(331, "C0").S(5, "1").S(331, "C1");
    };
    EXPECT_EQ(CentreColour(*Drawing(squares, strangers)), kBlue);
}

TEST(HatchDrawOrder, AnEntityMayBeSentBelowEverything)
{
    // Three squares; the table moves the last one (blue) to a place before the first.
    const auto squares = [](DxfBuilder& b) {
        SolidSquare(b, "A0", 1, 20, 20, 80, 80);
        SolidSquare(b, "A1", 3, 25, 25, 75, 75);
        SolidSquare(b, "A2", 5, 30, 30, 70, 70);
    };
    const auto table = [](DxfBuilder& b) {
        b.S(0, "SORTENTSTABLE").S(5, "B0").S(100, "AcDbSortentsTable").S(330, "1F").S(331, "A2")
            .S(5, "9F");
    };
    auto db = Drawing(squares, table);
    const Block& model = db->ModelSpaceBlock();
    ASSERT_EQ(model.drawOrder.size(), 3u);
    EXPECT_EQ(model.drawOrder[0], 2);
    EXPECT_EQ(model.drawOrder[1], 0);
    EXPECT_EQ(model.drawOrder[2], 1);
    EXPECT_EQ(CentreColour(*db), 0x00FF00u);
}

// A pattern hatch over the square 10..90 with one family of lines: angle (degrees), base point,
// offset and dashes as a DXF file stores them (already at the hatch's scale).
void PatternSquare(DxfBuilder& b, double angle, double offsetX, double offsetY,
                   const std::vector<double>& dashes)
{
    b.S(0, "HATCH").S(5, "A0").S(8, "0").I(62, 7).S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "TEST").I(70, 0).I(71, 0).I(91, 1).I(92, 2).I(72, 0).I(73, 1).I(93, 4)
        .D(10, 10).D(20, 10).D(10, 90).D(20, 10).D(10, 90).D(20, 90).D(10, 10).D(20, 90).I(97, 0)
        .I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 1).D(53, angle).D(43, 0).D(44, 0)
        .D(45, offsetX).D(46, offsetY).I(79, static_cast<int>(dashes.size()));
    for (double d : dashes)
        b.D(49, d);
    b.I(98, 0);
}

TEST(HatchDrawOrder, ATransparentFillLetsWhatLiesBelowShowThrough)
{
    // A blue square under a red one of opacity 0x40: the centre is mostly blue, tinted red.
    auto db = Drawing([](DxfBuilder& b) {
        SolidSquare(b, "A0", 5, 20, 20, 80, 80);
        SolidSquare(b, "A1", 1, 30, 30, 70, 70, 0x02000040);
    });
    EXPECT_EQ(db->ModelSpaceBlock().entities[1]->transparency, 0x02000040u);
    const std::uint32_t centre = CentreColour(*db);
    EXPECT_NE(centre, kRed);
    EXPECT_NE(centre, kBlue);
    EXPECT_GT(centre & 0xFF, 0x80u);            // mostly the blue below
    EXPECT_GT((centre >> 16) & 0xFF, 0x20u);    // with some red
    // Fully transparent: nothing of it shows; opaque (0xFF) and by layer: all of it.
    const auto centreWith = [](int transparency) {
        return CentreColour(*Drawing([transparency](DxfBuilder& b) {
            SolidSquare(b, "A0", 5, 20, 20, 80, 80);
            SolidSquare(b, "A1", 1, 30, 30, 70, 70, transparency);
        }));
    };
    EXPECT_EQ(centreWith(0x02000000), kBlue);
    EXPECT_EQ(centreWith(0x020000FF), kRed);
    EXPECT_EQ(centreWith(0), kRed);
}

TEST(HatchDrawOrder, TransparencyByLayerAndByBlock)
{
    // A red square (opacity 0x40 by its layer, or by its block's insert) over a blue one.
    const auto drawing = [](bool byBlock) {
        DxfBuilder b;
        b.Header("AC1024").Section("TABLES").S(0, "TABLE").S(2, "LAYER");
        b.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7);
        b.S(0, "LAYER").S(2, "Glass").I(70, 0).I(62, 1).S(1001, "AcCmTransparency").I(1071, 0x02000040);
        b.S(0, "ENDTAB").EndSection();
        b.Section("BLOCKS").S(0, "BLOCK").S(2, "B").I(70, 0).P(10, 0, 0);
        SolidSquare(b, "A2", 1, 30, 30, 70, 70, byBlock ? 0x01000000 : -1);
        b.S(0, "ENDBLK").EndSection();
        b.Section("ENTITIES");
        SolidSquare(b, "A0", 5, 20, 20, 80, 80);
        if (byBlock)
            b.S(0, "INSERT").S(8, "0").I(440, 0x02000040).S(2, "B").P(10, 0, 0);
        else
            b.S(0, "INSERT").S(8, "Glass").S(2, "B").P(10, 0, 0);
        b.EndSection().Eof();
        return Read(b);
    };
    for (const bool byBlock : {false, true}) {
        auto db = drawing(byBlock);
        const std::uint32_t centre = CentreColour(*db);
        EXPECT_GT(centre & 0xFF, 0x80u) << byBlock;
        EXPECT_GT((centre >> 16) & 0xFF, 0x20u) << byBlock;
    }
    auto glass = drawing(false);
    EXPECT_EQ(glass->Layers()[glass->Layers().Find("Glass")].transparency, 0x02000040u);
}

TEST(HatchPattern, LinesRunAtTheirStoredAngleAndSpacing)
{
    // Lines at 45 degrees, 10 units apart (offset perpendicular to them), no dashes.
    const double step = 10.0 / std::sqrt(2.0);
    auto db = Drawing([step](DxfBuilder& b) { PatternSquare(b, 45.0, -step, step, {}); });
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    ASSERT_GE(sink.strokes.size(), 10u);
    std::vector<double> across;
    for (const auto& stroke : sink.strokes) {
        ASSERT_EQ(stroke.points.size(), 2u);
        const RkDraw::DevPoint a = stroke.points[0], c = stroke.points[1];
        // Device y runs down: a 45 degree line has dx == -dy.
        EXPECT_NEAR(c.x - a.x, -(c.y - a.y), 1e-6);
        // Distance of the line from the origin across it (world y = 100 - device y).
        across.push_back((-a.x + (100.0 - a.y)) / std::sqrt(2.0));
    }
    std::sort(across.begin(), across.end());
    for (std::size_t i = 1; i < across.size(); ++i)
        EXPECT_NEAR(across[i] - across[i - 1], 10.0, 1e-6);
}

TEST(HatchPattern, DotsAreDrawnAsDotsOfThePen)
{
    // Rows 4 units apart of dots 4 units apart: 20 x 20 dots in the square.
    auto db = Drawing([](DxfBuilder& b) { PatternSquare(b, 0.0, 0.0, 4.0, {0.0, -4.0}); });
    RecordingSink recorded;
    RenderOptions options;
    DrawingRenderer(*db, recorded, options).Draw(0, UnitView());
    EXPECT_GE(recorded.dots.size(), 380u);
    EXPECT_LE(recorded.dots.size(), 420u);
    // On a display, where a line of no length shows nothing, each dot is a pixel.
    RasterSink raster(100, 100);
    DrawingRenderer(*db, raster, options).Draw(0, UnitView());
    EXPECT_GE(raster.Ink(10, 10, 91, 91), 380u);
    // A wide pen makes wide dots.
    options.lineWeights = true;
    auto heavy = Drawing([](DxfBuilder& b) {
        PatternSquare(b, 0.0, 0.0, 4.0, {0.0, -4.0});
    });
    heavy->ModelSpaceBlock().entities[0]->lineWeight = 100;   // 1 mm: about 4 pixels at 96 dpi
    RasterSink wide(100, 100);
    DrawingRenderer(*heavy, wide, options).Draw(0, UnitView());
    EXPECT_GE(wide.Ink(10, 10, 91, 91), 4u * 380u);
}

// A pattern hatch over the square [0, size] with one family at angle 0: spacing and dashes.
std::unique_ptr<Database> LinedSquare(double size, double spacing, const std::vector<double>& dashes)
{
    return Drawing([&](DxfBuilder& b) {
        b.S(0, "HATCH").S(5, "A0").S(8, "0").I(62, 7).S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
            .S(2, "LINES").I(70, 0).I(71, 0).I(91, 1).I(92, 2).I(72, 0).I(73, 1).I(93, 4)
            .D(10, 0).D(20, 0).D(10, size).D(20, 0).D(10, size).D(20, size).D(10, 0).D(20, size)
            .I(97, 0).I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 1).D(53, 0.0).D(43, 0.5)
            .D(44, 0.5).D(45, 0).D(46, spacing).I(79, static_cast<int>(dashes.size()));
        for (double d : dashes)
            b.D(49, d);
        b.I(98, 0);
    });
}

TEST(HatchPattern, ALargeHatchSeenCloseKeepsItsLines)
{
    // 10,000 lines 10 units apart, of which the view shows ten: drawn as lines, not filled.
    auto db = LinedSquare(100000.0, 10.0, {});
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    EXPECT_TRUE(sink.fills.empty());
    EXPECT_GE(sink.strokes.size(), 10u);
    EXPECT_LE(sink.strokes.size(), 11u);
    for (const auto& stroke : sink.strokes) {
        // Cut to the device, not 100,000 pixels long.
        EXPECT_LT(std::fabs(stroke.points[1].x - stroke.points[0].x), 110.0);
    }
    // Dashed, the dashes along the seen part are drawn (the long span is not one solid line).
    auto dashed = LinedSquare(100000.0, 10.0, {2.0, -2.0});
    RecordingSink dashes;
    DrawingRenderer(*dashed, dashes, options).Draw(0, UnitView());
    EXPECT_GE(dashes.strokes.size(), 10u * 24u);
}

TEST(HatchPattern, TooDenseAPatternShowsItsInkNotASolidArea)
{
    // Lines far closer than a pixel, each inked over a twentieth of its length: the area shows
    // a light grey where the pattern's ink would blur, not black.
    auto db = LinedSquare(100.0, 0.01, {0.05, -0.95});
    RasterSink sink(100, 100);
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    const std::uint32_t centre = sink.At(50, 50);
    EXPECT_GT(centre & 0xFF, 200u);
    EXPECT_LT(centre & 0xFF, 255u);
    // Solid lines that close: black.
    auto solid = LinedSquare(100.0, 0.01, {});
    RasterSink full(100, 100);
    DrawingRenderer(*solid, full, options).Draw(0, UnitView());
    EXPECT_EQ(full.At(50, 50), 0u);
}

TEST(HatchPattern, TheHatchStyleDecidesWhichIslandsAreFilled)
{
    // An external square 10..90 (flags 1), an island 30..70 (flags 16, outermost) and an island
    // within it 45..55 (flags 0): normal fills the ring and the inner island, outer the ring
    // only, ignore the whole square.
    const auto drawing = [](int style) {
        return Drawing([style](DxfBuilder& b) {
            b.S(0, "HATCH").S(5, "A0").S(8, "0").I(62, 1).S(100, "AcDbHatch").P(10, 0, 0)
                .P(210, 0, 0, 1).S(2, "SOLID").I(70, 1).I(71, 0).I(91, 3);
            const struct { int flags; double lo, hi; } loops[] = {{1, 10, 90}, {16, 30, 70}, {0, 45, 55}};
            for (const auto& l : loops) {
                // A polyline loop (flag 2) of the square's corners.
                b.I(92, l.flags | 2).I(72, 0).I(73, 1).I(93, 4).D(10, l.lo).D(20, l.lo).D(10, l.hi)
                    .D(20, l.lo).D(10, l.hi).D(20, l.hi).D(10, l.lo).D(20, l.hi).I(97, 0);
            }
            b.I(75, style).I(76, 1).I(98, 0);
        });
    };
    const struct { int style; bool ring, island, inner; } cases[] = {
        {0, true, false, true}, {1, true, false, false}, {2, true, true, true}};
    for (const auto& c : cases) {
        RasterSink sink(100, 100);
        RenderOptions options;
        DrawingRenderer(*drawing(c.style), sink, options).Draw(0, UnitView());
        EXPECT_EQ(sink.At(20, 50) == kRed, c.ring) << c.style;
        EXPECT_EQ(sink.At(38, 50) == kRed, c.island) << c.style;
        EXPECT_EQ(sink.At(50, 50) == kRed, c.inner) << c.style;
    }
}

TEST(PolylineWidth, TaperedSegmentsAreFilled)
{
    // An arrow head: one segment from width 0 to width 20.
    auto db = Drawing([](DxfBuilder& b) {
        b.S(0, "LWPOLYLINE").S(5, "A0").S(8, "0").S(100, "AcDbPolyline").I(90, 2).I(70, 0)
            .D(10, 10).D(20, 50).D(40, 0.0).D(41, 20.0).D(10, 90).D(20, 50).D(40, 0.0).D(41, 0.0);
    });
    RasterSink sink(100, 100);
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    // A triangle of base 20 and height 80: 800 pixels, about.
    EXPECT_GT(sink.Ink(0, 0, 100, 100), 700u);
    EXPECT_LT(sink.Ink(0, 0, 100, 100), 900u);
    // Wide near the far end, a point at the near one.
    EXPECT_GT(sink.Ink(80, 40, 90, 60), 120u);
    EXPECT_LT(sink.Ink(10, 40, 20, 60), 20u);
}

} // namespace
