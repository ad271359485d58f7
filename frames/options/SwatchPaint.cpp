#include "frames/options/SwatchPaint.h"

#include "framework/GdiScopes.h"

#include <algorithm>

void PaintSolidRect(HDC dc, const RECT& rect, COLORREF color)
{
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, color));
    GdiObject<HBRUSH> brush(::CreateSolidBrush(color));
    SelectScope selectPen(dc, pen.Get());
    SelectScope selectBrush(dc, brush.Get());
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

COLORREF ShiftColor(COLORREF color, int step)
{
    const auto shift = [step](int channel) { return std::clamp(channel + step, 0, 255); };
    return RGB(shift(GetRValue(color)), shift(GetGValue(color)), shift(GetBValue(color)));
}

void PaintLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int width)
{
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, width, color));
    SelectScope selectPen(dc, pen.Get());
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}
