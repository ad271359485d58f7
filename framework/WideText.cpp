#include "framework/WideText.h"

#include <windows.h>

#include <cstring>

namespace orvo {

namespace {

std::wstring Convert(UINT codePage, DWORD flags, const char* text, int length)
{
    const int n = ::MultiByteToWideChar(codePage, flags, text, length, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, text, length, &out[0], n);
    return out;
}

} // namespace

std::wstring WideText(const char* text, int length)
{
    if (!text)
        return {};
    if (length < 0)
        length = static_cast<int>(std::strlen(text));
    if (length == 0)
        return {};
    std::wstring wide = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, text, length);
    return wide.empty() ? Convert(CP_ACP, 0, text, length) : wide;
}

} // namespace orvo
