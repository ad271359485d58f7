// CDrawingPrintCommand: the view frame's Print command for a drawing. It fills the print record
// from the view (the view's window, the picked window, the paper layout), opens the print
// manager and acts on its answer: print, print to a picture file, close, or let the user pick a
// window in the view (the frame calls OnPrintWindowPicked when the view reports it). The record
// and the last picked window live as long as the frame, so the last choices stay.
#pragma once

#include "engine/rkui/PrintRecord.h"
#include "frames/print/CDrawingPrintView.h"
#include "frames/print/CDrawingPrinter.h"

#include <functional>

class CDrawingPrintCommand
{
public:
    // Asks the picture file's name (default: the save dialog of PrintFileName.h); empty cancels.
    using FileNameAsker = std::function<CString(HWND owner, const CString& drawingName)>;
    // Lets tests set up the printer object (job output file, printer context) before it prints.
    using PrinterSetup = std::function<void(CDrawingPrinter&)>;

    CDrawingPrintCommand();
    // The record points into itself (its chosen window): not to be copied.
    CDrawingPrintCommand(const CDrawingPrintCommand&) = delete;
    CDrawingPrintCommand& operator=(const CDrawingPrintCommand&) = delete;

    // The Print command (32827) while a drawing is shown.
    void OnFilePrint(CDrawingPrintView& view);
    // Message 0x8082: picked is true when the user picked a window, false when picking was
    // cancelled; the print manager opens again.
    void OnPrintWindowPicked(CDrawingPrintView& view, bool picked);

    void SetFileNameAsker(FileNameAsker asker) { m_askFileName = std::move(asker); }
    void SetPrinterSetup(PrinterSetup setup) { m_setupPrinter = std::move(setup); }
    const PrintRecord& Record() const { return m_printRecord; }
    const RECT& SavedPickedRect() const { return m_rcPrintWindow; }
    // The outcome of the last print (Printed when nothing was printed yet).
    CDrawingPrinter::Result LastResult() const { return m_lastResult; }

private:
    // The drawing, owner, view window and paper of the record (the print-to-file flag untouched).
    void FillRecord(CDrawingPrintView& view, CDrawing& drawing);
    void TakePickedWindow(CDrawingPrintView& view, CDrawing& drawing);
    void RunPrintManager(CDrawingPrintView& view, bool clampSaved);
    void Print(CDrawingPrintView& view);
    void EnterPickMode(CDrawingPrintView& view, bool clampSaved);

    PrintRecord m_printRecord;
    RECT m_rcPrintWindow = {0, 0, 0, 0};
    FileNameAsker m_askFileName;
    PrinterSetup m_setupPrinter;
    CDrawingPrinter::Result m_lastResult = CDrawingPrinter::Result::Printed;
};
