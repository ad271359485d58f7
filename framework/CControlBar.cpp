#include "framework/CControlBar.h"

#include "framework/CDockBar.h"
#include "framework/CDockContext.h"
#include "framework/CDockState.h"
#include "framework/CFrameWnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_NCCALCSIZE()
    ON_WM_NCPAINT()
    ON_WM_NCHITTEST()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_SIZEPARENT, &CControlBar::OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

namespace {

// The gripper: a raised line 3 pixels wide with 2 pixels of space on either side.
constexpr int kGripperSpace = 2;
constexpr int kGripperWidth = 3;
constexpr int kGripperTotal = kGripperSpace + kGripperWidth + kGripperSpace;

bool IsForwardedToOwner(UINT message)
{
    switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_NOTIFY:
    case WM_COMMAND:
        return true;
    default:
        return false;
    }
}

bool IsEmptyTipRequest(UINT message, LPARAM lParam)
{
    if (message != WM_NOTIFY)
        return false;
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader->code == TTN_NEEDTEXTA) {
        const auto* pInfo = reinterpret_cast<const NMTTDISPINFOA*>(lParam);
        return (pInfo->lpszText == nullptr || *pInfo->lpszText == '\0') && pInfo->szText[0] == '\0';
    }
    if (pHeader->code == TTN_NEEDTEXTW) {
        const auto* pInfo = reinterpret_cast<const NMTTDISPINFOW*>(lParam);
        return (pInfo->lpszText == nullptr || *pInfo->lpszText == L'\0') && pInfo->szText[0] == L'\0';
    }
    return false;
}

int Border2X()
{
    return 2 * ::GetSystemMetrics(SM_CXBORDER);
}

int Border2Y()
{
    return 2 * ::GetSystemMetrics(SM_CYBORDER);
}

} // namespace

CControlBar::CControlBar() = default;

CControlBar::~CControlBar()
{
    // Destroyed here, while the object still is a control bar, so it leaves its frame's list.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
}

DWORD CControlBar::SplitBarStyle(DWORD dwStyle, DWORD& dwBarStyle)
{
    dwBarStyle = dwStyle & CBRS_ALL;
    return dwStyle & ~static_cast<DWORD>(CBRS_ALL);
}

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    if (m_dwStyle == dwStyle)
        return;
    m_dwStyle = dwStyle;
    // Borders and gripper live in the non-client area.
    if (m_hWnd != nullptr && HasNonClientFrame())
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
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

BOOL CControlBar::IsVisible() const
{
    if ((m_nStateFlags & delayHide) != 0)
        return FALSE;
    return (m_nStateFlags & delayShow) != 0 || (GetStyle() & WS_VISIBLE) != 0;
}

BOOL CControlBar::IsFloating() const
{
    return m_pDockBar != nullptr && m_pDockBar->m_bFloating;
}

void CControlBar::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle;
    if (m_pDockContext == nullptr && (dwDockStyle & (CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI)) != 0)
        m_pDockContext = std::make_unique<CDockContext>(this);
    if (m_hWndOwner == nullptr && m_pDockSite != nullptr)
        m_hWndOwner = m_pDockSite->m_hWnd;
}

void CControlBar::DelayShow(BOOL bShow)
{
    m_nStateFlags &= ~static_cast<UINT>(delayHide | delayShow);
    const BOOL bShown = (GetStyle() & WS_VISIBLE) != 0;
    if (bShow && !bShown)
        m_nStateFlags |= delayShow;
    else if (!bShow && bShown)
        m_nStateFlags |= delayHide;
}

void CControlBar::RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout)
{
    UINT nFlags = 0;
    if ((m_nStateFlags & delayShow) != 0)
        nFlags = SWP_SHOWWINDOW;
    else if ((m_nStateFlags & delayHide) != 0)
        nFlags = SWP_HIDEWINDOW;
    m_nStateFlags &= ~static_cast<UINT>(delayHide | delayShow);
    if (nFlags == 0)
        return;
    nFlags |= SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (lpLayout != nullptr && lpLayout->hDWP != nullptr)
        lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, m_hWnd, nullptr, 0, 0, 0, 0, nFlags);
    else
        SetWindowPos(nullptr, 0, 0, 0, 0, nFlags);
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    if ((m_dwStyle & CBRS_BORDER_LEFT) != 0)
        rect.left += Border2X();
    if ((m_dwStyle & CBRS_BORDER_TOP) != 0)
        rect.top += Border2Y();
    if ((m_dwStyle & CBRS_BORDER_RIGHT) != 0)
        rect.right -= Border2X();
    if ((m_dwStyle & CBRS_BORDER_BOTTOM) != 0)
        rect.bottom -= Border2Y();
    const bool bGripper = (m_dwStyle & (CBRS_GRIPPER | CBRS_FLOATING)) == CBRS_GRIPPER;
    if (bHorz) {
        rect.left += m_cxLeftBorder;
        rect.top += m_cyTopBorder;
        rect.right -= m_cxRightBorder;
        rect.bottom -= m_cyBottomBorder;
        if (bGripper)
            rect.left += kGripperTotal;
    } else {
        rect.left += m_cyTopBorder;
        rect.top += m_cxLeftBorder;
        rect.right -= m_cyBottomBorder;
        rect.bottom -= m_cxRightBorder;
        if (bGripper)
            rect.top += kGripperTotal;
    }
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size(bStretch && bHorz ? 32767 : 0, bStretch && !bHorz ? 32767 : 0);
    CRect rect(0, 0, 0, 0);
    CalcInsideRect(rect, bHorz);
    // The borders are added to a fixed extent; a stretched one stays at its maximum.
    if (size.cx == 0)
        size.cx = -rect.Width();
    if (size.cy == 0)
        size.cy = -rect.Height();
    return size;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD dwMode)
{
    return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZ) != 0);
}

void CControlBar::GetBarInfo(CControlBarInfo* pInfo)
{
    pInfo->m_nBarID = static_cast<UINT>(GetDlgCtrlID());
    pInfo->m_pBar = this;
    pInfo->m_bVisible = IsVisible();
    pInfo->m_bFloating = FALSE;
    pInfo->m_bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    pInfo->m_nMRUWidth = m_nMRUWidth;
    CRect rect;
    GetWindowRect(&rect);
    if (m_pDockBar != nullptr && !m_pDockBar->m_bFloating) {
        m_pDockBar->ScreenToClient(&rect);
        pInfo->m_pointPos = rect.TopLeft();
    } else {
        pInfo->m_pointPos = CPoint(-1, -1);
    }
    pInfo->m_bDocking = m_pDockContext != nullptr;
    if (m_pDockContext != nullptr) {
        pInfo->m_uMRUDockID = m_pDockContext->m_uMRUDockID;
        pInfo->m_rectMRUDockPos = m_pDockContext->m_rectMRUDockPos;
        pInfo->m_dwMRUFloatStyle = m_pDockContext->m_dwMRUFloatStyle;
        pInfo->m_ptMRUFloatPos = m_pDockContext->m_ptMRUFloatPos;
    }
}

void CControlBar::SetBarInfo(CControlBarInfo* pInfo, CFrameWnd*)
{
    m_nMRUWidth = pInfo->m_nMRUWidth;
    // A bar outside any dock bar (a status bar) keeps only its visibility.
    UINT nFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    nFlags |= pInfo->m_bVisible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    m_nStateFlags &= ~static_cast<UINT>(delayHide | delayShow);
    CPoint pt = pInfo->m_pointPos;
    if (m_pDockBar == nullptr || m_pDockBar->m_bFloating || pt.x == -1 || pt.y == -1)
        nFlags |= SWP_NOMOVE;
    SetWindowPos(nullptr, pt.x, pt.y, 0, 0, nFlags);
    if (pInfo->m_bDocking && m_pDockContext != nullptr) {
        m_pDockContext->m_uMRUDockID = pInfo->m_uMRUDockID;
        m_pDockContext->m_rectMRUDockPos = pInfo->m_rectMRUDockPos;
        m_pDockContext->m_dwMRUFloatStyle = pInfo->m_dwMRUFloatStyle;
        m_pDockContext->m_ptMRUFloatPos = pInfo->m_ptMRUFloatPos;
    }
}

int CControlBar::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CWnd* pParent = CWnd::FromHandlePermanent(lpcs->hwndParent);
    if (pParent != nullptr && pParent->IsFrameWnd()) {
        m_pDockSite = static_cast<CFrameWnd*>(pParent);
        m_pDockSite->AddControlBar(this);
        if (m_hWndOwner == nullptr)
            m_hWndOwner = pParent->m_hWnd;
    }
    return 0;
}

void CControlBar::OnDestroy()
{
    if (m_pDockSite != nullptr) {
        m_pDockSite->RemoveControlBar(this);
        m_pDockSite = nullptr;
    }
    // A bar that goes away leaves no pointer behind in its dock bar.
    if (m_pDockBar != nullptr) {
        CDockBar* pDockBar = m_pDockBar;
        m_pDockBar = nullptr;
        pDockBar->ForgetBar(this);
        // A floating frame with nothing left to show hides.
        CWnd* pFrame = pDockBar->m_bFloating ? pDockBar->GetParent() : nullptr;
        if (pFrame != nullptr && pDockBar->GetDockedVisibleCount() == 0 && pFrame->IsWindowVisible())
            pFrame->ShowWindow(SW_HIDE);
    }
    CWnd::OnDestroy();
}

void CControlBar::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

void CControlBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp)
{
    if (!HasNonClientFrame()) {
        Default();
        return;
    }
    CRect rect(0, 0, 0, 0);
    CalcInsideRect(rect, (m_dwStyle & CBRS_ORIENT_HORZ) != 0);
    RECT& client = lpncsp->rgrc[0];
    client.left += rect.left;
    client.top += rect.top;
    client.right += rect.right;
    client.bottom += rect.bottom;
    if (client.right < client.left)
        client.right = client.left;
    if (client.bottom < client.top)
        client.bottom = client.top;
}

void CControlBar::OnNcPaint()
{
    if (!HasNonClientFrame()) {
        Default();
        return;
    }
    CRect rectClient;
    GetClientRect(&rectClient);
    CRect rectWindow;
    GetWindowRect(&rectWindow);
    ScreenToClient(&rectWindow);
    rectClient.OffsetRect(-rectWindow.left, -rectWindow.top);
    rectWindow.OffsetRect(-rectWindow.left, -rectWindow.top);
    CWindowDC dc(this);
    dc.ExcludeClipRect(&rectClient);
    CRect rect = rectWindow;
    DrawBorders(&dc, rect);
    ::FillRect(dc.GetSafeHdc(), &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    DrawGripper(&dc, rectWindow);
}

void CControlBar::DrawBorders(CDC* pDC, CRect& rect)
{
    const COLORREF clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const int cx = Border2X() / 2;
    const int cy = Border2Y() / 2;
    // A raised edge: light at the top and left, shadow at the bottom and right.
    if ((m_dwStyle & CBRS_BORDER_TOP) != 0) {
        pDC->FillSolidRect(rect.left, rect.top, rect.Width(), cy, clrShadow);
        pDC->FillSolidRect(rect.left, rect.top + cy, rect.Width(), cy, clrHilite);
        rect.top += 2 * cy;
    }
    if ((m_dwStyle & CBRS_BORDER_BOTTOM) != 0) {
        pDC->FillSolidRect(rect.left, rect.bottom - 2 * cy, rect.Width(), cy, clrShadow);
        pDC->FillSolidRect(rect.left, rect.bottom - cy, rect.Width(), cy, clrHilite);
        rect.bottom -= 2 * cy;
    }
    if ((m_dwStyle & CBRS_BORDER_LEFT) != 0) {
        pDC->FillSolidRect(rect.left, rect.top, cx, rect.Height(), clrShadow);
        pDC->FillSolidRect(rect.left + cx, rect.top, cx, rect.Height(), clrHilite);
        rect.left += 2 * cx;
    }
    if ((m_dwStyle & CBRS_BORDER_RIGHT) != 0) {
        pDC->FillSolidRect(rect.right - 2 * cx, rect.top, cx, rect.Height(), clrShadow);
        pDC->FillSolidRect(rect.right - cx, rect.top, cx, rect.Height(), clrHilite);
        rect.right -= 2 * cx;
    }
}

void CControlBar::DrawGripper(CDC* pDC, const CRect& rect)
{
    if ((m_dwStyle & (CBRS_GRIPPER | CBRS_FLOATING)) != CBRS_GRIPPER)
        return;
    CRect inside(0, 0, 0, 0);
    const BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    CalcInsideRect(inside, bHorz);
    CRect grip;
    if (bHorz) {
        grip.SetRect(rect.left + inside.left - kGripperTotal + kGripperSpace, rect.top + inside.top,
                     0, rect.bottom + inside.bottom);
        grip.right = grip.left + kGripperWidth;
    } else {
        grip.SetRect(rect.left + inside.left, rect.top + inside.top - kGripperTotal + kGripperSpace,
                     rect.right + inside.right, 0);
        grip.bottom = grip.top + kGripperWidth;
    }
    pDC->Draw3dRect(&grip, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
}

BOOL CControlBar::ForwardToOwner(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (!IsForwardedToOwner(message))
        return FALSE;
    lResult = 0;
    if (OnWndMsg(message, wParam, lParam, &lResult))
        return TRUE;
    CWnd* pOwner = GetOwner();
    if (pOwner == nullptr || pOwner->m_hWnd == nullptr || pOwner->m_hWnd == m_hWnd) {
        lResult = DefWindowProc(message, wParam, lParam);
        return TRUE;
    }
    lResult = pOwner->SendMessage(message, wParam, lParam);
    if (IsEmptyTipRequest(message, lParam))
        lResult = DefWindowProc(message, wParam, lParam);
    return TRUE;
}

LRESULT CControlBar::OnNcHitTest(CPoint point)
{
    // Borders and gripper of a docked bar answer like its client area, so they drag it.
    if (HasNonClientFrame())
        return HTCLIENT;
    return CWnd::OnNcHitTest(point);
}

void CControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    // A bar that can dock is dragged by any spot its own items leave free.
    if (m_pDockBar != nullptr && m_pDockContext != nullptr && IsDragSpot(point)) {
        ClientToScreen(&point);
        m_pDockContext->StartDrag(point);
        return;
    }
    CWnd::OnLButtonDown(nFlags, point);
}

void CControlBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (m_pDockBar != nullptr && m_pDockContext != nullptr && IsDragSpot(point)) {
        m_pDockContext->ToggleDocking();
        return;
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    AFX_SIZEPARENTPARAMS* pLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    const DWORD dwStyle = m_dwStyle;
    // A delayed show or hide takes effect with the layout.
    const BOOL bVisible = IsVisible();
    RecalcDelayShow(pLayout);
    if (!bVisible || (dwStyle & CBRS_ALIGN_ANY) == 0)
        return 0;
    const BOOL bHorz = (dwStyle & CBRS_ORIENT_HORZ) != 0;
    CRect rect = pLayout->rect;
    CSize size = CalcFixedLayout(pLayout->bStretch, bHorz);
    size.cx = std::min(size.cx, static_cast<LONG>(rect.Width()));
    size.cy = std::min(size.cy, static_cast<LONG>(rect.Height()));
    RECT& rest = pLayout->rect;
    if ((dwStyle & CBRS_ALIGN_TOP) != 0) {
        rect.bottom = rect.top + size.cy;
        rest.top += size.cy;
    } else if ((dwStyle & CBRS_ALIGN_BOTTOM) != 0) {
        rect.top = rect.bottom - size.cy;
        rest.bottom -= size.cy;
    } else if ((dwStyle & CBRS_ALIGN_LEFT) != 0) {
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
