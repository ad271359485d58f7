// The program-wide shell objects: the desktop folder, the Send To folder (absolute list and bound
// folder, null when the system has none) and the system small-icon list. Made on first use, so
// no static initialiser depends on the order of others; never released.
#pragma once

#include <windows.h>
#include <shlobj.h>

struct ShellGlobals
{
    IShellFolder* desktop = nullptr;
    LPITEMIDLIST sendToPidl = nullptr;
    IShellFolder* sendToFolder = nullptr;
    HIMAGELIST smallIcons = nullptr;
    // The folder the Send To sort compares in (set just before each sort).
    IShellFolder* sortFolder = nullptr;

    static ShellGlobals& Get();
};

// Sort callback of the Send To records: the sort folder's order of the two relative lists; 0
// when the call fails.
int CompareSendToItems(LPCITEMIDLIST a, LPCITEMIDLIST b);
