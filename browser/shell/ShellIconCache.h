// ShellIconCache: the system icon index and the type name of files by extension, asked of the
// shell once per extension (asking per item through its item-id list costs milliseconds each).
// Files that carry their own icon (programs, shortcuts, icons) are asked one by one.
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>

class ShellIconCache
{
public:
    // The small-icon index of a file-system item: by its name and folder bit, or through its
    // absolute list when the file has an icon of its own.
    int IconIndex(const CString& name, bool folder, LPCITEMIDLIST absolute);
    CString TypeName(const CString& name, bool folder);
    void Clear();

private:
    static std::string ExtensionKey(const CString& name, bool folder);

    std::map<std::string, int> m_icons;
    std::map<std::string, CString> m_types;
};
