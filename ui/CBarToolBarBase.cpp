#include "ui/CBarToolBarBase.h"

#include "ui/CBarControlBar.h"

#include <vector>

IMPLEMENT_DYNAMIC(CBarToolBarBase, CControlBar)

BEGIN_MESSAGE_MAP(CBarToolBarBase, CControlBar)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_RBUTTONUP()
    ON_WM_NCRBUTTONUP()
END_MESSAGE_MAP()


LRESULT CBarToolBarBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (ForwardToOwner(message, wParam, lParam, lResult))
        return lResult;
    return CControlBar::WindowProc(message, wParam, lParam);
}

void CBarToolBarBase::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

void CBarToolBarBase::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    CControlBar::OnWindowPosChanging(lpwndpos);
    if ((lpwndpos->flags & SWP_NOSIZE) != 0 || m_hWnd == nullptr)
        return;
    CRect rectOld;
    GetWindowRect(&rectOld);
    // The border strips at the old and the new edge, in window coordinates.
    const int cxStrip = 2 * ::GetSystemMetrics(SM_CXBORDER);
    const int cyStrip = 2 * ::GetSystemMetrics(SM_CYBORDER);
    CRect rectClient;
    GetClientRect(&rectClient);
    if (lpwndpos->cx != rectOld.Width() && (m_dwStyle & CBRS_BORDER_RIGHT) != 0) {
        CRect strip(rectOld.Width() - cxStrip, 0, rectOld.Width(), rectOld.Height());
        InvalidateRect(&strip);
        strip.SetRect(lpwndpos->cx - cxStrip, 0, lpwndpos->cx, lpwndpos->cy);
        InvalidateRect(&strip);
    }
    if (lpwndpos->cy != rectOld.Height() && (m_dwStyle & CBRS_BORDER_BOTTOM) != 0) {
        CRect strip(0, rectOld.Height() - cyStrip, rectOld.Width(), rectOld.Height());
        InvalidateRect(&strip);
        strip.SetRect(0, lpwndpos->cy - cyStrip, lpwndpos->cx, lpwndpos->cy);
        InvalidateRect(&strip);
    }
}

void CBarToolBarBase::OnRButtonUp(UINT nFlags, CPoint point)
{
    CControlBar::OnRButtonUp(nFlags, point);
    ClientToScreen(&point);
    ShowBarListPopup(point);
}

void CBarToolBarBase::OnNcRButtonUp(UINT nHitTest, CPoint point)
{
    CControlBar::OnNcRButtonUp(nHitTest, point);
    ShowBarListPopup(point);
}

BOOL CBarToolBarBase::BuildBarListMenu(CMenu& menu)
{
    CWnd* pMain = AfxGetMainWnd();
    if (pMain == nullptr || !pMain->IsFrameWnd())
        return FALSE;
    auto* pFrame = static_cast<CFrameWnd*>(pMain);
    std::vector<CControlBar*> sizingBars;
    CControlBar* pStatusBar = nullptr;
    for (CControlBar* pBar : pFrame->m_listControlBars) {
        if (pBar->IsKindOf(RUNTIME_CLASS(CBarControlBar)))
            sizingBars.push_back(pBar);
        else if (pBar->IsKindOf(RUNTIME_CLASS(CStatusBar)))
            pStatusBar = pBar;
    }
    if (!sizingBars.empty()) {
        menu.AppendMenu(MF_SEPARATOR);
        for (CControlBar* pBar : sizingBars) {
            CString strTitle;
            pBar->GetWindowText(strTitle);
            if (strTitle.IsEmpty())
                strTitle = "Sizing Bar";
            menu.AppendMenu(MF_STRING, static_cast<UINT_PTR>(pBar->GetDlgCtrlID()), strTitle);
        }
    }
    if (pStatusBar != nullptr) {
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, static_cast<UINT_PTR>(pStatusBar->GetDlgCtrlID()), "Status Bar");
    }
    return menu.GetMenuItemCount() > 0;
}

void CBarToolBarBase::ShowBarListPopup(CPoint point)
{
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    if (BuildBarListMenu(menu))
        menu.TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, AfxGetMainWnd());
    menu.DestroyMenu();
}
