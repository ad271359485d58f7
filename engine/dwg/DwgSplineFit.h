// A spline that a DWG stores by its fit points only (its end tangents optional) becomes the cubic
// B-spline through them that CAD programs compute and write to DXF: knots at the cumulative chord
// lengths, the end tangents fixing the second and the last but one control points, the others
// solving the interpolation at each fit point.
#pragma once

#include "engine/db/CurveEntities.h"

namespace orvo::dwg {

// Fills the spline's knots and control points from its fit points; false (the spline left as it
// was) when fewer than two distinct fit points or a non-finite value leave nothing to solve.
// A zero tangent is taken from the fit points themselves.
bool InterpolateFitPoints(RkDb::SplineData& spline, const RkDb::Vec3& startTangent, const RkDb::Vec3& endTangent);

} // namespace orvo::dwg
