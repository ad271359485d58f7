#include "engine/write/HandleAllocator.h"

#include <algorithm>

namespace RkWrite {
namespace {

// Larger handles are renumbered, so the fresh ones never overflow.
constexpr RkDb::Handle kLargestKept = RkDb::Handle(1) << 62;

} // namespace

HandleAllocator::HandleAllocator(const RkDb::Database& db)
{
    for (const RkDb::Layer& r : db.Layers()) Consider(r.handle);
    for (const RkDb::LineType& r : db.LineTypes()) Consider(r.handle);
    for (const RkDb::TextStyle& r : db.TextStyles()) Consider(r.handle);
    for (const RkDb::DimStyle& r : db.DimStyles()) Consider(r.handle);
    for (const RkDb::ViewportRecord& r : db.ViewportRecords()) Consider(r.handle);
    for (const RkDb::Layout& r : db.Layouts()) Consider(r.handle);
    for (const RkDb::Block& block : db.Blocks()) {
        Consider(block.handle);
        for (const RkDb::EntityPtr& e : block.entities) {
            Consider(e->handle);
            if (const auto* insert = RkDb::As<RkDb::Insert>(*e)) {
                for (const auto& a : insert->attributes)
                    Consider(a->handle);
            }
        }
    }
    std::sort(m_held.begin(), m_held.end());
    m_held.erase(std::unique(m_held.begin(), m_held.end()), m_held.end());
}

void HandleAllocator::Consider(RkDb::Handle h)
{
    if (h != 0 && h < kLargestKept)
        m_held.push_back(h);
}

void HandleAllocator::Take(RkDb::Handle h)
{
    m_used.insert(h);
    m_seed = std::max(m_seed, h + 1);
}

RkDb::Handle HandleAllocator::Next()
{
    while (true) {
        while (m_heldAt < m_held.size() && m_held[m_heldAt] < m_cursor)
            ++m_heldAt;
        const bool held = m_heldAt < m_held.size() && m_held[m_heldAt] == m_cursor;
        if (!held && m_used.count(m_cursor) == 0)
            break;
        ++m_cursor;
    }
    Take(m_cursor);
    return m_cursor++;
}

bool HandleAllocator::Free(RkDb::Handle h) const
{
    return m_used.count(h) == 0 && !std::binary_search(m_held.begin(), m_held.end(), h);
}

RkDb::Handle HandleAllocator::After(RkDb::Handle above)
{
    if (above < m_cursor)
        return Next();
    RkDb::Handle h = above + 1;
    while (!Free(h))
        ++h;
    Take(h);
    return h;
}

RkDb::Handle HandleAllocator::KeepAfter(RkDb::Handle original, RkDb::Handle above)
{
    if (original <= above || original >= kLargestKept || m_used.count(original) != 0)
        return After(above);
    Take(original);
    return original;
}

RkDb::Handle HandleAllocator::Keep(RkDb::Handle original)
{
    if (original == 0 || original >= kLargestKept || m_used.count(original) != 0)
        return Next();
    Take(original);
    return original;
}

} // namespace RkWrite
