#include "app/CAppState.h"

#include "core/CAppOptions.h"
#include "app/CStartupGuard.h"
#include "core/RegistryRoot.h"
#include "app/StartupCommandLine.h"
#include "engine/rkui/RkUI.h"
#include "app/CBrowseModeFrame.h"
#include "app/CViewModeFrame.h"
#include "framework/CRegKey.h"
#include "framework/Prompt.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/TTaskManageThread.h"
#include "res/resource.h"

#include <stdlib.h>

#include <algorithm>

CAppState g_appState;

namespace {

const DWORD kPreviewStopMs = 5000;
const DWORD kTaskStopMs = 20000;
// The thumbnail thread's status messages.
const UINT kFirstStatusMessage = 0x8014;
const UINT kLastStatusMessage = 0x8023;
const char kMainKey[] = "main";
const char kLastViewPath[] = "LastViewPath";
// Read and write access to the program's keys.
const REGSAM kKeyAccess = 0x2001F;
// Both main frames show the browse frame's icon.
const UINT kMainIconId = IDR_BROWSEFRAME;

// Status messages still queued once their thread has gone would hand their handlers pointers
// into freed memory.
void DiscardStatusMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, kFirstStatusMessage, kLastStatusMessage, PM_REMOVE)) {
    }
}

// Publishes the worker where the program finds it and starts it. A worker that cannot start is
// unpublished and deleted, and the user told; the slot stays empty.
template <class Worker>
bool StartWorker(std::unique_ptr<Worker>& slot, std::unique_ptr<Worker> worker, void (*publish)(Worker*),
                 UINT failureText)
{
    publish(worker.get());
    if (!worker->CreateThread()) {
        publish(nullptr);
        AfxMessageBox(failureText, MB_OK);
        return false;
    }
    slot = std::move(worker);
    return true;
}

// Stops a worker within limitMs; StopAndWait keeps handling sent messages meanwhile, so a worker
// blocked in a send to one of our windows returns and sees its stop flag. A worker that does not
// end in time is terminated and its object deliberately left allocated: the dead thread may have
// left the object's locks taken or its members half changed, and the process is ending anyway.
template <class Worker>
void StopWorker(std::unique_ptr<Worker>& worker, Worker* (*published)(), void (*publish)(Worker*),
                DWORD limitMs, bool discardStatus)
{
    if (!worker)
        return;
    if (published() == worker.get())
        publish(nullptr);
    worker->SetNotifyWnd(nullptr);
    const bool ended = worker->StopAndWait(limitMs);
    if (discardStatus)
        DiscardStatusMessages();
    if (ended) {
        worker.reset();
        return;
    }
    const HANDLE thread = worker->GetThreadHandle();
    TerminateThread(thread, 0);
    WaitForSingleObject(thread, 1000);
    Worker* abandoned = worker.release(); // see above: never freed
    static_cast<void>(abandoned);
}

TTaskManageThread::ThumbnailSettings ThumbnailSettingsFromOptions()
{
    TTaskManageThread::ThumbnailSettings settings;
    settings.readStoredPreview = g_options.ReadBitmapFromDwg;
    settings.readExifThumbnail = g_options.ReadBitmapFromRaster;
    settings.zoomExtents = g_options.ZoomExtend;
    settings.backgroundColorIndex = g_options.BackGroundColor;
    return settings;
}

TDwgDrawThread::DisplaySettings DisplaySettingsFromOptions(const CAppOptions& options = g_options)
{
    TDwgDrawThread::DisplaySettings settings;
    settings.listColor = options.ListCtrlColor;
    settings.backgroundColorIndex = options.BackGroundColor & 0xFFFF;
    settings.previewHalfTone = options.PreviewHalfTone;
    return settings;
}

// The frame's window owns the frame once it exists; until then (or when making it failed before
// the window took it) the caller must delete it. The frame's destructor clears slot.
template <class Frame>
bool LoadMainFrame(Frame*& slot, std::unique_ptr<Frame> made, CAppState& state)
{
    if (!made)
        return false;
    slot = made.release(); // owned by its window from LoadFrame on (PostNcDestroy)
    Frame* const frame = slot;
    state.SetMainWindow(frame);
    if (!frame->LoadFrame(frame->GetResourceId(), 0xCF8000)) {
        // No window was made: unless PostNcDestroy already deleted it, the frame is still ours.
        if (slot == frame)
            delete frame;
        slot = nullptr;
        state.SetMainWindow(nullptr);
        return false;
    }
    state.SetMainWindow(frame); // now with its window's handle
    const HICON icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kMainIconId));
    frame->SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return true;
}

} // namespace

CAppState::CAppState() = default;

CAppState::~CAppState()
{
    if (mode.load() == kModeBrowse)
        browseFrame = nullptr;
    else if (mode.load() == kModeView)
        viewFrame = nullptr;
}

void CAppState::SetMainWindow(CWnd* window)
{
    if (CWinApp* application = AfxGetApp())
        application->m_pMainWnd = window;
    mainWindow.store(window ? window->GetSafeHwnd() : nullptr);
}

void CAppState::ForgetFrame(const CWnd* frame)
{
    if (static_cast<const CWnd*>(browseFrame) == frame)
        browseFrame = nullptr;
    if (static_cast<const CWnd*>(viewFrame) == frame)
        viewFrame = nullptr;
    const CWinApp* application = AfxGetApp();
    if (!application || !application->m_pMainWnd || application->m_pMainWnd == frame)
        mainWindow.store(nullptr);
}

void CAppState::SetViewPath(const char* path)
{
    viewPath = path ? path : "";
}

bool CAppState::IsThumbnailThreadIdle() const
{
    return taskThread && taskThread->IsSuspended();
}

bool CAppState::CanOpenOptions() const
{
    switch (mode.load()) {
    case kModeView:
        return true;
    case kModeBrowse:
        return IsThumbnailThreadIdle();
    default:
        return false;
    }
}

void CAppState::EnterViewMode()
{
    mode.store(kModeView);
    thumbnailsInterrupted = taskThread && !IsThumbnailThreadIdle();
    if (browseFrame) {
        browseFrame->StopThumbnailTasks();
        browseFrame->ShowWindow(SW_HIDE);
    }
    SetMainWindow(viewFrame);
    if (drawThread)
        drawThread->SetNotifyWnd(viewFrame ? viewFrame->GetSafeHwnd() : nullptr);
    // The preview's picture is not needed while the view is up: give its memory back.
    if (browseFrame)
        browseFrame->ReleasePreviewPicture();
    if (!viewFrame)
        return;
    ShowViewBackground();
    viewFrame->ShowWindow(SW_SHOW);
    viewFrame->UpdateWindow();
}

void CAppState::ShowViewBackground()
{
    CGDIDevice& picture = viewFrame->GetPicture();
    if (picture.GetWidth() < 1 || picture.GetHeight() < 1)
        return;
    const COLORREF background = GetColorIndex(static_cast<short>(g_options.BackGroundColor & 0xFFFF), nullptr);
    picture.BlendRect(0, 0, picture.GetWidth() - 1, picture.GetHeight() - 1, background, 100, false,
                      RGB(255, 255, 255));
}

void CAppState::EnterBrowseMode(const char* folder, bool atStart)
{
    mode.store(kModeBrowse);
    if (viewFrame)
        viewFrame->ShowWindow(SW_HIDE);
    SetMainWindow(browseFrame);
    if (!browseFrame)
        return;
    // The file list takes the thumbnail thread's reports again. (It keeps them while the view is
    // up too: the view frame reads 0x8014 as the drawing thread's finished picture, which the
    // thumbnail thread's interim picture is not.)
    if (taskThread)
        taskThread->SetNotifyWnd(browseFrame->GetThumbnailWindow());
    if (drawThread) {
        drawThread->SetNotifyWnd(browseFrame->GetPreviewWindow());
        browseFrame->m_strPathToSelect = drawThread->GetFilePath();
        browseFrame->m_bSelectPath = true;
    }
    if (folder && *folder)
        browseFrame->SetStartFolder(folder);
    browseFrame->m_bRestartThumbnails = true;
    browseFrame->ShowFrame(SW_SHOW);
    // Clicks made in the view must not reach the browser.
    MSG msg;
    while (PeekMessageA(&msg, browseFrame->GetSafeHwnd(), WM_MOUSEFIRST, WM_XBUTTONDBLCLK, PM_REMOVE)) {
    }
    // At the start the tree hands the folder to the list by a post: painted now, the list would
    // be painted empty and again at once. The frame itself was painted when it was shown.
    if (!atStart)
        browseFrame->UpdateWindow();
    RefreshPreviewAfterShow();
    if (viewFrame)
        viewFrame->m_bReturnedToBrowser = true;
}

void CAppState::RefreshPreviewAfterShow()
{
    if (!browseFrame->IsPreviewBarVisible())
        return;
    if (drawThread)
        drawThread->RefreshView();
    browseFrame->RedrawPreviewAfterShow();
}

bool CAppState::LoadAppSettings()
{
    lastPath.Empty();
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath(kMainKey), kKeyAccess) != ERROR_SUCCESS)
        return false;
    char buffer[MAX_PATH] = {};
    DWORD size = sizeof(buffer);
    // The framework's query always terminates the text, also when the stored value is not.
    if (key.QueryValue(buffer, kLastViewPath, &size) == ERROR_SUCCESS)
        lastPath = buffer;
    return true;
}

bool CAppState::SaveAppSettings() const
{
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, ProgramKeyPath(kMainKey), nullptr, REG_OPTION_NON_VOLATILE,
                   kKeyAccess) != ERROR_SUCCESS)
        return false;
    return key.SetValue(lastPath, kLastViewPath) == ERROR_SUCCESS;
}

void CAppState::PauseWorkers()
{
    if (drawThread)
        drawThread->SetNotifyWnd(nullptr);
    if (taskThread) {
        taskThread->SetNotifyWnd(nullptr);
        taskThread->SetEnabled(false);
    }
    mode.store(kModeNone);
    closing.store(true);
    if (taskThread) {
        taskThread->CallBreak();
        taskThread->RequestStop();
    }
}

bool CAppState::StartPreviewThread()
{
    auto thread = std::make_unique<TDwgDrawThread>();
    thread->SetAppState(this);
    thread->SetDisplaySettings(DisplaySettingsFromOptions());
    return StartWorker(drawThread, std::move(thread), &SetPreviewThread, IDS_CREATE_PREVIEW_THREAD_FAILED);
}

void CAppState::ApplyDisplaySettings(const CAppOptions& options)
{
    if (drawThread)
        drawThread->SetDisplaySettings(DisplaySettingsFromOptions(options));
}

void CAppState::StopPreviewThread()
{
    StopWorker(drawThread, &GetPreviewThread, &SetPreviewThread, kPreviewStopMs, false);
}

bool CAppState::StartTaskManagerThread()
{
    auto thread = std::make_unique<TTaskManageThread>();
    thread->SetAppState(this);
    thread->SetSettings(ThumbnailSettingsFromOptions());
    thread->SetThumbSize(std::max(1, g_options.ThumbWidth - 2 * g_options.ThumbBorder),
                         std::max(1, g_options.ThumbHeight - 2 * g_options.ThumbBorder));
    return StartWorker(taskThread, std::move(thread), &SetTaskManageThread, IDS_CREATE_TASK_THREAD_FAILED);
}

void CAppState::StopTaskManagerThread()
{
    StopWorker(taskThread, &GetTaskManageThread, &SetTaskManageThread, kTaskStopMs, true);
}

bool CAppState::CreateBrowseFrame(std::unique_ptr<CBrowseModeFrame> frame, bool show)
{
    if (!LoadMainFrame(browseFrame, std::move(frame), *this))
        return false;
    if (show) {
        browseFrame->ShowFrame(SW_SHOW);
        browseFrame->UpdateWindow();
    }
    return true;
}

bool CAppState::CreateViewFrame(std::unique_ptr<CViewModeFrame> frame, bool show)
{
    if (!LoadMainFrame(viewFrame, std::move(frame), *this))
        return false;
    if (show)
        viewFrame->ShowWindow(SW_SHOW);
    return true;
}

void CAppState::ResetSettingsAfterFailedStart()
{
    CStartupGuard::ResetSettings(g_strRegistryRoot);
}

int CAppState::ParseStartupCommandLine(CString& path)
{
    return ParseStartupArguments(__argc, __argv, path);
}
