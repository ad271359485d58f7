// The drawing writer: every sample drawing written as DXF of each version and read back by the
// project's own reader (entity counts after the stated conversions, layers, blocks, header, each
// block's draw order), the code-page round trips, the conversions for R12, the draw order and
// transparency a save keeps, and the failures a user can reach.
#include "LayeredDrawing.h"
#include "RasterSink.h"

#include "engine/db/Database.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DownConverter.h"
#include "engine/write/DrawingSaver.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

namespace {

using RkDb::EntityType;
using RkWrite::DrawingSaver;
using RkWrite::SaveStatus;
using RkWrite::WriteReport;

constexpr int kVersions[] = {5, 7, 8, 9};

std::size_t Idx(EntityType t) { return static_cast<std::size_t>(t); }

std::unique_ptr<RkDb::Database> ReadBack(const std::string& bytes)
{
    auto db = std::make_unique<RkDb::Database>();
    RkDxf::DxfReader reader(*db);
    EXPECT_EQ(reader.Read(bytes.data(), bytes.size()), RkDxf::DxfReader::Status::Ok) << reader.Error();
    return db;
}

std::unique_ptr<RkDb::Database> ReadSample(const std::string& path)
{
    const std::string data = orvo::portable::ReadWholeFile(path);
    auto db = std::make_unique<RkDb::Database>();
    const std::string ext = path.substr(path.size() - 4);
    if (ext == ".dwg") {
        if (orvo::dwg::DwgReader().Read(std::vector<uint8_t>(data.begin(), data.end()), *db) !=
            orvo::dwg::DwgReadResult::Ok)
            return nullptr;
    } else {
        RkDxf::DxfReader reader(*db);
        if (reader.Read(data.data(), data.size()) != RkDxf::DxfReader::Status::Ok)
            return nullptr;
    }
    return db;
}

std::string ReadFile(const std::string& path) { return orvo::portable::ReadWholeFile(path); }

bool FileExists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

// What the read-back drawing must hold: the source's entities, less what the version dropped,
// with the converted ones replaced by what they became.
void ExpectCounts(const RkDb::Database& source, const RkDb::Database& back, const WriteReport& r,
                  const std::string& what)
{
    const auto before = source.CountByType();
    const auto after = back.CountByType();
    for (std::size_t t = 0; t < RkDb::kEntityTypeCount; ++t) {
        const std::size_t expected = before[t] - r.dropped[t] - r.convertedFrom[t] + r.convertedInto[t];
        EXPECT_EQ(after[t], expected) << what << " " << RkDb::EntityTypeName(static_cast<EntityType>(t));
        EXPECT_EQ(after[t], r.written[t]) << what << " " << RkDb::EntityTypeName(static_cast<EntityType>(t));
    }
}

// The record of that name; a DWG R12 record keeps 31 bytes of a name, a longer one is cut and
// numbered ("~N"), so it is found by its start.
template <class Table> std::int32_t FindName(const Table& table, const std::string& name, bool r12Dwg)
{
    if (!r12Dwg || name.size() <= 31)
        return table.Find(name);
    const std::string start = RkDb::TableKey(name.substr(0, 26));
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        const std::string key = RkDb::TableKey(table[i].name);
        if (key.size() <= 31 && key.compare(0, start.size(), start) == 0 && key.find('~') != std::string::npos)
            return i;
    }
    return -1;
}

// r12Dwg: the pre-R13 DWG reader takes fewer header variables (no PDMODE, PDSIZE, TILEMODE) and
// names of at most 31 bytes.
void ExpectTables(const RkDb::Database& source, const RkDb::Database& back, int version,
                  const std::string& what, bool r12Dwg = false)
{
    for (const RkDb::Layer& layer : source.Layers()) {
        const std::int32_t found = FindName(back.Layers(), layer.name, r12Dwg);
        ASSERT_GE(found, 0) << what << " layer " << layer.name;
        EXPECT_EQ(back.Layers()[found].color.Index(), layer.color.Index()) << what << " " << layer.name;
        EXPECT_EQ(back.Layers()[found].off, layer.off) << what << " " << layer.name;
        EXPECT_EQ(back.Layers()[found].frozen, layer.frozen) << what << " " << layer.name;
    }
    for (const RkDb::Block& block : source.Blocks()) {
        if (block.name.empty() || block.name[0] == '*')
            continue;       // spaces and anonymous blocks may be renamed or dropped by version
        EXPECT_GE(FindName(back.Blocks(), block.name, r12Dwg), 0) << what << " block " << block.name;
    }
    const RkDb::DrawingHeader& a = source.Header();
    const RkDb::DrawingHeader& b = back.Header();
    EXPECT_DOUBLE_EQ(b.ltScale, a.ltScale) << what;
    if (!r12Dwg) {
        EXPECT_EQ(b.pdMode, a.pdMode) << what;
        EXPECT_DOUBLE_EQ(b.pdSize, a.pdSize) << what;
        EXPECT_EQ(b.tileMode, a.tileMode) << what;
    }
    EXPECT_EQ(b.lunits, a.lunits) << what;
    EXPECT_EQ(b.luprec, a.luprec) << what;
    EXPECT_EQ(b.attMode, a.attMode) << what;
    EXPECT_DOUBLE_EQ(b.textSize, a.textSize) << what;
    EXPECT_DOUBLE_EQ(b.dimScale, a.dimScale) << what;
    if (version >= 8) {
        EXPECT_EQ(b.insUnits, a.insUnits) << what;
    }
    EXPECT_EQ(b.limMax.x, a.limMax.x) << what;
}

// R14 and later keep the handles: every line is found by its handle with its end points and layer.
void ExpectLinesByHandle(const RkDb::Database& source, const RkDb::Database& back, const std::string& what)
{
    std::map<RkDb::Handle, const RkDb::Line*> written;
    for (const RkDb::Block& block : back.Blocks()) {
        for (const RkDb::EntityPtr& e : block.entities) {
            if (const auto* line = RkDb::As<RkDb::Line>(*e))
                written[line->handle] = line;
        }
    }
    std::map<RkDb::Handle, int> uses;
    for (const RkDb::Block& block : source.Blocks()) {
        for (const RkDb::EntityPtr& e : block.entities)
            ++uses[e->handle];
    }
    for (const RkDb::EntityPtr& e : source.ModelSpaceBlock().entities) {
        const auto* line = RkDb::As<RkDb::Line>(*e);
        // Handles from 2^62 up are renumbered (fresh ones are counted up from the largest kept).
        if (!line || line->handle == 0 || line->handle >= (RkDb::Handle(1) << 62) || uses[line->handle] != 1)
            continue;
        const auto found = written.find(line->handle);
        ASSERT_NE(found, written.end()) << what << " line " << std::hex << line->handle;
        EXPECT_EQ(found->second->start, line->start) << what;
        EXPECT_EQ(found->second->end, line->end) << what;
        EXPECT_EQ(found->second->layer >= 0 ? back.Layers()[found->second->layer].name : "",
                  source.Layers()[line->layer].name) << what;
    }
}

// The source entities of a block in the order they are drawn, as indices.
std::vector<std::size_t> DrawnOrder(const RkDb::Block& block)
{
    std::vector<std::size_t> order;
    if (block.drawOrder.size() == block.entities.size()) {
        for (const std::int32_t at : block.drawOrder)
            order.push_back(static_cast<std::size_t>(at));
        return order;
    }
    for (std::size_t i = 0; i < block.entities.size(); ++i)
        order.push_back(i);
    return order;
}

// R14 and later keep each block's draw order: the entities the save kept are drawn in the
// source's order. An entity is found at its place when the block kept all of them (handles from
// 2^62 up are renumbered), else by its handle. Returns how many blocks had an order of their own.
int ExpectDrawOrders(const RkDb::Database& source, const RkDb::Database& back, const std::string& what)
{
    int ordered = 0;
    for (const RkDb::Block& block : source.Blocks()) {
        if (block.drawOrder.empty())
            continue;
        ++ordered;
        const std::int32_t found = back.Blocks().Find(block.name);
        if (found < 0) {
            ADD_FAILURE() << what << " block " << block.name << " is missing";
            continue;
        }
        const RkDb::Block& written = back.Blocks()[found];
        std::map<RkDb::Handle, std::size_t> sourceIndex;
        for (std::size_t i = 0; i < block.entities.size(); ++i)
            sourceIndex.emplace(block.entities[i]->handle, i);
        const bool all = written.entities.size() == block.entities.size();
        std::vector<std::size_t> seen;
        for (const std::size_t at : DrawnOrder(written)) {
            if (all) {
                seen.push_back(at);
                continue;
            }
            const auto hit = sourceIndex.find(written.entities[at]->handle);
            if (hit != sourceIndex.end() && std::find(seen.begin(), seen.end(), hit->second) == seen.end())
                seen.push_back(hit->second);
        }
        std::vector<std::size_t> expected;
        for (const std::size_t at : DrawnOrder(block)) {
            if (std::find(seen.begin(), seen.end(), at) != seen.end())
                expected.push_back(at);
        }
        EXPECT_GT(seen.size(), block.entities.size() / 2) << what << " block " << block.name;
        EXPECT_EQ(seen, expected) << what << " block " << block.name;
    }
    return ordered;
}

class SampleRoundTrip : public ::testing::TestWithParam<int>
{
};

TEST_P(SampleRoundTrip, EverySampleReadsBackAsWritten)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const int version = GetParam();
    int drawings = 0;
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir + "dwg")) {
        const std::string path = entry.path().string();
        if (path.size() > 4 && (path.substr(path.size() - 4) == ".dwg" || path.substr(path.size() - 4) == ".dxf"))
            paths.push_back(path);
    }
    for (const std::string& path : paths) {
        const auto source = ReadSample(path);
        if (!source)
            continue;   // unreadable samples are the readers' tests' business
        std::string bytes;
        const WriteReport report = DrawingSaver::Build(*source, DrawingSaver::kDxf, version, bytes);
        ASSERT_EQ(report.status, SaveStatus::Ok) << path;
        ASSERT_EQ(report.bytes, bytes.size());
        const auto back = ReadBack(bytes);
        const std::string what = path + " v" + std::to_string(version);
        ExpectCounts(*source, *back, report, what);
        ExpectTables(*source, *back, version, what);
        if (version >= 7) {
            ExpectLinesByHandle(*source, *back, what);
            ExpectDrawOrders(*source, *back, what);
        }
        ++drawings;
    }
    EXPECT_GT(drawings, 10);
}

INSTANTIATE_TEST_SUITE_P(DxfVersions, SampleRoundTrip, ::testing::ValuesIn(kVersions));

std::unique_ptr<RkDb::Database> ReadBackDwg(const std::string& bytes)
{
    auto db = std::make_unique<RkDb::Database>();
    EXPECT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), *db),
              orvo::dwg::DwgReadResult::Ok);
    return db;
}

// 2000 and later keep the layouts: each of the source's, by name, showing a block of that name.
void ExpectLayouts(const RkDb::Database& source, const RkDb::Database& back, const std::string& what)
{
    for (const RkDb::Layout& layout : source.Layouts()) {
        if (!source.Blocks().Valid(layout.block))
            continue;
        const auto found = std::find_if(back.Layouts().begin(), back.Layouts().end(),
                                        [&layout](const RkDb::Layout& l) { return l.name == layout.name; });
        ASSERT_NE(found, back.Layouts().end()) << what << " layout " << layout.name;
        ASSERT_TRUE(back.Blocks().Valid(found->block)) << what << " layout " << layout.name;
        EXPECT_EQ(RkDb::TableKey(back.Blocks()[found->block].name),
                  RkDb::TableKey(source.Blocks()[layout.block].name)) << what << " layout " << layout.name;
    }
}

class DwgSampleRoundTrip : public ::testing::TestWithParam<int>
{
};

// DWG R12, R14, 2000 and 2004: every sample written and read back by the DWG reader; from R14 on
// the handles kept, from 2000 on the layouts.
TEST_P(DwgSampleRoundTrip, EverySampleReadsBackAsWritten)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const int version = GetParam();
    int drawings = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir + "dwg")) {
        const std::string path = entry.path().string();
        if (path.size() <= 4 || (path.substr(path.size() - 4) != ".dwg" && path.substr(path.size() - 4) != ".dxf"))
            continue;
        const auto source = ReadSample(path);
        if (!source)
            continue;
        std::string bytes;
        const WriteReport report = DrawingSaver::Build(*source, DrawingSaver::kDwg, version, bytes);
        ASSERT_EQ(report.status, SaveStatus::Ok) << path;
        ASSERT_EQ(report.bytes, bytes.size());
        const auto back = ReadBackDwg(bytes);
        const std::string what = path + " dwg v" + std::to_string(version);
        ExpectCounts(*source, *back, report, what);
        ExpectTables(*source, *back, version, what, version == 5);
        if (version >= 7) {
            ExpectLinesByHandle(*source, *back, what);
            ExpectDrawOrders(*source, *back, what);
        }
        if (version >= 8)
            ExpectLayouts(*source, *back, what);
        ++drawings;
    }
    EXPECT_GT(drawings, 10);
}

INSTANTIATE_TEST_SUITE_P(DwgVersions, DwgSampleRoundTrip, ::testing::Values(5, 7, 8, 9));

struct CodePageCase
{
    const char* codePage;
    const char* layer;          // UTF-8
    const char* text;
    const char* encodedLayer;   // the bytes the file must hold
};

class CodePageRoundTrip : public ::testing::TestWithParam<CodePageCase>
{
};

// A layer and a text of the case in a drawing of its code page.
void AddCodePageText(const CodePageCase& c, RkDb::Database& db)
{
    db.Header().codePage = c.codePage;
    RkDb::Layer layer;
    layer.name = c.layer;
    layer.color = RkDb::Color::FromAci(3);
    const std::int32_t index = db.Layers().Add(layer);
    auto text = std::make_unique<RkDb::Text>();
    text->layer = index;
    text->text.value = c.text;
    text->text.height = 2.5;
    db.ModelSpaceBlock().entities.push_back(std::move(text));
}

TEST_P(CodePageRoundTrip, TextsSurviveInTheDrawingsCodePage)
{
    const CodePageCase c = GetParam();
    for (const int version : kVersions) {
        RkDb::Database db;
        AddCodePageText(c, db);
        std::string bytes;
        ASSERT_EQ(DrawingSaver::Build(db, DrawingSaver::kDxf, version, bytes).status, SaveStatus::Ok);
        EXPECT_NE(bytes.find(c.encodedLayer), std::string::npos) << version;
        EXPECT_NE(bytes.find(c.codePage), std::string::npos) << version;
        const auto back = ReadBack(bytes);
        EXPECT_GE(back->Layers().Find(c.layer), 0) << version;
        const auto& entities = back->ModelSpaceBlock().entities;
        ASSERT_EQ(entities.size(), 1u) << version;
        const auto* t = RkDb::As<RkDb::Text>(*entities[0]);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->text.value, c.text) << version;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, CodePageRoundTrip,
    ::testing::Values(
        CodePageCase{"ANSI_1251", "\xD0\xA1\xD0\xBB\xD0\xBE\xD0\xB9", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC",
                     "\xD1\xEB\xEE\xE9"},
        CodePageCase{"ANSI_1252", "Gr\xC3\xB6\xC3\x9F" "e", "\xE2\x82\xAC 5 \xC3\xA9t\xC3\xA9 \xE4\xB8\xAD",
                     "Gr\xF6\xDF" "e"}),
    [](const ::testing::TestParamInfo<CodePageCase>& info) { return std::string(info.param.codePage); });

// DWG keeps its texts in the code page the file header names.
TEST_P(CodePageRoundTrip, DwgTextsSurviveInTheDrawingsCodePage)
{
    const CodePageCase c = GetParam();
    for (const int version : {5, 7, 8, 9}) {
        RkDb::Database db;
        AddCodePageText(c, db);
        std::string bytes;
        ASSERT_EQ(DrawingSaver::Build(db, DrawingSaver::kDwg, version, bytes).status, SaveStatus::Ok);
        // Texts lie at any bit position in the streams: the reader, which decodes them in the
        // file header's code page, shows they were written in it.
        auto back = std::make_unique<RkDb::Database>();
        ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), *back),
                  orvo::dwg::DwgReadResult::Ok);
        EXPECT_EQ(back->Header().codePage, c.codePage) << version;
        const std::int32_t found = back->Layers().Find(c.layer);
        ASSERT_GE(found, 0) << version;
        EXPECT_EQ(back->Layers()[found].color.Index(), 3);
        const auto& entities = back->ModelSpaceBlock().entities;
        ASSERT_EQ(entities.size(), 1u) << version;
        const auto* t = RkDb::As<RkDb::Text>(*entities[0]);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->text.value, c.text) << version;
        EXPECT_EQ(t->layer, found);
    }
}

// A drawing with one of each kind R12 cannot hold.
std::unique_ptr<RkDb::Database> NewerKinds()
{
    auto db = std::make_unique<RkDb::Database>();
    auto& entities = db->ModelSpaceBlock().entities;
    auto lw = std::make_unique<RkDb::LwPolyline>();
    lw->vertices = {{0, 0, 0, 0, 0.5}, {10, 0, 0, 0, 0}, {10, 5, 0, 0, 0}};
    lw->closed = true;
    entities.push_back(std::move(lw));
    auto ellipse = std::make_unique<RkDb::Ellipse>();
    ellipse->majorAxis = {5, 0, 0};
    ellipse->ratio = 0.5;
    entities.push_back(std::move(ellipse));
    auto spline = std::make_unique<RkDb::Spline>();
    spline->degree = 3;
    spline->knots = {0, 0, 0, 0, 1, 1, 1, 1};
    spline->controlPoints = {{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 0}};
    entities.push_back(std::move(spline));
    auto mtext = std::make_unique<RkDb::MText>();
    mtext->height = 1.0;
    mtext->contents = "{\\fArial|b1;First} line\\PSecond \\S1^2; line";
    entities.push_back(std::move(mtext));
    auto hatch = std::make_unique<RkDb::Hatch>();
    hatch->solid = true;
    RkDb::HatchLoop loop;
    loop.flags = 2;
    loop.polyline = {{0, 0}, {4, 0}, {4, 4}};
    hatch->loops.push_back(loop);
    entities.push_back(std::move(hatch));
    entities.push_back(std::make_unique<RkDb::Ray>());
    entities.push_back(std::make_unique<RkDb::Image>());
    return db;
}

TEST(DrawingWriter, R12ConvertsWhatItCannotHoldAndCountsWhatItDrops)
{
    const auto db = NewerKinds();
    std::string bytes;
    const WriteReport r = DrawingSaver::Build(*db, DrawingSaver::kDxf, 5, bytes);
    ASSERT_EQ(r.status, SaveStatus::Ok);
    const auto back = ReadBack(bytes);
    const auto counts = back->CountByType();
    // LWPOLYLINE, ELLIPSE and SPLINE are polylines; the MTEXT two TEXTs; the solid hatch an
    // insert of an anonymous block of SOLID strips that cover its triangle.
    EXPECT_EQ(counts[Idx(EntityType::Polyline)], 3u);
    EXPECT_EQ(r.convertedFrom[Idx(EntityType::Hatch)], 1u);
    EXPECT_EQ(r.convertedInto[Idx(EntityType::Insert)], 1u);
    double area = 0.0;
    for (const RkDb::Block& block : back->Blocks()) {
        for (const auto& e : block.entities) {
            if (const auto* strip = RkDb::As<RkDb::Solid>(*e)) {
                const RkDb::Vec3* c = strip->corners;
                area += ((c[1].x - c[0].x) + (c[3].x - c[2].x)) / 2 * (c[2].y - c[0].y);
                EXPECT_EQ(block.name.substr(0, 2), "*X");
            }
        }
    }
    EXPECT_NEAR(area, 8.0, 1e-9);
    EXPECT_EQ(counts[Idx(EntityType::Text)], 2u);
    EXPECT_EQ(counts[Idx(EntityType::LwPolyline)] + counts[Idx(EntityType::Ellipse)] +
                  counts[Idx(EntityType::Spline)] + counts[Idx(EntityType::MText)] +
                  counts[Idx(EntityType::Hatch)],
              0u);
    EXPECT_EQ(r.dropped[Idx(EntityType::Ray)], 1u);
    EXPECT_EQ(r.dropped[Idx(EntityType::Image)], 1u);
    EXPECT_EQ(r.convertedFrom[Idx(EntityType::MText)], 1u);
    EXPECT_EQ(r.convertedInto[Idx(EntityType::Text)], 2u);
    bool first = false, second = false;
    for (const auto& e : back->ModelSpaceBlock().entities) {
        if (const auto* t = RkDb::As<RkDb::Text>(*e)) {
            first = first || t->text.value == "First line";
            second = second || t->text.value == "Second 1/2 line";
        }
    }
    EXPECT_TRUE(first && second);
    // The bulge of the LWPOLYLINE's first segment survives in its POLYLINE (written first).
    const auto* pl = RkDb::As<RkDb::Polyline>(*back->ModelSpaceBlock().entities.front());
    ASSERT_NE(pl, nullptr);
    ASSERT_EQ(pl->vertices.size(), 3u);
    EXPECT_EQ(pl->kind, RkDb::Polyline::Kind::Flat2d);
    EXPECT_DOUBLE_EQ(pl->vertices[0].bulge, 0.5);
    EXPECT_TRUE(pl->closed);
}

TEST(DrawingWriter, NewerVersionsKeepTheKindsAndTheirHandles)
{
    const auto db = NewerKinds();
    db->ModelSpaceBlock().entities[0]->handle = 0x4A;
    for (const int version : {7, 8, 9}) {
        std::string bytes;
        const WriteReport r = DrawingSaver::Build(*db, DrawingSaver::kDxf, version, bytes);
        ASSERT_EQ(r.status, SaveStatus::Ok);
        const auto back = ReadBack(bytes);
        const auto counts = back->CountByType();
        EXPECT_EQ(counts[Idx(EntityType::LwPolyline)], 1u) << version;
        EXPECT_EQ(counts[Idx(EntityType::Ellipse)], 1u) << version;
        EXPECT_EQ(counts[Idx(EntityType::Spline)], 1u) << version;
        EXPECT_EQ(counts[Idx(EntityType::MText)], 1u) << version;
        EXPECT_EQ(counts[Idx(EntityType::Hatch)], 1u) << version;
        EXPECT_EQ(counts[Idx(EntityType::Ray)], 1u) << version;
        EXPECT_EQ(r.dropped[Idx(EntityType::Image)], 1u) << version;
        EXPECT_EQ(back->ModelSpaceBlock().entities[0]->handle, 0x4Au) << version;
        EXPECT_NE(bytes.find("$HANDSEED"), std::string::npos);
        EXPECT_NE(bytes.find("BLOCK_RECORD"), std::string::npos);
        EXPECT_EQ(bytes.find("ACAD_LAYOUT") != std::string::npos, version >= 8) << version;
    }
}

TEST(DrawingWriter, ImagesKeepTheirFileFromR14On)
{
    RkDb::Database db;
    auto image = std::make_unique<RkDb::Image>();
    image->fileName = "C:\\pictures\\site plan.png";
    image->frame.insertion = {10, 20, 0};
    image->frame.uVector = {0.5, 0, 0};
    image->frame.vVector = {0, 0.5, 0};
    image->frame.pixelSize = {640, 480};
    db.ModelSpaceBlock().entities.push_back(std::move(image));
    db.ModelSpaceBlock().entities.push_back(std::make_unique<RkDb::Wipeout>());
    for (const int version : kVersions) {
        std::string bytes;
        const WriteReport r = DrawingSaver::Build(db, DrawingSaver::kDxf, version, bytes);
        ASSERT_EQ(r.status, SaveStatus::Ok);
        const auto back = ReadBack(bytes);
        const auto counts = back->CountByType();
        EXPECT_EQ(counts[Idx(EntityType::Image)], version == 5 ? 0u : 1u) << version;
        EXPECT_EQ(r.dropped[Idx(EntityType::Image)], version == 5 ? 1u : 0u) << version;
        // Wipeouts came with 2000.
        EXPECT_EQ(counts[Idx(EntityType::Wipeout)], version >= 8 ? 1u : 0u) << version;
        for (const auto& e : back->ModelSpaceBlock().entities) {
            if (const auto* back_image = RkDb::As<RkDb::Image>(*e)) {
                EXPECT_EQ(back_image->fileName, "C:\\pictures\\site plan.png");
                EXPECT_EQ(back_image->frame.pixelSize.x, 640.0);
                EXPECT_EQ(back_image->frame.insertion, (RkDb::Vec3{10, 20, 0}));
            }
        }
    }
}

TEST(DrawingWriter, HandSeedIsAboveEveryHandle)
{
    const auto db = NewerKinds();
    db->ModelSpaceBlock().entities[1]->handle = 0x7FFF;
    db->ModelSpaceBlock().entities[2]->handle = 0x7FFF;     // a duplicate gets a fresh one
    std::string bytes;
    ASSERT_EQ(DrawingSaver::Build(*db, DrawingSaver::kDxf, 8, bytes).status, SaveStatus::Ok);
    const std::size_t seedAt = bytes.find("$HANDSEED");
    ASSERT_NE(seedAt, std::string::npos);
    const std::size_t valueAt = bytes.find("\n", bytes.find("\n", seedAt) + 1) + 1;
    const unsigned long long seed = std::stoull(bytes.substr(valueAt, 16), nullptr, 16);
    std::vector<unsigned long long> handles;
    // Handles after the header (whose $HANDSEED is a group 5 too).
    for (std::size_t at = bytes.find("\n  5\r\n", bytes.find("ENDSEC")); at != std::string::npos; at = bytes.find("\n  5\r\n", at + 1)) {
        const unsigned long long h = std::stoull(bytes.substr(at + 6, 16), nullptr, 16);
        EXPECT_LT(h, seed);
        handles.push_back(h);
    }
    std::sort(handles.begin(), handles.end());
    EXPECT_TRUE(std::adjacent_find(handles.begin(), handles.end()) == handles.end());
    EXPECT_GT(handles.size(), 20u);
}

TEST(DrawingWriter, DwgKeepsTheKindsTheirValuesAndHandles)
{
    const auto db = NewerKinds();
    db->ModelSpaceBlock().entities[0]->handle = 0x4A;
    for (const int version : {7, 8, 9}) {
        std::string bytes;
        const WriteReport r = DrawingSaver::Build(*db, DrawingSaver::kDwg, version, bytes);
        ASSERT_EQ(r.status, SaveStatus::Ok);
        EXPECT_EQ(bytes.rfind(version == 9 ? "AC1018" : version == 8 ? "AC1015" : "AC1014", 0), 0u);
        const auto back = ReadBackDwg(bytes);
        const auto counts = back->CountByType();
        for (const EntityType t : {EntityType::LwPolyline, EntityType::Ellipse, EntityType::Spline,
                                   EntityType::MText, EntityType::Hatch, EntityType::Ray})
            EXPECT_EQ(counts[Idx(t)], 1u) << version << " " << RkDb::EntityTypeName(t);
        EXPECT_EQ(r.dropped[Idx(EntityType::Image)], 1u) << version;
        const auto& entities = back->ModelSpaceBlock().entities;
        ASSERT_EQ(entities.size(), 6u);
        EXPECT_EQ(entities[0]->handle, 0x4Au) << version;
        const auto* lw = RkDb::As<RkDb::LwPolyline>(*entities[0]);
        ASSERT_NE(lw, nullptr);
        ASSERT_EQ(lw->vertices.size(), 3u);
        EXPECT_TRUE(lw->closed);
        EXPECT_EQ(lw->vertices[0].bulge, 0.5);
        EXPECT_EQ(lw->vertices[2].y, 5.0);
        const auto* ellipse = RkDb::As<RkDb::Ellipse>(*entities[1]);
        ASSERT_NE(ellipse, nullptr);
        EXPECT_EQ(ellipse->ratio, 0.5);
        const auto* spline = RkDb::As<RkDb::Spline>(*entities[2]);
        ASSERT_NE(spline, nullptr);
        EXPECT_EQ(spline->knots.size(), 8u);
        EXPECT_EQ(spline->controlPoints[1].y, 2.0);
        const auto* mtext = RkDb::As<RkDb::MText>(*entities[3]);
        ASSERT_NE(mtext, nullptr);
        EXPECT_EQ(mtext->contents, "{\\fArial|b1;First} line\\PSecond \\S1^2; line");
        const auto* hatch = RkDb::As<RkDb::Hatch>(*entities[4]);
        ASSERT_NE(hatch, nullptr);
        EXPECT_TRUE(hatch->solid);
        ASSERT_EQ(hatch->loops.size(), 1u);
        EXPECT_EQ(hatch->loops[0].polyline.size(), 3u);
        EXPECT_EQ(hatch->loops[0].polyline[1].x, 4.0);
    }
}

// The model space as drawn on a 100 x 100 device showing world 0..100.
std::vector<std::uint32_t> Picture(const RkDb::Database& db)
{
    RkDraw::ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    orvo::portable::RasterSink sink(100, 100);
    RkDraw::RenderOptions options;
    RkDraw::DrawingRenderer(db, sink, options).Draw(0, view);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x)
            pixels.push_back(sink.At(x, y));
    }
    return pixels;
}

// sprinkler_final.dwg's sprinkler head and what lies around it, on a 600 x 450 device.
std::unique_ptr<orvo::portable::RasterSink> SprinklerHead(const RkDb::Database& db)
{
    RkDraw::ViewTransform view;
    view.SetDevice(600, 450);
    view.SetArea({4579.88, 258.728}, 800);
    auto sink = std::make_unique<orvo::portable::RasterSink>(600, 450);
    RkDraw::RenderOptions options;
    RkDraw::DrawingRenderer(db, *sink, options).Draw(0, view);
    return sink;
}

std::size_t Differing(const orvo::portable::RasterSink& a, const orvo::portable::RasterSink& b)
{
    std::size_t n = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x)
            n += a.At(x, y) != b.At(x, y) ? 1 : 0;
    }
    return n;
}

struct SavedKind
{
    int kind;
    int version;
};

std::string KindName(const SavedKind& k)
{
    return std::string(k.kind == DrawingSaver::kDwg ? "Dwg" : "Dxf") + std::to_string(k.version);
}

class KeptOnSave : public ::testing::TestWithParam<SavedKind>
{
};

// Every kind and version the writer offers: from R14 on each block's draw order table comes
// back giving the same order; the transparency where the version stores it (2004), else the
// entity is opaque; the picture is the source's as that version can show it.
TEST_P(KeptOnSave, DrawOrderAndTransparency)
{
    const SavedKind k = GetParam();
    const auto source = orvo::portable::LayeredDrawing();
    ASSERT_EQ(source->ModelSpaceBlock().drawOrder, (std::vector<std::int32_t>{1, 0, 2, 3, 4}));
    std::string bytes;
    const WriteReport r = DrawingSaver::Build(*source, k.kind, k.version, bytes);
    ASSERT_EQ(r.status, SaveStatus::Ok) << r.message;
    const auto back = k.kind == DrawingSaver::kDwg ? ReadBackDwg(bytes) : ReadBack(bytes);
    const bool ordered = k.version >= 7, transparent = k.version >= 9;
    // R12 keeps no draw order and no transparency: the picture as the stored order and opaque
    // entities give it.
    auto expected = orvo::portable::LayeredDrawing();
    for (RkDb::Block& block : expected->Blocks()) {
        if (!ordered)
            block.drawOrder.clear();
        if (!transparent) {
            for (RkDb::EntityPtr& e : block.entities)
                e->transparency = 0;
        }
    }
    if (!transparent) {
        for (RkDb::Layer& layer : expected->Layers())
            layer.transparency = 0;
    }
    const std::int32_t pair = back->Blocks().Find("Pair");
    ASSERT_GE(pair, 0);
    EXPECT_EQ(back->ModelSpaceBlock().drawOrder, expected->ModelSpaceBlock().drawOrder) << KindName(k);
    EXPECT_EQ(back->Blocks()[pair].drawOrder, expected->Blocks()[expected->Blocks().Find("Pair")].drawOrder);
    const auto& entities = back->ModelSpaceBlock().entities;
    ASSERT_GE(entities.size(), 3u);
    for (std::size_t i = 0; i < entities.size(); ++i)
        EXPECT_EQ(entities[i]->transparency, i == 2 && transparent ? (RkDb::kTransparencyAlpha | 0x40) : 0u)
            << KindName(k) << " " << i;
    const std::int32_t glass = back->Layers().Find("Glass");
    ASSERT_GE(glass, 0);
    EXPECT_EQ(back->Layers()[glass].transparency, transparent ? (RkDb::kTransparencyAlpha | 0x80) : 0u);
    // R12 (DXF and DWG) keeps the hatch as an insert of a block of its fills.
    if (k.version == 5) {
        EXPECT_EQ(r.convertedInto[Idx(EntityType::Insert)], 1u) << KindName(k);
        EXPECT_EQ(r.convertedInto[Idx(EntityType::Polyline)], 0u) << KindName(k);
    }
    const auto picture = Picture(*back), wanted = Picture(*expected);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < picture.size(); ++i)
        differing += picture[i] != wanted[i] ? 1 : 0;
    EXPECT_EQ(differing, 0u) << KindName(k);
    // What lies on top: the blue square over the red hatch at (40, 40), the yellow square
    // over the cyan one at (10, 85) (the device's rows run down from world y 100).
    EXPECT_EQ(picture[60 * 100 + 40], ordered ? 0x0000FFu : 0xFF0000u) << KindName(k);
    EXPECT_EQ(picture[15 * 100 + 10], ordered ? 0xFFFF00u : 0x00FFFFu) << KindName(k);
    if (ordered) {
        // The table hangs in the block record's extension dictionary under ACAD_SORTENTS.
        const std::string written = k.kind == DrawingSaver::kDxf ? bytes : std::string();
        if (!written.empty()) {
            EXPECT_NE(written.find("ACAD_SORTENTS"), std::string::npos);
            EXPECT_NE(written.find("{ACAD_XDICTIONARY"), std::string::npos);
            EXPECT_NE(written.find("AcDbSortentsTable"), std::string::npos);
        }
    } else {
        EXPECT_EQ(bytes.find("SORTENTS"), std::string::npos);
    }
}

// A real drawing with draw order tables in 54 blocks (sprinkler_final.dwg, 2010): from R14 on
// every block comes back drawn in its order, and its sprinkler head shows its green pattern over
// the grey solid hatch the tables put below it, as in the original.
TEST_P(KeptOnSave, ARealDrawingsDrawOrders)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const SavedKind k = GetParam();
    const auto source = ReadSample(dir + "dwg/real/sprinkler_final.dwg");
    ASSERT_TRUE(source);
    std::string bytes;
    ASSERT_EQ(DrawingSaver::Build(*source, k.kind, k.version, bytes).status, SaveStatus::Ok);
    const auto back = k.kind == DrawingSaver::kDwg ? ReadBackDwg(bytes) : ReadBack(bytes);
    const std::string what = "sprinkler_final " + KindName(k);
    if (k.version < 7) {
        for (const RkDb::Block& block : back->Blocks())
            EXPECT_TRUE(block.drawOrder.empty()) << what << " " << block.name;
        return;
    }
    EXPECT_EQ(ExpectDrawOrders(*source, *back, what), 54);
    const auto before = SprinklerHead(*source), after = SprinklerHead(*back);
    const std::size_t green = before->CountColor(0, 0, 150, 450, 0x00FF00);
    EXPECT_GT(green, 400u);
    EXPECT_EQ(after->CountColor(0, 0, 150, 450, 0x00FF00), green) << what;
    const std::size_t differing = Differing(*before, *after);
    EXPECT_LE(differing, before->Ink(0, 0, 600, 450) / 100) << what;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, KeptOnSave,
    ::testing::Values(SavedKind{DrawingSaver::kDxf, 5}, SavedKind{DrawingSaver::kDxf, 7},
                      SavedKind{DrawingSaver::kDxf, 8}, SavedKind{DrawingSaver::kDxf, 9},
                      SavedKind{DrawingSaver::kDwg, 5}, SavedKind{DrawingSaver::kDwg, 7},
                      SavedKind{DrawingSaver::kDwg, 8}, SavedKind{DrawingSaver::kDwg, 9}),
    [](const ::testing::TestParamInfo<SavedKind>& info) { return KindName(info.param); });

// Pixels of two pictures that differ.
std::size_t Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i] ? 1 : 0;
    return n + (a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

RkDb::HatchLoop Square(double x0, double y0, double x1, double y1)
{
    RkDb::HatchLoop loop;
    loop.flags = 2;
    loop.polyline = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    return loop;
}

// Three hatches on the layer "Hatching" (green): a solid square with a square hole, a red pattern
// of dashed diagonals of the line type "DASHED", and a gradient triangle.
std::unique_ptr<RkDb::Database> HatchedDrawing()
{
    auto db = std::make_unique<RkDb::Database>();
    const std::int32_t layer = db->EnsureLayer("Hatching");
    db->Layers()[layer].color = RkDb::Color::FromAci(3);
    RkDb::LineType dashed;
    dashed.name = "DASHED";
    dashed.patternLength = 3.0;
    dashed.elements.resize(2);
    dashed.elements[0].length = 2.0;
    dashed.elements[1].length = -1.0;
    const std::int32_t lineType = db->LineTypes().Add(dashed);
    auto& model = db->ModelSpaceBlock().entities;
    auto solid = std::make_unique<RkDb::Hatch>();
    solid->layer = layer;
    solid->solid = true;
    solid->patternName = "SOLID";
    solid->loops = {Square(10, 10, 40, 40), Square(20, 20, 30, 30)};
    model.push_back(std::move(solid));
    auto pattern = std::make_unique<RkDb::Hatch>();
    pattern->layer = layer;
    pattern->color = RkDb::Color::FromAci(1);
    pattern->lineType = lineType;
    pattern->patternName = "ANSI33";
    RkDb::HatchPatternLine line;
    line.angle = 0.785398163397448;
    line.offset = {-2.0, 2.0};
    line.dashes = {4.0, -1.0};
    pattern->patternLines = {line};
    pattern->loops = {Square(55, 10, 95, 50)};
    model.push_back(std::move(pattern));
    auto gradient = std::make_unique<RkDb::Hatch>();
    gradient->layer = layer;
    gradient->gradient = true;
    gradient->gradientColor = 0x2040C0;
    RkDb::HatchLoop triangle;
    triangle.flags = 2;
    triangle.polyline = {{10, 60}, {45, 60}, {30, 95}};
    gradient->loops = {triangle};
    model.push_back(std::move(gradient));
    db->FinishLoading();
    return db;
}

// The drawing saved as R12 of that kind and read back.
std::unique_ptr<RkDb::Database> SavedAsR12(const RkDb::Database& db, int kind, WriteReport& report,
                                           std::size_t limit = DrawingSaver::kDefaultLimit)
{
    std::string bytes;
    report = DrawingSaver::Build(db, kind, 5, bytes, limit);
    EXPECT_EQ(report.status, SaveStatus::Ok) << report.message;
    return kind == DrawingSaver::kDwg ? ReadBackDwg(bytes) : ReadBack(bytes);
}

class R12Hatches : public ::testing::TestWithParam<int>
{
};

// DWG R12 and DXF R12 both keep each hatch as an insert of an anonymous block of its lines and
// strips, on the hatch's layer with its colour and line type (and so each part), and the saved
// drawings look alike and like the original.
TEST_P(R12Hatches, AreBlocksOfTheirPartsDrawnAsTheOriginal)
{
    const int kind = GetParam();
    const auto source = HatchedDrawing();
    WriteReport r;
    const auto back = SavedAsR12(*source, kind, r);
    EXPECT_EQ(r.convertedFrom[Idx(EntityType::Hatch)], 3u);
    EXPECT_EQ(r.convertedInto[Idx(EntityType::Insert)], 3u);
    EXPECT_EQ(r.convertedInto[Idx(EntityType::Polyline)], 0u);
    EXPECT_GT(r.convertedInto[Idx(EntityType::Line)], 20u);
    EXPECT_GT(r.convertedInto[Idx(EntityType::Solid)], 3u);
    const auto counts = back->CountByType();
    EXPECT_EQ(counts[Idx(EntityType::Hatch)], 0u);
    EXPECT_EQ(counts[Idx(EntityType::Line)], r.convertedInto[Idx(EntityType::Line)]);
    EXPECT_EQ(counts[Idx(EntityType::Solid)], r.convertedInto[Idx(EntityType::Solid)]);
    const auto& model = back->ModelSpaceBlock().entities;
    ASSERT_EQ(model.size(), 3u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < model.size(); ++i) {
        const auto* insert = RkDb::As<RkDb::Insert>(*model[i]);
        ASSERT_NE(insert, nullptr) << i;
        ASSERT_TRUE(back->Blocks().Valid(insert->block));
        const RkDb::Block& block = back->Blocks()[insert->block];
        EXPECT_EQ(block.name.substr(0, 2), "*X");
        EXPECT_NE(block.flags & RkDb::kBlockAnonymous, 0) << block.name;
        names.insert(block.name);
        const RkDb::Entity& hatch = *source->ModelSpaceBlock().entities[i];
        const auto same = [&](const RkDb::Entity& e) {
            EXPECT_EQ(back->Layers()[e.layer].name, "Hatching") << block.name;
            EXPECT_EQ(e.color.Index(), hatch.color.Index()) << block.name;
            const bool dashed = hatch.lineType >= 0 && e.lineType >= 0 && back->LineTypes()[e.lineType].name == "DASHED";
            EXPECT_EQ(dashed, hatch.lineType >= 0) << block.name;
        };
        same(*insert);
        ASSERT_FALSE(block.entities.empty()) << block.name;
        for (const RkDb::EntityPtr& part : block.entities) {
            EXPECT_TRUE(part->type == EntityType::Line || part->type == EntityType::Solid) << block.name;
            if (i != 2)
                same(*part); // the gradient's strips take its colour
        }
    }
    EXPECT_EQ(names.size(), 3u);
    // Alike to the pixel with the DXF R12 save; drawn where the original draws (in the colour
    // indices R12 keeps, the pattern's lines in their line type).
    WriteReport dxf;
    const auto asDxf = SavedAsR12(*source, DrawingSaver::kDxf, dxf);
    const auto picture = Picture(*back), original = Picture(*source);
    EXPECT_EQ(Differing(picture, Picture(*asDxf)), 0u);
    std::size_t ink = 0, elsewhere = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
        ink += original[i] != 0xFFFFFFu ? 1 : 0;
        elsewhere += (original[i] != 0xFFFFFFu) != (picture[i] != 0xFFFFFFu) ? 1 : 0;
    }
    EXPECT_GT(ink, 1500u);
    EXPECT_LE(elsewhere, ink / 10);
    // The hole stays empty, the solid around it green, a pattern line red.
    EXPECT_EQ(picture[75 * 100 + 25], 0xFFFFFFu);
    EXPECT_EQ(picture[85 * 100 + 15], 0x00FF00u);
    std::size_t red = 0;
    for (int y = 50; y < 90; ++y) {
        for (int x = 55; x < 95; ++x)
            red += picture[static_cast<std::size_t>(y * 100 + x)] == 0xFF0000u ? 1 : 0;
    }
    EXPECT_GT(red, 100u);
    EXPECT_LT(red, 1200u);
}

// A hatch whose boundary is too fine to cut into strips draws nothing it could keep: its outline
// stays, in both R12 files.
TEST_P(R12Hatches, TooDenseAHatchKeepsItsOutline)
{
    auto db = std::make_unique<RkDb::Database>();
    auto hatch = std::make_unique<RkDb::Hatch>();
    hatch->solid = true;
    RkDb::HatchLoop loop;
    loop.flags = 2;
    constexpr int kCorners = 4000;
    for (int i = 0; i < kCorners; ++i) {
        const double a = 0.1 + 6.283185307179586 * i / kCorners;
        loop.polyline.push_back({50 + 40 * std::cos(a), 50 + 40 * std::sin(a)});
    }
    hatch->loops.push_back(loop);
    db->ModelSpaceBlock().entities.push_back(std::move(hatch));
    db->FinishLoading();
    WriteReport r;
    const auto back = SavedAsR12(*db, GetParam(), r);
    EXPECT_EQ(r.convertedInto[Idx(EntityType::Insert)], 0u);
    EXPECT_EQ(r.convertedInto[Idx(EntityType::Polyline)], 1u);
    ASSERT_EQ(back->ModelSpaceBlock().entities.size(), 1u);
    const auto* outline = RkDb::As<RkDb::Polyline>(*back->ModelSpaceBlock().entities[0]);
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->vertices.size(), static_cast<std::size_t>(kCorners));
    EXPECT_TRUE(outline->closed);
    for (const RkDb::Block& block : back->Blocks())
        EXPECT_NE(block.name.substr(0, 2), "*X");
}

INSTANTIATE_TEST_SUITE_P(Kinds, R12Hatches, ::testing::Values(DrawingSaver::kDwg, DrawingSaver::kDxf),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == DrawingSaver::kDwg ? "Dwg" : "Dxf");
                         });

// The hatches' parts of a DWG R12 file take at most half the room its limit leaves: past that a
// hatch keeps its outline and the file is still written; with room it is a block.
TEST(DrawingWriter, DwgR12BoundsTheHatchesParts)
{
    auto db = std::make_unique<RkDb::Database>();
    auto hatch = std::make_unique<RkDb::Hatch>();
    RkDb::HatchPatternLine line;
    line.offset = {0.0, 0.25};
    hatch->patternLines = {line};
    hatch->loops = {Square(0, 0, 100, 100)};
    db->ModelSpaceBlock().entities.push_back(std::move(hatch));
    db->FinishLoading();
    WriteReport tight, roomy;
    const auto small = SavedAsR12(*db, DrawingSaver::kDwg, tight, 64 * 1024);
    EXPECT_EQ(tight.convertedInto[Idx(EntityType::Insert)], 0u);
    EXPECT_EQ(tight.convertedInto[Idx(EntityType::Polyline)], 1u);
    EXPECT_LE(tight.bytes, 64u * 1024);
    EXPECT_EQ(small->CountByType()[Idx(EntityType::Line)], 0u);
    const auto large = SavedAsR12(*db, DrawingSaver::kDwg, roomy);
    EXPECT_EQ(roomy.convertedInto[Idx(EntityType::Insert)], 1u);
    EXPECT_GE(large->CountByType()[Idx(EntityType::Line)], 399u);
}

// A drawing whose own blocks hold the names an R12 reader gives anonymous blocks ("*X" and
// their place in the table) keeps them apart from the hatches' blocks.
TEST(DrawingWriter, DwgR12HatchBlocksKeepApartFromTheDrawingsAnonymousBlocks)
{
    auto db = HatchedDrawing();
    for (const char* name : {"*X1", "*X2", "*X3", "*X4"}) {
        const std::int32_t b = db->EnsureBlock(name);
        db->Blocks()[b].flags = RkDb::kBlockAnonymous;
        auto circle = std::make_unique<RkDb::Circle>();
        circle->radius = 1.0;
        db->Blocks()[b].entities.push_back(std::move(circle));
    }
    db->FinishLoading();
    WriteReport r;
    const auto back = SavedAsR12(*db, DrawingSaver::kDwg, r);
    EXPECT_EQ(r.convertedInto[Idx(EntityType::Insert)], 3u);
    ExpectCounts(*db, *back, r, "anonymous names");
    for (const char* name : {"*X1", "*X2", "*X3", "*X4"}) {
        const std::int32_t b = back->Blocks().Find(name);
        ASSERT_GE(b, 0) << name;
        ASSERT_EQ(back->Blocks()[b].entities.size(), 1u) << name;
        EXPECT_EQ(back->Blocks()[b].entities[0]->type, EntityType::Circle) << name;
    }
}

// A real drawing of hatches (sprinkler_final.dwg) saved as DWG R12 draws like its DXF R12 save:
// every hatch an insert of its parts or, past the bound, its outline.
TEST(DrawingWriter, ARealDrawingsHatchesSurviveDwgR12)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const auto source = ReadSample(dir + "dwg/real/sprinkler_final.dwg");
    ASSERT_TRUE(source);
    const std::size_t hatches = source->CountByType()[Idx(EntityType::Hatch)];
    ASSERT_GT(hatches, 0u);
    WriteReport dwg, dxf;
    const auto asDwg = SavedAsR12(*source, DrawingSaver::kDwg, dwg);
    const auto asDxf = SavedAsR12(*source, DrawingSaver::kDxf, dxf);
    ExpectCounts(*source, *asDwg, dwg, "sprinkler_final dwg R12");
    EXPECT_EQ(dwg.convertedInto[Idx(EntityType::Insert)], dxf.convertedInto[Idx(EntityType::Insert)]);
    EXPECT_GT(dwg.convertedInto[Idx(EntityType::Insert)], hatches / 2);
    EXPECT_EQ(dwg.convertedInto[Idx(EntityType::Line)], dxf.convertedInto[Idx(EntityType::Line)]);
    EXPECT_EQ(dwg.convertedInto[Idx(EntityType::Solid)], dxf.convertedInto[Idx(EntityType::Solid)]);
    const auto a = SprinklerHead(*asDwg), b = SprinklerHead(*asDxf);
    const std::size_t ink = b->Ink(0, 0, 600, 450);
    EXPECT_GT(ink, 10000u);
    const std::size_t differing = Differing(*a, *b);
    EXPECT_LE(differing, ink / 100);
    EXPECT_EQ(a->CountColor(0, 0, 600, 450, 0x00FF00), b->CountColor(0, 0, 600, 450, 0x00FF00));
}

class SaveFailure : public ::testing::Test
{
protected:
    std::string Target(const char* name) const
    {
        return (std::filesystem::temp_directory_path() / name).string();
    }
};

TEST_F(SaveFailure, UnknownKindsAreRefusedBeforeTheDiskIsTouched)
{
    RkDb::Database db;
    const std::string path = Target("orvo-writer-unknown.dwg");
    std::remove(path.c_str());
    for (const int kind : {DrawingSaver::kDwg, DrawingSaver::kDxf}) {
        for (const int version : {5, 7, 8, 9})
            EXPECT_TRUE(DrawingSaver::Supports(kind, version)) << kind << " " << version;
        for (const int version : {0, 6, 10}) {
            const WriteReport r = DrawingSaver::Save(db, path, kind, version);
            EXPECT_EQ(r.status, SaveStatus::UnsupportedKind);
            EXPECT_FALSE(r.message.empty());
            EXPECT_FALSE(DrawingSaver::Supports(kind, version));
        }
    }
    EXPECT_EQ(DrawingSaver::Save(db, path, 3, 8).status, SaveStatus::UnsupportedKind);
    EXPECT_FALSE(FileExists(path));
}

// Kinds written: DXF of a version and DWG of each.
constexpr std::pair<int, int> kWrittenKinds[] = {{DrawingSaver::kDxf, 8}, {DrawingSaver::kDwg, 5},
                                                 {DrawingSaver::kDwg, 7}, {DrawingSaver::kDwg, 8},
                                                 {DrawingSaver::kDwg, 9}};

TEST_F(SaveFailure, UnwritableTargetsFailCleanly)
{
    RkDb::Database db;
    const std::string missingFolder = Target("orvo-no-such-folder/drawing.dxf");
    const std::string empty;
    for (const auto& [kind, version] : kWrittenKinds) {
        for (const std::string& path : {missingFolder, empty}) {
            const WriteReport r = DrawingSaver::Save(db, path, kind, version);
            EXPECT_EQ(r.status, SaveStatus::CannotWrite) << path << " " << kind;
            EXPECT_EQ(r.bytes, 0u);
            EXPECT_FALSE(FileExists(path));
            EXPECT_FALSE(FileExists(path + ".saving.tmp"));
        }
        // A folder of that name stands where the file should go.
        const std::string folder = Target("orvo-writer-folder.dxf");
        std::filesystem::create_directories(folder);
        EXPECT_EQ(DrawingSaver::Save(db, folder, kind, version).status, SaveStatus::CannotWrite);
        EXPECT_TRUE(std::filesystem::is_directory(folder));
        EXPECT_FALSE(FileExists(folder + ".saving.tmp"));
        std::filesystem::remove(folder);
    }
}

TEST_F(SaveFailure, TooLargeADrawingMakesNoFile)
{
    const auto db = NewerKinds();
    for (const auto& [kind, version] : kWrittenKinds) {
        std::string bytes;
        const WriteReport r = DrawingSaver::Build(*db, kind, version, bytes, 512);
        EXPECT_EQ(r.status, SaveStatus::TooLarge) << kind << " " << version;
        EXPECT_TRUE(bytes.empty());
    }
}

// A DWG R12 file numbers its records in 16 bits (text styles in 8): a drawing with more is refused
// there, and saved in the later releases.
TEST_F(SaveFailure, TooManyRecordsForDwgR12MakeNoFile)
{
    for (const bool styles : {false, true}) {
        RkDb::Database db;
        for (int i = 0; i < (styles ? 300 : 33000); ++i) {
            if (styles) {
                RkDb::TextStyle style;
                style.name = "S" + std::to_string(i);
                db.TextStyles().Add(style);
            } else {
                RkDb::Layer layer;
                layer.name = "L" + std::to_string(i);
                db.Layers().Add(layer);
            }
        }
        std::string bytes;
        const WriteReport r = DrawingSaver::Build(db, DrawingSaver::kDwg, 5, bytes);
        EXPECT_EQ(r.status, SaveStatus::TooLarge) << styles;
        EXPECT_FALSE(r.message.empty());
        EXPECT_TRUE(bytes.empty());
        EXPECT_EQ(DrawingSaver::Build(db, DrawingSaver::kDwg, 8, bytes).status, SaveStatus::Ok) << styles;
    }
}

TEST_F(SaveFailure, SavingOverAFileReplacesItWhole)
{
    const auto db = NewerKinds();
    const std::string path = Target("orvo-writer-over.dxf");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("old contents", f);
        std::fclose(f);
    }
    const WriteReport r = DrawingSaver::Save(*db, path, DrawingSaver::kDxf, 9);
    ASSERT_EQ(r.status, SaveStatus::Ok) << r.message;
    const std::string written = ReadFile(path);
    EXPECT_EQ(written.size(), r.bytes);
    EXPECT_EQ(written.rfind("  0\r\nSECTION", 0), 0u);
    EXPECT_FALSE(FileExists(path + ".saving.tmp"));
    const auto back = ReadBack(written);
    EXPECT_EQ(back->EntityCount(), r.written[Idx(EntityType::LwPolyline)] + 5);
    std::remove(path.c_str());
}

TEST(DownConverter, PlainLinesDropFormattingCodes)
{
    using RkWrite::DownConverter;
    const std::vector<std::string> lines =
        DownConverter::PlainLines("\\A1;{\\C1;red} \\\\ \\{x\\}\\Pnext\\~line\\P");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "red \\ {x}");
    EXPECT_EQ(lines[1], "next line");
    EXPECT_EQ(lines[2], "");
}

} // namespace

namespace {

std::size_t SolidEdges(const RkDb::Database& db, std::size_t& solids)
{
    std::size_t edges = 0;
    solids = 0;
    for (const RkDb::Block& block : db.Blocks()) {
        for (const RkDb::EntityPtr& e : block.entities) {
            if (const auto* solid = RkDb::As<RkDb::AcisSolid>(*e)) {
                ++solids;
                edges += solid->edges.size();
            }
        }
    }
    return edges;
}

} // namespace

// 3DSOLID and REGION keep their ACIS data as SAT text in DXF and DWG of R14, 2000 and 2004,
// whichever form (SAT text or binary SAB) they were read from; R12 has no solids and says it left
// them out.
TEST(DrawingWriter, SolidsKeepTheirAcisDataFromR14On)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const std::string source : {"example_2000.dwg", "example_2004.dwg", "example_2013.dxf"}) {
        const auto db = ReadSample(dir + "dwg/" + source);
        ASSERT_TRUE(db) << source;
        std::size_t solids = 0;
        const std::size_t edges = SolidEdges(*db, solids);
        ASSERT_EQ(solids, 3u) << source;
        for (const int file : {DrawingSaver::kDxf, DrawingSaver::kDwg}) {
            for (const int version : kVersions) {
                std::string bytes;
                const WriteReport r = DrawingSaver::Build(*db, file, version, bytes);
                ASSERT_EQ(r.status, SaveStatus::Ok);
                auto back = std::make_unique<RkDb::Database>();
                if (file == DrawingSaver::kDwg) {
                    ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), *back),
                              orvo::dwg::DwgReadResult::Ok);
                } else {
                    back = ReadBack(bytes);
                }
                std::size_t written = 0;
                const std::size_t writtenEdges = SolidEdges(*back, written);
                const std::size_t kind = Idx(EntityType::AcisSolid);
                if (version == 5) {
                    EXPECT_EQ(written, 0u);
                    EXPECT_EQ(r.dropped[kind], 3u);
                    EXPECT_NE(DrawingSaver::Losses(r).find("3 3DSOLID"), std::string::npos) << DrawingSaver::Losses(r);
                } else {
                    EXPECT_EQ(written, 3u) << source << " v" << version;
                    EXPECT_EQ(writtenEdges, edges) << source << " v" << version;
                    EXPECT_EQ(r.dropped[kind], 0u);
                    if (file == DrawingSaver::kDxf) {
                        EXPECT_NE(bytes.find("AcDbModelerGeometry"), std::string::npos);
                    }
                }
            }
        }
    }
}

namespace {

using Edge = std::pair<std::int32_t, std::int32_t>;

Edge Undirected(std::int32_t a, std::int32_t b) { return a < b ? Edge{a, b} : Edge{b, a}; }

} // namespace

// MESH came with 2010: every version gets its polyface mesh, which draws the same edges (a face
// of more than four corners a fan of triangles whose inner edges are hidden).
TEST(DrawingWriter, MeshesBecomePolyfaceMeshesWithTheSameEdges)
{
    RkDb::Database db;
    auto mesh = std::make_unique<RkDb::Mesh>();
    mesh->vertices = {{0, 0, 0}, {4, 0, 0}, {5, 3, 0}, {2, 5, 0}, {-1, 3, 0}, {2, 2, 4}};
    mesh->faces = {{0, 1, 2, 3, 4}, {0, 1, 5}, {1, 2, 5}, {2, 3, 5}, {3, 4, 5}, {4, 0, 5}};
    std::set<Edge> expected;
    for (const auto& face : mesh->faces) {
        for (std::size_t k = 0; k < face.size(); ++k)
            expected.insert(Undirected(face[k], face[(k + 1) % face.size()]));
    }
    db.ModelSpaceBlock().entities.push_back(std::move(mesh));
    for (const int file : {DrawingSaver::kDxf, DrawingSaver::kDwg}) {
        for (const int version : kVersions) {
            std::string bytes;
            const WriteReport r = DrawingSaver::Build(db, file, version, bytes);
            ASSERT_EQ(r.status, SaveStatus::Ok);
            EXPECT_EQ(r.convertedFrom[Idx(EntityType::Mesh)], 1u) << file << " v" << version;
            EXPECT_EQ(r.dropped[Idx(EntityType::Mesh)], 0u);
            auto back = std::make_unique<RkDb::Database>();
            if (file == DrawingSaver::kDwg) {
                ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), *back),
                          orvo::dwg::DwgReadResult::Ok);
            } else {
                back = ReadBack(bytes);
            }
            ASSERT_EQ(back->ModelSpaceBlock().entities.size(), 1u) << file << " v" << version;
            const auto* pl = RkDb::As<RkDb::Polyline>(*back->ModelSpaceBlock().entities[0]);
            ASSERT_NE(pl, nullptr);
            EXPECT_EQ(pl->kind, RkDb::Polyline::Kind::PolyFace);
            std::set<Edge> visible;
            for (const RkDb::PolyVertex& v : pl->vertices) {
                if ((v.flags & 64) != 0)
                    continue;
                int count = 0;
                while (count < 4 && v.faceIndex[count] != 0)
                    ++count;
                for (int k = 0; k < count; ++k) {
                    if (v.faceIndex[k] > 0)
                        visible.insert(Undirected(v.faceIndex[k] - 1, std::abs(v.faceIndex[(k + 1) % count]) - 1));
                }
            }
            EXPECT_EQ(visible, expected) << file << " v" << version;
        }
    }
}
