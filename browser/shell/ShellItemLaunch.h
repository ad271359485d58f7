// Running a shell verb on an item (its default verb, "properties"): the one place the file list
// starts other programs or the shell's windows. Tests replace the launcher so nothing starts.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>

using ShellItemLaunchHandler = std::function<bool(HWND owner, LPCITEMIDLIST item, const char* path, const char* verb)>;

// ShellExecuteExA with SEE_MASK_INVOKEIDLIST, SW_SHOW, the item's absolute item-id list (or its
// path when there is none) and the verb (null: the default verb); true when it ran.
bool ShellItemLaunch(HWND owner, LPCITEMIDLIST item, const char* path, const char* verb);
// Installs a launcher and returns the one it replaces; an empty one restores the shell.
ShellItemLaunchHandler SetShellItemLaunchHandler(ShellItemLaunchHandler handler);
