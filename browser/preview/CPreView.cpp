#include "browser/preview/CPreView.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/CDrawingFileInfo.h"
#include "core/CDrawingFileType.h"
#include "core/ResourceText.h"
#include "browser/preview/DrawingPassword.h"
#include "engine/rkui/RkUI.h"
#include "res/resource.h"
#include "framework/CSingleLock.h"
#include "render/workers/CentredText.h"
#include "render/workers/DRAWINGINFO.h"
#include "render/workers/TDwgDrawThread.h"
#include "ui/CBarGlobalData.h"

#include <algorithm>
#include <vector>

namespace {

constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
constexpr UINT kCentredLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
constexpr UINT kMsgStatusRefresh = 0x8032;
constexpr UINT kMsgThreadFirst = 0x8014;
constexpr UINT kMsgThreadLast = 0x8023;
constexpr UINT kHoverDelayMs = 6;
constexpr UINT kHoverFollowUpMs = 300;
constexpr uint32_t kSlowRedrawMs = 300;

bool IsDrawingTypeId(int type)
{
    return type >= 0 && type <= 3;
}

// A pen and brush of one colour selected for the life of the object.
class SolidTools
{
public:
    SolidTools(HDC dc, COLORREF pen, COLORREF brush)
        : m_dc(dc), m_pen(::CreatePen(PS_SOLID, 1, pen)), m_brush(::CreateSolidBrush(brush)),
          m_oldPen(::SelectObject(dc, m_pen)), m_oldBrush(::SelectObject(dc, m_brush))
    {
    }
    ~SolidTools()
    {
        ::SelectObject(m_dc, m_oldPen);
        ::SelectObject(m_dc, m_oldBrush);
        ::DeleteObject(m_pen);
        ::DeleteObject(m_brush);
    }
    SolidTools(const SolidTools&) = delete;
    SolidTools& operator=(const SolidTools&) = delete;

private:
    HDC m_dc;
    HPEN m_pen;
    HBRUSH m_brush;
    HGDIOBJ m_oldPen;
    HGDIOBJ m_oldBrush;
};

void DrawLine(HDC dc, const CString& text, RECT rect)
{
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextA(dc, text, text.GetLength(), &rect, kCentredLine);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

} // namespace

BEGIN_MESSAGE_MAP(CPreView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CONTEXTMENU()
    ON_WM_MBUTTONDOWN()
    ON_WM_MBUTTONUP()
    ON_WM_MOUSEWHEEL()
    ON_MESSAGE(WM_PRINTCLIENT, &CPreView::OnPrintClient)
    ON_MESSAGE(CDrawCommonThread::kMsgPictureReady, &CPreView::OnPictureReady)
    ON_MESSAGE(TDwgDrawThread::kMsgRequestDone, &CPreView::OnRequestDone)
    ON_MESSAGE(TDwgDrawThread::kMsgOpenStage, &CPreView::OnOpenStage)
    ON_MESSAGE(TDwgDrawThread::kMsgProgress, &CPreView::OnProgressMessage)
END_MESSAGE_MAP()

CPreView::CPreView() : m_cursor(::LoadCursorA(nullptr, IDC_ARROW)) {}

CPreView::~CPreView()
{
    if (GetSafeHwnd())
        DestroyWindow();
}

BOOL CPreView::CreatePane(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0),
                        parent, id);
}

TDwgDrawThread* CPreView::Thread()
{
    return g_appState.drawThread.get();
}

bool CPreView::IsRunning()
{
    return g_appState.mode.load() != 0 && Thread();
}

bool CPreView::IsIdle()
{
    return Thread() && !Thread()->IsBusy();
}

bool CPreView::IsDrawingShown() const
{
    return Thread() && IsDrawingTypeId(Thread()->GetFileType());
}

bool CPreView::IsRasterShown() const
{
    return Thread() && Thread()->GetFileType() >= 4;
}

bool CPreView::HasRasterImage() const
{
    return Thread() && Thread()->IsRasterHeld();
}

bool CPreView::IsContentReady() const
{
    if (!IsRunning() || !IsIdle())
        return false;
    return (IsDrawingShown() && Thread()->IsDrawingValid()) || HasRasterImage();
}

int CPreView::ClampThreadSide(int side)
{
    return std::clamp(side, 1, kMaxThreadSide);
}

int CPreView::OnCreate(LPCREATESTRUCTA)
{
    LoadContextMenu();
    if (Thread())
        SetMode(kModeZoomWindow);
    return 0;
}

void CPreView::OnDestroy()
{
    KillHoverTimers();
    KillSmoothTimer();
    KillTimer(kTimerResize);
    m_resizeArmed = false;
    TDwgDrawThread* thread = Thread();
    if (thread && thread->GetNotifyWnd() == GetSafeHwnd())
        thread->SetNotifyWnd(nullptr);
    Default();
}

void CPreView::KillHoverTimers()
{
    KillTimer(kTimerHover);
    KillTimer(kTimerHoverFollowUp);
}

void CPreView::KillSmoothTimer()
{
    if (m_smoothArmed) {
        KillTimer(kTimerSmooth);
        m_smoothArmed = false;
    }
}

void CPreView::ShowFile(const CDrawingFileInfo* type, const char* path, const char* password, int passwordIndex)
{
    KillHoverTimers();
    KillSmoothTimer();
    TDwgDrawThread* thread = Thread();
    if (!IsRunning() || !path) {
        m_shownPath.Empty();
        return;
    }
    const bool noPassword = !password || !*password;
    if (g_appState.modalDialogOpen)
        return;
    if (noPassword && thread->IsCurrentFile(path)) {
        // The thread holds it already (the view frame walked to it): the pane shows it.
        m_shownPath = path;
        // A first picture of this file stays while the thread still opens it.
        if (!thread->IsOpening())
            m_firstPictureShown = false;
        return;
    }
    CDrawingFileInfo found;
    if (!type) {
        if (!GetDrawingFileInfo(path, &found))
            return;
        type = &found;
    }
    m_shownPath = path;
    m_rasterFailed = false;
    m_firstPictureShown = false;
    RebuildLayoutMenus(false);
    if (!IsWindowVisible()) {
        thread->RequestLoad(type->typeId, path);
        return;
    }
    CRect client;
    GetClientRect(&client);
    m_progressMark = 0;
    thread->SetPassword(password ? password : "", passwordIndex);
    thread->OpenFile(type->typeId, path, ClampThreadSide(client.Width()), ClampThreadSide(client.Height()),
                     g_options.PreviewZoomExtend, true);
    RedrawWindow(nullptr, nullptr, kRedrawNow);
}

void CPreView::Reset()
{
    KillSmoothTimer();
    if (IsContentReady())
        Thread()->PostRequest(TDwgDrawThread::kRequestClose);
    m_shownPath.Empty();
    m_rasterFailed = false;
    m_firstPictureShown = false;
    RefreshCursor();
    CRect client;
    GetClientRect(&client);
    CSingleLock lock(&m_pictureLock, TRUE);
    if (client.Width() > 0 && client.Height() > 0 &&
        (client.Width() != m_picture.GetWidth() || client.Height() != m_picture.GetHeight()))
        m_picture.Create(client.Width(), client.Height(), 3);
    if (m_picture.GetDC())
        m_picture.BlendRect(0, 0, m_picture.GetWidth() - 1, m_picture.GetHeight() - 1, g_options.ListCtrlColor, 100,
                            false, 0);
}

void CPreView::RedrawImage(int requestCode)
{
    if (!IsRunning() || !IsIdle())
        return;
    if (IsDrawingShown())
        Thread()->PostRequest(requestCode);
    else if (HasRasterImage())
        RepaintImage();
}

void CPreView::RefitImage()
{
    if (IsRasterShown() && HasRasterImage() && IsIdle()) {
        Thread()->GetRasterScene().ZoomExtents();
        RepaintImage();
    }
}

void CPreView::RepaintImage()
{
    if (!GetSafeHwnd())
        return;
    RedrawWindow(nullptr, nullptr, kRedrawNow);
    KillSmoothTimer();
    if (IsIdle() && g_options.PreviewHalfTone && Thread()->GetRasterScene().GetZoomScale() < 1.0f) {
        SetTimer(kTimerSmooth, kSmoothDelayMs);
        m_smoothArmed = true;
    }
}

void CPreView::CopyPicture(const CGDIDevice* source)
{
    TDwgDrawThread* thread = Thread();
    if (!thread || !IsIdle())
        return;
    {
        CSingleLock lock(&m_pictureLock, TRUE);
        if (source) {
            m_picture.CopyFrom(*source);
        } else {
            const int width = thread->GetDeviceWidth();
            const int height = thread->GetDeviceHeight();
            if ((width != m_picture.GetWidth() || height != m_picture.GetHeight()) &&
                !m_picture.Create(width, height, 3))
                return;
            thread->PaintTo(m_picture.GetDC());
        }
    }
    if (GetSafeHwnd())
        RedrawWindow(nullptr, nullptr, kRedrawNow);
}

LRESULT CPreView::OnPictureReady(WPARAM, LPARAM lParam)
{
    if (IsRunning())
        CopyPicture(reinterpret_cast<const CGDIDevice*>(lParam));
    return 0;
}

LRESULT CPreView::OnRequestDone(WPARAM wParam, LPARAM lParam)
{
    if (wParam != 1 || !IsRunning())
        return 0;
    if (lParam == TDwgDrawThread::kRequestLoadInfo) {
        PostStatusRefresh();
        return 0;
    }
    m_firstPictureShown = false;
    CopyPicture(nullptr);
    RefreshCursor();
    // The layout names are asked for once the open and its first picture are done: the thread's
    // view lock is free then.
    if (m_layoutsStale && IsIdle() && IsDrawingShown() && Thread()->IsDrawingValid())
        RebuildLayoutMenus(true);
    return 0;
}

LRESULT CPreView::OnOpenStage(WPARAM wParam, LPARAM lParam)
{
    if (!IsRunning())
        return 0;
    if (wParam == TDwgDrawThread::kStageFirstPicture) {
        TakeFirstPicture();
    } else if (wParam == 0 && IsRasterShown()) {
        m_firstPictureShown = false;
        m_rasterFailed = true;
        RedrawWindow(nullptr, nullptr, kRedrawNow);
    } else if (wParam == 1) {
        m_rasterFailed = false;
        m_layoutsStale = true;
        PostStatusRefresh();
        if (IsRasterShown())
            RedrawWindow(nullptr, nullptr, kRedrawNow);
    } else if (wParam == 4) {
        // The drawing needs a password: the remembered ones first, then the user.
        CString password;
        int index = static_cast<int>(lParam);
        const CString path = m_shownPath;
        if (GetDrawingPassword(path, &password, &index))
            ShowFile(nullptr, path, password, index);
    }
    return 0;
}

// The thread reports a reduced first picture of the image it still opens: the pane takes a copy
// and paints it until the full picture is there.
void CPreView::TakeFirstPicture()
{
    TDwgDrawThread* thread = Thread();
    if (!IsRasterShown() || !thread->IsOpening() || thread->GetFilePath().CompareNoCase(m_shownPath) != 0)
        return;
    {
        CSingleLock lock(&m_pictureLock, TRUE);
        if (!thread->CopyPicture(m_picture))
            return;
    }
    m_firstPictureShown = true;
    RedrawWindow(nullptr, nullptr, kRedrawNow);
}

LRESULT CPreView::OnProgressMessage(WPARAM wParam, LPARAM lParam)
{
    return OnDrawProgress(wParam, lParam);
}

void CPreView::PostStatusRefresh() const
{
    const HWND main = g_appState.GetMainWindowHandle();
    if (main)
        ::PostMessageA(main, kMsgStatusRefresh, 0, 0);
}

bool CPreView::WaitForDrawThread(DWORD limitMs)
{
    TDwgDrawThread* thread = Thread();
    if (!thread || !thread->IsBusy() || thread->IsOpening())
        return true;
    thread->SetEnabled(false);
    thread->SetResultFlag(false);
    // The thread's reports that arrive meanwhile are kept and handled once it is done, so a
    // finished request or an open stage is never lost.
    std::vector<MSG> kept;
    const DWORD start = ::GetTickCount();
    while (thread->IsBusy() && ::GetTickCount() - start < limitMs) {
        MSG msg;
        while (::PeekMessageA(&msg, GetSafeHwnd(), kMsgThreadFirst, kMsgThreadLast, PM_REMOVE)) {
            if (msg.message == TDwgDrawThread::kMsgRequestDone || msg.message == TDwgDrawThread::kMsgOpenStage)
                kept.push_back(msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    }
    const bool done = !thread->IsBusy();
    thread->SetEnabled(true);
    for (const MSG& msg : kept)
        SendMessage(msg.message, msg.wParam, msg.lParam);
    return done;
}

void CPreView::OnDrawingOptionsChanged()
{
    WaitForDrawThread();
    if (IsIdle() && IsDrawingShown() && IsContentReady())
        Thread()->PostRequest(TDwgDrawThread::kRequestApplyOptions);
}

void CPreView::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0)
        ScheduleResize();
    if (cx > 0 && cy > 0 && IsIdle()) {
        if (Thread()->GetRasterCanvas().SetSize(ClampThreadSide(cx), ClampThreadSide(cy)) && HasRasterImage()) {
            Thread()->GetRasterScene().Redraw(false);
            RepaintImage();
            return;
        }
    }
    if (GetSafeHwnd())
        Invalidate(TRUE);
}

void CPreView::ScheduleResize()
{
    if (m_resizeArmed || !GetSafeHwnd())
        return;
    m_resizeArmed = SetTimer(kTimerResize, kResizeDelayMs) != 0;
}

// A size that comes while the thread works waits for it: asking then would render the size of
// the moment and again the last one.
void CPreView::HandResizeToThread()
{
    KillTimer(kTimerResize);
    m_resizeArmed = false;
    if (!IsRunning())
        return;
    if (!IsIdle()) {
        ScheduleResize();
        return;
    }
    CRect client;
    GetClientRect(&client);
    if (client.Width() <= 0 || client.Height() <= 0)
        return;
    const int width = ClampThreadSide(client.Width());
    const int height = ClampThreadSide(client.Height());
    if (width != Thread()->GetDeviceWidth() || height != Thread()->GetDeviceHeight())
        Thread()->RequestResize(width, height);
}

BOOL CPreView::OnEraseBkgnd(CDC*)
{
    return TRUE; // painting covers the whole pane
}

void CPreView::OnPaint()
{
    CPaintDC dc(this);
    PaintTo(dc.GetSafeHdc());
}

LRESULT CPreView::OnPrintClient(WPARAM wParam, LPARAM)
{
    PaintTo(reinterpret_cast<HDC>(wParam));
    return 0;
}

void CPreView::PaintTo(HDC dc)
{
    CRect client;
    GetClientRect(&client);
    if (m_shownPath.IsEmpty() || !Thread()) {
        PaintEmpty(dc, client);
        return;
    }
    if (!IsContentReady()) {
        if (!IsDrawingShown() && !(m_firstPictureShown && IsRasterShown())) {
            PaintEmpty(dc, client);
            return;
        }
        CSingleLock lock(&m_pictureLock, TRUE);
        m_picture.CopyTo(dc);
    } else if (IsRasterShown()) {
        KWinCanvas& canvas = Thread()->GetRasterCanvas();
        if (canvas.SetSize(ClampThreadSide(client.Width()), ClampThreadSide(client.Height())))
            Thread()->GetRasterScene().Redraw(false);
        canvas.BlitTo(dc);
    } else {
        CSingleLock lock(&m_pictureLock, TRUE);
        if (std::abs(client.Width() - m_picture.GetWidth()) < 2 && std::abs(client.Height() - m_picture.GetHeight()) < 2) {
            m_picture.CopyTo(dc);
        } else {
            lock.Unlock();
            PaintEmpty(dc, client);
            ScheduleResize();
        }
    }
    DrawBorder(dc, client);
}

void CPreView::PaintEmpty(HDC dc, const CRect& client)
{
    {
        SolidTools tools(dc, g_options.ListCtrlColor, g_options.ListCtrlColor);
        ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
    }
    if (Thread() && IsRasterShown() && !m_shownPath.IsEmpty()) {
        if (Thread()->IsBusy())
            DrawLine(dc, ProgressLabel(0, m_shownPath), client);
        else if (m_rasterFailed && !HasRasterImage())
            DrawCentredLine(dc, client.Width(), client.Height(),
                            LoadResStringOr(IDS_OPEN_FILE_FAILURE, "Open file failure!"),
                            g_options.ListCtrlColor ^ 0xFFFFFF);
    }
    DrawBorder(dc, client);
}

void CPreView::DrawBorder(HDC dc, const CRect& client) const
{
    if (client.IsRectEmpty())
        return;
    SolidTools dark(dc, g_barData.clrDark, g_barData.clrDark);
    ::MoveToEx(dc, client.left, client.bottom - 1, nullptr);
    ::LineTo(dc, client.left, client.top);
    ::LineTo(dc, client.right, client.top);
    SolidTools light(dc, g_barData.clrLight, g_barData.clrLight);
    ::MoveToEx(dc, client.right - 1, client.top + 1, nullptr);
    ::LineTo(dc, client.right - 1, client.bottom - 1);
    ::LineTo(dc, client.left, client.bottom - 1);
}

CString CPreView::ProgressLabel(UINT value, const char* path)
{
    CString label = "Loading...";
    if (value == 101)
        label = "Zooming extents...";
    else if (value == 102)
        label = "Redrawing...";
    else if (value == 103)
        label = "Stop loading";
    label += " \"";
    label += path ? path : "";
    label += "\"";
    return label;
}

LRESULT CPreView::OnDrawProgress(WPARAM value, LPARAM)
{
    const UINT v = static_cast<UINT>(value);
    if (!IsRunning() || !Thread()->IsOpening() || v <= m_progressMark)
        return 0;
    m_progressMark = v;
    DrawProgress(v);
    return 0;
}

void CPreView::DrawProgress(UINT value)
{
    CRect client;
    GetClientRect(&client);
    if (client.Width() <= 0 || client.Height() <= 0)
        return;
    {
        CSingleLock lock(&m_pictureLock, TRUE);
        if ((client.Width() != m_picture.GetWidth() || client.Height() != m_picture.GetHeight()) &&
            !m_picture.Create(client.Width(), client.Height(), 3))
            return;
        const HDC dc = m_picture.GetDC();
        const COLORREF background = GetColorIndex(static_cast<short>(g_options.BackGroundColor & 0xFFFF), nullptr);
        {
            SolidTools fill(dc, background, background);
            ::Rectangle(dc, 0, 0, client.Width(), client.Height());
        }
        m_picture.InitTextFont();
        SIZE extent = {0, 0};
        ::GetTextExtentPoint32A(dc, "Loading...", 10, &extent);
        const int left = client.left + 5;
        const int right = client.right - 5;
        const int top = client.top + 3;
        const int bottom = top + extent.cy;
        const int filled = left + static_cast<int>((right - left) * (std::min(value, 100u) / 100.0));
        {
            SolidTools box(dc, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
            ::Rectangle(dc, left - 1, top - 1, right + 1, bottom + 1);
        }
        {
            SolidTools bar(dc, ::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNFACE));
            ::Rectangle(dc, left, top, filled, bottom);
        }
        const RECT frame = {left, top, filled, bottom};
        ::FrameRect(dc, &frame, ::GetSysColorBrush(COLOR_BTNSHADOW));
        DrawLine(dc, ProgressLabel(value, m_shownPath), {left, top, right, bottom});
        m_picture.DeleteFont();
    }
    RedrawWindow(nullptr, nullptr, kRedrawNow);
}

void CPreView::OnTimer(UINT_PTR id)
{
    if (id == kTimerSmooth) {
        KillSmoothTimer();
        if (!IsIdle() || !HasRasterImage())
            return;
        JGraphics& scene = Thread()->GetRasterScene();
        const HCURSOR old = scene.GetLastDrawTime() > kSlowRedrawMs ? ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)) : nullptr;
        scene.SetImageFlag(false);
        scene.Redraw(false);
        scene.SetImageFlag(true);
        RedrawWindow(nullptr, nullptr, kRedrawNow);
        if (old)
            ::SetCursor(old);
        return;
    }
    if (id == kTimerResize) {
        HandResizeToThread();
        return;
    }
    if (id == kTimerHover) {
        KillHoverTimers();
        if (CanHoverHighlight()) {
            RequestView(TDwgDrawThread::kRequestHighlight, &m_current, nullptr, true);
            SetTimer(kTimerHoverFollowUp, 300);
        }
        return;
    }
    if (id == kTimerHoverFollowUp) {
        KillTimer(kTimerHoverFollowUp);
        if (CanHoverHighlight())
            RequestView(TDwgDrawThread::kRequestHighlightFollowUp, &m_current, nullptr, true);
        return;
    }
    CWnd::OnTimer(id);
}

HCURSOR CPreView::ModeCursor() const
{
    switch (m_mode) {
    case kModeZoomWindow:
        return g_cursor[6];
    case kModePan:
        return g_cursor[10];
    case kModeZoomOut:
        return g_cursor[5];
    case kModeZoomIn:
        return g_cursor[4];
    default:
        return ::LoadCursorA(nullptr, IDC_ARROW);
    }
}

BOOL CPreView::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    TDwgDrawThread* thread = Thread();
    if (thread && IsRasterShown()) {
        ::SetCursor(IsIdle() && m_cursor ? m_cursor : ::LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
    }
    const int state = thread ? thread->GetLoadState() : 0;
    if (state == 1 || (state == 2 && m_cursor)) {
        ::SetCursor(state == 1 ? ::LoadCursorA(nullptr, IDC_WAIT) : m_cursor);
        return TRUE;
    }
    return CWnd::OnSetCursor(wnd, hitTest, message);
}

void CPreView::SetMode(int mode)
{
    m_mode = mode;
    m_cursor = ModeCursor();
    if (!m_cursor)
        m_cursor = ::LoadCursorA(nullptr, IDC_ARROW);
    RefreshCursor();
}

void CPreView::RefreshCursor()
{
    if (GetSafeHwnd() && ::GetFocus() == GetSafeHwnd())
        SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(GetSafeHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

CString CPreView::DrawingInfoText(const CString& version, int64_t creation, bool summary, const CString& title,
                                  const CString& subject, const CString& author)
{
    CString text = version;
    char date[128] = {};
    const __time64_t when = creation;
    struct tm local = {};
    if (creation > 0 && _localtime64_s(&local, &when) == 0)
        strftime(date, sizeof date, "%A, %B %d, %Y", &local);
    text += " Create: ";
    text += date;
    text += ";";
    if (!summary)
        return text;
    if (!author.IsEmpty())
        text = "Author: " + author + " ; " + text;
    if (!subject.IsEmpty())
        text = "Subject: " + subject + " ; " + text;
    if (!title.IsEmpty())
        text = "Title: " + title + " ; " + text;
    return text;
}

CString CPreView::GetInfoText() const
{
    if (!IsRunning())
        return CString();
    if (IsRasterShown())
        return Thread()->GetDescription();
    const DRAWINGINFO* info = IsDrawingShown() ? Thread()->GetDrawingInfo() : nullptr;
    if (!info)
        return CString();
    return DrawingInfoText(info->m_strVersion, info->m_tCreation, info->m_nFilled > 0, info->m_strTitle,
                           info->m_strSubject, info->m_strAuthor);
}
