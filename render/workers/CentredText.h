// DrawCentredLine: one line of text centred in a rectangle, in a colour of its own over what is
// there, shortened with an ellipsis when it does not fit. The workers' messages in their pictures
// (the drawing thread's "Open file failure!", the thumbnail thread's status panels) use it.
#pragma once

#include <windows.h>

void DrawCentredLine(HDC dc, int width, int height, const char* text, COLORREF color);
