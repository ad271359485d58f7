// The thin wrappers of CWnd over USER32 that take more than one call: family, placement and
// layout of bars, styles, texts, scrolling, tool tips and the command UI of child controls.
#include "framework/CWnd.h"

#include "framework/AfxGlobals.h"
#include "framework/CCmdUI.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"
#include "framework/Prompt.h"

CFrameWnd* CWnd::GetParentFrame() const
{
    for (HWND hWnd = ::GetParent(m_hWnd); hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->IsFrameWnd())
            return reinterpret_cast<CFrameWnd*>(pWnd);
    }
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CWnd* pFrame = IsFrameWnd() ? const_cast<CWnd*>(this) : reinterpret_cast<CWnd*>(GetParentFrame());
    while (pFrame != nullptr) {
        CWnd* pParent = reinterpret_cast<CWnd*>(pFrame->GetParentFrame());
        if (pParent == nullptr)
            break;
        pFrame = pParent;
    }
    return reinterpret_cast<CFrameWnd*>(pFrame);
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWndTop = m_hWnd;
    for (HWND hWnd = m_hWnd; hWnd != nullptr; hWnd = ::GetParent(hWnd))
        hWndTop = hWnd;
    return FromHandle(hWndTop);
}

CWnd* CWnd::GetOwner() const
{
    return m_hWndOwner != nullptr ? FromHandle(m_hWndOwner) : GetParent();
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const
{
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(hChild) == nID) {
            CWnd* pWnd = bOnlyPerm ? FromHandlePermanent(hChild) : FromHandle(hChild);
            if (pWnd != nullptr)
                return pWnd;
        }
        CWnd child(hChild);
        CWnd* pFound = child.GetDescendantWindow(nID, bOnlyPerm);
        child.m_hWnd = nullptr;
        if (pFound != nullptr)
            return pFound;
    }
    return nullptr;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                    BOOL bOnlyPerm) const
{
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!bOnlyPerm) {
            ::SendMessageA(hChild, message, wParam, lParam);
        } else if (CWnd* pWnd = FromHandlePermanent(hChild)) {
            // Straight to the object: framework messages need no trip through the system.
            AfxCallWndProc(pWnd, hChild, message, wParam, lParam);
        }
        if (bDeep && ::GetTopWindow(hChild) != nullptr) {
            CWnd child(hChild);
            child.SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
            child.m_hWnd = nullptr;
        }
    }
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    // The special positions (wndTop, wndBottom...) arrive as handle values.
    const HWND hWndAfter = reinterpret_cast<HWND>(const_cast<CWnd*>(pWndInsertAfter));
    const bool bSpecial = hWndAfter == HWND_TOP || hWndAfter == HWND_BOTTOM ||
                          hWndAfter == HWND_TOPMOST || hWndAfter == HWND_NOTOPMOST;
    return ::SetWindowPos(m_hWnd, bSpecial ? hWndAfter : pWndInsertAfter->GetSafeHwnd(), x, y, cx, cy, nFlags);
}

void CWnd::CalcWindowRect(LPRECT lpClientRect, UINT)
{
    ::AdjustWindowRectEx(lpClientRect, GetStyle(), FALSE, GetExStyle());
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    HWND hWndCenter = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd
                                                 : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd)
                                                                            : ::GetWindow(m_hWnd, GW_OWNER));
    CRect rcArea;
    if ((GetStyle() & WS_CHILD) != 0) {
        ::GetClientRect(hWndCenter, &rcArea);
    } else {
        MONITORINFO mi = {sizeof(mi)};
        ::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        rcArea = mi.rcWork;
        if (hWndCenter == nullptr || !::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter))
            hWndCenter = nullptr;
    }
    CRect rcCenter = rcArea;
    if (hWndCenter != nullptr && (GetStyle() & WS_CHILD) == 0)
        ::GetWindowRect(hWndCenter, &rcCenter);
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    if ((GetStyle() & WS_CHILD) != 0)
        ::MapWindowPoints(nullptr, hWndCenter, reinterpret_cast<LPPOINT>(&rcWindow), 2);
    int x = rcCenter.CenterPoint().x - rcWindow.Width() / 2;
    int y = rcCenter.CenterPoint().y - rcWindow.Height() / 2;
    // Keep the window inside the area.
    if (x + rcWindow.Width() > rcArea.right)
        x = rcArea.right - rcWindow.Width();
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + rcWindow.Height() > rcArea.bottom)
        y = rcArea.bottom - rcWindow.Height();
    if (y < rcArea.top)
        y = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag,
                          LPRECT lpRectParam, LPCRECT lpRectClient, BOOL bStretch)
{
    AFX_SIZEPARENTPARAMS layout = {};
    layout.bStretch = bStretch;
    if (lpRectClient != nullptr)
        layout.rect = *lpRectClient;
    else
        ::GetClientRect(m_hWnd, &layout.rect);
    if ((nFlag & reposQuery) == 0)
        layout.hDWP = ::BeginDeferWindowPos(8);

    HWND hWndLeftOver = nullptr;
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        const UINT nIDC = static_cast<UINT>(::GetDlgCtrlID(hChild));
        if (nIDC == nIDLeftOver)
            hWndLeftOver = hChild;
        else if (nIDC >= nIDFirst && nIDC <= nIDLast && FromHandlePermanent(hChild) != nullptr)
            ::SendMessageA(hChild, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }

    if ((nFlag & reposQuery) != 0) {
        if (bStretch)
            ::CopyRect(lpRectParam, &layout.rect);
        else
            ::SetRect(lpRectParam, 0, 0, layout.sizeTotal.cx, layout.sizeTotal.cy);
        return;
    }
    if (nIDLeftOver != 0 && hWndLeftOver != nullptr) {
        CRect rect = layout.rect;
        if ((nFlag & reposExtra) != 0 && lpRectParam != nullptr)
            rect.DeflateRect(lpRectParam->left, lpRectParam->top, lpRectParam->right, lpRectParam->bottom);
        if (layout.hDWP != nullptr)
            layout.hDWP = ::DeferWindowPos(layout.hDWP, hWndLeftOver, nullptr, rect.left, rect.top,
                                           rect.Width(), rect.Height(), SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (layout.hDWP != nullptr)
        ::EndDeferWindowPos(layout.hDWP);
}

namespace {

// Style and extended style change the same way: only a real change is written and redrawn.
BOOL ModifyWindowLong(HWND hWnd, int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongPtrA(hWnd, nIndex));
    const DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNew)
        return FALSE;
    ::SetWindowLongPtrA(hWnd, nIndex, static_cast<LONG_PTR>(dwNew));
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

} // namespace

BOOL PASCAL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL PASCAL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, CRgn* prgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate != nullptr ? static_cast<HRGN>(*prgnUpdate) : nullptr, flags);
}

int CWnd::ReleaseDC(CDC* pDC)
{
    if (pDC == nullptr)
        return 0;
    const HDC hDC = pDC->m_hDC;
    return ::ReleaseDC(m_hWnd, hDC);
}

void CWnd::GetWindowText(CString& rString) const
{
    const int nLength = ::GetWindowTextLengthA(m_hWnd);
    const int nCopied = ::GetWindowTextA(m_hWnd, rString.GetBuffer(nLength + 1), nLength + 1);
    rString.ReleaseBuffer(nCopied);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    const HWND hWndItem = ::GetDlgItem(m_hWnd, nID);
    if (hWndItem == nullptr)
        return 0;
    const int nLength = ::GetWindowTextLengthA(hWndItem);
    const int nCopied = ::GetWindowTextA(hWndItem, rString.GetBuffer(nLength + 1), nLength + 1);
    rString.ReleaseBuffer(nCopied);
    return nCopied;
}

int CWnd::GetCheckedRadioButton(int nIDFirst, int nIDLast) const
{
    for (int nID = nIDFirst; nID <= nIDLast; ++nID) {
        if (::IsDlgButtonChecked(m_hWnd, nID) == BST_CHECKED)
            return nID;
    }
    return 0;
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont->GetSafeHandle()), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    const PromptRequest request = {m_hWnd, lpszText, lpszCaption != nullptr ? lpszCaption : AfxGetAppName(),
                                   nType, 0};
    return ShowPrompt(request);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    ModifyStyleEx(bAccept ? 0 : WS_EX_ACCEPTFILES, bAccept ? WS_EX_ACCEPTFILES : 0);
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) const
{
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

int CWnd::GetScrollLimit(int nBar) const
{
    SCROLLINFO info = {};
    if (!GetScrollInfo(nBar, &info, SIF_RANGE | SIF_PAGE))
        return 0;
    const int nLimit = info.nMax - (info.nPage > 0 ? static_cast<int>(info.nPage) - 1 : 0);
    return nLimit > info.nMin ? nLimit : info.nMin;
}

INT_PTR CWnd::OnToolHitTest(CPoint point, TOOLINFOA* pTI) const
{
    // Child windows are the default tools: the tool is the child's handle, its id the answer.
    const HWND hWndChild = ::ChildWindowFromPointEx(m_hWnd, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (hWndChild == nullptr || hWndChild == m_hWnd)
        return -1;
    const int nID = ::GetDlgCtrlID(hWndChild);
    if (pTI != nullptr) {
        pTI->hwnd = m_hWnd;
        pTI->uId = reinterpret_cast<UINT_PTR>(hWndChild);
        pTI->uFlags |= TTF_IDISHWND;
        pTI->lpszText = LPSTR_TEXTCALLBACKA;
    }
    return nID != 0 ? nID : -1;
}

BOOL CWnd::EnableToolTips(BOOL bEnable)
{
    const BOOL bOld = m_bToolTips;
    m_bToolTips = bEnable;
    return bOld;
}

namespace {

// Command UI of a child control for UpdateDialogControls.
class CControlCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        const HWND hWnd = m_pOther->m_hWnd;
        // A control about to be disabled must not keep the focus.
        if (!bOn && ::GetFocus() == hWnd)
            ::SendMessageA(::GetParent(hWnd), WM_NEXTDLGCTL, 0, FALSE);
        ::EnableWindow(hWnd, bOn);
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int nCheck) override
    {
        if ((::SendMessageA(m_pOther->m_hWnd, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0)
            ::SendMessageA(m_pOther->m_hWnd, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCSTR lpszText) override { ::SetWindowTextA(m_pOther->m_hWnd, lpszText); }
};

} // namespace

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CControlCmdUI state;
    CWnd wndTemp;
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        const int nID = ::GetDlgCtrlID(hChild);
        if (nID == 0 || nID == 0xFFFF)
            continue;
        CWnd* pChild = FromHandlePermanent(hChild);
        wndTemp.m_hWnd = hChild;
        state.m_pOther = pChild != nullptr ? pChild : &wndTemp;
        state.m_nID = static_cast<UINT>(nID);
        // Only push buttons are disabled for want of a handler; other controls keep their state.
        const BOOL bButton = (::SendMessageA(hChild, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0;
        state.DoUpdate(pTarget, bDisableIfNoHndler && bButton);
    }
    wndTemp.m_hWnd = nullptr;
}

CWnd* AFXAPI AfxGetMainWnd()
{
    // The calling thread's main window; threads without a thread object see the application's.
    CWinThread* pThread = AfxGetThread();
    if (pThread == nullptr)
        pThread = AfxGetApp();
    return pThread != nullptr ? pThread->GetMainWnd() : nullptr;
}

BOOL AFXAPI AfxInitCommonControls(DWORD dwFlags)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), dwFlags};
    return ::InitCommonControlsEx(&init);
}

namespace {

// The one tool tip of a thread for windows with EnableToolTips: it shows the tool that the
// window's OnToolHitTest names under the mouse, and asks the window for the text.
struct ToolTipState
{
    HWND hWndTip = nullptr;
    HWND hWndLast = nullptr;
    INT_PTR nLastHit = -1;
    TOOLINFOA lastTool = {};
};

ToolTipState& TipState()
{
    static thread_local ToolTipState state;
    return state;
}

bool IsMouseMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

} // namespace

void CWnd::FilterToolTipMessage(MSG* pMsg)
{
    if (!IsMouseMessage(pMsg->message))
        return;
    ToolTipState& state = TipState();
    if (state.hWndTip == nullptr || !::IsWindow(state.hWndTip)) {
        if (!AfxInitCommonControls(ICC_WIN95_CLASSES))
            return;
        state.hWndTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                          ::GetAncestor(m_hWnd, GA_ROOT), nullptr, AfxGetInstanceHandle(), nullptr);
        state.hWndLast = nullptr;
        state.nLastHit = -1;
    }
    CPoint point = pMsg->pt;
    ::ScreenToClient(m_hWnd, &point);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    const INT_PTR nHit = OnToolHitTest(point, &ti);
    if (nHit != state.nLastHit || m_hWnd != state.hWndLast) {
        if (state.nLastHit != -1)
            ::SendMessageA(state.hWndTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&state.lastTool));
        state.nLastHit = nHit;
        state.hWndLast = m_hWnd;
        if (nHit != -1) {
            if (ti.hwnd == nullptr)
                ti.hwnd = m_hWnd;
            if ((ti.uFlags & TTF_IDISHWND) == 0 && ::IsRectEmpty(&ti.rect))
                ::GetClientRect(m_hWnd, &ti.rect);
            if (ti.lpszText == nullptr)
                ti.lpszText = LPSTR_TEXTCALLBACKA;
            if ((ti.uFlags & TTF_IDISHWND) == 0 && ti.uId == 0)
                ti.uId = static_cast<UINT_PTR>(nHit);
            ::SendMessageA(state.hWndTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
            state.lastTool = ti;
            ::SendMessageA(state.hWndTip, TTM_ACTIVATE, TRUE, 0);
        }
    }
    ::SendMessageA(state.hWndTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}

HWND PASCAL CWnd::GetThreadToolTip()
{
    return TipState().hWndTip;
}
