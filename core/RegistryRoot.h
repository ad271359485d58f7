// The program's registry root under HKEY_CURRENT_USER ("Software\Halvorn\Orvo DWG Viewer\", with
// its trailing backslash). Every registry path of the program is this root plus a subkey name;
// tests point it at a root of their own.
#pragma once

#include "framework/Afx.h"

extern CString g_strRegistryRoot;

// The root plus a subkey name, e.g. "Option\Thumbnail".
CString ProgramKeyPath(const char* subkey);

// A root the user names (the program's ORVO_KESTAL_REGISTRY_ROOT): "Software\<key>" or
// "Software\<key>\<appName>", with or without a trailing backslash, one or more key levels.
// True with the key (what the framework's profile is named by) and the program's root
// "Software\<key>\<appName>\"; false for any other form, with both left empty.
bool ParseRegistryRoot(const CString& value, const char* appName, CString& key, CString& root);
