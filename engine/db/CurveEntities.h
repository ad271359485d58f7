// Curve entities: Line, Point, Circle, Arc, Ellipse, Ray, XLine, LwPolyline, Polyline (with its
// vertices: 2D, 3D, polygon mesh, polyface mesh) and Spline.
#pragma once

#include "engine/db/Entity.h"

#include <string>

namespace RkDb {

struct Line final : Entity
{
    static constexpr EntityType kType = EntityType::Line;
    Line() : Entity(kType) {}
    Vec3 start, end;                 // world coordinates
};

struct Point final : Entity
{
    static constexpr EntityType kType = EntityType::Point;
    Point() : Entity(kType) {}
    Vec3 position;                   // world coordinates
    double xAxisAngle = 0.0;         // radians, for the $PDMODE symbol
};

struct Circle final : Entity
{
    static constexpr EntityType kType = EntityType::Circle;
    Circle() : Entity(kType) {}
    Vec3 center;                     // OCS
    double radius = 0.0;
};

struct Arc final : Entity
{
    static constexpr EntityType kType = EntityType::Arc;
    Arc() : Entity(kType) {}
    Vec3 center;                     // OCS
    double radius = 0.0;
    double startAngle = 0.0;         // radians, counter-clockwise about the extrusion
    double endAngle = 0.0;
};

struct Ellipse final : Entity
{
    static constexpr EntityType kType = EntityType::Ellipse;
    Ellipse() : Entity(kType) {}
    Vec3 center;                     // world coordinates
    Vec3 majorAxis{1.0, 0.0, 0.0};   // end point of the major axis, relative to the centre
    double ratio = 1.0;              // minor / major
    double startParam = 0.0;         // radians of the parametric angle
    double endParam = 6.283185307179586;
};

// RAY (one-sided) and XLINE (both sides) share their data.
struct Ray final : Entity
{
    static constexpr EntityType kType = EntityType::Ray;
    Ray() : Entity(kType) {}
    Vec3 base, direction{1.0, 0.0, 0.0};
};

struct XLine final : Entity
{
    static constexpr EntityType kType = EntityType::XLine;
    XLine() : Entity(kType) {}
    Vec3 base, direction{1.0, 0.0, 0.0};
};

struct LwVertex
{
    double x = 0.0, y = 0.0;
    double startWidth = 0.0, endWidth = 0.0;  // 0 means the constant width
    double bulge = 0.0;                       // tan(included angle / 4) to the next vertex
};

struct LwPolyline final : Entity
{
    static constexpr EntityType kType = EntityType::LwPolyline;
    LwPolyline() : Entity(kType) {}
    bool closed = false;
    bool plinegen = false;
    double elevation = 0.0;
    double constantWidth = 0.0;
    std::vector<LwVertex> vertices;  // OCS
};

struct PolyVertex
{
    Vec3 position;                   // OCS for 2D polylines, world for the others
    double startWidth = 0.0, endWidth = 0.0, bulge = 0.0;
    std::uint16_t flags = 0;         // DXF group 70 of the VERTEX
    std::int32_t faceIndex[4] = {0, 0, 0, 0};  // polyface face record: 1-based, negative = hidden edge
};

struct Polyline final : Entity
{
    static constexpr EntityType kType = EntityType::Polyline;
    Polyline() : Entity(kType) {}
    enum class Kind : std::uint8_t { Flat2d, Poly3d, Mesh, PolyFace };
    Kind kind = Kind::Flat2d;
    bool closed = false;             // closed in M for meshes
    bool closedN = false;            // meshes: closed in N
    bool plinegen = false;
    double elevation = 0.0;
    double defaultStartWidth = 0.0, defaultEndWidth = 0.0;
    std::int32_t meshM = 0, meshN = 0;   // mesh vertex counts; polyface: vertex and face counts
    std::uint16_t smoothType = 0;
    std::vector<PolyVertex> vertices;    // polyface: positions first, then face records
};

// The curve of a SPLINE, also the path of a HELIX.
struct SplineData
{
    std::int32_t degree = 3;
    std::uint16_t flags = 0;         // 1 closed, 2 periodic, 4 rational, 8 planar
    std::vector<double> knots;
    std::vector<double> weights;     // empty or one per control point
    std::vector<Vec3> controlPoints; // world coordinates
    std::vector<Vec3> fitPoints;
};

struct Spline final : Entity, SplineData
{
    static constexpr EntityType kType = EntityType::Spline;
    Spline() : Entity(kType) {}
};

} // namespace RkDb
