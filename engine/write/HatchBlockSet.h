// The anonymous blocks a version without hatches draws its hatches with, the way CAD programs save
// one to R12: each hatch's parts (HatchExploder) in a block "*X<n>", numbered past the drawing's own
// names, inserted where the hatch was. The parts of all of them are bounded together, and so is the
// number of blocks; a hatch past a bound, or one that draws nothing, keeps its boundary.
#pragma once

#include "engine/db/Database.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace RkWrite {

class HatchBlockSet
{
public:
    struct Block
    {
        std::string name;
        std::vector<RkDb::EntityPtr> parts;
    };
    struct Limits
    {
        std::size_t mostParts = 0;
        std::size_t mostBlocks = 0;
    };
    // The whole set of parts the DXF writer bounds its hatch blocks by.
    static constexpr std::size_t kMostParts = 2000000;

    // Makes a block of every hatch of the blocks written (chosen by index).
    void Make(const RkDb::Database& db, const std::function<bool(std::int32_t)>& written, const Limits& limits);
    void Clear();

    // The block of that hatch, or null when it keeps its boundary.
    const Block* Find(const RkDb::Entity& hatch) const;
    // Its place in the blocks made (in the order they were made), or -1.
    std::int32_t IndexOf(const RkDb::Entity& hatch) const;
    const std::vector<Block>& Blocks() const { return m_blocks; }
    bool Empty() const { return m_blocks.empty(); }

private:
    std::vector<Block> m_blocks;
    std::map<const RkDb::Entity*, std::size_t> m_index;
};

} // namespace RkWrite
