// Entities drawn from what they store: HELIX, MLINE and LEADER from the single-entity samples
// (checked against the authoring program's property dumps), 3DSOLID/REGION/BODY edges from SAT
// text (built, and from the example drawings), MESH, TOLERANCE, SHAPE, underlays and polyface
// meshes built as DXF; every single-entity sample renders inside its own extents.
#include "DxfBuilder.h"
#include "PortableSupport.h"
#include "RecordingSink.h"
#include "engine/acis/SatReader.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/ModelPainter.h"
#include "engine/dwg/DwgDataStorage.h"
#include "engine/dwg/DwgMemoryBudget.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

namespace {

using namespace RkDb;
using orvo::portable::DxfBuilder;
using orvo::portable::RecordingSink;

std::unique_ptr<Database> ReadDwg(const std::string& path)
{
    const std::string bytes = orvo::portable::ReadWholeFile(path);
    auto db = std::make_unique<Database>();
    if (bytes.empty())
        return nullptr;
    const auto result = orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), *db);
    EXPECT_EQ(result, orvo::dwg::DwgReadResult::Ok) << path;
    return db;
}

std::unique_ptr<Database> ReadDxf(const std::string& data)
{
    auto db = std::make_unique<Database>();
    RkDxf::DxfReader reader(*db);
    EXPECT_EQ(reader.Read(data.data(), data.size()), RkDxf::DxfReader::Status::Ok);
    return db;
}

std::unique_ptr<Database> Entities(const std::function<void(DxfBuilder&)>& add)
{
    DxfBuilder b;
    b.Header("AC1024").Section("ENTITIES");
    add(b);
    b.EndSection().Eof();
    return ReadDxf(b.Ascii());
}

const Entity* FirstOfType(const Database& db, EntityType type)
{
    for (const Block& block : db.Blocks()) {
        for (const EntityPtr& e : block.entities) {
            if (e->type == type)
                return e.get();
        }
    }
    return nullptr;
}

// A value of the property dump ("; Name = value").
std::string DumpValue(const std::string& dump, const std::string& name)
{
    const std::string key = ";   " + name + " = ";
    const std::size_t at = dump.find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t end = dump.find_first_of("\r\n", at);
    return dump.substr(at + key.size(), end - at - key.size());
}

double DumpNumber(const std::string& dump, const std::string& name)
{
    return std::atof(DumpValue(dump, name).c_str());
}

Vec3 DumpPoint(const std::string& dump, const std::string& name)
{
    Vec3 p;
    std::sscanf(DumpValue(dump, name).c_str(), "(%lf %lf %lf", &p.x, &p.y, &p.z);
    return p;
}

struct Drawn
{
    std::size_t marks = 0;        // points of strokes and fills, dots and texts
    std::size_t outside = 0;      // points off the device (beyond a pixel's rounding)
};

// Renders the model space fitted to its extents on a 400 x 300 device.
Drawn Render(const Database& db)
{
    RkDraw::ViewTransform view;
    view.SetDevice(400, 300);
    Vec2 min, max;
    Drawn drawn;
    if (!RkDraw::DrawingRenderer::Extents(db, 0, view, min, max))
        return drawn;
    view.Fit(min, max, 0.98);
    RecordingSink sink;
    RkDraw::RenderOptions options;
    RkDraw::DrawingRenderer(db, sink, options).Draw(0, view);
    const auto count = [&drawn](const RkDraw::DevPoint& p) {
        ++drawn.marks;
        if (p.x < -2 || p.x > 402 || p.y < -2 || p.y > 302)
            ++drawn.outside;
    };
    for (const auto* list : {&sink.strokes, &sink.fills}) {
        for (const RecordingSink::Stroke& s : *list) {
            for (const RkDraw::DevPoint& p : s.points)
                count(p);
        }
    }
    for (const RkDraw::DevPoint& p : sink.dots)
        count(p);
    drawn.marks += sink.texts.size();
    return drawn;
}

TEST(ModelEntities, HelixSamplesMatchTheirDumps)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const std::string version : {"2000", "2018"}) {
        SCOPED_TRACE(version);
        const std::string dump = orvo::portable::ReadWholeFile(dir + "dwg/" + version + "/Helix.txt");
        auto db = ReadDwg(dir + "dwg/" + version + "/Helix.dwg");
        ASSERT_TRUE(db && !dump.empty());
        const auto* helix = As<Helix>(*FirstOfType(*db, EntityType::Helix));
        ASSERT_NE(helix, nullptr);
        EXPECT_EQ(helix->handle, 0x1BFu);
        EXPECT_EQ("\"" + db->Layers()[helix->layer].name + "\"", DumpValue(dump, "Layer"));
        const Vec3 position = DumpPoint(dump, "Position");
        EXPECT_NEAR(helix->axisBase.x, position.x, 1e-4);
        EXPECT_NEAR(helix->axisBase.y, position.y, 1e-4);
        EXPECT_NEAR(helix->topRadius, DumpNumber(dump, "TopRadius"), 1e-4);
        EXPECT_NEAR(Length(helix->start - helix->axisBase), DumpNumber(dump, "BaseRadius"), 1e-4);
        EXPECT_NEAR(helix->turns, DumpNumber(dump, "Turns"), 1e-9);
        EXPECT_NEAR(helix->turnHeight, DumpNumber(dump, "TurnHeight"), 1e-5);
        EXPECT_GT(helix->controlPoints.size(), 4u);
    }
}

TEST(ModelEntities, MultilineFromDwgHasItsElements)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const std::string version : {"2000", "2018"}) {
        SCOPED_TRACE(version);
        const std::string dump = orvo::portable::ReadWholeFile(dir + "dwg/" + version + "/Multiline.txt");
        auto db = ReadDwg(dir + "dwg/" + version + "/Multiline.dwg");
        ASSERT_TRUE(db && !dump.empty());
        const auto* mline = As<MLine>(*FirstOfType(*db, EntityType::MLine));
        ASSERT_NE(mline, nullptr);
        EXPECT_EQ(mline->handle, 0x1BDu);
        const Vec3 first = DumpPoint(dump, "Coordinates");
        ASSERT_FALSE(mline->vertices.empty());
        EXPECT_NEAR(mline->vertices[0].position.x, first.x, 1e-4);
        EXPECT_NEAR(mline->vertices[0].position.y, first.y, 1e-4);
        // The STANDARD style's two elements, half a unit either side.
        ASSERT_EQ(mline->vertices[0].offsets.size(), 2u);
        EXPECT_NEAR(std::fabs(mline->vertices[0].offsets[0] - mline->vertices[0].offsets[1]), 1.0, 1e-9);
    }
}

TEST(ModelEntities, LeaderOfEveryReleaseIsKept)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const std::string path : {"dwg/2000/Leader", "dwg/2018/Leader", "dwg/r14_Leader"}) {
        SCOPED_TRACE(path);
        auto db = ReadDwg(dir + path + ".dwg");
        auto reference = ReadDxf(orvo::portable::ReadWholeFile(dir + path + ".dxf"));
        ASSERT_TRUE(db);
        const auto* leader = FirstOfType(*db, EntityType::Leader);
        const auto* expected = FirstOfType(*reference, EntityType::Leader);
        ASSERT_NE(leader, nullptr);
        ASSERT_NE(expected, nullptr);
        const auto& a = *As<Leader>(*leader);
        const auto& b = *As<Leader>(*expected);
        EXPECT_EQ(a.spline, b.spline);
        ASSERT_EQ(a.vertices.size(), b.vertices.size());
        for (std::size_t i = 0; i < a.vertices.size(); ++i)
            EXPECT_NEAR(Length(a.vertices[i] - b.vertices[i]), 0.0, 1e-6);
    }
}

TEST(ModelEntities, SingleEntitySamplesDrawInsideTheirExtents)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    // ConstructionLine and RAY are infinite lines: drawn clipped to the view, not measured here.
    const char* names[] = {"Arc", "circle", "Donut", "Ellipse", "Helix", "Line", "Multiline", "Point",
                           "PolyLine3D", "Polygon", "Polyline", "Spline", "Text", "Leader"};
    for (const std::string version : {"2000", "2018"}) {
        for (const std::string name : names) {
            SCOPED_TRACE(version + "/" + name);
            auto db = ReadDwg(dir + "dwg/" + version + "/" + name + ".dwg");
            ASSERT_TRUE(db);
            const Drawn drawn = Render(*db);
            EXPECT_GT(drawn.marks, 0u);
            EXPECT_EQ(drawn.outside, 0u);
        }
    }
}

// One box solid (18 edges) and two rectangular regions: SAT text up to 2000, binary SAB in
// 2004-2010, SAB in the data-storage section from 2013.
TEST(ModelEntities, SolidsOfTheExamplesDrawTheirEdges)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const std::string version : {"r13", "r14", "2000", "2004", "2007", "2010", "2013", "2018"}) {
        SCOPED_TRACE(version);
        for (const std::string ext : {".dwg", ".dxf"}) {
            const std::string path = dir + "dwg/example_" + version + ext;
            auto db = ext == ".dwg" ? ReadDwg(path) : ReadDxf(orvo::portable::ReadWholeFile(path));
            ASSERT_TRUE(db);
            std::size_t solids = 0, total = 0;
            for (const Block& block : db->Blocks()) {
                for (const EntityPtr& e : block.entities) {
                    if (const auto* solid = As<AcisSolid>(*e)) {
                        ++solids;
                        total += solid->edges.size();
                        for (const AcisEdge& edge : solid->edges)
                            EXPECT_GT(Length(edge.end - edge.start), 1e-9);
                    }
                }
            }
            EXPECT_EQ(solids, 3u) << ext;
            // The DXF keeps SAT text up to 2010 and SAB in its ACDSDATA section after.
            EXPECT_EQ(total, 26u) << ext;
        }
    }
    // The binary DXF example (a save of its own) holds one region: four edges from its SAB.
    const std::string binary = orvo::portable::ReadWholeFile(dir + "dwg/example_2018.dxfb");
    ASSERT_FALSE(binary.empty());
    auto db = ReadDxf(binary);
    const Entity* region = FirstOfType(*db, EntityType::AcisSolid);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(As<AcisSolid>(*region)->edges.size(), 4u);
}

// SAT text of the three layouts the readers meet: 1.06 (no product line, senses as 0/1), 4.00
// and 7.0+ (a history field after each attribute pointer, parameters in the edge).
TEST(ModelEntities, SatEdgesOfEachLayout)
{
    struct Case
    {
        const char* name;
        std::string sat;
        std::size_t edges;
        AcisEdge::Kind kind;
    };
    const Case cases[] = {
        {"1.06 line", "106 4 1 0\n"
                      "edge $-1 $1 $2 $-1 $3 0 #\n"
                      "vertex $-1 $0 $4 #\nvertex $-1 $0 $5 #\n"
                      "straight-curve $-1 0 0 0 1 0 0 0 0 #\n"
                      "point $-1 0 0 0 #\npoint $-1 10 0 0 #\nEnd-of-ACIS-data\n",
         1, AcisEdge::Kind::Line},
        {"4.00 half circle", "400 6 1 0\n@7 product\n1 1e-06 1e-10\n"
                             "edge $-1 $1 $2 $-1 $3 forward #\n"
                             "vertex $-1 $0 $4 #\nvertex $-1 $0 $5 #\n"
                             "ellipse-curve $-1 0 0 0 0 0 1 5 0 0 1 I I #\n"
                             "point $-1 5 0 0 #\npoint $-1 -5 0 0 #\n",
         1, AcisEdge::Kind::Ellipse},
        {"7.0 full circle", "21200 5 1 0\n16 Autodesk AutoCAD\n1 1e-06 1e-10\n"
                            "edge $-1 -1 $-1 $1 0 $1 6.28 $-1 $2 reversed @7 unknown #\n"
                            "vertex $-1 -1 $-1 $0 2 $3 #\n"
                            "ellipse-curve $-1 -1 $-1 0 0 0 0 0 1 2 0 0 0.5 I I #\n"
                            "point $-1 -1 $-1 2 0 0 #\n",
         1, AcisEdge::Kind::Ellipse},
        {"4.00 spline", "400 6 1 0\nproduct\n1 1e-06 1e-10\n"
                        "edge $-1 $1 $2 $-1 $3 forward #\n"
                        "vertex $-1 $0 $4 #\nvertex $-1 $0 $5 #\n"
                        "intcurve-curve $-1 forward { exactcur nubs 3 open 2 0 3 1 3 "
                        "0 0 0 1 2 0 2 2 0 3 0 0 0 F 0 F 1 } I I #\n"
                        "point $-1 0 0 0 #\npoint $-1 3 0 0 #\n",
         1, AcisEdge::Kind::Spline},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<AcisEdge> edges;
        ASSERT_TRUE(RkAcis::SatReader::ReadEdges(c.sat, edges, 100));
        ASSERT_EQ(edges.size(), c.edges);
        EXPECT_EQ(edges[0].kind, c.kind);
    }
    std::vector<AcisEdge> edges;
    RkAcis::SatReader::ReadEdges(cases[1].sat, edges, 100);
    EXPECT_NEAR(edges[0].endParam - edges[0].startParam, 3.14159265358979, 1e-9);
    edges.clear();
    RkAcis::SatReader::ReadEdges(cases[3].sat, edges, 100);
    EXPECT_EQ(edges[0].controlPoints.size(), 4u);
    EXPECT_EQ(edges[0].knots.size(), 8u);
    // Enciphering is its own inverse.
    EXPECT_EQ(RkAcis::SatReader::Decipher(RkAcis::SatReader::Decipher("edge $-1 #")), "edge $-1 #");
    EXPECT_EQ(RkAcis::SatReader::Decipher("=0;&"), "body");
}

// A small SAB body: the header, one straight edge between two vertices, the end marker.
std::string SabSample()
{
    std::string sab = "ACIS BinaryFile";
    const auto raw32 = [&sab](std::int32_t v) { sab.append(reinterpret_cast<const char*>(&v), 4); };
    const auto tag32 = [&](char tag, std::int32_t v) { sab += tag; raw32(v); };
    const auto tagDouble = [&sab](char tag, std::initializer_list<double> values) {
        sab += tag;
        for (const double v : values)
            sab.append(reinterpret_cast<const char*>(&v), 8);
    };
    const auto name = [&sab](char tag, const std::string& text) {
        sab += tag;
        sab += static_cast<char>(text.size());
        sab += text;
    };
    raw32(21500); raw32(0); raw32(1); raw32(0);
    name('\x07', "test"); name('\x07', "ASM"); name('\x07', "today");
    tagDouble('\x06', {1.0}); tagDouble('\x06', {1e-6}); tagDouble('\x06', {1e-10});
    name('\x0d', "edge"); tag32('\x0c', -1); tag32('\x04', -1); tag32('\x0c', -1);
    tag32('\x0c', 1); tagDouble('\x06', {0.0}); tag32('\x0c', 2); tagDouble('\x06', {5.0});
    tag32('\x0c', -1); tag32('\x0c', 3); sab += '\x0b'; name('\x07', "unknown"); sab += '\x11';
    for (int point : {4, 5}) {
        name('\x0d', "vertex"); tag32('\x0c', -1); tag32('\x04', -1); tag32('\x0c', -1);
        tag32('\x0c', 0); tag32('\x0c', point); sab += '\x11';
    }
    name('\x0e', "straight"); name('\x0d', "curve"); tag32('\x0c', -1); tag32('\x04', -1);
    tag32('\x0c', -1); tagDouble('\x13', {0, 0, 0}); tagDouble('\x16', {1, 0, 0});
    sab += "\x0b\x0b\x11";
    for (double x : {0.0, 5.0}) {
        name('\x0d', "point"); tag32('\x0c', -1); tag32('\x04', -1); tag32('\x0c', -1);
        tagDouble('\x13', {x, 1, 2}); sab += '\x11';
    }
    name('\x0e', "End"); name('\x0e', "of"); name('\x0e', "ASM"); name('\x0d', "data");
    return sab;
}

TEST(ModelEntities, SabReadsAsSat)
{
    const std::string sab = SabSample();
    std::string sat;
    ASSERT_TRUE(RkAcis::SatReader::SabToSat(sab, sat, 1 << 20));
    std::vector<AcisEdge> edges;
    ASSERT_TRUE(RkAcis::SatReader::ReadEdges(sat, edges, 10)) << sat;
    ASSERT_EQ(edges.size(), 1u) << sat;
    EXPECT_EQ(edges[0].kind, AcisEdge::Kind::Line);
    EXPECT_NEAR(edges[0].end.x, 5.0, 1e-12);
    EXPECT_NEAR(edges[0].end.z, 2.0, 1e-12);
    // Cut anywhere, or with a tag it does not know, the data gives no more than it holds.
    for (std::size_t cut = 0; cut < sab.size(); ++cut) {
        std::string partial;
        std::vector<AcisEdge> some;
        if (RkAcis::SatReader::SabToSat(sab.substr(0, cut), partial, 1 << 20))
            RkAcis::SatReader::ReadEdges(partial, some, 10);
        EXPECT_LE(some.size(), 1u);
    }
    std::string broken = sab;
    broken[sab.find("vertex") - 3] = '\x7f';   // an unknown tag in place of the edge's end
    std::string cut;
    std::vector<AcisEdge> none;
    ASSERT_TRUE(RkAcis::SatReader::SabToSat(broken, cut, 1 << 20));
    RkAcis::SatReader::ReadEdges(cut, none, 10);
    EXPECT_TRUE(none.empty()) << cut;
    EXPECT_FALSE(RkAcis::SatReader::SabToSat("not SAB", sat, 100));
    std::string small;
    ASSERT_TRUE(RkAcis::SatReader::SabToSat(sab, small, 40));
    EXPECT_LE(small.size(), 40u + 64u);    // the header, then nothing past the limit
}

// Little-endian fields and segment headers written into a data-storage section being built.
struct SectionWriter
{
    std::vector<uint8_t>& s;
    void Put32(std::size_t at, std::uint32_t v) const { std::memcpy(&s[at], &v, 4); }
    void Put64(std::size_t at, std::uint64_t v) const { std::memcpy(&s[at], &v, 8); }
    void Segment(std::size_t at, const char* name) const
    {
        s[at] = 0xAC;
        s[at + 1] = 0xD5;
        std::memcpy(&s[at + 2], name, 6);
    }
};

// A data-storage section as 2013 and later DWG keep it: header, segment index, data index and
// one "_data_" segment whose only record holds the SAB of handle 0x2E1.
std::vector<uint8_t> DataStorageSection(const std::string& sab)
{
    std::vector<uint8_t> s(0x200, 0);
    const SectionWriter w{s};
    const auto put32 = [&w](std::size_t at, std::uint32_t v) { w.Put32(at, v); };
    const auto put64 = [&w](std::size_t at, std::uint64_t v) { w.Put64(at, v); };
    const auto segment = [&w](std::size_t at, const char* name) { w.Segment(at, name); };
    std::memcpy(&s[0], "jard", 4);
    put64(0x18, 0x80);              // segment index
    put32(0x20, 3);                 // segments
    segment(0x80, "segidx");
    put64(0xB0, 0x80); put32(0xB8, 0x80);
    put64(0xBC, 0x100); put32(0xC4, 0x80);
    const std::size_t dataSize = 0x30 + 20 + 4 + sab.size();
    put64(0xC8, 0x180); put32(0xD0, static_cast<std::uint32_t>(dataSize));
    segment(0x100, "datidx");
    put32(0x130, 1);                // one record: segment 2, table offset 0
    put32(0x138, 2); put32(0x13C, 0); put32(0x140, 1);
    segment(0x180, "_data_");
    s.resize(0x180 + dataSize);
    put32(0x1B0, 20); put32(0x1B4, 1); put64(0x1B8, 0x2E1); put32(0x1C0, 0);
    put32(0x1C4, static_cast<std::uint32_t>(sab.size()));
    std::memcpy(&s[0x1C8], sab.data(), sab.size());
    return s;
}

TEST(ModelEntities, DataStorageGivesTheSabOfItsObjects)
{
    const std::string sab = SabSample();
    const std::vector<uint8_t> section = DataStorageSection(sab);
    orvo::dwg::DwgDataStorage storage;
    storage.Read(section);
    EXPECT_EQ(storage.AcisData(0x2E1), sab);
    EXPECT_TRUE(storage.AcisData(0x2E2).empty());
    Database db;
    auto solid = std::make_unique<AcisSolid>();
    solid->handle = 0x2E1;
    db.ModelSpaceBlock().entities.push_back(std::move(solid));
    orvo::dwg::DwgMemoryBudget budget(1 << 24);
    storage.ApplyTo(db, budget);
    EXPECT_EQ(As<AcisSolid>(*db.ModelSpaceBlock().entities[0])->edges.size(), 1u);
    // Every byte changed, and every length cut: no read past the section, no stray record.
    for (std::size_t at = 0; at < section.size(); ++at) {
        std::vector<uint8_t> damaged = section;
        damaged[at] ^= 0xFF;
        orvo::dwg::DwgDataStorage other;
        other.Read(damaged);
        EXPECT_LE(other.Count(), 1u);
        std::vector<uint8_t> cut(section.begin(), section.begin() + static_cast<std::ptrdiff_t>(at));
        other.Read(cut);
        EXPECT_EQ(other.Count(), 0u);
    }
}

// A section whose table of three records ends off a multiple of 8 (its data start at the next
// one), and whose middle record is too large for its segment: a reference to two "blob01"
// segments that hold its halves.
std::vector<uint8_t> BlobDataStorageSection(const std::string& sab)
{
    std::vector<uint8_t> s(0x400, 0);
    const SectionWriter w{s};
    const auto put32 = [&w](std::size_t at, std::uint32_t v) { w.Put32(at, v); };
    const auto put64 = [&w](std::size_t at, std::uint64_t v) { w.Put64(at, v); };
    const auto segment = [&w](std::size_t at, const char* name) { w.Segment(at, name); };
    const std::size_t half = sab.size() / 2;
    const std::size_t parts[2] = {half, sab.size() - half};
    std::memcpy(&s[0], "jard", 4);
    put64(0x18, 0x80);
    put32(0x20, 5);
    segment(0x80, "segidx");
    // Data: the table (3 x 20 = 60 bytes, then 4 of padding), an inline SAB, the reference, an
    // inline SAB.
    const std::size_t inlineSize = 4 + sab.size();
    const std::size_t refSize = 4 + 16 + 8 + 8 + 16;
    const std::size_t dataSize = 0x30 + 64 + 2 * inlineSize + refSize;
    const std::size_t dataAt = 0x200, blobAt[2] = {dataAt + ((dataSize + 15) & ~std::size_t{15}), 0};
    const std::size_t blobSize[2] = {0x30 + 32 + parts[0], 0x30 + 32 + parts[1]};
    const std::size_t secondAt = blobAt[0] + ((blobSize[0] + 15) & ~std::size_t{15});
    const std::size_t places[5][2] = {{0x80, 0x80}, {0x100, 0x80}, {dataAt, dataSize}, {blobAt[0], blobSize[0]},
                                      {secondAt, blobSize[1]}};
    for (int i = 0; i < 5; ++i) {
        put64(0xB0 + 12 * i, places[i][0]);
        put32(0xB8 + 12 * i, static_cast<std::uint32_t>(places[i][1]));
    }
    segment(0x100, "datidx");
    put32(0x130, 3);
    for (int i = 0; i < 3; ++i) {
        put32(0x138 + 12 * i, 2);
        put32(0x13C + 12 * i, static_cast<std::uint32_t>(20 * i));
    }
    s.resize(secondAt + blobSize[1]);
    segment(dataAt, "_data_");
    const std::size_t table = dataAt + 0x30, data = table + 64;
    const std::uint64_t handles[3] = {0x2E0, 0x2E1, 0x2E2};
    const std::size_t offsets[3] = {0, inlineSize, inlineSize + refSize};
    for (int i = 0; i < 3; ++i) {
        put32(table + 20 * i, 20);
        put32(table + 20 * i + 4, 1);
        put64(table + 20 * i + 8, handles[i]);
        put32(table + 20 * i + 16, static_cast<std::uint32_t>(offsets[i]));
    }
    for (const std::size_t at : {data + offsets[0], data + offsets[2]}) {
        put32(at, static_cast<std::uint32_t>(sab.size()));
        std::memcpy(&s[at + 4], sab.data(), sab.size());
    }
    const std::size_t ref = data + offsets[1];
    put32(ref, 0xBB106BB1);
    put64(ref + 4, sab.size());
    put32(ref + 12, 2);
    put32(ref + 16, static_cast<std::uint32_t>(refSize - 4));
    put32(ref + 20, static_cast<std::uint32_t>(parts[0]));
    put32(ref + 24, static_cast<std::uint32_t>(parts[1]));
    put32(ref + 36, 3); put32(ref + 40, static_cast<std::uint32_t>(parts[0]));
    put32(ref + 44, 4); put32(ref + 48, static_cast<std::uint32_t>(parts[1]));
    std::size_t place = 0;
    for (int i = 0; i < 2; ++i) {
        const std::size_t at = i == 0 ? blobAt[0] : secondAt;
        segment(at, "blob01");
        put64(at + 0x30, sab.size());
        put64(at + 0x38, place);
        put32(at + 0x40, static_cast<std::uint32_t>(i));
        put32(at + 0x44, 2);
        put64(at + 0x48, parts[i]);
        std::memcpy(&s[at + 0x50], sab.data() + place, parts[i]);
        place += parts[i];
    }
    return s;
}

TEST(ModelEntities, DataStorageJoinsRecordsKeptInBlobSegments)
{
    const std::string sab = SabSample();
    const std::vector<uint8_t> section = BlobDataStorageSection(sab);
    orvo::dwg::DwgDataStorage storage;
    storage.Read(section);
    for (const std::uint64_t handle : {0x2E0u, 0x2E1u, 0x2E2u})
        EXPECT_EQ(storage.AcisData(handle), sab) << std::hex << handle;
    // A part out of place, of another total or missing leaves that record out, never garbage.
    const std::size_t secondPart = section.size() - (sab.size() - sab.size() / 2);
    for (const std::size_t at : {secondPart - 24, secondPart - 32}) {
        std::vector<uint8_t> damaged = section;
        damaged[at] ^= 0x01;
        orvo::dwg::DwgDataStorage other;
        other.Read(damaged);
        EXPECT_TRUE(other.AcisData(0x2E1).empty()) << at;
        EXPECT_EQ(other.AcisData(0x2E2), sab);
    }
    for (std::size_t at = 0; at < section.size(); at += 3) {
        std::vector<uint8_t> damaged = section;
        damaged[at] ^= 0xFF;
        orvo::dwg::DwgDataStorage other;
        other.Read(damaged);
        for (const std::uint64_t handle : {0x2E0u, 0x2E1u, 0x2E2u}) {
            const std::string_view data = other.AcisData(handle);
            EXPECT_LE(data.size(), sab.size()) << at;
        }
    }
}

// "only 3D solids (ACIS, 2018 format) in one block insert; draws nothing": the six solids keep
// their data in the data storage, two of them in blob segments, and their edges (arcs as arcs,
// tolerant vertices and edges too) lie within the drawing's saved extents.
TEST(ModelEntities, ConnectingRodSolidsDrawTheirEdges)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    auto db = ReadDwg(dir + "dwg/real/connecting_rod.dwg");
    ASSERT_TRUE(db);
    std::size_t solids = 0, edges = 0;
    for (const Block& block : db->Blocks()) {
        for (const EntityPtr& e : block.entities) {
            const auto* solid = As<AcisSolid>(*e);
            if (!solid)
                continue;
            ++solids;
            edges += solid->edges.size();
            EXPECT_GE(solid->edges.size(), 4u) << std::hex << solid->handle;
        }
    }
    EXPECT_EQ(solids, 6u);
    EXPECT_GT(edges, 300u);
    Vec2 min, max;
    ASSERT_TRUE(RkDraw::DrawingRenderer::Extents(*db, 0, RkDraw::ViewTransform(), min, max));
    const DrawingHeader& h = db->Header();
    EXPECT_NEAR(min.x, h.extMin.x, 1.0);
    EXPECT_NEAR(min.y, h.extMin.y, 1.0);
    EXPECT_NEAR(max.x, h.extMax.x, 1.0);
    EXPECT_NEAR(max.y, h.extMax.y, 1.0);
}

TEST(ModelEntities, HostileSatGivesBoundedEdges)
{
    const std::string hostile[] = {
        "",
        "garbage",
        "400 1 1 0\n\n\nedge $5 $6 $7 $8 #",                                     // pointers past the end
        "400 1 1 0\n\n\nedge $0 $0 $0 $0 #",                                     // pointers to itself
        "400 1 1 0\n\n\nedge $-1 $1 $1 $-1 $2 forward #\nvertex $-1 $0 $1 #\n"
        "intcurve-curve $-1 forward { exactcur nubs 3 open 999999999 0 3 #",     // knot count past the text
        "400 1 1 0\n\n\nedge $-1 $-1 $-1 $-1 $1 forward #\n"
        "intcurve-curve $-1 forward { nurbs 99 open 2 0 99 1 99 #",              // degree out of range
        "400 1 1 0\n\n\nedge $-1 $1 $1 $-1 $2 forward #\nvertex $-1 $0 $3 #\n"
        "ellipse-curve $-1 0 0 0 0 0 1 0 0 0 1 I I #\npoint $-1 1 0 0 #",        // zero axis
        "400 1 1 0\n\n\nedge @99999 x #",
    };
    for (const std::string& sat : hostile) {
        std::vector<AcisEdge> edges;
        RkAcis::SatReader::ReadEdges(sat, edges, 10);
        EXPECT_TRUE(edges.empty()) << sat;
    }
    // Thousands of edges sharing one curve read it once; the count stops at the limit.
    std::string many = "400 1 1 0\n\n\n";
    for (int i = 0; i < 5000; ++i)
        many += "edge $-1 $-1 $-1 $-1 $5000 forward #\n";
    many += "ellipse-curve $-1 0 0 0 0 0 1 1 0 0 1 I I #\n";
    std::vector<AcisEdge> edges;
    ASSERT_TRUE(RkAcis::SatReader::ReadEdges(many, edges, 10));
    EXPECT_EQ(edges.size(), 1u);
}

std::string Enciphered(const std::string& sat)
{
    return RkAcis::SatReader::Decipher(sat);
}

TEST(ModelEntities, BuiltEntitiesAreReadAndDrawn)
{
    struct Case
    {
        const char* name;
        EntityType type;
        std::function<void(DxfBuilder&)> add;
    };
    const Case cases[] = {
        {"REGION", EntityType::AcisSolid,
         [](DxfBuilder& b) {
             b.S(0, "REGION").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbModelerGeometry").I(70, 1);
             for (const char* line : {"400 6 1 0", "@7 product", "1 1e-06 1e-10",
                                      "edge $-1 $1 $2 $-1 $3 forward #", "vertex $-1 $0 $4 #",
                                      "vertex $-1 $0 $5 #", "straight-curve $-1 0 0 0 1 0 0 I I #",
                                      "point $-1 0 0 0 #", "point $-1 10 5 0 #"})
                 b.S(1, Enciphered(line));
         }},
        {"HELIX", EntityType::Helix,
         [](DxfBuilder& b) {
             b.S(0, "HELIX").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbSpline").I(70, 8).I(71, 1)
                 .I(72, 4).I(73, 2).D(40, 0).D(40, 0).D(40, 1).D(40, 1).P(10, 0, 0).P(10, 10, 5)
                 .S(100, "AcDbHelix").I(90, 29).I(91, 63).P(10, 1, 2).P(11, 3, 2).P(12, 0, 0, 1)
                 .D(40, 2).D(41, 3).D(42, 0.5).I(290, 1).I(280, 1);
         }},
        {"MESH", EntityType::Mesh,
         [](DxfBuilder& b) {
             b.S(0, "MESH").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbSubDMesh").I(71, 2).I(72, 0)
                 .I(91, 0).I(92, 4).P(10, 0, 0).P(10, 10, 0).P(10, 10, 5).P(10, 0, 5).I(93, 5)
                 .I(90, 4).I(90, 0).I(90, 1).I(90, 2).I(90, 3).I(94, 0).I(95, 0);
         }},
        {"TOLERANCE", EntityType::Tolerance,
         [](DxfBuilder& b) {
             b.S(0, "TOLERANCE").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbFcf").S(3, "Standard")
                 .P(10, 0, 0).S(1, "{\\Fgdt;j}%%v{\\Fgdt;n}0.5{\\Fgdt;m}%%vA^J{\\Fgdt;r}%%v1")
                 .P(11, 1, 0);
         }},
        {"SHAPE", EntityType::Shape,
         [](DxfBuilder& b) {
             b.S(0, "SHAPE").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbShape").P(10, 2, 2).D(40, 3)
                 .S(2, "DIODE").D(50, 30);
         }},
        {"PDFUNDERLAY", EntityType::Underlay,
         [](DxfBuilder& b) {
             b.S(0, "PDFUNDERLAY").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbUnderlayReference")
                 .S(340, "2A").P(10, 5, 5).D(41, 2).D(42, 2).D(43, 1).D(50, 0).I(280, 2)
                 .D(11, 0).D(21, 0).D(11, 4).D(21, 3);
         }},
        {"polyface POLYLINE", EntityType::Polyline,
         [](DxfBuilder& b) {
             b.S(0, "POLYLINE").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbPolyFaceMesh").I(66, 1)
                 .P(10, 0, 0).I(70, 64).I(71, 3).I(72, 1);
             for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{10, 0, 0}, Vec3{0, 10, 0}})
                 b.S(0, "VERTEX").S(8, "0").P(10, p.x, p.y, p.z).I(70, 192);
             b.S(0, "VERTEX").S(8, "0").P(10, 0, 0).I(70, 128).I(71, 1).I(72, 2).I(73, 3);
             b.S(0, "SEQEND");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto db = Entities(c.add);
        const Entity* e = FirstOfType(*db, c.type);
        ASSERT_NE(e, nullptr);
        const Drawn drawn = Render(*db);
        EXPECT_GT(drawn.marks, 0u);
        EXPECT_EQ(drawn.outside, 0u);
    }
    auto helix = Entities(cases[1].add);
    const auto* h = As<Helix>(*FirstOfType(*helix, EntityType::Helix));
    EXPECT_EQ(h->controlPoints.size(), 2u);
    EXPECT_NEAR(h->axisBase.x, 1.0, 1e-12);
    EXPECT_NEAR(h->topRadius, 2.0, 1e-12);
    EXPECT_NEAR(h->turns, 3.0, 1e-12);
    auto mesh = Entities(cases[2].add);
    const auto* m = As<Mesh>(*FirstOfType(*mesh, EntityType::Mesh));
    ASSERT_EQ(m->faces.size(), 1u);
    EXPECT_EQ(m->faces[0].size(), 4u);
    auto underlay = Entities(cases[5].add);
    EXPECT_EQ(As<Underlay>(*FirstOfType(*underlay, EntityType::Underlay))->clipBoundary.size(), 2u);
}

// TOLERANCE and SHAPE of the DWG samples hold what their DXF exports hold.
TEST(ModelEntities, ToleranceAndShapeMatchTheirDxfExports)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const std::string path : {"dwg/example_r14", "dwg/example_2000", "dwg/example_2010", "dwg/example_2018"}) {
        SCOPED_TRACE(path);
        auto db = ReadDwg(dir + path + ".dwg");
        auto reference = ReadDxf(orvo::portable::ReadWholeFile(dir + path + ".dxf"));
        ASSERT_TRUE(db);
        const Entity* found = FirstOfType(*db, EntityType::Tolerance);
        const Entity* expected = FirstOfType(*reference, EntityType::Tolerance);
        ASSERT_TRUE(found && expected);
        const auto& a = *As<Tolerance>(*found);
        const auto& b = *As<Tolerance>(*expected);
        EXPECT_EQ(a.text, b.text);
        EXPECT_NEAR(Length(a.insertion - b.insertion), 0.0, 1e-6);
        EXPECT_NEAR(Length(a.xDirection - b.xDirection), 0.0, 1e-9);
        ASSERT_GE(a.dimStyle, 0);
        EXPECT_EQ(db->DimStyles()[a.dimStyle].name, reference->DimStyles()[b.dimStyle].name);
    }
    auto db = ReadDwg(dir + "dwg/2000/entities-2d.dwg");
    auto reference = ReadDxf(orvo::portable::ReadWholeFile(dir + "dwg/2000/entities-2d.dxf"));
    ASSERT_TRUE(db);
    const Entity* found = FirstOfType(*db, EntityType::Shape);
    const Entity* expected = FirstOfType(*reference, EntityType::Shape);
    ASSERT_TRUE(found && expected);
    const auto& a = *As<Shape>(*found);
    const auto& b = *As<Shape>(*expected);
    EXPECT_NEAR(Length(a.insertion - b.insertion), 0.0, 1e-9);
    EXPECT_NEAR(a.size, b.size, 1e-9);
    EXPECT_NEAR(a.rotation, b.rotation, 1e-9);
    EXPECT_GT(Render(*db).marks, 0u);
}

// A spline-path leader is a smooth curve through its vertices; a straight one keeps its corners.
TEST(ModelEntities, SplineLeaderPassesThroughItsVertices)
{
    for (const int path : {0, 1}) {
        SCOPED_TRACE(path);
        auto db = Entities([path](DxfBuilder& b) {
            b.S(0, "LEADER").S(8, "0").S(100, "AcDbEntity").S(100, "AcDbLeader").I(71, 0).I(72, path)
                .I(76, 3).P(10, 10, 10).P(10, 50, 50).P(10, 90, 20);
        });
        RkDraw::ViewTransform view;
        view.SetDevice(100, 100);
        view.SetArea({50, 50}, 100);
        RecordingSink sink;
        RkDraw::RenderOptions options;
        RkDraw::DrawingRenderer(*db, sink, options).Draw(0, view);
        ASSERT_EQ(sink.strokes.size(), 1u);
        const auto& points = sink.strokes[0].points;
        double nearest = 1e9;
        for (const RkDraw::DevPoint& p : points)
            nearest = std::min(nearest, std::hypot(p.x - 50.0, p.y - 50.0));
        EXPECT_LT(nearest, 0.5);
        EXPECT_EQ(points.size() > 8u, path == 1);
        EXPECT_EQ(points.size() == 3u, path == 0);
    }
}

TEST(ModelEntities, ToleranceTextSplitsIntoBoxes)
{
    const auto cells = RkDraw::ModelPainter::ToleranceCells("{\\Fgdt;r}%%v1%%v2%%v%%v%%v\n10");
    ASSERT_EQ(cells.size(), 2u);
    ASSERT_EQ(cells[0].size(), 3u);
    EXPECT_EQ(cells[0][0], "\xE2\x97\x8E");     // concentricity
    EXPECT_EQ(cells[0][1], "1");
    ASSERT_EQ(cells[1].size(), 1u);
    EXPECT_EQ(cells[1][0], "10");
}

} // namespace
