// The header variables section of a DWG file of R14 or 2000, in the order the format keeps
// them: the drawing's own values where the database holds them, the defaults a new drawing has
// for the others, and the handles of the current records and the table controls.
#pragma once

#include "engine/db/Database.h"
#include "engine/write/DwgBitWriter.h"
#include "engine/write/DwgHandles.h"

#include <cstdint>
#include <vector>

namespace RkWrite {

struct DwgHeaderRefs
{
    std::uint64_t layer = 0, style = 0, lineType = 0, dimStyle = 0, mlineStyle = 0;
    std::uint64_t seed = 0;     // the next free handle
};

// The values a dimension style has of its own; the others are a new drawing's.
struct DwgDimValues
{
    double scale, arrowSize, textHeight;
};

// The dimension variables in the order the header and a DIMSTYLE record share (the texts are
// empty, so they need no code page); the text style and arrow block handles go to refs, which is
// the data stream itself in the header and the handle stream in a record.
void EncodeDimensionVariables(DwgBitWriter& data, DwgBitWriter& refs, const DwgDimValues& values,
                              std::uint64_t textStyle);

// The variables' bits (without the section's sentinels, size and CRC).
std::vector<std::uint8_t> EncodeHeaderVariables(const RkDb::DrawingHeader& header, RkDb::DwgVersion version,
                                                const DwgHandles& handles, const DwgHeaderRefs& refs, int codePage);

} // namespace RkWrite
