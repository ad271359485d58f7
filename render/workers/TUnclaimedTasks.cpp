#include "render/workers/TUnclaimedTasks.h"

#include "framework/CSingleLock.h"

#include <algorithm>

void TUnclaimedTasks::NoteUnanswered(TTask* task, HWND target, std::shared_ptr<const void> keepAlive)
{
    if (!task)
        return;
    CSingleLock lock(&m_lock, TRUE);
    m_entries.push_back({task, target, nullptr, std::move(keepAlive)});
}

void TUnclaimedTasks::NoteAnswered(HWND target)
{
    CSingleLock lock(&m_lock, TRUE);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [target](const Entry& e) { return e.target == target; }),
                    m_entries.end());
}

bool TUnclaimedTasks::IsAwaitingList() const
{
    CSingleLock lock(&m_lock, TRUE);
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const Entry& e) { return !e.kept && !e.task->m_taken; });
}

void TUnclaimedTasks::KeepFrom(TTaskList& queue)
{
    CSingleLock lock(&m_lock, TRUE);
    for (Entry& entry : m_entries) {
        if (!entry.kept && !entry.task->m_taken)
            entry.kept = queue.Detach(entry.task);
    }
    // What stayed in the queue was taken (or was never there) and goes with the queue.
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [](const Entry& e) { return !e.kept; }),
                    m_entries.end());
}

void TUnclaimedTasks::Prune()
{
    CSingleLock lock(&m_lock, TRUE);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [](const Entry& e) {
                                       return e.kept && (e.task->m_taken || !IsWindow(e.target));
                                   }),
                    m_entries.end());
}

size_t TUnclaimedTasks::GetKeptCount() const
{
    CSingleLock lock(&m_lock, TRUE);
    return static_cast<size_t>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.kept != nullptr; }));
}
