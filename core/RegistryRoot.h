// The program's registry root under HKEY_CURRENT_USER ("Software\Halvorn\Orvo DWG Viewer\", with
// its trailing backslash). Every registry path of the program is this root plus a subkey name;
// tests point it at a root of their own.
#pragma once

#include "framework/Afx.h"

extern CString g_strRegistryRoot;

// The root plus a subkey name, e.g. "Option\Thumbnail".
CString ProgramKeyPath(const char* subkey);
