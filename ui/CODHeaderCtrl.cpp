#include "ui/CODHeaderCtrl.h"

#include "framework/AfxWin.h"

BEGIN_MESSAGE_MAP(CODHeaderCtrl, CHeaderCtrl)
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

int CODHeaderCtrl::SetSortMark(int nColumn, BOOL bAscending)
{
    if (m_hWnd == nullptr)
        return -1;
    const int nPrevious = m_nSortColumn;
    m_nSortColumn = nColumn;
    m_bSortAscending = bAscending;
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (GetItem(nColumn, &item)) {
        item.fmt |= HDF_OWNERDRAW;
        SetItem(nColumn, &item);
    }
    Invalidate(TRUE);
    return nPrevious;
}

void CODHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    const HDC hdc = lpDrawItemStruct->hDC;
    const RECT whole = lpDrawItemStruct->rcItem;
    const int nSaved = SaveDC(hdc);
    IntersectClipRect(hdc, whole.left, whole.top, whole.right, whole.bottom);
    FillRect(hdc, &whole, GetSysColorBrush(COLOR_3DFACE));

    SIZE space = {};
    GetTextExtentPoint32A(hdc, " ", 1, &space);
    const int m = space.cx;

    char text[256] = {};
    HDITEMA item = {};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    GetItem(static_cast<int>(lpDrawItemStruct->itemID), &item);

    const bool bSortColumn = static_cast<int>(lpDrawItemStruct->itemID) == m_nSortColumn;
    RECT textRect = whole;
    if ((lpDrawItemStruct->itemState & ODS_SELECTED) != 0) {
        ++textRect.left;
        textRect.top += 2;
        ++textRect.right;
    }
    if (bSortColumn)
        textRect.right -= 3 * m;
    textRect.left += m;
    textRect.right -= m;
    if (textRect.left < textRect.right) {
        UINT nFormat = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_END_ELLIPSIS;
        if ((item.fmt & HDF_CENTER) != 0)
            nFormat |= DT_CENTER;
        else if ((item.fmt & HDF_RIGHT) != 0)
            nFormat |= DT_RIGHT;
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(hdc, text, -1, &textRect, nFormat);
    }
    if (bSortColumn)
        DrawSortArrow(hdc, whole, m);
    RestoreDC(hdc, nSaved);
}

void CODHeaderCtrl::DrawSortArrow(HDC hdc, const RECT& item, int nSpace) const
{
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
    const HGDIOBJ hOld = SelectObject(hdc, pen.GetSafeHandle());
    const int x1 = item.right - nSpace;
    const int x0 = x1 - 7;
    for (int i = 0; i < 4; ++i) {
        const int y = m_bSortAscending ? item.bottom - 10 + i : item.bottom - 6 - i;
        MoveToEx(hdc, x0 + i, y, nullptr);
        LineTo(hdc, x1 - i, y);
    }
    SelectObject(hdc, hOld);
}
