#include "ui/CCavus.h"

#include "framework/GdiScopes.h"

BEGIN_MESSAGE_MAP(CCavus, CStatic)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CCavus* CCavus::s_pChosen = nullptr;

CCavus::CCavus()
{
    s_pChosen = nullptr;
}

CCavus::~CCavus()
{
    // A dialog's swatches die with it; the next click must not reach a dead one.
    if (s_pChosen == this)
        s_pChosen = nullptr;
    m_dib.EndMemDC();
}

BOOL CCavus::CreatePicture(int width, int height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0)
        return FALSE;
    return m_dib.Create(width, height, static_cast<WORD>(bitsPerPixel));
}

BOOL CCavus::CreatePictureFromWindow(int bitsPerPixel)
{
    if (!GetSafeHwnd())
        return FALSE;
    CRect window;
    GetWindowRect(&window);
    return CreatePicture(window.Width() - 4, window.Height() - 4, bitsPerPixel);
}

BOOL CCavus::LoadDib(int resourceId, const char* resourceType)
{
    return m_dib.LoadResource(MAKEINTRESOURCEA(resourceId), resourceType);
}

HDC CCavus::GetPictureDC()
{
    HDC reference = GetSafeHwnd() ? ::GetDC(GetSafeHwnd()) : nullptr;
    const HDC dc = m_dib.BeginMemDC(reference);
    if (reference)
        ::ReleaseDC(GetSafeHwnd(), reference);
    return dc;
}

void CCavus::GetPictureRect(RECT* rect) const
{
    CRect client;
    if (GetSafeHwnd())
        GetClientRect(&client);
    *rect = {0, 0, client.Width(), client.Height()};
}

void CCavus::Refresh()
{
    m_dib.EndMemDC();
    if (GetSafeHwnd())
        ::RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CCavus::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    Paint(dc.GetSafeHdc(), client);
}

void CCavus::Paint(HDC dc, const RECT& client) const
{
    m_dib.StretchDraw(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, 0, 0,
                      m_dib.GetWidth(), m_dib.GetHeight(), SRCCOPY);
    if (!m_bSelectable || s_pChosen != this)
        return;
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, RGB(200, 50, 50)));
    SelectScope penScope(dc, pen.Get());
    SelectScope brush(dc, ::GetStockObject(NULL_BRUSH));
    for (int inset = 1; inset <= 3; ++inset)
        ::Rectangle(dc, client.left + inset, client.top + inset, client.right - inset, client.bottom - inset);
}

void CCavus::Choose()
{
    if (!m_bSelectable)
        return;
    if (s_pChosen && s_pChosen != this && s_pChosen->GetSafeHwnd())
        s_pChosen->Invalidate(TRUE);
    s_pChosen = this;
    if (GetSafeHwnd())
        Invalidate();
}

void CCavus::OnLButtonDown(UINT nFlags, CPoint point)
{
    Choose();
    CStatic::OnLButtonDown(nFlags, point);
}

void CCavus::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_CAVUS_DBLCLK);
    CStatic::OnLButtonDblClk(nFlags, point);
}
