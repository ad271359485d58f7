// Inline formatting of multiline text: what the reader makes of each code, and how the painter
// lays out and draws the pieces (colour, font, height, stacks, rules, alignment, indents, wrap),
// on drawings built here and on the shared sample that uses them.
#include "PortableSupport.h"
#include "ReadDrawing.h"
#include "RecordingSink.h"

#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/MTextFormat.h"
#include "engine/draw/TextPainter.h"
#include "engine/dwg/DwgReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::RecordingSink;

constexpr double kPi = 3.14159265358979323846;

MTextLook Base()
{
    MTextLook look;
    look.height = 2.0;
    return look;
}

const MTextPiece& OnlyPiece(const std::vector<MTextParagraph>& paragraphs)
{
    EXPECT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs[0].pieces.size(), 1u);
    return paragraphs[0].pieces[0];
}

TEST(MTextFormat, EachCodeSetsItsPiecesLook)
{
    struct Case
    {
        const char* contents;
        std::function<bool(const MTextLook&)> check;
    };
    const Case cases[] = {
        {"\\C1;x", [](const MTextLook& l) { return l.colour == MTextLook::Colour::Aci && l.colourValue == 1; }},
        {"\\C256;x", [](const MTextLook& l) { return l.colour == MTextLook::Colour::Entity; }},
        {"\\C0;x", [](const MTextLook& l) { return l.colour == MTextLook::Colour::Entity; }},
        {"\\C300;x", [](const MTextLook& l) { return l.colour == MTextLook::Colour::Entity; }},
        // True colours keep red in the low byte.
        {"\\c255;x", [](const MTextLook& l) { return l.colour == MTextLook::Colour::Rgb && l.colourValue == 0xFF0000; }},
        {"\\c16711680;x", [](const MTextLook& l) { return l.colourValue == 0x0000FF; }},
        {"\\fTimes New Roman|b1|i1|c0|p18;x",
         [](const MTextLook& l) { return l.face == "Times New Roman" && l.bold && l.italic; }},
        {"\\fArial|b0|i1;x", [](const MTextLook& l) { return l.face == "Arial" && !l.bold && l.italic; }},
        {"\\Fromans.shx|c0;x", [](const MTextLook& l) { return l.fontFile == "romans.shx" && l.face.empty(); }},
        {"\\H3;x", [](const MTextLook& l) { return l.height == 3.0; }},
        {"\\H1.5x;x", [](const MTextLook& l) { return l.height == 3.0; }},
        {"\\H-1;x", [](const MTextLook& l) { return l.height == 2.0; }},
        {"\\Hnan;x", [](const MTextLook& l) { return l.height == 2.0; }},
        {"\\W0.5;x", [](const MTextLook& l) { return l.widthFactor == 0.5; }},
        {"\\Q15;x", [](const MTextLook& l) { return std::fabs(l.oblique - 15.0 * kPi / 180.0) < 1e-12; }},
        {"\\Q90;x", [](const MTextLook& l) { return l.oblique == 0.0; }},
        {"\\T2;x", [](const MTextLook& l) { return l.tracking == 2.0; }},
        {"\\A2;x", [](const MTextLook& l) { return l.verticalAlign == 2; }},
        {"\\Lx", [](const MTextLook& l) { return l.underline; }},
        {"\\Ox", [](const MTextLook& l) { return l.overline; }},
        {"\\Kx", [](const MTextLook& l) { return l.strike; }},
    };
    for (const Case& c : cases) {
        const auto paragraphs = MTextFormat::Parse(c.contents, Base());
        const MTextPiece& piece = OnlyPiece(paragraphs);
        EXPECT_EQ(piece.text, "x") << c.contents;
        EXPECT_TRUE(c.check(piece.look)) << c.contents;
    }
}

TEST(MTextFormat, BracesScopeTheLookAndPiecesSplitWhereItChanges)
{
    const auto p = MTextFormat::Parse("a{\\C1;\\H2x;b{\\Lc}d}e\\Lf\\lg", Base());
    ASSERT_EQ(p.size(), 1u);
    std::vector<std::string> texts;
    for (const auto& piece : p[0].pieces)
        texts.push_back(piece.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g"}));
    EXPECT_EQ(p[0].pieces[0].look.colour, MTextLook::Colour::Entity);
    EXPECT_EQ(p[0].pieces[1].look.colourValue, 1u);
    EXPECT_EQ(p[0].pieces[1].look.height, 4.0);
    EXPECT_TRUE(p[0].pieces[2].look.underline);
    EXPECT_FALSE(p[0].pieces[3].look.underline);
    EXPECT_EQ(p[0].pieces[3].look.height, 4.0);
    EXPECT_EQ(p[0].pieces[4].look.height, 2.0);
    EXPECT_TRUE(p[0].pieces[5].look.underline);
    EXPECT_FALSE(p[0].pieces[6].look.underline);
    // Escapes, a stray closing brace and braces nested past the bound read without harm.
    const auto escaped = MTextFormat::Parse("\\\\\\{x\\}}", Base());
    EXPECT_EQ(OnlyPiece(escaped).text, "\\{x}");
    const auto deep = MTextFormat::Parse(std::string(100000, '{') + "\\C1;x" + std::string(100000, '}') + "y", Base());
    ASSERT_EQ(deep[0].pieces.size(), 2u);
    EXPECT_EQ(deep[0].pieces[1].look.colour, MTextLook::Colour::Entity);
}

TEST(MTextFormat, StacksParagraphsAndTheirAlignmentAndIndents)
{
    const struct { const char* in; char kind; const char* upper; const char* lower; } stacks[] = {
        {"\\S1/2;", '/', "1", "2"}, {"\\S3#4;", '#', "3", "4"}, {"\\S+0.1^-0.15;", '^', "+0.1", "-0.15"},
        {"\\S1\\/2/3;", '/', "1/2", "3"}, {"\\Sa\\;b^c;", '^', "a;b", "c"},
    };
    for (const auto& s : stacks) {
        const auto paragraphs = MTextFormat::Parse(s.in, Base());
        const MTextPiece& piece = OnlyPiece(paragraphs);
        EXPECT_TRUE(piece.stacked) << s.in;
        EXPECT_EQ(piece.stackKind, s.kind) << s.in;
        EXPECT_EQ(piece.upper, s.upper) << s.in;
        EXPECT_EQ(piece.lower, s.lower) << s.in;
    }
    const auto none = MTextFormat::Parse("\\Snone;", Base());
    EXPECT_FALSE(OnlyPiece(none).stacked);

    const auto p = MTextFormat::Parse("\\pxi-1,l2,r0.5,qc,t4,8;a\\Pb\\pxqr;c\\P\\pql;^Jd", Base());
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].align, MTextParagraph::Align::Centre);
    EXPECT_DOUBLE_EQ(p[0].firstIndent, -2.0);          // multiples of the base height
    EXPECT_DOUBLE_EQ(p[0].leftIndent, 4.0);
    EXPECT_DOUBLE_EQ(p[0].rightIndent, 1.0);
    // Carried on to the next paragraph, whose own code then changes it wherever it stands.
    EXPECT_EQ(p[1].align, MTextParagraph::Align::Right);
    EXPECT_DOUBLE_EQ(p[1].leftIndent, 4.0);
    EXPECT_EQ(p[1].pieces.size(), 2u);
    EXPECT_EQ(p[2].align, MTextParagraph::Align::Left);
    EXPECT_TRUE(p[2].pieces.empty());
    EXPECT_EQ(p[3].pieces[0].text, "d");
    EXPECT_EQ(p[0].tabs, (std::vector<double>{8.0, 16.0}));
    EXPECT_EQ(p[1].tabs, p[0].tabs);
    const auto cleared = MTextFormat::Parse("\\pxt2,c4,r6;a\\P\\pxtz;b\tc", Base());
    EXPECT_EQ(cleared[0].tabs, (std::vector<double>{4.0, 8.0, 12.0}));
    EXPECT_TRUE(cleared[1].tabs.empty());
    EXPECT_EQ(cleared[1].pieces[0].text, "b\tc");
}

// A 100 x 100 device showing world 0..100.
ViewTransform UnitView()
{
    ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    return view;
}

RecordingSink DrawMText(const std::string& contents, double width = 0.0, int attachment = 1)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "MTEXT").S(100, "AcDbEntity").S(8, "0").I(62, 3).S(100, "AcDbMText").P(10, 10, 90).D(40, 2)
        .D(41, width).I(71, attachment).S(1, contents);
    b.EndSection().Eof();
    auto db = orvo::portable::Read(b);
    RecordingSink sink;
    RenderOptions options;
    DrawingRenderer(*db, sink, options).Draw(0, UnitView());
    return sink;
}

TEST(MTextLayout, EachRunKeepsItsColourFontAndHeight)
{
    const RecordingSink sink = DrawMText("green {\\C1;red} {\\c16711680;blue \\fTimes New Roman|b1|i1;bold} \\H2x;big");
    // The spaces between the groups take their room but draw nothing.
    ASSERT_EQ(sink.texts.size(), 5u);
    const std::uint32_t colours[] = {0x00FF00, 0xFF0000, 0x0000FF, 0x0000FF, 0x00FF00};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(sink.textColours[i], colours[i]) << sink.texts[i].utf8;
        EXPECT_DOUBLE_EQ(sink.texts[i].origin.y, 14.0) << "one baseline, below the top by the tallest";
        if (i > 0) {
            EXPECT_GT(sink.texts[i].origin.x, sink.texts[i - 1].origin.x);
        }
    }
    EXPECT_EQ(sink.texts[3].utf8, "bold");
    EXPECT_EQ(sink.texts[3].face, "Times New Roman");
    EXPECT_TRUE(sink.texts[3].bold && sink.texts[3].italic);
    EXPECT_FALSE(sink.texts[2].italic);
    EXPECT_DOUBLE_EQ(sink.texts[4].height, 4.0);
    EXPECT_DOUBLE_EQ(sink.texts[0].height, 2.0);
    // The recording sink gives 0.6 of the height per character: "green " is 7.2 wide.
    EXPECT_NEAR(sink.texts[1].origin.x, 10.0 + 7.2, 1e-9);
}

TEST(MTextLayout, WidthObliqueTrackingAndRules)
{
    const RecordingSink sink = DrawMText("\\W2;\\Q30;\\T2;ab\\W1;\\Q0;\\T1;\\Lc\\l\\Od\\o\\Ke");
    ASSERT_EQ(sink.texts.size(), 4u);
    EXPECT_DOUBLE_EQ(sink.texts[0].widthFactor, 2.0);
    EXPECT_NEAR(sink.texts[0].oblique, kPi / 6, 1e-12);
    // Tracking 2 doubles each advance: "ab" at width 2 is 4.8 plain, 9.6 tracked.
    EXPECT_NEAR(sink.texts[0].charExtra, 2.4, 1e-9);
    EXPECT_NEAR(sink.texts[1].origin.x, 10.0 + 9.6, 1e-9);
    // Underline below the baseline, overline above the capitals, strike-through in the middle.
    ASSERT_EQ(sink.strokes.size(), 3u);
    const double baseline = sink.texts[1].origin.y;
    EXPECT_NEAR(sink.strokes[0].points[0].y, baseline + 0.4, 1e-9);
    EXPECT_NEAR(sink.strokes[1].points[0].y, baseline - 2.4, 1e-9);
    EXPECT_NEAR(sink.strokes[2].points[0].y, baseline - 1.0, 1e-9);
    EXPECT_NEAR(sink.strokes[0].points[1].x - sink.strokes[0].points[0].x, 1.2, 1e-9);
    EXPECT_EQ(sink.strokes[0].rgb, 0x00FF00u);
}

TEST(MTextLayout, StackedFractionsAndTolerances)
{
    const RecordingSink sink = DrawMText("1\\S1/22;\\S+0.1^-0.2;");
    ASSERT_EQ(sink.texts.size(), 5u);
    const double baseline = sink.texts[0].origin.y;
    // The fraction: its parts at 0.7 of the height, the upper one raised, centred over a bar.
    EXPECT_NEAR(sink.texts[1].height, 1.4, 1e-9);
    EXPECT_LT(sink.texts[1].origin.y, baseline);
    EXPECT_GT(sink.texts[2].origin.y, baseline);
    const double upperCentre = sink.texts[1].origin.x + 0.6 * 1.4 * 0.5;
    const double lowerCentre = sink.texts[2].origin.x + 0.6 * 1.4;
    EXPECT_NEAR(upperCentre, lowerCentre, 1e-9);
    ASSERT_EQ(sink.strokes.size(), 1u);
    EXPECT_NEAR(sink.strokes[0].points[1].x - sink.strokes[0].points[0].x, 0.6 * 1.4 * 2, 1e-9);
    // The tolerance: no bar, both parts from the same left end, after the fraction.
    EXPECT_EQ(sink.texts[3].utf8, "+0.1");
    EXPECT_EQ(sink.texts[4].utf8, "-0.2");
    EXPECT_DOUBLE_EQ(sink.texts[3].origin.x, sink.texts[4].origin.x);
    EXPECT_NEAR(sink.texts[3].origin.x, sink.strokes[0].points[1].x, 1e-9);
}

TEST(MTextLayout, ParagraphAlignmentIndentsAndWrapAcrossRuns)
{
    // A box 30 wide: centred, right and indented paragraphs.
    const RecordingSink sink = DrawMText("\\pxqc;ab\\P\\pxqr;cd\\P\\pxql,i1,l2;ef gh ij kl mn op qr st uv", 30.0);
    ASSERT_GE(sink.texts.size(), 4u);
    EXPECT_NEAR(sink.texts[0].origin.x, 10.0 + (30.0 - 2.4) / 2, 1e-9);
    EXPECT_NEAR(sink.texts[1].origin.x, 10.0 + 30.0 - 2.4, 1e-9);
    EXPECT_NEAR(sink.texts[2].origin.x, 10.0 + 6.0, 1e-9);      // left 2 + first line 1, times 2
    EXPECT_NEAR(sink.texts[3].origin.x, 10.0 + 4.0, 1e-9);
    EXPECT_GT(sink.texts[3].origin.y, sink.texts[2].origin.y);
    // Words wrap across runs of different looks: "aaaa {red bbbb} cccc" in a box 14 wide
    // (each word 4.8) gives two lines, the break at the space after the red run.
    const RecordingSink wrap = DrawMText("aaaa {\\C1;bbbb} cccc", 14.0);
    ASSERT_EQ(wrap.texts.size(), 3u);
    EXPECT_DOUBLE_EQ(wrap.texts[0].origin.y, wrap.texts[1].origin.y);
    EXPECT_GT(wrap.texts[2].origin.y, wrap.texts[1].origin.y);
    EXPECT_EQ(wrap.texts[2].utf8, "cccc");
    EXPECT_DOUBLE_EQ(wrap.texts[2].origin.x, 10.0);
    EXPECT_EQ(wrap.textColours[1], 0xFF0000u);
    // A justified paragraph widens its spaces to fill the box, except on its last line; a
    // distributed one on every line.
    const RecordingSink justified = DrawMText("\\pxqj;aa bb cc dd ee", 10.0);
    ASSERT_EQ(justified.texts.size(), 4u);
    EXPECT_NEAR(justified.texts[0].origin.x, 10.0, 1e-9);
    EXPECT_NEAR(justified.texts[1].origin.x, 10.0 + 3.6 + 0.2, 1e-9);
    EXPECT_NEAR(justified.texts[2].origin.x, 10.0 + 7.2 + 0.4, 1e-9);
    EXPECT_EQ(justified.texts[3].utf8, "dd ee");
    EXPECT_NEAR(justified.texts[3].origin.x, 10.0, 1e-9);
    const RecordingSink distributed = DrawMText("\\pxqd;dd ee", 10.0);
    ASSERT_EQ(distributed.texts.size(), 2u);
    EXPECT_NEAR(distributed.texts[1].origin.x, 10.0 + 10.0 - 2.4, 1e-9);
    // Tabs move on to the paragraph's stops (multiples of the height), then every four heights.
    const RecordingSink tabbed = DrawMText("\\pxt3,5;a^Ib^Ic^Id");
    ASSERT_EQ(tabbed.texts.size(), 4u);
    const double stops[] = {10.0, 16.0, 20.0, 26.0};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(tabbed.texts[i].origin.x, stops[i], 1e-9) << tabbed.texts[i].utf8;
    // Centre attachment without a width centres each line on the insertion.
    const RecordingSink centred = DrawMText("ab\\Pabcd", 0.0, 2);
    ASSERT_EQ(centred.texts.size(), 2u);
    EXPECT_NEAR(centred.texts[0].origin.x, 10.0 - 1.2, 1e-9);
    EXPECT_NEAR(centred.texts[1].origin.x, 10.0 - 2.4, 1e-9);
}

// The sample's notes are coloured blue by their own text (\C5), its tolerance dimension stacks
// its limits in small text, over the entity's green or by-layer colour.
TEST(MTextLayout, SampleDrawsInlineColoursAndStacks)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::string data = orvo::portable::ReadWholeFile(
        orvo::portable::SamplePath(dir, "dwg/real/ezdxf_dim_radial_tutorial.dwg"));
    if (data.empty())
        GTEST_SKIP() << "ezdxf_dim_radial_tutorial.dwg is absent";
    RkDb::Database db;
    ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<std::uint8_t>(data.begin(), data.end()), db),
              orvo::dwg::DwgReadResult::Ok);
    ViewTransform view;
    view.SetDevice(1200, 900);
    RkDb::Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(db, 0, view, min, max));
    view.Fit(min, max, 0.98);
    RecordingSink sink;
    RenderOptions options;
    ASSERT_TRUE(DrawingRenderer(db, sink, options).Draw(0, view));
    int notes = 0, upper = 0, lower = 0;
    for (std::size_t i = 0; i < sink.texts.size(); ++i) {
        const std::string& t = sink.texts[i].utf8;
        if (t.rfind("dimtad", 0) == 0 || t.rfind("dimtmove", 0) == 0 || t.rfind("dimcen", 0) == 0) {
            ++notes;
            EXPECT_EQ(sink.textColours[i], 0x0000FFu) << t;
        }
        upper += t == "+0.1" ? 1 : 0;
        lower += t == "-0.15" ? 1 : 0;
    }
    EXPECT_GE(notes, 20);
    EXPECT_EQ(upper, 1);
    EXPECT_EQ(lower, 1);
    // The leaders' labels: the italic style their content names, blue where it says so.
    int labels = 0;
    for (std::size_t i = 0; i < sink.texts.size(); ++i) {
        const std::string& t = sink.texts[i].utf8;
        if (t != "center" && t != "p1" && t != "p2" && t != "base")
            continue;
        ++labels;
        EXPECT_TRUE(sink.texts[i].italic) << t;
        EXPECT_EQ(sink.textColours[i], 0x0000FFu) << t;
    }
    EXPECT_GE(labels, 8);
}

TEST(TextPainter, BoldAndItalicFromTheFontFilesName)
{
    const struct { const char* file; bool bold, italic; } cases[] = {
        {"OpenSans-BoldItalic.ttf", true, true}, {"OpenSansCondensed-LightItalic.ttf", false, true},
        {"LiberationSerif-Bold.ttf", true, false}, {"arial.ttf", false, false}, {"arialbd.ttf", true, false},
        {"ARIALI.TTF", false, true}, {"timesbi.ttf", true, true}, {"verdanaz.ttf", true, true},
        {"calibri.ttf", false, false}, {"romans.shx", false, false}, {"C:\\Fonts\\couri.ttf", false, true},
    };
    for (const auto& c : cases) {
        bool bold = false, italic = false;
        TextPainter::LookOfFile(c.file, bold, italic);
        EXPECT_EQ(bold, c.bold) << c.file;
        EXPECT_EQ(italic, c.italic) << c.file;
    }
}

} // namespace
