#include "engine/write/HatchBlockSet.h"

#include "engine/write/HatchExploder.h"

namespace RkWrite {

void HatchBlockSet::Make(const RkDb::Database& db, const std::function<bool(std::int32_t)>& written,
                         const Limits& limits)
{
    Clear();
    std::size_t parts = 0;
    int number = 0;
    // Once a hatch does not fit, no later one is exploded: the work stays bounded with the parts.
    bool full = false;
    for (std::int32_t i = 0; i < db.Blocks().Count(); ++i) {
        if (!written(i))
            continue;
        for (const RkDb::EntityPtr& e : db.Blocks()[i].entities) {
            const auto* hatch = RkDb::As<RkDb::Hatch>(*e);
            if (!hatch || full || m_blocks.size() >= limits.mostBlocks)
                continue;
            std::vector<RkDb::EntityPtr> made = HatchExploder::Explode(*hatch);
            if (made.size() > limits.mostParts - parts)
                full = true;
            if (made.empty() || full)
                continue;
            parts += made.size();
            Block block;
            do {
                block.name = "*X" + std::to_string(++number);
            } while (db.Blocks().Find(block.name) >= 0);
            block.parts = std::move(made);
            m_index.emplace(e.get(), m_blocks.size());
            m_blocks.push_back(std::move(block));
        }
    }
}

void HatchBlockSet::Clear()
{
    m_blocks.clear();
    m_index.clear();
}

std::int32_t HatchBlockSet::IndexOf(const RkDb::Entity& hatch) const
{
    const auto found = m_index.find(&hatch);
    return found == m_index.end() ? -1 : static_cast<std::int32_t>(found->second);
}

const HatchBlockSet::Block* HatchBlockSet::Find(const RkDb::Entity& hatch) const
{
    const std::int32_t index = IndexOf(hatch);
    return index < 0 ? nullptr : &m_blocks[static_cast<std::size_t>(index)];
}

} // namespace RkWrite
