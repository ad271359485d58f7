// MESH, PDFUNDERLAY and 3DSOLID records made by hand (the samples hold no mesh or underlay): what
// they store comes out; counts past what the record holds give no entity, or a solid without
// edges, never more than the record holds.
#include "engine/acis/SatReader.h"
#include "engine/db/ModelEntities.h"
#include "engine/dwg/DwgMemoryBudget.h"
#include "tests/engine/portable/DwgEntityRecord.h"

#include <gtest/gtest.h>

namespace {

using orvo::test::DwgBitWriter;

void WriteMesh(DwgBitWriter& w, uint32_t vertexCount, uint32_t faceItems)
{
    w.BS(2).Bit(0).BL(0).BL(vertexCount);
    for (uint32_t i = 0; i < 4 && i < vertexCount; ++i)
        w.BD3(i == 1 || i == 2 ? 10 : 0, i >= 2 ? 5 : 0, 0);
    w.BL(faceItems);
    for (const uint32_t item : {4u, 0u, 1u, 2u, 3u})
        w.BL(item);
    w.BL(0).BL(0);        // edges, creases
}

void WriteUnderlay(DwgBitWriter& w, uint32_t clipCount)
{
    w.BD3(0, 0, 1).BD3(5, 5, 0).BD3(2, 2, 1).BD(0.5);
    w.Byte(2).Byte(50).Byte(0);
    w.BL(clipCount);
    for (uint32_t i = 0; i < 2 && i < clipCount; ++i)
        w.Double(i * 4.0).Double(i * 3.0);
}

RkDb::EntityPtr DecodeBuilt(uint16_t type, const std::function<void(DwgBitWriter&)>& data,
                            const std::string& className)
{
    orvo::dwg::DwgEntityRefs refs;
    orvo::dwg::DwgEntityCommon common;
    const auto object = orvo::test::EntityRecord(type, data, [](DwgBitWriter& w) { w.H(5, 0x33); });
    return orvo::test::DecodeRecord(object, refs, common, className);
}

TEST(DwgModelRecord, MeshVerticesAndFaces)
{
    const RkDb::EntityPtr entity = DecodeBuilt(500, [](DwgBitWriter& w) { WriteMesh(w, 4, 5); }, "MESH");
    ASSERT_NE(entity, nullptr);
    const auto* mesh = RkDb::As<RkDb::Mesh>(*entity);
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->vertices.size(), 4u);
    EXPECT_EQ(mesh->vertices[2], (RkDb::Vec3{10, 5, 0}));
    ASSERT_EQ(mesh->faces.size(), 1u);
    EXPECT_EQ(mesh->faces[0], (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(DwgModelRecord, UnderlayFrame)
{
    const RkDb::EntityPtr entity = DecodeBuilt(501, [](DwgBitWriter& w) { WriteUnderlay(w, 2); }, "PDFUNDERLAY");
    ASSERT_NE(entity, nullptr);
    const auto* underlay = RkDb::As<RkDb::Underlay>(*entity);
    ASSERT_NE(underlay, nullptr);
    EXPECT_EQ(underlay->kind, RkDb::Underlay::Kind::Pdf);
    EXPECT_EQ(underlay->insertion, (RkDb::Vec3{5, 5, 0}));
    EXPECT_DOUBLE_EQ(underlay->rotation, 0.5);
    ASSERT_EQ(underlay->clipBoundary.size(), 2u);
    EXPECT_DOUBLE_EQ(underlay->clipBoundary[1].x, 4.0);
    EXPECT_EQ(underlay->definition, 0x33u);
}

TEST(DwgModelRecord, CountsPastTheRecordGiveNoEntity)
{
    for (const uint32_t count : {1000u, 0x7FFFFFFFu}) {
        SCOPED_TRACE(count);
        EXPECT_EQ(DecodeBuilt(500, [count](DwgBitWriter& w) { WriteMesh(w, count, 5); }, "MESH"), nullptr);
        EXPECT_EQ(DecodeBuilt(500, [count](DwgBitWriter& w) { WriteMesh(w, 4, count + 1); }, "MESH"), nullptr);
        EXPECT_EQ(DecodeBuilt(501, [count](DwgBitWriter& w) { WriteUnderlay(w, count); }, "DGNUNDERLAY"), nullptr);
    }
}

// 3DSOLID of R2000: blocks of enciphered SAT text. A block size past the record gives a solid
// without edges (drawn as nothing), and the text's edges are claimed from the budget.
TEST(DwgModelRecord, SolidSatBlocks)
{
    const std::string sat = RkAcis::SatReader::Decipher(
        "400 6 1 0\n@7 product\n1 1e-06 1e-10\n"
        "edge $-1 $1 $2 $-1 $3 forward #\nvertex $-1 $0 $4 #\nvertex $-1 $0 $5 #\n"
        "straight-curve $-1 0 0 0 1 0 0 I I #\npoint $-1 0 0 0 #\npoint $-1 10 0 0 #\n");
    const auto writeSolid = [&sat](uint32_t blockSize) {
        return [&sat, blockSize](DwgBitWriter& w) {
            w.Bit(0).Bit(0).BS(1).BL(blockSize);
            for (const char c : sat)
                w.Byte(static_cast<uint8_t>(c));
            w.BL(0).Bit(0);   // end of the blocks; no wireframe
        };
    };
    constexpr uint16_t kTypeSolid3d = 38;
    const RkDb::EntityPtr good = DecodeBuilt(kTypeSolid3d, writeSolid(static_cast<uint32_t>(sat.size())), "");
    ASSERT_NE(good, nullptr);
    const auto* solid = RkDb::As<RkDb::AcisSolid>(*good);
    ASSERT_NE(solid, nullptr);
    ASSERT_EQ(solid->edges.size(), 1u);
    EXPECT_EQ(solid->edges[0].end, (RkDb::Vec3{10, 0, 0}));
    for (const uint32_t size : {static_cast<uint32_t>(sat.size()) + 500u, 0x7FFFFFFFu}) {
        const RkDb::EntityPtr bad = DecodeBuilt(kTypeSolid3d, writeSolid(size), "");
        if (bad) {
            EXPECT_TRUE(RkDb::As<RkDb::AcisSolid>(*bad)->edges.empty());
        }
    }
}

} // namespace
