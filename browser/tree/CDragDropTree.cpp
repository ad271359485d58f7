#include "browser/tree/CDragDropTree.h"

#include "framework/AfxWin.h"
#include "ui/CDragDropList.h"
#include "ui/FileClipboard.h"
#include "ui/ShellFileOperation.h"

#include <shlobj.h>

BEGIN_MESSAGE_MAP(CDragDropTree, CTreeCtrl)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(TVN_BEGINDRAG, &CDragDropTree::OnBeginDrag)
END_MESSAGE_MAP()

CDragDropTree::CDragDropTree()
{
    m_dropTarget.SetTree(this);
}

bool CDragDropTree::CanDropAt(CWnd*, int, int)
{
    return true;
}

bool CDragDropTree::GetItemPath(HTREEITEM, CString&, bool& isFolder)
{
    isFolder = false;
    return false;
}

void CDragDropTree::RefreshSelectedFolder()
{
}

int CDragDropTree::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CTreeCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;
    // Without OLE on this thread the tree simply takes no drops.
    m_dropTarget.Register(this);
    return 0;
}

void CDragDropTree::OnDestroy()
{
    m_dropTarget.Revoke();
    CTreeCtrl::OnDestroy();
}

void CDragDropTree::ClearDropHighlight()
{
    if (m_hDropItem == nullptr)
        return;
    SelectDropTarget(nullptr);
    m_hDropItem = nullptr;
    UpdateWindow();
}

BOOL CDragDropTree::DragOverHighlight(CWnd* pWnd, CPoint point)
{
    if (pWnd != this)
        Beep(1200, 100);
    UINT flags = 0;
    const HTREEITEM hItem = HitTest(point, &flags);
    if (hItem == nullptr || !CanDropAt(pWnd, point.x, point.y)) {
        ClearDropHighlight();
        return FALSE;
    }
    if (hItem != m_hDropItem) {
        SelectDropTarget(hItem);
        m_hDropItem = hItem;
        UpdateWindow();
    }
    return TRUE;
}

bool CDragDropTree::DropFiles(const CStringList& files, DROPEFFECT effect, bool useDropHighlight)
{
    // A drop is only ever into the item it was judged over: without one (the point was refused)
    // nothing lands, not even in the selected folder.
    if (files.IsEmpty() || (useDropHighlight && m_hDropItem == nullptr)) {
        ClearDropHighlight();
        return false;
    }
    CString folder;
    const bool writable = useDropHighlight ? GetDropFolderPath(folder) : GetSelectedFolderPath(folder);
    bool done = false;
    if (writable)
        done = ShellFileOperation::CopyOrMove(m_hWnd, files, folder, effect == DROPEFFECT_MOVE);
    ClearDropHighlight();
    return done;
}

DROPEFFECT CDragDropTree::RunDragLoop(COleDataSource& source, DWORD dwAllowed)
{
    return source.DoDragDrop(dwAllowed);
}

void CDragDropTree::OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
    BeginDrag(reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem);
    *pResult = 0;
}

void CDragDropTree::BeginDrag(HTREEITEM hItem)
{
    m_bDragging = 1;
    ClearDropHighlight();
    m_hDragItem = hItem;
    CString path;
    bool isFolder = false;
    if (GetItemPath(hItem, path, isFolder) && isFolder) {
        CStringList paths;
        paths.AddTail(path);
        if (HGLOBAL hDrop = CDragDropList::MakeDropBlock(paths)) {
            // The data object owns the block from here on.
            COleDataSource source;
            source.CacheGlobalData(CF_HDROP, hDrop);
            const DROPEFFECT effect = RunDragLoop(source, DROPEFFECT_COPY | DROPEFFECT_MOVE);
            ClearDropHighlight();
            if ((effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) != 0)
                RefreshSelectedFolder();
        }
    }
    m_bDragging = 0;
}

bool CDragDropTree::CanCopy()
{
    CString path;
    return GetSelectedFolderPath(path);
}

bool CDragDropTree::CopyToClipboard()
{
    CString path;
    if (!GetSelectedFolderPath(path))
        return false;
    CStringList paths;
    paths.AddTail(path);
    // No cut marker: a paste of the tree's folder copies it.
    return FileClipboard::Put(m_hWnd, paths, FileClipboard::Marker::None);
}

bool CDragDropTree::CanPaste()
{
    CString path;
    return FileClipboard::HasFiles(m_hWnd) && GetSelectedFolderPath(path);
}

bool CDragDropTree::PasteFromClipboard()
{
    ClearDropHighlight();
    FileClipboard::Content content;
    if (!FileClipboard::Read(m_hWnd, content))
        return false;
    if (DropFiles(content.files, content.cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY, false))
        FileClipboard::ForgetMovedFiles(m_hWnd, content);
    return true;
}
