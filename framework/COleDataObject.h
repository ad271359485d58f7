// COleDataObject: the receiving side of OLE data (a drop or the clipboard) over an IDataObject.
#pragma once

#include <windows.h>

#include <ole2.h>

// A copy of a global memory block that the caller owns; null when it cannot be made.
HGLOBAL AfxCopyGlobalMemory(HGLOBAL hSource);
// The FORMATETC of a format in global memory: the given one with the format put in, or the
// content aspect of the whole data.
FORMATETC AfxGlobalFormat(CLIPFORMAT cfFormat, const FORMATETC* lpFormatEtc);

class COleDataObject
{
public:
    COleDataObject() = default;
    ~COleDataObject() { Release(); }
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    // With bAutoRelease the object releases the interface when it ends or is replaced.
    void Attach(IDataObject* lpDataObject, BOOL bAutoRelease = TRUE);
    IDataObject* Detach();
    void Release();
    BOOL AttachClipboard();

    BOOL IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr) const;
    // A global block of the format that the caller owns (GlobalFree), or null.
    HGLOBAL GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr) const;
    IDataObject* GetIDataObject(BOOL bAddRef) const;

private:
    IDataObject* m_lpDataObject = nullptr;
    BOOL m_bAutoRelease = FALSE;
};
