#include "frames/view/CDwgView.h"

#include "core/NumberFormat.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "frames/view/CViewFrame.h"
#include "frames/view/PickWindowZones.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/ViewActions.h"
#include "ui/RubberBand.h"

#include <cmath>

namespace {

constexpr UINT kSetStatusText = 0x401; // SB_SETTEXT
constexpr UINT kHoverStartMs = 6;
constexpr UINT kHoverFollowUpMs = 300;
// The orbit's half turn per guide diameter dragged, in single precision as the engine expects.
constexpr double kOrbitPi = 3.1415927410125732;
constexpr double kTwoPi = 6.283185307179586;
constexpr int kOrbitTopBottom = 8;
constexpr int kOrbitLeftRight = 16;
constexpr int kOrbitInside = 6;
constexpr int kOrbitRoll = 1;
constexpr int kCursorPanDrag = 11;
constexpr int kCursorPickWindow = 12;

double Distance(POINT a, POINT b)
{
    return std::hypot(static_cast<double>(a.x - b.x), static_cast<double>(a.y - b.y));
}

} // namespace

int CDwgView::OrbitKindAt(POINT point) const
{
    const double handle = m_nHandleRadius;
    if (Distance(point, m_ptHandles[0]) < handle || Distance(point, m_ptHandles[1]) < handle)
        return kOrbitTopBottom;
    if (Distance(point, m_ptHandles[2]) < handle || Distance(point, m_ptHandles[3]) < handle)
        return kOrbitLeftRight;
    return Distance(point, m_ptBallCenter) <= m_nBallRadius ? kOrbitInside : kOrbitRoll;
}

void CDwgView::SetOrbitCursor(int kind)
{
    const int index = kind == kOrbitTopBottom ? 0 : kind == kOrbitLeftRight ? 1 : kind == kOrbitInside ? 3 : 2;
    m_hCursor = g_cursor[index];
    ::SetCursor(m_hCursor);
}

void CDwgView::StartOrbitDrag(POINT point)
{
    CRect client;
    GetClientRect(&client);
    ComputeOrbitGuide(client);
    m_nDynKind = OrbitKindAt(point);
    m_ptDynStart = point;
    m_bDynDrag = true;
    SetCapture();
}

// Each move turns the view by the drag since the last one. A guide of no size (a window of a
// pixel or two) has no diameter to measure the drag by: that turn is skipped, never divided by 0.
void CDwgView::OrbitDrag(POINT point)
{
    CDrawing* drawing = Thread()->GetDrawing();
    if (!drawing)
        return;
    const POINT c = m_ptBallCenter;
    const POINT start = m_ptDynStart;
    if (m_nDynKind & 0x01) {
        const double a0 = std::atan2(start.y - c.y, start.x - c.x);
        double a1 = std::atan2(point.y - c.y, point.x - c.x);
        if (a0 > a1)
            a1 += kTwoPi;
        drawing->RollAboutViewAxis(a1 - a0);
    }
    const int height = m_ptHandles[1].y - m_ptHandles[0].y;
    if ((m_nDynKind & 0x0A) && height != 0)
        drawing->RotateAboutHorizontal(-(static_cast<double>(point.y - start.y) / height) * kOrbitPi);
    const int width = m_ptHandles[3].x - m_ptHandles[2].x;
    if ((m_nDynKind & 0x14) && width != 0)
        drawing->RotateAboutVertical(-(static_cast<double>(point.x - start.x) / width) * kOrbitPi);
    if (!(m_nDynKind & (kOrbitLeftRight | kOrbitTopBottom)))
        m_nDynKind = Distance(point, c) <= m_nBallRadius ? kOrbitInside : kOrbitRoll;
    SetOrbitCursor(m_nDynKind);
    m_ptDynStart = point;
    RequestFrameRedraw();
}

void CDwgView::RequestFrameRedraw()
{
    if (auto* frame = dynamic_cast<CViewFrame*>(GetParent()))
        frame->RequestRedraw();
}

void CDwgView::OnLButtonDown(UINT, CPoint point)
{
    if (::GetFocus() != GetSafeHwnd())
        SetFocus();
    TDwgDrawThread* thread = Thread();
    KillRedrawTimers();
    if (auto* frame = dynamic_cast<CViewFrame*>(GetParent()))
        frame->KillSmoothTimer();
    if (thread && m_bDynamicView && !thread->IsBusy() && IsDrawingShown() && thread->IsDrawingValid()) {
        StartOrbitDrag(point);
        return;
    }
    if (!thread || m_bDynamicView || !CanUseZoomModes())
        return;
    m_ptAnchor = m_ptLast = point;
    if (m_bPickWindow) {
        PickPress(point);
        return;
    }
    switch (m_nMode) {
    case kModeZoomWindow:
        DrawRubberBand(GetSafeHwnd(), m_ptAnchor, m_ptLast);
        m_bDragging = true;
        SetCapture();
        break;
    case kModePan:
        m_bPanMoved = false;
        m_hCursor = g_cursor[kCursorPanDrag];
        ::SetCursor(m_hCursor);
        m_bDragging = true;
        SetCapture();
        break;
    case kModeZoomIn:
    case kModeZoomOut:
        AfterAction(static_cast<int>(ViewActions::ZoomAt(*thread, point, m_nMode == kModeZoomIn, false)));
        break;
    default:
        break;
    }
}

// The first drag draws the window; later ones move or resize it by the zone they start in.
void CDwgView::PickPress(POINT point)
{
    if (!m_bPickDone) {
        m_rcPick = {point.x, point.y, point.x, point.y};
        RepaintNow();
    } else {
        m_nPickHit = PickWindowZones::ZoneAt(m_rcPick, point);
    }
    m_bDragging = true;
    SetCapture();
}

void CDwgView::PickMove(UINT flags, POINT point)
{
    if (!m_bDragging || !(flags & MK_LBUTTON)) {
        int cursor = kCursorPickWindow;
        if (m_bPickDone) {
            m_nPickHit = PickWindowZones::ZoneAt(m_rcPick, point);
            cursor = PickWindowZones::CursorOf(m_nPickHit);
        }
        m_hCursor = g_cursor[cursor];
        ::SetCursor(m_hCursor);
        return;
    }
    if (!m_bPickDone) {
        m_rcPick.right = point.x;
        m_rcPick.bottom = point.y;
    } else {
        CRect client;
        GetClientRect(&client);
        m_rcPick = PickWindowZones::Drag(m_rcPick, m_nPickHit, point, m_ptAnchor, client);
    }
    RepaintNow();
}

void CDwgView::PickRelease(POINT point)
{
    if (m_bPickDone)
        return;
    if (point.x != m_rcPick.left && point.y != m_rcPick.top) {
        m_rcPick.right = point.x;
        m_rcPick.bottom = point.y;
        m_rcPick = NormalisedRect(m_rcPick);
        m_bPickDone = true;
    }
    RepaintNow();
}

void CDwgView::EndPick(bool ok, bool postEmpty)
{
    const RECT r = NormalisedRect(m_rcPick);
    const bool picked = m_bPickDone && r.right > r.left && r.bottom > r.top;
    SetPickWindowMode(false);
    if (!ok)
        PostToFrame(CViewFrame::kMsgPrintWindowPicked, 0);
    else if (picked || postEmpty)
        PostToFrame(CViewFrame::kMsgPrintWindowPicked, picked ? 1 : 0);
    RepaintNow();
}

void CDwgView::PostToFrame(UINT message, WPARAM wParam)
{
    if (CWnd* frame = GetParent())
        frame->PostMessage(message, wParam, 0);
}

void CDwgView::OnPickOk()
{
    if (m_bPickWindow)
        EndPick(true, false);
}

void CDwgView::OnPickCancel()
{
    if (m_bPickWindow)
        EndPick(false, false);
}

// Outside picking a double click goes back to the browser, over a drawing or an image; inside the
// picked window it confirms the window.
void CDwgView::OnLButtonDblClk(UINT, CPoint point)
{
    if (!Thread())
        return;
    if (!m_bPickWindow) {
        PostToFrame(CViewFrame::kMsgReturnToBrowser, 0);
        return;
    }
    if (m_bPickDone && PickWindowZones::ZoneAt(m_rcPick, point) == PickWindowZones::kInside)
        EndPick(true, true);
}

// The middle button pans in every mode but the orbit, the picture following the hand.
void CDwgView::OnMButtonDown(UINT, CPoint point)
{
    TDwgDrawThread* thread = Thread();
    if (!thread || m_bDynamicView || !CanUseZoomModes())
        return;
    KillRedrawTimers();
    m_bPanMoved = false;
    m_ptAnchor = m_ptLast = point;
    m_hCursor = g_cursor[kCursorPanDrag];
    ::SetCursor(m_hCursor);
    m_bMiddlePan = true;
    SetCapture();
}

void CDwgView::OnMButtonUp(UINT, CPoint point)
{
    if (!m_bMiddlePan)
        return;
    m_bMiddlePan = false;
    if (!m_bDragging)
        ReleaseCapture();
    PanStep(point);
    m_hCursor = ModeCursor();
    ::SetCursor(m_hCursor);
}

// One step of a pan drag, from the last point to this one. The drag's first move keeps the view
// for Zoom Previous; a click that does not move keeps nothing.
void CDwgView::PanStep(POINT point)
{
    TDwgDrawThread* thread = Thread();
    if (!thread || (point.x == m_ptLast.x && point.y == m_ptLast.y))
        return;
    if (!m_bPanMoved)
        ViewActions::RememberView(*thread);
    AfterAction(static_cast<int>(ViewActions::PanDrag(*thread, m_ptLast, point, true, !m_bPanMoved)));
    m_bPanMoved = true;
    m_ptLast = point;
}

void CDwgView::OnMouseMove(UINT flags, CPoint point)
{
    TDwgDrawThread* thread = Thread();
    if (!thread || thread->IsBusy())
        return;
    if (m_bDynamicView) {
        if (!m_bDynDrag) {
            CRect client;
            GetClientRect(&client);
            ComputeOrbitGuide(client);
            SetOrbitCursor(OrbitKindAt(point));
        } else if (flags & MK_LBUTTON) {
            OrbitDrag(point);
        }
        return;
    }
    if (m_bMiddlePan && (flags & MK_MBUTTON)) {
        PanStep(point);
        return;
    }
    if (m_bPickWindow) {
        PickMove(flags, point);
        ShowCoordinates(point);
        return;
    }
    if (m_bDragging && (flags & MK_LBUTTON)) {
        if (m_nMode == kModeZoomWindow) {
            DrawRubberBand(GetSafeHwnd(), m_ptAnchor, m_ptLast);
            m_ptLast = point;
            DrawRubberBand(GetSafeHwnd(), m_ptAnchor, m_ptLast);
        } else if (m_nMode == kModePan) {
            PanStep(point);
        }
        return;
    }
    if ((flags & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL)) == 0 && IsDrawingShown())
        ArmHover(point);
    ShowCoordinates(point);
}

void CDwgView::ArmHover(POINT point)
{
    m_ptHover = point;
    KillRedrawTimers();
    SetTimer(kHoverStartTimer, kHoverStartMs, nullptr);
}

// The hover highlight: a first request draws the entity under the resting cursor, a later one
// brings the picture up to date.
void CDwgView::OnTimer(UINT_PTR id)
{
    if (id != kHoverStartTimer && id != kHoverFollowUpTimer) {
        CWnd::OnTimer(id);
        return;
    }
    KillTimer(id);
    if (id == kHoverStartTimer)
        KillTimer(kHoverFollowUpTimer);
    TDwgDrawThread* thread = Thread();
    if (!thread || !ViewActions::CanHoverHighlight(*thread))
        return;
    const bool first = id == kHoverStartTimer;
    thread->ViewRequest(first ? TDwgDrawThread::kRequestHighlight : TDwgDrawThread::kRequestHighlightFollowUp,
                        &m_ptHover, nullptr, true);
    if (first)
        SetTimer(kHoverFollowUpTimer, kHoverFollowUpMs, nullptr);
}

void CDwgView::OnLButtonUp(UINT, CPoint point)
{
    if (m_bDynDrag) {
        m_bDynDrag = false;
        ReleaseCapture();
        return;
    }
    if (!m_bDragging)
        return;
    m_bDragging = false;
    if (!m_bMiddlePan)
        ReleaseCapture();
    TDwgDrawThread* thread = Thread();
    if (!thread)
        return;
    if (m_bPickWindow) {
        PickRelease(point);
        return;
    }
    if (m_nMode == kModePan) {
        PanStep(point);
        m_hCursor = ModeCursor();
        ::SetCursor(m_hCursor);
        return;
    }
    if (m_nMode != kModeZoomWindow)
        return;
    DrawRubberBand(GetSafeHwnd(), m_ptAnchor, m_ptLast);
    AfterAction(static_cast<int>(ViewActions::ZoomWindow(*thread, m_ptAnchor, point)));
}

// The wheel's point comes in screen coordinates; it is taken into this window's own client
// coordinates, never the frame's (those are off by the tool bar's height).
BOOL CDwgView::OnMouseWheel(UINT flags, short delta, CPoint point)
{
    if (auto* frame = dynamic_cast<CViewFrame*>(GetParent()))
        return frame->HandleMouseWheel(flags, delta, point);
    if (delta == 0)
        return FALSE;
    ScreenToClient(&point);
    WheelZoomAt(point, delta > 0);
    return TRUE;
}

void CDwgView::ShowCoordinates(POINT point)
{
    TDwgDrawThread* thread = Thread();
    auto* frame = dynamic_cast<CViewFrame*>(GetParent());
    if (!thread || !frame || !IsDrawingShown() || thread->IsBusy() || !thread->IsDrawingValid())
        return;
    const CDrawing* drawing = thread->GetDrawing();
    if (!drawing || !frame->GetStatusBar().GetSafeHwnd())
        return;
    CRect client;
    GetClientRect(&client);
    int units = 2;
    int precision = 4;
    drawing->GetLinearUnits(&units, &precision);
    double world[3] = {0.0, 0.0, 0.0};
    drawing->PixelToWorld(point.x, client.bottom - point.y, world);
    const CString text = FormatCoordinates(units, precision, world);
    frame->GetStatusBar().SendMessage(kSetStatusText, 0, reinterpret_cast<LPARAM>(static_cast<const char*>(text)));
}
