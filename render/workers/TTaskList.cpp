#include "render/workers/TTaskList.h"

int TTaskList::Add(TTask* task)
{
    if (!task)
        return -1;
    std::unique_ptr<TTask> owned(task);
    m_tasks.push_back(std::move(owned));
    return GetCount() - 1;
}

TTask* TTaskList::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_tasks[static_cast<size_t>(index)].get();
}

void TTaskList::RemoveAll()
{
    m_tasks.clear();
    m_tasks.shrink_to_fit();
}

std::unique_ptr<TTask> TTaskList::Detach(const TTask* task)
{
    for (auto it = m_tasks.begin(); it != m_tasks.end(); ++it) {
        if (it->get() == task) {
            std::unique_ptr<TTask> out = std::move(*it);
            m_tasks.erase(it);
            return out;
        }
    }
    return nullptr;
}

int TTaskList::FindNext(int start, bool cacheFirst, int fileType) const
{
    const int count = GetCount();
    if (count == 0)
        return -1;
    const int first = start < 0 ? 0 : (start >= count ? count - 1 : start);
    for (int step = 0; step < count; ++step) {
        const int i = (first + step) % count;
        const TTask& task = *m_tasks[static_cast<size_t>(i)];
        if (!task.m_done && !task.m_inWork && task.m_cacheFirst == cacheFirst &&
            (fileType < 0 || task.m_fileType == fileType))
            return i;
    }
    return -1;
}

int TTaskList::FindNextCacheFirst(int start) const
{
    return FindNext(start, true);
}

int TTaskList::FindNextCacheFirstOfType(int start, int fileType) const
{
    return FindNext(start, true, fileType);
}

int TTaskList::FindNextToRender(int start) const
{
    return FindNext(start, false);
}

TTask* TTaskList::GetFinishedTask() const
{
    for (const auto& task : m_tasks)
        if (task->m_done && !task->m_taken)
            return task.get();
    return nullptr;
}
