#include "render/workers/TTaskManageThread.h"

#include "engine/rkio/rkio.h"
#include "engine/rkui/RkUI.h"
#include "framework/CSingleLock.h"
#include "render/cache/TDwgCache.h"
#include "render/workers/TThumbnailProducer.h"

#include <algorithm>

namespace {

constexpr DWORD kWakeRetryMs = 2000;
// How long one step waits for a worker's job when there is nothing else to do.
constexpr DWORD kStepWaitMs = 20;
constexpr int kDwgType = 0;

} // namespace

TTaskManageThread::TTaskManageThread(int workers)
    : m_queue(std::make_unique<TTaskList>()),
      m_thumbWidth(kDefaultThumbWidth),
      m_thumbHeight(kDefaultThumbHeight),
      m_report(std::make_shared<std::vector<FinishedJob>>())
{
    // Disabled until the list hands over its first folder: the first cycle finds nothing and
    // suspends quietly.
    SetEnabled(false);
    m_workers = std::make_unique<TThumbnailWorkers>(*this, workers);
    m_ownProducer = std::make_unique<TThumbnailProducer>(*this);
    DWG_SetFileAboutFunc_2(&TTaskManageThread::IsBreakRequested, this);
}

TTaskManageThread::~TTaskManageThread()
{
    StopAndWait(20000);
    DWG_SetFileAboutFunc_2(nullptr, nullptr);
    m_workers.reset();
    m_ownProducer.reset();
    m_current.store(nullptr);
    m_queue.reset();
}

bool TTaskManageThread::SetThumbSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    m_thumbWidth.store(width);
    m_thumbHeight.store(height);
    return true;
}

int TTaskManageThread::AddTask(TTask* task)
{
    return m_queue->Add(task);
}

TTask* TTaskManageThread::GetFinishedTask() const
{
    return m_queue->GetFinishedTask();
}

void TTaskManageThread::SetSettings(const ThumbnailSettings& settings)
{
    CSingleLock lock(&Lock(), TRUE);
    m_settings = settings;
    // The engine draws lines of the drawing's default colour light or dark by the background it
    // knows, so it must know the one the pictures are filled with.
    DWG_SetBackgroundColor(GetColorIndex(static_cast<short>(settings.backgroundColorIndex & 0xFFFF), nullptr));
}

TTaskManageThread::ThumbnailSettings TTaskManageThread::GetSettings() const
{
    CSingleLock lock(&Lock(), TRUE);
    return m_settings;
}

bool TTaskManageThread::IsBreakRequested(void* context)
{
    const auto* thread = static_cast<const TTaskManageThread*>(context);
    if (!thread)
        return false;
    if (thread->m_break.load())
        return true;
    // A worker's load or draw also ends as soon as its own work is abandoned: the folder changed,
    // the list stopped the work or the user skipped this drawing.
    const TThumbnailProducer* producer = TThumbnailProducer::OnThisThread();
    return producer && producer->RenderAbandoned();
}

void TTaskManageThread::CallBreak()
{
    m_break.store(true);
    if (m_workers)
        m_workers->CallBreak();
}

DWORD TTaskManageThread::StartFolder(const char* folder)
{
    if (TDwgCache* cache = GetDwgCache()) {
        cache->SetFolder(folder);
        cache->PrepareLoad();
    }
    SetResultFlag(true);
    // The thread may be between deciding to sleep and actually suspending: it then finds the
    // wake request, or the resume is repeated until it lands.
    m_wakePending.store(true);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD previous = ResumeThread();
        if (previous != 0 || !m_sleeping.load() || GetTickCount() - start > kWakeRetryMs)
            return previous;
        Sleep(1);
    }
}

void TTaskManageThread::ClearTasks()
{
    EmptyQueue();
    FlushCache(true);
    m_renderPass = false;
}

bool TTaskManageThread::WaitUntilIdle(DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    while (!IsIdle()) {
        if (HasExited() || GetTickCount() - start >= timeoutMs)
            return IsIdle();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // handles the worker's blocking sends
    }
    return true;
}

DWORD TTaskManageThread::Run()
{
    while (!IsStopRequested()) {
        // A break is meant for the jobs in hand when it came: it is over once they are back.
        if (m_workers->IsEmpty())
            m_break.store(false);
        if (TDwgCache* cache = GetDwgCache())
            cache->BeginLoad();
        if (IsAppClosing())
            break;
        if (!EndCycle(ServeNext()))
            break;
    }
    Drain();
    FlushCache(true);
    return 0;
}

bool TTaskManageThread::ServeNext()
{
    // The drawings in the making when the user skipped are abandoned; later ones are not.
    if (GetSkipFlag()) {
        m_workers->SkipRendering();
        SetSkipFlag(false);
    }
    TThumbnailWorkers::Result result;
    if (m_workers->TakeFinished(result)) {
        TakeBack(result);
        SendReportIfDue();
        return false;
    }
    if (!GetResultFlag()) {
        SendReport(); // goes nowhere: the jobs are no longer wanted
        return false;
    }
    TTask* serveHere = nullptr;
    const bool more = HandJobs(serveHere);
    if (serveHere) {
        FinishCacheFirst(*serveHere, m_ownProducer->TryCacheFirst(*serveHere));
        SendReportIfDue();
        return false;
    }
    if (!more && m_workers->IsEmpty()) {
        SendReport();
        FinishQueue();
        return true;
    }
    WaitForWorkers();
    return false;
}

void TTaskManageThread::WaitForWorkers()
{
    // The report goes when its time is up, not each time the thread waits: the workers' jobs
    // come back a few at a time, and each send costs as much as several of them.
    DWORD waitMs = kStepWaitMs;
    if (!m_report->empty()) {
        const DWORD age = GetTickCount() - m_reportStart;
        if (age >= kReportDelayMs)
            SendReport();
        else
            waitMs = std::min(waitMs, kReportDelayMs - age);
    }
    // With no job out, only the library's load can bring the next step.
    if (m_workers->IsEmpty() && LookupsWait())
        GetDwgCache()->WaitForLoad(waitMs);
    else
        m_workers->WaitForFinished(waitMs);
    SendReportIfDue();
}

bool TTaskManageThread::LookupsWait() const
{
    const TDwgCache* cache = GetDwgCache();
    return cache && cache->IsLoading();
}

bool TTaskManageThread::HandJobs(TTask*& serveHere)
{
    // While a break is on, the jobs in hand come back first: handed now they would be abandoned.
    if (m_break.load())
        return true;
    // While the folder's library loads, the stored previews go to the workers and the lookups
    // wait: nothing is left to do only once the library is there.
    const bool lookupsWait = LookupsWait();
    for (;;) {
        TThumbnailWorkers::Pass pass = TThumbnailWorkers::Pass::CacheFirst;
        TTask* task = NextJob(pass, lookupsWait);
        if (!task)
            return lookupsWait;
        if (!NeedsWorker(*task, pass)) {
            serveHere = task;
            return true;
        }
        if (!m_workers->HasRoom())
            return true;
        task->m_inWork = true;
        m_workers->Hand(task, pass);
    }
}

bool TTaskManageThread::NeedsWorker(const TTask& task, TThumbnailWorkers::Pass pass) const
{
    return pass == TThumbnailWorkers::Pass::Render || (task.m_fileType == kDwgType && GetSettings().readStoredPreview);
}

TTask* TTaskManageThread::NextJob(TThumbnailWorkers::Pass& pass, bool lookupsWait)
{
    if (!m_rebuild.load() && !m_renderPass) {
        // Waiting for the library, only the jobs a worker serves without it (stored previews).
        const int index = !lookupsWait ? m_queue->FindNextCacheFirst(m_startIndex.load())
                          : GetSettings().readStoredPreview ? m_queue->FindNextCacheFirstOfType(m_startIndex.load(), kDwgType)
                                                            : -1;
        if (index >= 0) {
            pass = TThumbnailWorkers::Pass::CacheFirst;
            return m_queue->GetAt(index);
        }
        if (lookupsWait)
            return nullptr;
    }
    // Cache-first jobs still in hand that find nothing come to this pass when they are back.
    m_renderPass = true;
    pass = TThumbnailWorkers::Pass::Render;
    return m_queue->GetAt(m_queue->FindNextToRender(m_startIndex.load()));
}

void TTaskManageThread::TakeBack(const TThumbnailWorkers::Result& result)
{
    TTask& task = *result.task;
    task.m_inWork = false;
    if (result.pass == TThumbnailWorkers::Pass::CacheFirst)
        FinishCacheFirst(task, result.code);
    else
        FinishRender(task, result.code);
}

void TTaskManageThread::FinishCacheFirst(TTask& task, UINT code)
{
    if (code == kNothing) {
        task.m_cacheFirst = false;
        return;
    }
    if (!GetResultFlag())
        return;
    task.MarkDone(code);
    ReportFinished(task, 0);
}

void TTaskManageThread::FinishRender(TTask& task, UINT result)
{
    if (GetResultFlag() && !m_break.load()) {
        task.MarkDone(result);
        ReportFinished(task, result);
    }
}

bool TTaskManageThread::Drain()
{
    m_workers->Withdraw();
    const DWORD start = GetTickCount();
    TThumbnailWorkers::Result result;
    for (;;) {
        // No longer wanted: what comes back is dropped undone.
        while (m_workers->TakeFinished(result))
            result.task->m_inWork = false;
        if (m_workers->IsEmpty())
            return true;
        if (GetTickCount() - start >= kDrainLimitMs)
            return false;
        m_workers->WaitForFinished(kStepWaitMs);
    }
}

bool TTaskManageThread::EndCycle(bool idle)
{
    if (m_workers->IsEmpty())
        m_break.store(false);
    // Outside the browser the list shows no thumbnails: the jobs in hand were the last ones.
    if (GetAppMode() != kBrowseMode)
        SetResultFlag(false);
    const bool wanted = GetResultFlag();
    if (!wanted && !idle) {
        // The queue goes only once no worker holds a job of it.
        if (!Drain())
            return true;
        EmptyQueue();
        FlushCache(true);
        m_renderPass = false;
    }
    if (wanted && !idle)
        return true;
    if (GetAppMode() == kBrowseMode)
        PostToWindow(GetNotifyWnd(), kMsgQueueFinished, 0, 0);
    if (IsAppClosing() || IsStopRequested())
        return false;
    SleepUntilWoken();
    return true;
}

void TTaskManageThread::SleepUntilWoken()
{
    // The flag goes up before the wake request is looked at, so that StartFolder either sees
    // the thread going to sleep or the thread sees its request.
    m_sleeping.store(true);
    if (!m_wakePending.exchange(false) && !IsStopRequested())
        SuspendThread();
    m_wakePending.store(false);
    m_sleeping.store(false);
}

void TTaskManageThread::FinishQueue()
{
    WaitForList();
    EmptyQueue();
    FlushCache(m_rebuild.exchange(false));
    m_renderPass = false;
}

void TTaskManageThread::WaitForList()
{
    // Give the list the time of one send to take what is still out with it; whatever it has
    // not taken by then is kept alive apart from the queue.
    const DWORD start = GetTickCount();
    while (IsEnabled() && GetResultFlag() && m_unclaimed.IsAwaitingList() &&
           GetTickCount() - start < kTaskSendTimeoutMs)
        Sleep(10);
}

void TTaskManageThread::EmptyQueue()
{
    m_report->clear();
    m_current.store(nullptr);
    m_workers->ForgetStatusTasks();
    m_unclaimed.KeepFrom(*m_queue);
    m_queue->RemoveAll();
    m_unclaimed.Prune();
}

void TTaskManageThread::FlushCache(bool keepAll) const
{
    if (TDwgCache* cache = GetDwgCache())
        cache->Flush(keepAll, m_thumbWidth.load(), m_thumbHeight.load());
}

void TTaskManageThread::SendStatusPicture(TTask& task, CDib& picture)
{
    m_current.store(&task);
    SendPictureReady(reinterpret_cast<LPARAM>(&picture));
}

TTask* TTaskManageThread::GetStatusTask(LPARAM picture) const
{
    return m_workers->GetStatusTask(reinterpret_cast<const CDib*>(picture));
}

void TTaskManageThread::ReportFinished(TTask& task, WPARAM wParam)
{
    if (GetAppMode() != kBrowseMode)
        return;
    if (m_report->empty())
        m_reportStart = GetTickCount();
    m_report->push_back({&task, wParam});
}

void TTaskManageThread::SendReportIfDue()
{
    if (m_report->size() >= kReportBatchLimit || (!m_report->empty() && GetTickCount() - m_reportStart >= kReportDelayMs))
        SendReport();
}

void TTaskManageThread::SendReport()
{
    if (m_report->empty())
        return;
    const std::shared_ptr<std::vector<FinishedJob>> report = std::move(m_report);
    m_report = std::make_shared<std::vector<FinishedJob>>();
    m_report->reserve(kReportBatchLimit);
    const bool one = report->size() == 1;
    const FinishedJob& first = report->front();
    // The jobs are recorded against the window the send really went to, or a job kept for an
    // unanswered window could be freed while that window still handles it.
    HWND target = nullptr;
    bool unanswered = false;
    const bool answered =
        one ? SendToNotifyWindow(kMsgTaskFinished, first.state, reinterpret_cast<LPARAM>(first.task),
                                 kTaskSendTimeoutMs, &unanswered, &target)
            : SendToNotifyWindow(kMsgTasksFinished, report->size(), reinterpret_cast<LPARAM>(report->data()),
                                 kTaskSendTimeoutMs, &unanswered, &target);
    if (answered) {
        m_unclaimed.NoteAnswered(target);
    } else if (unanswered) {
        // The list may still read the report: it lives as long as a job of it is kept.
        for (const FinishedJob& job : *report)
            m_unclaimed.NoteUnanswered(job.task, target, report);
    }
}
