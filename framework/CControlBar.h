// CControlBar: the base of the simple bars (tool bar, status bar). A bar answers
// WM_SIZEPARENT by taking its strip of the frame (RepositionBars) and WM_IDLEUPDATECMDUI by
// updating its items from the frame's update handlers.
#pragma once

#include "framework/AfxRes.h"
#include "framework/CWnd.h"

#include <memory>

class CFrameWnd;

// Bar styles (kept in m_dwStyle, not in the window style).
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ALL 0x0040FFFFL
#define CBRS_NOALIGN 0x00000000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)

// Layout modes of CalcDynamicLayout.
#define LM_STRETCH 0x01  // same meaning as bStretch
#define LM_HORZ 0x02     // same as bHorz
#define LM_MRUWIDTH 0x04 // the most recently used dynamic width
#define LM_HORZDOCK 0x08 // horizontally docked
#define LM_VERTDOCK 0x10 // vertically docked
#define LM_LENGTHY 0x20  // nLength is a height, not a width
#define LM_COMMIT 0x40   // remember the width as the MRU width

// The dock bar of floating frames.
#define AFX_IDW_DOCKBAR_FLOAT 0xE81F

class CDockBar;
class CDockContext;
struct CControlBarInfo;

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)

public:
    CControlBar();
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle);
    void SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom);
    CRect GetBorders() const { return CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder); }
    CFrameWnd* GetDockingFrame() const;
    // Shown, or about to be shown by a delayed show (the window style, not the parents).
    BOOL IsVisible() const;
    BOOL IsFloating() const;
    virtual BOOL IsDockBar() const { return FALSE; }
    // Sides the bar may dock on (CBRS_ALIGN_...); the frame must allow them too.
    void EnableDocking(DWORD dwDockStyle);
    // Shows or hides the bar at the next layout of its frame.
    virtual void DelayShow(BOOL bShow);

    // The bar's size: along the frame's side when bStretch, else just what it holds.
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // The size for a layout mode (LM_...); nLength is the width or height asked for, -1 for
    // the frame's own layout.
    virtual CSize CalcDynamicLayout(int nLength, DWORD dwMode);
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    // The client rectangle less the bar's borders and gripper.
    virtual void CalcInsideRect(CRect& rect, BOOL bHorz) const;

    // Bar state of the layout save and load.
    virtual void GetBarInfo(CControlBarInfo* pInfo);
    virtual void SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd);

    // Carries out a delayed show or hide inside a deferred positioning.
    void RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout);

    CFrameWnd* m_pDockSite = nullptr;  // the frame the bar docks in
    CDockBar* m_pDockBar = nullptr;    // the dock bar holding it, null when not docked
    std::unique_ptr<CDockContext> m_pDockContext; // made by EnableDocking
    DWORD m_dwDockStyle = 0;
    int m_nMRUWidth = 32767;
    BOOL m_bAutoDelete = FALSE;

    enum StateFlags
    {
        delayHide = 1,
        delayShow = 2,
    };
    UINT m_nStateFlags = 0;

protected:
    // Splits the bar's own styles from the window style given to Create.
    static DWORD SplitBarStyle(DWORD dwStyle, DWORD& dwBarStyle);
    // The gripper and the borders of a docked bar in its window DC.
    void DrawBorders(CDC* pDC, CRect& rect);
    void DrawGripper(CDC* pDC, const CRect& rect);
    // Notifications and commands of the bar's child windows (WM_COMMAND, WM_NOTIFY, owner
    // drawing) that the bar's own map leaves alone go to its owner; FALSE for other messages.
    // A tool-tip text request the owner leaves empty gets the bar's default handling.
    BOOL ForwardToOwner(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    // Whether a press at a client point may drag the bar (not on one of its items).
    virtual BOOL IsDragSpot(CPoint) const { return TRUE; }
    // Whether the bar draws its own frame (borders and gripper) in the non-client area.
    virtual BOOL HasNonClientFrame() const { return m_pDockBar != nullptr; }

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void PostNcDestroy() override;
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    void OnNcPaint();
    LRESULT OnNcHitTest(CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

    DWORD m_dwStyle = 0;
    int m_cxLeftBorder = 0;
    int m_cyTopBorder = 2;
    int m_cxRightBorder = 0;
    int m_cyBottomBorder = 2;

    DECLARE_MESSAGE_MAP()
};
