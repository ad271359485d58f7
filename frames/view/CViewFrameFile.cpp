// The view frame's file commands on what it shows: Print (a drawing through the print manager,
// to the printer or a picture file, the whole view or a window picked in the view; an image
// through the print dialog), Save As (the eight drawing kinds, the seven raster kinds) and
// Insert into AutoCAD of the shown drawing. The work is done by the classes under print/, save/
// and acad/; here are the enabling rules and the hand-over.
#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "frames/view/CViewPrintView.h"
#include "frames/acad/AutoCADInsert.h"
#include "frames/print/CImagePrinter.h"
#include "frames/save/CDrawingSaveAs.h"
#include "frames/save/CImageSaveAs.h"
#include "framework/CStringList.h"
#include "render/workers/TDwgDrawThread.h"

// An image held and the thread idle, or a drawing loaded, the thread idle and no window being
// picked.
bool CViewFrame::CanPrintOrSave() const
{
    if (IsImage())
        return !Thread()->IsBusy();
    return IsDrawingReady();
}

void CViewFrame::OnUpdatePrintOrSave(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanPrintOrSave());
}

void CViewFrame::OnUpdateInsertIntoAutoCAD(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsDrawingReady());
}

void CViewFrame::SetPrintJobOutput(const CString& path)
{
    m_printJobOutput = path;
    if (path.IsEmpty())
        m_printCommand.SetPrinterSetup(nullptr);
    else
        m_printCommand.SetPrinterSetup([path](CDrawingPrinter& printer) { printer.SetJobOutput(path); });
}

void CViewFrame::OnFilePrint()
{
    if (!CanPrintOrSave())
        return;
    if (IsImage()) {
        PrintImage();
        return;
    }
    CViewPrintView view(*this, m_wndView, [this] { return WaitForThreadIdle(); });
    CAppState::ModalScope modal(g_appState);
    m_printCommand.OnFilePrint(view);
}

void CViewFrame::PrintImage()
{
    CImagePrinter printer(Thread()->GetRasterScene(), CurrentPath(), m_hWnd);
    if (!m_printJobOutput.IsEmpty())
        printer.SetJobOutput(m_printJobOutput);
    {
        CAppState::ModalScope modal(g_appState);
        printer.PrintImage();
    }
    m_wndView.RepaintNow();
}

// The view ends picking with 1 (a window was picked) or 0 (cancelled); the print manager opens
// again either way.
LRESULT CViewFrame::OnPrintWindowPicked(WPARAM wParam, LPARAM)
{
    if (!IsDrawing() || !Thread()->IsDrawingValid())
        return 0;
    CViewPrintView view(*this, m_wndView, [this] { return WaitForThreadIdle(); });
    CAppState::ModalScope modal(g_appState);
    m_printCommand.OnPrintWindowPicked(view, wParam == 1);
    return 0;
}

void CViewFrame::CancelPrintWindowPick()
{
    m_wndView.SetPickWindowMode(false);
    m_wndView.RepaintNow();
    PostMessage(kMsgPrintWindowPicked, 0, 0);
}

void CViewFrame::LeavePrintWindowPick()
{
    if (!m_wndView.m_bPickWindow)
        return;
    m_wndView.SetPickWindowMode(false);
    m_wndView.m_bPickDone = false;
}

void CViewFrame::OnFileSaveAs()
{
    if (!CanPrintOrSave())
        return;
    CAppState::ModalScope modal(g_appState);
    if (IsImage()) {
        CImageSaveAs(Thread()->GetRasterScene().GetImage(), CurrentPath(), this).Run();
        return;
    }
    if (CDrawing* drawing = Thread()->GetDrawing())
        CDrawingSaveAs(*drawing, this).Run();
}

void CViewFrame::OnInsertIntoAutoCAD()
{
    if (!IsDrawingReady())
        return;
    CStringList files;
    files.AddTail(CurrentPath());
    CAppState::ModalScope modal(g_appState);
    InsertFilesIntoAutoCAD(files);
}
