// The browse frame in this process: the fixed layouts it writes, the six browser modes, the
// status protocol and the command table, on a temporary folder of drawings and images. The frame
// is made by the mode switch as at start-up; its profile and registry root are the test's own.
#include "tests/frames/browse/BrowseFrameFixture.h"

using namespace orvo::test::browse;
using orvo::test::TempDir;
using orvo::test::WaitFor;

namespace {

// ---- Layouts in the registry ----

TEST_F(BrowseFrameTest, FixedLayoutsAreWrittenAsTheirTablesSay)
{
    struct Expect {
        int mode;
        const char* key;
        const char* name;
        DWORD value;
    };
    const Expect expects[] = {
        {1, "Bar State-Bar0", "MRUDockTopPos", 0xFFFFFFFE}, {1, "Bar State-Bar0", "MRUFloatYPos", 0xCDCDCDCD},
        {1, "Bar State-Bar1", "BarID", 0xE801},             {1, "Bar State-Bar3", "Bar#1", 106},
        {1, "Bar State-Bar3", "Bar#2", 105},                {1, "Bar State-Bar5", "YPos", 328},
        {1, "Bar State-SCBar-105", "sizeVertCY", 329},      {1, "Bar State-Summary", "Bars", 6},
        {2, "Bar State-Bar3", "BarID", 0xE81E},             {2, "Bar State-Bar6", "MRUFloatXPos", 952},
        {2, "Bar State-SCBar-105", "sizeHorzCX", 1024},     {2, "Bar State-Summary", "Bars", 7},
        {3, "Bar State-Bar2", "Bar#3", 106},                {3, "Bar State-Bar2", "Bar#4", 105},
        {3, "Bar State-Bar4", "XPos", 447},                 {3, "Bar State-Summary", "Bars", 5},
        {4, "Bar State-Bar2", "Bar#3", 105},                {4, "Bar State-Bar3", "MRUDockLeftPos", 557},
        {4, "Bar State-Bar3", "XPos", 577},                 {4, "Bar State-SCBar-106", "sizeHorzCX", 447},
    };
    for (const Expect& expect : expects) {
        ASSERT_TRUE(BrowseBarLayout::Write(expect.mode));
        bool found = false;
        EXPECT_EQ(ReadDword(expect.key, expect.name, &found), expect.value)
            << "mode " << expect.mode << " " << expect.key << " " << expect.name;
        EXPECT_TRUE(found);
    }
    // Values the tables do not name are not written.
    ASSERT_TRUE(BrowseBarLayout::Write(1));
    bool found = true;
    ReadDword("Bar State-Bar4", "Visible", &found);
    EXPECT_FALSE(found);
}

TEST_F(BrowseFrameTest, LayoutWriterResetsKeysOfTheLayoutBeforeAndRefusesOtherModes)
{
    ASSERT_TRUE(BrowseBarLayout::Write(2));
    EXPECT_TRUE(KeyExists("Bar State-Bar6"));
    ASSERT_TRUE(BrowseBarLayout::Write(3));
    EXPECT_FALSE(KeyExists("Bar State-Bar5"));
    EXPECT_FALSE(KeyExists("Bar State-Bar6"));
    EXPECT_EQ(ReadDword("Bar State-Summary", "Bars"), 5u);
    ASSERT_TRUE(BrowseBarLayout::Write(2));
    EXPECT_TRUE(KeyExists("Bar State-Bar5"));
    EXPECT_TRUE(KeyExists("Bar State-Bar6"));
    for (const int mode : {0, 5, 6, 7, -1}) {
        EXPECT_FALSE(BrowseBarLayout::Write(mode)) << mode;
        EXPECT_TRUE(BrowseBarLayout::LayoutKeys(mode).empty());
    }
    EXPECT_EQ(ReadDword("Bar State-Summary", "Bars"), 7u) << "a refused mode changes nothing";
}

// ---- The frame ----

// Every command of the list's context menu is one the frame runs and gives a state to.
TEST_F(BrowseFrameTest, EveryCommandOfTheListsContextMenuIsTheFrames)
{
    Open(m_folder.Path());
    const HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_LISTMENU));
    ASSERT_NE(menu, nullptr);
    std::vector<UINT> ids;
    std::vector<HMENU> pending{GetSubMenu(menu, 0)};
    ASSERT_NE(pending.front(), nullptr);
    while (!pending.empty()) {
        const HMENU popup = pending.back();
        pending.pop_back();
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            if (HMENU sub = GetSubMenu(popup, i))
                pending.push_back(sub);
            else if (const UINT id = GetMenuItemID(popup, i); id != 0 && id != static_cast<UINT>(-1))
                ids.push_back(id);
        }
    }
    DestroyMenu(menu);
    EXPECT_EQ(ids.size(), 19u) << ::testing::PrintToString(ids);
    for (const UINT id : ids) {
        bool enabled = false;
        int check = 0;
        EXPECT_TRUE(m_frame->GetCommandState(id, enabled, check)) << id;
    }
}

TEST_F(BrowseFrameTest, FirstStartWritesLayoutOneShowsTheFolderMaximizedWithBothBarsAtTheLeft)
{
    EXPECT_FALSE(BrowseBarLayout::IsSaved());
    Open(m_folder.Path());
    EXPECT_TRUE(BrowseBarLayout::IsSaved());
    EXPECT_TRUE(m_frame->IsWindowVisible());
    EXPECT_TRUE(m_frame->IsZoomed());
    EXPECT_EQ(DockOf(m_frame->GetTreeBar()), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_EQ(DockOf(&m_frame->GetPreviewBar()), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_LT(ScreenRect(m_frame->GetTreeBar()).top, ScreenRect(&m_frame->GetPreviewBar()).top);
    EXPECT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 4; }, 10000));
    EXPECT_STREQ(m_frame->GetShownFolder(), m_folder.Path().c_str());
    EXPECT_STREQ(g_appState.lastPath, m_folder.Path().c_str());
    // The view's next and previous file walk this frame's list.
    EXPECT_EQ(BrowserFileList(), m_frame->GetList());
}

struct ModeCase {
    int mode;
    bool treeShown;
    bool previewShown;
    UINT treeDock;    // 0: not checked (hidden)
    UINT previewDock; // 0: not checked (hidden)
    // 1: tree before preview (left of or above), -1 after, 0 not compared.
    int order;
};

class BrowseModeTest : public BrowseFrameTest, public ::testing::WithParamInterface<ModeCase>
{
};

TEST_P(BrowseModeTest, ModePlacesTheBars)
{
    const ModeCase& c = GetParam();
    Open(m_folder.Path());
    // From another mode than the one chosen, so that the bars really move.
    m_frame->SelectBrowserMode(c.mode == 3 ? 2 : 3);
    Pump();
    m_frame->SelectBrowserMode(c.mode);
    Pump();
    CControlBar* tree = m_frame->GetTreeBar();
    CControlBar* preview = &m_frame->GetPreviewBar();
    EXPECT_EQ(tree->IsWindowVisible() != FALSE, c.treeShown);
    EXPECT_EQ(preview->IsWindowVisible() != FALSE, c.previewShown);
    EXPECT_EQ(SizingBarsShown(), (c.treeShown ? 1 : 0) + (c.previewShown ? 1 : 0));
    if (c.treeDock) {
        EXPECT_EQ(DockOf(tree), c.treeDock);
    }
    if (c.previewDock) {
        EXPECT_EQ(DockOf(preview), c.previewDock);
    }
    if (c.order != 0) {
        const CRect t = ScreenRect(tree);
        const CRect p = ScreenRect(preview);
        const bool treeFirst = c.treeDock == AFX_IDW_DOCKBAR_TOP ? t.left < p.left : t.top < p.top;
        EXPECT_EQ(treeFirst, c.order == 1);
        EXPECT_FALSE(CRect().IntersectRect(&t, &p)) << "the bars do not overlap";
    }
    const CRect list = ScreenRect(m_frame->GetList());
    for (CControlBar* bar : {tree, preview}) {
        if (bar->IsWindowVisible()) {
            const CRect b = ScreenRect(bar);
            EXPECT_FALSE(CRect().IntersectRect(&b, &list)) << "no bar covers the list";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, BrowseModeTest,
    ::testing::Values(ModeCase{1, true, true, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_LEFT, 1},
                      ModeCase{2, true, true, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_BOTTOM, 0},
                      ModeCase{3, true, true, AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_TOP, 1},
                      ModeCase{4, true, true, AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_TOP, -1},
                      ModeCase{5, false, true, 0, AFX_IDW_DOCKBAR_BOTTOM, 0},
                      ModeCase{6, true, false, AFX_IDW_DOCKBAR_BOTTOM, 0, 0}));

// The narrow modes once moved the frame to the screen's corner, where the next show took it for
// a lost window and maximized it again: the user's place and size now stay.
TEST_F(BrowseFrameTest, NarrowModeKeepsItsPlaceAndSizeAcrossShowsAndWritesNoLayout)
{
    g_options.ThumbWidth = 170;
    SeedEarlierRun();
    Open(m_folder.Path());
    EXPECT_FALSE(m_frame->IsZoomed());
    EXPECT_EQ(ScreenRect(m_frame), CRect(100, 80, 900, 700)) << "the saved place";
    const DWORD summaryBars = ReadDword("Bar State-Summary", "Bars");
    m_frame->SelectBrowserMode(5);
    Pump();
    EXPECT_FALSE(m_frame->IsZoomed());
    const CRect before = ScreenRect(m_frame);
    EXPECT_EQ(before.Width(), 390);
    EXPECT_EQ(before.TopLeft(), CPoint(100, 80)) << "the frame stays where it was";
    // A frame the user put into the screen's corner is no lost window.
    m_frame->MoveWindow(0, 0, before.Width(), before.Height());
    m_frame->ShowWindow(SW_HIDE);
    m_frame->ShowFrame(SW_SHOW);
    Pump();
    EXPECT_FALSE(m_frame->IsZoomed());
    EXPECT_EQ(ScreenRect(m_frame), CRect(0, 0, before.Width(), before.Height()));
    EXPECT_EQ(ReadDword("Bar State-Summary", "Bars"), summaryBars) << "modes 5 and 6 write nothing";
}

TEST_F(BrowseFrameTest, ModeCommandAsksForTheModeAndCancelChangesNothing)
{
    Open(m_folder.Path());
    int asked = 0;
    int answer = 0; // the mode clicked in the dialog, 0 for Cancel
    CModalHandlerScope scope([&](const ModalRequest& request) {
        ++asked;
        EXPECT_EQ(request.kind, ModalKind::Dialog);
        if (answer == 0 || request.pWnd == nullptr)
            return static_cast<INT_PTR>(IDCANCEL);
        const HWND swatch = ::GetDlgItem(request.pWnd->GetSafeHwnd(), IDC_VIEWTYPE_1 + answer - 1);
        ::SendMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        return static_cast<INT_PTR>(IDOK);
    });
    const UINT treeDock = DockOf(m_frame->GetTreeBar());
    const DWORD bars = ReadDword("Bar State-Summary", "Bars");
    m_frame->SendMessage(WM_COMMAND, ID_BROWSE_SELECT_MODE);
    Pump();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(DockOf(m_frame->GetTreeBar()), treeDock);
    EXPECT_EQ(ReadDword("Bar State-Summary", "Bars"), bars);
    answer = 3;
    m_frame->SendMessage(WM_COMMAND, ID_BROWSE_SELECT_MODE);
    Pump();
    EXPECT_EQ(DockOf(m_frame->GetTreeBar()), static_cast<UINT>(AFX_IDW_DOCKBAR_TOP));
    EXPECT_EQ(ReadDword("Bar State-Summary", "Bars"), 5u);
}

TEST_F(BrowseFrameTest, CloseSavesPlacementAndLayoutAndTheNextFrameLoadsThem)
{
    SeedEarlierRun();
    Open(m_folder.Path());
    m_frame->SelectBrowserMode(6);
    Pump();
    m_frame->MoveWindow(60, 50, 390, 500);
    m_frame->SendMessage(WM_CLOSE);
    m_frame = nullptr;
    EXPECT_FALSE(::IsWindow(m_frameWnd));
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    g_appState.closing.store(false);
    EXPECT_TRUE(KeyExists("Settings"));

    Open(m_folder.Path());
    EXPECT_FALSE(m_frame->IsZoomed());
    EXPECT_EQ(ScreenRect(m_frame).left, 60);
    EXPECT_EQ(ScreenRect(m_frame).Width(), 390);
    EXPECT_FALSE(m_frame->GetPreviewBar().IsWindowVisible());
    EXPECT_EQ(DockOf(m_frame->GetTreeBar()), static_cast<UINT>(AFX_IDW_DOCKBAR_BOTTOM));
}

// ---- Status protocol ----

TEST_F(BrowseFrameTest, BurstOfStatusRefreshesIsHandledOnceWithTheLastValues)
{
    Open(m_folder.Path());
    Pump();
    const int before = m_frame->CountStatusRefreshes();
    for (int i = 1; i <= 10; ++i)
        m_frame->PostMessage(CBrowseFrame::kMsgStatusRefresh, i, 10);
    Pump();
    EXPECT_EQ(m_frame->CountStatusRefreshes(), before + 1);
    EXPECT_EQ(m_frame->GetProgressControl(), nullptr) << "10 of 10 last: the progress stays as it was";

    for (int i = 1; i <= 9; ++i)
        m_frame->PostMessage(CBrowseFrame::kMsgStatusRefresh, i, 10);
    Pump();
    ASSERT_NE(m_frame->GetProgressControl(), nullptr);
    EXPECT_EQ(m_frame->GetProgressControl()->GetPos(), 9);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneProgress), CString(' ', 46));

    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, static_cast<WPARAM>(-1000), -1000);
    EXPECT_EQ(m_frame->GetProgressControl(), nullptr);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneProgress), "<none>");
    // A run's first report followed by a plain refresh (the preview's): the run is still shown.
    m_frame->PostMessage(CBrowseFrame::kMsgStatusRefresh, 0, 10);
    m_frame->PostMessage(CBrowseFrame::kMsgStatusRefresh, 0, 0);
    Pump();
    ASSERT_NE(m_frame->GetProgressControl(), nullptr);
    EXPECT_EQ(m_frame->GetProgressControl()->GetUpper(), 10);
    EXPECT_EQ(m_frame->GetProgressControl()->GetPos(), 0);
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, static_cast<WPARAM>(-1000), -1000);
    EXPECT_EQ(m_frame->GetProgressControl(), nullptr);
    // A reset without a progress changes nothing but the caption.
    const int panes = m_frame->GetStatusBar().GetCount();
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, static_cast<WPARAM>(-1000), -1000);
    EXPECT_EQ(m_frame->GetStatusBar().GetCount(), panes);
}

// The progress once kept the range of the first run: a later run with more jobs overflowed it.
TEST_F(BrowseFrameTest, ProgressRangeFollowsEachRunsJobCount)
{
    Open(m_folder.Path());
    m_frame->SetStatusProgress(0, 10, 1);
    ASSERT_NE(m_frame->GetProgressControl(), nullptr);
    EXPECT_EQ(m_frame->GetProgressControl()->GetUpper(), 10);
    m_frame->SetStatusProgress(0, 50, 2);
    EXPECT_EQ(m_frame->GetProgressControl()->GetUpper(), 50);
    m_frame->SendMessage(TTaskManageThread::kMsgQueueFinished);
    EXPECT_EQ(m_frame->GetProgressControl(), nullptr) << "the cache library written ends the progress";
    m_frame->SetStatusProgress(0, 7, 0);
    ASSERT_NE(m_frame->GetProgressControl(), nullptr);
    EXPECT_EQ(m_frame->GetProgressControl()->GetUpper(), 7);
    EXPECT_EQ(m_frame->GetProgressControl()->GetPos(), 0);
}

TEST_F(BrowseFrameTest, EmptyFolderShowsZeroCountsAndNoNameOrSizePanes)
{
    TempDir empty;
    Open(empty.Path());
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, 0, 0);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSummary), "0 objects 0 drawing files");
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneName), "<none>");
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSelection), "<none>");
    EXPECT_EQ(m_frame->GetStatusBar().GetItemID(m_frame->GetStatusBar().GetCount() - 1), 0u)
        << "the preview's pane stays last";
}

// Files that come and go while the folder is shown change the counts the user reads, without
// a click in the list first.
TEST_F(BrowseFrameTest, SummaryFollowsFilesTheWatchFinds)
{
    Open(m_folder.Path());
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 4; }, 10000));
    const auto summaryStarts = [&](const char* text) {
        return WaitFor([&] { return PaneText(CBrowseFrame::kPaneSummary).Find(text) == 0; }, 10000);
    };
    ASSERT_TRUE(summaryStarts("4 objects 4 drawing files")) << PaneText(CBrowseFrame::kPaneSummary);
    const char dxf[] = "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / "added.dxf", dxf, sizeof(dxf) - 1));
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 5; }, 10000));
    EXPECT_TRUE(summaryStarts("5 objects 5 drawing files")) << PaneText(CBrowseFrame::kPaneSummary);
    ASSERT_TRUE(DeleteFileA((m_folder / "added.dxf").c_str()));
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 4; }, 10000));
    EXPECT_TRUE(summaryStarts("4 objects 4 drawing files")) << PaneText(CBrowseFrame::kPaneSummary);
}

TEST_F(BrowseFrameTest, SelectionFillsNameAndSizePanesInOrder)
{
    Open(m_folder.Path());
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 4; }, 10000));
    CIEShellListCtrl& list = *m_frame->GetList();
    ASSERT_TRUE(list.SelectItemByPath((m_folder / "a.dxf").c_str()));
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, 0, 0);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSummary), "4 objects 4 drawing files / display files size: 1 KB")
        << "drawings and images, and the size of the files shown";
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneName), "a.dxf");
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSelection), "1 KB");
    CBarStatusBar& bar = m_frame->GetStatusBar();
    EXPECT_EQ(bar.CommandToIndex(CBrowseFrame::kPaneSummary), 0);
    EXPECT_EQ(bar.CommandToIndex(CBrowseFrame::kPaneName), 1);
    EXPECT_EQ(bar.CommandToIndex(CBrowseFrame::kPaneSelection), 2);
    CString caption;
    m_frame->GetWindowText(caption);
    EXPECT_NE(caption.Find("a.dxf"), -1) << "the caption shows the full path";
}

TEST_F(BrowseFrameTest, TemporaryTextReplacesTheSummaryUntilTheNextRefresh)
{
    Open(m_folder.Path());
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, 0, 0);
    const CString summary = PaneText(CBrowseFrame::kPaneSummary);
    m_frame->SendMessage(CBrowseFrame::kMsgStatusText, 1, 0);
    m_frame->SendMessage(CBrowseFrame::kMsgStatusText, 1, 0);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSummary), CString(' ', 9));
    const char stopping[] = "Please wait while stopping the redraw...";
    m_frame->SendMessage(CBrowseFrame::kMsgStatusText, 0, reinterpret_cast<LPARAM>(stopping));
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSummary), stopping);
    m_frame->SendMessage(CBrowseFrame::kMsgStatusText, 0, 0);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneSummary), summary);
}

TEST_F(BrowseFrameTest, HiddenStatusBarTakesNoPanesAndTheNextReportAfterShowingDoes)
{
    Open(m_folder.Path());
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    ASSERT_FALSE(m_frame->GetStatusBar().IsWindowVisible());
    EXPECT_FALSE(g_options.ShowStatus);
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, 3, 10);
    EXPECT_EQ(m_frame->GetProgressControl(), nullptr);
    EXPECT_EQ(m_frame->SetPaneText(CBrowseFrame::kPaneName, "x"), 0);
    EXPECT_EQ(PaneText(CBrowseFrame::kPaneName), "<none>");
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    ASSERT_TRUE(m_frame->GetStatusBar().IsWindowVisible());
    m_frame->SendMessage(CBrowseFrame::kMsgStatusRefresh, 4, 10);
    ASSERT_NE(m_frame->GetProgressControl(), nullptr);
    EXPECT_EQ(m_frame->GetProgressControl()->GetPos(), 4);
}

TEST_F(BrowseFrameTest, BrowseOptionsShowAndHideBarsAndSetTheSort)
{
    Open(m_folder.Path());
    g_options.ShowToolBar = false;
    g_options.ShowStatus = false;
    g_options.SortType = 1;
    g_options.SortDir = false;
    m_frame->SendMessage(0x80B5, 0, 0);
    EXPECT_FALSE(m_frame->GetToolBar().IsWindowVisible());
    EXPECT_FALSE(m_frame->GetStatusBar().IsWindowVisible());
    EXPECT_EQ(m_frame->GetList()->GetSortColumn(), 1);
    EXPECT_FALSE(m_frame->GetList()->GetSortAscending());
    g_options.ShowToolBar = true;
    g_options.ShowStatus = true;
    m_frame->SendMessage(0x80B5, 0, 0);
    EXPECT_TRUE(m_frame->GetToolBar().IsWindowVisible());
    EXPECT_TRUE(m_frame->GetStatusBar().IsWindowVisible());
}

// The Options sheet tells the main window; while the view frame is the main window the browse
// frame catches up when it is shown again.
TEST_F(BrowseFrameTest, SettingsChangedWhileTheViewIsUpReachTheBrowserWhenItIsShown)
{
    Open(m_folder.Path());
    g_appState.EnterViewMode();
    g_options.ShowToolBar = false;
    g_appState.EnterBrowseMode(nullptr);
    Pump();
    EXPECT_FALSE(m_frame->GetToolBar().IsWindowVisible());
}

// ---- Command table ----

enum class Selection { None, OneDrawing, TwoDrawings, Image, DrawingAndImage };
enum class Thumbs { None, Idle, Busy };

struct CommandCase {
    UINT id;
    Selection selection;
    Thumbs thumbs;
    bool enabled;
    int check; // -1: not compared
};

class BrowseCommandTest : public BrowseFrameTest, public ::testing::WithParamInterface<CommandCase>
{
};

TEST_P(BrowseCommandTest, CommandStateFollowsTheRule)
{
    const CommandCase& c = GetParam();
    Open(m_folder.Path());
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 4; }, 10000));
    CIEShellListCtrl& list = *m_frame->GetList();
    list.SetFocus();
    const char* selected[2] = {nullptr, nullptr};
    switch (c.selection) {
    case Selection::OneDrawing: selected[0] = "a.dxf"; break;
    case Selection::TwoDrawings: selected[0] = "a.dxf"; selected[1] = "b.dxf"; break;
    case Selection::Image: selected[0] = "d.bmp"; break;
    case Selection::DrawingAndImage: selected[0] = "a.dxf"; selected[1] = "d.bmp"; break;
    case Selection::None: break;
    }
    for (const char* name : selected) {
        const int row = name ? list.FindRowByName(name) : -1;
        if (row != -1)
            list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    // A drawing thread that is not busy, so that the insertion depends on the selection alone.
    g_appState.drawThread = std::make_unique<TDwgDrawThread>();
    if (c.thumbs != Thumbs::None)
        StartThumbnailThread(c.thumbs == Thumbs::Idle);
    bool enabled = false;
    int check = 0;
    ASSERT_TRUE(m_frame->GetCommandState(c.id, enabled, check)) << c.id;
    EXPECT_EQ(enabled, c.enabled) << c.id;
    if (c.check != -1) {
        EXPECT_EQ(check, c.check) << c.id;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrowseCommandTest,
    ::testing::Values(
        CommandCase{ID_FILE_OPEN_ITEM, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_FILE_OPEN_ITEM, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_FILE_VIEW_ITEM, Selection::Image, Thumbs::Idle, true, -1},
        // Insert into AutoCAD takes one or more drawings, and only drawings.
        CommandCase{ID_FILE_INSERT_ACAD, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_FILE_INSERT_ACAD, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_FILE_INSERT_ACAD, Selection::TwoDrawings, Thumbs::Idle, true, -1},
        CommandCase{ID_FILE_INSERT_ACAD, Selection::Image, Thumbs::Idle, false, -1},
        CommandCase{ID_FILE_INSERT_ACAD, Selection::DrawingAndImage, Thumbs::Idle, false, -1},
        CommandCase{ID_EDIT_SELECT_ALL_ITEMS, Selection::None, Thumbs::Idle, true, -1},
        CommandCase{ID_EDIT_UNSELECT_ALL, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_EDIT_INVERT_SELECTION, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_VIEW_REFRESH, Selection::None, Thumbs::Idle, true, -1},
        CommandCase{ID_VIEW_REFRESH, Selection::None, Thumbs::Busy, false, -1},
        CommandCase{ID_VIEW_UP_LEVEL, Selection::None, Thumbs::Idle, true, -1},
        // Thumbnails can always be chosen; the other views not while thumbnails are drawn.
        CommandCase{ID_VIEW_THUMBNAILS, Selection::None, Thumbs::Busy, true, 1},
        CommandCase{ID_VIEW_LARGE_ICONS, Selection::None, Thumbs::Busy, false, 0},
        CommandCase{ID_VIEW_LARGE_ICONS, Selection::None, Thumbs::Idle, true, 0},
        CommandCase{ID_VIEW_DETAILS_ITEMS, Selection::None, Thumbs::Idle, true, 0},
        // Sorting only while the thumbnail thread waits for work.
        CommandCase{ID_SORT_BY_NAME, Selection::None, Thumbs::Idle, true, 1},
        CommandCase{ID_SORT_BY_SIZE, Selection::None, Thumbs::Busy, false, 0},
        CommandCase{ID_SORT_REVERSE, Selection::None, Thumbs::Busy, false, 0},
        CommandCase{ID_SORT_FORWARD, Selection::None, Thumbs::Idle, true, 1},
        CommandCase{ID_VIEW_TOOLBAR, Selection::None, Thumbs::None, true, 1},
        CommandCase{ID_VIEW_STATUS_BAR, Selection::None, Thumbs::None, true, 1},
        CommandCase{ID_VIEW_FOLDER_AREA, Selection::None, Thumbs::None, true, 1},
        CommandCase{ID_VIEW_PREVIEW_AREA, Selection::None, Thumbs::None, true, 1},
        CommandCase{ID_BROWSE_SELECT_MODE, Selection::None, Thumbs::Busy, true, -1},
        CommandCase{ID_THUMB_REBUILD_ALL, Selection::None, Thumbs::Busy, false, -1},
        CommandCase{ID_THUMB_REBUILD_ALL, Selection::None, Thumbs::Idle, true, -1},
        // The file commands of the list.
        CommandCase{ID_FILE_EDIT_ITEM, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_FILE_EDIT_ITEM, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_FILE_DRAWING_PROPERTIES, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_FILE_DRAWING_PROPERTIES, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_EDIT_DELETE_ITEMS, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_EDIT_DELETE_ITEMS, Selection::TwoDrawings, Thumbs::Idle, true, -1},
        CommandCase{ID_EDIT_RENAME_ITEM, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_EDIT_RENAME_ITEM, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_FILE_NEW_FOLDER, Selection::None, Thumbs::Idle, true, -1},
        CommandCase{ID_FILE_EXIF_INFO, Selection::Image, Thumbs::Idle, false, -1},
        CommandCase{ID_FILE_EXIF_INFO, Selection::OneDrawing, Thumbs::Idle, false, -1},
        // Thumbnails are saved or made again only while the thread waits; the next one is
        // skipped only while it works.
        CommandCase{ID_FILE_SAVE_THUMBNAILS, Selection::None, Thumbs::Idle, true, -1},
        CommandCase{ID_FILE_SAVE_THUMBNAILS, Selection::None, Thumbs::Busy, false, -1},
        CommandCase{ID_THUMB_REBUILD_SELECTED, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_THUMB_REBUILD_SELECTED, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_THUMB_REBUILD_SELECTED, Selection::OneDrawing, Thumbs::Busy, false, -1},
        CommandCase{ID_THUMB_REBUILD_NEXT, Selection::None, Thumbs::Busy, true, -1},
        CommandCase{ID_THUMB_REBUILD_NEXT, Selection::None, Thumbs::Idle, false, -1},
        // Cut and Copy take the list's selection when the list has the focus.
        CommandCase{ID_EDIT_CUT_ITEMS, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_EDIT_CUT_ITEMS, Selection::OneDrawing, Thumbs::Idle, true, -1},
        CommandCase{ID_EDIT_COPY_ITEMS, Selection::None, Thumbs::Idle, false, -1},
        CommandCase{ID_EDIT_COPY_ITEMS, Selection::DrawingAndImage, Thumbs::Idle, true, -1}));

// Paste follows the clipboard: files on it are pasted into the shown folder, nothing else is.
TEST_F(BrowseFrameTest, PasteIsEnabledOnlyWhileTheClipboardHoldsFiles)
{
    Open(m_folder.Path());
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 4; }, 10000));
    CIEShellListCtrl& list = *m_frame->GetList();
    list.SetFocus();
    ASSERT_TRUE(OpenClipboard(m_frameWnd));
    EmptyClipboard();
    CloseClipboard();
    bool enabled = true;
    int check = 0;
    ASSERT_TRUE(m_frame->GetCommandState(ID_EDIT_PASTE_ITEMS, enabled, check));
    EXPECT_FALSE(enabled) << "an empty clipboard";
    ASSERT_NE(list.FindRowByName("a.dxf"), -1);
    list.SetItemState(list.FindRowByName("a.dxf"), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_frame->SendMessage(WM_COMMAND, ID_EDIT_COPY_ITEMS);
    ASSERT_TRUE(m_frame->GetCommandState(ID_EDIT_PASTE_ITEMS, enabled, check));
    EXPECT_TRUE(enabled) << "the copied drawing";
    ASSERT_TRUE(OpenClipboard(m_frameWnd));
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(BrowseFrameTest, CommandsChangeViewSortSelectionAndBars)
{
    Open(m_folder.Path());
    ASSERT_TRUE(WaitFor([&] { return m_frame->GetList()->GetItemCount() == 4; }, 10000));
    CIEShellListCtrl& list = *m_frame->GetList();
    StartThumbnailThread(true);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_DETAILS_ITEMS);
    EXPECT_EQ(list.GetViewType(), CIEShellListCtrl::kDetails);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_THUMBNAILS);
    EXPECT_EQ(list.GetViewType(), CIEShellListCtrl::kThumbnails);
    // The thumbnail view woke the thread; a sort waits until it sleeps again.
    ASSERT_TRUE(WaitFor([] { return g_appState.taskThread->IsIdle(); }, 5000));
    m_frame->SendMessage(WM_COMMAND, ID_SORT_BY_DATE);
    EXPECT_EQ(list.GetSortColumn(), 3);
    m_frame->SendMessage(WM_COMMAND, ID_SORT_REVERSE);
    EXPECT_FALSE(list.GetSortAscending());
    EXPECT_FALSE(g_options.SortDir);
    m_frame->SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL_ITEMS);
    EXPECT_EQ(list.GetSelectedCount(), 4u);
    m_frame->SendMessage(WM_COMMAND, ID_EDIT_INVERT_SELECTION);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    // Every row of a known type: the three drawings and the bitmap.
    m_frame->SendMessage(WM_COMMAND, ID_EDIT_SELECT_DRAWINGS);
    EXPECT_EQ(list.GetSelectedCount(), 4u);
    m_frame->SendMessage(WM_COMMAND, ID_EDIT_UNSELECT_ALL);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_FOLDER_AREA);
    EXPECT_FALSE(m_frame->GetTreeBar()->IsWindowVisible());
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_FOLDER_AREA);
    EXPECT_TRUE(m_frame->GetTreeBar()->IsWindowVisible());
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    EXPECT_FALSE(m_frame->GetToolBar().IsWindowVisible());
    EXPECT_FALSE(g_options.ShowToolBar);
    // Up a level shows the parent folder.
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_UP_LEVEL);
    CString parent = m_folder.Path().c_str();
    parent = parent.Left(parent.ReverseFind('\\'));
    // The tree selects the parent; the list follows once the tree's selection has settled.
    EXPECT_TRUE(WaitFor(
        [&] {
            Pump();
            return m_frame->GetShownFolder().CompareNoCase(parent) == 0;
        },
        10000))
        << static_cast<const char*>(m_frame->GetShownFolder());
}

} // namespace

namespace {

// The Options command of the browse frame opens the sheet only while the thumbnail thread waits
// for work; the modal flag is set while it is up and cleared after.
TEST_F(BrowseFrameTest, OptionsCommandOpensTheSheetOnlyWhileThumbnailsWait)
{
    Open(m_folder.Path());
    int sheets = 0;
    bool modalWhileUp = false;
    CModalHandlerScope scope([&](const ModalRequest& request) {
        sheets += request.kind == ModalKind::PropertySheet ? 1 : 0;
        modalWhileUp = g_appState.modalDialogOpen;
        return static_cast<INT_PTR>(IDCANCEL);
    });
    StartThumbnailThread(false);
    m_frame->SendMessage(WM_COMMAND, ID_TOOLS_OPTIONS);
    EXPECT_EQ(sheets, 0) << "not while thumbnails are being made";
    g_appState.StopTaskManagerThread();
    StartThumbnailThread(true);
    m_frame->SendMessage(WM_COMMAND, ID_TOOLS_OPTIONS);
    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(modalWhileUp);
    EXPECT_FALSE(g_appState.modalDialogOpen);
    // The key list: its dialog comes with the browser dialogs; the command is enabled and safe.
    bool enabled = false;
    int check = 0;
    ASSERT_TRUE(m_frame->GetCommandState(ID_HELP_ACCELERATOR_KEYS, enabled, check));
    EXPECT_TRUE(enabled);
    m_frame->SendMessage(WM_COMMAND, ID_HELP_ACCELERATOR_KEYS);
    EXPECT_FALSE(g_appState.modalDialogOpen);
}

} // namespace
