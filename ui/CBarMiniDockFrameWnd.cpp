#include "ui/CBarMiniDockFrameWnd.h"

#include "ui/CBarToolBarBase.h"

IMPLEMENT_DYNCREATE(CBarMiniDockFrameWnd, CMiniDockFrameWnd)

BEGIN_MESSAGE_MAP(CBarMiniDockFrameWnd, CMiniDockFrameWnd)
    ON_WM_NCRBUTTONUP()
END_MESSAGE_MAP()

BOOL CBarMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    if (!CMiniDockFrameWnd::Create(pParent, dwBarStyle))
        return FALSE;
    ModifyStyle(MFS_4THICKFRAME, 0);
    return TRUE;
}

void CBarMiniDockFrameWnd::OnNcRButtonUp(UINT, CPoint point)
{
    CBarToolBarBase::ShowBarListPopup(point);
}
