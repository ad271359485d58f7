// Encodes the drawing's entities as DWG objects of R14 or 2000: the common entity part (owner,
// layer, line type, colour, links to the neighbours in the owner's chain) and each type's own
// data, plus the markers a block or an owner of children needs (BLOCK, ENDBLK, VERTEX, SEQEND).
#pragma once

#include "engine/db/AreaEntities.h"
#include "engine/db/Database.h"
#include "engine/write/DwgHandles.h"
#include "engine/write/DwgRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace RkWrite {

// Where an entity sits: its handle, its owner and its neighbours in the owner's chain.
struct DwgPlace
{
    std::uint64_t handle = 0;
    std::uint8_t entMode = 2;   // 0 owned by the block or entity in owner, 1 paper space, 2 model space
    std::uint64_t owner = 0;
    std::uint64_t prev = 0, next = 0;
};

// The children a POLYLINE or INSERT owns: all of them (2004 and later lists them), the first
// and last of their chain (before 2004) and the SEQEND.
struct DwgChildren
{
    std::vector<std::uint64_t> all;
    std::uint64_t first = 0, last = 0, seqend = 0;
};

class DwgEntityEncoder
{
public:
    // The classes a file defines for types without a fixed number, in their numbering from 500.
    static constexpr const char* kClassNames[] = {"LWPOLYLINE", "HATCH", "IMAGE", "IMAGEDEF", "WIPEOUT",
                                                  "SORTENTSTABLE"};
    // The number of a class (R14 defines all; from 2000 LWPOLYLINE and HATCH have fixed numbers).
    static std::uint16_t ClassNumber(RkDb::DwgVersion version, const char* dxfName);

    DwgEntityEncoder(RkDb::DwgVersion version, const DwgHandles& handles, int codePage)
        : m_version(version), m_handles(handles), m_codePage(codePage)
    {
    }

    // Whether the entity is written as itself (the others are converted or left out).
    bool Stores(const RkDb::Entity& e) const;
    // An entity of a stored type; children only for a POLYLINE or an INSERT with attributes.
    std::vector<std::uint8_t> Entity(const RkDb::Entity& e, const DwgPlace& place,
                                     const DwgChildren& children = DwgChildren()) const;
    std::vector<std::uint8_t> Vertex(const RkDb::Polyline& owner, const RkDb::PolyVertex& v,
                                     const DwgPlace& place) const;
    std::vector<std::uint8_t> Seqend(const DwgPlace& place) const;
    std::vector<std::uint8_t> BlockBegin(const std::string& name, const DwgPlace& place) const;
    std::vector<std::uint8_t> BlockEnd(const DwgPlace& place) const;

    std::string Encode(const std::string& utf8) const;
    std::uint16_t TypeOf(const RkDb::Entity& e) const;

private:
    DwgRecord Start(std::uint16_t type, const RkDb::Entity* e, const DwgPlace& place) const;
    void Common(DwgRecord& r, const RkDb::Entity* e, const DwgPlace& place) const;
    void CommonHandles(DwgRecord& r, const RkDb::Entity* e, const DwgPlace& place) const;
    void Body(DwgRecord& r, const RkDb::Entity& e, const DwgChildren& children) const;
    void Curve(DwgRecord& r, const RkDb::Entity& e) const;
    void TextData(DwgRecord& r, const RkDb::TextData& t, const RkDb::Entity& e) const;
    void Polyline(DwgRecord& r, const RkDb::Polyline& p, const DwgChildren& children) const;
    void LwPolyline(DwgRecord& r, const RkDb::LwPolyline& p) const;
    void Spline(DwgRecord& r, const RkDb::SplineData& s) const;
    void Insert(DwgRecord& r, const RkDb::Insert& i, const DwgChildren& children) const;
    // The children of a POLYLINE: their count and list (2004 on) or chain ends, then the SEQEND.
    void Owned(DwgRecord& r, const DwgChildren& children) const;
    void Dimension(DwgRecord& r, const RkDb::Dimension& d) const;
    void Viewport(DwgRecord& r, const RkDb::ViewportEntity& v) const;
    void Face(DwgRecord& r, const RkDb::Face3d& f) const;
    void Hatch(DwgRecord& r, const RkDb::Hatch& hatch) const;
    // image: the picture's look and display properties; null for a wipeout.
    void Raster(DwgRecord& r, const RkDb::RasterFrame& frame, std::uint64_t definition,
                const RkDb::Image* image) const;
    void Color(DwgBitWriter& d, const RkDb::Color& color, std::uint32_t transparency) const;
    bool R2000() const { return m_version >= RkDb::DwgVersion::R2000; }
    bool R2004() const { return m_version >= RkDb::DwgVersion::R2004; }

    RkDb::DwgVersion m_version;
    const DwgHandles& m_handles;
    int m_codePage;
};

// The stored index of a line weight in 1/100 mm (or by layer, by block, default).
std::uint8_t LineWeightIndex(std::int16_t lineWeight);
// The colour index a file without true colours keeps of a colour.
std::int16_t ColorIndex(const RkDb::Color& color);

} // namespace RkWrite
