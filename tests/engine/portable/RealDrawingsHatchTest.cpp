// The real drawings of the shared samples (real/) whose hatches and line types were drawn other
// than their authors saw them, judged by their pixels. Skipped when the samples are absent.
#include "PortableSupport.h"
#include "RasterSink.h"
#include "RecordingSink.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::RasterSink;

std::unique_ptr<Database> ReadSample(const std::string& dir, const std::string& name)
{
    const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, "dwg/real/" + name));
    if (data.empty())
        return nullptr;
    auto db = std::make_unique<Database>();
    const bool dxf = name.size() > 4 && name.compare(name.size() - 4, 4, ".dxf") == 0;
    const bool ok = dxf ? RkDxf::DxfReader(*db).Read(data.data(), data.size()) == RkDxf::DxfReader::Status::Ok
                        : orvo::dwg::DwgReader().Read(std::vector<uint8_t>(data.begin(), data.end()), *db) ==
                              orvo::dwg::DwgReadResult::Ok;
    EXPECT_TRUE(ok) << name;
    return ok ? std::move(db) : nullptr;
}

ViewTransform View(int width, int height, Vec2 centre, double shownHeight)
{
    ViewTransform view;
    view.SetDevice(width, height);
    view.SetArea(centre, shownHeight);
    return view;
}

void Draw(const Database& db, const ViewTransform& view, RasterSink& sink)
{
    RenderOptions options;
    DrawingRenderer(db, sink, options).Draw(0, view);
}

TEST(RealDrawings, SprinklerPatternShowsOverItsSolidHatch)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    auto db = ReadSample(dir, "sprinkler_final.dwg");
    ASSERT_TRUE(db);
    // The large sprinkler head: a grey solid hatch that the block's draw order table puts below
    // its green line pattern. The left of the view lies inside the grey disc.
    const ViewTransform view = View(600, 450, {4579.88, 258.728}, 800);
    const auto countInLeft = [&](const Database& drawing, std::uint32_t rgb) {
        RasterSink sink(600, 450);
        Draw(drawing, view, sink);
        return sink.CountColor(0, 0, 150, 450, rgb);
    };
    const std::size_t green = countInLeft(*db, 0x00FF00), grey = countInLeft(*db, 0xBEBEBE);
    EXPECT_GT(green, 400u);
    EXPECT_GT(grey, 20000u);
    // In stored order the solid covers the pattern: what the table changes.
    for (Block& block : db->Blocks())
        block.drawOrder.clear();
    EXPECT_LT(countInLeft(*db, 0x00FF00), green / 10);
}

TEST(RealDrawings, AccidentPlanGravelIsDenseAndItsNorthArrowFilled)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    auto db = ReadSample(dir, "uap_212718.dxf");
    ASSERT_TRUE(db);
    // The gravel verge along the road: a pattern of 45 families of dots. Drawn as lines of no
    // length its dots showed nothing on a display, leaving a few sparse marks.
    RasterSink gravel(800, 600);
    Draw(*db, View(800, 600, {-109.9, 20.4}, 40), gravel);
    const double area = 800.0 * 35.0;
    EXPECT_GT(static_cast<double>(gravel.Ink(0, 305, 800, 340)) / area, 0.04);
    // The north arrow: a polyline segment tapering from no width to 0.8, drawn as a filled
    // wedge (some 3000 pixels at this scale), not as a hairline.
    RasterSink arrow(800, 600);
    Draw(*db, View(800, 600, {-139.5, 42.2}, 12), arrow);
    EXPECT_GT(arrow.Ink(290, 110, 410, 250), 2500u);
}

TEST(RealDrawings, StreetUtilitiesLineTypeShowsItsDashesAndTexts)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    auto db = ReadSample(dir, "nsw_street_utilities.dwg");
    ASSERT_TRUE(db);
    // A gas main: a polyline of about 340 units in the line type "U_GAS_LP_EX_D", three dashes
    // of 2 units and the text "G LP (D)", 2 units high, in each 24-unit period. Before, the
    // pattern was set at the scale of no transform and came out as dots a pixel or two long.
    const double shown = 243.0, ppu = 900.0 / shown;
    orvo::portable::RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, View(1200, 900, {377.46, 252.31}, shown));
    std::size_t texts = 0;
    for (const TextRun& run : sink.texts) {
        if (run.utf8 != "G LP (D)")
            continue;
        ++texts;
        EXPECT_NEAR(run.height, 2.0 * ppu, 0.01);
    }
    EXPECT_GE(texts, 12u);
    EXPECT_LE(texts, 16u);
    std::size_t dashes = 0;
    for (const auto& stroke : sink.strokes) {
        const double length = std::hypot(stroke.points.back().x - stroke.points.front().x,
                                          stroke.points.back().y - stroke.points.front().y);
        dashes += std::fabs(length - 2.0 * ppu) < 0.05 ? 1 : 0;
    }
    EXPECT_GE(dashes, 3 * 12u);
}

} // namespace
