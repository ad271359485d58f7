// CTime: an absolute time in seconds since 1 January 1970 UTC (64-bit), shown in local time.
#pragma once

#include "framework/CTimeSpan.h"

// winbase.h makes GetCurrentTime a macro for GetTickCount; the framework's name wins.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

class CTime
{
public:
    static CTime WINAPI GetCurrentTime();
    // Whether a file time converts to a CTime (local time from 1970 to 3000).
    static BOOL WINAPI IsValidFILETIME(const FILETIME& fileTime);

    CTime() noexcept : m_time(0) {}
    CTime(__time64_t time) noexcept : m_time(time) {}
    // Local time. Components out of range, or a time outside 1970..3000, throw
    // CInvalidArgException.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);
    // A UTC file time, taken to local time first. Check untrusted values with IsValidFILETIME.
    CTime(const FILETIME& ft, int nDST = -1);

    CTime& operator=(__time64_t time) { m_time = time; return *this; }
    CTime& operator+=(CTimeSpan span) { m_time += span.GetTimeSpan(); return *this; }
    CTime& operator-=(CTimeSpan span) { m_time -= span.GetTimeSpan(); return *this; }
    CTimeSpan operator-(CTime time) const { return CTimeSpan(m_time - time.m_time); }
    CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTimeSpan()); }
    CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTimeSpan()); }
    bool operator==(CTime time) const { return m_time == time.m_time; }
    bool operator!=(CTime time) const { return m_time != time.m_time; }
    bool operator<(CTime time) const { return m_time < time.m_time; }
    bool operator>(CTime time) const { return m_time > time.m_time; }
    bool operator<=(CTime time) const { return m_time <= time.m_time; }
    bool operator>=(CTime time) const { return m_time >= time.m_time; }

    // Null when the time cannot be broken down.
    struct tm* GetGmtTm(struct tm* ptm) const;
    struct tm* GetLocalTm(struct tm* ptm) const;
    bool GetAsSystemTime(SYSTEMTIME& st) const;

    __time64_t GetTime() const { return m_time; }
    // Local-time fields; 0 when the time cannot be broken down.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday

    // strftime of the local (or UTC) time; empty when the time cannot be broken down.
    CString Format(LPCTSTR pszFormat) const;
    CString FormatGmt(LPCTSTR pszFormat) const;
    CString Format(UINT nFormatID) const;
    CString FormatGmt(UINT nFormatID) const;

private:
    __time64_t m_time;
};

// strftime into a CString of any length; empty for a null time or an empty result.
CString AFXAPI AfxFormatTm(const struct tm* ptm, LPCTSTR pszFormat);
