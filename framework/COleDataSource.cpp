#include "framework/COleDataSource.h"

#include "framework/COleDataObject.h"

#include <shlobj.h>

#include <vector>

namespace {

class CDataObjectImpl : public IDataObject
{
public:
    virtual ~CDataObjectImpl()
    {
        for (const Entry& entry : m_entries)
            GlobalFree(entry.hGlobal);
    }

    void Add(const FORMATETC& format, HGLOBAL hGlobal)
    {
        for (Entry& entry : m_entries) {
            if (entry.format.cfFormat == format.cfFormat) {
                GlobalFree(entry.hGlobal);
                entry.hGlobal = hGlobal;
                return;
            }
        }
        m_entries.push_back({format, hGlobal});
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *ppv = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_nRef)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG nRef = InterlockedDecrement(&m_nRef);
        if (nRef == 0)
            delete this;
        return static_cast<ULONG>(nRef);
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override
    {
        if (pFormat == nullptr || pMedium == nullptr)
            return E_INVALIDARG;
        const Entry* pEntry = Find(*pFormat);
        if (pEntry == nullptr)
            return DV_E_FORMATETC;
        // The receiver frees its copy; the data object keeps the original.
        HGLOBAL hCopy = AfxCopyGlobalMemory(pEntry->hGlobal);
        if (hCopy == nullptr)
            return E_OUTOFMEMORY;
        pMedium->tymed = TYMED_HGLOBAL;
        pMedium->hGlobal = hCopy;
        pMedium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pFormat) override
    {
        return pFormat != nullptr && Find(*pFormat) != nullptr ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut) override
    {
        if (pOut != nullptr)
            pOut->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) override
    {
        if (ppEnum == nullptr)
            return E_POINTER;
        *ppEnum = nullptr;
        if (dwDirection != DATADIR_GET)
            return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        for (const Entry& entry : m_entries)
            formats.push_back(entry.format);
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), ppEnum);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    struct Entry
    {
        FORMATETC format;
        HGLOBAL hGlobal;
    };

    const Entry* Find(const FORMATETC& format) const
    {
        if ((format.tymed & TYMED_HGLOBAL) == 0 || format.dwAspect != DVASPECT_CONTENT)
            return nullptr;
        for (const Entry& entry : m_entries) {
            if (entry.format.cfFormat == format.cfFormat)
                return &entry;
        }
        return nullptr;
    }

    LONG m_nRef = 1;
    std::vector<Entry> m_entries;
};

// Drops on release of the buttons, cancels on Escape.
class CDropSourceImpl : public IDropSource
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *ppv = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of DoDragDrop.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override
    {
        if (fEscapePressed)
            return DRAGDROP_S_CANCEL;
        if ((grfKeyState & (MK_LBUTTON | MK_RBUTTON)) == 0)
            return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

} // namespace

COleDataSource::COleDataSource() : m_pDataObject(new CDataObjectImpl)
{
}

COleDataSource::~COleDataSource()
{
    m_pDataObject->Release();
}

BOOL COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc)
{
    if (hGlobal == nullptr)
        return FALSE;
    if (lpFormatEtc != nullptr && (lpFormatEtc->tymed & TYMED_HGLOBAL) == 0) {
        GlobalFree(hGlobal);
        return FALSE;
    }
    const FORMATETC format = AfxGlobalFormat(cfFormat, lpFormatEtc);
    static_cast<CDataObjectImpl*>(m_pDataObject)->Add(format, hGlobal);
    return TRUE;
}

DROPEFFECT COleDataSource::DoDragDrop(DWORD dwEffects)
{
    CDropSourceImpl source;
    DWORD dwEffect = DROPEFFECT_NONE;
    const HRESULT hr = ::DoDragDrop(m_pDataObject, &source, dwEffects, &dwEffect);
    return hr == DRAGDROP_S_DROP ? dwEffect : DROPEFFECT_NONE;
}

BOOL COleDataSource::SetClipboard()
{
    return SUCCEEDED(OleSetClipboard(m_pDataObject));
}
