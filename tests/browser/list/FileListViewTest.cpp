// The file list view: where its children go for a size and a setting, their tool tips, the
// bookmark buttons and the path box's choice of a folder that is gone; and a look at the whole
// pane on the shared samples.
#include "core/CAppOptions.h"
#include "browser/list/CFileListView.h"
#include "render/cache/CacheFile.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "render/workers/TTaskManageThread.h"
#include "render/workers/WorkerAppState.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <memory>
#include <string>

namespace {

using orvo::test::TempDir;
using orvo::test::WaitFor;

struct LayoutCase
{
    int cx, cy;
    bool showPathBox;
    CRect list, pathBox;
    int buttonLeft[3];
};

class LayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTable, ChildrenGoWhereTheSizeAndSettingSay)
{
    const LayoutCase& c = GetParam();
    const CFileListView::Layout layout = CFileListView::ComputeLayout(c.cx, c.cy, c.showPathBox);
    EXPECT_EQ(layout.list, c.list);
    EXPECT_EQ(layout.pathBox, c.pathBox);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(layout.buttons[i].left, c.buttonLeft[i]) << i;
        if (c.showPathBox) {
            EXPECT_EQ(layout.buttons[i].top, 3);
            EXPECT_EQ(layout.buttons[i].Width(), 26);
            EXPECT_EQ(layout.buttons[i].Height(), 26);
        } else {
            EXPECT_TRUE(layout.buttons[i].IsRectEmpty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LayoutTable,
                         ::testing::Values(LayoutCase{800, 600, true, CRect(0, 32, 800, 600), CRect(2, 3, 704, 403), {710, 740, 770}},
                                           LayoutCase{100, 300, true, CRect(0, 32, 100, 300), CRect(2, 3, 4, 403), {10, 40, 70}},
                                           LayoutCase{60, 20, true, CRect(0, 32, 60, 32), CRect(2, 3, 2, 403), {-30, 0, 30}},
                                           LayoutCase{800, 600, false, CRect(0, 0, 800, 600), CRect(810, 0, 810, 0), {810, 810, 810}}));

TEST(FileListViewTips, EveryBandControlHasItsTip)
{
    EXPECT_STREQ(CFileListView::ToolTipText(102), "Current folder");
    EXPECT_STREQ(CFileListView::ToolTipText(103), "Add the current folder into the bookmark list");
    EXPECT_STREQ(CFileListView::ToolTipText(190), "Delete the current folder from the bookmark list");
    EXPECT_STREQ(CFileListView::ToolTipText(191), "Editor your bookmark list");
    EXPECT_EQ(CFileListView::ToolTipText(112), nullptr);
}

class FileListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        m_saved = g_options;
        g_options.ShowPathBox = true;
        CreateDirectoryA((m_dir / "plans").c_str(), nullptr);
        orvo::test::WriteFileBytes(m_dir / "plans\\site.dxf", "0\nEOF\n", 6);
        ASSERT_TRUE(m_owner.CreateOwner(820, 600));
        m_owner.ShowWindow(SW_SHOW);
        m_view.GetPathBox().GetHistory().SetParentKey(m_historyKey.c_str());
        ASSERT_TRUE(m_view.CreateView(&m_owner));
        CRect client;
        m_owner.GetClientRect(&client);
        m_view.MoveWindow(0, 0, client.Width(), client.Height());
    }
    void TearDown() override
    {
        m_view.DestroyWindow();
        m_owner.DestroyWindow();
        g_options = m_saved;
        SHDeleteKeyA(HKEY_CURRENT_USER, m_historyKey.c_str());
        OleUninitialize();
    }

    CRect ChildRect(CWnd& child)
    {
        CRect rect;
        child.GetWindowRect(&rect);
        m_view.ScreenToClient(&rect);
        return rect;
    }
    void Click(UINT id)
    {
        m_view.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(m_view.GetSafeHwnd(), static_cast<int>(id))));
    }

    RegistryRootScope m_registry;
    const std::string m_historyKey = "Software\\OrvoKestalTests\\ViewHistory-" + std::to_string(GetCurrentProcessId());
    CAppOptions m_saved;
    TempDir m_dir;
    CListTestOwner m_owner;
    CFileListView m_view;
};

TEST_F(FileListViewTest, TheViewMakesItsChildrenWithTheirIdsAndIcons)
{
    for (const UINT id : {102u, 103u, 112u, 190u, 191u})
        EXPECT_NE(::GetDlgItem(m_view.GetSafeHwnd(), static_cast<int>(id)), nullptr) << id;
    EXPECT_EQ(::GetDlgItem(m_view.GetSafeHwnd(), 112), m_view.GetListCtrl().GetSafeHwnd());
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(m_view.GetButton(i).SendMessage(BM_GETIMAGE, IMAGE_ICON), 0) << "button " << i;
    EXPECT_NE(m_view.GetPathBox().SendMessage(WM_GETFONT), 0);
    EXPECT_NE(m_view.GetExStyle() & WS_EX_CLIENTEDGE, 0u);
}

TEST_F(FileListViewTest, TurningThePathBoxOffGivesTheListTheWholeView)
{
    CRect client;
    m_view.GetClientRect(&client);
    EXPECT_EQ(ChildRect(m_view.GetListCtrl()).top, CFileListView::kBandHeight);
    g_options.ShowPathBox = false;
    m_view.OnLayout();
    EXPECT_EQ(ChildRect(m_view.GetListCtrl()), client);
    EXPECT_GE(ChildRect(m_view.GetPathBox()).left, client.right);
}

TEST_F(FileListViewTest, TipsAreAskedByTheChildsWindow)
{
    NMTTDISPINFOA info = {};
    // As the thread's tool tip sends it: from its own window, naming the child by its handle.
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&m_view));
    info.hdr.hwndFrom = tip.GetSafeHwnd();
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(m_view.GetButton(1).GetSafeHwnd());
    info.hdr.code = TTN_NEEDTEXTA;
    info.uFlags = TTF_IDISHWND;
    m_view.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, "Delete the current folder from the bookmark list");
}

TEST_F(FileListViewTest, TheBookmarkButtonsAddAndRemoveTheShownFolder)
{
    const std::string plans = m_dir / "plans";
    ASSERT_TRUE(m_view.GetListCtrl().SetFolderPath(plans.c_str()));
    m_view.UpdatePathBox();
    CString text;
    m_view.GetPathBoxText(text);
    EXPECT_STREQ(text, plans.c_str());
    Click(CFileListView::kAddBookmarkId);
    CPathManager saved;
    saved.SetParentKey(m_historyKey.c_str());
    ASSERT_TRUE(saved.Load());
    ASSERT_EQ(saved.GetCount(), 1);
    EXPECT_STREQ(saved.GetAt(0)->GetPath(), plans.c_str());
    Click(CFileListView::kDeleteBookmarkId);
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.GetCount(), 0);
    EXPECT_EQ(m_view.GetPathBox().GetCount(), 0);
    m_view.GetPathBoxText(text);
    EXPECT_STREQ(text, plans.c_str()) << "the box still names the shown folder";
}

TEST_F(FileListViewTest, ABookmarkOfAFolderThatIsGoneKeepsTheShownFolder)
{
    const std::string plans = m_dir / "plans";
    const std::string gone = m_dir / "gone";
    ASSERT_TRUE(m_view.GetListCtrl().SetFolderPath(plans.c_str()));
    m_view.GetPathBox().AddString(gone.c_str());
    m_view.GetPathBox().SetCurSel(0);
    m_view.SendMessage(WM_COMMAND, MAKEWPARAM(CFileListView::kPathBoxId, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(m_view.GetPathBox().GetSafeHwnd()));
    EXPECT_STREQ(m_view.GetListCtrl().GetFolderPath(), plans.c_str());
    CString text;
    m_view.GetPathBoxText(text);
    EXPECT_STREQ(text, plans.c_str());
}

TEST_F(FileListViewTest, ABookmarkOfAnExistingFolderIsShown)
{
    std::string browsed;
    m_view.SetBrowseToFolder([&](const CString& folder) {
        browsed = folder.GetString();
        return true;
    });
    m_view.GetPathBox().AddString((m_dir / "plans").c_str());
    m_view.GetPathBox().SetCurSel(0);
    m_view.SendMessage(WM_COMMAND, MAKEWPARAM(CFileListView::kPathBoxId, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(m_view.GetPathBox().GetSafeHwnd()));
    EXPECT_EQ(browsed, m_dir / "plans");
}

struct BrowseAppState : WorkerAppState
{
    BrowseAppState() { mode.store(TTaskManageThread::kBrowseMode); }
};

// For a look at the pane as a user sees it: the shared samples in the thumbnail view with their
// pictures, the path box and the bookmark buttons, kept up for ORVO_SHOW_SECONDS while a
// screenshot is taken from outside.
TEST_F(FileListViewTest, ShowSampleFolder)
{
    const char* seconds = getenv("ORVO_SHOW_SECONDS");
    const std::string samples = orvo::test::SamplesDir();
    if (!seconds || samples.empty())
        GTEST_SKIP() << "set ORVO_SHOW_SECONDS (and have the shared samples) to look at the view";
    TempDir cache;
    CacheFile::SetRetryPolicy({3, 1});
    CreateLibIndexTree(cache.Path().c_str(), false, true);
    CreateDwgCache(true);
    BrowseAppState state;
    auto thread = std::make_unique<TTaskManageThread>();
    thread->SetAppState(&state);
    ASSERT_TRUE(thread->CreateThread());
    m_view.GetPathBox().AddString((samples + "\\dwg\\2000").c_str());
    m_view.GetPathBox().AddString((samples + "\\dxf").c_str());
    m_owner.MoveWindow(0, 0, 1000, 740);
    CRect client;
    m_owner.GetClientRect(&client);
    m_view.MoveWindow(0, 0, client.Width(), client.Height());
    CIEShellListCtrl& list = m_view.GetListCtrl();
    list.SetViewType(CIEShellListCtrl::kThumbnails);
    list.SetThumbnailThread(thread.get());
    ASSERT_TRUE(list.SetFolderPath((samples + "\\dwg\\2000").c_str()));
    m_view.UpdatePathBox();
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    WaitFor([&] { return thread->IsIdle(); }, 120000);
    list.Invalidate();
    WaitFor([] { return false; }, static_cast<DWORD>(atoi(seconds)) * 1000);
    list.SetThumbnailThread(nullptr);
    EXPECT_TRUE(thread->StopAndWait(20000));
    thread.reset();
    DeleteDwgCache();
    DeleteLibIndexTree();
    CacheFile::SetRetryPolicy({100, 100});
}

} // namespace
