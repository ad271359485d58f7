// The sheet of a paper layout: where it comes from (limits, the paper view, the paper size, A4)
// and how it is drawn (the surround over the device, then the shadow, then the paper on top).
#include "RecordingSink.h"

#include "engine/db/ViewportEntity.h"
#include "engine/draw/PaperSheet.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/DxfBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using namespace RkDb;
using namespace RkDraw;

TEST(PaperSheet, TheSheetIsTheLimitsElseThePaperViewElseThePaperSizeElseA4)
{
    struct Case
    {
        const char* name;
        Vec2 limMin, limMax;
        bool paperView;
        Vec2 paperSize;
        Vec2 min, max;
    };
    const Case cases[] = {
        {"limits", {10, 20}, {430, 317}, true, {594, 420}, {10, 20}, {430, 317}},
        {"paper view", {0, 0}, {0, 0}, true, {594, 420}, {-5, -10}, {205, 290}},
        {"paper size", {0, 0}, {0, 0}, false, {594, 420}, {0, 0}, {594, 420}},
        {"nothing known", {5, 5}, {5, 5}, false, {0, 0}, {0, 0}, {297, 210}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        layout.name = "Layout1";
        layout.tabOrder = 1;
        layout.limMin = c.limMin;
        layout.limMax = c.limMax;
        layout.paperSize = c.paperSize;
        Block block;
        if (c.paperView) {
            auto vp = std::make_unique<ViewportEntity>();
            vp->id = 1;
            vp->center = {100, 140, 0};
            vp->width = 210;
            vp->height = 300;
            block.entities.push_back(std::move(vp));
        }
        Vec2 min, max;
        PaperSheet::Bounds(layout, block, min, max);
        EXPECT_DOUBLE_EQ(min.x, c.min.x);
        EXPECT_DOUBLE_EQ(min.y, c.min.y);
        EXPECT_DOUBLE_EQ(max.x, c.max.x);
        EXPECT_DOUBLE_EQ(max.y, c.max.y);
    }
}

TEST(PaperSheet, TheSurroundTheShadowAndThePaperAreFilledInThatOrder)
{
    ViewTransform view;
    view.SetDevice(200, 100);
    view.SetArea({100, 50}, 100); // one paper unit per pixel
    orvo::portable::RecordingSink sink;
    PaperSheet::Draw(sink, view, {20, 10}, {180, 90});
    ASSERT_EQ(sink.fills.size(), 3u);
    EXPECT_EQ(sink.fills[0].rgb, PaperSheet::kSurround);
    EXPECT_DOUBLE_EQ(sink.fills[0].points[2].x, 200.0) << "the surround covers the device";
    EXPECT_DOUBLE_EQ(sink.fills[0].points[2].y, 100.0);
    EXPECT_EQ(sink.fills[1].rgb, PaperSheet::kShadow);
    EXPECT_GT(sink.fills[1].points[0].x, sink.fills[2].points[0].x) << "the shadow lies right of the sheet";
    EXPECT_EQ(sink.fills[2].rgb, PaperSheet::kPaper);
    // The sheet in device pixels: x as on the paper, y downwards.
    EXPECT_NEAR(sink.fills[2].points[0].x, 20.0, 1e-9);
    EXPECT_NEAR(sink.fills[2].points[0].y, 10.0, 1e-9);
    EXPECT_NEAR(sink.fills[2].points[2].x, 180.0, 1e-9);
    EXPECT_NEAR(sink.fills[2].points[2].y, 90.0, 1e-9);
    EXPECT_LT(PaperSheet::kSurround & 0xFF, PaperSheet::kPaper & 0xFF) << "the surround is darker than the paper";
}

} // namespace

namespace {

using namespace RkDb;
using namespace RkDraw;

// A layout with a page set-up read from DXF groups, as a CAD program saves it.
void ReadLayout(Database& db, double left, double bottom, double right, double top, double width, double height,
                    int units, int rotation, Vec2 limMin, Vec2 limMax)
{
    orvo::portable::DxfBuilder dxf;
    dxf.Header("AC1015").Section("OBJECTS").S(0, "LAYOUT").S(5, "80").S(100, "AcDbPlotSettings")
        .D(40, left).D(41, bottom).D(42, right).D(43, top).D(44, width).D(45, height).D(46, 0).D(47, 0)
        .I(72, units).I(73, rotation).S(100, "AcDbLayout").S(1, "Sheet").I(71, 1)
        .D(10, limMin.x).D(20, limMin.y).D(11, limMax.x).D(21, limMax.y).EndSection().Eof();
    const std::string text = dxf.Ascii();
    RkDxf::DxfReader reader(db);
    EXPECT_EQ(reader.Read(text.data(), text.size()), RkDxf::DxfReader::Status::Ok);
    if (db.Layouts().size() == 2 && !db.Blocks().Valid(db.Layouts()[1].block))
        db.Layouts()[1].block = db.EnsureBlock("*Paper_Space");
}

TEST(PaperSheet, APageSetUpGivesTheTurnedPaperAndItsPrintableArea)
{
    struct Case
    {
        const char* name;
        int units, rotation;
        Vec2 limMin, limMax;
        Vec2 min, max, printMin, printMax;
    };
    // Paper 210 x 297 mm, margins left 5, bottom 10, right 15, top 20 as it lies in the printer.
    const Case cases[] = {
        {"upright, millimetres", 1, 0, {0, 0}, {12, 9}, {-5, -10}, {205, 287}, {0, 0}, {190, 267}},
        {"a quarter turn", 1, 1, {0, 0}, {12, 9}, {-10, -15}, {287, 195}, {0, 0}, {267, 190}},
        {"upside down", 1, 2, {0, 0}, {0, 0}, {-15, -20}, {195, 277}, {0, 0}, {190, 267}},
        {"three quarters", 1, 3, {0, 0}, {0, 0}, {-20, -5}, {277, 205}, {0, 0}, {267, 190}},
        {"inches", 0, 0, {0, 0}, {0, 0}, {-5 / 25.4, -10 / 25.4}, {205 / 25.4, 287 / 25.4}, {0, 0},
         {190 / 25.4, 267 / 25.4}},
        {"limits that hold the paper", 0, 0, {100, 50}, {310, 347}, {100, 50}, {310, 347}, {105, 60},
         {295, 327}},
        {"a turn out of range", 1, 9, {0, 0}, {0, 0}, {-5, -10}, {205, 287}, {0, 0}, {190, 267}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Database db;
        ReadLayout(db, 5, 10, 15, 20, 210, 297, c.units, c.rotation, c.limMin, c.limMax);
        ASSERT_EQ(db.Layouts().size(), 2u);
        PaperSheet::Area area;
        ASSERT_TRUE(PaperSheet::AreaOf(db, 1, area));
        ASSERT_TRUE(area.printable);
        EXPECT_NEAR(area.min.x, c.min.x, 1e-9);
        EXPECT_NEAR(area.min.y, c.min.y, 1e-9);
        EXPECT_NEAR(area.max.x, c.max.x, 1e-9);
        EXPECT_NEAR(area.max.y, c.max.y, 1e-9);
        EXPECT_NEAR(area.printMin.x, c.printMin.x, 1e-9);
        EXPECT_NEAR(area.printMin.y, c.printMin.y, 1e-9);
        EXPECT_NEAR(area.printMax.x, c.printMax.x, 1e-9);
        EXPECT_NEAR(area.printMax.y, c.printMax.y, 1e-9);
    }
    Database none;
    ReadLayout(none, 0, 0, 0, 0, 210, 297, 1, 0, {0, 0}, {0, 0});
    PaperSheet::Area area;
    ASSERT_TRUE(PaperSheet::AreaOf(none, 1, area));
    EXPECT_FALSE(area.printable) << "no margins: no outline";
}

TEST(PaperSheet, ThePrintableAreaIsDashedOnlyWhereTheDeviceShowsIt)
{
    Database db;
    ReadLayout(db, 5, 10, 15, 20, 210, 297, 1, 0, {0, 0}, {0, 0});
    PaperSheet::Area area;
    ASSERT_TRUE(PaperSheet::AreaOf(db, 1, area));
    ViewTransform view;
    view.SetDevice(400, 600);
    view.SetArea({100, 138.5}, 600); // the whole sheet, one unit a pixel
    orvo::portable::RecordingSink sink;
    PaperSheet::Draw(sink, view, area);
    ASSERT_EQ(sink.fills.size(), 3u) << "surround, shadow, paper first";
    ASSERT_GT(sink.strokes.size(), 40u);
    double dashed = 0;
    for (const auto& s : sink.strokes) {
        EXPECT_EQ(s.rgb, PaperSheet::kMargin);
        ASSERT_EQ(s.points.size(), 2u);
        const double length = std::hypot(s.points[1].x - s.points[0].x, s.points[1].y - s.points[0].y);
        EXPECT_LE(length, PaperSheet::kDashPixels + 1e-9);
        dashed += length;
    }
    const double perimeter = 2 * (190 + 267);
    EXPECT_NEAR(dashed, perimeter * PaperSheet::kDashPixels / (PaperSheet::kDashPixels + PaperSheet::kGapPixels),
                4 * PaperSheet::kDashPixels);
    // Far in, the outline's dashes are those across the device, not the whole outline's.
    view.SetArea({0, 0}, 0.01);
    orvo::portable::RecordingSink near;
    PaperSheet::Draw(near, view, area);
    EXPECT_LT(near.strokes.size(), 200u);
    EXPECT_GT(near.strokes.size(), 0u) << "the printable corner at the origin is in view";
}

} // namespace
