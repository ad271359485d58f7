// CacheFile: what every reader and writer of the thumbnail cache files shares: opening with the
// busy-file retry, the little-endian fields and NUL-terminated texts, the directory search that
// gives a file's local write time and size, and replacing a file by a finished temporary one.
#pragma once

#include "framework/Afx.h"

#include <cstdint>

namespace CacheFile {

// A busy cache file (another process or thread has it open) is tried again this many times in
// all, with this pause after each busy failure. Tests shorten both.
struct RetryPolicy
{
    int attempts;
    DWORD pauseMs;
};
RetryPolicy GetRetryPolicy();
void SetRetryPolicy(const RetryPolicy& policy);

// Opens through the framework's file class; a busy file (accessDenied or sharingViolation) is
// retried by the policy, any other cause gives up at once. False when it could not be opened.
bool OpenWithRetry(CFile& file, const char* path, UINT flags);
// Read, share-deny-write, untranslated.
bool OpenForRead(CFile& file, const char* path);

// Reads throw CFileException on I/O failure; a short read gives false.
bool ReadU32(CFile& file, uint32_t& value);
bool ReadU64(CFile& file, uint64_t& value);
// Reads up to the NUL (consumed); false at the end of the file before a NUL, or when the text
// is longer than maxLength characters (the position is then undefined).
bool ReadText(CFile& file, CString& text, int maxLength);
void WriteU32(CFile& file, uint32_t value);
void WriteU64(CFile& file, uint64_t value);
// The text with its NUL.
void WriteText(CFile& file, const char* text);

// Seeks to an absolute offset below 2 GiB (the format's limit).
void SeekTo(CFile& file, uint64_t offset);

// The file at path (not a folder): its last-write time in local time and the low 32 bits of its size.
bool FindFileInfo(const char* path, FILETIME* localWriteTime, uint32_t* sizeLow);
// The part after the last backslash (or colon).
CString FileNamePart(const char* path);
CString WithBackslash(const char* folder);
CString WithoutBackslash(const char* folder);

// A name for a temporary file in the same folder as path (the file is created empty, so the name
// stays reserved); empty when none could be made.
CString MakeTempPathBeside(const char* path);
// Moves temp over path (MOVEFILE_REPLACE_EXISTING), retried while path is busy; on failure the
// temporary file is deleted and the old file stays as it was.
bool ReplaceWithTemp(const char* tempPath, const char* path);

} // namespace CacheFile
