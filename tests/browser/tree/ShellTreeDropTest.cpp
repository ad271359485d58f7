// Files reaching the folder tree: dropped on an item through its drop target, pasted from the
// clipboard (moved when the shell's "Preferred DropEffect" marks them cut, copied otherwise), a
// folder copied from the tree and pasted back, and a busy clipboard. The files on disk say what
// happened.
#include "browser/tree/CShellTree.h"
#include "framework/AfxWin.h"
#include "framework/COleDataObject.h"
#include "framework/COleDataSource.h"
#include "render/workers/WorkerAppState.h"
#include "tests/browser/tree/ShellTreeTestKit.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"
#include "ui/CDragDropList.h"
#include "ui/FileClipboard.h"
#include "ui/ShellFileOperation.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <thread>
#include <vector>

using orvo::test::WaitFor;
using namespace treetest;

namespace
{
// The names as the drop and clipboard blocks carry them.
struct PathList : CStringList
{
    explicit PathList(const std::vector<std::string>& paths)
    {
        for (const std::string& path : paths)
            AddTail(CString(path.c_str()));
    }
};

// Files offered as a drag source offers them.
struct DropData
{
    explicit DropData(const std::vector<std::string>& paths)
    {
        source.CacheGlobalData(CF_HDROP, CDragDropList::MakeDropBlock(PathList(paths)));
        data.Attach(source.GetDataObject(), FALSE);
    }
    COleDataSource source;
    COleDataObject data;
};

// Puts files on the clipboard as the shell does, with the cut/copy marker as raw bytes (none
// when empty).
bool PutFilesOnClipboard(HWND owner, const std::vector<std::string>& paths, const std::vector<BYTE>& marker)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    bool put = SetClipboardData(CF_HDROP, CDragDropList::MakeDropBlock(PathList(paths))) != nullptr;
    if (!marker.empty()) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, marker.size());
        if (void* bytes = block ? GlobalLock(block) : nullptr) {
            memcpy(bytes, marker.data(), marker.size());
            GlobalUnlock(block);
        }
        put = put && SetClipboardData(RegisterClipboardFormatA("Preferred DropEffect"), block) != nullptr;
    }
    CloseClipboard();
    return put;
}

std::vector<BYTE> Marker(DWORD effect)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(&effect);
    return std::vector<BYTE>(bytes, bytes + sizeof(effect));
}

class ShellTreeDropTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        m_drives.Set({{"C:\\", DRIVE_REMOVABLE}});
        ASSERT_TRUE(MakeFolders(m_dir.Path(), {"src", "target", "dest", "locked"}));
        for (const char* name : {"plan.dwg", "photo.jpg"})
            ASSERT_TRUE(orvo::test::WriteFileBytes(m_dir / ("src\\" + std::string(name)), name, 8));
        ASSERT_TRUE(m_owner.CreateOwner(420, 640));
        m_owner.ShowWindow(SW_SHOW);
        m_tree.SetAppState(&m_app);
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                  CRect(0, 0, 400, 600), &m_owner, 108));
        m_tree.RefillFromDesktop();
        ASSERT_TRUE(m_tree.SelectFolderByPath(m_dir.Path().c_str()));
        m_dirItem = m_tree.GetSelectedItem();
    }
    void TearDown() override
    {
        SetFileAttributesA((m_dir / "locked").c_str(), FILE_ATTRIBUTE_NORMAL);
        m_tree.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    HTREEITEM Child(const char* name) { return m_tree.FindChildByName(m_dirItem, name); }
    CPoint PointOf(HTREEITEM item)
    {
        CRect rect;
        m_tree.EnsureVisible(item);
        m_tree.GetItemRect(item, &rect, TRUE);
        return rect.CenterPoint();
    }
    std::vector<std::string> Sources() const { return {m_dir / "src\\plan.dwg", m_dir / "src\\photo.jpg"}; }
    bool InFolder(const char* folder) const
    {
        return IsFile(m_dir / (std::string(folder) + "\\plan.dwg")) && IsFile(m_dir / (std::string(folder) + "\\photo.jpg"));
    }
    bool SourcesIntact() const { return InFolder("src"); }

    WorkerAppState m_app;
    DriveListScope m_drives;
    orvo::test::TempDir m_dir;
    CListTestOwner m_owner;
    CShellTree m_tree;
    HTREEITEM m_dirItem = nullptr;
};

TEST_F(ShellTreeDropTest, DropOnAnItemCopiesThereEvenWhenAMoveIsAsked)
{
    const HTREEITEM target = Child("target");
    ASSERT_NE(target, nullptr);
    DropData drop(Sources());
    CTreeDropTarget& dropTarget = m_tree.GetDropTarget();
    const CPoint point = PointOf(target);
    EXPECT_EQ(dropTarget.OnDragEnter(&m_tree, &drop.data, MK_RBUTTON, point), DROPEFFECT_COPY);
    EXPECT_EQ(dropTarget.OnDragOver(&m_tree, &drop.data, MK_RBUTTON | MK_SHIFT, point), DROPEFFECT_COPY);
    EXPECT_EQ(m_tree.GetDropHighlightItem(), target);
    EXPECT_TRUE(dropTarget.OnDrop(&m_tree, &drop.data, DROPEFFECT_MOVE, point));
    EXPECT_TRUE(InFolder("target"));
    EXPECT_TRUE(SourcesIntact());
    EXPECT_EQ(m_tree.GetDropHighlightItem(), nullptr);
}

// Points the drop target refuses: one where no item is, and a folder marked read-only (where the
// system keeps that mark on folders).
TEST_F(ShellTreeDropTest, DropWhereThePointWasRefusedLandsNowhere)
{
    DropData drop(Sources());
    CTreeDropTarget& dropTarget = m_tree.GetDropTarget();
    std::vector<CPoint> refused = {CPoint(-5, -5)};
    SetFileAttributesA((m_dir / "locked").c_str(), FILE_ATTRIBUTE_READONLY);
    if ((GetFileAttributesA((m_dir / "locked").c_str()) & FILE_ATTRIBUTE_READONLY) != 0)
        refused.push_back(PointOf(Child("locked")));
    for (const CPoint& point : refused) {
        EXPECT_EQ(dropTarget.OnDragOver(&m_tree, &drop.data, 0, point), DROPEFFECT_NONE);
        EXPECT_EQ(m_tree.GetDropHighlightItem(), nullptr);
        // A drop that arrives anyway lands nowhere, not in the selected folder either.
        dropTarget.OnDrop(&m_tree, &drop.data, DROPEFFECT_COPY, point);
    }
    EXPECT_FALSE(IsFile(m_dir / "locked\\plan.dwg"));
    EXPECT_FALSE(IsFile(m_dir / "plan.dwg"));
    EXPECT_TRUE(SourcesIntact());
}

struct PasteCase
{
    const char* name;
    std::vector<BYTE> marker;
    bool moves;
};

class ShellTreePasteTable : public ShellTreeDropTest, public ::testing::WithParamInterface<PasteCase> {};

TEST_P(ShellTreePasteTable, MovesOnlyWhatWasCut)
{
    const PasteCase& c = GetParam();
    ASSERT_TRUE(PutFilesOnClipboard(m_owner.m_hWnd, Sources(), c.marker));
    m_tree.SelectItem(Child("dest"));
    EXPECT_TRUE(m_tree.CanPaste());
    EXPECT_TRUE(m_tree.PasteFromClipboard());
    EXPECT_TRUE(InFolder("dest"));
    EXPECT_EQ(SourcesIntact(), !c.moves);
    EXPECT_EQ(IsFile(m_dir / "src\\plan.dwg"), !c.moves);
    // Moved files are named nowhere any more: the clipboard lets go of them; copied ones stay.
    EXPECT_EQ(FileClipboard::HasFiles(m_owner.m_hWnd), !c.moves);
}

INSTANTIATE_TEST_SUITE_P(Markers, ShellTreePasteTable, ::testing::Values(
    PasteCase{"Cut", Marker(DROPEFFECT_MOVE), true},
    PasteCase{"Copied", Marker(DROPEFFECT_COPY | DROPEFFECT_LINK), false},
    PasteCase{"CopyOnly", Marker(DROPEFFECT_COPY), false},
    PasteCase{"NoMarker", {}, false},
    // A marker too short to hold its value is no cut marker.
    PasteCase{"ShortMarker", {2, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellTreeDropTest, CopiedFolderPastesAsACopy)
{
    m_tree.SelectItem(Child("src"));
    EXPECT_TRUE(m_tree.CanCopy());
    ASSERT_TRUE(m_tree.CopyToClipboard());
    ASSERT_TRUE(OpenClipboard(m_owner.m_hWnd));
    CStringList names;
    EXPECT_TRUE(CFileDropTarget::CollectFileNames(GetClipboardData(CF_HDROP), names));
    EXPECT_EQ(FileClipboard::ReadPreferredDropEffect(), 0u);
    CloseClipboard();
    ASSERT_EQ(names.GetCount(), 1);
    EXPECT_TRUE(SamePath(names.GetHead(), m_dir / "src"));

    m_tree.SelectItem(Child("dest"));
    EXPECT_TRUE(m_tree.PasteFromClipboard());
    EXPECT_TRUE(InFolder("dest\\src"));
    EXPECT_TRUE(SourcesIntact());
}

TEST_F(ShellTreeDropTest, BusyClipboardChangesNothing)
{
    ASSERT_TRUE(PutFilesOnClipboard(m_owner.m_hWnd, Sources(), Marker(DROPEFFECT_MOVE)));
    m_tree.SelectItem(Child("dest"));
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        orvo::test::HiddenWindow window([](UINT, WPARAM, LPARAM) {});
        const BOOL open = OpenClipboard(window.Get());
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
        if (open)
            CloseClipboard();
    });
    ASSERT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(m_tree.CanPaste());
    EXPECT_FALSE(m_tree.PasteFromClipboard());
    EXPECT_FALSE(m_tree.CopyToClipboard());
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_FALSE(IsFile(m_dir / "dest\\plan.dwg"));
    EXPECT_TRUE(SourcesIntact());
}

TEST_F(ShellTreeDropTest, ATrailingBackslashGivesTheSameTargets)
{
    std::string fromPlain, toPlain, fromSlash, toSlash;
    ShellFileOperation::BuildLists(PathList(Sources()), CString((m_dir / "dest").c_str()), fromPlain, toPlain);
    ShellFileOperation::BuildLists(PathList(Sources()), CString((m_dir / "dest\\").c_str()), fromSlash, toSlash);
    EXPECT_EQ(toPlain, toSlash);
    EXPECT_EQ(fromPlain, fromSlash);
    const std::string expected = m_dir / "dest\\plan.dwg" + std::string(1, '\0') + (m_dir / "dest\\photo.jpg") +
                                 std::string(2, '\0');
    EXPECT_EQ(toPlain, expected);
}
} // namespace
