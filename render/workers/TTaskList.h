// TTaskList: the queue of thumbnail jobs. It owns every job from Add until RemoveAll; the
// searches start at the first item in view and wrap around.
#pragma once

#include "render/workers/TTask.h"

#include <memory>
#include <vector>

class TTaskList
{
public:
    TTaskList() = default;
    TTaskList(const TTaskList&) = delete;
    TTaskList& operator=(const TTaskList&) = delete;

    // Takes the job over; its index, or -1 for a null job.
    int Add(TTask* task);
    // Null for an index outside the list.
    TTask* GetAt(int index) const;
    int GetCount() const { return static_cast<int>(m_tasks.size()); }
    void RemoveAll();
    // Hands the job over to the caller and takes it out of the list (null when not in it).
    std::unique_ptr<TTask> Detach(const TTask* task);
    // The next undone job that is still (or no longer) cache-first and not with a worker, from
    // start on, then from 0.
    int FindNextCacheFirst(int start) const;
    // The same among the jobs of one file type.
    int FindNextCacheFirstOfType(int start, int fileType) const;
    int FindNextToRender(int start) const;
    // The first job, from 0, that is done and not yet taken.
    TTask* GetFinishedTask() const;

private:
    // fileType -1: any.
    int FindNext(int start, bool cacheFirst, int fileType = -1) const;

    std::vector<std::unique_ptr<TTask>> m_tasks;
};
