// The reader of DWG files before R13 (R9, R10, R11/R12) against the shared samples and their DXF
// exports (every block's entities in order, with their key values; layers; header extents), and
// against small drawings built here, whole and damaged.
#include "engine/db/AreaEntities.h"
#include "engine/db/BlockEntities.h"
#include "engine/db/TextEntities.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/ByteString.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;
using orvo::test::LeDoubles;
using orvo::test::PutLe16;
using orvo::test::PutLe32;
using RkDb::EntityType;

std::string Num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.5f", std::fabs(v) < 5e-6 ? 0.0 : v);
    return text;
}

std::string Pt(const RkDb::Vec3& p) { return "(" + Num(p.x) + "," + Num(p.y) + "," + Num(p.z) + ")"; }

std::string BlockName(const RkDb::Database& db, std::int32_t block)
{
    return block >= 0 ? db.Blocks()[block].name : std::string("?");
}

// The type, layer and key values of one entity, as both readers must give them.
std::string Describe(const RkDb::Database& db, const RkDb::Entity& e)
{
    std::string s = std::string(RkDb::EntityTypeName(e.type)) + " " + db.Layers()[e.layer].name + " ";
    if (auto* l = RkDb::As<RkDb::Line>(e))
        s += Pt(l->start) + Pt(l->end);
    else if (auto* p = RkDb::As<RkDb::Point>(e))
        s += Pt(p->position);
    else if (auto* c = RkDb::As<RkDb::Circle>(e))
        s += Pt(c->center) + Num(c->radius);
    else if (auto* a = RkDb::As<RkDb::Arc>(e))
        s += Pt(a->center) + Num(a->radius) + Num(a->startAngle) + Num(a->endAngle);
    else if (auto* t = RkDb::As<RkDb::Text>(e))
        s += Pt(t->text.insertion) + Num(t->text.height) + t->text.value + Num(t->text.rotation);
    else if (auto* d = RkDb::As<RkDb::AttributeDefinition>(e))
        s += Pt(d->text.insertion) + d->tag + "=" + d->text.value + Num(d->text.rotation);
    else if (auto* i = RkDb::As<RkDb::Insert>(e)) {
        s += BlockName(db, i->block) + Pt(i->insertion) + Pt(i->scale) + Num(i->rotation);
        for (const auto& attribute : i->attributes)
            s += " " + attribute->tag + "=" + attribute->text.value + Pt(attribute->text.insertion);
    } else if (auto* pl = RkDb::As<RkDb::Polyline>(e)) {
        s += std::to_string(pl->vertices.size()) + (pl->closed ? " closed" : " open");
        for (const RkDb::PolyVertex& v : pl->vertices)
            s += Pt(RkDb::Vec3{v.position.x, v.position.y, 0.0});
    } else if (auto* so = RkDb::As<RkDb::Solid>(e))
        s += Pt(so->corners[0]) + Pt(so->corners[2]) + Pt(so->corners[3]);
    else if (auto* tr = RkDb::As<RkDb::Trace>(e))
        s += Pt(tr->corners[0]) + Pt(tr->corners[3]);
    else if (auto* f = RkDb::As<RkDb::Face3d>(e))
        s += Pt(f->corners[0]) + Pt(f->corners[1]) + Pt(f->corners[2]) + Pt(f->corners[3]);
    else if (auto* dim = RkDb::As<RkDb::Dimension>(e))
        s += BlockName(db, dim->block) + Pt(dim->definitionPoint) + std::to_string(dim->dimType) +
             Pt(dim->points[0]) + Pt(dim->points[1]);
    return s;
}

// Every block's entities, described, keyed by the block's name.
std::vector<std::string> DescribeAll(const RkDb::Database& db)
{
    std::vector<std::string> out;
    for (std::int32_t b = 0; b < db.Blocks().Count(); ++b) {
        const RkDb::Block& block = db.Blocks()[b];
        for (const RkDb::EntityPtr& e : block.entities)
            out.push_back(block.name + ": " + Describe(db, *e));
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool ReadDxfFile(const std::string& path, RkDb::Database& db)
{
    const std::string data = orvo::portable::ReadWholeFile(path);
    RkDxf::DxfReader reader(db);
    return !data.empty() && reader.Read(data.data(), data.size()) == RkDxf::DxfReader::Status::Ok;
}

DwgReadResult ReadDwgBytes(const std::string& data, RkDb::Database& db)
{
    return DwgReader().Read(std::vector<uint8_t>(data.begin(), data.end()), db);
}

class DwgPreR13Samples : public ::testing::TestWithParam<const char*>
{
};

TEST_P(DwgPreR13Samples, MatchTheirDxfExport)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::string base = orvo::portable::SamplePath(dir, std::string("dwg/pre-r13/") + GetParam());
    RkDb::Database dwg, dxf;
    ASSERT_EQ(ReadDwgBytes(orvo::portable::ReadWholeFile(base + ".dwg"), dwg), DwgReadResult::Ok);
    ASSERT_TRUE(ReadDxfFile(base + ".dxf", dxf));
    EXPECT_EQ(dwg.CountByType(), dxf.CountByType());
    const std::vector<std::string> described = DescribeAll(dwg);
    EXPECT_GE(dwg.ModelSpaceBlock().entities.size(), 12u);
    EXPECT_EQ(described, DescribeAll(dxf));
    if (std::getenv("ORVO_PRINT_PRE_R13"))
        for (const std::string& line : described)
            std::printf("%s\n", line.c_str());
    ASSERT_EQ(dwg.Layers().Count(), dxf.Layers().Count());
    for (std::int32_t i = 0; i < dxf.Layers().Count(); ++i) {
        const std::int32_t found = dwg.Layers().Find(dxf.Layers()[i].name);
        ASSERT_GE(found, 0) << dxf.Layers()[i].name;
        EXPECT_EQ(dwg.Layers()[found].color.Index(), dxf.Layers()[i].color.Index());
    }
    EXPECT_NEAR(dwg.Header().extMax.x, dxf.Header().extMax.x, 1e-6);
    EXPECT_NEAR(dwg.Header().extMax.y, dxf.Header().extMax.y, 1e-6);
    EXPECT_EQ(dwg.Header().acadVer, dxf.Header().acadVer);
    const std::int32_t view = dxf.ViewportRecords().Find("*ACTIVE");
    if (view >= 0) {
        const std::int32_t read = dwg.ViewportRecords().Find("*ACTIVE");
        ASSERT_GE(read, 0);
        EXPECT_NEAR(dwg.ViewportRecords()[read].height, dxf.ViewportRecords()[view].height, 1e-6);
        EXPECT_NEAR(dwg.ViewportRecords()[read].center.x, dxf.ViewportRecords()[view].center.x, 1e-6);
        EXPECT_NEAR(dwg.ViewportRecords()[read].aspect, dxf.ViewportRecords()[view].aspect, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Releases, DwgPreR13Samples,
                         ::testing::Values("r9_entities", "r10_entities", "r11_entities-2d", "r11_entities-3d"));

} // namespace

namespace {

// A small R11 drawing: two layers, a LINE, a CIRCLE with an elevation, a TEXT, and a POINT
// reached through a jump into the extra entities section and a jump back.
class R11Builder
{
public:
    static constexpr size_t kHeader = 0x700;

    std::string Build() const
    {
        std::string file(kHeader, '\0');
        file.replace(0, 6, "AC1009");
        const size_t layers = file.size();
        AppendLayer(file, "0", 7);
        AppendLayer(file, "WALLS", 1);
        const size_t entitiesBegin = file.size();
        std::string entities;
        entities += Record(1, 0x00, 1, 0, LeDoubles({1, 2, 3, 4, 5, 6}));           // LINE in 3D
        // CIRCLE with elevation 7 and handle 12C
        entities += Record(3, 0x24, 0, 0, LeDoubles({7}) + std::string("\x02\x01\x2C", 3) + LeDoubles({8, 9, 2.5}));
        entities += Record(7, 0x00, 1, 0, LeDoubles({1, 1, 0.5}) + Text("NOTE"));   // TEXT
        entities += Jump(0x80000000u);                                            // to the extras
        const size_t resume = entitiesBegin + entities.size();
        entities += Record(2, 0x04, 1, 0, LeDoubles({10, 11}));                     // POINT, 2D
        const size_t entitiesEnd = entitiesBegin + entities.size();
        file += entities;
        const size_t extrasBegin = file.size();
        const std::string extras =
            Record(2, 0x00, 0, 0, LeDoubles({20, 21, 22})) + Jump(static_cast<uint32_t>(resume));
        file += extras;
        PutLe32(file, 0x14, entitiesBegin);
        PutLe32(file, 0x18, entitiesEnd);
        PutLe32(file, 0x1C, file.size());
        PutLe32(file, 0x20, 0x40000000u);
        PutLe32(file, 0x24, extrasBegin);
        PutLe32(file, 0x28, 0x80000000u | extras.size());
        PutTable(file, 0x2C + 10, 41, 2, layers);                                 // LAYER
        for (const size_t empty : {0x2Cu, 0x2Cu + 20, 0x2Cu + 30, 0x2Cu + 40, 0x3EFu, 0x500u, 0x512u, 0x522u, 0x69Fu})
            PutTable(file, empty, 1, 0, file.size());
        PutDouble(file, 0x132, 1.0);
        return file;
    }

    static void PutDouble(std::string& s, size_t at, double v)
    {
        std::memcpy(&s[at], &v, sizeof v);
    }

private:
    static void PutTable(std::string& s, size_t at, uint16_t itemSize, uint16_t count, size_t begin)
    {
        PutLe16(s, at, itemSize);
        PutLe16(s, at + 2, count);
        PutLe32(s, at + 6, begin);
    }
    static void AppendLayer(std::string& s, const char* name, int16_t color)
    {
        std::string record(41, '\0');
        std::memcpy(&record[1], name, std::strlen(name));
        PutLe16(record, 35, static_cast<uint16_t>(color));
        s += record;
    }
    static std::string Text(const char* text)
    {
        std::string out(2, '\0');
        PutLe16(out, 0, std::strlen(text));
        return out + text;
    }
    // Type, flags, size, layer, option bits, fields and a CRC of R11.
    static std::string Record(uint8_t type, uint8_t mode, int16_t layer, uint16_t opts, const std::string& fields)
    {
        std::string out(8, '\0');
        out[0] = static_cast<char>(type);
        out[1] = static_cast<char>(mode);
        PutLe16(out, 2, 8 + fields.size() + 2);
        PutLe16(out, 4, static_cast<uint16_t>(layer));
        PutLe16(out, 6, opts);
        return out + fields + std::string(2, '\0');
    }
    static std::string Jump(uint32_t address)
    {
        std::string out(10, '\0');
        out[0] = 18;
        PutLe16(out, 2, 10);
        PutLe32(out, 4, address);
        return out;
    }
};

TEST(DwgPreR13Built, ReadsEntitiesLayersAndJumps)
{
    RkDb::Database db;
    ASSERT_EQ(ReadDwgBytes(R11Builder().Build(), db), DwgReadResult::Ok);
    const RkDb::EntityList& model = db.ModelSpaceBlock().entities;
    ASSERT_EQ(model.size(), 5u);
    const auto* line = RkDb::As<RkDb::Line>(*model[0]);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(Pt(line->end), Pt(RkDb::Vec3{4, 5, 6}));
    EXPECT_EQ(db.Layers()[line->layer].name, "WALLS");
    EXPECT_EQ(db.Layers()[line->layer].color.Index(), 1);
    const auto* circle = RkDb::As<RkDb::Circle>(*model[1]);
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(Pt(circle->center), Pt(RkDb::Vec3{8, 9, 7}));
    EXPECT_DOUBLE_EQ(circle->radius, 2.5);
    EXPECT_EQ(circle->handle, 0x12Cu);
    const auto* text = RkDb::As<RkDb::Text>(*model[2]);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text.value, "NOTE");
    // The jump's run comes in its place, and the reader comes back after it.
    const auto* extra = RkDb::As<RkDb::Point>(*model[3]);
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(Pt(extra->position), Pt(RkDb::Vec3{20, 21, 22}));
    const auto* point = RkDb::As<RkDb::Point>(*model[4]);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(Pt(point->position), Pt(RkDb::Vec3{10, 11, 0}));
    EXPECT_EQ(db.Header().acadVer, "AC1009");
}

// Every damage gives a clean result: a refusal, or a drawing of no more than the whole one holds.
TEST(DwgPreR13Built, TruncationsFailCleanly)
{
    const std::string whole = R11Builder().Build();
    for (size_t size = 0; size < whole.size(); ++size) {
        RkDb::Database db;
        const DwgReadResult result = ReadDwgBytes(whole.substr(0, size), db);
        EXPECT_NE(result, DwgReadResult::Ok) << size;
        EXPECT_LE(db.EntityCount(), 5u) << size;
    }
}

struct Forgery
{
    const char* what;
    size_t offset;      // from the start of the file, or from the first entity
    bool inEntities;
    int bytes;          // 2 or 4
    uint32_t value;
    DwgReadResult expected;
};

class DwgPreR13Forged : public ::testing::TestWithParam<Forgery>
{
};

TEST_P(DwgPreR13Forged, FailsCleanly)
{
    const Forgery& f = GetParam();
    std::string file = R11Builder().Build();
    size_t at = f.offset;
    if (f.inEntities)
        at += static_cast<uint8_t>(file[0x14]) | (static_cast<uint8_t>(file[0x15]) << 8) |
              (static_cast<size_t>(static_cast<uint8_t>(file[0x16])) << 16);
    if (f.bytes == 2)
        PutLe16(file, at, f.value);
    else
        PutLe32(file, at, f.value);
    RkDb::Database db;
    EXPECT_EQ(ReadDwgBytes(file, db), f.expected) << f.what;
}

// The LINE takes 58 bytes and the CIRCLE 45; the TEXT (40 bytes) starts at 103, the jump at 143.
const Forgery kForgeries[] = {
    {"entity size past its section", 2, true, 2, 0xFFFF, DwgReadResult::Corrupt},
    {"entity size below a header", 2, true, 2, 3, DwgReadResult::Corrupt},
    {"text length past its record", 103 + 32, true, 2, 0x7FFF, DwgReadResult::Corrupt},
    {"entities end past the file", 0x18, false, 4, 0x00FFFFFF, DwgReadResult::Corrupt},
    {"layer table of 65535 records", 0x2C + 12, false, 2, 0xFFFF, DwgReadResult::Corrupt},
    {"layer record of 65535 bytes", 0x2C + 10, false, 2, 0xFFFF, DwgReadResult::Corrupt},
    {"jump into nowhere", 143 + 4, true, 4, 0x80FFFFFFu, DwgReadResult::Corrupt},
    // The entities start after the 0x700-byte header and two 41-byte layer records.
    {"jump onto itself", 143 + 4, true, 4, 0x700 + 2 * 41 + 143, DwgReadResult::Corrupt},
    {"jump to the file's start", 143 + 4, true, 4, 0, DwgReadResult::Corrupt},
    {"layer index past the table", 4, true, 2, 0x7FFF, DwgReadResult::Ok},
};

void PrintTo(const Forgery& f, std::ostream* os) { *os << f.what; }

INSTANTIATE_TEST_SUITE_P(Cases, DwgPreR13Forged, ::testing::ValuesIn(kForgeries));

TEST(DwgPreR13Built, MemoryBudgetIsKept)
{
    const std::string file = R11Builder().Build();
    DwgReader reader;
    reader.SetMemoryLimit(file.size() / 2);
    RkDb::Database db;
    EXPECT_EQ(reader.Read(std::vector<uint8_t>(file.begin(), file.end()), db), DwgReadResult::TooLarge);
}

// Random damage to the samples never takes the reader out of its bounds (the sanitizer build
// checks the reads).
TEST(DwgPreR13Samples, MutationsFailCleanly)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    uint32_t seed = 12345;
    for (const char* name : {"r9_entities", "r10_entities", "r11_entities-2d", "r11_entities-3d"}) {
        const std::string whole =
            orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, std::string("dwg/pre-r13/") + name + ".dwg"));
        ASSERT_FALSE(whole.empty());
        for (int run = 0; run < 400; ++run) {
            std::string bytes = whole;
            for (int k = 0; k < 1 + run % 8; ++k) {
                seed = seed * 1103515245u + 12345u;
                bytes[(seed >> 8) % bytes.size()] = static_cast<char>(seed >> 24);
            }
            RkDb::Database db;
            const DwgReadResult result = ReadDwgBytes(bytes, db);
            // A damaged magic is another release, a damaged header a damaged file.
            EXPECT_NE(result, DwgReadResult::TooLarge) << name << " " << run;
            EXPECT_LE(db.EntityCount(), 64u) << name << " " << run;
        }
    }
}

} // namespace
