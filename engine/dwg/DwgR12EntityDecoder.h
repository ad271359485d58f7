// One entity record of a DWG before R13: the common part (type, flags, size, layer, option bits,
// colour, line type, elevation, thickness, handle) and the type's own fields, into the drawing
// database's entity. The record's size is checked by the caller; every field read stays inside it.
#pragma once

#include "engine/db/Entity.h"
#include "engine/db/CurveEntities.h"
#include "engine/db/ByteCursor.h"
#include "engine/dwg/DwgR12Layout.h"
#include "engine/dwg/DwgR12Tables.h"
#include "engine/dxf/DxfTextDecoder.h"

#include <cstdint>

namespace orvo::dwg {

enum DwgR12Type : uint8_t {
    kR12Line = 1, kR12Point = 2, kR12Circle = 3, kR12Shape = 4, kR12Text = 7, kR12Arc = 8,
    kR12Trace = 9, kR12Solid = 11, kR12Block = 12, kR12EndBlock = 13, kR12Insert = 14,
    kR12AttDef = 15, kR12Attrib = 16, kR12SeqEnd = 17, kR12Jump = 18, kR12Polyline = 19,
    kR12Vertex = 20, kR12Line3d = 21, kR12Face3d = 22, kR12Dimension = 23, kR12Viewport = 24,
};
// A type byte with this bit is an erased entity that still takes its room.
constexpr uint8_t kR12Erased = 0x80;

struct DwgR12Record
{
    uint8_t type = 0;
    uint8_t mode = 0;
    uint16_t opts = 0;
    bool hasFollowers = false;   // POLYLINE with vertices, INSERT with attributes
    RkDb::EntityPtr entity;      // null for markers (BLOCK, ENDBLK, SEQEND, VERTEX) and unread kinds
    RkDb::PolyVertex vertex;     // VERTEX
    RkDb::Vec3 blockBase;        // BLOCK
};

class DwgR12EntityDecoder
{
public:
    DwgR12EntityDecoder(const DwgR12Layout& layout, const DwgR12Tables& tables, const RkDxf::DxfTextDecoder& text)
        : m_layout(layout), m_tables(tables), m_text(text)
    {
    }

    // Decodes the record the cursor spans (type byte first); false when it is damaged.
    bool Decode(RkDb::ByteCursor& c, DwgR12Record& out) const;

private:
    struct Common
    {
        int16_t layer = 0;       // index into the file's layer table
        uint64_t handle = 0;     // when the drawing has handles ($HANDLING)
        int color = -1;          // -1: by layer
        int lineType = -1;       // -1: by layer
        double elevation = 0.0;
        double thickness = 0.0;
        bool threeD = false;     // LINE, POINT, 3DFACE keep full 3D points
    };

    void ReadCommon(RkDb::ByteCursor& c, DwgR12Record& out, Common& common) const;
    void ApplyCommon(const Common& common, RkDb::Entity& e) const;
    RkDb::EntityPtr DecodeCurve(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    RkDb::EntityPtr DecodeArea(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    RkDb::EntityPtr DecodeText(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    RkDb::EntityPtr DecodeShape(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    RkDb::EntityPtr DecodeInsert(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    RkDb::EntityPtr DecodeDimension(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    RkDb::EntityPtr DecodePolyline(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    void DecodeVertex(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const;
    std::string String(RkDb::ByteCursor& c) const;
    // LINE, CIRCLE, ARC, SOLID (from R10): option bit 1 says an extrusion follows; 3DFACE: its
    // hidden edges.
    bool HasExtrusion(const DwgR12Record& r) const
    {
        return m_layout.version >= RkDb::DwgVersion::R10 && (r.opts & 1) != 0;
    }
    RkDb::Vec3 Point(RkDb::ByteCursor& c, bool threeD, double z) const;

    const DwgR12Layout& m_layout;
    const DwgR12Tables& m_tables;
    const RkDxf::DxfTextDecoder& m_text;
};

} // namespace orvo::dwg
