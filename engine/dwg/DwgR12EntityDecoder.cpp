#include "engine/dwg/DwgR12EntityDecoder.h"

#include "engine/db/AreaEntities.h"
#include "engine/db/BlockEntities.h"
#include "engine/db/ModelEntities.h"
#include "engine/db/TextEntities.h"

#include <algorithm>
#include <memory>

namespace orvo::dwg {

namespace {

using RkDb::Vec3;
using RkDb::DwgVersion;

// Entity flags (the byte after the type).
constexpr uint8_t kHasColor = 0x01, kHasLineType = 0x02, kFlat = 0x04, kHasThickness = 0x08;
constexpr uint8_t kHasHandle = 0x20, kHasExtra = 0x40, kHasFollowers = 0x80;
// The extra byte of R11: extended data and a paper-space viewport follow.
constexpr uint8_t kExtraHasXdata = 0x02, kExtraHasViewport = 0x04;
// Line type references of R11 (two bytes) and of the releases before (one byte).
constexpr uint16_t kR11LineTypeByLayer = 0x7FFF, kR11LineTypeByBlock = 0x7FFE;
constexpr uint8_t kLineTypeByBlock = 0xFF;

// Kinds whose flag 4 means "2D points" instead of "an elevation follows".
bool FlatMeansTwoD(uint8_t type)
{
    return type == kR12Line || type == kR12Point || type == kR12Face3d || type == kR12Line3d;
}

bool Has(uint16_t opts, uint16_t bit) { return (opts & bit) != 0; }

Vec3 ReadExtrusion(RkDb::ByteCursor& c) { return Vec3{c.RD(), c.RD(), c.RD()}; }

template <class T> std::unique_ptr<T> Make() { return std::make_unique<T>(); }

} // namespace

bool DwgR12EntityDecoder::Decode(RkDb::ByteCursor& c, DwgR12Record& out) const
{
    Common common;
    ReadCommon(c, out, common);
    if (c.Failed())
        return false;
    switch (out.type) {
    case kR12Line: case kR12Line3d: case kR12Point: case kR12Circle: case kR12Arc:
        out.entity = DecodeCurve(c, out, common); break;
    case kR12Trace: case kR12Solid: case kR12Face3d:
        out.entity = DecodeArea(c, out, common); break;
    case kR12Text: case kR12AttDef: case kR12Attrib:
        out.entity = DecodeText(c, out, common); break;
    case kR12Shape: out.entity = DecodeShape(c, out, common); break;
    case kR12Insert: out.entity = DecodeInsert(c, out, common); break;
    case kR12Dimension: out.entity = DecodeDimension(c, out, common); break;
    case kR12Polyline: out.entity = DecodePolyline(c, out, common); break;
    case kR12Vertex: DecodeVertex(c, out, common); break;
    case kR12Block: out.blockBase = Point(c, false, common.elevation); break;
    default: break;
    }
    if (c.Failed())
        return false;
    if (out.entity)
        ApplyCommon(common, *out.entity);
    return true;
}

void DwgR12EntityDecoder::ReadCommon(RkDb::ByteCursor& c, DwgR12Record& out, Common& common) const
{
    out.type = c.RC();
    out.mode = c.RC();
    c.RS(); // size, checked by the caller
    common.layer = static_cast<int16_t>(c.RS());
    out.opts = c.RS();
    out.hasFollowers = (out.mode & kHasFollowers) != 0;
    const bool r11 = m_layout.IsR11();
    uint8_t extra = 0;
    if (r11 && (out.mode & kHasExtra))
        extra = c.RC();
    if (out.mode & kHasColor)
        common.color = c.RC();
    if (out.mode & kHasLineType) {
        if (r11) {
            const uint16_t ref = c.RS();
            common.lineType = ref == kR11LineTypeByLayer ? -1 : ref == kR11LineTypeByBlock ? -2 : ref;
        } else {
            const uint8_t ref = c.RC();
            common.lineType = ref == kLineTypeByBlock ? -2 : ref;
        }
    }
    const bool flatFlag = (out.mode & kFlat) != 0;
    if (FlatMeansTwoD(out.type))
        common.threeD = m_layout.version >= DwgVersion::R10 && !flatFlag;
    else if (flatFlag)
        common.elevation = c.RD();
    if (out.mode & kHasThickness)
        common.thickness = c.RD();
    if (extra & kExtraHasXdata)
        c.Skip(c.RS());
    if (out.mode & kHasHandle) {
        // The handle's bytes, most significant first.
        const uint8_t length = c.RC();
        const uint8_t* bytes = c.Bytes(length);
        for (uint8_t i = 0; bytes && i < length && i < 8; ++i)
            common.handle = (common.handle << 8) | bytes[length - std::min<uint8_t>(length, 8) + i];
    }
    if (extra & kExtraHasViewport)
        c.RS();
}

void DwgR12EntityDecoder::ApplyCommon(const Common& common, RkDb::Entity& e) const
{
    e.handle = common.handle;
    e.layer = m_tables.Layer(common.layer);
    if (common.color == 0)
        e.color = RkDb::Color::ByBlock();
    else if (common.color > 0 && common.color <= 255)
        e.color = RkDb::Color::FromAci(common.color);
    if (common.lineType == -2)
        e.lineType = RkDb::kRefByBlock;
    else if (common.lineType >= 0)
        e.lineType = m_tables.LineType(common.lineType);
    e.thickness = common.thickness;
}

RkDb::EntityPtr DwgR12EntityDecoder::DecodeCurve(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const
{
    if (r.type == kR12Line || r.type == kR12Line3d) {
        auto line = Make<RkDb::Line>();
        const bool full = k.threeD;
        line->start = Point(c, full, 0.0);
        if (!full && r.type == kR12Line3d && Has(r.opts, 1))
            line->start.z = c.RD();
        line->end = Point(c, full, 0.0);
        if (!full && r.type == kR12Line3d && Has(r.opts, 2))
            line->end.z = c.RD();
        if (r.type == kR12Line && HasExtrusion(r))
            line->extrusion = ReadExtrusion(c);
        return line;
    }
    if (r.type == kR12Point) {
        auto point = Make<RkDb::Point>();
        point->position = Point(c, k.threeD, 0.0);
        return point;
    }
    if (r.type == kR12Circle) {
        auto circle = Make<RkDb::Circle>();
        circle->center = Point(c, false, k.elevation);
        circle->radius = c.RD();
        if (HasExtrusion(r))
            circle->extrusion = ReadExtrusion(c);
        return circle;
    }
    auto arc = Make<RkDb::Arc>();
    arc->center = Point(c, false, k.elevation);
    arc->radius = c.RD();
    arc->startAngle = c.RD();
    arc->endAngle = c.RD();
    if (HasExtrusion(r))
        arc->extrusion = ReadExtrusion(c);
    return arc;
}

RkDb::EntityPtr DwgR12EntityDecoder::DecodeArea(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const
{
    if (r.type == kR12Face3d) {
        auto face = Make<RkDb::Face3d>();
        for (Vec3& corner : face->corners)
            corner = Point(c, k.threeD, 0.0);
        if (HasExtrusion(r))
            face->hiddenEdges = static_cast<uint8_t>(c.RS() & 0x0F);
        return face;
    }
    Vec3 corners[4];
    for (Vec3& corner : corners)
        corner = Point(c, false, k.elevation);
    Vec3 extrusion{0.0, 0.0, 1.0};
    if (r.type == kR12Solid && HasExtrusion(r))
        extrusion = ReadExtrusion(c);
    if (r.type == kR12Trace) {
        auto trace = Make<RkDb::Trace>();
        std::copy(corners, corners + 4, trace->corners);
        return trace;
    }
    auto solid = Make<RkDb::Solid>();
    std::copy(corners, corners + 4, solid->corners);
    solid->extrusion = extrusion;
    return solid;
}

RkDb::EntityPtr DwgR12EntityDecoder::DecodeText(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const
{
    RkDb::TextData t;
    t.insertion = Point(c, false, k.elevation);
    t.height = c.RD();
    t.value = String(c);
    std::string tag, prompt;
    uint8_t flags = 0;
    // TEXT numbers its options from bit 0; ATTDEF and ATTRIB from bit 1, after their own fields.
    unsigned shift = 0;
    if (r.type == kR12AttDef)
        prompt = String(c);
    if (r.type != kR12Text) {
        tag = String(c);
        flags = c.RC();
        shift = 1;
    }
    const uint16_t o = static_cast<uint16_t>(r.opts >> shift);
    if (Has(o, 0x01)) t.rotation = c.RD();
    if (Has(o, 0x02)) t.widthFactor = c.RD();
    if (Has(o, 0x04)) t.oblique = c.RD();
    if (Has(o, 0x08)) t.style = m_tables.Style(c.RC());
    if (Has(o, 0x10)) t.generation = c.RC();
    if (Has(o, 0x20)) t.hAlign = c.RC();
    if (Has(o, 0x40)) {
        t.alignment = Point(c, false, k.elevation);
        t.hasAlignment = true;
    }
    Vec3 extrusion{0.0, 0.0, 1.0};
    if (r.type != kR12Text && Has(o, 0x80))
        extrusion = ReadExtrusion(c);
    if (Has(r.opts, 0x100) && r.type == kR12Text)
        t.vAlign = c.RC();
    else if (r.type != kR12Text && Has(r.opts, 0x200))
        t.vAlign = c.RC();
    t.hasAlignment = t.hasAlignment && (t.hAlign != 0 || t.vAlign != 0);
    if (r.type == kR12Text) {
        auto text = Make<RkDb::Text>();
        text->text = std::move(t);
        return text;
    }
    if (r.type == kR12AttDef) {
        auto def = Make<RkDb::AttributeDefinition>();
        def->text = std::move(t);
        def->tag = std::move(tag);
        def->prompt = std::move(prompt);
        def->flags = flags;
        def->extrusion = extrusion;
        return def;
    }
    auto attribute = Make<RkDb::Attribute>();
    attribute->text = std::move(t);
    attribute->tag = std::move(tag);
    attribute->flags = flags;
    attribute->extrusion = extrusion;
    return attribute;
}

RkDb::EntityPtr DwgR12EntityDecoder::DecodeInsert(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const
{
    auto insert = Make<RkDb::Insert>();
    insert->block = m_tables.Block(static_cast<int16_t>(c.RS()));
    insert->insertion = Point(c, false, k.elevation);
    if (Has(r.opts, 0x01)) insert->scale.x = c.RD();
    if (Has(r.opts, 0x02)) insert->scale.y = c.RD();
    if (Has(r.opts, 0x04)) insert->rotation = c.RD();
    if (Has(r.opts, 0x08)) insert->scale.z = c.RD();
    if (Has(r.opts, 0x10)) insert->columns = c.RS();
    if (Has(r.opts, 0x20)) insert->rows = c.RS();
    if (Has(r.opts, 0x40)) insert->columnSpacing = c.RD();
    if (Has(r.opts, 0x80)) insert->rowSpacing = c.RD();
    if (Has(r.opts, 0x100)) insert->extrusion = ReadExtrusion(c);
    insert->columns = std::max(insert->columns, 1);
    insert->rows = std::max(insert->rows, 1);
    return insert;
}

RkDb::EntityPtr DwgR12EntityDecoder::DecodeDimension(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const
{
    auto dim = Make<RkDb::Dimension>();
    const bool threeD = m_layout.version >= DwgVersion::R10;
    dim->block = m_tables.Block(static_cast<int16_t>(c.RS()));
    dim->definitionPoint = Point(c, threeD, 0.0);
    dim->textMidpoint = Point(c, false, k.elevation);
    if (Has(r.opts, 0x01)) c.Skip(16);          // insertion point of a clone
    if (Has(r.opts, 0x02)) dim->dimType = static_cast<uint8_t>(c.RC() & 0x07);
    if (Has(r.opts, 0x04)) dim->text = String(c);
    if (Has(r.opts, 0x08)) dim->points[0] = Point(c, threeD, 0.0);
    if (Has(r.opts, 0x10)) dim->points[1] = Point(c, threeD, 0.0);
    if (Has(r.opts, 0x20)) dim->points[2] = Point(c, threeD, 0.0);
    // The arc definition point is 3D in R10 only.
    if (Has(r.opts, 0x40)) dim->points[3] = Point(c, m_layout.version == DwgVersion::R10, 0.0);
    return dim;
}

RkDb::EntityPtr DwgR12EntityDecoder::DecodePolyline(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const
{
    auto polyline = Make<RkDb::Polyline>();
    polyline->elevation = k.elevation;
    if (Has(r.opts, 0x01)) {
        const uint8_t flags = c.RC();
        polyline->closed = (flags & 1) != 0;
        polyline->closedN = (flags & 32) != 0;
        polyline->plinegen = (flags & 128) != 0;
        if (flags & 64)
            polyline->kind = RkDb::Polyline::Kind::PolyFace;
        else if (flags & 16)
            polyline->kind = RkDb::Polyline::Kind::Mesh;
        else if (flags & 8)
            polyline->kind = RkDb::Polyline::Kind::Poly3d;
    }
    if (Has(r.opts, 0x02)) polyline->defaultStartWidth = c.RD();
    if (Has(r.opts, 0x04)) polyline->defaultEndWidth = c.RD();
    if (Has(r.opts, 0x08)) polyline->extrusion = ReadExtrusion(c);
    if (Has(r.opts, 0x10)) polyline->meshM = static_cast<int16_t>(c.RS());
    if (Has(r.opts, 0x20)) polyline->meshN = static_cast<int16_t>(c.RS());
    if (Has(r.opts, 0x40)) c.RS(); // surface density in M
    if (Has(r.opts, 0x80)) c.RS(); // and in N
    if (Has(r.opts, 0x100)) polyline->smoothType = c.RS();
    return polyline;
}

void DwgR12EntityDecoder::DecodeVertex(RkDb::ByteCursor& c, DwgR12Record& r, const Common& k) const
{
    RkDb::PolyVertex& v = r.vertex;
    // Option 0x4000: a record without a position (a polyface mesh's face).
    if (!Has(r.opts, 0x4000))
        v.position = Point(c, false, k.elevation);
    if (Has(r.opts, 0x01)) v.startWidth = c.RD();
    if (Has(r.opts, 0x02)) v.endWidth = c.RD();
    if (Has(r.opts, 0x04)) v.bulge = c.RD();
    if (Has(r.opts, 0x08)) v.flags = c.RC();
    if (Has(r.opts, 0x10)) c.RD(); // curve-fit tangent direction
    for (int i = 0; i < 4; ++i) {
        if (Has(r.opts, static_cast<uint16_t>(0x20 << i)))
            v.faceIndex[i] = static_cast<int16_t>(c.RS());
    }
}

std::string DwgR12EntityDecoder::String(RkDb::ByteCursor& c) const
{
    const uint16_t length = c.RS();
    const uint8_t* bytes = c.Bytes(length);
    if (!bytes)
        return std::string();
    std::string_view raw(reinterpret_cast<const char*>(bytes), length);
    const size_t nul = raw.find('\0');
    return m_text.Decode(nul == std::string_view::npos ? raw : raw.substr(0, nul));
}

// Insertion, size and shape number, then the rotation and the index of the shape file's style
// when the option bits say so (as the R9 to R11 samples store them).
RkDb::EntityPtr DwgR12EntityDecoder::DecodeShape(RkDb::ByteCursor& c, DwgR12Record& r,
                                                 const Common& k) const
{
    auto shape = Make<RkDb::Shape>();
    shape->insertion = Point(c, false, k.elevation);
    shape->size = c.RD();
    shape->shapeNumber = c.RC();
    if (Has(r.opts, 1))
        shape->rotation = c.RD();
    if (Has(r.opts, 2))
        shape->style = m_tables.Style(c.RC());
    return shape;
}

Vec3 DwgR12EntityDecoder::Point(RkDb::ByteCursor& c, bool threeD, double z) const
{
    Vec3 p;
    p.x = c.RD();
    p.y = c.RD();
    p.z = threeD ? c.RD() : z;
    return p;
}

} // namespace orvo::dwg
