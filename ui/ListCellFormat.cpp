#include "ui/ListCellFormat.h"

#include "ui/CLocaleInfo.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace orvo::listcell {

namespace {

bool AllDigits(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

// The text with the locale's decimal separator as '.', so that the C library reads it.
std::string WithPointDecimal(const char* text, const CLocaleInfo& locale)
{
    std::string out = text != nullptr ? text : "";
    const CString& decimal = locale.m_strDecimal;
    if (decimal.IsEmpty() || decimal == ".")
        return out;
    const size_t at = out.find(static_cast<LPCSTR>(decimal));
    if (at != std::string::npos)
        out.replace(at, static_cast<size_t>(decimal.GetLength()), ".");
    return out;
}

} // namespace

CString GroupThousands(const CString& text, const CLocaleInfo& locale)
{
    CString sign;
    CString rest = text;
    const CString& negative = locale.m_strNegativeSign.IsEmpty() ? CString("-") : locale.m_strNegativeSign;
    if (rest.Left(negative.GetLength()) == negative) {
        sign = negative;
        rest = rest.Mid(negative.GetLength());
    } else if (rest.Left(1) == "-" || rest.Left(1) == "+") {
        sign = rest.Left(1);
        rest = rest.Mid(1);
    }
    CString integer = rest;
    CString fraction;
    const int nDecimal = locale.m_strDecimal.IsEmpty() ? -1 : rest.Find(locale.m_strDecimal);
    if (nDecimal >= 0) {
        integer = rest.Left(nDecimal);
        fraction = rest.Mid(nDecimal);
    }
    const int nLength = integer.GetLength();
    if (nLength < 4 || nLength > 128 || !AllDigits(integer))
        return text;
    const char separator = locale.m_strThousand.IsEmpty() ? ',' : locale.m_strThousand[0];
    CString grouped;
    for (int i = 0; i < nLength; ++i) {
        if (i > 0 && (nLength - i) % 3 == 0)
            grouped += separator;
        grouped += integer[i];
    }
    return sign + grouped + fraction;
}

CString SecondsAsMinutes(const CString& text, const CLocaleInfo& locale)
{
    double seconds = 0;
    if (!ParseLocaleDouble(text, locale, &seconds) || seconds == 0 || !std::isfinite(seconds))
        return text;
    const double magnitude = std::fabs(seconds);
    if (magnitude >= 9.0e18)
        return text;
    const unsigned long long whole = static_cast<unsigned long long>(magnitude);
    char buffer[64];
    snprintf(buffer, sizeof(buffer), "%s%llu:%02llu", seconds < 0 ? "-" : "", whole / 60, whole % 60);
    return CString(buffer);
}

bool ParseLocaleDouble(const char* text, const CLocaleInfo& locale, double* pValue)
{
    const std::string value = WithPointDecimal(text, locale);
    char* pEnd = nullptr;
    const double result = strtod(value.c_str(), &pEnd);
    if (pEnd == value.c_str())
        return false;
    *pValue = result;
    return true;
}

double ParseStripped(const char* text, const char* keep, const CLocaleInfo& locale)
{
    const std::string value = WithPointDecimal(text, locale);
    std::string kept;
    for (const char ch : value) {
        if ((ch >= '0' && ch <= '9') || (ch != '\0' && strchr(keep, ch) != nullptr))
            kept += ch;
    }
    return strtod(kept.c_str(), nullptr);
}

long long ParseInteger(const char* text)
{
    if (text == nullptr)
        return 0;
    errno = 0;
    // strtoll saturates at the limits, so the largest sizes still order correctly.
    return strtoll(text, nullptr, 10);
}

long long ParseDigitsOnly(const char* text)
{
    std::string kept;
    for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        if ((*p >= '0' && *p <= '9') || *p == '+' || *p == '-')
            kept += *p;
    }
    return ParseInteger(kept.c_str());
}

double ParseMinutesSeconds(const char* text, const CLocaleInfo& locale)
{
    if (text == nullptr)
        return 0;
    const char* pColon = strchr(text, ':');
    if (pColon == nullptr) {
        double seconds = 0;
        return ParseLocaleDouble(text, locale, &seconds) ? seconds : 0;
    }
    const bool bNegative = strchr(text, '-') != nullptr && strchr(text, '-') < pColon;
    const double minutes = std::fabs(strtod(text, nullptr));
    const double seconds = strtod(pColon + 1, nullptr);
    const double total = minutes * 60 + seconds;
    return bNegative ? -total : total;
}

} // namespace orvo::listcell
