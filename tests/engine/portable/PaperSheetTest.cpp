// The sheet of a paper layout: where it comes from (limits, the paper view, the paper size, A4)
// and how it is drawn (the surround over the device, then the shadow, then the paper on top).
#include "DxfBuilder.h"
#include "PortableSupport.h"
#include "ReadDrawing.h"
#include "RecordingSink.h"

#include "engine/db/ViewportEntity.h"
#include "engine/draw/PaperSheet.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DrawingSaver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

// The printable area: the sheet less the printer's margins, turned with the paper and in the
// layout's paper units; none without margins.
TEST(PaperSheet, PrintableAreaIsTheSheetLessTheTurnedMargins)
{
    struct Case
    {
        const char* name;
        PlotSettings::Units units;
        std::int16_t rotation;
        bool known;
        Vec2 low, high;    // of the sheet 0..297 x 0..210 (inches: 0..11.69 x 0..8.27)
    };
    // Margins: left 10, bottom 5, right 20, top 15 (millimetres).
    const Case cases[] = {
        {"upright", PlotSettings::kMillimetres, 0, true, {10, 5}, {277, 195}},
        {"a quarter turn", PlotSettings::kMillimetres, 1, true, {15, 10}, {292, 190}},
        {"a half turn", PlotSettings::kMillimetres, 2, true, {20, 15}, {287, 205}},
        {"three quarters", PlotSettings::kMillimetres, 3, true, {5, 20}, {282, 200}},
        {"in inches", PlotSettings::kInches, 0, true, {10 / 25.4, 5 / 25.4}, {297 - 20 / 25.4, 210 - 15 / 25.4}},
        {"no page set-up", PlotSettings::kMillimetres, 0, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        layout.plot.known = c.known;
        layout.plot.left = 10;
        layout.plot.bottom = 5;
        layout.plot.right = 20;
        layout.plot.top = 15;
        layout.plot.units = c.units;
        layout.plot.rotation = c.rotation;
        Vec2 low, high;
        ASSERT_EQ(PaperSheet::PrintableArea(layout, {0, 0}, {297, 210}, low, high), c.known);
        if (!c.known)
            continue;
        EXPECT_NEAR(low.x, c.low.x, 1e-9);
        EXPECT_NEAR(low.y, c.low.y, 1e-9);
        EXPECT_NEAR(high.x, c.high.x, 1e-9);
        EXPECT_NEAR(high.y, c.high.y, 1e-9);
    }
}

// A layout's page set-up read from DXF (group codes of its plot settings), values no page set-up
// has made the defaults, and the same kept through Save As in DXF and DWG.
TEST(PaperSheet, PageSetUpReadAndSaved)
{
    const auto drawing = [](double left, int units, int rotation) {
        orvo::portable::DxfBuilder b;
        b.Header("AC1015");
        orvo::portable::AddSheetSpaces(b);
        b.Section("OBJECTS").S(0, "LAYOUT").S(5, "30").S(100, "AcDbPlotSettings").S(1, "");
        b.D(40, left).D(41, 6.5).D(42, 7.5).D(43, 8.5).D(44, 420).D(45, 297).D(46, 1.5).D(47, 2.5);
        b.I(72, units).I(73, rotation).S(100, "AcDbLayout");
        b.S(1, "Sheet").I(71, 1).P(10, 0, 0).P(11, 420, 297).S(330, "1E").EndSection().Eof();
        return orvo::portable::Read(b);
    };
    const auto sheet = [](const Database& db) -> const Layout* {
        for (const Layout& l : db.Layouts())
            if (l.name == "Sheet")
                return &l;
        return nullptr;
    };
    const auto db = drawing(5.5, 1, 1);
    const Layout* read = sheet(*db);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->plot.known);
    EXPECT_DOUBLE_EQ(read->plot.left, 5.5);
    EXPECT_DOUBLE_EQ(read->plot.top, 8.5);
    EXPECT_DOUBLE_EQ(read->plot.origin.y, 2.5);
    EXPECT_EQ(read->plot.rotation, 1);
    const auto odd = drawing(-3.0, 9, 7);
    ASSERT_TRUE(sheet(*odd));
    EXPECT_DOUBLE_EQ(sheet(*odd)->plot.left, 0.0) << "a negative margin";
    EXPECT_EQ(sheet(*odd)->plot.units, PlotSettings::kMillimetres);
    EXPECT_EQ(sheet(*odd)->plot.rotation, 0);
    for (const int kind : {RkWrite::DrawingSaver::kDxf, RkWrite::DrawingSaver::kDwg}) {
        SCOPED_TRACE(kind);
        std::string bytes;
        ASSERT_EQ(RkWrite::DrawingSaver::Build(*db, kind, 8, bytes).status, RkWrite::SaveStatus::Ok);
        Database back;
        if (kind == RkWrite::DrawingSaver::kDwg) {
            ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), back),
                      orvo::dwg::DwgReadResult::Ok);
        } else {
            RkDxf::DxfReader reader(back);
            ASSERT_EQ(reader.Read(bytes.data(), bytes.size()), RkDxf::DxfReader::Status::Ok);
        }
        const Layout* kept = sheet(back);
        ASSERT_TRUE(kept);
        EXPECT_DOUBLE_EQ(kept->plot.left, 5.5);
        EXPECT_DOUBLE_EQ(kept->plot.bottom, 6.5);
        EXPECT_DOUBLE_EQ(kept->plot.right, 7.5);
        EXPECT_DOUBLE_EQ(kept->plot.top, 8.5);
        EXPECT_DOUBLE_EQ(kept->plot.origin.x, 1.5);
        EXPECT_EQ(kept->plot.units, 1);
        EXPECT_EQ(kept->plot.rotation, 1);
    }
}

// The printable area is drawn dashed on the sheet, after the paper; zoomed far in, only the dashes
// that show are drawn.
TEST(PaperSheet, PrintableAreaDrawnDashedOnThePaper)
{
    Layout layout;
    layout.plot.known = true;
    layout.plot.left = layout.plot.bottom = layout.plot.right = layout.plot.top = 10;
    ViewTransform view;
    view.SetDevice(200, 100);
    view.SetArea({100, 50}, 100);
    orvo::portable::RecordingSink sink;
    PaperSheet::Draw(sink, view, {20, 10}, {180, 90}, &layout);
    ASSERT_EQ(sink.fills.size(), 3u);
    ASSERT_GT(sink.strokes.size(), 20u);
    for (const auto& dash : sink.strokes) {
        EXPECT_EQ(dash.rgb, PaperSheet::kPrintable);
        ASSERT_EQ(dash.points.size(), 2u);
        for (const DevPoint& p : dash.points) {
            EXPECT_GE(p.x, 30 - 1e-9);
            EXPECT_LE(p.x, 170 + 1e-9);
            EXPECT_GE(p.y, 20 - 1e-9);
            EXPECT_LE(p.y, 80 + 1e-9);
        }
    }
    ViewTransform close;
    close.SetDevice(200, 100);
    close.SetArea({30, 50}, 0.001);
    orvo::portable::RecordingSink near;
    PaperSheet::Draw(near, close, {20, 10}, {180, 90}, &layout);
    EXPECT_GE(near.strokes.size(), 1u);
    EXPECT_LE(near.strokes.size(), 20u) << "only the dashes on the device";
}

// The DWG samples of each release keep the same page set-ups as their DXF exports, layout by
// layout: the DWG reader takes the margins, origin, units and turn from the right fields.
TEST(PaperSheet, SamplePageSetUpsAgreeBetweenDwgAndItsDxfExport)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(samples);
    for (const char* release : {"2000", "2004", "2007", "2010", "2013", "2018"}) {
        SCOPED_TRACE(release);
        const std::string base = orvo::portable::SamplePath(samples, std::string("dwg/example_") + release);
        const std::string dwg = orvo::portable::ReadWholeFile(base + ".dwg");
        const std::string dxf = orvo::portable::ReadWholeFile(base + ".dxf");
        ASSERT_FALSE(dwg.empty());
        ASSERT_FALSE(dxf.empty());
        Database fromDwg, fromDxf;
        ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(dwg.begin(), dwg.end()), fromDwg),
                  orvo::dwg::DwgReadResult::Ok);
        RkDxf::DxfReader reader(fromDxf);
        ASSERT_EQ(reader.Read(dxf.data(), dxf.size()), RkDxf::DxfReader::Status::Ok);
        int margined = 0;
        for (const Layout& expected : fromDxf.Layouts()) {
            if (expected.IsModel())
                continue;
            SCOPED_TRACE(expected.name);
            const Layout* got = nullptr;
            for (const Layout& l : fromDwg.Layouts())
                if (l.name == expected.name)
                    got = &l;
            ASSERT_TRUE(got);
            EXPECT_TRUE(got->plot.known);
            EXPECT_NEAR(got->plot.left, expected.plot.left, 1e-6);
            EXPECT_NEAR(got->plot.bottom, expected.plot.bottom, 1e-6);
            EXPECT_NEAR(got->plot.right, expected.plot.right, 1e-6);
            EXPECT_NEAR(got->plot.top, expected.plot.top, 1e-6);
            EXPECT_NEAR(got->paperSize.x, expected.paperSize.x, 1e-6);
            EXPECT_NEAR(got->paperSize.y, expected.paperSize.y, 1e-6);
            EXPECT_EQ(got->plot.units, expected.plot.units);
            EXPECT_EQ(got->plot.rotation, expected.plot.rotation);
            margined += expected.plot.left > 0 ? 1 : 0;
        }
        EXPECT_GE(margined, 1) << "the samples' layouts have margins";
    }
}

} // namespace
