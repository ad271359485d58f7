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
    // Where the pattern line at v crosses the rings, sorted along it: positions u in the
    // pattern's frame (turned by the angle whose cosine and sine are c and s), in pairs of inside
    // stretches by the even-odd rule.
    static void LineCuts(const std::vector<std::vector<RkDb::Vec3>>& rings, double c, double s, double v,
                         std::vector<double>& cuts);

private:
    void PaintPatternLine(const RkDb::HatchPatternLine& line,
                          const std::vector<std::vector<RkDb::Vec3>>& rings, double elevation);
    // The device's corners (with a margin) in hatch coordinates at the elevation; false when the
    // hatch's plane is seen edge-on.
    bool VisibleCorners(double elevation);
    // A family too dense to draw line by line, filled with the share of the area its lines ink.
    void FillAsDense(const RkDb::HatchPatternLine& line, double spacing,
                     const std::vector<std::vector<RkDb::Vec3>>& rings);
    // Takes units of work from the hatch's budget; false (and nothing taken) when too few are left.
    bool Spend(std::size_t units);

    EntityPainter& m_p;
    std::size_t m_workLeft = 0;
    std::vector<RkDb::Vec2> m_visible;   // the device's corners; empty: no clip to the device
};

} // namespace RkDraw
