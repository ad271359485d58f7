#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "frames/common/FrameClass.h"
#include "frames/options/COption.h"
#include "framework/CommonControls.h"
#include "render/workers/TDwgDrawThread.h"

IMPLEMENT_DYNAMIC(CViewFrame, CFrameWnd)

const char CViewFrame::kClassName[] = "OrvoKestalViewFrame";

// The view's own commands are handled by the view, which sees every command first.
BEGIN_MESSAGE_MAP(CViewFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_ENTERSIZEMOVE()
    ON_WM_EXITSIZEMOVE()
    ON_WM_SHOWWINDOW()
    ON_WM_GETMINMAXINFO()
    ON_WM_MENUSELECT()
    ON_WM_TIMER()
    ON_MESSAGE(TDwgDrawThread::kMsgProgress, &CViewFrame::OnLoadProgress)
    ON_MESSAGE(TDwgDrawThread::kMsgOpenStage, &CViewFrame::OnReopenFile)
    ON_MESSAGE(TDwgDrawThread::kMsgRequestDone, &CViewFrame::OnFileOpened)
    ON_MESSAGE(CDrawCommonThread::kMsgPictureReady, &CViewFrame::OnFrameRendered)
    ON_MESSAGE(CViewFrame::kMsgReturnToBrowser, &CViewFrame::OnReturnToBrowser)
    ON_MESSAGE(CViewFrame::kMsgDrawingOptionsChanged, &CViewFrame::OnDrawingOptionsChanged)
    ON_MESSAGE(CViewFrame::kMsgRedrawView, &CViewFrame::OnRedrawView)
    ON_COMMAND(ID_TOOLS_OPTIONS, &CViewFrame::OnToolsOptions)
    ON_COMMAND(ID_VIEW_BROWSER_MODE, &CViewFrame::OnBrowserMode)
    ON_COMMAND(ID_VIEW_FILE_OPEN, &CViewFrame::OnFileOpen)
    ON_COMMAND(ID_VIEW_FULL_SCREEN, &CViewFrame::OnFullScreen)
    ON_COMMAND(ID_VIEW_NEXT_PAGE, &CViewFrame::OnNextPage)
    ON_COMMAND(ID_VIEW_PREVIOUS_PAGE, &CViewFrame::OnPreviousPage)
    ON_COMMAND(ID_VIEW_LAYER, &CViewFrame::OnLayer)
    ON_COMMAND(ID_VIEW_POINT_STYLE, &CViewFrame::OnPointStyle)
    ON_COMMAND(ID_VIEW_REGEN, &CViewFrame::OnRegen)
    ON_COMMAND(ID_VIEW_3D_DYNAMIC, &CViewFrame::OnDynamicView)
    ON_UPDATE_COMMAND_UI(ID_VIEW_LAYER, &CViewFrame::OnUpdateDrawingCommand)
    ON_UPDATE_COMMAND_UI(ID_VIEW_POINT_STYLE, &CViewFrame::OnUpdateDrawingCommand)
    ON_UPDATE_COMMAND_UI(ID_VIEW_REGEN, &CViewFrame::OnUpdateDrawingCommand)
    ON_UPDATE_COMMAND_UI(ID_VIEW_3D_DYNAMIC, &CViewFrame::OnUpdateDynamicView)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_SELECT_VIEWPOINT, ID_VIEW_3D_NW, &CViewFrame::OnUpdateViewPoints)
    ON_COMMAND_RANGE(ID_VIEW_3D_TOP, ID_VIEW_3D_NW, &CViewFrame::OnViewPoint)
    ON_COMMAND(ID_VIEW_ROTATE_VIEW, &CViewFrame::OnRotateView)
    ON_COMMAND(ID_VIEW_SELECT_VIEWPOINT, &CViewFrame::OnSelectViewPoint)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ROTATE_VIEW, &CViewFrame::OnUpdateViewPoints)
    ON_COMMAND(ID_VIEW_SMOOTH_DISPLAY, &CViewFrame::OnSmoothDisplay)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SMOOTH_DISPLAY, &CViewFrame::OnUpdateSmoothDisplay)
    ON_COMMAND(ID_VIEW_DRAWING_PROPERTIES, &CViewFrame::OnDrawingProperties)
    ON_COMMAND(ID_HELP_ACCELERATOR_KEYS, &CViewFrame::OnKeyList)
    ON_UPDATE_COMMAND_UI(ID_VIEW_DRAWING_PROPERTIES, &CViewFrame::OnUpdateDrawingProperties)
    ON_COMMAND_RANGE(ID_VIEW_BLACK_WHITE, ID_VIEW_256_COLORS, &CViewFrame::OnColourMode)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_BLACK_WHITE, ID_VIEW_256_COLORS, &CViewFrame::OnUpdateColourMode)
    ON_WM_MOUSEWHEEL()
    ON_WM_CLOSE()
    ON_UPDATE_COMMAND_UI(ID_VIEW_FILE_OPEN, &CViewFrame::OnUpdateOpen)
    ON_COMMAND(ID_VIEW_PRINT, &CViewFrame::OnFilePrint)
    ON_COMMAND(ID_VIEW_SAVE_AS, &CViewFrame::OnFileSaveAs)
    ON_COMMAND(ID_VIEW_INSERT_AUTOCAD, &CViewFrame::OnInsertIntoAutoCAD)
    ON_MESSAGE(CViewFrame::kMsgPrintWindowPicked, &CViewFrame::OnPrintWindowPicked)
    ON_UPDATE_COMMAND_UI(ID_VIEW_PRINT, &CViewFrame::OnUpdatePrintOrSave)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SAVE_AS, &CViewFrame::OnUpdatePrintOrSave)
    ON_UPDATE_COMMAND_UI(ID_VIEW_INSERT_AUTOCAD, &CViewFrame::OnUpdateInsertIntoAutoCAD)
    ON_UPDATE_COMMAND_UI(ID_VIEW_FULL_SCREEN, &CViewFrame::OnUpdateFullScreen)
    ON_UPDATE_COMMAND_UI(ID_VIEW_NEXT_PAGE, &CViewFrame::OnUpdateNextPage)
    ON_UPDATE_COMMAND_UI(ID_VIEW_PREVIOUS_PAGE, &CViewFrame::OnUpdatePreviousPage)
END_MESSAGE_MAP()

namespace {

constexpr DWORD kToolBarControlStyle = 0x8800;   // flat, transparent
constexpr DWORD kToolBarWindowStyle = 0x50402834; // child, visible, top, gripper, tips, fly-by, dynamic
constexpr DWORD kStatusBarStyle = 0x50008200;     // child, visible, bottom, top border
constexpr DWORD kTabsStyle = 0x5000000F;
constexpr int kStatusPane0Width = 250;
const UINT kStatusPanes[] = {ID_SEPARATOR, ID_SEPARATOR};
// The drawing thread's messages to its notify window run from 0x8014 to here.
constexpr UINT kLastThreadMessage = 0x8023;

} // namespace

CViewFrame::CViewFrame()
{
    m_wndView.SetPicture(&m_picture);
}

CViewFrame::~CViewFrame()
{
    g_appState.ForgetFrame(this);
}

TDwgDrawThread* CViewFrame::Thread()
{
    return g_appState.mode.load() != CAppState::kModeNone ? g_appState.drawThread.get() : nullptr;
}

bool CViewFrame::IsDrawing() const
{
    const TDwgDrawThread* thread = Thread();
    return thread && thread->GetFileType() >= 0 && thread->GetFileType() < 4;
}

bool CViewFrame::IsImage() const
{
    const TDwgDrawThread* thread = Thread();
    return thread && thread->GetFileType() >= 4;
}

// A drawing, loaded and valid, the thread idle and no print window being picked.
bool CViewFrame::IsDrawingReady() const
{
    return IsDrawing() && !Thread()->IsBusy() && !m_wndView.m_bPickWindow && Thread()->IsDrawingValid();
}

BOOL CViewFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    // The caption names the shown file (UpdateTitle); the framework must not put its own back.
    cs.style &= ~FWS_ADDTOTITLE;
    return UseOwnFrameClass(cs, kClassName);
}

int CViewFrame::OnCreate(LPCREATESTRUCTA create)
{
    if (CFrameWnd::OnCreate(create) == -1)
        return -1;
    m_menuManager.AttachFrame(this);
    for (const UINT toolbar : {IDR_VIEW_TOOLBAR, IDR_VIEW_3D_TOOLBAR, IDR_VIEW_IMAGE_TOOLBAR})
        m_menuManager.AddToolbarImages(toolbar);
    if (!m_wndView.Create(this, AFX_IDW_PANE_FIRST))
        return -1;
    if (!m_wndToolBar.CreateEx(this, kToolBarControlStyle, kToolBarWindowStyle, CRect(0, 0, 0, 1), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_VIEW_TOOLBAR))
        return -1;
    if (!m_wndStatusBar.Create(this, kStatusBarStyle, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kStatusPanes, 2))
        return -1;
    m_wndStatusBar.SetPaneInfo(0, ID_SEPARATOR, SBPS_NORMAL, kStatusPane0Width);
    m_wndStatusBar.SetPaneInfo(1, ID_SEPARATOR, SBPS_NOBORDERS | SBPS_STRETCH, 0);
    m_wndStatusBar.SetPaneText(1, "");
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    CRect pane;
    m_wndStatusBar.GetItemRect(1, &pane);
    pane.left += 2;
    pane.top -= 1;
    if (!m_wndTabs.Create(kTabsStyle, pane, &m_wndStatusBar, IDC_VIEW_TABS))
        return -1;
    m_wndTabs.SetOwner(this);
    return 0;
}

BOOL CViewFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (!g_appState.modalDialogOpen && m_wndView.GetSafeHwnd() &&
        m_wndView.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CViewFrame::PreTranslateMessage(MSG* pMsg)
{
    const bool mine = pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd);
    const bool key = pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN;
    const bool chord = pMsg->message == WM_SYSKEYDOWN && pMsg->wParam != VK_MENU;
    if (mine && key && HandleKeyDown(static_cast<UINT>(pMsg->wParam))) {
        m_bAltChordTaken = m_bAltChordTaken || chord;
        return TRUE;
    }
    // Alt let go after an Alt chord the accelerators took (Alt+R turns the image) would open the
    // menu bar: the system saw Alt alone, since the chord's key never reached it.
    const bool altUp = (pMsg->message == WM_SYSKEYUP || pMsg->message == WM_KEYUP) && pMsg->wParam == VK_MENU;
    if (altUp && m_bAltChordTaken) {
        m_bAltChordTaken = false;
        return TRUE;
    }
    const BOOL taken = CFrameWnd::PreTranslateMessage(pMsg);
    if (taken && chord)
        m_bAltChordTaken = true;
    return taken;
}

// Escape first ends full screen. Then, started to view one file, it closes the program the way
// closing the window does, so the window's position and the settings are saved; otherwise it goes
// back to the browser.
void CViewFrame::OnEscape()
{
    if (m_bFullScreen) {
        OnFullScreen();
        return;
    }
    if (!m_bStartedInView) {
        OnBrowserMode();
        return;
    }
    PostMessage(WM_CLOSE);
}

void CViewFrame::OnClose()
{
    g_appState.PauseWorkers();
    CFrameWnd::OnClose();
}

void CViewFrame::OnToolsOptions()
{
    RunOptionsCommand();
}

// The thread's reports that arrive while waiting (finished request, open stage, picture) are
// handled as they come, not dropped, so a finished picture or an open stage is never lost; the
// thread's blocking sends are answered meanwhile. The wait is bounded.
bool CViewFrame::WaitForThreadIdle(DWORD limitMs)
{
    const auto handleReports = [this] {
        MSG msg;
        while (::PeekMessageA(&msg, m_hWnd, CDrawCommonThread::kMsgPictureReady, kLastThreadMessage, PM_REMOVE))
            ::DispatchMessageA(&msg);
    };
    TDwgDrawThread* thread = Thread();
    const DWORD start = ::GetTickCount();
    while (thread && thread->IsBusy() && ::GetTickCount() - start < limitMs) {
        handleReports();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE | QS_POSTMESSAGE);
    }
    handleReports();
    return !thread || !thread->IsBusy();
}

void CViewFrame::ApplyOptionsRequest()
{
    if (IsDrawing())
        Thread()->PostRequest(TDwgDrawThread::kRequestApplyOptions);
}

LRESULT CViewFrame::OnDrawingOptionsChanged(WPARAM, LPARAM)
{
    if (!IsDrawing())
        return 0;
    WaitForThreadIdle();
    ApplyOptionsRequest();
    return 0;
}

void CViewFrame::OnLayer()
{
    if (!IsDrawingReady())
        return;
    CAppState::ModalScope modal(g_appState);
    if (showLayerManager(Thread()->GetDrawing()) == 1)
        ApplyOptionsRequest();
}

void CViewFrame::OnPointStyle()
{
    if (!IsDrawingReady())
        return;
    CDrawing* drawing = Thread()->GetDrawing();
    int mode = 0;
    double size = 0.0;
    drawing->GetPointMode(&mode, &size);
    CAppState::ModalScope modal(g_appState);
    if (showSetPointDialog(&mode, &size) == 1) {
        drawing->SetPointMode(mode, size);
        ApplyOptionsRequest();
    }
}

void CViewFrame::OnRegen()
{
    if (IsDrawingReady() && !Thread()->IsOpening())
        ApplyOptionsRequest();
}

void CViewFrame::OnDynamicView()
{
    m_wndView.SetDynamicViewMode(!m_wndView.m_bDynamicView);
}

void CViewFrame::OnUpdateDrawingCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsDrawing() && !Thread()->IsBusy() && Thread()->IsDrawingValid());
}

void CViewFrame::OnUpdateDynamicView(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DrawingToTurn() != nullptr);
    pCmdUI->SetCheck(IsDrawing() && m_wndView.m_bDynamicView ? 1 : 0);
}

void CViewFrame::OnUpdateViewPoints(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DrawingToTurn() != nullptr);
}

void CViewFrame::OnUpdateOpen(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(thread && (IsImage() || thread->GetFileType() < 0 || IsDrawingReady() || !thread->IsBusy()));
}

void CViewFrame::OnUpdateFullScreen(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(m_bFullScreen && thread && !thread->IsBusy() ? 1 : 0);
}

void CViewFrame::OnUpdateNextPage(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(thread && !thread->IsBusy() && m_wndTabs.GetCurSel() < m_wndTabs.GetItemCount() - 1);
}

void CViewFrame::OnUpdatePreviousPage(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(thread && !thread->IsBusy() && m_wndTabs.GetItemCount() > 0 && m_wndTabs.GetCurSel() > 0);
}
