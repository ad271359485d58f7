#include "frames/view/CDwgView.h"

#include "app/CAppState.h"
#include "browser/dialogs/CExifDlg.h"
#include "engine/rkio/CDrawing.h"
#include "imaging/CRasterImage.h"
#include "render/scene/JGraphics.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/ViewActions.h"
#include "frames/view/CViewFrame.h"
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

// A view the user sees is kept first, so Zoom Previous comes back to it.
void CDwgView::OnZoomExtents()
{
    if (!CanUseZoomModes())
        return;
    if (IsImageShown()) {
        FitImage();
        return;
    }
    ViewActions::RememberView(*Thread());
    Thread()->ViewRequest(TDwgDrawThread::kRequestZoomExtents, nullptr, nullptr, true);
}

void CDwgView::FitImage()
{
    JGraphics& scene = Thread()->GetRasterScene();
    scene.PushView();
    scene.ZoomFit();
    scene.Redraw(false);
    RedrawImage();
}

void CDwgView::RedrawImage()
{
    RepaintNow();
    if (auto* frame = dynamic_cast<CViewFrame*>(GetParent()))
        frame->ArmSmoothTimer();
}

bool CDwgView::CanZoomPrevious() const
{
    if (!CanUseZoomModes() || m_bPickWindow || m_bDynamicView)
        return false;
    if (IsImageShown())
        return Thread()->GetRasterScene().GetViewCount() > 1;
    const CDrawing* drawing = Thread()->GetDrawing();
    return drawing && drawing->HasPreviousView();
}

void CDwgView::OnZoomPrevious()
{
    if (!CanZoomPrevious())
        return;
    if (IsImageShown()) {
        Thread()->GetRasterScene().ApplyCurrentView();
        RedrawImage();
        return;
    }
    if (Thread()->GetDrawing()->PreviousView())
        Thread()->ViewRequest(TDwgDrawThread::kRequestRedraw, nullptr, nullptr, true);
}

// 1:1 leaves the view in pan mode: an image at its own size is usually larger than the view.
void CDwgView::OnActualSize()
{
    if (IsImageShown() && !Thread()->IsBusy()) {
        SetMode(kModePan);
        Thread()->GetRasterScene().ZoomActualSize();
        RedrawImage();
    }
}

void CDwgView::OnAutoFit()
{
    if (IsImageShown() && !Thread()->IsBusy()) {
        Thread()->GetRasterScene().PushView();
        Thread()->GetRasterScene().ZoomExtents();
        RedrawImage();
    }
}

// Only the picture on screen turns: showing a file never writes it.
void CDwgView::OnImageTransform(UINT id)
{
    TDwgDrawThread* thread = Thread();
    if (thread && ViewActions::TransformImage(*thread, static_cast<int>(id - ID_VIEW_ROTATE_LEFT)))
        RedrawImage();
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
    pCmdUI->Enable(CanZoomPrevious());
}

void CDwgView::OnUpdateImageCommand(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(IsImageShown() && !thread->IsBusy());
}

bool CDwgView::IsJpegShown() const
{
    return IsImageShown() && !Thread()->IsBusy() &&
           Thread()->GetRasterScene().GetImage().GetFormat() == RASTER_FORMAT_JPG;
}

// The Exif block of the shown JPEG file, in the browser's Exif dialog.
void CDwgView::OnExifInformation()
{
    if (!IsJpegShown()) {
        AfxMessageBox("Can't find Exif information!", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const CString path = Thread()->GetFilePath();
    CExifDlg dialog(GetParent());
    dialog.m_strPath = path;
    if (!dialog.ReadExif()) {
        CString text;
        text.Format("There isn't Exif information in the file: %s\n\n!", static_cast<const char*>(path));
        AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
        return;
    }
    CAppState::ModalScope modal(g_appState);
    dialog.DoModal();
}

void CDwgView::OnUpdateExifInformation(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsJpegShown());
}

void CDwgView::OnDynamicExit()
{
    if (m_bDynamicView)
        SetDynamicViewMode(false);
}

void CDwgView::OnUpdatePickCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_bPickWindow);
}

void CDwgView::OnUpdateDynamicExit(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_bDynamicView);
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
