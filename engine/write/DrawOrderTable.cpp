#include "engine/write/DrawOrderTable.h"

#include <algorithm>

namespace RkWrite {

std::vector<std::pair<RkDb::Handle, RkDb::Handle>> DrawOrderTable::Entries(const RkDb::Block& block) const
{
    // Each source entity's rank in the drawing's order (its stored place without an order).
    std::vector<std::size_t> rank(block.entities.size());
    for (std::size_t i = 0; i < rank.size(); ++i)
        rank[i] = i;
    if (block.drawOrder.size() == block.entities.size()) {
        for (std::size_t k = 0; k < block.drawOrder.size(); ++k) {
            const std::int32_t at = block.drawOrder[k];
            if (at >= 0 && static_cast<std::size_t>(at) < rank.size())
                rank[static_cast<std::size_t>(at)] = k;
        }
    }
    const auto rankOf = [&rank](const Written& w) {
        const std::size_t at = static_cast<std::size_t>(w.entity);
        return w.entity >= 0 && at < rank.size() ? rank[at] : rank.size();
    };
    // The records in drawing order (the parts of one entity as written) take the sorted handles.
    std::vector<std::size_t> drawn(m_written.size());
    for (std::size_t i = 0; i < drawn.size(); ++i)
        drawn[i] = i;
    std::stable_sort(drawn.begin(), drawn.end(), [&](std::size_t a, std::size_t b) {
        return rankOf(m_written[a]) < rankOf(m_written[b]);
    });
    std::vector<RkDb::Handle> places;
    places.reserve(m_written.size());
    for (const Written& w : m_written)
        places.push_back(w.handle);
    std::sort(places.begin(), places.end());
    std::vector<std::pair<RkDb::Handle, RkDb::Handle>> entries(m_written.size());
    for (std::size_t k = 0; k < drawn.size(); ++k)
        entries[drawn[k]] = {m_written[drawn[k]].handle, places[k]};
    return entries;
}

} // namespace RkWrite
