// Small 2007 files written by the test itself: the file header stored uncompressed, system pages
// uncompressed with a correction factor of one, plain data pages; the reader's handling of what a
// section map may say (passwords, repeated pages, missing pages).
#include "engine/dwg/DwgChecksum.h"
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/DwgR2007TestCode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;
using namespace orvo::test2007;

DwgReadResult Read(const std::vector<uint8_t>& file, RkDb::Database& db) { return DwgReader().Read(file, db); }

// Writes small 2007 files for the tests: the file header stored uncompressed, system pages stored
// uncompressed with a correction factor of one, data pages stored plain (encoding 1).
class File2007Builder
{
public:
    struct Page
    {
        uint64_t offset;
        uint64_t id;
        uint64_t size;
    };
    struct Section
    {
        std::string name;
        uint64_t size;
        uint64_t encrypted;
        std::vector<Page> pages;
    };

    // A data page of its own id with these bytes; returns the id.
    uint64_t AddPage(std::vector<uint8_t> bytes)
    {
        m_pages.push_back(std::move(bytes));
        return m_pages.size() + 2;
    }
    void AddSection(Section section) { m_sections.push_back(std::move(section)); }
    // A section of one page holding bytes.
    void AddSimpleSection(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const uint64_t id = AddPage(bytes);
        AddSection(Section{name, bytes.size(), 0, {Page{0, id, bytes.size()}}});
    }

    std::vector<uint8_t> Build() const
    {
        const std::vector<uint8_t> sectionMap = SectionMap();
        std::vector<uint64_t> sizes = {SystemPageSize(16 * (m_pages.size() + 2)), SystemPageSize(sectionMap.size())};
        for (const std::vector<uint8_t>& page : m_pages)
            sizes.push_back(page.size());
        std::vector<uint8_t> pageMap;
        for (size_t i = 0; i < sizes.size(); ++i) {
            Put64(pageMap, sizes[i]);
            Put64(pageMap, i + 1);
        }
        std::vector<uint8_t> file(0x480, 0);
        const char version[] = "AC1021";
        std::copy(version, version + 6, file.begin());
        file[0x13] = 0x1E;
        StoreHeader(pageMap.size(), sectionMap.size(), file);
        AppendSystemPage(pageMap, file);
        AppendSystemPage(sectionMap, file);
        for (const std::vector<uint8_t>& page : m_pages)
            file.insert(file.end(), page.begin(), page.end());
        return file;
    }

private:
    static void Put64(std::vector<uint8_t>& out, uint64_t value)
    {
        for (int i = 0; i < 8; ++i)
            out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    static uint64_t Blocks(size_t size) { return ((size + 7) / 8 * 8 + 238) / 239; }
    static uint64_t SystemPageSize(size_t size) { return Blocks(size) * 255; }

    std::vector<uint8_t> SectionMap() const
    {
        std::vector<uint8_t> map;
        for (const Section& section : m_sections) {
            for (const uint64_t field : {section.size, uint64_t(0x7400), section.encrypted, uint64_t(0),
                                         uint64_t(2 * section.name.size() + 2), uint64_t(0), uint64_t(1),
                                         uint64_t(section.pages.size())})
                Put64(map, field);
            for (const char c : section.name + '\0') {
                map.push_back(static_cast<uint8_t>(c));
                map.push_back(0);
            }
            for (const Page& page : section.pages) {
                for (const uint64_t field : {page.offset, page.size, page.id, page.size, page.size, uint64_t(0),
                                             uint64_t(0)})
                    Put64(map, field);
            }
        }
        return map;
    }

    // Interleaves code words of 239 data bytes: byte j of block i at i + j * blocks.
    static void AppendSystemPage(const std::vector<uint8_t>& data, std::vector<uint8_t>& file)
    {
        const TestCode code(0x169, 16);
        const uint64_t blocks = Blocks(data.size());
        const size_t base = file.size();
        file.resize(base + blocks * 255, 0);
        for (uint64_t block = 0; block < blocks; ++block) {
            std::vector<uint8_t> part(239, 0);
            for (size_t j = 0; j < 239 && block * 239 + j < data.size(); ++j)
                part[j] = data[block * 239 + j];
            const std::vector<uint8_t> word = code.Encode(part);
            for (size_t j = 0; j < 255; ++j)
                file[base + block + j * blocks] = word[j];
        }
    }

    void StoreHeader(size_t pageMapSize, size_t sectionMapSize, std::vector<uint8_t>& file) const
    {
        std::vector<uint8_t> fields(0x110, 0);
        const auto set = [&fields](size_t at, uint64_t value) {
            for (int i = 0; i < 8; ++i)
                fields[at + i] = static_cast<uint8_t>(value >> (8 * i));
        };
        set(0x18, 1);              // page map correction
        set(0x38, 0);              // page map offset from 0x480
        set(0x50, pageMapSize);    // compressed
        set(0x58, pageMapSize);    // decompressed
        set(0xB0, sectionMapSize); // compressed
        set(0xC0, 2);              // section map page id
        set(0xC8, sectionMapSize); // decompressed
        set(0xD8, 1);              // section map correction
        std::vector<uint8_t> data(3 * 239, 0);
        const uint32_t length = static_cast<uint32_t>(-static_cast<int32_t>(fields.size()));
        for (int i = 0; i < 4; ++i)
            data[24 + i] = static_cast<uint8_t>(length >> (8 * i));
        std::copy(fields.begin(), fields.end(), data.begin() + 32);
        StoreHeaderData(data, file);
    }

    std::vector<std::vector<uint8_t>> m_pages;
    std::vector<Section> m_sections;
};

// An object map of no objects: its closing page alone (size 2, big-endian, and its CRC).
std::vector<uint8_t> EmptyObjectMap()
{
    std::vector<uint8_t> map = {0x00, 0x02};
    const uint16_t crc = orvo::dwg::Crc16(0xC0C1, map.data(), map.size());
    map.push_back(static_cast<uint8_t>(crc >> 8));
    map.push_back(static_cast<uint8_t>(crc & 0xFF));
    return map;
}

File2007Builder MinimalDrawing()
{
    File2007Builder builder;
    builder.AddSimpleSection("AcDb:Handles", EmptyObjectMap());
    builder.AddSimpleSection("AcDb:AcDbObjects", std::vector<uint8_t>(64, 0));
    return builder;
}

TEST(Dwg2007Built, MinimalDrawingReads)
{
    RkDb::Database db;
    EXPECT_EQ(Read(MinimalDrawing().Build(), db), DwgReadResult::Ok);
    EXPECT_EQ(db.Header().version, RkDb::DwgVersion::R2007);
}

TEST(Dwg2007Built, EncryptedOrSecuredSectionsAskForThePassword)
{
    for (const bool secured : {false, true}) {
        File2007Builder builder = MinimalDrawing();
        const std::vector<uint8_t> bytes(16, 0x11);
        const uint64_t id = builder.AddPage(bytes);
        builder.AddSection({secured ? "AcDb:Security" : "AcDb:SummaryInfo", bytes.size(), secured ? 0u : 1u,
                            {{0, id, bytes.size()}}});
        RkDb::Database db;
        EXPECT_EQ(Read(builder.Build(), db), DwgReadResult::PasswordProtected) << secured;
    }
}

// A map that lists one page of the objects twenty thousand times over the same place: the pages
// of a section must tile it once, so the read stops before it copies the page again and again.
TEST(Dwg2007Built, RepeatedPagesAreCorrupt)
{
    const std::vector<uint8_t> bytes(0x8000, 0);
    File2007Builder builder;
    builder.AddSimpleSection("AcDb:Handles", EmptyObjectMap());
    const uint64_t id = builder.AddPage(bytes);
    builder.AddSection({"AcDb:AcDbObjects", bytes.size(), 0,
                        std::vector<File2007Builder::Page>(20000, File2007Builder::Page{0, id, bytes.size()})});
    RkDb::Database db;
    EXPECT_EQ(Read(builder.Build(), db), DwgReadResult::Corrupt);
}

// Drawing properties whose second page is missing are left out whole, although their first
// page holds a title; the drawing still reads.
TEST(Dwg2007Built, HalfReadOptionalSectionIsLeftOut)
{
    std::vector<uint8_t> properties = {5, 0, 'P', 0, 'l', 0, 'a', 0, 'n', 0, 0, 0};
    properties.resize(64, 0);
    File2007Builder builder = MinimalDrawing();
    const uint64_t id = builder.AddPage(properties);
    builder.AddSection({"AcDb:SummaryInfo", 128, 0, {{0, id, 64}, {64, 999, 64}}});
    RkDb::Database db;
    EXPECT_EQ(Read(builder.Build(), db), DwgReadResult::Ok);
    EXPECT_TRUE(db.Summary().title.empty()) << db.Summary().title;

    File2007Builder whole = MinimalDrawing();
    whole.AddSimpleSection("AcDb:SummaryInfo", properties);
    RkDb::Database read;
    EXPECT_EQ(Read(whole.Build(), read), DwgReadResult::Ok);
    EXPECT_EQ(read.Summary().title, "Plan");
}

} // namespace
