// The memory one DWG read may take for what it builds (section buffers, the object map, the
// decoded objects): a forged file can point thousands of map entries at one large object, or
// make small pages grow into large sections, and the reader refuses it before it costs more.
#pragma once

#include "engine/db/Entity.h"

#include <cstdint>

namespace orvo::dwg {

class DwgMemoryBudget
{
public:
    static constexpr uint64_t kDefaultLimit = 256ull * 1024 * 1024;

    explicit DwgMemoryBudget(uint64_t limit = kDefaultLimit) : m_limit(limit) {}

    // Counts bytes about to be taken; false, and exhausted from then on, when they do not fit.
    bool Charge(uint64_t bytes);
    bool Exhausted() const { return m_exhausted; }
    uint64_t Used() const { return m_used; }
    uint64_t Remaining() const { return m_used < m_limit ? m_limit - m_used : 0; }

private:
    uint64_t m_limit;
    uint64_t m_used = 0;
    bool m_exhausted = false;
};

// An object's fixed part with the builder's record of it and its map node; no record type
// comes near it.
constexpr uint64_t kObjectBytes = 512;

// What a decoded entity holds, with its share of the reader's bookkeeping, in bytes.
uint64_t EstimateEntityBytes(const RkDb::Entity& entity);

} // namespace orvo::dwg
