#include "framework/COleDateTime.h"

COleDateTime WINAPI COleDateTime::GetCurrentTime()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return COleDateTime(st);
}

COleDateTime::COleDateTime(const SYSTEMTIME& systimeSrc) : m_dt(0), m_status(valid)
{
    SetFromSystemTime(systimeSrc);
}

COleDateTime::COleDateTime(const FILETIME& filetimeSrc) : m_dt(0), m_status(valid)
{
    SYSTEMTIME st;
    if (FileTimeToSystemTime(&filetimeSrc, &st))
        SetFromSystemTime(st);
    else
        m_status = invalid;
}

COleDateTime::COleDateTime(__time64_t timeSrc) : m_dt(0), m_status(valid)
{
    SYSTEMTIME st;
    if (CTime(timeSrc).GetAsSystemTime(st))
        SetFromSystemTime(st);
    else
        m_status = invalid;
}

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
    : m_dt(0), m_status(valid)
{
    SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

void COleDateTime::SetFromSystemTime(const SYSTEMTIME& st)
{
    SYSTEMTIME whole = st;
    whole.wMilliseconds = 0;
    DATE dt = 0;
    if (SystemTimeToVariantTime(&whole, &dt)) {
        m_dt = dt;
        m_status = valid;
    } else {
        m_dt = 0;
        m_status = invalid;
    }
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    // The conversion would move 30 February to March: days are checked against their month.
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = nYear % 4 == 0 && (nYear % 100 != 0 || nYear % 400 == 0);
    const bool inRange = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 &&
                         nDay >= 1 &&
                         nDay <= kDaysInMonth[nMonth - 1] + (nMonth == 2 && leap ? 1 : 0) &&
                         nHour >= 0 && nHour <= 23 && nMin >= 0 && nMin <= 59 && nSec >= 0 &&
                         nSec <= 59;
    if (!inRange) {
        m_dt = 0;
        m_status = invalid;
        return 1;
    }
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(nYear);
    st.wMonth = static_cast<WORD>(nMonth);
    st.wDay = static_cast<WORD>(nDay);
    st.wHour = static_cast<WORD>(nHour);
    st.wMinute = static_cast<WORD>(nMin);
    st.wSecond = static_cast<WORD>(nSec);
    SetFromSystemTime(st);
    return m_status == valid ? 0 : 1;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    return m_status == valid && VariantTimeToSystemTime(m_dt, &st);
}

int COleDateTime::Field(WORD SYSTEMTIME::*field, int offset) const
{
    SYSTEMTIME st;
    return GetAsSystemTime(st) ? st.*field + offset : -1;
}

int COleDateTime::GetYear() const { return Field(&SYSTEMTIME::wYear, 0); }
int COleDateTime::GetMonth() const { return Field(&SYSTEMTIME::wMonth, 0); }
int COleDateTime::GetDay() const { return Field(&SYSTEMTIME::wDay, 0); }
int COleDateTime::GetHour() const { return Field(&SYSTEMTIME::wHour, 0); }
int COleDateTime::GetMinute() const { return Field(&SYSTEMTIME::wMinute, 0); }
int COleDateTime::GetSecond() const { return Field(&SYSTEMTIME::wSecond, 0); }
int COleDateTime::GetDayOfWeek() const { return Field(&SYSTEMTIME::wDayOfWeek, 1); }

CString COleDateTime::Format(LPCTSTR lpszFormat) const
{
    if (m_status == null)
        return CString();
    SYSTEMTIME st;
    if (!GetAsSystemTime(st))
        return CString("Invalid DateTime");
    struct tm atm = {};
    atm.tm_year = st.wYear - 1900;
    atm.tm_mon = st.wMonth - 1;
    atm.tm_mday = st.wDay;
    atm.tm_wday = st.wDayOfWeek;
    atm.tm_hour = st.wHour;
    atm.tm_min = st.wMinute;
    atm.tm_sec = st.wSecond;
    atm.tm_isdst = -1;
    return AfxFormatTm(&atm, lpszFormat);
}
