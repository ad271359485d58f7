// Thumbnails of the shell file list: the jobs handed to the thumbnail thread, the results and
// interim pictures it sends back, and the bounded stop of its work.
#include "browser/list/CIEShellListCtrl.h"

#include "core/CAppOptions.h"
#include "render/cache/TDwgCache.h"
#include "render/workers/TTaskManageThread.h"

namespace
{
// Messages to the status window: progress (thumbnails done, jobs) and a status text.
constexpr UINT kMsgStatusRefresh = 0x8032;
constexpr UINT kMsgStatusText = 0x8064;
const char kStoppingText[] = "Please wait while stopping the redraw...";
constexpr DWORD kBlinkMs = 1501;
// The frame's status refresh costs about as much as serving a cached thumbnail: while pictures
// arrive faster than this, their progress is reported at most once in this time.
constexpr DWORD kProgressIntervalMs = 100;
} // namespace

void CIEShellListCtrl::SetThumbnailThread(TTaskManageThread* thread)
{
    if (m_thumbThread && m_hWnd && m_thumbThread->GetNotifyWnd() == m_hWnd)
        m_thumbThread->SetNotifyWnd(nullptr);
    m_thumbThread = thread;
    if (m_thumbThread && m_hWnd)
        m_thumbThread->SetNotifyWnd(m_hWnd);
}

void CIEShellListCtrl::PostStatus(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (m_statusWnd && ::IsWindow(m_statusWnd))
        ::PostMessageA(m_statusWnd, message, wParam, lParam);
}

// The browse frame hands in its own window: while the view frame is the main window the
// browser's reports still reach the browse frame.
CWnd* CIEShellListCtrl::ReportWindow() const
{
    if (m_statusWnd && ::IsWindow(m_statusWnd))
        return CWnd::FromHandle(m_statusWnd);
    return AfxGetMainWnd();
}

// The thumbnail work's report that the folder's cache library was written ends the progress.
LRESULT CIEShellListCtrl::OnQueueFinished(WPARAM, LPARAM)
{
    if (m_progressHeld)
        ReportThumbnailProgress(true);
    PostStatus(TTaskManageThread::kMsgQueueFinished, 0, 0);
    return 0;
}

bool CIEShellListCtrl::IsThreadWorking() const
{
    return m_thumbThread && !m_thumbThread->IsIdle();
}

bool CIEShellListCtrl::UpdateCellSize()
{
    const int border = g_options.ThumbBorder;
    int width = g_options.ThumbWidth;
    int height = g_options.ThumbHeight;
    int libWidth = 0;
    int libHeight = 0;
    const TDwgCache* cache = GetDwgCache();
    if (g_options.ForceUseLibSize && !m_settingsSizeChosen && !m_folderPath.IsEmpty() && cache &&
        cache->GetLibThumbSize(m_folderPath, &libWidth, &libHeight) && libWidth > 0 && libHeight > 0) {
        width = libWidth + 2 * border;
        height = libHeight + 2 * border;
    }
    const bool changed = width != m_cellWidth || height != m_cellHeight;
    m_cellWidth = width;
    m_cellHeight = height;
    return changed;
}

void CIEShellListCtrl::ApplyThumbnailLayout()
{
    if (!GetSafeHwnd() || m_cellWidth <= 0)
        return;
    LOGFONTA font = {};
    const HFONT listFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    GetObjectA(listFont ? listFont : GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    const int fontHeight = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    HDC screen = ::GetDC(m_hWnd);
    m_cell.Prepare(screen, m_cellWidth, m_cellHeight);
    ::ReleaseDC(m_hWnd, screen);
    m_thumbImages.DeleteImageList();
    m_thumbImages.Create(m_cellWidth, m_cellHeight, ILC_COLOR8, 0, 1);
    SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(m_thumbImages.GetSafeHandle()));
    SendMessage(LVM_SETICONSPACING, 0, MAKELPARAM(m_cellWidth + 3, m_cellHeight + fontHeight + 15));
    // The rows keep the places of the old spacing until they are arranged again: larger cells
    // would cover their neighbours and the names below them.
    SendMessage(LVM_ARRANGE, LVA_DEFAULT);
    Invalidate();
}

void CIEShellListCtrl::ResetThumbnailWork(bool keepPictures)
{
    if (!keepPictures) {
        for (const auto& record : m_records) {
            record->thumbnail.reset();
            record->thumbState = 0;
        }
    }
    m_thumbnailsDone = 0;
    m_progressHeld = false;
    m_folderSizeText.Empty();
    PostStatus(kMsgStatusRefresh, static_cast<WPARAM>(-1000), -1000);
    StopThumbnailTasks();
    if (m_thumbThread && m_viewType == kThumbnails && m_cellWidth > 0) {
        const int border = g_options.ThumbBorder;
        m_thumbThread->SetThumbSize(m_cellWidth - 2 * border, m_cellHeight - 2 * border);
    }
}

void CIEShellListCtrl::ForgetJob(CShellListItem* item)
{
    if (item && item->jobTicket != 0)
        m_jobs.erase(item->jobTicket);
}

void CIEShellListCtrl::ForgetAllJobs()
{
    // Only the records of queued jobs carry a ticket, each once (jobs are queued only after the
    // map was emptied), and a record deleted leaves the map with its row.
    for (const auto& job : m_jobs) {
        job.second->jobTicket = 0;
        job.second->jobOrdinal = -1;
    }
    m_jobs.clear();
}

void CIEShellListCtrl::StopThumbnailTasks()
{
    ForgetAllJobs();
    if (!m_thumbThread)
        return;
    m_thumbThread->SetEnabled(false);
    if (!m_thumbThread->IsIdle()) {
        m_thumbThread->SetResultFlag(false);
        m_thumbThread->CallBreak();
        PostStatus(kMsgStatusText, 0, reinterpret_cast<LPARAM>(kStoppingText));
        m_resultsAccepted = false;
        // The thread may be inside a blocking send to this window: handle sent messages while
        // waiting, and wait on the queue rather than spinning; never longer than the limit.
        const DWORD start = GetTickCount();
        DWORD lastBlink = start;
        bool shown = true;
        while (!m_thumbThread->IsIdle() && !m_thumbThread->HasExited() &&
               GetTickCount() - start < kStopWaitLimitMs) {
            m_thumbThread->SetResultFlag(false);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            if (GetTickCount() - lastBlink >= kBlinkMs) {
                lastBlink = GetTickCount();
                shown = !shown;
                PostStatus(kMsgStatusText, shown ? 0 : 1, shown ? reinterpret_cast<LPARAM>(kStoppingText) : 0);
            }
        }
        m_resultsAccepted = true;
        PostStatus(kMsgStatusText, 0, 0);
    }
    // Only an idle thread lets go of its queue.
    if (m_thumbThread->IsIdle())
        m_thumbThread->ClearTasks();
}

void CIEShellListCtrl::QueueFolderThumbnails()
{
    if (m_viewType != kThumbnails || !m_thumbThread)
        return;
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        const CShellListItem* item = GetItemRecord(row);
        if (item && (!item->thumbnail || item->thumbState == 2))
            QueueJob(row, true);
    }
}

bool CIEShellListCtrl::QueueJob(int row, bool cacheFirst)
{
    CShellListItem* item = GetItemRecord(row);
    if (!m_thumbThread || !item || item->IsFolder() || item->fileType < 0)
        return false;
    const CString path = GetRowPath(row);
    if (path.IsEmpty())
        return false;
    const int ticket = m_nextTicket++;
    // The job's place in the queue is where the thread starts when the row comes into view.
    const int ordinal = m_thumbThread->AddTask(new TTask(path, ticket, cacheFirst, item->fileType));
    if (ordinal < 0)
        return false;
    item->jobTicket = ticket;
    item->jobOrdinal = ordinal;
    m_jobs[ticket] = item;
    return true;
}

int CIEShellListCtrl::FirstVisibleOrdinal() const
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        RECT icon = {};
        const CShellListItem* item = GetItemRecord(row);
        if (item && item->jobOrdinal >= 0 && GetItemRect(row, &icon, LVIR_ICON) && icon.bottom > 0)
            return item->jobOrdinal;
    }
    return 0;
}

void CIEShellListCtrl::StartThumbnailWork(bool rebuild)
{
    m_thumbnailsDone = 0;
    m_progressHeld = false;
    m_lastProgressTick = GetTickCount();
    int jobs = 0;
    if (m_viewType == kThumbnails && m_thumbThread && m_thumbThread->GetTaskCount() > 0) {
        m_thumbThread->SetEnabled(true);
        m_thumbThread->SetRebuild(rebuild);
        m_thumbThread->SetStartIndex(FirstVisibleOrdinal());
        m_thumbThread->StartFolder(m_folderPath);
        jobs = m_thumbThread->GetTaskCount();
    }
    m_folderSizeText = m_fileBytes == 0 ? CString() : FormatSizeKB(m_fileBytes);
    PostStatus(kMsgStatusRefresh, 0, jobs);
}

void CIEShellListCtrl::ReportThumbnailProgress(bool now)
{
    const int jobs = m_thumbThread ? m_thumbThread->GetTaskCount() : 0;
    const DWORD tick = GetTickCount();
    if (!now && m_thumbnailsDone < jobs && tick - m_lastProgressTick < kProgressIntervalMs) {
        m_progressHeld = true;
        return;
    }
    m_progressHeld = false;
    m_lastProgressTick = tick;
    PostStatus(kMsgStatusRefresh, static_cast<WPARAM>(m_thumbnailsDone), jobs);
}

// Each result looks for its row: a search of every row for each of them made a folder of
// thousands spend seconds in it. The item remembers its row; the first miss after a sort, an
// insertion or a deletion numbers every row again.
int CIEShellListCtrl::FindRowOf(const CShellListItem* item) const
{
    if (!item || !item->rowKey)
        return -1;
    if (!IsOnItsRow(*item)) {
        NumberRows();
        if (!IsOnItsRow(*item))
            return -1;
    }
    return item->rowHint;
}

bool CIEShellListCtrl::IsOnItsRow(const CShellListItem& item) const
{
    return item.rowHint >= 0 && item.rowHint < GetItemCount() && GetRowData(item.rowHint) == item.rowKey;
}

void CIEShellListCtrl::NumberRows() const
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row)
        if (const CShellListItem* record = GetItemRecord(row))
            record->rowHint = row;
}

LRESULT CIEShellListCtrl::OnThumbnailFinished(WPARAM wParam, LPARAM lParam)
{
    auto* task = reinterpret_cast<TTask*>(lParam);
    if (!task)
        return 0;
    // The job names its item by ticket: rows may have been sorted, deleted or inserted since.
    const auto job = m_jobs.find(task->m_item);
    if (m_resultsAccepted && m_viewType == kThumbnails && job != m_jobs.end() && task->m_result != 0) {
        CShellListItem* item = job->second;
        item->thumbnail.reset(task->DetachBitmap());
        item->thumbState = static_cast<UINT>(wParam);
        RedrawThumbnailItem(FindRowOf(item));
        ++m_thumbnailsDone;
        ReportThumbnailProgress(false);
    }
    // The very last touch: a job whose send went unanswered is freed as soon as this is set.
    task->m_taken = true;
    return 0;
}

// Jobs that finished together, each taken as its own 0x800A would be, in the order they finished.
LRESULT CIEShellListCtrl::OnThumbnailsFinished(WPARAM wParam, LPARAM lParam)
{
    const auto* jobs = reinterpret_cast<const TTaskManageThread::FinishedJob*>(lParam);
    if (!jobs)
        return 0;
    // The count comes from wParam: once the last job is taken the entries may be gone.
    for (WPARAM i = 0; i < wParam; ++i)
        OnThumbnailFinished(jobs[i].state, reinterpret_cast<LPARAM>(jobs[i].task));
    return 0;
}

LRESULT CIEShellListCtrl::OnInterimPicture(WPARAM wParam, LPARAM lParam)
{
    if (!m_resultsAccepted || !m_thumbThread || m_viewType != kThumbnails)
        return 0;
    // Pictures are made side by side: the picture says whose job it shows.
    const TTask* task = lParam ? m_thumbThread->GetStatusTask(lParam) : m_thumbThread->GetCurrentTask();
    const auto job = task ? m_jobs.find(task->m_item) : m_jobs.end();
    if (job == m_jobs.end())
        return 0;
    CShellListItem* item = job->second;
    item->thumbState = 0;
    const auto* picture = reinterpret_cast<const CDib*>(lParam);
    if (picture) {
        auto copy = std::make_unique<KBMP>();
        if (copy->Attach(picture->GetBmpFileImage(), false))
            item->thumbnail = std::move(copy);
    } else if (wParam == 0 && task->GetBitmap()) {
        auto copy = std::make_unique<KBMP>();
        if (copy->Copy(*task->GetBitmap()))
            item->thumbnail = std::move(copy);
    }
    if (wParam != 101)
        RedrawThumbnailItem(FindRowOf(item));
    return 0;
}

void CIEShellListCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    CUIODListCtrl::OnVScroll(nSBCode, nPos, pScrollBar);
    if (m_viewType == kThumbnails && !m_jobs.empty() && IsThreadWorking())
        m_thumbThread->SetStartIndex(FirstVisibleOrdinal());
}

BOOL CIEShellListCtrl::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    const BOOL handled = CUIODListCtrl::OnMouseWheel(nFlags, zDelta, pt);
    if (m_viewType == kThumbnails && !m_jobs.empty() && IsThreadWorking())
        m_thumbThread->SetStartIndex(FirstVisibleOrdinal());
    return handled;
}
