// The tree bar in a frame beside the shell file list, as the browse frame holds them: a folder
// selected in the tree is shown by the list once the selection settles, and a folder row the
// list opens is selected in the tree. With ORVO_SHOW_SECONDS the frame stays up for a look.
#include "browser/list/CIEShellListCtrl.h"
#include "browser/tree/CTreeBar.h"
#include "browser/shell/TreeMessages.h"
#include "framework/AfxWin.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/browser/tree/ShellTreeTestKit.h"
#include "tests/support/TestSupport.h"
#include "ui/CBarFrameWnd.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using orvo::test::WaitFor;
using namespace treetest;

namespace
{
class CTreeTestApp : public CWinApp
{
public:
    CTreeTestApp() : CWinApp("Orvo Tree Tests") {}
};

CTreeTestApp theTreeTestApp;

class CTreeTestFrame : public CBarFrameWnd
{
public:
    CTreeBar m_wndTreeBar;
    CIEShellListCtrl m_wndList;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs)
    {
        if (CBarFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        m_wndList.SetShowOtherFiles(true);
        if (!m_wndList.CreateList(this, CRect(0, 0, 0, 0), AFX_IDW_PANE_FIRST) || !m_wndTreeBar.CreateBar(this))
            return -1;
        m_wndTreeBar.EnableDocking(CBRS_ALIGN_ANY);
        EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_wndTreeBar, AFX_IDW_DOCKBAR_LEFT);
        m_wndTreeBar.GetTree().SetListWnd(m_wndList.m_hWnd);
        return 0;
    }
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
    {
        m_wndTreeBar.SendMessage(WM_DEVICECHANGE, nEventType, static_cast<LPARAM>(dwData));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTreeTestFrame, CBarFrameWnd)
    ON_WM_CREATE()
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

void Pump()
{
    WaitFor([] { return false; }, 100);
}

class TreeBarFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        m_drives.Set({{"C:\\", DRIVE_REMOVABLE}});
        ASSERT_TRUE(MakeFolders(m_dir.Path(), {"Drawings", "Drawings\\2004", "Drawings\\2007", "Images", "Plans"}));
        for (const char* name : {"floor.dwg", "site.dxf", "detail.dwg", "photo.jpg", "notes.txt"})
            ASSERT_TRUE(orvo::test::WriteFileBytes(m_dir / name, name, 6));
        m_frame = new CTreeTestFrame; // deleted by its window (PostNcDestroy)
        ASSERT_TRUE(m_frame->Create(nullptr, "Orvo Kestal - folder tree", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    CRect(20, 20, 940, 660)));
        theTreeTestApp.m_pMainWnd = m_frame;
        m_frame->ShowWindow(SW_SHOWNORMAL);
        m_frame->RecalcLayout();
        m_frame->m_wndList.SetViewType(CIEShellListCtrl::kDetails);
        m_frame->m_wndTreeBar.GetTree().RefillFromDesktop();
        Pump();
    }
    void TearDown() override
    {
        if (m_frame != nullptr && m_frame->m_hWnd != nullptr)
            m_frame->DestroyWindow();
        theTreeTestApp.m_pMainWnd = nullptr;
        Pump();
        OleUninitialize();
    }

    RegistryRootScope m_registry; // the list keeps its view settings there
    DriveListScope m_drives;
    orvo::test::TempDir m_dir;
    CTreeTestFrame* m_frame = nullptr;
};

TEST_F(TreeBarFrameTest, TreeSelectionDrivesTheListAndTheListAnswers)
{
    CShellTree& tree = m_frame->m_wndTreeBar.GetTree();
    CIEShellListCtrl& list = m_frame->m_wndList;
    ASSERT_TRUE(tree.SelectFolderByPath(m_dir.Path().c_str()));
    EXPECT_TRUE(WaitFor([&] { return SamePath(list.GetFolderPath(), m_dir.Path()); }, 5000));
    EXPECT_EQ(list.GetFolderCount(), 3);
    // The tree fills its bar.
    CRect bar;
    CRect inside;
    m_frame->m_wndTreeBar.GetClientRect(&bar);
    tree.GetWindowRect(&inside);
    EXPECT_EQ(inside.Width(), bar.Width());
    EXPECT_EQ(inside.Height(), bar.Height());

    // The list opens a folder row: the tree selects it and the list follows the tree.
    const int row = list.FindRowByName("Drawings");
    ASSERT_GE(row, 0);
    EXPECT_EQ(tree.SendMessage(WM_TREE_SELECTFOLDER, 0, reinterpret_cast<LPARAM>(list.GetItemRecord(row))), 1);
    EXPECT_TRUE(WaitFor([&] { return SamePath(list.GetFolderPath(), m_dir / "Drawings"); }, 5000));
    EXPECT_EQ(list.GetFolderCount(), 2);

    if (const char* seconds = getenv("ORVO_SHOW_SECONDS")) {
        ASSERT_TRUE(tree.SelectFolderByPath(m_dir.Path().c_str()));
        WaitFor([&] { return SamePath(list.GetFolderPath(), m_dir.Path()); }, 5000);
        tree.SetFocus();
        WaitFor([] { return false; }, static_cast<DWORD>(atoi(seconds)) * 1000);
    }
}
} // namespace
