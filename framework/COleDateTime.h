// COleDateTime: a date and time as an OLE DATE (days since 30 December 1899) with a status.
#pragma once

#include "framework/CString.h"
#include "framework/CTime.h"

#include <oleauto.h>

class COleDateTime
{
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    static COleDateTime WINAPI GetCurrentTime();

    COleDateTime() noexcept : m_dt(0), m_status(valid) {}
    COleDateTime(DATE dtSrc) noexcept : m_dt(dtSrc), m_status(valid) {}
    // Invalid when the source cannot be converted.
    COleDateTime(const SYSTEMTIME& systimeSrc);
    COleDateTime(const FILETIME& filetimeSrc); // taken as it is, without a time-zone change
    COleDateTime(__time64_t timeSrc);          // shown in local time
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    // Sets the date and time; returns 0 on success, else 1 with the status invalid.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    bool GetAsSystemTime(SYSTEMTIME& st) const;
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday

    // strftime of the date: empty for a null date, "Invalid DateTime" for an invalid one.
    CString Format(LPCTSTR lpszFormat) const;

    DATE m_dt;
    DateTimeStatus m_status;

private:
    void SetFromSystemTime(const SYSTEMTIME& st);
    int Field(WORD SYSTEMTIME::*field, int offset) const;
};
