// The draw order table of a block (SORTENTSTABLE, an object of an application class): which
// entity is drawn in the place of which handle.
#pragma once

#include "engine/dwg/DwgObjectRecord.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace orvo::dwg {

struct DwgSortEntsTable
{
    uint64_t block = 0;                                   // the block record
    std::vector<std::pair<uint64_t, uint64_t>> entries;   // entity handle, the handle of its place
};

// The entry count and the place handles are in the data stream; the owner, reactors and
// dictionary, the block record and one entity per entry in the handle stream.
bool DecodeSortEntsTable(DwgObjectRecord& record, DwgSortEntsTable& out);

} // namespace orvo::dwg
