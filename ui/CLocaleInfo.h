// CLocaleInfo: the user's locale punctuation and date and time pictures, read once, and the
// translation of a locale picture (M/d/yyyy, h:mm:ss tt, yyyy'-nen') into a strftime pattern.
#pragma once

#include "framework/COleDateTime.h"
#include "framework/CString.h"

#include <windows.h>

class CLocaleInfo
{
public:
    // Reads the user's default locale.
    CLocaleInfo();
    // Fixed values (tests and callers that format for a known locale).
    CLocaleInfo(LPCSTR negativeSign, LPCSTR decimalSeparator, LPCSTR thousandsSeparator, LPCSTR shortDate,
                LPCSTR timeFormat);
    virtual ~CLocaleInfo() = default;

    // The program-wide instance, made and filled on the first call.
    static CLocaleInfo& GetLocaleInfoObject();

    // The strftime pattern of a locale picture. Every character that strftime would read as a
    // conversion is either a translated field or escaped, so no picture reaches strftime raw.
    static CString ToStrftime(LPCSTR picture);

    // Short date and time, joined by one blank; empty for a null date, "Invalid DateTime" for an
    // invalid one.
    CString FormatDateTime(const COleDateTime& date) const;
    CString FormatFileTime(const FILETIME* fileTime) const;

    CString m_strNegativeSign;
    CString m_strDecimal;
    CString m_strThousand;
    CString m_strLongDate;
    CString m_strShortDate;
    CString m_strTimeFormat;
    CString m_strShortTime;
    CString m_strDateSeparator;
    CString m_strTimeSeparator;

private:
    // The patterns of the pictures as read, so that formatting a column of dates does not
    // translate the same pictures for every cell.
    CString PatternOf(const CString& picture, const CString& readPicture, const CString& pattern) const;

    CString m_strReadShortDate;
    CString m_strShortDatePattern;
    CString m_strReadTimeFormat;
    CString m_strTimePattern;
};
