// CViewPrintView: the print command's view of the view frame: the drawing the drawing thread
// shows, the frame as owner, and the pick-window state of the frame's CDwgView. The drawing is
// handed out only while the thread is idle, so a print never renders it beside the thread.
#pragma once

#include "frames/print/CDrawingPrintView.h"

#include <functional>

class CDwgView;
class CWnd;

class CViewPrintView final : public CDrawingPrintView
{
public:
    // waitIdle: waits (bounded) until the drawing thread is idle; false when it stayed busy.
    CViewPrintView(CWnd& frame, CDwgView& view, std::function<bool()> waitIdle);

    CDrawing* GetDrawing() override;
    HWND GetOwner() override;
    RECT GetViewClientRect() override;
    RECT GetPickedRect() override;
    void SetPickedRect(const RECT& rect) override;
    bool IsWindowPicked() override;
    void SetWindowPicked(bool picked) override;
    void SetPickWindowMode(bool on) override;
    void Repaint() override;
    COLORREF GetBackground() override;

private:
    CWnd& m_frame;
    CDwgView& m_view;
    std::function<bool()> m_waitIdle;
};
