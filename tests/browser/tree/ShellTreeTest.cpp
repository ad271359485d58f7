// The folder tree on real temporary folders with a drive list of the test's own: filling and
// selecting, following another process's folder changes at three levels, drives that come and
// go with WM_DEVICECHANGE, the settled selection handed to the list, rename, and the watch
// threads' reports and limits.
#include "browser/shell/CShellListItem.h"
#include "browser/shell/PidlBytes.h"
#include "browser/shell/ShellIconWarmup.h"
#include "browser/tree/CShellTree.h"
#include "browser/tree/CShellTreeItem.h"
#include "browser/shell/TreeMessages.h"
#include "framework/AfxWin.h"
#include "framework/CMenu.h"
#include "framework/COleDataObject.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"
#include "render/workers/WorkerAppState.h"
#include "tests/browser/tree/ShellTreeTestKit.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"

#include <gtest/gtest.h>

#include <dbt.h>

#include <functional>
#include <set>
#include <string>
#include <thread>

using orvo::test::WaitFor;
using namespace treetest;

namespace
{
// The tree's parent: passes WM_DEVICECHANGE down as a frame does (the system tells only
// top-level windows), and reflects the tree's notifications to it.
class CTreeTestOwner : public CListTestOwner
{
protected:
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
    {
        SendMessageToDescendants(WM_DEVICECHANGE, nEventType, static_cast<LPARAM>(dwData));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTreeTestOwner, CListTestOwner)
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

using Names = std::set<std::string>;

// The tree with its drag loop answered by the test instead of a mouse.
class CTestTree : public CShellTree
{
public:
    std::function<DROPEFFECT(COleDataSource&, DWORD)> dragLoop;

protected:
    DROPEFFECT RunDragLoop(COleDataSource& source, DWORD dwAllowed) override
    {
        return dragLoop ? dragLoop(source, dwAllowed) : DROPEFFECT_NONE;
    }
};

class ShellTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        m_drives.Set({{"C:\\", DRIVE_REMOVABLE}});
        ASSERT_TRUE(m_owner.CreateOwner(420, 640));
        m_owner.ShowWindow(SW_SHOW);
    }
    void TearDown() override
    {
        if (m_tree.GetSafeHwnd() != nullptr)
            m_tree.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    void MakeTree()
    {
        m_tree.SetListWnd(m_list.Get());
        m_tree.SetAppState(&m_app);
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                  CRect(0, 0, 400, 600), &m_owner, 108));
        m_tree.RefillFromDesktop();
        ASSERT_NE(m_tree.GetRootItem(), nullptr);
    }
    std::string Dir(const std::string& relative = "") const
    {
        return relative.empty() ? m_dir.Path() : m_dir / relative;
    }
    HTREEITEM Select(const std::string& path)
    {
        EXPECT_TRUE(m_tree.SelectFolderByPath(path.c_str())) << path;
        return m_tree.GetSelectedItem();
    }
    CString PathOf(HTREEITEM item)
    {
        CString path;
        bool folder = false;
        m_tree.GetItemPath(item, path, folder);
        return path;
    }
    HTREEITEM ItemOf(const std::string& path)
    {
        const HTREEITEM saved = m_tree.GetSelectedItem();
        const HTREEITEM item = Select(path);
        m_tree.SelectItem(saved);
        return item;
    }
    Names ChildNames(HTREEITEM parent)
    {
        Names names;
        for (HTREEITEM child = m_tree.GetChildItem(parent); child != nullptr; child = m_tree.GetNextSiblingItem(child))
            names.insert(std::string(m_tree.GetItemText(child)));
        return names;
    }
    HTREEITEM MyComputer()
    {
        LPITEMIDLIST drives = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)))
            return nullptr;
        const HTREEITEM item = m_tree.FindChildByPidl(TVI_ROOT, drives);
        PidlBytes::Free(drives);
        return item;
    }
    Names DrivePaths(HTREEITEM computer)
    {
        Names paths;
        for (HTREEITEM child = m_tree.GetChildItem(computer); child != nullptr; child = m_tree.GetNextSiblingItem(child))
            paths.insert(std::string(PathOf(child)));
        return paths;
    }

    WorkerAppState m_app;
    DriveListScope m_drives;
    orvo::test::TempDir m_dir;
    CTreeTestOwner m_owner;
    RecordingList m_list;
    CTestTree m_tree;
};

TEST_F(ShellTreeTest, SelectsAFolderAndShowsOnlyListedDrives)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a", "a\\b"}));
    MakeTree();
    const HTREEITEM b = Select(Dir("a\\b"));
    EXPECT_TRUE(SamePath(PathOf(b), Dir("a\\b")));
    EXPECT_TRUE(m_tree.HasParentFolder());
    EXPECT_TRUE(m_tree.GoUpOneLevel());
    EXPECT_TRUE(SamePath(PathOf(m_tree.GetSelectedItem()), Dir("a")));
    const HTREEITEM computer = MyComputer();
    ASSERT_NE(computer, nullptr);
    // Z: (the whole Linux file system under Wine) is not in the test's drive list.
    const Names drives = DrivePaths(computer);
    EXPECT_EQ(drives.count("C:\\"), 1u);
    EXPECT_EQ(drives.count("Z:\\"), 0u);
}

// Drives sit at the top two levels: the folders below them are filled without asking the system
// for its drives (milliseconds a call), however deep the folder selected.
TEST_F(ShellTreeTest, DriveListIsAskedOnlyForTheTopLevels)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a", "a\\b", "a\\b\\c", "a\\b\\c\\d"}));
    MakeTree();
    const int before = m_drives.Calls();
    const HTREEITEM d = Select(Dir("a\\b\\c\\d"));
    EXPECT_TRUE(SamePath(PathOf(d), Dir("a\\b\\c\\d")));
    // The computer's children (the drives) once; none for the folders on the way to d.
    EXPECT_EQ(1, m_drives.Calls() - before);
    const Names drives = DrivePaths(MyComputer());
    EXPECT_EQ(drives.count("C:\\"), 1u);
    EXPECT_EQ(drives.count("Z:\\"), 0u);
}

// The start's icon warm-up hands its answers to the tree: the tree's first fill takes them for
// the items it inserts (the same indices the shell gives), and a fill after it asks the shell.
TEST_F(ShellTreeTest, FirstFillTakesTheWarmupsIconsAndLaterFillsAskTheShell)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a", "a\\b", "a\\c"}));
    ShellIconWarmup warmup;
    ASSERT_TRUE(warmup.Start(Dir("a\\b"), true));
    ASSERT_TRUE(warmup.Finish(30000));
    ShellIconAnswers answers = warmup.TakeAnswers();
    ASSERT_FALSE(answers.IsEmpty());
    m_tree.UseKnownIcons(std::move(answers));
    MakeTree();
    const HTREEITEM b = Select(Dir("a\\b"));
    const HTREEITEM a = m_tree.GetParentItem(b);
    ASSERT_NE(a, nullptr);
    const HTREEITEM c = m_tree.GetNextSiblingItem(b) ? m_tree.GetNextSiblingItem(b) : m_tree.GetPrevSiblingItem(b);
    for (HTREEITEM item : {a, b, c}) {
        ASSERT_NE(item, nullptr);
        int image = -1;
        int selected = -1;
        ASSERT_TRUE(m_tree.GetItemImage(item, image, selected));
        SHFILEINFOA info = {};
        const auto absolute = reinterpret_cast<LPCSTR>(m_tree.GetItemRecord(item)->Absolute());
        SHGetFileInfoA(absolute, 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        EXPECT_EQ(info.iIcon, image) << std::string(PathOf(item));
        SHGetFileInfoA(absolute, 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
        EXPECT_EQ(info.iIcon, selected) << std::string(PathOf(item));
    }
    // Answers of the tree's own: an item they name shows what they say while they are known...
    ShellIconAnswers made;
    made.Add(m_tree.GetItemRecord(b)->Absolute(), {7, 8});
    m_tree.UseKnownIcons(std::move(made));
    m_tree.RefillFromDesktop();
    int image = -1;
    int selected = -1;
    ASSERT_TRUE(m_tree.GetItemImage(Select(Dir("a\\b")), image, selected));
    EXPECT_EQ(7, image);
    EXPECT_EQ(8, selected);
    // ...and the shell's own once they are forgotten.
    m_tree.ForgetKnownIcons();
    m_tree.RefillFromDesktop();
    ASSERT_TRUE(m_tree.GetItemImage(Select(Dir("a\\b")), image, selected));
    EXPECT_NE(7, image);
}

TEST_F(ShellTreeTest, SettledSelectionGoesToTheListOnce)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a", "b", "c"}));
    MakeTree();
    Select(Dir());
    m_list.shownFolders.clear();
    // Quick moves over the tree: only the last one reaches the list.
    Select(Dir("a"));
    Select(Dir("b"));
    Select(Dir("c"));
    EXPECT_TRUE(WaitFor([&] { return !m_list.shownFolders.empty(); }, 3000));
    WaitFor([] { return false; }, 400);
    ASSERT_EQ(m_list.shownFolders.size(), 1u);
    EXPECT_TRUE(SamePath(m_list.shownFolders[0].c_str(), Dir("c")));
}

// The folder the program starts in is on its way to the list as soon as the tree has selected
// it; the user's own moves afterwards still settle first.
TEST_F(ShellTreeTest, TheStartFolderGoesToTheListAtOnceWhileMovesSettle)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a", "b"}));
    MakeTree();
    const auto showFolderQueued = [&] {
        MSG msg;
        return PeekMessageA(&msg, m_list.Get(), WM_TREE_SHOWFOLDER, WM_TREE_SHOWFOLDER, PM_NOREMOVE) != FALSE;
    };
    WaitFor([&] { return !m_tree.IsSelectionPending(); }, 3000);
    WaitFor([] { return false; }, 50);
    m_list.shownFolders.clear();
    m_tree.SetStartFolder(Dir("a").c_str());
    EXPECT_EQ(m_tree.SelectPendingFolder(), 1);
    EXPECT_FALSE(m_tree.IsSelectionPending());
    EXPECT_TRUE(showFolderQueued());
    EXPECT_TRUE(WaitFor([&] { return !m_list.shownFolders.empty(); }, 3000));
    ASSERT_EQ(m_list.shownFolders.size(), 1u);
    EXPECT_TRUE(SamePath(m_list.shownFolders[0].c_str(), Dir("a")));

    m_list.shownFolders.clear();
    Select(Dir("b"));
    EXPECT_TRUE(m_tree.IsSelectionPending());
    EXPECT_FALSE(showFolderQueued());
    EXPECT_TRUE(WaitFor([&] { return !m_list.shownFolders.empty(); }, 3000));
    ASSERT_EQ(m_list.shownFolders.size(), 1u);
    EXPECT_TRUE(SamePath(m_list.shownFolders[0].c_str(), Dir("b")));
    // Asked once: a later show keeps the folder the user went to.
    EXPECT_EQ(m_tree.SelectPendingFolder(), 1);
    EXPECT_FALSE(m_tree.IsSelectionPending());
    EXPECT_TRUE(SamePath(PathOf(m_tree.GetSelectedItem()), Dir("b")));
}

TEST_F(ShellTreeTest, PendingSelectionSurvivesTheRefillOfItsItem)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a"}));
    MakeTree();
    const HTREEITEM dir = Select(Dir());
    WaitFor([&] { return !m_tree.IsSelectionPending(); }, 3000);
    m_list.shownFolders.clear();
    Select(Dir("a"));
    ASSERT_TRUE(m_tree.IsSelectionPending());
    // Collapsing reads the children again: the pending item and its record are gone.
    m_tree.Expand(dir, TVE_COLLAPSE);
    EXPECT_TRUE(WaitFor([&] { return !m_list.shownFolders.empty() && !m_tree.IsSelectionPending(); }, 3000));
    for (const std::string& shown : m_list.shownFolders)
        EXPECT_TRUE(SamePath(shown.c_str(), Dir("a")) || SamePath(shown.c_str(), Dir())) << shown;
}

// The list's window lives on another thread that reads its queue only after the tree has
// deleted every item: the posted folder is the list's own copy.
TEST_F(ShellTreeTest, PostedFolderOutlivesTheTreeItems)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a"}));
    MakeTree();
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> listWindow{nullptr};
    std::string received;
    std::thread list([&] {
        RecordingList late;
        listWindow = late.Get();
        SetEvent(ready);
        WaitForSingleObject(go, 10000);
        WaitFor([&] { return !late.shownFolders.empty(); }, 5000);
        if (!late.shownFolders.empty())
            received = late.shownFolders.back();
    });
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    m_tree.SetListWnd(listWindow);
    Select(Dir("a"));
    EXPECT_TRUE(WaitFor([&] { return !m_tree.IsSelectionPending(); }, 3000));
    m_tree.DeleteAllItems();
    SetEvent(go);
    list.join();
    CloseHandle(go);
    CloseHandle(ready);
    EXPECT_TRUE(SamePath(received.c_str(), Dir("a"))) << received;
}

TEST_F(ShellTreeTest, FollowsAnotherProcessAtThreeLevels)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"old0", "a", "a\\old1", "a\\b", "a\\b\\c", "a\\b\\old2", "a\\b\\keep"}));
    m_drives.Set({{"C:\\", DRIVE_REMOVABLE}, {CString(Dir().c_str()) + "\\", DRIVE_FIXED}});
    MakeTree();
    EXPECT_EQ(m_tree.GetDriveWatchCount(), 1);
    const HTREEITEM c = Select(Dir("a\\b\\c"));
    const HTREEITEM dir = ItemOf(Dir());
    const HTREEITEM a = ItemOf(Dir("a"));
    const HTREEITEM b = ItemOf(Dir("a\\b"));
    ASSERT_TRUE(dir && a && b && c);
    m_tree.SelectItem(c);
    // Let the watches arm on the expanded folders.
    EXPECT_TRUE(WaitFor([&] { return m_tree.GetWatchedFolders().size() >= 4; }, 3000));
    WaitFor([] { return false; }, 300);

    ASSERT_TRUE(RunInOtherProcess(Dir(), "mkdir new0 && rmdir old0 && mkdir a\\new1 && ren a\\old1 ren1 && "
                                         "mkdir a\\b\\new2 && rmdir a\\b\\old2 && ren a\\b\\keep kept"));
    const Names top = {"a", "new0"};
    const Names second = {"b", "new1", "ren1"};
    const Names third = {"c", "kept", "new2"};
    EXPECT_TRUE(WaitFor([&] { return ChildNames(dir) == top && ChildNames(a) == second && ChildNames(b) == third; },
                        10000));
    EXPECT_EQ(ChildNames(dir), top);
    EXPECT_EQ(ChildNames(a), second);
    EXPECT_EQ(ChildNames(b), third);
    // Merged, not rebuilt: the same items, still expanded, the selection where it was.
    EXPECT_EQ(m_tree.GetSelectedItem(), c);
    EXPECT_NE(m_tree.GetItemState(a, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
    EXPECT_GE(m_tree.GetWatchSignal().reports.load(), 1);
}

TEST_F(ShellTreeTest, DriveComesAndGoesWithDeviceChange)
{
    m_drives.Set({});
    MakeTree();
    const HTREEITEM computer = MyComputer();
    ASSERT_NE(computer, nullptr);
    m_tree.Expand(computer, TVE_EXPAND);
    EXPECT_EQ(DrivePaths(computer).count("C:\\"), 0u);

    DEV_BROADCAST_HDR header = {};
    header.dbch_size = sizeof(header);
    header.dbch_devicetype = DBT_DEVTYP_VOLUME;
    auto broadcast = [&](WPARAM event) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&header),
                            SMTO_ABORTIFHUNG, 2000, &result);
    };
    m_drives.Set({{"C:\\", DRIVE_REMOVABLE}});
    // Twice within the quiet time: one refresh.
    broadcast(DBT_DEVICEARRIVAL);
    EXPECT_TRUE(m_tree.IsDeviceTimerArmed());
    broadcast(DBT_DEVICEARRIVAL);
    EXPECT_TRUE(WaitFor([&] { return DrivePaths(computer).count("C:\\") == 1; }, 6000));
    WaitFor([] { return false; }, 2000);
    EXPECT_EQ(m_list.changedRequests, 1);

    m_drives.Set({});
    broadcast(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_TRUE(WaitFor([&] { return DrivePaths(computer).count("C:\\") == 0; }, 6000));
    EXPECT_TRUE(WaitFor([&] { return m_list.changedRequests == 2; }, 3000));
    // Other device events change nothing.
    broadcast(DBT_DEVNODES_CHANGED);
    EXPECT_FALSE(m_tree.IsDeviceTimerArmed());
}

TEST_F(ShellTreeTest, WithoutWatchThreadsTheTreeStillWorksAndRefillsFromTheRightFolder)
{
    const auto failing = [](LPTHREAD_START_ROUTINE, void*) -> HANDLE { return nullptr; };
    const CTreeWatchThread::ThreadStarter previous = CTreeWatchThread::SetThreadStarter(failing);
    ASSERT_TRUE(MakeFolders(Dir(), {"a"}));
    m_drives.Set({{"C:\\", DRIVE_REMOVABLE}, {CString(Dir().c_str()) + "\\", DRIVE_FIXED}});
    MakeTree();
    EXPECT_EQ(m_tree.GetDriveWatchCount(), 0);
    EXPECT_FALSE(m_tree.IsFolderWatchRunning());
    Select(Dir("a"));
    // Made after the tree read "a", and no watch tells it: selecting them reads "a" again (its
    // own folder), then the new folder.
    ASSERT_TRUE(MakeFolders(Dir(), {"a\\n1", "a\\n1\\n2"}));
    const HTREEITEM n2 = Select(Dir("a\\n1\\n2"));
    EXPECT_TRUE(SamePath(PathOf(n2), Dir("a\\n1\\n2")));
    // The list's road to the tree: a folder row that was opened.
    Select(Dir());
    LPITEMIDLIST absolute = nullptr;
    ASSERT_TRUE(SUCCEEDED(m_tree.PathToPidl(Dir("a\\n1").c_str(), &absolute, nullptr)));
    CShellListItem opened(m_tree.GetDesktop(), absolute, nullptr);
    PidlBytes::Free(absolute);
    EXPECT_EQ(m_tree.SendMessage(WM_TREE_SELECTFOLDER, 0, reinterpret_cast<LPARAM>(&opened)), 1);
    EXPECT_EQ(m_tree.SendMessage(WM_TREE_SELECTFOLDER, 0, 0), 0);
    CTreeWatchThread::SetThreadStarter(previous);
}

TEST_F(ShellTreeTest, RenameChangesTheEditedItemOnlyAndItsLastComponent)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"dup", "dup\\dup", "x"}));
    MakeTree();
    const HTREEITEM inner = Select(Dir("dup\\dup"));
    const HTREEITEM x = Select(Dir("x"));
    // The label edit ends on the inner "dup" while "x" is selected.
    NMTVDISPINFOA info = {};
    info.hdr.hwndFrom = m_tree.m_hWnd;
    info.hdr.idFrom = 108;
    info.hdr.code = TVN_ENDLABELEDITA;
    info.item.hItem = inner;
    char label[] = "other";
    info.item.pszText = label;
    EXPECT_EQ(m_owner.SendMessage(WM_NOTIFY, 108, reinterpret_cast<LPARAM>(&info)), TRUE);
    EXPECT_TRUE(IsFolder(Dir("dup\\other")));
    EXPECT_TRUE(IsFolder(Dir("dup")));
    EXPECT_TRUE(IsFolder(Dir("x")));
    EXPECT_EQ(m_tree.GetSelectedItem(), x);
    EXPECT_TRUE(SamePath(PathOf(inner), Dir("dup\\other")));
    EXPECT_EQ(std::string(m_tree.GetItemText(inner)), "other");
    // A cancelled edit and a name with a separator rename nothing.
    info.item.pszText = nullptr;
    EXPECT_EQ(m_owner.SendMessage(WM_NOTIFY, 108, reinterpret_cast<LPARAM>(&info)), FALSE);
    EXPECT_FALSE(m_tree.RenameItem(x, "..\\escaped"));
    // The names the list's renames refuse, the tree refuses too.
    for (const char* refused : {"..", "a|b", "con", "trail."})
        EXPECT_FALSE(m_tree.RenameItem(x, refused)) << refused;
    EXPECT_TRUE(IsFolder(Dir("x")));
}

TEST_F(ShellTreeTest, RightClickSelectsTheItemAndShowsItsShellMenuExceptWhileDragging)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a", "b"}));
    MakeTree();
    Select(Dir());
    const HTREEITEM a = ItemOf(Dir("a"));
    Select(Dir("b"));
    int menus = 0;
    int menuItems = 0;
    CModalHandlerScope modal([&](const ModalRequest& request) -> INT_PTR {
        if (request.kind == ModalKind::PopupMenu && request.pMenu != nullptr) {
            ++menus;
            menuItems = request.pMenu->GetMenuItemCount();
        }
        return 0;
    });
    auto rightClick = [&](HTREEITEM item) {
        CRect rect;
        m_tree.EnsureVisible(item);
        m_tree.GetItemRect(item, &rect, TRUE);
        CPoint point = rect.CenterPoint();
        m_tree.ClientToScreen(&point);
        SetCursorPos(point.x, point.y);
        NMHDR header = {m_tree.m_hWnd, 108, static_cast<UINT>(NM_RCLICK)};
        m_owner.SendMessage(WM_NOTIFY, 108, reinterpret_cast<LPARAM>(&header));
    };
    rightClick(a);
    EXPECT_EQ(m_tree.GetSelectedItem(), a);
    EXPECT_EQ(menus, 1);
    EXPECT_GT(menuItems, 0);
    // During the tree's own drag a right click does nothing.
    const HTREEITEM b = ItemOf(Dir("b"));
    m_tree.dragLoop = [&](COleDataSource&, DWORD) {
        rightClick(b);
        return DROPEFFECT_NONE;
    };
    NMTREEVIEWA drag = {};
    drag.hdr = {m_tree.m_hWnd, 108, static_cast<UINT>(TVN_BEGINDRAGA)};
    drag.itemNew.hItem = a;
    m_owner.SendMessage(WM_NOTIFY, 108, reinterpret_cast<LPARAM>(&drag));
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(m_tree.GetSelectedItem(), a);
}

TEST_F(ShellTreeTest, DragOffersTheFolderAndRefreshesAfterACopyOrMove)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"a"}));
    MakeTree();
    const HTREEITEM a = Select(Dir("a"));
    WaitFor([] { return false; }, 300);
    std::vector<std::string> offered;
    DWORD allowed = 0;
    bool dragging = false;
    m_tree.dragLoop = [&](COleDataSource& source, DWORD dwAllowed) {
        allowed = dwAllowed;
        dragging = m_tree.IsDragging();
        COleDataObject data;
        data.Attach(source.GetDataObject(), FALSE);
        CStringList names;
        HGLOBAL block = data.GetGlobalData(CF_HDROP);
        CFileDropTarget::CollectFileNames(block, names);
        GlobalFree(block);
        for (POSITION pos = names.GetHeadPosition(); pos != nullptr;)
            offered.push_back(std::string(names.GetNext(pos)));
        return DROPEFFECT_COPY;
    };
    NMTREEVIEWA drag = {};
    drag.hdr = {m_tree.m_hWnd, 108, static_cast<UINT>(TVN_BEGINDRAGA)};
    drag.itemNew.hItem = a;
    m_owner.SendMessage(WM_NOTIFY, 108, reinterpret_cast<LPARAM>(&drag));
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_TRUE(SamePath(offered[0].c_str(), Dir("a")));
    EXPECT_EQ(allowed, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
    EXPECT_TRUE(dragging);
    EXPECT_FALSE(m_tree.IsDragging());
    // A copy or move was done: the tree reads its open folders again.
    EXPECT_TRUE(m_tree.GetWatchSignal().posted.load());
    // An item without a file-system folder offers nothing.
    offered.clear();
    drag.itemNew.hItem = MyComputer();
    m_owner.SendMessage(WM_NOTIFY, 108, reinterpret_cast<LPARAM>(&drag));
    EXPECT_TRUE(offered.empty());
}

TEST_F(ShellTreeTest, SelectingAFolderThatIsGoneRemovesIt)
{
    ASSERT_TRUE(MakeFolders(Dir(), {"gone", "file", "stays"}));
    MakeTree();
    const HTREEITEM dir = Select(Dir());
    const HTREEITEM gone = m_tree.FindChildByName(dir, "gone");
    const HTREEITEM file = m_tree.FindChildByName(dir, "file");
    ASSERT_TRUE(gone && file);
    // Changed behind the tree's back (no message is handled before the selection).
    ASSERT_TRUE(RemoveDirectoryA(Dir("gone").c_str()));
    ASSERT_TRUE(RemoveDirectoryA(Dir("file").c_str()));
    ASSERT_TRUE(orvo::test::WriteFileBytes(Dir("file"), "x", 1));
    m_tree.SelectItem(gone);
    m_tree.SelectItem(file);
    EXPECT_EQ(m_tree.FindChildByName(dir, "gone"), nullptr);
    EXPECT_EQ(m_tree.FindChildByName(dir, "file"), nullptr);
    EXPECT_NE(m_tree.FindChildByName(dir, "stays"), nullptr);
}

struct MissingCase
{
    const char* name;
    const char* path; // relative to the test folder, or absolute when it has a colon
    bool message;
};

class ShellTreeMissingTable : public ShellTreeTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(ShellTreeMissingTable, LeavesTheSelectionAsItWas)
{
    const MissingCase& c = GetParam();
    MakeTree();
    const HTREEITEM before = Select(Dir());
    std::string shown;
    CPromptHandlerScope prompts([&](const PromptRequest& request) {
        shown = request.strText;
        return IDOK;
    });
    const std::string path = std::string(c.path).find(':') != std::string::npos ? c.path : Dir(c.path);
    EXPECT_FALSE(m_tree.SelectFolderByPath(path.c_str()));
    EXPECT_EQ(m_tree.GetSelectedItem(), before);
    if (c.message) {
        EXPECT_NE(shown.find("The directory doesn't exist:"), std::string::npos);
        EXPECT_NE(shown.find(path), std::string::npos);
    } else {
        EXPECT_TRUE(shown.empty()) << shown;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, ShellTreeMissingTable, ::testing::Values(
    // The shell cannot parse it: no message.
    MissingCase{"NoSuchFolder", "nothere\\deeper", false},
    // A drive the drive list does not hold is not in the tree (and is never read).
    MissingCase{"UnlistedDrive", "Z:\\", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TreeWatchThreadTest, ReportsCarryNoPathAndABurstWaitsAsOne)
{
    orvo::test::TempDir dir;
    std::vector<std::pair<WPARAM, LPARAM>> reports;
    orvo::test::HiddenWindow tree([&](UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TREE_FOLDERSCHANGED)
            reports.emplace_back(wParam, lParam);
    });
    auto signal = std::make_shared<TreeWatchSignal>();
    signal->tree = tree.Get();
    CTreeWatchThread watch;
    ASSERT_TRUE(watch.Start({CString(dir.Path().c_str())}, false, signal));
    WaitFor([] { return false; }, 300);
    ASSERT_TRUE(MakeFolders(dir.Path(), {"1", "2", "3", "4", "5"}));
    EXPECT_TRUE(WaitFor([&] { return !reports.empty(); }, 5000));
    WaitFor([] { return false; }, 500);
    // Nothing cleared the waiting report: the rest of the burst added none.
    EXPECT_EQ(reports.size(), 1u);
    signal->posted = false;
    ASSERT_TRUE(MakeFolders(dir.Path(), {"6"}));
    EXPECT_TRUE(WaitFor([&] { return reports.size() == 2; }, 5000));
    for (const auto& report : reports)
        EXPECT_EQ(report, std::make_pair(WPARAM{0}, LPARAM{0}));
    watch.SignalStop();
    EXPECT_TRUE(watch.WaitEnded(GetTickCount64() + CTreeWatchThread::kStopWaitMs));
}

TEST(TreeWatchThreadTest, AnUnwatchableRootEndsItsThreadAtOnce)
{
    auto signal = std::make_shared<TreeWatchSignal>();
    CTreeWatchThread watch;
    ASSERT_TRUE(watch.Start({CString("C:\\no-such-folder-of-orvo\\")}, true, signal));
    EXPECT_TRUE(WaitFor([&] { return watch.HasEnded(); }, 5000));
}

TEST_F(ShellTreeTest, WatchesAtMost32DrivesInListOrder)
{
    std::vector<DriveEntry> drives = {{"C:\\no-such-folder-of-orvo\\", DRIVE_FIXED}, {"C:\\", DRIVE_REMOVABLE},
                                      {"C:\\", DRIVE_CDROM}};
    for (int i = 0; i < 40; ++i) {
        const std::string name = "d" + std::to_string(i);
        ASSERT_TRUE(MakeFolders(Dir(), {name}));
        const UINT type = i % 3 == 0 ? DRIVE_REMOTE : i % 3 == 1 ? DRIVE_RAMDISK : DRIVE_FIXED;
        drives.push_back({CString(Dir(name).c_str()), type});
    }
    m_drives.Set(drives);
    MakeTree();
    // The unwatchable root counts too; removable and optical drives are not watched.
    EXPECT_EQ(m_tree.GetDriveWatchCount(), CShellTree::kMaxDriveWatches);
}
} // namespace
