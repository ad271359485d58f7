// CStaticEx: a static text control with colours, weight, alignment, transparency and a cursor of
// its own (the About box's banner and links).
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"

class CStaticEx : public CStatic
{
public:
    CStaticEx();

    // Each setter returns the previous value.
    HCURSOR SetLinkCursor(HCURSOR cursor);
    BOOL SetTransparent(BOOL transparent);
    BOOL SetBold(BOOL bold);
    // DrawText alignment bits (5 centred, 6 right-aligned); DT_SINGLELINE is always added.
    UINT SetTextAlign(UINT align);
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);

    // The owner sets it directly; the font is then underlined.
    BYTE m_bUnderline = 0;

    // The font the control draws with; the caller owns the handle.
    HFONT CreateTextFont() const;
    // Draws the control into dc as WM_PAINT does (also for pictures of it).
    void Paint(HDC dc, const RECT& client) const;

protected:
    void OnPaint();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    DECLARE_MESSAGE_MAP()

private:
    void DrawLabel(HDC dc, const RECT& client) const;

    COLORREF m_clrBk;
    COLORREF m_clrText;
    HCURSOR m_hCursor;
    // Kept for the bitmap form of the control, which this program does not use.
    BYTE m_bHasBitmap = 0;
    BYTE m_bBitmapTransparent = 0;
    BYTE m_bTransparent = 0;
    int m_nFontHeight = 10;
    CString m_strFontFace = "MS Sans Serif";
    BOOL m_bBold = FALSE;
    BOOL m_bItalic = FALSE;
    UINT m_nAlign = DT_VCENTER;
};
