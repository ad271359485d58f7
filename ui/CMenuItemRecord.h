// CMenuItemRecord: the item data of a menu item the image menu manager draws. A record is known
// by its signature and, before anything reads it, by its membership in the set of live records:
// another program's owner-drawn item may carry data that merely starts with the same bytes.
#pragma once

#include "framework/AfxWin.h"

#include <memory>

struct IUnknown;

class CMenuItemRecord
{
public:
    static const DWORD kSignature = 0x3064696D; // "mid0"

    CMenuItemRecord();
    ~CMenuItemRecord();
    CMenuItemRecord(const CMenuItemRecord&) = delete;
    CMenuItemRecord& operator=(const CMenuItemRecord&) = delete;

    // The record behind an item's data, or null when the data is not a live record.
    static CMenuItemRecord* FromItemData(ULONG_PTR data);
    ULONG_PTR AsItemData() const { return reinterpret_cast<ULONG_PTR>(this); }
    // Owns the icon from now on (the previous one is destroyed).
    void SetIcon(HICON icon);

    DWORD m_signature = kSignature;
    CString m_strText;
    UINT m_nType = 0;
    int m_nImage = -1; // -1 no image, -2 the icon
    HICON m_hIcon = nullptr;
    ULONG_PTR m_dwCallerData = 0;
    IUnknown* m_pShellObject = nullptr; // held with a reference
};
