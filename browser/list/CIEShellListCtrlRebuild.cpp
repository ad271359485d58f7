// The rebuild commands of the thumbnail view and the states that enable them: pictures are made
// again only while the thread waits for work, so no job of the old queue is still out.
#include "browser/list/CIEShellListCtrl.h"

#include "core/CAppOptions.h"
#include "render/workers/TTaskManageThread.h"

bool CIEShellListCtrl::IsThumbnailThreadIdle() const
{
    return m_thumbThread && m_thumbThread->IsIdle();
}

bool CIEShellListCtrl::IsThumbnailJobRunning() const
{
    return m_viewType == kThumbnails && m_drawingFiles > 0 && IsThreadWorking();
}

bool CIEShellListCtrl::CanSaveThumbnails() const
{
    return m_viewType == kThumbnails && m_drawingFiles > 0 && IsThumbnailThreadIdle();
}

bool CIEShellListCtrl::CanRebuildThumbnails(bool selectedOnly) const
{
    return CanSaveThumbnails() && (!selectedOnly || GetSelectedCount() > 0);
}

void CIEShellListCtrl::RequestRebuildNextThumbnail()
{
    if (m_thumbThread)
        m_thumbThread->SetSkipFlag(true);
}

void CIEShellListCtrl::QueueThumbnailTasks(bool selectedOnly)
{
    if (!CanRebuildThumbnails(selectedOnly))
        return;
    // A full rebuild also brings back the settings' cell size where a folder's library had
    // imposed its own.
    if (!selectedOnly)
        TakeSettingsCellSize();
    ForgetAllJobs();
    // Left over from a stopped folder: the idle thread lets go of them.
    if (m_thumbThread->GetTaskCount() > 0)
        m_thumbThread->ClearTasks();
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        if (selectedOnly && (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) == 0)
            continue;
        CShellListItem* item = GetItemRecord(row);
        if (!item)
            continue;
        item->thumbnail.reset();
        item->thumbState = 0;
        QueueJob(row, false);
    }
    Invalidate(TRUE);
    StartThumbnailWork(true);
}

void CIEShellListCtrl::TakeSettingsCellSize()
{
    m_settingsSizeChosen = true;
    if (m_viewType != kThumbnails || !UpdateCellSize())
        return;
    ApplyThumbnailLayout();
    const int border = g_options.ThumbBorder;
    if (m_thumbThread)
        m_thumbThread->SetThumbSize(m_cellWidth - 2 * border, m_cellHeight - 2 * border);
}
