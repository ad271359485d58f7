// CDwgView: the child window that fills the view frame between its tool bar and status bar. It
// paints the frame's copy of the drawing thread's picture (never rendering itself), draws a
// raster image from the thread's image canvas, shows the orbit guide in 3D dynamic view, the
// mode's cursor and the context menus. Its own commands (zoom modes, fit, previous view, the image
// commands) are in CDwgViewCommands.cpp and its mouse and wheel in CDwgViewMouse.cpp: the frame
// offers every command to the view first.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CMenu.h"
#include "imaging/CGDIDevice.h"

class TDwgDrawThread;

class CDwgView : public CWnd
{
    DECLARE_DYNCREATE(CDwgView)

public:
    // Interaction modes.
    enum Mode { kModeNone = 0, kModeZoomWindow = 1, kModePan = 2, kModeZoomOut = 4, kModeZoomIn = 5 };
    static constexpr DWORD kStyle = 0x50800000; // child, visible, thin border
    // The hover highlight's timers: the cursor came to rest, and the follow-up after it.
    static constexpr UINT_PTR kHoverStartTimer = 262;
    static constexpr UINT_PTR kHoverFollowUpTimer = 264;

    CDwgView() = default;
    ~CDwgView() override = default;

    BOOL Create(CWnd* parent, UINT id);
    // The frame's picture that the view paints (owned by the frame, read on this thread only).
    void SetPicture(const CGDIDevice* picture) { m_pPicture = picture; }

    // The size every render of this view is asked for: the client size, clamped as the drawing
    // thread clamps it. Opens, resizes, shows and the picture check all use it.
    CSize GetPictureSize() const;
    static CSize ClampPictureSize(int width, int height);

    // The drawing background of the settings (the engine's colour of its index).
    static COLORREF BackgroundColour();
    bool IsDrawingShown() const;
    bool IsImageShown() const;
    void SetPickWindowMode(bool on);
    void SetDynamicViewMode(bool on);
    void RepaintNow();
    void KillRedrawTimers();
    // The picked rectangle with left <= right and top <= bottom, whichever way it was dragged.
    static RECT NormalisedRect(const RECT& rect);
    HCURSOR ModeCursor() const;
    void SetMode(int mode);

    // Commands (CDwgViewCommands.cpp), public for the frame's keys.
    void OnZoomStep(UINT id);
    void OnZoomWindow();
    void OnPan();
    void OnZoomExtents();
    void OnZoomPrevious();
    void OnActualSize();
    void OnAutoFit();
    void OnImageTransform(UINT id);
    void OnExifInformation();
    // Ok and Cancel of the pick-window popup (a double click inside the window is Ok too).
    void OnPickOk();
    void OnPickCancel();
    void OnDynamicExit();
    // The wheel's step about a point in this window's own client coordinates.
    void WheelZoomAt(POINT client, bool in);
    void OnHighlight();
    void OnQuickMode();
    void OnNextFile();
    void OnPreviousFile();
    // A later (step 1) or earlier (-1) file of a known type in the browser's list can be opened.
    bool CanWalkFiles(int step) const;

    // The orbit guide of a client area: the ball's centre and radius (0.4 of the shorter side) and
    // the four handles on it, top, bottom, left and right.
    void ComputeOrbitGuide(const CRect& client);
    // The orbit drag kind at a client point (8 top or bottom handle, 16 left or right handle, 6
    // inside the ball, 1 outside: a roll).
    int OrbitKindAt(POINT point) const;

    bool m_bSizing = false;
    bool m_bPickWindow = false;
    bool m_bDynamicView = false;
    int m_nMode = kModeZoomWindow;
    RECT m_rcPick = {0, 0, 0, 0};
    bool m_bPickDone = false;
    bool m_bEraseOnce = true;
    bool m_bFolderWalk = true;
    // Orbit guide, computed at every paint.
    int m_nBallRadius = 0;
    int m_nHandleRadius = 10;
    POINT m_ptBallCenter = {0, 0};
    POINT m_ptHandles[4] = {};

protected:
    int OnCreate(LPCREATESTRUCTA create);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnUpdateZoomMode(CCmdUI* pCmdUI);
    void OnUpdateZoomExtents(CCmdUI* pCmdUI);
    void OnUpdateZoomPrevious(CCmdUI* pCmdUI);
    void OnUpdateImageCommand(CCmdUI* pCmdUI);
    void OnUpdateHighlight(CCmdUI* pCmdUI);
    void OnUpdateQuickMode(CCmdUI* pCmdUI);
    void OnUpdateFileWalk(CCmdUI* pCmdUI);
    void OnUpdateExifInformation(CCmdUI* pCmdUI);
    // Their popups show only while picking and in the orbit: elsewhere they have nothing to end.
    void OnUpdatePickCommand(CCmdUI* pCmdUI);
    void OnUpdateDynamicExit(CCmdUI* pCmdUI);
    void OnTimer(UINT_PTR id);

    // Mouse (CDwgViewMouse.cpp).
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnMButtonDown(UINT flags, CPoint point);
    void OnMButtonUp(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    static TDwgDrawThread* Thread();
    void PaintTo(HDC dc);
    void PaintDrawing(HDC dc, const CRect& client);
    void PaintPickedWindow(HDC dc, const CRect& client) const;
    void PaintImage(HDC dc, const CRect& client);
    void PaintOrbitGuide(HDC dc, const CRect& client);
    void FillBackground(HDC dc, const CRect& client) const;
    bool CanUseZoomModes() const;
    bool CanZoomPrevious() const;
    bool IsJpegShown() const;
    // Repaints the image at once and lets the frame draw it smooth once the view is still.
    void RedrawImage();
    void AfterAction(int target);
    void ShowCoordinates(POINT point);
    void ArmHover(POINT point);
    void StartOrbitDrag(POINT point);
    void OrbitDrag(POINT point);
    void SetOrbitCursor(int kind);
    void RequestFrameRedraw();
    // Picking the print window (CDwgViewMouse.cpp).
    void PickPress(POINT point);
    void PickMove(UINT flags, POINT point);
    void PickRelease(POINT point);
    // Leaves pick-window mode and tells the frame: 1 a window was picked, 0 cancelled; with
    // postEmpty false an empty window posts nothing.
    void EndPick(bool ok, bool postEmpty);
    void PanStep(POINT point);
    void PostToFrame(UINT message, WPARAM wParam);
    // An image's scene is fitted to the view and drawn again.
    void FitImage();
    void WalkFiles(int step);

    bool m_bDragging = false;
    bool m_bMiddlePan = false;
    // A move of the pan drag under way was made: the next ones continue its one step back.
    bool m_bPanMoved = false;
    int m_nPickHit = 0;
    POINT m_ptAnchor = {0, 0};
    POINT m_ptLast = {0, 0};
    POINT m_ptHover = {0, 0};
    bool m_bDynDrag = false;
    int m_nDynKind = 0;
    POINT m_ptDynStart = {0, 0};

    const CGDIDevice* m_pPicture = nullptr;
    HCURSOR m_hCursor = nullptr;
    CMenu m_menuMain;
    CMenu m_menu3DView;
    CMenu m_menuPickWindow;
};
