// CControlBar: the base of the simple bars (tool bar, status bar). A bar answers
// WM_SIZEPARENT by taking its strip of the frame (RepositionBars) and WM_IDLEUPDATECMDUI by
// updating its items from the frame's update handlers.
#pragma once

#include "framework/AfxRes.h"
#include "framework/CWnd.h"

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

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)

public:
    CControlBar() = default;

    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
    void SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom);
    CFrameWnd* GetDockingFrame() const;
    BOOL IsVisible() const { return IsWindowVisible(); }

    // The bar's size: along the frame's side when bStretch, else just what it holds.
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) = 0;
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;

protected:
    // Splits the bar's own styles from the window style given to Create.
    static DWORD SplitBarStyle(DWORD dwStyle, DWORD& dwBarStyle);

    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

    DWORD m_dwStyle = 0;
    int m_cxLeftBorder = 0;
    int m_cyTopBorder = 2;
    int m_cxRightBorder = 0;
    int m_cyBottomBorder = 2;

    DECLARE_MESSAGE_MAP()
};
