// The docking half of CFrameWnd: dock bars, floating frames, showing bars and the saved layout.
#include "framework/CDockBar.h"
#include "framework/CDockContext.h"
#include "framework/CDockState.h"
#include "framework/CException.h"
#include "framework/CFrameWnd.h"
#include "framework/CMiniDockFrameWnd.h"

#include <algorithm>
#include <memory>

namespace {

struct DockSide
{
    UINT nID;
    DWORD dwStyle;
};

// The sides in the order docking walks them.
const DockSide kDockSides[] = {
    {AFX_IDW_DOCKBAR_TOP, CBRS_TOP},
    {AFX_IDW_DOCKBAR_BOTTOM, CBRS_BOTTOM},
    {AFX_IDW_DOCKBAR_LEFT, CBRS_LEFT},
    {AFX_IDW_DOCKBAR_RIGHT, CBRS_RIGHT},
};

// A floating frame keeps at least this much of itself on the work area.
constexpr int kMinOnScreen = 32;

CPoint KeepOnWorkArea(CPoint pt)
{
    CRect work;
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || work.IsRectEmpty())
        work.SetRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    pt.x = std::max(static_cast<LONG>(work.left), std::min(pt.x, static_cast<LONG>(work.right - kMinOnScreen)));
    pt.y = std::max(static_cast<LONG>(work.top), std::min(pt.y, static_cast<LONG>(work.bottom - kMinOnScreen)));
    return pt;
}

} // namespace

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (std::find(m_listControlBars.begin(), m_listControlBars.end(), pBar) == m_listControlBars.end())
        m_listControlBars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    m_listControlBars.erase(std::remove(m_listControlBars.begin(), m_listControlBars.end(), pBar),
                            m_listControlBars.end());
}

CControlBar* CFrameWnd::GetControlBar(UINT nID)
{
    if (nID == 0)
        return nullptr;
    for (CControlBar* pBar : m_listControlBars) {
        if (pBar->m_hWnd != nullptr && static_cast<UINT>(pBar->GetDlgCtrlID()) == nID)
            return pBar;
    }
    return nullptr;
}

void CFrameWnd::EnableDocking(DWORD dwDockStyle)
{
    m_pFloatingFrameClass = RUNTIME_CLASS(CMiniDockFrameWnd);
    for (const DockSide& side : kDockSides) {
        if ((side.dwStyle & dwDockStyle & CBRS_ALIGN_ANY) == 0 || GetControlBar(side.nID) != nullptr)
            continue;
        auto pDock = std::make_unique<CDockBar>();
        if (!pDock->Create(this, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CHILD | WS_VISIBLE | side.dwStyle, side.nID))
            AfxThrowResourceException();
        pDock->m_bAutoDelete = TRUE; // the window owns it from now on
        pDock.release();
    }
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect)
{
    CControlBar* pCandidate = nDockBarID != 0 ? GetControlBar(nDockBarID) : nullptr;
    CDockBar* pDockBar = pCandidate != nullptr && pCandidate->IsDockBar() ? static_cast<CDockBar*>(pCandidate) : nullptr;
    DockControlBar(pBar, pDockBar, lpRect);
}

void CFrameWnd::DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect)
{
    if (pBar == nullptr || pBar->m_hWnd == nullptr)
        return;
    if (pDockBar == nullptr) {
        // The side the bar is aligned to, else the first side it may take.
        const DWORD dwAlign = pBar->GetBarStyle() & CBRS_ALIGN_ANY;
        for (int pass = 0; pass < 2 && pDockBar == nullptr; ++pass) {
            for (const DockSide& side : kDockSides) {
                const bool bMatch = pass == 0 ? (side.dwStyle & CBRS_ALIGN_ANY) == dwAlign
                                              : (side.dwStyle & pBar->m_dwDockStyle & CBRS_ALIGN_ANY) != 0;
                CControlBar* pCandidate = bMatch ? GetControlBar(side.nID) : nullptr;
                if (pCandidate != nullptr && pCandidate->IsDockBar()) {
                    pDockBar = static_cast<CDockBar*>(pCandidate);
                    break;
                }
            }
        }
    }
    if (pDockBar != nullptr)
        pDockBar->DockControlBar(pBar, lpRect);
}

void CFrameWnd::ReDockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect)
{
    if (pDockBar == nullptr) {
        DockControlBar(pBar, pDockBar, lpRect);
        return;
    }
    pDockBar->ReDockControlBar(pBar, lpRect);
}

CMiniDockFrameWnd* CFrameWnd::CreateFloatingFrame(DWORD dwStyle)
{
    CRuntimeClass* pClass = m_pFloatingFrameClass != nullptr ? m_pFloatingFrameClass : RUNTIME_CLASS(CMiniDockFrameWnd);
    std::unique_ptr<CObject> pObject(pClass->CreateObject());
    auto* pFrame = dynamic_cast<CMiniDockFrameWnd*>(pObject.get());
    if (pFrame == nullptr)
        AfxThrowResourceException();
    pObject.release();
    // From here on the frame's window owns it (it deletes itself when it is destroyed).
    if (!pFrame->Create(this, dwStyle))
        AfxThrowResourceException();
    return pFrame;
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle)
{
    if (pBar == nullptr || pBar->m_hWnd == nullptr)
        return;
    point = KeepOnWorkArea(point);
    if (pBar->m_pDockContext != nullptr) {
        pBar->m_pDockContext->m_ptMRUFloatPos = point;
        pBar->m_pDockContext->m_dwMRUFloatStyle = dwStyle;
    }
    if (pBar->IsFloating()) {
        CFrameWnd* pFrame = pBar->m_pDockBar->GetParentFrame();
        pFrame->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        pFrame->RecalcLayout(TRUE);
        return;
    }
    if ((pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) != 0) {
        dwStyle |= CBRS_SIZE_DYNAMIC;
        if ((dwStyle & CBRS_ORIENT_VERT) != 0) {
            dwStyle &= ~static_cast<DWORD>(CBRS_ALIGN_ANY);
            dwStyle |= CBRS_ALIGN_TOP;
        }
    }
    CMiniDockFrameWnd* pFrame = CreateFloatingFrame(dwStyle);
    pFrame->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pFrame->m_wndDockBar.DockControlBar(pBar);
    pFrame->RecalcLayout(TRUE);
    if ((pBar->GetStyle() & WS_VISIBLE) != 0) {
        pFrame->ShowWindow(SW_SHOWNA);
        pFrame->UpdateWindow();
    }
    DelayRecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay)
{
    if (pBar == nullptr || pBar->m_hWnd == nullptr)
        return;
    CFrameWnd* pParentFrame = pBar->GetDockingFrame();
    if (bDelay) {
        pBar->DelayShow(bShow);
        if (pParentFrame != nullptr)
            pParentFrame->DelayRecalcLayout();
    } else {
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                               (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        pBar->m_nStateFlags &= ~static_cast<UINT>(CControlBar::delayHide | CControlBar::delayShow);
        if (pParentFrame != nullptr)
            pParentFrame->RecalcLayout(); // a floating frame hides with its last bar
    }
    // A floating frame shows with its first bar.
    if (bShow && pBar->IsFloating() && pParentFrame != nullptr && !pParentFrame->IsWindowVisible())
        pParentFrame->ShowWindow(SW_SHOWNA);
}

CDockBar* CFrameWnd::CanDock(const CRect& rect, DWORD dwDockStyle)
{
    dwDockStyle &= CBRS_ALIGN_ANY;
    for (const DockSide& side : kDockSides) {
        CControlBar* pCandidate = (side.dwStyle & dwDockStyle) != 0 ? GetControlBar(side.nID) : nullptr;
        if (pCandidate == nullptr || !pCandidate->IsDockBar() || !pCandidate->IsWindowVisible())
            continue;
        CRect rectBar;
        pCandidate->GetWindowRect(&rectBar);
        // An empty dock bar is still a line along the frame's edge.
        if (rectBar.Width() == 0)
            rectBar.right++;
        if (rectBar.Height() == 0)
            rectBar.bottom++;
        CRect rectHit;
        if (rectHit.IntersectRect(&rectBar, &rect))
            return static_cast<CDockBar*>(pCandidate);
    }
    return nullptr;
}

void CFrameWnd::DelayRecalcLayout(BOOL bNotify)
{
    m_nIdleFlags |= idleLayout | (bNotify ? idleNotify : 0);
}

void CFrameWnd::GetDockState(CDockState& state)
{
    state.Clear();
    for (CControlBar* pBar : m_listControlBars) {
        if (pBar->m_hWnd == nullptr)
            continue;
        CControlBarInfo info;
        pBar->GetBarInfo(&info);
        // A dock bar without bars has nothing to restore.
        if (info.m_bDockBar &&
            std::none_of(info.m_arrBarID.begin(), info.m_arrBarID.end(), [](UINT nID) { return nID != 0; }))
            continue;
        info.m_pBar = nullptr;
        state.m_arrBarInfo.push_back(info);
    }
    state.m_sizeDevice = CSize(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

void CFrameWnd::SetDockState(CDockState& state)
{
    state.ScaleToScreen();
    // Floating frames of the stored layout are made first, so that their bars have a place.
    std::vector<std::pair<CMiniDockFrameWnd*, HWND>> floating;
    for (CControlBarInfo& info : state.m_arrBarInfo) {
        info.m_pBar = nullptr;
        if (info.m_bFloating) {
            CMiniDockFrameWnd* pFrame = CreateFloatingFrame(info.m_bHorz ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT);
            const CPoint pt = KeepOnWorkArea(info.m_pointPos);
            pFrame->SetWindowPos(nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            info.m_pBar = &pFrame->m_wndDockBar;
            floating.emplace_back(pFrame, pFrame->m_hWnd);
        } else {
            info.m_pBar = GetControlBar(info.m_nBarID);
        }
    }
    // Dock bars take their bars, then each bar takes its own state.
    for (CControlBarInfo& info : state.m_arrBarInfo) {
        if (info.m_pBar != nullptr && info.m_pBar->IsDockBar())
            info.m_pBar->SetBarInfo(&info, this);
    }
    for (CControlBarInfo& info : state.m_arrBarInfo) {
        if (info.m_pBar != nullptr && !info.m_pBar->IsDockBar())
            info.m_pBar->SetBarInfo(&info, this);
    }
    // A bar that no record placed docks again where its frame would put it.
    for (CControlBar* pBar : std::vector<CControlBar*>(m_listControlBars)) {
        if (!pBar->IsDockBar() && pBar->m_pDockContext != nullptr && pBar->m_pDockBar == nullptr)
            DockControlBar(pBar);
    }
    for (const auto& [pFrame, hWnd] : floating) {
        // A frame that lost its bars to a later record has ended already.
        if (!::IsWindow(hWnd) || CWnd::FromHandlePermanent(hWnd) != pFrame)
            continue;
        if (pFrame->m_wndDockBar.GetDockedCount() == 0) {
            pFrame->DestroyWindow();
            continue;
        }
        pFrame->RecalcLayout();
        if (pFrame->m_wndDockBar.GetDockedVisibleCount() > 0)
            pFrame->ShowWindow(SW_SHOWNA);
    }
    for (CControlBarInfo& info : state.m_arrBarInfo)
        info.m_pBar = nullptr;
    RecalcLayout();
}

void CFrameWnd::LoadBarState(LPCSTR lpszProfileName)
{
    CDockState state;
    state.LoadState(lpszProfileName);
    SetDockState(state);
}

void CFrameWnd::SaveBarState(LPCSTR lpszProfileName)
{
    CDockState state;
    GetDockState(state);
    state.SaveState(lpszProfileName);
}
