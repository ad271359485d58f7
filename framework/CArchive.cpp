#include "framework/CArchive.h"

#include <algorithm>
#include <iterator>

IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

const char* const kArchiveTexts[] = {
    "No error occurred while accessing %s.",
    "An unknown error occurred while accessing %s.",
    "An attempt was made to write to %s while it was being read.",
    "An attempt was made to access %s past its end.",
    "An attempt was made to read from %s while it was being written.",
    "%s has an incorrect format.",
    "%s contained an unexpected object.",
    "%s contains an incorrect schema.",
};

} // namespace

CArchiveException::CArchiveException(int cause, LPCTSTR lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName)
{
}

BOOL CArchiveException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                                        PUINT pnHelpContext) const
{
    return CopyFileMessage(kArchiveTexts, static_cast<int>(std::size(kArchiveTexts)), m_cause, m_strFileName,
                           lpszError, nMaxError, pnHelpContext);
}

void AFXAPI AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName)
{
    throw new CArchiveException(cause, lpszArchiveName);
}

CArchive::CArchive(CFile* pFile, UINT nMode, int, void*) : m_pFile(pFile), m_nMode(nMode)
{
    if (pFile == nullptr)
        AfxThrowInvalidArgException();
}

CArchive::~CArchive()
{
    Abort();
}

void CArchive::CheckMode(bool bLoading) const
{
    if (m_pFile == nullptr)
        AfxThrowArchiveException(CArchiveException::genericException);
    if (bLoading != static_cast<bool>(IsLoading()))
        AfxThrowArchiveException(bLoading ? CArchiveException::writeOnly
                                          : CArchiveException::readOnly,
                                 m_pFile->GetFilePath());
}

UINT CArchive::Read(void* lpBuf, UINT nMax)
{
    CheckMode(true);
    return m_pFile->Read(lpBuf, nMax);
}

void CArchive::ReadExactly(void* lpBuf, UINT nCount)
{
    if (Read(lpBuf, nCount) != nCount)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

void CArchive::Write(const void* lpBuf, UINT nMax)
{
    CheckMode(false);
    m_pFile->Write(lpBuf, nMax);
}

void CArchive::Flush()
{
    // Nothing is held back: every write has reached the file already.
}

void CArchive::Close()
{
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort()
{
    m_pFile = nullptr;
}

void CArchive::WriteCount(DWORD_PTR dwCount)
{
    if (dwCount < 0xFFFF) {
        *this << static_cast<WORD>(dwCount);
    } else {
        *this << static_cast<WORD>(0xFFFF);
        *this << static_cast<DWORD>(dwCount);
    }
}

DWORD_PTR CArchive::ReadCount()
{
    WORD wCount;
    *this >> wCount;
    if (wCount != 0xFFFF)
        return wCount;
    DWORD dwCount;
    *this >> dwCount;
    return dwCount;
}

void CArchive::WriteString(LPCTSTR lpsz)
{
    if (lpsz != nullptr)
        Write(lpsz, static_cast<UINT>(lstrlenA(lpsz)));
}

BOOL CArchive::ReadString(CString& rString)
{
    rString.Empty();
    char ch;
    bool any = false;
    while (Read(&ch, 1) == 1) {
        any = true;
        if (ch == '\n')
            break;
        rString += ch;
    }
    if (!rString.IsEmpty() && rString[rString.GetLength() - 1] == '\r')
        rString.Delete(rString.GetLength() - 1);
    return any;
}

CArchive& CArchive::operator<<(LPCTSTR lpsz)
{
    return ::operator<<(*this, CString(lpsz));
}

CArchive& CArchive::operator>>(bool& b)
{
    BYTE by;
    ReadValue(by);
    b = by != 0;
    return *this;
}

CArchive& AFXAPI operator<<(CArchive& ar, const CString& string)
{
    const DWORD n = static_cast<DWORD>(string.GetLength());
    if (n < 0xFF) {
        ar << static_cast<BYTE>(n);
    } else if (n < 0xFFFE) {
        ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(n);
    } else {
        ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << n;
    }
    ar.Write(string.GetString(), n);
    return ar;
}

CArchive& AFXAPI operator>>(CArchive& ar, CString& string)
{
    BYTE by;
    ar >> by;
    DWORD n = by;
    if (by == 0xFF) {
        WORD w;
        ar >> w;
        n = w;
        if (w == 0xFFFF)
            ar >> n;
    }
    // The count comes from the file: never allocate more than the file still holds.
    CFile* pFile = ar.GetFile();
    if (n > pFile->GetLength() - std::min(pFile->GetLength(), pFile->GetPosition()) ||
        n > 0x7FFFFFF0)
        AfxThrowArchiveException(CArchiveException::endOfFile, pFile->GetFilePath());
    const int nLen = static_cast<int>(n);
    if (ar.Read(string.GetBufferSetLength(nLen), n) != n) {
        string.Empty();
        AfxThrowArchiveException(CArchiveException::endOfFile, pFile->GetFilePath());
    }
    string.ReleaseBuffer(nLen);
    return ar;
}
