// Turns curves into point lists: arcs and bulged polyline segments, ellipses and NURBS splines.
// The number of points follows the size the curve has on the device.
#pragma once

#include "engine/db/Geometry.h"

#include <vector>

namespace RkDraw {

class CurveTessellator
{
public:
    // Segments for an arc of that angle (radians) and radius in pixels: 4..256.
    static int Segments(double angle, double radiusPixels);
    // Points of an arc about center in the xy plane, from start to end angle counter-clockwise,
    // both ends included.
    static void Arc(const RkDb::Vec3& center, double radius, double start, double end,
                    double pixelsPerUnit, std::vector<RkDb::Vec3>& out);
    // Points from a to b along a bulge (tan of a quarter of the included angle), b excluded.
    static void Bulge(const RkDb::Vec3& a, const RkDb::Vec3& b, double bulge,
                      double pixelsPerUnit, std::vector<RkDb::Vec3>& out);
    static void Ellipse(const RkDb::Vec3& center, const RkDb::Vec3& majorAxis,
                        const RkDb::Vec3& normal, double ratio, double startParam,
                        double endParam, double pixelsPerUnit, std::vector<RkDb::Vec3>& out);
    // A smooth curve through every point (cubic Hermite spans, tangents from the neighbours), as
    // CAD programs draw a spline leader through its vertices.
    static void ThroughPoints(const std::vector<RkDb::Vec3>& points, double pixelsPerUnit,
                              std::vector<RkDb::Vec3>& out);
    // A NURBS curve; false when knots, degree and points do not fit together.
    static bool Spline(int degree, const std::vector<double>& knots,
                       const std::vector<RkDb::Vec3>& controls, const std::vector<double>& weights,
                       double pixelsPerUnit, std::vector<RkDb::Vec3>& out);
};

} // namespace RkDraw
