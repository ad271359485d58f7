// CBrowseListStandIn: the browse frame's file list until the file commands of the list come:
// the shell file list plus the few list operations the frame's commands name (selection, open,
// view, paths of the selection) and the selection's preview. The frame reaches the list only
// through the type BrowseCentreList (BrowseFrameParts.h), so the real list takes its place there.
#pragma once

#include "browser/CIEShellListCtrl.h"

#include <vector>

class CPreView;

class CBrowseListStandIn : public CIEShellListCtrl
{
public:
    void SetPreview(CPreView* preview) { m_preview = preview; }
    // The status refresh (0x8032) goes to this window after a selection change.
    void SetMainWindow(HWND window) { m_mainWnd = window; }

    bool HasSelection() const { return GetSelectedCount() > 0; }
    bool HasCurrentItem() const { return GetCurrentRow() != -1; }
    bool HasItems() const { return GetItemCount() > 0; }
    CString GetCurrentPath() const;
    // The row's record says whether it is a folder and of which file type.
    bool IsCurrentItemFile() const;
    bool IsViewableItemSelected() const;
    std::vector<CString> GetSelectedPaths() const;
    int CountSelectedDrawings() const;
    void SelectAll();
    void SelectAllDrawingFiles();
    void UnselectAll();
    void InvertSelection();
    // A folder is entered, a file of a known type opened in view mode.
    void OpenSelectedItem();
    void ViewSelectedFile();
    // Selects the row of a file given by its full path; false when the folder has no such row.
    bool SelectItemByPath(const char* path);
    // The formatted size of the selected files ("" for none).
    CString GetSelectedFilesSizeText() const;

protected:
    void OnSelChanged(int row, LRESULT* pResult) override;
    BOOL OnDblClick(NMHDR* pNMHDR) override;
    LRESULT OnOpenKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueueFinished(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void OpenRow(int row);
    void SetRowSelected(int row, bool selected);
    bool IsRowFolder(int row) const;
    int RowFileType(int row) const;

    CPreView* m_preview = nullptr;
    HWND m_mainWnd = nullptr;
};
