// The own data of each entity type DwgEntityEncoder writes, after the common part.
#include "engine/write/DwgEntityEncoder.h"

#include "engine/db/AreaEntities.h"
#include "engine/db/ModelEntities.h"
#include "engine/db/ViewportEntity.h"
#include "engine/dwg/DwgEntityDecoders.h"

#include <algorithm>
#include <cstring>

namespace RkWrite {

using RkDb::EntityType;
using RkDb::Vec3;

namespace {

void Extrusion(DwgBitWriter& d, const Vec3& e) { d.BE(e.x, e.y, e.z); }

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void HatchEdge(DwgBitWriter& d, const RkDb::HatchEdge& edge)
{
    using Kind = RkDb::HatchEdge::Kind;
    switch (edge.kind) {
    case Kind::Line:
        d.RC(1);
        d.RD2(edge.start.x, edge.start.y);
        d.RD2(edge.end.x, edge.end.y);
        return;
    case Kind::Arc:
    case Kind::Ellipse:
        d.RC(edge.kind == Kind::Arc ? 2 : 3);
        d.RD2(edge.center.x, edge.center.y);
        if (edge.kind == Kind::Arc) {
            d.BD(edge.radius);
        } else {
            d.RD2(edge.majorAxis.x, edge.majorAxis.y);
            d.BD(edge.ratio);
        }
        d.BD(edge.startAngle);
        d.BD(edge.endAngle);
        d.B(edge.counterClockwise);
        return;
    case Kind::Spline: {
        d.RC(4);
        const bool rational = !edge.weights.empty() && edge.weights.size() == edge.controlPoints.size();
        d.BL(static_cast<std::uint32_t>(edge.degree));
        d.B(rational);
        d.B(false); // periodic
        d.BL(static_cast<std::uint32_t>(edge.knots.size()));
        d.BL(static_cast<std::uint32_t>(edge.controlPoints.size()));
        for (const double k : edge.knots)
            d.BD(k);
        for (std::size_t i = 0; i < edge.controlPoints.size(); ++i) {
            d.RD2(edge.controlPoints[i].x, edge.controlPoints[i].y);
            if (rational)
                d.BD(edge.weights[i]);
        }
        return;
    }
    }
}

template <class T> void Corners(DwgBitWriter& d, const T& solid)
{
    d.BT(solid.thickness);
    d.BD(solid.corners[0].z);
    for (const Vec3& c : solid.corners)
        d.RD2(c.x, c.y);
    Extrusion(d, solid.extrusion);
}

} // namespace

void DwgEntityEncoder::Body(DwgRecord& r, const RkDb::Entity& e, const DwgChildren& children) const
{
    using namespace RkDb;
    DwgBitWriter& d = r.Data();
    DwgBitWriter& h = r.Handles();
    switch (e.type) {
    case EntityType::Text: {
        TextData(r, static_cast<const Text&>(e).text, e);
        h.H(5, m_handles.Style(static_cast<const Text&>(e).text.style));
        return;
    }
    case EntityType::Attribute: {
        const auto& a = static_cast<const Attribute&>(e);
        TextData(r, a.text, e);
        d.TV(Encode(a.tag));
        d.BS(0); // field length
        d.RC(a.flags);
        h.H(5, m_handles.Style(a.text.style));
        return;
    }
    case EntityType::AttributeDefinition: {
        const auto& a = static_cast<const AttributeDefinition&>(e);
        TextData(r, a.text, e);
        d.TV(Encode(a.tag));
        d.BS(0);
        d.RC(a.flags);
        d.TV(Encode(a.prompt));
        h.H(5, m_handles.Style(a.text.style));
        return;
    }
    case EntityType::MText: {
        const auto& m = static_cast<const MText&>(e);
        d.BD3(m.insertion);
        d.BD3(m.extrusion);
        d.BD3(m.xDirection);
        d.BD(m.referenceWidth);
        d.BD(m.height);
        d.BS(m.attachment);
        d.BS(m.direction);
        d.BD(m.height); // extents, recomputed by CAD programs
        d.BD(m.referenceWidth);
        d.TV(Encode(m.contents));
        if (R2000()) {
            d.BS(1); // line spacing style: at least
            d.BD(m.lineSpacing);
            d.B(false);
        }
        if (R2004())
            d.BL(0); // no background fill
        h.H(5, m_handles.Style(m.style));
        return;
    }
    case EntityType::LwPolyline: LwPolyline(r, static_cast<const RkDb::LwPolyline&>(e)); return;
    case EntityType::Polyline: Polyline(r, static_cast<const RkDb::Polyline&>(e), children); return;
    case EntityType::Spline: Spline(r, static_cast<const RkDb::Spline&>(e)); return;
    case EntityType::Insert: Insert(r, static_cast<const RkDb::Insert&>(e), children); return;
    case EntityType::Dimension: Dimension(r, static_cast<const RkDb::Dimension&>(e)); return;
    case EntityType::Viewport: Viewport(r, static_cast<const ViewportEntity&>(e)); return;
    case EntityType::Face3d: Face(r, static_cast<const Face3d&>(e)); return;
    case EntityType::Hatch: Hatch(r, static_cast<const RkDb::Hatch&>(e)); return;
    case EntityType::Image: {
        const auto& image = static_cast<const Image&>(e);
        const auto found = m_handles.imageDefs.find(image.fileName);
        Raster(r, image.frame, found != m_handles.imageDefs.end() ? found->second : 0, &image);
        return;
    }
    case EntityType::Wipeout: Raster(r, static_cast<const Wipeout&>(e).frame, 0, nullptr); return;
    case EntityType::Leader: {
        const auto& l = static_cast<const Leader&>(e);
        d.B(false);
        d.BS(3);                // annotation: none
        d.BS(l.spline ? 1 : 0); // path type
        d.BL(static_cast<std::uint32_t>(l.vertices.size()));
        for (const Vec3& v : l.vertices)
            d.BD3(v);
        d.BD3(l.vertices.empty() ? Vec3{} : l.vertices.front()); // origin of the leader plane
        d.BD3(l.extrusion);
        d.BD3(1.0, 0.0, 0.0); // horizontal direction
        d.BD3(0.0, 0.0, 0.0); // offsets of the block insertion point and the annotation
        d.BD3(0.0, 0.0, 0.0);
        if (!R2000())
            d.BD(0.09); // DIMGAP
        d.BD(0.0);      // box height and width
        d.BD(0.0);
        d.B(false);     // hook line on the x direction
        d.B(l.arrowHead);
        if (!R2000()) {
            d.BS(0);    // arrowhead type, DIMASZ
            d.BD(0.18);
            d.B(false);
            d.B(false);
            d.BS(0);
            d.BS(0);    // colour by block
        }
        d.BS(0);
        d.B(false);
        d.B(false);
        h.H(5, 0); // no annotation
        h.H(5, m_handles.DimStyle(RkDb::kRefNone));
        return;
    }
    case EntityType::Solid: Corners(d, static_cast<const Solid&>(e)); return;
    case EntityType::Trace: Corners(d, static_cast<const Trace&>(e)); return;
    case EntityType::Shape: {
        const auto& s = static_cast<const Shape&>(e);
        d.BD3(s.insertion);
        d.BD(s.size);
        d.BD(s.rotation);
        d.BD(s.widthFactor);
        d.BD(s.oblique);
        d.BD(s.thickness);
        d.BS(static_cast<std::uint16_t>(s.shapeNumber));
        d.BD3(s.extrusion);
        h.H(5, m_handles.Style(s.style));
        return;
    }
    case EntityType::AcisSolid: {
        // The ACIS data as SAT text in blocks, each character above the space enciphered as 159
        // minus itself; a block of size zero ends them. No wireframe is kept with it.
        const std::string& sat = static_cast<const RkDb::AcisSolid&>(e).sat;
        d.B(false); // not empty
        d.B(true);
        d.BS(1);    // SAT text
        constexpr std::size_t kBlock = 4096;
        std::string text = sat;
        if (text.empty() || text.back() != '\n')
            text += '\n';
        for (std::size_t at = 0; at < text.size(); at += kBlock) {
            const std::size_t size = std::min(kBlock, text.size() - at);
            d.BL(static_cast<std::uint32_t>(size));
            for (std::size_t i = at; i < at + size; ++i) {
                const unsigned char c = static_cast<unsigned char>(text[i]);
                d.RC(c > ' ' && c < 159 ? static_cast<std::uint8_t>(159 - c) : c);
            }
        }
        d.BL(0);
        d.B(true);  // wireframe data: no point, isolines, wires or silhouettes
        d.B(false);
        d.BL(0);
        d.B(false);
        d.BL(0);
        d.BL(0);
        if (R2000())
            d.B(true);
        return;
    }
    case EntityType::Tolerance: {
        const auto& t = static_cast<const Tolerance&>(e);
        if (!R2000()) {
            d.BS(0);
            d.BD(t.textHeight);
            d.BD(0.09); // DIMGAP
        }
        d.BD3(t.insertion);
        d.BD3(t.xDirection);
        d.BD3(t.extrusion);
        d.TV(Encode(t.text));
        h.H(5, m_handles.DimStyle(t.dimStyle));
        return;
    }
    default: Curve(r, e); return;
    }
}

void DwgEntityEncoder::Curve(DwgRecord& r, const RkDb::Entity& e) const
{
    using namespace RkDb;
    DwgBitWriter& d = r.Data();
    switch (e.type) {
    case EntityType::Line: {
        const auto& l = static_cast<const Line&>(e);
        if (R2000()) {
            const bool zIsZero = Same(l.start.z, 0.0) && Same(l.end.z, 0.0);
            d.B(zIsZero);
            d.RD(l.start.x);
            d.DD(l.end.x, l.start.x);
            d.RD(l.start.y);
            d.DD(l.end.y, l.start.y);
            if (!zIsZero) {
                d.RD(l.start.z);
                d.DD(l.end.z, l.start.z);
            }
        } else {
            d.BD3(l.start);
            d.BD3(l.end);
        }
        d.BT(e.thickness);
        Extrusion(d, e.extrusion);
        return;
    }
    case EntityType::Circle:
    case EntityType::Arc: {
        const bool arc = e.type == EntityType::Arc;
        d.BD3(arc ? static_cast<const Arc&>(e).center : static_cast<const Circle&>(e).center);
        d.BD(arc ? static_cast<const Arc&>(e).radius : static_cast<const Circle&>(e).radius);
        d.BT(e.thickness);
        Extrusion(d, e.extrusion);
        if (arc) {
            d.BD(static_cast<const Arc&>(e).startAngle);
            d.BD(static_cast<const Arc&>(e).endAngle);
        }
        return;
    }
    case EntityType::Point: {
        const auto& p = static_cast<const RkDb::Point&>(e);
        d.BD3(p.position);
        d.BT(e.thickness);
        Extrusion(d, e.extrusion);
        d.BD(p.xAxisAngle);
        return;
    }
    case EntityType::Ellipse: {
        const auto& el = static_cast<const Ellipse&>(e);
        d.BD3(el.center);
        d.BD3(el.majorAxis);
        d.BD3(el.extrusion);
        d.BD(el.ratio);
        d.BD(el.startParam);
        d.BD(el.endParam);
        return;
    }
    case EntityType::Ray:
        d.BD3(static_cast<const Ray&>(e).base);
        d.BD3(static_cast<const Ray&>(e).direction);
        return;
    case EntityType::XLine:
        d.BD3(static_cast<const XLine&>(e).base);
        d.BD3(static_cast<const XLine&>(e).direction);
        return;
    default: return;
    }
}

void DwgEntityEncoder::TextData(DwgRecord& r, const RkDb::TextData& t, const RkDb::Entity& e) const
{
    DwgBitWriter& d = r.Data();
    const double elevation = t.insertion.z;
    if (!R2000()) {
        d.BD(elevation);
        d.RD2(t.insertion.x, t.insertion.y);
        d.RD2(t.alignment.x, t.alignment.y);
        d.BD3(e.extrusion);
        d.BD(e.thickness);
        d.BD(t.oblique);
        d.BD(t.rotation);
        d.BD(t.height);
        d.BD(t.widthFactor);
        d.TV(Encode(t.value));
        d.BS(t.generation);
        d.BS(t.hAlign);
        d.BS(t.vAlign);
        return;
    }
    // Each set bit leaves a field at its default.
    const bool aligned = t.hAlign != 0 || t.vAlign != 0;
    std::uint8_t flags = 0;
    flags |= Same(elevation, 0.0) ? 0x01 : 0;
    flags |= aligned ? 0 : 0x02;
    flags |= Same(t.oblique, 0.0) ? 0x04 : 0;
    flags |= Same(t.rotation, 0.0) ? 0x08 : 0;
    flags |= Same(t.widthFactor, 1.0) ? 0x10 : 0;
    flags |= t.generation == 0 ? 0x20 : 0;
    flags |= t.hAlign == 0 ? 0x40 : 0;
    flags |= t.vAlign == 0 ? 0x80 : 0;
    d.RC(flags);
    if ((flags & 0x01) == 0)
        d.RD(elevation);
    d.RD2(t.insertion.x, t.insertion.y);
    if ((flags & 0x02) == 0) {
        d.DD(t.alignment.x, t.insertion.x);
        d.DD(t.alignment.y, t.insertion.y);
    }
    Extrusion(d, e.extrusion);
    d.BT(e.thickness);
    if ((flags & 0x04) == 0)
        d.RD(t.oblique);
    if ((flags & 0x08) == 0)
        d.RD(t.rotation);
    d.RD(t.height);
    if ((flags & 0x10) == 0)
        d.RD(t.widthFactor);
    d.TV(Encode(t.value));
    if ((flags & 0x20) == 0)
        d.BS(t.generation);
    if ((flags & 0x40) == 0)
        d.BS(t.hAlign);
    if ((flags & 0x80) == 0)
        d.BS(t.vAlign);
}

void DwgEntityEncoder::LwPolyline(DwgRecord& r, const RkDb::LwPolyline& p) const
{
    DwgBitWriter& d = r.Data();
    bool bulges = false, widths = false;
    for (const RkDb::LwVertex& v : p.vertices) {
        bulges = bulges || !Same(v.bulge, 0.0);
        widths = widths || !Same(v.startWidth, 0.0) || !Same(v.endWidth, 0.0);
    }
    const bool extruded = !(Same(p.extrusion.x, 0.0) && Same(p.extrusion.y, 0.0) && Same(p.extrusion.z, 1.0));
    std::uint16_t flags = 0;
    flags |= Same(p.constantWidth, 0.0) ? 0 : 4;
    flags |= Same(p.elevation, 0.0) ? 0 : 8;
    flags |= Same(p.thickness, 0.0) ? 0 : 2;
    flags |= extruded ? 1 : 0;
    flags |= bulges ? 16 : 0;
    flags |= widths ? 32 : 0;
    flags |= p.plinegen ? 256 : 0;
    flags |= p.closed ? 512 : 0;
    d.BS(flags);
    if ((flags & 4) != 0)
        d.BD(p.constantWidth);
    if ((flags & 8) != 0)
        d.BD(p.elevation);
    if ((flags & 2) != 0)
        d.BD(p.thickness);
    if ((flags & 1) != 0)
        d.BD3(p.extrusion);
    const std::uint32_t count = static_cast<std::uint32_t>(p.vertices.size());
    d.BL(count);
    if (bulges)
        d.BL(count);
    if (widths)
        d.BL(count);
    for (std::size_t i = 0; i < p.vertices.size(); ++i) {
        const RkDb::LwVertex& v = p.vertices[i];
        if (i == 0 || !R2000()) {
            d.RD(v.x);
            d.RD(v.y);
        } else {
            d.DD(v.x, p.vertices[i - 1].x);
            d.DD(v.y, p.vertices[i - 1].y);
        }
    }
    for (std::size_t i = 0; bulges && i < p.vertices.size(); ++i)
        d.BD(p.vertices[i].bulge);
    for (std::size_t i = 0; widths && i < p.vertices.size(); ++i) {
        d.BD(p.vertices[i].startWidth);
        d.BD(p.vertices[i].endWidth);
    }
}

void DwgEntityEncoder::Polyline(DwgRecord& r, const RkDb::Polyline& p, const DwgChildren& children) const
{
    DwgBitWriter& d = r.Data();
    switch (p.kind) {
    case RkDb::Polyline::Kind::Flat2d:
        d.BS(static_cast<std::uint16_t>((p.closed ? 1 : 0) | (p.plinegen ? 128 : 0)));
        d.BS(p.smoothType);
        d.BD(p.defaultStartWidth);
        d.BD(p.defaultEndWidth);
        d.BT(p.thickness);
        d.BD(p.elevation);
        Extrusion(d, p.extrusion);
        break;
    case RkDb::Polyline::Kind::Poly3d:
        d.RC(p.smoothType != 0 ? 4 : 0);
        d.RC(p.closed ? 1 : 0);
        break;
    case RkDb::Polyline::Kind::PolyFace:
        d.BS(static_cast<std::uint16_t>(p.meshM));
        d.BS(static_cast<std::uint16_t>(p.meshN));
        break;
    case RkDb::Polyline::Kind::Mesh:
        d.BS(static_cast<std::uint16_t>((p.closed ? 1 : 0) | (p.closedN ? 32 : 0)));
        d.BS(p.smoothType);
        d.BS(static_cast<std::uint16_t>(p.meshM));
        d.BS(static_cast<std::uint16_t>(p.meshN));
        d.BS(0);
        d.BS(0);
        break;
    }
    Owned(r, children);
}

void DwgEntityEncoder::Owned(DwgRecord& r, const DwgChildren& children) const
{
    DwgBitWriter& h = r.Handles();
    if (R2004()) {
        r.Data().BL(static_cast<std::uint32_t>(children.all.size()));
        for (const std::uint64_t child : children.all)
            h.H(3, child);
    } else {
        h.H(4, children.first);
        h.H(4, children.last);
    }
    h.H(3, children.seqend);
}

void DwgEntityEncoder::Spline(DwgRecord& r, const RkDb::SplineData& s) const
{
    DwgBitWriter& d = r.Data();
    const bool byFit = s.controlPoints.empty() && !s.fitPoints.empty();
    d.BL(byFit ? 2 : 1);
    d.BL(static_cast<std::uint32_t>(s.degree));
    if (byFit) {
        d.BD(0.0);          // fit tolerance
        d.BD3(0.0, 0.0, 0.0); // tangents: none given
        d.BD3(0.0, 0.0, 0.0);
        d.BL(static_cast<std::uint32_t>(s.fitPoints.size()));
        for (const Vec3& p : s.fitPoints)
            d.BD3(p);
        return;
    }
    const bool weighted = s.weights.size() == s.controlPoints.size() && !s.weights.empty();
    d.B((s.flags & 4) != 0);
    d.B((s.flags & 1) != 0);
    d.B((s.flags & 2) != 0);
    d.BD(1e-10); // knot and control point tolerances
    d.BD(1e-10);
    d.BL(static_cast<std::uint32_t>(s.knots.size()));
    d.BL(static_cast<std::uint32_t>(s.controlPoints.size()));
    d.B(weighted);
    for (const double k : s.knots)
        d.BD(k);
    for (std::size_t i = 0; i < s.controlPoints.size(); ++i) {
        d.BD3(s.controlPoints[i]);
        if (weighted)
            d.BD(s.weights[i]);
    }
}

void DwgEntityEncoder::Insert(DwgRecord& r, const RkDb::Insert& i, const DwgChildren& children) const
{
    DwgBitWriter& d = r.Data();
    d.BD3(i.insertion);
    if (!R2000()) {
        d.BD3(i.scale);
    } else if (Same(i.scale.x, 1.0) && Same(i.scale.y, 1.0) && Same(i.scale.z, 1.0)) {
        d.BB(3);
    } else if (Same(i.scale.x, i.scale.y) && Same(i.scale.x, i.scale.z)) {
        d.BB(2);
        d.RD(i.scale.x);
    } else if (Same(i.scale.x, 1.0)) {
        d.BB(1);
        d.DD(i.scale.y, 1.0);
        d.DD(i.scale.z, 1.0);
    } else {
        d.BB(0);
        d.RD(i.scale.x);
        d.DD(i.scale.y, i.scale.x);
        d.DD(i.scale.z, i.scale.x);
    }
    d.BD(i.rotation);
    d.BD3(i.extrusion);
    const bool attributes = !children.all.empty();
    d.B(attributes);
    if (attributes && R2004())
        d.BL(static_cast<std::uint32_t>(children.all.size()));
    if (TypeOf(i) == orvo::dwg::kTypeMinsert) {
        d.BS(static_cast<std::uint16_t>(i.columns));
        d.BS(static_cast<std::uint16_t>(i.rows));
        d.BD(i.columnSpacing);
        d.BD(i.rowSpacing);
    }
    DwgBitWriter& h = r.Handles();
    h.H(5, m_handles.Block(i.block));
    if (attributes) {
        for (const std::uint64_t child : R2004() ? children.all : std::vector<std::uint64_t>{children.first, children.last})
            h.H(R2004() ? 3 : 4, child);
        h.H(3, children.seqend);
    }
}

void DwgEntityEncoder::Dimension(DwgRecord& r, const RkDb::Dimension& dim) const
{
    DwgBitWriter& d = r.Data();
    d.BD3(dim.extrusion);
    d.RD2(dim.textMidpoint.x, dim.textMidpoint.y);
    d.BD(dim.textMidpoint.z);
    d.RC(0);
    d.TV(Encode(dim.text));
    d.BD(0.0); // text rotation
    d.BD(0.0); // horizontal direction
    d.BD3(1.0, 1.0, 1.0);
    d.BD(0.0);
    if (R2000()) {
        d.BS(5); // attachment: middle centre
        d.BS(1);
        d.BD(1.0);
        d.BD(dim.measurement);
    }
    d.RD2(0.0, 0.0);
    const auto& p = dim.points;
    switch (TypeOf(dim)) {
    case orvo::dwg::kTypeDimOrdinate:
        d.BD3(dim.definitionPoint);
        d.BD3(p[0]);
        d.BD3(p[1]);
        d.RC((dim.dimType & 64) != 0 ? 1 : 0);
        break;
    case orvo::dwg::kTypeDimLinear:
    case orvo::dwg::kTypeDimAligned:
        d.BD3(p[0]);
        d.BD3(p[1]);
        d.BD3(dim.definitionPoint);
        d.BD(0.0);
        if (TypeOf(dim) == orvo::dwg::kTypeDimLinear)
            d.BD(dim.angle);
        break;
    case orvo::dwg::kTypeDimAng3Pt:
        d.BD3(dim.definitionPoint);
        d.BD3(p[0]);
        d.BD3(p[1]);
        d.BD3(p[2]);
        break;
    case orvo::dwg::kTypeDimAng2Ln:
        d.RD2(p[3].x, p[3].y);
        d.BD3(p[0]);
        d.BD3(p[1]);
        d.BD3(p[2]);
        d.BD3(dim.definitionPoint);
        break;
    default:
        d.BD3(dim.definitionPoint);
        d.BD3(p[2]);
        d.BD(0.0); // leader length
        break;
    }
    r.Handles().H(5, m_handles.DimStyle(dim.dimStyle));
    r.Handles().H(5, m_handles.Block(dim.block));
}

void DwgEntityEncoder::Viewport(DwgRecord& r, const RkDb::ViewportEntity& v) const
{
    DwgBitWriter& d = r.Data();
    d.BD3(v.center);
    d.BD(v.width);
    d.BD(v.height);
    if (!R2000()) {
        r.Handles().H(5, m_handles.controls[DwgHandles::kVpEntity]);
        return;
    }
    d.BD3(v.viewTarget);
    d.BD3(v.viewDirection);
    d.BD(v.twist);
    d.BD(v.viewHeight);
    d.BD(50.0); // lens length
    d.BD(0.0);  // front and back clip
    d.BD(0.0);
    d.BD(0.0);  // snap angle
    d.RD2(v.viewCenter.x, v.viewCenter.y);
    d.RD2(0.0, 0.0);   // snap base
    d.RD2(1.0, 1.0);   // snap spacing
    d.RD2(1.0, 1.0);   // grid spacing
    d.BS(100);  // circle zoom
    d.BL(0);    // frozen layers
    d.BL(v.on ? 0x8000 : 0x28000);
    d.TV("");   // plot style sheet
    d.RC(0);    // render mode
    d.B(false); // UCS at origin, UCS per viewport
    d.B(false);
    d.BD3(0.0, 0.0, 0.0);
    d.BD3(1.0, 0.0, 0.0);
    d.BD3(0.0, 1.0, 0.0);
    d.BD(0.0);
    d.BS(0);
    DwgBitWriter& h = r.Handles();
    h.H(5, 0); // clip boundary: its handle is not carried over
    if (!R2004())
        h.H(5, 0); // viewport entity header: none is written
    h.H(5, 0); // named UCS, base UCS
    h.H(5, 0);
}

void DwgEntityEncoder::Face(DwgRecord& r, const RkDb::Face3d& f) const
{
    DwgBitWriter& d = r.Data();
    if (!R2000()) {
        for (const Vec3& c : f.corners)
            d.BD3(c);
        d.BS(f.hiddenEdges);
        return;
    }
    const bool noFlags = f.hiddenEdges == 0;
    const bool zIsZero = Same(f.corners[0].z, 0.0);
    d.B(noFlags);
    d.B(zIsZero);
    d.RD(f.corners[0].x);
    d.RD(f.corners[0].y);
    if (!zIsZero)
        d.RD(f.corners[0].z);
    for (int i = 1; i < 4; ++i) {
        d.DD(f.corners[i].x, f.corners[i - 1].x);
        d.DD(f.corners[i].y, f.corners[i - 1].y);
        d.DD(f.corners[i].z, f.corners[i - 1].z);
    }
    if (!noFlags)
        d.BS(f.hiddenEdges);
}

void DwgEntityEncoder::Raster(DwgRecord& r, const RkDb::RasterFrame& frame, std::uint64_t definition,
                              const RkDb::Image* image) const
{
    DwgBitWriter& d = r.Data();
    d.BL(0); // class version
    d.BD3(frame.insertion);
    d.BD3(frame.uVector);
    d.BD3(frame.vVector);
    d.RD2(frame.pixelSize.x, frame.pixelSize.y);
    d.BS(image && image->transparent ? 15 : 7);  // shown, shown when not aligned, clipped, clear
    d.B(frame.clipping);
    d.RC(image ? image->brightness : 50);
    d.RC(image ? image->contrast : 50);
    d.RC(image ? image->fade : 0);
    // A polygon is stored open; a rectangle as its two corners.
    std::vector<RkDb::Vec2> boundary = frame.clipBoundary;
    if (boundary.size() > 3 && boundary.front().x == boundary.back().x && boundary.front().y == boundary.back().y)
        boundary.pop_back();
    if (boundary.size() < 2)
        boundary = {RkDb::Vec2{-0.5, -0.5}, RkDb::Vec2{frame.pixelSize.x - 0.5, frame.pixelSize.y - 0.5}};
    const bool rectangle = boundary.size() == 2;
    d.BS(rectangle ? 1 : 2);
    if (!rectangle)
        d.BL(static_cast<std::uint32_t>(boundary.size()));
    for (const RkDb::Vec2& p : boundary)
        d.RD2(p.x, p.y);
    r.Handles().H(5, definition);
    r.Handles().H(3, 0); // definition reactor
}

void DwgEntityEncoder::Hatch(DwgRecord& r, const RkDb::Hatch& hatch) const
{
    DwgBitWriter& d = r.Data();
    if (R2004()) {
        d.BL(0);   // not a gradient
        d.BL(0);
        d.BD(0.0); // angle, shift
        d.BD(0.0);
        d.BL(0);   // single colour
        d.BD(0.0); // tint
        d.BL(0);   // colours
        d.TV("");
    }
    d.BD(hatch.elevation);
    d.BD3(hatch.extrusion);
    d.TV(Encode(hatch.patternName));
    // A gradient (2004 and later) is kept as a solid fill.
    const bool solid = hatch.solid || hatch.gradient;
    d.B(solid);
    d.B(false); // not associative: no boundary objects are kept
    d.BL(static_cast<std::uint32_t>(hatch.loops.size()));
    bool derived = false;
    for (const RkDb::HatchLoop& loop : hatch.loops) {
        d.BL(loop.flags);
        derived = derived || (loop.flags & 4) != 0;
        if ((loop.flags & 2) != 0) {
            bool bulges = false;
            for (const double b : loop.bulges)
                bulges = bulges || !Same(b, 0.0);
            d.B(bulges);
            d.B(loop.closed);
            d.BL(static_cast<std::uint32_t>(loop.polyline.size()));
            for (std::size_t i = 0; i < loop.polyline.size(); ++i) {
                d.RD2(loop.polyline[i].x, loop.polyline[i].y);
                if (bulges)
                    d.BD(i < loop.bulges.size() ? loop.bulges[i] : 0.0);
            }
        } else {
            d.BL(static_cast<std::uint32_t>(loop.edges.size()));
            for (const RkDb::HatchEdge& edge : loop.edges)
                HatchEdge(d, edge);
        }
        d.BL(0); // boundary objects
    }
    d.BS(hatch.style);
    d.BS(1); // pattern type: predefined
    if (!solid) {
        d.BD(0.0); // angle and scale: the lines below are stored already rotated and scaled
        d.BD(1.0);
        d.B(false);
        d.BS(static_cast<std::uint16_t>(hatch.patternLines.size()));
        for (const RkDb::HatchPatternLine& line : hatch.patternLines) {
            d.BD(line.angle);
            d.BD2(line.base.x, line.base.y);
            d.BD2(line.offset.x, line.offset.y);
            d.BS(static_cast<std::uint16_t>(line.dashes.size()));
            for (const double dash : line.dashes)
                d.BD(dash);
        }
    }
    if (derived)
        d.BD(0.0); // pixel size
    d.BL(0);       // seed points
}

} // namespace RkWrite
