#include "browser/shell/ShellStrRet.h"

#include "browser/shell/PidlBytes.h"

#include <cstring>
#include <vector>

namespace
{
// The offset string lies inside the item's own bytes: find its end there.
bool OffsetText(const STRRET& strret, LPCITEMIDLIST item, const char** text, UINT* length)
{
    const UINT itemBytes = PidlBytes::ItemSize(item);
    if (strret.uOffset >= itemBytes)
        return false;
    const char* start = reinterpret_cast<const char*>(item) + strret.uOffset;
    UINT n = 0;
    while (strret.uOffset + n < itemBytes && start[n] != '\0')
        ++n;
    *text = start;
    *length = n;
    return true;
}
} // namespace

namespace ShellStrRet
{
bool ToString(STRRET* strret, LPCITEMIDLIST item, CString& out)
{
    out.Empty();
    if (!strret)
        return false;
    switch (strret->uType) {
    case STRRET_WSTR: {
        if (!strret->pOleStr)
            return false;
        const int need = WideCharToMultiByte(CP_ACP, 0, strret->pOleStr, -1, nullptr, 0, nullptr, nullptr);
        std::vector<char> text(need > 0 ? need : 1, '\0');
        if (need > 0)
            WideCharToMultiByte(CP_ACP, 0, strret->pOleStr, -1, text.data(), need, nullptr, nullptr);
        CoTaskMemFree(strret->pOleStr);
        strret->pOleStr = nullptr;
        out = text.data();
        return need > 0;
    }
    case STRRET_OFFSET: {
        const char* text = nullptr;
        UINT length = 0;
        if (!OffsetText(*strret, item, &text, &length))
            return false;
        out = CString(text, static_cast<int>(length));
        return true;
    }
    case STRRET_CSTR: {
        const int n = static_cast<int>(strnlen(strret->cStr, sizeof(strret->cStr)));
        out = CString(strret->cStr, n);
        return true;
    }
    default:
        return false;
    }
}

bool ToBuffer(STRRET* strret, LPCITEMIDLIST item, char* buffer, UINT size)
{
    if (!buffer || size == 0)
        return false;
    buffer[0] = '\0';
    CString text;
    if (!ToString(strret, item, text))
        return false;
    const UINT n = static_cast<UINT>(text.GetLength()) < size - 1 ? text.GetLength() : size - 1;
    memcpy(buffer, text.GetString(), n);
    buffer[n] = '\0';
    return true;
}
} // namespace ShellStrRet
