// The status bar with controls in its panes: panes added and removed at run time, a progress
// control that follows its pane, and the cases that must leave the bar unchanged.
#include "tests/ui/BarTestFrame.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kProgressPane = 61447;
constexpr UINT kOtherPane = 61448;

class BarStatusBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pFrame = CBarTestFrame::Make();
        ASSERT_NE(m_pFrame, nullptr);
        Bar().SetPaneWidth(0, 2000);
        Bar().SetPaneInfo(0, ID_SEPARATOR, SBPS_NOBORDERS, 300);
        Bar().SetPaneText(0, "Ready");
    }
    void TearDown() override
    {
        CFrameWnd* pFrame = m_pFrame;
        DestroyFrame(pFrame);
    }
    CBarStatusBar& Bar() { return m_pFrame->m_wndStatusBar; }
    // A progress control made for the pane; the status bar owns it once added.
    CProgressCtrl* MakeProgress()
    {
        auto* pProgress = new CProgressCtrl; // handed to the status bar, which deletes it
        if (!pProgress->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &Bar(), 1)) {
            delete pProgress;
            return nullptr;
        }
        return pProgress;
    }

    CBarTestFrame* m_pFrame = nullptr;
};

TEST_F(BarStatusBarTest, NewPaneIsFiftyPixelsAndItsControlIsInsetByTheBorders)
{
    ASSERT_TRUE(Bar().AddIndicator(0, kProgressPane));
    ASSERT_EQ(Bar().CommandToIndex(kProgressPane), 0);
    CBarStatusBarPane pane;
    ASSERT_TRUE(Bar().GetPaneInfoEx(0, &pane));
    EXPECT_EQ(pane.m_cxText, 50);
    EXPECT_EQ(pane.m_nStyle, 0u);
    EXPECT_EQ(Bar().GetPaneText(1), "Ready");
    CProgressCtrl* pProgress = MakeProgress();
    ASSERT_NE(pProgress, nullptr);
    ASSERT_TRUE(Bar().AddControl(pProgress, kProgressPane, TRUE));
    CRect item;
    Bar().GetItemRect(0, &item);
    int borders[3] = {};
    Bar().SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    CRect control;
    pProgress->GetWindowRect(&control);
    Bar().ScreenToClient(&control);
    EXPECT_EQ(control.left, item.left + borders[0] + borders[2]);
    EXPECT_EQ(control.right, item.right - borders[0] - borders[2]);
    EXPECT_EQ(control.top, item.top + borders[1]);
    // A second control for the same pane, or a pane that does not exist, is refused.
    CProgressCtrl* pSecond = MakeProgress();
    ASSERT_NE(pSecond, nullptr);
    EXPECT_FALSE(Bar().AddControl(pSecond, kProgressPane, TRUE));
    EXPECT_FALSE(Bar().AddControl(pSecond, 4242, TRUE));
    pSecond->DestroyWindow();
    delete pSecond;
}

TEST_F(BarStatusBarTest, ControlFollowsItsPaneWhenThePaneAndTheBarResize)
{
    ASSERT_TRUE(Bar().AddIndicator(0, kProgressPane));
    CProgressCtrl* pProgress = MakeProgress();
    ASSERT_NE(pProgress, nullptr);
    ASSERT_TRUE(Bar().AddControl(pProgress, kProgressPane, TRUE));
    Bar().SetPaneWidth(0, 120);
    Bar().PositionControls();
    CRect item;
    Bar().GetItemRect(0, &item);
    CRect control;
    pProgress->GetWindowRect(&control);
    Bar().ScreenToClient(&control);
    EXPECT_GT(control.Width(), 100);
    EXPECT_LE(control.right, item.right);
    // A pane added in front moves the control right, with its pane.
    ASSERT_TRUE(Bar().AddIndicator(0, kOtherPane));
    Bar().GetItemRect(1, &item);
    pProgress->GetWindowRect(&control);
    Bar().ScreenToClient(&control);
    EXPECT_GE(control.left, item.left);
    EXPECT_LE(control.right, item.right);
    // The frame resized: the bar is sized and the control stays in its pane.
    m_pFrame->SetWindowPos(nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    Bar().GetItemRect(1, &item);
    pProgress->GetWindowRect(&control);
    Bar().ScreenToClient(&control);
    EXPECT_GE(control.left, item.left);
    EXPECT_LE(control.right, item.right);
}

TEST_F(BarStatusBarTest, AddIndicatorRefusesADuplicateAndClampsTheIndex)
{
    const int nCount = Bar().GetCount();
    EXPECT_FALSE(Bar().AddIndicator(0, ID_SEPARATOR));
    EXPECT_EQ(Bar().GetCount(), nCount);
    // Far past the end appends (at the count, never beyond it); below 0 inserts in front.
    ASSERT_TRUE(Bar().AddIndicator(99, kProgressPane));
    EXPECT_EQ(Bar().CommandToIndex(kProgressPane), nCount);
    ASSERT_TRUE(Bar().AddIndicator(-5, kOtherPane));
    EXPECT_EQ(Bar().CommandToIndex(kOtherPane), 0);
    CBarStatusBarPane pane;
    EXPECT_FALSE(Bar().GetPaneInfoEx(Bar().GetCount(), &pane));
    EXPECT_FALSE(Bar().GetPaneInfoEx(-1, &pane));
}

TEST_F(BarStatusBarTest, RemovingAPaneDestroysItsControlAndKeepsTheOthers)
{
    ASSERT_TRUE(Bar().AddIndicator(0, kProgressPane));
    ASSERT_TRUE(Bar().AddIndicator(1, kOtherPane));
    Bar().SetPaneText(1, "other");
    Bar().SetPaneWidth(1, 77);
    CProgressCtrl* pProgress = MakeProgress();
    ASSERT_NE(pProgress, nullptr);
    const HWND hProgress = pProgress->m_hWnd;
    ASSERT_TRUE(Bar().AddControl(pProgress, kProgressPane, TRUE));
    Bar().RemoveIndicator(kProgressPane);
    EXPECT_FALSE(::IsWindow(hProgress));
    EXPECT_EQ(Bar().GetPaneControl(kProgressPane), nullptr);
    EXPECT_EQ(Bar().CommandToIndex(kProgressPane), -1);
    const int nOther = Bar().CommandToIndex(kOtherPane);
    ASSERT_EQ(nOther, 0);
    CBarStatusBarPane pane;
    ASSERT_TRUE(Bar().GetPaneInfoEx(nOther, &pane));
    EXPECT_EQ(pane.m_cxText, 77);
    EXPECT_EQ(pane.m_strText, "other");
    EXPECT_EQ(Bar().GetPaneText(1), "Ready");
    // An id with no pane changes nothing.
    const int nCount = Bar().GetCount();
    Bar().RemoveIndicator(4242);
    EXPECT_EQ(Bar().GetCount(), nCount);
}

} // namespace
