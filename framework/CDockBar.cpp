#include "framework/CDockBar.h"

#include "framework/CDockContext.h"
#include "framework/CDockState.h"
#include "framework/CFrameWnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

BEGIN_MESSAGE_MAP(CDockBar, CControlBar)
    ON_MESSAGE(WM_SIZEPARENT, &CDockBar::OnSizeParent)
END_MESSAGE_MAP()

namespace {

bool IsPlaceHolder(const void* pVoid)
{
    const UINT_PTR value = reinterpret_cast<UINT_PTR>(pVoid);
    return value != 0 && value <= 0xFFFF;
}

void* PlaceHolderOf(const CControlBar* pBar)
{
    return reinterpret_cast<void*>(static_cast<UINT_PTR>(pBar->GetDlgCtrlID() & 0xFFFF));
}

// Moves a window inside a deferred positioning, when it is not there already.
void RepositionWindow(AFX_SIZEPARENTPARAMS& layout, HWND hWnd, const CRect& rect)
{
    if (layout.hDWP != nullptr)
        layout.hDWP = ::DeferWindowPos(layout.hDWP, hWnd, nullptr, rect.left, rect.top, rect.Width(),
                                       rect.Height(), SWP_NOACTIVATE | SWP_NOZORDER);
    else
        ::SetWindowPos(hWnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                       SWP_NOACTIVATE | SWP_NOZORDER);
}

} // namespace

CDockBar::CDockBar(BOOL bFloating) : m_bFloating(bFloating)
{
    m_cxLeftBorder = 0;
    m_cyTopBorder = 0;
    m_cxRightBorder = 0;
    m_cyBottomBorder = 0;
    m_arrBars.Add(static_cast<void*>(nullptr)); // the list begins with a row end
}

BOOL CDockBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    DWORD dwBarStyle = 0;
    const DWORD dwWndStyle = SplitBarStyle(dwStyle, dwBarStyle);
    m_dwStyle = dwBarStyle;
    LPCSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return CWnd::CreateEx(0, lpszClass, nullptr, dwWndStyle | WS_CHILD, CRect(0, 0, 0, 0), pParentWnd, nID);
}

LRESULT CDockBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (ForwardToOwner(message, wParam, lParam, lResult))
        return lResult;
    return CControlBar::WindowProc(message, wParam, lParam);
}

LRESULT CDockBar::OnSizeParent(WPARAM wParam, LPARAM lParam)
{
    // The free rectangle and whether this is only a query hold for this layout only.
    const auto* pLayout = reinterpret_cast<const AFX_SIZEPARENTPARAMS*>(lParam);
    const BOOL bQuery = m_bLayoutQuery;
    const CRect rectLayout = m_rectLayout;
    m_bLayoutQuery = pLayout->hDWP == nullptr;
    m_rectLayout = pLayout->rect;
    const LRESULT lResult = CControlBar::OnSizeParent(wParam, lParam);
    m_bLayoutQuery = bQuery;
    m_rectLayout = rectLayout;
    return lResult;
}

CControlBar* CDockBar::GetDockedControlBar(int nPos) const
{
    if (nPos < 0 || nPos >= m_arrBars.GetSize())
        return nullptr;
    void* pVoid = m_arrBars[nPos];
    if (pVoid == nullptr || IsPlaceHolder(pVoid))
        return nullptr;
    return static_cast<CControlBar*>(pVoid);
}

int CDockBar::GetDockedCount() const
{
    int nCount = 0;
    for (int i = 0; i < m_arrBars.GetSize(); ++i)
        nCount += GetDockedControlBar(i) != nullptr ? 1 : 0;
    return nCount;
}

int CDockBar::GetDockedVisibleCount() const
{
    int nCount = 0;
    for (int i = 0; i < m_arrBars.GetSize(); ++i) {
        const CControlBar* pBar = GetDockedControlBar(i);
        nCount += pBar != nullptr && pBar->IsVisible() ? 1 : 0;
    }
    return nCount;
}

int CDockBar::FindBar(const CControlBar* pBar, int nPosExclude) const
{
    for (int i = 0; i < m_arrBars.GetSize(); ++i) {
        if (i != nPosExclude && m_arrBars[i] == pBar)
            return i;
    }
    return -1;
}

void CDockBar::GetRowBounds(int nPos, int& nFirst, int& nLast) const
{
    nFirst = nPos;
    while (nFirst > 0 && m_arrBars[nFirst - 1] != nullptr)
        --nFirst;
    nLast = nPos;
    while (nLast + 1 < m_arrBars.GetSize() && m_arrBars[nLast + 1] != nullptr)
        ++nLast;
}

CSize CDockBar::GetMaxExtent() const
{
    if (!m_rectLayout.IsRectEmpty())
        return m_rectLayout.Size();
    CRect rectFrame;
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->GetClientRect(&rectFrame);
    return rectFrame.Size();
}

CPoint CDockBar::GetRowOrigin() const
{
    return CPoint(-2 * ::GetSystemMetrics(SM_CXBORDER), -2 * ::GetSystemMetrics(SM_CYBORDER));
}

CSize CDockBar::GetBarOverlap(CControlBar*) const
{
    return CSize(2 * ::GetSystemMetrics(SM_CXBORDER), 2 * ::GetSystemMetrics(SM_CYBORDER));
}

CSize CDockBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    return LayoutRows(bStretch, bHorz);
}

CSize CDockBar::LayoutRows(BOOL bStretch, BOOL bHorz)
{
    CSize sizeFixed = CControlBar::CalcFixedLayout(bStretch, bHorz);
    const CSize sizeMax = GetMaxExtent();
    AFX_SIZEPARENTPARAMS layout = {};
    layout.hDWP = m_bLayoutQuery ? nullptr : ::BeginDeferWindowPos(static_cast<int>(m_arrBars.GetSize()));
    const CPoint origin = GetRowOrigin();
    CPoint pt = origin;
    int nWidth = 0;       // the thickness of the current row
    int nLastOverlap = 0; // the overlap of the last bar laid out in the row
    BOOL bWrapped = FALSE;
    for (int nPos = 0; nPos < m_arrBars.GetSize(); ++nPos) {
        CControlBar* pBar = GetDockedControlBar(nPos);
        void* pVoid = m_arrBars[nPos];
        if (pBar != nullptr) {
            if (pBar->IsVisible()) {
                const CSize overlap = GetBarOverlap(pBar);
                DWORD dwMode = 0;
                if ((pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) != 0 && (pBar->GetBarStyle() & CBRS_FLOATING) != 0)
                    dwMode = LM_HORZ | LM_MRUWIDTH;
                else if ((pBar->GetBarStyle() & CBRS_ORIENT_HORZ) != 0)
                    dwMode = LM_HORZ | LM_HORZDOCK;
                else
                    dwMode = LM_VERTDOCK;
                const CSize sizeBar = pBar->CalcDynamicLayout(-1, dwMode);
                CRect rect(pt, sizeBar);
                CRect rectBar;
                pBar->GetWindowRect(&rectBar);
                ScreenToClient(&rectBar);
                // Along the row: x for horizontal rows, y for vertical ones.
                const int along = bHorz ? overlap.cx : overlap.cy;
                const int limit = bHorz ? sizeMax.cx : sizeMax.cy;
                auto lead = [&](const CRect& r) { return bHorz ? r.left : r.top; };
                auto trail = [&](const CRect& r) { return bHorz ? r.right : r.bottom; };
                auto shift = [&](CRect& r, int d) { bHorz ? r.OffsetRect(d, 0) : r.OffsetRect(0, d); };
                if (lead(rectBar) > lead(rect) && !m_bFloating)
                    shift(rect, lead(rectBar) - lead(rect));
                if (trail(rect) > limit && !m_bFloating) {
                    const int length = (bHorz ? rect.Width() : rect.Height()) - along;
                    const int start = std::max(limit - length, static_cast<int>(bHorz ? pt.x : pt.y));
                    shift(rect, start - lead(rect));
                }
                if (bWrapped) {
                    bWrapped = FALSE;
                    shift(rect, -(lead(rect) + along));
                } else if (lead(rect) >= limit - along && nPos > 0 && m_arrBars[nPos - 1] != nullptr) {
                    // Nothing of the bar would show: it starts the next row.
                    m_arrBars.InsertAt(nPos, static_cast<void*>(nullptr));
                    pBar = nullptr;
                    pVoid = nullptr;
                    bWrapped = TRUE;
                }
                if (!bWrapped) {
                    if (rect != rectBar) {
                        if (!m_bLayoutQuery && (pBar->GetBarStyle() & CBRS_FLOATING) == 0 &&
                            pBar->m_pDockContext != nullptr)
                            pBar->m_pDockContext->m_rectMRUDockPos = rect;
                        RepositionWindow(layout, pBar->m_hWnd, rect);
                    }
                    if (bHorz) {
                        pt.x = rect.left + sizeBar.cx - overlap.cx;
                        nWidth = std::max(nWidth, static_cast<int>(sizeBar.cy));
                        nLastOverlap = overlap.cy;
                    } else {
                        pt.y = rect.top + sizeBar.cy - overlap.cy;
                        nWidth = std::max(nWidth, static_cast<int>(sizeBar.cx));
                        nLastOverlap = overlap.cx;
                    }
                }
            }
            if (pBar != nullptr)
                pBar->RecalcDelayShow(&layout);
        }
        if (pBar == nullptr && pVoid == nullptr && nWidth != 0) {
            // The end of a row: the next one starts below (or beside) it.
            if (bHorz) {
                pt.y += nWidth - nLastOverlap;
                sizeFixed.cx = std::max(sizeFixed.cx, pt.x);
                sizeFixed.cy = std::max(sizeFixed.cy, pt.y);
                pt.x = origin.x;
            } else {
                pt.x += nWidth - nLastOverlap;
                sizeFixed.cx = std::max(sizeFixed.cx, pt.x);
                sizeFixed.cy = std::max(sizeFixed.cy, pt.y);
                pt.y = origin.y;
            }
            nWidth = 0;
        }
    }
    if (layout.hDWP != nullptr)
        ::EndDeferWindowPos(layout.hDWP);
    // The dock bar's own borders; an empty side stays empty.
    CRect rect(0, 0, 0, 0);
    CalcInsideRect(rect, bHorz);
    if ((!bStretch || !bHorz) && sizeFixed.cx != 0)
        sizeFixed.cx += -rect.right + rect.left;
    if ((!bStretch || bHorz) && sizeFixed.cy != 0)
        sizeFixed.cy += -rect.bottom + rect.top;
    return sizeFixed;
}

int CDockBar::Insert(CControlBar* pBarIns, const CRect& rect, CPoint ptMid)
{
    const BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    int nPosInsAfter = 0;
    int nWidth = 0;
    int nTotalWidth = 0;
    for (int nPos = 0; nPos < m_arrBars.GetSize(); ++nPos) {
        CControlBar* pBar = GetDockedControlBar(nPos);
        if (pBar != nullptr && pBar->IsVisible()) {
            CRect rectBar;
            pBar->GetWindowRect(&rectBar);
            ScreenToClient(&rectBar);
            nWidth = std::max(nWidth, bHorz ? rectBar.Height() : rectBar.Width() - 1);
            if (bHorz ? rect.left > rectBar.left : rect.top > rectBar.top)
                nPosInsAfter = nPos;
        } else if (m_arrBars[nPos] == nullptr) {
            nTotalWidth += nWidth - 2 * ::GetSystemMetrics(SM_CYBORDER);
            nWidth = 0;
            if ((bHorz ? ptMid.y : ptMid.x) < nTotalWidth) {
                if (nPos == 0)
                    m_arrBars.InsertAt(nPosInsAfter + 1, static_cast<void*>(nullptr));
                m_arrBars.InsertAt(nPosInsAfter + 1, pBarIns);
                return nPosInsAfter + 1;
            }
            nPosInsAfter = nPos;
        }
    }
    // Below every row: a row of its own at the end.
    const int nLast = static_cast<int>(m_arrBars.GetSize()) - 1;
    m_arrBars.InsertAt(nLast + 1, static_cast<void*>(nullptr));
    m_arrBars.InsertAt(nLast + 1, pBarIns);
    return nLast + 1;
}

void CDockBar::AttachBar(CControlBar* pBar)
{
    DWORD dwStyle = pBar->GetBarStyle();
    dwStyle &= ~static_cast<DWORD>(CBRS_ALIGN_ANY);
    dwStyle |= (m_dwStyle & CBRS_ALIGN_ANY) | CBRS_BORDER_ANY;
    if (m_bFloating)
        dwStyle |= CBRS_FLOATING;
    else
        dwStyle &= ~static_cast<DWORD>(CBRS_FLOATING);
    if (pBar->GetParent() != this)
        pBar->SetParent(this);
    pBar->m_pDockBar = this;
    pBar->SetBarStyle(dwStyle);
    if (!m_bFloating && pBar->m_pDockContext != nullptr)
        pBar->m_pDockContext->m_uMRUDockID = static_cast<UINT>(GetDlgCtrlID());
}

void CDockBar::DockControlBar(CControlBar* pBar, LPCRECT lpRect)
{
    CRect rectBar;
    pBar->GetWindowRect(&rectBar);
    if (pBar->m_pDockBar == this && (lpRect == nullptr || rectBar == *lpRect))
        return;
    m_dwStyle &= ~static_cast<DWORD>(CBRS_SIZE_FIXED | CBRS_SIZE_DYNAMIC);
    m_dwStyle |= pBar->GetBarStyle() & (CBRS_SIZE_FIXED | CBRS_SIZE_DYNAMIC);
    if (m_bFloating) {
        CString strTitle;
        pBar->GetWindowText(strTitle);
        SetWindowText(strTitle);
    }
    // Hidden while it changes parent, so it does not flash at the old place.
    BOOL bShow = FALSE;
    if (pBar->m_pDockBar != this && (pBar->GetStyle() & WS_VISIBLE) != 0) {
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        bShow = TRUE;
    }
    CDockBar* pOldDockBar = pBar->m_pDockBar;
    int nPos = -1;
    CRect rect;
    if (lpRect != nullptr) {
        rect = *lpRect;
        ScreenToClient(&rect);
        const CPoint ptMid(rect.left + rect.Width() / 2, rect.top + rect.Height() / 2);
        nPos = Insert(pBar, rect, ptMid);
    } else {
        m_arrBars.Add(pBar);
        m_arrBars.Add(static_cast<void*>(nullptr));
        rect = CRect(GetRowOrigin(), CSize(0, 0));
    }
    AttachBar(pBar);
    if (lpRect != nullptr)
        pBar->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    else
        pBar->SetWindowPos(nullptr, rect.left, rect.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    if (pOldDockBar == this)
        RemoveControlBar(pBar, nPos);
    else if (pOldDockBar != nullptr)
        pOldDockBar->RemoveControlBar(pBar, -1, m_bFloating && !pOldDockBar->m_bFloating ? 1 : 0);
    pBar->m_pDockBar = this;
    if (bShow)
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RemovePlaceHolder(pBar);
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->DelayRecalcLayout();
}

void CDockBar::ReDockControlBar(CControlBar* pBar, LPCRECT lpRect)
{
    const int nPos = FindBar(static_cast<const CControlBar*>(PlaceHolderOf(pBar)));
    if (nPos < 0 || pBar->m_pDockBar == this) {
        DockControlBar(pBar, lpRect);
        return;
    }
    // The place holder becomes the bar again.
    CDockBar* pOldDockBar = pBar->m_pDockBar;
    const BOOL bShow = (pBar->GetStyle() & WS_VISIBLE) != 0;
    if (bShow)
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    m_arrBars[nPos] = pBar;
    AttachBar(pBar);
    if (lpRect != nullptr) {
        CRect rect(lpRect);
        ScreenToClient(&rect);
        pBar->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (pOldDockBar != nullptr && pOldDockBar != this)
        pOldDockBar->RemoveControlBar(pBar);
    pBar->m_pDockBar = this;
    if (bShow)
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->DelayRecalcLayout();
}

void CDockBar::RemovePlaceHolder(CControlBar* pBar)
{
    const void* pHolder = PlaceHolderOf(pBar);
    for (int nPos = 0; nPos < m_arrBars.GetSize(); ++nPos) {
        if (m_arrBars[nPos] != pHolder)
            continue;
        m_arrBars.RemoveAt(nPos);
        if (nPos < m_arrBars.GetSize() && m_arrBars[nPos - 1] == nullptr && m_arrBars[nPos] == nullptr)
            m_arrBars.RemoveAt(nPos);
        --nPos;
    }
}

BOOL CDockBar::RemoveControlBar(CControlBar* pBar, int nPosExclude, int nAddPlaceHolder)
{
    const int nPos = FindBar(pBar, nPosExclude);
    if (nPos <= 0)
        return FALSE;
    if (nAddPlaceHolder == 1) {
        m_arrBars[nPos] = PlaceHolderOf(pBar);
        // One place holder per bar is enough.
        const int nOld = FindBar(static_cast<const CControlBar*>(m_arrBars[nPos]), nPos);
        if (nOld > 0) {
            m_arrBars.RemoveAt(nPos);
            if (nPos < m_arrBars.GetSize() && m_arrBars[nPos - 1] == nullptr && m_arrBars[nPos] == nullptr)
                m_arrBars.RemoveAt(nPos);
        }
    } else {
        m_arrBars.RemoveAt(nPos);
        if (nPos < m_arrBars.GetSize() && m_arrBars[nPos - 1] == nullptr && m_arrBars[nPos] == nullptr)
            m_arrBars.RemoveAt(nPos);
        if (nAddPlaceHolder != -1)
            RemovePlaceHolder(pBar);
    }
    if (pBar->m_pDockBar == this)
        pBar->m_pDockBar = nullptr;
    CFrameWnd* pFrame = GetDockingFrame();
    if (pFrame == nullptr)
        return FALSE;
    if (m_bFloating && GetDockedVisibleCount() == 0) {
        if (GetDockedCount() == 0) {
            pFrame->DestroyWindow(); // an empty floating frame ends itself
            return TRUE;
        }
        pFrame->ShowWindow(SW_HIDE);
    } else {
        pFrame->DelayRecalcLayout();
    }
    return FALSE;
}

void CDockBar::ForgetBar(CControlBar* pBar)
{
    const int nPos = FindBar(pBar);
    if (nPos <= 0)
        return;
    m_arrBars.RemoveAt(nPos);
    if (nPos < m_arrBars.GetSize() && m_arrBars[nPos - 1] == nullptr && m_arrBars[nPos] == nullptr)
        m_arrBars.RemoveAt(nPos);
}

void CDockBar::GetBarInfo(CControlBarInfo* pInfo)
{
    pInfo->m_nBarID = static_cast<UINT>(GetDlgCtrlID());
    pInfo->m_pBar = this;
    pInfo->m_bDockBar = TRUE;
    pInfo->m_bFloating = m_bFloating;
    pInfo->m_bVisible = IsVisible();
    pInfo->m_bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    if (m_bFloating) {
        CRect rect;
        GetParent()->GetWindowRect(&rect);
        pInfo->m_pointPos = rect.TopLeft();
        pInfo->m_bVisible = GetParent()->IsWindowVisible();
    }
    pInfo->m_arrBarID.clear();
    for (int i = 0; i < m_arrBars.GetSize(); ++i) {
        void* pVoid = m_arrBars[i];
        if (pVoid == nullptr)
            pInfo->m_arrBarID.push_back(0);
        else if (IsPlaceHolder(pVoid))
            pInfo->m_arrBarID.push_back(static_cast<UINT>(reinterpret_cast<UINT_PTR>(pVoid)) | 0x10000);
        else
            pInfo->m_arrBarID.push_back(static_cast<UINT>(static_cast<CControlBar*>(pVoid)->GetDlgCtrlID()));
    }
}

void CDockBar::SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd)
{
    // The stored list replaces the current one; bars that leave it are picked up by the
    // record of the dock bar that lists them now.
    std::vector<CControlBar*> previous;
    for (int i = 0; i < m_arrBars.GetSize(); ++i) {
        if (CControlBar* pBar = GetDockedControlBar(i))
            previous.push_back(pBar);
    }
    m_arrBars.RemoveAll();
    for (const UINT nStored : pInfo->m_arrBarID) {
        if (nStored == 0) {
            if (m_arrBars.GetSize() == 0 || m_arrBars[m_arrBars.GetSize() - 1] != nullptr)
                m_arrBars.Add(static_cast<void*>(nullptr));
            continue;
        }
        const UINT nID = nStored & 0xFFFF;
        CControlBar* pBar = (nStored & 0xFFFF0000) == 0 ? pFrameWnd->GetControlBar(nID) : nullptr;
        if (pBar == nullptr || pBar->IsDockBar()) {
            m_arrBars.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(nID)));
            continue;
        }
        CDockBar* pOld = pBar->m_pDockBar;
        if (pOld != nullptr && pOld != this) {
            pOld->ForgetBar(pBar);
            // A floating frame left without bars ends (after the bar has moved out of it).
            if (pOld->m_bFloating && pOld->GetDockedCount() == 0) {
                AttachBar(pBar);
                if (CFrameWnd* pOldFrame = pOld->GetParentFrame())
                    pOldFrame->DestroyWindow();
            }
        }
        m_arrBars.Add(pBar);
        AttachBar(pBar);
    }
    if (m_arrBars.GetSize() == 0 || m_arrBars[0] != nullptr)
        m_arrBars.InsertAt(0, static_cast<void*>(nullptr));
    if (m_arrBars[m_arrBars.GetSize() - 1] != nullptr)
        m_arrBars.Add(static_cast<void*>(nullptr));
    for (CControlBar* pBar : previous) {
        if (FindBar(pBar) < 0 && pBar->m_pDockBar == this)
            pBar->m_pDockBar = nullptr; // to be placed by another record, or docked again
    }
}
