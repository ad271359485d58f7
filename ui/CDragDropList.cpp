#include "ui/CDragDropList.h"

#include "framework/AfxWin.h"
#include "ui/FileClipboard.h"
#include "ui/ShellFileOperation.h"

#include <shellapi.h>

BEGIN_MESSAGE_MAP(CDragDropList, CListCtrl)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_NOTIFY_REFLECT(LVN_BEGINDRAG, &CDragDropList::OnBeginDrag)
END_MESSAGE_MAP()

CDragDropList::CDragDropList()
{
    m_dropTarget.SetList(this);
}

BOOL CDragDropList::CanDrop(CWnd*, int, int)
{
    return TRUE;
}

void CDragDropList::OnDropRightButton()
{
    AfxMessageBox("Drag by right button");
}

void CDragDropList::OnDropLeftButton()
{
    AfxMessageBox("Drag by left button");
}

CString CDragDropList::GetItemPath(int)
{
    return CString();
}

CString CDragDropList::GetFolderPath()
{
    return CString();
}

void CDragDropList::OnDragDone()
{
}

int CDragDropList::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CListCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;
    // Without OLE on this thread the list simply takes no drops.
    m_dropTarget.Register(this);
    return 0;
}

void CDragDropList::OnDestroy()
{
    m_dropTarget.Revoke();
    CListCtrl::OnDestroy();
}

BOOL CDragDropList::OnEraseBkgnd(CDC*)
{
    // The list paints all of its area itself.
    return TRUE;
}

void CDragDropList::OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
    BeginDrag(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem);
    *pResult = 0;
}

HGLOBAL CDragDropList::MakeDropBlock(const CStringList& paths)
{
    // An empty name would end the list early and hide the names after it: rows without a path
    // are left out, and with no path at all there is nothing to offer.
    SIZE_T total = 0;
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;)
        total += static_cast<SIZE_T>(paths.GetNext(pos).GetLength()) + 1;
    if (total == static_cast<SIZE_T>(paths.GetCount()))
        return nullptr;
    // Header, the names each ended by a NUL, and the final NUL of the zero fill.
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(DROPFILES) + total + 1);
    if (hGlobal == nullptr)
        return nullptr;
    auto* pBlock = static_cast<BYTE*>(GlobalLock(hGlobal));
    if (pBlock == nullptr) {
        GlobalFree(hGlobal);
        return nullptr;
    }
    auto* pHeader = reinterpret_cast<DROPFILES*>(pBlock);
    pHeader->pFiles = sizeof(DROPFILES);
    pHeader->fWide = FALSE;
    char* pName = reinterpret_cast<char*>(pBlock + sizeof(DROPFILES));
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;) {
        const CString& path = paths.GetNext(pos);
        if (path.IsEmpty())
            continue;
        memcpy(pName, static_cast<LPCSTR>(path), static_cast<size_t>(path.GetLength()));
        pName += path.GetLength() + 1;
    }
    GlobalUnlock(hGlobal);
    return hGlobal;
}

DROPEFFECT CDragDropList::RunDragLoop(COleDataSource& source, DWORD dwAllowed)
{
    return source.DoDragDrop(dwAllowed);
}

void CDragDropList::BeginDrag(int nItem)
{
    m_bDragging = 1;
    m_nDropTargetRow = -1;
    m_nDragSourceRow = nItem;
    CStringList paths;
    for (int nRow = GetNextItem(-1, LVNI_SELECTED); nRow != -1; nRow = GetNextItem(nRow, LVNI_SELECTED))
        paths.AddTail(GetItemPath(nRow));
    if (HGLOBAL hDrop = MakeDropBlock(paths)) {
        // The data object owns the block from here on and frees it once, when the last holder
        // (the drag loop, a target that kept the data, this function) lets go of the object.
        COleDataSource source;
        source.CacheGlobalData(CF_HDROP, hDrop);
        const DROPEFFECT effect = RunDragLoop(source, DROPEFFECT_COPY | DROPEFFECT_MOVE);
        if ((effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) != 0) {
            ClearDropHighlight();
            OnDragDone();
        }
    }
    m_bDragging = 0;
    if (m_nDropTargetRow != -1) {
        ClearDropHighlight();
        UpdateWindow();
    }
}

void CDragDropList::SetDropHighlight(int nRow, BOOL bOn)
{
    SetItemState(nRow, bOn ? LVIS_DROPHILITED : 0, LVIS_DROPHILITED);
    RedrawItems(nRow, nRow);
}

void CDragDropList::ClearDropHighlight()
{
    if (m_nDropTargetRow == -1)
        return;
    SetDropHighlight(m_nDropTargetRow, FALSE);
    m_nDropTargetRow = -1;
}

BOOL CDragDropList::DragOver(CWnd* pWnd, CPoint point)
{
    LVHITTESTINFO hit = {};
    hit.pt = point;
    const int nRow = HitTest(&hit);
    if (nRow < 0) {
        ClearDropHighlight();
        return CanDrop(nullptr, point.x, point.y);
    }
    if (!CanDrop(pWnd, point.x, point.y)) {
        ClearDropHighlight();
        return FALSE;
    }
    if (nRow != m_nDropTargetRow) {
        ClearDropHighlight();
        SetDropHighlight(nRow, TRUE);
        m_nDropTargetRow = nRow;
    }
    return TRUE;
}

BOOL CDragDropList::DropFiles(const CStringList& files, DROPEFFECT effect)
{
    if (files.IsEmpty())
        return FALSE;
    const CString folder = m_nDropTargetRow == -1 ? GetFolderPath() : GetItemPath(m_nDropTargetRow);
    if (folder.IsEmpty())
        return FALSE;
    const BOOL bDone = ShellFileOperation::CopyOrMove(m_hWnd, files, folder, effect == DROPEFFECT_MOVE);
    ClearDropHighlight();
    return bDone;
}

BOOL CDragDropList::ClipboardHasFiles()
{
    return FileClipboard::HasFiles(m_hWnd) ? TRUE : FALSE;
}
