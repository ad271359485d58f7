#include "ui/CSCBButton.h"

#include "ui/CBarGlobalData.h"

namespace {

// Without the Marlett font (a system without it would show digits and letters) the glyphs are
// drawn as shapes in an 8 x 8 box.
void DrawGlyphShape(CDC* pDC, char glyph, CPoint pt)
{
    const COLORREF clr = ::GetSysColor(COLOR_BTNTEXT);
    CPen pen(PS_SOLID, 1, clr);
    CBrush brush(clr);
    CPen* pOldPen = pDC->SelectObject(&pen);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    const int x = pt.x;
    const int y = pt.y;
    if (glyph == 'r') {
        for (int d = 0; d < 2; ++d) {
            pDC->MoveTo(x + d, y);
            pDC->LineTo(x + 7 + d, y + 7);
            pDC->MoveTo(x + 6 + d, y);
            pDC->LineTo(x - 1 + d, y + 7);
        }
    } else {
        POINT points[3];
        switch (glyph) {
        case '3': // left
            points[0] = {x + 5, y};
            points[1] = {x + 5, y + 8};
            points[2] = {x + 1, y + 4};
            break;
        case '4': // right
            points[0] = {x + 2, y};
            points[1] = {x + 2, y + 8};
            points[2] = {x + 6, y + 4};
            break;
        case '5': // up
            points[0] = {x, y + 5};
            points[1] = {x + 8, y + 5};
            points[2] = {x + 4, y + 1};
            break;
        default: // down
            points[0] = {x, y + 2};
            points[1] = {x + 8, y + 2};
            points[2] = {x + 4, y + 6};
            break;
        }
        pDC->Polygon(points, 3);
    }
    pDC->SelectObject(pOldBrush);
    pDC->SelectObject(pOldPen);
}

bool HasMarlett()
{
    static const bool bInstalled = CBarGlobalData::IsFontInstalled("Marlett");
    return bInstalled;
}

} // namespace

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
    int nOffset = bDown ? 3 : 2;
    if (m_nHitTest == HTSCB_HIDE)
        ++nOffset;
    const char glyph[2] = {GetGlyph(bHorz, bExpanded, bSingle), '\0'};
    if (!HasMarlett()) {
        DrawGlyphShape(pDC, glyph[0], m_ptOrg + CSize(nOffset, nOffset));
        return;
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
    pDC->TextOut(m_ptOrg.x + nOffset, m_ptOrg.y + nOffset, glyph, 1);
    pDC->SetTextColor(clrOld);
    pDC->SetBkMode(nOldMode);
    pDC->SelectObject(pOldFont);
}
