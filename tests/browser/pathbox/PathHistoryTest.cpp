// The path box's typed-folder history: its registry round trip (order, no hidden limit, gaps,
// empty and overlong values), a save that fails part-way, and the box itself: filled from the
// history, folders dropped on it, bookmarks removed.
#include "browser/pathbox/CPathListBox.h"
#include "browser/pathbox/CPathManager.h"
#include "framework/COleDataSource.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ListTestWindow.h"
#include "ui/CDragDropList.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

using orvo::test::TempDir;

// A history key of this test under HKEY_CURRENT_USER, removed at the end.
class HistoryKey
{
public:
    HistoryKey() : m_parent("Software\\OrvoKestalTests\\PathHistory-" + std::to_string(GetCurrentProcessId())) {}
    ~HistoryKey() { SHDeleteKeyA(HKEY_CURRENT_USER, m_parent.c_str()); }
    const std::string& Parent() const { return m_parent; }
    std::string History() const { return m_parent + "\\TypedDirs"; }
    void Set(int index, const std::string& value) const
    {
        const std::string name = "TypedDir" + std::to_string(index);
        SHSetValueA(HKEY_CURRENT_USER, History().c_str(), name.c_str(), REG_SZ, value.c_str(),
                    static_cast<DWORD>(value.size() + 1));
    }
    bool Has(int index) const
    {
        const std::string name = "TypedDir" + std::to_string(index);
        return SHGetValueA(HKEY_CURRENT_USER, History().c_str(), name.c_str(), nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

private:
    std::string m_parent;
};

std::vector<std::string> Paths(CPathManager& history)
{
    std::vector<std::string> paths;
    for (int i = 0; i < history.GetCount(); ++i)
        paths.emplace_back(history.GetAt(i)->GetPath().GetString());
    return paths;
}

std::string Folder(int i)
{
    return "C:\\Projects\\Site " + std::to_string(i);
}

class PathHistoryTest : public ::testing::Test
{
protected:
    void SetUp() override { m_history.SetParentKey(m_key.Parent().c_str()); }
    HistoryKey m_key;
    CPathManager m_history;
};

TEST_F(PathHistoryTest, ThirtyFoldersComeBackInOrderWithNoneLost)
{
    std::vector<std::string> expected;
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(m_history.AddPath(Folder(i).c_str()));
        expected.push_back(Folder(i));
    }
    ASSERT_TRUE(m_history.Save());
    CPathManager reloaded;
    reloaded.SetParentKey(m_key.Parent().c_str());
    ASSERT_TRUE(reloaded.Load());
    EXPECT_EQ(Paths(reloaded), expected);
    EXPECT_FALSE(m_key.Has(30));
}

TEST_F(PathHistoryTest, APathThatDiffersOnlyInCaseIsNotAddedAgain)
{
    EXPECT_TRUE(m_history.AddPath("C:\\Drawings"));
    EXPECT_FALSE(m_history.AddPath("c:\\DRAWINGS"));
    EXPECT_EQ(m_history.GetCount(), 1);
}

TEST_F(PathHistoryTest, AGapEndsTheList)
{
    m_key.Set(0, "C:\\A");
    m_key.Set(2, "C:\\C");
    ASSERT_TRUE(m_history.Load());
    EXPECT_EQ(Paths(m_history), std::vector<std::string>({"C:\\A"}));
}

TEST_F(PathHistoryTest, AnEmptyValueLoadsAsAnEmptyLineAndIsDroppedAtTheNextSave)
{
    m_key.Set(0, "C:\\A");
    m_key.Set(1, "");
    m_key.Set(2, "C:\\C");
    ASSERT_TRUE(m_history.Load());
    EXPECT_EQ(Paths(m_history), std::vector<std::string>({"C:\\A", "", "C:\\C"}));
    ASSERT_TRUE(m_history.Save());
    ASSERT_TRUE(m_history.Load());
    EXPECT_EQ(Paths(m_history), std::vector<std::string>({"C:\\A", "C:\\C"}));
}

TEST_F(PathHistoryTest, AValueLongerThanAPathIsReadWhole)
{
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\plans";
    m_key.Set(0, deep);
    m_key.Set(1, "C:\\B");
    ASSERT_TRUE(m_history.Load());
    EXPECT_EQ(Paths(m_history), std::vector<std::string>({deep, "C:\\B"}));
}

TEST_F(PathHistoryTest, AnOversizedValueIsSkippedNotCut)
{
    m_key.Set(0, "C:\\A");
    m_key.Set(1, std::string(CPathManager::kMaxValueBytes + 10, 'x'));
    m_key.Set(2, "C:\\C");
    ASSERT_TRUE(m_history.Load());
    EXPECT_EQ(Paths(m_history), std::vector<std::string>({"C:\\A", "C:\\C"}));
}

TEST_F(PathHistoryTest, AMissingKeyLoadsNothing)
{
    EXPECT_FALSE(m_history.Load());
    EXPECT_EQ(m_history.GetCount(), 0);
}

// Fails the write of one entry, as a full or locked registry would.
class FailingHistory : public CPathManager
{
public:
    int failAt = -1;

protected:
    LONG WriteEntry(CRegKey& key, const char* name, const CString& path) override
    {
        if (failAt >= 0 && CString(name) == ("TypedDir" + std::to_string(failAt)).c_str())
            return ERROR_ACCESS_DENIED;
        return CPathManager::WriteEntry(key, name, path);
    }
};

TEST_F(PathHistoryTest, ASaveThatFailsPartWayKeepsTheOldList)
{
    for (int i = 0; i < 5; ++i)
        m_history.AddPath(Folder(i).c_str());
    ASSERT_TRUE(m_history.Save());
    FailingHistory changed;
    changed.SetParentKey(m_key.Parent().c_str());
    ASSERT_TRUE(changed.Load());
    changed.RemoveAll();
    for (int i = 10; i < 20; ++i)
        changed.AddPath(Folder(i).c_str());
    changed.failAt = 6;
    EXPECT_FALSE(changed.Save());
    ASSERT_TRUE(m_history.Load());
    std::vector<std::string> old;
    for (int i = 0; i < 5; ++i)
        old.push_back(Folder(i));
    EXPECT_EQ(Paths(m_history), old);
    EXPECT_NE(SHGetValueA(HKEY_CURRENT_USER, (m_key.Parent() + "\\TypedDirs.new").c_str(), "TypedDir0", nullptr,
                          nullptr, nullptr),
              ERROR_SUCCESS)
        << "no half-written list is left behind";
}

TEST_F(PathHistoryTest, AStagedCompleteListIsFoundWhenTheOldOneIsGone)
{
    // A save that ended after the old list was removed and before the new one was in place.
    const std::string staged = m_key.Parent() + "\\TypedDirs.new";
    SHSetValueA(HKEY_CURRENT_USER, staged.c_str(), "TypedDir0", REG_SZ, "C:\\New", 7);
    DWORD complete = 1;
    SHSetValueA(HKEY_CURRENT_USER, staged.c_str(), "Complete", REG_DWORD, &complete, sizeof(complete));
    ASSERT_TRUE(m_history.Load());
    EXPECT_EQ(Paths(m_history), std::vector<std::string>({"C:\\New"}));
}

TEST_F(PathHistoryTest, RemovingTheCurrentEntryMovesToTheNextOne)
{
    for (const char* path : {"C:\\A", "C:\\B", "C:\\C"})
        m_history.AddPath(path);
    ASSERT_NE(m_history.Find("c:\\b"), nullptr);
    m_history.RemoveCurrent();
    ASSERT_NE(m_history.GetCurrent(), nullptr);
    EXPECT_STREQ(m_history.GetCurrent()->GetPath(), "C:\\C");
    EXPECT_EQ(Paths(m_history), std::vector<std::string>({"C:\\A", "C:\\C"}));
    ASSERT_NE(m_history.Find("C:\\C"), nullptr);
    m_history.RemoveCurrent();
    EXPECT_EQ(m_history.GetCurrent(), nullptr);
    EXPECT_EQ(m_history.GetAt(5), nullptr);
}

// The box in a window, on a history of this test.
class PathListBoxTest : public PathHistoryTest
{
protected:
    void SetUp() override
    {
        PathHistoryTest::SetUp();
        OleInitialize(nullptr);
        m_key.Set(0, "C:\\First");
        m_key.Set(1, "C:\\Second");
        CreateDirectoryA((m_dir / "dropped").c_str(), nullptr);
        orvo::test::WriteFileBytes(m_dir / "plan.dwg", "x", 1);
        ASSERT_TRUE(m_owner.CreateOwner(500, 200));
        m_owner.ShowWindow(SW_SHOW);
        m_box.GetHistory().SetParentKey(m_key.Parent().c_str());
        ASSERT_TRUE(m_box.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_AUTOHSCROLL | CBS_DROPDOWN,
                                 CRect(2, 3, 402, 303), &m_owner, 102));
    }
    void TearDown() override
    {
        m_box.DestroyWindow();
        m_owner.DestroyWindow();
        OleUninitialize();
    }

    std::vector<std::string> Entries()
    {
        std::vector<std::string> entries;
        for (int i = 0; i < m_box.GetCount(); ++i) {
            CString text;
            m_box.GetLBText(i, text);
            entries.emplace_back(text.GetString());
        }
        return entries;
    }

    void DropOnBox(const std::vector<std::string>& names)
    {
        CStringList files;
        for (const std::string& name : names)
            files.AddTail(name.c_str());
        COleDataSource source;
        source.CacheGlobalData(CF_HDROP, CDragDropList::MakeDropBlock(files));
        CRect rect;
        m_box.GetWindowRect(&rect);
        const POINTL point = {rect.left + 10, rect.top + 5};
        IDropTarget* target = m_box.GetDropTarget().GetInterface();
        DWORD effect = DROPEFFECT_COPY;
        target->DragEnter(source.GetDataObject(), MK_LBUTTON, point, &effect);
        effect = DROPEFFECT_COPY;
        target->DragOver(MK_LBUTTON, point, &effect);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
        effect = DROPEFFECT_COPY;
        target->Drop(source.GetDataObject(), MK_LBUTTON, point, &effect);
    }

    TempDir m_dir;
    CListTestOwner m_owner;
    CPathListBox m_box;
};

TEST_F(PathListBoxTest, TheBoxShowsTheSavedHistoryInOrder)
{
    EXPECT_EQ(Entries(), std::vector<std::string>({"C:\\First", "C:\\Second"}));
    m_key.Set(2, "C:\\Third");
    m_box.ReloadList();
    EXPECT_EQ(Entries(), std::vector<std::string>({"C:\\First", "C:\\Second", "C:\\Third"}));
}

TEST_F(PathListBoxTest, AFolderDroppedOnTheBoxIsShownAndKept)
{
    const std::string folder = m_dir / "dropped";
    DropOnBox({folder, m_dir / "plan.dwg", m_dir / "gone"});
    EXPECT_EQ(Entries(), std::vector<std::string>({"C:\\First", "C:\\Second", folder}));
    CPathManager saved;
    saved.SetParentKey(m_key.Parent().c_str());
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(Paths(saved), Entries()) << "the drop is saved at once";
}

TEST_F(PathListBoxTest, DroppingTheSameFolderAgainAddsNothing)
{
    const std::string folder = m_dir / "dropped";
    DropOnBox({folder});
    DropOnBox({folder});
    EXPECT_EQ(m_box.GetCount(), 3);
}

TEST_F(PathListBoxTest, AddingAndRemovingTheTypedFolder)
{
    m_box.SetText("C:\\Third");
    EXPECT_TRUE(m_box.AddCurrentFolder());
    EXPECT_FALSE(m_box.AddCurrentFolder());
    EXPECT_EQ(m_box.GetCount(), 3);
    m_box.SetText("c:\\first");
    EXPECT_TRUE(m_box.RemoveCurrentFolder());
    EXPECT_EQ(Entries(), std::vector<std::string>({"C:\\Second", "C:\\Third"}));
    m_box.SetText("C:\\Nowhere");
    EXPECT_FALSE(m_box.RemoveCurrentFolder());
    CPathManager saved;
    saved.SetParentKey(m_key.Parent().c_str());
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(Paths(saved), std::vector<std::string>({"C:\\Second", "C:\\Third"}));
}

TEST_F(PathListBoxTest, EnterInTheBoxAsksTheMainWindowToBrowse)
{
    MSG msg = {};
    msg.hwnd = m_box.GetSafeHwnd();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_RETURN;
    // Without a main window the key is still taken, so no dialog key handling sees it.
    EXPECT_TRUE(m_box.PreTranslateMessage(&msg));
    // A typed letter is delivered to the box itself, before any accelerator of the frame sees it.
    msg.wParam = 'A';
    EXPECT_TRUE(m_box.PreTranslateMessage(&msg));
}

} // namespace
