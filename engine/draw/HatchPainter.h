// Draws a HATCH: its boundary loops become rings (edges and bulged polylines tessellated); a solid
// or gradient fill fills them, a pattern draws each pattern line family clipped to the rings by
// the even-odd rule, with its dashes.
#pragma once

#include "engine/draw/EntityPainter.h"

namespace RkDraw {

class HatchPainter
{
public:
    explicit HatchPainter(EntityPainter& painter) : m_p(painter) {}
    void Paint(const RkDb::Hatch& hatch);

    // Rings of the loops in hatch (OCS) coordinates at the elevation.
    static std::vector<std::vector<RkDb::Vec3>> Rings(const RkDb::Hatch& hatch, double pixelsPerUnit);

private:
    void PaintPatternLine(const RkDb::HatchPatternLine& line,
                          const std::vector<std::vector<RkDb::Vec3>>& rings, double elevation);
    // Takes units of work from the hatch's budget; false (and nothing taken) when too few are left.
    bool Spend(std::size_t units);

    EntityPainter& m_p;
    std::size_t m_workLeft = 0;
};

} // namespace RkDraw
