// TTaskManageThread: the thread that makes the file list's thumbnails. It serves its queue of
// jobs in two passes: first what needs no rendering (the folder's thumbnail cache, a DWG's stored
// preview), then the rest (drawings rendered by the engine at thumbnail size, raster images loaded
// and scaled). The pictures are made by its workers (TThumbnailWorkers, one per spare core), each
// with an engine document of its own; the thread hands them the queue's jobs and takes them back
// as they finish, so the queue, the sends to the list and the end of the queue stay its own. A
// finished job goes back to the list with a blocking send of 0x800A; jobs that finish together
// (the cache pass serves many in the time of one send) go back in one send of 0x800B, in the order
// they finished. While a drawing renders, its stage goes to the list as a status picture (0x8014,
// sent by the worker making it). At the end of
// the queue it flushes the folder's cache library, posts 0x808C and suspends itself until the list
// hands it the next folder.
#pragma once

#include "imaging/CDib.h"
#include "render/workers/CDrawCommonThread.h"
#include "render/workers/TTaskList.h"
#include "render/workers/TThumbnailWorkers.h"
#include "render/workers/TUnclaimedTasks.h"

#include <atomic>
#include <memory>
#include <vector>

class TThumbnailProducer;

class TTaskManageThread : public CDrawCommonThread
{
public:
    static constexpr UINT kMsgTaskFinished = 0x800A;
    // wParam: how many jobs; lParam: the first of that many FinishedJob entries. The entries stay
    // readable until the handler has taken the last job (its m_taken set).
    static constexpr UINT kMsgTasksFinished = 0x800B;
    static constexpr UINT kMsgQueueFinished = 0x808C;
    static constexpr UINT kTaskSendTimeoutMs = 5000;

    // Result codes of the producers (besides TTask's): nothing made, and a drawing that needs a
    // password.
    static constexpr UINT kNothing = 0;
    static constexpr UINT kPasswordNeeded = 4;

    // The picture size until the list hands over its own (the settings record's default cell,
    // 170 x 130, less a border of 5 on each side).
    static constexpr int kDefaultThumbWidth = 160;
    static constexpr int kDefaultThumbHeight = 120;
    // The application's mode in which the list shows thumbnails.
    static constexpr int kBrowseMode = 1;

    // One job of a 0x800B report: the job and what a 0x800A of it would carry in wParam.
    struct FinishedJob
    {
        TTask* task;
        WPARAM state;
    };
    // At most this many jobs go in one report, and none waits longer than kReportDelayMs for the
    // ones after it.
    static constexpr size_t kReportBatchLimit = 32;
    static constexpr DWORD kReportDelayMs = 30;

    // The settings the thread follows (start-up and the options sheet hand over the settings
    // record's values; until then these defaults, which are the record's).
    struct ThumbnailSettings
    {
        bool readStoredPreview = true;  // a DWG's own preview picture before rendering it
        bool readExifThumbnail = true;  // a JPEG's Exif thumbnail before the whole image
        bool zoomExtents = true;        // fit the drawing's extents before drawing it
        int backgroundColorIndex = 0;   // colour index of the drawing background
    };

    // workers: how many make pictures side by side (clamped to 1..TThumbnailWorkers::kMaxWorkers).
    explicit TTaskManageThread(int workers = TThumbnailWorkers::DefaultCount());
    // Stops the thread first when it still runs.
    ~TTaskManageThread() override;

    DWORD Run() override;

    // Set up by the list while the thread is idle (suspended by itself) or not yet started.
    void SetStartIndex(int index) { m_startIndex.store(index); }
    // A size that is not positive is refused: no picture can be made at it.
    bool SetThumbSize(int width, int height);
    int GetThumbWidth() const { return m_thumbWidth.load(); }
    int GetThumbHeight() const { return m_thumbHeight.load(); }
    void SetRebuild(bool rebuild) { m_rebuild.store(rebuild); }
    int AddTask(TTask* task);
    TTask* GetFinishedTask() const;
    int GetTaskCount() const { return m_queue->GetCount(); }
    // The job whose status picture was sent last.
    TTask* GetCurrentTask() const { return m_current.load(); }
    // The job a status picture (0x8014's lParam) shows: the list draws it in that job's cell.
    // Null for a picture of no worker's, or once the queue was emptied.
    TTask* GetStatusTask(LPARAM picture) const;
    int GetWorkerCount() const { return m_workers->GetCount(); }

    // Points the cache at folder, sets the result flag and wakes the thread. Returns the thread's
    // previous suspend count.
    DWORD StartFolder(const char* folder);
    // Empties the queue (the thread is idle) and flushes the cache keeping every record.
    void ClearTasks();
    // Makes the engine abandon the drawings being loaded or drawn.
    void CallBreak();
    // Suspended by itself (or about to be), waiting for a folder: it no longer touches its queue.
    bool IsIdle() const { return m_sleeping.load() && IsSuspended(); }
    // Waits until the thread is idle, handling the messages sent to this thread meanwhile.
    bool WaitUntilIdle(DWORD timeoutMs) const;
    // Jobs kept alive after the queue let go of them, because the list may still read them.
    size_t GetUnclaimedCount() const { return m_unclaimed.GetKeptCount(); }

    void SetSettings(const ThumbnailSettings& settings);
    ThumbnailSettings GetSettings() const;

    // The engine's abort query of the thumbnail channel; context is the thread.
    static bool IsBreakRequested(void* context);

protected:
    // A stop also abandons the drawing in progress.
    void WakeForStop() override { CallBreak(); }
    // Idle: asleep until a folder or a stop wakes the thread.
    void SleepUntilWoken();

private:
    friend class TThumbnailProducer;

    // One cycle's step: true when the queue is exhausted (the cycle is idle).
    bool ServeNext();
    bool EndCycle(bool idle);
    // Hands the workers what they have room for; false when no job is left to hand.
    // Stops at a job the thread serves itself (a lookup in the folder's cache): served here it
    // costs less than the trip to a worker and back.
    bool HandJobs(TTask*& serveHere);
    // lookupsWait: the folder's library is still loading, so only jobs that need none are taken.
    TTask* NextJob(TThumbnailWorkers::Pass& pass, bool lookupsWait);
    bool LookupsWait() const;
    bool NeedsWorker(const TTask& task, TThumbnailWorkers::Pass pass) const;
    void TakeBack(const TThumbnailWorkers::Result& result);
    void FinishCacheFirst(TTask& task, UINT code);
    void FinishRender(TTask& task, UINT result);
    // Waits until every job handed out has come back (they are abandoned); false when that took
    // longer than kDrainLimitMs (the jobs are still the workers', the queue must stay).
    bool Drain();
    void FinishQueue();
    void WaitForList();
    void EmptyQueue();
    void FlushCache(bool keepAll) const;

    // A worker's status picture of task.
    void SendStatusPicture(TTask& task, CDib& picture);
    // A finished job joins the report going to the list; the report goes when it is full, when
    // its first job has waited kReportDelayMs, and at the end of the queue.
    void ReportFinished(TTask& task, WPARAM wParam);
    void SendReportIfDue();
    void SendReport();
    // Waits for a worker's job, sending the report meanwhile when it is due.
    void WaitForWorkers();
    bool StillWanted() const { return GetResultFlag() && !IsStopRequested(); }

    static constexpr DWORD kDrainLimitMs = 60000;

    std::unique_ptr<TTaskList> m_queue;
    std::atomic<TTask*> m_current{nullptr};
    std::atomic<int> m_startIndex{-1};
    bool m_renderPass = false; // the thread's own (ClearTasks runs while it is idle)
    std::atomic<int> m_thumbWidth;
    std::atomic<int> m_thumbHeight;
    std::atomic<bool> m_break{false};
    std::atomic<bool> m_rebuild{false};
    std::atomic<bool> m_sleeping{false};
    std::atomic<bool> m_wakePending{false};
    ThumbnailSettings m_settings; // under the base lock
    TUnclaimedTasks m_unclaimed;
    // The finished jobs not yet reported, and when the first of them finished. Shared: a report
    // whose send went unanswered is kept with its jobs until the list is done with it.
    std::shared_ptr<std::vector<FinishedJob>> m_report;
    DWORD m_reportStart = 0;
    // The thread's own, for the lookups it serves itself.
    std::unique_ptr<TThumbnailProducer> m_ownProducer;
    // Last: its workers end before anything they use goes.
    std::unique_ptr<TThumbnailWorkers> m_workers;
};
