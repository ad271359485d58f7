// Filled and framed areas: Hatch (boundary paths and pattern lines), Solid, Trace, Face3d,
// Image and Wipeout.
#pragma once

#include "engine/db/Entity.h"

#include <string>

namespace RkDb {

// One edge of a hatch boundary; a polyline boundary is a series of Line and bulged edges.
struct HatchEdge
{
    enum class Kind : std::uint8_t { Line, Arc, Ellipse, Spline };
    Kind kind = Kind::Line;
    Vec2 start, end;                 // Line
    Vec2 center;                     // Arc, Ellipse
    double radius = 0.0;             // Arc
    Vec2 majorAxis;                  // Ellipse, relative to the centre
    double ratio = 1.0;              // Ellipse
    double startAngle = 0.0, endAngle = 0.0;   // radians
    bool counterClockwise = true;
    std::int32_t degree = 3;         // Spline
    std::vector<double> knots, weights;
    std::vector<Vec2> controlPoints;
};

struct HatchLoop
{
    std::uint32_t flags = 0;         // 2 polyline, 16 outermost, ...
    std::vector<HatchEdge> edges;
    std::vector<Vec2> polyline;      // polyline boundary vertices
    std::vector<double> bulges;      // one per vertex (or empty): bulge to the next vertex
    bool closed = true;
};

struct HatchPatternLine
{
    double angle = 0.0;              // radians
    Vec2 base, offset;
    std::vector<double> dashes;      // positive dash, negative gap, 0 dot
};

struct Hatch final : Entity
{
    static constexpr EntityType kType = EntityType::Hatch;
    Hatch() : Entity(kType) {}
    std::string patternName;
    bool solid = false;
    bool gradient = false;
    std::uint32_t gradientColor = 0; // first gradient colour, shown as a solid fill
    double elevation = 0.0;
    std::uint8_t style = 0;          // 0 odd parity, 1 outermost, 2 ignore
    std::vector<HatchLoop> loops;    // OCS
    std::vector<HatchPatternLine> patternLines;   // already scaled and rotated
};

// SOLID and TRACE: four corners, the third and fourth in "Z" order; Face3d has world corners.
struct Solid final : Entity
{
    static constexpr EntityType kType = EntityType::Solid;
    Solid() : Entity(kType) {}
    Vec3 corners[4];                 // OCS
};

struct Trace final : Entity
{
    static constexpr EntityType kType = EntityType::Trace;
    Trace() : Entity(kType) {}
    Vec3 corners[4];                 // OCS
};

struct Face3d final : Entity
{
    static constexpr EntityType kType = EntityType::Face3d;
    Face3d() : Entity(kType) {}
    Vec3 corners[4];                 // world
    std::uint8_t hiddenEdges = 0;    // bit i: edge i is invisible
};

// IMAGE and WIPEOUT: a picture frame spanned by the u and v vectors of one pixel.
struct RasterFrame
{
    Vec3 insertion;                  // lower-left corner of the picture, world
    Vec3 uVector{1.0, 0.0, 0.0};     // one pixel along the picture's x
    Vec3 vVector{0.0, 1.0, 0.0};     // one pixel along the picture's y
    Vec2 pixelSize;                  // width and height in pixels
    std::vector<Vec2> clipBoundary;  // in pixel coordinates; empty = the whole frame
    bool clipping = false;
};

struct Image final : Entity
{
    static constexpr EntityType kType = EntityType::Image;
    Image() : Entity(kType) {}
    RasterFrame frame;
    Handle imageDef = 0;             // the IMAGEDEF object
    std::string fileName;            // from the IMAGEDEF object
    std::uint8_t brightness = 50;    // 0..100, 50 the picture as it is
    std::uint8_t contrast = 50;      // 0..100, 50 the picture as it is
    std::uint8_t fade = 0;           // 0..100 towards the background
    bool transparent = false;        // a bitonal picture's background lets what lies below show
};

struct Wipeout final : Entity
{
    static constexpr EntityType kType = EntityType::Wipeout;
    Wipeout() : Entity(kType) {}
    RasterFrame frame;
};

// OLE2FRAME: an object of another program placed on a frame, with the picture it was last shown
// as when one is stored (the OLE data itself is not kept).
struct OleFrame final : Entity
{
    static constexpr EntityType kType = EntityType::OleFrame;
    OleFrame() : Entity(kType) {}
    Vec3 corners[4];                 // world: upper left, upper right, lower right, lower left
    std::string picture;             // a BMP or EMF file's bytes, or empty
};

} // namespace RkDb
