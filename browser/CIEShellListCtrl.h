// CIEShellListCtrl: the browser's centre pane: the items of one shell folder in one of five view
// types, drawings and images always, folders and other files as the settings ask. A fill builds
// every row; a refresh merges (rows of vanished items go, new items are added, every other row
// and what it carries stays). Rows sort by the list's own cell keys, so size and time sort as
// numbers even where the shell's CompareIDs ignores the column.
#pragma once

#include "browser/CShellListItem.h"
#include "browser/CShellSettings.h"
#include "browser/ShellItemFilter.h"
#include "ui/CUIODListCtrl.h"

#include <memory>
#include <vector>

// Sent by the folder watch thread: wParam a char buffer, lParam its size in characters. The
// list copies the shown folder's path into it (cut to the buffer) and answers 1.
constexpr UINT WM_SHELLLIST_FOLDERPATH = WM_APP + 0x138A;

class CIEShellListCtrl : public CUIODListCtrl
{
public:
    enum ViewType { kLargeIcons = 0, kDetails = 1, kSmallIcons = 2, kList = 3, kThumbnails = 4 };
    // Column headings and their order.
    static const char* const kColumnNames;
    enum Column { kNameColumn = 0, kSizeColumn = 1, kTypeColumn = 2, kTimeColumn = 3 };

    CIEShellListCtrl();
    ~CIEShellListCtrl() override;

    BOOL CreateList(CWnd* parent, const RECT& rect, UINT id);

    // Binds the list to a file-system folder by its path; false when it cannot be parsed or bound.
    BOOL SetFolderPath(const char* path);
    // Binds to a folder given by its absolute list (held as a copy) and its bound interface.
    BOOL SetFolder(LPCITEMIDLIST absolute, IShellFolder* folder);
    // With rebuild every row is made again, otherwise the rows are merged.
    void Refresh(BOOL sort, BOOL rebuild);
    void RefreshFromFolder(BOOL sort);

    void SetViewType(int type);
    int GetViewType() const { return m_viewType; }
    void LoadViewSettings();
    bool SaveViewSettings() const;

    void SetShowOtherFiles(bool show) { m_rules.showOtherFiles = show; }
    // Overrides the shell's own switches (the settings of the user's shell, read at creation).
    void SetShellSwitches(bool showAll, bool showSystem);
    const CString& GetFolderPath() const { return m_folderPath; }
    CShellListItem* GetItemRecord(int row) const;
    // The row of a file name in the folder ("plan.dxf"); -1 when none.
    int FindRowByName(const char* name) const;
    CString GetRowPath(int row) const;
    int GetDrawingFileCount() const { return m_drawingFiles; }
    int GetFolderCount() const { return m_folders; }

    static int ClampViewType(long type);
    static int ClampSortColumn(long column);
    // The Size column's text of a file: kilobytes rounded up (1 for up to 1024 bytes), 64-bit.
    static CString FormatSizeKB(unsigned long long bytes);

protected:
    void DeleteAllRowData() override;
    LRESULT OnFolderPathQuery(WPARAM wParam, LPARAM lParam);
    LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ReleaseFolder();
    BOOL Populate();
    void ClearItems();
    // A record and a row for an enumerated item, when the rules show it.
    bool AddEnumeratedItem(LPCITEMIDLIST relative);
    int FileTypeOf(LPCITEMIDLIST relative, ULONG attributes) const;
    void SetRowTexts(int row, const CShellListItem& item);
    void DeleteRow(int row);
    void RecountRows();
    void ApplyViewStyle();
    void AttachSystemImageLists();
    void SortRows();
    ShellItemFilter::Rules CurrentRules() const;

    IShellFolder* m_folder = nullptr;
    LPITEMIDLIST m_folderPidl = nullptr;
    CString m_folderPath;
    std::vector<std::unique_ptr<CShellListItem>> m_records;
    CShellSettings m_shellSettings;
    ShellItemFilter::Rules m_rules;
    int m_viewType = kThumbnails;
    int m_drawingFiles = 0;
    int m_folders = 0;
    bool m_showAllFiles = false;
    BYTE m_refreshAllowed = 1;
};
