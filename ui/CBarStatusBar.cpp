#include "ui/CBarStatusBar.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CBarStatusBarPaneControlInfo, CObject)
IMPLEMENT_DYNAMIC(CBarStatusBar, CStatusBar)

BEGIN_MESSAGE_MAP(CBarStatusBar, CStatusBar)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CBarStatusBar::CBarStatusBar() = default;

CBarStatusBar::~CBarStatusBar()
{
    for (auto& pInfo : m_arrControls)
        FreeControl(pInfo);
}

void CBarStatusBar::FreeControl(std::unique_ptr<CBarStatusBarPaneControlInfo>& pInfo)
{
    if (pInfo == nullptr)
        return;
    if (pInfo->m_bAutoDelete && pInfo->m_pWnd != nullptr) {
        if (pInfo->m_pWnd->m_hWnd != nullptr)
            pInfo->m_pWnd->DestroyWindow();
        delete pInfo->m_pWnd; // handed over with AddControl(..., TRUE)
    }
    pInfo.reset();
}

void CBarStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CStatusBar::OnSize(nType, cx, cy);
    PositionControls();
}

void CBarStatusBar::PositionControls()
{
    if (m_hWnd == nullptr)
        return;
    int borders[3] = {0, 0, 0}; // horizontal, vertical, between panes
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    for (const auto& pInfo : m_arrControls) {
        const int nIndex = CommandToIndex(pInfo->m_nPaneID);
        if (nIndex < 0 || pInfo->m_pWnd == nullptr || pInfo->m_pWnd->m_hWnd == nullptr)
            continue;
        CRect rect;
        GetItemRect(nIndex, &rect);
        if ((GetPaneStyle(nIndex) & 1) == 0)
            rect.DeflateRect(borders[0] + borders[2], borders[1]);
        pInfo->m_pWnd->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                                    SWP_NOZORDER | SWP_NOACTIVATE);
        pInfo->m_pWnd->Invalidate();
    }
}

CBarStatusBarPaneControlInfo* CBarStatusBar::GetPaneControl(UINT nPaneID)
{
    for (const auto& pInfo : m_arrControls) {
        if (pInfo->m_nPaneID == nPaneID)
            return pInfo.get();
    }
    return nullptr;
}

BOOL CBarStatusBar::AddControl(CWnd* pWnd, UINT nPaneID, BOOL bAutoDelete)
{
    if (pWnd == nullptr || GetPaneControl(nPaneID) != nullptr || CommandToIndex(nPaneID) < 0)
        return FALSE;
    auto pInfo = std::make_unique<CBarStatusBarPaneControlInfo>();
    pInfo->m_pWnd = pWnd;
    pInfo->m_nPaneID = nPaneID;
    pInfo->m_bAutoDelete = bAutoDelete;
    m_arrControls.push_back(std::move(pInfo));
    PositionControls();
    Invalidate();
    return TRUE;
}

void CBarStatusBar::SetPaneWidth(int nIndex, int cxWidth)
{
    UINT nID = 0;
    UINT nStyle = 0;
    int cxOld = 0;
    GetPaneInfo(nIndex, nID, nStyle, cxOld);
    SetPaneInfo(nIndex, nID, nStyle, cxWidth);
}

BOOL CBarStatusBar::GetPaneInfoEx(int nIndex, CBarStatusBarPane* pPane)
{
    if (pPane == nullptr || nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    GetPaneInfo(nIndex, pPane->m_nID, pPane->m_nStyle, pPane->m_cxText);
    pPane->m_strText = GetPaneText(nIndex);
    return TRUE;
}

std::vector<CBarStatusBarPane> CBarStatusBar::CopyPanes()
{
    std::vector<CBarStatusBarPane> panes(static_cast<size_t>(GetCount()));
    for (int i = 0; i < GetCount(); ++i)
        GetPaneInfoEx(i, &panes[static_cast<size_t>(i)]);
    return panes;
}

void CBarStatusBar::ApplyPanes(const std::vector<CBarStatusBarPane>& panes)
{
    std::vector<UINT> ids;
    for (const CBarStatusBarPane& pane : panes)
        ids.push_back(pane.m_nID);
    SetIndicators(ids.data(), static_cast<int>(ids.size()));
    SetRedraw(FALSE);
    for (size_t i = 0; i < panes.size(); ++i)
        SetPaneInfo(static_cast<int>(i), panes[i].m_nID, panes[i].m_nStyle, panes[i].m_cxText);
    for (size_t i = 0; i < panes.size(); ++i)
        SetPaneText(static_cast<int>(i), panes[i].m_strText);
    SetRedraw(TRUE);
    PositionControls();
    Invalidate();
}

BOOL CBarStatusBar::AddIndicator(int nIndex, UINT nPaneID)
{
    std::vector<CBarStatusBarPane> panes = CopyPanes();
    // An index past the end appends; below 0 inserts in front.
    const int nCount = static_cast<int>(panes.size());
    nIndex = std::clamp(nIndex, 0, nCount);
    if (CommandToIndex(nPaneID) >= 0)
        return FALSE;
    CBarStatusBarPane pane;
    pane.m_nID = nPaneID;
    pane.m_nStyle = 0;
    pane.m_cxText = kNewPaneWidth;
    panes.insert(panes.begin() + nIndex, pane);
    ApplyPanes(panes);
    return TRUE;
}

void CBarStatusBar::RemoveIndicator(UINT nPaneID)
{
    SetRedraw(FALSE);
    auto it = std::find_if(m_arrControls.begin(), m_arrControls.end(),
                           [nPaneID](const auto& pInfo) { return pInfo->m_nPaneID == nPaneID; });
    if (it != m_arrControls.end()) {
        FreeControl(*it);
        m_arrControls.erase(it);
    }
    std::vector<CBarStatusBarPane> panes = CopyPanes();
    panes.erase(std::remove_if(panes.begin(), panes.end(),
                               [nPaneID](const CBarStatusBarPane& pane) { return pane.m_nID == nPaneID; }),
                panes.end());
    ApplyPanes(panes);
}
