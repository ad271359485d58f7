// The sections of a DWG file that the reader needs, located (R13 to 2000) or decompressed (2004
// and later) into buffers of their own, with the facts the file header gives about them.
#pragma once

#include "engine/dwg/DwgVersion.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orvo::dwg {

enum class DwgSectionKind
{
    Header,      // header variables
    Classes,     // class definitions
    Handles,     // object map
    Objects,     // object data; R13 to 2000: the whole file, the map holds file offsets
    Preview,     // stored preview picture
    SummaryInfo, // drawing properties (2004 and later)
    Template,    // MEASUREMENT (R13-2000: the measurement section; 2004 and later: the template)
    Count
};

enum class DwgReadResult
{
    Ok,
    NotDwg,
    UnsupportedVersion,
    Corrupt,
    PasswordProtected,
    Cancelled,
    TooLarge,    // what the file builds would pass the reader's memory budget
};

class DwgMemoryBudget;

struct DwgSectionSet
{
    DwgVersion version = DwgVersion::Unknown;
    uint16_t codePage = 0;
    uint8_t maintenanceVersion = 0;
    DwgMemoryBudget* budget = nullptr; // charged with each section before it is allocated
    std::array<std::vector<uint8_t>, static_cast<size_t>(DwgSectionKind::Count)> sections;

    std::vector<uint8_t>& operator[](DwgSectionKind kind) { return sections[static_cast<size_t>(kind)]; }
    const std::vector<uint8_t>& operator[](DwgSectionKind kind) const
    {
        return sections[static_cast<size_t>(kind)];
    }
};

} // namespace orvo::dwg
