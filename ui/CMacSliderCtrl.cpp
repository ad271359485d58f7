#include "ui/CMacSliderCtrl.h"

#include "framework/GdiScopes.h"

#include <algorithm>
#include <array>

BEGIN_MESSAGE_MAP(CMacSliderCtrl, CSliderCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CMacSliderCtrl::OnCustomDraw)
END_MESSAGE_MAP()

namespace {

const int kShadeStep = 51;

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color)
{
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, color));
    SelectScope selected(dc, pen.Get());
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

int Channel(COLORREF color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

} // namespace

CMacSliderCtrl::CMacSliderCtrl()
    : m_clrSelection(::GetSysColor(COLOR_HIGHLIGHT)),
      m_clrChannel(::GetSysColor(COLOR_WINDOW)),
      m_shades(ShadesOf(::GetSysColor(COLOR_3DFACE))),
      m_clrChannelEdge(Halfway(::GetSysColor(COLOR_3DSHADOW), ::GetSysColor(COLOR_3DDKSHADOW))),
      m_clrChannelShade(Halfway(::GetSysColor(COLOR_3DFACE), ::GetSysColor(COLOR_3DSHADOW))),
      m_clrChannelLight(::GetSysColor(COLOR_3DHILIGHT))
{
}

void CMacSliderCtrl::SetSelection(int start, int end)
{
    SendMessage(TBM_SETSEL, TRUE, MAKELPARAM(start, end));
}

COLORREF CMacSliderCtrl::Lighten(COLORREF color, int step)
{
    COLORREF result = 0;
    for (const int shift : {0, 8, 16}) {
        const int value = Channel(color, shift);
        result |= static_cast<COLORREF>(value + step < 256 ? value + step : value) << shift;
    }
    return result;
}

COLORREF CMacSliderCtrl::Darken(COLORREF color, int step)
{
    COLORREF result = 0;
    for (const int shift : {0, 8, 16}) {
        const int value = Channel(color, shift);
        result |= static_cast<COLORREF>(value >= step ? value - step : value) << shift;
    }
    return result;
}

COLORREF CMacSliderCtrl::Halfway(COLORREF a, COLORREF b)
{
    COLORREF result = 0;
    for (const int shift : {0, 8, 16}) {
        const int from = Channel(a, shift);
        const int difference = Channel(b, shift) - from;
        const int half = difference >= 0 ? difference / 2 : -((-difference + 1) / 2);
        result |= static_cast<COLORREF>(from + half) << shift;
    }
    return result;
}

CMacSliderCtrl::Shades CMacSliderCtrl::ShadesOf(COLORREF face)
{
    Shades shades;
    shades.face = face;
    shades.light1 = Lighten(face, kShadeStep);
    shades.light2 = Lighten(shades.light1, kShadeStep);
    shades.dark1 = Darken(face, kShadeStep);
    shades.dark2 = Darken(shades.dark1, kShadeStep);
    return shades;
}

bool CMacSliderCtrl::SelectionSpan(int min, int max, int start, int end, int length, int* from, int* to)
{
    // An empty range (max = min) maps nothing: no division by zero.
    if (max <= min || start >= end || length <= 0)
        return false;
    const double scale = static_cast<double>(length) / (static_cast<double>(max) - min);
    const auto place = [&](int value) {
        const double clamped = std::clamp(static_cast<double>(value), static_cast<double>(min), static_cast<double>(max));
        return static_cast<int>((clamped - min) * scale);
    };
    *from = place(start);
    *to = place(end);
    return *to > *from;
}

void CMacSliderCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(pNMHDR);
    *pResult = 0;
    if (draw->dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (draw->dwDrawStage != CDDS_ITEMPREPAINT || draw->dwItemSpec == TBCD_TICS)
        return;
    const int saved = ::SaveDC(draw->hdc);
    if (draw->dwItemSpec == TBCD_THUMB) {
        // Pressed: every shade one step darker for this drawing only.
        const bool pressed = (draw->uItemState & CDIS_SELECTED) != 0;
        DrawThumb(draw->hdc, draw->rc, pressed ? ShadesOf(Darken(m_shades.face, kShadeStep)) : m_shades);
    } else if (draw->dwItemSpec == TBCD_CHANNEL) {
        DrawChannel(draw->hdc, draw->rc);
    }
    ::RestoreDC(draw->hdc, saved);
    *pResult = CDRF_SKIPDEFAULT;
}

void CMacSliderCtrl::DrawChannel(HDC dc, const RECT& drawRect) const
{
    RECT channelRect = {};
    SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channelRect));
    const bool vertical = (GetStyle() & TBS_VERT) != 0;
    const COLORREF fill = IsWindowEnabled() ? m_clrChannel : ::GetSysColor(COLOR_3DFACE);
    RECT rect = drawRect;
    const int min = GetRangeMin();
    const int max = GetRangeMax();
    if (min != 0 || max != 0) {
        ++rect.top;
        --rect.bottom;
    }
    const int length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    if (length >= 4 && rect.right > rect.left && rect.bottom > rect.top) {
        GdiObject<HPEN> edge(::CreatePen(PS_SOLID, 1, m_clrChannelEdge));
        GdiObject<HBRUSH> brush(::CreateSolidBrush(fill));
        SelectScope pen(dc, edge.Get());
        SelectScope fillScope(dc, brush.Get());
        ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 2, 2);
    }
    Line(dc, rect.left + 1, rect.top + 1, rect.right - 1, rect.top + 1, m_clrChannelShade);
    Line(dc, rect.left + 1, rect.top + 1, rect.left + 1, rect.bottom - 1, m_clrChannelShade);
    Line(dc, rect.left, rect.bottom, rect.right + 1, rect.bottom, m_clrChannelLight);
    Line(dc, rect.right, rect.top, rect.right, rect.bottom, m_clrChannelLight);

    const int start = static_cast<int>(SendMessage(TBM_GETSELSTART));
    const int end = static_cast<int>(SendMessage(TBM_GETSELEND));
    int from = 0;
    int to = 0;
    if (!SelectionSpan(min, max, start, end, length, &from, &to))
        return;
    RECT selection = vertical ? RECT{rect.left + 1, rect.top + from + 2, rect.right - 1, rect.top + to - 2}
                              : RECT{rect.left + from + 2, rect.top + 1, rect.left + to - 2, rect.bottom - 1};
    if (selection.right > selection.left && selection.bottom > selection.top) {
        GdiObject<HBRUSH> brush(::CreateSolidBrush(m_clrSelection));
        ::FillRect(dc, &selection, brush.Get());
    }
}

void CMacSliderCtrl::DrawThumb(HDC dc, const RECT& rect, const Shades& shades)
{
    m_lastThumb = shades;
    ++m_nThumbDraws;
    const int l = rect.left;
    const int t = rect.top;
    const int r = rect.right - 1;
    const int b = rect.bottom - 1;
    if (r - l < 2 || b - t < 2)
        return;
    const DWORD style = GetStyle();
    const bool lying = rect.right - rect.left >= rect.bottom - rect.top;
    const COLORREF frame = ::GetSysColor(COLOR_WINDOWFRAME);
    GdiObject<HPEN> framePen(::CreatePen(PS_SOLID, 1, frame));
    GdiObject<HBRUSH> faceBrush(::CreateSolidBrush(shades.face));
    SelectScope pen(dc, framePen.Get());
    SelectScope brush(dc, faceBrush.Get());
    if (style & TBS_BOTH) {
        ::RoundRect(dc, l, t, r + 1, b + 1, 2, 2);
    } else {
        // A pointer: its point towards the top (or left) with TBS_TOP, else the bottom (or right).
        const bool towardsStart = (style & TBS_TOP) != 0;
        const int tip = lying ? (r - l) / 2 : (b - t) / 2;
        std::array<POINT, 5> outline;
        if (!lying && !towardsStart)
            outline = {{{l, t}, {r, t}, {r, b - tip}, {(l + r) / 2, b}, {l, b - tip}}};
        else if (!lying)
            outline = {{{(l + r) / 2, t}, {r, t + tip}, {r, b}, {l, b}, {l, t + tip}}};
        else if (!towardsStart)
            outline = {{{l, t}, {r - tip, t}, {r, (t + b) / 2}, {r - tip, b}, {l, b}}};
        else
            outline = {{{l, (t + b) / 2}, {l + tip, t}, {r, t}, {r, b}, {l + tip, b}}};
        ::Polygon(dc, outline.data(), static_cast<int>(outline.size()));
        ::ExtFloodFill(dc, (l + r) / 2, (t + b) / 2, frame, FLOODFILLBORDER);
    }
    // Raised: light along the top and left, dark along the bottom and right.
    Line(dc, l + 1, t + 1, r, t + 1, shades.light2);
    Line(dc, l + 1, t + 1, l + 1, b, shades.light2);
    Line(dc, l + 2, t + 2, r - 1, t + 2, shades.light1);
    Line(dc, l + 2, t + 2, l + 2, b - 1, shades.light1);
    Line(dc, l + 1, b - 1, r, b - 1, shades.dark2);
    Line(dc, r - 1, t + 1, r - 1, b, shades.dark2);
    Line(dc, l + 2, b - 2, r - 1, b - 2, shades.dark1);
    Line(dc, r - 2, t + 2, r - 2, b - 1, shades.dark1);
}
