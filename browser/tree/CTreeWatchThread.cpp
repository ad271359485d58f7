#include "browser/tree/CTreeWatchThread.h"

#include "browser/shell/TreeMessages.h"
#include "render/workers/WorkerAppState.h"

#include <utility>

namespace
{
// How long one wait lasts before the closing flag is looked at again.
constexpr DWORD kPollMs = 1000;

HANDLE StartThread(LPTHREAD_START_ROUTINE proc, void* param)
{
    return CreateThread(nullptr, 0, proc, param, 0, nullptr);
}

CTreeWatchThread::ThreadStarter& Starter()
{
    static CTreeWatchThread::ThreadStarter starter = &StartThread;
    return starter;
}

bool IsClosing(const WorkerAppState* app)
{
    return app != nullptr && app->closing.load();
}
} // namespace

void TreeWatchSignal::Post()
{
    if (IsClosing(app) || posted.exchange(true))
        return;
    if (IsWindow(tree) && PostMessageA(tree, WM_TREE_FOLDERSCHANGED, 0, 0))
        ++reports;
    else
        posted = false;
}

// Shared by the object and its thread: a thread that outlives its object keeps it alive.
struct CTreeWatchThread::State
{
    std::shared_ptr<TreeWatchSignal> signal;
    bool subtree = false;
    HANDLE stop = nullptr;
    HANDLE changed = nullptr;
    std::mutex lock;
    std::vector<CString> folders;

    ~State()
    {
        if (stop)
            CloseHandle(stop);
        if (changed)
            CloseHandle(changed);
    }
    std::vector<CString> Folders()
    {
        std::lock_guard<std::mutex> guard(lock);
        return folders;
    }
};

namespace
{
// The change handles of the folders that can be watched.
class ChangeHandles
{
public:
    ~ChangeHandles() { Close(); }
    void Arm(const std::vector<CString>& folders, bool subtree)
    {
        Close();
        for (const CString& folder : folders) {
            if (m_handles.size() >= CTreeWatchThread::kMaxFolders)
                break;
            HANDLE change = FindFirstChangeNotificationA(folder, subtree, FILE_NOTIFY_CHANGE_DIR_NAME);
            if (change != INVALID_HANDLE_VALUE)
                m_handles.push_back(change);
        }
    }
    void Close()
    {
        for (HANDLE change : m_handles)
            FindCloseChangeNotification(change);
        m_handles.clear();
    }
    const std::vector<HANDLE>& Handles() const { return m_handles; }

private:
    std::vector<HANDLE> m_handles;
};
} // namespace

DWORD WINAPI CTreeWatchThread::ThreadProc(void* param)
{
    // Ownership of the reference hands over to this thread here.
    std::unique_ptr<std::shared_ptr<State>> owned(static_cast<std::shared_ptr<State>*>(param));
    const std::shared_ptr<State> state = *owned;
    try {
        ChangeHandles changes;
        changes.Arm(state->Folders(), state->subtree);
        // A drive root that cannot be watched ends its thread at once.
        if (state->subtree && changes.Handles().empty())
            return 1;
        while (!IsClosing(state->signal->app)) {
            std::vector<HANDLE> handles = {state->stop, state->changed};
            handles.insert(handles.end(), changes.Handles().begin(), changes.Handles().end());
            const DWORD count = static_cast<DWORD>(handles.size());
            const DWORD result = WaitForMultipleObjects(count, handles.data(), FALSE, kPollMs);
            if (result == WAIT_TIMEOUT)
                continue;
            if (result == WAIT_OBJECT_0 || result >= WAIT_OBJECT_0 + count || IsClosing(state->signal->app))
                break;
            if (result == WAIT_OBJECT_0 + 1) {
                changes.Arm(state->Folders(), state->subtree);
                continue;
            }
            FindNextChangeNotification(handles[result - WAIT_OBJECT_0]);
            state->signal->Post();
        }
    } catch (...) {
        // Nothing leaves the thread: the folders are simply no longer watched.
    }
    return 0;
}

CTreeWatchThread::ThreadStarter CTreeWatchThread::SetThreadStarter(ThreadStarter starter)
{
    return std::exchange(Starter(), starter != nullptr ? starter : &StartThread);
}

CTreeWatchThread::~CTreeWatchThread()
{
    // No wait here: the owner waits (bounded) before it lets go, and a thread that has not ended
    // by then holds its own reference to everything it uses.
    SignalStop();
    if (m_thread)
        CloseHandle(m_thread);
}

bool CTreeWatchThread::Start(const std::vector<CString>& folders, bool subtree, std::shared_ptr<TreeWatchSignal> signal)
{
    if (m_thread || !signal)
        return false;
    auto state = std::make_shared<State>();
    state->signal = std::move(signal);
    state->subtree = subtree;
    state->folders = folders;
    state->stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    state->changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!state->stop || !state->changed)
        return false;
    auto param = std::make_unique<std::shared_ptr<State>>(state);
    HANDLE thread = Starter()(&CTreeWatchThread::ThreadProc, param.get());
    if (!thread)
        return false; // the reference stays with this function and goes with it
    static_cast<void>(param.release()); // the thread owns it now
    SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
    m_thread = thread;
    m_state = std::move(state);
    return true;
}

void CTreeWatchThread::WatchFolders(const std::vector<CString>& folders)
{
    if (!m_state)
        return;
    {
        std::lock_guard<std::mutex> guard(m_state->lock);
        m_state->folders = folders;
    }
    SetEvent(m_state->changed);
}

void CTreeWatchThread::SignalStop()
{
    if (m_state)
        SetEvent(m_state->stop);
}

bool CTreeWatchThread::WaitEnded(ULONGLONG deadline)
{
    if (!m_thread)
        return true;
    const ULONGLONG now = GetTickCount64();
    const DWORD wait = deadline > now ? static_cast<DWORD>(deadline - now) : 0;
    if (WaitForSingleObject(m_thread, wait) != WAIT_OBJECT_0)
        return false; // the thread keeps its own reference to the state
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_state.reset();
    return true;
}

bool CTreeWatchThread::HasEnded() const
{
    return m_thread == nullptr || WaitForSingleObject(m_thread, 0) == WAIT_OBJECT_0;
}
