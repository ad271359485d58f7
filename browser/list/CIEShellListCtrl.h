// CIEShellListCtrl: the browser's centre pane: the items of one shell folder in one of five view
// types, drawings and images always, folders and other files as the settings ask. A fill builds
// every row; a refresh merges (rows of vanished items go, new items are added, every other row
// and what it carries stays). Rows sort by the list's own cell keys, so size and time sort as
// numbers even where the shell's CompareIDs ignores the column.
#pragma once

#include "browser/dialogs/BrowserDialogCalls.h"
#include "browser/shell/CFolderWatchThread.h"
#include "browser/list/CellCanvas.h"
#include "browser/list/FolderFindData.h"
#include "browser/shell/CShellListItem.h"
#include "browser/shell/CShellSettings.h"
#include "browser/shell/ShellIconCache.h"
#include "browser/shell/ShellItemFilter.h"
#include "ui/CUIODListCtrl.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CPreView;
class CSplitPath;
class TTaskManageThread;

// Posted to itself after a rename: the row is brought up to date with the new name.
constexpr UINT WM_SHELLLIST_RENAMED = WM_APP + 0x138B;

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
    // Binds to a folder given by its absolute list alone (empty: the desktop).
    BOOL BrowseFolder(LPCITEMIDLIST absolute);
    // With rebuild every row is made again, otherwise the rows are merged.
    void Refresh(BOOL sort, BOOL rebuild);
    void RefreshFromFolder(BOOL sort);

    void SetViewType(int type);
    int GetViewType() const { return m_viewType; }
    void LoadViewSettings();
    bool SaveViewSettings() const;

    void SetShowOtherFiles(bool show) { m_rules.showOtherFiles = show; }
    bool GetShowOtherFiles() const { return m_rules.showOtherFiles; }
    // Overrides the shell's own switches (the settings of the user's shell, read at creation).
    void SetShellSwitches(bool showAll, bool showSystem);
    void SetShellShowsExtensions(bool show) { m_shellSettings.SetShowExtensions(show); }
    const CString& GetFolderPath() const { return m_folderPath; }
    CShellListItem* GetItemRecord(int row) const;
    // The row of a file name in the folder ("plan.dxf"); -1 when none.
    int FindRowByName(const char* name) const;
    CString GetRowPath(int row) const;
    int GetDrawingFileCount() const { return m_drawingFiles; }
    int GetFolderCount() const { return m_folders; }

    // Thumbnails: the thread is owned elsewhere and outlives the list's use of it; the list
    // becomes its notify window. Null stops the list's use.
    void SetThumbnailThread(TTaskManageThread* thread);
    // The window told of progress (0x8032) and status texts (0x8064); null for none.
    void SetStatusWindow(HWND window) { m_statusWnd = window; }
    // Stops the thread's work on this folder: bounded, handling the thread's sends meanwhile.
    void StopThumbnailTasks();
    int GetThumbnailsDone() const { return m_thumbnailsDone; }
    // The total size of the files shown, empty when it is 0 (known once the thumbnail work of a
    // fill started).
    const CString& GetFolderSizeText() const { return m_folderSizeText; }
    // Whether a fill resets the preview (the browse frame turns it off around its own refresh,
    // so that the file it selects stays in the preview).
    void SetPreviewResetOnFill(bool reset) { m_previewResetOnFill = reset; }
    // The folder watch: changes are merged in after a quiet time of kRefreshDelayMs (later while
    // thumbnails are being made).
    static constexpr UINT kRefreshTimer = 260;
    static constexpr UINT kRefreshDelayMs = 100;
    bool StartWatchThread();
    void StopWatchThread();
    bool IsRefreshPending() const { return m_refreshPending; }
    int GetRefreshCount() const { return m_refreshCount; }
    // Of those refreshes, the ones that looked only at the items the watch named.
    int GetNamedRefreshCount() const { return m_namedRefreshCount; }
    int GetCellWidth() const { return m_cellWidth; }
    int GetCellHeight() const { return m_cellHeight; }
    // The longest the stop waits for the thread (a renderer that ignores its break).
    static constexpr DWORD kStopWaitLimitMs = 30000;
    // The browse frame's rebuild commands: every row's picture is made again (selectedOnly
    // false) or the selected rows' pictures only; nothing unless CanRebuildThumbnails allows it.
    void QueueThumbnailTasks(bool selectedOnly);
    // Thumbnail view with drawing files: the thread is making pictures (IsThumbnailJobRunning),
    // or idle so that the pictures can be saved or made again (the selected ones need a selection).
    bool IsThumbnailJobRunning() const;
    bool CanSaveThumbnails() const;
    bool CanRebuildThumbnails(bool selectedOnly) const;
    bool IsThumbnailThreadIdle() const;
    // The thread abandons the picture it is making and goes on with the next one.
    void RequestRebuildNextThumbnail();

    static int ClampViewType(long type);
    static int ClampSortColumn(long column);
    // The Size column's text of a file: kilobytes rounded up (1 for up to 1024 bytes), 64-bit.
    static CString FormatSizeKB(unsigned long long bytes);

    // File commands (CIEShellListCtrlCommands.cpp). The current item is the first selected row,
    // else the focused one.
    void SetTreeWnd(HWND tree) { m_treeWnd = tree; }
    void SetPreView(CPreView* preview) { m_preview = preview; }
    // How a file is opened for viewing (the browse frame enters view mode and opens it there);
    // without one the application's view mode is entered on the state record's path.
    void SetOpenForViewing(std::function<bool(const CString& path)> open) { m_openForViewing = std::move(open); }
    const CString& GetCurrentItemPath() const { return m_currentItemPath; }
    // State queries of the frame's update rules.
    CString GetCurrentPath() const;
    bool HasItems() const { return GetItemCount() > 0; }
    bool HasSelection() const { return GetSelectedCount() > 0; }
    bool HasCurrentItem() const { return GetCurrentRow() != -1; }
    bool IsCurrentItemFile() const;
    bool IsViewableItemSelected() const;
    bool IsSingleJpegSelected() const;
    bool CanCreateFolder() const { return m_folderPath.GetLength() > 2; }
    int CountSelectedDrawings() const;
    // The shell's "edit" verb on the current file.
    BOOL EditCurrentItem();
    void OpenItem(int row);
    void OpenSelectedItem();
    BOOL ViewSelectedFile();
    CShellListItem* SelectPreviousFile();
    CShellListItem* SelectNextFile();
    // The row of the file of a known type step rows on from the current one (1 the next, -1 the
    // previous), skipping other rows; -1 when there is none. Nothing is selected.
    int FindFileRow(int step) const;
    // Asks, then deletes the selected rows' files (permanent: not into the recycle bin). Refused
    // while thumbnails are being made. Nothing is deleted when any file cannot be.
    BOOL DeleteSelectedItems(bool permanent);
    BOOL RenameCurrentItem();
    // Renames a row's file to the typed text; refuses names that would move it or that exist.
    BOOL RenameRow(int row, const CString& text);
    BOOL CreateNewFolder();
    BOOL ShowShellProperties();
    void SelectAll();
    void UnselectAll();
    void InvertSelection();
    BOOL SelectAllDrawingFiles();
    void ShowCurrentItem();
    BOOL SelectItemByPath(const CString& path);
    BOOL GetSelectedPaths(CStringList& paths) const;
    BOOL GetSelectedFilesSizeText(CString& text) const;
    BOOL ShowExifInfo();
    // Asks the save-thumbnails dialog, then exports; only in the thumbnail view with drawings,
    // while no thumbnail is being made.
    BOOL SaveThumbnailImages();
    // Writes the rows' thumbnails as image files as chosen; false when the user stopped it, the
    // target folder could not be made or a file could not be written.
    BOOL ExportThumbnails(const SaveThumbnailChoice& choice);
    void ShowContextMenuAt(int x, int y);
    // The browse options changed (frame message 0x80B5): "show other files" is taken when it
    // changed or force is set, and the rows are merged again where what is shown may differ.
    void OnBrowseOptionsChanged(BOOL refill, BOOL force);
    // The thumbnail options changed (0x80B6): in the thumbnail view every row is made again.
    void OnThumbnailOptionsChanged();
    // Edit/Cut and Edit/Copy: the selected rows' files on the clipboard as the shell puts them,
    // marked cut (a paste moves them) or copied. Edit/Paste: the clipboard's files into the shown
    // folder, moved when they were cut (the clipboard is emptied then) and copied otherwise.
    BOOL CanCopyToClipboard() const;
    BOOL CutToClipboard();
    BOOL CopyToClipboard();
    BOOL CanPaste();
    BOOL PasteFromClipboard();
    // A drag of the selected rows started with the right button (LVN_BEGINRDRAG).
    void BeginRightDrag(int row);
    // Moves (or copies) the given files into a folder row, or the shown folder for row -1.
    BOOL MoveOrCopyIntoRow(const CStringList& paths, int row, bool move);

    // The drag-and-drop hooks.
    BOOL CanDrop(CWnd* pWnd, int x, int y) override;
    CString GetItemPath(int nIndex) override;
    CString GetFolderPath() override { return m_folderPath; }
    BOOL DropFiles(const CStringList& files, DROPEFFECT effect) override;
    void OnDropLeftButton() override;
    void OnDropRightButton() override;
    // Commands of the move/copy menu of a right-button drag.
    static constexpr UINT kDropMenuCopy = 32771;
    static constexpr UINT kDropMenuMove = 32772;

protected:
    void DeleteAllRowData() override;
    BOOL OnDblClick(NMHDR* pNMHDR) override;
    BOOL OnEndLabelEdit(NMLVDISPINFOA* pDispInfo, LRESULT* pResult) override;
    void OnSelChanged(int nRow, LRESULT* pResult) override;
    void OnSortChanged() override;
    void OnContextMenuAt(int nRow, UINT nFlags, int x, int y) override;
    LRESULT OnDeleteKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnPropertiesKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnOpenKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnEditKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnRenamed(WPARAM wParam, LPARAM lParam);
    void OnBeginRightDrag(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnFolderPathQuery(WPARAM wParam, LPARAM lParam);
    LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnThumbnailFinished(WPARAM wParam, LPARAM lParam);
    LRESULT OnThumbnailsFinished(WPARAM wParam, LPARAM lParam);
    LRESULT OnFolderChanged(WPARAM wParam, LPARAM lParam);
    // The folder tree's settled selection (WM_TREE_SHOWFOLDER): lParam a list this list frees.
    LRESULT OnTreeShowFolder(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnInterimPicture(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueueFinished(WPARAM wParam, LPARAM lParam);
    BOOL OnItemPrePaint(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult) override;
    void MakePendingCells(CUIStrListCtrlData& row) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ReleaseFolder();
    BOOL Populate();
    void ClearItems();
    // A record and a row for an enumerated item, when the rules show it.
    bool AddEnumeratedItem(LPCITEMIDLIST relative);
    // The item's type by its attributes and its parsing name (null when the shell gave none).
    static int FileTypeOf(ULONG attributes, const char* parsingName);
    void SetRowTexts(int row, CShellListItem& item, const CString& parsingName);
    // The two halves of a row's texts: its name, and the size, time and type that the folder's
    // listing gives (a fill does them after its rows, beside the listing being read).
    void SetRowName(int row, CShellListItem& item, const CString& parsingName);
    // Takes the file's size, time and type into its record; its cells are made now, or, for a
    // pending row, when they are first read.
    void SetFileCells(int row, CShellListItem& item, const CString& parsingName, bool pending);
    void FillDeferredCells(std::unique_ptr<FolderFindData> listing);
    static void FormatFileCells(CUIStrListCtrlData& cells, const CShellListItem& item);
    CString ParsingName(const CShellListItem& item) const;
    // The item's path from its parsing name, without asking the shell for the name again.
    CString PathOf(const CShellListItem& item, const CString& parsingName) const;
    // What a merge matches an item by: its parsing name in lower case.
    static std::string LowerCaseKey(const CString& parsingName);
    static std::string MergeKey(IShellFolder* folder, LPCITEMIDLIST relative);
    // Enumerates the folder: its items that have no row yet (the caller frees them), the rows
    // whose item is gone, from the bottom up, and the rows whose item is there with other lists
    // (its size or time changed; the caller frees the lists). False when the folder cannot be
    // enumerated.
    bool CollectFolderChanges(std::vector<LPITEMIDLIST>& added, std::vector<int>& gone,
                              std::vector<std::pair<int, LPITEMIDLIST>>& changed);
    // The merge's steps before and after the rows change: the thumbnail work is stopped (the
    // pictures kept) and rows the rules no longer show go; then the rows are sorted when asked,
    // counted, the Name column fitted, and the thumbnails queued.
    void BeginMerge();
    void EndMerge(bool sort, bool redrawHeld, const std::vector<CShellListItem*>* measured = nullptr);
    void DropRowsTheRulesHide();
    // A row whose item is still there with other lists: they are taken and its cells filled again.
    void UpdateChangedRow(int row, LPCITEMIDLIST relative);
    // The timer's refresh after the watch saw changes: the named items only when the watch knows
    // them all, else the whole folder.
    void RefreshChanges();
    // Brings the rows of the named items up to date as a merge of the whole folder would; false,
    // having changed nothing, when the names cannot stand in for reading the folder.
    bool MergeNamedItems(const std::vector<std::string>& names, const std::vector<char>& gone);
    // The records by merge key, made when the watch's merge first asks and kept from then on
    // until the rows are made again (a key two records share maps to null).
    void IndexRecords();
    int FindRowByPath(const CString& path);
    void IndexRecord(CShellListItem* record);
    void UnindexRecord(const CShellListItem* record);
    // Runs a refresh step keeping the current item current when it is still there.
    void RunKeepingCurrent(const std::function<void()>& step);
    CString DisplayName(const CShellListItem& item, const CString& parsingName);
    void BeginFill(bool listFolder);
    void DeleteRow(int row);
    void RecountRows();
    void ApplyViewStyle();
    void FitNameColumn();
    // The same after a merge: when the widest name is known only the records given are measured.
    void FitNameColumnTo(const std::vector<CShellListItem*>& records);
    void FitNameColumnWidth(int widest);
    // The width of a row's name in the font selected into dc.
    int NameExtent(HDC dc, int row) const;
    // The drawing and folder counts and the files' bytes follow each record put in (1) or taken
    // out (-1).
    void CountRecord(const CShellListItem& record, int step);
    // The first row in sight, -1 without rows; the row of a row key; a row scrolled to the top.
    int TopVisibleRow() const;
    int FindRowByKey(DWORD_PTR key) const;
    void ScrollRowToTop(int row);
    void AttachSystemImageLists();
    void SortRows();
    ShellItemFilter::Rules CurrentRules() const;

    // Thumbnails.
    bool UpdateCellSize();
    // The settings' cell size from now on in this folder, whatever its library was made with.
    void TakeSettingsCellSize();
    void ApplyThumbnailLayout();
    void ResetThumbnailWork(bool keepPictures);
    void QueueFolderThumbnails();
    void StartThumbnailWork(bool rebuild);
    int FirstVisibleOrdinal() const;
    int FindRowOf(const CShellListItem* item) const;
    bool IsOnItsRow(const CShellListItem& item) const;
    void NumberRows() const;
    void ForgetJob(CShellListItem* item);
    void ForgetAllJobs();
    // Hands the row's file to the thread; false for a folder, a row without a path or a job that
    // could not be queued.
    bool QueueJob(int row, bool cacheFirst);
    void RedrawThumbnailItem(int row);
    // Tells the frame how many pictures are done, at most once in a short while unless now is
    // set or the last one came; one held back is told when the queue ends.
    void ReportThumbnailProgress(bool now);
    void PaintCell(HDC dc, int row, const RECT& iconRect, UINT state, bool focusedLook);
    void DrawRowIcon(HDC dc, int row, const RECT& picture) const;
    void PaintLabel(HDC dc, int row, RECT labelRect, UINT state, bool focusedLook);
    void PostStatus(UINT message, WPARAM wParam, LPARAM lParam) const;
    // The frame told of the list's reports: the status window, else the main window.
    CWnd* ReportWindow() const;
    int CountSelectedOfType(bool (*wanted)(int fileType)) const;
    bool IsThreadWorking() const;
    CShellListItem* StepToFile(int step);
    void SelectOnly(int row);
    void ShowInPreview(const CString& path);
    bool ShellShowsExtensions() const;
    bool IsExtensionHidden(int row, const CSplitPath& old) const;
    void ForgetDeletedRows();
    bool PrepareExportFolder(const CString& folder) const;
    BOOL PutSelectionOnClipboard(bool cut);
    // Marks the selected rows cut (the others not), or none.
    void MarkCutRows(bool selectedOnes);
    void ApplyRowState(int row, const CShellListItem& item);
    LRESULT OnClipboardUpdate(WPARAM wParam, LPARAM lParam);
    bool IsWritableFolder(const CString& path) const;
    // False when the row's file could not be written (the user was told).
    bool ExportRow(int row, const SaveThumbnailChoice& choice);
    // The frame's progress: at the row of count, or ended.
    void ReportExportProgress(int row, int count) const;
    static constexpr int kExportProgressReset = -1000;

    HWND m_treeWnd = nullptr;
    CPreView* m_preview = nullptr;
    std::function<bool(const CString&)> m_openForViewing;
    CString m_currentItemPath;
    // The drag now running was started with the right button (its drop asks move or copy).
    bool m_rightDrag = false;
    // The clipboard's sequence number after the last Cut (0: no rows are marked cut).
    DWORD m_cutClipboard = 0;
    // The files of this list's own drag that were dropped on it.
    CStringList m_droppedPaths;

    std::unique_ptr<CFolderWatchThread> m_watch;
    bool m_refreshPending = false;
    // Someone other than the watch (the folder tree) asked for the folder to be read again.
    bool m_readWholeFolder = false;
    int m_refreshCount = 0;
    int m_namedRefreshCount = 0;
    // The font the rows' name widths were measured in.
    HFONT m_nameExtentFont = nullptr;
    // The widest name measured over every row (-1 unknown: a row at least as wide went or changed).
    int m_widestName = -1;

    TTaskManageThread* m_thumbThread = nullptr;
    HWND m_statusWnd = nullptr;
    std::unordered_map<int, CShellListItem*> m_jobs;
    int m_nextTicket = 1;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    // The user chose the settings' size in this folder (Options or Rebuild All): its library's
    // size no longer decides the cells.
    bool m_settingsSizeChosen = false;
    CellCanvas m_cell;
    // The shell's large icons (shared, never freed here): what a cell without a picture shows.
    HIMAGELIST m_largeSystemIcons = nullptr;
    CImageList m_thumbImages;
    bool m_resultsAccepted = true;
    int m_thumbnailsDone = 0;
    DWORD m_lastProgressTick = 0;
    bool m_progressHeld = false;
    CString m_folderSizeText;
    bool m_previewResetOnFill = true;

    IShellFolder* m_folder = nullptr;
    LPITEMIDLIST m_folderPidl = nullptr;
    CString m_folderPath;
    std::vector<std::unique_ptr<CShellListItem>> m_records;
    std::unordered_map<std::string, CShellListItem*> m_recordsByKey;
    bool m_recordsIndexed = false;
    // Every row is known to be one these rules show (rows only come in by them, and a row whose
    // attributes changed clears it).
    ShellItemFilter::Rules m_rowsRules;
    bool m_rowsFiltered = false;
    CShellSettings m_shellSettings;
    ShellIconCache m_icons;
    // Valid during one fill or merge: the folder's listing, and by extension whether the shell's
    // display name is the parsing name (0) or the parsing name without its extension (1).
    std::unique_ptr<FolderFindData> m_listing;
    std::unordered_map<std::string, int> m_displayRules;
    // During a fill: the rows whose file cells wait for the folder's listing, with their parsing
    // names (a merge fills each row's cells at once).
    struct DeferredCells
    {
        int row;
        CShellListItem* item;
        CString parsingName;
    };
    std::vector<DeferredCells> m_deferredCells;
    bool m_deferFileCells = false;
    ShellItemFilter::Rules m_rules;
    int m_viewType = kThumbnails;
    int m_drawingFiles = 0;
    int m_folders = 0;
    // The files' sizes added up (what the status bar shows for the folder).
    unsigned long long m_fileBytes = 0;
    bool m_showAllFiles = false;
    BYTE m_refreshAllowed = 1;
};
