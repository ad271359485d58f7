#include "framework/CControlBar.h"

#include "framework/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_MESSAGE(WM_SIZEPARENT, &CControlBar::OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

DWORD CControlBar::SplitBarStyle(DWORD dwStyle, DWORD& dwBarStyle)
{
    dwBarStyle = dwStyle & CBRS_ALL;
    return dwStyle & ~static_cast<DWORD>(CBRS_ALL);
}

void CControlBar::SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom)
{
    m_cxLeftBorder = cxLeft;
    m_cyTopBorder = cyTop;
    m_cxRightBorder = cxRight;
    m_cyBottomBorder = cyBottom;
}

CFrameWnd* CControlBar::GetDockingFrame() const
{
    return GetParentFrame();
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    AFX_SIZEPARENTPARAMS* pLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    if ((GetStyle() & WS_VISIBLE) == 0 || (m_dwStyle & CBRS_ALIGN_ANY) == 0)
        return 0;
    const BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    const CSize size = CalcFixedLayout(pLayout->bStretch, bHorz);
    CRect rect = pLayout->rect;
    RECT& rest = pLayout->rect;
    if ((m_dwStyle & CBRS_ALIGN_TOP) != 0) {
        rect.bottom = rect.top + size.cy;
        rest.top += size.cy;
    } else if ((m_dwStyle & CBRS_ALIGN_BOTTOM) != 0) {
        rect.top = rect.bottom - size.cy;
        rest.bottom -= size.cy;
    } else if ((m_dwStyle & CBRS_ALIGN_LEFT) != 0) {
        rect.right = rect.left + size.cx;
        rest.left += size.cx;
    } else {
        rect.left = rect.right - size.cx;
        rest.right -= size.cx;
    }
    if (bHorz)
        pLayout->sizeTotal.cy += size.cy;
    else
        pLayout->sizeTotal.cx += size.cx;
    if (pLayout->hDWP != nullptr)
        pLayout->hDWP = ::DeferWindowPos(pLayout->hDWP, m_hWnd, nullptr, rect.left, rect.top, rect.Width(),
                                         rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if ((GetStyle() & WS_VISIBLE) == 0)
        return 0;
    CWnd* pOwner = GetOwner();
    CFrameWnd* pTarget = pOwner != nullptr && pOwner->IsFrameWnd() ? static_cast<CFrameWnd*>(pOwner)
                                                                  : GetParentFrame();
    if (pTarget != nullptr)
        OnUpdateCmdUI(pTarget, static_cast<BOOL>(wParam));
    return 0;
}
