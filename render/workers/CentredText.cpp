#include "render/workers/CentredText.h"

void DrawCentredLine(HDC dc, int width, int height, const char* text, COLORREF color)
{
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, color);
    RECT rect = {0, 0, width, height};
    DrawTextA(dc, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}
