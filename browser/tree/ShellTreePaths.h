// Path tests the folder tree shares between its parts.
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <shlobj.h>

namespace ShellTreePaths
{
// A directory that is not read-only: where files may be dropped or pasted.
inline bool IsWritableDirectory(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

// The file-system path of an absolute list (260 characters at most); false when it has none.
inline bool PathOfList(LPCITEMIDLIST absolute, CString& path)
{
    char buffer[MAX_PATH] = {};
    if (absolute == nullptr || !SHGetPathFromIDListA(absolute, buffer) || buffer[0] == '\0')
        return false;
    path = buffer;
    return true;
}
} // namespace ShellTreePaths
