#include "frames/print/CDrawingPrintCommand.h"

#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "frames/print/PrintFileName.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// View pixels (y downwards) to drawing coordinates; the engine counts y up from the bottom.
void ToWorld(CDrawing& drawing, const RECT& client, int x, int y, double* world)
{
    drawing.PixelToWorld(x, client.bottom - y, world);
}

bool IsEmptyRect(const RECT& rect)
{
    return rect.left == rect.right || rect.top == rect.bottom;
}

RECT ClampInto(RECT rect, const RECT& bounds)
{
    rect.left = std::clamp(rect.left, bounds.left, bounds.right);
    rect.right = std::clamp(rect.right, bounds.left, bounds.right);
    rect.top = std::clamp(rect.top, bounds.top, bounds.bottom);
    rect.bottom = std::clamp(rect.bottom, bounds.top, bounds.bottom);
    return rect;
}

CString FileTitleOf(CDrawing& drawing)
{
    char path[MAX_PATH] = {};
    drawing.GetFileName(path);
    const char* slash = std::strrchr(path, '\\');
    CString name = slash ? slash + 1 : path;
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

} // namespace

CDrawingPrintCommand::CDrawingPrintCommand() : m_askFileName(&AskPrintFileName) {}

void CDrawingPrintCommand::FillRecord(CDrawingPrintView& view, CDrawing& drawing)
{
    m_printRecord.drawing = &drawing;
    m_printRecord.owner = view.GetOwner();
    drawing.SetExportTarget(nullptr);
    const RECT client = view.GetViewClientRect();
    PrintWindowRecord& whole = m_printRecord.viewWindow;
    ToWorld(drawing, client, client.left, client.top, whole.corner1);
    ToWorld(drawing, client, client.right, client.bottom, whole.corner2);
    drawing.GetViewWorldSize(&whole.width, &whole.height);
    m_printRecord.paperValid = drawing.GetCurrentLayout() > 0;
    if (m_printRecord.paperValid) {
        double corners[4] = {};
        drawing.GetPaperCorners(corners);
        PrintWindowRecord& paper = m_printRecord.paper;
        paper = PrintWindowRecord{{corners[0], corners[1], 0.0}, {corners[2], corners[3], 0.0},
                                  std::fabs(corners[2] - corners[0]), std::fabs(corners[3] - corners[1])};
    }
}

// The picked rectangle's share of the view gives the window's size in drawing units.
void CDrawingPrintCommand::TakePickedWindow(CDrawingPrintView& view, CDrawing& drawing)
{
    const RECT client = view.GetViewClientRect();
    const RECT picked = view.GetPickedRect();
    PrintWindowRecord& window = m_printRecord.printWindow;
    ToWorld(drawing, client, picked.left, picked.top, window.corner1);
    ToWorld(drawing, client, picked.right, picked.bottom, window.corner2);
    const double clientWidth = std::max<LONG>(1, client.right - client.left);
    const double clientHeight = std::max<LONG>(1, client.bottom - client.top);
    window.width = std::abs(picked.right - picked.left) / clientWidth * m_printRecord.viewWindow.width;
    window.height = std::abs(picked.bottom - picked.top) / clientHeight * m_printRecord.viewWindow.height;
    m_printRecord.wholeView = false;
}

void CDrawingPrintCommand::OnFilePrint(CDrawingPrintView& view)
{
    CDrawing* drawing = view.GetDrawing();
    if (!drawing)
        return;
    m_printRecord.printToFile = false;
    FillRecord(view, *drawing);
    view.SetPickedRect(m_rcPrintWindow);
    if (view.IsWindowPicked()) {
        TakePickedWindow(view, *drawing);
    } else {
        m_printRecord.printWindow = m_printRecord.viewWindow;
        m_printRecord.wholeView = true;
    }
    RunPrintManager(view, false);
}

void CDrawingPrintCommand::OnPrintWindowPicked(CDrawingPrintView& view, bool picked)
{
    CDrawing* drawing = view.GetDrawing();
    if (!drawing)
        return;
    FillRecord(view, *drawing);
    if (picked) {
        TakePickedWindow(view, *drawing);
        m_rcPrintWindow = view.GetPickedRect();
    } else {
        view.SetPickedRect(m_rcPrintWindow);
    }
    RunPrintManager(view, true);
}

void CDrawingPrintCommand::RunPrintManager(CDrawingPrintView& view, bool clampSaved)
{
    initPrintManager(&m_printRecord);
    switch (showPrintManager()) {
    case 1:
        view.SetPickWindowMode(false);
        view.Repaint();
        Print(view);
        if (CDrawing* drawing = view.GetDrawing())
            drawing->Regenerate();
        view.Repaint();
        break;
    case 9:
        EnterPickMode(view, clampSaved);
        break;
    default:
        view.SetPickWindowMode(false);
        view.Repaint();
        break;
    }
    releasePrintManager();
}

void CDrawingPrintCommand::EnterPickMode(CDrawingPrintView& view, bool clampSaved)
{
    if (clampSaved) {
        m_rcPrintWindow = ClampInto(m_rcPrintWindow, view.GetViewClientRect());
        view.SetPickedRect(m_rcPrintWindow);
    }
    m_rcPrintWindow = view.GetPickedRect();
    // A window of no width or height prints nothing: the whole view is printed until another
    // window is picked.
    if (IsEmptyRect(m_rcPrintWindow))
        view.SetWindowPicked(false);
    view.SetPickWindowMode(true);
    view.Repaint();
}

void CDrawingPrintCommand::Print(CDrawingPrintView& view)
{
    CDrawing* drawing = view.GetDrawing();
    if (!drawing)
        return;
    const PrintRecord& r = m_printRecord;
    const PrintWindowRecord& window = r.chosenWindow ? *r.chosenWindow : r.printWindow;
    CDrawingPrinter printer(*drawing, r.owner, view.GetBackground());
    if (m_setupPrinter)
        m_setupPrinter(printer);
    if (!r.printToFile) {
        m_lastResult = printer.PrintDrawing(window, r.scale, r.spare, r.placement1, r.placement2, r.orientation,
                                            r.bitmapWidth, r.bitmapHeight);
        return;
    }
    const CString path = m_askFileName ? m_askFileName(r.owner, FileTitleOf(*drawing)) : CString();
    if (path.IsEmpty())
        return;
    m_lastResult = printer.PrintDrawingToFile(window, r.scale, r.spare, r.placement1, r.placement2, r.orientation,
                                              r.bitmapWidth, r.bitmapHeight, path);
}
