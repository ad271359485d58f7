#include "frames/browse/CBrowseFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/CProgramInfo.h"
#include "core/FileUtils.h"
#include "frames/browse/BrowseBarLayout.h"
#include "frames/common/BrowserFileList.h"
#include "frames/common/FrameClass.h"
#include "frames/options/COption.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/TTaskManageThread.h"
#include "res/resource.h"
#include "framework/CCmdUI.h"
#include "ui/CBarFrameWnd.h"

IMPLEMENT_DYNAMIC(CBrowseFrame, CFrameWnd)

const char CBrowseFrame::kClassName[] = "OrvoKestalBrowseFrame";

namespace {

constexpr UINT kMenuImageBars[] = {IDR_BROWSEFRAME, IDR_BROWSE_TOOLS_IMAGES, IDR_VIEW_IMAGE_TOOLBAR};
constexpr int kNarrowExtra = 50;

} // namespace

BEGIN_MESSAGE_MAP(CBrowseFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SETFOCUS()
    ON_WM_DEVICECHANGE()
    ON_MESSAGE(kMsgStatusRefresh, &CBrowseFrame::OnUpdateStatus)
    ON_MESSAGE(kMsgDrawProgress, &CBrowseFrame::OnDrawProgress)
    ON_MESSAGE(WM_SETMESSAGESTRING, &CBrowseFrame::OnMessageString)
    ON_MESSAGE(kMsgStatusText, &CBrowseFrame::OnSetStatusText)
    ON_MESSAGE(kMsgFolderShown, &CBrowseFrame::OnFolderShown)
    ON_MESSAGE(kMsgListFolderChanged, &CBrowseFrame::OnFolderShown)
    ON_MESSAGE(kMsgPathBoxBrowse, &CBrowseFrame::OnPathBoxBrowse)
    ON_MESSAGE(kMsgProgressEnd, &CBrowseFrame::OnProgressEnd)
    ON_MESSAGE(kMsgPathBoxReload, &CBrowseFrame::OnPathBoxReload)
    ON_MESSAGE(WM_OPTIONS_BROWSER_CHANGED, &CBrowseFrame::OnBrowseOptionsChanged)
    ON_MESSAGE(WM_OPTIONS_THUMBNAIL_CHANGED, &CBrowseFrame::OnThumbnailOptionsChanged)
    ON_MESSAGE(WM_OPTIONS_CACHE_CHANGED, &CBrowseFrame::OnCacheOptionsChanged)
    ON_MESSAGE(WM_OPTIONS_DRAWING_CHANGED, &CBrowseFrame::OnDrawingOptionsChanged)
    ON_COMMAND(ID_TOOLS_OPTIONS, &CBrowseFrame::OnToolsOptions)
    ON_COMMAND(ID_BROWSE_SELECT_MODE, &CBrowseFrame::OnSelectBrowserModeCommand)
END_MESSAGE_MAP()

CBrowseFrame::~CBrowseFrame()
{
    g_appState.ForgetFrame(this);
}

BOOL CBrowseFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style |= WS_CLIPCHILDREN;
    return CFrameWnd::PreCreateWindow(cs) && UseOwnFrameClass(cs, kClassName);
}

int CBrowseFrame::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) &&
        m_font.CreateFontIndirect(&metrics.lfMenuFont))
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), TRUE);
    m_menuImages.AttachFrame(this);
    for (const UINT bar : kMenuImageBars)
        m_menuImages.AddToolbarImages(bar);
    if (!BrowseFrameParts::CreateCentreView(m_view, this))
        return -1;
    // The view's next and previous file walk this list.
    SetBrowserFileList(GetList());
    if (!CreateBars())
        return -1;
    BrowseFrameParts::Connect(m_view, m_treeBar, GetPreview(), this,
                              [this](const CString& folder) { return BrowseToFolder(folder); });
    m_statusBar.SetPaneInfo(0, 0, SBPS_STRETCH | SBPS_NOBORDERS, kInfoPaneWidth);
    // The layout written for a first start is loaded by the restore itself.
    const bool restored = RestoreBarLayout();
    m_placement.LoadFromProfile("Browser");
    if (!restored)
        CBarFrameWnd::LoadBarStateOf(*this, BrowseBarLayout::kSection);
    GetTree().OpenStartFolder();
    OnBrowseOptionsChanged(0, 0);
    return 0;
}

bool CBrowseFrame::CreateSizingBar(CBarControlBar& bar, UINT id, const char* title, CSize size)
{
    if (!bar.Create(this, id, title, size, WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBRS_LEFT, TRUE))
        return false;
    bar.SetBarStyle(bar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    bar.EnableDocking(CBRS_ALIGN_ANY);
    return true;
}

bool CBrowseFrame::CreateToolAndStatusBars()
{
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_TRANSPARENT,
                            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_BORDER_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY |
                                CBRS_SIZE_DYNAMIC,
                            CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_toolBar.LoadToolBar(kResourceId))
        return false;
    const UINT indicators[] = {ID_SEPARATOR};
    return m_statusBar.Create(this, WS_CHILD | CBRS_BOTTOM | CBRS_BORDER_TOP, AFX_IDW_STATUS_BAR) &&
           m_statusBar.SetIndicators(indicators, 1);
}

bool CBrowseFrame::CreateBars()
{
    if (!CreateToolAndStatusBars())
        return false;
    m_toolBar.EnableDocking(CBRS_ALIGN_ANY);
    CBarFrameWnd::EnableBarDocking(*this, CBRS_ALIGN_ANY);
    DockControlBar(&m_toolBar, AFX_IDW_DOCKBAR_TOP);
    if (!CreateSizingBar(m_treeBar, kTreeBarId, "Dir Tree", CSize(225, 100)) ||
        !CreateSizingBar(m_previewBar, kPreviewBarId, "PreView", CSize(225, 80)))
        return false;
    DockControlBar(&m_treeBar, AFX_IDW_DOCKBAR_LEFT);
    DockControlBar(&m_previewBar, AFX_IDW_DOCKBAR_LEFT);
    return true;
}

bool CBrowseFrame::RestoreBarLayout()
{
    if (BrowseBarLayout::IsSaved())
        return false;
    BrowseBarLayout::Write(1);
    CBarFrameWnd::LoadBarStateOf(*this, BrowseBarLayout::kSection);
    // The first show maximizes the frame; a hidden frame is not shown before its mode is chosen.
    m_placement.m_nShowCmd = SW_SHOWMAXIMIZED;
    m_maximizeOnFirstShow = true;
    RecalcLayout();
    return true;
}

void CBrowseFrame::SelectBrowserMode(int mode)
{
    if (mode >= 1 && mode <= 4) {
        BrowseBarLayout::Write(mode);
        CBarFrameWnd::LoadBarStateOf(*this, BrowseBarLayout::kSection);
        ShowWindow(SW_MAXIMIZE);
        RecalcLayout();
    } else if (mode == 5) {
        ShowNarrowMode(m_previewBar, m_treeBar);
    } else if (mode == 6) {
        ShowNarrowMode(m_treeBar, m_previewBar);
    } else {
        return;
    }
    // The bars moved inside their dock bars: what they left behind is painted again.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// The narrow modes keep the frame where the user has it (the top-left corner of a maximized
// frame is its restored place) and only set its width.
void CBrowseFrame::ShowNarrowMode(CControlBar& shown, CControlBar& hidden)
{
    ShowControlBar(&hidden, FALSE, FALSE);
    ShowControlBar(&shown, TRUE, FALSE);
    shown.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&shown, AFX_IDW_DOCKBAR_BOTTOM);
    // The show state and the rectangle change in one step: a maximized frame restored first and
    // moved after could be taken for maximized again by a window manager that saw the old size.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(&placement);
    CRect window;
    GetWindowRect(&window);
    CRect normal = IsZoomed() ? CRect(placement.rcNormalPosition) : window;
    normal.right = normal.left + 2 * g_options.ThumbWidth + kNarrowExtra;
    normal.bottom = normal.top + window.Height();
    placement.rcNormalPosition = normal;
    placement.showCmd = SW_SHOWNORMAL;
    placement.flags = 0;
    SetWindowPlacement(&placement);
    RecalcLayout();
}

BOOL CBrowseFrame::ShowFrame(int nCmdShow)
{
    // The list's own refresh below keeps the file this call selects in the preview.
    CIEShellListCtrl& list = m_view.GetListCtrl();
    list.SetPreviewResetOnFill(false);
    BOOL result = FALSE;
    const bool first = !m_shownOnce;
    if (first) {
        m_shownOnce = true;
        if (m_maximizeOnFirstShow) {
            result = ShowWindow(SW_SHOWMAXIMIZED);
        } else {
            m_placement.ApplyTo(this);
            result = TRUE;
        }
    } else {
        ApplyPendingOptions();
        result = ShowWindow(nCmdShow);
    }
    UpdateWindow();
    CRect window;
    GetWindowRect(&window);
    // Only a frame that lies wholly off the screen is brought back (maximized).
    if (window.right <= 0 || window.bottom <= 0 || window.left >= ::GetSystemMetrics(SM_CXVIRTUALSCREEN) ||
        window.top >= ::GetSystemMetrics(SM_CYVIRTUALSCREEN) || window.Width() < 10 || window.Height() < 10)
        ShowWindow(SW_MAXIMIZE);
    if (first)
        GetTree().RefillFromDesktop();
    GetTree().SelectPendingFolder();
    if (first)
        GetTree().ForgetKnownIcons();
    SelectShownFile();
    list.SetPreviewResetOnFill(true);
    // Reports that reached the view frame meanwhile are made good by one fresh status.
    PostMessage(kMsgStatusRefresh, 0, 0);
    return result;
}

// The file last viewed is selected again; the thumbnail work the view interrupted goes on.
void CBrowseFrame::SelectShownFile()
{
    CIEShellListCtrl& list = m_view.GetListCtrl();
    if (m_bSelectPath) {
        m_bSelectPath = false;
        if (m_strPathToSelect.IsEmpty() || !list.SelectItemByPath(m_strPathToSelect))
            GetPreview().Reset();
    }
    if (g_appState.thumbnailsInterrupted) {
        g_appState.thumbnailsInterrupted = false;
        m_bRestartThumbnails = false;
        if (IsThumbnailThreadIdle())
            list.Refresh(TRUE, FALSE);
    } else if (m_bRestartThumbnails) {
        m_bRestartThumbnails = false;
        list.Refresh(TRUE, FALSE);
    }
}

// Settings changed while the view frame was the main window reached only the view: the browse
// options are applied again, and what the other pages changed is done now.
void CBrowseFrame::ApplyPendingOptions()
{
    const unsigned pending = m_pendingOptions;
    m_pendingOptions = 0;
    OnBrowseOptionsChanged(0, (pending & kPendingRefill) != 0 ? 1 : 0);
    if ((pending & kPendingThumbnails) != 0)
        OnThumbnailOptionsChanged(0, 0);
    if ((pending & kPendingDrawing) != 0)
        OnDrawingOptionsChanged(0, 0);
}

void CBrowseFrame::SetStartFolder(const char* folder)
{
    // The tree selects it at the next show.
    if (folder && *folder)
        GetTree().SetStartFolder(folder);
}

CString CBrowseFrame::GetShownFolder() const
{
    const CIEShellListCtrl* list = GetList();
    return list->GetSafeHwnd() ? list->GetFolderPath() : CString();
}

bool CBrowseFrame::BrowseToFolder(const CString& path)
{
    return !path.IsEmpty() && BrowseFrameParts::BrowseToFolder(m_treeBar, path);
}

// Idle: the thread exists and has suspended itself waiting for work.
bool CBrowseFrame::IsThumbnailThreadIdle() const
{
    const TTaskManageThread* thread = g_appState.taskThread.get();
    return thread && thread->IsSuspended();
}

bool CBrowseFrame::IsThumbnailThreadWorking() const
{
    const TTaskManageThread* thread = g_appState.taskThread.get();
    return thread && !thread->IsSuspended();
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
    return m_previewBar.GetSafeHwnd() && m_previewBar.IsWindowVisible();
}

void CBrowseFrame::ReleasePreviewPicture()
{
    GetPreview().GetDevice().Create(2, 2, 3);
}

void CBrowseFrame::RedrawPreviewAfterShow()
{
    // A picture comes back at the view's zoom: it is fitted to the pane again.
    const TDwgDrawThread* thread = g_appState.drawThread.get();
    if (thread && thread->GetFileType() >= 4)
        GetPreview().RefitImage();
    else
        GetPreview().RedrawImage(TDwgDrawThread::kRequestRedraw);
}

void CBrowseFrame::UpdateTitle()
{
    CString title;
    title.Format("%s %s", "", static_cast<const char*>(g_programInfo.productTitle));
    const CString path = GetList()->GetSafeHwnd() ? GetList()->GetCurrentPath() : CString();
    if (g_options.ShowFullPath && !path.IsEmpty())
        title += " [ " + path + " ]";
    CString old;
    GetWindowText(old);
    if (old != title)
        SetWindowText(title);
}

void CBrowseFrame::SaveLayoutAndPlacement()
{
    m_placement.SaveToProfile(this);
    CBarFrameWnd::SaveBarStateOf(*this, BrowseBarLayout::kSection);
}

void CBrowseFrame::OnClose()
{
    SaveLayoutAndPlacement();
    GetList()->SaveViewSettings();
    g_appState.PauseWorkers();
    CFrameWnd::OnClose();
}

void CBrowseFrame::OnDestroy()
{
    SetBrowserFileList(nullptr);
    g_appState.mode.store(CAppState::kModeNone);
    GetList()->SetThumbnailThread(nullptr);
    CFrameWnd::OnDestroy();
}

void CBrowseFrame::OnSetFocus(CWnd*)
{
    if (GetList()->GetSafeHwnd())
        GetList()->SetFocus();
}

// The system tells only top-level windows of drives that come and go.
BOOL CBrowseFrame::OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
{
    if (m_treeBar.GetSafeHwnd())
        m_treeBar.SendMessage(WM_DEVICECHANGE, nEventType, static_cast<LPARAM>(dwData));
    return TRUE;
}

// A command goes to the list first, then to the preview bar and its pane, then to the frame.
BOOL CBrowseFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_view.GetSafeHwnd() && m_view.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (GetList()->GetSafeHwnd() && GetList()->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (m_previewBar.GetSafeHwnd() && m_previewBar.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (pHandlerInfo == nullptr && nCode == CN_COMMAND && RunCommand(nID))
        return TRUE;
    bool enabled = false;
    int check = 0;
    if (pHandlerInfo == nullptr && nCode == CN_UPDATE_COMMAND_UI && GetCommandState(nID, enabled, check)) {
        auto* ui = static_cast<CCmdUI*>(pExtra);
        ui->Enable(enabled);
        // The view types are one choice of five: the one shown has a radio mark.
        if (IsViewTypeCommand(nID))
            ui->SetRadio(check != 0);
        else
            ui->SetCheck(check);
        return TRUE;
    }
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
