// Tells a drawing file's format and version from its first bytes: DWG by its "ACxxxx" magic,
// DXF (ASCII or binary) by its first groups and its $ACADVER.
#pragma once

#include "engine/db/DwgVersion.h"

#include <cstddef>
#include <cstdint>

namespace RkPreview {

class DrawingIdentifier
{
public:
    enum class Format { Unknown, Dwg, Dxf };
    struct Result
    {
        Format format = Format::Unknown;
        RkDb::DwgVersion version = RkDb::DwgVersion::Unknown;
        std::int16_t versionCode = -1;   // the code the drawing object reports
    };
    static Result Identify(const std::uint8_t* data, std::size_t size);
};

} // namespace RkPreview
