// Strings of the program's own string table.
#pragma once

#include "framework/Afx.h"

// The string with the id; an empty text when the program has no such string.
CString LoadResString(UINT id);
// The string with the id, or fallback when the program has no such string (a test executable
// without the program's resources).
CString LoadResStringOr(UINT id, const char* fallback);
