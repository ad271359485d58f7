#include "engine/write/HandleAllocator.h"

namespace RkWrite {
namespace {

// Larger handles are renumbered, so the fresh ones counted up from above the kept ones never
// overflow.
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
}

void HandleAllocator::Consider(RkDb::Handle h)
{
    if (h != 0 && h < kLargestKept && h >= m_next)
        m_next = h + 1;
}

RkDb::Handle HandleAllocator::Keep(RkDb::Handle original)
{
    if (original == 0 || original >= kLargestKept || original >= m_next ||
        !m_used.insert(original).second)
        return Next();
    return original;
}

} // namespace RkWrite
