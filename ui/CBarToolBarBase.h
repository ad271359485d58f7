// CBarToolBarBase: the base of the library's bars. Messages from the bar's child controls
// that the bar leaves alone go on to its owner; its right and bottom borders are repainted
// when it changes size; a right click shows the bar-list popup, which lists the main window's
// sizing bars and its status bar so that the user can show or hide them.
#pragma once

#include "framework/AfxWin.h"

class CBarToolBarBase : public CControlBar
{
    DECLARE_DYNAMIC(CBarToolBarBase)

public:
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // The bar-list entries of the main window into an empty popup; FALSE when it got none.
    static BOOL BuildBarListMenu(CMenu& menu);
    // Shows the bar-list popup at a screen point, owned by the main window.
    static void ShowBarListPopup(CPoint point);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnNcRButtonUp(UINT nHitTest, CPoint point);

    DECLARE_MESSAGE_MAP()
};
