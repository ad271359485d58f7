// Text as GDI draws it: widths from the face's own advances at every size, the view fitted to a
// large text holding all of it, aligned and rotated texts around their alignment points, and the
// colours of multiline text runs, in off-screen pictures.
#include "OffscreenPicture.h"

#include "engine/rkio/GdiDrawSink.h"
#include "engine/rkio/TextMeasure.h"
#include "engine/rkio/rkio.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/engine/portable/ShxBuilder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using orvo::portable::DxfBuilder;
using orvo::test::OffscreenPicture;
using orvo::test::TempDir;

constexpr std::uint32_t kWhite = 0xFFFFFF;

// The box of the pixels that are not white: left, top, right, bottom (right < left when none).
struct Ink
{
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Ink InkOf(const OffscreenPicture& picture, int width, int height, std::uint32_t only = 0xFFFFFFFF)
{
    Ink ink;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = picture.Pixel(x, y);
            if (p == kWhite || (only != 0xFFFFFFFF && p != only))
                continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

// A red square frame of 200 units from the origin, so a fitted picture has a known scale.
void RedFrame(DxfBuilder& b)
{
    b.S(0, "LWPOLYLINE").S(8, "0").I(62, 1).I(90, 4).I(70, 1).D(10, 0).D(20, 0).D(10, 200).D(20, 0)
        .D(10, 200).D(20, 200).D(10, 0).D(20, 200);
}

class TextPlacement : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
    }

    // Opens the drawing and draws it fitted into a white picture.
    static void Render(const std::string& path, OffscreenPicture& picture, int width, int height)
    {
        CDrawing* drawing = CDrawing::CreateDrawing(1);
        ASSERT_EQ(drawing->Open(path.c_str(), ""), 0) << path;
        EXPECT_TRUE(drawing->RenderFitted(picture.Dc(), width, height, nullptr));
        CDrawing::DeleteDrawing(drawing);
    }

    std::string Write(const DxfBuilder& b)
    {
        const std::string path = m_dir / "text.dxf";
        const std::string data = b.Ascii();
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, data.data(), data.size()));
        return path;
    }

    TempDir m_dir;
};

// Measured at a few pixels or at hundreds, a text takes the same share of its height: the
// extents taken at one scale then hold the text drawn at another.
TEST_F(TextPlacement, WidthsScaleWithTheHeight)
{
    OffscreenPicture picture(10, 10, RGB(255, 255, 255));
    RkDraw::GdiDrawSink sink(picture.Dc());
    RkDraw::TextRun run;
    run.face = "Arial";
    for (const char* text : {"EGOUT", "Wide text, with spaces", "iiiilll", "WWWMMM"}) {
        run.utf8 = text;
        run.height = 1000.0;
        const double large = sink.TextWidth(run);
        ASSERT_GT(large, 0.0) << text;
        for (const double h : {3.0, 7.0, 13.0, 50.0, 401.0}) {
            run.height = h;
            EXPECT_NEAR(sink.TextWidth(run) / h, large / 1000.0, large / 1000.0 * 0.002) << text << " at " << h;
            EXPECT_DOUBLE_EQ(RkIo::TextMeasure::Width(run), sink.TextWidth(run)) << text;
        }
    }
    // Tracking adds its extra to each character.
    run.utf8 = "abc";
    run.height = 20.0;
    const double plain = sink.TextWidth(run);
    run.charExtra = 4.0;
    EXPECT_NEAR(sink.TextWidth(run), plain + 12.0, 1e-9);
}

// A large middle-aligned text beside a small line: fitted, the whole text is inside the view
// (its last letter was cut when the extents took an estimate of its width).
TEST_F(TextPlacement, FittedViewHoldsALargeTextWhole)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 10, 0);
    b.S(0, "TEXT").S(8, "0").P(10, 0, 0).D(40, 100).S(1, "EGOUT WWW").I(72, 4).P(11, 300, 200);
    b.EndSection().Eof();
    OffscreenPicture picture(400, 300, RGB(255, 255, 255));
    Render(Write(b), picture, 400, 300);
    const Ink ink = InkOf(picture, 400, 300);
    EXPECT_GE(ink.left, 1);
    EXPECT_LE(ink.right, 398);
    EXPECT_GE(ink.right, 380) << "the text fills the view's width";
}

// The sample's large "EGOUT" lies inside the view, its last letter too.
TEST_F(TextPlacement, SampleLargeTextInsideTheView)
{
    ORVO_REQUIRE_SAMPLES(dir);
    const std::string path = dir + "\\dwg\\real\\pyegout_sewer.dwg";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "pyegout_sewer.dwg is absent";
    OffscreenPicture picture(400, 300, RGB(255, 255, 255));
    Render(path, picture, 400, 300);
    const Ink black = InkOf(picture, 400, 300, 0x000000);
    EXPECT_LE(black.right, 398) << "the text's last letter reaches the view's edge";
    EXPECT_GE(black.right, 370);
    EXPECT_GE(black.top, 1);
}

// Centred and middle texts, rotated, sit around their alignment point; a top-aligned one hangs
// below it, a bottom-aligned one stands above it, a centred one on its baseline stands beside
// the point on the side its rotation gives "up".
TEST_F(TextPlacement, AlignedAndRotatedTextsAroundTheirAlignmentPoint)
{
    struct Case
    {
        int h, v;
        double rotation;
        double dx, dy;          // where the ink's centre lies from the point, in text heights
    };
    const Case cases[] = {
        {1, 2, 0.0, 0.0, 0.0},  {4, 0, 0.0, 0.0, 0.0},   {1, 2, 90.0, 0.0, 0.0},
        {4, 0, 30.0, 0.0, 0.0}, {1, 3, 0.0, 0.0, -0.5},  {1, 3, 90.0, 0.5, 0.0},
        // Bottom: the descenders' foot (0.3 of the height below the baseline) on the point.
        {1, 1, 0.0, 0.0, 0.8},  {1, 1, 180.0, 0.0, -0.8}, {1, 0, 90.0, -0.5, 0.0},
    };
    for (const Case& c : cases) {
        DxfBuilder b;
        b.Header("AC1015").Section("ENTITIES");
        // A frame 0..200 fixes the view.
        RedFrame(b);
        b.S(0, "TEXT").S(8, "0").I(62, 5).P(10, 0, 0).D(40, 20).S(1, "HHHH").D(50, c.rotation)
            .I(72, c.h).P(11, 100, 100).S(100, "AcDbText").I(73, c.v);
        b.EndSection().Eof();
        OffscreenPicture picture(204, 204, RGB(255, 255, 255));
        Render(Write(b), picture, 204, 204);
        const Ink ink = InkOf(picture, 204, 204, 0x0000FF);
        ASSERT_GE(ink.right, ink.left) << c.h << "/" << c.v << " at " << c.rotation;
        // The frame fills 98 % of the picture; y runs downwards.
        const double scale = 204 * 0.98 / 200.0;
        const double cx = (ink.left + ink.right) / 2.0, cy = (ink.top + ink.bottom) / 2.0;
        const double px = 102.0 + c.dx * 20 * scale, py = 102.0 - c.dy * 20 * scale;
        EXPECT_NEAR(cx, px, 3.0) << c.h << "/" << c.v << " at " << c.rotation;
        EXPECT_NEAR(cy, py, 3.0) << c.h << "/" << c.v << " at " << c.rotation;
    }
}

// Runs of one multiline text in their own colours, on the device.
TEST_F(TextPlacement, MultilineRunsInTheirOwnColours)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 100, 0);
    b.S(0, "MTEXT").S(100, "AcDbEntity").S(8, "0").I(62, 3).S(100, "AcDbMText").P(10, 0, 40).D(40, 20)
        .I(71, 1).S(1, "{\\C1;HH}{\\c16711680;HH}HH");
    b.EndSection().Eof();
    OffscreenPicture picture(200, 100, RGB(255, 255, 255));
    Render(Write(b), picture, 200, 100);
    const Ink red = InkOf(picture, 200, 100, 0xFF0000);
    const Ink blue = InkOf(picture, 200, 100, 0x0000FF);
    const Ink green = InkOf(picture, 200, 100, 0x00FF00);
    ASSERT_GE(red.right, red.left);
    ASSERT_GE(blue.right, blue.left);
    ASSERT_GE(green.right, green.left);
    EXPECT_LT(red.right, blue.left);
    EXPECT_LT(blue.right, green.left);
}

} // namespace

namespace {

// The pixels a run of one character leaves, as a string of 0 and 1.
std::string Glyph(const char* utf8, const char* face)
{
    OffscreenPicture picture(48, 48, RGB(255, 255, 255));
    RkDraw::GdiDrawSink sink(picture.Dc());
    RkDraw::TextRun run;
    run.utf8 = utf8;
    run.face = face;
    run.height = 28.0;
    run.origin = {6.0, 38.0};
    sink.Text(run);
    sink.Flush();
    std::string bits;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x)
            bits += picture.Pixel(x, y) == kWhite ? '0' : '1';
    }
    return bits;
}

} // namespace

// Chinese text draws as its glyphs, not as the one box of a missing character: the faces the
// program draws with (and SimSun, which drawings name) find a CJK face on the system.
TEST_F(TextPlacement, ChineseCharactersDrawAsGlyphs)
{
    for (const char* face : {"Arial", "SimSun"}) {
        const std::string middle = Glyph("\xE4\xB8\xAD", face);      // U+4E2D
        const std::string country = Glyph("\xE5\x9B\xBD", face);     // U+56FD
        const std::string box = Glyph("\xEE\x80\x80", face);         // a private-use character
        EXPECT_GT(std::count(middle.begin(), middle.end(), '1'), 40) << face;
        EXPECT_NE(middle, country) << face << ": both characters drawn alike";
        EXPECT_NE(middle, box) << face << ": drawn as the missing-character box";
    }
}

// A style's SHX font beside the drawing draws its text: the test font's "X" is a square box,
// so the middle of the glyph stays empty where a TrueType X crosses. Without the file the
// TrueType face stands in.
TEST_F(TextPlacement, ShapeFontBesideTheDrawingDrawsItsText)
{
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "STYLE");
    b.S(0, "STYLE").S(2, "Stroke").I(70, 0).D(40, 0).D(41, 1).S(3, "testfont");
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    RedFrame(b);
    b.S(0, "TEXT").S(8, "0").I(62, 5).S(7, "Stroke").P(10, 50, 50).D(40, 100).S(1, "X");
    b.EndSection().Eof();
    const std::string drawing = Write(b);
    const auto middle = [&](bool withFont) {
        const std::string font = m_dir / "testfont.shx";
        const std::string data = orvo::portable::TestFont().Regular();
        if (withFont)
            EXPECT_TRUE(orvo::test::WriteFileBytes(font, data.data(), data.size()));
        else
            ::DeleteFileA(font.c_str());
        OffscreenPicture picture(204, 204, RGB(255, 255, 255));
        Render(drawing, picture, 204, 204);
        // The middle of the glyph's ink: inside the box, or where the strokes of an X cross.
        const Ink box = InkOf(picture, 204, 204, 0x0000FF);
        EXPECT_GT(box.right - box.left, 60);
        return picture.Pixel((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    };
    EXPECT_EQ(middle(true), kWhite);
    EXPECT_NE(middle(false), kWhite);
    // Put back after the folder was searched without it, it is found again.
    EXPECT_EQ(middle(true), kWhite);
    EXPECT_NE(middle(false), kWhite);

    // A multiline text naming the font in its own code finds it too.
    DxfBuilder m;
    m.Header("AC1015").Section("ENTITIES");
    RedFrame(m);
    m.S(0, "MTEXT").S(100, "AcDbEntity").S(8, "0").I(62, 5).S(100, "AcDbMText").P(10, 50, 150).D(40, 100)
        .I(71, 1).S(1, "{\\Ftestfont.shx|c0;X}");
    m.EndSection().Eof();
    const std::string font = m_dir / "testfont.shx";
    const std::string data = orvo::portable::TestFont().Regular();
    ASSERT_TRUE(orvo::test::WriteFileBytes(font, data.data(), data.size()));
    const std::string path = m_dir / "mtext.dxf";
    const std::string dxf = m.Ascii();
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, dxf.data(), dxf.size()));
    OffscreenPicture picture(204, 204, RGB(255, 255, 255));
    Render(path, picture, 204, 204);
    const Ink box = InkOf(picture, 204, 204, 0x0000FF);
    EXPECT_GT(box.right - box.left, 60);
    EXPECT_EQ(picture.Pixel((box.left + box.right) / 2, (box.top + box.bottom) / 2), kWhite);
}

namespace {

// A blue line of the line type "SHAPED" (dashes of 40 with a shape of the shape file
// "lineshapes.shx" in each gap: shape 1, a bar one unit up, 30 high, 20 into the gap) in a red
// frame 400 x 200.
orvo::portable::DxfBuilder ShapedLine()
{
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LTYPE");
    b.S(0, "LTYPE").S(5, "40").S(100, "AcDbSymbolTableRecord").S(100, "AcDbLinetypeTableRecord")
        .S(2, "SHAPED").I(70, 0).S(3, "").I(72, 65).I(73, 2).D(40, 80.0);
    b.D(49, 40.0).I(74, 0);
    b.D(49, -40.0).I(74, 4).I(75, 1).S(340, "30").D(46, 30.0).D(50, 0.0).D(44, 20.0).D(45, 0.0);
    b.S(0, "ENDTAB").S(0, "TABLE").S(2, "STYLE");
    b.S(0, "STYLE").S(5, "30").S(100, "AcDbSymbolTableRecord").S(100, "AcDbTextStyleTableRecord")
        .S(2, "LSHAPES").I(70, 1).D(40, 0).D(41, 1).S(3, "lineshapes.shx");
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    b.S(0, "LWPOLYLINE").S(8, "0").I(62, 1).I(90, 4).I(70, 1).D(10, 0).D(20, -100).D(10, 400).D(20, -100)
        .D(10, 400).D(20, 100).D(10, 0).D(20, 100);
    b.S(0, "LINE").S(8, "0").I(62, 5).S(6, "SHAPED").P(10, 0, 0).P(11, 400, 0);
    b.EndSection().Eof();
    return b;
}

} // namespace

// A line type's shapes draw from their shape file beside the drawing: blue ink rises above the
// line in its gaps. Without the file the gaps stay empty, as before.
TEST_F(TextPlacement, LineTypeShapesFromTheShapeFileBesideTheDrawing)
{
    const std::string drawing = Write(ShapedLine());
    const std::string file = m_dir / "lineshapes.shx";
    orvo::portable::ShxBuilder shapes(1);
    shapes.Shape(1, {1, 8, 0, 1}, "BAR");
    const std::string data = shapes.Regular(false);
    const auto bars = [&](bool withFile) {
        if (withFile)
            EXPECT_TRUE(orvo::test::WriteFileBytes(file, data.data(), data.size()));
        else
            ::DeleteFileA(file.c_str());
        OffscreenPicture picture(404, 204, RGB(255, 255, 255));
        Render(drawing, picture, 404, 204);
        // The line lies across the middle; the bars reach 30 units (about 29 pixels) above it.
        const Ink line = InkOf(picture, 404, 204, 0x0000FF);
        EXPECT_GT(line.right - line.left, 300) << withFile;
        int above = 0;
        for (int y = 0; y + 8 < line.bottom; ++y)
            for (int x = 0; x < 404; ++x)
                above += picture.Pixel(x, y) == 0x0000FF ? 1 : 0;
        return std::pair<int, Ink>(above, line);
    };
    const auto [with, ink] = bars(true);
    // Five gaps, each with a bar some twenty pixels long above the line.
    EXPECT_GE(with, 5 * 18);
    EXPECT_LE(ink.top, ink.bottom - 25);
    EXPECT_EQ(bars(false).first, 0);
}

// A style's big font beside the drawing draws its Chinese character (GB code 0xD6D0, U+4E2D)
// as the font's bar: a vertical stroke, where a TrueType face's character or box has ink across
// its middle row. Without the big font the style's own font draws the rest alone.
TEST_F(TextPlacement, BigFontBesideTheDrawingDrawsItsCharacters)
{
    orvo::portable::ShxBuilder big(20);
    big.Shape(0xD6D0, {2, 8, 10, 0, 1, 8, 0, 20, 2, 8, 10, -20});
    const std::string bigData = big.Bigfont({{0xA1, 0xFE}});
    const std::string small = orvo::portable::TestFont().Regular();
    ASSERT_TRUE(orvo::test::WriteFileBytes(m_dir / "testfont.shx", small.data(), small.size()));
    DxfBuilder b;
    b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "STYLE");
    b.S(0, "STYLE").S(2, "Asian").I(70, 0).D(40, 0).D(41, 1).S(3, "testfont.shx").S(4, "gbtest.shx");
    b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
    RedFrame(b);
    b.S(0, "TEXT").S(8, "0").I(62, 5).S(7, "Asian").P(10, 50, 50).D(40, 100).S(1, "\\U+4E2D");
    b.EndSection().Eof();
    const std::string drawing = Write(b);
    const auto blue = [&](bool withBigFont) {
        const std::string file = m_dir / "gbtest.shx";
        if (withBigFont)
            EXPECT_TRUE(orvo::test::WriteFileBytes(file, bigData.data(), bigData.size()));
        else
            ::DeleteFileA(file.c_str());
        OffscreenPicture picture(204, 204, RGB(255, 255, 255));
        Render(drawing, picture, 204, 204);
        return InkOf(picture, 204, 204, 0x0000FF);
    };
    // The bar: 100 units high, at half a capital (50 units) from the text's start.
    const Ink bar = blue(true);
    EXPECT_GT(bar.bottom - bar.top, 80);
    EXPECT_LE(bar.right - bar.left, 3);
    EXPECT_NEAR((bar.left + bar.right) / 2, 100, 4);
    // Without it the character is the style font's question-mark room: nothing blue is drawn.
    const Ink none = blue(false);
    EXPECT_LT(none.right, none.left);
}
