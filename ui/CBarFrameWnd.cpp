#include "ui/CBarFrameWnd.h"

#include "ui/CBarControlBar.h"
#include "ui/CBarDockBar.h"
#include "ui/CBarMiniDockFrameWnd.h"

#include <memory>
#include <vector>

IMPLEMENT_DYNAMIC(CBarFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CBarFrameWnd, CFrameWnd)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

namespace {

struct DockSide
{
    UINT nID;
    DWORD dwAlign;
    DWORD dwStyle;
};

const DockSide kSides[] = {
    {AFX_IDW_DOCKBAR_TOP, CBRS_ALIGN_TOP, CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM},
    {AFX_IDW_DOCKBAR_BOTTOM, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP},
    {AFX_IDW_DOCKBAR_LEFT, CBRS_ALIGN_LEFT, CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT},
    {AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_RIGHT, CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT},
};

} // namespace

BOOL CBarFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    return CFrameWnd::PreCreateWindow(cs);
}

BOOL CBarFrameWnd::PreCreateWindowWithIcon(CREATESTRUCTA& cs, WORD wIconId)
{
    HICON hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(wIconId));
    cs.lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, hIcon);
    return CFrameWnd::PreCreateWindow(cs);
}

void CBarFrameWnd::OnClose()
{
    SetActiveView(nullptr, TRUE);
    CFrameWnd::OnClose();
}

void CBarFrameWnd::EnableDocking(DWORD dwDockStyle)
{
    EnableBarDocking(*this, dwDockStyle);
}

void CBarFrameWnd::EnableBarDocking(CFrameWnd& frame, DWORD dwDockStyle)
{
    frame.CFrameWnd::EnableDocking(dwDockStyle);
    frame.m_pFloatingFrameClass = RUNTIME_CLASS(CBarMiniDockFrameWnd);
    for (const DockSide& side : kSides) {
        if ((side.dwAlign & dwDockStyle & CBRS_ALIGN_ANY) == 0)
            continue;
        if (CControlBar* pOld = frame.GetControlBar(side.nID)) {
            frame.RemoveControlBar(pOld);
            pOld->m_pDockSite = nullptr;
            const BOOL bAutoDelete = pOld->m_bAutoDelete;
            pOld->DestroyWindow();
            if (!bAutoDelete)
                delete pOld;
        }
        auto pDock = std::make_unique<CBarDockBar>();
        if (!pDock->Create(&frame, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | side.dwStyle, side.nID))
            AfxThrowResourceException();
        pDock->m_bAutoDelete = TRUE; // the window owns it from now on
        pDock.release();
    }
}

BOOL CBarFrameWnd::IsBarStateValid(LPCSTR lpszSection)
{
    return IsBarStateValidFor(*this, lpszSection);
}

BOOL CBarFrameWnd::IsBarStateValidFor(CFrameWnd& frame, LPCSTR lpszSection)
{
    CDockState state;
    state.LoadState(lpszSection);
    return IsBarStateValidFor(frame, state);
}

BOOL CBarFrameWnd::IsBarStateValidFor(CFrameWnd& frame, const CDockState& state)
{
    for (const CControlBarInfo& info : state.m_arrBarInfo) {
        for (UINT nID : info.m_arrBarID) {
            if (nID == 0)
                continue;
            if (nID > 0xFFFF)
                nID &= 0xFFFF;
            if (frame.GetControlBar(nID) == nullptr)
                return FALSE;
        }
        if (!info.m_bFloating && frame.GetControlBar(info.m_nBarID) == nullptr)
            return FALSE;
    }
    return TRUE;
}

void CBarFrameWnd::LoadBarState(LPCSTR lpszSection)
{
    LoadBarStateOf(*this, lpszSection);
}

void CBarFrameWnd::LoadBarStateOf(CFrameWnd& frame, LPCSTR lpszSection)
{
    // A layout naming a bar that no longer exists is left alone as a whole. It is read once:
    // the check and the docking take the same record.
    CDockState state;
    state.LoadState(lpszSection);
    if (!IsBarStateValidFor(frame, state))
        return;
    frame.SetDockState(state);
    CBarControlBar::LoadAllSizes(lpszSection);
    // The loaded sizes apply to the floating frames as well as to the docked rows.
    for (CControlBar* pBar : std::vector<CControlBar*>(frame.m_listControlBars)) {
        if (pBar->IsFloating())
            pBar->GetParentFrame()->RecalcLayout();
    }
    frame.RecalcLayout();
}

void CBarFrameWnd::SaveBarState(LPCSTR lpszSection)
{
    SaveBarStateOf(*this, lpszSection);
}

void CBarFrameWnd::SaveBarStateOf(CFrameWnd& frame, LPCSTR lpszSection)
{
    frame.CFrameWnd::SaveBarState(lpszSection);
    CBarControlBar::SaveAllSizes(lpszSection);
}

void CBarFrameWnd::DockControlBarBeside(CControlBar* pBar, CControlBar* pNeighbour)
{
    RecalcLayout(TRUE);
    CRect rect;
    pNeighbour->GetWindowRect(&rect);
    rect.OffsetRect(1, 0);
    const DWORD dwStyle = pNeighbour->GetBarStyle();
    UINT nID = 0;
    if ((dwStyle & CBRS_ALIGN_TOP) != 0)
        nID = AFX_IDW_DOCKBAR_TOP;
    else if ((dwStyle & CBRS_ALIGN_BOTTOM) != 0)
        nID = AFX_IDW_DOCKBAR_BOTTOM;
    else if ((dwStyle & CBRS_ALIGN_LEFT) != 0)
        nID = AFX_IDW_DOCKBAR_LEFT;
    else if ((dwStyle & CBRS_ALIGN_RIGHT) != 0)
        nID = AFX_IDW_DOCKBAR_RIGHT;
    DockControlBar(pBar, nID, &rect);
}
