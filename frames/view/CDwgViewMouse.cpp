#include "frames/view/CDwgView.h"

#include "core/NumberFormat.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "frames/view/CViewFrame.h"
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
    if (thread && m_bDynamicView && !thread->IsBusy() && IsDrawingShown() && thread->IsDrawingValid()) {
        StartOrbitDrag(point);
        return;
    }
    if (!thread || m_bPickWindow || m_bDynamicView || !CanUseZoomModes())
        return;
    m_ptAnchor = m_ptLast = point;
    switch (m_nMode) {
    case kModeZoomWindow:
        DrawRubberBand(GetSafeHwnd(), m_ptAnchor, m_ptLast);
        m_bDragging = true;
        SetCapture();
        break;
    case kModePan:
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
    if (m_bDragging && (flags & MK_LBUTTON)) {
        if (m_nMode == kModeZoomWindow) {
            DrawRubberBand(GetSafeHwnd(), m_ptAnchor, m_ptLast);
            m_ptLast = point;
            DrawRubberBand(GetSafeHwnd(), m_ptAnchor, m_ptLast);
        } else if (m_nMode == kModePan) {
            AfterAction(static_cast<int>(ViewActions::PanDrag(*thread, m_ptLast, point, true)));
            m_ptLast = point;
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
    ReleaseCapture();
    TDwgDrawThread* thread = Thread();
    if (m_nMode != kModeZoomWindow || !thread)
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
