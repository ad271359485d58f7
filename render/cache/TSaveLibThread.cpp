#include "render/cache/TSaveLibThread.h"

IMPLEMENT_DYNCREATE(TSaveLibThread, CWinThread)

std::atomic<int> g_bSavingLib{0};

namespace {

// Raises the writers' count for as long as a writer works through its queue.
class SavingScope
{
public:
    explicit SavingScope(std::atomic<bool>& working) : m_working(working)
    {
        ++g_bSavingLib;
        m_working = true;
    }
    // The count drops before the writer reports idle, so a waiter that saw it idle also sees
    // the count without it.
    ~SavingScope()
    {
        --g_bSavingLib;
        m_working = false;
    }
    SavingScope(const SavingScope&) = delete;
    SavingScope& operator=(const SavingScope&) = delete;

private:
    std::atomic<bool>& m_working;
};

} // namespace

TSaveLibThread::TSaveLibThread()
{
    // The owner deletes the object after the thread has ended (Stop), so that waiting for the
    // end never touches a deleted object.
    m_bAutoDelete = FALSE;
}

TSaveLibThread::~TSaveLibThread() = default;

std::unique_ptr<TSaveLibThread> TSaveLibThread::Start()
{
    auto thread = std::make_unique<TSaveLibThread>();
    if (!thread->CreateThread())
        return nullptr;
    return thread;
}

// The stop flag is not cleared here: a stop asked before the thread first ran must hold.
BOOL TSaveLibThread::InitInstance()
{
    return TRUE;
}

int TSaveLibThread::Run()
{
    while (!m_stop) {
        WaitForSingleObject(m_event.m_hObject, INFINITE);
        if (m_stop)
            break;
        WorkThroughQueue();
    }
    return 0;
}

void TSaveLibThread::WorkThroughQueue()
{
    SavingScope saving(m_working);
    while (!m_stop) {
        std::unique_ptr<TSaveLibTask> task = TakeTask();
        if (!task)
            break;
        task->Save();
    }
}

std::unique_ptr<TSaveLibTask> TSaveLibThread::TakeTask()
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_tasks.empty())
        return nullptr;
    std::unique_ptr<TSaveLibTask> task = std::move(m_tasks.front());
    m_tasks.pop_front();
    // Marked working before the lock is left, so IsIdle never sees an empty queue while the
    // task just taken is still unwritten.
    m_working = true;
    return task;
}

bool TSaveLibThread::AddTask(const char* folder, TSingleImageArray& records, bool keepAll,
                             int width, int height)
{
    std::unique_ptr<TSaveLibTask> task;
    try {
        task = std::make_unique<TSaveLibTask>(folder, std::move(records), keepAll, width, height);
    } catch (const std::bad_alloc&) {
        return false; // the records stay with the caller
    }
    try {
        CSingleLock lock(&m_lock, TRUE);
        m_tasks.push_back(std::move(task));
    } catch (const std::bad_alloc&) {
        // The queue could not grow: the task goes with its records, which the caller no
        // longer holds.
        task.reset();
    }
    records.clear();
    Wake();
    return true;
}

void TSaveLibThread::Wake()
{
    m_event.SetEvent();
}

bool TSaveLibThread::Stop(DWORD timeoutMs)
{
    m_stop = true;
    Wake();
    return WaitForSingleObject(m_hThread, timeoutMs) == WAIT_OBJECT_0;
}

bool TSaveLibThread::IsIdle() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_tasks.empty() && !m_working;
}
