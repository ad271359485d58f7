// CTreeWatchThread: an idle-priority thread that waits for folder-name changes in a set of
// folders and tells the folder tree with WM_TREE_FOLDERSCHANGED. A drive watch is a set of one
// drive root watched with its subtree; the expanded-folder watch holds every expanded folder of
// the tree without subtrees (Wine's subtree watch misses changes inside folders that existed
// when it began). TreeWatchSignal holds what the threads share with the tree: at most one
// report waits in the tree's queue at a time, so a burst of changes gives one refresh.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct WorkerAppState;

struct TreeWatchSignal
{
    HWND tree = nullptr;
    // Read without a lock: set once the application closes.
    const WorkerAppState* app = nullptr;
    // A report waits in the tree's queue; the tree clears it before it refreshes.
    std::atomic<bool> posted{false};
    std::atomic<int> reports{0};

    // Posts one report unless one is waiting, the window is gone or the application closes.
    void Post();
};

class CTreeWatchThread
{
public:
    // Starts threads; replaceable so that a test can make a start fail.
    using ThreadStarter = HANDLE (*)(LPTHREAD_START_ROUTINE proc, void* param);
    static ThreadStarter SetThreadStarter(ThreadStarter starter);

    // How long an owner waits for the thread; one that has not ended keeps its state alive.
    static constexpr DWORD kStopWaitMs = 6000;
    // At most this many folders of a set are watched (one wait holds 64 handles).
    static constexpr size_t kMaxFolders = 60;

    CTreeWatchThread() = default;
    ~CTreeWatchThread();
    CTreeWatchThread(const CTreeWatchThread&) = delete;
    CTreeWatchThread& operator=(const CTreeWatchThread&) = delete;

    // Starts watching the folders; false when the thread cannot start (nothing is then held).
    bool Start(const std::vector<CString>& folders, bool subtree, std::shared_ptr<TreeWatchSignal> signal);
    // Replaces the set of watched folders.
    void WatchFolders(const std::vector<CString>& folders);
    // Asks the thread to end without waiting.
    void SignalStop();
    // Waits until the thread ends or the deadline (GetTickCount64) passes; true when it ended.
    bool WaitEnded(ULONGLONG deadline);
    bool IsRunning() const { return m_thread != nullptr; }
    // Whether the thread has already ended (a root that cannot be watched ends it at once).
    bool HasEnded() const;

private:
    struct State;
    static DWORD WINAPI ThreadProc(void* param);

    HANDLE m_thread = nullptr;
    std::shared_ptr<State> m_state;
};
