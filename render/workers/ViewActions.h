// ViewActions: what the preview pane and the drawing view both do to the file the drawing thread
// shows. A drawing's mouse operations are requests performed at once under the thread's view
// lock; an image's are calls on the thread's image scene, after which the caller repaints. Each
// returns what it worked on, so that the window knows whether it has an image to repaint.
#pragma once

#include <windows.h>

class TDwgDrawThread;
class JGraphics;

namespace ViewActions {

enum class Target { kNothing, kDrawing, kImage };

constexpr int kStandardViewCount = 10;
// The engine's view point of the standard view commands in their menu order from "Top" on:
// Top, Bottom, Left, Right, Front, Back, SW, SE, NE and NW isometric.
int StandardViewPoint(int index);

bool IsIdle(const TDwgDrawThread& thread);
// File type 0..3 (whether or not it opened).
bool IsDrawingType(const TDwgDrawThread& thread);
// File type 4 and up with a picture held.
bool IsImageLoaded(const TDwgDrawThread& thread);

// The thread's queries wait for its view lock: they are asked only while it is idle.
bool CanShow3DViews(const TDwgDrawThread& thread);
// Turns the shown drawing to a standard view point (the caller redraws); false when it cannot.
bool SetStandardView(TDwgDrawThread& thread, int viewPoint);

// The engine's colour modes: 0 the drawing's colours, 1 grey, 2 black and white.
constexpr int kColourModeCount = 3;
// Sets the colour mode of a valid drawing shown by an idle thread (the caller redraws); false when
// it cannot (an image, nothing shown, a busy thread, a mode out of range).
bool SetColourMode(TDwgDrawThread& thread, int mode);
// The shown drawing's colour mode; -1 when no valid drawing is shown or the thread is busy.
int GetColourMode(const TDwgDrawThread& thread);

// The hover highlight switch (the settings' HighLight), shared by both windows.
bool GetHighlightMode();
void TogglePreviewHighlight();
// The switch can be used: a drawing shown, the thread idle, quick mode on and a view that can
// highlight.
bool CanToggleHighlight(const TDwgDrawThread& thread);
// Hover requests go out only with the switch on too.
bool CanHoverHighlight(const TDwgDrawThread& thread);
void ToggleQuickMode(TDwgDrawThread& thread);

// Zoom Previous steps back over every change of the view the user makes: each one first keeps the
// shown drawing's view (nothing for an image, whose scene keeps its own history, or a busy thread).
void RememberView(TDwgDrawThread& thread);

// Turns or mirrors the shown picture (0 left, 1 right, 2 mirror, 3 flip) and fits it again. Only
// the picture on screen turns: the user's file is never written by showing it.
bool TransformImage(TDwgDrawThread& thread, int operation);
// After the smooth display switch (PreviewHalfTone) changed: a reduced image is drawn once more in
// the new quality. False when nothing needed drawing.
bool RedrawInNewQuality(JGraphics& scene);

// Zoom window from one client point to another (a band without width or height does nothing).
Target ZoomWindow(TDwgDrawThread& thread, POINT from, POINT to);
// One zoom step in or out about the middle of the view (a drawing by the thread's request, done at
// once; an image by its scene).
Target ZoomStep(TDwgDrawThread& thread, bool in);
// One zoom step in or out about a client point (mouse clicks and the wheel); refresh first asks
// the engine to drop what a quick draw left out.
Target ZoomAt(TDwgDrawThread& thread, POINT point, bool in, bool refresh);
// A pan by the mouse from one client point to the next: the picture follows the hand (refresh as
// for ZoomAt). The drag's start keeps the view (RememberView), not each of its steps.
Target PanDrag(TDwgDrawThread& thread, POINT from, POINT to, bool refresh, bool newStep = true);

} // namespace ViewActions
