#include "ui/CFileDropTarget.h"

#include "framework/COleDataObject.h"
#include "framework/CWnd.h"

#include <shellapi.h>

CFileDropTarget::~CFileDropTarget()
{
    if (m_pDragImages != nullptr)
        m_pDragImages->Release();
}

void CFileDropTarget::SetUp(CWnd* pOwner)
{
    m_pOwner = pOwner;
    if (m_pDragImages != nullptr)
        return;
    void* pHelper = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                                   &pHelper))) {
        m_pDragImages = static_cast<IDropTargetHelper*>(pHelper);
        m_bDragImages = TRUE;
    }
}

BOOL CFileDropTarget::CollectFileNames(HGLOBAL hDrop, CStringList& names)
{
    if (hDrop == nullptr || GlobalLock(hDrop) == nullptr)
        return FALSE;
    const HDROP hFiles = static_cast<HDROP>(hDrop);
    const UINT nCount = DragQueryFileA(hFiles, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nCount; ++i) {
        char path[MAX_PATH + 1] = {};
        if (DragQueryFileA(hFiles, i, path, sizeof(path)) == 0)
            continue;
        names.AddTail(CString(path));
    }
    GlobalUnlock(hDrop);
    return TRUE;
}

POINT CFileDropTarget::ScreenPoint(CWnd* pWnd, CPoint point)
{
    POINT screen = {point.x, point.y};
    if (pWnd != nullptr && pWnd->GetSafeHwnd() != nullptr)
        ::ClientToScreen(pWnd->GetSafeHwnd(), &screen);
    return screen;
}

DROPEFFECT CFileDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD, CPoint point)
{
    const DROPEFFECT effect = pDataObject->IsDataAvailable(CF_HDROP) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    if (m_pDragImages != nullptr) {
        POINT screen = ScreenPoint(pWnd, point);
        // Wine answers E_NOTIMPL here: the drag goes on without images.
        m_pDragImages->DragEnter(pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr, pDataObject->GetIDataObject(FALSE),
                                 &screen, effect);
    }
    return effect;
}

DROPEFFECT CFileDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD, CPoint point)
{
    const DROPEFFECT effect = pDataObject->IsDataAvailable(CF_HDROP) && AcceptPoint(pWnd, point)
                                  ? DROPEFFECT_COPY
                                  : DROPEFFECT_NONE;
    if (m_pDragImages != nullptr) {
        POINT screen = ScreenPoint(pWnd, point);
        m_pDragImages->DragOver(&screen, effect);
    }
    return effect;
}

void CFileDropTarget::OnDragLeave(CWnd*)
{
    if (m_pDragImages != nullptr)
        m_pDragImages->DragLeave();
}

BOOL CFileDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point)
{
    CStringList names;
    HGLOBAL hDrop = pDataObject->GetGlobalData(CF_HDROP);
    const BOOL bRead = CollectFileNames(hDrop, names);
    if (hDrop != nullptr)
        GlobalFree(hDrop);
    if (bRead)
        DropNames(names);
    if (m_pDragImages != nullptr) {
        POINT screen = ScreenPoint(pWnd, point);
        m_pDragImages->Drop(pDataObject->GetIDataObject(FALSE), &screen, dropEffect);
    }
    return bRead;
}
