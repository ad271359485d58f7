// CShellTree: the folder tree of the browser: the shell's folders from the desktop down, read
// when an item expands, showing only folders that lead to file-system items (and, at drive level,
// only the drives of the drive list). A selection that has settled for 200 ms is handed to the
// partner file list (the start folder at once); the list hands back folders the user opens. One idle watch thread per fixed,
// network or RAM drive, and one for the expanded folders, report name changes; the tree then
// merges the expanded folders' current contents into its items, so selection and expansion stay.
// Device arrival and removal lead to the same merge after a quiet 1500 ms.
#pragma once

#include "browser/shell/CShellPidl.h"
#include "browser/shell/ShellIconAnswers.h"
#include "browser/tree/CDragDropTree.h"
#include "browser/tree/CTreeWatchThread.h"
#include "browser/tree/DriveList.h"

#include <memory>
#include <utility>
#include <vector>

class CShellListItem;
class CShellTreeItem;
struct WorkerAppState;

class CShellTree : public CDragDropTree, public CShellPidl
{
public:
    static constexpr UINT kSelectTimer = 259;
    static constexpr UINT kSelectDelayMs = 200;
    static constexpr UINT kDeviceTimer = 261;
    static constexpr UINT kDeviceDelayMs = 1500;
    static constexpr int kMaxDriveWatches = 32;
    static constexpr COLORREF kBackColor = RGB(0xE6, 0xE6, 0xE6);

    CShellTree();
    ~CShellTree() override;

    // The file list that is told of settled selections and device changes.
    void SetListWnd(HWND list) { m_listWnd = list; }
    // The application's state whose closing flag ends the watches (the program's own by default).
    void SetAppState(const WorkerAppState* app);

    void RefillFromDesktop();
    // Selects the folder of a path; false (after the message "The directory doesn't exist") when
    // some level of it is not in the tree.
    bool SelectFolderByPath(const char* path);
    // Selects the folder of an absolute item-id list level by level; false when it is not found.
    bool SelectFolderByPidl(LPCITEMIDLIST absolute);
    void SetStartFolder(const char* path);
    // Icons the shell already gave for items the first fill inserts (the start's icon warm-up);
    // forgotten once that fill is done, so later fills ask the shell again.
    void UseKnownIcons(ShellIconAnswers answers) { m_knownIcons = std::move(answers); }
    void ForgetKnownIcons() { m_knownIcons = ShellIconAnswers(); }
    int SelectPendingFolder();
    bool OpenStartFolder();
    bool HasParentFolder() const;
    bool GoUpOneLevel();

    // The item's own folder (a new reference); the desktop when it has none or cannot bind.
    IShellFolder* GetItemFolder(HTREEITEM hItem) const;
    bool GetItemFileSystemPath(HTREEITEM hItem, CString& path) const;
    CShellTreeItem* GetItemRecord(HTREEITEM hItem) const;
    // The item with this absolute list among the children of parent (TVI_ROOT for the top).
    HTREEITEM FindChildByPidl(HTREEITEM parent, LPCITEMIDLIST absolute) const;
    // The child whose file-system path ends in this name (for tests and the frame's commands).
    HTREEITEM FindChildByName(HTREEITEM parent, const char* name) const;

    bool GetSelectedFolderPath(CString& path) override;
    bool GetDropFolderPath(CString& path) override;
    bool CanDropAt(CWnd* pWnd, int x, int y) override;
    bool GetItemPath(HTREEITEM hItem, CString& path, bool& isFolder) override;
    void RefreshSelectedFolder() override;
    // Renames the item's folder (only its last path component) through the shell; true when the
    // shell did it. The item's record follows the new name.
    virtual bool RenameItem(HTREEITEM hItem, const char* newLabel);

    // Merges the current contents of the item's folder into its children when it is expanded,
    // then does the same for each child.
    void MergeRefresh(HTREEITEM hItem, int depth = 0);
    // One level of it: the item's children against its own folder (TVI_ROOT: the desktop's).
    void MergeChildren(HTREEITEM hItem);
    // Expanded, or opened and empty: the items whose children a merge keeps current.
    bool IsOpen(HTREEITEM hItem) const;
    // Merges every expanded branch now (what a watch report does).
    void MergeAll();

    // Drive watches: started when the window is attached, stopped when it is destroyed.
    void StartDriveWatches();
    bool AddDriveWatch(const CString& root);
    void StopDriveWatches();
    int GetDriveWatchCount() const { return static_cast<int>(m_driveWatches.size()); }
    const TreeWatchSignal& GetWatchSignal() const { return *m_signal; }
    bool IsFolderWatchRunning() const { return m_folderWatch.IsRunning(); }
    // The folders the expanded-folder watch holds now.
    const std::vector<CString>& GetWatchedFolders() const { return m_watchedFolders; }
    bool IsDeviceTimerArmed() const { return m_bDeviceTimer != 0; }
    bool IsSelectionPending() const { return m_pendingSelection != nullptr; }

protected:
    void PreSubclassWindow() override;
    void FillChildren(IShellFolder* folder, LPCITEMIDLIST absolute, HTREEITEM parent);
    void SortChildrenOf(HTREEITEM parent);
    void DeleteChildren(HTREEITEM parent);
    // Inserts one enumerated folder item under parent; false when no record or name could be
    // made (the caller stops adding).
    bool InsertFolderItem(IShellFolder* folder, LPCITEMIDLIST parentAbsolute, HTREEITEM parent,
                          LPCITEMIDLIST relative, ULONG attributes);
    // Whether an item passes the drive-list rule: a drive root shows only when it is listed.
    // Drives sit at the top two levels (the desktop and the computer folder): deeper folders
    // are not asked for their names.
    bool PassesDriveRule(IShellFolder* folder, LPCITEMIDLIST parentAbsolute, LPCITEMIDLIST relative,
                         const std::vector<DriveEntry>& drives) const;
    // The drive list the rule needs for the children of this folder: empty below the top two
    // levels, where the rule never looks at it (asking the system costs milliseconds a call).
    static std::vector<DriveEntry> DrivesForChildrenOf(LPCITEMIDLIST parentAbsolute);
    void UpdateFolderWatch();
    void ShowContextMenu(HTREEITEM hItem, CPoint screen);
    void ArmSelection(const CShellTreeItem& record);
    // Tells the list of the settling selection now (when there is one) and ends its timer.
    void HandOverPendingSelection();

    LRESULT OnSelectFromList(WPARAM wParam, LPARAM lParam);
    LRESULT OnFoldersChanged(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnDestroy();
    void OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRightClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    HTREEITEM FindOrRefill(HTREEITEM parent, LPCITEMIDLIST prefix);
    // Expands a collapsed item, reading its folder afresh.
    void OpenItem(HTREEITEM hItem);
    void CollectExpandedFolders(HTREEITEM parent, std::vector<CString>& folders, int depth) const;

    BYTE m_bRefreshTwice = 0;
    BYTE m_bDeviceTimer = 0;
    COLORREF m_backColor = kBackColor;
    CString m_pendingFolder;
    ShellIconAnswers m_knownIcons;
    BYTE m_bFolderPending = 0;
    // A copy of the settling selection's absolute list (never a record the tree may free).
    LPITEMIDLIST m_pendingSelection = nullptr;
    BYTE m_bClosing = 0;
    HWND m_listWnd = nullptr;
    std::shared_ptr<TreeWatchSignal> m_signal;
    std::vector<std::unique_ptr<CTreeWatchThread>> m_driveWatches;
    CTreeWatchThread m_folderWatch;
    std::vector<CString> m_watchedFolders;
};
