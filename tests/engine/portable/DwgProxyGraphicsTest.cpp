// Proxy graphics in a DWG: an R2000 drawing with a proxy entity appended (its graphics a line,
// on layer "0") reads it as an insert of its graphics in model space; a proxy whose graphics are
// damaged is kept as a link of the chain and draws nothing.
#include "engine/db/BlockEntities.h"
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/ByteString.h"
#include "tests/engine/portable/DwgBitWriter.h"
#include "tests/engine/portable/DwgCraftR2000.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;
using orvo::test::DwgBitWriter;

constexpr uint16_t kProxyType = 498;
constexpr uint64_t kLayerZero = 0x10;

// Graphics of one embedded LWPOLYLINE of two points, in the bit-coded form of R2000.
std::vector<uint8_t> LwPolylineGraphics()
{
    DwgBitWriter bits;
    bits.BS(0).BL(2);
    bits.Double(5.0).Double(6.0);
    bits.Bits(3, 2).Double(50.0).Bits(3, 2).Double(60.0);
    std::string data(bits.Bytes().begin(), bits.Bytes().end());
    data.append((4 - data.size() % 4) % 4, '\0');
    const std::string command = orvo::test::LeLong(static_cast<uint32_t>(12 + data.size())) +
                                orvo::test::LeLong(33) + orvo::test::LeLong(static_cast<uint32_t>(bits.Bytes().size())) +
                                data;
    const std::string all = orvo::test::LeLong(static_cast<uint32_t>(8 + command.size())) + orvo::test::LeLong(1) + command;
    return std::vector<uint8_t>(all.begin(), all.end());
}

std::vector<uint8_t> LineGraphics(uint32_t forgedCount = 2)
{
    std::vector<uint8_t> out;
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto putDouble = [&out](double v) {
        uint8_t bytes[8];
        std::memcpy(bytes, &v, 8);
        out.insert(out.end(), bytes, bytes + 8);
    };
    put32(8 + 8 + 4 + 48);
    put32(1);
    put32(8 + 4 + 48);
    put32(6); // polyline
    put32(forgedCount);
    for (const double v : {1.0, 2.0, 0.0, 30.0, 40.0, 0.0})
        putDouble(v);
    return out;
}

// A proxy entity object of R2000: its data, with the graphics, then its handle references.
std::vector<uint8_t> ProxyObject(uint64_t handle, const std::vector<uint8_t>& graphics)
{
    DwgBitWriter data;
    data.BS(kProxyType);
    const size_t bitSizeAt = data.BitCount();
    data.Long(0); // handle stream position, patched below
    data.H(0, handle);
    data.BS(0);   // no extended data
    data.Bit(1).Long(static_cast<uint32_t>(graphics.size()));
    for (const uint8_t byte : graphics)
        data.Byte(byte);
    data.Bits(2, 2);          // model space
    data.BL(0);               // reactors
    data.Bit(1);              // no links
    data.BS(256);             // colour by layer
    data.BD(1.0);             // line type scale
    data.Bits(0, 2).Bits(0, 2);
    data.BS(0);               // visible
    data.Byte(29);            // line weight by layer
    const size_t handlesAt = data.BitCount();
    data.H(3, 0);             // extension dictionary
    data.H(5, kLayerZero);
    std::vector<uint8_t> bytes = data.Bytes();
    for (int i = 0; i < 32; ++i) {
        const size_t bit = bitSizeAt + static_cast<size_t>(i);
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (bit % 8));
        // The long is stored little-endian: bit i of the value sits in byte i / 8, bit 7 - i % 8.
        const bool set = ((handlesAt >> ((i / 8) * 8 + (7 - i % 8))) & 1) != 0;
        bytes[bit / 8] = static_cast<uint8_t>(set ? bytes[bit / 8] | mask : bytes[bit / 8] & ~mask);
    }
    std::vector<uint8_t> object;
    orvo::test::PutMc(object, static_cast<int64_t>(bytes.size()));
    object.insert(object.end(), bytes.begin(), bytes.end());
    object.push_back(0);
    object.push_back(0); // CRC, not checked
    return object;
}

std::vector<uint8_t> WithProxy(const std::vector<uint8_t>& graphics, uint64_t& handle)
{
    const std::string data =
        orvo::portable::ReadWholeFile(orvo::portable::SamplePath(orvo::portable::SamplesDir(), "dwg/example_2000.dwg"));
    std::vector<uint8_t> file(data.begin(), data.end());
    auto objects = orvo::test::ReadMap(file);
    handle = 0;
    for (const auto& entry : objects)
        handle = std::max(handle, entry.first);
    ++handle;
    objects.emplace_back(handle, file.size());
    const std::vector<uint8_t> proxy = ProxyObject(handle, graphics);
    file.insert(file.end(), proxy.begin(), proxy.end());
    return orvo::test::WithMap(file, orvo::test::MapOf(objects));
}

const RkDb::Entity* Find(const RkDb::Database& db, uint64_t handle)
{
    for (const RkDb::EntityPtr& e : db.ModelSpaceBlock().entities) {
        if (e->handle == handle)
            return e.get();
    }
    return nullptr;
}

// What the proxy with these graphics draws, read from the sample with it appended; empty (and a
// test failure) when it is not an insert of a block on layer "0".
const RkDb::EntityList* DrawnByProxy(const std::vector<uint8_t>& graphics, RkDb::Database& db)
{
    uint64_t handle = 0;
    const std::vector<uint8_t> file = WithProxy(graphics, handle);
    EXPECT_EQ(DwgReader().Read(file, db), DwgReadResult::Ok);
    const RkDb::Entity* proxy = Find(db, handle);
    const auto* insert = proxy ? RkDb::As<RkDb::Insert>(*proxy) : nullptr;
    EXPECT_NE(insert, nullptr);
    if (!insert || !db.Blocks().Valid(insert->block))
        return nullptr;
    EXPECT_EQ(db.Layers()[insert->layer].name, "0");
    return &db.Blocks()[insert->block].entities;
}

TEST(DwgProxyGraphics, ProxyEntityDrawsItsGraphics)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    RkDb::Database db;
    const RkDb::EntityList* drawn = DrawnByProxy(LineGraphics(), db);
    ASSERT_NE(drawn, nullptr);
    ASSERT_EQ(drawn->size(), 1u);
    const auto* line = RkDb::As<RkDb::Line>(*(*drawn)[0]);
    ASSERT_NE(line, nullptr);
    EXPECT_DOUBLE_EQ(line->end.x, 30.0);
    EXPECT_DOUBLE_EQ(line->end.y, 40.0);
}

TEST(DwgProxyGraphics, EmbeddedPolylinesAreRead)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    RkDb::Database db;
    const RkDb::EntityList* drawn = DrawnByProxy(LwPolylineGraphics(), db);
    ASSERT_NE(drawn, nullptr);
    ASSERT_EQ(drawn->size(), 1u);
    const auto* polyline = RkDb::As<RkDb::LwPolyline>(*(*drawn)[0]);
    ASSERT_NE(polyline, nullptr);
    ASSERT_EQ(polyline->vertices.size(), 2u);
    EXPECT_DOUBLE_EQ(polyline->vertices[1].x, 50.0);
    EXPECT_DOUBLE_EQ(polyline->vertices[1].y, 60.0);
}

TEST(DwgProxyGraphics, DamagedGraphicsDrawNothing)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    uint64_t handle = 0;
    const std::vector<uint8_t> file = WithProxy(LineGraphics(0x7FFFFFFF), handle);
    RkDb::Database db;
    ASSERT_EQ(DwgReader().Read(file, db), DwgReadResult::Ok);
    EXPECT_EQ(Find(db, handle), nullptr);
    for (const RkDb::Block& block : db.Blocks())
        EXPECT_NE(block.name.rfind("*Proxy", 0), 0u) << block.name;
}

} // namespace
