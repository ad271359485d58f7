// String reads from the registry that neither truncate nor run past the data: the value is read
// whatever its length (up to a sane limit), counts only when it is REG_SZ or REG_EXPAND_SZ, and
// always ends up terminated. DWORDs and writes go through CRegKey directly.
#pragma once

#include "framework/Afx.h"

// name null or empty reads the key's default value.
bool QueryStringValue(HKEY key, const char* name, CString& value);
