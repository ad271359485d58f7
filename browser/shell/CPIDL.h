// CPIDL: one owned item-id list, freed with the shell allocator on destruction and on every
// replacement.
#pragma once

#include <windows.h>
#include <shlobj.h>

class CPIDL
{
public:
    CPIDL() = default;
    // Empty, then SetFromPath against the given folder (null: the desktop).
    CPIDL(const char* path, IShellFolder* folder);
    CPIDL(const CPIDL&) = delete;
    CPIDL& operator=(const CPIDL&) = delete;
    virtual ~CPIDL();

    void Free();
    void Attach(LPITEMIDLIST pidl);
    LPITEMIDLIST Detach();
    LPITEMIDLIST Get() const { return m_pidl; }

    // Parses a path (null folder: the desktop); paths of 260 characters or more are refused.
    HRESULT SetFromPath(const char* path, IShellFolder* folder);
    // The absolute list of a folder's child, through its parsing name.
    HRESULT SetFromFolderItem(IShellFolder* folder, LPCITEMIDLIST child);
    // Parent: every item but the last (only when there is one); child: the last item.
    void Split(CPIDL& parent, CPIDL& child) const;
    // A UI object (context menu, data object, drop target) of the list's last item, asked of
    // its parent folder.
    HRESULT GetUIObjectOf(REFIID riid, void** out, HWND owner) const;

private:
    LPITEMIDLIST m_pidl = nullptr;
};
