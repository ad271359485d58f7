#include "framework/CFile.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

DWORD AccessOf(UINT nOpenFlags)
{
    switch (nOpenFlags & 3) {
    case CFile::modeRead: return GENERIC_READ;
    case CFile::modeWrite: return GENERIC_WRITE;
    case CFile::modeReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return 0;
    }
}

DWORD ShareOf(UINT nOpenFlags)
{
    switch (nOpenFlags & 0x70) {
    case CFile::shareDenyWrite: return FILE_SHARE_READ;
    case CFile::shareDenyRead: return FILE_SHARE_WRITE;
    case CFile::shareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0; // compatibility and exclusive
    }
}

DWORD CreationOf(UINT nOpenFlags)
{
    if (nOpenFlags & CFile::modeCreate)
        return (nOpenFlags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    return OPEN_EXISTING;
}

DWORD AttributesOf(UINT nOpenFlags)
{
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (nOpenFlags & CFile::osNoBuffer)
        attributes |= FILE_FLAG_NO_BUFFERING;
    if (nOpenFlags & CFile::osWriteThrough)
        attributes |= FILE_FLAG_WRITE_THROUGH;
    if (nOpenFlags & CFile::osRandomAccess)
        attributes |= FILE_FLAG_RANDOM_ACCESS;
    if (nOpenFlags & CFile::osSequentialScan)
        attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
    return attributes;
}

CString FullPathOf(LPCTSTR lpszFileName)
{
    CString full;
    const DWORD n = GetFullPathNameA(lpszFileName, MAX_PATH, full.GetBuffer(MAX_PATH), nullptr);
    full.ReleaseBuffer(n > 0 && n < MAX_PATH ? static_cast<int>(n) : 0);
    return full.IsEmpty() ? CString(lpszFileName) : full;
}

// A file time as a CTime, or 0 when it has no meaning (never written, out of range).
CTime TimeOf(const FILETIME& ft)
{
    return CTime::IsValidFILETIME(ft) ? CTime(ft) : CTime();
}

void FillTimes(CFileStatus& rStatus, const FILETIME& created, const FILETIME& accessed,
               const FILETIME& written)
{
    rStatus.m_ctime = TimeOf(created);
    rStatus.m_atime = TimeOf(accessed);
    rStatus.m_mtime = TimeOf(written);
}

} // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile()
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile()
{
    if (m_bCloseOnDelete)
        Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    Abort();
    const DWORD access = AccessOf(nOpenFlags);
    if (lpszFileName == nullptr || *lpszFileName == '\0' || access == 0) {
        if (pError != nullptr) {
            pError->m_cause = lpszFileName == nullptr || *lpszFileName == '\0'
                                  ? CFileException::badPath
                                  : CFileException::genericException;
            pError->m_lOsError = ERROR_INVALID_PARAMETER;
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, (nOpenFlags & modeNoInherit) == 0};
    HANDLE hFile = CreateFileA(lpszFileName, access, ShareOf(nOpenFlags), &sa,
                               CreationOf(nOpenFlags), AttributesOf(nOpenFlags), nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        const LONG error = static_cast<LONG>(GetLastError());
        if (pError != nullptr) {
            pError->m_lOsError = error;
            pError->m_cause = CFileException::OsErrorToException(error);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_hFile = hFile;
    m_bCloseOnDelete = TRUE;
    m_strFileName = FullPathOf(lpszFileName);
    return TRUE;
}

void CFile::ThrowLastError() const
{
    CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    DWORD nRead = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &nRead, nullptr))
        ThrowLastError();
    return nRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    DWORD nWritten = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &nWritten, nullptr))
        ThrowLastError();
    if (nWritten != nCount)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LARGE_INTEGER distance;
    distance.QuadPart = lOff;
    LARGE_INTEGER position;
    if (nFrom > end)
        AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
    if (!SetFilePointerEx(m_hFile, distance, &position, nFrom))
        ThrowLastError();
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero = {};
    LARGE_INTEGER position;
    if (!SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT))
        ThrowLastError();
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size))
        ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile))
        ThrowLastError();
}

void CFile::Flush()
{
    if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile))
        ThrowLastError();
}

void CFile::Close()
{
    BOOL ok = TRUE;
    if (m_hFile != hFileNull)
        ok = CloseHandle(m_hFile);
    const LONG error = static_cast<LONG>(GetLastError());
    const CString name = m_strFileName;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
    if (!ok)
        CFileException::ThrowOsError(error, name);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}

CString CFile::GetFileName() const
{
    const int slash = std::max(m_strFileName.ReverseFind('\\'), m_strFileName.ReverseFind('/'));
    return m_strFileName.Mid(slash + 1);
}

CString CFile::GetFileTitle() const
{
    CString title = GetFileName();
    const int dot = title.ReverseFind('.');
    return dot >= 0 ? title.Left(dot) : title;
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const
{
    rStatus = CFileStatus();
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(m_hFile, &info))
        return FALSE;
    FillTimes(rStatus, info.ftCreationTime, info.ftLastAccessTime, info.ftLastWriteTime);
    rStatus.m_size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    rStatus.m_attribute = static_cast<BYTE>(info.dwFileAttributes & ~FILE_ATTRIBUTE_NORMAL);
    lstrcpynA(rStatus.m_szFullName, m_strFileName, MAX_PATH);
    return TRUE;
}

BOOL PASCAL CFile::GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus)
{
    rStatus = CFileStatus();
    // FindFirstFile would take a wildcard as a pattern and report some other file.
    if (lpszFileName == nullptr || *lpszFileName == '\0' || strpbrk(lpszFileName, "*?") != nullptr)
        return FALSE;
    const DWORD n = GetFullPathNameA(lpszFileName, MAX_PATH, rStatus.m_szFullName, nullptr);
    if (n == 0 || n >= MAX_PATH) {
        rStatus.m_szFullName[0] = '\0';
        return FALSE;
    }
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(lpszFileName, &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(hFind);
    FillTimes(rStatus, data.ftCreationTime, data.ftLastAccessTime, data.ftLastWriteTime);
    rStatus.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    rStatus.m_attribute = static_cast<BYTE>(data.dwFileAttributes & ~FILE_ATTRIBUTE_NORMAL);
    return TRUE;
}

void PASCAL CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName)
{
    if (!MoveFileA(lpszOldName, lpszNewName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszOldName);
}

void PASCAL CFile::Remove(LPCTSTR lpszFileName)
{
    if (!DeleteFileA(lpszFileName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszFileName);
}
