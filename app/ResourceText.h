// Strings of the program's own string table.
#pragma once

#include "framework/Afx.h"

// The string with the id; an empty text when the program has no such string.
CString LoadResString(UINT id);
