#include "framework/CTimeSpan.h"

CTimeSpan::CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept
    : m_timeSpan(nSecs + 60 * (nMins + 60 * (nHours + 24LL * lDays)))
{
}

CString CTimeSpan::Format(LPCTSTR pFormat) const
{
    CString result;
    CString field;
    for (const char* p = pFormat; p != nullptr && *p != '\0'; ++p) {
        if (*p != '%' || p[1] == '\0') {
            result += *p;
            continue;
        }
        switch (*++p) {
        case 'D': field.Format("%lld", static_cast<long long>(GetDays())); break;
        case 'H': field.Format("%02ld", GetHours()); break;
        case 'M': field.Format("%02ld", GetMinutes()); break;
        case 'S': field.Format("%02ld", GetSeconds()); break;
        default: field = *p; break;
        }
        result += field;
    }
    return result;
}
