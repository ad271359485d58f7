// Small rules of the engine that a planted fault once changed without any test noticing: the
// side a bulge arc bows to, the 1/64 limit of the arbitrary-axis algorithm, the code pages of the
// \M+N text escape, the handle of a DXF dimension style, MLINE vertices in the memory budget, and
// the screen axes of the views along the z axis.
#include "DxfBuilder.h"

#include "engine/db/BlockEntities.h"
#include "engine/db/CodePage.h"
#include "engine/db/Database.h"
#include "engine/db/Geometry.h"
#include "engine/draw/CurveTessellator.h"
#include "engine/draw/ViewTransform.h"
#include "engine/dwg/DwgMemoryBudget.h"
#include "engine/dxf/DxfReader.h"
#include "engine/dxf/DxfTextDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using RkDb::Vec3;

// The highest and lowest y of the arc from (0, 0) to (10, 0) with the given bulge.
std::pair<double, double> ArcYRange(double bulge)
{
    std::vector<Vec3> points;
    RkDraw::CurveTessellator::Bulge({0, 0, 0}, {10, 0, 0}, bulge, 100.0, points);
    points.push_back({10, 0, 0});
    double low = 0.0, high = 0.0;
    for (const Vec3& p : points) {
        low = std::min(low, p.y);
        high = std::max(high, p.y);
    }
    return {low, high};
}

TEST(EngineRules, BulgeArcBowsToTheSideItsSignSays)
{
    // A positive bulge turns counter-clockwise from start to end, so along +x it bows below the
    // chord; a negative one bows above. The height in the middle is bulge x half the chord.
    struct Case
    {
        double bulge, low, high;
    };
    const Case cases[] = {{1.0, -5.0, 0.0}, {-1.0, 0.0, 5.0}, {0.5, -2.5, 0.0}, {-0.5, 0.0, 2.5}};
    for (const Case& c : cases) {
        const auto [low, high] = ArcYRange(c.bulge);
        EXPECT_NEAR(low, c.low, 0.01) << "bulge " << c.bulge;
        EXPECT_NEAR(high, c.high, 0.01) << "bulge " << c.bulge;
    }
}

TEST(EngineRules, ArbitraryAxisSwitchesAtOneSixtyFourth)
{
    // Below 1/64 in both x and y the OCS x axis comes from world y x N (close to world x here);
    // from 1/64 on it comes from world z x N (world y here).
    struct Case
    {
        double nx;
        Vec3 xAxis;
    };
    const Case cases[] = {{0.0155, {1, 0, 0}}, {0.0160, {0, 1, 0}}, {0.5, {0, 1, 0}}};
    for (const Case& c : cases) {
        const RkDb::Ocs ocs({c.nx, 0, 1});
        const Vec3 x = ocs.ToWorld({1, 0, 0});
        EXPECT_NEAR(x.x, c.xAxis.x, 0.02) << "normal x " << c.nx;
        EXPECT_NEAR(x.y, c.xAxis.y, 0.02) << "normal x " << c.nx;
    }
}

// Records what the \M+N escape hands to the platform's conversion.
int g_convertedCodePage = 0;
std::string g_convertedBytes;

bool RecordingConverter(int codePage, std::string_view bytes, std::string& utf8)
{
    g_convertedCodePage = codePage;
    g_convertedBytes.assign(bytes.data(), bytes.size());
    utf8 = "<converted>";
    return true;
}

TEST(EngineRules, MultiByteEscapeNamesItsCodePage)
{
    struct Case
    {
        char n;
        int codePage;
    };
    const Case cases[] = {{'1', 932}, {'2', 950}, {'3', 949}, {'4', 1361}, {'5', 936}};
    RkDb::CodePage::SetConverter(&RecordingConverter);
    RkDxf::DxfTextDecoder decoder;
    decoder.SetCodePage(0);
    for (const Case& c : cases) {
        g_convertedCodePage = 0;
        const std::string raw = std::string("a\\M+") + c.n + "8260b";
        EXPECT_EQ(decoder.Decode(raw), "a<converted>b") << raw;
        EXPECT_EQ(g_convertedCodePage, c.codePage) << raw;
        EXPECT_EQ(g_convertedBytes, std::string("\x82\x60", 2)) << raw;
    }
    RkDb::CodePage::SetConverter(nullptr);
}

TEST(EngineRules, DimensionStyleTakesItsHandleFromGroup105)
{
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "DIMSTYLE");
    b.S(0, "DIMSTYLE").S(105, "1F").S(2, "Mine").I(70, 0).D(40, 2.0);
    b.S(0, "ENDTAB").EndSection().Eof();
    RkDb::Database db;
    const std::string data = b.Ascii();
    RkDxf::DxfReader reader(db);
    ASSERT_EQ(reader.Read(data.data(), data.size()), RkDxf::DxfReader::Status::Ok);
    const std::int32_t index = db.DimStyles().Find("Mine");
    ASSERT_TRUE(db.DimStyles().Valid(index));
    EXPECT_EQ(db.DimStyles()[index].handle, 0x1Fu);
    EXPECT_EQ(db.DimStyles().FindHandle(0x1F), index);
}

TEST(EngineRules, MLineVerticesCountInTheMemoryBudget)
{
    RkDb::MLine empty;
    RkDb::MLine full;
    constexpr size_t kVertices = 1000;
    constexpr size_t kOffsets = 8;
    full.vertices.resize(kVertices);
    for (RkDb::MLineVertex& vertex : full.vertices)
        vertex.offsets.assign(kOffsets, 1.0);
    const uint64_t grown = orvo::dwg::EstimateEntityBytes(full) - orvo::dwg::EstimateEntityBytes(empty);
    EXPECT_GE(grown, kVertices * (sizeof(RkDb::MLineVertex) + kOffsets * sizeof(double)));
}

// Where the world point lands on a 100 x 100 device showing 20 units around the origin.
RkDb::Vec2 OnDevice(const Vec3& direction, const Vec3& world)
{
    RkDraw::ViewTransform view;
    view.SetDevice(100, 100);
    view.SetDirection(direction, {}, 0.0);
    view.SetArea({0, 0}, 20);
    const Vec3 p = view.WorldToDevice().Apply(world);
    return {p.x, p.y};
}

TEST(EngineRules, ViewsAlongTheZAxisKeepWorldXToTheRight)
{
    // The plan shows +y up. The view from below is the front view tipped on over the front edge
    // (as a view cube turns): +x stays to the right and +y points down, the same as a view from
    // just in front of straight below.
    const RkDb::Vec2 planX = OnDevice({0, 0, 1}, {5, 0, 0});
    const RkDb::Vec2 planY = OnDevice({0, 0, 1}, {0, 5, 0});
    EXPECT_GT(planX.x, 50.0);
    EXPECT_LT(planY.y, 50.0);
    const RkDb::Vec2 bottomX = OnDevice({0, 0, -1}, {5, 0, 0});
    const RkDb::Vec2 bottomY = OnDevice({0, 0, -1}, {0, 5, 0});
    EXPECT_GT(bottomX.x, 50.0);
    EXPECT_GT(bottomY.y, 50.0);
    const RkDb::Vec2 nearBottomX = OnDevice({0, -1e-6, -1}, {5, 0, 0});
    const RkDb::Vec2 nearBottomY = OnDevice({0, -1e-6, -1}, {0, 5, 0});
    EXPECT_NEAR(nearBottomX.x, bottomX.x, 1e-3);
    EXPECT_NEAR(nearBottomY.y, bottomY.y, 1e-3);
}

} // namespace
