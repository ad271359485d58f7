#include "framework/COleDataObject.h"

#include <cstring>

HGLOBAL AfxCopyGlobalMemory(HGLOBAL hSource)
{
    const SIZE_T size = GlobalSize(hSource);
    const void* pSource = GlobalLock(hSource);
    if (pSource == nullptr)
        return nullptr;
    HGLOBAL hCopy = GlobalAlloc(GMEM_MOVEABLE, size);
    void* pCopy = hCopy != nullptr ? GlobalLock(hCopy) : nullptr;
    if (pCopy != nullptr) {
        memcpy(pCopy, pSource, size);
        GlobalUnlock(hCopy);
    } else if (hCopy != nullptr) {
        GlobalFree(hCopy);
        hCopy = nullptr;
    }
    GlobalUnlock(hSource);
    return hCopy;
}

FORMATETC AfxGlobalFormat(CLIPFORMAT cfFormat, const FORMATETC* lpFormatEtc)
{
    FORMATETC format = {cfFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (lpFormatEtc != nullptr) {
        format = *lpFormatEtc;
        format.cfFormat = cfFormat;
        format.tymed = TYMED_HGLOBAL;
    }
    return format;
}

void COleDataObject::Attach(IDataObject* lpDataObject, BOOL bAutoRelease)
{
    Release();
    m_lpDataObject = lpDataObject;
    m_bAutoRelease = bAutoRelease;
}

IDataObject* COleDataObject::Detach()
{
    IDataObject* lpDataObject = m_lpDataObject;
    m_lpDataObject = nullptr;
    m_bAutoRelease = FALSE;
    return lpDataObject;
}

void COleDataObject::Release()
{
    if (m_lpDataObject != nullptr && m_bAutoRelease)
        m_lpDataObject->Release();
    m_lpDataObject = nullptr;
    m_bAutoRelease = FALSE;
}

BOOL COleDataObject::AttachClipboard()
{
    IDataObject* lpDataObject = nullptr;
    if (FAILED(OleGetClipboard(&lpDataObject)) || lpDataObject == nullptr)
        return FALSE;
    Attach(lpDataObject, TRUE);
    return TRUE;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc) const
{
    if (m_lpDataObject == nullptr)
        return FALSE;
    FORMATETC format = AfxGlobalFormat(cfFormat, lpFormatEtc);
    return m_lpDataObject->QueryGetData(&format) == S_OK;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc) const
{
    if (m_lpDataObject == nullptr)
        return nullptr;
    FORMATETC format = AfxGlobalFormat(cfFormat, lpFormatEtc);
    STGMEDIUM medium = {};
    if (FAILED(m_lpDataObject->GetData(&format, &medium)))
        return nullptr;
    if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr) {
        ReleaseStgMedium(&medium);
        return nullptr;
    }
    if (medium.pUnkForRelease == nullptr)
        return medium.hGlobal;
    // The block still belongs to the source: hand the caller a copy of its own.
    HGLOBAL hCopy = AfxCopyGlobalMemory(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return hCopy;
}

IDataObject* COleDataObject::GetIDataObject(BOOL bAddRef) const
{
    if (m_lpDataObject != nullptr && bAddRef)
        m_lpDataObject->AddRef();
    return m_lpDataObject;
}
