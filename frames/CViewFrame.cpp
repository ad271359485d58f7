#include "frames/CViewFrame.h"

#include "app/CAppState.h"
#include "app/core/FileUtils.h"
#include "app/core/PathUtils.h"
#include "frames/FrameClass.h"
#include "frames/options/COption.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CViewFrame, CFrameWnd)

const char CViewFrame::kClassName[] = "OrvoKestalViewFrame";

BEGIN_MESSAGE_MAP(CViewFrame, CFrameWnd)
    ON_COMMAND(ID_TOOLS_OPTIONS, &CViewFrame::OnToolsOptions)
    ON_COMMAND(CViewFrame::kBrowserModeCommand, &CViewFrame::OnBrowserMode)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_MESSAGE(TDwgDrawThread::kMsgRequestDone, &CViewFrame::OnRequestDone)
END_MESSAGE_MAP()

CViewFrame::~CViewFrame()
{
    g_appState.ForgetFrame(this);
}

BOOL CViewFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    return CFrameWnd::PreCreateWindow(cs) && UseOwnFrameClass(cs, kClassName);
}

BOOL CViewFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        OnEscape();
        return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

// Started to view one file, Escape ends the program; otherwise it goes back to the browser.
void CViewFrame::OnEscape()
{
    if (!m_bStartedInView) {
        OnBrowserMode();
        return;
    }
    g_appState.PauseWorkers();
    ::PostQuitMessage(0);
}

void CViewFrame::OnBrowserMode()
{
    m_bStartedInView = false;
    const TDwgDrawThread* thread = g_appState.drawThread.get();
    const CString folder = GetPathFolder(thread ? thread->GetFilePath() : g_appState.viewPath);
    g_appState.EnterBrowseMode(IsExistingFolder(folder) ? static_cast<const char*>(folder) : nullptr);
}

void CViewFrame::OnSize(UINT nType, int cx, int cy)
{
    CFrameWnd::OnSize(nType, cx, cy);
    if (cx > 0 && cy > 0)
        m_picture.Create(cx, cy, 3);
}

void CViewFrame::OnPaint()
{
    CPaintDC dc(this);
    const TDwgDrawThread* thread = g_appState.drawThread.get();
    if (thread && thread->PaintTo(dc.GetSafeHdc()))
        return;
    if (!m_picture.CopyTo(dc.GetSafeHdc())) {
        CRect client;
        GetClientRect(&client);
        ::FillRect(dc.GetSafeHdc(), &client, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    }
}

// The drawing thread finished a request: its picture is new.
LRESULT CViewFrame::OnRequestDone(WPARAM, LPARAM)
{
    Invalidate(FALSE);
    return 0;
}

BOOL CViewFrame::OnEraseBkgnd(CDC*)
{
    return TRUE; // OnPaint covers the whole client area
}

void CViewFrame::OnToolsOptions()
{
    RunOptionsCommand();
}
