// The drawing database's building blocks: the ACI palette, colours, the object coordinate system,
// case-insensitive tables and what a new database holds.
#include "engine/db/AciPalette.h"
#include "engine/db/Database.h"

#include <gtest/gtest.h>

#include <tuple>

namespace RkDb {
namespace {

TEST(AciPalette, KnownEntries)
{
    const struct { int index; std::uint32_t rgb; } cases[] = {
        {1, 0xFF0000}, {2, 0xFFFF00}, {3, 0x00FF00}, {5, 0x0000FF}, {7, 0xFFFFFF},
        {8, 0x808080}, {9, 0xC0C0C0}, {10, 0xFF0000}, {11, 0xFF7F7F}, {12, 0xCC0000},
        {13, 0xCC6666}, {19, 0x4C2626}, {20, 0xFF3F00}, {30, 0xFF7F00}, {50, 0xFFFF00},
        {90, 0x00FF00}, {130, 0x00FFFF}, {170, 0x0000FF}, {210, 0xFF00FF}, {250, 0x333333},
        {255, 0xFFFFFF}, {-4, 0xFFFFFF}, {300, 0xFFFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AciPalette::Rgb(c.index), c.rgb) << "index " << c.index;
}

TEST(AciPalette, NamesAndNearest)
{
    EXPECT_STREQ(AciPalette::Name(1), "red");
    EXPECT_STREQ(AciPalette::Name(7), "white");
    EXPECT_STREQ(AciPalette::Name(256), "ByLayer");
    EXPECT_EQ(AciPalette::Name(8), nullptr);
    EXPECT_EQ(AciPalette::Nearest(0xFE0101), 1);
    EXPECT_EQ(AciPalette::Nearest(0x0000FF), 5);
}

TEST(Color, FromAciCoversSpecialValues)
{
    EXPECT_TRUE(Color::FromAci(256).IsByLayer());
    EXPECT_TRUE(Color::FromAci(0).IsByBlock());
    EXPECT_EQ(Color::FromAci(-3).Index(), 3);      // a layer that is off keeps its colour
    EXPECT_EQ(Color::FromAci(1000).Index(), 7);
    EXPECT_EQ(Color::FromRgb(0x12345678).Rgb(), 0x345678u);
}

TEST(Ocs, ArbitraryAxis)
{
    const Ocs world({0, 0, 1});
    EXPECT_TRUE(world.IsWorld());
    // Extrusion -z mirrors x: the OCS x axis is world -x.
    const Ocs flipped({0, 0, -1});
    const Vec3 p = flipped.ToWorld({1, 2, 3});
    EXPECT_NEAR(p.x, -1.0, 1e-12);
    EXPECT_NEAR(p.y, 2.0, 1e-12);
    EXPECT_NEAR(p.z, -3.0, 1e-12);
    // Extrusion along world x: OCS x = world y, OCS y = world z.
    const Vec3 q = Ocs({1, 0, 0}).ToWorld({1, 0, 0});
    EXPECT_NEAR(q.y, 1.0, 1e-12);
    // A zero extrusion counts as world z.
    EXPECT_TRUE(Ocs({0, 0, 0}).IsWorld());
}

TEST(SymbolTable, FindsWithoutCaseAndLaterDuplicateWins)
{
    SymbolTable<Layer> table;
    Layer a;
    a.name = "Walls";
    a.handle = 0x20;
    EXPECT_EQ(table.Add(a), 0);
    Layer b;
    b.name = "WALLS";
    b.color = Color::FromAci(3);
    EXPECT_EQ(table.Add(b), 0);
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Find("walls"), 0);
    EXPECT_EQ(table[0].color.Index(), 3);
    EXPECT_EQ(table.FindHandle(0x20), 0);
    EXPECT_EQ(table.Find("doors"), -1);
}

TEST(Database, NewDatabaseHasTheStandardRecords)
{
    Database db;
    EXPECT_EQ(db.Layers().Find("0"), 0);
    EXPECT_GE(db.LineTypes().Find("CONTINUOUS"), 0);
    EXPECT_GE(db.TextStyles().Find("standard"), 0);
    ASSERT_EQ(db.Layouts().size(), 1u);
    EXPECT_TRUE(db.Layouts()[0].IsModel());
    EXPECT_EQ(db.ModelSpaceBlock().name, "*Model_Space");
}

TEST(Database, PaperSpaceWithoutLayoutGetsOne)
{
    Database db;
    const std::int32_t ps = db.EnsurePaperSpace();
    db.Blocks()[ps].entities.push_back(std::make_unique<Line>());
    db.ModelSpaceBlock().entities.push_back(std::make_unique<Circle>());
    db.FinishLoading();
    ASSERT_EQ(db.Layouts().size(), 2u);
    EXPECT_EQ(db.Layouts()[1].block, ps);
    EXPECT_EQ(db.Blocks()[ps].layout, 1);
    const auto counts = db.CountByType();
    EXPECT_EQ(counts[static_cast<std::size_t>(EntityType::Line)], 1u);
    EXPECT_EQ(db.EntityCount(), 2u);
}

// Two paper layouts, the second in tab order holding the active paper block: the drawing opens
// where it was saved.
TEST(Database, CurrentLayoutIsTheOneSavedIn)
{
    const struct { bool tileMode; bool modelEntities; bool paperEntities; int expected; } cases[] = {
        {true, true, true, 0},      // saved in model space
        {false, true, true, 2},     // saved in paper space: the layout of "*Paper_Space"
        {false, true, false, 2},    // even an empty one
        {true, false, true, 2},     // model space empty, the content is on paper
        {true, false, false, 0},
    };
    for (const auto& c : cases) {
        Database db;
        db.Header().tileMode = c.tileMode;
        Block other;
        other.name = "*Paper_Space0";
        other.handle = 0x20;
        const std::int32_t inactive = db.Blocks().Add(std::move(other));
        const std::int32_t active = db.EnsurePaperSpace();
        db.Blocks().SetHandle(active, 0x21);
        db.Blocks()[inactive].entities.push_back(std::make_unique<Circle>());
        if (c.paperEntities)
            db.Blocks()[active].entities.push_back(std::make_unique<Line>());
        if (c.modelEntities)
            db.ModelSpaceBlock().entities.push_back(std::make_unique<Line>());
        for (const auto& [name, tab, handle] : {std::tuple{"Layout2", 2, 0x21}, std::tuple{"Layout1", 1, 0x20}}) {
            Layout layout;
            layout.name = name;
            layout.tabOrder = tab;
            layout.blockHandle = static_cast<Handle>(handle);
            db.Layouts().push_back(layout);
        }
        db.FinishLoading();
        ASSERT_EQ(db.Layouts().size(), 3u);
        EXPECT_EQ(db.CurrentLayout(), c.expected) << c.tileMode << c.modelEntities << c.paperEntities;
        EXPECT_EQ(db.Layouts()[2].name, "Layout2");
    }
}

TEST(DwgVersion, Table)
{
    EXPECT_EQ(DwgVersionInfo::FromAcadVer("AC1009"), DwgVersion::R11_12);
    EXPECT_EQ(DwgVersionInfo::FromAcadVer("AC1032"), DwgVersion::R2018);
    EXPECT_EQ(DwgVersionInfo::FromAcadVer("AC10"), DwgVersion::Unknown);
    EXPECT_EQ(DwgVersionInfo::Code(DwgVersion::R2000), 23);
    EXPECT_EQ(DwgVersionInfo::Code(DwgVersion::Unknown), -1);
}

} // namespace
} // namespace RkDb
