#include "framework/CMiniDockFrameWnd.h"

#include "framework/CDockContext.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CMiniDockFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CFrameWnd)
    ON_WM_CLOSE()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_SIZING()
    ON_WM_MOUSEACTIVATE()
END_MESSAGE_MAP()

namespace {

constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | MFS_MOVEFRAME |
                              MFS_4THICKFRAME | MFS_SYNCACTIVE;
constexpr DWORD kFrameExStyle = WS_EX_TOOLWINDOW;

// Both sides 2 pixels wider than the dock bar: the floating bar's own borders are cut off.
constexpr int kHiddenBorder = 4;

} // namespace

CMiniDockFrameWnd::CMiniDockFrameWnd() : m_wndDockBar(TRUE)
{
}

void CMiniDockFrameWnd::CalcFrameRect(CRect& rect)
{
    ::AdjustWindowRectEx(&rect, kFrameStyle & 0xFFFF0000, FALSE, kFrameExStyle);
}

BOOL CMiniDockFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    // No client edge: the bars draw their own.
    return CWnd::PreCreateWindow(cs);
}

BOOL CMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    LPCSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!CreateEx(kFrameExStyle, lpszClass, "", kFrameStyle, 0, 0, 0, 0, pParent->GetSafeHwnd(), nullptr))
        return FALSE;
    // Made in the docking frame, so that it counts among that frame's bars, then moved here.
    const DWORD dwDockStyle = (dwBarStyle & (CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI | CBRS_SIZE_DYNAMIC)) | WS_VISIBLE;
    if (!m_wndDockBar.Create(pParent, dwDockStyle, AFX_IDW_DOCKBAR_FLOAT)) {
        DestroyWindow();
        return FALSE;
    }
    m_wndDockBar.SetParent(this);
    return TRUE;
}

CControlBar* CMiniDockFrameWnd::GetSingleBar() const
{
    CControlBar* pFound = nullptr;
    for (int i = 0; i < m_wndDockBar.m_arrBars.GetSize(); ++i) {
        if (CControlBar* pBar = m_wndDockBar.GetDockedControlBar(i)) {
            if (pFound != nullptr)
                return nullptr;
            pFound = pBar;
        }
    }
    return pFound;
}

void CMiniDockFrameWnd::RecalcLayout(BOOL)
{
    if (m_bInRecalcLayout || m_wndDockBar.m_hWnd == nullptr)
        return;
    m_bInRecalcLayout = TRUE;
    if (m_wndDockBar.GetDockedVisibleCount() == 0) {
        if (IsWindowVisible())
            ShowWindow(SW_HIDE);
    } else {
        const BOOL bHorz = (m_wndDockBar.GetBarStyle() & CBRS_ORIENT_HORZ) != 0;
        m_wndDockBar.m_bLayoutQuery = FALSE;
        const CSize size = m_wndDockBar.CalcFixedLayout(FALSE, bHorz);
        const int cx = std::max(static_cast<int>(size.cx), 1);
        const int cy = std::max(static_cast<int>(size.cy), 1);
        m_wndDockBar.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
        CRect rect(0, 0, cx, cy);
        CalcFrameRect(rect);
        SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (CControlBar* pBar = GetSingleBar()) {
            CString strTitle;
            pBar->GetWindowText(strTitle);
            SetWindowText(strTitle);
        }
    }
    m_bInRecalcLayout = FALSE;
}

void CMiniDockFrameWnd::OnClose()
{
    // The close box hides the bars; the frame stays for when they are shown again.
    CFrameWnd* pSite = nullptr;
    for (int i = 0; i < m_wndDockBar.m_arrBars.GetSize(); ++i) {
        if (CControlBar* pBar = m_wndDockBar.GetDockedControlBar(i)) {
            pSite = pBar->m_pDockSite;
            pBar->ShowWindow(SW_HIDE);
        }
    }
    ShowWindow(SW_HIDE);
    if (pSite != nullptr)
        pSite->DelayRecalcLayout();
}

void CMiniDockFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    CControlBar* pBar = GetSingleBar();
    if (nHitTest == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr) {
        // The caption moves the bar itself, so that it can dock again.
        pBar->m_pDockContext->StartDrag(point);
        return;
    }
    Default();
}

void CMiniDockFrameWnd::OnNcLButtonDblClk(UINT nHitTest, CPoint point)
{
    CControlBar* pBar = GetSingleBar();
    if (nHitTest == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr) {
        pBar->m_pDockContext->ToggleDocking();
        return;
    }
    CFrameWnd::OnNcLButtonDblClk(nHitTest, point);
}

void CMiniDockFrameWnd::OnSizing(UINT nSide, LPRECT lpRect)
{
    CControlBar* pBar = GetSingleBar();
    if (pBar == nullptr || (pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) == 0) {
        CFrameWnd::OnSizing(nSide, lpRect);
        return;
    }
    // The bar says which size it takes for the frame's new client size.
    CRect frame(0, 0, 0, 0);
    CalcFrameRect(frame);
    const int cxClient = (lpRect->right - lpRect->left) - frame.Width();
    const int cyClient = (lpRect->bottom - lpRect->top) - frame.Height();
    pBar->CalcDynamicLayout(cxClient + kHiddenBorder, LM_HORZ);
    const CSize size = pBar->CalcDynamicLayout(cyClient + kHiddenBorder, LM_HORZ | LM_LENGTHY);
    const int cx = static_cast<int>(size.cx) - kHiddenBorder + frame.Width();
    const int cy = static_cast<int>(size.cy) - kHiddenBorder + frame.Height();
    if (nSide == WMSZ_LEFT || nSide == WMSZ_TOPLEFT || nSide == WMSZ_BOTTOMLEFT)
        lpRect->left = lpRect->right - cx;
    else
        lpRect->right = lpRect->left + cx;
    if (nSide == WMSZ_TOP || nSide == WMSZ_TOPLEFT || nSide == WMSZ_TOPRIGHT)
        lpRect->top = lpRect->bottom - cy;
    else
        lpRect->bottom = lpRect->top + cy;
}

int CMiniDockFrameWnd::OnMouseActivate(CWnd*, UINT, UINT)
{
    return MA_NOACTIVATE; // the main frame keeps the focus
}
