// Paper layouts in the view frame with the real drawing thread and a shared sample: a layout tab
// shows its sheet in the paper colour on a darker surround with what is drawn on it, and going
// back to Model shows the model as the user left it.
#include "frames/view/CViewFrame.h"

#include "engine/draw/PaperSheet.h"
#include "engine/rkio/CDrawing.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/engine/portable/ByteString.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

using orvo::test::WaitFor;

namespace {

COLORREF Gdi(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

class ViewLayoutTest : public orvo::test::ViewFrameFixture
{
protected:
    bool ShowTab(int index)
    {
        const int renders = m_frame->GetRenderCount();
        m_frame->GetTabs().SetCurSel(index);
        m_frame->SwitchPage();
        return WaitFor([&] { return Thread().GetCurrentLayout() == index && m_frame->GetRenderCount() > renders; },
                       orvo::test::kViewWaitMs) &&
               Settled();
    }
    // The world point at the view's top-left pixel and the world width shown.
    std::vector<double> Shown()
    {
        CRect client;
        m_frame->GetView().GetClientRect(&client);
        double a[3] = {0.0, 0.0, 0.0};
        double b[3] = {0.0, 0.0, 0.0};
        Thread().GetDrawing()->PixelToWorld(0, client.bottom, a);
        Thread().GetDrawing()->PixelToWorld(client.right, client.bottom, b);
        return {a[0], a[1], b[0] - a[0]};
    }
    // Opens the drawing, shows its one paper layout and takes the view's pixels.
    bool ShowSheet(const std::string& path, const std::string& dxf)
    {
        if (!OpenDxfText(path, dxf) || m_frame->GetTabs().GetItemCount() != 2 || !ShowTab(1))
            return false;
        m_pixels = orvo::test::PrintClientPixels(m_frame->GetView().GetSafeHwnd(), 1, &m_width, &m_height);
        return m_pixels.size() == static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
    }
    // The pixel of a paper point, counted from the view's top-left.
    std::pair<int, int> At(double x, double y) const
    {
        const double world[3] = {x, y, 0.0};
        int px = 0, py = 0;
        Thread().GetDrawing()->WorldToPixel(world, &px, &py);
        return {px, m_height - py}; // the drawing counts its pixels upwards
    }
    int Count(const std::vector<COLORREF>& pixels, std::uint32_t rgb) const
    {
        return static_cast<int>(std::count(pixels.begin(), pixels.end(), Gdi(rgb)));
    }

    std::vector<COLORREF> m_pixels;
    int m_width = 0;
    int m_height = 0;
};

// A proxy entity of an application's class, drawn only by the graphics metafile it keeps (a size,
// a command count, then [size, kind, data] commands), its bytes in 310 groups of hex.
void AddProxy(orvo::portable::DxfBuilder& b, const char* handle, int colour, bool paperFlag, std::uint32_t kind,
              const std::string& data)
{
    std::string command(8, '\0');
    orvo::test::PutLe32(command, 0, 8 + data.size());
    orvo::test::PutLe32(command, 4, kind);
    std::string metafile(8, '\0');
    orvo::test::PutLe32(metafile, 0, 8 + command.size() + data.size());
    orvo::test::PutLe32(metafile, 4, 1);
    metafile += command + data;
    b.S(0, "ACAD_PROXY_ENTITY").S(5, handle).S(100, "AcDbEntity");
    if (paperFlag)
        b.I(67, 1);
    b.S(8, "0").I(62, colour).S(100, "AcDbProxyEntity").I(90, 498).I(91, 500);
    b.I(92, static_cast<std::int64_t>(metafile.size()));
    static const char digits[] = "0123456789ABCDEF";
    for (std::size_t at = 0; at < metafile.size(); at += 127) {
        std::string hex;
        for (std::size_t i = at; i < std::min(metafile.size(), at + 127); ++i) {
            const auto byte = static_cast<unsigned char>(metafile[i]);
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        b.S(310, hex);
    }
    b.I(93, 0).I(94, 0);
}

// A sheet whose model space is empty and whose only content is two proxies in paper space: a
// green circle about (210, 150) of radius 50 in the paper block, and a blue polyline from
// (40, 40) to (120, 250) among the entities, flagged as paper space.
std::string ProxySheetDxf()
{
    orvo::portable::DxfBuilder b;
    b.Header("AC1015");
    b.Section("CLASSES").S(0, "CLASS").S(1, "ACAD_PROXY_ENTITY").S(2, "AcDbProxyEntity").S(3, "ObjectDBX Classes");
    b.I(90, 0).I(280, 1).I(281, 1).EndSection();
    b.Section("BLOCKS").S(0, "BLOCK").S(5, "20").S(330, "1E").S(100, "AcDbEntity").S(8, "0");
    b.S(100, "AcDbBlockBegin").S(2, "*Paper_Space").I(70, 0).P(10, 0, 0).S(3, "*Paper_Space");
    AddProxy(b, "40", 3, true, 2, orvo::test::LeDoubles({210, 150, 0, 50, 0, 0, 1}));
    b.S(0, "ENDBLK").S(5, "21").S(100, "AcDbEntity").S(8, "0").S(100, "AcDbBlockEnd").EndSection();
    b.Section("ENTITIES");
    AddProxy(b, "41", 5, true, 6, orvo::test::LeLong(3) + orvo::test::LeDoubles({40, 40, 0, 80, 150, 0, 120, 250, 0}));
    b.EndSection();
    b.Section("OBJECTS").S(0, "LAYOUT").S(5, "30").S(100, "AcDbPlotSettings").S(1, "");
    b.D(44, 420).D(45, 297).I(72, 1).I(73, 0).S(100, "AcDbLayout");
    b.S(1, "Sheet").I(71, 1).P(10, 0, 0).P(11, 420, 297).S(330, "1E").EndSection().Eof();
    return b.Ascii();
}

// A layout on a 420 x 297 mm sheet whose page set-up keeps margins of 20 mm left and right, 30 mm
// at the bottom and 10 mm at the top, with a line on the paper well inside them.
std::string MarginedLayoutDxf()
{
    orvo::portable::DxfBuilder b;
    b.Header("AC1015");
    b.Section("BLOCKS").S(0, "BLOCK").S(5, "20").S(330, "1E").S(100, "AcDbEntity").S(8, "0");
    b.S(100, "AcDbBlockBegin").S(2, "*Paper_Space").I(70, 0).P(10, 0, 0).S(3, "*Paper_Space");
    b.S(0, "LINE").S(8, "0").I(62, 1).P(10, 150, 100).P(11, 270, 200);
    b.S(0, "ENDBLK").S(5, "21").S(100, "AcDbEntity").S(8, "0").S(100, "AcDbBlockEnd").EndSection();
    b.Section("ENTITIES").S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 100, 50).EndSection();
    b.Section("OBJECTS").S(0, "LAYOUT").S(5, "30").S(100, "AcDbPlotSettings").S(1, "");
    b.D(40, 20).D(41, 30).D(42, 20).D(43, 10).D(44, 420).D(45, 297).D(46, 0).D(47, 0);
    b.I(72, 1).I(73, 0).S(100, "AcDbLayout");
    b.S(1, "Sheet").I(71, 1).P(10, 0, 0).P(11, 420, 297).S(330, "1E").EndSection().Eof();
    return b.Ascii();
}

} // namespace

TEST_F(ViewLayoutTest, APaperLayoutShowsItsSheetAndModelKeepsTheUsersView)
{
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\example_2018.dwg"));
    ASSERT_GE(m_frame->GetTabs().GetItemCount(), 2);
    ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_IN));
    ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_IN));
    const std::vector<double> model = Shown();
    ASSERT_TRUE(ShowTab(1));
    int width = 0;
    int height = 0;
    const std::vector<COLORREF> pixels =
        orvo::test::PrintClientPixels(m_frame->GetView().GetSafeHwnd(), 1, &width, &height);
    int paper = 0, surround = 0, drawn = 0;
    for (const COLORREF c : pixels) {
        if (c == Gdi(RkDraw::PaperSheet::kPaper))
            ++paper;
        else if (c == Gdi(RkDraw::PaperSheet::kSurround))
            ++surround;
        else if (c != Gdi(RkDraw::PaperSheet::kShadow))
            ++drawn;
    }
    const int all = width * height;
    EXPECT_GT(paper, all / 5) << "the sheet in the paper colour";
    EXPECT_GT(surround, all / 50) << "on a darker surround, the whole sheet in view";
    EXPECT_GT(drawn, 100) << "what the layout holds is drawn on the sheet";
    EXPECT_EQ(pixels[0], Gdi(RkDraw::PaperSheet::kSurround)) << "the corner lies off the sheet";
    EXPECT_GT(Count(pixels, RkDraw::PaperSheet::kPrintable), 100) << "the printable area its page set-up keeps";
    ASSERT_TRUE(ShowTab(0));
    const std::vector<double> back = Shown();
    const double pixel = model[2] / width;
    EXPECT_NEAR(back[0], model[0], pixel) << "Model as the user left it";
    EXPECT_NEAR(back[1], model[1], pixel);
    EXPECT_NEAR(back[2], model[2], pixel);
    EXPECT_NE(orvo::test::PrintClientPixels(m_frame->GetView().GetSafeHwnd(), 4, nullptr, nullptr)[0],
              Gdi(RkDraw::PaperSheet::kSurround))
        << "model space has no sheet";
}

// The printable area is outlined dashed where the margins put it, between the sheet's edge and the
// drawing on it, and the paper shows on both sides of the outline.
TEST_F(ViewLayoutTest, APaperLayoutShowsThePrintableAreaOfItsPageSetUp)
{
    orvo::test::TempDir dir;
    ASSERT_TRUE(ShowSheet(dir / "margins.dxf", MarginedLayoutDxf()));
    const std::vector<COLORREF>& pixels = m_pixels;
    const int width = m_width, height = m_height;
    const auto at = [this](double x, double y) { return At(x, y); };
    const auto [left, top] = at(20, 297 - 10);
    const auto [right, bottom] = at(420 - 20, 30);
    const auto [sheetLeft, sheetTop] = at(0, 297);
    ASSERT_GT(left - sheetLeft, 5) << "the margin is a few pixels wide at least";
    ASSERT_GT(right, left);
    ASSERT_GT(bottom, top);
    int onOutline = 0, offOutline = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixels[static_cast<std::size_t>(y) * width + x] != Gdi(RkDraw::PaperSheet::kPrintable))
                continue;
            const bool onSide = (std::abs(x - left) <= 2 || std::abs(x - right) <= 2) && y >= top - 2 && y <= bottom + 2;
            const bool onEnd = (std::abs(y - top) <= 2 || std::abs(y - bottom) <= 2) && x >= left - 2 && x <= right + 2;
            ++(onSide || onEnd ? onOutline : offOutline);
        }
    }
    const int perimeter = 2 * ((right - left) + (bottom - top));
    EXPECT_GT(onOutline, perimeter / 3) << "dashed: more than a third of the outline drawn";
    EXPECT_LT(onOutline, perimeter * 9 / 10) << "dashed: gaps between the dashes";
    EXPECT_EQ(offOutline, 0) << "nothing else in the outline's colour";
    const auto pixel = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; };
    const int middle = (top + bottom) / 2;
    EXPECT_EQ(pixel((sheetLeft + left) / 2, middle), Gdi(RkDraw::PaperSheet::kPaper)) << "paper in the margin";
    EXPECT_EQ(pixel(left + 3, middle), Gdi(RkDraw::PaperSheet::kPaper)) << "paper inside the outline";
    EXPECT_EQ(pixel(sheetLeft - 2, middle), Gdi(RkDraw::PaperSheet::kSurround)) << "the surround off the sheet";
    EXPECT_GT(Count(pixels, RkDraw::PaperSheet::kShadow), 0) << "the sheet's shadow";
}

// A sheet whose views an application keeps only as proxy graphics: its model space is empty, and
// the layout tab shows each proxy's picture where its metafile puts it on the sheet.
TEST_F(ViewLayoutTest, ProxyGraphicsInPaperSpaceDrawOnTheSheet)
{
    orvo::test::TempDir dir;
    ASSERT_TRUE(ShowSheet(dir / "proxies.dxf", ProxySheetDxf()));
    const std::vector<COLORREF>& pixels = m_pixels;
    const int width = m_width, height = m_height;
    const auto at = [this](double x, double y) { return At(x, y); };
    struct Shape
    {
        const char* name;
        int channel;                 // 1 green, 0 blue: the one channel that is high
        double left, bottom, right, top;
    };
    const Shape shapes[] = {{"the circle in the paper block", 1, 160, 100, 260, 200},
                            {"the polyline among the entities", 0, 40, 40, 120, 250}};
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const auto [x0, y0] = at(shape.left, shape.top);
        const auto [x1, y1] = at(shape.right, shape.bottom);
        int inside = 0, outside = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = pixels[static_cast<std::size_t>(y) * width + x];
                const int high = shape.channel == 1 ? GetGValue(c) : GetBValue(c);
                const int other = shape.channel == 1 ? GetBValue(c) : GetGValue(c);
                if (high < 200 || GetRValue(c) > 80 || other > 80)
                    continue;
                ++(x >= x0 - 2 && x <= x1 + 2 && y >= y0 - 2 && y <= y1 + 2 ? inside : outside);
            }
        }
        EXPECT_GT(inside, std::max(x1 - x0, y1 - y0) / 2) << "drawn where its graphics put it";
        EXPECT_EQ(outside, 0);
    }
}
