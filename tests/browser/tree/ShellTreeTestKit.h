// What the folder tree tests share: a drive list of the test's own, a recording stand-in for the
// file list, another process that changes folders, and folder helpers.
#pragma once

#include "browser/tree/DriveList.h"
#include "tests/support/HiddenWindow.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace treetest
{
// Installs a drive list the test changes at will; the system's comes back at the end.
class DriveListScope
{
public:
    DriveListScope();
    ~DriveListScope();
    DriveListScope(const DriveListScope&) = delete;
    DriveListScope& operator=(const DriveListScope&) = delete;

    void Set(std::vector<DriveEntry> drives) { *m_drives = std::move(drives); }
    // How often the tree has asked for the list since the scope began.
    int Calls() const { return *m_calls; }

private:
    std::shared_ptr<std::vector<DriveEntry>> m_drives;
    std::shared_ptr<int> m_calls;
    DriveListFunction m_previous;
};

// Stands in for the file list: records the folders the tree shows (freeing each posted list as
// the list does) and the folder-changed requests.
class RecordingList
{
public:
    RecordingList();
    HWND Get() const { return m_window.Get(); }

    std::vector<std::string> shownFolders;
    int changedRequests = 0;

private:
    orvo::test::HiddenWindow m_window;
};

// Runs "cmd /c <commands>" in the folder and waits (bounded) for it to end; true when it ran.
bool RunInOtherProcess(const std::string& folder, const std::string& commands);
bool MakeFolders(const std::string& base, const std::vector<std::string>& relative);
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
bool SamePath(const CString& a, const std::string& b);
} // namespace treetest
