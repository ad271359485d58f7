// CDragDropList: a list control that is a source and a target of file drag and drop. A drag of
// the selected rows offers their files as CF_HDROP; files dragged over the list mark the row under
// the cursor, and dropped files are copied or moved into that row's folder (or the list's own
// folder) by the shell. What paths, folders and permission mean is asked of a derived list.
#pragma once

#include "framework/COleDataSource.h"
#include "framework/CPtrList.h"
#include "framework/CommonControls.h"
#include "framework/CStringList.h"
#include "ui/CListDropTarget.h"

class CDragDropList : public CListCtrl
{
public:
    CDragDropList();

    // Whether files may be dropped on the window at (x, y); pWnd is null for the list's own
    // folder (no row under the point).
    virtual BOOL CanDrop(CWnd* pWnd, int x, int y);
    virtual void OnDropRightButton();
    virtual void OnDropLeftButton();
    virtual void ClearDropHighlight();
    virtual CString GetItemPath(int nIndex);
    virtual CString GetFolderPath();
    virtual void OnDragDone();

    // Starts a drag of the selected rows' files from row nItem (LVN_BEGINDRAG).
    void BeginDrag(int nItem);
    // While files are dragged over the list: marks the row under the client point and answers
    // whether a drop there is allowed.
    BOOL DragOver(CWnd* pWnd, CPoint point);
    // Copies (or for DROPEFFECT_MOVE moves) the files into the marked row's folder, or the
    // list's own folder when no row is marked. False when nothing was done.
    virtual BOOL DropFiles(const CStringList& files, DROPEFFECT effect);
    BOOL ClipboardHasFiles();

    // The CF_HDROP block (ANSI DROPFILES) of the given paths, empty ones left out; null when
    // no path remains or the block cannot be made.
    static HGLOBAL MakeDropBlock(const CStringList& paths);

    int GetDropTargetRow() const { return m_nDropTargetRow; }
    int GetDragSourceRow() const { return m_nDragSourceRow; }
    BOOL IsDragging() const { return m_bDragging != 0; }
    CListDropTarget& GetDropTarget() { return m_dropTarget; }

protected:
    // Runs the OLE drag loop over the data; a test answers here instead of a mouse.
    virtual DROPEFFECT RunDragLoop(COleDataSource& source, DWORD dwAllowed);

    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    void SetDropHighlight(int nRow, BOOL bOn);

    CPtrList m_draggedItems;
    void* m_pSpare = nullptr;
    int m_nDropTargetRow = -1;
    int m_nDragSourceRow = -1;
    BYTE m_bDragging = 0;
    CListDropTarget m_dropTarget;
};
