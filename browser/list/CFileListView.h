// CFileListView: the centre pane of the browse frame. It holds the shell file list and, in a band
// above it, the path box and three bookmark buttons (add the shown folder, remove it, edit the
// list), lays them out, gives them the menu font and tool tips, and turns the buttons and the
// path box's choice into actions.
#pragma once

#include "browser/list/CIEShellListCtrl.h"
#include "browser/pathbox/CPathListBox.h"
#include "framework/AfxWin.h"
#include "framework/Controls.h"
#include "framework/CGdiObject.h"

#include <functional>

class CFileListView : public CWnd
{
public:
    enum : UINT
    {
        kPathBoxId = 102,
        kAddBookmarkId = 103,
        kListId = 112,
        kDeleteBookmarkId = 190,
        kEditBookmarksId = 191,
    };
    static constexpr int kBandHeight = 32;

    // Where each child goes for a client size; the path box's height is its drop-down's.
    struct Layout
    {
        CRect list;
        CRect pathBox;
        CRect buttons[3];
    };
    static Layout ComputeLayout(int cx, int cy, bool showPathBox);
    // The tool tip of a child by its control id; null for none.
    static const char* ToolTipText(UINT id);

    CFileListView() = default;
    ~CFileListView() override = default;

    // Makes the view as a child of the frame (the frame's centre pane id by default).
    BOOL CreateView(CWnd* parent, UINT id = 0xE900);

    CIEShellListCtrl& GetListCtrl() { return m_list; }
    CPathListBox& GetPathBox() { return m_pathBox; }
    CButton& GetButton(int index) { return m_buttons[index]; }

    // How a folder chosen in the path box is shown (the browse frame's browse-to-folder); without
    // one the view binds its own list to the folder.
    void SetBrowseToFolder(std::function<bool(const CString& folder)> browse) { m_browseToFolder = std::move(browse); }

    void OnLayout();
    void UpdatePathBox();
    void ReloadPathBox();
    void GetPathBoxText(CString& text) const;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSetFocus(CWnd* pOldWnd);
    void OnAddBookmark();
    void OnDeleteBookmark();
    void OnEditBookmarks();
    void OnPathBoxSelChange();
    DECLARE_MESSAGE_MAP()

private:
    bool CreateMenuFont();
    bool CreateButtons();
    void PostFolderShown() const;

    CIEShellListCtrl m_list;
    CStatic m_static;
    CPathListBox m_pathBox;
    CButton m_buttons[3];
    CFont m_font;
    std::function<bool(const CString&)> m_browseToFolder;
};
