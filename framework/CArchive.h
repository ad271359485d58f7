// CArchive (the stream a Serialize slot reads or writes through a CFile) and
// CArchiveException.
#pragma once

#include "framework/CException.h"
#include "framework/CFile.h"
#include "framework/CString.h"

class CArchiveException : public CException
{
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum
    {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema
    };

    explicit CArchiveException(int cause = none, LPCTSTR lpszArchiveName = nullptr);
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;

    int m_cause;
    CString m_strFileName;
};

[[noreturn]] void AFXAPI AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName = nullptr);

// Reads and writes go straight to the file, so the file's position always matches the archive's.
// Values are stored little-endian, as the framework stores them.
class CArchive
{
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    // The buffer arguments are accepted for compatibility; no buffer is kept.
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    BOOL IsByteSwapping() const { return FALSE; }
    CFile* GetFile() const { return m_pFile; }

    // The bytes read, fewer at the end of the file.
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);
    void Flush();
    // Ends the archive; the file stays open.
    void Close();
    void Abort();

    // Counts as the framework stores them: 16 bits, or 0xFFFF and 32 bits.
    void WriteCount(DWORD_PTR dwCount);
    DWORD_PTR ReadCount();

    // A line of text: WriteString writes no terminator; ReadString reads up to a newline
    // (dropping "\r\n" or "\n") and gives false at the end of the file.
    void WriteString(LPCTSTR lpsz);
    BOOL ReadString(CString& rString);

    CArchive& operator<<(BYTE by) { return WriteValue(by); }
    CArchive& operator<<(WORD w) { return WriteValue(w); }
    CArchive& operator<<(LONG l) { return WriteValue(l); }
    CArchive& operator<<(DWORD dw) { return WriteValue(dw); }
    CArchive& operator<<(int i) { return WriteValue(i); }
    CArchive& operator<<(UINT u) { return WriteValue(u); }
    CArchive& operator<<(short s) { return WriteValue(s); }
    CArchive& operator<<(char ch) { return WriteValue(ch); }
    CArchive& operator<<(bool b) { return WriteValue(static_cast<BYTE>(b ? 1 : 0)); }
    // A text is stored as a CString (without this, a literal would be taken for a bool).
    CArchive& operator<<(LPCTSTR lpsz);
    CArchive& operator<<(float f) { return WriteValue(f); }
    CArchive& operator<<(double d) { return WriteValue(d); }
    CArchive& operator<<(LONGLONG ll) { return WriteValue(ll); }
    CArchive& operator<<(ULONGLONG ull) { return WriteValue(ull); }

    CArchive& operator>>(BYTE& by) { return ReadValue(by); }
    CArchive& operator>>(WORD& w) { return ReadValue(w); }
    CArchive& operator>>(LONG& l) { return ReadValue(l); }
    CArchive& operator>>(DWORD& dw) { return ReadValue(dw); }
    CArchive& operator>>(int& i) { return ReadValue(i); }
    CArchive& operator>>(UINT& u) { return ReadValue(u); }
    CArchive& operator>>(short& s) { return ReadValue(s); }
    CArchive& operator>>(char& ch) { return ReadValue(ch); }
    CArchive& operator>>(bool& b);
    CArchive& operator>>(float& f) { return ReadValue(f); }
    CArchive& operator>>(double& d) { return ReadValue(d); }
    CArchive& operator>>(LONGLONG& ll) { return ReadValue(ll); }
    CArchive& operator>>(ULONGLONG& ull) { return ReadValue(ull); }

private:
    template <typename T>
    CArchive& WriteValue(const T& value)
    {
        Write(&value, sizeof(value));
        return *this;
    }
    // A short read throws CArchiveException endOfFile.
    template <typename T>
    CArchive& ReadValue(T& value)
    {
        ReadExactly(&value, sizeof(value));
        return *this;
    }
    void ReadExactly(void* lpBuf, UINT nCount);
    void CheckMode(bool bLoading) const;

    CFile* m_pFile;
    UINT m_nMode;
};

// The string as a count (a byte, or 0xFF and a WORD, or 0xFFFF and a DWORD) and its bytes.
// A stored count beyond the end of the file throws CArchiveException endOfFile.
CArchive& AFXAPI operator<<(CArchive& ar, const CString& string);
CArchive& AFXAPI operator>>(CArchive& ar, CString& string);
