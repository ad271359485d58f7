// Splitting of paths into drive and folder, file name and extension, as the C library's path
// splitting does it, but for paths of any length and stepping over double-byte characters (a trail
// byte that happens to be '\\' or '.' is not a separator).
#pragma once

#include "framework/Afx.h"

// Drive and folder, with the folder's trailing backslash: "C:\a\b.dwg" gives "C:\a\".
CString GetPathFolder(const char* path);
// File name and extension: "C:\a\b.dwg" gives "b.dwg".
CString GetPathFileName(const char* path);
// The extension with its dot, from the last dot of the file name; empty when there is none.
CString GetPathExtension(const char* path);
// Drive, folder and file name, followed by newExtension (which carries its own dot); null appends
// nothing.
CString ReplacePathExtension(const char* path, const char* newExtension);

// The full path of the running program.
CString GetProgramPath();
// Its drive and folder, with the trailing backslash.
CString GetProgramFolder();
