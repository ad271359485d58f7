// CFolderWatchThread: waits for file-system changes in the folder the shell file list shows and
// posts WM_SHELLLIST_CHANGED (0x9389, wParam kChangesLogged, lParam 1) to the list; the names of
// the items that changed are kept for the list to take (TakeChanges). The list hands the folder in
// (the thread never sends to the list, so it cannot block while the list waits for it), and only
// the list's own thread touches its refresh-pending flag and timers. Every wait is bounded; the
// object outlives its thread (a thread that does not end in time is left with its object).
#pragma once

#include "browser/shell/FolderChangeLog.h"
#include "framework/CString.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class DirectoryChangeReader;

constexpr UINT WM_SHELLLIST_CHANGED = WM_APP + 0x1389;
// WM_SHELLLIST_CHANGED's wParam from the watch thread: what changed is in its log. Others (the
// folder tree after a device change) post 0: the whole folder is to be read again.
constexpr WPARAM kChangesLogged = 1;

class CFolderWatchThread
{
public:
    static constexpr DWORD kStopWaitMs = 6000;

    CFolderWatchThread() = default;
    ~CFolderWatchThread();
    CFolderWatchThread(const CFolderWatchThread&) = delete;
    CFolderWatchThread& operator=(const CFolderWatchThread&) = delete;

    // Starts watching for the given window; false when the thread cannot start.
    bool Start(HWND list);
    // Re-arms on a folder (empty: watch nothing). Sizes and write times count with withSizes.
    void WatchFolder(const CString& folder, bool withSizes);
    // Signals the stop and waits up to kStopWaitMs; true when the thread has ended.
    bool Stop();
    bool IsRunning() const { return m_thread != nullptr; }
    // Number of change reports posted (for status and tests).
    int GetReportCount() const { return m_reports.load(); }
    // The names of the folder's items that changed since the last call (the log is emptied) and
    // whether each one's last record said it left the folder; false when some change is known
    // only as a change (the folder is to be read whole).
    bool TakeChanges(std::vector<std::string>& names, std::vector<char>& gone);

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Run();
    // Opens the reader on the folder handed in last; false when there is none to watch.
    bool Arm(DirectoryChangeReader& reader, unsigned& generation) const;

    HWND m_list = nullptr;
    HANDLE m_thread = nullptr;
    HANDLE m_stopEvent = nullptr;
    HANDLE m_changedEvent = nullptr;
    mutable std::mutex m_lock;
    CString m_folder;
    bool m_withSizes = false;
    // Counts the folders handed in: changes seen on an earlier one are not logged.
    unsigned m_generation = 0;
    FolderChangeLog m_log;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_reports{0};
};

// Stops a watch thread and frees it; one that did not end in time is left alive with its object
// rather than freed under it.
void StopAndRelease(std::unique_ptr<CFolderWatchThread>& watch);
