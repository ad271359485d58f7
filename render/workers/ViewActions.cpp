#include "render/workers/ViewActions.h"

#include "core/CAppOptions.h"
#include "engine/rkio/CDrawing.h"
#include "render/workers/TDwgDrawThread.h"

#include <algorithm>

namespace ViewActions {

namespace {

constexpr int kStandardViews[kStandardViewCount] = {4, 5, 2, 3, 0, 1, 6, 7, 8, 9};

bool IsDrawingReady(const TDwgDrawThread& thread)
{
    return IsDrawingType(thread) && IsIdle(thread) && thread.IsDrawingValid();
}

} // namespace

int StandardViewPoint(int index)
{
    return index >= 0 && index < kStandardViewCount ? kStandardViews[index] : -1;
}

bool IsIdle(const TDwgDrawThread& thread)
{
    return !thread.IsBusy();
}

bool IsDrawingType(const TDwgDrawThread& thread)
{
    const int type = thread.GetFileType();
    return type >= 0 && type <= 3;
}

bool IsImageLoaded(const TDwgDrawThread& thread)
{
    return thread.GetFileType() >= 4 && thread.IsRasterHeld();
}

bool CanShow3DViews(const TDwgDrawThread& thread)
{
    if (!IsDrawingReady(thread))
        return false;
    const CDrawing* drawing = thread.GetDrawing();
    return drawing && drawing->CanView3D();
}

bool SetStandardView(TDwgDrawThread& thread, int viewPoint)
{
    if (viewPoint < 0 || viewPoint >= kStandardViewCount || !CanShow3DViews(thread))
        return false;
    thread.GetDrawing()->SetViewPoint(viewPoint);
    return true;
}

bool SetColourMode(TDwgDrawThread& thread, int mode)
{
    if (mode < 0 || mode >= kColourModeCount || !IsDrawingReady(thread) || !thread.GetDrawing())
        return false;
    thread.GetDrawing()->SetColorMode(mode);
    return true;
}

int GetColourMode(const TDwgDrawThread& thread)
{
    const CDrawing* drawing = IsDrawingReady(thread) ? thread.GetDrawing() : nullptr;
    return drawing ? drawing->GetColorMode() : -1;
}

bool GetHighlightMode()
{
    return g_options.HighLight;
}

void TogglePreviewHighlight()
{
    g_options.HighLight = !g_options.HighLight;
}

bool CanToggleHighlight(const TDwgDrawThread& thread)
{
    return IsDrawingType(thread) && IsIdle(thread) && thread.QueryViewState() && thread.CanHighlight();
}

bool CanHoverHighlight(const TDwgDrawThread& thread)
{
    return GetHighlightMode() && CanToggleHighlight(thread);
}

void ToggleQuickMode(TDwgDrawThread& thread)
{
    thread.SetQuickMode(!thread.QueryViewState());
}

void RememberView(TDwgDrawThread& thread)
{
    if (!IsDrawingType(thread) || !IsIdle(thread) || !thread.IsDrawingValid())
        return;
    if (CDrawing* drawing = thread.GetDrawing())
        drawing->PushView();
}

bool TransformImage(TDwgDrawThread& thread, int operation)
{
    if (!IsImageLoaded(thread) || !IsIdle(thread))
        return false;
    JGraphics& scene = thread.GetRasterScene();
    scene.ClearViewHistory();
    if (!scene.GetImage().Transform(operation))
        return false;
    scene.ComputeExtents(true);
    scene.ZoomExtents();
    return true;
}

bool RedrawInNewQuality(JGraphics& scene)
{
    if (!(scene.GetZoomScale() < 1.0f))
        return false;
    scene.SetImageFlag(!g_options.PreviewHalfTone);
    scene.Redraw(false);
    scene.SetImageFlag(true);
    return true;
}

Target ZoomWindow(TDwgDrawThread& thread, POINT from, POINT to)
{
    if (from.x == to.x || from.y == to.y || !IsIdle(thread))
        return Target::kNothing;
    if (IsDrawingType(thread)) {
        thread.ViewRequest(TDwgDrawThread::kRequestZoomWindow, &from, &to, true);
        return Target::kDrawing;
    }
    if (!IsImageLoaded(thread))
        return Target::kNothing;
    const RECT rect = {std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x),
                       std::max(from.y, to.y)};
    thread.GetRasterScene().ZoomWindow(rect);
    return Target::kImage;
}

namespace {

// A step of the mouse: a valid drawing takes the thread's request (after a refresh when asked), an
// image the change of its scene; anything else, or a busy thread, nothing.
template <typename OnDrawing, typename OnImage>
Target MouseStep(TDwgDrawThread& thread, bool refresh, OnDrawing onDrawing, OnImage onImage)
{
    if (!IsIdle(thread))
        return Target::kNothing;
    if (IsDrawingType(thread)) {
        if (!thread.IsDrawingValid())
            return Target::kNothing;
        if (refresh)
            thread.RefreshView();
        onDrawing();
        return Target::kDrawing;
    }
    if (!IsImageLoaded(thread) || !onImage(thread.GetRasterScene()))
        return Target::kNothing;
    return Target::kImage;
}

} // namespace

Target ZoomStep(TDwgDrawThread& thread, bool in)
{
    return MouseStep(
        thread, false,
        [&] {
            RememberView(thread);
            thread.ViewRequest(in ? TDwgDrawThread::kRequestZoomIn : TDwgDrawThread::kRequestZoomOut, nullptr,
                               nullptr, true);
        },
        [&](JGraphics& scene) {
            in ? scene.ZoomIn() : scene.ZoomOut();
            return true;
        });
}

Target ZoomAt(TDwgDrawThread& thread, POINT point, bool in, bool refresh)
{
    return MouseStep(
        thread, refresh,
        [&] {
            RememberView(thread);
            thread.ViewRequest(in ? TDwgDrawThread::kRequestZoomInAt : TDwgDrawThread::kRequestZoomOutAt, &point,
                               nullptr, true);
        },
        [&](JGraphics& scene) {
            in ? scene.ZoomInAt(point) : scene.ZoomOutAt(point);
            return true;
        });
}

Target PanDrag(TDwgDrawThread& thread, POINT from, POINT to, bool refresh, bool newStep)
{
    return MouseStep(
        thread, refresh, [&] { thread.ViewRequest(TDwgDrawThread::kRequestPanDrag, &from, &to, true); },
        [&](JGraphics& scene) {
            if (from.x == to.x && from.y == to.y)
                return false;
            // Scene units count y upwards.
            scene.PanByPixels(from.x - to.x, to.y - from.y, newStep);
            return true;
        });
}

} // namespace ViewActions
