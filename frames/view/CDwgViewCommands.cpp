#include "frames/view/CDwgView.h"

#include "app/CAppState.h"
#include "engine/rkio/CDrawing.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/ViewActions.h"
#include "res/resource.h"

namespace {

int ModeOfCommand(UINT id)
{
    switch (id) {
    case ID_VIEW_ZOOM_OUT:
        return CDwgView::kModeZoomOut;
    case ID_VIEW_ZOOM_IN:
        return CDwgView::kModeZoomIn;
    case ID_VIEW_PAN:
        return CDwgView::kModePan;
    default:
        return CDwgView::kModeZoomWindow;
    }
}

} // namespace

void CDwgView::SetMode(int mode)
{
    m_nMode = mode;
    m_hCursor = ModeCursor();
    ::SetCursor(m_hCursor);
}

bool CDwgView::CanUseZoomModes() const
{
    const TDwgDrawThread* thread = Thread();
    if (!thread || thread->IsBusy())
        return false;
    return IsImageShown() || (IsDrawingShown() && thread->IsDrawingValid());
}

// A drawing's request comes back as a new picture the frame takes; an image is painted here.
void CDwgView::AfterAction(int target)
{
    if (target == static_cast<int>(ViewActions::Target::kImage))
        RepaintNow();
}

// The step acts once at once, about the middle; clicks then step about the clicked point.
void CDwgView::OnZoomStep(UINT id)
{
    if (!CanUseZoomModes())
        return;
    const bool in = id == ID_VIEW_ZOOM_IN;
    SetMode(in ? kModeZoomIn : kModeZoomOut);
    AfterAction(static_cast<int>(ViewActions::ZoomStep(*Thread(), in)));
}

void CDwgView::OnZoomWindow()
{
    if (CanUseZoomModes())
        SetMode(kModeZoomWindow);
}

void CDwgView::OnPan()
{
    if (CanUseZoomModes())
        SetMode(kModePan);
}

void CDwgView::OnZoomExtents()
{
    if (!CanUseZoomModes())
        return;
    if (IsImageShown()) {
        Thread()->GetRasterScene().ZoomFit();
        RepaintNow();
    } else {
        Thread()->ViewRequest(TDwgDrawThread::kRequestZoomExtents, nullptr, nullptr, true);
    }
}

void CDwgView::OnZoomPrevious()
{
    if (!CanUseZoomModes())
        return;
    if (IsImageShown()) {
        Thread()->GetRasterScene().ApplyCurrentView();
        RepaintNow();
        return;
    }
    CDrawing* drawing = Thread()->GetDrawing();
    if (drawing && drawing->HasPreviousView() && drawing->PreviousView())
        Thread()->ViewRequest(TDwgDrawThread::kRequestRedraw, nullptr, nullptr, true);
}

void CDwgView::OnActualSize()
{
    if (IsImageShown() && !Thread()->IsBusy()) {
        Thread()->GetRasterScene().ZoomActualSize();
        RepaintNow();
    }
}

void CDwgView::OnAutoFit()
{
    if (IsImageShown() && !Thread()->IsBusy()) {
        Thread()->GetRasterScene().ZoomExtents();
        RepaintNow();
    }
}

// Only the picture on screen turns: showing a file never writes it.
void CDwgView::OnImageTransform(UINT id)
{
    TDwgDrawThread* thread = Thread();
    if (thread && ViewActions::TransformImage(*thread, static_cast<int>(id - ID_VIEW_ROTATE_LEFT)))
        RepaintNow();
}

void CDwgView::WheelZoomAt(POINT client, bool in)
{
    TDwgDrawThread* thread = Thread();
    if (thread && CanUseZoomModes())
        AfterAction(static_cast<int>(ViewActions::ZoomAt(*thread, client, in, true)));
}

void CDwgView::OnUpdateZoomMode(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanUseZoomModes());
    pCmdUI->SetCheck(m_nMode == ModeOfCommand(pCmdUI->m_nID));
}

void CDwgView::OnUpdateZoomExtents(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanUseZoomModes());
}

void CDwgView::OnUpdateZoomPrevious(CCmdUI* pCmdUI)
{
    if (!CanUseZoomModes()) {
        pCmdUI->Enable(FALSE);
        return;
    }
    const CDrawing* drawing = IsDrawingShown() ? Thread()->GetDrawing() : nullptr;
    pCmdUI->Enable(IsImageShown() || (drawing && drawing->HasPreviousView()));
}

void CDwgView::OnUpdateImageCommand(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(IsImageShown() && !thread->IsBusy());
}

void CDwgView::OnHighlight()
{
    const TDwgDrawThread* thread = Thread();
    if (thread && ViewActions::CanToggleHighlight(*thread))
        ViewActions::TogglePreviewHighlight();
}

void CDwgView::OnUpdateHighlight(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(thread && ViewActions::CanToggleHighlight(*thread));
    pCmdUI->SetCheck(ViewActions::GetHighlightMode() ? 1 : 0);
}

void CDwgView::OnQuickMode()
{
    TDwgDrawThread* thread = Thread();
    if (!thread || !IsDrawingShown() || thread->IsBusy())
        return;
    ViewActions::ToggleQuickMode(*thread);
    thread->PostRequest(TDwgDrawThread::kRequestRedraw);
}

void CDwgView::OnUpdateQuickMode(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    const bool usable = thread && IsDrawingShown() && !thread->IsBusy();
    pCmdUI->Enable(usable);
    pCmdUI->SetCheck(usable && thread->QueryViewState() ? 1 : 0);
}
