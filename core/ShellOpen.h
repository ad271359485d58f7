// Opening a document or address with the shell's "open" verb (web pages, mail, the help file).
// Tests replace the launcher so that nothing is started.
#pragma once

#include <windows.h>

#include <functional>

using ShellOpenHandler = std::function<bool(HWND owner, const char* target)>;

// ShellExecuteA(owner, "open", target, no parameters, no folder, SW_SHOWNORMAL); true when the
// shell started it.
bool ShellOpen(HWND owner, const char* target);
// Installs a launcher and returns the one it replaces; an empty one restores the shell.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);
