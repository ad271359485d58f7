// Handles of a written drawing: an object keeps the handle it was read with when that is unique
// and sane; every other object, and every object the writer makes, gets a fresh one above all
// kept handles, so none repeats and $HANDSEED can be the next free one.
#pragma once

#include "engine/db/Database.h"

#include <unordered_set>

namespace RkWrite {

class HandleAllocator
{
public:
    // Scans the database for the handles it holds, to start fresh ones above them.
    explicit HandleAllocator(const RkDb::Database& db);

    // original if it is unused and sane, else a fresh handle.
    RkDb::Handle Keep(RkDb::Handle original);
    RkDb::Handle Next() { return m_next++; }
    // The next free handle ($HANDSEED).
    RkDb::Handle Seed() const { return m_next; }

private:
    void Consider(RkDb::Handle h);

    std::unordered_set<RkDb::Handle> m_used;
    RkDb::Handle m_next = 0x20;
};

} // namespace RkWrite
