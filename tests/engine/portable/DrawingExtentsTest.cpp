// Extents as what is drawn, and the bulk of a drawing: layers off or frozen, blank texts, inserts
// by what their blocks draw under their transforms, the few objects that lie absurdly far from
// the rest (left out of the bulk, kept in the whole extents), and the sample drawings whose far
// objects made their plans a speck.
#include "PortableSupport.h"
#include "ReadDrawing.h"

#include "engine/draw/BulkExtents.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::Read;
using Reach = DrawingRenderer::Reach;

ViewTransform TopView()
{
    ViewTransform view;
    view.SetDevice(100, 100);
    return view;
}

struct Measured
{
    bool any = false;
    Box2 box;
};

Measured Measure(const Database& db, Reach reach, int layout = 0)
{
    Measured m;
    m.any = DrawingRenderer::Extents(db, layout, TopView(), RenderOptions(), reach, m.box.min, m.box.max);
    return m;
}

// A drawing of `count` short lines spread over 0..100 x 0..50, and what `add` puts after them.
std::unique_ptr<Database> Plan(int count, const std::function<void(DxfBuilder&)>& add)
{
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LAYER");
    b.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7);
    b.S(0, "LAYER").S(2, "Off").I(70, 0).I(62, -3);
    b.S(0, "LAYER").S(2, "Frozen").I(70, 1).I(62, 3);
    b.S(0, "ENDTAB").EndSection();
    b.Section("BLOCKS");
    b.S(0, "BLOCK").S(2, "Tick").I(70, 0).P(10, 1, 1);
    b.S(0, "LINE").S(8, "0").P(10, 1, 1).P(11, 2, 1);
    b.S(0, "LINE").S(8, "Off").P(10, 1, 1).P(11, 500, 500);
    b.S(0, "ENDBLK").EndSection();
    b.Section("ENTITIES");
    for (int i = 0; i < count; ++i) {
        const double x = (i * 37) % 100, y = (i * 11) % 50;
        b.S(0, "LINE").S(8, "0").P(10, x, y).P(11, x + 1, y + 1);
    }
    add(b);
    b.EndSection().Eof();
    return Read(b);
}

void ExpectBox(const Measured& m, double x0, double y0, double x1, double y1, const char* what)
{
    ASSERT_TRUE(m.any) << what;
    EXPECT_NEAR(m.box.min.x, x0, 1e-6) << what;
    EXPECT_NEAR(m.box.min.y, y0, 1e-6) << what;
    EXPECT_NEAR(m.box.max.x, x1, 1e-6) << what;
    EXPECT_NEAR(m.box.max.y, y1, 1e-6) << what;
}

TEST(DrawingExtents, OnlyWhatIsDrawnCounts)
{
    // Far lines on layers that are off or frozen, a far text of blanks and an insert whose far
    // line is on a layer that is off: none of them is drawn, none counts, in either measure.
    auto db = Plan(40, [](DxfBuilder& b) {
        b.S(0, "LINE").S(8, "Off").P(10, 0, 0).P(11, 9000, 9000);
        b.S(0, "LINE").S(8, "Frozen").P(10, -9000, 0).P(11, 0, 0);
        b.S(0, "TEXT").S(8, "0").P(10, 7000, 7000).D(40, 5).S(1, "   ");
        b.S(0, "MTEXT").S(8, "0").P(10, -7000, 7000).D(40, 5).S(1, " ");
        b.S(0, "INSERT").S(8, "0").S(2, "Tick").P(10, 50, 60).D(41, 10).D(42, 10);
    });
    for (const Reach reach : {Reach::Everything, Reach::Bulk}) {
        // The insert: the block's line from its base point (1, 1) to (2, 1), ten times, at (50, 60).
        ExpectBox(Measure(*db, reach), 0, 0, 100, 60, reach == Reach::Bulk ? "bulk" : "everything");
    }
}

TEST(DrawingExtents, TheBulkLeavesOutTheFewFarObjects)
{
    struct Case
    {
        const char* what;
        int lines;
        std::function<void(DxfBuilder&)> add;
        double bulkMaxX;     // the bulk's right edge (kPlanEdge: the plan's own); the whole
        double wholeMaxX;    // extents reach the far objects
    };
    // The plan's lines end at x = 100.
    constexpr double kPlanEdge = 100;
    const Case cases[] = {
        {"a stray point", 40, [](DxfBuilder& b) { b.S(0, "POINT").S(8, "0").P(10, 90000, 10); }, kPlanEdge, 90000},
        {"two far hatches' worth of lines", 60,
         [](DxfBuilder& b) {
             b.S(0, "LINE").S(8, "0").P(10, 800, 10).P(11, 820, 10);
             b.S(0, "LINE").S(8, "0").P(10, 900, 30).P(11, 950, 30);
         },
         kPlanEdge, 950},
        {"an insert scaled a thousandfold", 40,
         [](DxfBuilder& b) { b.S(0, "INSERT").S(8, "0").S(2, "Tick").P(10, 0, 0).D(41, 1000).D(42, 1000); },
         kPlanEdge, 1000},
        // Beside the plan, within a plan's width or two: part of the drawing.
        {"a legend beside the plan", 40,
         [](DxfBuilder& b) { b.S(0, "LINE").S(8, "0").P(10, 150, 0).P(11, 250, 40); }, 250, 250},
        // One object in fifteen is too many to leave out: two real parts of a drawing.
        {"a second cluster", 40,
         [](DxfBuilder& b) {
             for (int i = 0; i < 3; ++i)
                 b.S(0, "LINE").S(8, "0").P(10, 5000 + i, 0).P(11, 5010 + i, 5);
         },
         5012, 5012},
        // Too few objects to tell a bulk from the rest.
        {"a handful of objects", 10, [](DxfBuilder& b) { b.S(0, "POINT").S(8, "0").P(10, 90000, 10); },
         90000, 90000},
    };
    for (const Case& c : cases) {
        auto db = Plan(c.lines, c.add);
        const Measured bulk = Measure(*db, Reach::Bulk);
        const Measured whole = Measure(*db, Reach::Everything);
        ASSERT_TRUE(bulk.any && whole.any) << c.what;
        EXPECT_NEAR(bulk.box.max.x, c.bulkMaxX, 1e-6) << c.what;
        EXPECT_NEAR(whole.box.max.x, c.wholeMaxX, 1e-6) << c.what;
        EXPECT_NEAR(bulk.box.min.x, 0.0, 1e-6) << c.what;
    }
}

TEST(DrawingExtents, BulkOfBoxesAtOnePlaceAndOfNone)
{
    // Many copies at one spot: the core has no size, the objects' own size measures the reach.
    std::vector<Box2> boxes(30, Box2{{10, 10}, {12, 12}});
    boxes.push_back({{1e6, 1e6}, {1e6 + 1, 1e6 + 1}});
    Box2 bulk;
    ASSERT_TRUE(BulkExtents::Of(boxes, bulk));
    EXPECT_DOUBLE_EQ(bulk.max.x, 12.0);
    // All at one point: nothing to measure a reach with, everything is kept.
    std::vector<Box2> points(30, Box2{{5, 5}, {5, 5}});
    points.push_back({{1e6, 1e6}, {1e6, 1e6}});
    ASSERT_TRUE(BulkExtents::Of(points, bulk));
    EXPECT_DOUBLE_EQ(bulk.max.x, 1e6);
    EXPECT_FALSE(BulkExtents::Of({}, bulk));
}

std::unique_ptr<Database> ReadSample(const std::string& dir, const std::string& name)
{
    const std::string bytes = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, name));
    auto db = std::make_unique<Database>();
    if (bytes.empty())
        return nullptr;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dxf") == 0) {
        RkDxf::DxfReader reader(*db);
        if (reader.Read(bytes.data(), bytes.size()) != RkDxf::DxfReader::Status::Ok)
            return nullptr;
        return db;
    }
    orvo::dwg::DwgReader reader;
    if (reader.Read(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), *db) != orvo::dwg::DwgReadResult::Ok)
        return nullptr;
    return db;
}

// The samples whose opening view was a corner or a speck: the bulk is the plan (as the
// drawing's own preview shows it), the whole extents still reach the far objects.
TEST(DrawingExtents, SampleDrawingsFrameTheirPlans)
{
    const std::string dir = orvo::portable::SamplesDir();
    if (dir.empty())
        GTEST_SKIP() << "the shared sample drawings folder is absent";
    struct Case
    {
        const char* name;
        Box2 plan;          // the bulk lies within this box and covers most of it
        double wholeMinX;   // the whole extents reach at least this far to the left...
        double wholeMaxX;   // ...and to the right
    };
    const Case cases[] = {
        // A blank text far from the plan stretched it: the plan now fills the extents.
        {"dwg/real/apress_site.dwg", {{2168820, 1509560}, {2169440, 1510060}}, 2168830, 2169420},
        {"dwg/real/northblock_electrical.dwg", {{-30700, -57200}, {62500, -42300}}, -30600, 770000},
        {"dwg/real/ezdxf_dimstyle-vars.dwg", {{-1.2, -3.7}, {3.6, 2.3}}, -2573, 3.5},
        {"dwg/example_2018.dwg", {{-6900, -3100}, {11300, 14200}}, -2680000, 731000},
        {"dwg/example_2018.dxf", {{-6900, -3100}, {11300, 14200}}, -2680000, 731000},
        {"dwg/example_r12.dxf", {{-6900, -3100}, {11300, 14200}}, -2680000, 860000},
    };
    for (const Case& c : cases) {
        auto db = ReadSample(dir, c.name);
        ASSERT_TRUE(db) << c.name;
        const Measured bulk = Measure(*db, Reach::Bulk);
        const Measured whole = Measure(*db, Reach::Everything);
        ASSERT_TRUE(bulk.any && whole.any) << c.name;
        EXPECT_GE(bulk.box.min.x, c.plan.min.x) << c.name;
        EXPECT_GE(bulk.box.min.y, c.plan.min.y) << c.name;
        EXPECT_LE(bulk.box.max.x, c.plan.max.x) << c.name;
        EXPECT_LE(bulk.box.max.y, c.plan.max.y) << c.name;
        const double planWidth = c.plan.max.x - c.plan.min.x;
        EXPECT_GE(bulk.box.max.x - bulk.box.min.x, 0.9 * planWidth) << c.name;
        EXPECT_LE(whole.box.min.x, c.wholeMinX) << c.name;
        EXPECT_GE(whole.box.max.x, c.wholeMaxX) << c.name;
    }
}

} // namespace
