// CDockContext: moves a control bar with the mouse. A drag shows the rectangle the bar would
// take; released over a dock bar that takes it the bar docks there, elsewhere (or with Ctrl
// held) it floats. A double-click toggles between docked and floating. The context also keeps
// where the bar was docked and floated last.
#pragma once

#include "framework/CRect.h"

#include <windows.h>

class CControlBar;
class CDockBar;
class CFrameWnd;

class CDockContext
{
public:
    explicit CDockContext(CControlBar* pBar);
    CDockContext(const CDockContext&) = delete;
    CDockContext& operator=(const CDockContext&) = delete;

    // Runs the drag from a point in screen coordinates until the button is released, Esc is
    // pressed or the capture is lost.
    void StartDrag(CPoint pt);
    void ToggleDocking();

    // The dock bar a rectangle (screen coordinates) would dock in, or null to float.
    CDockBar* DockBarAt(const CRect& rectHorz, const CRect& rectVert, BOOL& bHorz) const;

    CControlBar* m_pBar;
    CFrameWnd* m_pDockSite = nullptr;
    // Where the bar was docked last: the dock bar and the rectangle in its client area.
    UINT m_uMRUDockID = 0;
    CRect m_rectMRUDockPos;
    // How and where it floated last (x of 0x80000000: never).
    DWORD m_dwMRUFloatStyle = 0;
    CPoint m_ptMRUFloatPos;

    // The state of the drag in progress.
    CPoint m_ptLast;
    CRect m_rectDragHorz;
    CRect m_rectDragVert;
    CRect m_rectFrameDrag;
    BOOL m_bDragging = FALSE;
    BOOL m_bForceFrame = FALSE;

private:
    void InitDrag(CPoint pt);
    void Move(CPoint pt);
    void EndDrag();
    void CancelDrag();
    BOOL Track();
    // The rectangle drawn for the current state of the drag.
    CRect CurrentDragRect(CDockBar*& pDockBar, BOOL& bHorz) const;
    void DrawDragRect(const CRect& rect, BOOL bThick);

    CRect m_rectShown;
    BOOL m_bShownThick = FALSE;
};
