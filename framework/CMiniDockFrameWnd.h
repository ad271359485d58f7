// CMiniDockFrameWnd: the small tool window that holds floating control bars in its own dock
// bar. It fits itself around the bars, hides when none of them is shown and ends when the
// last one leaves. Its caption drags the bar, a double-click docks it again, and its close box
// hides the bars.
#pragma once

#include "framework/CDockBar.h"
#include "framework/CFrameWnd.h"

// Mini-frame styles (class-specific window style bits).
#define MFS_SYNCACTIVE 0x00000100L
#define MFS_4THICKFRAME 0x00000200L
#define MFS_THICKFRAME 0x00000400L
#define MFS_MOVEFRAME 0x00000800L

class CMiniDockFrameWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMiniDockFrameWnd)

public:
    CMiniDockFrameWnd();

    virtual BOOL Create(CWnd* pParent, DWORD dwBarStyle);
    void RecalcLayout(BOOL bNotify = TRUE) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    // The frame rectangle around a client rectangle of a floating frame.
    static void CalcFrameRect(CRect& rect);

    CDockBar m_wndDockBar;

protected:
    // The one bar it holds when it holds exactly one, else null.
    CControlBar* GetSingleBar() const;

    void OnClose();
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    void OnSizing(UINT nSide, LPRECT lpRect);
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);

    BOOL m_bInRecalcLayout = FALSE;

    DECLARE_MESSAGE_MAP()
};
