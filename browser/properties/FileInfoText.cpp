#include "browser/properties/FileInfoText.h"

#include "core/NumberFormat.h"
#include "framework/COleDateTime.h"
#include "ui/CLocaleInfo.h"

#include <algorithm>
#include <ctime>

CString FolderOfPath(const CString& path)
{
    const int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    if (slash >= 0)
        return path.Left(slash + 1);
    // "C:name" names a file in the drive's current folder.
    return path.GetLength() >= 2 && path[1] == ':' ? path.Left(2) : CString();
}

CString GroupThousands(ULONGLONG value)
{
    CString digits;
    digits.Format("%I64u", value);
    CString grouped;
    const int length = digits.GetLength();
    for (int i = 0; i < length; ++i) {
        if (i > 0 && (length - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

CString FormatSizeWithBytes(ULONGLONG bytes)
{
    CString size;
    FormatFileSize(static_cast<LONGLONG>(bytes), size);
    return size + " (" + GroupThousands(bytes) + " Bytes)";
}

CString FormatEditingTime(int hours, int minutes)
{
    CString text;
    if (hours > 1)
        text.Format("%d hours, ", hours);
    else if (hours == 1)
        text.Format("%d hour, ", hours);
    CString minutePart;
    minutePart.Format(minutes > 1 ? "%d minutes" : "%d minute", minutes);
    return text + minutePart;
}

CString FormatUnixDate(int64_t seconds)
{
    const __time64_t time = seconds;
    struct tm parts = {};
    COleDateTime date;
    if (_gmtime64_s(&parts, &time) != 0)
        date.SetStatus(COleDateTime::invalid);
    else
        date = COleDateTime(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                            parts.tm_sec);
    return CLocaleInfo::GetLocaleInfoObject().FormatDateTime(date);
}

CString JoinLines(const CStringList* lines)
{
    CString joined;
    if (!lines)
        return joined;
    for (POSITION pos = lines->GetHeadPosition(); pos;)
        joined += lines->GetNext(pos);
    return joined;
}

bool SplitUserProperty(const CString& entry, CString& name, CString& value)
{
    const int equals = entry.Find('=');
    if (equals < 1)
        return false;
    CString left = entry.Left(equals);
    left.TrimLeft();
    left.TrimRight();
    if (left.IsEmpty())
        return false;
    name = left;
    value = entry.Mid(equals + 1);
    value.TrimLeft();
    value.TrimRight();
    return true;
}
