// Drawing plain bitmaps onto a device: a rectangle copied or stretched with an optional palette,
// and a bitmap drawn with one colour transparent.
#pragma once

#include <windows.h>

// The blit result; 0 when no memory device could be made.
BOOL DrawBitmapRect(HDC target, const RECT& destination, HBITMAP bitmap, const RECT& source,
                    HPALETTE palette, DWORD rop);
// Draws the bitmap at (x, y) leaving the target showing where the bitmap has the transparent
// colour; the bitmap is unchanged afterwards.
void DrawTransparentBitmap(HDC target, HBITMAP bitmap, int x, int y, COLORREF transparent);
