#include "tests/browser/tree/ShellTreeTestKit.h"

#include "browser/shell/PidlBytes.h"
#include "browser/shell/TreeMessages.h"
#include "browser/shell/CFolderWatchThread.h"

#include <shlobj.h>

namespace treetest
{
DriveListScope::DriveListScope()
    : m_drives(std::make_shared<std::vector<DriveEntry>>()), m_calls(std::make_shared<int>(0))
{
    std::shared_ptr<std::vector<DriveEntry>> drives = m_drives;
    std::shared_ptr<int> calls = m_calls;
    m_previous = SetDriveListFunction([drives, calls] {
        ++*calls;
        return *drives;
    });
}

DriveListScope::~DriveListScope()
{
    SetDriveListFunction(m_previous);
}

RecordingList::RecordingList()
    : m_window([this](UINT message, WPARAM, LPARAM lParam) {
          if (message == WM_TREE_SHOWFOLDER) {
              auto* folder = reinterpret_cast<LPITEMIDLIST>(lParam);
              char path[MAX_PATH] = {};
              SHGetPathFromIDListA(folder, path);
              shownFolders.push_back(path);
              PidlBytes::Free(folder);
          } else if (message == WM_SHELLLIST_CHANGED && lParam == 1) {
              ++changedRequests;
          }
      })
{
}

bool RunInOtherProcess(const std::string& folder, const std::string& commands)
{
    std::string line = "cmd.exe /c " + commands;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                        &startup, &process))
        return false;
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

bool MakeFolders(const std::string& base, const std::vector<std::string>& relative)
{
    for (const std::string& name : relative) {
        if (!CreateDirectoryA((base + "\\" + name).c_str(), nullptr))
            return false;
    }
    return true;
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SamePath(const CString& a, const std::string& b)
{
    return lstrcmpiA(a, b.c_str()) == 0;
}
} // namespace treetest
