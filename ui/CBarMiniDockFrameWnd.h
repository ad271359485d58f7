// CBarMiniDockFrameWnd: the library's floating frame. It can be sized from its corners too, and
// a right click on its caption shows the bar-list popup.
#pragma once

#include "framework/AfxWin.h"

class CBarMiniDockFrameWnd : public CMiniDockFrameWnd
{
    DECLARE_DYNCREATE(CBarMiniDockFrameWnd)

public:
    BOOL Create(CWnd* pParent, DWORD dwBarStyle) override;

protected:
    void OnNcRButtonUp(UINT nHitTest, CPoint point);

    DECLARE_MESSAGE_MAP()
};
