// Handles of a written drawing: an object keeps the handle it was read with when that is unique
// and sane; every other object, and every object the writer makes, gets a fresh one from the
// lowest handles the drawing leaves free, so none repeats, the handle space stays as dense as the
// source's (readers judge a map by how far its handles spread) and $HANDSEED is above them all.
#pragma once

#include "engine/db/Database.h"

#include <cstddef>
#include <unordered_set>
#include <vector>

namespace RkWrite {

class HandleAllocator
{
public:
    // Scans the database for the handles it holds: fresh ones never take them.
    explicit HandleAllocator(const RkDb::Database& db);

    // original if it is unused and sane, else a fresh handle.
    RkDb::Handle Keep(RkDb::Handle original);
    RkDb::Handle Next();
    // A fresh handle above above: an object's parts (vertices, attributes, SEQEND) follow it.
    RkDb::Handle After(RkDb::Handle above);
    // original if it is above above, unused and sane, else After(above).
    RkDb::Handle KeepAfter(RkDb::Handle original, RkDb::Handle above);
    // The next free handle ($HANDSEED): above every handle given out.
    RkDb::Handle Seed() const { return m_seed; }

private:
    void Consider(RkDb::Handle h);
    void Take(RkDb::Handle h);
    bool Free(RkDb::Handle h) const;

    std::unordered_set<RkDb::Handle> m_used;
    std::vector<RkDb::Handle> m_held; // the drawing's own handles, sorted
    std::size_t m_heldAt = 0;         // the first held handle not below m_cursor
    RkDb::Handle m_cursor = 1;        // fresh handles are looked for from here up
    RkDb::Handle m_seed = 1;
};

} // namespace RkWrite
