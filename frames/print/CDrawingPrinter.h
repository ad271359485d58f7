// CDrawingPrinter: prints the open drawing's chosen window, to the printer through the printer
// export device (CPrintDevice), or into a picture file (JPEG, BMP, GIF, TIFF). The drawing's
// colour mode, background and view are the same afterwards as before.
#pragma once

#include "engine/rkui/PlotStyleRecord.h"
#include "engine/rkui/PrintRecord.h"
#include "frames/print/CPrintJob.h"
#include "framework/Afx.h"

#include <functional>

class CDrawing;

class CDrawingPrinter
{
public:
    enum class Result
    {
        Printed,
        NoPrinter,      // no printer device context could be made (the user was told)
        JobFailed,      // the printer refused a step; the job was aborted (the user was told)
        FileFailed,     // the picture could not be made or written (the user was told)
    };
    using DcFactory = std::function<HDC()>;

    // viewBackground: the view's background colour, given back to the engine after a print to
    // file.
    CDrawingPrinter(CDrawing& drawing, HWND owner, COLORREF viewBackground);

    // Tests: where the printing context comes from (default: the print manager's printer), the
    // job's steps, and a file the spooler writes instead of the printer's port.
    void SetPrinterDcFactory(DcFactory factory) { m_dcFactory = std::move(factory); }
    void SetJobSteps(PrintJobSteps steps) { m_steps = std::move(steps); }
    void SetJobOutput(const CString& path) { m_jobOutput = path; }

    Result PrintDrawing(const PrintWindowRecord& window, double scale, short spare, int placement1,
                        int placement2, short orientation, int bitmapWidth, int bitmapHeight);
    Result PrintDrawingToFile(const PrintWindowRecord& window, double scale, short spare, int placement1,
                              int placement2, short orientation, int bitmapWidth, int bitmapHeight,
                              const char* path);

    // The job title: "Orvo Kestal - " and the drawing's file name without its folder.
    CString JobTitle() const;
    // The origin's y of the page mapping: the printed width for the turned orientations (1 and
    // 3), the printed height otherwise.
    static int PageOriginY(short orientation, double printedWidth, double printedHeight);

private:
    HDC CreatePrinterDC() const;
    // The engine's pens for a print at dpi, as the plot style asks.
    static void SetPens(const PlotStyleRecord& plot, int dpi);
    // Tells the drawing whether the pen set draws this print, and the line-weight scale.
    void GivePlotStyle(const PlotStyleRecord& plot);
    void GiveWindow(const PrintWindowRecord& window, int outWidth, int outHeight);
    bool RenderToPrinter(HDC dc, const PlotStyleRecord& plot, short orientation, int placement1, int placement2,
                         double printedWidth, double printedHeight);
    bool SavePicture(class CDib& picture, int colorMode, const char* path) const;

    CDrawing& m_drawing;
    HWND m_owner;
    COLORREF m_viewBackground;
    DcFactory m_dcFactory;
    PrintJobSteps m_steps;
    CString m_jobOutput;
};
