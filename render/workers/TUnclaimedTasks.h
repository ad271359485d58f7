// TUnclaimedTasks: finished thumbnail jobs whose message to the list got no answer. A blocking
// send that times out is not called back: the list may still be handling it, and then it reads
// the job and takes its picture. Such a job must outlive the queue that held it, so it is kept
// here when the queue is emptied. It is let go once the list has taken it, once a later send to
// the same window was answered (a window's thread handles sent messages in the order they were
// sent, so the earlier one is over), or once that window is gone.
#pragma once

#include "framework/CCriticalSection.h"
#include "render/workers/TTaskList.h"

#include <windows.h>

#include <memory>
#include <vector>

class TUnclaimedTasks
{
public:
    TUnclaimedTasks() = default;
    TUnclaimedTasks(const TUnclaimedTasks&) = delete;
    TUnclaimedTasks& operator=(const TUnclaimedTasks&) = delete;

    // A job of the queue whose send to target went unanswered; keepAlive (when given) is what
    // else that message let the list read, kept as long as the job is.
    void NoteUnanswered(TTask* task, HWND target, std::shared_ptr<const void> keepAlive = nullptr);
    // A send to target was answered: every earlier one to it is over.
    void NoteAnswered(HWND target);
    // A job of the queue is still out with the list and not taken.
    bool IsAwaitingList() const;
    // Before the queue is emptied: takes over its jobs that are still out with the list.
    void KeepFrom(TTaskList& queue);
    // Lets go of kept jobs that nothing can reach any more.
    void Prune();
    size_t GetKeptCount() const;

private:
    struct Entry
    {
        TTask* task;
        HWND target;
        std::unique_ptr<TTask> kept; // null while the queue still owns the job
        std::shared_ptr<const void> keepAlive;
    };

    mutable CCriticalSection m_lock;
    std::vector<Entry> m_entries;
};
