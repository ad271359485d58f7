// CShellPidlCompare: orders two relative item-id lists of one folder by the folder's CompareIDs
// (a before b when the code is negative). The ordering object of the item-id map that the merge
// refresh and the folder tree use.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <map>

class CShellPidlCompare
{
public:
    explicit CShellPidlCompare(IShellFolder* folder) : m_folder(folder) {}
    virtual ~CShellPidlCompare() = default;

    bool operator()(LPCITEMIDLIST a, LPCITEMIDLIST b) const
    {
        const HRESULT hr = m_folder->CompareIDs(0, a, b);
        return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) < 0;
    }

private:
    IShellFolder* m_folder;
};

// Relative item-id list (borrowed) to its row.
using CShellPidlMap = std::map<LPCITEMIDLIST, int, CShellPidlCompare>;
