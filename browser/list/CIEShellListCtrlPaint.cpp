// Painting of the thumbnail view: each cell is drawn off-screen in one reused picture and copied
// in one blit; the label goes below it in the row's file-type colour.
#include "browser/list/CIEShellListCtrl.h"

#include "core/CAppOptions.h"
#include "core/CDrawingFileType.h"
#include "browser/list/LabelText.h"

#include <algorithm>
#include <cstring>

namespace
{
COLORREF Shift(COLORREF c, int delta)
{
    auto channel = [delta](int v) { return static_cast<BYTE>(std::clamp(v + delta, 0, 255)); };
    return RGB(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color)
{
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void Outline(HDC dc, const RECT& rect, COLORREF color, int width)
{
    for (int i = 0; i < width; ++i) {
        const RECT r = {rect.left + i, rect.top + i, rect.right - i, rect.bottom - i};
        FillSolid(dc, {r.left, r.top, r.right, r.top + 1}, color);
        FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, color);
        FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom}, color);
        FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, color);
    }
}

void Frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolid(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}
} // namespace

BOOL CIEShellListCtrl::OnItemPrePaint(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult)
{
    if (m_viewType != kThumbnails)
        return CUIODListCtrl::OnItemPrePaint(pCustomDraw, pResult);
    const int row = static_cast<int>(pCustomDraw->nmcd.dwItemSpec);
    RECT icon = {};
    RECT label = {};
    RECT client = {};
    GetClientRect(&client);
    if (!GetItemRect(row, &icon, LVIR_ICON) || !GetItemRect(row, &label, LVIR_LABEL) || label.bottom <= 0 ||
        icon.top >= client.bottom) {
        *pResult = CDRF_DODEFAULT;
        return TRUE;
    }
    const UINT state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
    const bool focusedLook = ::GetFocus() == m_hWnd || (state & LVIS_DROPHILITED) != 0;
    PaintCell(pCustomDraw->nmcd.hdc, row, icon, state, focusedLook);
    PaintLabel(pCustomDraw->nmcd.hdc, row, label, state, focusedLook);
    *pResult = CDRF_SKIPDEFAULT;
    return TRUE;
}

void CIEShellListCtrl::PaintCell(HDC target, int row, const RECT& iconRect, UINT state, bool focusedLook)
{
    if (!m_cell.Prepare(target, m_cellWidth, m_cellHeight))
        return;
    const HDC dc = m_cell.Dc();
    const int w = m_cellWidth;
    const int h = m_cellHeight;
    const int b = g_options.ThumbBorder;
    const bool highlighted = (state & (LVIS_SELECTED | LVIS_DROPHILITED)) != 0;
    const bool focused = (state & LVIS_FOCUSED) != 0;
    const COLORREF background = !highlighted ? g_options.ThumbnailColor
                                : focusedLook ? GetSysColor(COLOR_HIGHLIGHT)
                                              : Shift(GetSysColor(COLOR_HIGHLIGHT), 70);
    const CShellListItem* item = GetItemRecord(row);
    RECT picture = {b, b, w - b, h - b};
    auto drawContent = [&] {
        if (item && item->thumbnail && !item->thumbnail->IsEmpty()) {
            item->thumbnail->Draw(dc, picture, false);
            return;
        }
        FillSolid(dc, picture, background);
        DrawRowIcon(dc, row, picture);
    };
    if (b <= 5) {
        FillSolid(dc, {0, 0, w, h}, g_options.ListCtrlColor);
        drawContent();
        if (focused) {
            Outline(dc, {b - 1, b - 1, w - b + 1, h - b + 1}, RGB(255, 255, 255), 1);
            Outline(dc, {b - 3, b - 3, w - b + 3, h - b + 3}, GetSysColor(COLOR_HIGHLIGHT), 2);
        } else if (highlighted) {
            Outline(dc, {b - 3, b - 3, w - b + 3, h - b + 3}, g_options.ListShades[1], 2);
        } else {
            FillSolid(dc, {b + 3, h - b, w - b + 2, h - b + 2}, g_options.ListShades[0]);
            FillSolid(dc, {w - b, b + 3, w - b + 2, h - b + 2}, g_options.ListShades[0]);
        }
    } else {
        FillSolid(dc, {0, 0, w, h}, background);
        Frame3d(dc, {0, 0, w, h}, g_options.ThumbLightColor, g_options.ThumbDarkColor);
        if (focused)
            Frame3d(dc, {1, 1, w - 1, h - 1}, g_options.ThumbLightColor, g_options.ThumbDarkColor);
        Frame3d(dc, {b - 1, b - 1, w - b + 1, h - b + 1}, g_options.ThumbDarkColor, g_options.ThumbLightColor);
        drawContent();
        if (focused) {
            const RECT whole = {0, 0, w, h};
            DrawFocusRect(dc, &whole);
        }
    }
    if ((GetItemState(row, LVIS_CUT) & LVIS_CUT) == 0) {
        BitBlt(target, iconRect.left, iconRect.top, w, h, dc, 0, 0, SRCCOPY);
        return;
    }
    // Hidden and cut files: the cell shows at half strength over the list's colour.
    FillSolid(target, {iconRect.left, iconRect.top, iconRect.left + w, iconRect.top + h}, g_options.ListCtrlColor);
    const BLENDFUNCTION half = {AC_SRC_OVER, 0, 128, 0};
    GdiAlphaBlend(target, iconRect.left, iconRect.top, w, h, dc, 0, 0, w, h, half);
}

// A row without a picture (a folder, a file still waiting) shows its shell icon in the middle.
void CIEShellListCtrl::DrawRowIcon(HDC dc, int row, const RECT& picture) const
{
    LVITEMA wanted = {};
    wanted.mask = LVIF_IMAGE;
    wanted.iItem = row;
    if (!m_largeSystemIcons || !::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&wanted)) ||
        wanted.iImage < 0)
        return;
    int width = 0;
    int height = 0;
    if (!ImageList_GetIconSize(m_largeSystemIcons, &width, &height))
        return;
    const int x = (picture.left + picture.right - width) / 2;
    const int y = (picture.top + picture.bottom - height) / 2;
    ImageList_Draw(m_largeSystemIcons, wanted.iImage, dc, x, y, ILD_TRANSPARENT);
}

void CIEShellListCtrl::PaintLabel(HDC dc, int row, RECT label, UINT state, bool focusedLook)
{
    const bool highlighted = (state & (LVIS_SELECTED | LVIS_DROPHILITED)) != 0;
    const CShellListItem* item = GetItemRecord(row);
    COLORREF background = GetSysColor(COLOR_BTNFACE);
    if (highlighted) {
        background = focusedLook ? GetSysColor(COLOR_HIGHLIGHT) : Shift(GetSysColor(COLOR_HIGHLIGHT), 70);
    } else if (item && item->fileType >= 0) {
        CDrawingFileInfo info;
        for (int i = 0; i < g_fileTypes.GetCount(); ++i) {
            if (g_fileTypes.GetAt(i, info) && info.typeId == item->fileType) {
                background = info.color;
                break;
            }
        }
    }
    const CString name = GetCellText(row, kNameColumn);
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    if (!highlighted) {
        SIZE s = {};
        GetTextExtentPoint32A(dc, "s", 1, &s);
        label.bottom = label.top + s.cy + 3;
    }
    FillSolid(dc, label, background);
    RECT textRect = label;
    textRect.top += 1;
    if (!highlighted && textRect.right - textRect.left <= m_cellWidth - 10) {
        textRect.left -= 5;
        textRect.right += 5;
    }
    ::SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    const UINT format = highlighted ? DT_CENTER | DT_WORDBREAK
                                    : DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_MODIFYSTRING;
    LabelText::Draw(dc, name, textRect, format);
    if ((state & LVIS_FOCUSED) != 0)
        DrawFocusRect(dc, &label);
    SelectObject(dc, oldFont);
}

void CIEShellListCtrl::RedrawThumbnailItem(int row)
{
    if (row < 0 || m_viewType != kThumbnails || !GetSafeHwnd())
        return;
    RECT icon = {};
    if (!GetItemRect(row, &icon, LVIR_ICON))
        return;
    // A cell out of sight gets its picture when it is scrolled into view and painted.
    RECT client = {};
    RECT visible = {};
    GetClientRect(&client);
    if (!IntersectRect(&visible, &icon, &client))
        return;
    const UINT state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
    const HDC dc = ::GetDC(m_hWnd);
    PaintCell(dc, row, icon, state, ::GetFocus() == m_hWnd);
    ::ReleaseDC(m_hWnd, dc);
}

BOOL CIEShellListCtrl::OnEraseBkgnd(CDC* pDC)
{
    // The control paints only its rows: what lies between and below them is cleared here, or the
    // pictures of the view before a switch stay on the screen.
    RECT client = {};
    GetClientRect(&client);
    COLORREF color = g_options.ListCtrlColor;
    if (m_viewType != kThumbnails) {
        color = GetBkColor();
        if (color == CLR_NONE)
            color = ::GetSysColor(COLOR_WINDOW);
    }
    FillSolid(pDC->GetSafeHdc(), client, color);
    return TRUE;
}
