// CShellTree: the tree control's notifications, the selection hand-over to the list, paths for
// drag and drop, rename and the shell context menu.
#include "browser/tree/CShellTree.h"

#include "browser/shell/CShellContextMenu.h"
#include "browser/shell/PidlBytes.h"
#include "browser/shell/ShellFileOps.h"
#include "browser/tree/CShellTreeItem.h"
#include "browser/tree/ShellTreePaths.h"
#include "browser/shell/TreeMessages.h"
#include "app/CAppState.h"
#include "browser/shell/CFolderWatchThread.h"
#include "framework/CMenu.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace
{
using ShellTreePaths::IsWritableDirectory;

bool PathOfRecord(const CShellTreeItem* record, CString& path)
{
    return record != nullptr && ShellTreePaths::PathOfList(record->Absolute(), path);
}

// A folder whose item the tree still shows but that is gone or replaced by a file.
bool IsStaleFolder(const CShellTreeItem& record)
{
    if (record.Attributes(SFGAO_FOLDER) == 0)
        return true;
    CString path;
    if (!PathOfRecord(&record, path))
        return false; // not in the file system: the shell's answer stands
    const DWORD attributes = GetFileAttributesA(path);
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
} // namespace

void CShellTree::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* info = reinterpret_cast<NMTREEVIEWA*>(pNMHDR);
    const HTREEITEM hItem = info->itemNew.hItem;
    *pResult = 0;
    CShellTreeItem* record = GetItemRecord(hItem);
    if (!record)
        return;
    if ((info->action & TVE_EXPAND) != 0)
        record->MarkOpened();
    SetRedraw(FALSE);
    if (IShellFolder* folder = record->BindFolder()) {
        FillChildren(folder, record->Absolute(), hItem);
        folder->Release();
        SortChildrenOf(hItem);
    }
    // The shell says "has subfolders" of every folder on some systems: an empty one loses its button.
    if (GetChildItem(hItem) == nullptr) {
        TVITEMA item = {};
        item.mask = TVIF_CHILDREN;
        item.hItem = hItem;
        SetItem(&item);
    }
    SetRedraw(TRUE);
}

void CShellTree::OnItemExpanded(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    UpdateFolderWatch();
}

void CShellTree::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* info = reinterpret_cast<NMTVDISPINFOA*>(pNMHDR);
    *pResult = 0;
    if (info->item.mask != TVIF_CHILDREN)
        return;
    const CShellTreeItem* record = reinterpret_cast<const CShellTreeItem*>(info->item.lParam);
    info->item.cChildren = record && record->Attributes(SFGAO_HASSUBFOLDER) != 0 ? 1 : 0;
}

void CShellTree::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    // Each item owns its record (made in InsertFolderItem).
    delete reinterpret_cast<CShellTreeItem*>(reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemOld.lParam);
    *pResult = 0;
}

void CShellTree::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (m_bClosing)
        return;
    const HTREEITEM hItem = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem;
    const CShellTreeItem* record = GetItemRecord(hItem);
    if (!record)
        return;
    if (IsStaleFolder(*record)) {
        DeleteItem(hItem);
        return;
    }
    if (m_listWnd)
        ArmSelection(*record);
}

void CShellTree::ArmSelection(const CShellTreeItem& record)
{
    if (m_pendingSelection)
        KillTimer(kSelectTimer);
    PidlBytes::Free(m_pendingSelection);
    m_pendingSelection = PidlBytes::CopyList(record.Absolute());
    SetTimer(kSelectTimer, kSelectDelayMs, nullptr);
    // The folder chosen is the one the next start returns to, even when the program closes
    // before the list has caught up with it.
    CString path;
    if (ShellTreePaths::PathOfList(record.Absolute(), path) && !path.IsEmpty())
        g_appState.lastPath = path;
}

void CShellTree::HandOverPendingSelection()
{
    KillTimer(kSelectTimer);
    LPITEMIDLIST folder = std::exchange(m_pendingSelection, nullptr);
    // The list owns the copy once the post succeeds.
    if (folder && !(m_listWnd && ::PostMessageA(m_listWnd, WM_TREE_SHOWFOLDER, 0, reinterpret_cast<LPARAM>(folder))))
        PidlBytes::Free(folder);
}

void CShellTree::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kSelectTimer) {
        HandOverPendingSelection();
        return;
    }
    if (nIDEvent == kDeviceTimer) {
        KillTimer(kDeviceTimer);
        m_bDeviceTimer = 0;
        MergeAll();
        if (m_bRefreshTwice)
            MergeAll();
        if (m_listWnd)
            ::PostMessageA(m_listWnd, WM_SHELLLIST_CHANGED, 0, 1);
        return;
    }
    CDragDropTree::OnTimer(nIDEvent);
}

void CShellTree::OnMouseMove(UINT nFlags, CPoint point)
{
    if (::GetFocus() != m_hWnd)
        SetFocus();
    CDragDropTree::OnMouseMove(nFlags, point);
}

bool CShellTree::GetSelectedFolderPath(CString& path)
{
    return PathOfRecord(GetItemRecord(GetSelectedItem()), path) && IsWritableDirectory(path);
}

bool CShellTree::GetDropFolderPath(CString& path)
{
    const HTREEITEM hDrop = GetDropHighlightItem();
    if (hDrop == nullptr)
        return GetSelectedFolderPath(path);
    return PathOfRecord(GetItemRecord(hDrop), path) && IsWritableDirectory(path);
}

bool CShellTree::GetItemPath(HTREEITEM hItem, CString& path, bool& isFolder)
{
    isFolder = false;
    if (!PathOfRecord(GetItemRecord(hItem), path))
        return false;
    isFolder = IsWritableDirectory(path);
    return isFolder;
}

bool CShellTree::CanDropAt(CWnd* pWnd, int x, int y)
{
    CString path;
    bool accepted = false;
    if (pWnd == this) {
        const HTREEITEM hItem = HitTest(CPoint(x, y));
        accepted = PathOfRecord(GetItemRecord(hItem), path) && IsWritableDirectory(path);
    }
    ::SetCursor(::LoadCursor(nullptr, accepted ? IDC_ARROW : IDC_NO));
    return accepted;
}

bool CShellTree::RenameItem(HTREEITEM hItem, const char* newLabel)
{
    CString oldPath;
    CShellTreeItem* record = GetItemRecord(hItem);
    // A label with a separator would move the folder somewhere else, not rename it: the tree
    // takes the names the list's renames and new folders take.
    if (!record || !newLabel || !ShellFileOps::IsValidNewName(newLabel) || !GetItemFileSystemPath(hItem, oldPath))
        return false;
    const CString newPath = oldPath.Left(oldPath.ReverseFind('\\') + 1) + newLabel;
    // Each name in a zeroed buffer one byte longer than a path, so both end in two zero bytes.
    char from[MAX_PATH + 1] = {};
    char to[MAX_PATH + 1] = {};
    if (oldPath.GetLength() >= MAX_PATH || newPath.GetLength() >= MAX_PATH)
        return false;
    std::memcpy(from, oldPath.GetString(), static_cast<size_t>(oldPath.GetLength()));
    std::memcpy(to, newPath.GetString(), static_cast<size_t>(newPath.GetLength()));
    SHFILEOPSTRUCTA op = {};
    op.hwnd = m_hWnd;
    op.wFunc = FO_RENAME;
    op.pFrom = from;
    op.pTo = to;
    if (SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted)
        return false;
    // The record follows the new name, and the children are read again from it.
    LPITEMIDLIST relative = nullptr;
    if (SUCCEEDED(PathToPidl(newLabel, &relative, record->Parent())) && relative)
        record->ReplaceRelative(relative);
    PidlBytes::Free(relative);
    SetItemText(hItem, newLabel);
    if ((GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0)
        Expand(hItem, TVE_COLLAPSE);
    else
        DeleteChildren(hItem);
    return true;
}

void CShellTree::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* info = reinterpret_cast<NMTVDISPINFOA*>(pNMHDR);
    // The item being edited is renamed, whichever item is selected meanwhile.
    *pResult = info->item.pszText != nullptr && RenameItem(info->item.hItem, info->item.pszText) ? TRUE : FALSE;
}

void CShellTree::OnRightClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    if (IsDragging())
        return;
    CPoint screen;
    ::GetCursorPos(&screen);
    CPoint client = screen;
    ScreenToClient(&client);
    UINT flags = 0;
    const HTREEITEM hItem = HitTest(client, &flags);
    if (hItem == nullptr)
        return;
    SelectItem(hItem);
    if ((flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)) != 0)
        ShowContextMenu(hItem, screen);
}

void CShellTree::ShowContextMenu(HTREEITEM hItem, CPoint screen)
{
    const CShellTreeItem* record = GetItemRecord(hItem);
    if (!record)
        return;
    CString path;
    PathOfRecord(record, path);
    CWnd* owner = GetParent();
    LPCITEMIDLIST items[1] = {record->Relative()};
    CShellContextMenu shellMenu(owner ? owner->m_hWnd : m_hWnd, path, items, 1, record->Parent());
    CMenu popup;
    if (!popup.CreatePopupMenu() || FAILED(shellMenu.BuildMenu(popup.m_hMenu)))
        return;
    const UINT id = shellMenu.Track(popup, screen, this);
    if (id != 0)
        shellMenu.InvokeCommand(id);
}

// Without the focus the selected folder keeps a clear mark (the system's own is faint on the
// tree's colour): the highlight colour, lightened as the file list shows its unfocused selection.
void CShellTree::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    const auto item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || ::GetFocus() == m_hWnd || item == nullptr ||
        (GetItemState(item, TVIS_SELECTED) & TVIS_SELECTED) == 0)
        return;
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const auto lighter = [](int channel) { return static_cast<BYTE>(std::min(channel + 70, 255)); };
    draw->clrTextBk = RGB(lighter(GetRValue(highlight)), lighter(GetGValue(highlight)), lighter(GetBValue(highlight)));
    draw->clrText = ::GetSysColor(COLOR_WINDOWTEXT);
}
