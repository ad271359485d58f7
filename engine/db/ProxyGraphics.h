// The graphics metafile that a proxy entity, or an entity of an application class, keeps for
// programs that do not know its class (walls, doors, grid bubbles, civil alignments and surfaces):
// a size, a command count, then commands of [size, kind, data] (circles, arcs, polylines,
// polygons, meshes, shells, texts, infinite lines; the colour, layer, line type, line weight
// and scale of what follows; pushed and popped model transforms). Decoded into plain entities
// in world coordinates, held by an anonymous block that an insert draws in the proxy's place.
#pragma once

#include "engine/db/Database.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace RkDb {

class ProxyGraphics
{
public:
    // Asked before memory is taken for an entity (its bytes); false stops the decoding.
    using Charge = std::function<bool(std::uint64_t bytes)>;
    // Reads an embedded LWPOLYLINE: its own data in the bit-coded form of the drawing's release;
    // null when it does not read. Only a DWG reader has one.
    using EmbeddedPolyline = std::function<EntityPtr(const std::uint8_t* data, std::size_t size)>;

    // Appends the entities the metafile draws to out. Subentity layers and line types are table
    // indices into db. False when the data is damaged; what was decoded before stays in out.
    static bool Decode(const std::uint8_t* data, std::size_t size, const Database& db, const Charge& charge,
                       EntityList& out, const EmbeddedPolyline& polyline = EmbeddedPolyline());

    // Moves the entities into a new anonymous block (keyed by handle) and answers an insert of
    // it at the origin, so that the entities inherit the proxy's layer, colour and line type
    // where the metafile leaves them by block. Null when there is nothing to draw.
    static EntityPtr MakeInsert(Database& db, Handle handle, EntityList entities);
};

} // namespace RkDb
