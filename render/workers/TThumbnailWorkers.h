// TThumbnailWorkers: the workers behind the thumbnail thread, one per core the program may use
// for them. The thumbnail thread hands them jobs of its queue and takes the finished ones back;
// it alone touches the queue and talks to the list, so the workers only make pictures. A job
// handed over stays the queue's: the thread empties its queue only once every job it handed out
// has come back (IsEmpty).
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TTask;
class TTaskManageThread;
class CDib;
class TThumbnailProducer;

class TThumbnailWorkers
{
public:
    enum class Pass { CacheFirst, Render };

    struct Result
    {
        TTask* task = nullptr;
        Pass pass = Pass::CacheFirst;
        UINT code = 0;
    };

    // At most this many workers, however many cores there are.
    static constexpr int kMaxWorkers = 8;

    // count is clamped to 1..kMaxWorkers; the workers start at once and wait for jobs.
    TThumbnailWorkers(TTaskManageThread& owner, int count);
    // Ends the workers after the jobs they are making (jobs not yet begun are dropped).
    ~TThumbnailWorkers();
    TThumbnailWorkers(const TThumbnailWorkers&) = delete;
    TThumbnailWorkers& operator=(const TThumbnailWorkers&) = delete;

    // The cores less one for the user interface and one for the drawing thread, in 1..kMaxWorkers.
    static int DefaultCount();

    int GetCount() const { return static_cast<int>(m_producers.size()); }
    // Jobs handed over and not yet taken back (waiting, in the making or finished).
    int GetOutstanding() const;
    bool IsEmpty() const { return GetOutstanding() == 0; }
    // Room for another job: a few wait beside the ones in the making, so that a worker that is
    // done goes on at once.
    bool HasRoom() const { return GetOutstanding() < 2 * GetCount(); }
    void Hand(TTask* task, Pass pass);
    // Takes back the job that finished first; false when none has.
    bool TakeFinished(Result& out);
    // Waits until a job has finished (or timeoutMs went by).
    void WaitForFinished(DWORD timeoutMs);
    // Jobs handed over but not yet begun go back undone (as results with code 0).
    void Withdraw();
    // Any thread: the engine abandons every draw in progress.
    void CallBreak() const;
    // The drawings in the making of the render pass are abandoned.
    void SkipRendering();
    // The job a worker's status picture shows (null for a picture of none of them).
    TTask* GetStatusTask(const CDib* picture) const;
    // The queue is emptied: no status picture names a job any more.
    void ForgetStatusTasks() const;

private:
    struct Job
    {
        TTask* task;
        Pass pass;
    };

    void Work(size_t index);
    bool WaitForJob(Job& job);

    std::vector<std::unique_ptr<TThumbnailProducer>> m_producers;
    mutable std::mutex m_lock;
    std::condition_variable m_jobReady;
    std::condition_variable m_jobFinished;
    std::deque<Job> m_waiting;
    std::vector<char> m_rendering; // per worker: its job in the making is of the render pass
    std::deque<Result> m_finished;
    int m_outstanding = 0;
    bool m_ending = false;
    std::vector<std::thread> m_threads;
};
