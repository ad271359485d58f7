// The DWG reader's lowest layers: bit-coded values, checksums, the page decompressor and the object
// map, on hand-made streams.
#include "engine/dwg/DwgBitReader.h"
#include "engine/dwg/DwgChecksum.h"
#include "engine/dwg/DwgDecompressor.h"
#include "engine/dwg/DwgObjectMap.h"
#include "tests/engine/portable/DwgBitWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

using orvo::dwg::DwgBitReader;
using orvo::dwg::DwgVersion;

using BitWriter = orvo::test::DwgBitWriter;

TEST(DwgBitReader, BitShortCodes)
{
    BitWriter w;
    w.Bits(0, 2).Short(0x1234);  // raw short
    w.Bits(1, 2).Byte(0xAB);     // byte
    w.Bits(2, 2);                // zero
    w.Bits(3, 2);                // 256
    DwgBitReader r = w.Reader();
    EXPECT_EQ(r.BS(), 0x1234);
    EXPECT_EQ(r.BS(), 0xAB);
    EXPECT_EQ(r.BS(), 0);
    EXPECT_EQ(r.BS(), 256);
    EXPECT_FALSE(r.Failed());
}

TEST(DwgBitReader, BitLongAndDoubleCodes)
{
    BitWriter w;
    w.Bits(0, 2).Long(0x89ABCDEF).Bits(1, 2).Byte(7).Bits(2, 2);
    w.Bits(0, 2).Double(-2.5).Bits(1, 2).Bits(2, 2);
    DwgBitReader r = w.Reader();
    EXPECT_EQ(r.BL(), 0x89ABCDEFu);
    EXPECT_EQ(r.BL(), 7u);
    EXPECT_EQ(r.BL(), 0u);
    EXPECT_EQ(r.BD(), -2.5);
    EXPECT_EQ(r.BD(), 1.0);
    EXPECT_EQ(r.BD(), 0.0);
    EXPECT_FALSE(r.Failed());
}

TEST(DwgBitReader, UnusedCodesFail)
{
    BitWriter w;
    w.Bits(3, 2).Bits(0, 30);
    DwgBitReader longs = w.Reader();
    longs.BL();
    EXPECT_TRUE(longs.Failed());
    DwgBitReader doubles = w.Reader();
    doubles.BD();
    EXPECT_TRUE(doubles.Failed());
}

TEST(DwgBitReader, DoubleWithDefault)
{
    const double base = 1234.5678;
    uint8_t bytes[8];
    std::memcpy(bytes, &base, 8);
    BitWriter w;
    w.Bits(0, 2);                                       // the default itself
    w.Bits(1, 2).Byte(1).Byte(2).Byte(3).Byte(4);       // low four bytes replaced
    w.Bits(2, 2).Byte(5).Byte(6).Byte(1).Byte(2).Byte(3).Byte(4); // bytes 4, 5 then 0..3
    w.Bits(3, 2).Double(9.25);                          // a whole double
    DwgBitReader r = w.Reader();
    EXPECT_EQ(r.DD(base), base);
    uint8_t expected[8];
    std::memcpy(expected, bytes, 8);
    expected[0] = 1, expected[1] = 2, expected[2] = 3, expected[3] = 4;
    double value = r.DD(base);
    EXPECT_EQ(std::memcmp(&value, expected, 8), 0);
    expected[4] = 5, expected[5] = 6;
    value = r.DD(base);
    EXPECT_EQ(std::memcmp(&value, expected, 8), 0);
    EXPECT_EQ(r.DD(base), 9.25);
    EXPECT_FALSE(r.Failed());
}

TEST(DwgBitReader, ModularNumbers)
{
    struct Case
    {
        std::vector<uint8_t> bytes;
        int32_t signedValue;
    };
    const Case cases[] = {
        {{0x05}, 5},
        {{0x45}, -5},
        {{0x82, 0x01}, 130},         // 2 + (1 << 7)
        {{0x82, 0x41}, -130},
        {{0xFF, 0xFF, 0x3F}, 0xFFFFF},
    };
    for (const Case& c : cases) {
        DwgBitReader r(c.bytes.data(), c.bytes.size(), DwgVersion::R2000);
        EXPECT_EQ(r.MC(), c.signedValue);
        EXPECT_FALSE(r.Failed());
    }
    const uint8_t unsignedBytes[] = {0xC5, 0x01};  // 0x45 + (1 << 7): no sign bit
    DwgBitReader u(unsignedBytes, sizeof unsignedBytes, DwgVersion::R2000);
    EXPECT_EQ(u.UMC(), 0xC5u);
    // Handles past 32 bits: ten bytes of seven bits each reach the top of a 64-bit handle.
    const uint8_t wide[] = {0xBC, 0x92, 0xD7, 0xAF, 0xEE, 0xCF, 0xEC, 0xF2, 0xBD, 0x01};
    DwgBitReader w(wide, sizeof wide, DwgVersion::R2000);
    EXPECT_EQ(w.UMC(), 0xBDE5B27EE5F5C93Cull);
    EXPECT_FALSE(w.Failed());
    const uint8_t endlessUnsigned[] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01};
    DwgBitReader eu(endlessUnsigned, sizeof endlessUnsigned, DwgVersion::R2000);
    eu.UMC();
    EXPECT_TRUE(eu.Failed());
    const uint8_t endless[] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    DwgBitReader e(endless, sizeof endless, DwgVersion::R2000);
    e.MC();
    EXPECT_TRUE(e.Failed());
    const uint8_t shorts[] = {0x34, 0x92, 0x01, 0x00};  // 0x1234 + (1 << 15)
    DwgBitReader m(shorts, sizeof shorts, DwgVersion::R2000);
    EXPECT_EQ(m.MS(), 0x1234u + 0x8000u);
}

TEST(DwgBitReader, HandlesAndTheirReferences)
{
    BitWriter w;
    w.Byte(0x52).Byte(0x01).Byte(0x2C);  // code 5, two bytes, big-endian 0x012C
    w.Byte(0x60);                        // code 6: next handle
    w.Byte(0xC1).Byte(0x10);             // code C: minus 0x10
    w.Byte(0x49);                        // counter 9 is impossible
    DwgBitReader r = w.Reader();
    const orvo::dwg::DwgHandleRef absolute = r.H();
    EXPECT_EQ(absolute.code, 5);
    EXPECT_EQ(absolute.value, 0x12Cu);
    EXPECT_EQ(absolute.Resolve(0x500), 0x12Cu);
    EXPECT_EQ(r.H().Resolve(0x500), 0x501u);
    EXPECT_EQ(r.H().Resolve(0x500), 0x4F0u);
    EXPECT_FALSE(r.Failed());
    r.H();
    EXPECT_TRUE(r.Failed());
}

TEST(DwgBitReader, VersionDependentCodes)
{
    BitWriter w;
    w.Bit(1);                                   // extrusion: the z axis (2000 and later)
    w.Bit(1);                                   // thickness: zero
    w.Bit(0).Bits(0, 2).Double(2.0);            // thickness given
    w.Bits(1, 2).Byte(0x05);                    // object type 0x1F5 (2010 and later)
    w.Bits(2, 2).Short(0x0234);
    w.Bits(3, 3).Byte(0x01).Byte(0x02).Byte(0x03);  // long long of three bytes
    w.Bits(0b110, 3);                           // 3B: 6
    DwgBitReader r = w.Reader(DwgVersion::R2010);
    const orvo::dwg::DwgPoint3 extrusion = r.BE();
    EXPECT_EQ(extrusion.z, 1.0);
    EXPECT_EQ(r.BT(), 0.0);
    EXPECT_EQ(r.BT(), 2.0);
    EXPECT_EQ(r.OT(), 0x1F5);
    EXPECT_EQ(r.OT(), 0x234);
    EXPECT_EQ(r.BLL(), 0x030201u);
    EXPECT_EQ(r.ThreeB(), 6);
    EXPECT_FALSE(r.Failed());

    BitWriter old;  // R13 and R14 store the extrusion and thickness in full.
    old.Bits(2, 2).Bits(2, 2).Bits(1, 2).Bits(0, 2).Double(3.0);
    DwgBitReader r13 = old.Reader(DwgVersion::R13);
    EXPECT_EQ(r13.BE().z, 1.0);
    EXPECT_EQ(r13.BT(), 3.0);
}

TEST(DwgBitReader, TextsAndColours)
{
    BitWriter w;
    w.Bits(1, 2).Byte(3).Byte('a').Byte('b').Byte('c');
    w.Bits(1, 2).Byte(2).Short('x').Short(0x00E9);     // UTF-16 "xé"
    DwgBitReader r = w.Reader(DwgVersion::R2000);
    EXPECT_EQ(r.TV(), "abc");
    DwgBitReader wide = w.Reader(DwgVersion::R2007);
    wide.SeekBit(2 + 8 + 24);
    EXPECT_EQ(wide.TV(), "x\xC3\xA9");

    // The colour method byte of a 2004 colour: by layer, by block, true colour, an index.
    const struct
    {
        uint32_t stored;
        int16_t index;
        bool hasRgb;
    } colours[] = {
        {0xC0000000, 256, false},
        {0xC1000000, 0, false},
        {0xC2102030, 0, true},
        {0xC3000005, 5, false},
    };
    for (const auto& expected : colours) {
        SCOPED_TRACE(expected.stored);
        BitWriter colour;
        colour.Bits(2, 2).Bits(0, 2).Long(expected.stored).Byte(0);
        DwgBitReader c = colour.Reader(DwgVersion::R2004);
        const orvo::dwg::DwgColor value = c.CMC();
        EXPECT_EQ(value.hasRgb, expected.hasRgb);
        if (expected.hasRgb)
            EXPECT_EQ(value.rgb, 0x102030u);
        else
            EXPECT_EQ(value.index, expected.index);
    }
}

TEST(DwgBitReader, ReadingPastTheEndFailsAndYieldsZeros)
{
    BitWriter w;
    w.Bits(1, 2).Byte(200);  // a text of 200 bytes announced, none there
    DwgBitReader r = w.Reader();
    EXPECT_EQ(r.TV(), "");
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.RL(), 0u);
    EXPECT_EQ(r.Bytes(1u << 30).size(), 0u);

    DwgBitReader seek = w.Reader();
    seek.SeekBit(1000);
    EXPECT_TRUE(seek.Failed());
}

// Every kind of value the reader takes in whole words (raw doubles, default-relative doubles,
// handles of every length, runs of bytes, texts) at each of the eight bit offsets, from a record
// cut at every length: read from its bytes alone and from the same bytes inside a larger buffer
// whose rest is garbage, the values, the failure and the position are the same. So the reads
// that load past a record's end never let the bytes after it in, nor a read past it succeed.
TEST(DwgBitReader, ARecordInsideALargerBufferReadsAsItsBytesAlone)
{
    struct Reading
    {
        std::vector<uint64_t> values;
        bool failed = false;
        uint64_t position = 0;
        bool operator==(const Reading& other) const
        {
            return values == other.values && failed == other.failed && position == other.position;
        }
    };
    const auto bitsOf = [](double value) {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    };
    const auto read = [&bitsOf](DwgBitReader r, unsigned offset) {
        Reading out;
        r.SeekBit(offset);
        const auto handle = [&out](const orvo::dwg::DwgHandleRef& h) {
            out.values.push_back(h.code);
            out.values.push_back(h.value);
        };
        handle(r.H());
        handle(r.H());
        handle(r.H());
        out.values.push_back(bitsOf(r.BD()));
        out.values.push_back(bitsOf(r.DD(1234.5678)));
        out.values.push_back(bitsOf(r.DD(-0.125)));
        out.values.push_back(r.BS());
        out.values.push_back(r.RC());
        uint8_t run[5] = {};
        r.ReadBytes(run, sizeof run);
        out.values.insert(out.values.end(), run, run + sizeof run);
        const std::string text = r.TV();
        out.values.insert(out.values.end(), text.begin(), text.end());
        out.values.push_back(text.size());
        out.values.push_back(bitsOf(r.RD()));
        handle(r.H());
        out.failed = r.Failed();
        out.position = r.BitPosition();
        return out;
    };
    for (unsigned offset = 0; offset < 8; ++offset) {
        BitWriter w;
        w.Bits(0x5A, offset);
        w.H(5, 0x1234).H(3, 0x0102030405060708ull).H(2, 0);
        w.BD(-7.25);
        w.Bits(1, 2).Byte(1).Byte(2).Byte(3).Byte(4);
        w.Bits(2, 2).Byte(5).Byte(6).Byte(7).Byte(8).Byte(9).Byte(10);
        w.BS(0x3456).Byte(0xA5);
        for (uint8_t b : {0x11, 0x22, 0x33, 0x44, 0x55})
            w.Byte(b);
        w.Bits(1, 2).Byte(3).Byte('a').Byte('b').Byte('c');
        w.Double(3.5).H(4, 0xABCDEF);
        const std::vector<uint8_t>& bytes = w.Bytes();
        for (size_t size = bytes.size() + 1; size-- > 0;) {
            const std::vector<uint8_t> alone(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
            std::vector<uint8_t> inside = alone;
            inside.resize(size + 24, 0xFF);
            const Reading expected = read(DwgBitReader(alone.data(), alone.size(), DwgVersion::R2000), offset);
            const Reading got = read(DwgBitReader(inside.data(), size, DwgVersion::R2000, inside.size()), offset);
            EXPECT_TRUE(got == expected) << "offset " << offset << ", record of " << size << " bytes";
            if (size == bytes.size()) {
                EXPECT_FALSE(expected.failed) << "offset " << offset;
            }
        }
    }
}

TEST(DwgChecksum, KnownValues)
{
    const std::string digits = "123456789";
    const auto* data = reinterpret_cast<const uint8_t*>(digits.data());
    EXPECT_EQ(orvo::dwg::Crc16(0, data, digits.size()), 0xBB3D);  // CRC-16/ARC check value
    const uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(orvo::dwg::PageChecksum(0, abc, 3), 0x024A0126u);
}

// A literal run, a back reference that overlaps its own output, and the end code.
TEST(DwgDecompressor, LiteralsMatchesAndEnd)
{
    // 0x01: four literals; 0x5E 0x00: copy 4 from 4 back, then 2 literals; 0x11 ends.
    const uint8_t stream[] = {0x01, 'a', 'b', 'c', 'd', 0x5E, 0x00, 'x', 'y', 0x11};
    uint8_t out[32] = {};
    size_t written = 0;
    ASSERT_TRUE(orvo::dwg::Decompress2004(stream, sizeof stream, out, sizeof out, written));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), written), "abcdabcdxy");
}

TEST(DwgDecompressor, BrokenStreamsFail)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> stream;
        size_t room;
    };
    const Case cases[] = {
        {"reference before the start", {0x01, 'a', 'b', 'c', 'd', 0x5C, 0xFC, 0x11}, 32},
        {"literals past the input", {0x0F, 'a', 'b'}, 32},
        {"output too small", {0x01, 'a', 'b', 'c', 'd', 0x11}, 2},
        {"no end code", {0x01, 'a', 'b', 'c', 'd'}, 32},
        {"endless zero run", std::vector<uint8_t>(64, 0), 1u << 20},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(c.room);
        size_t written = 0;
        EXPECT_FALSE(orvo::dwg::Decompress2004(c.stream.data(), c.stream.size(), out.data(), out.size(), written))
            << c.what;
        EXPECT_LE(written, c.room) << c.what;
    }
}

// One page of the object map: big-endian size, entries, big-endian CRC; an empty page ends.
std::vector<uint8_t> MapPage(const std::vector<uint8_t>& entries)
{
    std::vector<uint8_t> page;
    const size_t size = entries.size() + 2;
    page.push_back(static_cast<uint8_t>(size >> 8));
    page.push_back(static_cast<uint8_t>(size));
    page.insert(page.end(), entries.begin(), entries.end());
    const uint16_t crc = orvo::dwg::Crc16(0xC0C1, page.data(), page.size());
    page.push_back(static_cast<uint8_t>(crc >> 8));
    page.push_back(static_cast<uint8_t>(crc));
    return page;
}

// A map section: pages of these entries, then the empty page that ends it.
std::vector<uint8_t> MapSection(std::initializer_list<std::vector<uint8_t>> pages)
{
    std::vector<uint8_t> section;
    for (const std::vector<uint8_t>& entries : pages) {
        const std::vector<uint8_t> page = MapPage(entries);
        section.insert(section.end(), page.begin(), page.end());
    }
    const std::vector<uint8_t> end = MapPage({});
    section.insert(section.end(), end.begin(), end.end());
    return section;
}

// What the map finds for each handle: its offset, or kAbsent.
constexpr int64_t kAbsent = -1;
void ExpectOffsets(const orvo::dwg::DwgObjectMap& map, std::initializer_list<std::pair<uint64_t, int64_t>> cases)
{
    for (const auto& [handle, expected] : cases) {
        uint64_t offset = 0;
        const bool found = map.Find(handle, offset);
        EXPECT_EQ(found, expected != kAbsent) << "handle " << handle;
        if (found && expected != kAbsent) {
            EXPECT_EQ(offset, static_cast<uint64_t>(expected)) << "handle " << handle;
        }
    }
}

TEST(DwgObjectMap, PagesStartTheirDeltasAfresh)
{
    // Handles 1 at 16 and 3 at 48, then on a page of its own 5 at 48.
    const std::vector<uint8_t> section = MapSection({{0x01, 0x10, 0x02, 0x20}, {0x05, 0x30}});

    orvo::dwg::DwgObjectMap map;
    ASSERT_TRUE(map.Read(section, 100));
    ASSERT_EQ(map.Entries().size(), 3u);
    ExpectOffsets(map, {{3, 48}, {5, 48}, {4, kAbsent}});

    EXPECT_FALSE(map.Read(section, 40)) << "an offset beyond the objects";
    std::vector<uint8_t> corrupt = section;
    corrupt[3] ^= 1;
    EXPECT_FALSE(map.Read(corrupt, 100)) << "a page failing its CRC";
    EXPECT_FALSE(map.Read(std::vector<uint8_t>(section.begin(), section.begin() + 5), 100)) << "cut short";
    // A number whose last byte says another follows, at the page's end.
    EXPECT_FALSE(map.Read(MapSection({{0x01, 0x10, 0x82}}), 100)) << "a number cut by the page's end";
}

TEST(DwgObjectMap, AMapOutOfHandleOrderIsFoundAllTheSame)
{
    // Handle steps only add, but each page starts again from zero: the second page names handle 4
    // (at 32) after the first page's handle 9 (at 16).
    orvo::dwg::DwgObjectMap map;
    ASSERT_TRUE(map.Read(MapSection({{0x09, 0x10}, {0x04, 0x20}}), 100));
    ASSERT_EQ(map.Entries().size(), 2u);
    EXPECT_EQ(map.Entries()[0].handle, 9u) << "the entries keep the map's order";
    ExpectOffsets(map, {{4, 32}, {9, 16}, {5, kAbsent}});
}

} // namespace
