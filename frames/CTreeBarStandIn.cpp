#include "frames/CTreeBarStandIn.h"

BEGIN_MESSAGE_MAP(CTreeBarStandIn, CBarControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

int CTreeBarStandIn::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CBarControlBar::OnCreate(lpcs) == -1)
        return -1;
    return m_child.Create("", WS_CHILD | WS_VISIBLE | SS_WHITERECT, CRect(0, 0, 0, 0), this, kChildId) ? 0 : -1;
}

void CTreeBarStandIn::OnSize(UINT nType, int cx, int cy)
{
    CBarControlBar::OnSize(nType, cx, cy);
    if (m_child.GetSafeHwnd())
        m_child.MoveWindow(0, 0, cx, cy);
}
