#include "engine/preview/DrawingIdentifier.h"

#include "engine/dxf/DxfTokenizer.h"

#include <cstring>
#include <string>

namespace RkPreview {

using RkDb::DwgVersion;
using RkDb::DwgVersionInfo;

namespace {

// Version codes of the releases before R10 that the table of DwgVersion does not name.
std::int16_t OldCode(const std::string& magic)
{
    if (magic == "AC1.40" || magic == "AC1.50" || magic == "AC2.10" || magic == "AC1001" ||
        magic == "AC1002")
        return 5;
    if (magic == "AC1003")
        return 10;
    return -1;
}

// $ACADVER from the first few thousand groups of a DXF file.
DwgVersion DxfVersion(const std::uint8_t* data, std::size_t size)
{
    RkDxf::DxfTokenizer tokens(reinterpret_cast<const char*>(data), size);
    RkDxf::DxfGroup g;
    bool next = false;
    for (int i = 0; i < 2000 && tokens.Next(g); ++i) {
        if (next)
            return g.code == 1 ? DwgVersionInfo::FromAcadVer(std::string(g.text)) : DwgVersion::Unknown;
        next = g.code == 9 && g.Is("$ACADVER");
        if (g.code == 0 && (g.Is("ENDSEC") || g.Is("EOF")))
            break;
    }
    return DwgVersion::Unknown;
}

} // namespace

DrawingIdentifier::Result DrawingIdentifier::Identify(const std::uint8_t* data, std::size_t size)
{
    Result r;
    if (size >= 6 && std::memcmp(data, "AC", 2) == 0) {
        const std::string magic(reinterpret_cast<const char*>(data), 6);
        r.version = DwgVersionInfo::FromAcadVer(magic);
        r.versionCode = r.version != DwgVersion::Unknown ? DwgVersionInfo::Code(r.version) : OldCode(magic);
        if (r.versionCode >= 0)
            r.format = Format::Dwg;
        return r;
    }
    if (RkDxf::DxfTokenizer::Detect(reinterpret_cast<const char*>(data), size) !=
        RkDxf::DxfTokenizer::Format::NotDxf) {
        r.format = Format::Dxf;
        r.version = DxfVersion(data, size);
        // A DXF without $ACADVER is an R12-style file.
        r.versionCode = DwgVersionInfo::Code(r.version == DwgVersion::Unknown ? DwgVersion::R11_12 : r.version);
    }
    return r;
}

} // namespace RkPreview
