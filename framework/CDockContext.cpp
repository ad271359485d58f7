#include "framework/CDockContext.h"

#include "framework/CDC.h"
#include "framework/CDockBar.h"
#include "framework/CFrameWnd.h"
#include "framework/CMiniDockFrameWnd.h"

namespace {

// Moves a rectangle so that the point lies inside it (the drag keeps hold of the bar).
void KeepPointInside(CRect& rect, CPoint pt)
{
    if (pt.x >= rect.right)
        rect.OffsetRect(pt.x - rect.right + 1, 0);
    else if (pt.x < rect.left)
        rect.OffsetRect(pt.x - rect.left, 0);
    if (pt.y >= rect.bottom)
        rect.OffsetRect(0, pt.y - rect.bottom + 1);
    else if (pt.y < rect.top)
        rect.OffsetRect(0, pt.y - rect.top);
}

// The screen point of a mouse message; posted messages carry their place only in lParam.
CPoint MessagePoint(const MSG& msg)
{
    POINT pt = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    if (msg.hwnd != nullptr)
        ::ClientToScreen(msg.hwnd, &pt);
    return pt;
}

} // namespace

CDockContext::CDockContext(CControlBar* pBar)
    : m_pBar(pBar), m_pDockSite(pBar->m_pDockSite), m_ptMRUFloatPos(static_cast<LONG>(0x80000000), 0)
{
}

void CDockContext::InitDrag(CPoint pt)
{
    m_pDockSite = m_pBar->m_pDockSite;
    m_ptLast = pt;
    CRect rect;
    m_pBar->GetWindowRect(&rect);
    const CSize sizeHorz = m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_HORZDOCK);
    const CSize sizeVert = m_pBar->CalcDynamicLayout(0, LM_VERTDOCK);
    const CSize sizeFloat = (m_pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) != 0
                                ? m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH)
                                : m_pBar->CalcFixedLayout(FALSE, TRUE);
    m_rectDragHorz = CRect(rect.TopLeft(), sizeHorz);
    m_rectDragVert = CRect(rect.TopLeft(), sizeVert);
    m_rectFrameDrag = CRect(rect.TopLeft(), sizeFloat);
    CMiniDockFrameWnd::CalcFrameRect(m_rectFrameDrag);
    KeepPointInside(m_rectDragHorz, pt);
    KeepPointInside(m_rectDragVert, pt);
    KeepPointInside(m_rectFrameDrag, pt);
    m_rectShown.SetRectEmpty();
}

CDockBar* CDockContext::DockBarAt(const CRect& rectHorz, const CRect& rectVert, BOOL& bHorz) const
{
    bHorz = FALSE;
    if (m_pDockSite == nullptr || m_bForceFrame)
        return nullptr;
    // The bar's own orientation is tried first.
    const BOOL bBarHorz = (m_pBar->GetBarStyle() & CBRS_ORIENT_HORZ) != 0 ||
                          (m_pBar->GetBarStyle() & CBRS_FLOATING) != 0;
    for (int pass = 0; pass < 2; ++pass) {
        const BOOL bTryHorz = pass == 0 ? bBarHorz : !bBarHorz;
        const DWORD dwSides = bTryHorz ? CBRS_ORIENT_HORZ : CBRS_ORIENT_VERT;
        if (CDockBar* pDockBar = m_pDockSite->CanDock(bTryHorz ? rectHorz : rectVert,
                                                      m_pBar->m_dwDockStyle & dwSides)) {
            bHorz = bTryHorz;
            return pDockBar;
        }
    }
    return nullptr;
}

CRect CDockContext::CurrentDragRect(CDockBar*& pDockBar, BOOL& bHorz) const
{
    pDockBar = DockBarAt(m_rectDragHorz, m_rectDragVert, bHorz);
    if (pDockBar == nullptr)
        return m_rectFrameDrag;
    return bHorz ? m_rectDragHorz : m_rectDragVert;
}

void CDockContext::DrawDragRect(const CRect& rect, BOOL bThick)
{
    // The rectangle is inverted on the screen: drawing it twice removes it.
    HDC hDC = ::GetDCEx(nullptr, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (hDC == nullptr)
        hDC = ::GetDC(nullptr);
    if (hDC == nullptr)
        return;
    HGDIOBJ hOld = ::SelectObject(hDC, CDC::GetHalftoneBrush()->GetSafeHandle());
    const int d = bThick ? 3 : 1;
    ::PatBlt(hDC, rect.left, rect.top, rect.Width(), d, PATINVERT);
    ::PatBlt(hDC, rect.left, rect.bottom - d, rect.Width(), d, PATINVERT);
    ::PatBlt(hDC, rect.left, rect.top + d, d, rect.Height() - 2 * d, PATINVERT);
    ::PatBlt(hDC, rect.right - d, rect.top + d, d, rect.Height() - 2 * d, PATINVERT);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(nullptr, hDC);
}

void CDockContext::Move(CPoint pt)
{
    const CSize delta = pt - m_ptLast;
    m_ptLast = pt;
    m_rectDragHorz.OffsetRect(delta);
    m_rectDragVert.OffsetRect(delta);
    m_rectFrameDrag.OffsetRect(delta);
    CDockBar* pDockBar = nullptr;
    BOOL bHorz = FALSE;
    const CRect rect = CurrentDragRect(pDockBar, bHorz);
    const BOOL bThick = pDockBar == nullptr;
    if (rect == m_rectShown && bThick == m_bShownThick)
        return;
    if (!m_rectShown.IsRectEmpty())
        DrawDragRect(m_rectShown, m_bShownThick);
    DrawDragRect(rect, bThick);
    m_rectShown = rect;
    m_bShownThick = bThick;
}

void CDockContext::CancelDrag()
{
    if (!m_rectShown.IsRectEmpty())
        DrawDragRect(m_rectShown, m_bShownThick);
    m_rectShown.SetRectEmpty();
    m_bDragging = FALSE;
    if (CWnd::GetCapture() == m_pBar)
        ::ReleaseCapture();
}

void CDockContext::EndDrag()
{
    CDockBar* pDockBar = nullptr;
    BOOL bHorz = FALSE;
    const CRect rect = CurrentDragRect(pDockBar, bHorz);
    CancelDrag();
    if (m_pDockSite == nullptr)
        return;
    if (pDockBar != nullptr) {
        m_pDockSite->DockControlBar(m_pBar, pDockBar, &rect);
    } else {
        const DWORD dwStyle = CBRS_ALIGN_TOP | (m_pBar->m_dwDockStyle & CBRS_FLOAT_MULTI);
        m_pDockSite->FloatControlBar(m_pBar, m_rectFrameDrag.TopLeft(), dwStyle);
    }
    m_pDockSite->RecalcLayout();
}

BOOL CDockContext::Track()
{
    m_pBar->SetCapture();
    while (CWnd::GetCapture() == m_pBar) {
        MSG msg = {};
        if (!::GetMessageA(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        switch (msg.message) {
        case WM_LBUTTONUP:
            m_bForceFrame = (msg.wParam & MK_CONTROL) != 0;
            Move(MessagePoint(msg));
            EndDrag();
            return TRUE;
        case WM_MOUSEMOVE:
            // Ctrl held keeps the bar from docking.
            m_bForceFrame = (msg.wParam & MK_CONTROL) != 0;
            Move(MessagePoint(msg));
            break;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (msg.wParam == VK_CONTROL) {
                m_bForceFrame = msg.message == WM_KEYDOWN;
                Move(m_ptLast);
            } else if (msg.wParam == VK_ESCAPE && msg.message == WM_KEYDOWN) {
                CancelDrag();
                return FALSE;
            }
            break;
        case WM_RBUTTONDOWN:
            CancelDrag();
            return FALSE;
        default:
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            break;
        }
    }
    CancelDrag();
    return FALSE;
}

void CDockContext::StartDrag(CPoint pt)
{
    if (m_bDragging || m_pBar->m_pDockSite == nullptr)
        return;
    m_bDragging = TRUE;
    m_bForceFrame = ::GetKeyState(VK_CONTROL) < 0;
    InitDrag(pt);
    Track();
}

void CDockContext::ToggleDocking()
{
    CFrameWnd* pSite = m_pBar->m_pDockSite;
    if (pSite == nullptr)
        return;
    if (m_pBar->IsFloating()) {
        if ((m_pBar->m_dwDockStyle & CBRS_ALIGN_ANY) == 0)
            return;
        CDockBar* pDockBar = nullptr;
        if (m_uMRUDockID != 0) {
            CControlBar* pCandidate = pSite->GetControlBar(m_uMRUDockID);
            if (pCandidate != nullptr && pCandidate->IsDockBar())
                pDockBar = static_cast<CDockBar*>(pCandidate);
        }
        if (pDockBar != nullptr && !m_rectMRUDockPos.IsRectEmpty()) {
            CRect rect = m_rectMRUDockPos;
            pDockBar->ClientToScreen(&rect);
            pSite->ReDockControlBar(m_pBar, pDockBar, &rect);
        } else {
            pSite->ReDockControlBar(m_pBar, pDockBar, nullptr);
        }
    } else {
        CPoint pt = m_ptMRUFloatPos;
        if (pt.x == static_cast<LONG>(0x80000000)) {
            // Never floated: next to where it is docked now.
            CRect rect;
            m_pBar->GetWindowRect(&rect);
            pt = rect.TopLeft() + CSize(20, 20);
        }
        const DWORD dwStyle = m_dwMRUFloatStyle != 0 ? m_dwMRUFloatStyle
                                                     : CBRS_ALIGN_TOP | (m_pBar->m_dwDockStyle & CBRS_FLOAT_MULTI);
        pSite->FloatControlBar(m_pBar, pt, dwStyle);
    }
    pSite->RecalcLayout();
}
