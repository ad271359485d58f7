// Decoders of the drawing entities: each reads one entity's own data and handles (after the
// common entity fields) into the drawing database's entity type, and reports the references it
// holds (text style, block, owned vertices and attributes) for the builder to resolve.
#pragma once

#include "engine/db/Entity.h"
#include "engine/db/CurveEntities.h"
#include "engine/dwg/DwgObjectRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvo::dwg {

// Object type numbers of the fixed types.
enum DwgObjectType : uint16_t {
    kTypeText = 1, kTypeAttrib = 2, kTypeAttdef = 3, kTypeBlock = 4, kTypeEndblk = 5, kTypeSeqend = 6,
    kTypeInsert = 7, kTypeMinsert = 8, kTypeVertex2d = 10, kTypeVertex3d = 11, kTypeVertexMesh = 12,
    kTypeVertexPface = 13, kTypeVertexPfaceFace = 14, kTypePolyline2d = 15, kTypePolyline3d = 16,
    kTypeArc = 17, kTypeCircle = 18, kTypeLine = 19, kTypeDimOrdinate = 20, kTypeDimLinear = 21,
    kTypeDimAligned = 22, kTypeDimAng3Pt = 23, kTypeDimAng2Ln = 24, kTypeDimRadius = 25,
    kTypeDimDiameter = 26, kTypePoint = 27, kTypeFace3d = 28, kTypePolylinePface = 29,
    kTypePolylineMesh = 30, kTypeSolid = 31, kTypeTrace = 32, kTypeShape = 33, kTypeViewport = 34,
    kTypeEllipse = 35, kTypeSpline = 36, kTypeRay = 40, kTypeXline = 41, kTypeDictionary = 42,
    kTypeMtext = 44, kTypeLeader = 45, kTypeMline = 47, kTypeBlockControl = 48, kTypeBlockHeader = 49,
    kTypeLayerControl = 50, kTypeLayer = 51, kTypeStyle = 53, kTypeLtype = 57, kTypeView = 61,
    kTypeUcs = 63, kTypeVport = 65, kTypeAppid = 67, kTypeDimstyle = 69, kTypeMlinestyle = 73, kTypeOle2frame = 74,
    kTypeLwpolyline = 77, kTypeHatch = 78, kTypeLayout = 82,
};

// The references of an entity that name other objects by handle.
struct DwgEntityRefs
{
    uint64_t style = 0;      // text style
    uint64_t block = 0;      // block record (INSERT, DIMENSION)
    uint64_t dimStyle = 0;
    uint64_t mlineStyle = 0;
    uint64_t imageDef = 0;
    bool ownsChildren = false;            // POLYLINE, INSERT with attributes
    uint64_t firstChild = 0, lastChild = 0;   // R13 to 2000
    std::vector<uint64_t> children;           // 2004 and later
};

// A vertex of a POLYLINE, kept apart until its polyline is known.
struct DwgVertex
{
    RkDb::PolyVertex vertex;
    bool isFaceRecord = false;
};

// The entity of a fixed type or of a class with that DXF name; null for types the database does
// not hold (and for SEQEND, BLOCK, ENDBLK, vertices). The common fields are read already.
RkDb::EntityPtr DecodeEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                             DwgEntityCommon& common, DwgEntityRefs& refs);

// The own data of an LWPOLYLINE (from its flags on), as an entity keeps it and as proxy graphics
// embed it; null when its counts do not fit the data.
RkDb::EntityPtr DecodeLwPolylineData(DwgBitReader& data);

// VERTEX_2D/3D/MESH/PFACE/PFACE_FACE.
bool DecodeVertex(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common, DwgVertex& out);

// Whether a type is a vertex type.
inline bool IsVertexType(uint16_t type) { return type >= kTypeVertex2d && type <= kTypeVertexPfaceFace; }

} // namespace orvo::dwg
