// JGraphics: the raster scene: one image (KImage) placed in world units, drawn through a canvas
// under a view port with a bounded zoom and pan history.
#pragma once

#include "imaging/KImage.h"
#include "kit/JObject.h"
#include "kit/KViewPort.h"
#include "kit/OViewHistory.h"

#include <windows.h>

#include <cstdint>

class KCanvas;

class JGraphics : public JObject
{
public:
    JGraphics() = default;
    ~JGraphics() override = default;

    void SetHistory(OViewHistory<KViewPort>* history) { m_history = history; }
    void SetCanvas(KCanvas* canvas) { m_canvas = canvas; }
    KCanvas* GetCanvas() const { return m_canvas; }
    KImage& GetImage() { return m_image; }
    const KImage& GetImage() const { return m_image; }

    void Clear();
    // Forgets every remembered view; the next zoom starts a new history.
    void ClearViewHistory();
    void ComputeExtents(bool force);
    // {min x, max y, max x, min y}.
    const float* GetExtents() const { return m_extents; }
    KViewPort* PushView();
    // Views in the history: Zoom Previous can step back while there is more than one.
    int32_t GetViewCount() const { return m_history ? m_history->GetCount() : 0; }
    void ZoomFit();
    void ZoomExtents();
    void ZoomActualSize();
    void ZoomStepAt(const POINT& p, float step);
    void ZoomInAt(const POINT& p) { ZoomStepAt(p, 0.1f); }
    void ZoomOutAt(const POINT& p) { ZoomStepAt(p, -0.1f); }
    void ZoomIn() { ZoomStepAt(CanvasCentre(), 0.1f); }
    void ZoomOut() { ZoomStepAt(CanvasCentre(), -0.1f); }
    // A pan that is not a new step moves the view of the step before (the moves of one drag are
    // one step back for Zoom Previous).
    void PanByPixels(int32_t dx, int32_t dy, bool newStep = true);
    void ZoomWindow(const RECT& rect);
    void ResizeCanvas(int32_t width, int32_t height);
    void ResizeCanvasKeepZoom(int32_t width, int32_t height, bool keepScale, bool redraw);
    // Steps back to the previous view of the history.
    void ApplyCurrentView();
    float GetZoomScale() const;
    // Draws into another canvas (printing), fitted, and puts everything back.
    void DrawToCanvas(KCanvas* canvas, int32_t width, int32_t height);
    bool Redraw(bool keepBackground);

    // Display colour mode (0 colour, 1 grey, 2 black and white) and background: the view sets the
    // wanted ones, Redraw applies them.
    void SetWantedColorMode(int32_t mode) { m_colorModeWanted = mode; }
    void SetWantedBackground(COLORREF color) { m_backgroundWanted = color; }
    void SetBackground(COLORREF color) { m_backgroundApplied = m_backgroundWanted = color; }
    COLORREF GetBackground() const { return m_backgroundApplied; }
    int32_t GetColorMode() const { return m_colorModeApplied; }
    void SetVisible(bool visible) { m_visible = visible; }
    void SetImageFlag(bool on) { m_imageFlag = on; }
    bool GetImageFlag() const { return m_imageFlag; }
    uint32_t GetLastDrawTime() const { return m_lastDrawTime; }

private:
    POINT CanvasCentre() const;
    KViewPort* TopView() const { return m_history ? m_history->CurrentView() : nullptr; }
    void ApplyColors();

    OViewHistory<KViewPort>* m_history = nullptr; // not owned
    KCanvas* m_canvas = nullptr;                   // not owned
    float m_extents[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    bool m_extentsValid = false;
    int32_t m_colorModeApplied = 0;
    int32_t m_colorModeWanted = 0;
    COLORREF m_backgroundApplied = 0;
    COLORREF m_backgroundWanted = 0;
    bool m_visible = true;
    bool m_imageFlag = false;
    KImage m_image;
    uint32_t m_lastDrawTime = 0;
};
