// Line types with texts and shapes in their patterns: read from DXF, drawn at their offset,
// rotation and scale along the line; dashes at the scale of the entity's own transform.
#include "ReadDrawing.h"
#include "RecordingSink.h"
#include "ShxBuilder.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/ShapeSource.h"
#include "engine/draw/ShxFont.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DrawingSaver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::Read;
using orvo::portable::RecordingSink;

constexpr double kPi = 3.14159265358979323846;

// A drawing with a text style "S" (handle 30, the given height) and the line type "MARKED":
// a dash of 4, a gap of 6 holding an element (flags 74, text or shape number 75) at offset
// (-1, -0.5), scale 2, rotation given in degrees; then the entities add writes.
std::unique_ptr<Database> Drawing(int flags, const std::string& text, int shape, double rotation,
                                  double styleHeight, const std::function<void(DxfBuilder&)>& add)
{
    DxfBuilder b;
    b.Header("AC1024").Section("TABLES");
    b.S(0, "TABLE").S(2, "LTYPE");
    b.S(0, "LTYPE").S(5, "40").S(100, "AcDbSymbolTableRecord").S(100, "AcDbLinetypeTableRecord")
        .S(2, "MARKED").I(70, 0).S(3, "marked").I(72, 65).I(73, 2).D(40, 10.0);
    b.D(49, 4.0).I(74, 0);
    b.D(49, -6.0).I(74, flags).I(75, shape).S(340, "30").D(46, 2.0).D(50, rotation).D(44, -1.0)
        .D(45, -0.5);
    if (!text.empty())
        b.S(9, text);
    b.S(0, "ENDTAB");
    b.S(0, "TABLE").S(2, "STYLE");
    b.S(0, "STYLE").S(5, "30").S(100, "AcDbSymbolTableRecord").S(100, "AcDbTextStyleTableRecord")
        .S(2, "S").I(70, (flags & 4) ? 1 : 0).D(40, styleHeight).D(41, 1.0).S(3, "marks.shx");
    b.S(0, "ENDTAB").EndSection();
    b.Section("ENTITIES");
    add(b);
    b.EndSection().Eof();
    return Read(b);
}

// A 200 x 100 device showing world 0..100 x 0..50 (two pixels per unit).
ViewTransform View()
{
    ViewTransform view;
    view.SetDevice(200, 100);
    view.SetArea({50, 25}, 50);
    return view;
}

// What the drawing draws in View(), shapes from the source given.
RecordingSink Drawn(const Database& db, const ShapeSource* shapes = nullptr)
{
    RecordingSink sink;
    RenderOptions options;
    options.shapes = shapes;
    DrawingRenderer(db, sink, options).Draw(0, View());
    return sink;
}

void HorizontalLine(DxfBuilder& b)
{
    b.S(0, "LINE").S(8, "0").S(6, "MARKED").P(10, 0, 20).P(11, 40, 20);
}

TEST(LineTypeElements, ReadFromDxfWithTheirStyle)
{
    auto db = Drawing(2, "GAS", 0, 30.0, 0.0, HorizontalLine);
    const LineType& lt = db->LineTypes()[db->LineTypes().Find("MARKED")];
    ASSERT_EQ(lt.elements.size(), 2u);
    EXPECT_EQ(lt.elements[0].kind, LineTypeElement::Kind::Plain);
    const LineTypeElement& e = lt.elements[1];
    EXPECT_EQ(e.kind, LineTypeElement::Kind::Text);
    EXPECT_EQ(e.text, "GAS");
    EXPECT_EQ(e.style, db->TextStyles().Find("S"));
    EXPECT_DOUBLE_EQ(e.scale, 2.0);
    EXPECT_NEAR(e.rotation, kPi / 6, 1e-12);
    EXPECT_DOUBLE_EQ(e.offset.x, -1.0);
    EXPECT_DOUBLE_EQ(e.offset.y, -0.5);
    EXPECT_FALSE(e.absoluteRotation);
}

TEST(LineTypeElements, TextsSitInTheirGapsAlongTheLine)
{
    auto db = Drawing(2, "GAS", 0, 0.0, 0.0, HorizontalLine);
    const RecordingSink sink = Drawn(*db);
    // A 40-unit line of 10-unit periods: four dashes of 4 units (8 pixels), four texts.
    ASSERT_EQ(sink.strokes.size(), 4u);
    for (const auto& s : sink.strokes)
        EXPECT_NEAR(std::hypot(s.points[1].x - s.points[0].x, s.points[1].y - s.points[0].y), 8.0, 1e-6);
    ASSERT_EQ(sink.texts.size(), 4u);
    for (std::size_t i = 0; i < sink.texts.size(); ++i) {
        const TextRun& t = sink.texts[i];
        EXPECT_EQ(t.utf8, "GAS");
        // The style has no height: the scale (2 units) is the text's height, 4 pixels.
        EXPECT_NEAR(t.height, 4.0, 1e-9);
        EXPECT_NEAR(t.angle, 0.0, 1e-9);
        // Each gap starts at 4 + 10 i; the text 1 unit before it and half a unit below the line
        // (world y 20 is device y 60; half a unit below is one pixel lower on the device).
        EXPECT_NEAR(t.origin.x, (4.0 + 10.0 * static_cast<double>(i) - 1.0) * 2.0, 1e-6);
        EXPECT_NEAR(t.origin.y, 61.0, 1e-6);
    }
}

TEST(LineTypeElements, TextsTurnWithTheLineUnlessTheirRotationIsAbsolute)
{
    const auto diagonal = [](DxfBuilder& b) {
        b.S(0, "LINE").S(8, "0").S(6, "MARKED").P(10, 10, 10).P(11, 40, 40);
    };
    const struct { int flags; double rotation, expected; } cases[] = {
        {2, 0.0, kPi / 4},              // along the line
        {2, 30.0, kPi / 4 + kPi / 6},   // turned from the line
        {3, 30.0, kPi / 6},             // absolute: from the x axis
    };
    for (const auto& c : cases) {
        auto db = Drawing(c.flags, "W", 0, c.rotation, 0.0, diagonal);
        const RecordingSink sink = Drawn(*db);
        ASSERT_FALSE(sink.texts.empty()) << c.flags << " " << c.rotation;
        EXPECT_NEAR(sink.texts[0].angle, c.expected, 1e-9) << c.flags << " " << c.rotation;
    }
}

TEST(LineTypeElements, AStyleHeightScalesTheText)
{
    auto db = Drawing(2, "W", 0, 0.0, 1.5, HorizontalLine);
    const RecordingSink sink = Drawn(*db);
    ASSERT_FALSE(sink.texts.empty());
    EXPECT_NEAR(sink.texts[0].height, 2.0 * 1.5 * 2.0, 1e-9);
}

// Shape 7 of "marks.shx": a unit stroke along x; any other shape or file is unknown.
class OneShape final : public ShapeSource
{
public:
    bool Strokes(const std::string& file, int number, std::vector<std::vector<Vec2>>& strokes) const override
    {
        if (file != "marks.shx" || number != 7)
            return false;
        strokes = {{{0, 0}, {1, 0}}};
        return true;
    }
};

TEST(LineTypeElements, ShapesComeFromTheShapeSource)
{
    auto db = Drawing(4, "", 7, 90.0, 0.0, HorizontalLine);
    // Without a source the gaps stay empty: the four dashes only.
    EXPECT_EQ(Drawn(*db).strokes.size(), 4u);
    const OneShape shapes;
    const RecordingSink sink = Drawn(*db, &shapes);
    ASSERT_EQ(sink.strokes.size(), 8u);
    // The first shape: its unit stroke at scale 2 (4 pixels), turned 90 degrees from the line
    // (up the screen), from the element's start moved back 1 and down half a unit.
    const auto& shape = sink.strokes[1];
    ASSERT_EQ(shape.points.size(), 2u);
    EXPECT_NEAR(shape.points[0].x, (4.0 - 1.0) * 2.0, 1e-6);
    EXPECT_NEAR(shape.points[0].y, 61.0, 1e-6);
    EXPECT_NEAR(shape.points[1].x, (4.0 - 1.0) * 2.0, 1e-6);
    EXPECT_NEAR(shape.points[1].y, 57.0, 1e-6);
    // An unknown shape number draws nothing.
    auto unknown = Drawing(4, "", 8, 0.0, 0.0, HorizontalLine);
    EXPECT_EQ(Drawn(*unknown, &shapes).strokes.size(), 4u);
}

// The drawing's shape files give the shapes: shape 7 an "L" of one unit along and one up, in a
// shape file (its unit the vector unit) and in a font of capital height 10 (its unit the
// capital height), so both draw alike; shape 8 draws nothing, and no stroke reaches the gaps
// when the drawing's file is not among the fonts found.
TEST(LineTypeElements, ShapesFromTheDrawingsShapeFile)
{
    const struct { bool font; int unit; } files[] = {{false, 1}, {true, 10}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.font);
        orvo::portable::ShxBuilder builder(f.unit);
        builder.Shape(7, {1, 8, f.unit, 0, 8, 0, f.unit}, "ELL").Shape(8, {2, 8, f.unit, 0});
        ShapeFontSet fonts;
        fonts.Add("C:\\Support\\MARKS.SHX", ShxFont::Parse(builder.Regular(f.font)));
        std::vector<std::vector<Vec2>> strokes;
        ASSERT_TRUE(fonts.Strokes("marks.shx", 7, strokes));
        ASSERT_EQ(strokes.size(), 1u);
        ASSERT_EQ(strokes[0].size(), 3u);
        EXPECT_NEAR(strokes[0][1].x, 1.0, 1e-12);
        EXPECT_NEAR(strokes[0][2].y, 1.0, 1e-12);
        EXPECT_TRUE(fonts.Strokes("marks", 8, strokes));
        EXPECT_TRUE(strokes.empty());
        EXPECT_FALSE(fonts.Strokes("marks.shx", 9, strokes));
        EXPECT_FALSE(fonts.Strokes("other.shx", 7, strokes));
        EXPECT_FALSE(fonts.Strokes("marks.shx", 0, strokes));

        auto db = Drawing(4, "", 7, 0.0, 0.0, HorizontalLine);
        const RecordingSink sink = Drawn(*db, &fonts);
        // Four dashes, each followed by its shape: from the gap's start (4 + 10 i) one unit back
        // and half a unit down, two units (four pixels) along the line, then two up.
        ASSERT_EQ(sink.strokes.size(), 8u);
        for (std::size_t i = 0; i < 4; ++i) {
            const auto& shape = sink.strokes[2 * i + 1].points;
            ASSERT_EQ(shape.size(), 3u);
            const double x = (4.0 + 10.0 * static_cast<double>(i) - 1.0) * 2.0;
            EXPECT_NEAR(shape[0].x, x, 1e-6);
            EXPECT_NEAR(shape[0].y, 61.0, 1e-6);
            EXPECT_NEAR(shape[1].x, x + 4.0, 1e-6);
            EXPECT_NEAR(shape[1].y, 61.0, 1e-6);
            EXPECT_NEAR(shape[2].x, x + 4.0, 1e-6);
            EXPECT_NEAR(shape[2].y, 57.0, 1e-6);
        }
        // Turned with the line by the element's rotation: the stroke along goes up the screen.
        auto turned = Drawing(4, "", 7, 90.0, 0.0, HorizontalLine);
        const RecordingSink up = Drawn(*turned, &fonts);
        ASSERT_EQ(up.strokes.size(), 8u);
        EXPECT_NEAR(up.strokes[1].points[1].x, 6.0, 1e-6);
        EXPECT_NEAR(up.strokes[1].points[1].y, 57.0, 1e-6);
        EXPECT_NEAR(up.strokes[1].points[2].x, 2.0, 1e-6);
        // A shape the file lacks leaves the gaps empty; so does a drawing whose file was not found.
        EXPECT_EQ(Drawn(*Drawing(4, "", 9, 0.0, 0.0, HorizontalLine), &fonts).strokes.size(), 4u);
        ShapeFontSet none;
        EXPECT_EQ(Drawn(*db, &none).strokes.size(), 4u);
    }
}

TEST(LineTypeElements, TheFirstEntityDashesAtItsOwnScale)
{
    // The pattern is set in device pixels of the entity's transform: the first entity drawn, or
    // one inside a scaled block, must not take the scale of whatever was drawn before it.
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LTYPE");
    b.S(0, "LTYPE").S(2, "DASH").I(70, 0).S(3, "").I(72, 65).I(73, 2).D(40, 10.0).D(49, 5.0)
        .D(49, -5.0);
    b.S(0, "ENDTAB").EndSection();
    b.Section("BLOCKS").S(0, "BLOCK").S(2, "B").I(70, 0).P(10, 0, 0);
    b.S(0, "LINE").S(8, "0").S(6, "DASH").P(10, 0, 0).P(11, 20, 0);
    b.S(0, "ENDBLK").EndSection();
    b.Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").S(6, "DASH").P(10, 0, 40).P(11, 40, 40);
    b.S(0, "INSERT").S(8, "0").S(2, "B").P(10, 0, 10).D(41, 2.0).D(42, 2.0);
    b.EndSection().Eof();
    auto db = Read(b);
    const RecordingSink sink = Drawn(*db);
    // The line: 4 dashes of 5 units; the block's line, twice as large: 2 dashes of 10 units
    // (the pattern scales with the block, as in CAD programs).
    ASSERT_EQ(sink.strokes.size(), 6u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(sink.strokes[i].points[1].x - sink.strokes[i].points[0].x, 10.0, 1e-6) << i;
    for (std::size_t i = 4; i < 6; ++i)
        EXPECT_NEAR(sink.strokes[i].points[1].x - sink.strokes[i].points[0].x, 20.0, 1e-6) << i;
}

TEST(LineTypeElements, SavedTheyKeepTheirTextsAndShapes)
{
    using RkWrite::DrawingSaver;
    for (const int flags : {2, 4 | 1}) {
        auto db = Drawing(flags, flags & 2 ? "GAS" : "", flags & 4 ? 7 : 0, 30.0, 0.0, HorizontalLine);
        // DXF and DWG of R14, 2000 and 2004 keep the elements; R12 (version 5) has no place for
        // them.
        const struct { int kind, version; } saves[] = {
            {DrawingSaver::kDxf, 5}, {DrawingSaver::kDxf, 7}, {DrawingSaver::kDxf, 8}, {DrawingSaver::kDxf, 9},
            {DrawingSaver::kDwg, 7}, {DrawingSaver::kDwg, 8}, {DrawingSaver::kDwg, 9}};
        for (const auto [kind, version] : saves) {
            std::string bytes;
            ASSERT_EQ(DrawingSaver::Build(*db, kind, version, bytes).status, RkWrite::SaveStatus::Ok);
            Database back;
            if (kind == DrawingSaver::kDxf)
                ASSERT_EQ(RkDxf::DxfReader(back).Read(bytes.data(), bytes.size()), RkDxf::DxfReader::Status::Ok);
            else
                ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), back),
                          orvo::dwg::DwgReadResult::Ok);
            const std::int32_t index = back.LineTypes().Find("MARKED");
            ASSERT_GE(index, 0);
            const LineType& lt = back.LineTypes()[index];
            ASSERT_EQ(lt.elements.size(), 2u);
            const LineTypeElement& e = lt.elements[1];
            EXPECT_DOUBLE_EQ(e.length, -6.0);
            if (version == 5) {
                EXPECT_EQ(e.kind, LineTypeElement::Kind::Plain);
                continue;
            }
            SCOPED_TRACE(kind * 100 + version);
            EXPECT_EQ(e.kind, flags & 2 ? LineTypeElement::Kind::Text : LineTypeElement::Kind::Shape) << version;
            EXPECT_EQ(e.text, flags & 2 ? "GAS" : "") << version;
            EXPECT_EQ(e.shapeNumber, flags & 4 ? 7 : 0) << version;
            EXPECT_EQ(e.absoluteRotation, (flags & 1) != 0) << version;
            EXPECT_EQ(e.style, back.TextStyles().Find("S")) << version;
            EXPECT_NEAR(e.rotation, kPi / 6, 1e-9) << version;
            EXPECT_DOUBLE_EQ(e.scale, 2.0);
            EXPECT_DOUBLE_EQ(e.offset.x, -1.0);
            EXPECT_DOUBLE_EQ(e.offset.y, -0.5);
        }
    }
}

} // namespace
