// A HATCH as the entities a version without hatches draws it with, the way CAD programs save one
// to R12: its pattern lines clipped to the boundary by the even-odd rule (with their dashes) as
// LINEs, its solid or gradient fill as SOLID strips. The parts keep the hatch's properties; the
// lines are in world coordinates, the strips in the hatch's plane.
#pragma once

#include "engine/db/Database.h"

#include <vector>

namespace RkWrite {

class HatchExploder
{
public:
    // The parts, or none when the hatch draws nothing or would take more than a bounded number
    // of them (the caller then keeps its boundary).
    static std::vector<RkDb::EntityPtr> Explode(const RkDb::Hatch& hatch);

private:
    using Ring = std::vector<RkDb::Vec3>;
    static bool Fill(const RkDb::Hatch& hatch, const std::vector<Ring>& rings, std::vector<RkDb::EntityPtr>& out);
    static bool Pattern(const RkDb::Hatch& hatch, const RkDb::HatchPatternLine& line, const std::vector<Ring>& rings,
                        std::vector<RkDb::EntityPtr>& out);
};

} // namespace RkWrite
