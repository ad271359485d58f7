#include "framework/CTime.h"

#include "framework/CException.h"

#include <vector>

namespace {

// Local components to a time; -1 when out of range.
__time64_t LocalToTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
{
    if (nYear < 1900 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 || nHour < 0 ||
        nHour > 23 || nMin < 0 || nMin > 59 || nSec < 0 || nSec > 59)
        return -1;
    struct tm atm = {};
    atm.tm_sec = nSec;
    atm.tm_min = nMin;
    atm.tm_hour = nHour;
    atm.tm_mday = nDay;
    atm.tm_mon = nMonth - 1;
    atm.tm_year = nYear - 1900;
    atm.tm_isdst = nDST;
    return _mktime64(&atm);
}

__time64_t SystemToTime(const SYSTEMTIME& st, int nDST)
{
    return LocalToTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
}

__time64_t FileToTime(const FILETIME& ft, int nDST)
{
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st))
        return -1;
    return SystemToTime(st, nDST);
}

__time64_t Checked(__time64_t time)
{
    if (time == -1)
        AfxThrowInvalidArgException();
    return time;
}

// One field of the local time, 0 when the time cannot be broken down.
int LocalField(const CTime& time, int tm::*field, int offset)
{
    struct tm atm;
    return time.GetLocalTm(&atm) != nullptr ? atm.*field + offset : 0;
}

} // namespace

CTime WINAPI CTime::GetCurrentTime()
{
    return CTime(_time64(nullptr));
}

BOOL WINAPI CTime::IsValidFILETIME(const FILETIME& fileTime)
{
    return FileToTime(fileTime, -1) != -1;
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
    : m_time(Checked(LocalToTime(nYear, nMonth, nDay, nHour, nMin, nSec, nDST)))
{
}

CTime::CTime(const SYSTEMTIME& st, int nDST) : m_time(Checked(SystemToTime(st, nDST)))
{
}

CTime::CTime(const FILETIME& ft, int nDST) : m_time(Checked(FileToTime(ft, nDST)))
{
}

struct tm* CTime::GetGmtTm(struct tm* ptm) const
{
    const struct tm* p = _gmtime64(&m_time);
    if (p == nullptr || ptm == nullptr)
        return nullptr;
    *ptm = *p;
    return ptm;
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const
{
    // The C library keeps the result per thread; it is copied out at once.
    const struct tm* p = _localtime64(&m_time);
    if (p == nullptr || ptm == nullptr)
        return nullptr;
    *ptm = *p;
    return ptm;
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    struct tm atm;
    if (GetLocalTm(&atm) == nullptr)
        return false;
    st.wYear = static_cast<WORD>(atm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(atm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(atm.tm_wday);
    st.wDay = static_cast<WORD>(atm.tm_mday);
    st.wHour = static_cast<WORD>(atm.tm_hour);
    st.wMinute = static_cast<WORD>(atm.tm_min);
    st.wSecond = static_cast<WORD>(atm.tm_sec);
    st.wMilliseconds = 0;
    return true;
}

int CTime::GetYear() const { return LocalField(*this, &tm::tm_year, 1900); }
int CTime::GetMonth() const { return LocalField(*this, &tm::tm_mon, 1); }
int CTime::GetDay() const { return LocalField(*this, &tm::tm_mday, 0); }
int CTime::GetHour() const { return LocalField(*this, &tm::tm_hour, 0); }
int CTime::GetMinute() const { return LocalField(*this, &tm::tm_min, 0); }
int CTime::GetSecond() const { return LocalField(*this, &tm::tm_sec, 0); }
int CTime::GetDayOfWeek() const { return LocalField(*this, &tm::tm_wday, 1); }

CString CTime::Format(LPCTSTR pszFormat) const
{
    struct tm atm;
    return AfxFormatTm(GetLocalTm(&atm), pszFormat);
}

CString CTime::FormatGmt(LPCTSTR pszFormat) const
{
    struct tm atm;
    return AfxFormatTm(GetGmtTm(&atm), pszFormat);
}

CString CTime::Format(UINT nFormatID) const
{
    CString format;
    format.LoadString(nFormatID);
    return Format(format);
}

CString CTime::FormatGmt(UINT nFormatID) const
{
    CString format;
    format.LoadString(nFormatID);
    return FormatGmt(format);
}

CString AFXAPI AfxFormatTm(const struct tm* ptm, LPCTSTR pszFormat)
{
    if (ptm == nullptr || pszFormat == nullptr || *pszFormat == '\0')
        return CString();
    // strftime gives 0 both for "too small" and for an empty result: grow a few times, then
    // take the result as empty.
    std::vector<char> buffer(256);
    for (int attempt = 0; attempt < 6; ++attempt) {
        const size_t n = strftime(buffer.data(), buffer.size(), pszFormat, ptm);
        if (n > 0)
            return CString(buffer.data(), static_cast<int>(n));
        buffer.resize(buffer.size() * 4);
    }
    return CString();
}
