#include "engine/dxf/DxfEntityReader.h"
#include "engine/dxf/DxfModelReader.h"

#include "engine/db/OleObjectData.h"
#include "engine/db/ProxyGraphics.h"
#include "engine/dxf/DxfHatchReader.h"

#include <algorithm>
#include <cmath>

namespace RkDxf {
namespace {

using namespace RkDb;

bool IsCommonCode(int code)
{
    switch (code) {
    case 5: case 6: case 8: case 48: case 60: case 62: case 67: case 92: case 160: case 310:
    case 330: case 347: case 370: case 390: case 420: case 430: case 440: case 284:
        return true;
    default:
        return false;
    }
}

// The properties every entity has (layer, line type, colour, line weight, scale, visibility,
// space). Some writers put them after the subclass marker; they are honoured there too, except
// where the entity's own subclass gives the code a meaning of its own (48 is an MTEXT's column
// width; tables and multileaders use colour codes for their cells and parts).
bool IsLateCommonCode(std::string_view type, int code)
{
    switch (code) {
    case 6: case 8: case 60: case 67: case 370:
        return type != "ACAD_TABLE" && type != "MULTILEADER" && type != "MLEADER";
    case 48: case 62: case 420:
        return type != "MTEXT" && type != "ACAD_TABLE" && type != "MULTILEADER" && type != "MLEADER";
    default:
        return false;
    }
}

// The entities ModelEntities.h holds, by their DXF names.
EntityPtr CreateModelEntity(std::string_view type)
{
    if (type == "HELIX") return std::make_unique<Helix>();
    if (type == "MESH") return std::make_unique<Mesh>();
    if (type == "TOLERANCE") return std::make_unique<Tolerance>();
    if (type == "SHAPE") return std::make_unique<Shape>();
    if (type == "3DSOLID" || type == "REGION" || type == "BODY") {
        auto solid = std::make_unique<AcisSolid>();
        solid->kind = type == "REGION" ? AcisSolid::Kind::Region
                      : type == "BODY" ? AcisSolid::Kind::Body : AcisSolid::Kind::Solid3d;
        return solid;
    }
    if (type == "PDFUNDERLAY" || type == "DWFUNDERLAY" || type == "DGNUNDERLAY") {
        auto underlay = std::make_unique<Underlay>();
        underlay->kind = type[1] == 'W' ? Underlay::Kind::Dwf
                         : type[1] == 'G' ? Underlay::Kind::Dgn : Underlay::Kind::Pdf;
        return underlay;
    }
    return nullptr;
}

// The bytes of a 310 group: raw in a binary file, hexadecimal digits in a text file.
void AppendChunk(const DxfGroup& g, std::vector<std::uint8_t>& out)
{
    if (g.binary) {
        out.insert(out.end(), g.text.begin(), g.text.end());
        return;
    }
    auto nibble = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (size_t i = 0; i + 1 < g.text.size(); i += 2) {
        const int high = nibble(g.text[i]), low = nibble(g.text[i + 1]);
        if (high < 0 || low < 0)
            return;
        out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
}

// What the decoded graphics of one entity may take: a few times its own size.
constexpr std::uint64_t kProxyBytesPerDataByte = 64;

} // namespace

RkDb::EntityPtr DxfEntityReader::BuildProxyGraphics(const std::vector<DxfGroup>& groups)
{
    // The graphics size (92, or 160 from 2010 on) is followed by the graphics in 310 chunks.
    std::vector<std::uint8_t> data;
    RkDb::Handle handle = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].code == 5)
            handle = groups[i].Handle();
        if ((groups[i].code != 92 && groups[i].code != 160) || i + 1 >= groups.size() || groups[i + 1].code != 310)
            continue;
        for (size_t k = i + 1; k < groups.size() && groups[k].code == 310; ++k)
            AppendChunk(groups[k], data);
        break;
    }
    if (data.size() < 8)
        return nullptr;
    std::uint64_t allowance = data.size() * kProxyBytesPerDataByte;
    const RkDb::ProxyGraphics::Charge charge = [&allowance](std::uint64_t bytes) {
        if (bytes > allowance)
            return false;
        allowance -= bytes;
        return true;
    };
    EntityList primitives;
    RkDb::ProxyGraphics::Decode(data.data(), data.size(), m_ctx.Db(), charge, primitives);
    return RkDb::ProxyGraphics::MakeInsert(m_ctx.Db(), handle, std::move(primitives));
}

DxfEntityReader::Result DxfEntityReader::Build(std::string_view type,
                                               const std::vector<DxfGroup>& groups)
{
    Result result;
    EntityPtr entity = Create(type);
    if (!entity) {
        // A proxy or an entity of an application class: drawn by the graphics it keeps.
        entity = BuildProxyGraphics(groups);
        if (entity && SplitCommon(type, *entity, groups, result))
            result.entity = std::move(entity);
        return result;
    }
    if (!SplitCommon(type, *entity, groups, result))
        return result;
    Fill(*entity);
    result.entity = std::move(entity);
    return result;
}

EntityPtr DxfEntityReader::Create(std::string_view type)
{
    // 3DLINE: the line with 3D end points of the releases before R11.
    if (type == "LINE" || type == "3DLINE") return std::make_unique<Line>();
    if (type == "LWPOLYLINE") return std::make_unique<LwPolyline>();
    if (type == "CIRCLE") return std::make_unique<Circle>();
    if (type == "ARC") return std::make_unique<Arc>();
    if (type == "TEXT") return std::make_unique<Text>();
    if (type == "MTEXT") return std::make_unique<MText>();
    if (type == "INSERT") return std::make_unique<Insert>();
    if (type == "POLYLINE") return std::make_unique<Polyline>();
    if (type == "POINT") return std::make_unique<Point>();
    if (type == "ELLIPSE") return std::make_unique<Ellipse>();
    if (type == "SPLINE") return std::make_unique<Spline>();
    if (type == "HATCH") return std::make_unique<Hatch>();
    if (type == "DIMENSION" || type == "ARC_DIMENSION") return std::make_unique<Dimension>();
    // A table is drawn through its anonymous block, like an insert of it.
    if (type == "ACAD_TABLE") return std::make_unique<Insert>();
    if (type == "ATTDEF") return std::make_unique<AttributeDefinition>();
    if (type == "ATTRIB") return std::make_unique<Attribute>();
    if (type == "SOLID") return std::make_unique<Solid>();
    if (type == "TRACE") return std::make_unique<Trace>();
    if (type == "3DFACE") return std::make_unique<Face3d>();
    if (type == "RAY") return std::make_unique<Ray>();
    if (type == "XLINE") return std::make_unique<XLine>();
    if (type == "LEADER") return std::make_unique<Leader>();
    if (type == "MULTILEADER" || type == "MLEADER") return std::make_unique<MLeader>();
    if (type == "MLINE") return std::make_unique<MLine>();
    if (type == "IMAGE") return std::make_unique<Image>();
    if (type == "WIPEOUT") return std::make_unique<Wipeout>();
    if (type == "OLE2FRAME") return std::make_unique<OleFrame>();
    if (type == "VIEWPORT") return std::make_unique<ViewportEntity>();
    return CreateModelEntity(type);
}

bool DxfEntityReader::SplitCommon(std::string_view type, Entity& e, const std::vector<DxfGroup>& groups,
                                  Result& result)
{
    m_groups.clear();
    bool inCommon = true;
    bool inExtendedData = false;
    for (const DxfGroup& g : groups) {
        if (g.code == 101)
            break;          // an embedded object (MTEXT inside ATTRIB) follows: not ours
        if (g.code == 100 && !g.Is("AcDbEntity"))
            inCommon = false;
        inExtendedData = inExtendedData || g.code >= 1000;
        const bool common =
            inCommon ? IsCommonCode(g.code) : !inExtendedData && IsLateCommonCode(type, g.code);
        if (!common) {
            // Extrusion and thickness belong to the entity's own subclass in R13 and later,
            // and to the record itself in R12.
            if (g.code == 39) { e.thickness = g.Double(); continue; }
            if (g.code >= 210 && g.code <= 230 && g.code % 10 == 0 &&
                e.type != EntityType::Hatch && e.type != EntityType::MLeader) {
                SetCoordinate(e.extrusion, g, 210);
                continue;
            }
            m_groups.push_back(g);
            continue;
        }
        switch (g.code) {
        case 5: e.handle = g.Handle(); break;
        case 6: e.lineType = m_ctx.LineType(g.text); break;
        case 8: e.layer = m_ctx.Layer(g.text); break;
        case 48: e.lineTypeScale = g.Double(); break;
        case 60: e.invisible = g.Int() != 0; break;
        case 62: e.color = Color::FromAci(g.Int()); break;
        case 420: e.color = Color::FromRgb(static_cast<std::uint32_t>(g.Int())); break;
        case 370: e.lineWeight = static_cast<std::int16_t>(g.Int()); break;
        case 440: e.transparency = TransparencyFromStored(static_cast<std::uint32_t>(g.Int())); break;
        case 67: result.paperSpace = g.Int() != 0; break;
        default: break;
        }
    }
    if (!(e.lineTypeScale > 0.0) || !std::isfinite(e.lineTypeScale))
        e.lineTypeScale = 1.0;
    for (const DxfGroup& g : m_groups) {
        if (g.code == 66)
            result.followers = g.Int() != 0;
    }
    return true;
}

void DxfEntityReader::Fill(Entity& entity)
{
    switch (entity.type) {
    case EntityType::Line: ReadLine(static_cast<Line&>(entity)); break;
    case EntityType::Point: ReadPoint(static_cast<Point&>(entity)); break;
    case EntityType::Circle: ReadCircle(static_cast<Circle&>(entity)); break;
    case EntityType::Arc: ReadArc(static_cast<Arc&>(entity)); break;
    case EntityType::Ellipse: ReadEllipse(static_cast<Ellipse&>(entity)); break;
    case EntityType::Ray: {
        auto& r = static_cast<Ray&>(entity);
        ReadRay(r.base, r.direction);
        break;
    }
    case EntityType::XLine: {
        auto& x = static_cast<XLine&>(entity);
        ReadRay(x.base, x.direction);
        break;
    }
    case EntityType::LwPolyline: ReadLwPolyline(static_cast<LwPolyline&>(entity)); break;
    case EntityType::Polyline: ReadPolyline(static_cast<Polyline&>(entity)); break;
    case EntityType::Spline: ReadSpline(static_cast<Spline&>(entity)); break;
    case EntityType::Text: ReadText(static_cast<Text&>(entity).text, false); break;
    case EntityType::AttributeDefinition:
        ReadAttributeDefinition(static_cast<AttributeDefinition&>(entity));
        break;
    case EntityType::Attribute: ReadAttribute(static_cast<Attribute&>(entity)); break;
    case EntityType::MText: ReadMText(static_cast<MText&>(entity)); break;
    case EntityType::Insert: ReadInsert(static_cast<Insert&>(entity)); break;
    case EntityType::Dimension: ReadDimension(static_cast<Dimension&>(entity)); break;
    case EntityType::Leader: ReadLeader(static_cast<Leader&>(entity)); break;
    case EntityType::MLeader: ReadMLeader(static_cast<MLeader&>(entity)); break;
    case EntityType::MLine: ReadMLine(static_cast<MLine&>(entity)); break;
    case EntityType::Hatch: DxfHatchReader(m_ctx).Read(static_cast<Hatch&>(entity), m_groups); break;
    case EntityType::Solid: ReadCorners(static_cast<Solid&>(entity).corners); break;
    case EntityType::Trace: ReadCorners(static_cast<Trace&>(entity).corners); break;
    case EntityType::Face3d: ReadFace3d(static_cast<Face3d&>(entity)); break;
    case EntityType::Image: {
        auto& image = static_cast<Image&>(entity);
        ReadRasterFrame(image.frame, &image.imageDef);
        ReadImageLook(image);
        break;
    }
    case EntityType::Wipeout: ReadRasterFrame(static_cast<Wipeout&>(entity).frame, nullptr); break;
    case EntityType::OleFrame: ReadOleFrame(static_cast<OleFrame&>(entity)); break;
    case EntityType::Viewport: ReadViewport(static_cast<ViewportEntity&>(entity)); break;
    case EntityType::Helix: {
        // The spline groups come first; the helix's own (which reuse 10, 11, 40, 41) follow
        // its subclass marker.
        auto& helix = static_cast<Helix&>(entity);
        const std::size_t start = DxfModelReader::HelixStart(m_groups);
        DxfModelReader(m_ctx, m_groups).ReadHelix(helix, start);
        m_groups.resize(start);
        ReadSpline(helix);
        break;
    }
    case EntityType::AcisSolid: DxfModelReader(m_ctx, m_groups).ReadAcisSolid(static_cast<AcisSolid&>(entity)); break;
    case EntityType::Mesh: DxfModelReader(m_ctx, m_groups).ReadMesh(static_cast<Mesh&>(entity)); break;
    case EntityType::Tolerance: DxfModelReader(m_ctx, m_groups).ReadTolerance(static_cast<Tolerance&>(entity)); break;
    case EntityType::Shape: DxfModelReader(m_ctx, m_groups).ReadShape(static_cast<Shape&>(entity)); break;
    case EntityType::Underlay: DxfModelReader(m_ctx, m_groups).ReadUnderlay(static_cast<Underlay&>(entity)); break;
    }
}

void DxfEntityReader::ReadLine(Line& e)
{
    for (const DxfGroup& g : m_groups)
        SetCoordinate(e.start, g, 10) || SetCoordinate(e.end, g, 11);
}

void DxfEntityReader::ReadPoint(Point& e)
{
    for (const DxfGroup& g : m_groups) {
        if (!SetCoordinate(e.position, g, 10) && g.code == 50)
            e.xAxisAngle = g.Double() * kDegree;
    }
}

void DxfEntityReader::ReadCircle(Circle& e)
{
    for (const DxfGroup& g : m_groups) {
        if (!SetCoordinate(e.center, g, 10) && g.code == 40)
            e.radius = std::fabs(g.Double());
    }
}

void DxfEntityReader::ReadArc(Arc& e)
{
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(e.center, g, 10))
            continue;
        switch (g.code) {
        case 40: e.radius = std::fabs(g.Double()); break;
        case 50: e.startAngle = g.Double() * kDegree; break;
        case 51: e.endAngle = g.Double() * kDegree; break;
        default: break;
        }
    }
}

void DxfEntityReader::ReadEllipse(Ellipse& e)
{
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(e.center, g, 10) || SetCoordinate(e.majorAxis, g, 11))
            continue;
        switch (g.code) {
        case 40: e.ratio = std::fabs(g.Double()); break;
        case 41: e.startParam = g.Double(); break;
        case 42: e.endParam = g.Double(); break;
        default: break;
        }
    }
}

void DxfEntityReader::ReadRay(Vec3& base, Vec3& direction)
{
    for (const DxfGroup& g : m_groups)
        SetCoordinate(base, g, 10) || SetCoordinate(direction, g, 11);
}

void DxfEntityReader::ReadLwPolyline(LwPolyline& e)
{
    LwVertex* v = nullptr;
    for (const DxfGroup& g : m_groups) {
        switch (g.code) {
        case 10:
            e.vertices.emplace_back();
            v = &e.vertices.back();
            v->x = g.Double();
            break;
        case 20: if (v) v->y = g.Double(); break;
        case 40: if (v) v->startWidth = g.Double(); break;
        case 41: if (v) v->endWidth = g.Double(); break;
        case 42: if (v) v->bulge = g.Double(); break;
        case 70:
            e.closed = (g.Int() & 1) != 0;
            e.plinegen = (g.Int() & 128) != 0;
            break;
        case 38: e.elevation = g.Double(); break;
        case 43: e.constantWidth = g.Double(); break;
        default: break;
        }
    }
}

void DxfEntityReader::ReadPolyline(Polyline& e)
{
    for (const DxfGroup& g : m_groups) {
        switch (g.code) {
        case 30: e.elevation = g.Double(); break;
        case 40: e.defaultStartWidth = g.Double(); break;
        case 41: e.defaultEndWidth = g.Double(); break;
        case 71: e.meshM = g.Int(); break;
        case 72: e.meshN = g.Int(); break;
        case 75: e.smoothType = static_cast<std::uint16_t>(g.Int()); break;
        case 70: {
            const int flags = g.Int();
            e.closed = (flags & 1) != 0;
            e.closedN = (flags & 32) != 0;
            e.plinegen = (flags & 128) != 0;
            if (flags & 64)
                e.kind = Polyline::Kind::PolyFace;
            else if (flags & 16)
                e.kind = Polyline::Kind::Mesh;
            else if (flags & 8)
                e.kind = Polyline::Kind::Poly3d;
            break;
        }
        default: break;
        }
    }
}

void DxfEntityReader::AddVertex(Polyline& polyline, const std::vector<DxfGroup>& groups)
{
    PolyVertex v;
    v.startWidth = polyline.defaultStartWidth;
    v.endWidth = polyline.defaultEndWidth;
    for (const DxfGroup& g : groups) {
        if (SetCoordinate(v.position, g, 10))
            continue;
        switch (g.code) {
        case 40: v.startWidth = g.Double(); break;
        case 41: v.endWidth = g.Double(); break;
        case 42: v.bulge = g.Double(); break;
        case 70: v.flags = static_cast<std::uint16_t>(g.Int()); break;
        case 71: case 72: case 73: case 74: v.faceIndex[g.code - 71] = g.Int(); break;
        default: break;
        }
    }
    // Spline frame control points are not part of the curve shown.
    if (v.flags & 16)
        return;
    polyline.vertices.push_back(v);
}

void DxfEntityReader::ReadSpline(SplineData& e)
{
    for (const DxfGroup& g : m_groups) {
        switch (g.code) {
        case 70: e.flags = static_cast<std::uint16_t>(g.Int()); break;
        case 71: e.degree = g.Int(); break;
        case 40: e.knots.push_back(g.Double()); break;
        case 41: e.weights.push_back(g.Double()); break;
        case 10: e.controlPoints.push_back({g.Double(), 0, 0}); break;
        case 20: if (!e.controlPoints.empty()) e.controlPoints.back().y = g.Double(); break;
        case 30: if (!e.controlPoints.empty()) e.controlPoints.back().z = g.Double(); break;
        case 11: e.fitPoints.push_back({g.Double(), 0, 0}); break;
        case 21: if (!e.fitPoints.empty()) e.fitPoints.back().y = g.Double(); break;
        case 31: if (!e.fitPoints.empty()) e.fitPoints.back().z = g.Double(); break;
        default: break;
        }
    }
}

void DxfEntityReader::ReadText(TextData& t, bool attribute)
{
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(t.insertion, g, 10))
            continue;
        if (SetCoordinate(t.alignment, g, 11)) {
            t.hasAlignment = true;
            continue;
        }
        switch (g.code) {
        case 1: t.value = m_ctx.Text(g.text); break;
        case 7: t.style = m_ctx.TextStyle(g.text); break;
        case 40: t.height = g.Double(); break;
        case 41: t.widthFactor = g.Double(); break;
        case 50: t.rotation = g.Double() * kDegree; break;
        case 51: t.oblique = g.Double() * kDegree; break;
        case 71: t.generation = static_cast<std::uint8_t>(g.Int()); break;
        case 72: t.hAlign = static_cast<std::uint8_t>(g.Int()); break;
        // Attributes keep their vertical alignment in 74 (73 is the field length).
        case 73: if (!attribute) t.vAlign = static_cast<std::uint8_t>(g.Int()); break;
        case 74: if (attribute) t.vAlign = static_cast<std::uint8_t>(g.Int()); break;
        default: break;
        }
    }
    if (!(t.widthFactor > 0.0) || !std::isfinite(t.widthFactor))
        t.widthFactor = 1.0;
}

void DxfEntityReader::ReadAttribute(Attribute& e)
{
    ReadText(e.text, true);
    for (const DxfGroup& g : m_groups) {
        if (g.code == 2)
            e.tag = m_ctx.Text(g.text);
        else if (g.code == 70)
            e.flags = static_cast<std::uint8_t>(g.Int());
    }
}

void DxfEntityReader::ReadAttributeDefinition(AttributeDefinition& e)
{
    ReadText(e.text, true);
    for (const DxfGroup& g : m_groups) {
        if (g.code == 2)
            e.tag = m_ctx.Text(g.text);
        else if (g.code == 3)
            e.prompt = m_ctx.Text(g.text);
        else if (g.code == 70)
            e.flags = static_cast<std::uint8_t>(g.Int());
    }
}

void DxfEntityReader::ReadMText(MText& e)
{
    std::string chunks;
    std::string last;
    bool hasDirection = false, columns = false;
    double rotation = 0.0;
    double definedHeight = 0.0;     // group 46: the height of static columns
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(e.insertion, g, 10))
            continue;
        if (SetCoordinate(e.xDirection, g, 11)) {
            hasDirection = true;
            continue;
        }
        switch (g.code) {
        case 1: last.assign(g.text); break;
        case 3: chunks.append(g.text); break;
        case 7: e.style = m_ctx.TextStyle(g.text); break;
        case 40: e.height = g.Double(); break;
        case 41: e.referenceWidth = g.Double(); break;
        case 44: e.lineSpacing = g.Double(); break;
        case 71: e.attachment = static_cast<std::uint8_t>(g.Int()); break;
        case 72: e.direction = static_cast<std::uint8_t>(g.Int()); break;
        case 75: e.columnType = static_cast<std::uint8_t>(g.Int()); columns = true; break;
        case 76: e.columnCount = g.Int(); break;
        case 48: e.columnWidth = g.Double(); break;
        case 49: e.columnGutter = g.Double(); break;
        case 46: definedHeight = g.Double(); break;
        case 50:
            if (columns)
                e.columnHeights.push_back(g.Double());
            else
                rotation = g.Double() * kDegree;
            break;
        default: break;
        }
    }
    // The 3 chunks come first and the 1 group closes the text; the code page applies to the
    // bytes as a whole (a multi-byte character may straddle two chunks).
    chunks += last;
    e.contents = m_ctx.Text(chunks);
    if (!hasDirection || Length(e.xDirection) < 1e-12)
        e.xDirection = {std::cos(rotation), std::sin(rotation), 0.0};
    if (e.attachment < 1 || e.attachment > 9)
        e.attachment = 1;
    if (e.columnType != 0 && e.columnHeights.empty() && definedHeight > 0.0)
        e.columnHeights.push_back(definedHeight);
    if (!(e.lineSpacing > 0.0) || !std::isfinite(e.lineSpacing))
        e.lineSpacing = 1.0;
}

void DxfEntityReader::ReadInsert(Insert& e)
{
    for (const DxfGroup& g : m_groups) {
        // A table's own groups (cells, sizes) follow its block reference.
        if (g.code == 100 && g.Is("AcDbTable"))
            break;
        if (SetCoordinate(e.insertion, g, 10))
            continue;
        switch (g.code) {
        case 2: e.block = m_ctx.Block(g.text); break;
        case 41: e.scale.x = g.Double(); break;
        case 42: e.scale.y = g.Double(); break;
        case 43: e.scale.z = g.Double(); break;
        case 50: e.rotation = g.Double() * kDegree; break;
        case 70: e.columns = g.Int(); break;
        case 71: e.rows = g.Int(); break;
        case 44: e.columnSpacing = g.Double(); break;
        case 45: e.rowSpacing = g.Double(); break;
        default: break;
        }
    }
    if (e.columns < 1)
        e.columns = 1;
    if (e.rows < 1)
        e.rows = 1;
}

void DxfEntityReader::ReadDimension(Dimension& e)
{
    // An arc dimension's own 70 (partial arc) is no dimension type: it is an angular one.
    bool arc = false;
    for (const DxfGroup& g : m_groups) {
        if (g.code == 100 && g.Is("AcDbArcDimension")) {
            arc = true;
            e.dimType = 5;
            continue;
        }
        if (arc && g.code == 70)
            continue;
        if (SetCoordinate(e.definitionPoint, g, 10) || SetCoordinate(e.textMidpoint, g, 11) ||
            SetCoordinate(e.points[0], g, 13) || SetCoordinate(e.points[1], g, 14) ||
            SetCoordinate(e.points[2], g, 15) || SetCoordinate(e.points[3], g, 16))
            continue;
        switch (g.code) {
        case 1: e.text = m_ctx.Text(g.text); break;
        case 2: e.block = m_ctx.Block(g.text); break;
        case 3: e.dimStyle = m_ctx.DimStyle(g.text); break;
        case 42: e.measurement = g.Double(); break;
        case 50: e.angle = g.Double() * kDegree; break;
        case 70: e.dimType = static_cast<std::uint8_t>(g.Int() & 7); break;
        default: break;
        }
    }
}

void DxfEntityReader::ReadLeader(Leader& e)
{
    std::int32_t style = -1;
    for (const DxfGroup& g : m_groups) {
        switch (g.code) {
        case 3: style = m_ctx.DimStyle(g.text); break;
        case 71: e.arrowHead = g.Int() != 0; break;
        case 72: e.spline = g.Int() == 1; break;
        case 10: e.vertices.push_back({g.Double(), 0, 0}); break;
        case 20: if (!e.vertices.empty()) e.vertices.back().y = g.Double(); break;
        case 30: if (!e.vertices.empty()) e.vertices.back().z = g.Double(); break;
        default: break;
        }
    }
    if (style < 0)
        style = m_ctx.DimStyle("Standard");
    if (style >= 0) {
        const DimStyle& ds = m_ctx.Db().DimStyles()[style];
        e.arrowSize = ds.arrowSize * (ds.scale > 0.0 ? ds.scale : 1.0);
    }
}

// A colour as the objects keep it whole: its method in the high byte (0xC0 by layer, 0xC1 by
// block, 0xC2 true colour, 0xC3 a colour number), its value below.
Color DxfEntityReader::RawColor(std::int64_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    switch (v >> 24) {
    case 0xC0: return Color::ByLayer();
    case 0xC2: return Color::FromRgb(v & 0xFFFFFF);
    case 0xC3: return Color::FromAci(static_cast<int>(v & 0xFF));
    default: return Color::ByBlock();
    }
}

void DxfEntityReader::ReadMLeader(MLeader& e)
{
    // Nesting: CONTEXT_DATA{ LEADER{ LEADER_LINE{ } } }.
    int depth = 0;
    bool inLine = false;
    std::vector<Vec3> line;
    Vec3 connection;
    std::size_t leaderFirstLine = 0;
    bool textColour = false;
    for (const DxfGroup& g : m_groups) {
        if (g.code == 300 || g.code == 302 || g.code == 304) {
            if (g.code == 304 && depth == 2 && g.text.find("LEADER_LINE{") != std::string_view::npos) {
                inLine = true;
                line.clear();
            } else if (g.code == 302) {
                leaderFirstLine = e.leaderLines.size();
            } else if (g.code == 304 && !e.hasText) {
                e.text = m_ctx.Text(g.text);
                continue;
            }
            if (g.text.find('{') != std::string_view::npos)
                ++depth;
            continue;
        }
        if (g.code == 305 || g.code == 303 || g.code == 301) {
            if (g.code == 305 && inLine) {
                inLine = false;
                e.leaderLines.push_back(line);
            }
            if (g.code == 303) {
                // The last vertex of each line of this leader joins its connection point.
                for (std::size_t i = leaderFirstLine; i < e.leaderLines.size(); ++i)
                    e.leaderLines[i].push_back(connection);
            }
            if (depth > 0)
                --depth;
            continue;
        }
        if (inLine) {
            if (g.code == 10) line.push_back({g.Double(), 0, 0});
            else if (g.code == 20 && !line.empty()) line.back().y = g.Double();
            else if (g.code == 30 && !line.empty()) line.back().z = g.Double();
            continue;
        }
        if (depth == 2 && SetCoordinate(connection, g, 10))
            continue;
        if (depth == 1) {
            if (SetCoordinate(e.textLocation, g, 12) || SetCoordinate(e.textDirection, g, 13) ||
                SetCoordinate(e.blockPosition, g, 15) || SetCoordinate(e.blockScale, g, 16))
                continue;
            switch (g.code) {
            case 41: e.textHeight = g.Double(); break;
            case 140: e.arrowSize = g.Double(); break;
            case 43: e.textWidth = g.Double(); break;
            case 290: break;
            case 341: e.block = m_ctx.Db().Blocks().FindHandle(g.Handle()); break;
            case 46: e.blockRotation = g.Double(); break;
            case 340: {
                const std::int32_t style = m_ctx.Db().TextStyles().FindHandle(g.Handle());
                if (style >= 0)
                    e.textStyle = style;
                break;
            }
            case 90:
                if (!textColour)
                    e.textColor = RawColor(g.Int());
                textColour = true;
                break;
            default: break;
            }
        }
    }
    e.hasText = !e.text.empty();
}

void DxfEntityReader::ReadMLine(MLine& e)
{
    MLineVertex* v = nullptr;
    bool firstParameter = false;
    for (const DxfGroup& g : m_groups) {
        switch (g.code) {
        case 2: e.styleName = m_ctx.Text(g.text); break;
        case 340: e.style = g.Handle(); break;
        case 40: e.scale = g.Double(); break;
        case 70: e.justification = static_cast<std::uint8_t>(g.Int()); break;
        case 71: e.closed = (g.Int() & 2) != 0; break;
        case 11:
            e.vertices.emplace_back();
            v = &e.vertices.back();
            v->position.x = g.Double();
            break;
        case 74:
            // Each element's parameters: the first is its distance along the miter, the
            // following ones (dash lengths) are not drawn.
            firstParameter = g.Int() > 0;
            if (v && !firstParameter)
                v->offsets.push_back(0.0);
            break;
        case 41:
            if (v && firstParameter)
                v->offsets.push_back(g.Double());
            firstParameter = false;
            break;
        default:
            if (v) {
                SetCoordinate(v->position, g, 11) || SetCoordinate(v->direction, g, 12) ||
                    SetCoordinate(v->miter, g, 13);
            }
            break;
        }
    }
}

void DxfEntityReader::ReadCorners(Vec3 (&corners)[4])
{
    bool hasFourth = false;
    for (const DxfGroup& g : m_groups) {
        for (int i = 0; i < 4; ++i) {
            if (SetCoordinate(corners[i], g, 10 + i)) {
                hasFourth = hasFourth || i == 3;
                break;
            }
        }
    }
    if (!hasFourth)
        corners[3] = corners[2];
}

void DxfEntityReader::ReadFace3d(Face3d& e)
{
    ReadCorners(e.corners);
    for (const DxfGroup& g : m_groups) {
        if (g.code == 70)
            e.hiddenEdges = static_cast<std::uint8_t>(g.Int() & 15);
    }
}

void DxfEntityReader::ReadRasterFrame(RasterFrame& frame, Handle* imageDef)
{
    Vec3 size;
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(frame.insertion, g, 10) || SetCoordinate(frame.uVector, g, 11) ||
            SetCoordinate(frame.vVector, g, 12) || SetCoordinate(size, g, 13))
            continue;
        switch (g.code) {
        case 14: frame.clipBoundary.push_back({g.Double(), 0.0}); break;
        case 24: if (!frame.clipBoundary.empty()) frame.clipBoundary.back().y = g.Double(); break;
        case 280: frame.clipping = g.Int() != 0; break;
        case 340: if (imageDef) *imageDef = g.Handle(); break;
        default: break;
        }
    }
    frame.pixelSize = {size.x, size.y};
}

// Its data (90 the length, then 310 chunks) holds the corners and the OLE object; the corners
// of 10 and 11 (upper left, lower right) are the frame of data that does not read.
void DxfEntityReader::ReadOleFrame(OleFrame& e)
{
    Vec3 upperLeft, lowerRight;
    std::vector<std::uint8_t> data;
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(upperLeft, g, 10) || SetCoordinate(lowerRight, g, 11))
            continue;
        if (g.code == 310)
            AppendChunk(g, data);
    }
    const std::string_view view(reinterpret_cast<const char*>(data.data()), data.size());
    if (!OleObjectData::Corners(view, e.corners)) {
        e.corners[0] = upperLeft;
        e.corners[1] = {lowerRight.x, upperLeft.y, upperLeft.z};
        e.corners[2] = lowerRight;
        e.corners[3] = {upperLeft.x, lowerRight.y, lowerRight.z};
    }
    e.picture = OleObjectData::Picture(view, data.size());
}

void DxfEntityReader::ReadImageLook(Image& e)
{
    const auto percent = [](std::int32_t v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 100)); };
    for (const DxfGroup& g : m_groups) {
        switch (g.code) {
        case 281: e.brightness = percent(g.Int()); break;
        case 282: e.contrast = percent(g.Int()); break;
        case 283: e.fade = percent(g.Int()); break;
        case 70: e.transparent = (g.Int() & 8) != 0; break;     // display properties
        default: break;
        }
    }
}

void DxfEntityReader::ReadViewport(ViewportEntity& e)
{
    // R12 keeps the view in extended data: ACAD / MVIEW, then the target, the direction, the
    // twist, the view height and the view centre, in that order.
    int xdataPoint = 0, xdataReal = 0;
    bool mview = false;
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(e.center, g, 10) || SetCoordinate(e.viewCenter, g, 12) ||
            SetCoordinate(e.viewDirection, g, 16) || SetCoordinate(e.viewTarget, g, 17))
            continue;
        switch (g.code) {
        case 40: e.width = g.Double(); break;
        case 41: e.height = g.Double(); break;
        case 45: e.viewHeight = g.Double(); break;
        case 51: e.twist = g.Double() * kDegree; break;
        case 68: e.on = g.Int() > 0; break;
        case 69: e.id = g.Int(); break;
        case 340: e.clipBoundary = g.Handle(); break;
        case 341: {
            const std::int32_t layer = m_ctx.Db().Layers().FindHandle(g.Handle());
            if (layer >= 0)
                e.frozenLayers.push_back(layer);
            break;
        }
        case 1000: mview = mview || g.Is("MVIEW"); break;
        case 1010: case 1020: case 1030: {
            if (!mview)
                break;
            if (g.code == 1010)
                ++xdataPoint;
            Vec3* target = xdataPoint == 1 ? &e.viewTarget
                                           : (xdataPoint == 2 ? &e.viewDirection : nullptr);
            if (target)
                SetCoordinate(*target, g, 1010);
            break;
        }
        case 1040: {
            if (!mview)
                break;
            const double v = g.Double();
            switch (++xdataReal) {
            case 1: e.twist = v * kDegree; break;
            case 2: e.viewHeight = v; break;
            case 3: e.viewCenter.x = v; break;
            case 4: e.viewCenter.y = v; break;
            default: break;
            }
            break;
        }
        default: break;
        }
    }
}

} // namespace RkDxf
