#include "engine/dwg/DwgVersion.h"

#include <cstring>

namespace orvo::dwg {

namespace {

struct VersionName
{
    DwgVersion version;
    const char* signature;
};

constexpr VersionName kVersions[] = {
    {DwgVersion::R13, "AC1012"},   {DwgVersion::R14, "AC1014"},   {DwgVersion::R2000, "AC1015"},
    {DwgVersion::R2004, "AC1018"}, {DwgVersion::R2007, "AC1021"}, {DwgVersion::R2010, "AC1024"},
    {DwgVersion::R2013, "AC1027"}, {DwgVersion::R2018, "AC1032"},
};

} // namespace

DwgVersion VersionFromSignature(const unsigned char* data, size_t size)
{
    if (data == nullptr || size < 6)
        return DwgVersion::Unknown;
    for (const VersionName& entry : kVersions) {
        if (std::memcmp(data, entry.signature, 6) == 0)
            return entry.version;
    }
    return DwgVersion::Unknown;
}

const char* SignatureOf(DwgVersion version)
{
    for (const VersionName& entry : kVersions) {
        if (entry.version == version)
            return entry.signature;
    }
    return "";
}

} // namespace orvo::dwg
