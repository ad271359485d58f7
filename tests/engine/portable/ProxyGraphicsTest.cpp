// Proxy graphics: metafiles built here decode into the entities they draw, with the colours,
// layers, line types and transforms they set; damaged metafiles stop cleanly; a DXF proxy entity
// draws as an insert of its graphics.
#include "engine/db/AreaEntities.h"
#include "engine/db/BlockEntities.h"
#include "engine/db/ProxyGraphics.h"
#include "engine/db/TextEntities.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/ByteString.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/engine/portable/RecordingSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using RkDb::EntityList;
using RkDb::ProxyGraphics;
using RkDb::Vec3;

// A metafile: a size, a command count, then [size, kind, data] commands.
class Metafile
{
public:
    Metafile& Command(uint32_t kind, const std::string& data)
    {
        std::string command(8, '\0');
        orvo::test::PutLe32(command, 0, 8 + data.size());
        orvo::test::PutLe32(command, 4, kind);
        m_commands += command + data;
        ++m_count;
        return *this;
    }
    std::string Bytes() const
    {
        std::string out(8, '\0');
        orvo::test::PutLe32(out, 0, 8 + m_commands.size());
        orvo::test::PutLe32(out, 4, m_count);
        return out + m_commands;
    }

    static std::string L(uint32_t v) { return orvo::test::LeLong(v); }
    static std::string D(std::initializer_list<double> values) { return orvo::test::LeDoubles(values); }

private:
    std::string m_commands;
    uint32_t m_count = 0;
};

constexpr double kHalfPi = 1.5707963267948966;

const ProxyGraphics::Charge kNoLimit = [](uint64_t) { return true; };

bool Decode(const std::string& bytes, const RkDb::Database& db, EntityList& out,
            const ProxyGraphics::Charge& charge = kNoLimit)
{
    return ProxyGraphics::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), db, charge, out);
}

bool Near(const Vec3& a, const Vec3& b) { return RkDb::Length(a - b) < 1e-9; }

TEST(ProxyGraphics, DrawsEachPrimitive)
{
    RkDb::Database db;
    const std::string text = "ABC";
    const std::string bytes =
        Metafile()
            .Command(1, Metafile::D({0, 0, 0, 10, 10, 0}))                                   // extents
            .Command(2, Metafile::D({1, 2, 0, 3, 0, 0, 1}))                                  // circle
            .Command(4, Metafile::D({0, 0, 0, 2, 0, 0, 1, 1, 0, 0, kHalfPi}) + Metafile::L(0)) // arc
            .Command(6, Metafile::L(2) + Metafile::D({0, 0, 0, 5, 5, 0}))                   // polyline: a line
            .Command(7, Metafile::L(3) + Metafile::D({0, 0, 0, 1, 0, 0, 1, 1, 0}))           // polygon
            .Command(8, Metafile::L(2) + Metafile::L(2) + Metafile::D({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}))
            .Command(9, Metafile::L(4) + Metafile::D({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}) + Metafile::L(5) +
                            Metafile::L(4) + Metafile::L(0) + Metafile::L(1) + Metafile::L(2) + Metafile::L(3))
            .Command(10, Metafile::D({4, 4, 0, 0, 0, 1, 0, 1, 0, 2.5, 1, 0}) + text + std::string(1, '\0'))
            .Command(12, Metafile::D({0, 0, 0, 1, 1, 0}))                                   // xline
            .Command(13, Metafile::D({0, 0, 0, 0, 1, 0}))                                   // ray
            .Command(3, Metafile::D({1, 0, 0, 0, 1, 0, -1, 0, 0}))                          // circle, 3 points
            .Bytes();
    EntityList out;
    ASSERT_TRUE(Decode(bytes, db, out));
    ASSERT_EQ(out.size(), 10u);
    const auto* circle = RkDb::As<RkDb::Circle>(*out[0]);
    ASSERT_NE(circle, nullptr);
    EXPECT_TRUE(Near(circle->center, Vec3{1, 2, 0}));
    EXPECT_DOUBLE_EQ(circle->radius, 3);
    const auto* arc = RkDb::As<RkDb::Arc>(*out[1]);
    ASSERT_NE(arc, nullptr);
    EXPECT_NEAR(arc->startAngle, 0.0, 1e-12);
    EXPECT_NEAR(arc->endAngle, kHalfPi, 1e-12);
    const auto* line = RkDb::As<RkDb::Line>(*out[2]);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(Near(line->end, Vec3{5, 5, 0}));
    const auto* polygon = RkDb::As<RkDb::Polyline>(*out[3]);
    ASSERT_NE(polygon, nullptr);
    EXPECT_TRUE(polygon->closed);
    EXPECT_EQ(polygon->vertices.size(), 3u);
    const auto* mesh = RkDb::As<RkDb::Polyline>(*out[4]);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->kind, RkDb::Polyline::Kind::Mesh);
    EXPECT_EQ(mesh->meshM, 2);
    const auto* face = RkDb::As<RkDb::Polyline>(*out[5]);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->vertices.size(), 4u);
    EXPECT_TRUE(face->closed);
    const auto* label = RkDb::As<RkDb::Text>(*out[6]);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text.value, "ABC");
    EXPECT_DOUBLE_EQ(label->text.height, 2.5);
    EXPECT_NEAR(label->text.rotation, kHalfPi, 1e-12);
    EXPECT_NE(RkDb::As<RkDb::XLine>(*out[7]), nullptr);
    EXPECT_NE(RkDb::As<RkDb::Ray>(*out[8]), nullptr);
    const auto* through = RkDb::As<RkDb::Circle>(*out[9]);
    ASSERT_NE(through, nullptr);
    EXPECT_TRUE(Near(through->center, Vec3{0, 0, 0}));
    EXPECT_NEAR(through->radius, 1.0, 1e-12);
}

TEST(ProxyGraphics, AppliesTraitsAndTransforms)
{
    RkDb::Database db;
    RkDb::Layer walls;
    walls.name = "WALLS";
    const std::int32_t wallsIndex = db.Layers().Add(std::move(walls));
    const std::string line = Metafile::L(2) + Metafile::D({0, 0, 0, 1, 0, 0});
    std::string shift = Metafile::D({1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 0, 0, 0, 0, 1});
    const std::string bytes = Metafile()
                                  .Command(6, line)                              // by block
                                  .Command(14, Metafile::L(1))                   // red
                                  .Command(16, Metafile::L(static_cast<uint32_t>(wallsIndex)))
                                  .Command(18, Metafile::L(32767))               // line type by layer
                                  .Command(29, shift)
                                  .Command(6, line)
                                  .Command(31, "")
                                  .Command(22, Metafile::L(0xC2102030u))         // true colour
                                  .Command(6, line)
                                  .Bytes();
    EntityList out;
    ASSERT_TRUE(Decode(bytes, db, out));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0]->color.GetKind(), RkDb::Color::Kind::ByBlock);
    EXPECT_EQ(out[0]->lineType, RkDb::kRefByBlock);
    EXPECT_EQ(out[0]->layer, 0);
    EXPECT_EQ(out[1]->color.Index(), 1);
    EXPECT_EQ(out[1]->layer, wallsIndex);
    EXPECT_EQ(out[1]->lineType, RkDb::kRefByLayer);
    EXPECT_TRUE(Near(RkDb::As<RkDb::Line>(*out[1])->start, Vec3{10, 20, 0}));
    EXPECT_TRUE(Near(RkDb::As<RkDb::Line>(*out[2])->start, Vec3{0, 0, 0}));
    EXPECT_EQ(out[2]->color.GetKind(), RkDb::Color::Kind::True);
}

TEST(ProxyGraphics, FilledTrianglesAreSolids)
{
    RkDb::Database db;
    const std::string triangle = Metafile::L(3) + Metafile::D({0, 0, 0, 4, 0, 0, 0, 3, 0});
    const std::string bytes = Metafile().Command(20, Metafile::L(1)).Command(7, triangle)
                                  .Command(20, Metafile::L(0)).Command(7, triangle).Bytes();
    EntityList out;
    ASSERT_TRUE(Decode(bytes, db, out));
    ASSERT_EQ(out.size(), 2u);
    const auto* solid = RkDb::As<RkDb::Solid>(*out[0]);
    ASSERT_NE(solid, nullptr);
    EXPECT_TRUE(Near(solid->corners[1], Vec3{4, 0, 0}));
    EXPECT_TRUE(Near(solid->corners[2], Vec3{0, 3, 0}));
    EXPECT_TRUE(Near(solid->corners[3], Vec3{0, 3, 0}));
    EXPECT_NE(RkDb::As<RkDb::Polyline>(*out[1]), nullptr);
}

// An embedded LWPOLYLINE is drawn through the reader that knows its form, untransformed and
// finite; without such a reader it is passed over.
TEST(ProxyGraphics, EmbeddedPolylinesGoThroughTheirReader)
{
    RkDb::Database db;
    double x = 7.0;
    const ProxyGraphics::EmbeddedPolyline reader = [&x](const uint8_t*, size_t size) -> RkDb::EntityPtr {
        if (size != 4)
            return nullptr;
        auto polyline = std::make_unique<RkDb::LwPolyline>();
        polyline->vertices.resize(2);
        polyline->vertices[1].x = x;
        return polyline;
    };
    const std::string embedded = Metafile::L(4) + Metafile::L(0);
    const std::string shift = Metafile::D({1, 0, 0, 10, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const std::string plain = Metafile().Command(33, embedded).Bytes();
    const std::string moved = Metafile().Command(29, shift).Command(33, embedded).Bytes();
    EntityList out;
    EXPECT_TRUE(Decode(plain, db, out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(ProxyGraphics::Decode(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), db, kNoLimit,
                                      out, reader));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_DOUBLE_EQ(RkDb::As<RkDb::LwPolyline>(*out[0])->vertices[1].x, 7.0);
    out.clear();
    EXPECT_TRUE(ProxyGraphics::Decode(reinterpret_cast<const uint8_t*>(moved.data()), moved.size(), db, kNoLimit,
                                      out, reader));
    EXPECT_TRUE(out.empty());
    x = std::nan("");
    EXPECT_TRUE(ProxyGraphics::Decode(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), db, kNoLimit,
                                      out, reader));
    EXPECT_TRUE(out.empty());
}

TEST(ProxyGraphics, InsertHoldsTheEntitiesInAnAnonymousBlock)
{
    RkDb::Database db;
    EXPECT_EQ(ProxyGraphics::MakeInsert(db, 0x1A, EntityList()), nullptr);
    for (int round = 0; round < 2; ++round) {
        EntityList entities;
        entities.push_back(std::make_unique<RkDb::Line>());
        RkDb::EntityPtr made = ProxyGraphics::MakeInsert(db, 0x1A, std::move(entities));
        ASSERT_NE(made, nullptr);
        const auto* insert = RkDb::As<RkDb::Insert>(*made);
        ASSERT_NE(insert, nullptr);
        ASSERT_TRUE(db.Blocks().Valid(insert->block));
        const RkDb::Block& block = db.Blocks()[insert->block];
        EXPECT_EQ(block.name, round == 0 ? "*Proxy1A" : "*Proxy1A_1");
        EXPECT_EQ(block.flags & 1, 1);
        EXPECT_EQ(block.entities.size(), 1u);
    }
}

struct Damage
{
    const char* what;
    std::string bytes;
};

std::vector<Damage> Damages()
{
    const std::string line = Metafile::L(2) + Metafile::D({0, 0, 0, 1, 0, 0});
    std::string shorter = Metafile().Command(6, line).Bytes();
    orvo::test::PutLe32(shorter, 0, shorter.size() + 100);
    std::string tiny = Metafile().Command(6, line).Bytes();
    orvo::test::PutLe32(tiny, 8, 4);
    std::string past = Metafile().Command(6, line).Bytes();
    orvo::test::PutLe32(past, 8, 0x7FFFFFFF);
    Metafile deep;
    for (int i = 0; i < 100; ++i)
        deep.Command(30, "");
    return {
        {"total past the data", shorter},
        {"command shorter than its head", tiny},
        {"command past the total", past},
        {"polyline of 2^32-1 points", Metafile().Command(6, Metafile::L(0xFFFFFFFFu)).Bytes()},
        {"mesh of 65536 x 65536", Metafile().Command(8, Metafile::L(65536) + Metafile::L(65536)).Bytes()},
        {"shell index past its points",
         Metafile().Command(9, Metafile::L(1) + Metafile::D({0, 0, 0}) + Metafile::L(3) + Metafile::L(2) +
                                   Metafile::L(0) + Metafile::L(7)).Bytes()},
        {"shell face past its list",
         Metafile().Command(9, Metafile::L(1) + Metafile::D({0, 0, 0}) + Metafile::L(2) + Metafile::L(100) +
                                   Metafile::L(0)).Bytes()},
        {"transforms pushed 100 deep", deep.Bytes()},
        {"text without its end", Metafile().Command(10, Metafile::D({0, 0, 0, 0, 0, 1, 1, 0})).Bytes()},
        {"embedded polyline past its command", Metafile().Command(33, Metafile::L(100) + Metafile::L(0)).Bytes()},
    };
}

TEST(ProxyGraphics, DamagedMetafilesStopCleanly)
{
    RkDb::Database db;
    for (const Damage& damage : Damages()) {
        EntityList out;
        EXPECT_FALSE(Decode(damage.bytes, db, out)) << damage.what;
        EXPECT_TRUE(out.empty()) << damage.what;
    }
}

TEST(ProxyGraphics, TruncationsStopCleanly)
{
    RkDb::Database db;
    const std::string whole = Metafile()
                                  .Command(2, Metafile::D({1, 2, 0, 3, 0, 0, 1}))
                                  .Command(6, Metafile::L(3) + Metafile::D({0, 0, 0, 1, 0, 0, 1, 1, 0}))
                                  .Command(10, Metafile::D({4, 4, 0, 0, 0, 1, 1, 0, 0, 2.5, 1, 0}) + "AB" +
                                                   std::string(2, '\0'))
                                  .Bytes();
    for (size_t size = 0; size < whole.size(); ++size) {
        std::string cut = whole.substr(0, size);
        EntityList out;
        EXPECT_FALSE(Decode(cut, db, out)) << size;
        EXPECT_LE(out.size(), 3u);
    }
}

TEST(ProxyGraphics, StopsWhenTheBudgetRefuses)
{
    RkDb::Database db;
    Metafile many;
    for (int i = 0; i < 10; ++i)
        many.Command(6, Metafile::L(2) + Metafile::D({0, 0, 0, 1, 0, 0}));
    // A line costs its points, then itself.
    int allowed = 6;
    const ProxyGraphics::Charge charge = [&allowed](uint64_t) { return allowed-- > 0; };
    EntityList out;
    EXPECT_FALSE(Decode(many.Bytes(), db, out, charge));
    EXPECT_EQ(out.size(), 3u);
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        out += digits[(static_cast<uint8_t>(c) >> 4) & 0xF];
        out += digits[static_cast<uint8_t>(c) & 0xF];
    }
    return out;
}

// A DXF proxy entity draws its graphics on its own layer; a custom entity with graphics too.
TEST(ProxyGraphics, DxfProxyEntityDrawsAsAnInsertOfItsGraphics)
{
    const std::string graphics = Metafile().Command(6, Metafile::L(2) + Metafile::D({1, 2, 0, 3, 4, 0})).Bytes();
    const std::string hex = Hex(graphics);
    orvo::portable::DxfBuilder dxf;
    dxf.Header("AC1015").Section("ENTITIES");
    dxf.S(0, "ACAD_PROXY_ENTITY").S(5, "2A").S(100, "AcDbEntity").S(8, "WALLS").S(100, "AcDbProxyEntity")
        .I(90, 498).I(91, 500).I(92, static_cast<std::int64_t>(graphics.size()))
        .S(310, hex.substr(0, 20)).S(310, hex.substr(20)).I(93, 0).I(94, 0);
    dxf.S(0, "AEC_WALL").S(5, "2B").S(100, "AcDbEntity").S(8, "WALLS").I(92, static_cast<std::int64_t>(graphics.size()))
        .S(310, hex).S(100, "AecDbWall").I(90, 7);
    dxf.S(0, "AEC_DOOR").S(5, "2C").S(100, "AcDbEntity").S(8, "0");
    dxf.EndSection().Eof();
    const std::string text = dxf.Ascii();
    RkDb::Database db;
    RkDxf::DxfReader reader(db);
    ASSERT_EQ(reader.Read(text.data(), text.size()), RkDxf::DxfReader::Status::Ok);
    const RkDb::EntityList& model = db.ModelSpaceBlock().entities;
    ASSERT_EQ(model.size(), 2u);
    for (const RkDb::EntityPtr& e : model) {
        const auto* insert = RkDb::As<RkDb::Insert>(*e);
        ASSERT_NE(insert, nullptr);
        EXPECT_EQ(db.Layers()[insert->layer].name, "WALLS");
        ASSERT_TRUE(db.Blocks().Valid(insert->block));
        const RkDb::EntityList& drawn = db.Blocks()[insert->block].entities;
        ASSERT_EQ(drawn.size(), 1u);
        const auto* line = RkDb::As<RkDb::Line>(*drawn[0]);
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(Near(line->end, Vec3{3, 4, 0}));
    }
    EXPECT_EQ(model[0]->handle, 0x2Au);
}

// The proxy is drawn where its graphics lie, in its layer's colour, and counts in the extents.
TEST(ProxyGraphics, RendererDrawsTheGraphicsInTheProxysColour)
{
    const std::string graphics = Metafile().Command(6, Metafile::L(2) + Metafile::D({10, 20, 0, 90, 20, 0})).Bytes();
    orvo::portable::DxfBuilder dxf;
    dxf.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LAYER");
    dxf.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7);
    dxf.S(0, "LAYER").S(2, "Red").I(70, 0).I(62, 1);
    dxf.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    dxf.S(0, "ACAD_PROXY_ENTITY").S(5, "2A").S(100, "AcDbEntity").S(8, "Red").S(100, "AcDbProxyEntity")
        .I(90, 498).I(92, static_cast<std::int64_t>(graphics.size())).S(310, Hex(graphics)).I(93, 0);
    dxf.EndSection().Eof();
    const std::string text = dxf.Ascii();
    RkDb::Database db;
    RkDxf::DxfReader reader(db);
    ASSERT_EQ(reader.Read(text.data(), text.size()), RkDxf::DxfReader::Status::Ok);

    RkDraw::ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    orvo::portable::RecordingSink sink;
    RkDraw::RenderOptions options;
    RkDraw::DrawingRenderer(db, sink, options).Draw(0, view);
    ASSERT_EQ(sink.strokes.size(), 1u);
    EXPECT_EQ(sink.strokes[0].rgb, 0xFF0000u);
    EXPECT_DOUBLE_EQ(sink.strokes[0].points[0].x, 10.0);
    EXPECT_DOUBLE_EQ(sink.strokes[0].points[0].y, 80.0);
    RkDb::Vec2 min, max;
    ASSERT_TRUE(RkDraw::DrawingRenderer::Extents(db, 0, view, min, max));
    EXPECT_NEAR(min.x, 10.0, 1e-9);
    EXPECT_NEAR(max.x, 90.0, 1e-9);
}

} // namespace
