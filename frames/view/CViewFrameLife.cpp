// The view frame's side of a file's life: the open, the drawing thread's progress, open stage
// (password retry, failure), finished requests and pictures, the page/layout tabs, the status bar
// texts, the caption, and the way back to the browser.
#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/CDrawingFileType.h"
#include "core/FileUtils.h"
#include "core/PathUtils.h"
#include "core/ResourceText.h"
#include "browser/preview/DrawingPassword.h"
#include "engine/rkui/RkUI.h"
#include "framework/CStringList.h"
#include "framework/CommonControls.h"
#include "framework/GdiScopes.h"
#include "imaging/KImage.h"
#include "render/workers/TDwgDrawThread.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
constexpr int kStagePassword = 4;
constexpr int kProgressZoomExtents = 101;
constexpr int kProgressRedraw = 102;
constexpr int kProgressStop = 103;
constexpr int kJpegType = 5;
constexpr UINT kSimpleTextId = 0x1FF; // SB_SIMPLEID with SBT_NOBORDERS
// The smooth redraw of a reduced image waits until the view has been still this long.
constexpr UINT kSmoothDelayMs = 1000;
constexpr uint32_t kSlowRedrawMs = 300;

// Requests that end with a new picture; an open that renders once counts one of these.
bool IsRenderingRequest(int code)
{
    return code != TDwgDrawThread::kRequestLoadInfo && code != TDwgDrawThread::kRequestClose &&
           code != TDwgDrawThread::kRequestNone && code != TDwgDrawThread::kRequestHighlight &&
           code != TDwgDrawThread::kRequestHighlightFollowUp;
}

CString ProgressLabel(int value)
{
    switch (value) {
    case kProgressZoomExtents:
        return LoadResStringOr(IDS_VIEW_ZOOMING_EXTENTS, "Zooming extents...");
    case kProgressRedraw:
        return LoadResStringOr(IDS_VIEW_REDRAWING, "Redrawing...");
    case kProgressStop:
        return "Stop loading";
    default:
        return LoadResStringOr(IDS_VIEW_LOADING, "Loading...");
    }
}

} // namespace

CString CViewFrame::CurrentPath() const
{
    return g_appState.viewPath;
}

void CViewFrame::UpdateTitle()
{
    const CWinApp* app = AfxGetApp();
    const CString name = app && app->m_pszAppName ? app->m_pszAppName : "";
    SetWindowText(name + " [ " + CurrentPath() + " ]");
}

void CViewFrame::OpenViewFile(const char* path)
{
    CDrawingFileInfo row;
    const int type = GetDrawingFileInfo(path, &row) ? row.typeId : 0;
    g_appState.SetViewPath(path);
    // Next and previous file walk the browser's list, which a command-line file never came from.
    m_wndView.m_bFolderWalk = !m_bStartedInView;
    OpenFile(path, type);
}

// Every open goes through here: the view's own picture size, so the open's render is the only one.
void CViewFrame::OpenFile(const CString& path, int type)
{
    TDwgDrawThread* thread = Thread();
    UpdateTitle();
    m_wndView.KillRedrawTimers();
    m_wndView.m_bDynamicView = false;
    LeavePrintWindowPick();
    if (thread)
        thread->SetPassword("", -1);
    StartOpen(path, type);
}

// The open itself, also of a password retry: a new count of renders begins.
void CViewFrame::StartOpen(const CString& path, int type)
{
    TDwgDrawThread* thread = Thread();
    m_bTabsStale = true;
    m_nRenders = 0;
    m_nLastProgress = -1;
    if (!thread)
        return;
    ++m_nOpens;
    const CSize size = m_wndView.GetPictureSize();
    thread->OpenFile(type, path, size.cx, size.cy, false);
}

void CViewFrame::RemoveLoadProgress()
{
    if (!m_wndStatusBar.GetSafeHwnd())
        return;
    m_wndStatusBar.SendMessage(SB_SIMPLE, FALSE);
    PlaceTabs();
    m_wndTabs.ShowWindow(SW_SHOW);
    if (m_pProgress) {
        m_pProgress->DestroyWindow();
        m_pProgress.reset();
    }
}

void CViewFrame::PlaceTabs()
{
    if (!m_wndTabs.GetSafeHwnd())
        return;
    CRect pane;
    m_wndStatusBar.SendMessage(SB_GETRECT, 1, reinterpret_cast<LPARAM>(&pane));
    pane.left += 2;
    pane.top -= 1;
    m_wndTabs.MoveWindow(&pane, TRUE);
}

void CViewFrame::ShowSimpleText(const CString& text)
{
    m_wndStatusBar.SendMessage(SB_SIMPLE, TRUE);
    m_wndStatusBar.SendMessage(SB_SETTEXTA, kSimpleTextId, reinterpret_cast<LPARAM>(static_cast<const char*>(text)));
}

void CViewFrame::ShowLoadProgress(const CString& text)
{
    m_wndTabs.ShowWindow(SW_HIDE);
    ShowSimpleText(text);
    CRect client;
    m_wndStatusBar.GetClientRect(&client);
    CSize extent(0, 0);
    {
        CClientDC dc(&m_wndStatusBar);
        SelectScope font(dc.GetSafeHdc(), reinterpret_cast<HGDIOBJ>(m_wndStatusBar.SendMessage(WM_GETFONT)));
        ::GetTextExtentPoint32A(dc.GetSafeHdc(), text, text.GetLength(), &extent);
    }
    CRect bar = client;
    bar.left = client.left + extent.cx;
    if (bar.left > client.right)
        bar.left = std::max(0L, client.right - 100L);
    if (client.right - bar.left >= 116)
        bar.right = client.right - 15;
    auto progress = std::make_unique<CProgressCtrl>();
    if (progress->Create(WS_CHILD | WS_VISIBLE | WS_BORDER, bar, &m_wndStatusBar, IDC_VIEW_PROGRESS))
        m_pProgress = std::move(progress);
}

// The whole picture is cleared once per open; later values redraw and repaint only the bar's
// strip, so a load's hundred steps cost the user-interface thread little.
void CViewFrame::DrawLoadProgress(int value)
{
    if (value == m_nLastProgress)
        return;
    const bool first = m_nLastProgress < 0;
    m_nLastProgress = value;
    const CSize size = m_wndView.GetPictureSize();
    const bool resized = m_picture.GetWidth() != size.cx || m_picture.GetHeight() != size.cy;
    if (resized && !m_picture.Create(size.cx, size.cy, 3))
        return;
    HDC dc = m_picture.GetDC();
    GdiObject<HFONT> font(::CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma"));
    SelectScope selectFont(dc, font.Get());
    const CString label = ProgressLabel(value) + " \"" + CurrentPath() + "\"";
    SIZE text = {0, 16};
    ::GetTextExtentPoint32A(dc, label, label.GetLength(), &text);
    const CRect bar(5, 3, size.cx - 5, 3 + text.cy);
    const CRect strip(0, 0, size.cx, bar.bottom + 2);
    const CRect cleared = first || resized ? CRect(0, 0, size.cx, size.cy) : strip;
    m_picture.BlendRect(cleared.left, cleared.top, cleared.right - 1, cleared.bottom - 1, CDwgView::BackgroundColour(),
                        100, false, 0);
    const int filled = bar.left + bar.Width() * std::min(value, 100) / 100;
    {
        GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 0, ::GetSysColor(COLOR_BTNSHADOW)));
        SelectScope selectPen(dc, pen.Get());
        SelectScope selectBrush(dc, ::GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        ::Rectangle(dc, bar.left - 1, bar.top - 1, bar.right + 1, bar.bottom + 1);
    }
    CRect done(bar.left, bar.top, filled, bar.bottom);
    ::FillRect(dc, &done, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &done, BDR_RAISEDINNER, BF_RECT);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    CRect labelRect = bar;
    ::DrawTextA(dc, label, label.GetLength(), &labelRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    if (!m_wndView.GetSafeHwnd())
        return;
    if (first || resized)
        m_wndView.RepaintNow();
    else
        m_wndView.RedrawWindow(&strip, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT CViewFrame::OnLoadProgress(WPARAM wParam, LPARAM)
{
    TDwgDrawThread* thread = Thread();
    if (!thread)
        return 0;
    // Only the newest of the queued progress values is worth drawing.
    int value = static_cast<int>(wParam);
    MSG newer;
    // A value of 100 or more (the end of the load, or a stage) is handled in its turn.
    while (value < 100 &&
           ::PeekMessageA(&newer, m_hWnd, TDwgDrawThread::kMsgProgress, TDwgDrawThread::kMsgProgress, PM_NOREMOVE) &&
           static_cast<int>(newer.wParam) < 100 &&
           ::PeekMessageA(&newer, m_hWnd, TDwgDrawThread::kMsgProgress, TDwgDrawThread::kMsgProgress, PM_REMOVE))
        value = static_cast<int>(newer.wParam);
    DrawLoadProgress(value);
    if (!thread->IsOpening()) {
        RemoveLoadProgress();
    } else if (value < 100) {
        if (!m_pProgress) {
            CString text;
            text.Format(LoadResStringOr(IDS_VIEW_OPENING, "Opening %s ..."), static_cast<const char*>(CurrentPath()));
            ShowLoadProgress(text);
        }
        if (m_pProgress)
            m_pProgress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(value));
    } else {
        RemoveLoadProgress();
        BuildPageTabs();
    }
    return 0;
}

LRESULT CViewFrame::OnReopenFile(WPARAM wParam, LPARAM lParam)
{
    TDwgDrawThread* thread = Thread();
    if (!thread)
        return 0;
    if (static_cast<int>(wParam) == kStagePassword) {
        CString password;
        int index = static_cast<int>(lParam);
        const CString path = CurrentPath();
        // No password given: the thread has already drawn its failure text.
        if (GetDrawingPassword(path, &password, &index)) {
            thread->SetPassword(password, index);
            StartOpen(path, -1);
        }
        return 0;
    }
    if (IsImage()) {
        if (wParam == 0 && !thread->IsRasterHeld()) {
            RemoveLoadProgress();
            AfxMessageBox("Open file error: " + CurrentPath(), MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
        ShowImageStatus();
        PostMessage(TDwgDrawThread::kMsgRequestDone, 1, 0);
    } else {
        m_bTabsStale = true;
    }
    return 0;
}

LRESULT CViewFrame::OnFileOpened(WPARAM wParam, LPARAM lParam)
{
    TDwgDrawThread* thread = Thread();
    if (wParam != 1 || !thread || !IsWindowVisible())
        return 0;
    if (IsImage()) {
        const CRasterImage* image = thread->GetRasterScene().GetImage().GetImage();
        const int pages = image ? thread->GetRasterScene().GetImage().GetPageCount() : 0;
        if (m_bTabsStale || pages != m_wndTabs.GetItemCount()) {
            RemoveLoadProgress();
            BuildPageTabs();
        }
        // The image was fitted on the thread's canvas; fit it again at the view's size.
        if (!thread->IsBusy() && image) {
            const CSize area = m_wndView.GetPictureSize();
            thread->GetRasterCanvas().SetSize(area.cx, area.cy);
            thread->GetRasterScene().ZoomExtents();
            thread->GetRasterScene().Redraw(false);
            RequestRedraw();
            ShowImageStatus();
        }
        RecalcLayout();
        return 0;
    }
    if (IsRenderingRequest(static_cast<int>(lParam)))
        ++m_nRenders;
    TakeRenderedPicture();
    ShowDrawingStatus();
    CStringList names;
    const int layouts = thread->GetLayoutNames(names);
    // A redraw of the same drawing leaves the bars as they are: laying them out again after every
    // picture would cost each step of an orbit or a pan a repaint of the bars.
    if (m_bTabsStale || m_wndTabs.GetItemCount() == 0 || m_wndTabs.GetItemCount() != layouts) {
        RemoveLoadProgress();
        BuildPageTabs();
        RecalcLayout();
    }
    return 0;
}

// 0x8014 reaches this window from the drawing thread and, when one window is the notify window of
// both, from the thumbnail thread, whose lParam is a bitmap of another kind. Its lParam is never
// read: the picture is always the drawing thread's own, copied under that thread's lock.
LRESULT CViewFrame::OnFrameRendered(WPARAM, LPARAM)
{
    if (IsDrawing())
        TakeRenderedPicture();
    return 0;
}

// The picture is copied under the drawing thread's view lock (never trusted on the strength of a
// timed send), and only when it has the view's size within 2 pixels; otherwise the thread is
// asked for that size.
bool CViewFrame::TakeRenderedPicture()
{
    TDwgDrawThread* thread = Thread();
    if (!thread)
        return false;
    const CSize area = m_wndView.GetPictureSize();
    if (std::abs(thread->GetDeviceWidth() - area.cx) >= 2 || std::abs(thread->GetDeviceHeight() - area.cy) >= 2) {
        thread->RequestResize(area.cx, area.cy);
        return false;
    }
    if (!thread->CopyPicture(m_picture))
        return false;
    m_wndView.RepaintNow();
    return true;
}

void CViewFrame::BuildPageTabs()
{
    m_wndTabs.DeleteAllItems();
    TDwgDrawThread* thread = Thread();
    if (thread && !thread->IsBusy()) {
        if (IsDrawing()) {
            m_wndStatusBar.SendMessage(SB_SIMPLE, FALSE);
            CStringList names;
            if (thread->IsDrawingValid() && thread->GetLayoutNames(names) > 0) {
                int index = 0;
                for (POSITION pos = names.GetHeadPosition(); pos;)
                    m_wndTabs.InsertItem(index++, names.GetNext(pos));
                m_wndTabs.SetCurSel(std::max(0, thread->GetCurrentLayout()));
            }
            m_wndTabs.ShowWindow(SW_SHOW);
        } else {
            const KImage& image = thread->GetRasterScene().GetImage();
            const int pages = image.GetImage() ? image.GetPageCount() : 0;
            if (pages < 1) {
                m_wndTabs.ShowWindow(SW_HIDE);
                m_wndStatusBar.SendMessage(SB_SIMPLE, TRUE);
                ShowImageStatus();
            } else {
                m_wndStatusBar.SendMessage(SB_SIMPLE, FALSE);
                for (int i = 0; i < pages; ++i) {
                    CString label;
                    label.Format("%d", i);
                    m_wndTabs.InsertItem(i, label);
                }
                m_wndTabs.SetCurSel(0);
                m_wndTabs.ShowWindow(SW_SHOW);
            }
        }
    }
    m_bTabsStale = false;
    m_wndTabs.Invalidate();
}

void CViewFrame::SwitchPage()
{
    TDwgDrawThread* thread = Thread();
    const int index = m_wndTabs.GetCurSel();
    if (!thread || index < 0)
        return;
    if (IsImage()) {
        JGraphics& scene = thread->GetRasterScene();
        if (scene.GetImage().LoadFrame(index)) {
            scene.ComputeExtents(true);
            scene.ZoomExtents();
            RequestRedraw();
        }
        return;
    }
    const POINT layout = {index, 0};
    thread->ViewRequest(TDwgDrawThread::kRequestSelectLayout, &layout, nullptr, false);
}

BOOL CViewFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_VIEW_TABS && header->code == static_cast<UINT>(TCN_SELCHANGE))
        SwitchPage();
    return CFrameWnd::OnNotify(wParam, lParam, pResult);
}

void CViewFrame::OnNextPage()
{
    const int count = m_wndTabs.GetItemCount();
    const int current = m_wndTabs.GetCurSel();
    if (count > 0 && current < count - 1) {
        m_wndTabs.SetCurSel(current + 1);
        SwitchPage();
    }
}

void CViewFrame::OnPreviousPage()
{
    const int current = m_wndTabs.GetCurSel();
    if (m_wndTabs.GetItemCount() > 0 && current > 0) {
        m_wndTabs.SetCurSel(current - 1);
        SwitchPage();
    }
}

void CViewFrame::ShowImageStatus()
{
    TDwgDrawThread* thread = Thread();
    if (!thread || !IsImage() || thread->IsBusy())
        return;
    const CRasterImage* image = thread->GetRasterScene().GetImage().GetImage();
    if (!image)
        return;
    CString text;
    text.Format("%dx%dx%db", static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()),
                static_cast<int>(thread->GetRasterScene().GetImage().GetBpp()));
    if (thread->GetFileType() == kJpegType) {
        const CString exif = thread->GetDescription();
        if (!exif.IsEmpty())
            text += "," + exif;
        if (m_wndTabs.GetItemCount() == 0)
            m_wndStatusBar.SendMessage(SB_SIMPLE, TRUE);
    }
    m_wndStatusBar.SetPaneText(0, text);
    m_wndStatusBar.SendMessage(SB_SETTEXTA, kSimpleTextId, reinterpret_cast<LPARAM>(static_cast<const char*>(text)));
}

// The shown drawing's file name in pane 0, until the mouse shows coordinates there.
void CViewFrame::ShowDrawingStatus()
{
    TDwgDrawThread* thread = Thread();
    if (IsDrawing() && !thread->IsBusy() && thread->IsDrawingValid())
        m_wndStatusBar.SetPaneText(0, GetPathFileName(CurrentPath()));
}

void CViewFrame::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
{
    CFrameWnd::OnMenuSelect(nItemID, nFlags, hSysMenu);
    CString prompt;
    if (nItemID != 0 && !(nFlags & MF_POPUP)) {
        prompt = LoadResStringOr(nItemID, "");
        const int newline = prompt.Find('\n');
        if (newline >= 0)
            prompt = prompt.Left(newline);
    }
    if (!prompt.IsEmpty()) {
        m_wndTabs.ShowWindow(SW_HIDE);
        ShowSimpleText(prompt);
        return;
    }
    ShowImageStatus();
    ShowDrawingStatus();
    if (m_wndTabs.GetItemCount() > 0) {
        m_wndStatusBar.SendMessage(SB_SIMPLE, FALSE);
        m_wndTabs.ShowWindow(SW_SHOW);
    }
}

void CViewFrame::OnBrowserMode()
{
    m_bStartedInView = false;
    m_wndView.m_bFolderWalk = true;
    const CString folder = GetPathFolder(CurrentPath());
    g_appState.EnterBrowseMode(IsExistingFolder(folder) ? static_cast<const char*>(folder) : nullptr);
}

LRESULT CViewFrame::OnReturnToBrowser(WPARAM, LPARAM)
{
    if (Thread())
        OnBrowserMode();
    return 0;
}

LRESULT CViewFrame::OnRedrawView(WPARAM wParam, LPARAM)
{
    m_wndView.m_bPickWindow = wParam == 1;
    m_wndView.RepaintNow();
    return 0;
}

void CViewFrame::RequestRedraw()
{
    TDwgDrawThread* thread = Thread();
    if (!thread || thread->IsBusy())
        return;
    if (IsDrawing()) {
        thread->PostRequest(TDwgDrawThread::kRequestRedraw);
        return;
    }
    m_wndView.RepaintNow();
    ArmSmoothTimer();
}

void CViewFrame::ArmSmoothTimer()
{
    TDwgDrawThread* thread = Thread();
    if (thread && !thread->IsBusy() && IsImage() && g_options.PreviewHalfTone &&
        thread->GetRasterScene().GetZoomScale() < 1.0f && GetSafeHwnd())
        m_bSmoothArmed = SetTimer(kSmoothTimer, kSmoothDelayMs, nullptr) != 0;
}

void CViewFrame::KillSmoothTimer()
{
    if (GetSafeHwnd())
        KillTimer(kSmoothTimer);
    m_bSmoothArmed = false;
}

// A smooth redraw that took long last time shows the wait cursor while it runs.
void CViewFrame::OnTimer(UINT_PTR id)
{
    if (id != kSmoothTimer)
        return;
    KillSmoothTimer();
    TDwgDrawThread* thread = Thread();
    if (!thread || !IsImage() || thread->IsBusy())
        return;
    JGraphics& scene = thread->GetRasterScene();
    std::optional<CWaitCursor> wait;
    if (scene.GetLastDrawTime() > kSlowRedrawMs)
        wait.emplace();
    scene.SetImageFlag(false);
    scene.Redraw(false);
    scene.SetImageFlag(true);
    RedrawWindow(nullptr, nullptr, kRedrawNow);
}
