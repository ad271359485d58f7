// CDrawingPrintView: what the print command needs of the view frame and its drawing view: the
// open drawing, the owner window, the view's client rectangle and picked window, pick-window
// mode and a repaint. The view frame implements it over its CDwgView.
#pragma once

#include <windows.h>

class CDrawing;

class CDrawingPrintView
{
public:
    virtual ~CDrawingPrintView() = default;

    // The shown drawing; null when none is shown.
    virtual CDrawing* GetDrawing() = 0;
    virtual HWND GetOwner() = 0;
    // The drawing view's client rectangle (view pixels, y downwards).
    virtual RECT GetViewClientRect() = 0;
    virtual RECT GetPickedRect() = 0;
    virtual void SetPickedRect(const RECT& rect) = 0;
    virtual bool IsWindowPicked() = 0;
    virtual void SetWindowPicked(bool picked) = 0;
    // In pick-window mode the user drags a window; the view then posts 0x8082 to the frame.
    virtual void SetPickWindowMode(bool on) = 0;
    virtual void Repaint() = 0;
    // The view's background colour (given back to the engine after a print to file).
    virtual COLORREF GetBackground() = 0;
};
