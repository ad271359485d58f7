#include "frames/CBrowseFrame.h"

#include "app/core/CAppOptions.h"
#include "app/CAppState.h"
#include "app/core/FileUtils.h"
#include "frames/FrameClass.h"
#include "frames/options/COption.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "render/workers/TTaskManageThread.h"

IMPLEMENT_DYNAMIC(CBrowseFrame, CFrameWnd)

const char CBrowseFrame::kClassName[] = "OrvoKestalBrowseFrame";

BEGIN_MESSAGE_MAP(CBrowseFrame, CFrameWnd)
    ON_COMMAND(ID_TOOLS_OPTIONS, &CBrowseFrame::OnToolsOptions)
    ON_WM_CLOSE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CBrowseFrame::~CBrowseFrame()
{
    g_appState.ForgetFrame(this);
}

BOOL CBrowseFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    return CFrameWnd::PreCreateWindow(cs) && UseOwnFrameClass(cs, kClassName);
}

BOOL CBrowseFrame::OnCreateClient(LPCREATESTRUCTA, CCreateContext*)
{
    return m_preview.CreatePane(this, kPreviewBarId);
}

void CBrowseFrame::OnSize(UINT nType, int cx, int cy)
{
    CFrameWnd::OnSize(nType, cx, cy);
    if (m_preview.GetSafeHwnd())
        m_preview.MoveWindow(0, 0, cx, cy);
}

BOOL CBrowseFrame::ShowFrame(int nCmdShow)
{
    if (m_bFirstShow) {
        m_bFirstShow = false;
        const bool usePrevious = m_startFolder.IsEmpty() && g_options.StartPreviousFolder &&
                                 IsExistingFolder(g_appState.lastPath);
        BrowseTo(usePrevious ? g_appState.lastPath : m_startFolder);
    }
    CRect window;
    GetWindowRect(&window);
    // A window shrunk to nothing (minimised when it was hidden) comes back at its real size.
    if (window.Width() < 10 || window.Height() < 10)
        nCmdShow = SW_RESTORE;
    const BOOL result = ShowWindow(nCmdShow);
    RestartThumbnails();
    return result;
}

void CBrowseFrame::SetStartFolder(const char* folder)
{
    m_startFolder = folder ? folder : "";
    // Before the first show the folder waits for it; afterwards the browser goes there now.
    if (!m_bFirstShow && m_startFolder.CompareNoCase(m_shownFolder) != 0)
        BrowseTo(m_startFolder);
}

// The folder shown is the program's last path, which shut-down saves.
void CBrowseFrame::BrowseTo(const CString& folder)
{
    if (folder.IsEmpty())
        return;
    m_shownFolder = folder;
    g_appState.lastPath = folder;
}

// Thumbnail work interrupted by the view starts again once the thread waits for work; a show
// the mode switch asked to restart does so too. Both marks are used up here.
void CBrowseFrame::RestartThumbnails()
{
    const TTaskManageThread* thread = g_appState.taskThread.get();
    if (g_appState.thumbnailsInterrupted && thread && thread->IsSuspended())
        g_appState.thumbnailsInterrupted = false;
    else
        m_bRestartThumbnails = false;
}

// The queue may change only while the thread waits for work: the drawing in progress is broken
// off, and the queue is emptied once the thread has suspended itself.
void CBrowseFrame::StopThumbnailTasks()
{
    TTaskManageThread* thread = g_appState.taskThread.get();
    if (!thread)
        return;
    thread->SetEnabled(false);
    thread->SetResultFlag(false);
    thread->CallBreak();
    if (thread->WaitUntilIdle(kStopTasksWaitMs))
        thread->ClearTasks();
}

bool CBrowseFrame::IsPreviewBarVisible() const
{
    return m_preview.GetSafeHwnd() && m_preview.IsWindowVisible();
}

void CBrowseFrame::ReleasePreviewPicture()
{
    m_preview.GetDevice().Create(2, 2, 3);
}

void CBrowseFrame::RedrawPreviewAfterShow()
{
    m_preview.RedrawImage(TDwgDrawThread::kRequestRedraw);
}

void CBrowseFrame::OnClose()
{
    g_appState.PauseWorkers();
    CFrameWnd::OnClose();
}

void CBrowseFrame::OnToolsOptions()
{
    RunOptionsCommand();
}
