#include "browser/tree/DriveList.h"

#include <utility>

namespace
{
DriveListFunction& InstalledFunction()
{
    static DriveListFunction function;
    return function;
}
} // namespace

std::vector<DriveEntry> SystemDriveList()
{
    std::vector<DriveEntry> drives;
    char buffer[MAX_PATH] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof(buffer) - 1, buffer);
    // 0 is a failure and a length beyond the buffer a list that did not fit: nothing is listed.
    if (length == 0 || length >= sizeof(buffer))
        return drives;
    for (const char* root = buffer; *root != '\0' && root < buffer + length; root += lstrlenA(root) + 1)
        drives.push_back(DriveEntry{CString(root), GetDriveTypeA(root)});
    return drives;
}

std::vector<DriveEntry> GetDriveList()
{
    const DriveListFunction& function = InstalledFunction();
    return function ? function() : SystemDriveList();
}

DriveListFunction SetDriveListFunction(DriveListFunction function)
{
    return std::exchange(InstalledFunction(), std::move(function));
}

bool IsWatchedDriveType(UINT type)
{
    return type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK;
}

bool IsDriveRootPath(const char* path)
{
    return path != nullptr && IsCharAlphaA(path[0]) && path[1] == ':' && path[2] == '\\' && path[3] == '\0';
}

bool DriveListHasRoot(const std::vector<DriveEntry>& drives, const char* root)
{
    for (const DriveEntry& drive : drives) {
        if (lstrcmpiA(drive.root, root) == 0)
            return true;
    }
    return false;
}
