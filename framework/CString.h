// CString: the reference-counted, copy-on-write 8-bit (ANSI) string.
#pragma once

#include "framework/AfxDefs.h"

#include <cstdarg>

class CString
{
public:
    CString() noexcept;
    CString(const CString& src);
    CString(CString&& src) noexcept;
    // A null pointer gives an empty string; MAKEINTRESOURCE(id) loads string id.
    CString(LPCTSTR lpsz);
    CString(const unsigned char* psz);
    CString(LPCTSTR lpch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& src);
    CString& operator=(CString&& src) noexcept;
    CString& operator=(LPCTSTR lpsz);
    CString& operator=(const unsigned char* psz);
    CString& operator=(char ch);

    CString& operator+=(const CString& src);
    CString& operator+=(LPCTSTR lpsz);
    CString& operator+=(char ch);

    int GetLength() const { return Data()->nDataLength; }
    BOOL IsEmpty() const { return GetLength() == 0; }
    void Empty();

    // The index may equal the length (the terminating zero); beyond that throws
    // CInvalidArgException.
    char GetAt(int nIndex) const;
    char operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, char ch);
    operator LPCTSTR() const { return m_pchData; }
    LPCTSTR GetString() const { return m_pchData; }

    int Compare(LPCTSTR lpsz) const;
    // Ignores case by the multibyte rules of the current code page.
    int CompareNoCase(LPCTSTR lpsz) const;

    // Counts and indices are clamped to the string, as the framework does.
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;

    // Searches step over double-byte characters, so a trail byte never matches.
    int Find(char ch, int nStart = 0) const;
    int Find(LPCTSTR lpszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCTSTR lpszCharSet) const;

    int Replace(char chOld, char chNew);
    int Replace(LPCTSTR lpszOld, LPCTSTR lpszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCTSTR psz);
    int Delete(int nIndex, int nCount = 1);

    void MakeUpper();
    void MakeLower();
    void MakeReverse();

    void TrimLeft();
    void TrimLeft(char chTarget);
    void TrimLeft(LPCTSTR lpszTargets);
    void TrimRight();
    void TrimRight(char chTarget);
    void TrimRight(LPCTSTR lpszTargets);
    void Trim();

    // printf semantics; the result may have any length. The arguments may refer to this string.
    void Format(LPCTSTR lpszFormat, ...);
    void Format(UINT nFormatID, ...);
    void FormatV(LPCTSTR lpszFormat, va_list argList);

    // From the string table of the resource module; an unknown id gives an empty string and
    // false.
    BOOL LoadString(UINT nID);

    // A writable buffer of at least nMinBufLength characters plus the terminator; the string is
    // private to the caller until ReleaseBuffer.
    LPTSTR GetBuffer(int nMinBufLength);
    LPTSTR GetBuffer() { return GetBuffer(0); }
    // -1 takes the length up to the first zero (never beyond the buffer).
    void ReleaseBuffer(int nNewLength = -1);
    LPTSTR GetBufferSetLength(int nNewLength);
    void FreeExtra();
    // Keeps the buffer private: copies of a locked string copy its text.
    LPTSTR LockBuffer();
    void UnlockBuffer();

private:
    struct StringData
    {
        LONG nRefs; // -1 locked (or the shared empty data)
        int nDataLength;
        int nAllocLength;
        char* chars() { return reinterpret_cast<char*>(this + 1); }
    };

    StringData* Data() const { return reinterpret_cast<StringData*>(m_pchData) - 1; }
    static char* EmptyChars() { return s_emptyData[0].chars(); }
    bool IsEmptyData() const { return m_pchData == EmptyChars(); }
    // A buffer this string may change in place: its own (or locked), never the shared empty one.
    bool IsPrivate() const { return !IsEmptyData() && Data()->nRefs <= 1; }

    static StringData* AllocData(int nAllocLength);
    void Release() noexcept;
    void AttachData(StringData* pData) noexcept;
    void AssignCopy(LPCTSTR src, int nLength);
    void Append(LPCTSTR src, int nLength);
    void CopyBeforeWrite();
    void ReplaceRange(int nIndex, int nCount, LPCTSTR src, int nLength);
    void TrimLeftWhile(bool (*pred)(char, LPCTSTR), LPCTSTR arg);
    void TrimRightWhile(bool (*pred)(char, LPCTSTR), LPCTSTR arg);

    // The shared empty string: its header, followed by the zero that the second element's first
    // byte provides. Constant-initialised, so empty strings work during static construction.
    static StringData s_emptyData[2];

    char* m_pchData;
};

CString AFXAPI operator+(const CString& string1, const CString& string2);
CString AFXAPI operator+(const CString& string, LPCTSTR lpsz);
CString AFXAPI operator+(LPCTSTR lpsz, const CString& string);
CString AFXAPI operator+(const CString& string, char ch);
CString AFXAPI operator+(char ch, const CString& string);

inline bool operator==(const CString& s1, const CString& s2) { return s1.Compare(s2) == 0; }
inline bool operator==(const CString& s1, LPCTSTR s2) { return s1.Compare(s2) == 0; }
inline bool operator==(LPCTSTR s1, const CString& s2) { return s2.Compare(s1) == 0; }
inline bool operator!=(const CString& s1, const CString& s2) { return s1.Compare(s2) != 0; }
inline bool operator!=(const CString& s1, LPCTSTR s2) { return s1.Compare(s2) != 0; }
inline bool operator!=(LPCTSTR s1, const CString& s2) { return s2.Compare(s1) != 0; }
inline bool operator<(const CString& s1, const CString& s2) { return s1.Compare(s2) < 0; }
inline bool operator<(const CString& s1, LPCTSTR s2) { return s1.Compare(s2) < 0; }
inline bool operator<(LPCTSTR s1, const CString& s2) { return s2.Compare(s1) > 0; }
inline bool operator>(const CString& s1, const CString& s2) { return s1.Compare(s2) > 0; }
inline bool operator>(const CString& s1, LPCTSTR s2) { return s1.Compare(s2) > 0; }
inline bool operator>(LPCTSTR s1, const CString& s2) { return s2.Compare(s1) < 0; }
inline bool operator<=(const CString& s1, const CString& s2) { return s1.Compare(s2) <= 0; }
inline bool operator<=(const CString& s1, LPCTSTR s2) { return s1.Compare(s2) <= 0; }
inline bool operator<=(LPCTSTR s1, const CString& s2) { return s2.Compare(s1) >= 0; }
inline bool operator>=(const CString& s1, const CString& s2) { return s1.Compare(s2) >= 0; }
inline bool operator>=(const CString& s1, LPCTSTR s2) { return s1.Compare(s2) >= 0; }
inline bool operator>=(LPCTSTR s1, const CString& s2) { return s2.Compare(s1) <= 0; }
