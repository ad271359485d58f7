// The draw order table (SORTENTSTABLE) a saved block gets: each record written at the block's
// top level paired with the handle of the place it is drawn in. The places are the written
// records' own handles, handed out again in the order the drawing draws its entities, so the
// file draws them as the drawing does whatever handles the save gave them.
#pragma once

#include "engine/db/TableRecords.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace RkWrite {

class DrawOrderTable
{
public:
    // Whether the block is saved with a table: it was read with one, or it is drawn in an order
    // of its own.
    static bool Needed(const RkDb::Block& block)
    {
        return !block.sortHandles.empty() || !block.drawOrder.empty();
    }

    // One record of the block as written: the index of the source entity it came from (a
    // converted entity may become several records) and the record's handle.
    void Add(std::int32_t entity, RkDb::Handle handle) { m_written.push_back({entity, handle}); }

    // Entity handle and place handle, one pair per written record, in written order.
    std::vector<std::pair<RkDb::Handle, RkDb::Handle>> Entries(const RkDb::Block& block) const;

private:
    struct Written
    {
        std::int32_t entity;
        RkDb::Handle handle;
    };
    std::vector<Written> m_written;
};

} // namespace RkWrite
