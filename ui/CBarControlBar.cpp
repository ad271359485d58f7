#include "ui/CBarControlBar.h"

#include "framework/CProfileSection.h"
#include "ui/CBarGlobalData.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CBarControlBar, CBarToolBarBase)

BEGIN_MESSAGE_MAP(CBarControlBar, CBarToolBarBase)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_NCCALCSIZE()
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_WM_NCHITTEST()
    ON_WM_SETCURSOR()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_NCMOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kHoverElapse = 10;
constexpr UINT_PTR kToolHide = 1;
constexpr UINT_PTR kToolExpand = 2;

// Every sizing bar: the array (left in DestroyWindow) tells whether a bar is a sizing bar; the
// list (left on WM_DESTROY) is walked to load and save the sizes.
std::vector<CBarControlBar*>& SizingBarArray()
{
    static std::vector<CBarControlBar*> bars;
    return bars;
}

std::vector<CBarControlBar*>& SizingBarList()
{
    static std::vector<CBarControlBar*> bars;
    return bars;
}

void Erase(std::vector<CBarControlBar*>& bars, const CBarControlBar* pBar)
{
    bars.erase(std::remove(bars.begin(), bars.end(), pBar), bars.end());
}

bool IsSizingBar(const CControlBar* pBar)
{
    const auto& bars = SizingBarArray();
    return std::find(bars.begin(), bars.end(), pBar) != bars.end();
}

bool IsDockSide(UINT nID)
{
    return nID == AFX_IDW_DOCKBAR_TOP || nID == AFX_IDW_DOCKBAR_BOTTOM || nID == AFX_IDW_DOCKBAR_LEFT ||
           nID == AFX_IDW_DOCKBAR_RIGHT;
}

CString LoadText(UINT nID, LPCSTR lpszFallback)
{
    CString strText;
    if (!strText.LoadString(nID))
        strText = lpszFallback;
    return strText;
}

CString SizesSection(LPCSTR lpszSection, int nID)
{
    CString strSection;
    strSection.Format("%s-SCBar-%d", lpszSection, nID);
    return strSection;
}

void InvertRect(HDC hDC, const CRect& rect)
{
    HGDIOBJ hOld = ::SelectObject(hDC, CDC::GetHalftoneBrush()->GetSafeHandle());
    ::PatBlt(hDC, rect.left, rect.top, rect.Width(), rect.Height(), PATINVERT);
    ::SelectObject(hDC, hOld);
}

} // namespace

CBarControlBar::CBarControlBar() = default;

CBarControlBar::~CBarControlBar()
{
    Erase(SizingBarArray(), this);
    Erase(SizingBarList(), this);
}

const std::vector<CBarControlBar*>& CBarControlBar::GetSizingBarList()
{
    return SizingBarList();
}

BOOL CBarControlBar::Create(CWnd* pParentWnd, UINT nID, LPCSTR lpszTitle, CSize sizeDefault, DWORD dwStyle,
                            BOOL bWithCaption)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    m_szHorz = m_szVert = m_szFloat = sizeDefault;
    m_cyCaption = bWithCaption ? std::max(12, g_barData.cyCaptionText) : 0;
    LPCSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    DWORD dwWndStyle = dwStyle & ~static_cast<DWORD>(CBRS_ALL);
    dwWndStyle |= WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    if (!CWnd::Create(lpszClass, lpszTitle, dwWndStyle, CRect(0, 0, 0, 0), pParentWnd, nID))
        return FALSE;
    m_dwStyle |= CBRS_SIZE_DYNAMIC;
    return TRUE;
}

int CBarControlBar::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CBarToolBarBase::OnCreate(lpcs) == -1)
        return -1;
    SizingBarArray().push_back(this);
    EnableToolTips(TRUE);
    if (m_wndToolTip.Create(this)) {
        m_wndToolTip.Activate(TRUE);
        const CRect rectEmpty(0, 0, 0, 0);
        m_wndToolTip.AddTool(this, LoadText(IDS_SCB_HIDE, "Hide docked window"), &rectEmpty, kToolHide);
        m_wndToolTip.AddTool(this, LoadText(IDS_SCB_EXPAND, "Expand docked window"), &rectEmpty, kToolExpand);
    }
    g_barData.LoadSizeCursors();
    SizingBarList().push_back(this);
    return 0;
}

void CBarControlBar::OnDestroy()
{
    Erase(SizingBarList(), this);
    CBarToolBarBase::OnDestroy();
}

BOOL CBarControlBar::DestroyWindow()
{
    Erase(SizingBarArray(), this);
    return CBarToolBarBase::DestroyWindow();
}

BOOL CBarControlBar::PreTranslateMessage(MSG* pMsg)
{
    if (m_wndToolTip.m_hWnd != nullptr)
        m_wndToolTip.RelayEvent(pMsg);
    return CBarToolBarBase::PreTranslateMessage(pMsg);
}

BOOL CBarControlBar::IsFloatingBar() const
{
    return !IsDockSide(m_nDockBarID);
}

BOOL CBarControlBar::IsHorzDocked() const
{
    return m_nDockBarID == AFX_IDW_DOCKBAR_TOP || m_nDockBarID == AFX_IDW_DOCKBAR_BOTTOM;
}

CString CBarControlBar::GetButtonTipText(int nButton) const
{
    char szText[256] = {};
    TTTOOLINFOA info = {};
    info.cbSize = sizeof(info);
    info.hwnd = m_hWnd;
    info.uId = nButton == 0 ? kToolHide : kToolExpand;
    info.lpszText = szText;
    if (m_wndToolTip.m_hWnd != nullptr)
        m_wndToolTip.SendMessage(TTM_GETTEXTA, sizeof(szText), reinterpret_cast<LPARAM>(&info));
    return szText;
}

void CBarControlBar::UpdateExpandTip()
{
    // The tip says what a click does: expand while contracted, contract while expanded.
    const UINT nID = m_bExpanded ? IDS_SCB_CONTRACT : IDS_SCB_EXPAND;
    m_btnExpand.m_nToolTextId = nID;
    if (m_wndToolTip.m_hWnd != nullptr)
        m_wndToolTip.UpdateTipText(LoadText(nID, m_bExpanded ? "Contract docked window" : "Expand docked window"),
                                   this, kToolExpand);
}

BOOL CBarControlBar::GetRowInfo(int& nFirst, int& nLast, int& nThis) const
{
    if (m_pDockBar == nullptr)
        return FALSE;
    nThis = m_pDockBar->FindBar(this);
    if (nThis < 0)
        return FALSE;
    m_pDockBar->GetRowBounds(nThis, nFirst, nLast);
    return TRUE;
}

std::vector<CBarControlBar*> CBarControlBar::GetRowSizingBars(int* pThis) const
{
    std::vector<CBarControlBar*> bars;
    if (pThis != nullptr)
        *pThis = -1;
    int nFirst = 0;
    int nLast = 0;
    int nThis = 0;
    if (!GetRowInfo(nFirst, nLast, nThis))
        return bars;
    for (int i = nFirst; i <= nLast; ++i) {
        CControlBar* pBar = m_pDockBar->GetDockedControlBar(i);
        if (pBar == nullptr || (pBar->GetStyle() & WS_VISIBLE) == 0 || !IsSizingBar(pBar))
            continue;
        if (pBar == this && pThis != nullptr)
            *pThis = static_cast<int>(bars.size());
        bars.push_back(static_cast<CBarControlBar*>(pBar));
    }
    return bars;
}

CRect CBarControlBar::GetAvailableRect() const
{
    CRect rect;
    if (m_pDockBar != nullptr)
        rect = m_pDockBar->m_rectLayout;
    if (rect.IsRectEmpty() && m_pDockSite != nullptr)
        m_pDockSite->GetClientRect(&rect);
    return rect;
}

CSize CBarControlBar::CalcDynamicLayout(int nLength, DWORD dwMode)
{
    if ((dwMode & (LM_HORZDOCK | LM_VERTDOCK)) != 0) {
        if (nLength == -1)
            m_bParentSizing = TRUE;
        return CBarToolBarBase::CalcDynamicLayout(nLength, dwMode);
    }
    if ((dwMode & (LM_MRUWIDTH | LM_COMMIT)) == 0) {
        if ((dwMode & LM_LENGTHY) != 0)
            m_szFloat.cy = nLength;
        else
            m_szFloat.cx = nLength;
        m_szFloat.cx = std::max(m_szFloat.cx, m_szMin.cx);
        m_szFloat.cy = std::max(m_szFloat.cy, m_szMin.cy);
    }
    return m_szFloat;
}

CSize CBarControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    if (bStretch)
        return bHorz ? CSize(32767, m_szHorz.cy) : CSize(m_szVert.cx, 32767);
    const std::vector<CBarControlBar*> row = GetRowSizingBars();
    if (m_pDockBar != nullptr) {
        AFX_SIZEPARENTPARAMS layout = {};
        layout.hDWP = m_pDockBar->m_bLayoutQuery ? nullptr : ::BeginDeferWindowPos(static_cast<int>(row.size()));
        for (CBarControlBar* pBar : row)
            pBar->RecalcDelayShow(&layout);
        if (layout.hDWP != nullptr)
            ::EndDeferWindowPos(layout.hDWP);
    }
    m_bSingleInRow = row.size() < 2;
    const CRect rect = GetAvailableRect();
    const int nLengthAvail = bHorz ? rect.Width() : rect.Height() - 2;
    if (IsVisible() && !IsFloatingBar() && m_bParentSizing && !row.empty() && row.front() == this) {
        if (NegotiateSpace(nLengthAvail, bHorz))
            AlignControlBars();
    }
    m_bParentSizing = FALSE;
    CSize size = bHorz ? m_szHorz : m_szVert;
    size.cx = std::max(size.cx, m_szMin.cx);
    size.cy = std::max(size.cy, m_szMin.cy);
    return size;
}

BOOL CBarControlBar::NegotiateSpace(int nLengthTotal, BOOL bHorz)
{
    int nFirst = 0;
    int nLast = 0;
    int nThis = 0;
    if (!GetRowInfo(nFirst, nLast, nThis))
        return FALSE;
    int nLengthAvail = nLengthTotal;
    for (int i = nFirst; i <= nLast; ++i) {
        CControlBar* pBar = m_pDockBar->GetDockedControlBar(i);
        if (pBar == nullptr || !pBar->IsVisible() || IsSizingBar(pBar))
            continue;
        CRect rect;
        pBar->GetWindowRect(&rect);
        nLengthAvail -= bHorz ? rect.Width() : rect.Height();
    }
    const std::vector<CBarControlBar*> row = GetRowSizingBars();
    int nActual = 0;
    int nMinimum = 2;
    LONG nWidth = 0;
    for (CBarControlBar* pBar : row) {
        CSize& size = bHorz ? pBar->m_szHorz : pBar->m_szVert;
        nActual += Length(size, bHorz);
        nMinimum += Length(pBar->m_szMin, bHorz);
        nWidth = std::max(nWidth, Thickness(size, bHorz));
    }
    if (nLengthAvail < nMinimum) {
        if (row.size() < 2)
            return FALSE;
        // Too short for all of them: this bar starts a row of its own after this one.
        CPtrArray& bars = m_pDockBar->m_arrBars;
        const int nEnd = nLast + 1; // the end of this row
        bars.InsertAt(nEnd + 1, this);
        bars.InsertAt(nEnd + 2, static_cast<void*>(nullptr));
        bars.RemoveAt(nThis);
        if (nThis < bars.GetSize() && bars[nThis - 1] == nullptr && bars[nThis] == nullptr)
            bars.RemoveAt(nThis);
        if (m_pDockSite != nullptr)
            m_pDockSite->DelayRecalcLayout();
        return FALSE;
    }
    for (CBarControlBar* pBar : row)
        Thickness(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz) = nWidth;
    if (nActual == nLengthAvail)
        return TRUE;
    int nDelta = nLengthAvail - nActual;
    auto distribute = [&](bool bProtect) {
        int nPrevious = 0;
        do {
            nPrevious = nDelta;
            for (CBarControlBar* pBar : row) {
                if (nDelta == 0)
                    break;
                if (bProtect && pBar->m_bKeepSize)
                    continue;
                LONG& nLength = Length(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz);
                if (nDelta < 0 && nLength <= Length(pBar->m_szMin, bHorz))
                    continue;
                const int nStep = nDelta > 0 ? 1 : -1;
                nLength += nStep;
                nDelta -= nStep;
            }
        } while (nDelta != 0 && nDelta != nPrevious);
    };
    distribute(true);
    for (CBarControlBar* pBar : row)
        pBar->m_bKeepSize = FALSE;
    if (nDelta == 0)
        return TRUE;
    distribute(false);
    return TRUE;
}

void CBarControlBar::AlignControlBars()
{
    int nFirst = 0;
    int nLast = 0;
    int nThis = 0;
    if (!GetRowInfo(nFirst, nLast, nThis))
        return;
    const BOOL bHorz = IsHorzDocked();
    int nPos = 0;
    BOOL bMoved = FALSE;
    CControlBar* pPrevious = nullptr;
    for (int i = nFirst; i <= nLast; ++i) {
        CControlBar* pBar = m_pDockBar->GetDockedControlBar(i);
        if (pBar == nullptr || !pBar->IsVisible())
            continue;
        CRect rect;
        pBar->GetWindowRect(&rect);
        m_pDockBar->ScreenToClient(&rect);
        if (IsSizingBar(pBar)) {
            auto* pSizing = static_cast<CBarControlBar*>(pBar);
            rect = CRect(rect.TopLeft(), bHorz ? pSizing->m_szHorz : pSizing->m_szVert);
        }
        const int nLead = bHorz ? rect.left : rect.top;
        if (nLead != nPos) {
            bHorz ? rect.OffsetRect(nPos - nLead, 0) : rect.OffsetRect(0, nPos - nLead);
            pBar->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
            bMoved = TRUE;
        }
        nPos += bHorz ? rect.Width() : rect.Height();
        if (bMoved && pPrevious != nullptr)
            pPrevious->SetWindowPos(pBar, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        pPrevious = pBar;
    }
    if (bMoved && m_pDockSite != nullptr)
        m_pDockSite->DelayRecalcLayout();
}

void CBarControlBar::ToggleExpand()
{
    if (IsFloatingBar() || m_bSingleInRow)
        return;
    m_bExpanded = !m_bExpanded;
    const BOOL bHorz = IsHorzDocked();
    const CRect rect = GetAvailableRect();
    const std::vector<CBarControlBar*> row = GetRowSizingBars();
    if (m_bExpanded) {
        for (CBarControlBar* pBar : row)
            pBar->m_szOld = bHorz ? pBar->m_szHorz : pBar->m_szVert;
        for (CBarControlBar* pBar : row) {
            LONG& nLength = Length(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz);
            if (pBar == this)
                nLength = bHorz ? rect.Width() + 2 : rect.Height() - 2;
            else
                nLength = Length(pBar->m_szMin, bHorz);
        }
    } else {
        for (CBarControlBar* pBar : row)
            (bHorz ? pBar->m_szHorz : pBar->m_szVert) = pBar->m_szOld;
    }
    UpdateExpandTip();
    if (m_pDockSite != nullptr)
        m_pDockSite->DelayRecalcLayout();
}

void CBarControlBar::LoadSizes(LPCSTR lpszSection)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    const CProfileSection section(pApp, SizesSection(lpszSection, GetDlgCtrlID()));
    auto load = [&](LPCSTR lpszEntry, LONG& value, LONG nMin) {
        value = std::max(static_cast<LONG>(static_cast<int>(section.GetInt(lpszEntry, value))), nMin);
    };
    load("sizeHorzCX", m_szHorz.cx, m_szMin.cx);
    load("sizeHorzCY", m_szHorz.cy, m_szMin.cy);
    load("sizeVertCX", m_szVert.cx, m_szMin.cx);
    load("sizeVertCY", m_szVert.cy, m_szMin.cy);
    load("sizeFloatCX", m_szFloat.cx, m_szMin.cx);
    load("sizeFloatCY", m_szFloat.cy, m_szMin.cy);
    if (section.GetInt("Expanded", 0) != 0) {
        // The layout that positions the bars tells whether the bar shares its row.
        m_nDockBarID = GetParent() != nullptr ? static_cast<UINT>(GetParent()->GetDlgCtrlID()) : 0;
        m_bSingleInRow = GetRowSizingBars().size() < 2;
        ToggleExpand();
    }
}

void CBarControlBar::SaveSizes(LPCSTR lpszSection)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    const CString strSection = SizesSection(lpszSection, GetDlgCtrlID());
    CSize szHorz = m_szHorz;
    CSize szVert = m_szVert;
    // Expanded, the size to come back to is the one before expanding.
    if (m_bExpanded)
        (IsHorzDocked() ? szHorz : szVert) = m_szOld;
    pApp->WriteProfileInt(strSection, "sizeHorzCX", szHorz.cx);
    pApp->WriteProfileInt(strSection, "sizeHorzCY", szHorz.cy);
    pApp->WriteProfileInt(strSection, "sizeVertCX", szVert.cx);
    pApp->WriteProfileInt(strSection, "sizeVertCY", szVert.cy);
    pApp->WriteProfileInt(strSection, "sizeFloatCX", m_szFloat.cx);
    pApp->WriteProfileInt(strSection, "sizeFloatCY", m_szFloat.cy);
    pApp->WriteProfileInt(strSection, "Expanded", m_bExpanded ? 1 : 0);
}

void CBarControlBar::LoadAllSizes(LPCSTR lpszSection)
{
    const std::vector<CBarControlBar*> bars = SizingBarList();
    for (CBarControlBar* pBar : bars)
        pBar->LoadSizes(lpszSection);
}

void CBarControlBar::SaveAllSizes(LPCSTR lpszSection)
{
    const std::vector<CBarControlBar*> bars = SizingBarList();
    for (CBarControlBar* pBar : bars)
        pBar->SaveSizes(lpszSection);
}

// Window frame: edges, caption strip and buttons.

void CBarControlBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp)
{
    const CRect rcBar(lpncsp->rgrc[0]);
    CRect rc = rcBar;
    rc.DeflateRect(m_cxBorder, m_cxBorder);
    m_dwEdges = 0;
    switch (m_nDockBarID) {
    case AFX_IDW_DOCKBAR_TOP:
        m_dwEdges |= 8;
        rc.left += m_cyCaption;
        break;
    case AFX_IDW_DOCKBAR_BOTTOM:
        m_dwEdges |= 4;
        rc.left += m_cyCaption;
        break;
    case AFX_IDW_DOCKBAR_LEFT:
        m_dwEdges |= 2;
        rc.top += m_cyCaption;
        break;
    case AFX_IDW_DOCKBAR_RIGHT:
        m_dwEdges |= 1;
        rc.top += m_cyCaption;
        break;
    default:
        break;
    }
    const BOOL bHorz = IsHorzDocked();
    if (!IsFloatingBar()) {
        int nThis = -1;
        const std::vector<CBarControlBar*> row = GetRowSizingBars(&nThis);
        if (nThis > 0)
            m_dwEdges |= bHorz ? 1 : 4;
        if (nThis >= 0 && nThis < static_cast<int>(row.size()) - 1)
            m_dwEdges |= bHorz ? 2 : 8;
    }
    rc.right = std::max(rc.right, rc.left);
    rc.bottom = std::max(rc.bottom, rc.top);
    CPoint ptHide;
    if (bHorz) {
        ptHide.x = (m_cyCaption - CSCBButton::kSize) / 2 - m_cyCaption + rc.left - 3;
        ptHide.y = rc.top - 3;
        m_btnExpand.m_ptOrg = CPoint(ptHide.x - rcBar.left, ptHide.y + 16 - rcBar.top);
    } else {
        ptHide.x = rc.right - CSCBButton::kSize;
        ptHide.y = (m_cyCaption - CSCBButton::kSize) / 2 - m_cyCaption + rc.top - 3;
        m_btnExpand.m_ptOrg = CPoint(ptHide.x - 16 - rcBar.left, ptHide.y - rcBar.top);
    }
    m_btnHide.m_ptOrg = CPoint(ptHide.x - rcBar.left, ptHide.y - rcBar.top);
    if (m_wndToolTip.m_hWnd != nullptr) {
        // The tools live in client coordinates.
        const CPoint toClient(rcBar.left - rc.left, rcBar.top - rc.top);
        CRect rcTool = m_btnHide.GetRect() + toClient;
        m_wndToolTip.SetToolRect(this, kToolHide, &rcTool);
        rcTool = m_btnExpand.GetRect() + toClient;
        m_wndToolTip.SetToolRect(this, kToolExpand, &rcTool);
    }
    lpncsp->rgrc[0] = rc;
}

BOOL CBarControlBar::IsEdgeActive(UINT nHitTest) const
{
    int nThis = -1;
    const std::vector<CBarControlBar*> row = GetRowSizingBars(&nThis);
    const BOOL bLast = nThis >= 0 && nThis == static_cast<int>(row.size()) - 1;
    switch (nHitTest) {
    case HTLEFT:
        return m_nDockBarID == AFX_IDW_DOCKBAR_RIGHT && (m_dwEdges & 1) != 0;
    case HTRIGHT:
        return (m_dwEdges & 2) != 0 && !(bLast && m_nDockBarID != AFX_IDW_DOCKBAR_LEFT);
    case HTTOP:
        return m_nDockBarID == AFX_IDW_DOCKBAR_BOTTOM && (m_dwEdges & 4) != 0;
    case HTBOTTOM:
        if (m_nDockBarID == AFX_IDW_DOCKBAR_TOP)
            return TRUE;
        return !bLast && (m_dwEdges & 8) != 0;
    default:
        return FALSE;
    }
}

BOOL CBarControlBar::GetEdgeRect(const CRect& rcWnd, UINT nHitTest, CRect& rcEdge) const
{
    rcEdge.SetRectEmpty();
    if (IsFloatingBar() || !IsEdgeActive(nHitTest))
        return FALSE;
    rcEdge = rcWnd;
    const BOOL bHorz = IsHorzDocked();
    switch (nHitTest) {
    case HTLEFT:
        rcEdge.right = rcEdge.left + m_cxEdge;
        break;
    case HTRIGHT:
        rcEdge.left = rcEdge.right - m_cxEdge;
        break;
    case HTTOP:
        rcEdge.bottom = rcEdge.top + m_cxEdge;
        break;
    default:
        rcEdge.top = rcEdge.bottom - m_cxEdge;
        break;
    }
    const BOOL bSideStrip = nHitTest == HTLEFT || nHitTest == HTRIGHT;
    if (bSideStrip && bHorz)
        rcEdge.DeflateRect(0, m_cxEdge);
    if (!bSideStrip && !bHorz)
        rcEdge.DeflateRect(m_cxEdge, 0);
    // Where the bar meets the frame's edge the strip reaches one pixel further.
    switch (m_nDockBarID) {
    case AFX_IDW_DOCKBAR_TOP:
        rcEdge.top -= 1;
        break;
    case AFX_IDW_DOCKBAR_BOTTOM:
        rcEdge.bottom += 1;
        break;
    case AFX_IDW_DOCKBAR_LEFT:
        rcEdge.left -= 1;
        break;
    default:
        rcEdge.right += 1;
        break;
    }
    return TRUE;
}

LRESULT CBarControlBar::OnNcHitTest(CPoint point)
{
    if (IsFloatingBar())
        return CBarToolBarBase::OnNcHitTest(point);
    CRect rcBar;
    GetWindowRect(&rcBar);
    for (const UINT nHit : {HTLEFT, HTTOP, HTRIGHT, HTBOTTOM}) {
        CRect rcEdge;
        if (GetEdgeRect(rcBar, nHit, rcEdge) && rcEdge.PtInRect(point))
            return nHit;
    }
    for (const CSCBButton* pButton : {&m_btnHide, &m_btnExpand}) {
        if ((pButton->GetRect() + rcBar.TopLeft()).PtInRect(point))
            return pButton->m_nHitTest;
    }
    CRect rcClient;
    GetClientRect(&rcClient);
    ClientToScreen(&rcClient);
    return rcClient.PtInRect(point) ? HTCLIENT : HTCAPTION;
}

BOOL CBarControlBar::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (!IsFloatingBar()) {
        if (nHitTest == HTLEFT || nHitTest == HTRIGHT) {
            ::SetCursor(g_barData.hcurSizeWE);
            return TRUE;
        }
        if (nHitTest == HTTOP || nHitTest == HTBOTTOM) {
            ::SetCursor(g_barData.hcurSizeNS);
            return TRUE;
        }
    }
    return CBarToolBarBase::OnSetCursor(pWnd, nHitTest, message);
}

void CBarControlBar::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    lpwndpos->flags |= SWP_FRAMECHANGED;
    CBarToolBarBase::OnWindowPosChanging(lpwndpos);
    CWnd* pParent = GetParent();
    m_nDockBarID = pParent != nullptr ? static_cast<UINT>(pParent->GetDlgCtrlID()) : 0;
    if (!IsFloatingBar() && (lpwndpos->flags & SWP_SHOWWINDOW) != 0)
        m_bKeepSize = TRUE;
}

void CBarControlBar::OnPaint()
{
    // The client area belongs to the bar's child windows.
    ValidateRect(nullptr);
}

void CBarControlBar::OnNcPaint()
{
    if (m_bTracking)
        return;
    CWindowDC dc(this);
    CRect rcBar;
    GetWindowRect(&rcBar);
    CRect rcClient;
    GetClientRect(&rcClient);
    ClientToScreen(&rcClient);
    rcClient.OffsetRect(-rcBar.TopLeft());
    const CPoint ptOrigin = rcBar.TopLeft();
    rcBar.OffsetRect(-ptOrigin);
    const HDC hDC = dc.GetSafeHdc();
    ::ExcludeClipRect(hDC, rcClient.left, rcClient.top, rcClient.right, rcClient.bottom);
    if (!m_rcInvalidate.IsRectEmpty())
        ::IntersectClipRect(hDC, m_rcInvalidate.left, m_rcInvalidate.top, m_rcInvalidate.right, m_rcInvalidate.bottom);
    ::IntersectClipRect(hDC, rcBar.left, rcBar.top, rcBar.right, rcBar.bottom);
    const MSG* pMsg = GetCurrentMessage();
    if (UseNcUpdateRegion() && pMsg != nullptr && pMsg->message == WM_NCPAINT && pMsg->wParam > 1) {
        HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
        if (hRgn != nullptr && ::CombineRgn(hRgn, reinterpret_cast<HRGN>(pMsg->wParam), nullptr, RGN_COPY) != ERROR) {
            ::OffsetRgn(hRgn, -ptOrigin.x, -ptOrigin.y);
            ::ExtSelectClipRgn(hDC, hRgn, RGN_AND);
        }
        if (hRgn != nullptr)
            ::DeleteObject(hRgn);
    }
    ::FillRect(hDC, &rcBar, static_cast<HBRUSH>(g_barData.brBarFace.GetSafeHandle()));
    if (IsFloatingBar() || m_cyCaption == 0)
        return;
    DrawGripperStrip(&dc, rcBar, rcClient);
    m_btnHide.Paint(&dc, IsHorzDocked(), m_bExpanded, m_bSingleInRow);
    m_btnExpand.Paint(&dc, IsHorzDocked(), m_bExpanded, m_bSingleInRow);
}

void CBarControlBar::DrawGripperStrip(CDC* pDC, const CRect& rcBar, const CRect& rcClient)
{
    CRect rcGrip = rcBar;
    rcGrip.DeflateRect(1, 1);
    CRect rcGroove;
    if (IsHorzDocked()) {
        rcGrip.top = m_btnExpand.m_ptOrg.y + 17;
        rcGrip.right = rcGrip.left + m_cyCaption;
        rcGrip.DeflateRect(1, 3);
        const int x = rcGrip.CenterPoint().x - 1;
        rcGroove.SetRect(x, rcGrip.top, x + 2, rcGrip.bottom);
    } else {
        rcGrip.left = rcClient.left;
        rcGrip.right = m_btnExpand.m_ptOrg.x - 3;
        rcGrip.bottom = rcGrip.top + m_cyCaption;
        rcGrip.top += 1;
        rcGrip.DeflateRect(3, 0);
        const int y = rcGrip.CenterPoint().y;
        rcGroove.SetRect(rcGrip.left, y, rcGrip.right, y + 2);
    }
    if (rcGroove.Width() > 0 && rcGroove.Height() > 0)
        pDC->Draw3dRect(&rcGroove, g_barData.clrDark, g_barData.clrLight);
}

void CBarControlBar::RepaintButton(const CSCBButton& button)
{
    m_rcInvalidate = button.GetRect();
    SendMessage(WM_NCPAINT, 1);
    m_rcInvalidate.SetRectEmpty();
}

// Caption buttons.

CSCBButton* CBarControlBar::ButtonAt(CPoint point)
{
    CRect rcBar;
    GetWindowRect(&rcBar);
    for (CSCBButton* pButton : {&m_btnHide, &m_btnExpand}) {
        if ((pButton->GetRect() + rcBar.TopLeft()).PtInRect(point))
            return pButton;
    }
    return nullptr;
}

void CBarControlBar::HoverStep()
{
    CPoint point;
    ::GetCursorPos(&point);
    bool bAnyHover = false;
    for (int i = 0; i < 2; ++i) {
        if (m_nPushedButton != -1 && m_nPushedButton != i)
            continue;
        CSCBButton* pButton = ButtonOf(i);
        const BOOL bHover = ButtonAt(point) == pButton;
        if (bHover != pButton->m_bHover) {
            pButton->m_bHover = bHover;
            RepaintButton(*pButton);
        }
        bAnyHover = bAnyHover || bHover;
    }
    if (bAnyHover || m_nPushedButton != -1) {
        SetTimer(kHoverTimer, kHoverElapse);
        m_bHoverTimer = TRUE;
    } else {
        KillTimer(kHoverTimer);
        m_bHoverTimer = FALSE;
    }
}

void CBarControlBar::ReleaseButtons()
{
    if (m_bHoverTimer) {
        KillTimer(kHoverTimer);
        m_bHoverTimer = FALSE;
    }
    for (CSCBButton* pButton : {&m_btnHide, &m_btnExpand}) {
        if (pButton->m_bPushed || pButton->m_bHover) {
            pButton->m_bPushed = FALSE;
            pButton->m_bHover = FALSE;
            RepaintButton(*pButton);
        }
    }
    m_nPushedButton = -1;
}

void CBarControlBar::HandleNcLButtonDown(UINT nHitTest, CPoint point)
{
    if (m_bTracking || IsFloatingBar())
        return;
    if (nHitTest == HTSCB_HIDE || nHitTest == HTSCB_EXPAND) {
        if (nHitTest == HTSCB_EXPAND && m_bSingleInRow)
            return;
        const int nIndex = nHitTest == HTSCB_HIDE ? 0 : 1;
        CSCBButton* pButton = ButtonOf(nIndex);
        pButton->m_bPushed = TRUE;
        pButton->m_bHover = TRUE;
        m_nPushedButton = nIndex;
        RepaintButton(*pButton);
        SetTimer(kHoverTimer, kHoverElapse);
        m_bHoverTimer = TRUE;
        SetCapture();
        return;
    }
    if (nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT) {
        m_ptDown = point;
        BeginResize(nHitTest);
        return;
    }
    if (nHitTest == HTCAPTION && m_pDockContext != nullptr)
        m_pDockContext->StartDrag(point);
}

void CBarControlBar::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    HandleNcLButtonDown(nHitTest, point);
}

void CBarControlBar::OnNcLButtonDblClk(UINT nHitTest, CPoint)
{
    if (m_pDockBar == nullptr || m_pDockContext == nullptr)
        return;
    if ((nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT) || nHitTest == HTSCB_HIDE || nHitTest == HTSCB_EXPAND)
        return;
    m_pDockContext->ToggleDocking();
}

void CBarControlBar::OnNcMouseMove(UINT nHitTest, CPoint point)
{
    if (!m_bTracking && ButtonAt(point) != nullptr)
        HoverStep();
    CBarToolBarBase::OnNcMouseMove(nHitTest, point);
}

void CBarControlBar::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kHoverTimer) {
        HoverStep();
        return;
    }
    CBarToolBarBase::OnTimer(nIDEvent);
}

void CBarControlBar::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_bTracking) {
        ResizeTo(point);
        return;
    }
    if (m_nPushedButton != -1) {
        CPoint ptScreen = point;
        ClientToScreen(&ptScreen);
        if (ButtonAt(ptScreen) == ButtonOf(m_nPushedButton))
            HoverStep();
    }
    CBarToolBarBase::OnMouseMove(nFlags, point);
}

void CBarControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_pDockBar == nullptr) {
        CBarToolBarBase::OnLButtonDown(nFlags, point);
        return;
    }
    ReleaseButtons();
    CRect rcClient;
    GetClientRect(&rcClient);
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    if (rcClient.PtInRect(point)) {
        if (m_pDockContext != nullptr)
            m_pDockContext->StartDrag(ptScreen);
        return;
    }
    HandleNcLButtonDown(static_cast<UINT>(OnNcHitTest(ptScreen)), ptScreen);
}

void CBarControlBar::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_bTracking) {
        EndResize();
        // Which bars of the row now fill it.
        const BOOL bHorz = IsHorzDocked();
        std::vector<CBarControlBar*> row = GetRowSizingBars();
        const LONG nFull = Length(m_szMaxT, bHorz);
        for (CBarControlBar* pBar : row) {
            const BOOL bWas = pBar->m_bExpanded;
            pBar->m_bExpanded = Length(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz) == nFull;
            if (pBar->m_bExpanded && !bWas && Length(pBar->m_szOld, bHorz) == nFull)
                Length(pBar->m_szOld, bHorz) = nFull / static_cast<LONG>(row.size());
            if (pBar->m_bExpanded != bWas) {
                pBar->UpdateExpandTip();
                pBar->RepaintButton(pBar->m_btnExpand);
            }
        }
        return;
    }
    if (m_nPushedButton != -1) {
        CSCBButton* pButton = ButtonOf(m_nPushedButton);
        const int nPushed = m_nPushedButton;
        const BOOL bHover = pButton->m_bHover;
        ::ReleaseCapture();
        pButton->m_bPushed = FALSE;
        pButton->m_bHover = FALSE;
        m_nPushedButton = -1;
        RepaintButton(*pButton);
        if (bHover) {
            if (nPushed == 0) {
                if (m_pDockSite != nullptr)
                    m_pDockSite->ShowControlBar(this, FALSE, FALSE);
            } else {
                try {
                    ToggleExpand();
                } catch (CException* e) {
                    AfxMessageBox("Error");
                    e->Delete();
                }
            }
        }
        return;
    }
    CBarToolBarBase::OnLButtonUp(nFlags, point);
}

void CBarControlBar::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_bTracking) {
        EndResize();
        return;
    }
    CBarToolBarBase::OnRButtonDown(nFlags, point);
}

void CBarControlBar::OnCaptureChanged(CWnd* pWnd)
{
    if (m_bTracking && pWnd != this)
        EndResize();
    ReleaseButtons();
    CBarToolBarBase::OnCaptureChanged(pWnd);
}

// Dragging an edge.

void CBarControlBar::BeginResize(UINT nHitTest)
{
    SetCapture();
    RedrawWindow(nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    const BOOL bHorz = IsHorzDocked();
    m_szOld = CurrentSize();
    m_ptOld = m_ptDown;
    ScreenToClient(&m_ptOld);
    m_htEdge = nHitTest;
    m_bTracking = TRUE;
    int nThis = -1;
    const std::vector<CBarControlBar*> row = GetRowSizingBars(&nThis);
    m_szMinT = m_szMin;
    for (CBarControlBar* pBar : row) {
        if (bHorz)
            m_szMinT.cy = std::max(m_szMinT.cy, pBar->m_szMin.cy);
        else
            m_szMinT.cx = std::max(m_szMinT.cx, pBar->m_szMin.cx);
    }
    const BOOL bAcross = bHorz ? (nHitTest == HTTOP || nHitTest == HTBOTTOM) : (nHitTest == HTLEFT || nHitTest == HTRIGHT);
    CBarControlBar* pNeighbour = nullptr;
    if (!bAcross && nThis >= 0) {
        const int nOther = (nHitTest == HTTOP || nHitTest == HTLEFT) ? nThis - 1 : nThis + 1;
        if (nOther >= 0 && nOther < static_cast<int>(row.size()))
            pNeighbour = row[static_cast<size_t>(nOther)];
    }
    if (pNeighbour != nullptr) {
        const CSize szNeighbour = bHorz ? pNeighbour->m_szHorz : pNeighbour->m_szVert;
        m_szMaxT = m_szOld + szNeighbour - pNeighbour->m_szMin;
    } else {
        // Across the row: as far as the space the view keeps.
        CRect rcFree(0, 0, 0, 0);
        if (m_pDockSite != nullptr) {
            m_pDockSite->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rcFree, nullptr, TRUE);
            m_pDockSite->SendMessage(WM_IDLEUPDATECMDUI);
        }
        m_szMaxT = m_szOld + rcFree.Size() - CSize(4, 4);
    }
    m_szMaxT.cx = std::max(m_szMaxT.cx, m_szMinT.cx);
    m_szMaxT.cy = std::max(m_szMaxT.cy, m_szMinT.cy);
    DrawResizeTracker();
}

void CBarControlBar::ResizeTo(CPoint point)
{
    if (point == m_ptOld)
        return;
    const BOOL bHorz = IsHorzDocked();
    CSize size = m_szOld;
    const int dx = point.x - m_ptOld.x;
    const int dy = point.y - m_ptOld.y;
    switch (m_htEdge) {
    case HTLEFT:
        size.cx -= dx;
        break;
    case HTRIGHT:
        size.cx += dx;
        break;
    case HTTOP:
        size.cy -= dy;
        break;
    default:
        size.cy += dy;
        break;
    }
    size.cx = std::clamp(size.cx, m_szMinT.cx, m_szMaxT.cx);
    size.cy = std::clamp(size.cy, m_szMinT.cy, m_szMaxT.cy);
    DrawResizeTracker();
    CSize& current = CurrentSize();
    const CSize previous = current;
    current = size;
    int nThis = -1;
    const std::vector<CBarControlBar*> row = GetRowSizingBars(&nThis);
    const BOOL bAcross = bHorz ? (m_htEdge == HTTOP || m_htEdge == HTBOTTOM) : (m_htEdge == HTLEFT || m_htEdge == HTRIGHT);
    if (bAcross) {
        for (CBarControlBar* pBar : row)
            Thickness(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz) = Thickness(size, bHorz);
    } else if (nThis >= 0) {
        const int nOther = (m_htEdge == HTTOP || m_htEdge == HTLEFT) ? nThis - 1 : nThis + 1;
        if (nOther >= 0 && nOther < static_cast<int>(row.size())) {
            CBarControlBar* pNeighbour = row[static_cast<size_t>(nOther)];
            CSize previousCopy = previous;
            Length(bHorz ? pNeighbour->m_szHorz : pNeighbour->m_szVert, bHorz) -=
                Length(size, bHorz) - Length(previousCopy, bHorz);
        }
    }
    DrawResizeTracker();
}

void CBarControlBar::DrawResizeTracker()
{
    if (m_pDockSite == nullptr || m_pDockBar == nullptr)
        return;
    CRect rcBar;
    GetWindowRect(&rcBar);
    CRect rcTrack;
    if (!GetEdgeRect(rcBar, m_htEdge, rcTrack))
        return;
    const BOOL bHorz = IsHorzDocked();
    const BOOL bAcross = bHorz ? (m_htEdge == HTTOP || m_htEdge == HTBOTTOM) : (m_htEdge == HTLEFT || m_htEdge == HTRIGHT);
    if (bAcross) {
        CRect rcDock;
        m_pDockBar->GetWindowRect(&rcDock);
        if (bHorz) {
            rcTrack.left = rcDock.left + 1;
            rcTrack.right = rcDock.right - 1;
        } else {
            rcTrack.top = rcDock.top + 1;
            rcTrack.bottom = rcDock.bottom - 1;
        }
    }
    const CSize change = CurrentSize() - m_szOld;
    switch (m_htEdge) {
    case HTLEFT:
        rcTrack.OffsetRect(-change.cx, 0);
        break;
    case HTRIGHT:
        rcTrack.OffsetRect(change.cx, 0);
        break;
    case HTTOP:
        rcTrack.OffsetRect(0, -change.cy);
        break;
    default:
        rcTrack.OffsetRect(0, change.cy);
        break;
    }
    CRect rcSite;
    m_pDockSite->GetWindowRect(&rcSite);
    rcTrack.OffsetRect(-rcSite.TopLeft());
    HDC hDC = ::GetDCEx(m_pDockSite->m_hWnd, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (hDC == nullptr)
        return;
    InvertRect(hDC, rcTrack);
    ::ReleaseDC(m_pDockSite->m_hWnd, hDC);
}

void CBarControlBar::EndResize()
{
    DrawResizeTracker();
    m_bTracking = FALSE;
    if (CWnd::GetCapture() == this)
        ::ReleaseCapture();
    if (m_pDockSite != nullptr)
        m_pDockSite->DelayRecalcLayout();
}
