#include "engine/write/DwgEntityEncoder.h"

#include "engine/db/AciPalette.h"
#include "engine/db/ViewportEntity.h"
#include "engine/dwg/DwgEntityDecoders.h"
#include "engine/write/TextEncoding.h"

#include <cmath>

namespace RkWrite {

namespace dwg = orvo::dwg;
using RkDb::EntityType;
using RkDb::Vec3;

namespace {

constexpr std::uint16_t kTypeTolerance = 46;
constexpr std::int16_t kLineWeights[] = {0,  5,  9,  13, 15, 18, 20,  25,  30,  35,  40,  50,
                                         53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};


std::uint16_t DimensionType(std::uint8_t dimType)
{
    switch (dimType & 7) {
    case 0: return dwg::kTypeDimLinear;
    case 1: return dwg::kTypeDimAligned;
    case 2: return dwg::kTypeDimAng2Ln;
    case 3: return dwg::kTypeDimDiameter;
    case 4: return dwg::kTypeDimRadius;
    case 5: return dwg::kTypeDimAng3Pt;
    default: return dwg::kTypeDimOrdinate;
    }
}

std::uint16_t PolylineType(RkDb::Polyline::Kind kind)
{
    switch (kind) {
    case RkDb::Polyline::Kind::Poly3d: return dwg::kTypePolyline3d;
    case RkDb::Polyline::Kind::Mesh: return dwg::kTypePolylineMesh;
    case RkDb::Polyline::Kind::PolyFace: return dwg::kTypePolylinePface;
    default: return dwg::kTypePolyline2d;
    }
}

bool IsFaceRecord(const RkDb::Polyline& owner, const RkDb::PolyVertex& v)
{
    return owner.kind == RkDb::Polyline::Kind::PolyFace && (v.flags & 64) == 0;
}

} // namespace

std::uint8_t LineWeightIndex(std::int16_t lineWeight)
{
    switch (lineWeight) {
    case RkDb::kLwByLayer: return 29;
    case RkDb::kLwByBlock: return 30;
    case RkDb::kLwDefault: return 31;
    default: break;
    }
    std::uint8_t best = 0;
    for (std::uint8_t i = 0; i < sizeof kLineWeights / sizeof kLineWeights[0]; ++i) {
        if (kLineWeights[i] <= lineWeight)
            best = i;
    }
    return lineWeight < 0 ? 31 : best;
}

std::int16_t ColorIndex(const RkDb::Color& color)
{
    if (color.IsByLayer())
        return 256;
    if (color.IsByBlock())
        return 0;
    if (color.GetKind() != RkDb::Color::Kind::True)
        return static_cast<std::int16_t>(color.Index());
    return static_cast<std::int16_t>(RkDb::AciPalette::Nearest(color.Rgb()));
}

bool DwgEntityEncoder::Stores(const RkDb::Entity& e) const
{
    switch (e.type) {
    case EntityType::Line: case EntityType::Point: case EntityType::Circle: case EntityType::Arc:
    case EntityType::Ellipse: case EntityType::Ray: case EntityType::XLine: case EntityType::LwPolyline:
    case EntityType::Polyline: case EntityType::Spline: case EntityType::Text: case EntityType::MText:
    case EntityType::AttributeDefinition: case EntityType::Attribute: case EntityType::Insert:
    case EntityType::Dimension: case EntityType::Solid: case EntityType::Trace: case EntityType::Face3d:
    case EntityType::Viewport: case EntityType::Tolerance: case EntityType::Shape: case EntityType::Hatch:
    case EntityType::Leader:
        return true;
    // A picture needs its file; a wipeout came with 2000.
    case EntityType::Image: return !static_cast<const RkDb::Image&>(e).fileName.empty();
    case EntityType::Wipeout: return R2000();
    // A solid read without its ACIS data has nothing to write.
    case EntityType::AcisSolid: return !static_cast<const RkDb::AcisSolid&>(e).sat.empty();
    default: return false;
    }
}

std::uint16_t DwgEntityEncoder::ClassNumber(RkDb::DwgVersion version, const char* dxfName)
{
    const std::string name = dxfName;
    std::uint16_t number = 500;
    for (const char* listed : kClassNames) {
        const bool fixed = version >= RkDb::DwgVersion::R2000 && (std::string(listed) == "LWPOLYLINE" ||
                                                                  std::string(listed) == "HATCH");
        if (fixed)
            continue;
        if (name == listed)
            return number;
        ++number;
    }
    return 0;
}

std::string DwgEntityEncoder::Encode(const std::string& utf8) const { return EncodeText(m_codePage, utf8); }

std::uint16_t DwgEntityEncoder::TypeOf(const RkDb::Entity& e) const
{
    switch (e.type) {
    case EntityType::Line: return dwg::kTypeLine;
    case EntityType::Point: return dwg::kTypePoint;
    case EntityType::Circle: return dwg::kTypeCircle;
    case EntityType::Arc: return dwg::kTypeArc;
    case EntityType::Ellipse: return dwg::kTypeEllipse;
    case EntityType::Ray: return dwg::kTypeRay;
    case EntityType::XLine: return dwg::kTypeXline;
    case EntityType::LwPolyline: return R2000() ? static_cast<std::uint16_t>(dwg::kTypeLwpolyline) : ClassNumber(m_version, "LWPOLYLINE");
    case EntityType::Hatch: return R2000() ? static_cast<std::uint16_t>(dwg::kTypeHatch) : ClassNumber(m_version, "HATCH");
    case EntityType::Image: return ClassNumber(m_version, "IMAGE");
    case EntityType::Wipeout: return ClassNumber(m_version, "WIPEOUT");
    case EntityType::Polyline: return PolylineType(static_cast<const RkDb::Polyline&>(e).kind);
    case EntityType::Spline: return dwg::kTypeSpline;
    case EntityType::Text: return dwg::kTypeText;
    case EntityType::MText: return dwg::kTypeMtext;
    case EntityType::AttributeDefinition: return dwg::kTypeAttdef;
    case EntityType::Attribute: return dwg::kTypeAttrib;
    case EntityType::Insert: {
        const auto& insert = static_cast<const RkDb::Insert&>(e);
        return insert.columns > 1 || insert.rows > 1 ? dwg::kTypeMinsert : dwg::kTypeInsert;
    }
    case EntityType::Dimension: return DimensionType(static_cast<const RkDb::Dimension&>(e).dimType);
    case EntityType::Solid: return dwg::kTypeSolid;
    case EntityType::Trace: return dwg::kTypeTrace;
    case EntityType::Face3d: return dwg::kTypeFace3d;
    case EntityType::Viewport: return dwg::kTypeViewport;
    case EntityType::Tolerance: return kTypeTolerance;
    case EntityType::Shape: return dwg::kTypeShape;
    case EntityType::Leader: return dwg::kTypeLeader;
    case EntityType::AcisSolid: {
        using Kind = RkDb::AcisSolid::Kind;
        const Kind kind = static_cast<const RkDb::AcisSolid&>(e).kind;
        return kind == Kind::Region ? 37 : kind == Kind::Body ? 39 : 38;
    }
    default: return 0;
    }
}

DwgRecord DwgEntityEncoder::Start(std::uint16_t type, const RkDb::Entity* e, const DwgPlace& place) const
{
    DwgRecord r(m_version, type, place.handle, true);
    Common(r, e, place);
    // The handle stream is separate: the common handles go first, the type's own follow them.
    CommonHandles(r, e, place);
    return r;
}

void DwgEntityEncoder::Common(DwgRecord& r, const RkDb::Entity* e, const DwgPlace& place) const
{
    DwgBitWriter& d = r.Data();
    d.BB(place.entMode);
    d.BL(0); // reactors
    const std::int32_t lineType = e ? e->lineType : static_cast<std::int32_t>(RkDb::kRefByLayer);
    if (R2004()) {
        d.B(true); // no extension dictionary
        Color(d, e ? e->color : RkDb::Color::ByLayer(), e ? e->transparency : 0);
    } else {
        if (!R2000())
            d.B(lineType == RkDb::kRefByLayer);
        d.B(false); // the links to the neighbours follow in the handle stream
        d.CMC(e ? ColorIndex(e->color) : 256);
    }
    d.BD(e ? e->lineTypeScale : 1.0);
    if (R2000()) {
        const unsigned flags = lineType == RkDb::kRefByLayer ? 0 : lineType == RkDb::kRefByBlock ? 1 : 3;
        d.BB(flags);
        d.BB(0); // plot style by layer
    }
    d.BS(e && e->invisible ? 1 : 0);
    if (R2000())
        d.RC(LineWeightIndex(e ? e->lineWeight : static_cast<std::int16_t>(RkDb::kLwByLayer)));
}

void DwgEntityEncoder::Color(DwgBitWriter& d, const RkDb::Color& color, std::uint32_t transparency) const
{
    // 2004 and later: the index with flags; a true colour adds its value, a transparency other
    // than by layer follows.
    const bool rgb = color.GetKind() == RkDb::Color::Kind::True;
    const unsigned flags = (rgb ? 0x8000u : 0u) | (transparency != 0 ? 0x2000u : 0u);
    d.BS(static_cast<std::uint16_t>(flags | static_cast<std::uint16_t>(ColorIndex(color))));
    if (rgb)
        d.BL(0xC2000000u | (color.Rgb() & 0xFFFFFF));
    if (transparency != 0)
        d.BL(transparency);
}

void DwgEntityEncoder::CommonHandles(DwgRecord& r, const RkDb::Entity* e, const DwgPlace& place) const
{
    DwgBitWriter& h = r.Handles();
    if (place.entMode == 0)
        h.H(4, place.owner);
    if (!R2004())
        h.H(3, 0); // extension dictionary
    const std::int32_t lineType = e ? e->lineType : static_cast<std::int32_t>(RkDb::kRefByLayer);
    const std::uint64_t layer = m_handles.Layer(e ? e->layer : 0);
    if (!R2000()) {
        h.H(5, layer);
        if (lineType != RkDb::kRefByLayer)
            h.H(5, m_handles.LineType(lineType));
    }
    if (!R2004()) {
        // From 2004 on the owner lists its entities; before, each links to its neighbours.
        h.H(4, place.prev);
        h.H(4, place.next);
    }
    if (R2000()) {
        h.H(5, layer);
        if (lineType != RkDb::kRefByLayer && lineType != RkDb::kRefByBlock)
            h.H(5, m_handles.LineType(lineType));
    }
}

std::vector<std::uint8_t> DwgEntityEncoder::Entity(const RkDb::Entity& e, const DwgPlace& place,
                                                   const DwgChildren& children) const
{
    DwgRecord r = Start(TypeOf(e), &e, place);
    Body(r, e, children);
    return r.Finish();
}

std::vector<std::uint8_t> DwgEntityEncoder::Vertex(const RkDb::Polyline& owner, const RkDb::PolyVertex& v,
                                                   const DwgPlace& place) const
{
    std::uint16_t type = dwg::kTypeVertex2d;
    switch (owner.kind) {
    case RkDb::Polyline::Kind::Poly3d: type = dwg::kTypeVertex3d; break;
    case RkDb::Polyline::Kind::Mesh: type = dwg::kTypeVertexMesh; break;
    case RkDb::Polyline::Kind::PolyFace:
        type = IsFaceRecord(owner, v) ? dwg::kTypeVertexPfaceFace : dwg::kTypeVertexPface;
        break;
    default: break;
    }
    DwgRecord r = Start(type, &owner, place);
    DwgBitWriter& d = r.Data();
    if (type == dwg::kTypeVertexPfaceFace) {
        for (const std::int32_t index : v.faceIndex)
            d.BS(static_cast<std::uint16_t>(static_cast<std::int16_t>(index)));
    } else {
        d.RC(static_cast<std::uint8_t>(v.flags));
        d.BD3(v.position);
        if (type == dwg::kTypeVertex2d) {
            d.BD(v.startWidth);
            d.BD(v.endWidth);
            d.BD(v.bulge);
            d.BD(0.0); // tangent direction
        }
    }
    return r.Finish();
}

std::vector<std::uint8_t> DwgEntityEncoder::Seqend(const DwgPlace& place) const
{
    DwgRecord r = Start(dwg::kTypeSeqend, nullptr, place);
    return r.Finish();
}

std::vector<std::uint8_t> DwgEntityEncoder::BlockBegin(const std::string& name, const DwgPlace& place) const
{
    DwgRecord r = Start(dwg::kTypeBlock, nullptr, place);
    r.Data().TV(Encode(name));
    return r.Finish();
}

std::vector<std::uint8_t> DwgEntityEncoder::BlockEnd(const DwgPlace& place) const
{
    DwgRecord r = Start(dwg::kTypeEndblk, nullptr, place);
    return r.Finish();
}

} // namespace RkWrite
