// The drive list seam: which drive roots exist and their types. The tree asks it which drives to
// watch and which drive items to show; tests replace it (under Wine Z: is the whole Linux file
// system, which no test may watch or fill).
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <functional>
#include <vector>

struct DriveEntry
{
    CString root; // "C:\" (a test may give any folder)
    UINT type;    // DRIVE_FIXED, DRIVE_REMOTE, ...
};

using DriveListFunction = std::function<std::vector<DriveEntry>()>;

// The system's drives (GetLogicalDriveStringsA, GetDriveTypeA) in drive-string order.
std::vector<DriveEntry> SystemDriveList();
// The drives through the installed function (the system's when none is installed).
std::vector<DriveEntry> GetDriveList();
// Installs a function and returns the one it replaces; an empty function restores the system's.
DriveListFunction SetDriveListFunction(DriveListFunction function);

// Fixed, network and RAM drives are watched; removable and optical ones are not.
bool IsWatchedDriveType(UINT type);
// "X:\" (a drive's root as the shell names it).
bool IsDriveRootPath(const char* path);
// Whether the list holds this root (letters compared without case).
bool DriveListHasRoot(const std::vector<DriveEntry>& drives, const char* root);
