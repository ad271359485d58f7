#include "core/RegistryValues.h"

namespace {

// Longer strings are not settings of this program; refusing them bounds what a damaged or
// hostile value can make us allocate.
const DWORD kMaxStringBytes = 64 * 1024;

} // namespace

bool QueryStringValue(HKEY key, const char* name, CString& value)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxStringBytes)
        return false;
    CString text;
    // One spare byte so that a stored string without its terminator is still terminated.
    char* buffer = text.GetBuffer(static_cast<int>(size) + 1);
    DWORD read = size;
    const LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &read);
    if (result != ERROR_SUCCESS || read > size) {
        text.ReleaseBuffer(0);
        return false;
    }
    buffer[read] = '\0';
    text.ReleaseBuffer();
    value = text;
    return true;
}
