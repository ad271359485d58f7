// The view frame's rotate view, smooth display of images, the shown file's properties and the
// list of the program's keys.
#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "browser/shell/ShellItemLaunch.h"
#include "browser/dialogs/CAcceleratorDlg.h"
#include "browser/properties/FileProperties.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/ViewActions.h"

#include <cmath>

namespace {

// The engine takes its angles with pi in single precision, as the orbit drag does.
constexpr double kEnginePi = 3.1415927410125732;

} // namespace

double CViewFrame::RotateViewRadians(double degrees)
{
    return degrees / -180.0 * kEnginePi;
}

// A drawing that can be turned in three dimensions, by an idle thread and out of picking a print
// window; null otherwise.
CDrawing* CViewFrame::DrawingToTurn() const
{
    CDrawing* drawing = IsDrawingReady() ? Thread()->GetDrawing() : nullptr;
    return drawing && drawing->CanView3D() ? drawing : nullptr;
}

// The angle typed is counted anticlockwise on the screen; the previous view comes back with Zoom
// Previous.
void CViewFrame::OnRotateView()
{
    CDrawing* drawing = DrawingToTurn();
    if (!drawing)
        return;
    double angle = 0.0;
    {
        CAppState::ModalScope modal(g_appState);
        if (showSetRotateViewDialog(&angle) != 1 || !std::isfinite(angle))
            return;
    }
    drawing->PushView();
    drawing->RollAboutViewAxis(RotateViewRadians(angle));
    RequestRedraw();
}

// A reduced image is drawn once more at once in the quality just chosen; with smooth display off,
// a smooth redraw still waiting would undo that.
void CViewFrame::OnSmoothDisplay()
{
    TDwgDrawThread* thread = Thread();
    if (!thread)
        return;
    g_options.PreviewHalfTone = !g_options.PreviewHalfTone;
    if (!g_options.PreviewHalfTone)
        KillSmoothTimer();
    if (thread->IsBusy() || !ViewActions::IsImageLoaded(*thread))
        return;
    CWaitCursor wait;
    if (ViewActions::RedrawInNewQuality(thread->GetRasterScene()))
        RequestRedraw();
}

void CViewFrame::OnUpdateSmoothDisplay(CCmdUI* pCmdUI)
{
    const TDwgDrawThread* thread = Thread();
    pCmdUI->Enable(IsImage() && !thread->IsBusy());
    pCmdUI->SetCheck(g_options.PreviewHalfTone ? 1 : 0);
}

// The drawing thread writes the drawing's information record only while it opens a file (it is
// busy then): the record is read by an idle thread only, and while the sheet is up the frame is
// disabled and the application's modal flag keeps every command from the view, so no open starts.
bool CViewFrame::CanShowProperties() const
{
    const TDwgDrawThread* thread = Thread();
    return thread && !thread->IsBusy() && thread->GetFileType() >= 0 && !CurrentPath().IsEmpty();
}

void CViewFrame::OnDrawingProperties()
{
    if (!CanShowProperties())
        return;
    const CString path = CurrentPath();
    if (IsImage()) {
        ShellItemLaunch(m_hWnd, nullptr, path, "properties");
        return;
    }
    CAppState::ModalScope modal(g_appState);
    RunFilePropertiesSheet(path, Thread()->GetDrawingInfo(), this);
}

void CViewFrame::OnUpdateDrawingProperties(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanShowProperties());
}

void CViewFrame::OnKeyList()
{
    CAppState::ModalScope modal(g_appState);
    ShowAcceleratorKeys(this);
}

// The view points in a list: the chosen one is set on the drawing, the view before it kept.
void CViewFrame::OnSelectViewPoint()
{
    CDrawing* drawing = DrawingToTurn();
    if (!drawing)
        return;
    CAppState::ModalScope modal(g_appState);
    if (showSetViewportDialog(drawing) == 1)
        RequestRedraw();
}
