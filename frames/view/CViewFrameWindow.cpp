// The view frame's window: File Open, the picture kept at the view's size through sizing,
// moving, showing and hiding, full screen, and the remembered position.
#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/CDrawingFileType.h"
#include "engine/rkui/RkUI.h"
#include "frames/view/ViewOpenFilter.h"
#include "frames/view/ViewWindowPosition.h"
#include "render/workers/TDwgDrawThread.h"

#include <cstdlib>

namespace {

constexpr DWORD kOpenFlags = 0x1004; // OFN_FILEMUSTEXIST | OFN_HIDEREADONLY

bool WithinTwoPixels(const CSize& a, int width, int height)
{
    return std::abs(a.cx - width) < 2 && std::abs(a.cy - height) < 2;
}

} // namespace

void CViewFrame::OnFileOpen()
{
    CString path;
    const CString filter = BuildViewOpenFilter();
    if (showDwgOpenDialog(1, nullptr, nullptr, kOpenFlags, filter, this, &path) != 1)
        return;
    CDrawingFileInfo row;
    if (!GetDrawingFileInfo(path, &row)) {
        // Typed under an all-files filter: a file of no known type is not opened.
        AfxMessageBox("Open file error: " + path, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_wndView.m_bFolderWalk = false;
    g_appState.SetViewPath(path);
    OpenFile(path, row.typeId);
}

void CViewFrame::FillPicture()
{
    if (m_picture.GetWidth() > 0 && m_picture.GetHeight() > 0) {
        m_picture.BlendRect(0, 0, m_picture.GetWidth() - 1, m_picture.GetHeight() - 1, CDwgView::BackgroundColour(),
                            100, false, 0);
    }
}

// Keeps the picture at the view's size: a change of less than 2 pixels keeps the picture and
// re-renders nothing.
void CViewFrame::FitPictureToView()
{
    TDwgDrawThread* thread = Thread();
    if (!thread || !m_wndView.GetSafeHwnd())
        return;
    const CSize area = m_wndView.GetPictureSize();
    if (IsImage()) {
        if (!thread->IsBusy() && thread->GetRasterCanvas().SetSize(area.cx, area.cy)) {
            thread->GetRasterScene().Redraw(false);
            RequestRedraw();
        }
        return;
    }
    if (m_picture.GetWidth() > 0 && WithinTwoPixels(area, m_picture.GetWidth(), m_picture.GetHeight()))
        return;
    if (m_picture.Create(area.cx, area.cy, 3))
        FillPicture();
    if (!thread->IsBusy() && !WithinTwoPixels(area, thread->GetDeviceWidth(), thread->GetDeviceHeight()))
        thread->RequestResize(area.cx, area.cy);
}

void CViewFrame::OnSize(UINT nType, int cx, int cy)
{
    CFrameWnd::OnSize(nType, cx, cy);
    if (cx == 0 || cy == 0)
        return;
    PlaceTabs();
    FitPictureToView();
}

void CViewFrame::OnEnterSizeMove()
{
    m_bInSizeMove = true;
    m_wndView.m_bSizing = true;
}

void CViewFrame::OnExitSizeMove()
{
    m_bInSizeMove = false;
    m_wndView.m_bSizing = false;
    FitPictureToView();
    m_wndView.RepaintNow();
}

void CViewFrame::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CFrameWnd::OnShowWindow(bShow, nStatus);
    m_bTabsStale = true;
    if (!bShow) {
        SavePosition();
        return;
    }
    UpdateTitle();
    if (m_bFirstShow) {
        m_bFirstShow = false;
        RestorePosition();
    }
    TDwgDrawThread* thread = Thread();
    if (thread && !thread->IsBusy()) {
        const CSize area = m_wndView.GetPictureSize();
        if (IsDrawing() && !WithinTwoPixels(area, thread->GetDeviceWidth(), thread->GetDeviceHeight()))
            thread->RequestResize(area.cx, area.cy);
        else if (IsImage() && thread->GetRasterCanvas().SetSize(area.cx, area.cy))
            thread->GetRasterScene().ZoomExtents();
    }
    BuildPageTabs();
    m_bTabsStale = true;
    ShowImageStatus();
}

void CViewFrame::RestorePosition()
{
    RECT rect;
    ViewWindowPosition::Load(rect);
    rect = ViewWindowPosition::BringOnScreen(rect);
    MoveWindow(&rect, TRUE);
    if (ViewWindowPosition::LoadFullScreen() && !m_bFullScreen)
        OnFullScreen();
}

void CViewFrame::SavePosition()
{
    RECT rect;
    if (m_bFullScreen)
        rect = m_wpBeforeFullScreen.rcNormalPosition;
    else
        GetWindowRect(&rect);
    ViewWindowPosition::Save(rect);
    ViewWindowPosition::SaveFullScreen(m_bFullScreen != FALSE);
}

void CViewFrame::OnDestroy()
{
    if (TDwgDrawThread* thread = g_appState.drawThread.get()) {
        if (thread->GetNotifyWnd() == m_hWnd)
            thread->SetNotifyWnd(nullptr);
    }
    SavePosition();
    CFrameWnd::OnDestroy();
}

void CViewFrame::OnFullScreen()
{
    FillPicture();
    if (m_bFullScreen) {
        m_wpBeforeFullScreen.showCmd = SW_SHOWNORMAL;
        m_bFullScreen = FALSE;
        SetWindowPlacement(&m_wpBeforeFullScreen);
        return;
    }
    m_wpBeforeFullScreen.length = sizeof(m_wpBeforeFullScreen);
    GetWindowPlacement(&m_wpBeforeFullScreen);
    // Measured from the view's own client area, so that everything around it (frame edges,
    // caption, menu, bars, dock rows, the view's border) lies off the screen.
    CRect window;
    GetWindowRect(&window);
    CRect view;
    m_wndView.GetClientRect(&view);
    m_wndView.ClientToScreen(&view);
    m_rcFullScreen.left = window.left - view.left;
    m_rcFullScreen.top = window.top - view.top;
    m_rcFullScreen.right = window.right - view.right + ::GetSystemMetrics(SM_CXSCREEN);
    m_rcFullScreen.bottom = window.bottom - view.bottom + ::GetSystemMetrics(SM_CYSCREEN);
    m_bFullScreen = TRUE;
    WINDOWPLACEMENT placement = m_wpBeforeFullScreen;
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = m_rcFullScreen;
    SetWindowPlacement(&placement);
    // The placement may be kept on the work area; the frame's edges and bars go off the screen.
    SetWindowPos(nullptr, m_rcFullScreen.left, m_rcFullScreen.top, m_rcFullScreen.right - m_rcFullScreen.left,
                 m_rcFullScreen.bottom - m_rcFullScreen.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CViewFrame::OnGetMinMaxInfo(MINMAXINFO* info)
{
    if (!m_bFullScreen) {
        CFrameWnd::OnGetMinMaxInfo(info);
        return;
    }
    const POINT size = {m_rcFullScreen.right - m_rcFullScreen.left, m_rcFullScreen.bottom - m_rcFullScreen.top};
    info->ptMaxSize = size;
    info->ptMaxTrackSize = size;
}
