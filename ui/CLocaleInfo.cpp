#include "ui/CLocaleInfo.h"

#include <cstring>

namespace {

CString ReadLocale(LCTYPE type)
{
    const int nLength = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (nLength <= 0)
        return CString();
    CString text;
    LPSTR pBuffer = text.GetBuffer(nLength);
    const int nRead = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, pBuffer, nLength);
    text.ReleaseBuffer(nRead > 0 ? nRead - 1 : 0);
    return text;
}

// strftime codes of a run of one picture letter, by the run's length (1, 2, 3, 4 or more).
struct FieldCodes
{
    char letter;
    const char* codes[4];
};

// Letters without a strftime field of that exact form get the nearest one: "ddd" the short day
// name, "t" the whole AM/PM designator, "y" the two-digit year without a leading zero; "g" (the
// era) has none and is left out.
const FieldCodes kFields[] = {
    {'M', {"%#m", "%m", "%b", "%B"}},
    {'d', {"%#d", "%d", "%a", "%A"}},
    {'y', {"%#y", "%y", "%Y", "%Y"}},
    {'H', {"%#H", "%H", "%H", "%H"}},
    {'h', {"%#I", "%I", "%I", "%I"}},
    {'m', {"%#M", "%M", "%M", "%M"}},
    {'s', {"%#S", "%S", "%S", "%S"}},
    {'t', {"%p", "%p", "%p", "%p"}},
    {'g', {"", "", "", ""}},
};

const FieldCodes* FindField(char ch)
{
    for (const FieldCodes& field : kFields) {
        if (field.letter == ch)
            return &field;
    }
    return nullptr;
}

// One byte (or a double-byte character) of literal text, with '%' doubled.
const char* AppendLiteral(CString& out, const char* p)
{
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') {
        out += CString(p, 2);
        return p + 2;
    }
    if (*p == '%')
        out += "%%";
    else
        out += *p;
    return p + 1;
}

// Text between single quotes is literal; two quotes in a row stand for one quote.
const char* AppendQuoted(CString& out, const char* p)
{
    ++p; // the opening quote
    while (*p != '\0') {
        if (*p == '\'') {
            if (p[1] != '\'')
                return p + 1;
            out += '\'';
            p += 2;
            continue;
        }
        p = AppendLiteral(out, p);
    }
    return p;
}

} // namespace

CLocaleInfo::CLocaleInfo()
    : m_strNegativeSign(ReadLocale(LOCALE_SNEGATIVESIGN)), m_strDecimal(ReadLocale(LOCALE_SDECIMAL)),
      m_strThousand(ReadLocale(LOCALE_STHOUSAND)), m_strLongDate(ReadLocale(LOCALE_SLONGDATE)),
      m_strShortDate(ReadLocale(LOCALE_SSHORTDATE)), m_strTimeFormat(ReadLocale(LOCALE_STIMEFORMAT)),
      m_strShortTime("H:mm"), m_strDateSeparator(ReadLocale(LOCALE_SDATE)),
      m_strTimeSeparator(ReadLocale(LOCALE_STIME)), m_strReadShortDate(m_strShortDate),
      m_strShortDatePattern(ToStrftime(m_strShortDate)), m_strReadTimeFormat(m_strTimeFormat),
      m_strTimePattern(ToStrftime(m_strTimeFormat))
{
}

CLocaleInfo::CLocaleInfo(LPCSTR negativeSign, LPCSTR decimalSeparator, LPCSTR thousandsSeparator,
                         LPCSTR shortDate, LPCSTR timeFormat)
    : m_strNegativeSign(negativeSign), m_strDecimal(decimalSeparator), m_strThousand(thousandsSeparator),
      m_strLongDate(shortDate), m_strShortDate(shortDate), m_strTimeFormat(timeFormat), m_strShortTime("H:mm"),
      m_strReadShortDate(m_strShortDate), m_strShortDatePattern(ToStrftime(m_strShortDate)),
      m_strReadTimeFormat(m_strTimeFormat), m_strTimePattern(ToStrftime(m_strTimeFormat))
{
}

CString CLocaleInfo::PatternOf(const CString& picture, const CString& readPicture, const CString& pattern) const
{
    return picture == readPicture ? pattern : ToStrftime(picture);
}

CLocaleInfo& CLocaleInfo::GetLocaleInfoObject()
{
    static CLocaleInfo instance;
    return instance;
}

CString CLocaleInfo::ToStrftime(LPCSTR picture)
{
    CString out;
    if (picture == nullptr)
        return out;
    const char* p = picture;
    while (*p != '\0') {
        if (*p == '\'') {
            p = AppendQuoted(out, p);
            continue;
        }
        const FieldCodes* pField = FindField(*p);
        if (pField == nullptr) {
            p = AppendLiteral(out, p);
            continue;
        }
        size_t nRun = 1;
        while (p[nRun] == *p)
            ++nRun;
        out += pField->codes[nRun < 4 ? nRun - 1 : 3];
        p += nRun;
    }
    return out;
}

CString CLocaleInfo::FormatDateTime(const COleDateTime& date) const
{
    if (date.GetStatus() == COleDateTime::null)
        return CString();
    if (date.GetStatus() != COleDateTime::valid)
        return CString("Invalid DateTime");
    const CString strDate = date.Format(PatternOf(m_strShortDate, m_strReadShortDate, m_strShortDatePattern));
    const CString strTime = date.Format(PatternOf(m_strTimeFormat, m_strReadTimeFormat, m_strTimePattern));
    if (strDate == "Invalid DateTime" || strTime == "Invalid DateTime")
        return CString("Invalid DateTime");
    return strDate + " " + strTime;
}

CString CLocaleInfo::FormatFileTime(const FILETIME* fileTime) const
{
    FILETIME local = {};
    SYSTEMTIME st = {};
    if (fileTime == nullptr || !FileTimeToLocalFileTime(fileTime, &local) || !FileTimeToSystemTime(&local, &st))
        return CString("Invalid DateTime");
    return FormatDateTime(COleDateTime(st));
}
