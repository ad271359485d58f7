// Where the parts of a record lie: the body of a sentinel-framed section (header variables,
// classes) and, from 2007 on, the separate string stream at the end of a record's data.
#pragma once

#include "engine/dwg/DwgBitReader.h"

#include <vector>

namespace orvo::dwg {

struct DwgSectionBody
{
    DwgBitReader data;
    DwgBitReader text; // 2007 and later: the strings; before, unused
    DwgBitReader handles; // 2007 and later: the handle references after data and strings
    bool hasText = false;

    bool HasText() const { return hasText; }
};

// Opens a section that starts with a 16-byte sentinel and its size; false when the size does not
// fit the section.
bool OpenSectionBody(const std::vector<uint8_t>& section, DwgVersion version, uint8_t maintenanceVersion,
                     DwgSectionBody& body);

// 2007 and later: finds the string stream that ends just before bit dataEnd of data, points text
// at it and ends data where the strings begin. False when its size does not fit.
bool SplitStringStream(DwgBitReader& data, uint64_t dataEnd, DwgBitReader& text, bool& hasText);

} // namespace orvo::dwg
