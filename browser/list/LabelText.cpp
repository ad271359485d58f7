#include "browser/list/LabelText.h"

#include <cstring>

namespace
{
// DrawText may lengthen a modified text by an ellipsis and its terminator.
constexpr size_t kEllipsisRoom = 4;
} // namespace

CString LabelText::Draw(HDC dc, const char* name, RECT& rect, UINT format)
{
    char text[kMaxChars + 1 + kEllipsisRoom] = {};
    if (name)
        strncpy(text, name, kMaxChars);
    DrawTextA(dc, text, -1, &rect, format);
    text[sizeof text - 1] = '\0';
    return CString(text);
}
