// ShellFileOperation: copies or moves files into one folder through the shell
// (SHFileOperationA with FOF_MULTIDESTFILES), which shows its own confirmations, progress and
// errors. Shared by the file list's and the folder tree's drops and pastes.
#pragma once

#include "framework/CStringList.h"

#include <windows.h>

#include <string>

namespace ShellFileOperation
{
// The double-zero-ended source list and the matching target list (the folder plus each
// source's name), in the sources' order. The folder gets one trailing "\". Sources already in
// the folder, and the folder itself or one above it, are left out.
void BuildLists(const CStringList& sources, CString folder, std::string& from, std::string& to);
// FO_MOVE or FO_COPY of every source into the folder; true when the shell did it all (nothing
// aborted). An empty list or folder, or nothing left to do, does nothing and gives false.
bool CopyOrMove(HWND owner, const CStringList& sources, const CString& folder, bool move);
} // namespace ShellFileOperation
