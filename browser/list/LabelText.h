// LabelText: a thumbnail cell's name as DrawText lays it out. The ellipsis that DT_MODIFYSTRING
// writes back goes into a buffer with room for it, never past the end of the name's own text.
#pragma once

#include "framework/CString.h"

#include <windows.h>

namespace LabelText
{
// The longest name a label shows; anything after it is not drawn.
constexpr int kMaxChars = MAX_PATH - 1;
// Draws the name's first kMaxChars characters in the rectangle and returns the text as drawn
// (with DT_MODIFYSTRING, the text DrawText made of it).
CString Draw(HDC dc, const char* name, RECT& rect, UINT format);
} // namespace LabelText
