// Decoders of the curve and area entities with simple geometry: LINE, CIRCLE, ARC, POINT, ELLIPSE,
// RAY, XLINE, LWPOLYLINE, the POLYLINE kinds and their vertices, SPLINE, SOLID, TRACE, 3DFACE.
#include "engine/dwg/DwgDecoderSupport.h"
#include "engine/db/ModelEntities.h"

#include "engine/db/AreaEntities.h"
#include "engine/dwg/DwgSplineFit.h"

#include <cmath>

namespace orvo::dwg {

namespace {

// Counts read from a file are checked against the bits left before any allocation: every
// element of a list takes at least this many bits.
bool Fits(const DwgBitReader& reader, uint64_t count, uint64_t bitsEach)
{
    return count <= reader.BitsLeft() / bitsEach;
}

RkDb::EntityPtr DecodeLine(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto line = std::make_unique<RkDb::Line>();
    DwgBitReader& data = record.Data();
    if (data.AtLeast(DwgVersion::R2000)) {
        const bool zIsZero = data.B() != 0;
        line->start.x = data.RD();
        line->end.x = data.DD(line->start.x);
        line->start.y = data.RD();
        line->end.y = data.DD(line->start.y);
        if (!zIsZero) {
            line->start.z = data.RD();
            line->end.z = data.DD(line->start.z);
        }
    } else {
        line->start = ToVec3(data.BD3());
        line->end = ToVec3(data.BD3());
    }
    line->thickness = data.BT();
    line->extrusion = ToVec3(data.BE());
    record.ReadEntityHandles(common);
    return line;
}

RkDb::EntityPtr DecodeCircle(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto circle = std::make_unique<RkDb::Circle>();
    DwgBitReader& data = record.Data();
    circle->center = ToVec3(data.BD3());
    circle->radius = data.BD();
    circle->thickness = data.BT();
    circle->extrusion = ToVec3(data.BE());
    record.ReadEntityHandles(common);
    return circle;
}

RkDb::EntityPtr DecodeArc(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto arc = std::make_unique<RkDb::Arc>();
    DwgBitReader& data = record.Data();
    arc->center = ToVec3(data.BD3());
    arc->radius = data.BD();
    arc->thickness = data.BT();
    arc->extrusion = ToVec3(data.BE());
    arc->startAngle = data.BD();
    arc->endAngle = data.BD();
    record.ReadEntityHandles(common);
    return arc;
}

RkDb::EntityPtr DecodePoint(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto point = std::make_unique<RkDb::Point>();
    DwgBitReader& data = record.Data();
    point->position = ToVec3(data.BD3());
    point->thickness = data.BT();
    point->extrusion = ToVec3(data.BE());
    point->xAxisAngle = data.BD();
    record.ReadEntityHandles(common);
    return point;
}

RkDb::EntityPtr DecodeEllipse(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto ellipse = std::make_unique<RkDb::Ellipse>();
    DwgBitReader& data = record.Data();
    ellipse->center = ToVec3(data.BD3());
    ellipse->majorAxis = ToVec3(data.BD3());
    ellipse->extrusion = ToVec3(data.BD3());
    ellipse->ratio = data.BD();
    ellipse->startParam = data.BD();
    ellipse->endParam = data.BD();
    record.ReadEntityHandles(common);
    return ellipse;
}

template <class T> RkDb::EntityPtr DecodeInfiniteLine(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto line = std::make_unique<T>();
    line->base = ToVec3(record.Data().BD3());
    line->direction = ToVec3(record.Data().BD3());
    record.ReadEntityHandles(common);
    return line;
}

} // namespace

RkDb::EntityPtr DecodeLwPolylineData(DwgBitReader& data)
{
    auto poly = std::make_unique<RkDb::LwPolyline>();
    const uint16_t flags = data.BS();
    if ((flags & 4) != 0)
        poly->constantWidth = data.BD();
    if ((flags & 8) != 0)
        poly->elevation = data.BD();
    if ((flags & 2) != 0)
        poly->thickness = data.BD();
    if ((flags & 1) != 0)
        poly->extrusion = ToVec3(data.BD3());
    poly->closed = (flags & 512) != 0;
    poly->plinegen = (flags & 256) != 0;
    const uint32_t pointCount = data.BL();
    const uint32_t bulgeCount = (flags & 16) != 0 ? data.BL() : 0;
    const uint32_t idCount = data.AtLeast(DwgVersion::R2010) && (flags & 1024) != 0 ? data.BL() : 0;
    const uint32_t widthCount = (flags & 32) != 0 ? data.BL() : 0;
    // A point takes at least 66 bits (one RD and two DD codes).
    if (data.Failed() || !Fits(data, pointCount, 66) || !Fits(data, bulgeCount, 2) ||
        !Fits(data, idCount, 2) || !Fits(data, widthCount, 4))
        return nullptr;
    poly->vertices.resize(pointCount);
    for (uint32_t i = 0; i < pointCount && !data.Failed(); ++i) {
        RkDb::LwVertex& v = poly->vertices[i];
        if (i == 0 || !data.AtLeast(DwgVersion::R2000)) {
            v.x = data.RD();
            v.y = data.RD();
        } else {
            v.x = data.DD(poly->vertices[i - 1].x);
            v.y = data.DD(poly->vertices[i - 1].y);
        }
    }
    for (uint32_t i = 0; i < bulgeCount && !data.Failed(); ++i) {
        const double bulge = data.BD();
        if (i < pointCount)
            poly->vertices[i].bulge = bulge;
    }
    for (uint32_t i = 0; i < idCount && !data.Failed(); ++i)
        data.BL();
    for (uint32_t i = 0; i < widthCount && !data.Failed(); ++i) {
        const double start = data.BD();
        const double end = data.BD();
        if (i < pointCount) {
            poly->vertices[i].startWidth = start;
            poly->vertices[i].endWidth = end;
        }
    }
    return poly;
}

namespace {

RkDb::EntityPtr DecodeLwPolyline(DwgObjectRecord& record, DwgEntityCommon& common)
{
    RkDb::EntityPtr poly = DecodeLwPolylineData(record.Data());
    if (poly)
        record.ReadEntityHandles(common);
    return poly;
}

// The owned vertices (or attributes) of a POLYLINE or INSERT: first and last (R13 to 2000) or
// the list (2004 and later), then the SEQEND.
void ReadChildHandles(DwgObjectRecord& record, uint32_t ownedCount, DwgEntityRefs& refs)
{
    refs.ownsChildren = true;
    if (record.Version() >= DwgVersion::R2004) {
        if (!Fits(record.Handles(), ownedCount, 8)) {
            record.Handles().Fail();
            return;
        }
        refs.children.reserve(ownedCount);
        for (uint32_t i = 0; i < ownedCount && !record.Handles().Failed(); ++i)
            refs.children.push_back(record.Ref());
    } else {
        refs.firstChild = record.Ref();
        refs.lastChild = record.Ref();
    }
    record.Ref(); // SEQEND
}

uint32_t ReadOwnedCount(DwgBitReader& data)
{
    return data.AtLeast(DwgVersion::R2004) ? data.BL() : 0;
}

RkDb::EntityPtr DecodePolyline(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common,
                               DwgEntityRefs& refs)
{
    auto poly = std::make_unique<RkDb::Polyline>();
    DwgBitReader& data = record.Data();
    if (type == kTypePolyline2d) {
        const uint16_t flags = data.BS();
        poly->closed = (flags & 1) != 0;
        poly->plinegen = (flags & 128) != 0;
        poly->smoothType = data.BS();
        poly->defaultStartWidth = data.BD();
        poly->defaultEndWidth = data.BD();
        poly->thickness = data.BT();
        poly->elevation = data.BD();
        poly->extrusion = ToVec3(data.BE());
    } else if (type == kTypePolyline3d) {
        poly->kind = RkDb::Polyline::Kind::Poly3d;
        const uint8_t splineFlags = data.RC();
        poly->smoothType = (splineFlags & 4) != 0 ? 5 : 0;
        poly->closed = (data.RC() & 1) != 0;
    } else if (type == kTypePolylinePface) {
        poly->kind = RkDb::Polyline::Kind::PolyFace;
        poly->meshM = data.BS();
        poly->meshN = data.BS();
    } else {
        poly->kind = RkDb::Polyline::Kind::Mesh;
        const uint16_t flags = data.BS();
        poly->closed = (flags & 1) != 0;
        poly->closedN = (flags & 32) != 0;
        poly->smoothType = data.BS();
        poly->meshM = data.BS();
        poly->meshN = data.BS();
        data.BS(); // smooth densities
        data.BS();
    }
    const uint32_t owned = ReadOwnedCount(data);
    record.ReadEntityHandles(common);
    ReadChildHandles(record, owned, refs);
    return poly;
}

// The curve of a SPLINE or HELIX; false when its lists do not fit the record.
bool ReadSplineData(DwgBitReader& data, RkDb::SplineData* spline)
{
    uint32_t scenario = data.BL();
    if (data.AtLeast(DwgVersion::R2013)) {
        const uint32_t splineFlags = data.BL();
        const uint32_t knotParameter = data.BL();
        scenario = (splineFlags & 1) != 0 ? 2 : 1;
        if (knotParameter == 15)
            scenario = 1;
    }
    spline->degree = static_cast<int32_t>(data.BL());
    uint32_t knotCount = 0, controlCount = 0, fitCount = 0;
    bool weighted = false;
    DwgPoint3 startTangent, endTangent;
    if (scenario == 2) {
        data.BD(); // fit tolerance
        startTangent = data.BD3();
        endTangent = data.BD3();
        fitCount = data.BL();
    } else {
        spline->flags = static_cast<uint16_t>((data.B() != 0 ? 4 : 0));
        spline->flags |= static_cast<uint16_t>(data.B() != 0 ? 1 : 0);
        spline->flags |= static_cast<uint16_t>(data.B() != 0 ? 2 : 0);
        data.BD(); // knot tolerance
        data.BD(); // control tolerance
        knotCount = data.BL();
        controlCount = data.BL();
        weighted = data.B() != 0;
    }
    if (data.Failed() || !Fits(data, knotCount, 2) || !Fits(data, controlCount, 6) || !Fits(data, fitCount, 6))
        return false;
    // A fit point also pays for the curve made through it: its control point, knot and the
    // interpolation's working lists.
    constexpr uint64_t kFitPointBytes = 8 * sizeof(RkDb::Vec3);
    if (!data.Claim(knotCount, sizeof(double)) ||
        !data.Claim(controlCount, sizeof(RkDb::Vec3) + (weighted ? sizeof(double) : 0)) ||
        !data.Claim(fitCount, kFitPointBytes))
        return false;
    spline->knots.reserve(knotCount);
    for (uint32_t i = 0; i < knotCount && !data.Failed(); ++i)
        spline->knots.push_back(data.BD());
    spline->controlPoints.reserve(controlCount);
    for (uint32_t i = 0; i < controlCount && !data.Failed(); ++i) {
        spline->controlPoints.push_back(ToVec3(data.BD3()));
        if (weighted)
            spline->weights.push_back(data.BD());
    }
    spline->fitPoints.reserve(fitCount);
    for (uint32_t i = 0; i < fitCount && !data.Failed(); ++i)
        spline->fitPoints.push_back(ToVec3(data.BD3()));
    // Drawn, like the DXF export's, as the curve through the fit points.
    if (spline->controlPoints.empty() && !data.Failed())
        InterpolateFitPoints(*spline, ToVec3(startTangent), ToVec3(endTangent));
    return !data.Failed();
}

RkDb::EntityPtr DecodeSpline(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto spline = std::make_unique<RkDb::Spline>();
    if (!ReadSplineData(record.Data(), spline.get()))
        return nullptr;
    record.ReadEntityHandles(common);
    return spline;
}

// HELIX: a spline followed by its helix data.
RkDb::EntityPtr DecodeHelix(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto helix = std::make_unique<RkDb::Helix>();
    DwgBitReader& data = record.Data();
    if (!ReadSplineData(data, helix.get()))
        return nullptr;
    data.BL(); // major and maintenance release
    data.BL();
    helix->axisBase = ToVec3(data.BD3());
    helix->start = ToVec3(data.BD3());
    helix->axisVector = ToVec3(data.BD3());
    helix->topRadius = data.BD();
    helix->turns = data.BD();
    helix->turnHeight = data.BD();
    helix->counterClockwise = data.B() != 0;
    data.RC(); // constraint
    record.ReadEntityHandles(common);
    return data.Failed() ? nullptr : std::move(helix);
}

template <class T> RkDb::EntityPtr DecodeSolid(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto solid = std::make_unique<T>();
    DwgBitReader& data = record.Data();
    solid->thickness = data.BT();
    const double elevation = data.BD();
    for (RkDb::Vec3& corner : solid->corners) {
        corner = ToVec3(data.RD2());
        corner.z = elevation;
    }
    solid->extrusion = ToVec3(data.BE());
    record.ReadEntityHandles(common);
    return solid;
}

RkDb::EntityPtr DecodeFace3d(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto face = std::make_unique<RkDb::Face3d>();
    DwgBitReader& data = record.Data();
    if (data.AtLeast(DwgVersion::R2000)) {
        const bool noFlags = data.B() != 0;
        const bool zIsZero = data.B() != 0;
        face->corners[0].x = data.RD();
        face->corners[0].y = data.RD();
        face->corners[0].z = zIsZero ? 0.0 : data.RD();
        for (int i = 1; i < 4; ++i)
            face->corners[i] = ToVec3(data.DD3(ToPoint(face->corners[i - 1])));
        if (!noFlags)
            face->hiddenEdges = static_cast<uint8_t>(data.BS());
    } else {
        for (RkDb::Vec3& corner : face->corners)
            corner = ToVec3(data.BD3());
        face->hiddenEdges = static_cast<uint8_t>(data.BS());
    }
    record.ReadEntityHandles(common);
    return face;
}

} // namespace

RkDb::EntityPtr DecodeCurveEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                  DwgEntityCommon& common, DwgEntityRefs& refs)
{
    switch (type) {
    case kTypeLine: return DecodeLine(record, common);
    case kTypeCircle: return DecodeCircle(record, common);
    case kTypeArc: return DecodeArc(record, common);
    case kTypePoint: return DecodePoint(record, common);
    case kTypeEllipse: return DecodeEllipse(record, common);
    case kTypeRay: return DecodeInfiniteLine<RkDb::Ray>(record, common);
    case kTypeXline: return DecodeInfiniteLine<RkDb::XLine>(record, common);
    case kTypeLwpolyline: return DecodeLwPolyline(record, common);
    case kTypePolyline2d:
    case kTypePolyline3d:
    case kTypePolylinePface:
    case kTypePolylineMesh: return DecodePolyline(type, record, common, refs);
    case kTypeSpline: return DecodeSpline(record, common);
    case kTypeSolid: return DecodeSolid<RkDb::Solid>(record, common);
    case kTypeTrace: return DecodeSolid<RkDb::Trace>(record, common);
    case kTypeFace3d: return DecodeFace3d(record, common);
    default: break;
    }
    if (className == "LWPOLYLINE")
        return DecodeLwPolyline(record, common);
    if (className == "HELIX")
        return DecodeHelix(record, common);
    return nullptr;
}

bool DecodeVertex(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common, DwgVertex& out)
{
    DwgBitReader& data = record.Data();
    RkDb::PolyVertex& v = out.vertex;
    if (type == kTypeVertexPfaceFace) {
        out.isFaceRecord = true;
        v.flags = 128;
        for (int32_t& index : v.faceIndex)
            index = static_cast<int16_t>(data.BS());
    } else {
        v.flags = data.RC();
        v.position = ToVec3(data.BD3());
        if (type == kTypeVertex2d) {
            const double start = data.BD();
            v.startWidth = std::fabs(start);
            v.endWidth = start < 0.0 ? v.startWidth : data.BD();
            v.bulge = data.BD();
            if (data.AtLeast(DwgVersion::R2010))
                data.BL(); // vertex id
            data.BD(); // tangent direction
        }
    }
    record.ReadEntityHandles(common);
    return !record.Failed();
}

} // namespace orvo::dwg
