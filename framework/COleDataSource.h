// COleDataSource: data offered to other windows (a drag or the clipboard) through an in-process
// IDataObject. Each cached block belongs to the data object: it is freed once, when the last
// reference to the object goes, whoever holds that reference (the drag loop, the clipboard or a
// caller that kept it).
#pragma once

#include <windows.h>

#include <ole2.h>

// The drop effect bits (DROPEFFECT_COPY, ...), as the class library names their type.
using DROPEFFECT = DWORD;

class COleDataSource
{
public:
    COleDataSource();
    // Lets go of this owner's reference; others may keep the data object alive.
    ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Takes ownership of hGlobal (also when the call fails, the block is freed then).
    BOOL CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc = nullptr);
    // Runs the modal OLE drag loop with this data; answers the effect the target chose.
    DROPEFFECT DoDragDrop(DWORD dwEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    // Puts the data object on the clipboard (the clipboard keeps its own reference).
    BOOL SetClipboard();
    // The data object itself, without an added reference.
    IDataObject* GetDataObject() const { return m_pDataObject; }

private:
    IDataObject* m_pDataObject = nullptr;
};
