#include "ui/CBarDockBar.h"

#include "ui/CBarToolBarBase.h"

IMPLEMENT_DYNAMIC(CBarDockBar, CDockBar)

BEGIN_MESSAGE_MAP(CBarDockBar, CDockBar)
    ON_WM_RBUTTONUP()
END_MESSAGE_MAP()

CSize CBarDockBar::GetBarOverlap(CControlBar* pBar) const
{
    if (pBar->IsKindOf(RUNTIME_CLASS(CBarToolBarBase)))
        return CSize(0, 0);
    return CSize(2 * ::GetSystemMetrics(SM_CXBORDER), 2);
}

CSize CBarDockBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    return LayoutRows(bStretch, bHorz);
}

void CBarDockBar::OnRButtonUp(UINT, CPoint point)
{
    ClientToScreen(&point);
    CBarToolBarBase::ShowBarListPopup(point);
}
