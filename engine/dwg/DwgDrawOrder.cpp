#include "engine/dwg/DwgDrawOrder.h"

namespace orvo::dwg {

bool DecodeSortEntsTable(DwgObjectRecord& record, DwgSortEntsTable& out)
{
    if (!record.ReadObjectCommon())
        return false;
    DwgBitReader& data = record.Data();
    const uint32_t count = data.BL();
    // A handle takes at least a byte in each stream.
    if (data.Failed() || count > data.BitsLeft() / 8 || count > record.Handles().BitsLeft() / 8 ||
        !data.Claim(count, sizeof(out.entries.front())))
        return false;
    std::vector<uint64_t> places;
    places.reserve(count);
    for (uint32_t i = 0; i < count && !data.Failed(); ++i)
        places.push_back(data.H().Resolve(record.Handle()));
    record.ReadObjectHandles();
    out.block = record.Ref();
    out.entries.reserve(count);
    for (uint32_t i = 0; i < count && !record.Failed(); ++i)
        out.entries.emplace_back(record.Ref(), places[i]);
    return !record.Failed() && out.block != 0;
}

} // namespace orvo::dwg
