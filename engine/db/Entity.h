// Base of every drawing entity: its type, handle, layer, line type, colour, line weight and the
// extrusion of its object coordinate system. The concrete entities are in CurveEntities.h,
// TextEntities.h, BlockEntities.h, AreaEntities.h, ViewportEntity.h and ModelEntities.h.
#pragma once

#include "engine/db/Color.h"
#include "engine/db/Geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace RkDb {

using Handle = std::uint64_t;

enum class EntityType : std::uint8_t {
    Line, Point, Circle, Arc, Ellipse, Ray, XLine, LwPolyline, Polyline, Spline,
    Text, MText, AttributeDefinition, Attribute,
    Insert, Dimension, Leader, MLeader, MLine,
    Hatch, Solid, Trace, Face3d, Image, Wipeout,
    Viewport,
    Helix, AcisSolid, Mesh, Tolerance, Shape, Underlay,
    OleFrame,
};
// The last type: tables by type are this long.
constexpr EntityType kLastEntityType = EntityType::OleFrame;

// Line weights in 1/100 mm; the negative values are the DXF group 370 specials.
enum LineWeight : std::int16_t { kLwByLayer = -1, kLwByBlock = -2, kLwDefault = -3 };

// Index of a table record, or one of the two references that resolve at draw time.
enum TableRef : std::int32_t { kRefByLayer = -1, kRefByBlock = -2, kRefNone = -3 };

constexpr std::uint32_t kTransparencyByBlock = 0x01000000;
constexpr std::uint32_t kTransparencyAlpha = 0x02000000;

// A transparency as a file stores it (DXF 440, DWG colour flags): the kind in the high byte
// (0 by layer, 1 by block, otherwise an opacity in the low byte).
inline std::uint32_t TransparencyFromStored(std::uint32_t stored)
{
    switch (stored >> 24) {
    case 0: return 0;
    case 1: return kTransparencyByBlock;
    default: return kTransparencyAlpha | (stored & 0xFF);
    }
}

// The opacity an entity is drawn with, 0 (clear) to 1; by layer and by block count as opaque.
inline double OpacityOf(std::uint32_t transparency)
{
    return (transparency >> 24) == (kTransparencyAlpha >> 24) ? (transparency & 0xFF) / 255.0 : 1.0;
}

struct Entity
{
    explicit Entity(EntityType t) : type(t) {}
    virtual ~Entity() = default;
    Entity(const Entity&) = delete;
    Entity& operator=(const Entity&) = delete;

    const EntityType type;
    Handle handle = 0;
    std::int32_t layer = 0;                 // index into Database::Layers(); 0 is layer "0"
    std::int32_t lineType = kRefByLayer;    // index into Database::LineTypes() or a TableRef
    Color color;                            // by layer unless the file says otherwise
    // Transparency as DXF group 440 keeps it: 0 by layer, kTransparencyByBlock, or
    // kTransparencyAlpha with the opacity (0 clear to 255 opaque) in the low byte.
    std::uint32_t transparency = 0;
    std::int16_t lineWeight = kLwByLayer;
    bool invisible = false;
    double lineTypeScale = 1.0;
    double thickness = 0.0;
    Vec3 extrusion{0.0, 0.0, 1.0};
};

using EntityPtr = std::unique_ptr<Entity>;
using EntityList = std::vector<EntityPtr>;

// The entity as its concrete type when it is one, else null: `if (auto* l = As<Line>(e))`.
template <class T> const T* As(const Entity& e)
{
    return e.type == T::kType ? static_cast<const T*>(&e) : nullptr;
}
template <class T> T* As(Entity& e)
{
    return e.type == T::kType ? static_cast<T*>(&e) : nullptr;
}

// Short name of a type as DXF spells it ("LINE", "LWPOLYLINE", ...).
const char* EntityTypeName(EntityType type);

} // namespace RkDb
