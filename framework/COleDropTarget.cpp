#include "framework/COleDropTarget.h"

#include "framework/COleDataObject.h"
#include "framework/CWnd.h"

COleDropTarget::COleDropTarget() : m_xDropTarget(*this)
{
}

COleDropTarget::~COleDropTarget()
{
    Revoke();
    ForgetData();
}

BOOL COleDropTarget::Register(CWnd* pWnd)
{
    if (pWnd == nullptr || pWnd->GetSafeHwnd() == nullptr)
        return FALSE;
    Revoke();
    if (FAILED(RegisterDragDrop(pWnd->GetSafeHwnd(), &m_xDropTarget)))
        return FALSE;
    m_hWnd = pWnd->GetSafeHwnd();
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (m_hWnd != nullptr) {
        RevokeDragDrop(m_hWnd);
        m_hWnd = nullptr;
    }
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

void COleDropTarget::OnDragLeave(CWnd*)
{
}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint)
{
    return FALSE;
}

CPoint COleDropTarget::ClientPoint(POINTL pt) const
{
    POINT point = {pt.x, pt.y};
    if (m_hWnd != nullptr)
        ScreenToClient(m_hWnd, &point);
    return CPoint(point.x, point.y);
}

void COleDropTarget::ForgetData()
{
    if (m_lpDataObject != nullptr) {
        m_lpDataObject->Release();
        m_lpDataObject = nullptr;
    }
}

HRESULT STDMETHODCALLTYPE COleDropTarget::XDropTarget::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *ppv = static_cast<IDropTarget*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::XDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                                                 DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    m_owner.ForgetData();
    if (pDataObj != nullptr) {
        pDataObj->AddRef();
        m_owner.m_lpDataObject = pDataObj;
    }
    COleDataObject data;
    data.Attach(pDataObj, FALSE);
    const DROPEFFECT effect =
        m_owner.OnDragEnter(CWnd::FromHandle(m_owner.m_hWnd), &data, grfKeyState, m_owner.ClientPoint(pt));
    *pdwEffect &= effect;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::XDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    COleDataObject data;
    data.Attach(m_owner.m_lpDataObject, FALSE);
    const DROPEFFECT effect =
        m_owner.OnDragOver(CWnd::FromHandle(m_owner.m_hWnd), &data, grfKeyState, m_owner.ClientPoint(pt));
    *pdwEffect &= effect;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::XDropTarget::DragLeave()
{
    m_owner.OnDragLeave(CWnd::FromHandle(m_owner.m_hWnd));
    m_owner.ForgetData();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::XDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                                            DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    COleDataObject data;
    data.Attach(pDataObj, FALSE);
    CWnd* pWnd = CWnd::FromHandle(m_owner.m_hWnd);
    const CPoint point = m_owner.ClientPoint(pt);
    // The effect is the one the last drag-over step offered, narrowed to what the source allows.
    const DROPEFFECT effect = m_owner.OnDragOver(pWnd, &data, grfKeyState, point) & *pdwEffect;
    const BOOL bDropped = effect != DROPEFFECT_NONE && m_owner.OnDrop(pWnd, &data, effect, point);
    if (!bDropped)
        m_owner.OnDragLeave(pWnd);
    *pdwEffect = bDropped ? effect : DROPEFFECT_NONE;
    m_owner.ForgetData();
    return S_OK;
}
