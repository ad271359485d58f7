// CShellTree: the drive watches, the expanded-folder watch, the merge refresh they lead to, and
// device arrival and removal.
#include "browser/tree/CShellTree.h"

#include "browser/shell/CShellPidlCompare.h"
#include "browser/shell/PidlBytes.h"
#include "browser/tree/CShellTreeItem.h"
#include "browser/tree/ShellTreePaths.h"

#include <dbt.h>

#include <memory>

namespace
{
constexpr int kMaxDepth = 128;
constexpr int kMaxItems = 100000;
constexpr ULONG kMergeAttributes = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_SHARE |
                                   SFGAO_LINK | SFGAO_GHOSTED;

// Enumerated lists kept for insertion, freed however the merge ends.
struct PidlDeleter
{
    void operator()(ITEMIDLIST* pidl) const { PidlBytes::Free(pidl); }
};
using OwnedPidl = std::unique_ptr<ITEMIDLIST, PidlDeleter>;
} // namespace

void CShellTree::StartDriveWatches()
{
    if (!m_driveWatches.empty())
        return;
    for (const DriveEntry& drive : GetDriveList()) {
        if (IsWatchedDriveType(drive.type) && GetDriveWatchCount() < kMaxDriveWatches)
            AddDriveWatch(drive.root);
    }
}

bool CShellTree::AddDriveWatch(const CString& root)
{
    if (GetDriveWatchCount() >= kMaxDriveWatches)
        return false;
    auto watch = std::make_unique<CTreeWatchThread>();
    // A thread that cannot start leaves the tree working without it.
    if (!watch->Start({root}, true, m_signal))
        return false;
    m_driveWatches.push_back(std::move(watch));
    return true;
}

void CShellTree::StopDriveWatches()
{
    for (auto& watch : m_driveWatches)
        watch->SignalStop();
    m_folderWatch.SignalStop();
    // One deadline for all: each thread wakes at once on its stop event.
    const ULONGLONG deadline = GetTickCount64() + CTreeWatchThread::kStopWaitMs;
    for (auto& watch : m_driveWatches)
        watch->WaitEnded(deadline);
    m_folderWatch.WaitEnded(deadline);
    m_driveWatches.clear();
}

void CShellTree::RefreshSelectedFolder()
{
    // The report carries no path: nothing is read from a buffer after it was posted.
    m_signal->Post();
}

LRESULT CShellTree::OnFoldersChanged(WPARAM, LPARAM)
{
    m_signal->posted = false;
    SetRedraw(FALSE);
    MergeAll();
    SetRedraw(TRUE);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return 1;
}

void CShellTree::MergeAll()
{
    HTREEITEM item = GetChildItem(TVI_ROOT);
    for (int n = 0; item != nullptr && n < kMaxItems; ++n, item = GetNextSiblingItem(item))
        MergeRefresh(item);
    UpdateFolderWatch();
}

bool CShellTree::IsOpen(HTREEITEM hItem) const
{
    if ((GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0)
        return true;
    const CShellTreeItem* record = GetItemRecord(hItem);
    return record != nullptr && record->WasOpened() && GetChildItem(hItem) == nullptr;
}

void CShellTree::MergeRefresh(HTREEITEM hItem, int depth)
{
    if (depth > kMaxDepth || !GetItemRecord(hItem) || !IsOpen(hItem))
        return;
    MergeChildren(hItem);
    // An opened folder that was empty shows what arrived in it as the user left it: open.
    if ((GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) == 0 && GetChildItem(hItem) != nullptr)
        Expand(hItem, TVE_EXPAND);
    HTREEITEM child = GetChildItem(hItem);
    for (int n = 0; child != nullptr && n < kMaxItems; ++n, child = GetNextSiblingItem(child))
        MergeRefresh(child, depth + 1);
}

void CShellTree::MergeChildren(HTREEITEM hItem)
{
    const CShellTreeItem* record = GetItemRecord(hItem);
    if (!record && hItem != TVI_ROOT)
        return;
    IShellFolder* folder = record ? record->BindFolder() : GetItemFolder(TVI_ROOT);
    if (!folder) {
        // The folder itself is gone: its children with it.
        DeleteChildren(hItem);
        return;
    }
    LPCITEMIDLIST absolute = record ? record->Absolute() : nullptr;
    std::map<LPCITEMIDLIST, HTREEITEM, CShellPidlCompare> present{CShellPidlCompare(folder)};
    HTREEITEM child = GetChildItem(hItem);
    for (int n = 0; child != nullptr && n < kMaxItems; ++n, child = GetNextSiblingItem(child)) {
        if (const CShellTreeItem* childRecord = GetItemRecord(child))
            present.emplace(childRecord->Relative(), child);
    }
    const std::vector<DriveEntry> drives = DrivesForChildrenOf(absolute);
    std::vector<OwnedPidl> added;
    IEnumIDList* items = nullptr;
    CWnd* owner = GetParent();
    if (SUCCEEDED(folder->EnumObjects(owner ? owner->m_hWnd : nullptr, SHCONTF_FOLDERS, &items)) && items) {
        LPITEMIDLIST relative = nullptr;
        ULONG fetched = 0;
        for (int n = 0; n < kMaxItems && items->Next(1, &relative, &fetched) == S_OK && fetched == 1; ++n) {
            OwnedPidl owned(relative);
            // A drive that left the drive list goes like a vanished folder.
            if (!PassesDriveRule(folder, absolute, relative, drives))
                continue;
            const auto it = present.find(relative);
            if (it != present.end())
                present.erase(it);
            else
                added.push_back(std::move(owned));
        }
        items->Release();
    }
    std::vector<HTREEITEM> vanished;
    for (const auto& entry : present)
        vanished.push_back(entry.second);
    present.clear(); // its keys belong to the records about to be freed
    for (HTREEITEM gone : vanished)
        DeleteItem(gone);
    for (const OwnedPidl& relative : added) {
        ULONG attributes = kMergeAttributes;
        LPCITEMIDLIST one[1] = {relative.get()};
        if (FAILED(folder->GetAttributesOf(1, one, &attributes)))
            continue;
        attributes &= kMergeAttributes;
        if ((attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) == 0)
            continue;
        if (!InsertFolderItem(folder, absolute, hItem, relative.get(), attributes))
            break;
    }
    folder->Release();
}

void CShellTree::CollectExpandedFolders(HTREEITEM parent, std::vector<CString>& folders, int depth) const
{
    if (depth > kMaxDepth)
        return;
    HTREEITEM child = GetChildItem(parent);
    for (int n = 0; child != nullptr && n < kMaxItems; ++n, child = GetNextSiblingItem(child)) {
        if ((GetItemState(child, TVIS_EXPANDED) & TVIS_EXPANDED) == 0)
            continue;
        CString path;
        const CShellTreeItem* record = GetItemRecord(child);
        if (record && ShellTreePaths::PathOfList(record->Absolute(), path))
            folders.push_back(path);
        CollectExpandedFolders(child, folders, depth + 1);
    }
}

void CShellTree::UpdateFolderWatch()
{
    if (GetSafeHwnd() == nullptr || m_bClosing)
        return;
    std::vector<CString> folders;
    CollectExpandedFolders(TVI_ROOT, folders, 0);
    if (folders == m_watchedFolders)
        return;
    m_watchedFolders = folders;
    m_folderWatch.WatchFolders(folders);
}

BOOL CShellTree::OnDeviceChange(UINT nEventType, DWORD_PTR)
{
    if (nEventType == DBT_DEVICEARRIVAL || nEventType == DBT_DEVICEREMOVECOMPLETE) {
        if (m_bDeviceTimer)
            KillTimer(kDeviceTimer);
        SetTimer(kDeviceTimer, kDeviceDelayMs, nullptr);
        m_bDeviceTimer = 1;
    }
    return TRUE;
}

void CShellTree::OnDestroy()
{
    m_bClosing = 1;
    KillTimer(kSelectTimer);
    KillTimer(kDeviceTimer);
    StopDriveWatches();
    DeleteAllItems();
    CDragDropTree::OnDestroy();
}
