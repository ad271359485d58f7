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
