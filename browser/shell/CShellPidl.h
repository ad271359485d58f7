// CShellPidl: copies, joins, names and frees item-id lists with the shell allocator; holds its own
// desktop folder. Lists it returns are freed with FreePidl. A base of the folder tree too.
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <shlobj.h>

class CShellPidl
{
public:
    CShellPidl();
    CShellPidl(const CShellPidl&) = delete;
    CShellPidl& operator=(const CShellPidl&) = delete;
    virtual ~CShellPidl();

    // Allocates the name (exact length) with the allocator; *out is null first. The offset
    // string is read from `item`, the item the STRRET belongs to.
    virtual HRESULT StrRetToStr(STRRET strret, char** out, LPCITEMIDLIST item);
    virtual HRESULT PathToPidl(const char* path, LPITEMIDLIST* out, IShellFolder* folder);
    virtual HRESULT GetDisplayName(LPCITEMIDLIST pidl, CString& out, IShellFolder* folder, DWORD flags);

    static void* Alloc(UINT size);
    static LPITEMIDLIST ConcatPidls(LPCITEMIDLIST first, LPCITEMIDLIST second);
    // Only the first item and a terminator.
    LPITEMIDLIST CopyItemID(LPCITEMIDLIST pidl) const;
    // Name into a buffer of 260; 1 on success, 0 otherwise.
    static int GetName(IShellFolder* folder, LPCITEMIDLIST pidl, DWORD flags, char name[MAX_PATH]);
    static int GetIcon(LPCITEMIDLIST pidl, UINT flags);
    static int GetIcon(const char* path, UINT flags);
    bool ComparePidls(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) const;
    IMalloc* GetMalloc() const { return m_malloc; }
    IShellFolder* GetDesktop() const { return m_desktop; }
    void FreePidl(LPITEMIDLIST pidl) const;
    // Null for null.
    LPITEMIDLIST CopyPidl(LPCITEMIDLIST pidl) const;
    UINT GetItemCount(LPCITEMIDLIST pidl) const;
    // The shell's context menu of one item at a screen point; the chosen verb is run. True when
    // the menu was shown (also when nothing was chosen); false when it could not be built.
    bool DoContextMenu(HWND owner, IShellFolder* parent, LPCITEMIDLIST child, const POINT* screenPoint) const;
    // n 0 or 1: the first item; n > 1: the n-th (the last when shorter); n < 0: null.
    LPITEMIDLIST CopyItemAt(LPCITEMIDLIST pidl, int n) const;

protected:
    IShellFolder* m_desktop = nullptr;
    IMalloc* m_malloc = nullptr;
    BYTE m_flags[3] = {};
};
