#include "framework/CString.h"

#include "framework/AfxGlobals.h"
#include "framework/CException.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

CString::StringData CString::s_emptyData[2] = {{-1, 0, 0}, {0, 0, 0}};

namespace {

// Bytes of the character at p: 2 for a lead byte of the current code page followed by a trail
// byte, else 1.
int CharLen(const char* p)
{
    return (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') ? 2 : 1;
}

int SafeLength(LPCTSTR lpsz)
{
    if (lpsz == nullptr)
        return 0;
    const size_t n = strlen(lpsz);
    if (n > static_cast<size_t>(INT_MAX / 2))
        AfxThrowMemoryException();
    return static_cast<int>(n);
}

// Whether the character of nLen bytes at ch occurs, as a whole character, in set.
bool SetContains(LPCTSTR set, const char* ch, int nLen)
{
    for (const char* p = set; *p != '\0'; p += CharLen(p)) {
        if (CharLen(p) == nLen && memcmp(p, ch, nLen) == 0)
            return true;
    }
    return false;
}

bool IsWhiteSpace(char c, LPCTSTR)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsChar(char c, LPCTSTR target)
{
    return c == *target;
}

bool IsInSet(char c, LPCTSTR set)
{
    return SetContains(set, &c, 1);
}

// Lower-case map of single-byte characters in the current code page, made once.
const BYTE* LowerCaseMap()
{
    static const std::vector<BYTE> map = [] {
        std::vector<BYTE> m(256);
        for (int i = 0; i < 256; ++i) {
            char c = static_cast<char>(i);
            if (i != 0 && !IsDBCSLeadByte(static_cast<BYTE>(i)))
                CharLowerBuffA(&c, 1);
            m[i] = static_cast<BYTE>(c);
        }
        return m;
    }();
    return map.data();
}

} // namespace

CString::CString() noexcept : m_pchData(EmptyChars())
{
}

CString::CString(const CString& src) : m_pchData(EmptyChars())
{
    *this = src;
}

CString::CString(CString&& src) noexcept : m_pchData(src.m_pchData)
{
    src.m_pchData = EmptyChars();
}

CString::CString(LPCTSTR lpsz) : m_pchData(EmptyChars())
{
    if (lpsz != nullptr && IS_INTRESOURCE(lpsz))
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(lpsz)));
    else
        AssignCopy(lpsz, SafeLength(lpsz));
}

CString::CString(const unsigned char* psz) : CString(reinterpret_cast<LPCTSTR>(psz))
{
}

CString::CString(LPCTSTR lpch, int nLength) : m_pchData(EmptyChars())
{
    if (lpch != nullptr && nLength > 0)
        AssignCopy(lpch, nLength);
}

CString::CString(char ch, int nRepeat) : m_pchData(EmptyChars())
{
    if (nRepeat > 0) {
        StringData* p = AllocData(nRepeat);
        memset(p->chars(), ch, nRepeat);
        p->chars()[nRepeat] = '\0';
        p->nDataLength = nRepeat;
        AttachData(p);
    }
}

CString::~CString()
{
    Release();
}

CString::StringData* CString::AllocData(int nAllocLength)
{
    if (nAllocLength < 0 || nAllocLength > INT_MAX - static_cast<int>(sizeof(StringData)) - 1)
        AfxThrowMemoryException();
    auto* p = static_cast<StringData*>(malloc(sizeof(StringData) + nAllocLength + 1));
    if (p == nullptr)
        AfxThrowMemoryException();
    p->nRefs = 1;
    p->nDataLength = 0;
    p->nAllocLength = nAllocLength;
    p->chars()[0] = '\0';
    return p;
}

void CString::Release() noexcept
{
    if (!IsEmptyData()) {
        StringData* p = Data();
        if (InterlockedDecrement(&p->nRefs) <= 0)
            free(p);
        m_pchData = EmptyChars();
    }
}

void CString::AttachData(StringData* pData) noexcept
{
    Release();
    m_pchData = pData->chars();
}

// The source may lie inside this string's own buffer: it is read before the old buffer goes.
void CString::AssignCopy(LPCTSTR src, int nLength)
{
    if (nLength <= 0) {
        Release();
        return;
    }
    if (IsPrivate() && nLength <= Data()->nAllocLength) {
        memmove(m_pchData, src, nLength);
    } else {
        StringData* p = AllocData(nLength);
        memcpy(p->chars(), src, nLength);
        AttachData(p);
    }
    m_pchData[nLength] = '\0';
    Data()->nDataLength = nLength;
}

void CString::Append(LPCTSTR src, int nLength)
{
    if (nLength <= 0)
        return;
    const int nOld = GetLength();
    if (nLength > INT_MAX / 2 - nOld)
        AfxThrowMemoryException();
    const int nNew = nOld + nLength;
    if (IsPrivate() && nNew <= Data()->nAllocLength) {
        memmove(m_pchData + nOld, src, nLength);
    } else {
        // Grow by half again so that a loop of appends stays linear.
        StringData* p = AllocData(nNew + std::min(nNew / 2, INT_MAX / 2 - nNew));
        memcpy(p->chars(), m_pchData, nOld);
        memcpy(p->chars() + nOld, src, nLength);
        AttachData(p);
    }
    m_pchData[nNew] = '\0';
    Data()->nDataLength = nNew;
}

void CString::CopyBeforeWrite()
{
    if (!IsEmptyData() && Data()->nRefs > 1) {
        const int n = GetLength();
        StringData* p = AllocData(n);
        memcpy(p->chars(), m_pchData, n + 1);
        p->nDataLength = n;
        AttachData(p);
    }
}

// Replaces nCount characters at nIndex (both already within the string) by nLength bytes of src.
void CString::ReplaceRange(int nIndex, int nCount, LPCTSTR src, int nLength)
{
    const int nOld = GetLength();
    if (nLength > INT_MAX / 2 - nOld)
        AfxThrowMemoryException();
    const int nNew = nOld - nCount + nLength;
    const bool aliased = src >= m_pchData && src <= m_pchData + nOld;
    if (IsPrivate() && !aliased && nNew <= Data()->nAllocLength) {
        memmove(m_pchData + nIndex + nLength, m_pchData + nIndex + nCount,
                nOld - nIndex - nCount + 1);
        memcpy(m_pchData + nIndex, src, nLength);
        Data()->nDataLength = nNew;
        return;
    }
    StringData* p = AllocData(nNew);
    memcpy(p->chars(), m_pchData, nIndex);
    memcpy(p->chars() + nIndex, src, nLength);
    memcpy(p->chars() + nIndex + nLength, m_pchData + nIndex + nCount,
           nOld - nIndex - nCount + 1);
    p->nDataLength = nNew;
    AttachData(p);
}

CString& CString::operator=(const CString& src)
{
    if (m_pchData == src.m_pchData)
        return *this;
    const bool locked = (!IsEmptyData() && Data()->nRefs < 0) ||
                        (!src.IsEmptyData() && src.Data()->nRefs < 0);
    if (locked || src.IsEmptyData()) {
        AssignCopy(src.m_pchData, src.GetLength());
    } else {
        InterlockedIncrement(&src.Data()->nRefs);
        Release();
        m_pchData = src.m_pchData;
    }
    return *this;
}

CString& CString::operator=(CString&& src) noexcept
{
    if (this != &src) {
        Release();
        m_pchData = src.m_pchData;
        src.m_pchData = EmptyChars();
    }
    return *this;
}

CString& CString::operator=(LPCTSTR lpsz)
{
    AssignCopy(lpsz, SafeLength(lpsz));
    return *this;
}

CString& CString::operator=(const unsigned char* psz)
{
    return *this = reinterpret_cast<LPCTSTR>(psz);
}

CString& CString::operator=(char ch)
{
    AssignCopy(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& src)
{
    Append(src.m_pchData, src.GetLength());
    return *this;
}

CString& CString::operator+=(LPCTSTR lpsz)
{
    Append(lpsz, SafeLength(lpsz));
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

void CString::Empty()
{
    Release();
}

char CString::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex > GetLength())
        AfxThrowInvalidArgException();
    return m_pchData[nIndex];
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    CopyBeforeWrite();
    m_pchData[nIndex] = ch;
}

int CString::Compare(LPCTSTR lpsz) const
{
    return strcmp(m_pchData, lpsz != nullptr ? lpsz : "");
}

int CString::CompareNoCase(LPCTSTR lpsz) const
{
    const BYTE* lower = LowerCaseMap();
    const char* a = m_pchData;
    const char* b = lpsz != nullptr ? lpsz : "";
    for (;;) {
        const int la = CharLen(a);
        const int lb = CharLen(b);
        if (la == 2 || lb == 2) {
            // Double-byte characters have no case; they compare by their bytes.
            if (a[0] != b[0])
                return static_cast<BYTE>(a[0]) - static_cast<BYTE>(b[0]);
            if (la != lb)
                return la < lb ? -1 : 1;
            if (a[1] != b[1])
                return static_cast<BYTE>(a[1]) - static_cast<BYTE>(b[1]);
        } else {
            const int d = lower[static_cast<BYTE>(*a)] - lower[static_cast<BYTE>(*b)];
            if (d != 0 || *a == '\0')
                return d;
        }
        a += la;
        b += lb;
    }
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    const int nLen = GetLength();
    nFirst = std::clamp(nFirst, 0, nLen);
    nCount = std::clamp(nCount, 0, nLen - nFirst);
    if (nFirst == 0 && nCount == nLen)
        return *this;
    return CString(m_pchData + nFirst, nCount);
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    const int nLen = GetLength();
    nCount = std::clamp(nCount, 0, nLen);
    return Mid(nLen - nCount, nCount);
}

int CString::Find(char ch, int nStart) const
{
    if (ch == '\0')
        return -1;
    const char sub[2] = {ch, '\0'};
    return Find(sub, nStart);
}

int CString::Find(LPCTSTR lpszSub, int nStart) const
{
    if (lpszSub == nullptr)
        return -1;
    const int nLen = GetLength();
    const int nSub = SafeLength(lpszSub);
    if (nStart < 0)
        nStart = 0;
    if (nStart > nLen)
        return -1;
    for (int i = nStart; i + nSub <= nLen; i += CharLen(m_pchData + i)) {
        if (memcmp(m_pchData + i, lpszSub, nSub) == 0)
            return i;
        if (i == nLen)
            break;
    }
    return -1;
}

int CString::ReverseFind(char ch) const
{
    int found = -1;
    for (int i = 0; m_pchData[i] != '\0'; i += CharLen(m_pchData + i)) {
        if (m_pchData[i] == ch && CharLen(m_pchData + i) == 1)
            found = i;
    }
    return found;
}

int CString::FindOneOf(LPCTSTR lpszCharSet) const
{
    if (lpszCharSet == nullptr)
        return -1;
    for (int i = 0; m_pchData[i] != '\0'; i += CharLen(m_pchData + i)) {
        if (SetContains(lpszCharSet, m_pchData + i, CharLen(m_pchData + i)))
            return i;
    }
    return -1;
}

int CString::Replace(char chOld, char chNew)
{
    if (chOld == chNew)
        return 0;
    int count = 0;
    for (int i = 0; m_pchData[i] != '\0'; i += CharLen(m_pchData + i)) {
        if (m_pchData[i] == chOld && CharLen(m_pchData + i) == 1) {
            CopyBeforeWrite();
            m_pchData[i] = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCTSTR lpszOld, LPCTSTR lpszNew)
{
    const int nOld = SafeLength(lpszOld);
    if (nOld == 0)
        return 0;
    const int nNew = SafeLength(lpszNew);
    CString result;
    int count = 0;
    int from = 0;
    for (int at = Find(lpszOld); at >= 0; at = Find(lpszOld, at + nOld)) {
        result.Append(m_pchData + from, at - from);
        result.Append(lpszNew, nNew);
        from = at + nOld;
        ++count;
    }
    if (count > 0) {
        result.Append(m_pchData + from, GetLength() - from);
        *this = std::move(result);
    }
    return count;
}

int CString::Remove(char ch)
{
    CopyBeforeWrite();
    if (IsEmptyData())
        return 0;
    int out = 0;
    for (int i = 0; m_pchData[i] != '\0';) {
        const int n = CharLen(m_pchData + i);
        if (!(n == 1 && m_pchData[i] == ch)) {
            memmove(m_pchData + out, m_pchData + i, n);
            out += n;
        }
        i += n;
    }
    const int removed = GetLength() - out;
    m_pchData[out] = '\0';
    Data()->nDataLength = out;
    return removed;
}

int CString::Insert(int nIndex, char ch)
{
    ReplaceRange(std::clamp(nIndex, 0, GetLength()), 0, &ch, 1);
    return GetLength();
}

int CString::Insert(int nIndex, LPCTSTR psz)
{
    const int n = SafeLength(psz);
    if (n > 0)
        ReplaceRange(std::clamp(nIndex, 0, GetLength()), 0, psz, n);
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    const int nLen = GetLength();
    nIndex = std::max(nIndex, 0);
    if (nCount > 0 && nIndex < nLen)
        ReplaceRange(nIndex, std::min(nCount, nLen - nIndex), "", 0);
    return GetLength();
}

void CString::MakeUpper()
{
    CopyBeforeWrite();
    if (!IsEmptyData())
        CharUpperBuffA(m_pchData, static_cast<DWORD>(GetLength()));
}

void CString::MakeLower()
{
    CopyBeforeWrite();
    if (!IsEmptyData())
        CharLowerBuffA(m_pchData, static_cast<DWORD>(GetLength()));
}

void CString::MakeReverse()
{
    CopyBeforeWrite();
    std::reverse(m_pchData, m_pchData + GetLength());
}

void CString::TrimLeftWhile(bool (*pred)(char, LPCTSTR), LPCTSTR arg)
{
    int i = 0;
    while (m_pchData[i] != '\0' && CharLen(m_pchData + i) == 1 && pred(m_pchData[i], arg))
        ++i;
    if (i > 0)
        Delete(0, i);
}

void CString::TrimRightWhile(bool (*pred)(char, LPCTSTR), LPCTSTR arg)
{
    // Walk forwards so that a trail byte is never taken for a character of its own.
    int runStart = -1;
    for (int i = 0; m_pchData[i] != '\0'; i += CharLen(m_pchData + i)) {
        const bool match = CharLen(m_pchData + i) == 1 && pred(m_pchData[i], arg);
        if (!match)
            runStart = -1;
        else if (runStart < 0)
            runStart = i;
    }
    if (runStart >= 0)
        Delete(runStart, GetLength() - runStart);
}

void CString::TrimLeft()
{
    TrimLeftWhile(IsWhiteSpace, nullptr);
}

void CString::TrimLeft(char chTarget)
{
    TrimLeftWhile(IsChar, &chTarget);
}

void CString::TrimLeft(LPCTSTR lpszTargets)
{
    if (lpszTargets != nullptr)
        TrimLeftWhile(IsInSet, lpszTargets);
}

void CString::TrimRight()
{
    TrimRightWhile(IsWhiteSpace, nullptr);
}

void CString::TrimRight(char chTarget)
{
    TrimRightWhile(IsChar, &chTarget);
}

void CString::TrimRight(LPCTSTR lpszTargets)
{
    if (lpszTargets != nullptr)
        TrimRightWhile(IsInSet, lpszTargets);
}

void CString::Trim()
{
    TrimRight();
    TrimLeft();
}

void CString::Format(LPCTSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    FormatV(lpszFormat, args);
    va_end(args);
}

void CString::Format(UINT nFormatID, ...)
{
    CString format;
    format.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(format, args);
    va_end(args);
}

// The text is built in a new buffer before the old one goes, so arguments may point into it.
void CString::FormatV(LPCTSTR lpszFormat, va_list argList)
{
    if (lpszFormat == nullptr)
        AfxThrowInvalidArgException();
    va_list measure;
    va_copy(measure, argList);
    const int n = vsnprintf(nullptr, 0, lpszFormat, measure);
    va_end(measure);
    if (n <= 0) {
        Release();
        return;
    }
    StringData* p = AllocData(n);
    vsnprintf(p->chars(), static_cast<size_t>(n) + 1, lpszFormat, argList);
    p->nDataLength = n;
    AttachData(p);
}

BOOL CString::LoadString(UINT nID)
{
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCE((nID >> 4) + 1), RT_STRING);
    // LoadStringA cuts texts silently: grow until the text leaves room to spare. A string-table
    // entry holds at most 65535 characters.
    std::vector<char> buffer(256);
    for (;;) {
        const int n = ::LoadStringA(hInst, nID, buffer.data(), static_cast<int>(buffer.size()));
        if (n < static_cast<int>(buffer.size()) - 1 || buffer.size() > 65536) {
            AssignCopy(buffer.data(), std::max(n, 0));
            return n > 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

LPTSTR CString::GetBuffer(int nMinBufLength)
{
    const int nLen = GetLength();
    nMinBufLength = std::max(nMinBufLength, 0);
    if (!IsPrivate() || nMinBufLength > Data()->nAllocLength) {
        StringData* p = AllocData(std::max(nMinBufLength, nLen));
        memcpy(p->chars(), m_pchData, nLen + 1);
        p->nDataLength = nLen;
        AttachData(p);
    }
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (IsEmptyData())
        return;
    CopyBeforeWrite();
    const int nAlloc = Data()->nAllocLength;
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_pchData, static_cast<size_t>(nAlloc)));
    nNewLength = std::min(nNewLength, nAlloc);
    m_pchData[nNewLength] = '\0';
    Data()->nDataLength = nNewLength;
}

LPTSTR CString::GetBufferSetLength(int nNewLength)
{
    nNewLength = std::max(nNewLength, 0);
    GetBuffer(nNewLength);
    m_pchData[nNewLength] = '\0';
    Data()->nDataLength = nNewLength;
    return m_pchData;
}

void CString::FreeExtra()
{
    if (IsPrivate() && Data()->nRefs > 0 && GetLength() < Data()->nAllocLength) {
        CString copy(m_pchData, GetLength());
        *this = std::move(copy);
    }
}

LPTSTR CString::LockBuffer()
{
    LPTSTR p = GetBuffer(0);
    Data()->nRefs = -1;
    return p;
}

void CString::UnlockBuffer()
{
    if (!IsEmptyData() && Data()->nRefs < 0)
        Data()->nRefs = 1;
}

CString AFXAPI operator+(const CString& string1, const CString& string2)
{
    CString s(string1);
    s += string2;
    return s;
}

CString AFXAPI operator+(const CString& string, LPCTSTR lpsz)
{
    CString s(string);
    s += lpsz;
    return s;
}

CString AFXAPI operator+(LPCTSTR lpsz, const CString& string)
{
    CString s(lpsz);
    s += string;
    return s;
}

CString AFXAPI operator+(const CString& string, char ch)
{
    CString s(string);
    s += ch;
    return s;
}

CString AFXAPI operator+(char ch, const CString& string)
{
    CString s(ch);
    s += string;
    return s;
}
