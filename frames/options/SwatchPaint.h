// Painting helpers of the options pages' swatches and thumbnail sample.
#pragma once

#include <windows.h>

// The rectangle outlined and filled in one colour.
void PaintSolidRect(HDC dc, const RECT& rect, COLORREF color);
// Each channel moved by step (negative darkens), held within 0..255.
COLORREF ShiftColor(COLORREF color, int step);
// A line of one colour and width from (x1, y1) to (x2, y2).
void PaintLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int width);
