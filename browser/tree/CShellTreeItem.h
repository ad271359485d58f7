// CShellTreeItem: the record behind one folder tree item, kept in the item's lParam: the parent
// folder (a reference), the item's relative list and its absolute list (both owned). The tree
// item owns its record; TVN_DELETEITEM frees it.
#pragma once

#include <windows.h>
#include <shlobj.h>

class CShellTreeItem
{
public:
    // Takes a reference to the parent and copies of the item (first item only) and of the
    // parent's absolute list joined with it; parentAbsolute null for the desktop's children.
    CShellTreeItem(IShellFolder* parent, LPCITEMIDLIST relative, LPCITEMIDLIST parentAbsolute);
    ~CShellTreeItem();
    CShellTreeItem(const CShellTreeItem&) = delete;
    CShellTreeItem& operator=(const CShellTreeItem&) = delete;

    bool IsValid() const { return m_parent != nullptr && m_relative != nullptr && m_absolute != nullptr; }
    IShellFolder* Parent() const { return m_parent; }
    LPCITEMIDLIST Relative() const { return m_relative; }
    LPCITEMIDLIST Absolute() const { return m_absolute; }
    // After a rename: the item's new relative list; the absolute list follows it.
    bool ReplaceRelative(LPCITEMIDLIST relative);
    // The item's own folder (a new reference the caller releases); null when it cannot bind.
    IShellFolder* BindFolder() const;
    // The parent's attributes of the item among the asked ones (Wine answers all of them
    // whatever the mask, so only the asked bits are kept); 0 when the call fails.
    ULONG Attributes(ULONG wanted) const;
    // The user (or a selection) opened the item once: an empty opened folder is still watched
    // for new subfolders although the control cannot show it expanded.
    void MarkOpened() { m_opened = true; }
    bool WasOpened() const { return m_opened; }

private:
    IShellFolder* m_parent = nullptr;
    LPITEMIDLIST m_relative = nullptr;
    LPITEMIDLIST m_absolute = nullptr;
    bool m_opened = false;
};
