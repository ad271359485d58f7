#include "engine/db/DwgVersion.h"

namespace RkDb {
namespace {

struct VersionRow
{
    DwgVersion version;
    const char* acadVer;
    std::int16_t code;
    const char* name;
};

const VersionRow kRows[] = {
    {DwgVersion::R9, "AC1004", 11, "R9"},       {DwgVersion::R10, "AC1006", 12, "R10"},     {DwgVersion::R11_12, "AC1009", 16, "R12"},
    {DwgVersion::R13, "AC1012", 19, "R13"},     {DwgVersion::R14, "AC1014", 21, "R14"},
    {DwgVersion::R2000, "AC1015", 23, "2000"},  {DwgVersion::R2004, "AC1018", 25, "2004"},
    {DwgVersion::R2007, "AC1021", 27, "2007"},  {DwgVersion::R2010, "AC1024", 29, "2010"},
    {DwgVersion::R2013, "AC1027", 31, "2013"},  {DwgVersion::R2018, "AC1032", 33, "2018"},
};

} // namespace

DwgVersion DwgVersionInfo::FromAcadVer(const std::string& text)
{
    for (const VersionRow& row : kRows) {
        if (text.compare(0, 6, row.acadVer) == 0)
            return row.version;
    }
    return DwgVersion::Unknown;
}

const char* DwgVersionInfo::AcadVer(DwgVersion version)
{
    for (const VersionRow& row : kRows) {
        if (row.version == version)
            return row.acadVer;
    }
    return "";
}

std::int16_t DwgVersionInfo::Code(DwgVersion version)
{
    for (const VersionRow& row : kRows) {
        if (row.version == version)
            return row.code;
    }
    return -1;
}

const char* DwgVersionInfo::Name(DwgVersion version)
{
    for (const VersionRow& row : kRows) {
        if (row.version == version)
            return row.name;
    }
    return "unknown";
}

} // namespace RkDb
