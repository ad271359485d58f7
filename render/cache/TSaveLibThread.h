// TSaveLibThread: the writer thread of one cache library. Flushes queue save tasks; the thread
// writes them in order, so the thumbnail thread never waits for the disk. g_bSavingLib counts the
// writers working through their queues (the folder watch ignores changes while it is above 0).
#pragma once

#include "framework/Afx.h"
#include "render/cache/TSaveLibTask.h"

#include <atomic>
#include <deque>
#include <memory>

extern std::atomic<int> g_bSavingLib;

class TSaveLibThread : public CWinThread
{
    DECLARE_DYNCREATE(TSaveLibThread)
public:
    TSaveLibThread();
    ~TSaveLibThread() override;

    // Starts the writer; the owner deletes it with Stop. Null when no thread could be started.
    static std::unique_ptr<TSaveLibThread> Start();

    BOOL InitInstance() override;
    int Run() override;

    // Queues a task that takes over records; false (records untouched) when it cannot be made.
    bool AddTask(const char* folder, TSingleImageArray& records, bool keepAll, int width,
                 int height);
    void Wake();
    // Asks the thread to end after the task in hand and waits up to timeoutMs. False when it
    // did not end: the object must then not be deleted.
    bool Stop(DWORD timeoutMs);
    // Nothing queued and nothing being written.
    bool IsIdle() const;

private:
    std::unique_ptr<TSaveLibTask> TakeTask();
    void WorkThroughQueue();

    std::deque<std::unique_ptr<TSaveLibTask>> m_tasks;
    CEvent m_event;
    mutable CCriticalSection m_lock;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_working{false};
};
