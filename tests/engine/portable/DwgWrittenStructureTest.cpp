// The structure of the DWG files the writer makes, checked byte by byte without the reader that
// decodes drawings: for R14 and 2000 the file header and its locators, the header and classes
// sections between their sentinels with their CRCs, every object map page (size, CRC, handles
// rising, each entry naming an object whose size, CRC and own handle agree), HANDSEED above every
// handle, the map large enough for the handles it spreads over, and the second header (its size,
// CRC, locators and root handles); for 2004 the enciphered header and its CRC-32, the page map
// and section map pages and their checksums, the sections under their fixed numbers (the
// auxiliary header among them), every data page header and checksum, then the same object map.
#include "engine/db/Database.h"
#include "engine/dwg/DwgBitReader.h"
#include "engine/dwg/DwgChecksum.h"
#include "engine/dwg/DwgDecompressor.h"
#include "engine/write/DrawingSaver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgBitReader;
using orvo::dwg::DwgVersion;
using RkWrite::DrawingSaver;

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint64_t Le64(const std::uint8_t* p) { return Le32(p) | std::uint64_t(Le32(p + 4)) << 32; }
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

constexpr std::uint8_t kHeaderStart[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                           0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
constexpr std::uint8_t kClassesStart[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                            0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};
constexpr std::uint8_t kSecondStart[16] = {0xD4, 0x7B, 0x21, 0xCE, 0x28, 0x93, 0x9F, 0xBF,
                                           0x53, 0x24, 0x40, 0x09, 0x12, 0x3C, 0xAA, 0x01};

// A drawing with what makes the structure interesting: sparse kept handles (the map must make
// room for them), a polyline's vertices, a block with an attribute definition and its insert with
// an attribute, a true-colour layer, texts, a paper space layout.
std::unique_ptr<RkDb::Database> Fixture()
{
    auto db = std::make_unique<RkDb::Database>();
    RkDb::Layer walls;
    walls.name = "Walls";
    walls.handle = 0x300;
    walls.color = RkDb::Color::FromRgb(0x20A040);
    const std::int32_t wallsAt = db->Layers().Add(walls);
    auto& model = db->ModelSpaceBlock().entities;
    for (int i = 0; i < 40; ++i) {
        auto line = std::make_unique<RkDb::Line>();
        line->start = {double(i), 0, 0};
        line->end = {double(i), 10, 0};
        line->layer = wallsAt;
        line->handle = 0x1000 + 0x40 * static_cast<RkDb::Handle>(i);
        model.push_back(std::move(line));
    }
    auto polyline = std::make_unique<RkDb::Polyline>();
    polyline->kind = RkDb::Polyline::Kind::Flat2d;
    for (int i = 0; i < 5; ++i) {
        RkDb::PolyVertex v;
        v.position = {double(i), double(i * i), 0};
        polyline->vertices.push_back(v);
    }
    polyline->handle = 0x20;
    model.push_back(std::move(polyline));
    auto text = std::make_unique<RkDb::Text>();
    text->text.value = "Plan";
    text->text.height = 2.5;
    model.push_back(std::move(text));

    RkDb::Block tag;
    tag.name = "TAG";
    tag.flags = RkDb::kBlockHasAttributes;
    auto def = std::make_unique<RkDb::AttributeDefinition>();
    def->tag = "ROOM";
    def->text.value = "?";
    def->text.height = 1.0;
    tag.entities.push_back(std::move(def));
    tag.entities.push_back(std::make_unique<RkDb::Circle>());
    const std::int32_t tagAt = db->Blocks().Add(std::move(tag));
    auto insert = std::make_unique<RkDb::Insert>();
    insert->block = tagAt;
    insert->insertion = {5, 5, 0};
    auto attribute = std::make_unique<RkDb::Attribute>();
    attribute->tag = "ROOM";
    attribute->text.value = "Kitchen";
    attribute->text.height = 1.0;
    insert->attributes.push_back(std::move(attribute));
    db->ModelSpaceBlock().entities.push_back(std::move(insert));
    db->FinishLoading();
    return db;
}

// Each object map page: big-endian size counting itself, handle and offset steps from zero,
// big-endian CRC; an empty page ends. Fills handle -> offset; the map's own size in bytes.
void ReadObjectMap(const std::uint8_t* map, std::size_t size, std::map<std::uint64_t, std::uint64_t>& entries)
{
    std::size_t at = 0;
    std::uint64_t last = 0;
    while (true) {
        ASSERT_LE(at + 2, size);
        const std::size_t pageSize = static_cast<std::size_t>(map[at] << 8 | map[at + 1]);
        ASSERT_GE(pageSize, 2u);
        ASSERT_LE(at + pageSize + 2, size);
        const std::uint16_t crc = orvo::dwg::Crc16(0xC0C1, map + at, pageSize);
        EXPECT_EQ(crc, static_cast<std::uint16_t>(map[at + pageSize] << 8 | map[at + pageSize + 1]));
        if (pageSize == 2)
            return;
        DwgBitReader r(map + at + 2, pageSize - 2, DwgVersion::R13);
        std::uint64_t handle = 0;
        std::int64_t offset = 0;
        while (r.BitsLeft() >= 16) {
            handle += r.UMC();
            offset += r.MC();
            ASSERT_FALSE(r.Failed());
            EXPECT_GT(handle, last) << "handles rise through the map";
            last = handle;
            entries[handle] = static_cast<std::uint64_t>(offset);
        }
        at += pageSize + 2;
    }
}

// Every map entry names an object: its size (MS), its CRC over size and data, its own handle.
void ExpectObjects(const Bytes& objects, std::uint64_t base, const std::map<std::uint64_t, std::uint64_t>& entries,
                   DwgVersion version)
{
    for (const auto& [handle, offset] : entries) {
        ASSERT_GE(offset, base);
        const std::size_t at = static_cast<std::size_t>(offset - base);
        ASSERT_LT(at, objects.size());
        DwgBitReader r(objects.data() + at, objects.size() - at, version);
        const std::uint32_t size = r.MS();
        const std::size_t start = static_cast<std::size_t>(r.BitPosition() / 8);
        ASSERT_LE(at + start + size + 2, objects.size()) << std::hex << handle;
        EXPECT_EQ(orvo::dwg::Crc16(0xC0C1, objects.data() + at, start + size), Le16(objects.data() + at + start + size))
            << std::hex << handle;
        DwgBitReader body(objects.data() + at + start, size, version);
        body.BS(); // type
        if (version >= DwgVersion::R2000)
            body.RL(); // size in bits
        EXPECT_EQ(body.H().value, handle);
    }
}

// The map must be at least as long as its largest handle: readers take a larger one as damage.
void ExpectMapRoom(std::size_t mapSize, const std::map<std::uint64_t, std::uint64_t>& entries)
{
    ASSERT_FALSE(entries.empty());
    EXPECT_GT(mapSize, entries.rbegin()->first);
}

Bytes Build(const RkDb::Database& db, int version)
{
    std::string bytes;
    const RkWrite::WriteReport report = DrawingSaver::Build(db, DrawingSaver::kDwg, version, bytes);
    EXPECT_EQ(report.status, RkWrite::SaveStatus::Ok);
    return Bytes(bytes.begin(), bytes.end());
}

// A section between its start sentinel and its end one: RL size, data, CRC over size and data.
void ExpectFramed(const Bytes& file, std::size_t at, std::size_t size, const std::uint8_t* sentinel)
{
    ASSERT_LE(at + size, file.size());
    EXPECT_EQ(std::memcmp(file.data() + at, sentinel, 16), 0);
    const std::uint32_t data = Le32(file.data() + at + 16);
    ASSERT_EQ(16 + 4 + data + 2 + 16, size);
    EXPECT_EQ(orvo::dwg::Crc16(0xC0C1, file.data() + at + 16, 4 + data), Le16(file.data() + at + 20 + data));
}

class DwgWrittenR2000 : public ::testing::TestWithParam<int>
{
};

TEST_P(DwgWrittenR2000, FileHeaderSectionsObjectMapAndSecondHeaderHoldTogether)
{
    const int version = GetParam();
    const DwgVersion dv = version == 7 ? DwgVersion::R14 : DwgVersion::R2000;
    const auto db = Fixture();
    const Bytes file = Build(*db, version);
    ASSERT_GT(file.size(), 0x100u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), version == 7 ? "AC1014" : "AC1015");
    const std::uint32_t locators = Le32(&file[0x15]);
    ASSERT_EQ(locators, 5u);
    std::uint32_t seeker[5], size[5];
    for (std::uint32_t i = 0; i < locators; ++i) {
        const std::uint8_t* l = &file[0x19 + 9 * i];
        EXPECT_EQ(l[0], i);
        seeker[i] = Le32(l + 1);
        size[i] = Le32(l + 5);
        ASSERT_LE(std::uint64_t(seeker[i]) + size[i], file.size()) << i;
    }
    const std::size_t crcAt = 0x19 + 9 * locators;
    // The header's CRC is masked with a constant for its five locators.
    EXPECT_EQ(orvo::dwg::Crc16(0, file.data(), crcAt) ^ 0x3CC4, Le16(&file[crcAt]));
    ExpectFramed(file, seeker[0], size[0], kHeaderStart);
    ExpectFramed(file, seeker[1], size[1], kClassesStart);

    std::map<std::uint64_t, std::uint64_t> entries;
    ReadObjectMap(&file[seeker[2]], size[2], entries);
    ExpectMapRoom(size[2], entries);
    // Objects lie between the classes and the map, in handle order.
    const std::size_t objectsAt = seeker[1] + size[1];
    ExpectObjects(Bytes(file.begin() + objectsAt, file.begin() + seeker[2]), objectsAt, entries, dv);
    std::uint64_t previous = 0;
    for (const auto& entry : entries) {
        EXPECT_GT(entry.second, previous);
        previous = entry.second;
    }
    EXPECT_EQ(Le32(&file[seeker[4]]) & 0xFFFF, 0u) << "the template: an empty description first";

    // The second header: size from itself to the closing sentinel, then bit-coded fields.
    const std::size_t second = seeker[4] + size[4];
    ASSERT_LE(second + 16 + 4, file.size());
    EXPECT_EQ(std::memcmp(&file[second], kSecondStart, 16), 0);
    const std::uint32_t secondSize = Le32(&file[second + 16]);
    ASSERT_EQ(second + 16 + secondSize + 16, file.size());
    DwgBitReader r(&file[second + 20], secondSize - 4, dv);
    EXPECT_EQ(r.BL(), second);
    std::string name;
    for (int i = 0; i < 11; ++i)
        name.push_back(static_cast<char>(r.RC()));
    EXPECT_EQ(name.substr(0, 6), version == 7 ? "AC1014" : "AC1015");
    r.RC();
    r.RC();
    r.BS();
    r.RS();
    ASSERT_EQ(r.BS(), locators);
    for (std::uint32_t i = 0; i < locators; ++i) {
        EXPECT_EQ(r.RC(), i);
        EXPECT_EQ(r.BL(), seeker[i]);
        EXPECT_EQ(r.BL(), size[i]);
    }
    ASSERT_EQ(r.BS(), 14u);
    std::vector<std::uint64_t> roots;
    for (unsigned i = 0; i < 14; ++i) {
        const unsigned count = r.RC();
        EXPECT_EQ(r.RC(), i);
        std::uint64_t value = 0;
        for (unsigned b = 0; b < count; ++b)
            value = value << 8 | r.RC();
        roots.push_back(value);
    }
    ASSERT_FALSE(r.Failed());
    // HANDSEED is above every object; every other root is an object of the map.
    EXPECT_GT(roots[0], entries.rbegin()->first);
    for (std::size_t i = 1; i < roots.size(); ++i) {
        EXPECT_EQ(entries.count(roots[i]), 1u) << "root " << i;
    }
    const std::size_t crcPlace = second + 16 + (r.BitPosition() + 7) / 8 + 4;
    EXPECT_EQ(orvo::dwg::Crc16(0xC0C1, &file[second + 16], crcPlace - second - 16), Le16(&file[crcPlace]));
}

INSTANTIATE_TEST_SUITE_P(Versions, DwgWrittenR2000, ::testing::Values(7, 8));

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// A system page: 20-byte header whose checksum covers the header (checksum zero) and then the
// compressed data. Answers the decompressed data.
Bytes SystemPage(const Bytes& file, std::size_t at, std::uint32_t type)
{
    Bytes out;
    EXPECT_LE(at + 20, file.size());
    if (at + 20 > file.size())
        return out;
    EXPECT_EQ(Le32(&file[at]), type);
    const std::uint32_t decompressed = Le32(&file[at + 4]), compressed = Le32(&file[at + 8]);
    EXPECT_LE(at + 20 + compressed, file.size());
    std::uint8_t header[20];
    std::memcpy(header, &file[at], 20);
    std::memset(header + 16, 0, 4);
    const std::uint32_t sum = orvo::dwg::PageChecksum(orvo::dwg::PageChecksum(0, header, 20), &file[at + 20], compressed);
    EXPECT_EQ(sum, Le32(&file[at + 16]));
    out.resize(decompressed);
    std::size_t written = 0;
    EXPECT_TRUE(orvo::dwg::Decompress2004(&file[at + 20], compressed, out.data(), out.size(), written));
    EXPECT_EQ(written, decompressed);
    return out;
}

TEST(DwgWritten2004, PagesSectionMapChecksumsAndObjectMapHoldTogether)
{
    const auto db = Fixture();
    const Bytes file = Build(*db, 9);
    ASSERT_GT(file.size(), 0x100u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "AC1018");
    // The header at 0x80 is enciphered with a fixed pseudo-random sequence.
    std::uint8_t h[0x6C];
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < sizeof h; ++i) {
        seed = seed * 0x343FD + 0x269EC3;
        h[i] = static_cast<std::uint8_t>(file[0x80 + i] ^ (seed >> 16));
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h), 11), "AcFssFcAJMB");
    std::uint8_t zeroed[0x6C];
    std::memcpy(zeroed, h, sizeof h);
    std::memset(zeroed + 0x68, 0, 4);
    EXPECT_EQ(Crc32(zeroed, sizeof zeroed), Le32(h + 0x68));
    const std::uint32_t sectionMapId = Le32(h + 0x5C);
    const std::uint64_t pageMapAt = Le64(h + 0x54) + 0x100;
    // The copy at the end.
    EXPECT_EQ(std::memcmp(&file[Le64(h + 0x34)], &file[0x80], 0x80), 0);

    const Bytes pageMap = SystemPage(file, static_cast<std::size_t>(pageMapAt), 0x41630E3B);
    std::map<std::uint32_t, std::pair<std::uint64_t, std::uint32_t>> pages; // number -> address, size
    std::uint64_t address = 0x100;
    for (std::size_t i = 0; i + 8 <= pageMap.size(); i += 8) {
        const std::uint32_t size = Le32(&pageMap[i + 4]);
        pages[Le32(&pageMap[i])] = {address, size};
        address += size;
    }
    ASSERT_EQ(pages.count(sectionMapId), 1u);
    const Bytes map = SystemPage(file, static_cast<std::size_t>(pages[sectionMapId].first), 0x4163003B);
    ASSERT_GE(map.size(), 20u);
    const std::uint32_t count = Le32(&map[0]);
    std::map<std::string, Bytes> sections;
    std::size_t at = 20;
    for (std::uint32_t s = 0; s < count; ++s) {
        ASSERT_LE(at + 96, map.size());
        const std::uint64_t size = Le64(&map[at]);
        const std::uint32_t pageCount = Le32(&map[at + 8]);
        const std::uint32_t maxSize = Le32(&map[at + 12]);
        const std::uint32_t id = Le32(&map[at + 24]);
        const std::string name(reinterpret_cast<const char*>(&map[at + 32]));
        at += 96;
        if (s == 0) {
            EXPECT_TRUE(name.empty() && size == 0 && id == 0) << "the list opens with an empty description";
            continue;
        }
        static const std::map<std::string, std::uint32_t> kIds = {
            {"AcDb:Header", 1}, {"AcDb:AuxHeader", 2}, {"AcDb:Classes", 3}, {"AcDb:Handles", 4},
            {"AcDb:Template", 5}, {"AcDb:AcDbObjects", 7}};
        ASSERT_EQ(kIds.count(name), 1u) << name;
        EXPECT_EQ(id, kIds.at(name)) << name;
        Bytes data(static_cast<std::size_t>(pageCount) * maxSize);
        for (std::uint32_t p = 0; p < pageCount; ++p, at += 16) {
            ASSERT_LE(at + 16, map.size());
            const std::uint32_t number = Le32(&map[at]);
            const std::uint64_t start = Le64(&map[at + 8]);
            ASSERT_EQ(pages.count(number), 1u);
            const std::size_t page = static_cast<std::size_t>(pages[number].first);
            ASSERT_LE(page + 32, file.size());
            std::uint32_t f[8];
            const std::uint32_t mask = 0x4164536B ^ static_cast<std::uint32_t>(page);
            for (int i = 0; i < 8; ++i)
                f[i] = Le32(&file[page + 4 * i]) ^ mask;
            EXPECT_EQ(f[0], 0x4163043Bu);
            EXPECT_EQ(f[1], id);
            EXPECT_EQ(f[3], pages[number].second) << "the page's size in the file";
            EXPECT_EQ(f[4] | std::uint64_t(f[5]) << 32, start);
            ASSERT_LE(page + 32 + f[2], file.size());
            EXPECT_EQ(f[7], orvo::dwg::PageChecksum(0, &file[page + 32], f[2]));
            std::uint8_t header[32];
            f[6] = 0;
            for (int i = 0; i < 8; ++i) {
                const std::uint32_t v = f[i];
                std::memcpy(header + 4 * i, &v, 4);
            }
            EXPECT_EQ(Le32(&file[page + 24]) ^ mask, orvo::dwg::PageChecksum(f[7], header, 32));
            std::size_t written = 0;
            ASSERT_LE(start + maxSize, data.size());
            EXPECT_TRUE(orvo::dwg::Decompress2004(&file[page + 32], f[2], &data[start], maxSize, written));
        }
        data.resize(static_cast<std::size_t>(size));
        sections[name] = std::move(data);
    }
    ASSERT_EQ(sections.count("AcDb:AuxHeader"), 1u);
    EXPECT_EQ(sections["AcDb:AuxHeader"].size(), 123u);
    const Bytes& handles = sections["AcDb:Handles"];
    std::map<std::uint64_t, std::uint64_t> entries;
    ReadObjectMap(handles.data(), handles.size(), entries);
    ExpectMapRoom(handles.size(), entries);
    ExpectObjects(sections["AcDb:AcDbObjects"], 0, entries, DwgVersion::R2004);
}

} // namespace
