// LEADER records made by hand (the samples hold none): the points, the spline path, the arrow
// flag and the dimension style come out; a point count past what the record holds gives none.
#include "engine/db/BlockEntities.h"
#include "engine/dwg/DwgEntityDecoders.h"
#include "engine/dwg/DwgMemoryBudget.h"
#include "tests/engine/portable/DwgEntityRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgVersion;
using orvo::test::DwgBitWriter;

constexpr uint64_t kDimStyle = 0x27;

void WriteLeader(DwgBitWriter& w, uint32_t pointCount, const std::vector<RkDb::Vec3>& points)
{
    w.Bit(0).BS(3).BS(1).BL(pointCount);
    for (const RkDb::Vec3& p : points)
        w.BD3(p.x, p.y, p.z);
    w.BD3(0, 0, 0).BD3(0, 0, 1).BD3(1, 0, 0).BD3(0, 0, 0).BD3(0, 0, 0); // origin .. annotation offset
    w.BD(0).BD(0);        // box height and width
    w.Bit(0).Bit(1);      // hook line, arrow head on
    w.BS(0).Bit(0).Bit(0);
}

// A MULTILEADER with block content and rootCount roots of linesPerRoot leader lines each, every
// line without points of its own.
void WriteMLeader(DwgBitWriter& w, uint32_t rootCount, uint32_t linesPerRoot)
{
    const auto zero = [&w]() { w.Bits(2, 2); }; // BL 0 in its short spelling
    w.BL(rootCount);
    for (uint32_t root = 0; root < rootCount; ++root) {
        w.Bit(1).Bit(0).BD3(7, 8, 0).BD3(1, 0, 0);
        zero();                    // breaks
        w.BL(root).BD(0.5).BL(linesPerRoot);
        for (uint32_t line = 0; line < linesPerRoot; ++line) {
            zero();                // points
            zero();                // breaks
            zero();                // line index
        }
    }
    w.BD(1).BD3(0, 0, 0).BD(2.5).BD(0.18).BD(0.1); // scale, base, text height, arrow size, gap
    w.BS(0).BS(0).BS(0).BS(0);
    w.Bit(0).Bit(0);              // block content, none
}

std::vector<uint8_t> LeaderRecord(uint32_t pointCount, const std::vector<RkDb::Vec3>& points)
{
    return orvo::test::EntityRecord(
        orvo::dwg::kTypeLeader, [&](DwgBitWriter& w) { WriteLeader(w, pointCount, points); },
        [](DwgBitWriter& w) { w.H(5, 0).H(5, kDimStyle); }); // annotation, dimension style
}

std::vector<uint8_t> MLeaderRecord(uint32_t rootCount, uint32_t linesPerRoot)
{
    return orvo::test::EntityRecord(500, [&](DwgBitWriter& w) { WriteMLeader(w, rootCount, linesPerRoot); }, nullptr);
}

RkDb::EntityPtr Decode(const std::vector<uint8_t>& object, orvo::dwg::DwgEntityRefs& refs,
                       orvo::dwg::DwgEntityCommon& common, const std::string& className = "")
{
    return orvo::test::DecodeRecord(object, refs, common, className);
}

TEST(DwgLeader, PointsPathArrowAndStyle)
{
    const std::vector<RkDb::Vec3> points = {{1, 2, 0}, {5, 6, 0}, {9, 6, 0.5}};
    orvo::dwg::DwgEntityRefs refs;
    orvo::dwg::DwgEntityCommon common;
    const RkDb::EntityPtr entity = Decode(LeaderRecord(3, points), refs, common);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(common.layer, 0x10u);
    const auto* leader = RkDb::As<RkDb::Leader>(*entity);
    ASSERT_NE(leader, nullptr);
    ASSERT_EQ(leader->vertices.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_EQ(leader->vertices[i], points[i]);
    EXPECT_TRUE(leader->spline);
    EXPECT_TRUE(leader->arrowHead);
    EXPECT_EQ(leader->extrusion, (RkDb::Vec3{0, 0, 1}));
    EXPECT_EQ(refs.dimStyle, kDimStyle);
}

// A point can cost as little as 6 bits in a record and takes 24 bytes in memory, so the points are
// claimed from the reader's budget before they are read: a budget too small for them gives no
// entity and is left exhausted; one that holds them has them counted.
TEST(DwgLeader, PointsAreClaimedFromTheBudgetBeforeTheyAreRead)
{
    constexpr uint32_t kPoints = 1000;
    const std::vector<uint8_t> object = LeaderRecord(kPoints, std::vector<RkDb::Vec3>(kPoints));
    const uint64_t pointBytes = uint64_t{kPoints} * sizeof(RkDb::Vec3);
    const struct
    {
        uint64_t limit;
        bool decoded;
    } cases[] = {{pointBytes / 4, false}, {pointBytes - 1, false}, {pointBytes * 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        orvo::dwg::DwgMemoryBudget budget(c.limit);
        orvo::dwg::DwgObjectRecord record;
        orvo::dwg::DwgEntityCommon common;
        orvo::dwg::DwgEntityRefs refs;
        ASSERT_TRUE(record.Open(object, 0, DwgVersion::R2000) && record.ReadEntityCommon(common));
        record.Data().SetBudget(&budget);
        const RkDb::EntityPtr entity =
            orvo::dwg::DecodeEntity(record.Type(), "", record, common, refs);
        EXPECT_EQ(entity != nullptr, c.decoded);
        EXPECT_EQ(budget.Exhausted(), !c.decoded);
        if (c.decoded) {
            EXPECT_EQ(record.Data().Claimed(), pointBytes);
        }
    }
}

TEST(DwgLeader, PointCountPastTheRecordGivesNoEntity)
{
    for (const uint32_t count : {4u, 1000u, 0x7FFFFFFFu}) {
        orvo::dwg::DwgEntityRefs refs;
        orvo::dwg::DwgEntityCommon common;
        EXPECT_EQ(Decode(LeaderRecord(count, {{1, 2, 0}, {5, 6, 0}, {9, 6, 0}}), refs, common), nullptr) << count;
    }
}

} // namespace

namespace {

// Each line of a root ends at the root's connection point. Writers store a handful of lines; a
// record whose roots together list thousands, each a few bits long, would make the decoder build
// far more than the record holds before anything counts it, so it gives no entity.
TEST(DwgMLeader, LinesOfAllRootsAreBounded)
{
    struct Case
    {
        uint32_t roots;
        uint32_t linesPerRoot;
        bool read;
    };
    const Case cases[] = {{1, 2, true}, {3, 4, true}, {1, 4096, true}, {2, 2048, true}, {2, 3000, false}, {5, 1000, false}};
    for (const Case& c : cases) {
        orvo::dwg::DwgEntityRefs refs;
        orvo::dwg::DwgEntityCommon common;
        const RkDb::EntityPtr entity = Decode(MLeaderRecord(c.roots, c.linesPerRoot), refs, common, "MULTILEADER");
        ASSERT_EQ(entity != nullptr, c.read) << c.roots << " x " << c.linesPerRoot;
        if (!c.read)
            continue;
        const auto* leader = RkDb::As<RkDb::MLeader>(*entity);
        ASSERT_NE(leader, nullptr);
        ASSERT_EQ(leader->leaderLines.size(), static_cast<size_t>(c.roots) * c.linesPerRoot);
        EXPECT_EQ(leader->leaderLines.front(), (std::vector<RkDb::Vec3>{{7, 8, 0}}));
        EXPECT_DOUBLE_EQ(leader->arrowSize, 0.18);
    }
}

} // namespace
