// The file header of a DWG before R13 (R9 "AC1004", R10 "AC1006", R11/R12 "AC1009"): where its
// entities, block entities and extra entities lie, where each table's fixed-size records begin,
// and the header variables the drawing database keeps, read from their fixed offsets.
#pragma once

#include "engine/db/DrawingHeader.h"
#include "engine/db/DwgVersion.h"

#include <cstdint>
#include <vector>

namespace orvo::dwg {

// A run of entity records: [begin, end) in the file.
struct DwgR12Range
{
    uint64_t begin = 0, end = 0;
    bool Contains(uint64_t offset) const { return offset >= begin && offset < end; }
};

// A table: its records are count records of itemSize bytes from begin.
struct DwgR12Table
{
    uint16_t itemSize = 0;
    uint16_t count = 0;
    uint64_t begin = 0;
};

enum class DwgR12TableKind { Block, Layer, Style, LineType, View, Ucs, Vport, AppId, DimStyle, Vx, Count };

struct DwgR12Layout
{
    RkDb::DwgVersion version = RkDb::DwgVersion::Unknown;
    DwgR12Range entities, blocks, extras;
    DwgR12Table tables[static_cast<int>(DwgR12TableKind::Count)];
    uint16_t codePage = 0;
    int16_t currentLayer = 0;

    const DwgR12Table& Table(DwgR12TableKind kind) const { return tables[static_cast<int>(kind)]; }
    // Records of R11/R12 carry a use count and a CRC that the earlier releases do not.
    bool IsR11() const { return version >= RkDb::DwgVersion::R11_12; }
};

// Reads the file header; false when the sections or tables do not lie inside the file.
bool ReadR12Layout(const std::vector<uint8_t>& file, RkDb::DwgVersion version, DwgR12Layout& layout);

// The header variables at their fixed offsets (extents, limits, scales, units, modes).
void ReadR12HeaderVariables(const std::vector<uint8_t>& file, RkDb::DrawingHeader& header);

} // namespace orvo::dwg
