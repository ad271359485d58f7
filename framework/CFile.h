// CFile over a Win32 file handle, and CFileStatus (what GetStatus reports).
#pragma once

#include "framework/CFileException.h"
#include "framework/CObject.h"
#include "framework/CString.h"
#include "framework/CTime.h"

struct CFileStatus
{
    CTime m_ctime; // creation, local time (0 when the file system gives none)
    CTime m_mtime; // last write
    CTime m_atime; // last access
    ULONGLONG m_size;
    BYTE m_attribute; // CFile::Attribute bits
    BYTE m_padding;
    char m_szFullName[MAX_PATH];
};

class CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000
    };
    enum Attribute
    {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    static const HANDLE hFileNull;

    CFile();
    // Wraps an open handle without taking it over (it is not closed on delete).
    explicit CFile(HANDLE hFile);
    // Opens the file or throws the CFileException that Open reports.
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    // Closes the file when it owns it; errors are ignored here (use Close to see them).
    ~CFile() override;

    operator HANDLE() const { return m_hFile; }

    // False on failure, with the cause, the Win32 error and the name in *pError.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

    // The bytes read, fewer at the end of the file. Failures throw CFileException.
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writes all bytes or throws (diskFull when fewer were written).
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    // Truncates or extends the file; the position ends at the new length.
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    virtual void Close();
    // Closes without reporting errors; safe on a closed file.
    virtual void Abort();

    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;
    virtual CString GetFilePath() const { return m_strFileName; }
    virtual void SetFilePath(LPCTSTR lpszNewName) { m_strFileName = lpszNewName; }

    BOOL GetStatus(CFileStatus& rStatus) const;
    // False when the file does not exist; names with wildcards are refused.
    static BOOL PASCAL GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus);
    static void PASCAL Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);
    static void PASCAL Remove(LPCTSTR lpszFileName);

    HANDLE m_hFile;
    BOOL m_bCloseOnDelete;

protected:
    CString m_strFileName; // full path of the open file

private:
    [[noreturn]] void ThrowLastError() const;
};
