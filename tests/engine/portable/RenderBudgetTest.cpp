// The renderer's work budget: nested blocks, hatch patterns and texts cost what they really do,
// the passes of one picture (its extents, then its drawing) share one budget, and measuring a
// dense hatch costs its boundary only. Every drawing here would take minutes without the bounds.
#include "DeviceWorkSink.h"
#include "DxfBuilder.h"
#include "HostileDrawings.h"
#include "ReadDrawing.h"
#include "RecordingSink.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/dxf/DxfReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::DeviceWorkSink;
using orvo::portable::DxfBuilder;
using orvo::portable::Read;

// Counts what the renderer hands over: points of lines and areas, characters drawn and measured.
class WorkSink final : public DrawSink
{
public:
    void SetPen(std::uint32_t, double) override {}
    void Polyline(const DevPoint*, int n) override { points += static_cast<std::size_t>(n); }
    void Polygons(const DevPoint*, const int* counts, int rings) override
    {
        for (int i = 0; i < rings; ++i)
            points += static_cast<std::size_t>(counts[i]);
    }
    void Dot(DevPoint) override { ++points; }
    void Text(const TextRun& run) override { characters += run.utf8.size(); }
    double TextWidth(const TextRun& run) override
    {
        characters += run.utf8.size();
        return run.height * 0.6 * static_cast<double>(run.utf8.size());
    }
    void PushClip(const DevPoint*, int) override {}
    void PopClip() override {}

    std::size_t Work() const { return points + characters; }
    std::size_t points = 0, characters = 0;
};

// Draws model space on a device of `side` pixels showing 0..100 within a budget of `units`; true
// when the drawing was not abandoned.
bool DrawWithin(const Database& db, std::size_t units, int side, DrawSink& sink)
{
    WorkBudget budget(units);
    RenderOptions options;
    options.budget = &budget;
    ViewTransform view;
    view.SetDevice(side, side);
    view.SetArea({50, 50}, 100);
    return DrawingRenderer(db, sink, options).Draw(0, view);
}

// A square of side `side` hatched by eight families of dashed lines `spacing` apart.
void AddDenseHatch(DxfBuilder& b, double side, double spacing)
{
    b.S(0, "HATCH").S(8, "0").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "DENSE").I(70, 0).I(71, 0).I(91, 1)
        .I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, 0).D(20, 0).D(10, side).D(20, 0)
        .D(10, side).D(20, side).D(10, 0).D(20, side).I(97, 0)
        .I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 8);
    for (int family = 0; family < 8; ++family) {
        b.D(53, family * 20.0).D(43, 0).D(44, 0).D(45, 0).D(46, spacing).I(79, 4);
        for (int i = 0; i < 4; ++i)
            b.D(49, i % 2 == 0 ? 2.0 : -2.0);
    }
    b.I(98, 0);
}

// Blocks B0..B(levels-1): B0 holds the leaf, each further block inserts the one before `per`
// times; model space inserts the last. levels 8 and per 10 make ten million leaves.
std::unique_ptr<Database> Chain(int levels, int per, const std::function<void(DxfBuilder&)>& leaf)
{
    DxfBuilder b;
    b.Header("AC1015").Section("BLOCKS");
    b.S(0, "BLOCK").S(2, "B0").I(70, 0).P(10, 0, 0);
    leaf(b);
    b.S(0, "ENDBLK");
    for (int k = 1; k < levels; ++k) {
        b.S(0, "BLOCK").S(2, "B" + std::to_string(k)).I(70, 0).P(10, 0, 0);
        for (int i = 0; i < per; ++i)
            b.S(0, "INSERT").S(8, "0").S(2, "B" + std::to_string(k - 1)).P(10, i * 0.5, 0);
        b.S(0, "ENDBLK");
    }
    b.EndSection().Section("ENTITIES");
    b.S(0, "INSERT").S(8, "0").S(2, "B" + std::to_string(levels - 1)).P(10, 0, 0);
    b.EndSection().Eof();
    return Read(b);
}

struct Leaf
{
    const char* name;
    std::function<void(DxfBuilder&)> add;
};

const Leaf kLeaves[] = {
    {"line", [](DxfBuilder& b) { b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 1, 1); }},
    {"circle", [](DxfBuilder& b) { b.S(0, "CIRCLE").S(8, "0").P(10, 0, 0).D(40, 1e6); }},
    {"mtext", [](DxfBuilder& b) {
         std::string words;
         for (int i = 0; i < 200; ++i)
             words += "word ";
         b.S(0, "MTEXT").S(8, "0").P(10, 0, 0).D(40, 1.0).D(41, 5.0).S(1, words);
     }},
    {"hatch", [](DxfBuilder& b) { AddDenseHatch(b, 1e7, 1e7 / 2900.0); }},
    {"empty", [](DxfBuilder&) {}},
};

// A thumbnail's passes on one budget: the extents, then the drawing. What reaches the sink stays
// in proportion to the budget (about sixteen points a unit) whatever the nesting multiplies.
TEST(RenderBudget, NestedBlocksMeetOneBudgetAcrossExtentsAndDrawing)
{
    constexpr std::size_t kUnits = 20000;
    for (const Leaf& leaf : kLeaves) {
        SCOPED_TRACE(leaf.name);
        auto db = Chain(8, 10, leaf.add);
        WorkBudget budget(kUnits);
        RenderOptions options;
        options.budget = &budget;
        ViewTransform view;
        view.SetDevice(64, 48);
        WorkSink sink;
        Vec2 min, max;
        if (DrawingRenderer::Extents(*db, 0, view, options, min, max))
            view.Fit(min, max, 0.98);
        // The measure leaves at least half for the drawing.
        EXPECT_GE(budget.Left(), kUnits / 2);
        EXPECT_TRUE(DrawingRenderer(*db, sink, options).Draw(0, view));
        EXPECT_EQ(budget.Left(), 0u);
        EXPECT_LT(sink.Work(), kUnits * 16 * 4);
    }
}

// The default budget of a single pass bounds the same drawings (the fuzz target's and the
// viewer's path when no shared budget is given).
TEST(RenderBudget, EveryPassHasABudgetOfItsOwnWhenNoneIsShared)
{
    auto db = Chain(6, 10, kLeaves[0].add);
    ViewTransform view;
    view.SetDevice(64, 48);
    Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(*db, 0, view, min, max));
    view.Fit(min, max, 0.98);
    WorkSink sink;
    DrawingRenderer renderer(*db, sink, RenderOptions());
    EXPECT_TRUE(renderer.Draw(0, view));
    EXPECT_LE(renderer.DrawnEntities(), WorkBudget::kDefaultUnits);
}

// The pattern lies inside the boundary: measuring a hatch of millions of dashes costs its four
// corners and gives the boundary's box.
TEST(RenderBudget, MeasuringADenseHatchCostsItsBoundaryOnly)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    AddDenseHatch(b, 1e7, 1e7 / 2900.0);
    b.EndSection().Eof();
    auto db = Read(b);
    WorkBudget budget(1000);
    RenderOptions options;
    options.budget = &budget;
    ViewTransform view;
    view.SetDevice(64, 48);
    Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(*db, 0, view, options, min, max));
    EXPECT_NEAR(min.x, 0.0, 1e-6);
    EXPECT_NEAR(min.y, 0.0, 1e-6);
    EXPECT_NEAR(max.x, 1e7, 1e-3);
    EXPECT_NEAR(max.y, 1e7, 1e-3);
    EXPECT_GE(budget.Left(), 990u);
}

// A hatch takes its dashes from what the picture has left, not from a fresh allowance of its
// own: a block of one dense hatch inserted a hundred times meets the picture's budget.
TEST(RenderBudget, HatchesTakeFromThePictureBudget)
{
    DxfBuilder b;
    b.Header("AC1015").Section("BLOCKS");
    b.S(0, "BLOCK").S(2, "H").I(70, 0).P(10, 0, 0);
    AddDenseHatch(b, 100.0, 100.0 / 2900.0);
    b.S(0, "ENDBLK").EndSection().Section("ENTITIES");
    for (int i = 0; i < 100; ++i)
        b.S(0, "INSERT").S(8, "0").S(2, "H").P(10, 0, 0);
    b.EndSection().Eof();
    auto db = Read(b);
    constexpr std::size_t kUnits = 50000;
    WorkSink sink;
    EXPECT_TRUE(DrawWithin(*db, kUnits, 1000, sink));
    EXPECT_LT(sink.points, kUnits * 16 * 2);
}

// Pattern lines far from the origin: there adding one to a line number does not change it, so
// the lines are counted in integers (found by the fuzz target as an endless loop).
TEST(RenderBudget, PatternFarFromTheOriginEnds)
{
    const double far = 1e17;
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "HATCH").S(8, "0").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "FAR").I(70, 0).I(71, 0).I(91, 1)
        .I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, far).D(20, far).D(10, far + 1000).D(20, far)
        .D(10, far + 1000).D(20, far + 1000).D(10, far).D(20, far + 1000).I(97, 0)
        .I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 1)
        .D(53, 0.0).D(43, 0).D(44, 0).D(45, 0).D(46, 1.0).I(79, 0).I(98, 0);
    b.EndSection().Eof();
    auto db = Read(b);
    ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({far + 500, far + 500}, 1000);
    WorkSink sink;
    EXPECT_TRUE(DrawingRenderer(*db, sink, RenderOptions()).Draw(0, view));
    EXPECT_LT(sink.points, 10000u);
}

// One paragraph of 20,000 words wrapped to a narrow column: the wrap measures each line's
// prefixes, not the paragraph again and again, and stops with the budget.
TEST(RenderBudget, LongParagraphWrapsWithinTheBudget)
{
    std::string words;
    for (int i = 0; i < 20000; ++i)
        words += "word ";
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "MTEXT").S(8, "0").P(10, 0, 100).D(40, 1.0).D(41, 30.0).S(1, words);
    b.EndSection().Eof();
    auto db = Read(b);
    constexpr std::size_t kUnits = 5000;
    WorkSink sink;
    EXPECT_TRUE(DrawWithin(*db, kUnits, 100, sink));
    EXPECT_GT(sink.Work(), 0u);
    EXPECT_LT(sink.characters, kUnits * 16 * 2);
}

// The shared budget polls its abort query: both passes end, and the drawing says it was
// abandoned.
TEST(RenderBudget, AbortOfTheSharedBudgetEndsEveryPass)
{
    auto db = Chain(8, 10, kLeaves[0].add);
    int polls = 0;
    WorkBudget budget(WorkBudget::kDefaultUnits, [&polls] { return ++polls >= 3; });
    RenderOptions options;
    options.budget = &budget;
    ViewTransform view;
    view.SetDevice(64, 48);
    Vec2 min, max;
    DrawingRenderer::Extents(*db, 0, view, options, min, max);
    WorkSink sink;
    EXPECT_FALSE(DrawingRenderer(*db, sink, options).Draw(0, view));
    EXPECT_LT(sink.points, 10000u);
}

// Reads the binary form of a generated drawing, as the fuzz target and the viewer get it.
std::unique_ptr<Database> ReadBinary(const std::string& data)
{
    auto db = std::make_unique<Database>();
    RkDxf::DxfReader reader(*db);
    EXPECT_EQ(reader.Read(data.data(), data.size()), RkDxf::DxfReader::Status::Ok);
    return db;
}

// What the device gets for a budget of `units`, in the device's own points of work, beyond
// which a drawing that spends the budget would take more time than the budget stands for. The
// last entity drawn may go past it by one call.
constexpr double kDevicePointsPerUnit = 16.0 * 2.0;

// Drawings of a few kilobytes whose cells repeat a costly entity a hundred million times (fine
// dashes, fills of the whole device, wide pens, long texts, hatches of hundreds of loops,
// meshes, splines of degree 11, large points): as the viewer draws them (the saved view or the
// extents at 1920 x 1080) and as a thumbnail (fitted at 128 x 96 on one budget), what reaches the
// device stays in proportion to the budget. Each of them used to hold the viewer for minutes.
TEST(RenderBudget, SmallHostileDrawingsCostTheDeviceNoMoreThanTheBudget)
{
    constexpr std::size_t kUnits = 40000;
    for (const orvo::portable::HostileDrawing& hostile : orvo::portable::HostileDrawings()) {
        SCOPED_TRACE(hostile.name);
        const std::string bytes = orvo::portable::BuildHostileDrawing(hostile).Binary();
        EXPECT_LT(bytes.size(), 64u * 1024u);
        auto db = ReadBinary(bytes);
        for (const int width : {1920, 128}) {
            SCOPED_TRACE(width);
            const int height = width * 9 / 16;
            ViewTransform view;
            view.SetDevice(width, height);
            WorkBudget measure(kUnits);
            RenderOptions options;
            options.budget = &measure;
            Vec2 min, max;
            if (hostile.viewHeight > 0 && width > 128)
                view.SetArea({50, 50}, hostile.viewHeight);
            else if (DrawingRenderer::Extents(*db, 0, view, options, min, max))
                view.Fit(min, max, 0.98);
            WorkBudget budget(kUnits);
            options.budget = &budget;
            DeviceWorkSink sink(width, height);
            DrawingRenderer(*db, sink, options).Draw(0, view);
            // Each drawing spends its budget: the cells far outnumber it.
            EXPECT_LT(budget.Left(), 16u);
            EXPECT_LT(sink.Work(), kUnits * kDevicePointsPerUnit + 2e5)
                << "calls " << sink.calls << ", points " << sink.points << ", line pixels "
                << sink.linePixels << ", area pixels " << sink.areaPixels << ", characters " << sink.characters;
        }
    }
}

// Dashes are cut only where they show, and the pattern runs on along what does not: zoomed far
// into a line two million units long, its dashes still show, in their place.
TEST(RenderBudget, ADashedLineFarBeyondTheViewShowsItsDashesInPhase)
{
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LTYPE");
    b.S(0, "LTYPE").S(2, "DASHED").I(70, 0).I(73, 2).D(40, 2.0).D(49, 1.0).D(49, -1.0);
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").S(6, "DASHED").P(10, -999999.5, 0).P(11, 1000000.5, 0);
    b.EndSection().Eof();
    auto db = Read(b);
    // 0..100 across 1000 pixels: a dash and a gap of ten pixels each.
    ViewTransform view;
    view.SetDevice(1000, 100);
    view.SetArea({50, 0}, 10);
    orvo::portable::RecordingSink recording;
    EXPECT_TRUE(DrawingRenderer(*db, recording, RenderOptions()).Draw(0, view));
    std::vector<std::pair<double, double>> dashes;
    for (const auto& line : recording.strokes)
        dashes.push_back({line.points.front().x, line.points.back().x});
    ASSERT_GE(dashes.size(), 49u);
    ASSERT_LE(dashes.size(), 52u);
    // The line starts half a unit before an even number: each dash starts half a unit after one.
    for (const auto& dash : dashes) {
        if (dash.first <= 0.0 || dash.second >= 1000.0)
            continue;       // cut at the device's edge
        EXPECT_NEAR(std::fmod(dash.first, 20.0), 5.0, 0.01) << dash.first;
        EXPECT_NEAR(dash.second - dash.first, 10.0, 0.01);
    }
}

// Wine's fill walks every active edge on every scan line: rings nested three hundred deep cost
// the square of their number, and a fill of one ring does not.
TEST(RenderBudget, FillsOfNestedRingsCostTheirEdgeWalk)
{
    const auto place = [](bool nested) {
        DxfBuilder b;
        b.Header("AC1015").Section("BLOCKS").S(0, "BLOCK").S(2, "H").I(70, 0).P(10, 0, 0);
        if (nested) {
            orvo::portable::hostile::SolidHatchOfLoops(b);
        } else {
            b.S(0, "HATCH").S(8, "0").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1).S(2, "SOLID")
                .I(70, 1).I(71, 0).I(91, 1).I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, 0).D(20, 0)
                .D(10, 100).D(20, 0).D(10, 100).D(20, 100).D(10, 0).D(20, 100).I(97, 0)
                .I(75, 0).I(76, 1).I(98, 0);
        }
        b.S(0, "ENDBLK").EndSection().Section("ENTITIES");
        for (int i = 0; i < 100; ++i)
            b.S(0, "INSERT").S(8, "0").S(2, "H").P(10, 0, 0);
        b.EndSection().Eof();
        return Read(b);
    };
    constexpr std::size_t kUnits = 200000;
    DeviceWorkSink nested(1000, 1000), plain(1000, 1000);
    DrawWithin(*place(true), kUnits, 1000, nested);
    DrawWithin(*place(false), kUnits, 1000, plain);
    // One fill of the nested rings spends the budget; the hundred plain ones all fit in it.
    EXPECT_LE(nested.fills, 2.0);
    EXPECT_EQ(plain.fills, 100.0);
}

} // namespace
