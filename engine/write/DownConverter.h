// Turns entities a file version cannot hold into the ones a CAD program makes of them when it
// saves in that version: curves into polylines, an LWPOLYLINE into a 2D POLYLINE, MTEXT into
// TEXT lines, a hatch into its boundary, a multiline into a polyline per element. The results
// carry the source's layer, colour, line type and other common properties.
#pragma once

#include "engine/db/Database.h"

#include <memory>
#include <vector>

namespace RkWrite {

class DownConverter
{
public:
    using Polylines = std::vector<std::unique_ptr<RkDb::Polyline>>;

    static std::unique_ptr<RkDb::Polyline> FromLwPolyline(const RkDb::LwPolyline& lw);
    // A 3D polyline through world points.
    static std::unique_ptr<RkDb::Polyline> Through(const RkDb::Entity& source,
                                                   const std::vector<RkDb::Vec3>& points,
                                                   bool closed);
    static std::unique_ptr<RkDb::Polyline> FromEllipse(const RkDb::Ellipse& e);
    // Null when the spline's data do not make a curve.
    static std::unique_ptr<RkDb::Polyline> FromSpline(const RkDb::Entity& source,
                                                      const RkDb::SplineData& s);
    static Polylines FromHatch(const RkDb::Hatch& hatch);
    static Polylines FromMLine(const RkDb::MLine& mline);
    // A MESH as the polyface mesh of its faces (a face of more than four corners as a fan of
    // triangles whose inner edges are hidden); null when it has no face or more vertices or
    // faces than a polyface counts.
    static std::unique_ptr<RkDb::Polyline> FromMesh(const RkDb::Mesh& mesh);
    // One TEXT per line of the MTEXT's plain text, placed as its attachment puts them.
    static std::vector<std::unique_ptr<RkDb::Text>> FromMText(const RkDb::MText& mtext);
    // The MTEXT contents without their formatting codes, lines split at \P.
    static std::vector<std::string> PlainLines(const std::string& contents);

    static void CopyCommon(const RkDb::Entity& from, RkDb::Entity& to);
};

} // namespace RkWrite
