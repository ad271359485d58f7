// CDrawing: the engine's drawing object. It opens a DWG or DXF file into a drawing database,
// keeps the view (layout, 3D view point, zoom, previous views) and the display options, and draws
// into a device context or through a CDwgExport device. Operations are virtual, in the order
// callers rely on. Where the callers leave a meaning open the choice is noted here:
// - Open result codes: 0 opened, 1 the file cannot be read, 2 not a drawing or damaged,
//   3 abandoned through the abort callback, 4 a password is needed or was wrong.
// - A DWG whose geometry cannot be read (an unsupported version, a damaged file) is opened with
//   its stored preview picture, shown scaled into the view with an information line; a DWG
//   without either fails with 2. Its summary then ends with a custom property "Shown=stored
//   preview only: <why>" so the drawing information says so.
// - Summary enumeration indices: 0 keywords, 1 title, 2 subject, 3 author, 4 comments,
//   5 last saved by, 6 hyperlink base, 7 revision number, 17 each custom property "name=value".
// - Pixel coordinates count y upwards from the bottom of the output (as the callers pass them).
// - Zoom steps are a factor of 2 (in) and 0.5 (out); standard view points 0 Front .. 9 NW.
// - Colour modes 0 colour, 1 grey, 2 black and white; units 1..5 as $LUNITS.
// - Rotations turn the viewer about the screen's axes through the point at the centre of the
//   output; a roll turns the picture about the view axis.
// - "Can be viewed in 3-D": model space holds something off the xy plane (a depth in the drawn
//   extents, a thickness, a tilted extrusion or a 3D entity kind), measured from the entities.
// Every operation takes the drawing's lock, so the interface thread may ask and change the view
// while the drawing thread renders: a call waits for a render in progress to end. A drawing
// being opened is read into a database of its own and shown only once it is whole; until then
// the object answers as a closed one.
#pragma once

#include "engine/db/Database.h"
#include "engine/db/DrawingStatistics.h"
#include "engine/draw/DrawSink.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/RasterCache.h"
#include "engine/draw/RenderOptions.h"
#include "engine/draw/ShxFont.h"
#include "engine/draw/ViewTransform.h"
#include "engine/dwg/DwgSectionSet.h"
#include "engine/rkio/EngineState.h"
#include "engine/rkio/LayoutViews.h"
#include "engine/write/WriteReport.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CDwgExport;

class CDrawing
{
public:
    using SummaryCallback = int (*)(int index, const char* text, void* context);

    // kind 1: a drawing of the thumbnail channel (DWG_SetFileAboutFunc_2, no progress); any other
    // value: the document channel. Never null.
    static CDrawing* CreateDrawing(int kind);
    static void DeleteDrawing(CDrawing* drawing);

    explicit CDrawing(RkIo::Channel channel);
    virtual ~CDrawing();
    CDrawing(const CDrawing&) = delete;
    CDrawing& operator=(const CDrawing&) = delete;

    virtual short Open(const char* path, const char* password);
    virtual bool IsValid() const;
    virtual void GetFileName(char* buffer260) const;
    virtual short GetVersion() const;
    virtual void EnumSummary(SummaryCallback callback, void* context) const;
    virtual void SetOutputSize(int width, int height);
    virtual void ZoomExtents(int, int, double factor);
    // The view a drawing opens with when no saved view shows it: its bulk fitted, without the
    // few objects that lie absurdly far from the rest (zoom extents still shows those).
    virtual void FitOpeningView(double factor);
    virtual void DeviceSizeChanged();
    virtual void ClearHighlight(int);
    virtual int GetLayoutCount() const;
    virtual int GetCurrentLayout() const;
    virtual const char* GetLayoutName(int index) const;
    virtual bool SetCurrentLayout(int index);
    virtual void Update();

    virtual void Close();
    virtual void SetExportTarget(CDwgExport* target);
    // Draws the current view through the export target at the output size (page units).
    virtual bool RenderThroughExport();
    virtual void Regenerate();
    // For the print under way: whether the pen set handed to the engine (CommonPenSets_SetDPI,
    // UpdatePenSetsToRkIO) gives the widths and colours, and the scale of the drawing's line
    // weights otherwise. The end of printing goes back to no pens and scale 1.
    virtual void SetPlotPens(bool usePenSets, double lineWeightScale);
    // Ends a print: the export target is dropped and the view and output size the print window
    // replaced come back.
    virtual void EndPrinting();
    virtual void SetViewPoint(int viewPoint);
    virtual bool CanView3D() const;
    virtual void PushView();
    virtual bool PreviousView();
    virtual bool HasPreviousView() const;
    virtual void ZoomInStep();
    virtual void ZoomOutStep();
    virtual void RotateAboutHorizontal(double radians);
    virtual void RotateAboutVertical(double radians);
    virtual void RollAboutViewAxis(double radians);
    virtual void PixelToWorld(int x, int y, double* world3) const;
    virtual void WorldToPixel(const double* world3, int* x, int* y) const;
    virtual void GetViewWorldSize(double* width, double* height) const;
    virtual void GetPaperCorners(double* corners4) const;
    virtual void PrintWindow(int x1, int y1, int x2, int y2, int outWidth, int outHeight);
    virtual void GetPointMode(int* mode, double* size) const;
    virtual void SetPointMode(int mode, double size);
    virtual int GetColorMode() const;
    virtual void SetColorMode(int mode);
    virtual void GetLinearUnits(int* units, int* precision) const;
    virtual void SetLinearUnits(int units, int precision);
    // Save As: PrepareSave first (ends the hover highlight, which draws from the database), then
    // Save(path, kind 1 DWG / 2 DXF, version 9 = 2004, 8 = 2000, 7 = R14, 5 = R12, 0). Save
    // results: 0 saved; 1 that kind or version is not written (only those four are); 2 the
    // target cannot be written; 3 the drawing would make a file past the size limit; 4 no drawing
    // geometry is loaded (nothing open, or only a stored preview). Nothing is left at the path
    // unless the result is 0; saving over the open file is safe, as the file is read whole on
    // open and replaced through a temporary file.
    virtual void PrepareSave();
    virtual int Save(const char* path, int kind, int version, int reserved);

    // The layers as the layer manager edits them: by table index, colour as an ACI index.
    struct LayerState
    {
        std::string name;
        bool on = true;
        bool frozen = false;
        short color = 7;
    };
    std::vector<LayerState> GetLayers() const;
    // Applies the states by index (a list of another length is refused: false); the next render
    // shows them.
    bool SetLayers(const std::vector<LayerState>& layers);

    // The total editing time of the open drawing (0 hours 0 minutes when none is open or known).
    RkDb::EditingTime GetTotalEditingTime() const;

    // A length in the drawing's linear units and precision ("1'-3 1/2\"" architectural).
    std::string FormatLinear(double value) const;

    // The view as it stands: zoom in/out at a pixel, window, set view, pan (pixels, y up).
    void ZoomAt(int x, int y, double factor);
    void ZoomWindow(int x1, int y1, int x2, int y2);
    void SetView(int x, int y, double factor);
    void Pan(int x1, int y1, int x2, int y2);
    // Hover highlighting: the entity under the pixel (y upwards for HighlightAt, downwards for
    // HighlightUpdate) is drawn again with a wide pen into dc; false when none is there.
    bool HighlightAt(HDC dc, int x, int yUp);
    bool HighlightUpdate(HDC dc, int x, int yDown);
    bool HasHighlight() const { return m_highlight >= 0; }
    // Renders the current view into the device context at the output size (no background fill);
    // abortFlag (may be null) is polled with the channel's abort callback. False when abandoned.
    bool Render(HDC dc, const std::atomic<bool>* abortFlag);
    // Fits the whole drawing into width x height and renders it (thumbnails).
    bool RenderFitted(HDC dc, int width, int height, const std::atomic<bool>* abortFlag);
    const RkDb::Database* Database() const { return m_db.get(); }
    // What the last Save wrote, converted and dropped.
    const RkWrite::WriteReport& LastSaveReport() const { return m_lastSave; }
    bool HasPreviewOnly() const { return !m_previewBmp.empty(); }
    int OutputWidth() const { return m_view.DeviceWidth(); }
    int OutputHeight() const { return m_view.DeviceHeight(); }

private:
    short Load(const std::string& bytes);
    orvo::dwg::DwgReadResult LoadDwg(const std::string& bytes, RkDb::Database& db) const;
    void ResetView();
    void FitLayout(double factor);
    bool SavedViewShowsTheDrawing() const;
    void FitLayout(double factor, const RkDraw::RenderOptions& options,
                   RkDraw::DrawingRenderer::Reach reach = RkDraw::DrawingRenderer::Reach::Everything);
    RkDraw::RenderOptions Options(const std::atomic<bool>* abortFlag) const;
    RkDraw::RenderOptions MeasuringOptions() const;
    void DrawPreviewPicture(HDC dc) const;
    // A paper layout is shown (not printed) on its sheet; the sheet is drawn first.
    bool ShowsPaper() const;
    void DrawSheet(RkDraw::DrawSink& sink) const;
    bool HasDepth() const;
    void Turn(const RkDb::Vec3& axis, double radians);

    RkIo::Channel m_channel;
    std::unique_ptr<RkDb::Database> m_db;
    // The pictures of the drawing's raster images, found and decoded as they are first drawn.
    std::unique_ptr<RkDraw::RasterCache> m_rasters;
    std::unique_ptr<RkDraw::ShapeFontSet> m_shapeFonts;   // the styles' SHX fonts that were found
    std::string m_path;
    short m_version = -1;
    std::string m_previewBmp;          // BMP file image shown for a DWG without geometry
    std::string m_previewReason;       // why only the preview is shown, as a "name=value" line
    int m_layout = 0;
    RkDraw::ViewTransform m_view;
    std::vector<RkDraw::ViewTransform> m_previousViews;
    RkIo::LayoutViews m_layoutViews;
    int m_colorMode = 0;
    int m_pointMode = -1;
    double m_pointSize = 0.0;
    CDwgExport* m_export = nullptr;
    RkWrite::WriteReport m_lastSave;
    int m_highlight = -1;       // index in the current layout's block of the hovered entity
    mutable int m_hasDepth = -1;    // CanView3D's measure: -1 not measured yet
    bool m_printing = false;
    bool m_usePlotPens = false;
    double m_lineWeightScale = 1.0;
    RkDraw::ViewTransform m_viewBeforePrint;
    mutable std::recursive_mutex m_lock;
};
