#include "ui/CStaticEx.h"

#include "framework/GdiScopes.h"

#include <utility>

BEGIN_MESSAGE_MAP(CStaticEx, CStatic)
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CStaticEx::CStaticEx()
    : m_clrBk(::GetSysColor(COLOR_WINDOW)),
      m_clrText(::GetSysColor(COLOR_BTNTEXT)),
      m_hCursor(::LoadCursor(nullptr, IDC_ARROW))
{
}

HCURSOR CStaticEx::SetLinkCursor(HCURSOR cursor)
{
    return std::exchange(m_hCursor, cursor);
}

BOOL CStaticEx::SetTransparent(BOOL transparent)
{
    return std::exchange(m_bTransparent, static_cast<BYTE>(transparent ? 1 : 0));
}

BOOL CStaticEx::SetBold(BOOL bold)
{
    return std::exchange(m_bBold, bold);
}

UINT CStaticEx::SetTextAlign(UINT align)
{
    return std::exchange(m_nAlign, align);
}

COLORREF CStaticEx::SetTextColor(COLORREF color)
{
    const COLORREF previous = std::exchange(m_clrText, color);
    if (GetSafeHwnd())
        Invalidate();
    return previous;
}

COLORREF CStaticEx::SetBkColor(COLORREF color)
{
    const COLORREF previous = std::exchange(m_clrBk, color);
    if (GetSafeHwnd())
        Invalidate();
    return previous;
}

BOOL CStaticEx::OnSetCursor(CWnd*, UINT nHitTest, UINT)
{
    if (nHitTest != HTCLIENT)
        return FALSE;
    ::SetCursor(m_hCursor);
    return TRUE;
}

HFONT CStaticEx::CreateTextFont() const
{
    LOGFONTA font = {};
    font.lfHeight = m_nFontHeight;
    font.lfWeight = m_bBold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = m_bItalic ? TRUE : FALSE;
    font.lfUnderline = m_bUnderline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, m_strFontFace, LF_FACESIZE);
    return ::CreateFontIndirectA(&font);
}

void CStaticEx::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    Paint(dc.GetSafeHdc(), client);
}

void CStaticEx::Paint(HDC dc, const RECT& client) const
{
    if (!m_bTransparent) {
        GdiObject<HBRUSH> brush(::CreateSolidBrush(m_clrBk));
        ::FillRect(dc, &client, brush.Get());
    }
    DrawLabel(dc, client);
}

void CStaticEx::DrawLabel(HDC dc, const RECT& client) const
{
    GdiObject<HFONT> font(CreateTextFont());
    SelectScope selected(dc, font.Get());
    ::SetBkMode(dc, TRANSPARENT);
    CString text;
    GetWindowText(text);
    const UINT format = m_nAlign | DT_SINGLELINE;
    RECT area = client;
    if (IsWindowEnabled()) {
        ::SetTextColor(dc, m_clrText);
        ::DrawTextA(dc, text, -1, &area, format);
        return;
    }
    // Disabled: embossed grey, a white copy one pixel down and right under the shadow colour.
    RECT raised = {area.left + 1, area.top + 1, area.right + 1, area.bottom + 1};
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::DrawTextA(dc, text, -1, &raised, format);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
    ::DrawTextA(dc, text, -1, &area, format);
}
