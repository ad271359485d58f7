#include "frames/CDwgView.h"

#include "app/core/NumberFormat.h"
#include "engine/rkio/CDrawing.h"
#include "frames/CViewFrame.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/ViewActions.h"
#include "ui/RubberBand.h"

namespace {

constexpr UINT kSetStatusText = 0x401; // SB_SETTEXT

} // namespace

void CDwgView::OnLButtonDown(UINT, CPoint point)
{
    if (::GetFocus() != GetSafeHwnd())
        SetFocus();
    TDwgDrawThread* thread = Thread();
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
    if (!thread)
        return;
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
    ShowCoordinates(point);
}

void CDwgView::OnLButtonUp(UINT, CPoint point)
{
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
BOOL CDwgView::OnMouseWheel(UINT, short delta, CPoint point)
{
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
