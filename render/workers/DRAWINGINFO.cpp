#include "render/workers/DRAWINGINFO.h"

#include "engine/rkio/CDrawing.h"

#include <cstring>

namespace {

int64_t UnixSeconds(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    constexpr uint64_t kEpochDifference = 116444736000000000ull; // 1601 to 1970 in 100 ns
    if (value.QuadPart < kEpochDifference)
        return 0;
    return static_cast<int64_t>((value.QuadPart - kEpochDifference) / 10000000ull);
}

// The comment's lines as the summary pages join them again: each line keeps its break, so the
// joined text reads as the drawing stores it.
void AddCommentLines(const char* text, CStringList& lines)
{
    const char* start = text;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            lines.AddTail(CString(start, static_cast<int>(p - start + 1)));
            start = p + 1;
        }
    }
    if (*start)
        lines.AddTail(CString(start));
}

} // namespace

DRAWINGINFO::DRAWINGINFO() : m_pStrings(std::make_unique<CStringList>(10))
{
}

void DRAWINGINFO::Reset()
{
    m_nFilled = 0;
    m_strTitle.Empty();
    m_strSubject.Empty();
    m_strAuthor.Empty();
    m_strText5.Empty();
    m_pStrings->RemoveAll();
    m_strText0.Empty();
    m_tCreation = 0;
    m_tModification = 0;
    m_strText6.Empty();
    for (CString& custom : m_strCustom)
        custom.Empty();
    m_nCustom = 0;
    m_strVersion.Empty();
    m_nEditHours = 0;
    m_nEditMinutes = 0;
}

int DRAWINGINFO::PropertyCallback(int index, const char* value, void* context)
{
    auto* info = static_cast<DRAWINGINFO*>(context);
    if (!info)
        return 0;
    const char* text = value ? value : "";
    ++info->m_nFilled;
    switch (index) {
    case 0:
        info->m_strText0 = text;
        break;
    case 1:
        info->m_strTitle = text;
        break;
    case 2:
        info->m_strSubject = text;
        break;
    case 3:
        info->m_strAuthor = text;
        break;
    case 4:
        AddCommentLines(text, *info->m_pStrings);
        break;
    case 5:
        info->m_strText5 = text;
        break;
    case 6:
        info->m_strText6 = text;
        break;
    case 17:
        if (info->m_nCustom < kMaxCustom)
            info->m_strCustom[info->m_nCustom++] = text;
        break;
    default:
        if (index < 0 || index > 17)
            --info->m_nFilled; // not a property the record knows
        break;
    }
    return 1;
}

CString GetVersionText(short code)
{
    struct Range
    {
        short last;
        const char* text;
    };
    static const Range kRanges[] = {
        {9, "Format ACAD R2.5;"}, {10, "Format ACAD R2.6;"}, {11, "Format ACAD R9;"},
        {13, "Format ACAD R10;"}, {16, "Format ACAD R12;"},  {19, "Format ACAD R13;"},
        {21, "Format ACAD R14;"}, {23, "Format ACAD 2000;"}, {25, "Format ACAD 2004;"},
        {27, "Format ACAD 2007;"}, {29, "Format ACAD 2010;"}, {31, "Format ACAD 2013;"},
        {33, "Format ACAD 2018;"},
    };
    if (code < 0)
        return CString("Unknown version;");
    for (const Range& range : kRanges) {
        if (code <= range.last)
            return CString(range.text);
    }
    return CString("Unknown version;");
}

bool FillDrawingInfo(const CDrawing* drawing, DRAWINGINFO* info)
{
    if (!drawing || !info)
        return false;
    info->Reset();
    drawing->EnumSummary(&DRAWINGINFO::PropertyCallback, info);
    char name[260] = {};
    drawing->GetFileName(name);
    name[sizeof name - 1] = '\0';
    if (name[0]) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExA(name, GetFileExInfoStandard, &data)) {
            info->m_tCreation = UnixSeconds(data.ftCreationTime);
            info->m_tModification = UnixSeconds(data.ftLastWriteTime);
        }
        info->m_nFilled += 2;
    }
    info->m_strVersion = GetVersionText(drawing->GetVersion());
    const RkDb::EditingTime editing = drawing->GetTotalEditingTime();
    info->m_nEditHours = editing.hours;
    info->m_nEditMinutes = editing.minutes;
    return true;
}
