#include "engine/write/DxfEntityWriter.h"

#include "engine/write/DownConverter.h"
#include "engine/write/DwgEntityEncoder.h"

#include <algorithm>
#include <cstring>

namespace RkWrite {
namespace {

using RkDb::EntityType;
using RkDb::Vec3;

// The type the reader makes of a record of that name (a helix is written as a SPLINE, a
// multileader's leaders as LEADERs).
std::size_t IndexOfName(const char* name)
{
    for (std::size_t i = 0; i < RkDb::kEntityTypeCount; ++i) {
        if (std::strcmp(RkDb::EntityTypeName(static_cast<EntityType>(i)), name) == 0)
            return i;
    }
    return RkDb::kEntityTypeCount;
}

} // namespace

DxfEntityWriter::DxfEntityWriter(const RkDb::Database& db, DxfOutput& out, DxfVersion version,
                                 HandleAllocator& handles, WriteReport& report)
    : m_db(db), m_out(out), m_version(version), m_handles(handles), m_report(report)
{
}

void DxfEntityWriter::Write(const RkDb::Entity& e, RkDb::Handle owner, bool paperSpace)
{
    m_owner = owner;
    m_topOwner = owner;
    m_written.clear();
    m_paperSpace = paperSpace;
    m_emitted = {};
    Dispatch(e);
    Account(m_report, e.type, m_emitted);
}

void DxfEntityWriter::WritePart(const RkDb::Entity& e)
{
    m_owner = 0;
    m_topOwner = 0;
    m_written.clear();
    m_paperSpace = false;
    Dispatch(e);
    m_emitted = {};
}

void DxfEntityWriter::WriteHatchInsert(const RkDb::Hatch& e, const HatchBlockSet::Block& block)
{
    Begin("INSERT", e, true);
    m_out.Text(2, block.name);
    m_out.Point(10, Vec3{});
    for (const RkDb::EntityPtr& part : block.parts)
        ++m_emitted[static_cast<std::size_t>(part->type)];
}

void DxfEntityWriter::Dispatch(const RkDb::Entity& e)
{
    using namespace RkDb;
    const bool r12 = m_version == DxfVersion::R12;
    switch (e.type) {
    case EntityType::Line: WriteLine(static_cast<const Line&>(e)); return;
    case EntityType::Point: WritePoint(static_cast<const Point&>(e)); return;
    case EntityType::Circle: WriteCircle(static_cast<const Circle&>(e)); return;
    case EntityType::Arc: WriteArc(static_cast<const Arc&>(e)); return;
    case EntityType::Ellipse:
        if (r12)
            WritePolyline(*DownConverter::FromEllipse(static_cast<const Ellipse&>(e)));
        else
            WriteEllipse(static_cast<const Ellipse&>(e));
        return;
    case EntityType::Ray:
        if (!r12) {
            const auto& r = static_cast<const Ray&>(e);
            WriteRay(e, "RAY", "AcDbRay", r.base, r.direction);
        }
        return;
    case EntityType::XLine:
        if (!r12) {
            const auto& x = static_cast<const XLine&>(e);
            WriteRay(e, "XLINE", "AcDbXline", x.base, x.direction);
        }
        return;
    case EntityType::LwPolyline:
        if (r12)
            WritePolyline(*DownConverter::FromLwPolyline(static_cast<const LwPolyline&>(e)));
        else
            WriteLwPolyline(static_cast<const LwPolyline&>(e));
        return;
    case EntityType::Polyline: WritePolyline(static_cast<const Polyline&>(e)); return;
    case EntityType::Spline:
    case EntityType::Helix: {
        const SplineData& s = e.type == EntityType::Spline
                                  ? static_cast<const SplineData&>(static_cast<const Spline&>(e))
                                  : static_cast<const SplineData&>(static_cast<const Helix&>(e));
        if (!r12) {
            WriteSpline(e, s);
        } else if (auto pl = DownConverter::FromSpline(e, s)) {
            WritePolyline(*pl);
        }
        return;
    }
    case EntityType::Text: WriteText(static_cast<const Text&>(e)); return;
    case EntityType::MText:
        if (r12) {
            for (const auto& text : DownConverter::FromMText(static_cast<const MText&>(e)))
                WriteText(*text);
        } else {
            WriteMText(static_cast<const MText&>(e));
        }
        return;
    case EntityType::AttributeDefinition:
        WriteAttributeDefinition(static_cast<const AttributeDefinition&>(e));
        return;
    case EntityType::Attribute: return;     // only inside an INSERT
    case EntityType::Insert: WriteInsert(static_cast<const Insert&>(e)); return;
    case EntityType::Dimension: WriteDimension(static_cast<const Dimension&>(e)); return;
    case EntityType::Leader: {
        const auto& l = static_cast<const Leader&>(e);
        if (r12)
            WritePolyline(*DownConverter::Through(e, l.vertices, false));
        else
            WriteLeader(e, l.vertices, l.arrowHead, l.spline);
        return;
    }
    case EntityType::MLeader: WriteMLeader(static_cast<const MLeader&>(e)); return;
    case EntityType::MLine:
        for (const auto& pl : DownConverter::FromMLine(static_cast<const MLine&>(e)))
            WritePolyline(*pl);
        return;
    case EntityType::Hatch:
        if (r12) {
            if (const HatchBlockSet::Block* block = m_hatchBlocks ? m_hatchBlocks->Find(e) : nullptr) {
                WriteHatchInsert(static_cast<const Hatch&>(e), *block);
                return;
            }
            for (const auto& pl : DownConverter::FromHatch(static_cast<const Hatch&>(e)))
                WritePolyline(*pl);
        } else {
            WriteHatch(static_cast<const Hatch&>(e));
        }
        return;
    case EntityType::Solid:
        WriteCorners(e, "SOLID", "AcDbTrace", static_cast<const Solid&>(e).corners);
        return;
    case EntityType::Trace:
        WriteCorners(e, "TRACE", "AcDbTrace", static_cast<const Trace&>(e).corners);
        return;
    case EntityType::Face3d: WriteFace(static_cast<const Face3d&>(e)); return;
    case EntityType::Viewport: WriteViewport(static_cast<const ViewportEntity&>(e)); return;
    case EntityType::Tolerance:
        if (!r12)
            WriteTolerance(static_cast<const Tolerance&>(e));
        return;
    case EntityType::Shape: WriteShape(static_cast<const Shape&>(e)); return;
    case EntityType::Image: {
        const auto& image = static_cast<const Image&>(e);
        if (!r12 && m_imageDefs && !image.fileName.empty()) {
            auto found = m_imageDefs->find(image.fileName);
            if (found == m_imageDefs->end())
                found = m_imageDefs->emplace(image.fileName, ImageDef{m_handles.Next(), image.frame.pixelSize}).first;
            WriteRaster(e, "IMAGE", "AcDbRasterImage", image.frame, found->second.handle, &image);
        }
        return;
    }
    case EntityType::Wipeout:
        if (HasLayouts(m_version))
            WriteRaster(e, "WIPEOUT", "AcDbWipeout", static_cast<const Wipeout&>(e).frame, 0, nullptr);
        return;
    case EntityType::AcisSolid:
        // R12 has no solids; one read without its ACIS data has nothing to write.
        if (!r12 && !static_cast<const AcisSolid&>(e).sat.empty())
            WriteAcisSolid(static_cast<const AcisSolid&>(e));
        return;
    // A mesh came with 2010: it is written as its polyface mesh, as CAD programs save it for
    // older releases. Underlays need a later release, OLE frames their OLE data (not kept): they
    // are left out and counted.
    case EntityType::Mesh:
        if (auto pl = DownConverter::FromMesh(static_cast<const Mesh&>(e)))
            WritePolyline(*pl);
        return;
    case EntityType::Underlay:
    case EntityType::OleFrame:
        return;
    }
}

std::string DxfEntityWriter::LayerName(std::int32_t layer) const
{
    return m_db.Layers().Valid(layer) ? m_db.Layers()[layer].name : std::string("0");
}

std::string DxfEntityWriter::LineTypeName(std::int32_t lineType) const
{
    const bool r12 = m_version == DxfVersion::R12;
    if (lineType == RkDb::kRefByBlock)
        return r12 ? "BYBLOCK" : "ByBlock";
    if (lineType == RkDb::kRefByLayer)
        return r12 ? "BYLAYER" : "ByLayer";
    if (m_db.LineTypes().Valid(lineType))
        return m_db.LineTypes()[lineType].name;
    return "Continuous";
}

std::string DxfEntityWriter::StyleName(std::int32_t style) const
{
    return m_db.TextStyles().Valid(style) ? m_db.TextStyles()[style].name : std::string("Standard");
}

std::string DxfEntityWriter::BlockName(std::int32_t block) const
{
    return m_db.Blocks().Valid(block) ? m_db.Blocks()[block].name : std::string();
}

RkDb::Handle DxfEntityWriter::Begin(const char* type, const RkDb::Entity& e, bool counted)
{
    if (counted) {
        const std::size_t index = IndexOfName(type);
        if (index < m_emitted.size())
            ++m_emitted[index];
    }
    m_out.Raw(0, type);
    RkDb::Handle handle = 0;
    const bool objects = HasObjects(m_version);
    if (objects) {
        handle = m_handles.Keep(e.handle);
        m_out.Handle(5, handle);
        m_out.Handle(330, m_owner);
        m_out.Raw(100, "AcDbEntity");
        if (m_owner == m_topOwner && m_owner != 0)
            m_written.push_back(handle);
    }
    if (m_paperSpace)
        m_out.Int(67, 1);
    m_out.Text(8, LayerName(e.layer));
    if (e.lineType != RkDb::kRefByLayer)
        m_out.Text(6, LineTypeName(e.lineType));
    if (e.color.IsByBlock())
        m_out.Int(62, 0);
    else if (!e.color.IsByLayer())
        m_out.Int(62, std::clamp<int>(ColorIndex(e.color), 1, 255)); // a true colour's nearest index
    if (e.color.GetKind() == RkDb::Color::Kind::True && HasTrueColor(m_version))
        m_out.Int(420, e.color.Rgb());
    if (HasLayouts(m_version) && e.lineWeight != RkDb::kLwByLayer)
        m_out.Int(370, e.lineWeight);
    // Transparency came with 2004; earlier releases draw the entity opaque.
    if (HasTransparency(m_version) && e.transparency != 0)
        m_out.Int(440, e.transparency);
    if (objects && e.lineTypeScale != 1.0)
        m_out.Real(48, e.lineTypeScale);
    if (objects && e.invisible)
        m_out.Int(60, 1);
    return handle;
}

void DxfEntityWriter::Subclass(const char* marker)
{
    if (HasObjects(m_version))
        m_out.Raw(100, marker);
}

void DxfEntityWriter::ThicknessAndExtrusion(const RkDb::Entity& e)
{
    if (e.thickness != 0.0)
        m_out.Real(39, e.thickness);
    if (e.extrusion != Vec3{0.0, 0.0, 1.0})
        m_out.Point(210, e.extrusion);
}

void DxfEntityWriter::WriteLine(const RkDb::Line& e)
{
    Begin("LINE", e, true);
    Subclass("AcDbLine");
    m_out.Point(10, e.start);
    m_out.Point(11, e.end);
    ThicknessAndExtrusion(e);
}

void DxfEntityWriter::WritePoint(const RkDb::Point& e)
{
    Begin("POINT", e, true);
    Subclass("AcDbPoint");
    m_out.Point(10, e.position);
    ThicknessAndExtrusion(e);
    if (e.xAxisAngle != 0.0)
        m_out.Angle(50, e.xAxisAngle);
}

void DxfEntityWriter::CircleBody(const char* type, const RkDb::Entity& e, const Vec3& center,
                                 double radius)
{
    Begin(type, e, true);
    Subclass("AcDbCircle");
    m_out.Point(10, center);
    m_out.Real(40, radius);
    ThicknessAndExtrusion(e);
}

void DxfEntityWriter::WriteCircle(const RkDb::Circle& e)
{
    CircleBody("CIRCLE", e, e.center, e.radius);
}

void DxfEntityWriter::WriteArc(const RkDb::Arc& e)
{
    CircleBody("ARC", e, e.center, e.radius);
    Subclass("AcDbArc");
    m_out.Angle(50, e.startAngle);
    m_out.Angle(51, e.endAngle);
}

void DxfEntityWriter::WriteEllipse(const RkDb::Ellipse& e)
{
    Begin("ELLIPSE", e, true);
    Subclass("AcDbEllipse");
    m_out.Point(10, e.center);
    m_out.Point(11, e.majorAxis);
    m_out.Point(210, e.extrusion);
    m_out.Real(40, e.ratio);
    m_out.Real(41, e.startParam);
    m_out.Real(42, e.endParam);
}

void DxfEntityWriter::WriteRay(const RkDb::Entity& e, const char* type, const char* marker,
                               const Vec3& base, const Vec3& direction)
{
    Begin(type, e, true);
    Subclass(marker);
    m_out.Point(10, base);
    m_out.Point(11, direction);
}

void DxfEntityWriter::WriteLwPolyline(const RkDb::LwPolyline& e)
{
    Begin("LWPOLYLINE", e, true);
    Subclass("AcDbPolyline");
    m_out.Int(90, static_cast<long long>(e.vertices.size()));
    m_out.Int(70, (e.closed ? 1 : 0) | (e.plinegen ? 128 : 0));
    if (e.constantWidth != 0.0)
        m_out.Real(43, e.constantWidth);
    if (e.elevation != 0.0)
        m_out.Real(38, e.elevation);
    ThicknessAndExtrusion(e);
    for (const RkDb::LwVertex& v : e.vertices) {
        m_out.Real(10, v.x);
        m_out.Real(20, v.y);
        if (v.startWidth != 0.0 || v.endWidth != 0.0) {
            m_out.Real(40, v.startWidth);
            m_out.Real(41, v.endWidth);
        }
        if (v.bulge != 0.0)
            m_out.Real(42, v.bulge);
    }
}

void DxfEntityWriter::WritePolyline(const RkDb::Polyline& e)
{
    using Kind = RkDb::Polyline::Kind;
    const RkDb::Handle handle = Begin("POLYLINE", e, true);
    static const char* const kMarkers[] = {"AcDb2dPolyline", "AcDb3dPolyline", "AcDbPolygonMesh",
                                           "AcDbPolyFaceMesh"};
    Subclass(kMarkers[static_cast<int>(e.kind)]);
    m_out.Int(66, 1);
    m_out.Point(10, {0.0, 0.0, e.kind == Kind::Flat2d ? e.elevation : 0.0});
    int flags = e.closed ? 1 : 0;
    if (e.kind == Kind::Poly3d) flags |= 8;
    if (e.kind == Kind::Mesh) flags |= 16 | (e.closedN ? 32 : 0);
    if (e.kind == Kind::PolyFace) flags |= 64;
    if (e.plinegen) flags |= 128;
    m_out.Int(70, flags);
    if (e.defaultStartWidth != 0.0 || e.defaultEndWidth != 0.0) {
        m_out.Real(40, e.defaultStartWidth);
        m_out.Real(41, e.defaultEndWidth);
    }
    if (e.kind == Kind::Mesh || e.kind == Kind::PolyFace) {
        m_out.Int(71, e.meshM);
        m_out.Int(72, e.meshN);
    }
    if (e.smoothType != 0)
        m_out.Int(75, e.smoothType);
    ThicknessAndExtrusion(e);
    const RkDb::Handle owner = m_owner;
    m_owner = handle;
    for (std::size_t i = 0; i < e.vertices.size(); ++i) {
        const RkDb::PolyVertex& v = e.vertices[i];
        const bool face = e.kind == Kind::PolyFace &&
                          (static_cast<std::int32_t>(i) >= e.meshM || ((v.flags & 128) && !(v.flags & 64)));
        RkDb::Line carrier;     // the vertex's common properties are the polyline's
        DownConverter::CopyCommon(e, carrier);
        Begin("VERTEX", carrier, false);
        Subclass("AcDbVertex");
        int vflags = v.flags;
        switch (e.kind) {
        case Kind::Flat2d: Subclass("AcDb2dVertex"); vflags &= ~(32 | 64 | 128); break;
        case Kind::Poly3d: Subclass("AcDb3dPolylineVertex"); vflags |= 32; break;
        case Kind::Mesh: Subclass("AcDbPolygonMeshVertex"); vflags |= 64; break;
        case Kind::PolyFace:
            Subclass(face ? "AcDbFaceRecord" : "AcDbPolyFaceMeshVertex");
            vflags = face ? 128 : 192;
            break;
        }
        m_out.Point(10, face ? Vec3{} : v.position);
        if (e.kind == Kind::Flat2d) {
            if (v.startWidth != 0.0 || v.endWidth != 0.0) {
                m_out.Real(40, v.startWidth);
                m_out.Real(41, v.endWidth);
            }
            if (v.bulge != 0.0)
                m_out.Real(42, v.bulge);
        }
        m_out.Int(70, vflags);
        if (face) {
            for (int k = 0; k < 4; ++k) {
                if (v.faceIndex[k] != 0)
                    m_out.Int(71 + k, v.faceIndex[k]);
            }
        }
    }
    m_owner = owner;
    SeqEnd(e, handle);
}

void DxfEntityWriter::SeqEnd(const RkDb::Entity& e, RkDb::Handle owner)
{
    const RkDb::Handle outer = m_owner;
    m_owner = owner;
    RkDb::Line carrier;
    DownConverter::CopyCommon(e, carrier);
    Begin("SEQEND", carrier, false);
    m_owner = outer;
}

void DxfEntityWriter::WriteSpline(const RkDb::Entity& e, const RkDb::SplineData& s)
{
    Begin("SPLINE", e, true);
    Subclass("AcDbSpline");
    if ((s.flags & 8) != 0)
        m_out.Point(210, e.extrusion);
    const bool rational = !s.weights.empty() && s.weights.size() == s.controlPoints.size();
    m_out.Int(70, (s.flags & ~4) | (rational ? 4 : 0));
    m_out.Int(71, s.degree);
    m_out.Int(72, static_cast<long long>(s.knots.size()));
    m_out.Int(73, static_cast<long long>(s.controlPoints.size()));
    m_out.Int(74, static_cast<long long>(s.fitPoints.size()));
    m_out.Real(42, 1e-10);
    m_out.Real(43, 1e-10);
    for (const double k : s.knots)
        m_out.Real(40, k);
    if (rational) {
        for (const double w : s.weights)
            m_out.Real(41, w);
    }
    for (const Vec3& p : s.controlPoints)
        m_out.Point(10, p);
    for (const Vec3& p : s.fitPoints)
        m_out.Point(11, p);
}

void DxfEntityWriter::WriteTextData(const RkDb::TextData& t)
{
    m_out.Point(10, t.insertion);
    m_out.Real(40, t.height);
    m_out.Text(1, t.value);
    if (t.rotation != 0.0)
        m_out.Angle(50, t.rotation);
    if (t.widthFactor != 1.0)
        m_out.Real(41, t.widthFactor);
    if (t.oblique != 0.0)
        m_out.Angle(51, t.oblique);
    m_out.Text(7, StyleName(t.style));
    if (t.generation != 0)
        m_out.Int(71, t.generation);
    if (t.hAlign != 0)
        m_out.Int(72, t.hAlign);
    if (t.hasAlignment || t.hAlign != 0 || t.vAlign != 0)
        m_out.Point(11, t.alignment);
}

void DxfEntityWriter::WriteText(const RkDb::Text& e)
{
    Begin("TEXT", e, true);
    Subclass("AcDbText");
    if (e.thickness != 0.0)
        m_out.Real(39, e.thickness);
    WriteTextData(e.text);
    if (e.extrusion != Vec3{0.0, 0.0, 1.0})
        m_out.Point(210, e.extrusion);
    Subclass("AcDbText");
    if (e.text.vAlign != 0)
        m_out.Int(73, e.text.vAlign);
}

void DxfEntityWriter::WriteAttributeDefinition(const RkDb::AttributeDefinition& e)
{
    Begin("ATTDEF", e, true);
    Subclass("AcDbText");
    WriteTextData(e.text);
    if (e.extrusion != Vec3{0.0, 0.0, 1.0})
        m_out.Point(210, e.extrusion);
    Subclass("AcDbAttributeDefinition");
    m_out.Text(3, e.prompt);
    m_out.Text(2, e.tag);
    m_out.Int(70, e.flags);
    if (e.text.vAlign != 0)
        m_out.Int(74, e.text.vAlign);
}

void DxfEntityWriter::WriteAttribute(const RkDb::Attribute& e, RkDb::Handle owner)
{
    const RkDb::Handle outer = m_owner;
    m_owner = owner;
    Begin("ATTRIB", e, false);
    m_owner = outer;
    Subclass("AcDbText");
    WriteTextData(e.text);
    if (e.extrusion != Vec3{0.0, 0.0, 1.0})
        m_out.Point(210, e.extrusion);
    Subclass("AcDbAttribute");
    m_out.Text(2, e.tag);
    m_out.Int(70, e.flags);
    if (e.text.vAlign != 0)
        m_out.Int(74, e.text.vAlign);
}

void DxfEntityWriter::WriteMText(const RkDb::MText& e)
{
    Begin("MTEXT", e, true);
    Subclass("AcDbMText");
    m_out.Point(10, e.insertion);
    m_out.Real(40, e.height);
    m_out.Real(41, e.referenceWidth);
    m_out.Int(71, std::clamp<int>(e.attachment, 1, 9));
    m_out.Int(72, e.direction);
    // Values are at most 250 characters: the leading pieces go in group 3, the last in 1.
    const std::string& text = e.contents;
    std::size_t at = 0;
    while (text.size() - at > 250) {
        std::size_t cut = at + 250;
        while (cut > at && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;              // never split a UTF-8 sequence
        m_out.Text(3, std::string_view(text).substr(at, cut - at));
        at = cut;
    }
    m_out.Text(1, std::string_view(text).substr(at));
    m_out.Text(7, StyleName(e.style));
    if (e.extrusion != Vec3{0.0, 0.0, 1.0})
        m_out.Point(210, e.extrusion);
    m_out.Point(11, e.xDirection);
    if (HasLayouts(m_version)) {
        m_out.Int(73, 1);
        m_out.Real(44, e.lineSpacing);
    }
}

void DxfEntityWriter::WriteInsert(const RkDb::Insert& e)
{
    const std::string name = BlockName(e.block);
    if (name.empty())
        return;     // an unresolved reference has no block to name
    const RkDb::Handle handle = Begin("INSERT", e, true);
    const bool array = e.columns > 1 || e.rows > 1;
    Subclass(array ? "AcDbMInsertBlock" : "AcDbBlockReference");
    if (!e.attributes.empty())
        m_out.Int(66, 1);
    m_out.Text(2, name);
    m_out.Point(10, e.insertion);
    if (e.scale.x != 1.0) m_out.Real(41, e.scale.x);
    if (e.scale.y != 1.0) m_out.Real(42, e.scale.y);
    if (e.scale.z != 1.0) m_out.Real(43, e.scale.z);
    if (e.rotation != 0.0)
        m_out.Angle(50, e.rotation);
    if (array) {
        m_out.Int(70, e.columns);
        m_out.Int(71, e.rows);
        m_out.Real(44, e.columnSpacing);
        m_out.Real(45, e.rowSpacing);
    }
    ThicknessAndExtrusion(e);
    if (e.attributes.empty())
        return;
    for (const auto& a : e.attributes)
        WriteAttribute(*a, handle);
    SeqEnd(e, handle);
}

void DxfEntityWriter::WriteDimension(const RkDb::Dimension& e)
{
    const std::string block = BlockName(e.block);
    Begin("DIMENSION", e, true);
    Subclass("AcDbDimension");
    if (!block.empty())
        m_out.Text(2, block);
    m_out.Point(10, e.definitionPoint);
    m_out.Point(11, e.textMidpoint);
    const int type = e.dimType & 7;
    m_out.Int(70, type | (block.empty() ? 0 : 32));
    m_out.Text(1, e.text);
    m_out.Text(3, m_db.DimStyles().Valid(e.dimStyle) ? m_db.DimStyles()[e.dimStyle].name
                                                      : std::string("Standard"));
    if (HasLayouts(m_version))
        m_out.Real(42, e.measurement);
    if (e.extrusion != Vec3{0.0, 0.0, 1.0})
        m_out.Point(210, e.extrusion);
    switch (type) {
    case 0:
    case 1:
        Subclass("AcDbAlignedDimension");
        m_out.Point(13, e.points[0]);
        m_out.Point(14, e.points[1]);
        if (type == 0) {
            m_out.Angle(50, e.angle);
            Subclass("AcDbRotatedDimension");
        }
        break;
    case 2:
        Subclass("AcDb2LineAngularDimension");
        for (int k = 0; k < 4; ++k) m_out.Point(13 + k, e.points[k]);
        break;
    case 3:
    case 4:
        Subclass(type == 3 ? "AcDbDiametricDimension" : "AcDbRadialDimension");
        m_out.Point(15, e.points[2]);
        m_out.Real(40, 0.0);
        break;
    case 5:
        Subclass("AcDb3PointAngularDimension");
        for (int k = 0; k < 3; ++k) m_out.Point(13 + k, e.points[k]);
        break;
    default:
        Subclass("AcDbOrdinateDimension");
        m_out.Point(13, e.points[0]);
        m_out.Point(14, e.points[1]);
        break;
    }
}

void DxfEntityWriter::WriteLeader(const RkDb::Entity& e, const std::vector<Vec3>& vertices,
                                  bool arrow, bool spline)
{
    if (vertices.size() < 2)
        return;
    Begin("LEADER", e, true);
    Subclass("AcDbLeader");
    m_out.Text(3, "Standard");
    m_out.Int(71, arrow ? 1 : 0);
    m_out.Int(72, spline ? 1 : 0);
    m_out.Int(73, 3);
    m_out.Int(74, 0);
    m_out.Int(75, 0);
    m_out.Real(40, 0.0);
    m_out.Real(41, 0.0);
    m_out.Int(76, static_cast<long long>(vertices.size()));
    for (const Vec3& v : vertices)
        m_out.Point(10, v);
}

void DxfEntityWriter::WriteMLeader(const RkDb::MLeader& e)
{
    // Written as what exploding it gives: its leaders, its text and its block.
    for (const auto& line : e.leaderLines) {
        if (m_version == DxfVersion::R12) {
            if (line.size() >= 2)
                WritePolyline(*DownConverter::Through(e, line, false));
        } else {
            WriteLeader(e, line, true, false);
        }
    }
    if (e.hasText && !e.text.empty()) {
        RkDb::MText text;
        DownConverter::CopyCommon(e, text);
        text.insertion = e.textLocation;
        text.xDirection = e.textDirection;
        text.height = e.textHeight;
        text.referenceWidth = e.textWidth;
        text.attachment = e.textAttachment;
        text.contents = e.text;
        if (m_version == DxfVersion::R12) {
            for (const auto& t : DownConverter::FromMText(text))
                WriteText(*t);
        } else {
            WriteMText(text);
        }
    }
    if (m_db.Blocks().Valid(e.block)) {
        RkDb::Insert insert;
        DownConverter::CopyCommon(e, insert);
        insert.block = e.block;
        insert.insertion = e.blockPosition;
        insert.scale = e.blockScale;
        insert.rotation = e.blockRotation;
        WriteInsert(insert);
    }
}

void DxfEntityWriter::WriteHatch(const RkDb::Hatch& e)
{
    using Kind = RkDb::HatchEdge::Kind;
    Begin("HATCH", e, true);
    Subclass("AcDbHatch");
    m_out.Point(10, {0.0, 0.0, e.elevation});
    m_out.Point(210, e.extrusion);
    const bool solid = e.solid || e.gradient;
    m_out.Text(2, solid ? std::string("SOLID") : (e.patternName.empty() ? "USER" : e.patternName));
    m_out.Int(70, solid ? 1 : 0);
    m_out.Int(71, 0);
    m_out.Int(91, static_cast<long long>(e.loops.size()));
    for (const RkDb::HatchLoop& loop : e.loops) {
        const bool poly = (loop.flags & 2) != 0 || loop.edges.empty();
        m_out.Int(92, poly ? (loop.flags | 2) : (loop.flags & ~2u));
        if (poly) {
            bool bulged = false;
            for (const double b : loop.bulges) bulged = bulged || b != 0.0;
            m_out.Int(72, bulged ? 1 : 0);
            m_out.Int(73, loop.closed ? 1 : 0);
            m_out.Int(93, static_cast<long long>(loop.polyline.size()));
            for (std::size_t i = 0; i < loop.polyline.size(); ++i) {
                m_out.Point2(10, loop.polyline[i]);
                if (bulged)
                    m_out.Real(42, i < loop.bulges.size() ? loop.bulges[i] : 0.0);
            }
        } else {
            m_out.Int(93, static_cast<long long>(loop.edges.size()));
            for (const RkDb::HatchEdge& edge : loop.edges) {
                switch (edge.kind) {
                case Kind::Line:
                    m_out.Int(72, 1);
                    m_out.Point2(10, edge.start);
                    m_out.Point2(11, edge.end);
                    break;
                case Kind::Arc:
                case Kind::Ellipse:
                    m_out.Int(72, edge.kind == Kind::Arc ? 2 : 3);
                    m_out.Point2(10, edge.center);
                    if (edge.kind == Kind::Ellipse)
                        m_out.Point2(11, edge.majorAxis);
                    m_out.Real(40, edge.kind == Kind::Arc ? edge.radius : edge.ratio);
                    m_out.Angle(50, edge.startAngle);
                    m_out.Angle(51, edge.endAngle);
                    m_out.Int(73, edge.counterClockwise ? 1 : 0);
                    break;
                case Kind::Spline: {
                    const bool rational = !edge.weights.empty() &&
                                          edge.weights.size() == edge.controlPoints.size();
                    m_out.Int(72, 4);
                    m_out.Int(94, edge.degree);
                    m_out.Int(73, rational ? 1 : 0);
                    m_out.Int(74, 0);
                    m_out.Int(95, static_cast<long long>(edge.knots.size()));
                    m_out.Int(96, static_cast<long long>(edge.controlPoints.size()));
                    for (const double k : edge.knots) m_out.Real(40, k);
                    for (std::size_t i = 0; i < edge.controlPoints.size(); ++i) {
                        m_out.Point2(10, edge.controlPoints[i]);
                        if (rational) m_out.Real(42, edge.weights[i]);
                    }
                    if (HasLayouts(m_version)) m_out.Int(97, 0);
                    break;
                }
                }
            }
        }
        m_out.Int(97, 0);
    }
    m_out.Int(75, e.style);
    m_out.Int(76, 1);
    if (!solid) {
        m_out.Angle(52, 0.0);
        m_out.Real(41, 1.0);
        m_out.Int(77, 0);
        m_out.Int(78, static_cast<long long>(e.patternLines.size()));
        for (const RkDb::HatchPatternLine& line : e.patternLines) {
            m_out.Angle(53, line.angle);
            m_out.Real(43, line.base.x);
            m_out.Real(44, line.base.y);
            m_out.Real(45, line.offset.x);
            m_out.Real(46, line.offset.y);
            m_out.Int(79, static_cast<long long>(line.dashes.size()));
            for (const double d : line.dashes) m_out.Real(49, d);
        }
    }
    m_out.Int(98, 0);
}

void DxfEntityWriter::WriteAcisSolid(const RkDb::AcisSolid& e)
{
    using Kind = RkDb::AcisSolid::Kind;
    const char* type = e.kind == Kind::Region ? "REGION" : e.kind == Kind::Body ? "BODY" : "3DSOLID";
    Begin(type, e, false);
    ++m_emitted[static_cast<std::size_t>(e.type)];
    Subclass("AcDbModelerGeometry");
    m_out.Int(70, 1);
    // The SAT text line by line, enciphered as stored (159 minus each character above the space),
    // a caret written "^ "; a line past 255 characters goes on in groups 3.
    constexpr std::size_t kChunk = 255;
    std::size_t start = 0;
    while (start < e.sat.size()) {
        std::size_t end = e.sat.find('\n', start);
        if (end == std::string::npos)
            end = e.sat.size();
        std::string line;
        for (std::size_t i = start; i < end; ++i) {
            const unsigned char c = static_cast<unsigned char>(e.sat[i]);
            const char stored = c > ' ' && c < 159 ? static_cast<char>(159 - c) : static_cast<char>(c);
            if (stored == '^')
                line += "^ ";
            else if (static_cast<unsigned char>(stored) < ' ')
                line += ' ';
            else
                line += stored;
        }
        std::size_t at = 0;
        do {
            std::size_t take = std::min(kChunk, line.size() - at);
            // A chunk never ends between a caret and what it escapes.
            if (take > 1 && at + take < line.size() && line[at + take - 1] == '^')
                --take;
            m_out.Raw(at == 0 ? 1 : 3, std::string_view(line).substr(at, take));
            at += take;
        } while (at < line.size());
        start = end + 1;
    }
}

void DxfEntityWriter::WriteCorners(const RkDb::Entity& e, const char* type, const char* marker,
                                   const Vec3 (&corners)[4])
{
    Begin(type, e, true);
    Subclass(marker);
    for (int k = 0; k < 4; ++k)
        m_out.Point(10 + k, corners[k]);
    ThicknessAndExtrusion(e);
}

void DxfEntityWriter::WriteFace(const RkDb::Face3d& e)
{
    Begin("3DFACE", e, true);
    Subclass("AcDbFace");
    for (int k = 0; k < 4; ++k)
        m_out.Point(10 + k, e.corners[k]);
    if (e.hiddenEdges != 0)
        m_out.Int(70, e.hiddenEdges);
}

void DxfEntityWriter::WriteViewport(const RkDb::ViewportEntity& e)
{
    Begin("VIEWPORT", e, true);
    Subclass("AcDbViewport");
    m_out.Point(10, e.center);
    m_out.Real(40, e.width);
    m_out.Real(41, e.height);
    m_out.Int(68, e.on ? 1 : 0);
    m_out.Int(69, e.id);
    if (m_version == DxfVersion::R12) {
        // R12 keeps the view in the ACAD application's extended data, in this order.
        m_out.Raw(1001, "ACAD");
        m_out.Raw(1000, "MVIEW");
        m_out.Raw(1002, "{");
        m_out.Int(1070, 16);
        m_out.Point(1010, e.viewTarget);
        m_out.Point(1010, e.viewDirection);
        m_out.Angle(1040, e.twist);
        m_out.Real(1040, e.viewHeight);
        m_out.Real(1040, e.viewCenter.x);
        m_out.Real(1040, e.viewCenter.y);
        m_out.Real(1040, 50.0);
        m_out.Real(1040, 0.0);
        m_out.Real(1040, 0.0);
        for (const int v : {0, 100, 1, 3, 0, 0, 0, 0})
            m_out.Int(1070, v);
        for (const double v : {0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0})
            m_out.Real(1040, v);
        m_out.Int(1070, 0);
        m_out.Raw(1002, "{");
        m_out.Raw(1002, "}");
        m_out.Raw(1002, "}");
        return;
    }
    m_out.Point(12, e.viewCenter);
    m_out.Point(16, e.viewDirection);
    m_out.Point(17, e.viewTarget);
    m_out.Real(42, 50.0);
    m_out.Real(43, 0.0);
    m_out.Real(44, 0.0);
    m_out.Real(45, e.viewHeight);
    m_out.Angle(51, e.twist);
    m_out.Int(72, 100);
    for (const std::int32_t layer : e.frozenLayers) {
        if (m_layerHandles && layer >= 0 && static_cast<std::size_t>(layer) < m_layerHandles->size())
            m_out.Handle(341, (*m_layerHandles)[static_cast<std::size_t>(layer)]);
    }
    m_out.Int(90, 32864);
    if (HasLayouts(m_version)) {
        m_out.Text(1, "");
        m_out.Int(281, 0);
        m_out.Int(71, 1);
        m_out.Int(74, 0);
    }
}

void DxfEntityWriter::WriteRaster(const RkDb::Entity& e, const char* type, const char* marker,
                                  const RkDb::RasterFrame& frame, RkDb::Handle imageDef,
                                  const RkDb::Image* image)
{
    Begin(type, e, true);
    Subclass(marker);
    m_out.Int(90, 0);
    m_out.Point(10, frame.insertion);
    m_out.Point(11, frame.uVector);
    m_out.Point(12, frame.vVector);
    m_out.Point2(13, frame.pixelSize);
    m_out.Handle(340, imageDef);
    const bool clipped = frame.clipping && frame.clipBoundary.size() >= 2;
    m_out.Int(70, 1 | 2 | (clipped ? 4 : 0) | (image && image->transparent ? 8 : 0));
    m_out.Int(280, clipped ? 1 : 0);
    m_out.Int(281, image ? image->brightness : 50);
    m_out.Int(282, image ? image->contrast : 50);
    m_out.Int(283, image ? image->fade : 0);
    if (!clipped)
        return;
    m_out.Int(71, frame.clipBoundary.size() == 2 ? 1 : 2);
    m_out.Int(91, static_cast<long long>(frame.clipBoundary.size()));
    for (const RkDb::Vec2& p : frame.clipBoundary)
        m_out.Point2(14, p);
}

void DxfEntityWriter::WriteTolerance(const RkDb::Tolerance& e)
{
    Begin("TOLERANCE", e, true);
    Subclass("AcDbFcf");
    m_out.Text(3, m_db.DimStyles().Valid(e.dimStyle) ? m_db.DimStyles()[e.dimStyle].name
                                                      : std::string("Standard"));
    m_out.Point(10, e.insertion);
    m_out.Text(1, e.text);
    m_out.Point(11, e.xDirection);
}

void DxfEntityWriter::WriteShape(const RkDb::Shape& e)
{
    if (e.name.empty())
        return;     // DXF names the shape; a number alone cannot be written
    Begin("SHAPE", e, true);
    Subclass("AcDbShape");
    m_out.Point(10, e.insertion);
    m_out.Real(40, e.size);
    m_out.Text(2, e.name);
    if (e.rotation != 0.0) m_out.Angle(50, e.rotation);
    if (e.widthFactor != 1.0) m_out.Real(41, e.widthFactor);
    if (e.oblique != 0.0) m_out.Angle(51, e.oblique);
    ThicknessAndExtrusion(e);
}

} // namespace RkWrite
