// The DXF reader: every entity type with its key values, tables, blocks with attributes, layouts,
// code pages, binary against ASCII, the sample drawings, and malformed input.
#include "DxfSampleDrawing.h"
#include "PortableSupport.h"

#include "engine/db/Database.h"
#include "engine/dxf/DxfReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <sstream>

namespace {

using namespace RkDb;
using orvo::portable::DxfBuilder;
using orvo::portable::SampleDrawing;
using Status = RkDxf::DxfReader::Status;
constexpr double kPi = 3.14159265358979323846;

Status ReadInto(Database& db, const std::string& data)
{
    RkDxf::DxfReader reader(db);
    return reader.Read(data.data(), data.size());
}

std::size_t Count(const Database& db, EntityType type)
{
    return db.CountByType()[static_cast<std::size_t>(type)];
}

template <class T> const T& First(const Database& db)
{
    for (const Block& block : db.Blocks()) {
        for (const EntityPtr& e : block.entities) {
            if (const T* t = As<T>(*e))
                return *t;
        }
    }
    throw std::runtime_error("no such entity");
}

// A readable dump of what was read, to compare two reads of one drawing.
std::string Fingerprint(const Database& db)
{
    std::ostringstream s;
    s.precision(12);
    s << db.Header().acadVer << ' ' << db.Layers().Count() << ' ' << db.Blocks().Count() << '\n';
    for (const Layer& l : db.Layers())
        s << l.name << ' ' << l.color.ToRgb() << ' ' << l.off << l.frozen << l.plot << '\n';
    for (const Layout& l : db.Layouts())
        s << l.name << ' ' << l.block << '\n';
    for (const Block& b : db.Blocks()) {
        s << b.name << ' ' << b.entities.size() << '\n';
        for (const EntityPtr& e : b.entities) {
            s << EntityTypeName(e->type) << ' ' << e->handle << ' ' << e->layer << ' '
              << e->color.ToRgb() << ' ' << e->extrusion.z << '\n';
            if (auto* l = As<Line>(*e))
                s << l->start.x << ',' << l->end.y << '\n';
            if (auto* t = As<Text>(*e))
                s << t->text.value << ' ' << t->text.rotation << '\n';
            if (auto* m = As<MText>(*e))
                s << m->contents << '\n';
            if (auto* p = As<LwPolyline>(*e))
                s << p->vertices.size() << ' ' << p->vertices[0].bulge << '\n';
            if (auto* h = As<Hatch>(*e))
                s << h->loops.size() << ' ' << h->patternLines.size() << '\n';
        }
    }
    return s.str();
}

TEST(DxfReader, ReadsEveryEntityType)
{
    Database db;
    ASSERT_EQ(ReadInto(db, SampleDrawing().Ascii()), Status::Ok);
    const struct { EntityType type; std::size_t count; } expected[] = {
        {EntityType::Line, 4}, {EntityType::Point, 1}, {EntityType::Circle, 1},
        {EntityType::Arc, 1}, {EntityType::Ellipse, 1}, {EntityType::Ray, 1},
        {EntityType::XLine, 1}, {EntityType::LwPolyline, 1}, {EntityType::Polyline, 4},
        {EntityType::Spline, 1}, {EntityType::Text, 1}, {EntityType::MText, 2},
        {EntityType::AttributeDefinition, 1}, {EntityType::Attribute, 0},
        {EntityType::Insert, 1}, {EntityType::Dimension, 1}, {EntityType::Leader, 1},
        {EntityType::MLeader, 1}, {EntityType::MLine, 1}, {EntityType::Hatch, 2},
        {EntityType::Solid, 1}, {EntityType::Trace, 1}, {EntityType::Face3d, 1},
        {EntityType::Image, 1}, {EntityType::Wipeout, 1}, {EntityType::Viewport, 1},
    };
    for (const auto& e : expected)
        EXPECT_EQ(Count(db, e.type), e.count) << EntityTypeName(e.type);
}

TEST(DxfReader, KeyValuesOfCurves)
{
    Database db;
    ASSERT_EQ(ReadInto(db, SampleDrawing().Ascii()), Status::Ok);
    const Line& line = static_cast<const Line&>(*db.ModelSpaceBlock().entities.front());
    EXPECT_EQ(line.handle, 0x100u);
    EXPECT_EQ(db.Layers()[line.layer].name, "Walls");
    EXPECT_EQ(line.color.Index(), 3);
    EXPECT_DOUBLE_EQ(line.lineTypeScale, 2.0);
    EXPECT_EQ(line.lineWeight, 35);
    EXPECT_DOUBLE_EQ(line.start.z, 3.0);
    EXPECT_DOUBLE_EQ(line.end.x, 4.0);

    const Circle& circle = First<Circle>(db);
    EXPECT_DOUBLE_EQ(circle.radius, 5.0);
    EXPECT_DOUBLE_EQ(circle.thickness, 2.0);
    EXPECT_DOUBLE_EQ(circle.extrusion.z, -1.0);
    const Arc& arc = First<Arc>(db);
    EXPECT_NEAR(arc.startAngle, kPi / 2, 1e-12);
    EXPECT_NEAR(arc.endAngle, kPi, 1e-12);
    const Ellipse& ellipse = First<Ellipse>(db);
    EXPECT_DOUBLE_EQ(ellipse.ratio, 0.5);
    EXPECT_DOUBLE_EQ(ellipse.majorAxis.x, 4.0);

    const LwPolyline& lw = First<LwPolyline>(db);
    ASSERT_EQ(lw.vertices.size(), 3u);
    EXPECT_TRUE(lw.closed);
    EXPECT_DOUBLE_EQ(lw.vertices[0].bulge, 1.0);
    EXPECT_DOUBLE_EQ(lw.vertices[1].endWidth, 1.0);

    std::vector<const Polyline*> polylines;
    for (const EntityPtr& e : db.ModelSpaceBlock().entities) {
        if (auto* p = As<Polyline>(*e))
            polylines.push_back(p);
    }
    ASSERT_EQ(polylines.size(), 4u);
    EXPECT_EQ(polylines[0]->kind, Polyline::Kind::Flat2d);
    EXPECT_DOUBLE_EQ(polylines[0]->elevation, 2.5);
    ASSERT_EQ(polylines[0]->vertices.size(), 2u);
    EXPECT_DOUBLE_EQ(polylines[0]->vertices[0].bulge, 0.5);
    EXPECT_EQ(polylines[1]->kind, Polyline::Kind::Poly3d);
    EXPECT_DOUBLE_EQ(polylines[1]->vertices[1].position.z, 2.0);
    EXPECT_EQ(polylines[2]->kind, Polyline::Kind::Mesh);
    EXPECT_EQ(polylines[2]->meshM, 2);
    EXPECT_EQ(polylines[2]->vertices.size(), 4u);
    EXPECT_EQ(polylines[3]->kind, Polyline::Kind::PolyFace);
    ASSERT_EQ(polylines[3]->vertices.size(), 4u);
    EXPECT_EQ(polylines[3]->vertices[3].faceIndex[2], -3);

    const Spline& spline = First<Spline>(db);
    EXPECT_EQ(spline.degree, 3);
    EXPECT_EQ(spline.knots.size(), 8u);
    ASSERT_EQ(spline.controlPoints.size(), 4u);
    EXPECT_DOUBLE_EQ(spline.controlPoints[1].y, 2.0);
}

TEST(DxfReader, KeyValuesOfTextsBlocksAndAreas)
{
    Database db;
    ASSERT_EQ(ReadInto(db, SampleDrawing().Ascii()), Status::Ok);
    const Text& text = First<Text>(db);
    EXPECT_EQ(text.text.value, "Hello %%c");
    EXPECT_NEAR(text.text.rotation, kPi / 6, 1e-12);
    EXPECT_EQ(text.text.hAlign, 1);
    EXPECT_EQ(text.text.vAlign, 2);
    EXPECT_TRUE(text.text.hasAlignment);
    EXPECT_EQ(db.TextStyles()[text.text.style].name, "Arial");

    const MText* mtext = nullptr;
    for (const EntityPtr& e : db.ModelSpaceBlock().entities) {
        if (auto* m = As<MText>(*e))
            mtext = m;
    }
    ASSERT_NE(mtext, nullptr);
    EXPECT_EQ(mtext->contents, "First chunk \\Pline two {\\H2x;big} \\S1/2;");
    EXPECT_EQ(mtext->attachment, 5);
    EXPECT_DOUBLE_EQ(mtext->referenceWidth, 30.0);
    EXPECT_DOUBLE_EQ(mtext->xDirection.y, 1.0);
    EXPECT_DOUBLE_EQ(mtext->lineSpacing, 1.5);

    const Insert& insert = First<Insert>(db);
    ASSERT_TRUE(db.Blocks().Valid(insert.block));
    EXPECT_EQ(db.Blocks()[insert.block].name, "Door");
    EXPECT_DOUBLE_EQ(db.Blocks()[insert.block].basePoint.y, 2.0);
    EXPECT_NEAR(insert.rotation, kPi / 4, 1e-12);
    EXPECT_EQ(insert.columns, 2);
    EXPECT_EQ(insert.rows, 3);
    ASSERT_EQ(insert.attributes.size(), 1u);
    EXPECT_EQ(insert.attributes[0]->tag, "NUMBER");
    EXPECT_EQ(insert.attributes[0]->text.value, "D-42");
    EXPECT_EQ(insert.attributes[0]->text.vAlign, 1);
    const AttributeDefinition& def = First<AttributeDefinition>(db);
    EXPECT_EQ(def.tag, "NUMBER");
    EXPECT_EQ(def.prompt, "Door number");
    EXPECT_EQ(def.text.value, "D-1");

    const Dimension& dim = First<Dimension>(db);
    ASSERT_TRUE(db.Blocks().Valid(dim.block));
    EXPECT_EQ(db.Blocks()[dim.block].entities.size(), 2u);
    EXPECT_DOUBLE_EQ(dim.measurement, 10.0);
    const Leader& leader = First<Leader>(db);
    EXPECT_EQ(leader.vertices.size(), 3u);
    EXPECT_DOUBLE_EQ(leader.arrowSize, 0.5);     // DIMASZ 0.25 x DIMSCALE 2
    const MLeader& ml = First<MLeader>(db);
    EXPECT_EQ(ml.text, "Note text");
    ASSERT_EQ(ml.leaderLines.size(), 1u);
    ASSERT_EQ(ml.leaderLines[0].size(), 2u);
    EXPECT_DOUBLE_EQ(ml.leaderLines[0][1].x, 11.0);
    const MLine& mline = First<MLine>(db);
    ASSERT_EQ(mline.vertices.size(), 2u);
    ASSERT_EQ(mline.elements.size(), 2u);
    EXPECT_EQ(mline.elements[0].color.Index(), 1);
    EXPECT_DOUBLE_EQ(mline.vertices[1].offsets[1], -0.5);

    std::vector<const Hatch*> hatches;
    for (const EntityPtr& e : db.ModelSpaceBlock().entities) {
        if (auto* h = As<Hatch>(*e))
            hatches.push_back(h);
    }
    ASSERT_EQ(hatches.size(), 2u);
    EXPECT_FALSE(hatches[0]->solid);
    ASSERT_EQ(hatches[0]->loops.size(), 2u);
    EXPECT_EQ(hatches[0]->loops[0].polyline.size(), 4u);
    ASSERT_EQ(hatches[0]->loops[1].edges.size(), 2u);
    EXPECT_EQ(hatches[0]->loops[1].edges[1].kind, HatchEdge::Kind::Arc);
    ASSERT_EQ(hatches[0]->patternLines.size(), 1u);
    EXPECT_NEAR(hatches[0]->patternLines[0].angle, kPi / 4, 1e-12);
    EXPECT_TRUE(hatches[1]->solid);

    EXPECT_DOUBLE_EQ(First<Solid>(db).corners[3].x, 1.0);
    EXPECT_EQ(First<Face3d>(db).hiddenEdges, 2);
    const Image& image = First<Image>(db);
    EXPECT_EQ(image.fileName, "photos\\site.jpg");
    EXPECT_DOUBLE_EQ(image.frame.pixelSize.x, 640.0);
    EXPECT_EQ(image.frame.clipBoundary.size(), 2u);
    const ViewportEntity& vp = First<ViewportEntity>(db);
    EXPECT_DOUBLE_EQ(vp.viewHeight, 60.0);
    ASSERT_EQ(vp.frozenLayers.size(), 1u);
    EXPECT_EQ(db.Layers()[vp.frozenLayers[0]].name, "Hidden");
}

TEST(DxfReader, TablesLayoutsAndSummary)
{
    Database db;
    ASSERT_EQ(ReadInto(db, SampleDrawing().Ascii()), Status::Ok);
    EXPECT_EQ(db.Header().version, DwgVersion::R2000);
    const Layer& walls = db.Layers()[db.Layers().Find("walls")];
    EXPECT_EQ(walls.color.Index(), 1);
    EXPECT_EQ(db.LineTypes()[walls.lineType].name, "DASHED");
    EXPECT_EQ(walls.lineWeight, 50);
    const Layer& hidden = db.Layers()[db.Layers().Find("Hidden")];
    EXPECT_TRUE(hidden.off);
    EXPECT_TRUE(hidden.frozen);
    EXPECT_FALSE(hidden.plot);
    EXPECT_EQ(hidden.color.Index(), 3);
    const Layer& tc = db.Layers()[db.Layers().Find("Truecolour")];
    EXPECT_EQ(tc.color.Rgb(), 0x123456u);
    EXPECT_TRUE(tc.locked);
    const LineType& dashed = db.LineTypes()[db.LineTypes().Find("DASHED")];
    ASSERT_EQ(dashed.elements.size(), 2u);
    EXPECT_DOUBLE_EQ(dashed.elements[1].length, -0.25);
    const TextStyle& arial = db.TextStyles()[db.TextStyles().Find("Arial")];
    EXPECT_EQ(arial.typeface, "Arial");
    EXPECT_TRUE(arial.bold);
    EXPECT_DOUBLE_EQ(arial.widthFactor, 0.8);
    const ViewportRecord& active = db.ViewportRecords()[db.ViewportRecords().Find("*Active")];
    EXPECT_DOUBLE_EQ(active.height, 60.0);

    ASSERT_EQ(db.Layouts().size(), 3u);
    EXPECT_EQ(db.Layouts()[0].name, "Model");
    EXPECT_EQ(db.Layouts()[1].name, "Sheet A");
    EXPECT_EQ(db.Layouts()[2].name, "Second");
    EXPECT_EQ(db.Layouts()[2].block, -1);
    const Block& paper = db.Blocks()[db.Layouts()[1].block];
    EXPECT_EQ(paper.name, "*Paper_Space");
    EXPECT_EQ(paper.entities.size(), 2u);      // the viewport and the paper-space line
    EXPECT_DOUBLE_EQ(db.Layouts()[1].paperSize.x, 297.0);

    const SummaryInfo& s = db.Summary();
    EXPECT_EQ(s.title, "The title");
    EXPECT_EQ(s.author, "Author Name");
    EXPECT_EQ(s.keywords, "key words");
    EXPECT_EQ(s.hyperlinkBase, "http://x");
    ASSERT_EQ(s.custom.size(), 2u);
    EXPECT_EQ(s.custom[1].first, "Job");
    EXPECT_EQ(s.custom[1].second, "42");
}

TEST(DxfReader, BinaryEqualsAscii)
{
    for (const char* version : {"AC1015", "AC1032"}) {
        Database ascii, binary;
        const DxfBuilder drawing = SampleDrawing(version);
        ASSERT_EQ(ReadInto(ascii, drawing.Ascii()), Status::Ok);
        ASSERT_EQ(ReadInto(binary, drawing.Binary()), Status::Ok);
        EXPECT_EQ(Fingerprint(ascii), Fingerprint(binary)) << version;
    }
}

TEST(DxfReader, CodePagesAndEscapes)
{
    const struct
    {
        const char* acadVer;
        const char* codePage;
        std::string raw;
        std::string utf8;
    } cases[] = {
        {"AC1015", "ANSI_1252", "caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"AC1015", "ANSI_1251", "\xCF\xF0\xE8", "\xD0\x9F\xD1\x80\xD0\xB8"},
        {"AC1015", "ANSI_1252", "A\\U+0416B", "A\xD0\x96" "B"},
        {"AC1015", "ANSI_1252", "\\U+D83D\\U+DE00", "\xF0\x9F\x98\x80"},
        {"AC1032", "ANSI_1252", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
        {"AC1032", "ANSI_1252", "bad \xE9 byte", "bad \xC3\xA9 byte"},
        {"AC1015", "ANSI_1252", "no \\U+zz escape", "no \\U+zz escape"},
    };
    for (const auto& c : cases) {
        DxfBuilder b;
        b.Header(c.acadVer, c.codePage).Section("ENTITIES");
        b.S(0, "TEXT").S(8, c.raw).P(10, 0, 0).D(40, 1).S(1, c.raw);
        b.EndSection().Eof();
        Database db;
        ASSERT_EQ(ReadInto(db, b.Ascii()), Status::Ok);
        const Text& text = First<Text>(db);
        EXPECT_EQ(text.text.value, c.utf8) << c.raw;
        EXPECT_EQ(db.Layers()[text.layer].name, c.utf8) << c.raw;

        // The current layer and styles the header names are in the same code page.
        DxfBuilder header;
        header.Section("HEADER").S(9, "$ACADVER").S(1, c.acadVer).S(9, "$DWGCODEPAGE").S(3, c.codePage);
        header.S(9, "$CLAYER").S(8, c.raw).S(9, "$TEXTSTYLE").S(7, c.raw).S(9, "$DIMSTYLE").S(2, c.raw);
        header.EndSection().Eof();
        Database named;
        ASSERT_EQ(ReadInto(named, header.Ascii()), Status::Ok);
        EXPECT_EQ(named.Header().currentLayer, c.utf8) << c.raw;
        EXPECT_EQ(named.Header().textStyle, c.utf8) << c.raw;
        EXPECT_EQ(named.Header().dimStyle, c.utf8) << c.raw;
    }
}

TEST(DxfReader, R12DrawingWithoutSubclassesOrObjects)
{
    DxfBuilder b;
    b.Header("AC1009").Section("ENTITIES");
    b.S(0, "LINE").S(8, "A").I(62, 2).P(10, 0, 0).P(11, 3, 4);
    b.S(0, "POLYLINE").S(8, "A").I(66, 1).I(70, 1);
    b.S(0, "VERTEX").S(8, "A").P(10, 0, 0);
    b.S(0, "VERTEX").S(8, "A").P(10, 1, 0);
    b.S(0, "VERTEX").S(8, "A").P(10, 1, 1).I(70, 16);     // frame point: not drawn
    b.S(0, "SEQEND").S(8, "A");
    b.S(0, "LINE").S(8, "B").I(67, 1).P(10, 0, 0).P(11, 1, 1);
    b.EndSection().Eof();
    Database db;
    ASSERT_EQ(ReadInto(db, b.Ascii()), Status::Ok);
    EXPECT_EQ(db.Header().version, DwgVersion::R11_12);
    EXPECT_EQ(db.ModelSpaceBlock().entities.size(), 2u);
    EXPECT_EQ(First<Polyline>(db).vertices.size(), 2u);
    EXPECT_TRUE(First<Polyline>(db).closed);
    ASSERT_EQ(db.Layouts().size(), 2u);     // the paper space got a layout of its own
    EXPECT_EQ(db.Blocks()[db.Layouts()[1].block].entities.size(), 1u);
}

// Some writers put the common properties after the subclass marker: they count there as well,
// while a code the subclass itself defines (an MTEXT's 48, its column width) keeps its meaning.
TEST(DxfReader, CommonPropertiesAfterTheSubclassMarker)
{
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LTYPE");
    b.S(0, "LTYPE").S(2, "DASHED").I(70, 0).I(73, 2).D(40, 1.0).D(49, 0.5).D(49, -0.5);
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    b.S(0, "LINE").S(5, "A1").S(100, "AcDbEntity").S(100, "AcDbLine").S(8, "Walls").S(6, "DASHED").I(62, 3)
        .I(370, 50).D(48, 2.5).I(60, 1).P(10, 0, 0).P(11, 1, 1);
    b.S(0, "CIRCLE").S(5, "A2").S(100, "AcDbCircle").S(8, "Walls").I(420, 0x123456).I(67, 1).P(10, 5, 5).D(40, 2);
    b.S(0, "MTEXT").S(5, "A3").S(100, "AcDbEntity").S(100, "AcDbMText").S(8, "Notes").P(10, 0, 0).D(40, 1)
        .D(48, 7.5).S(1, "text");
    b.EndSection().Eof();
    Database db;
    ASSERT_EQ(ReadInto(db, b.Ascii()), Status::Ok);
    const Line& line = First<Line>(db);
    EXPECT_EQ(db.Layers()[line.layer].name, "Walls");
    ASSERT_TRUE(db.LineTypes().Valid(line.lineType));
    EXPECT_EQ(db.LineTypes()[line.lineType].name, "DASHED");
    EXPECT_EQ(line.color.Index(), 3);
    EXPECT_EQ(line.lineWeight, 50);
    EXPECT_DOUBLE_EQ(line.lineTypeScale, 2.5);
    EXPECT_TRUE(line.invisible);
    EXPECT_DOUBLE_EQ(line.end.y, 1.0);
    const Circle& circle = First<Circle>(db);
    EXPECT_EQ(db.Layers()[circle.layer].name, "Walls");
    EXPECT_EQ(circle.color.ToRgb(), 0x123456u);
    EXPECT_DOUBLE_EQ(circle.radius, 2.0);
    ASSERT_EQ(db.Layouts().size(), 2u);      // the circle is in paper space
    EXPECT_EQ(db.Blocks()[db.Layouts()[1].block].entities.size(), 1u);
    const MText& mtext = First<MText>(db);
    EXPECT_EQ(db.Layers()[mtext.layer].name, "Notes");
    EXPECT_DOUBLE_EQ(mtext.columnWidth, 7.5);
    EXPECT_DOUBLE_EQ(mtext.lineTypeScale, 1.0);
}

TEST(DxfReader, AbortQueryStopsTheRead)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    for (int i = 0; i < 5000; ++i)
        b.S(0, "LINE").S(8, "0").P(10, i, 0).P(11, i, 1);
    b.EndSection().Eof();
    const std::string data = b.Ascii();
    Database db;
    RkDxf::DxfReader reader(db);
    int polls = 0;
    reader.SetAbortQuery([&polls] { return ++polls >= 2; });
    EXPECT_EQ(reader.Read(data.data(), data.size()), Status::Aborted);
    EXPECT_EQ(polls, 2);
}

TEST(DxfReader, RejectsWhatIsNotDxf)
{
    const std::string cases[] = {
        "", "hello", "AC1015 not a drawing", std::string("\0\0\0\0", 4),
        "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n",        // value missing at the end
        "  0\nSECTION\n  2\nENTITIES\nxx\nLINE\n",               // bad group code
        "AutoCAD Binary DXF\r\n\x1a",                           // sentinel only (no NUL)
        std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION", 32),   // unterminated string
    };
    for (const std::string& data : cases) {
        Database db;
        EXPECT_NE(ReadInto(db, data), Status::Ok) << data;
    }
}

// Every truncation and a sweep of byte mutations of a full drawing, ASCII and binary: the reader
// answers (any status) without crashing and in bounded time.
TEST(DxfReader, MalformedInputSweep)
{
    const DxfBuilder drawing = SampleDrawing("AC1027");
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& data : {drawing.Ascii(), drawing.Binary()}) {
        for (std::size_t cut = 0; cut < data.size(); cut += 37) {
            Database db;
            ReadInto(db, data.substr(0, cut));
        }
        std::uint32_t seed = 12345;
        for (int round = 0; round < 300; ++round) {
            std::string mutated = data;
            for (int k = 0; k < 4; ++k) {
                seed = seed * 1664525u + 1013904223u;
                const std::size_t at = (seed >> 8) % mutated.size();
                seed = seed * 1664525u + 1013904223u;
                mutated[at] = static_cast<char>(seed >> 24);
            }
            Database db;
            ReadInto(db, mutated);
        }
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 60.0);
}

TEST(DxfReader, SampleDrawingsRead)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const char* files[] = {"dwg/example_r12.dxf", "dwg/example_r13.dxf", "dwg/example_r14.dxf",
                           "dwg/example_2000.dxf", "dwg/example_2004.dxf", "dwg/example_2007.dxf",
                           "dwg/example_2010.dxf", "dwg/example_2013.dxf", "dwg/example_2018.dxf"};
    for (const char* file : files) {
        const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, file));
        if (data.empty())
            continue;
        Database db;
        EXPECT_EQ(ReadInto(db, data), Status::Ok) << file;
        EXPECT_GT(db.ModelSpaceBlock().entities.size(), 0u) << file;
        EXPECT_NE(db.Header().version, DwgVersion::Unknown) << file;
    }
    // The binary example is a save of its own (not the same content as the ASCII export).
    const std::string binary =
        orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, "dwg/example_2018.dxfb"));
    if (binary.empty())
        GTEST_SKIP() << "the binary 2018 example is absent";
    Database db;
    ASSERT_EQ(ReadInto(db, binary), Status::Ok);
    EXPECT_EQ(db.Header().version, DwgVersion::R2018);
    EXPECT_EQ(Count(db, EntityType::Line), 12u);
    EXPECT_EQ(db.Layouts().size(), 3u);
}

} // namespace
