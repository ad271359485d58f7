#include "render/cache/CacheFile.h"

#include "core/FileUtils.h"

#include <atomic>

namespace CacheFile {

namespace {

std::atomic<int> s_attempts{100};
std::atomic<DWORD> s_pauseMs{100};

bool IsBusyCause(int cause)
{
    return cause == CFileException::accessDenied || cause == CFileException::sharingViolation;
}

bool IsBusyError(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

} // namespace

RetryPolicy GetRetryPolicy()
{
    return RetryPolicy{s_attempts.load(), s_pauseMs.load()};
}

void SetRetryPolicy(const RetryPolicy& policy)
{
    s_attempts = policy.attempts < 1 ? 1 : policy.attempts;
    s_pauseMs = policy.pauseMs;
}

bool OpenWithRetry(CFile& file, const char* path, UINT flags)
{
    const RetryPolicy policy = GetRetryPolicy();
    for (int attempt = 0; attempt < policy.attempts; ++attempt) {
        CFileException error;
        if (file.Open(path, flags, &error))
            return true;
        if (!IsBusyCause(error.m_cause))
            return false;
        Sleep(policy.pauseMs);
    }
    return false;
}

bool OpenForRead(CFile& file, const char* path)
{
    return OpenWithRetry(file, path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary);
}

bool ReadU32(CFile& file, uint32_t& value)
{
    BYTE bytes[4];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes)
        return false;
    value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
            (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

bool ReadU64(CFile& file, uint64_t& value)
{
    uint32_t low = 0;
    uint32_t high = 0;
    if (!ReadU32(file, low) || !ReadU32(file, high))
        return false;
    value = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

// Reads a block at a time and seeks back behind the NUL, so that a name costs two calls instead
// of one per byte.
bool ReadText(CFile& file, CString& text, int maxLength)
{
    text.Empty();
    char block[256];
    for (;;) {
        const ULONGLONG start = file.GetPosition();
        const UINT got = file.Read(block, sizeof block);
        if (got == 0)
            return false;
        UINT length = 0;
        while (length < got && block[length] != '\0')
            ++length;
        if (text.GetLength() + static_cast<int>(length) > maxLength)
            return false;
        text += CString(block, static_cast<int>(length));
        if (length < got) {
            file.Seek(static_cast<LONGLONG>(start + length + 1), CFile::begin);
            return true;
        }
    }
}

void WriteU32(CFile& file, uint32_t value)
{
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    file.Write(bytes, sizeof bytes);
}

void WriteU64(CFile& file, uint64_t value)
{
    WriteU32(file, static_cast<uint32_t>(value));
    WriteU32(file, static_cast<uint32_t>(value >> 32));
}

void WriteText(CFile& file, const char* text)
{
    const char* safe = text ? text : "";
    file.Write(safe, static_cast<UINT>(lstrlenA(safe)) + 1);
}

void SeekTo(CFile& file, uint64_t offset)
{
    if (offset > 0x7FFFFFFFull)
        AfxThrowFileException(CFileException::badSeek);
    file.Seek(static_cast<LONGLONG>(offset), CFile::begin);
}

bool FindFileInfo(const char* path, FILETIME* localWriteTime, uint32_t* sizeLow)
{
    // The attributes of the name itself cost one query where a directory search opens, reads
    // and closes the folder (under Wine each a round trip to its server); a name with wildcards
    // still goes to the search, which matches it as a pattern.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || HasWildcards(path)) {
        WIN32_FIND_DATAA found;
        const HANDLE find = path ? FindFirstFileA(path, &found) : INVALID_HANDLE_VALUE;
        if (find == INVALID_HANDLE_VALUE)
            return false;
        FindClose(find);
        data.dwFileAttributes = found.dwFileAttributes;
        data.ftLastWriteTime = found.ftLastWriteTime;
        data.nFileSizeLow = found.nFileSizeLow;
    } else if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        return false;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    if (localWriteTime)
        FileTimeToLocalFileTime(&data.ftLastWriteTime, localWriteTime);
    if (sizeLow)
        *sizeLow = data.nFileSizeLow;
    return true;
}

CString FileNamePart(const char* path)
{
    const CString text = path ? path : "";
    const int slash = text.ReverseFind('\\');
    const int colon = text.ReverseFind(':');
    const int cut = slash > colon ? slash : colon;
    return text.Mid(cut + 1);
}

CString WithBackslash(const char* folder)
{
    CString text = folder ? folder : "";
    if (!text.IsEmpty() && text[text.GetLength() - 1] != '\\')
        text += '\\';
    return text;
}

CString WithoutBackslash(const char* folder)
{
    CString text = folder ? folder : "";
    if (!text.IsEmpty() && text[text.GetLength() - 1] == '\\')
        text = text.Left(text.GetLength() - 1);
    return text;
}

CString MakeTempPathBeside(const char* path)
{
    const CString full = path ? path : "";
    const int slash = full.ReverseFind('\\');
    const CString folder = slash >= 0 ? full.Left(slash + 1) : CString(".\\");
    char name[MAX_PATH + 16];
    if (folder.GetLength() > MAX_PATH - 14 || !GetTempFileNameA(folder, "ovk", 0, name))
        return CString();
    return CString(name);
}

bool ReplaceWithTemp(const char* tempPath, const char* path)
{
    const RetryPolicy policy = GetRetryPolicy();
    for (int attempt = 0; attempt < policy.attempts; ++attempt) {
        if (MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING))
            return true;
        if (!IsBusyError(GetLastError()))
            break;
        Sleep(policy.pauseMs);
    }
    DeleteFileA(tempPath);
    return false;
}

} // namespace CacheFile
