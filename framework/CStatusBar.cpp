#include "framework/CStatusBar.h"

#include "framework/WideText.h"

#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, &CStatusBar::OnSetText)
    ON_MESSAGE(WM_GETTEXT, &CStatusBar::OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, &CStatusBar::OnGetTextLength)
END_MESSAGE_MAP()

namespace {

// Space around a pane's text inside its borders.
const int kPanePadding = 8;

// A pane as a command UI item: disabled hides the text, checked shows it raised.
class CStatusCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        CStatusBar* pBar = static_cast<CStatusBar*>(m_pOther);
        const UINT nStyle = pBar->GetPaneStyle(static_cast<int>(m_nIndex)) & ~SBPS_DISABLED;
        pBar->SetPaneStyle(static_cast<int>(m_nIndex), bOn ? nStyle : nStyle | SBPS_DISABLED);
    }
    void SetCheck(int nCheck) override
    {
        CStatusBar* pBar = static_cast<CStatusBar*>(m_pOther);
        const UINT nStyle = pBar->GetPaneStyle(static_cast<int>(m_nIndex)) & ~SBPS_POPOUT;
        pBar->SetPaneStyle(static_cast<int>(m_nIndex), nCheck != 0 ? nStyle | SBPS_POPOUT : nStyle);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCSTR lpszText) override
    {
        static_cast<CStatusBar*>(m_pOther)->SetPaneText(static_cast<int>(m_nIndex), lpszText);
    }
};

} // namespace

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, nID);
}

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    if (!AfxInitCommonControls(ICC_BAR_CLASSES))
        return FALSE;
    DWORD dwBarStyle = 0;
    DWORD dwWndStyle = SplitBarStyle(dwStyle, dwBarStyle);
    m_dwStyle = dwBarStyle;
    dwWndStyle |= dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if (pParentWnd != nullptr && (pParentWnd->GetStyle() & WS_THICKFRAME) != 0)
        dwWndStyle |= SBARS_SIZEGRIP;
    return CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, dwWndStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    m_panes.clear();
    if (nIDCount < 0 || (nIDCount > 0 && lpIDArray == nullptr) || nIDCount > 255)
        return FALSE;
    CClientDC dc(nullptr);
    CFont* pFont = GetFont();
    CFont* pOldFont = pFont != nullptr ? dc.SelectObject(pFont) : nullptr;
    BOOL bResult = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane = {lpIDArray[i], SBPS_NORMAL, 0, CString()};
        if (pane.nID != ID_SEPARATOR) {
            if (!pane.strText.LoadString(pane.nID))
                bResult = FALSE;
            pane.cxText = dc.GetTextExtent(pane.strText).cx;
        }
        m_panes.push_back(pane);
    }
    if (pOldFont != nullptr)
        dc.SelectObject(pOldFont);
    // The message pane takes the room the indicators leave.
    if (!m_panes.empty() && m_panes[0].nID == ID_SEPARATOR)
        m_panes[0].nStyle = SBPS_NOBORDERS | SBPS_STRETCH;
    UpdateAllPanes();
    return bResult;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (m_panes[static_cast<size_t>(i)].nID == nIDFind)
            return i;
    }
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].nID : 0;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!IsValidIndex(nIndex) || !SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)))
        ::SetRectEmpty(lpRect);
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    if (!IsValidIndex(nIndex)) {
        nID = 0;
        nStyle = 0;
        cxWidth = 0;
        return;
    }
    const Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    nID = pane.nID;
    nStyle = pane.nStyle;
    cxWidth = pane.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (!IsValidIndex(nIndex))
        return;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    pane.nID = nID;
    pane.nStyle = nStyle;
    pane.cxText = cxWidth > 0 ? cxWidth : 0;
    UpdateAllPanes();
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (!IsValidIndex(nIndex) || m_panes[static_cast<size_t>(nIndex)].nStyle == nStyle)
        return;
    const bool bStretchChanged = ((m_panes[static_cast<size_t>(nIndex)].nStyle ^ nStyle) & SBPS_STRETCH) != 0;
    m_panes[static_cast<size_t>(nIndex)].nStyle = nStyle;
    if (bStretchChanged)
        UpdateAllPanes();
    else
        ShowPaneText(nIndex);
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].strText : CString();
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL bUpdate)
{
    if (!IsValidIndex(nIndex))
        return FALSE;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    const CString strNew(lpszNewText != nullptr ? lpszNewText : "");
    if (pane.strText == strNew)
        return TRUE;
    pane.strText = strNew;
    if (bUpdate)
        ShowPaneText(nIndex);
    return TRUE;
}

void CStatusBar::ShowPaneText(int nIndex)
{
    if (m_hWnd == nullptr || !IsValidIndex(nIndex))
        return;
    const Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    const UINT nDrawStyle = pane.nStyle & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
    const LPCSTR lpszText = (pane.nStyle & SBPS_DISABLED) != 0 ? "" : static_cast<LPCSTR>(pane.strText);
    // Wide, so a pane showing a name read from a drawing (UTF-8) shows any script.
    const std::wstring wide = orvo::WideText(lpszText);
    ::SendMessageW(m_hWnd, SB_SETTEXTW, static_cast<WPARAM>(nIndex) | nDrawStyle, reinterpret_cast<LPARAM>(wide.c_str()));
}

void CStatusBar::UpdateAllPanes()
{
    if (m_hWnd == nullptr || m_panes.empty())
        return;
    CRect rcClient;
    GetClientRect(&rcClient);
    int nFixed = 0;
    for (const Pane& pane : m_panes) {
        if ((pane.nStyle & SBPS_STRETCH) == 0)
            nFixed += pane.cxText + kPanePadding;
    }
    // Right edges for the control; the stretchy pane gets the rest of the width.
    const int nGrip = (GetStyle() & SBARS_SIZEGRIP) != 0 ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int nRoom = rcClient.Width() - nGrip - nFixed;
    std::vector<int> edges;
    int x = 0;
    for (const Pane& pane : m_panes) {
        x += (pane.nStyle & SBPS_STRETCH) != 0 ? (nRoom > 0 ? nRoom : 0) : pane.cxText + kPanePadding;
        edges.push_back(x);
    }
    edges.back() = -1; // the last pane reaches the edge
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < GetCount(); ++i)
        ShowPaneText(i);
}

void CStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CControlBar::OnSize(nType, cx, cy);
    UpdateAllPanes();
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    const int nIndex = CommandToIndex(ID_SEPARATOR);
    if (nIndex < 0)
        return FALSE;
    return SetPaneText(nIndex, reinterpret_cast<LPCSTR>(lParam));
}

LRESULT CStatusBar::OnGetText(WPARAM wParam, LPARAM lParam)
{
    const CString strText = GetPaneText(CommandToIndex(ID_SEPARATOR));
    const int nMax = static_cast<int>(wParam);
    if (nMax <= 0 || lParam == 0)
        return 0;
    lstrcpynA(reinterpret_cast<LPSTR>(lParam), strText, nMax);
    return lstrlenA(reinterpret_cast<LPSTR>(lParam));
}

LRESULT CStatusBar::OnGetTextLength(WPARAM, LPARAM)
{
    return GetPaneText(CommandToIndex(ID_SEPARATOR)).GetLength();
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL)
{
    CClientDC dc(nullptr);
    CFont* pFont = GetFont();
    CFont* pOldFont = pFont != nullptr ? dc.SelectObject(pFont) : nullptr;
    TEXTMETRICA tm = {};
    dc.GetTextMetrics(&tm);
    if (pOldFont != nullptr)
        dc.SelectObject(pOldFont);
    const int cy = tm.tmHeight + tm.tmExternalLeading + 2 * ::GetSystemMetrics(SM_CYBORDER) + 6;
    return CSize(bStretch ? 32767 : 0, cy > 20 ? cy : 20);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL)
{
    CStatusCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(GetCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = m_panes[state.m_nIndex].nID;
        // Panes never lose their text for want of a handler.
        if (state.m_nID != ID_SEPARATOR)
            state.DoUpdate(pTarget, FALSE);
    }
}
