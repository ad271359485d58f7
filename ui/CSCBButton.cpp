#include "ui/CSCBButton.h"

#include "ui/CBarGlobalData.h"

char CSCBButton::GetGlyph(BOOL bHorz, BOOL bExpanded, BOOL bSingle) const
{
    if (m_nHitTest == HTSCB_HIDE)
        return 'r'; // the close cross
    if (bHorz)
        return bExpanded || bSingle ? '3' : '4'; // left, right
    return bExpanded ? '6' : '5';                // down, up
}

void CSCBButton::Paint(CDC* pDC, BOOL bHorz, BOOL bExpanded, BOOL bSingle) const
{
    CRect rect = GetRect();
    const BOOL bDisabled = m_nHitTest == HTSCB_EXPAND && !bExpanded && bSingle;
    const BOOL bDown = m_bPushed && m_bHover;
    if (bDown) {
        pDC->Draw3dRect(&rect, g_barData.clrDark, g_barData.clrPressedGrey);
        rect.DeflateRect(1, 1);
        pDC->Draw3dRect(&rect, g_barData.clrDark, g_barData.clrLight);
    } else if ((m_bHover || m_bPushed) && !bDisabled) {
        pDC->Draw3dRect(&rect, g_barData.clrLight, g_barData.clrDark);
    }
    // Six points at 96 dots per inch, whatever the device: the glyph keeps its pixel size.
    const int nHeight = -::MulDiv(6, 96, 72);
    CFont font;
    if (!font.CreateFont(nHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Marlett"))
        return;
    CFont* pOldFont = pDC->SelectObject(&font);
    const int nOldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF clrOld = pDC->SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    int nOffset = bDown ? 3 : 2;
    if (m_nHitTest == HTSCB_HIDE)
        ++nOffset;
    const char glyph[2] = {GetGlyph(bHorz, bExpanded, bSingle), '\0'};
    pDC->TextOut(m_ptOrg.x + nOffset, m_ptOrg.y + nOffset, glyph, 1);
    pDC->SetTextColor(clrOld);
    pDC->SetBkMode(nOldMode);
    pDC->SelectObject(pOldFont);
}
