// The header variables section: the drawing-wide settings (extents, limits, scales, units, the
// current layer, styles and dates) into the database's header, and the handles of the current
// records, which the builder turns into names once the tables are read.
#pragma once

#include "engine/db/DrawingHeader.h"
#include "engine/dwg/DwgStreams.h"

#include <cstdint>
#include <vector>

namespace orvo::dwg {

// The records the header names by handle.
struct DwgHeaderRefs
{
    uint64_t layer = 0;       // CLAYER
    uint64_t textStyle = 0;   // TEXTSTYLE
    uint64_t lineType = 0;    // CELTYPE
    uint64_t dimStyle = 0;    // DIMSTYLE
    uint64_t mlineStyle = 0;  // CMLSTYLE
};

// Reads the section into header and refs. Values are taken only when the whole section reads:
// false, with header and refs as they were, when it is missing, damaged or ends early.
bool ReadHeaderVariables(const std::vector<uint8_t>& section, DwgVersion version, uint8_t maintenanceVersion,
                         const RkDxf::DxfTextDecoder* decoder, RkDb::DrawingHeader& header, DwgHeaderRefs& refs);

// MEASUREMENT as the R13-2000 measurement section (4 bytes) or the 2004+ template section
// stores it: 0 imperial, 1 metric; -1 when the section cannot tell.
int ReadMeasurement(const std::vector<uint8_t>& section, DwgVersion version);

} // namespace orvo::dwg
