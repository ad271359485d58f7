// Turns a shell STRRET into 8-bit text. An offset string is read from the item the STRRET was
// returned for (never from some other list), and the copy is bounded by the caller's buffer.
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <shlobj.h>

namespace ShellStrRet
{
// Writes at most size-1 characters and a terminator; a wide string is freed with the shell
// allocator. False for a bad type, a null buffer or an offset outside the item.
bool ToBuffer(STRRET* strret, LPCITEMIDLIST item, char* buffer, UINT size);
// The same into a string of any length.
bool ToString(STRRET* strret, LPCITEMIDLIST item, CString& out);
} // namespace ShellStrRet
