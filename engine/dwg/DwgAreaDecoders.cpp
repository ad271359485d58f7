// Decoders of the filled and framed entities: HATCH, IMAGE and WIPEOUT, and of MLINE.
#include "engine/dwg/DwgDecoderSupport.h"

#include "engine/db/AreaEntities.h"
#include "engine/db/BlockEntities.h"
#include "engine/db/OleObjectData.h"

#include <algorithm>

namespace orvo::dwg {

namespace {

// Every element of a list read from a file takes at least this many bits; counts beyond what is
// left fail before anything is allocated.
bool Fits(const DwgBitReader& reader, uint64_t count, uint64_t bitsEach)
{
    return count <= reader.BitsLeft() / bitsEach;
}

RkDb::Vec2 Point2(DwgBitReader& data)
{
    const DwgPoint3 p = data.RD2();
    return RkDb::Vec2{p.x, p.y};
}

bool ReadSplineEdge(DwgBitReader& data, RkDb::HatchEdge& edge)
{
    edge.kind = RkDb::HatchEdge::Kind::Spline;
    edge.degree = static_cast<int32_t>(data.BL());
    const bool rational = data.B() != 0;
    data.B(); // periodic
    const uint32_t knots = data.BL();
    const uint32_t controls = data.BL();
    if (!Fits(data, knots, 2) || !Fits(data, controls, 128) || !data.Claim(knots, sizeof(double)))
        return false;
    for (uint32_t i = 0; i < knots; ++i)
        edge.knots.push_back(data.BD());
    for (uint32_t i = 0; i < controls && !data.Failed(); ++i) {
        edge.controlPoints.push_back(Point2(data));
        if (rational)
            edge.weights.push_back(data.BD());
    }
    if (data.AtLeast(DwgVersion::R2010)) {
        const uint32_t fits = data.BL();
        if (fits > 0) {
            if (!Fits(data, fits, 128))
                return false;
            data.SkipBytes(16 * static_cast<uint64_t>(fits) + 32); // fit points and end tangents
        }
    }
    return !data.Failed();
}

bool ReadEdge(DwgBitReader& data, RkDb::HatchEdge& edge)
{
    switch (data.RC()) {
    case 1:
        edge.kind = RkDb::HatchEdge::Kind::Line;
        edge.start = Point2(data);
        edge.end = Point2(data);
        return true;
    case 2:
        edge.kind = RkDb::HatchEdge::Kind::Arc;
        edge.center = Point2(data);
        edge.radius = data.BD();
        edge.startAngle = data.BD();
        edge.endAngle = data.BD();
        edge.counterClockwise = data.B() != 0;
        return true;
    case 3:
        edge.kind = RkDb::HatchEdge::Kind::Ellipse;
        edge.center = Point2(data);
        edge.majorAxis = Point2(data);
        edge.ratio = data.BD();
        edge.startAngle = data.BD();
        edge.endAngle = data.BD();
        edge.counterClockwise = data.B() != 0;
        return true;
    case 4: return ReadSplineEdge(data, edge);
    default: return false;
    }
}

bool ReadLoop(DwgBitReader& data, RkDb::HatchLoop& loop, bool& derived)
{
    loop.flags = data.BL();
    derived = derived || (loop.flags & 4) != 0;
    if ((loop.flags & 2) == 0) {
        const uint32_t edges = data.BL();
        if (!Fits(data, edges, 8 + 128) || !data.Claim(edges, sizeof(RkDb::HatchEdge)))
            return false;
        loop.edges.resize(edges);
        for (RkDb::HatchEdge& edge : loop.edges) {
            if (!ReadEdge(data, edge))
                return false;
        }
    } else {
        const bool bulges = data.B() != 0;
        loop.closed = data.B() != 0;
        const uint32_t points = data.BL();
        if (!Fits(data, points, 128))
            return false;
        for (uint32_t i = 0; i < points && !data.Failed(); ++i) {
            loop.polyline.push_back(Point2(data));
            loop.bulges.push_back(bulges ? data.BD() : 0.0);
        }
    }
    data.BL(); // boundary objects, whose handles follow in the handle stream
    return !data.Failed();
}

void ReadGradient(DwgObjectRecord& record, RkDb::Hatch& hatch)
{
    DwgBitReader& data = record.Data();
    hatch.gradient = data.BL() != 0;
    data.BL();  // reserved
    data.BD();  // angle
    data.BD();  // shift
    data.BL();  // single colour
    data.BD();  // tint
    const uint32_t colors = data.BL();
    for (uint32_t i = 0; i < colors && i < 256 && !data.Failed(); ++i) {
        data.BD();
        data.BS();
        const uint32_t rgb = data.BL();
        data.RC();
        if (i == 0)
            hatch.gradientColor = rgb & 0xFFFFFF;
    }
    record.Text().TV(); // gradient name
}

RkDb::EntityPtr DecodeHatch(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto hatch = std::make_unique<RkDb::Hatch>();
    DwgBitReader& data = record.Data();
    if (data.AtLeast(DwgVersion::R2004))
        ReadGradient(record, *hatch);
    hatch->elevation = data.BD();
    hatch->extrusion = ToVec3(data.BD3());
    hatch->patternName = record.Text().TV();
    hatch->solid = data.B() != 0;
    data.B(); // associative
    const uint32_t loops = data.BL();
    if (!Fits(data, loops, 32) || !data.Claim(loops, sizeof(RkDb::HatchLoop)))
        return nullptr;
    bool derived = false;
    hatch->loops.resize(loops);
    for (RkDb::HatchLoop& loop : hatch->loops) {
        if (!ReadLoop(data, loop, derived))
            return nullptr;
    }
    hatch->style = static_cast<uint8_t>(data.BS());
    data.BS(); // pattern type
    if (!hatch->solid) {
        data.BD(); // angle
        data.BD(); // scale or spacing
        data.B();  // double
        const uint16_t lines = data.BS();
        for (uint16_t i = 0; i < lines && !data.Failed(); ++i) {
            RkDb::HatchPatternLine line;
            line.angle = data.BD();
            const DwgPoint3 base = data.BD2();
            const DwgPoint3 offset = data.BD2();
            line.base = RkDb::Vec2{base.x, base.y};
            line.offset = RkDb::Vec2{offset.x, offset.y};
            const uint16_t dashes = data.BS();
            for (uint16_t d = 0; d < dashes && !data.Failed(); ++d)
                line.dashes.push_back(data.BD());
            hatch->patternLines.push_back(std::move(line));
        }
    }
    record.ReadEntityHandles(common);
    return data.Failed() ? nullptr : std::move(hatch);
}

// look: brightness, contrast and fade as stored; display: the display properties.
void ReadRasterFrame(DwgObjectRecord& record, RkDb::RasterFrame& frame, uint8_t (&look)[3], uint16_t& display)
{
    DwgBitReader& data = record.Data();
    data.BL(); // class version
    frame.insertion = ToVec3(data.BD3());
    frame.uVector = ToVec3(data.BD3());
    frame.vVector = ToVec3(data.BD3());
    const DwgPoint3 size = data.RD2();
    frame.pixelSize = RkDb::Vec2{size.x, size.y};
    display = data.BS();
    frame.clipping = data.B() != 0;
    for (uint8_t& value : look)
        value = std::min<uint8_t>(data.RC(), 100); // brightness, contrast, fade
    if (data.AtLeast(DwgVersion::R2010))
        data.B(); // clip mode
    const uint16_t type = data.BS();
    uint32_t count = 2;
    if (type != 1)
        count = data.BL();
    if (!Fits(data, count, 128))
        return data.Fail();
    for (uint32_t i = 0; i < count; ++i)
        frame.clipBoundary.push_back(Point2(data));
    // A polygon is stored open; drawings (and DXF) repeat its first corner at the end.
    if (type != 1 && count > 2 &&
        (frame.clipBoundary.front().x != frame.clipBoundary.back().x ||
         frame.clipBoundary.front().y != frame.clipBoundary.back().y))
        frame.clipBoundary.push_back(frame.clipBoundary.front());
}

void KeepLook(RkDb::Image& image, const uint8_t (&look)[3], uint16_t display)
{
    image.transparent = (display & 8) != 0;
    image.brightness = look[0];
    image.contrast = look[1];
    image.fade = look[2];
}

void KeepLook(RkDb::Wipeout&, const uint8_t (&)[3], uint16_t) {}

template <class T> RkDb::EntityPtr DecodeRaster(DwgObjectRecord& record, DwgEntityCommon& common,
                                                DwgEntityRefs& refs)
{
    auto entity = std::make_unique<T>();
    uint8_t look[3] = {50, 50, 0};
    uint16_t display = 0;
    ReadRasterFrame(record, entity->frame, look, display);
    KeepLook(*entity, look, display);
    record.ReadEntityHandles(common);
    refs.imageDef = record.Ref();
    return record.Data().Failed() ? nullptr : std::move(entity);
}

RkDb::EntityPtr DecodeMLine(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto mline = std::make_unique<RkDb::MLine>();
    DwgBitReader& data = record.Data();
    mline->scale = data.BD();
    mline->justification = data.RC();
    data.BD3(); // base point
    mline->extrusion = ToVec3(data.BD3());
    mline->closed = data.BS() == 3;
    const uint8_t lines = data.RC();
    const uint16_t vertices = data.BS();
    if (!Fits(data, vertices, 18) || !data.Claim(static_cast<uint64_t>(vertices) * lines, sizeof(double)))
        return nullptr;
    for (uint16_t i = 0; i < vertices && !data.Failed(); ++i) {
        RkDb::MLineVertex vertex;
        vertex.position = ToVec3(data.BD3());
        vertex.direction = ToVec3(data.BD3());
        vertex.miter = ToVec3(data.BD3());
        for (uint8_t l = 0; l < lines && !data.Failed(); ++l) {
            // The first parameter of an element is its distance along the miter; the rest are
            // the break points of its dashes, which a viewer does not need.
            const uint16_t segments = data.BS();
            for (uint16_t s = 0; s < segments && !data.Failed(); ++s) {
                const double parameter = data.BD();
                if (s == 0)
                    vertex.offsets.push_back(parameter);
            }
            if (segments == 0)
                vertex.offsets.push_back(0.0);
            const uint16_t fills = data.BS();
            for (uint16_t f = 0; f < fills && !data.Failed(); ++f)
                data.BD();
        }
        mline->vertices.push_back(vertex);
    }
    record.ReadEntityHandles(common);
    refs.mlineStyle = record.Ref();
    return data.Failed() ? nullptr : std::move(mline);
}

// OLE2FRAME: flags, mode (2000+), the data's length and the data (its corners and the OLE object).
RkDb::EntityPtr DecodeOleFrame(DwgObjectRecord& record, DwgEntityCommon& common)
{
    DwgBitReader& data = record.Data();
    data.BS(); // flags
    if (record.Version() >= DwgVersion::R2000)
        data.BS(); // mode
    const uint32_t length = data.BL();
    if (!Fits(data, length, 8) || !data.Claim(length, 2))
        return nullptr;
    const std::vector<uint8_t> bytes = data.Bytes(length);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    auto ole = std::make_unique<RkDb::OleFrame>();
    if (data.Failed() || !RkDb::OleObjectData::Corners(view, ole->corners))
        return nullptr;
    ole->picture = RkDb::OleObjectData::Picture(view, bytes.size());
    record.ReadEntityHandles(common);
    return record.Data().Failed() ? nullptr : std::move(ole);
}

} // namespace

RkDb::EntityPtr DecodeAreaEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                 DwgEntityCommon& common, DwgEntityRefs& refs)
{
    if (type == kTypeHatch || className == "HATCH")
        return DecodeHatch(record, common);
    if (type == kTypeMline)
        return DecodeMLine(record, common, refs);
    if (className == "WIPEOUT")
        return DecodeRaster<RkDb::Wipeout>(record, common, refs);
    if (className == "IMAGE")
        return DecodeRaster<RkDb::Image>(record, common, refs);
    if (type == kTypeOle2frame)
        return DecodeOleFrame(record, common);
    return nullptr;
}

} // namespace orvo::dwg
