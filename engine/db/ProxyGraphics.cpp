#include "engine/db/ProxyGraphics.h"

#include "engine/db/AreaEntities.h"
#include "engine/db/BlockEntities.h"
#include "engine/db/ByteCursor.h"
#include "engine/db/CurveEntities.h"
#include "engine/db/TextEntities.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace RkDb {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Command kinds of the metafile.
enum Command : std::uint32_t {
    kExtents = 1, kCircle = 2, kCircle3P = 3, kArc = 4, kArc3P = 5, kPolyline = 6, kPolygon = 7,
    kMesh = 8, kShell = 9, kText = 10, kText2 = 11, kXline = 12, kRay = 13, kColor = 14,
    kLayer = 16, kLineType = 18, kFill = 20, kTrueColor = 22, kLineWeight = 23, kLineTypeScale = 24,
    kThickness = 25, kPushTransform = 29, kPushTransform2 = 30, kPopTransform = 31,
    kPolylineNormal = 32, kLwPolyline = 33, kUnicodeText = 36, kUnicodeText2 = 38,
};

constexpr std::uint64_t kPointBytes = 24;
constexpr std::uint64_t kEntityCost = 512;
constexpr size_t kMaxTransformDepth = 64;
constexpr std::uint32_t kLineTypeByLayer = 32767, kLineTypeByBlock = 32766;

// What the next primitives are drawn with; by block until the metafile says otherwise.
struct Traits
{
    std::int32_t layer = 0;
    Color color = Color::ByBlock();
    std::int32_t lineType = kRefByBlock;
    std::int16_t lineWeight = kLwByBlock;
    double lineTypeScale = 1.0;
    double thickness = 0.0;
    bool fill = false;              // polygons are filled
};

// World -> OCS of a normal: the OCS matrix is a rotation, so its transpose inverts it.
Vec3 ToOcs(const Ocs& ocs, const Vec3& p)
{
    const Matrix3d& m = ocs.Matrix();
    return Vec3{m.At(0, 0) * p.x + m.At(1, 0) * p.y + m.At(2, 0) * p.z,
                m.At(0, 1) * p.x + m.At(1, 1) * p.y + m.At(2, 1) * p.z,
                m.At(0, 2) * p.x + m.At(1, 2) * p.y + m.At(2, 2) * p.z};
}

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

class MetafileReader
{
public:
    MetafileReader(const Database& db, const ProxyGraphics::Charge& charge, EntityList& out,
                   const ProxyGraphics::EmbeddedPolyline& polyline)
        : m_db(db), m_charge(charge), m_out(out), m_polyline(polyline)
    {
        m_transforms.push_back(Matrix3d());
    }

    bool Read(const std::uint8_t* data, std::size_t size)
    {
        ByteCursor whole(data, size);
        const std::uint32_t total = whole.RL();
        whole.RL(); // command count: the sizes say where each ends
        if (whole.Failed() || total < 8 || total > size)
            return false;
        std::uint64_t pos = 8;
        while (pos + 8 <= total) {
            ByteCursor head(data + pos, total - pos);
            const std::uint32_t length = head.RL();
            const std::uint32_t kind = head.RL();
            if (length < 8 || length > total - pos)
                return false;
            ByteCursor body(data + pos + 8, length - 8);
            if (!Command(kind, body))
                return false;
            pos += length;
        }
        return true;
    }

private:
    bool Command(std::uint32_t kind, ByteCursor& c);
    bool Attribute(std::uint32_t kind, ByteCursor& c);
    bool Transform(std::uint32_t kind, ByteCursor& c);
    bool Circle(const Vec3& center, double radius, const Vec3& normal, const Vec3* start, double sweep);
    bool ThreePoints(ByteCursor& c, bool arc);
    bool Points(ByteCursor& c, std::uint32_t count, std::vector<Vec3>& points);
    bool Polyline(ByteCursor& c, bool closed, bool withNormal);
    bool FilledPolygon(const std::vector<Vec3>& points);
    bool Embedded(ByteCursor& c);
    bool Mesh(ByteCursor& c);
    bool Shell(ByteCursor& c);
    bool Text(ByteCursor& c, std::uint32_t kind);
    bool InfiniteLine(ByteCursor& c, bool ray);
    bool Add(EntityPtr entity, std::uint64_t extraBytes);

    Vec3 P(ByteCursor& c) const
    {
        const Vec3 p{c.RD(), c.RD(), c.RD()};
        return m_transforms.back().Apply(p);
    }
    Vec3 V(ByteCursor& c) const
    {
        const Vec3 v{c.RD(), c.RD(), c.RD()};
        return m_transforms.back().ApplyVector(v);
    }
    static std::string PaddedText(ByteCursor& c, bool wide);

    const Database& m_db;
    const ProxyGraphics::Charge& m_charge;
    EntityList& m_out;
    const ProxyGraphics::EmbeddedPolyline& m_polyline;
    Traits m_traits;
    std::vector<Matrix3d> m_transforms;
};

bool MetafileReader::Command(std::uint32_t kind, ByteCursor& c)
{
    switch (kind) {
    case kCircle: {
        const Vec3 center = P(c);
        const double radius = c.RD();
        const Vec3 normal = V(c);
        return c.Failed() || Circle(center, radius, normal, nullptr, 0.0);
    }
    case kArc: {
        const Vec3 center = P(c);
        const double radius = c.RD();
        const Vec3 normal = V(c);
        const Vec3 start = V(c);
        const double sweep = c.RD();
        return c.Failed() || Circle(center, radius, normal, &start, sweep);
    }
    case kCircle3P: return ThreePoints(c, false);
    case kArc3P: return ThreePoints(c, true);
    case kPolyline: return Polyline(c, false, false);
    case kPolylineNormal: return Polyline(c, false, true);
    case kPolygon: return Polyline(c, true, false);
    case kLwPolyline: return Embedded(c);
    case kMesh: return Mesh(c);
    case kShell: return Shell(c);
    case kText: case kText2: case kUnicodeText: case kUnicodeText2: return Text(c, kind);
    case kXline: return InfiniteLine(c, false);
    case kRay: return InfiniteLine(c, true);
    case kPushTransform: case kPushTransform2: case kPopTransform: return Transform(kind, c);
    default: return Attribute(kind, c);
    }
}

bool MetafileReader::Attribute(std::uint32_t kind, ByteCursor& c)
{
    switch (kind) {
    case kColor: {
        const std::uint32_t aci = c.RL();
        m_traits.color = aci == 0 ? Color::ByBlock() : aci >= 1 && aci <= 255 ? Color::FromAci(static_cast<int>(aci))
                                                                              : Color::ByLayer();
        break;
    }
    case kTrueColor: {
        const std::uint32_t value = c.RL();
        switch (value >> 24) {
        case 0xC0: m_traits.color = Color::ByLayer(); break;
        case 0xC1: m_traits.color = Color::ByBlock(); break;
        case 0xC2: m_traits.color = Color::FromRgb(value & 0xFFFFFFu); break;
        case 0xC3: if ((value & 0xFF) != 0) m_traits.color = Color::FromAci(static_cast<int>(value & 0xFF)); break;
        default: break;
        }
        break;
    }
    case kLayer: {
        const std::uint32_t index = c.RL();
        m_traits.layer = index < static_cast<std::uint32_t>(m_db.Layers().Count()) ? static_cast<std::int32_t>(index) : 0;
        break;
    }
    case kLineType: {
        const std::uint32_t index = c.RL();
        if (index == kLineTypeByLayer)
            m_traits.lineType = kRefByLayer;
        else if (index == kLineTypeByBlock)
            m_traits.lineType = kRefByBlock;
        else if (index < static_cast<std::uint32_t>(m_db.LineTypes().Count()))
            m_traits.lineType = static_cast<std::int32_t>(index);
        break;
    }
    case kLineWeight: {
        const std::int32_t weight = static_cast<std::int32_t>(c.RL());
        if (weight >= kLwDefault && weight <= 211)
            m_traits.lineWeight = static_cast<std::int16_t>(weight);
        break;
    }
    case kLineTypeScale: {
        const double scale = c.RD();
        m_traits.lineTypeScale = scale > 0.0 && std::isfinite(scale) ? scale : 1.0;
        break;
    }
    case kFill:
        m_traits.fill = c.RL() != 0;
        break;
    case kThickness: {
        const double thickness = c.RD();
        m_traits.thickness = std::isfinite(thickness) ? thickness : 0.0;
        break;
    }
    default: break; // extents, markers, fill, clipping, materials: nothing to draw
    }
    return true;
}

bool MetafileReader::Transform(std::uint32_t kind, ByteCursor& c)
{
    if (kind == kPopTransform) {
        if (m_transforms.size() > 1)
            m_transforms.pop_back();
        return true;
    }
    if (m_transforms.size() >= kMaxTransformDepth)
        return false;
    Matrix3d m;
    if (kind == kPushTransform) {
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 4; ++col) {
                const double value = c.RD();
                if (row < 3)
                    m.Set(row, col, std::isfinite(value) ? value : 0.0);
            }
        }
        if (c.Failed())
            return false;
    }
    m_transforms.push_back(m_transforms.back() * m);
    return true;
}

bool MetafileReader::Circle(const Vec3& center, double radius, const Vec3& normal, const Vec3* start, double sweep)
{
    if (!Finite(center) || !(radius > 0.0) || !std::isfinite(radius) || !std::isfinite(sweep))
        return true;
    const Vec3 n = Normalized(normal);
    const Ocs ocs(n);
    if (!start || std::fabs(sweep) >= 2.0 * kPi) {
        auto circle = std::make_unique<RkDb::Circle>();
        circle->center = ToOcs(ocs, center);
        circle->radius = radius;
        circle->extrusion = n;
        return Add(std::move(circle), 0);
    }
    const Vec3 s = ToOcs(ocs, *start);
    double from = std::atan2(s.y, s.x);
    double to = from + sweep;
    if (sweep < 0.0)
        std::swap(from, to);
    auto arc = std::make_unique<RkDb::Arc>();
    arc->center = ToOcs(ocs, center);
    arc->radius = radius;
    arc->startAngle = from;
    arc->endAngle = to;
    arc->extrusion = n;
    return Add(std::move(arc), 0);
}

bool MetafileReader::ThreePoints(ByteCursor& c, bool arc)
{
    const Vec3 a = P(c), b = P(c), d = P(c);
    if (c.Failed())
        return false;
    // The circle through three points: its centre solves two bisector planes in their plane.
    const Vec3 ab = b - a, ad = d - a;
    const Vec3 n = Cross(ab, ad);
    const double nn = Dot(n, n);
    if (!(nn > 1e-30) || !std::isfinite(nn))
        return true;
    const Vec3 offset = (Cross(n, ab) * Dot(ad, ad) + Cross(ad, n) * Dot(ab, ab)) * (1.0 / (2.0 * nn));
    const Vec3 center = a + offset;
    const double radius = Length(offset);
    if (!arc)
        return Circle(center, radius, n, nullptr, 0.0);
    const Ocs ocs(Normalized(n));
    const Vec3 sa = ToOcs(ocs, a - center), sd = ToOcs(ocs, d - center);
    double sweep = std::atan2(sd.y, sd.x) - std::atan2(sa.y, sa.x);
    if (sweep < 0.0)
        sweep += 2.0 * kPi;
    const Vec3 start = a - center;
    return Circle(center, radius, Normalized(n), &start, sweep);
}

bool MetafileReader::Points(ByteCursor& c, std::uint32_t count, std::vector<Vec3>& points)
{
    if (count > c.Left() / kPointBytes || !m_charge(static_cast<std::uint64_t>(count) * sizeof(PolyVertex)))
        return false;
    points.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        points.push_back(P(c));
    return !c.Failed();
}

bool MetafileReader::Polyline(ByteCursor& c, bool closed, bool withNormal)
{
    std::vector<Vec3> points;
    if (!Points(c, c.RL(), points))
        return false;
    if (withNormal)
        V(c);
    if (points.size() == 2 && !closed) {
        auto line = std::make_unique<Line>();
        line->start = points[0];
        line->end = points[1];
        return Add(std::move(line), 0);
    }
    if (points.size() < 2)
        return true;
    if (closed && m_traits.fill && (points.size() == 3 || points.size() == 4))
        return FilledPolygon(points);
    auto polyline = std::make_unique<RkDb::Polyline>();
    polyline->kind = RkDb::Polyline::Kind::Poly3d;
    polyline->closed = closed;
    for (const Vec3& p : points) {
        PolyVertex v;
        v.position = p;
        polyline->vertices.push_back(v);
    }
    return Add(std::move(polyline), 0);
}

// A filled triangle or quadrilateral (arrowheads, markers) is a SOLID in the polygon's plane;
// larger filled polygons keep their outline.
bool MetafileReader::FilledPolygon(const std::vector<Vec3>& points)
{
    const Vec3 normal = Cross(points[1] - points[0], points[2] - points[0]);
    if (!(Length(normal) > 0.0))
        return true;
    const Vec3 n = Normalized(normal);
    const Ocs ocs(n);
    auto solid = std::make_unique<Solid>();
    // A SOLID's corners go 1, 2, 4, 3 around its outline.
    const Vec3& last = points.back();
    const Vec3 order[4] = {points[0], points[1], last, points[2]};
    for (int i = 0; i < 4; ++i)
        solid->corners[i] = ToOcs(ocs, order[i]);
    solid->extrusion = n;
    return Add(std::move(solid), 0);
}

// An LWPOLYLINE in its own form: read by the DWG reader when there is one and drawn where no
// transform moves it (its coordinates are in its own plane, not the transform's).
bool MetafileReader::Embedded(ByteCursor& c)
{
    const std::uint32_t size = c.RL();
    const std::uint8_t* bytes = c.Bytes(size);
    if (!bytes)
        return false;
    // Each vertex takes at least 8 bytes of the data and 40 of memory.
    if (!m_polyline || m_transforms.size() > 1 || !m_charge(kEntityCost + 5ull * size))
        return true;
    EntityPtr entity = m_polyline(bytes, size);
    auto* polyline = entity ? As<LwPolyline>(*entity) : nullptr;
    if (!polyline)
        return true;
    for (const LwVertex& v : polyline->vertices) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.bulge))
            return true;
    }
    const double thickness = entity->thickness;
    if (!Add(std::move(entity), 0))
        return false;
    if (m_traits.thickness == 0.0)
        m_out.back()->thickness = thickness;
    return true;
}

bool MetafileReader::Mesh(ByteCursor& c)
{
    const std::uint32_t rows = c.RL();
    const std::uint32_t columns = c.RL();
    if (rows == 0 || columns == 0 || rows > c.Left() / kPointBytes / columns)
        return !c.Failed() && (rows == 0 || columns == 0);
    std::vector<Vec3> points;
    if (!Points(c, rows * columns, points))
        return false;
    auto mesh = std::make_unique<RkDb::Polyline>();
    mesh->kind = RkDb::Polyline::Kind::Mesh;
    mesh->meshM = static_cast<std::int32_t>(rows);
    mesh->meshN = static_cast<std::int32_t>(columns);
    for (const Vec3& p : points) {
        PolyVertex v;
        v.position = p;
        v.flags = 64;
        mesh->vertices.push_back(v);
    }
    return Add(std::move(mesh), 0);
}

bool MetafileReader::Shell(ByteCursor& c)
{
    std::vector<Vec3> points;
    if (!Points(c, c.RL(), points))
        return false;
    const std::uint32_t entries = c.RL();
    if (entries > c.Left() / 4)
        return false;
    // Each face: its vertex count (negative for a hole), then that many vertex indices; each
    // is drawn as its closed edge loop.
    for (std::uint32_t read = 0; read < entries;) {
        const std::int32_t signedCount = static_cast<std::int32_t>(c.RL());
        const std::uint32_t count = signedCount < 0 ? 0u - static_cast<std::uint32_t>(signedCount)
                                                    : static_cast<std::uint32_t>(signedCount);
        if (count > entries - read - 1 || !m_charge(static_cast<std::uint64_t>(count) * sizeof(PolyVertex)))
            return false;
        read += 1 + count;
        auto loop = std::make_unique<RkDb::Polyline>();
        loop->kind = RkDb::Polyline::Kind::Poly3d;
        loop->closed = true;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t index = c.RL();
            if (index >= points.size())
                return false;
            PolyVertex v;
            v.position = points[index];
            loop->vertices.push_back(v);
        }
        if (count >= 2 && !Add(std::move(loop), 0))
            return false;
    }
    return !c.Failed();
}

std::string MetafileReader::PaddedText(ByteCursor& c, bool wide)
{
    std::string text;
    const std::uint64_t begin = c.Position();
    for (;;) {
        const std::uint32_t unit = wide ? c.RS() : c.RC();
        if (c.Failed() || unit == 0)
            break;
        if (!wide || unit < 0x80) {
            text += static_cast<char>(unit);
        } else if (unit < 0x800) {
            text += static_cast<char>(0xC0 | (unit >> 6));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (unit >> 12));
            text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    const std::uint64_t used = c.Position() - begin;
    c.Skip((4 - used % 4) % 4);
    return text;
}

bool MetafileReader::Text(ByteCursor& c, std::uint32_t kind)
{
    const Vec3 position = P(c);
    const Vec3 normal = Normalized(V(c));
    const Vec3 direction = V(c);
    const bool wide = kind == kUnicodeText || kind == kUnicodeText2;
    double height = 0.0, width = 1.0, oblique = 0.0;
    std::string value;
    if (kind == kText || kind == kUnicodeText) {
        height = c.RD();
        width = c.RD();
        oblique = c.RD();
        value = PaddedText(c, wide);
    } else {
        value = PaddedText(c, wide);
        c.RL(); // length
        c.RL(); // raw
        height = c.RD();
        width = c.RD();
        oblique = c.RD();
    }
    if (c.Failed())
        return false;
    if (!Finite(position) || !(height > 0.0) || !std::isfinite(height) || value.empty())
        return true;
    const Ocs ocs(normal);
    const Vec3 d = ToOcs(ocs, direction);
    auto text = std::make_unique<RkDb::Text>();
    text->text.insertion = ToOcs(ocs, position);
    text->text.height = height;
    text->text.widthFactor = width > 0.0 && std::isfinite(width) ? width : 1.0;
    text->text.oblique = std::isfinite(oblique) ? oblique : 0.0;
    text->text.rotation = std::atan2(d.y, d.x);
    text->text.value = std::move(value);
    text->extrusion = normal;
    const std::uint64_t bytes = text->text.value.size();
    return Add(std::move(text), bytes);
}

bool MetafileReader::InfiniteLine(ByteCursor& c, bool ray)
{
    const Vec3 a = P(c), b = P(c);
    if (c.Failed())
        return false;
    const Vec3 direction = b - a;
    if (!Finite(a) || !(Length(direction) > 0.0))
        return true;
    if (ray) {
        auto r = std::make_unique<Ray>();
        r->base = a;
        r->direction = Normalized(direction);
        return Add(std::move(r), 0);
    }
    auto x = std::make_unique<XLine>();
    x->base = a;
    x->direction = Normalized(direction);
    return Add(std::move(x), 0);
}

bool MetafileReader::Add(EntityPtr entity, std::uint64_t extraBytes)
{
    if (!m_charge(kEntityCost + extraBytes))
        return false;
    entity->layer = m_traits.layer;
    entity->color = m_traits.color;
    entity->lineType = m_traits.lineType;
    entity->lineWeight = m_traits.lineWeight;
    entity->lineTypeScale = m_traits.lineTypeScale;
    entity->thickness = m_traits.thickness;
    m_out.push_back(std::move(entity));
    return true;
}

} // namespace

bool ProxyGraphics::Decode(const std::uint8_t* data, std::size_t size, const Database& db, const Charge& charge,
                           EntityList& out, const EmbeddedPolyline& polyline)
{
    if (!data)
        return false;
    MetafileReader reader(db, charge, out, polyline);
    return reader.Read(data, size);
}

EntityPtr ProxyGraphics::MakeInsert(Database& db, Handle handle, EntityList entities)
{
    if (entities.empty())
        return nullptr;
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(handle));
    std::string name = std::string("*Proxy") + hex;
    for (int suffix = 1; db.Blocks().Find(name) >= 0; ++suffix)
        name = std::string("*Proxy") + hex + "_" + std::to_string(suffix);
    Block block;
    block.name = name;
    block.handle = handle;
    block.flags = 1; // anonymous
    block.entities = std::move(entities);
    auto insert = std::make_unique<Insert>();
    insert->block = db.Blocks().Add(std::move(block));
    insert->handle = handle;
    return insert;
}

} // namespace RkDb
