// ShellFileOps: the file operations of the browser's file commands, done by the shell's
// SHFileOperationA, and the checks that come before them: names a rename may use, folders a drop
// may go into, files a delete can take.
#pragma once

#include "framework/CString.h"
#include "framework/CStringList.h"

#include <windows.h>

#include <string>

namespace ShellFileOps
{
// The shell's list form: every non-empty path ended by a NUL, then one more NUL.
std::string MakeNulList(const CStringList& paths);
// A name for a file or folder in its own folder: not empty, no "\", "/", ":" or other character
// Windows reserves, not "." or "..", not ending in a dot or space, no device name ("con").
bool IsValidNewName(const CString& name);
// A missing path answers INVALID_FILE_ATTRIBUTES (every bit set): neither exists nor a folder.
bool PathExists(const CString& path);
bool IsExistingFolder(const CString& path);
// The last part of a path ("plan.dwg" of "C:\a\plan.dwg").
CString FileNameOf(const CString& path);
// The paths a delete could not take now: gone already, or held open by someone without sharing
// the delete. Answers whether every path can be deleted.
bool FindUndeletable(const CStringList& paths, CStringList& undeletable);
// Deletes the paths, to the recycle bin with undo; the caller has asked the user already, so
// the shell asks nothing. True when the shell reported success.
bool Delete(HWND owner, const CStringList& paths, bool allowUndo);
// Renames one file or folder within its folder.
bool Rename(HWND owner, const CString& from, const CString& to);
// Moves or copies every path into the folder. Paths already in that folder, and a folder into
// itself or below itself, are left out; false when nothing was left to do or the shell failed.
bool MoveOrCopyInto(HWND owner, bool move, const CStringList& paths, const CString& folder);
// Lists the paths one per line, at most maxLines and then "...".
CString JoinForMessage(const CStringList& paths, int maxLines = 10);
} // namespace ShellFileOps
