// The view frame's view points, colour modes, keys and wheel: for a drawing, the engine's view
// changes followed by a redraw, or the drawing thread's immediate requests; for an image, the
// scene's changes followed by a repaint.
#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "engine/rkio/CDrawing.h"
#include "frames/view/ViewKeyTable.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/ViewActions.h"

namespace {

int ColourModeOf(UINT id)
{
    return static_cast<int>(ID_VIEW_256_COLORS - id);
}

} // namespace

void CViewFrame::OnViewPoint(UINT id)
{
    TDwgDrawThread* thread = Thread();
    if (!thread || m_wndView.m_bPickWindow)
        return;
    if (ViewActions::SetStandardView(*thread, ViewActions::StandardViewPoint(static_cast<int>(id - ID_VIEW_3D_TOP))))
        RequestRedraw();
}

void CViewFrame::OnColourMode(UINT id)
{
    if (IsDrawingReady() && ViewActions::SetColourMode(*Thread(), ColourModeOf(id)))
        RequestRedraw();
}

void CViewFrame::OnUpdateColourMode(CCmdUI* pCmdUI)
{
    const bool ready = IsDrawingReady();
    pCmdUI->Enable(ready);
    pCmdUI->SetCheck(ready && ViewActions::GetColourMode(*Thread()) == ColourModeOf(pCmdUI->m_nID) ? 1 : 0);
}

// Esc and Enter end the 3D dynamic view and picking a print window; other keys pass on then.
bool CViewFrame::EndsViewState(UINT virtualKey)
{
    const bool ending = virtualKey == VK_ESCAPE || virtualKey == VK_RETURN;
    if (m_wndView.m_bDynamicView) {
        if (ending)
            m_wndView.SetDynamicViewMode(false);
        return true;
    }
    if (m_wndView.m_bPickWindow) {
        if (ending)
            CancelPrintWindowPick();
        return true;
    }
    return false;
}

bool CViewFrame::HandleKeyDown(UINT virtualKey)
{
    const bool ending = virtualKey == VK_ESCAPE || virtualKey == VK_RETURN;
    if (EndsViewState(virtualKey))
        return ending;
    const ViewKeyTable::KeyAction key = ViewKeyTable::LookUp(virtualKey);
    // Escape leaves the view whatever it shows, even with no drawing thread.
    if (key.action == ViewKeyTable::Action::kEscape) {
        OnEscape();
        return true;
    }
    TDwgDrawThread* thread = Thread();
    if (!thread)
        return false;
    switch (key.action) {
    case ViewKeyTable::Action::kNone:
    case ViewKeyTable::Action::kEscape: // handled above
        return false;
    case ViewKeyTable::Action::kPan:
        PanByKey(key);
        return true;
    case ViewKeyTable::Action::kActualSize:
        m_wndView.OnActualSize();
        return true;
    case ViewKeyTable::Action::kFit:
        FitByKey();
        return true;
    case ViewKeyTable::Action::kZoomIn:
    case ViewKeyTable::Action::kZoomOut:
        if (ViewActions::ZoomStep(*thread, key.action == ViewKeyTable::Action::kZoomIn) == ViewActions::Target::kImage)
            RequestRedraw();
        return true;
    case ViewKeyTable::Action::kHighlight:
        m_wndView.OnHighlight();
        return true;
    case ViewKeyTable::Action::kQuickMode:
        m_wndView.OnQuickMode();
        return true;
    case ViewKeyTable::Action::kPreviousFile:
        m_wndView.OnPreviousFile();
        return true;
    case ViewKeyTable::Action::kNextFile:
        m_wndView.OnNextFile();
        return true;
    }
    return false;
}

void CViewFrame::PanByKey(const ViewKeyTable::KeyAction& key)
{
    TDwgDrawThread* thread = Thread();
    if (thread->IsBusy())
        return;
    if (IsDrawing()) {
        if (thread->IsDrawingValid()) {
            ViewActions::RememberView(*thread);
            thread->ViewRequest(key.request, nullptr, nullptr, true);
        }
        return;
    }
    if (!ViewActions::IsImageLoaded(*thread))
        return;
    CRect client;
    GetClientRect(&client);
    const POINT step = ViewKeyTable::ImagePan(key, client.Width(), client.Height());
    thread->GetRasterScene().PanByPixels(step.x, step.y);
    RequestRedraw();
}

void CViewFrame::FitByKey()
{
    TDwgDrawThread* thread = Thread();
    if (thread->IsBusy())
        return;
    if (ViewActions::IsImageLoaded(*thread)) {
        m_wndView.OnZoomExtents();
        return;
    }
    CDrawing* drawing = IsDrawingReady() ? thread->GetDrawing() : nullptr;
    if (!drawing)
        return;
    CWaitCursor wait;
    drawing->PushView();
    drawing->ZoomExtents(0, 0, 1.05);
    RequestRedraw();
}

// The wheel may arrive here rather than at the view (the frame or a bar has the focus): its point
// is taken into the view's own client coordinates, never the frame's, which are off by the tool
// bar's height.
BOOL CViewFrame::OnMouseWheel(UINT flags, short delta, CPoint point)
{
    return HandleMouseWheel(flags, delta, point);
}

BOOL CViewFrame::HandleMouseWheel(UINT flags, short delta, CPoint point)
{
    TDwgDrawThread* thread = Thread();
    if (!thread || thread->IsBusy() || delta == 0)
        return TRUE;
    if (flags & MK_CONTROL) {
        if (delta < 0)
            m_wndView.OnNextFile();
        else
            m_wndView.OnPreviousFile();
        DropQueuedWheel();
        return TRUE;
    }
    if (flags & MK_SHIFT)
        return TRUE;
    m_wndView.ScreenToClient(&point);
    m_wndView.WheelZoomAt(point, delta > 0);
    return TRUE;
}

// The wheel turns of a file switch queued meanwhile would walk on past the file just opened.
void CViewFrame::DropQueuedWheel()
{
    const DWORD after = ::GetTickCount();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_MOUSEWHEEL, WM_MOUSEWHEEL, PM_REMOVE)) {
        if (static_cast<LONG>(msg.time - after) > 0)
            break;
    }
}
