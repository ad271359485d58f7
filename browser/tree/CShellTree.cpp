#include "browser/tree/CShellTree.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "browser/shell/CShellListItem.h"
#include "browser/shell/PidlBytes.h"
#include "browser/tree/CShellTreeItem.h"
#include "browser/tree/ShellTreePaths.h"
#include "browser/shell/TreeMessages.h"
#include "framework/AfxWin.h"
#include "framework/CMenu.h"
#include "framework/Prompt.h"
#include "kit/KGetOsVersion.h"

#include <cstring>

namespace
{
// Longest run of children or enumerated items looked at: a broken enumerator cannot spin.
constexpr int kMaxChildren = 100000;

// The attributes the tree asks of every folder item (Wine answers all whatever the mask).
constexpr ULONG kItemAttributes = SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_LINK |
                                  SFGAO_HASSUBFOLDER | SFGAO_SHARE | SFGAO_GHOSTED;

bool SameList(IShellFolder* desktop, LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    const UINT size = PidlBytes::ListSize(a);
    if (size != 0 && size == PidlBytes::ListSize(b) && std::memcmp(a, b, size) == 0)
        return true;
    const HRESULT hr = desktop->CompareIDs(0, a, b);
    return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

int CALLBACK CompareTreeItems(LPARAM lParam1, LPARAM lParam2, LPARAM)
{
    const auto* first = reinterpret_cast<const CShellTreeItem*>(lParam1);
    const auto* second = reinterpret_cast<const CShellTreeItem*>(lParam2);
    if (!first || !second || !first->IsValid() || !second->IsValid())
        return 0;
    const HRESULT hr = first->Parent()->CompareIDs(0, first->Relative(), second->Relative());
    return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
}
} // namespace

using ShellTreePaths::PathOfList;

BEGIN_MESSAGE_MAP(CShellTree, CDragDropTree)
    ON_MESSAGE(WM_TREE_SELECTFOLDER, &CShellTree::OnSelectFromList)
    ON_MESSAGE(WM_TREE_FOLDERSCHANGED, &CShellTree::OnFoldersChanged)
    ON_WM_TIMER()
    ON_WM_DEVICECHANGE()
    ON_WM_MOUSEMOVE()
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDING, &CShellTree::OnItemExpanding)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, &CShellTree::OnItemExpanded)
    ON_NOTIFY_REFLECT(TVN_GETDISPINFO, &CShellTree::OnGetDispInfo)
    ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CShellTree::OnSelChanged)
    ON_NOTIFY_REFLECT(TVN_DELETEITEM, &CShellTree::OnDeleteItem)
    ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CShellTree::OnEndLabelEdit)
    ON_NOTIFY_REFLECT(NM_RCLICK, &CShellTree::OnRightClick)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CShellTree::OnCustomDraw)
END_MESSAGE_MAP()

CShellTree::CShellTree() : m_signal(std::make_shared<TreeWatchSignal>())
{
    int32_t os = 0;
    m_bRefreshTwice = KGetOsVersion(os) == 6 ? 1 : 0;
    m_signal->app = &g_appState;
}

CShellTree::~CShellTree()
{
    PidlBytes::Free(m_pendingSelection);
}

void CShellTree::SetAppState(const WorkerAppState* app)
{
    m_signal->app = app;
}

CShellTreeItem* CShellTree::GetItemRecord(HTREEITEM hItem) const
{
    if (hItem == nullptr || hItem == TVI_ROOT)
        return nullptr;
    return reinterpret_cast<CShellTreeItem*>(GetItemData(hItem));
}

void CShellTree::PreSubclassWindow()
{
    CDragDropTree::PreSubclassWindow();
    m_signal->tree = m_hWnd;
    StartDriveWatches();
    m_folderWatch.Start({}, false, m_signal);
}

void CShellTree::DeleteChildren(HTREEITEM parent)
{
    for (HTREEITEM child = GetChildItem(parent); child != nullptr; child = GetChildItem(parent)) {
        if (!DeleteItem(child))
            break;
    }
}

bool CShellTree::PassesDriveRule(IShellFolder* folder, LPCITEMIDLIST parentAbsolute, LPCITEMIDLIST relative,
                                 const std::vector<DriveEntry>& drives) const
{
    char parsing[MAX_PATH] = {};
    if (PidlBytes::ItemCount(parentAbsolute) > 1 || !GetName(folder, relative, SHGDN_FORPARSING, parsing) ||
        !IsDriveRootPath(parsing))
        return true;
    return DriveListHasRoot(drives, parsing);
}

std::vector<DriveEntry> CShellTree::DrivesForChildrenOf(LPCITEMIDLIST parentAbsolute)
{
    return PidlBytes::ItemCount(parentAbsolute) > 1 ? std::vector<DriveEntry>() : GetDriveList();
}

bool CShellTree::InsertFolderItem(IShellFolder* folder, LPCITEMIDLIST parentAbsolute, HTREEITEM parent,
                                  LPCITEMIDLIST relative, ULONG attributes)
{
    auto record = std::make_unique<CShellTreeItem>(folder, relative, parentAbsolute);
    char name[MAX_PATH] = {};
    if (!record->IsValid() || !GetName(folder, relative, SHGDN_NORMAL, name))
        return false;
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    TVITEMA& item = insert.item;
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
    item.pszText = name;
    item.cChildren = (attributes & SFGAO_HASSUBFOLDER) != 0 ? 1 : 0;
    ShellIconAnswers::Icons icons;
    if (!m_knownIcons.Find(record->Absolute(), icons))
        icons = ShellIconAnswers::Ask(record->Absolute());
    item.iImage = icons.icon;
    item.iSelectedImage = icons.openIcon;
    item.stateMask = TVIS_CUT | TVIS_OVERLAYMASK;
    if ((attributes & SFGAO_GHOSTED) != 0)
        item.state |= TVIS_CUT;
    if ((attributes & SFGAO_SHARE) != 0)
        item.state |= INDEXTOOVERLAYMASK(1);
    else if ((attributes & SFGAO_LINK) != 0)
        item.state |= INDEXTOOVERLAYMASK(2);
    item.lParam = reinterpret_cast<LPARAM>(record.get());
    if (InsertItem(&insert) == nullptr)
        return false;
    static_cast<void>(record.release()); // the item owns its record; TVN_DELETEITEM frees it
    return true;
}

void CShellTree::FillChildren(IShellFolder* folder, LPCITEMIDLIST absolute, HTREEITEM parent)
{
    DeleteChildren(parent);
    IEnumIDList* items = nullptr;
    CWnd* owner = GetParent();
    if (!folder || FAILED(folder->EnumObjects(owner ? owner->m_hWnd : nullptr, SHCONTF_FOLDERS, &items)) || !items)
        return;
    const std::vector<DriveEntry> drives = DrivesForChildrenOf(absolute);
    LPITEMIDLIST relative = nullptr;
    ULONG fetched = 0;
    for (int n = 0; n < kMaxChildren && items->Next(1, &relative, &fetched) == S_OK && fetched == 1; ++n) {
        ULONG attributes = kItemAttributes;
        LPCITEMIDLIST one[1] = {relative};
        if (FAILED(folder->GetAttributesOf(1, one, &attributes)))
            attributes = 0;
        attributes &= kItemAttributes;
        const bool shown =
            (attributes & SFGAO_FILESYSANCESTOR) != 0 && PassesDriveRule(folder, absolute, relative, drives);
        const bool inserted = !shown || InsertFolderItem(folder, absolute, parent, relative, attributes);
        PidlBytes::Free(relative);
        if (!inserted)
            break;
    }
    items->Release();
}

void CShellTree::SortChildrenOf(HTREEITEM parent)
{
    TVSORTCB sort = {};
    sort.hParent = parent;
    sort.lpfnCompare = &CompareTreeItems;
    SortChildrenCB(&sort);
}

void CShellTree::RefillFromDesktop()
{
    if (GetSafeHwnd() == nullptr)
        return;
    if (static_cast<COLORREF>(SendMessage(TVM_GETBKCOLOR)) != m_backColor)
        SendMessage(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(m_backColor));
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return;
    DeleteAllItems();
    FillChildren(desktop, nullptr, TVI_ROOT);
    desktop->Release();
    SortChildrenOf(TVI_ROOT);
    SelectItem(GetRootItem());
    UpdateFolderWatch();
}

IShellFolder* CShellTree::GetItemFolder(HTREEITEM hItem) const
{
    const CShellTreeItem* record = GetItemRecord(hItem);
    IShellFolder* folder = record ? record->BindFolder() : nullptr;
    if (!folder && FAILED(SHGetDesktopFolder(&folder)))
        return nullptr;
    return folder;
}

bool CShellTree::GetItemFileSystemPath(HTREEITEM hItem, CString& path) const
{
    const CShellTreeItem* record = GetItemRecord(hItem);
    if (!record)
        return false;
    IShellFolder* folder = record->BindFolder();
    if (!folder)
        return false;
    folder->Release();
    return record->Attributes(SFGAO_FILESYSTEM) != 0 && PathOfList(record->Absolute(), path);
}

HTREEITEM CShellTree::FindChildByPidl(HTREEITEM parent, LPCITEMIDLIST absolute) const
{
    HTREEITEM child = GetChildItem(parent);
    for (int n = 0; child != nullptr && n < kMaxChildren; ++n, child = GetNextSiblingItem(child)) {
        const CShellTreeItem* record = GetItemRecord(child);
        if (record && SameList(m_desktop, record->Absolute(), absolute))
            return child;
    }
    return nullptr;
}

HTREEITEM CShellTree::FindChildByName(HTREEITEM parent, const char* name) const
{
    HTREEITEM child = GetChildItem(parent);
    for (int n = 0; child != nullptr && n < kMaxChildren; ++n, child = GetNextSiblingItem(child)) {
        CString path;
        const CShellTreeItem* record = GetItemRecord(child);
        if (record && PathOfList(record->Absolute(), path) &&
            lstrcmpiA(path.Mid(path.ReverseFind('\\') + 1), name) == 0)
            return child;
    }
    return nullptr;
}

HTREEITEM CShellTree::FindOrRefill(HTREEITEM parent, LPCITEMIDLIST prefix)
{
    if (HTREEITEM found = FindChildByPidl(parent, prefix))
        return found;
    // The children may be older than the folder: merge the folder's present contents in, read
    // from this item's own folder; the other items and the selection stay.
    MergeChildren(parent);
    return FindChildByPidl(parent, prefix);
}

void CShellTree::OpenItem(HTREEITEM hItem)
{
    if ((GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0)
        return;
    // Read the folder now, whatever the item believed of its children before.
    TVITEMA item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = hItem;
    item.cChildren = 1;
    SetItem(&item);
    Expand(hItem, TVE_EXPAND);
}

bool CShellTree::SelectFolderByPidl(LPCITEMIDLIST absolute)
{
    const UINT count = PidlBytes::ItemCount(absolute);
    if (count == 0 || GetSafeHwnd() == nullptr)
        return false;
    SetRedraw(FALSE);
    HTREEITEM parent = TVI_ROOT;
    HTREEITEM found = nullptr;
    UINT level = 0;
    while (level < count) {
        LPITEMIDLIST prefix = PidlBytes::CopyFirstItems(absolute, level + 1);
        found = prefix ? FindOrRefill(parent, prefix) : nullptr;
        PidlBytes::Free(prefix);
        if (!found)
            break;
        OpenItem(found);
        parent = found;
        ++level;
    }
    const bool selected = found != nullptr && level == count;
    if (selected) {
        SelectItem(found);
        EnsureVisible(found);
    }
    SetRedraw(TRUE);
    UpdateFolderWatch();
    return selected;
}

bool CShellTree::SelectFolderByPath(const char* path)
{
    LPITEMIDLIST absolute = nullptr;
    if (!path || FAILED(PathToPidl(path, &absolute, m_desktop)) || !absolute)
        return false;
    const bool selected = SelectFolderByPidl(absolute);
    PidlBytes::Free(absolute);
    if (!selected) {
        CString text;
        text.Format("The directory doesn't exist:\n-----------------------\n\n    %s ", path);
        AfxMessageBox(text, MB_ICONERROR);
    }
    return selected;
}

LRESULT CShellTree::OnSelectFromList(WPARAM, LPARAM lParam)
{
    const auto* item = reinterpret_cast<const CShellListItem*>(lParam);
    if (!item || !item->Absolute())
        return 0;
    SelectFolderByPidl(item->Absolute());
    return 1;
}

void CShellTree::SetStartFolder(const char* path)
{
    // Asking again for the folder already waiting keeps it waiting: the last folder of the
    // previous run and the folder given on the command line are often the same, and the second
    // request must not cancel the first.
    if (!path)
        return;
    m_pendingFolder = path;
    m_bFolderPending = 1;
}

int CShellTree::SelectPendingFolder()
{
    if (!m_bFolderPending)
        return 1;
    // Selected once: a later show (back from the view) keeps the folder the user went to.
    m_bFolderPending = 0;
    if (m_pendingFolder.IsEmpty())
        return 0;
    if (!SelectFolderByPath(m_pendingFolder))
        return 0;
    // The settle delay is for the user moving through the tree; the folder the program starts
    // in (or returns to) is asked for once and goes to the list at once.
    if (m_pendingSelection)
        HandOverPendingSelection();
    return 1;
}

bool CShellTree::OpenStartFolder()
{
    if (g_options.StartPreviousFolder)
        SetStartFolder(g_appState.lastPath);
    return true;
}

bool CShellTree::HasParentFolder() const
{
    const HTREEITEM selected = GetSelectedItem();
    return selected != nullptr && GetParentItem(selected) != nullptr;
}

bool CShellTree::GoUpOneLevel()
{
    const HTREEITEM selected = GetSelectedItem();
    const HTREEITEM parent = selected ? GetParentItem(selected) : nullptr;
    return parent != nullptr && SelectItem(parent);
}
