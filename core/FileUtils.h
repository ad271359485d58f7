// Tests on files and folders by path, file times and sizes, folder creation and the reader of
// zero-terminated strings in data files. None of them raises an error: a failure is false, 0 or
// an empty text.
#pragma once

#include "framework/Afx.h"

// True when the path holds '*' or '?' (the "\\?\" of a long path is none).
bool HasWildcards(const char* path);
// True for an existing file (not a folder). A name with wildcards is never an existing file.
bool IsExistingFile(const char* path);
// True for an existing folder, given with or without its trailing backslash. A drive root counts
// only on a fixed or network drive; an empty path is not a folder.
bool IsExistingFolder(const char* path);
// The file's last-write time in local time; out is zeroed first and stays zero on failure.
bool GetFileLocalWriteTime(const char* path, FILETIME* out);
// The file's size in bytes; 0 when it is not found.
ULONGLONG GetFileSizeByName(const char* path);
// Creates every missing folder of the path in turn; true when the whole path exists afterwards
// (an empty path is true).
bool CreateFolderPath(const char* path);
// Reads one zero-terminated string: bytes up to a zero byte (consumed, not kept) or the end of the
// file. A string that runs past maxLength stops there, so that a file without zero bytes cannot
// make the reader swallow all of it.
CString ReadStringZ(CFile& file, int maxLength = 64 * 1024);
