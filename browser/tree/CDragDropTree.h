// CDragDropTree: a tree control that is a source and a target of file drag and drop and that
// copies and pastes files through the clipboard. A drag of an item offers its folder as CF_HDROP;
// files dragged over the tree mark the item under the cursor and are copied into that folder by
// the shell; a paste copies the clipboard's files into the selected folder, or moves them when
// the shell's "Preferred DropEffect" marks them as cut. What paths and folders mean is asked of
// a derived tree.
#pragma once

#include "browser/tree/CTreeDropTarget.h"
#include "framework/COleDataSource.h"
#include "framework/CommonControls.h"
#include "framework/CStringList.h"

class CDragDropTree : public CTreeCtrl
{
public:
    CDragDropTree();

    // The selected item's folder when it is a directory that is not read-only.
    virtual bool GetSelectedFolderPath(CString& path) = 0;
    // The same for the drop-highlight item when there is one, else the selected item.
    virtual bool GetDropFolderPath(CString& path) = 0;
    // Whether files may be dropped on the window at the client point (x, y).
    virtual bool CanDropAt(CWnd* pWnd, int x, int y);
    // The item's path; isFolder tells whether it is a directory that is not read-only.
    virtual bool GetItemPath(HTREEITEM hItem, CString& path, bool& isFolder);
    // Re-reads the folders the tree shows (after a drag moved or copied something).
    virtual void RefreshSelectedFolder();

    // While files are dragged over the tree: marks the item under the client point and answers
    // whether a drop there is allowed.
    BOOL DragOverHighlight(CWnd* pWnd, CPoint point);
    // Copies (DROPEFFECT_MOVE: moves) the files into the drop-highlight folder (useDropHighlight)
    // or the selected folder. False when nothing was done.
    bool DropFiles(const CStringList& files, DROPEFFECT effect, bool useDropHighlight);

    // Edit/Copy: the selected writable folder as CF_HDROP on the clipboard (no cut marker, so a
    // paste copies it).
    bool CanCopy();
    bool CopyToClipboard();
    // Edit/Paste: the clipboard's files into the selected folder, moved when they were cut
    // (then the clipboard is emptied: the names point nowhere any more).
    bool CanPaste();
    bool PasteFromClipboard();

    void ClearDropHighlight();
    HTREEITEM GetDropHighlightItem() const { return m_hDropItem; }
    BOOL IsDragging() const { return m_bDragging != 0; }
    CTreeDropTarget& GetDropTarget() { return m_dropTarget; }

protected:
    // Runs the OLE drag loop over the data; a test answers here instead of a mouse.
    virtual DROPEFFECT RunDragLoop(COleDataSource& source, DWORD dwAllowed);
    // Starts a drag of the item's folder (TVN_BEGINDRAG).
    void BeginDrag(HTREEITEM hItem);

    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnDestroy();
    void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    HTREEITEM m_hDropItem = nullptr;
    HTREEITEM m_hDragItem = nullptr;
    BYTE m_bDragging = 0;
    CTreeDropTarget m_dropTarget;
};
