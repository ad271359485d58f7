#include "ui/CSeeProgress.h"

#include "framework/GdiScopes.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CSeeProgress, CStatic)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

const COLORREF kBarColor = 0xE1C000;
const COLORREF kBarEdgeColor = 0x645A00;

void FillArea(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    if (right <= left || bottom <= top)
        return;
    const RECT area = {left, top, right, bottom};
    GdiObject<HBRUSH> brush(::CreateSolidBrush(color));
    ::FillRect(dc, &area, brush.Get());
}

} // namespace

void CSeeProgress::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
    Redraw();
}

void CSeeProgress::SetPos(int pos)
{
    m_nPos = pos;
    Redraw();
}

int CSeeProgress::BarWidth(int width, int pos, int upper)
{
    // An upper bound of 0 (nothing to make yet) shows an empty bar rather than dividing by zero.
    if (upper <= 0 || width <= 0)
        return 0;
    const double filled = static_cast<double>(width) * pos / upper;
    return static_cast<int>(std::clamp(filled, 0.0, static_cast<double>(width)));
}

CString CSeeProgress::GetText() const
{
    CString text;
    text.Format("%d / %d", m_nPos, m_nUpper);
    return text;
}

int CSeeProgress::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    return CStatic::OnCreate(lpCreateStruct) == -1 ? -1 : 0;
}

void CSeeProgress::OnSize(UINT nType, int cx, int cy)
{
    CStatic::OnSize(nType, cx, cy);
    CRect client;
    GetClientRect(&client);
    if (client.Width() > 1 && client.Height() > 1)
        m_dib.Create(client.Width() - 1, client.Height() - 1, 16);
    Redraw();
}

void CSeeProgress::Redraw()
{
    const int width = m_dib.GetWidth();
    const int height = m_dib.GetHeight();
    if (width > 0 && height > 0) {
        const HDC dc = m_dib.BeginMemDC();
        if (dc) {
            const int bar = BarWidth(width, m_nPos, m_nUpper);
            FillArea(dc, 0, 0, bar, height - 1, kBarColor);
            FillArea(dc, bar, 0, width, height, ::GetSysColor(COLOR_INFOBK));
            if (bar > 0)
                FillArea(dc, bar - 1, 0, bar, height, kBarEdgeColor);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, RGB(0, 0, 0));
            RECT area = {0, 0, width, height};
            const CString text = GetText();
            ::DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            m_dib.EndMemDC();
        }
    }
    if (GetSafeHwnd())
        Invalidate();
}

void CSeeProgress::OnPaint()
{
    CPaintDC dc(this);
    m_dib.Draw(dc.GetSafeHdc(), 0, 0, SRCCOPY);
}
