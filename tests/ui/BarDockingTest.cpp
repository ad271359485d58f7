// Docking with real windows on the virtual display: the test frame's tool bar and two sizing
// bars docked, floated and docked again, by calls and by posted mouse messages; the bar-list
// popup; dragging an edge; expanding within a row; the layout saved, the frame made again and
// the layout loaded back; stored layouts that name a missing bar or come from a larger screen.
#include "tests/ui/BarTestFrame.h"

#include "framework/Prompt.h"
#include "ui/CBarDockBar.h"
#include "ui/CBarMiniDockFrameWnd.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kSection[] = "Bar State";

LPARAM PointParam(CPoint pt)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(pt.x)), static_cast<WORD>(static_cast<short>(pt.y)));
}

CRect WindowRectOf(const CWnd& wnd)
{
    CRect rect;
    wnd.GetWindowRect(&rect);
    return rect;
}

UINT DockIdOf(const CControlBar& bar)
{
    return bar.m_pDockBar != nullptr ? static_cast<UINT>(bar.m_pDockBar->GetDlgCtrlID()) : 0;
}

// Everything a restored layout must bring back for one bar.
struct BarSnapshot
{
    CRect rect;
    BOOL bVisible;
    BOOL bFloating;
    UINT nDockId;
    int nRowEntry; // the bar's index in its dock bar's list
    CSize szHorz;
    CSize szVert;
    CSize szFloat;

    bool operator==(const BarSnapshot& o) const
    {
        return rect == o.rect && bVisible == o.bVisible && bFloating == o.bFloating && nDockId == o.nDockId &&
               nRowEntry == o.nRowEntry && szHorz == o.szHorz && szVert == o.szVert && szFloat == o.szFloat;
    }
};

BarSnapshot Snapshot(CControlBar& bar)
{
    BarSnapshot shot = {WindowRectOf(bar), bar.IsVisible(), bar.IsFloating(), DockIdOf(bar),
                        bar.m_pDockBar != nullptr ? bar.m_pDockBar->FindBar(&bar) : -1,
                        CSize(), CSize(), CSize()};
    if (auto* pSizing = dynamic_cast<CBarControlBar*>(&bar)) {
        shot.szHorz = pSizing->m_szHorz;
        shot.szVert = pSizing->m_szVert;
        shot.szFloat = pSizing->m_szFloat;
    }
    return shot;
}

std::string Describe(const BarSnapshot& s)
{
    char text[256];
    wsprintfA(text, "rect(%ld,%ld,%ld,%ld) visible %d floating %d dock %X entry %d vert %ldx%ld", s.rect.left,
              s.rect.top, s.rect.right, s.rect.bottom, s.bVisible, s.bFloating, s.nDockId, s.nRowEntry,
              s.szVert.cx, s.szVert.cy);
    return text;
}

class BarDockingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        theBarTestApp.ClearProfile();
        m_pFrame = CBarTestFrame::Make();
        ASSERT_NE(m_pFrame, nullptr);
    }
    void TearDown() override
    {
        CFrameWnd* pFrame = m_pFrame;
        DestroyFrame(pFrame);
        theBarTestApp.ClearProfile();
    }
    void Layout()
    {
        m_pFrame->RecalcLayout();
        PumpMessages();
    }
    CBarTestFrame& Frame() { return *m_pFrame; }
    // One stored dock-bar record (its id and its list of entries) as the only record.
    void WriteOnlyDockBarRecord(UINT nDockId, const std::vector<UINT>& entries)
    {
        WriteInt("Bar State-Bar0", "BarID", static_cast<int>(nDockId));
        WriteInt("Bar State-Bar0", "Bars", static_cast<int>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            CString strEntry;
            strEntry.Format("Bar#%d", static_cast<int>(i));
            WriteInt("Bar State-Bar0", strEntry, static_cast<int>(entries[i]));
        }
        WriteInt("Bar State-Summary", "Bars", 1);
    }
    // Destroys the frame, makes it again and loads the stored layout into it.
    void RemakeFrameAndLoad()
    {
        CFrameWnd* pOld = m_pFrame;
        DestroyFrame(pOld);
        m_pFrame = CBarTestFrame::Make();
        if (m_pFrame == nullptr)
            return;
        Frame().LoadBarState(kSection);
        Layout();
    }
    // Presses an edge of a sizing bar at a screen point, moves by delta and releases, all by
    // messages (the move and the release are waiting in the queue when the press arrives).
    void DragEdge(CBarControlBar& bar, UINT nHit, CPoint edge, CSize delta)
    {
        ASSERT_EQ(bar.SendMessage(WM_NCHITTEST, 0, PointParam(edge)), static_cast<LRESULT>(nHit));
        ::SetCursorPos(edge.x, edge.y);
        CPoint moved = edge + delta;
        bar.ScreenToClient(&moved);
        bar.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, PointParam(moved));
        bar.PostMessage(WM_LBUTTONUP, 0, PointParam(moved));
        bar.SendMessage(WM_NCLBUTTONDOWN, nHit, PointParam(edge));
        PumpMessages();
        Layout();
    }
    // Drags a floating bar by its frame's caption to a screen point, with the keys given.
    void DragCaption(CBarControlBar& bar, CPoint to, WPARAM keys)
    {
        CFrameWnd* pFloat = bar.GetParentFrame();
        const CRect floatRect = WindowRectOf(*pFloat);
        const CPoint grab(floatRect.left + 20, floatRect.top + 5);
        CPoint client = to;
        bar.ScreenToClient(&client);
        ::SetCursorPos(grab.x, grab.y);
        bar.PostMessage(WM_MOUSEMOVE, keys, PointParam(client));
        bar.PostMessage(WM_LBUTTONUP, keys, PointParam(client));
        pFloat->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, PointParam(grab));
        Layout();
    }
    void WriteInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue)
    {
        theBarTestApp.WriteProfileInt(lpszSection, lpszEntry, nValue);
    }

    CBarTestFrame* m_pFrame = nullptr;
};

TEST_F(BarDockingTest, FrameDocksEverySideWithTheLibraryDockBars)
{
    for (const UINT nID : {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT}) {
        CControlBar* pDock = Frame().GetControlBar(nID);
        ASSERT_NE(pDock, nullptr) << nID;
        EXPECT_TRUE(pDock->IsKindOf(RUNTIME_CLASS(CBarDockBar)));
    }
    EXPECT_EQ(DockIdOf(Frame().m_wndToolBar), AFX_IDW_DOCKBAR_TOP);
    EXPECT_EQ(DockIdOf(Frame().m_wndTree), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(DockIdOf(Frame().m_wndPreview), AFX_IDW_DOCKBAR_LEFT);
    // Beside the tree bar: the same column, below it, touching it.
    const CRect tree = WindowRectOf(Frame().m_wndTree);
    const CRect preview = WindowRectOf(Frame().m_wndPreview);
    EXPECT_EQ(preview.left, tree.left);
    EXPECT_EQ(preview.top, tree.bottom);
    EXPECT_FALSE(Frame().m_wndTree.IsSingleInRow());
    // The two share the height of the dock bar less 2.
    CRect dock = WindowRectOf(*Frame().GetControlBar(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_EQ(tree.Height() + preview.Height(), dock.Height() - 2);
    // The centre pane keeps what the bars leave.
    const CRect pane = WindowRectOf(Frame().m_wndPane);
    EXPECT_GE(pane.left, tree.right);
    EXPECT_GE(pane.top, WindowRectOf(Frame().m_wndToolBar).bottom);
}

TEST_F(BarDockingTest, DockedToolBarButtonReachesTheFrameAndItsGripperDrags)
{
    CToolBar& toolBar = Frame().m_wndToolBar;
    PumpMessages(); // the idle update enables the button that has a handler
    EXPECT_TRUE(toolBar.SendMessage(TB_ISBUTTONENABLED, ID_FILE_NEW));
    EXPECT_FALSE(toolBar.SendMessage(TB_ISBUTTONENABLED, ID_EDIT_CUT));
    CRect button;
    toolBar.GetItemRect(0, &button);
    const CPoint centre = button.CenterPoint();
    toolBar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(centre));
    toolBar.SendMessage(WM_LBUTTONUP, 0, PointParam(centre));
    PumpMessages();
    EXPECT_EQ(Frame().m_nNewCommands, 1);
    EXPECT_FALSE(toolBar.IsFloating());
    // The gripper lies in the frame of the bar and still answers as the bar's client area.
    CRect rect = WindowRectOf(toolBar);
    EXPECT_EQ(toolBar.SendMessage(WM_NCHITTEST, 0, PointParam(rect.TopLeft() + CSize(3, 5))), HTCLIENT);
    // A double-click off the buttons floats it; another docks it again.
    toolBar.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(static_cast<WORD>(-3), 5));
    Layout();
    EXPECT_TRUE(toolBar.IsFloating());
    toolBar.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(static_cast<WORD>(-3), 5));
    Layout();
    EXPECT_EQ(DockIdOf(toolBar), AFX_IDW_DOCKBAR_TOP);
}

TEST_F(BarDockingTest, ToolBarDockedAtASideStandsInAColumn)
{
    CToolBar& toolBar = Frame().m_wndToolBar;
    const CRect row = WindowRectOf(toolBar);
    EXPECT_GT(row.Width(), row.Height());
    Frame().DockControlBar(&toolBar, AFX_IDW_DOCKBAR_RIGHT);
    Layout();
    const CRect column = WindowRectOf(toolBar);
    EXPECT_GT(column.Height(), column.Width());
    CRect first;
    CRect second;
    toolBar.GetItemRect(0, &first);
    toolBar.GetItemRect(1, &second);
    EXPECT_EQ(first.left, second.left);
    Frame().DockControlBar(&toolBar, AFX_IDW_DOCKBAR_TOP);
    Layout();
    EXPECT_EQ(WindowRectOf(toolBar).Size(), row.Size());
}

TEST_F(BarDockingTest, ClientRectangleMapsToTheScreen)
{
    CRect rect;
    Frame().GetClientRect(&rect);
    Frame().ClientToScreen(&rect);
    CPoint pt(0, 0);
    ::ClientToScreen(Frame().m_hWnd, &pt);
    EXPECT_EQ(rect.TopLeft(), pt);
}

TEST_F(BarDockingTest, EnablingOneSideReplacesOnlyThatDockBar)
{
    auto* pFrame = new CBarFrameWnd; // deleted by its window
    ASSERT_TRUE(pFrame->Create(nullptr, "Left only", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    pFrame->EnableDocking(CBRS_ALIGN_LEFT);
    CControlBar* pLeft = pFrame->GetControlBar(AFX_IDW_DOCKBAR_LEFT);
    ASSERT_NE(pLeft, nullptr);
    EXPECT_TRUE(pLeft->IsKindOf(RUNTIME_CLASS(CBarDockBar)));
    EXPECT_EQ(pFrame->GetControlBar(AFX_IDW_DOCKBAR_TOP), nullptr);
    EXPECT_EQ(pFrame->GetControlBar(AFX_IDW_DOCKBAR_RIGHT), nullptr);
    EXPECT_EQ(pFrame->m_pFloatingFrameClass, RUNTIME_CLASS(CBarMiniDockFrameWnd));
    pFrame->DestroyWindow();
}

TEST_F(BarDockingTest, WindowClassCarriesTheGivenIcon)
{
    CREATESTRUCTA cs = {};
    ASSERT_TRUE(Frame().PreCreateWindowWithIcon(cs, 116));
    ASSERT_NE(cs.lpszClass, nullptr);
    WNDCLASSA wc = {};
    ASSERT_TRUE(::GetClassInfoA(AfxGetInstanceHandle(), cs.lpszClass, &wc));
    EXPECT_NE(wc.hIcon, nullptr);
    EXPECT_EQ(wc.hCursor, nullptr);
    EXPECT_EQ(wc.hbrBackground, nullptr);
    EXPECT_EQ(wc.style, 0u);
}

TEST_F(BarDockingTest, DocksLeftRightAndTop)
{
    struct Case
    {
        UINT nDock;
        bool bHorz;
    };
    for (const Case c : {Case{AFX_IDW_DOCKBAR_RIGHT, false}, Case{AFX_IDW_DOCKBAR_TOP, true},
                         Case{AFX_IDW_DOCKBAR_BOTTOM, true}, Case{AFX_IDW_DOCKBAR_LEFT, false}}) {
        Frame().DockControlBar(&Frame().m_wndPreview, c.nDock);
        Layout();
        EXPECT_EQ(DockIdOf(Frame().m_wndPreview), c.nDock);
        EXPECT_EQ(Frame().m_wndPreview.IsHorzDocked(), c.bHorz ? TRUE : FALSE);
        const CRect bar = WindowRectOf(Frame().m_wndPreview);
        const CRect dock = WindowRectOf(*Frame().GetControlBar(c.nDock));
        // Inside its dock bar, and the thickness the bar keeps for that orientation.
        CRect inside;
        EXPECT_TRUE(inside.IntersectRect(&bar, &dock)) << c.nDock;
        if (c.bHorz)
            EXPECT_EQ(bar.Height(), Frame().m_wndPreview.m_szHorz.cy);
        else
            EXPECT_EQ(bar.Width(), Frame().m_wndPreview.m_szVert.cx);
    }
}

TEST_F(BarDockingTest, HiddenFloatingBarHidesItsFrameAndShowingBringsItBack)
{
    CTestSizingBar& bar = Frame().m_wndPreview;
    Frame().FloatControlBar(&bar, CPoint(900, 300));
    Layout();
    CFrameWnd* pFloat = bar.GetParentFrame();
    Frame().ShowControlBar(&bar, FALSE, FALSE);
    EXPECT_FALSE(pFloat->IsWindowVisible());
    Frame().ShowControlBar(&bar, TRUE, TRUE);
    Layout();
    EXPECT_TRUE(pFloat->IsWindowVisible());
    EXPECT_TRUE(bar.IsWindowVisible());
    // The close box of the floating frame hides the bar.
    pFloat->SendMessage(WM_CLOSE);
    Layout();
    EXPECT_FALSE(bar.IsVisible());
    EXPECT_FALSE(pFloat->IsWindowVisible());
}

TEST_F(BarDockingTest, FloatsAndDocksAgainWhereItWas)
{
    CTestSizingBar& bar = Frame().m_wndPreview;
    const int nEntry = bar.m_pDockBar->FindBar(&bar);
    Frame().FloatControlBar(&bar, CPoint(900, 300));
    Layout();
    ASSERT_TRUE(bar.IsFloating());
    CFrameWnd* pFloat = bar.GetParentFrame();
    ASSERT_NE(pFloat, nullptr);
    EXPECT_TRUE(pFloat->IsKindOf(RUNTIME_CLASS(CBarMiniDockFrameWnd)));
    EXPECT_TRUE(pFloat->IsWindowVisible());
    EXPECT_EQ(WindowRectOf(*pFloat).TopLeft(), CPoint(900, 300));
    EXPECT_EQ((pFloat->GetStyle() & MFS_4THICKFRAME), 0u);
    // The tree bar now has the column to itself.
    EXPECT_TRUE(Frame().m_wndTree.IsSingleInRow());
    // A place holder keeps the preview's place in the left dock bar.
    auto* pLeft = static_cast<CDockBar*>(Frame().GetControlBar(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(pLeft->m_arrBars[nEntry]), kPreviewBarId);

    // A double-click on the floating bar docks it back in its old place.
    bar.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    Layout();
    EXPECT_FALSE(bar.IsFloating());
    EXPECT_EQ(DockIdOf(bar), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(bar.m_pDockBar->FindBar(&bar), nEntry);
    EXPECT_FALSE(Frame().m_wndTree.IsSingleInRow());
    // And the next double-click floats it where it floated last.
    bar.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    Layout();
    ASSERT_TRUE(bar.IsFloating());
    EXPECT_EQ(WindowRectOf(*bar.GetParentFrame()).TopLeft(), CPoint(900, 300));
}

TEST_F(BarDockingTest, SizingTheFloatingFrameSetsTheFloatingSize)
{
    CTestSizingBar& bar = Frame().m_wndPreview;
    Frame().FloatControlBar(&bar, CPoint(900, 300));
    Layout();
    CFrameWnd* pFloat = bar.GetParentFrame();
    const CSize before = bar.m_szFloat;
    CRect rect = WindowRectOf(*pFloat);
    rect.right += 60;
    rect.bottom += 40;
    pFloat->SendMessage(WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(bar.m_szFloat, before + CSize(60, 40));
    pFloat->SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    EXPECT_EQ(WindowRectOf(*pFloat).Size(), rect.Size());
    // Never below the bar's minimum.
    rect.right = rect.left + 5;
    rect.bottom = rect.top + 5;
    pFloat->SendMessage(WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(bar.m_szFloat, bar.m_szMin);
}

TEST_F(BarDockingTest, FloatingFrameStaysOnTheScreen)
{
    // A place far off the screen (a stored place from another monitor) comes back onto it.
    Frame().FloatControlBar(&Frame().m_wndPreview, CPoint(20000, -5000));
    Layout();
    ASSERT_TRUE(Frame().m_wndPreview.IsFloating());
    const CRect rect = WindowRectOf(*Frame().m_wndPreview.GetParentFrame());
    EXPECT_LT(rect.left, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(rect.top, 0);
}

TEST_F(BarDockingTest, MouseDragFloatsDocksAndCtrlKeepsFloating)
{
    CTestSizingBar& bar = Frame().m_wndTree;
    const CPoint start(10, 10); // client point of the tree bar
    CPoint screenStart = start;
    bar.ClientToScreen(&screenStart);
    // Dragged out beside the frame, where no dock bar is near, released: it floats there.
    CPoint target(1000, 200);
    CPoint client = target;
    bar.ScreenToClient(&client);
    ::SetCursorPos(screenStart.x, screenStart.y);
    bar.PostMessage(WM_MOUSEMOVE, 0, PointParam(client));
    bar.PostMessage(WM_LBUTTONUP, 0, PointParam(client));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(start));
    Layout();
    ASSERT_TRUE(bar.IsFloating());
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // Caption of the floating frame dragged over the right dock bar's edge with Ctrl held: it
    // stays floating; without Ctrl it docks there.
    CRect client2;
    Frame().GetClientRect(&client2);
    Frame().ClientToScreen(&client2);
    const CPoint rightEdge(client2.right - 2, client2.top + 80);
    DragCaption(bar, rightEdge, MK_CONTROL);
    ASSERT_TRUE(bar.IsFloating());
    DragCaption(bar, rightEdge, 0);
    EXPECT_FALSE(bar.IsFloating());
    EXPECT_EQ(DockIdOf(bar), AFX_IDW_DOCKBAR_RIGHT);
}

TEST_F(BarDockingTest, BarListPopupListsSizingBarsAndStatusBarAndHidesTheChosenBar)
{
    std::vector<std::string> items;
    CModalHandlerScope scope([&](const ModalRequest& r) -> INT_PTR {
        if (r.kind != ModalKind::PopupMenu)
            return 0;
        for (int i = 0; i < r.pMenu->GetMenuItemCount(); ++i) {
            char text[64] = {};
            ::GetMenuStringA(r.pMenu->GetSafeHmenu(), static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
            items.push_back(r.pMenu->GetMenuItemID(i) == 0 ? "-" : text);
        }
        return kPreviewBarId;
    });
    Frame().m_wndTree.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpMessages();
    EXPECT_EQ(items, (std::vector<std::string>{"-", "Dir Tree", "PreView", "-", "Status Bar"}));
    Layout();
    EXPECT_FALSE(Frame().m_wndPreview.IsVisible());
    EXPECT_TRUE(Frame().m_wndTree.IsSingleInRow());
    // Chosen again from the dock bar's own popup, it comes back.
    items.clear();
    Frame().GetControlBar(AFX_IDW_DOCKBAR_LEFT)->SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
    PumpMessages();
    Layout();
    EXPECT_EQ(items.size(), 5u);
    EXPECT_TRUE(Frame().m_wndPreview.IsVisible());
}

TEST_F(BarDockingTest, NoPopupWithoutSizingBarsOrStatusBar)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    theBarTestApp.m_pMainWnd = nullptr;
    EXPECT_FALSE(CBarToolBarBase::BuildBarListMenu(menu));
    theBarTestApp.m_pMainWnd = m_pFrame;
}

TEST_F(BarDockingTest, DraggingTheOuterEdgeWidensTheColumn)
{
    CTestSizingBar& tree = Frame().m_wndTree;
    const CRect before = WindowRectOf(tree);
    DragEdge(tree, HTRIGHT, CPoint(before.right - 2, before.top + before.Height() / 2), CSize(40, 0));
    EXPECT_FALSE(tree.m_bTracking);
    EXPECT_EQ(WindowRectOf(tree).Width(), before.Width() + 40);
    // The whole column follows.
    EXPECT_EQ(WindowRectOf(Frame().m_wndPreview).Width(), before.Width() + 40);

    // Dragged far beyond the frame: the column stops short of the free client area less 4.
    const CRect wide = WindowRectOf(tree);
    const CRect pane = WindowRectOf(Frame().m_wndPane);
    DragEdge(tree, HTRIGHT, CPoint(wide.right - 2, wide.top + wide.Height() / 2), CSize(5000, 0));
    EXPECT_EQ(tree.m_szVert.cx, wide.Width() + pane.Width() - 4);
}

TEST_F(BarDockingTest, DraggingTheEdgeBetweenBarsKeepsTheNeighbourAtItsMinimum)
{
    CTestSizingBar& tree = Frame().m_wndTree;
    const CRect before = WindowRectOf(tree);
    DragEdge(tree, HTBOTTOM, CPoint(before.left + before.Width() / 2, before.bottom - 2), CSize(0, 3000));
    EXPECT_EQ(Frame().m_wndPreview.m_szVert.cy, Frame().m_wndPreview.m_szMin.cy);
    EXPECT_EQ(WindowRectOf(Frame().m_wndPreview).Height(), 32);
    EXPECT_TRUE(tree.IsExpanded());
}

TEST_F(BarDockingTest, ExpandAndContractWithinARow)
{
    CTestSizingBar& tree = Frame().m_wndTree;
    CTestSizingBar& preview = Frame().m_wndPreview;
    const CSize treeBefore = tree.m_szVert;
    const CSize previewBefore = preview.m_szVert;
    EXPECT_EQ(tree.GetButtonTipText(1), "Expand docked window");
    EXPECT_EQ(tree.GetButtonTipText(0), "Hide docked window");
    tree.ToggleExpand();
    const CRect dock = WindowRectOf(*Frame().GetControlBar(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_TRUE(tree.IsExpanded());
    EXPECT_EQ(preview.m_szVert.cy, 32);
    EXPECT_EQ(tree.GetButtonTipText(1), "Contract docked window");
    Layout();
    EXPECT_EQ(WindowRectOf(preview).Height(), 32);
    EXPECT_EQ(WindowRectOf(tree).Height() + 32, dock.Height() - 2);
    tree.ToggleExpand();
    EXPECT_EQ(tree.m_szVert, treeBefore);
    EXPECT_EQ(preview.m_szVert, previewBefore);
    EXPECT_EQ(tree.GetButtonTipText(1), "Expand docked window");

    // Alone in its row, the expand button does nothing.
    Frame().ShowControlBar(&preview, FALSE, FALSE);
    Layout();
    ASSERT_TRUE(tree.IsSingleInRow());
    tree.ToggleExpand();
    EXPECT_FALSE(tree.IsExpanded());
}

TEST_F(BarDockingTest, CaptionButtonHidesTheBarAndDoubleClickOnItDoesNotFloat)
{
    CTestSizingBar& preview = Frame().m_wndPreview;
    const CRect rect = WindowRectOf(preview);
    const CPoint hide = rect.TopLeft() + preview.m_btnHide.GetRect().CenterPoint();
    ASSERT_EQ(preview.SendMessage(WM_NCHITTEST, 0, PointParam(hide)), HTSCB_HIDE);
    preview.SendMessage(WM_NCLBUTTONDBLCLK, HTSCB_HIDE, PointParam(hide));
    EXPECT_FALSE(preview.IsFloating());
    ::SetCursorPos(hide.x, hide.y);
    preview.SendMessage(WM_NCLBUTTONDOWN, HTSCB_HIDE, PointParam(hide));
    EXPECT_TRUE(preview.m_btnHide.m_bPushed);
    CPoint client = hide;
    preview.ScreenToClient(&client);
    preview.SendMessage(WM_LBUTTONUP, 0, PointParam(client));
    Layout();
    EXPECT_FALSE(preview.IsVisible());
    EXPECT_EQ(preview.m_nPushedButton, -1);
}

TEST_F(BarDockingTest, LayoutRoundTripRestoresEveryBar)
{
    // An arrangement with rows, a floating bar, a hidden bar and changed sizes.
    Frame().DockControlBar(&Frame().m_wndTree, AFX_IDW_DOCKBAR_RIGHT);
    Layout();
    Frame().FloatControlBar(&Frame().m_wndPreview, CPoint(700, 420));
    Layout();
    Frame().m_wndPreview.m_szFloat = CSize(260, 180);
    Frame().m_wndPreview.GetParentFrame()->RecalcLayout();
    Frame().m_wndTree.m_szVert.cx = 230;
    Frame().ShowControlBar(&Frame().m_wndStatusBar, FALSE, FALSE);
    Layout();
    Frame().SaveBarState(kSection);
    CControlBar* bars[] = {&Frame().m_wndToolBar, &Frame().m_wndTree, &Frame().m_wndPreview, &Frame().m_wndStatusBar};
    std::vector<BarSnapshot> saved;
    for (CControlBar* pBar : bars)
        saved.push_back(Snapshot(*pBar));
    const CRect floatRect = WindowRectOf(*Frame().m_wndPreview.GetParentFrame());

    RemakeFrameAndLoad();
    ASSERT_NE(m_pFrame, nullptr);
    CControlBar* again[] = {&Frame().m_wndToolBar, &Frame().m_wndTree, &Frame().m_wndPreview, &Frame().m_wndStatusBar};
    for (size_t i = 0; i < saved.size(); ++i) {
        const BarSnapshot now = Snapshot(*again[i]);
        EXPECT_TRUE(now == saved[i]) << i << ": " << Describe(now) << " instead of " << Describe(saved[i]);
    }
    ASSERT_TRUE(Frame().m_wndPreview.IsFloating());
    EXPECT_EQ(WindowRectOf(*Frame().m_wndPreview.GetParentFrame()), floatRect);
}

TEST_F(BarDockingTest, ExpandedBarSavesItsSizeFromBeforeAndExpandsAgainOnLoad)
{
    const CSize before = Frame().m_wndTree.m_szVert;
    Frame().m_wndTree.ToggleExpand();
    Layout();
    ASSERT_TRUE(Frame().m_wndTree.IsExpanded());
    Frame().SaveBarState(kSection);
    EXPECT_EQ(static_cast<int>(theBarTestApp.GetProfileInt("Bar State-SCBar-106", "sizeVertCY", 0)), before.cy);
    EXPECT_EQ(theBarTestApp.GetProfileInt("Bar State-SCBar-106", "Expanded", 0), 1u);
    EXPECT_EQ(theBarTestApp.GetProfileInt("Bar State-SCBar-105", "Expanded", 1), 0u);
    RemakeFrameAndLoad();
    ASSERT_NE(m_pFrame, nullptr);
    EXPECT_TRUE(Frame().m_wndTree.IsExpanded());
    EXPECT_EQ(WindowRectOf(Frame().m_wndPreview).Height(), 32);
}

TEST_F(BarDockingTest, StoredSizesBelowTheMinimumAreRaised)
{
    for (const char* entry : {"sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX", "sizeFloatCY"})
        WriteInt("Bar State-SCBar-105", entry, 3);
    Frame().m_wndPreview.LoadSizes(kSection);
    EXPECT_EQ(Frame().m_wndPreview.m_szHorz, CSize(33, 32));
    EXPECT_EQ(Frame().m_wndPreview.m_szVert, CSize(33, 32));
    EXPECT_EQ(Frame().m_wndPreview.m_szFloat, CSize(33, 32));
    // Missing values leave the sizes as they are.
    theBarTestApp.ClearProfile();
    Frame().m_wndTree.m_szHorz = CSize(123, 45);
    Frame().m_wndTree.LoadSizes(kSection);
    EXPECT_EQ(Frame().m_wndTree.m_szHorz, CSize(123, 45));
}

TEST_F(BarDockingTest, FloatingFrameCaptionShowsTheBarListPopup)
{
    Frame().FloatControlBar(&Frame().m_wndPreview, CPoint(900, 300));
    Layout();
    int nPopups = 0;
    CWnd* pOwner = nullptr;
    CModalHandlerScope scope([&](const ModalRequest& r) -> INT_PTR {
        nPopups += r.kind == ModalKind::PopupMenu ? 1 : 0;
        pOwner = r.pWnd;
        return 0;
    });
    CFrameWnd* pFloat = Frame().m_wndPreview.GetParentFrame();
    pFloat->SendMessage(WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(910, 305));
    EXPECT_EQ(nPopups, 1);
    EXPECT_EQ(pOwner, m_pFrame);
}

TEST_F(BarDockingTest, LayoutNamingAMissingBarIsRefused)
{
    CControlBar* bars[] = {&Frame().m_wndToolBar, &Frame().m_wndTree, &Frame().m_wndPreview};
    std::vector<BarSnapshot> before;
    for (CControlBar* pBar : bars)
        before.push_back(Snapshot(*pBar));
    // The tree and a bar 107 the frame does not have, in the top dock bar.
    WriteOnlyDockBarRecord(AFX_IDW_DOCKBAR_TOP, {0, kTreeBarId, 107, 0});
    WriteInt("Bar State-SCBar-106", "sizeVertCX", 400);
    EXPECT_FALSE(Frame().IsBarStateValid(kSection));
    Frame().LoadBarState(kSection);
    Layout();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(Snapshot(*bars[i]) == before[i]) << i;
    EXPECT_NE(Frame().m_wndTree.m_szVert.cx, 400);
    // An empty state is valid and changes nothing.
    theBarTestApp.ClearProfile();
    EXPECT_TRUE(Frame().IsBarStateValid(kSection));
}

TEST_F(BarDockingTest, BarThatNoRecordPlacesIsDockedAgain)
{
    // The left dock bar's record lists only the tree: the preview it held is not lost.
    WriteOnlyDockBarRecord(AFX_IDW_DOCKBAR_LEFT, {0, kTreeBarId, 0});
    Frame().LoadBarState(kSection);
    Layout();
    EXPECT_EQ(DockIdOf(Frame().m_wndTree), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_NE(Frame().m_wndPreview.m_pDockBar, nullptr);
    EXPECT_TRUE(Frame().m_wndPreview.IsVisible());
    EXPECT_GT(WindowRectOf(Frame().m_wndPreview).Width(), 0);
}

TEST_F(BarDockingTest, ImplausibleStoredCountsLoadNothing)
{
    const BarSnapshot before = Snapshot(Frame().m_wndTree);
    WriteInt("Bar State-Summary", "Bars", 0x7FFFFFFF);
    WriteInt("Bar State-Bar0", "BarID", AFX_IDW_DOCKBAR_TOP);
    WriteInt("Bar State-Bar0", "Bars", 0x7FFFFFFF);
    CDockState state;
    state.LoadState(kSection);
    EXPECT_TRUE(state.m_arrBarInfo.empty());
    WriteInt("Bar State-Summary", "Bars", 1);
    state.LoadState(kSection);
    ASSERT_EQ(state.m_arrBarInfo.size(), 1u);
    EXPECT_TRUE(state.m_arrBarInfo[0].m_arrBarID.empty());
    Frame().LoadBarState(kSection);
    Layout();
    EXPECT_TRUE(Snapshot(Frame().m_wndTree) == before);
}

TEST_F(BarDockingTest, LayoutFromALargerScreenComesBackOnScreen)
{
    Frame().FloatControlBar(&Frame().m_wndPreview, CPoint(600, 500));
    Layout();
    Frame().SaveBarState(kSection);
    // As if saved on a screen four times as large, floating far to the right and below.
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    const int cy = ::GetSystemMetrics(SM_CYSCREEN);
    WriteInt("Bar State-Summary", "ScreenCX", 4 * cx);
    WriteInt("Bar State-Summary", "ScreenCY", 4 * cy);
    for (int i = 0; i < 10; ++i) {
        CString strSection;
        strSection.Format("Bar State-Bar%d", i);
        if (theBarTestApp.GetProfileInt(strSection, "Floating", 0) != 0) {
            WriteInt(strSection, "XPos", 4 * cx - 50);
            WriteInt(strSection, "YPos", 4 * cy - 20);
        }
    }
    RemakeFrameAndLoad();
    ASSERT_NE(m_pFrame, nullptr);
    ASSERT_TRUE(Frame().m_wndPreview.IsFloating());
    const CRect rect = WindowRectOf(*Frame().m_wndPreview.GetParentFrame());
    EXPECT_LT(rect.left, cx - 16);
    EXPECT_LT(rect.top, cy - 16);
    EXPECT_GE(rect.left, 0);
    // A summary with no screen size scales nothing (and divides by nothing).
    WriteInt("Bar State-Summary", "ScreenCX", 0);
    WriteInt("Bar State-Summary", "ScreenCY", 0);
    Frame().LoadBarState(kSection);
    Layout();
    EXPECT_TRUE(Frame().m_wndPreview.IsFloating());
}

// The first of the browse frame's fixed layouts, as its registry writer stores it.
TEST_F(BarDockingTest, DefaultLayoutOneLoadsIntoTheIntendedArrangement)
{
    Frame().FloatControlBar(&Frame().m_wndTree, CPoint(700, 400));
    Frame().DockControlBar(&Frame().m_wndPreview, AFX_IDW_DOCKBAR_BOTTOM);
    Layout();
    struct Value
    {
        const char* section;
        const char* entry;
        DWORD value;
    };
    const Value values[] = {
        {"Bar State-Bar0", "BarID", 0xE800}, {"Bar State-Bar0", "Docking", 1},
        {"Bar State-Bar0", "MRUDockBottomPos", 25}, {"Bar State-Bar0", "MRUDockID", 0},
        {"Bar State-Bar0", "MRUDockLeftPos", 0}, {"Bar State-Bar0", "MRUDockRightPos", 686},
        {"Bar State-Bar0", "MRUDockTopPos", 0xFFFFFFFE}, {"Bar State-Bar0", "MRUFloatStyle", 0x2004},
        {"Bar State-Bar0", "MRUFloatXPos", 0x80000000}, {"Bar State-Bar0", "MRUFloatYPos", 0xCDCDCDCD},
        {"Bar State-Bar0", "XPos", 0}, {"Bar State-Bar0", "YPos", 0xFFFFFFFE},
        {"Bar State-Bar1", "BarID", 0xE801},
        {"Bar State-Bar2", "Bar#0", 0}, {"Bar State-Bar2", "Bar#1", 0xE800}, {"Bar State-Bar2", "Bar#2", 0},
        {"Bar State-Bar2", "BarID", 0xE81B}, {"Bar State-Bar2", "Bars", 3},
        {"Bar State-Bar3", "Bar#0", 0}, {"Bar State-Bar3", "Bar#1", 106}, {"Bar State-Bar3", "Bar#2", 105},
        {"Bar State-Bar3", "Bar#3", 0}, {"Bar State-Bar3", "BarID", 0xE81C}, {"Bar State-Bar3", "Bars", 4},
        {"Bar State-Bar4", "BarID", 106}, {"Bar State-Bar4", "Docking", 1},
        {"Bar State-Bar4", "MRUDockBottomPos", 326}, {"Bar State-Bar4", "MRUDockID", 0},
        {"Bar State-Bar4", "MRUDockLeftPos", 0}, {"Bar State-Bar4", "MRUDockRightPos", 465},
        {"Bar State-Bar4", "MRUDockTopPos", 0xFFFFFFFE}, {"Bar State-Bar4", "MRUFloatStyle", 4},
        {"Bar State-Bar4", "MRUFloatXPos", 0x80000000}, {"Bar State-Bar4", "MRUFloatYPos", 0xCDCDCDCD},
        {"Bar State-Bar4", "XPos", 0}, {"Bar State-Bar4", "YPos", 0xFFFFFFFE},
        {"Bar State-Bar5", "BarID", 105}, {"Bar State-Bar5", "Docking", 1},
        {"Bar State-Bar5", "MRUDockBottomPos", 657}, {"Bar State-Bar5", "MRUDockID", 0xE81C},
        {"Bar State-Bar5", "MRUDockLeftPos", 0}, {"Bar State-Bar5", "MRUDockRightPos", 225},
        {"Bar State-Bar5", "MRUDockTopPos", 328}, {"Bar State-Bar5", "MRUFloatStyle", 4},
        {"Bar State-Bar5", "MRUFloatXPos", 0x80000000}, {"Bar State-Bar5", "MRUFloatYPos", 0xCDCDCDCD},
        {"Bar State-Bar5", "XPos", 0}, {"Bar State-Bar5", "YPos", 328},
        {"Bar State-SCBar-105", "Expanded", 0}, {"Bar State-SCBar-105", "sizeFloatCX", 225},
        {"Bar State-SCBar-105", "sizeFloatCY", 80}, {"Bar State-SCBar-105", "sizeHorzCX", 225},
        {"Bar State-SCBar-105", "sizeHorzCY", 80}, {"Bar State-SCBar-105", "sizeVertCX", 465},
        {"Bar State-SCBar-105", "sizeVertCY", 329},
        {"Bar State-SCBar-106", "Expanded", 0}, {"Bar State-SCBar-106", "sizeFloatCX", 225},
        {"Bar State-SCBar-106", "sizeFloatCY", 100}, {"Bar State-SCBar-106", "sizeHorzCX", 225},
        {"Bar State-SCBar-106", "sizeHorzCY", 100}, {"Bar State-SCBar-106", "sizeVertCX", 465},
        {"Bar State-SCBar-106", "sizeVertCY", 328},
        {"Bar State-Summary", "Bars", 6}, {"Bar State-Summary", "ScreenCX", 1024},
        {"Bar State-Summary", "ScreenCY", 768},
    };
    for (const Value& v : values)
        WriteInt(v.section, v.entry, static_cast<int>(v.value));
    ASSERT_TRUE(Frame().IsBarStateValid(kSection));
    Frame().LoadBarState(kSection);
    Layout();
    // Tool bar at the top; tree above the preview in one column at the left, both 465 wide.
    EXPECT_EQ(DockIdOf(Frame().m_wndToolBar), AFX_IDW_DOCKBAR_TOP);
    EXPECT_EQ(DockIdOf(Frame().m_wndTree), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(DockIdOf(Frame().m_wndPreview), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_FALSE(Frame().m_wndTree.IsFloating());
    const CRect tree = WindowRectOf(Frame().m_wndTree);
    const CRect preview = WindowRectOf(Frame().m_wndPreview);
    EXPECT_EQ(tree.left, preview.left);
    EXPECT_EQ(tree.bottom, preview.top);
    EXPECT_EQ(tree.Width(), 465);
    EXPECT_TRUE(Frame().m_wndStatusBar.IsVisible());
    // No floating frame is left over from before.
    EXPECT_EQ(Frame().GetControlBar(AFX_IDW_DOCKBAR_FLOAT), nullptr);
}

// Keeps the display as it is for ORVO_BAR_SCREENSHOT_MS milliseconds when that is set, so that
// it can be captured.
void HoldForScreenshot()
{
    const char* pHold = std::getenv("ORVO_BAR_SCREENSHOT_MS");
    if (pHold == nullptr)
        return;
    const DWORD dwEnd = ::GetTickCount() + static_cast<DWORD>(std::atoi(pHold));
    while (static_cast<LONG>(dwEnd - ::GetTickCount()) > 0) {
        PumpMessages();
        ::Sleep(20);
    }
}

COLORREF ScreenPixel(CPoint pt)
{
    HDC hScreen = ::GetDC(nullptr);
    const COLORREF clr = ::GetPixel(hScreen, pt.x, pt.y);
    ::ReleaseDC(nullptr, hScreen);
    return clr;
}

// The frame with everything docked, then with the preview bar floating.
TEST_F(BarDockingTest, DockedAndFloatingBarsArePainted)
{
    Frame().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    // The sizing bars' frames are drawn in the library's bar grey.
    const CRect tree = WindowRectOf(Frame().m_wndTree);
    EXPECT_EQ(ScreenPixel(CPoint(tree.left + 2, tree.bottom - 2)), RGB(128, 128, 128));
    HoldForScreenshot();
    Frame().FloatControlBar(&Frame().m_wndPreview, CPoint(620, 380));
    Frame().m_wndPreview.m_szFloat = CSize(240, 160);
    Frame().m_wndPreview.GetParentFrame()->RecalcLayout();
    Layout();
    Frame().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    const CRect preview = WindowRectOf(Frame().m_wndPreview);
    EXPECT_EQ(ScreenPixel(CPoint(preview.left + 3, preview.top + 3)), RGB(128, 128, 128));
    HoldForScreenshot();
}

} // namespace
