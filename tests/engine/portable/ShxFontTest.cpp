// SHX shape fonts built here: each command kind decoded into the glyph's strokes and advance,
// both file kinds, hostile files, and texts drawn with a found font as strokes of the right size
// and width (a style whose font is not found keeps its TrueType face).
#include "ReadDrawing.h"
#include "RecordingSink.h"
#include "ShxBuilder.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/ShxFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::RecordingSink;
using orvo::portable::TestFont;

struct Box
{
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
};

Box BoxOf(const ShxFont::Glyph& g)
{
    Box b;
    for (const auto& s : g.strokes) {
        for (const auto& p : s) {
            b.minX = std::min(b.minX, p.x);
            b.maxX = std::max(b.maxX, p.x);
            b.minY = std::min(b.minY, p.y);
            b.maxY = std::max(b.maxY, p.y);
        }
    }
    return b;
}

TEST(ShxFont, EachCommandKindDecodes)
{
    const auto font = ShxFont::Parse(TestFont().Regular());
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->Unicode());
    EXPECT_DOUBLE_EQ(font->Above(), 10.0);
    // A bar, after a command for vertical text that is skipped; the pen moves on 4.
    const ShxFont::Glyph* i = font->Find('I');
    ASSERT_TRUE(i);
    ASSERT_EQ(i->strokes.size(), 1u);
    ASSERT_EQ(i->strokes[0].size(), 2u);
    EXPECT_DOUBLE_EQ(i->strokes[0][1].y, 10.0);
    EXPECT_DOUBLE_EQ(i->advance.x, 4.0);
    EXPECT_DOUBLE_EQ(i->advance.y, 0.0);
    // Pen up and down, vectors of the sixteen directions.
    const ShxFont::Glyph* l = font->Find('L');
    ASSERT_TRUE(l);
    ASSERT_EQ(l->strokes.size(), 1u);
    ASSERT_EQ(l->strokes[0].size(), 3u);
    EXPECT_DOUBLE_EQ(l->strokes[0][0].y, 10.0);
    EXPECT_DOUBLE_EQ(l->strokes[0][2].x, 6.0);
    EXPECT_DOUBLE_EQ(l->advance.x, 8.0);
    // An octant arc: a whole circle of radius 5 about (5, 5).
    const Box o = BoxOf(*font->Find('O'));
    EXPECT_NEAR(o.minX, 0.0, 1e-9);
    EXPECT_NEAR(o.maxX, 10.0, 1e-9);
    EXPECT_NEAR(o.minY, 0.0, 1e-9);
    EXPECT_NEAR(o.maxY, 10.0, 1e-9);
    EXPECT_NEAR(font->Find('O')->advance.x, 12.0, 1e-9);
    // A subshape draws the other shape.
    ASSERT_TRUE(font->Find('1'));
    EXPECT_EQ(font->Find('1')->strokes.size(), 1u);
    EXPECT_DOUBLE_EQ(font->Find('1')->advance.x, 4.0);
    // A bulge of 127 is a half circle, counter-clockwise: from (10, 0) over (5, 5) to (0, 0).
    const Box c = BoxOf(*font->Find('C'));
    EXPECT_NEAR(c.maxY, 5.0, 1e-9);
    EXPECT_NEAR(c.minY, 0.0, 1e-9);
    EXPECT_NEAR(font->Find('C')->advance.x, 12.0, 1e-9);
    // A run of displacements up to (0, 0).
    ASSERT_EQ(font->Find('V')->strokes.size(), 1u);
    EXPECT_EQ(font->Find('V')->strokes[0].size(), 3u);
    EXPECT_DOUBLE_EQ(font->Find('V')->advance.x, 8.0);
    // The degree sign is kept at 127; a character the font lacks has no glyph.
    EXPECT_EQ(font->Find(0xB0), font->Find(127));
    EXPECT_EQ(font->Find('Q'), nullptr);
}

TEST(ShxFont, UnicodeFontsAndWhatIsNoFont)
{
    auto b = TestFont();
    b.Shape(0x4E2D, {1, 0xA4, 2, 8, 10, -10});
    const auto font = ShxFont::Parse(b.Unifont());
    ASSERT_TRUE(font);
    EXPECT_TRUE(font->Unicode());
    ASSERT_TRUE(font->Find(0x4E2D));
    EXPECT_DOUBLE_EQ(font->Find(0x4E2D)->advance.x, 10.0);
    EXPECT_DOUBLE_EQ(font->Find('L')->advance.x, 8.0);
    for (const std::string& bad : {std::string(), std::string("AutoCAD-86 bigfont 1.0\r\n\x1A", 25),
                                  std::string("not a font at all"), std::string(200, '\x1A')})
        EXPECT_FALSE(ShxFont::Parse(bad)) << bad;
    // Cut at every length, with every byte of the glyphs forged: never more than the bounds.
    const std::string whole = TestFont().Regular();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const auto cut = ShxFont::Parse(whole.substr(0, n));
        if (cut && cut->Find('O')) {
            EXPECT_LE(BoxOf(*cut->Find('O')).maxX, 10.0 + 1e-9);
        }
    }
    for (std::size_t at = 30; at < whole.size(); ++at) {
        for (const int v : {0, 7, 9, 13, 14, 0x7F, 0xFF}) {
            std::string forged = whole;
            forged[at] = static_cast<char>(v);
            if (const auto f = ShxFont::Parse(forged)) {
                for (const std::uint32_t cp : {'I', 'L', 'O', '1', 'C', 'V', 'X'}) {
                    const ShxFont::Glyph* g = f->Find(cp);
                    if (g != nullptr) {
                        EXPECT_TRUE(std::isfinite(g->advance.x));
                        EXPECT_LE(g->strokes.size(), 20000u);
                    }
                }
            }
        }
    }
    // A shape that draws itself stops at the nesting bound.
    orvo::portable::ShxBuilder loop(10);
    loop.Shape('A', {1, 0x14, 7, 'A'});
    const auto looping = ShxFont::Parse(loop.Regular());
    ASSERT_TRUE(looping);
    ASSERT_TRUE(looping->Find('A'));
    EXPECT_LE(looping->Find('A')->advance.x, 10.0);
}

TEST(ShapeFontSet, KeysByTheFilesBaseName)
{
    ShapeFontSet set;
    set.Add("C:\\Fonts\\RomanS.SHX", ShxFont::Parse(TestFont().Regular()));
    EXPECT_TRUE(set.Find("romans"));
    EXPECT_TRUE(set.Find("ROMANS.shx"));
    EXPECT_TRUE(set.Find("/x/romans.shx"));
    EXPECT_FALSE(set.Find("txt"));
    EXPECT_FALSE(set.Find(""));
}

// A 100 x 100 device showing world 0..100.
ViewTransform UnitView()
{
    ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    return view;
}

std::unique_ptr<RkDb::Database> StyledText(const char* font)
{
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "STYLE");
    b.S(0, "STYLE").S(2, "Stroke").I(70, 0).D(40, 0).D(41, 1).S(3, font);
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    // Centred on (50, 20): the centre comes from the font's own advances.
    b.S(0, "TEXT").S(8, "0").S(7, "Stroke").P(10, 0, 0).D(40, 5).S(1, "IL").I(72, 1).P(11, 50, 20);
    b.S(0, "MTEXT").S(100, "AcDbEntity").S(8, "0").S(100, "AcDbMText").P(10, 10, 90).D(40, 5)
        .I(71, 1).S(7, "Stroke").S(1, "X{\\fArial|b0;Y}{\\Ftest.shx;L}");
    b.EndSection().Eof();
    return orvo::portable::Read(b);
}

TEST(ShxFont, TextsDrawWithAFoundFontAsStrokes)
{
    ShapeFontSet fonts;
    fonts.Add("test.shx", ShxFont::Parse(TestFont().Regular()));
    RenderOptions options;
    options.shapeFonts = &fonts;
    auto db = StyledText("test.shx");
    RecordingSink sink;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    // Only the run in a TrueType face reaches the sink as text.
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0].utf8, "Y");
    // "IL" is (4 + 8) / 10 of the height wide: 6, so it starts at 47; the bar is 5 high.
    ASSERT_GE(sink.strokes.size(), 2u);
    const auto& bar = sink.strokes[0].points;
    EXPECT_NEAR(bar[0].x, 47.0, 1e-9);
    EXPECT_NEAR(bar[0].y, 80.0, 1e-9);
    EXPECT_NEAR(bar[1].y, 75.0, 1e-9);
    EXPECT_NEAR(sink.strokes[1].points[2].x, 47.0 + 2.0 + 3.0, 1e-9);
    // The multiline text: the box "X" from (10, 85) 5 high, then "Y" in Arial, then "L" again
    // in the shape font.
    ASSERT_EQ(sink.strokes.size(), 4u);
    EXPECT_NEAR(sink.strokes[2].points[0].x, 10.0, 1e-9);
    EXPECT_NEAR(sink.strokes[2].points[0].y, 15.0, 1e-9);
    EXPECT_NEAR(sink.texts[0].origin.x, 10.0 + 6.0, 1e-9);
    // Extents hold the strokes.
    RkDb::Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(*db, 0, UnitView(), options, min, max));
    EXPECT_NEAR(min.x, 10.0, 1e-9);

    // Without the font the style keeps its TrueType face.
    RecordingSink plain;
    DrawingRenderer(*StyledText("other.shx"), plain, options).Draw(0, UnitView());
    EXPECT_EQ(plain.texts.size(), 3u);
}

} // namespace

namespace {

// A shape file without font information: "TRI" is a triangle of one unit.
std::string ShapeFile()
{
    orvo::portable::ShxBuilder b(1);
    b.Shape(5, {1, 8, 1, 0, 8, -1, 1, 8, 0, -1}, "TRI");
    return b.Regular(false);
}

} // namespace

// SHAPE entities draw the shape their shape file holds, by name (DXF) at their size and
// rotation; one whose file or name is not found keeps its box.
TEST(ShxFont, ShapesFromTheirShapeFile)
{
    const auto file = ShxFont::Parse(ShapeFile());
    ASSERT_TRUE(file);
    EXPECT_DOUBLE_EQ(file->Above(), 1.0);
    ASSERT_TRUE(file->ShapeNamed("tri"));
    EXPECT_EQ(file->ShapeNamed("tri"), file->ShapeNumbered(5));
    EXPECT_EQ(file->ShapeNamed("box"), nullptr);

    ShapeFontSet fonts;
    fonts.Add("shapes.shx", ShxFont::Parse(ShapeFile()));
    RenderOptions options;
    options.shapeFonts = &fonts;
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "STYLE");
    b.S(0, "STYLE").S(2, "").I(70, 1).D(40, 0).D(41, 1).S(3, "shapes.shx");
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    b.S(0, "SHAPE").S(8, "0").P(10, 20, 20).D(40, 10).S(2, "TRI");
    b.S(0, "SHAPE").S(8, "0").P(10, 60, 20).D(40, 10).S(2, "NONE");
    b.EndSection().Eof();
    auto db = orvo::portable::Read(b);
    RecordingSink sink;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    ASSERT_EQ(sink.strokes.size(), 2u);
    const auto& tri = sink.strokes[0].points;
    ASSERT_EQ(tri.size(), 4u);
    EXPECT_NEAR(tri[1].x, 30.0, 1e-9);          // (20, 20) + 10 right
    EXPECT_NEAR(tri[2].y, 70.0, 1e-9);          // (20, 30): y 70 on the device
    EXPECT_GE(sink.strokes[1].points.size(), 4u);
    EXPECT_NEAR(sink.strokes[1].points[0].x, 60.0, 1e-9);
}

namespace {

// A big font of capital height 20 for Chinese GB codes (lead bytes 0xA1-0xFE): 0xD6D0 a bar as
// high as a capital, one capital wide; 0xD6D1 draws it as a subshape by its two-byte code;
// 0xD6D2 an extended subshape (scaled primitives are not drawn), then a short bar.
std::string BigFont()
{
    orvo::portable::ShxBuilder b(20);
    b.Shape(0xD6D0, {1, 8, 0, 20, 2, 8, 20, -20});
    b.Shape(0xD6D1, {7, 0xD6, 0xD0});
    b.Shape(0xD6D2, {7, 0, 0xD6, 0xD0, 0, 0, 10, 10, 1, 0x24});
    return b.Bigfont({{0xA1, 0xFE}});
}

} // namespace

TEST(ShxFont, BigFontsByTheirDoubleByteCodes)
{
    const auto big = ShxFont::Parse(BigFont());
    ASSERT_TRUE(big);
    EXPECT_TRUE(big->Big());
    EXPECT_DOUBLE_EQ(big->Above(), 20.0);
    const ShxFont::Glyph* bar = big->ShapeNumbered(0xD6D0);
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->strokes.size(), 1u);
    EXPECT_DOUBLE_EQ(bar->strokes[0][1].y, 20.0);
    EXPECT_DOUBLE_EQ(bar->advance.x, 20.0);
    ASSERT_TRUE(big->ShapeNumbered(0xD6D1));
    EXPECT_EQ(big->ShapeNumbered(0xD6D1)->strokes.size(), 1u);
    const ShxFont::Glyph* extended = big->ShapeNumbered(0xD6D2);
    ASSERT_TRUE(extended);
    ASSERT_EQ(extended->strokes.size(), 1u);
    EXPECT_DOUBLE_EQ(extended->strokes[0][1].y, 2.0);
    // Rekeyed by the characters of its code page: 0xD6D0 is U+4E2D in GB; others dropped.
    const auto unicode = big->Rekeyed([](std::uint32_t code) { return code == 0xD6D0 ? 0x4E2Du : 0u; });
    ASSERT_TRUE(unicode->Find(0x4E2D));
    EXPECT_FALSE(unicode->Big());
    EXPECT_EQ(unicode->Find(0xD6D1), nullptr);
    // Cut anywhere, or with its index forged, it reads what is whole or nothing.
    const std::string whole = BigFont();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const auto cut = ShxFont::Parse(whole.substr(0, n));
        if (cut && cut->ShapeNumbered(0xD6D0)) {
            EXPECT_LE(cut->ShapeNumbered(0xD6D0)->strokes.size(), 1u);
        }
    }
    for (std::size_t at = 25; at < 60 && at < whole.size(); ++at) {
        for (const int v : {0, 0x7F, 0xFF}) {
            std::string forged = whole;
            forged[at] = static_cast<char>(v);
            if (const auto f = ShxFont::Parse(forged)) {
                if (const ShxFont::Glyph* g = f->ShapeNumbered(0xD6D0)) {
                    EXPECT_TRUE(std::isfinite(g->advance.x));
                }
            }
        }
    }
}

// A style's big font draws the characters it holds past ASCII, at the text's height in its own
// units; the others come from the style's font.
TEST(ShxFont, TextsDrawTheirAsianCharactersFromTheBigFont)
{
    ShapeFontSet fonts;
    fonts.Add("test.shx", ShxFont::Parse(TestFont().Regular()));
    fonts.Add("big.shx", ShxFont::Parse(BigFont())->Rekeyed([](std::uint32_t code) {
        return code == 0xD6D0 ? 0x4E2Du : 0u;
    }));
    RenderOptions options;
    options.shapeFonts = &fonts;
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "STYLE");
    b.S(0, "STYLE").S(2, "Asian").I(70, 0).D(40, 0).D(41, 1).S(3, "test.shx").S(4, "big.shx");
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    b.S(0, "TEXT").S(8, "0").S(7, "Asian").P(10, 10, 20).D(40, 5).S(1, "I\\U+4E2DI");
    b.EndSection().Eof();
    auto db = orvo::portable::Read(b);
    RecordingSink sink;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    EXPECT_TRUE(sink.texts.empty());
    // "I" (0.4 of the height: 2 units), the big font's bar 5 high at x 12, one height wide,
    // then "I" again at 17.
    ASSERT_EQ(sink.strokes.size(), 3u);
    EXPECT_NEAR(sink.strokes[1].points[0].x, 12.0, 1e-9);
    EXPECT_NEAR(sink.strokes[1].points[0].y, 80.0, 1e-9);
    EXPECT_NEAR(sink.strokes[1].points[1].y, 75.0, 1e-9);
    EXPECT_NEAR(sink.strokes[2].points[0].x, 17.0, 1e-9);
    // Without the big font the character takes the style font's room for it.
    ShapeFontSet only;
    only.Add("test.shx", ShxFont::Parse(TestFont().Regular()));
    options.shapeFonts = &only;
    RecordingSink plain;
    DrawingRenderer(*db, plain, options).Draw(0, UnitView());
    ASSERT_FALSE(plain.strokes.empty());
    EXPECT_NEAR(plain.strokes[0].points[0].x, 10.0, 1e-9);
}
