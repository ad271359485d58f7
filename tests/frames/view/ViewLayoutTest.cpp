// Paper layouts in the view frame with the real drawing thread and a shared sample: a layout tab
// shows its sheet in the paper colour on a darker surround with what is drawn on it, and going
// back to Model shows the model as the user left it.
#include "frames/view/CViewFrame.h"

#include "engine/draw/PaperSheet.h"
#include "engine/rkio/CDrawing.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstdint>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
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
};

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

namespace {

std::string LittleEndian(const void* data, std::size_t size)
{
    return std::string(static_cast<const char*>(data), size);
}

// Proxy graphics of one circle in ACI colour 5 (blue): a size, a command count, then each
// command's size, kind and data.
std::string ProxyCircleHex(double x, double y, double radius)
{
    std::string commands;
    const auto command = [&commands](std::uint32_t kind, const std::string& data) {
        const std::uint32_t size = static_cast<std::uint32_t>(8 + data.size());
        commands += LittleEndian(&size, 4) + LittleEndian(&kind, 4) + data;
    };
    const std::uint32_t blue = 5;
    command(14, LittleEndian(&blue, 4));
    const double circle[7] = {x, y, 0.0, radius, 0.0, 0.0, 1.0};
    command(2, LittleEndian(circle, sizeof circle));
    const std::uint32_t total = static_cast<std::uint32_t>(8 + commands.size()), count = 2;
    const std::string bytes = LittleEndian(&total, 4) + LittleEndian(&count, 4) + commands;
    std::string hex;
    const char* digits = "0123456789ABCDEF";
    for (const unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

// A sheet as a 3D modeller leaves it: model space empty, the paper 200 x 100 mm with margins
// left 30, bottom 15, right 10, top 5, and on it only an application's entity that keeps its
// picture as proxy graphics (a circle at 80,40). The sheet runs -30,-15 to 170,85 and its
// printable area 0,0 to 160,80.
std::string SheetDxf()
{
    const std::string hex = ProxyCircleHex(80, 40, 15);
    return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
           "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nBLOCK_RECORD\n70\n2\n"
           "0\nBLOCK_RECORD\n5\n1F\n2\n*Model_Space\n340\n22A\n"
           "0\nBLOCK_RECORD\n5\n1B\n2\n*Paper_Space\n340\n22B\n0\nENDTAB\n0\nENDSEC\n"
           "0\nSECTION\n2\nBLOCKS\n"
           "0\nBLOCK\n5\n42\n330\n1F\n8\n0\n2\n*Model_Space\n70\n0\n10\n0\n20\n0\n30\n0\n0\nENDBLK\n5\n43\n330\n1F\n8\n0\n"
           "0\nBLOCK\n5\n44\n330\n1B\n8\n0\n2\n*Paper_Space\n70\n0\n10\n0\n20\n0\n30\n0\n0\nENDBLK\n5\n45\n330\n1B\n8\n0\n"
           "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
           "0\nACAD_PROXY_ENTITY\n5\n101\n330\n1B\n100\nAcDbEntity\n67\n1\n8\n0\n100\nAcDbProxyEntity\n90\n498\n91\n500\n"
           "92\n" + std::to_string(hex.size() / 2) + "\n310\n" + hex + "\n93\n0\n"
           "0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n"
           "0\nLAYOUT\n5\n22A\n100\nAcDbPlotSettings\n44\n0\n45\n0\n100\nAcDbLayout\n1\nModel\n70\n1\n71\n0\n330\n1F\n"
           "0\nLAYOUT\n5\n22B\n100\nAcDbPlotSettings\n40\n30\n41\n15\n42\n10\n43\n5\n44\n200\n45\n100\n46\n0\n47\n0\n"
           "72\n1\n73\n0\n100\nAcDbLayout\n1\nSheet\n70\n1\n71\n1\n10\n0\n20\n0\n11\n0\n21\n0\n330\n1B\n"
           "0\nENDSEC\n0\nEOF\n";
}

bool IsSheetColour(COLORREF c)
{
    return c == Gdi(RkDraw::PaperSheet::kPaper) || c == Gdi(RkDraw::PaperSheet::kSurround) ||
           c == Gdi(RkDraw::PaperSheet::kShadow) || c == Gdi(RkDraw::PaperSheet::kMargin);
}

} // namespace

TEST_F(ViewLayoutTest, TheSheetShowsItsPrintableAreaAndAProxyEntityOnIt)
{
    orvo::test::TempDir dir;
    ASSERT_TRUE(OpenDxfText(dir / "sheet.dxf", SheetDxf()));
    ASSERT_EQ(m_frame->GetTabs().GetItemCount(), 2);
    ASSERT_TRUE(ShowTab(1));
    int width = 0, height = 0;
    const std::vector<COLORREF> pixels =
        orvo::test::PrintClientPixels(m_frame->GetView().GetSafeHwnd(), 1, &width, &height);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(width) * height);
    const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; };
    // The sheet's pixel box: everything that is neither surround nor shadow.
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (at(x, y) == Gdi(RkDraw::PaperSheet::kPaper)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_LT(left, right) << "the sheet is shown";
    const double perUnit = (right - left + 1) / 200.0;
    EXPECT_NEAR((bottom - top + 1) / perUnit, 100.0, 3.0) << "the paper's own proportions";
    // Where the dashed outline must lie: x of the printable area's left and right edges, y of its
    // bottom and top, each looked for within two pixels across a stretch longer than a dash and
    // its gap, since a stretch may fall on a gap.
    const auto vertical = [&](double unitX) {
        const int x = left + static_cast<int>(std::lround((unitX + 30) * perUnit));
        const int y0 = top + (bottom - top) / 2;
        int found = 0;
        for (int dx = -2; dx <= 2; ++dx)
            for (int y = y0 - 12; y <= y0 + 12; ++y)
                found += x + dx >= 0 && x + dx < width && at(x + dx, y) == Gdi(RkDraw::PaperSheet::kMargin);
        return found;
    };
    const auto horizontal = [&](double unitY) {
        const int y = bottom - static_cast<int>(std::lround((unitY + 15) * perUnit));
        const int x0 = left + (right - left) / 3;
        int found = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int x = x0 - 12; x <= x0 + 12; ++x)
                found += y + dy >= 0 && y + dy < height && at(x, y + dy) == Gdi(RkDraw::PaperSheet::kMargin);
        return found;
    };
    EXPECT_GT(vertical(0), 4) << "the left margin";
    EXPECT_GT(vertical(160), 4) << "the right margin";
    EXPECT_GT(horizontal(0), 4) << "the bottom margin";
    EXPECT_GT(horizontal(80), 4) << "the top margin";
    EXPECT_EQ(vertical(-20), 0) << "nothing of the outline in the left margin";
    // Dashed: along the left edge both the outline and the paper show.
    const int edgeX = left + static_cast<int>(std::lround(30 * perUnit));
    int ink = 0, paper = 0;
    for (int y = top + 10; y < bottom - 10; ++y) {
        const COLORREF c = at(edgeX, y);
        ink += c == Gdi(RkDraw::PaperSheet::kMargin);
        paper += c == Gdi(RkDraw::PaperSheet::kPaper);
    }
    EXPECT_GT(ink, 0) << "the outline runs along the left edge";
    EXPECT_GT(paper, 0) << "the outline is dashed";
    int drawn = 0;
    for (const COLORREF c : pixels)
        drawn += !IsSheetColour(c);
    EXPECT_GT(drawn, 30) << "the application's entity draws its proxy graphics on the sheet";
    EXPECT_EQ(at(left + static_cast<int>(std::lround(110 * perUnit)),
                 bottom - static_cast<int>(std::lround(55 * perUnit))),
              Gdi(RkDraw::PaperSheet::kPaper))
        << "the circle's centre is paper";
}

TEST_F(ViewLayoutTest, TheSamplesLayoutsShowTheirPrintableArea)
{
    ORVO_REQUIRE_SAMPLES(samples);
    struct Case
    {
        const char* file;
        int tab;
    };
    for (const Case& c : {Case{"\\dwg\\2000\\PolyLine2D.dwg", 2}, Case{"\\dwg\\example_2018.dwg", 1}}) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(OpenAndWait(samples + c.file));
        ASSERT_GT(m_frame->GetTabs().GetItemCount(), c.tab);
        ASSERT_TRUE(ShowTab(c.tab));
        int width = 0, height = 0;
        const std::vector<COLORREF> pixels =
            orvo::test::PrintClientPixels(m_frame->GetView().GetSafeHwnd(), 1, &width, &height);
        int margin = 0, paper = 0;
        for (const COLORREF p : pixels) {
            margin += p == Gdi(RkDraw::PaperSheet::kMargin);
            paper += p == Gdi(RkDraw::PaperSheet::kPaper);
        }
        EXPECT_GT(paper, width * height / 5) << "the sheet";
        EXPECT_GT(margin, width / 2) << "its printable area's dashed outline";
    }
}
