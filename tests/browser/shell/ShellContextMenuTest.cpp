// The shell context menu's own submenus and commands on temporary folders: Send To offers every
// selected item, its menu lists folders first and files in the folder's order with "(empty)"
// where nothing is, Open With reads the user's application lists and refuses over-long commands,
// and ids outside the menu's ranges are never run. No shell verb is invoked here.
#include "browser/shell/CPIDL.h"
#include "browser/shell/CShellContextMenu.h"
#include "browser/shell/CShellPidl.h"
#include "browser/shell/PidlBytes.h"
#include "framework/CMenu.h"
#include "framework/ModalSeam.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// A drop target that takes copies and records the files it was offered.
class RecordingDropTarget : public IDropTarget
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override
    {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override
    {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override
    {
        FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (FAILED(data->GetData(&format, &medium)))
            return E_FAIL;
        const HDROP drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char path[MAX_PATH] = {};
            DragQueryFileA(drop, i, path, MAX_PATH);
            files.emplace_back(PathFindFileNameA(path));
        }
        ReleaseStgMedium(&medium);
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }

    std::vector<std::string> files;
};

// A bound folder and the relative lists of some of its files.
class FolderItems
{
public:
    FolderItems(const std::string& folder, const std::vector<std::string>& names)
    {
        CPIDL pidl(folder.c_str(), nullptr);
        IShellFolder* desktop = nullptr;
        SHGetDesktopFolder(&desktop);
        desktop->BindToObject(pidl.Get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(&m_folder));
        desktop->Release();
        for (const std::string& name : names) {
            std::wstring wide(name.begin(), name.end());
            LPITEMIDLIST item = nullptr;
            if (m_folder && SUCCEEDED(m_folder->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &item, nullptr)))
                m_items.push_back(item);
        }
    }
    ~FolderItems()
    {
        for (LPITEMIDLIST item : m_items)
            PidlBytes::Free(item);
        if (m_folder)
            m_folder->Release();
    }
    IShellFolder* Folder() const { return m_folder; }
    LPCITEMIDLIST* Items() { return const_cast<LPCITEMIDLIST*>(reinterpret_cast<const LPCITEMIDLIST*>(m_items.data())); }
    int Count() const { return static_cast<int>(m_items.size()); }

private:
    IShellFolder* m_folder = nullptr;
    std::vector<LPITEMIDLIST> m_items;
};

// A folder that gives out no interface for its items: the context menu cannot be built.
class RefusingFolder : public IShellFolder
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        *out = riid == IID_IUnknown || riid == IID_IShellFolder ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void** out) override
    {
        *out = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override { return E_NOTIMPL; }
};

std::string MenuText(HMENU menu, int position)
{
    char text[MAX_PATH] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, MAX_PATH, MF_BYPOSITION);
    return text;
}

class ShellContextMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        for (const char* name : {"a.dxf", "b.bmp", "c.jpg"})
            std::ofstream(m_dir / name) << name;
    }
    void TearDown() override { OleUninitialize(); }

    orvo::test::TempDir m_dir;
};

TEST_F(ShellContextMenuTest, SendToOffersEverySelectedItem)
{
    FolderItems items(m_dir.Path(), {"a.dxf", "b.bmp", "c.jpg"});
    ASSERT_EQ(items.Count(), 3);
    CShellContextMenu menu(nullptr, (m_dir / "a.dxf").c_str(), items.Items(), items.Count(), items.Folder());
    RecordingDropTarget target;
    ASSERT_HRESULT_SUCCEEDED(menu.SendItemsTo(&target));
    EXPECT_EQ(target.files, (std::vector<std::string>{"a.dxf", "b.bmp", "c.jpg"}));
}

TEST_F(ShellContextMenuTest, SendToMenuListsFoldersFirstAndFilesInOrder)
{
    orvo::test::TempDir sendTo;
    std::ofstream(sendTo / "zeta.txt") << "z";
    std::ofstream(sendTo / "alpha.txt") << "a";
    CreateDirectoryA((sendTo / "Group").c_str(), nullptr);
    FolderItems folder(sendTo.Path(), {});
    FolderItems items(m_dir.Path(), {"a.dxf"});
    CShellContextMenu menu(nullptr, (m_dir / "a.dxf").c_str(), items.Items(), items.Count(), items.Folder());
    const HMENU popup = CreatePopupMenu();
    UINT nextId = CShellContextMenu::kFirstSendTo;
    menu.FillSendToMenu(popup, folder.Folder(), &nextId);
    ASSERT_EQ(GetMenuItemCount(popup), 3);
    EXPECT_EQ(MenuText(popup, 0), "Group");
    const HMENU group = GetSubMenu(popup, 0);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(GetMenuItemCount(group), 1);
    EXPECT_EQ(MenuText(group, 0), "(empty)");
    EXPECT_NE(GetMenuState(group, 0, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(MenuText(popup, 1).substr(0, 5), "alpha");
    EXPECT_EQ(MenuText(popup, 2).substr(0, 4), "zeta");
    EXPECT_EQ(nextId, CShellContextMenu::kFirstSendTo + 3);
    DestroyMenu(popup);

    orvo::test::TempDir empty;
    FolderItems none(empty.Path(), {});
    const HMENU emptyMenu = CreatePopupMenu();
    nextId = CShellContextMenu::kFirstSendTo;
    menu.FillSendToMenu(emptyMenu, none.Folder(), &nextId);
    ASSERT_EQ(GetMenuItemCount(emptyMenu), 1);
    EXPECT_EQ(MenuText(emptyMenu, 0), "(empty)");
    DestroyMenu(emptyMenu);
}

TEST_F(ShellContextMenuTest, BuiltMenuHasTheProgramsSendTo)
{
    FolderItems items(m_dir.Path(), {"a.dxf", "b.bmp"});
    CShellContextMenu menu(nullptr, (m_dir / "a.dxf").c_str(), items.Items(), items.Count(), items.Folder());
    orvo::test::TempDir sendTo;
    FolderItems sendToFolder(sendTo.Path(), {});
    menu.SetSendToFolder(sendToFolder.Folder());
    const HMENU popup = CreatePopupMenu();
    ASSERT_HRESULT_SUCCEEDED(menu.BuildMenu(popup));
    bool found = false;
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
        found = found || (MenuText(popup, i) == "Send To" && GetSubMenu(popup, i) != nullptr);
    EXPECT_TRUE(found);
    DestroyMenu(popup);
}

TEST_F(ShellContextMenuTest, IdsOutsideTheRangesAreNeverRun)
{
    FolderItems items(m_dir.Path(), {"a.dxf"});
    CShellContextMenu unbuilt(nullptr, (m_dir / "a.dxf").c_str(), items.Items(), items.Count(), items.Folder());
    // Not built: no verb at all may run.
    EXPECT_FALSE(unbuilt.InvokeCommand(CShellContextMenu::kFirstVerb + 1));
    for (const UINT id : {0u, 5u, 19999u, 30005u, 32050u, 40000u})
        EXPECT_FALSE(unbuilt.InvokeCommand(id)) << id;
    CShellContextMenu noPath(nullptr, CString(), items.Items(), items.Count(), items.Folder());
    const HMENU popup = CreatePopupMenu();
    EXPECT_TRUE(FAILED(noPath.BuildMenu(popup)));
    EXPECT_EQ(GetMenuItemCount(popup), 0);
    DestroyMenu(popup);
}

// The item's own shell menu: shown through the modal seam, and only ids the shell gave out are
// run as verbs (no verb is chosen here: the shell's "properties" blocks under Wine).
TEST_F(ShellContextMenuTest, ItemMenuIsShownAndRunsNoIdOutsideItsRange)
{
    FolderItems items(m_dir.Path(), {"a.dxf"});
    ASSERT_EQ(items.Count(), 1);
    CShellPidl pidl;
    const POINT point = {20, 20};
    for (const INT_PTR answer : {INT_PTR{0}, INT_PTR{32767}, INT_PTR{40000}}) {
        CModalScript script{{ModalKind::PopupMenu, "", answer}};
        EXPECT_TRUE(pidl.DoContextMenu(nullptr, items.Folder(), items.Items()[0], &point)) << answer;
        EXPECT_EQ(script.Remaining(), 0u) << answer;
    }
}

TEST_F(ShellContextMenuTest, ItemMenuThatCannotBeBuiltSaysSo)
{
    CShellPidl pidl;
    FolderItems items(m_dir.Path(), {"a.dxf"});
    // Nothing to ask about: no message either.
    EXPECT_FALSE(pidl.DoContextMenu(nullptr, nullptr, items.Items()[0], nullptr));
    EXPECT_FALSE(pidl.DoContextMenu(nullptr, items.Folder(), nullptr, nullptr));
    RefusingFolder refusing;
    CModalScript script{{ModalKind::MessageBox, "GetUIObjectOf failed! hr=80004005", IDOK}};
    EXPECT_FALSE(pidl.DoContextMenu(nullptr, &refusing, items.Items()[0], nullptr));
    EXPECT_EQ(script.Remaining(), 0u);
}

// The selection's menu is tracked through the modal seam, with the program's own Send To in it,
// and the chosen id comes back to be run.
TEST_F(ShellContextMenuTest, SelectionMenuIsTrackedThroughTheSeam)
{
    FolderItems items(m_dir.Path(), {"b.bmp", "c.jpg"});
    CShellContextMenu menu(nullptr, (m_dir / "b.bmp").c_str(), items.Items(), items.Count(), items.Folder());
    orvo::test::TempDir sendTo;
    std::ofstream(sendTo / "target.txt") << "t";
    FolderItems sendToFolder(sendTo.Path(), {});
    menu.SetSendToFolder(sendToFolder.Folder());
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    ASSERT_HRESULT_SUCCEEDED(menu.BuildMenu(popup.GetSafeHmenu()));
    for (const UINT answer : {0u, CShellContextMenu::kFirstSendTo}) {
        CModalScript script{{ModalKind::PopupMenu, "Send To", static_cast<INT_PTR>(answer)}};
        EXPECT_EQ(menu.Track(popup, POINT{10, 10}, nullptr), answer);
        EXPECT_EQ(script.Remaining(), 0u);
    }
}

class OpenWithTest : public ShellContextMenuTest
{
protected:
    void SetUp() override
    {
        ShellContextMenuTest::SetUp();
        const std::string id = std::to_string(GetCurrentProcessId());
        m_ext = ".orvo" + id;
        m_goodExe = "orvogood" + id + ".exe";
        m_longExe = "orvolong" + id + ".exe";
        m_appKey = "Applications\\";
        Register(m_goodExe, "Good Viewer", "\"C:\\Program Files\\Good\\" + m_goodExe + "\" \"%1\"");
        Register(m_longExe, "Long Viewer", "C:\\" + std::string(300, 'p') + "\\" + m_longExe + " %1");
        const std::string list = ListKey();
        SHSetValueA(HKEY_CURRENT_USER, list.c_str(), "MRUList", REG_SZ, "ba", 3);
        SHSetValueA(HKEY_CURRENT_USER, list.c_str(), "a", REG_SZ, m_goodExe.c_str(), static_cast<DWORD>(m_goodExe.size() + 1));
        SHSetValueA(HKEY_CURRENT_USER, list.c_str(), "b", REG_SZ, m_longExe.c_str(), static_cast<DWORD>(m_longExe.size() + 1));
    }
    void TearDown() override
    {
        SHDeleteKeyA(HKEY_CLASSES_ROOT, (m_appKey + m_goodExe).c_str());
        SHDeleteKeyA(HKEY_CLASSES_ROOT, (m_appKey + m_longExe).c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + m_ext).c_str());
        ShellContextMenuTest::TearDown();
    }
    void Register(const std::string& exe, const std::string& friendly, const std::string& command)
    {
        const std::string shell = m_appKey + exe + "\\shell";
        SHSetValueA(HKEY_CLASSES_ROOT, shell.c_str(), "FriendlyCache", REG_SZ, friendly.c_str(), static_cast<DWORD>(friendly.size() + 1));
        SHSetValueA(HKEY_CLASSES_ROOT, (shell + "\\open\\command").c_str(), nullptr, REG_SZ, command.c_str(), static_cast<DWORD>(command.size() + 1));
    }
    std::string ListKey() const
    {
        return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + m_ext + "\\OpenWithList";
    }

    std::string m_ext, m_goodExe, m_longExe, m_appKey;
};

TEST_F(OpenWithTest, ListsTheUsersApplicationsAndRefusesOverlongCommands)
{
    CString friendly, program;
    ASSERT_TRUE(CShellContextMenu::GetAppInfo(m_goodExe.c_str(), &friendly, &program));
    EXPECT_STREQ(friendly, "Good Viewer");
    EXPECT_EQ(std::string(program), "C:\\Program Files\\Good\\" + m_goodExe);
    EXPECT_FALSE(CShellContextMenu::GetAppInfo(m_longExe.c_str(), &friendly, &program));
    EXPECT_FALSE(CShellContextMenu::GetAppInfo("orvo-no-such-app.exe", &friendly, &program));

    FolderItems items(m_dir.Path(), {"a.dxf"});
    CShellContextMenu menu(nullptr, (m_dir / "a.dxf").c_str(), items.Items(), items.Count(), items.Folder());
    const HMENU popup = CreatePopupMenu();
    menu.FillOpenWithMenu(popup, m_ext.c_str());
    ASSERT_EQ(GetMenuItemCount(popup), 1); // the over-long one is left out
    EXPECT_EQ(MenuText(popup, 0), "Good Viewer");
    EXPECT_EQ(GetMenuItemID(popup, 0), CShellContextMenu::kFirstOpenWith);
    DestroyMenu(popup);
}

} // namespace
