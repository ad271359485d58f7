#include "core/ResourceText.h"

CString LoadResString(UINT id)
{
    char buffer[2048];
    const int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
    return length > 0 ? CString(buffer, length) : CString();
}

CString LoadResStringOr(UINT id, const char* fallback)
{
    const CString text = LoadResString(id);
    return text.IsEmpty() ? CString(fallback) : text;
}
