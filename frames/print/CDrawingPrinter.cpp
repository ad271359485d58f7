#include "frames/print/CDrawingPrinter.h"

#include "engine/rkio/rkio.h"
#include "engine/rkui/PrintManagerDialog.h"
#include "engine/rkui/RkUI.h"
#include "framework/CommonDialogs.h"
#include "framework/Prompt.h"
#include "imaging/CDib.h"
#include "imaging/CGif.h"
#include "imaging/CJpeg.h"
#include "render/print/CPrintDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A print to file made without a printer takes the screen's usual resolution.
const int kScreenDpi = 96;
const long kLargestPrint = 1L << 20;

// Saves the drawing's colour mode and the engine's background and puts them back at the end.
class DrawingLookScope
{
public:
    DrawingLookScope(CDrawing& drawing, int colorMode, COLORREF background, COLORREF restoreBackground)
        : m_drawing(drawing), m_colorMode(drawing.GetColorMode()), m_background(restoreBackground)
    {
        DWG_SetBackgroundColor(background);
        m_drawing.SetColorMode(colorMode);
    }
    ~DrawingLookScope()
    {
        m_drawing.SetColorMode(m_colorMode);
        DWG_SetBackgroundColor(m_background);
        m_drawing.EndPrinting();
    }
    DrawingLookScope(const DrawingLookScope&) = delete;
    DrawingLookScope& operator=(const DrawingLookScope&) = delete;

private:
    CDrawing& m_drawing;
    int m_colorMode;
    COLORREF m_background;
};

// The printer device reads the pen set's own switch; a plot style without pen sets keeps it off
// for the one print.
class PenSetSwitchScope
{
public:
    explicit PenSetSwitchScope(bool allowed) : m_was(g_printPenSet.getUsePenWidth())
    {
        g_printPenSet.setUsePenWidth(m_was && allowed);
    }
    ~PenSetSwitchScope() { g_printPenSet.setUsePenWidth(m_was); }
    PenSetSwitchScope(const PenSetSwitchScope&) = delete;
    PenSetSwitchScope& operator=(const PenSetSwitchScope&) = delete;

private:
    bool m_was;
};

struct DcOwner
{
    explicit DcOwner(HDC dc) : dc(dc) {}
    ~DcOwner()
    {
        if (dc)
            ::DeleteDC(dc);
    }
    DcOwner(const DcOwner&) = delete;
    DcOwner& operator=(const DcOwner&) = delete;
    HDC dc;
};

bool EndsWith(const char* path, const char* extension)
{
    const std::size_t n = std::strlen(path), m = std::strlen(extension);
    return n >= m && ::lstrcmpiA(path + n - m, extension) == 0;
}

PlotStyleRecord LoadPlotStyle()
{
    PlotStyleRecord plot;
    loadPlotStyleDialogFromRegistry(RkUI::PrintManagerDialog::kPlotKey, &plot);
    return plot;
}

} // namespace

CDrawingPrinter::CDrawingPrinter(CDrawing& drawing, HWND owner, COLORREF viewBackground)
    : m_drawing(drawing), m_owner(owner), m_viewBackground(viewBackground)
{
}

CString CDrawingPrinter::JobTitle() const
{
    char path[MAX_PATH] = {};
    m_drawing.GetFileName(path);
    const char* slash = std::strrchr(path, '\\');
    CString title;
    title.Format("Orvo Kestal - %s", slash ? slash + 1 : path);
    return title;
}

int CDrawingPrinter::PageOriginY(short orientation, double printedWidth, double printedHeight)
{
    return static_cast<int>(orientation == 1 || orientation == 3 ? printedWidth : printedHeight);
}

HDC CDrawingPrinter::CreatePrinterDC() const
{
    if (m_dcFactory)
        return m_dcFactory();
    CPrintDialog& printer = g_printPenSet.getPrintSetDlg();
    if (printer.GetDeviceName().IsEmpty()) {
        char name[512] = {};
        DWORD size = sizeof name;
        if (!::GetDefaultPrinterA(name, &size) || !g_printPenSet.SelectPrinter(name))
            return nullptr;
    }
    const HDC dc = printer.CreatePrinterDC();
    printer.m_pd.hDC = nullptr;     // ours now: deleted by the print
    return dc;
}

void CDrawingPrinter::SetPens(const PlotStyleRecord& plot, int dpi)
{
    if (plot.usePenSets && plot.penSetsByResolution) {
        CommonPenSets_SetDPI(static_cast<short>(dpi));
        g_printPenSet.UpdatePenSetsToRkIO();
    } else if (plot.usePenSets) {
        CommonPenSets_Reset();
    }
}

// Pens draw the print when the plot style and the pen set both ask for them. On a paper layout
// the sheet's line weights may be kept as they are.
void CDrawingPrinter::GivePlotStyle(const PlotStyleRecord& plot)
{
    const bool paper = m_drawing.GetCurrentLayout() > 0;
    const double scale = paper && plot.plainLineWeightOnPaper ? 1.0 : plot.lineWeightScale;
    m_drawing.SetPlotPens(plot.usePenSets && g_printPenSet.getUsePenWidth(), scale);
}

// The engine turns the window's corners into its pixels and takes them as the whole output.
void CDrawingPrinter::GiveWindow(const PrintWindowRecord& window, int outWidth, int outHeight)
{
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    m_drawing.WorldToPixel(window.corner1, &x1, &y1);
    m_drawing.WorldToPixel(window.corner2, &x2, &y2);
    m_drawing.PrintWindow(x1, y1, x2, y2, std::max(1, outWidth), std::max(1, outHeight));
}

CDrawingPrinter::Result CDrawingPrinter::PrintDrawing(const PrintWindowRecord& window, double scale, short,
                                                      int placement1, int placement2, short orientation, int, int)
{
    if (!m_drawing.IsValid())
        return Result::NoPrinter;
    const double printedWidth = std::clamp(window.width * scale, 1.0, static_cast<double>(kLargestPrint));
    const double printedHeight = std::clamp(window.height * scale, 1.0, static_cast<double>(kLargestPrint));
    const PlotStyleRecord plot = LoadPlotStyle();
    GiveWindow(window, static_cast<int>(printedWidth), static_cast<int>(printedHeight));
    DcOwner printer(CreatePrinterDC());
    if (!printer.dc) {
        m_drawing.EndPrinting();
        AfxMessageBox("No printer can be used. Install a printer, or print to a file.", MB_OK | MB_ICONEXCLAMATION);
        return Result::NoPrinter;
    }
    SetPens(plot, ::GetDeviceCaps(printer.dc, LOGPIXELSX));
    CPrintJob job(printer.dc, m_steps);
    if (!job.Begin(JobTitle(), m_jobOutput.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_jobOutput), nullptr)) {
        m_drawing.EndPrinting();
        return Result::JobFailed;
    }
    const bool drawn = RenderToPrinter(printer.dc, plot, orientation, placement1, placement2, printedWidth,
                                       printedHeight);
    if (!job.End())
        return Result::JobFailed;
    return drawn ? Result::Printed : Result::JobFailed;
}

bool CDrawingPrinter::RenderToPrinter(HDC dc, const PlotStyleRecord& plot, short orientation, int placement1,
                                      int placement2, double printedWidth, double printedHeight)
{
    const int offsetY = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
    CPrintDevice device;
    device.m_scale = 1.0;
    device.m_colorMode = static_cast<short>(plot.colorMode);
    device.SetOffset(placement1, placement2);
    device.SetRotation(orientation);
    device.SetDC(dc);
    const PenSetSwitchScope penSwitch(plot.usePenSets != 0);
    GivePlotStyle(plot);
    DrawingLookScope look(m_drawing, plot.colorMode, RGB(255, 255, 255), m_viewBackground);
    m_drawing.SetExportTarget(&device);
    // Page units with y upwards: the extent's y is turned round and the origin put at the top.
    const int previousMode = ::SetMapMode(dc, MM_ANISOTROPIC);
    SIZE extent = {1, 1};
    ::GetWindowExtEx(dc, &extent);
    ::SetWindowExtEx(dc, extent.cx, -extent.cy, nullptr);
    const int originY = PageOriginY(orientation, printedWidth, printedHeight) + offsetY;
    ::SetWindowOrgEx(dc, 0, originY, nullptr);
    device.SetSavedMapping(previousMode, extent.cx, extent.cy, 0, originY, offsetY);
    device.BeginExport(0, 0, 0, printedWidth, printedHeight, &m_drawing);
    m_drawing.Regenerate();
    const bool drawn = m_drawing.RenderThroughExport();
    m_drawing.SetExportTarget(nullptr);
    device.EndExport();
    return drawn;
}

CDrawingPrinter::Result CDrawingPrinter::PrintDrawingToFile(const PrintWindowRecord& window, double, short, int,
                                                            int, short, int bitmapWidth, int bitmapHeight,
                                                            const char* path)
{
    if (!m_drawing.IsValid() || !path || !*path)
        return Result::FileFailed;
    const PlotStyleRecord plot = LoadPlotStyle();
    GiveWindow(window, bitmapWidth, bitmapHeight);
    // The printer only lends its resolution and margins; a picture needs none.
    int dpi = kScreenDpi, marginX = 0, marginY = 0;
    {
        DcOwner printer(CreatePrinterDC());
        if (printer.dc) {
            dpi = ::GetDeviceCaps(printer.dc, LOGPIXELSY);
            marginX = ::GetDeviceCaps(printer.dc, PHYSICALOFFSETX);
            marginY = ::GetDeviceCaps(printer.dc, PHYSICALOFFSETY);
        }
    }
    SetPens(plot, dpi);
    CDib picture;
    if (!picture.Create(bitmapWidth, bitmapHeight, 24)) {
        m_drawing.EndPrinting();
        AfxMessageBox("There is not enough memory for a picture of that size.", MB_OK | MB_ICONEXCLAMATION);
        return Result::FileFailed;
    }
    picture.Fill(RGB(255, 255, 255));
    {
        CWaitCursor wait;
        DrawingLookScope look(m_drawing, plot.colorMode, RGB(255, 255, 255), m_viewBackground);
        const HDC dc = picture.BeginMemDC();
        const HRGN clip = ::CreateRectRgn(marginX, marginY, bitmapWidth - marginX, bitmapHeight - marginY);
        ::SelectClipRgn(dc, clip);
        ::DeleteObject(clip);
        m_drawing.Regenerate();
        GivePlotStyle(plot);
        m_drawing.Render(dc, nullptr);
        ::SelectClipRgn(dc, nullptr);
        picture.EndMemDC();
    }
    if (!SavePicture(picture, plot.colorMode, path)) {
        CString text;
        text.Format("The picture could not be written to\n%s", path);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return Result::FileFailed;
    }
    return Result::Printed;
}

// The format follows the file's extension; anything unknown is written as JPEG.
bool CDrawingPrinter::SavePicture(CDib& picture, int colorMode, const char* path) const
{
    if (EndsWith(path, ".bmp")) {
        if (colorMode == 1)
            picture.ChangeBitCount(8);
        else if (colorMode == 2)
            picture.ChangeBitCount(1);
        return picture.SaveFile(path) != FALSE;
    }
    if (EndsWith(path, ".gif"))
        return CGif().SaveDib(path, &picture) != 0;
    if (EndsWith(path, ".tif") || EndsWith(path, ".tiff"))
        return SaveRasterImage(picture.GetBitmap(), 3, path, 0) != FALSE;
    return CJpeg().SaveDib(path, &picture, true, 100) != 0;
}
