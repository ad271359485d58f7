#include "frames/view/CDwgView.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "engine/rkui/RkUI.h"
#include "frames/view/CViewFrame.h"
#include "framework/GdiScopes.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNCREATE(CDwgView, CWnd)

BEGIN_MESSAGE_MAP(CDwgView, CWnd)
    ON_WM_CREATE()
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_CONTEXTMENU()
    ON_MESSAGE(WM_PRINTCLIENT, &CDwgView::OnPrintClient)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MBUTTONDOWN()
    ON_WM_MBUTTONUP()
    ON_WM_MOUSEWHEEL()
    ON_WM_TIMER()
    ON_COMMAND_RANGE(ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_IN, &CDwgView::OnZoomStep)
    ON_COMMAND(ID_VIEW_HIGHLIGHT, &CDwgView::OnHighlight)
    ON_COMMAND(ID_VIEW_QUICK_MODE, &CDwgView::OnQuickMode)
    ON_COMMAND(ID_VIEW_NEXT_FILE, &CDwgView::OnNextFile)
    ON_COMMAND(ID_VIEW_PREVIOUS_FILE, &CDwgView::OnPreviousFile)
    ON_UPDATE_COMMAND_UI(ID_VIEW_HIGHLIGHT, &CDwgView::OnUpdateHighlight)
    ON_UPDATE_COMMAND_UI(ID_VIEW_QUICK_MODE, &CDwgView::OnUpdateQuickMode)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_NEXT_FILE, ID_VIEW_PREVIOUS_FILE, &CDwgView::OnUpdateFileWalk)
    ON_COMMAND(ID_VIEW_ZOOM_WINDOW, &CDwgView::OnZoomWindow)
    ON_COMMAND(ID_VIEW_PAN, &CDwgView::OnPan)
    ON_COMMAND(ID_VIEW_ZOOM_EXTENTS, &CDwgView::OnZoomExtents)
    ON_COMMAND(ID_VIEW_ZOOM_PREVIOUS, &CDwgView::OnZoomPrevious)
    ON_COMMAND(ID_VIEW_ONE_TO_ONE, &CDwgView::OnActualSize)
    ON_COMMAND(ID_VIEW_AUTO_FIT, &CDwgView::OnAutoFit)
    ON_COMMAND_RANGE(ID_VIEW_ROTATE_LEFT, ID_VIEW_FLIP, &CDwgView::OnImageTransform)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_ZOOM_OUT, ID_VIEW_PAN, &CDwgView::OnUpdateZoomMode)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOM_EXTENTS, &CDwgView::OnUpdateZoomExtents)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOM_PREVIOUS, &CDwgView::OnUpdateZoomPrevious)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_ONE_TO_ONE, ID_VIEW_FLIP, &CDwgView::OnUpdateImageCommand)
    ON_UPDATE_COMMAND_UI(ID_VIEW_AUTO_FIT, &CDwgView::OnUpdateImageCommand)
    ON_COMMAND(ID_VIEW_EXIF_INFO, &CDwgView::OnExifInformation)
    ON_UPDATE_COMMAND_UI(ID_VIEW_EXIF_INFO, &CDwgView::OnUpdateExifInformation)
    ON_COMMAND(ID_VIEW_PICK_OK, &CDwgView::OnPickOk)
    ON_COMMAND(ID_VIEW_PICK_CANCEL, &CDwgView::OnPickCancel)
    ON_COMMAND(ID_VIEW_DYNAMIC_EXIT, &CDwgView::OnDynamicExit)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_PICK_OK, ID_VIEW_PICK_CANCEL, &CDwgView::OnUpdatePickCommand)
    ON_UPDATE_COMMAND_UI(ID_VIEW_DYNAMIC_EXIT, &CDwgView::OnUpdateDynamicExit)
END_MESSAGE_MAP()

namespace {

constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
// Cursor table indices of the modes and states.
constexpr int kCursorZoomIn = 4;
constexpr int kCursorZoomOut = 5;
constexpr int kCursorZoomWindow = 6;
constexpr int kCursorPan = 10;
constexpr int kCursorPickWindow = 12;
constexpr int kOrbitPenColour = 5;

// A solid pen and brush of one colour, selected for the life of the scope.
class SolidPenBrush
{
public:
    SolidPenBrush(HDC dc, COLORREF colour)
        : m_pen(::CreatePen(PS_SOLID, 0, colour)), m_brush(::CreateSolidBrush(colour)),
          m_selectPen(dc, m_pen.Get()), m_selectBrush(dc, m_brush.Get())
    {
    }

private:
    GdiObject<HPEN> m_pen;
    GdiObject<HBRUSH> m_brush;
    SelectScope m_selectPen;
    SelectScope m_selectBrush;
};

} // namespace

BOOL CDwgView::Create(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", kStyle, CRect(0, 0, 0, 0), parent, id);
}

int CDwgView::OnCreate(LPCREATESTRUCTA)
{
    m_menuMain.LoadMenu(IDR_VIEW_POPUP_MAIN);
    m_menu3DView.LoadMenu(IDR_VIEW_POPUP_3DVIEW);
    m_menuPickWindow.LoadMenu(IDR_VIEW_POPUP_PICK);
    m_hCursor = ModeCursor();
    return 0;
}

TDwgDrawThread* CDwgView::Thread()
{
    return g_appState.mode.load() != CAppState::kModeNone ? g_appState.drawThread.get() : nullptr;
}

CSize CDwgView::ClampPictureSize(int width, int height)
{
    return CSize(TDwgDrawThread::ClampWidth(width), TDwgDrawThread::ClampHeight(height));
}

CSize CDwgView::GetPictureSize() const
{
    CRect client(0, 0, 0, 0);
    if (GetSafeHwnd())
        GetClientRect(&client);
    return ClampPictureSize(client.Width(), client.Height());
}

COLORREF CDwgView::BackgroundColour()
{
    return GetColorIndex(static_cast<short>(g_options.BackGroundColor & 0xFFFF), nullptr);
}

bool CDwgView::IsDrawingShown() const
{
    const TDwgDrawThread* thread = Thread();
    return thread && thread->GetFileType() >= 0 && thread->GetFileType() < 4;
}

bool CDwgView::IsImageShown() const
{
    const TDwgDrawThread* thread = Thread();
    return thread && thread->GetFileType() >= 4 && thread->IsRasterHeld();
}

RECT CDwgView::NormalisedRect(const RECT& rect)
{
    return {std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
            std::max(rect.top, rect.bottom)};
}

HCURSOR CDwgView::ModeCursor() const
{
    if (m_bPickWindow)
        return g_cursor[kCursorPickWindow];
    switch (m_nMode) {
    case kModeZoomWindow:
        return g_cursor[kCursorZoomWindow];
    case kModePan:
        return g_cursor[kCursorPan];
    case kModeZoomOut:
        return g_cursor[kCursorZoomOut];
    case kModeZoomIn:
        return g_cursor[kCursorZoomIn];
    default:
        return ::LoadCursor(nullptr, IDC_ARROW);
    }
}

void CDwgView::SetPickWindowMode(bool on)
{
    m_bPickWindow = on;
    m_hCursor = ModeCursor();
    ::SetCursor(m_hCursor);
}

void CDwgView::SetDynamicViewMode(bool on)
{
    if (!IsDrawingShown())
        return;
    m_bDynamicView = on;
    if (on) {
        if (CDrawing* drawing = Thread()->GetDrawing())
            drawing->PushView();
    } else {
        m_hCursor = ModeCursor();
    }
    if (GetSafeHwnd())
        RedrawWindow(nullptr, nullptr, kRedrawNow);
}

void CDwgView::RepaintNow()
{
    if (GetSafeHwnd())
        RedrawWindow(nullptr, nullptr, kRedrawNow);
}

void CDwgView::KillRedrawTimers()
{
    if (!GetSafeHwnd())
        return;
    KillTimer(kHoverStartTimer);
    KillTimer(kHoverFollowUpTimer);
}

BOOL CDwgView::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (hitTest != HTCLIENT)
        return CWnd::OnSetCursor(wnd, hitTest, message);
    const TDwgDrawThread* thread = Thread();
    if (thread && thread->IsBusy() && IsDrawingShown())
        ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    else
        ::SetCursor(m_hCursor ? m_hCursor : ModeCursor());
    return TRUE;
}

BOOL CDwgView::OnEraseBkgnd(CDC* dc)
{
    // Only the first erase paints: later ones would flicker to the background under the picture.
    if (m_bEraseOnce && dc) {
        m_bEraseOnce = false;
        CRect client;
        GetClientRect(&client);
        FillBackground(dc->GetSafeHdc(), client);
    }
    return TRUE;
}

void CDwgView::OnPaint()
{
    CPaintDC dc(this);
    PaintTo(dc.GetSafeHdc());
}

LRESULT CDwgView::OnPrintClient(WPARAM wParam, LPARAM)
{
    PaintTo(reinterpret_cast<HDC>(wParam));
    return 0;
}

void CDwgView::PaintTo(HDC dc)
{
    CRect client;
    GetClientRect(&client);
    if (IsDrawingShown())
        PaintDrawing(dc, client);
    else if (Thread())
        PaintImage(dc, client);
    else
        FillBackground(dc, client);
}

void CDwgView::FillBackground(HDC dc, const CRect& client) const
{
    SolidPenBrush tools(dc, BackgroundColour());
    ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
}

void CDwgView::PaintDrawing(HDC dc, const CRect& client)
{
    const CGDIDevice* picture = m_pPicture;
    const bool fits = picture && std::abs(client.Width() - picture->GetWidth()) < 2 &&
                      std::abs(client.Height() - picture->GetHeight()) < 2;
    // While the frame is sized the old picture would show stretched or cut: plain background.
    if (!picture || picture->GetWidth() < 1 || picture->GetHeight() < 1 || (m_bSizing && !fits)) {
        FillBackground(dc, client);
        return;
    }
    const RECT pick = NormalisedRect(m_rcPick);
    if (!m_bPickWindow || pick.left == pick.right || pick.top == pick.bottom)
        picture->CopyTo(dc);
    else
        PaintPickedWindow(dc, client);
    if (m_bDynamicView)
        PaintOrbitGuide(dc, client);
}

void CDwgView::PaintPickedWindow(HDC dc, const CRect& client) const
{
    CGDIDevice composed;
    if (!composed.Create(m_pPicture->GetWidth(), m_pPicture->GetHeight(), 3) || !composed.CopyFrom(*m_pPicture)) {
        m_pPicture->CopyTo(dc);
        return;
    }
    const RECT r = NormalisedRect(m_rcPick);
    const int w = client.Width();
    const int h = client.Height();
    const COLORREF tint = RGB(50, 180, 50);
    composed.BlendRect(0, 0, r.left, h - 1, tint, 70, false, 0);
    composed.BlendRect(r.right, 0, w - 1, h - 1, tint, 70, false, 0);
    composed.BlendRect(r.left + 1, 0, r.right - 1, r.top - 1, tint, 70, false, 0);
    composed.BlendRect(r.left + 1, r.bottom + 1, r.right - 1, h - 1, tint, 70, false, 0);
    HDC target = composed.GetDC();
    {
        GdiObject<HPEN> white(::CreatePen(PS_SOLID, 0, RGB(255, 255, 255)));
        SelectScope pen(target, white.Get());
        const int oldRop = ::SetROP2(target, R2_XORPEN);
        const POINT outline[5] = {{r.left, r.top}, {r.left, r.bottom}, {r.right, r.bottom}, {r.right, r.top}, {r.left, r.top}};
        ::Polyline(target, outline, 5);
        ::SetROP2(target, oldRop);
    }
    GdiObject<HPEN> red(::CreatePen(PS_SOLID, 4, RGB(255, 0, 0)));
    SelectScope pen(target, red.Get());
    const int mark = 10;
    const POINT corners[4][3] = {
        {{r.left, r.top + mark}, {r.left, r.top}, {r.left + mark, r.top}},
        {{r.right - mark, r.top}, {r.right, r.top}, {r.right, r.top + mark}},
        {{r.right, r.bottom - mark}, {r.right, r.bottom}, {r.right - mark, r.bottom}},
        {{r.left + mark, r.bottom}, {r.left, r.bottom}, {r.left, r.bottom - mark}},
    };
    for (const auto& corner : corners)
        ::Polyline(target, corner, 3);
    composed.CopyTo(dc);
}

void CDwgView::ComputeOrbitGuide(const CRect& client)
{
    m_nBallRadius = static_cast<int>(0.4 * std::min(client.Width(), client.Height()));
    m_nHandleRadius = 10;
    m_ptBallCenter = {client.Width() / 2, client.Height() / 2};
    const POINT c = m_ptBallCenter;
    const int r = m_nBallRadius;
    m_ptHandles[0] = {c.x, c.y - r};
    m_ptHandles[1] = {c.x, c.y + r};
    m_ptHandles[2] = {c.x - r, c.y};
    m_ptHandles[3] = {c.x + r, c.y};
}

void CDwgView::PaintOrbitGuide(HDC dc, const CRect& client)
{
    ComputeOrbitGuide(client);
    const POINT c = m_ptBallCenter;
    const int r = m_nBallRadius;
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 0, GetColorIndex(kOrbitPenColour, nullptr)));
    SelectScope selected(dc, pen.Get());
    const auto circle = [dc](POINT centre, int radius) {
        ::Arc(dc, centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius, centre.x + radius,
              centre.y, centre.x + radius, centre.y);
    };
    circle(c, r);
    for (const POINT& handle : m_ptHandles)
        circle(handle, m_nHandleRadius);
}

void CDwgView::PaintImage(HDC dc, const CRect& client)
{
    TDwgDrawThread* thread = Thread();
    if (!thread->IsRasterHeld() || thread->IsBusy()) {
        FillBackground(dc, client);
        return;
    }
    KWinCanvas& canvas = thread->GetRasterCanvas();
    const CSize size = ClampPictureSize(client.Width(), client.Height());
    // A new size is drawn in fast quality; the smooth one follows once the view is still.
    if (canvas.SetSize(size.cx, size.cy)) {
        thread->GetRasterScene().Redraw(false);
        if (auto* frame = dynamic_cast<CViewFrame*>(GetParent()))
            frame->ArmSmoothTimer();
    }
    canvas.BlitTo(dc);
}

void CDwgView::OnContextMenu(CWnd*, CPoint point)
{
    CMenu& menu = m_bDynamicView ? m_menu3DView : (m_bPickWindow ? m_menuPickWindow : m_menuMain);
    if (!menu.GetSafeHmenu())
        return;
    if (CMenu* popup = menu.GetSubMenu(0))
        popup->TrackPopupMenu(0, point.x, point.y, GetParent());
}
