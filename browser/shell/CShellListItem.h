// CShellListItem: the record behind one row of the shell file list: the folder that owns the
// item, its relative and absolute item-id lists (owned), its attributes and its file type.
#pragma once

#include "browser/shell/PidlBytes.h"
#include "framework/CString.h"
#include "render/cache/KBMP.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

class CShellListItem
{
public:
    // Type of a folder row; a file of no known type is CDrawingFileInfo::kEmptyType (-2).
    static const int kFolderType = -1;

    // Takes a reference to the folder and copies of both lists.
    CShellListItem(IShellFolder* folder, LPCITEMIDLIST relative, LPCITEMIDLIST folderAbsolute);
    ~CShellListItem();
    CShellListItem(const CShellListItem&) = delete;
    CShellListItem& operator=(const CShellListItem&) = delete;

    bool IsValid() const { return m_relative != nullptr && m_absolute != nullptr; }
    bool IsFolder() const { return fileType == kFolderType; }
    IShellFolder* Folder() const { return m_folder; }
    LPCITEMIDLIST Relative() const { return m_relative; }
    LPCITEMIDLIST Absolute() const { return m_absolute; }
    // Takes copies of the item's new lists (the same item, its size or time changed: the lists
    // carry them); false, keeping the old lists, when they cannot be copied.
    bool ReplaceLists(LPCITEMIDLIST relative, LPCITEMIDLIST folderAbsolute);

    ULONG attributes = 0;
    int fileType = kFolderType;
    // The state word of the row's last thumbnail result: 0 served from the cache (or an interim
    // picture), 1 rendered or read, 2 placeholder (queued again after a fill), 3 stored preview.
    UINT thumbState = 0;
    std::unique_ptr<KBMP> thumbnail;
    // The job's ticket (0: none): results find their item through it, whatever row it is on now.
    int jobTicket = 0;
    // The job's place in the thread's queue (-1: none), where the thread starts after a scroll.
    int jobOrdinal = -1;
    // The file's size in bytes when the row was filled (0 for folders).
    unsigned long long size = 0;
    // What the row's Size, Time and Type cells show, kept so that they can be made when first
    // read: whether the file was found (size and time known), its last write in local time and
    // the name of its type.
    bool listed = false;
    FILETIME written = {};
    CString typeName;
    // The list's row data of this item (the key that finds its row, wherever sorting put it).
    const void* rowKey = nullptr;
    // The row the item was last found on (-1: not yet); checked against rowKey before use.
    mutable int rowHint = -1;
    // The item's parsing name in lower case, taken when its row was made: a merge matches the
    // folder's items against it (the relative list never changes, so neither does the name).
    std::string mergeKey;
    // On the clipboard to be moved (Cut): the row is dimmed until the clipboard changes.
    bool cut = false;
    // The width of the row's name in the list's font (-1: not measured since the name was set).
    int nameExtent = -1;

private:
    IShellFolder* m_folder = nullptr;
    LPITEMIDLIST m_relative = nullptr;
    LPITEMIDLIST m_absolute = nullptr;
};
