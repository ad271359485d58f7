// Entities drawn from what they store rather than from a modeller or an outside file: Helix (a
// spline with its helix data), AcisSolid (3DSOLID, REGION, BODY as the edges of their ACIS data),
// Mesh (subdivision mesh at level 0), Tolerance (feature control frames), Shape (its frame; the
// glyphs live in .shx files) and Underlay (PDF, DWF, DGN: the frame of the clip boundary).
#pragma once

#include "engine/db/CurveEntities.h"

#include <string>

namespace RkDb {

struct Helix final : Entity, SplineData
{
    static constexpr EntityType kType = EntityType::Helix;
    Helix() : Entity(kType) {}
    Vec3 axisBase;                   // world coordinates
    Vec3 start;                      // start point: its distance from the axis is the base radius
    Vec3 axisVector{0.0, 0.0, 1.0};
    double topRadius = 0.0;          // the radius files store (DXF group 40) is the top one
    double turns = 0.0;
    double turnHeight = 0.0;
    bool counterClockwise = true;
};

// One edge of an ACIS body, as its curve: a straight line between its vertices, an arc of an
// ellipse (circles are ellipses of ratio 1) or a NURBS curve.
struct AcisEdge
{
    enum class Kind : std::uint8_t { Line, Ellipse, Spline };
    Kind kind = Kind::Line;
    Vec3 start, end;                 // world coordinates of the vertices
    Vec3 center, majorAxis, normal{0.0, 0.0, 1.0};
    double ratio = 1.0;
    double startParam = 0.0, endParam = 0.0;   // ellipse: radians, end > start
    std::int32_t degree = 3;
    std::vector<double> knots;
    std::vector<double> weights;
    std::vector<Vec3> controlPoints;
};

// 3DSOLID, REGION and BODY: the wireframe of their ACIS data. No edge means the data was not
// readable (binary SAB, or stored outside the entity): nothing is drawn then.
struct AcisSolid final : Entity
{
    static constexpr EntityType kType = EntityType::AcisSolid;
    AcisSolid() : Entity(kType) {}
    enum class Kind : std::uint8_t { Solid3d, Region, Body };
    Kind kind = Kind::Solid3d;
    std::vector<AcisEdge> edges;
    std::string sat;                 // the ACIS data as SAT text (deciphered), for writing it again
};

// MESH (subdivision surface) at level 0: its vertices and faces, each face a list of vertex
// indices.
struct Mesh final : Entity
{
    static constexpr EntityType kType = EntityType::Mesh;
    Mesh() : Entity(kType) {}
    std::vector<Vec3> vertices;                  // world coordinates
    std::vector<std::vector<std::int32_t>> faces;
};

// TOLERANCE: a feature control frame. Its text separates boxes with "%%v" and rows with line
// breaks (DXF writes them "^J"); the symbols are letters of the GDT font ({\Fgdt;j} is the
// position symbol).
struct Tolerance final : Entity
{
    static constexpr EntityType kType = EntityType::Tolerance;
    Tolerance() : Entity(kType) {}
    Vec3 insertion;                  // world coordinates
    Vec3 xDirection{1.0, 0.0, 0.0};
    std::string text;
    double textHeight = 0.18;        // DIMTXT of its dimension style, scaled
    std::int32_t dimStyle = -1;
};

// SHAPE: one glyph of a shape (.shx) file. The glyph outlines are not read; the renderer marks
// its place with the box a glyph of that size takes.
struct Shape final : Entity
{
    static constexpr EntityType kType = EntityType::Shape;
    Shape() : Entity(kType) {}
    Vec3 insertion;                  // OCS
    double size = 1.0;
    double rotation = 0.0;           // radians
    double widthFactor = 1.0;
    double oblique = 0.0;            // radians
    std::int32_t shapeNumber = 0;
    std::string name;                // DXF: the shape's name
    std::int32_t style = -1;
};

// PDF, DWF and DGN underlays: the attached file is not shown; its clip boundary (underlay units,
// before scale and rotation) is drawn as a frame.
struct Underlay final : Entity
{
    static constexpr EntityType kType = EntityType::Underlay;
    Underlay() : Entity(kType) {}
    enum class Kind : std::uint8_t { Pdf, Dwf, Dgn };
    Kind kind = Kind::Pdf;
    Vec3 insertion;                  // world coordinates (in the plane of the extrusion)
    Vec3 scale{1.0, 1.0, 1.0};
    double rotation = 0.0;           // radians
    std::vector<Vec2> clipBoundary;  // two points: opposite corners of a rectangle
    Handle definition = 0;
};

} // namespace RkDb
