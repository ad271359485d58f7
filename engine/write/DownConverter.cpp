#include "engine/write/DownConverter.h"

#include "engine/draw/CurveTessellator.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace RkWrite {
namespace {

using RkDb::Vec3;
using RkDb::Vec2;

constexpr double kPi = 3.14159265358979323846;
// Curves become about this many segments across their size (CurveTessellator bounds each arc).
constexpr double kSegmentsAcross = 200.0;

double PixelsPerUnit(double size)
{
    return size > 1e-12 && std::isfinite(size) ? kSegmentsAcross / size : 1.0;
}

double SizeOf(const std::vector<Vec3>& points)
{
    if (points.empty())
        return 0.0;
    Vec3 lo = points.front(), hi = points.front();
    for (const Vec3& p : points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return RkDb::Length(hi - lo);
}

// The OCS axes of an extrusion (arbitrary-axis algorithm), to place world points in it.
void OcsAxes(const Vec3& extrusion, Vec3& ax, Vec3& ay, Vec3& az)
{
    az = RkDb::Normalized(extrusion);
    if (!(RkDb::Length(az) > 0.5))
        az = {0.0, 0.0, 1.0};
    const double limit = 1.0 / 64.0;
    ax = std::fabs(az.x) < limit && std::fabs(az.y) < limit ? RkDb::Cross({0.0, 1.0, 0.0}, az)
                                                            : RkDb::Cross({0.0, 0.0, 1.0}, az);
    ax = RkDb::Normalized(ax);
    ay = RkDb::Cross(az, ax);
}

// Bulge of an arc edge of sweep from its start to its end.
double BulgeOf(double sweep)
{
    return std::tan(sweep / 4.0);
}

void AddVertex(RkDb::Polyline& pl, const Vec3& p, double bulge)
{
    RkDb::PolyVertex v;
    v.position = p;
    v.bulge = bulge;
    pl.vertices.push_back(v);
}

void AddEdge(RkDb::Polyline& pl, const RkDb::HatchEdge& edge)
{
    using Kind = RkDb::HatchEdge::Kind;
    const double z = pl.elevation;
    switch (edge.kind) {
    case Kind::Line:
        AddVertex(pl, {edge.start.x, edge.start.y, z}, 0.0);
        return;
    case Kind::Arc: {
        double sweep = edge.endAngle - edge.startAngle;
        while (sweep < 0.0) sweep += 2.0 * kPi;
        if (sweep == 0.0) sweep = 2.0 * kPi;
        const double sign = edge.counterClockwise ? 1.0 : -1.0;
        const double start = sign * edge.startAngle;
        const Vec3 p{edge.center.x + edge.radius * std::cos(start),
                     edge.center.y + edge.radius * std::sin(start), z};
        AddVertex(pl, p, sign * BulgeOf(sweep));
        return;
    }
    case Kind::Ellipse: {
        std::vector<Vec3> points;
        const double sign = edge.counterClockwise ? 1.0 : -1.0;
        double end = edge.endAngle;
        while (end <= edge.startAngle) end += 2.0 * kPi;
        const double size = std::hypot(edge.majorAxis.x, edge.majorAxis.y);
        RkDraw::CurveTessellator::Ellipse({edge.center.x, edge.center.y, z},
                                          {edge.majorAxis.x, edge.majorAxis.y, 0.0},
                                          {0.0, 0.0, sign}, edge.ratio, edge.startAngle, end,
                                          PixelsPerUnit(size), points);
        if (!points.empty()) points.pop_back();
        for (const Vec3& p : points) AddVertex(pl, {p.x, p.y, z}, 0.0);
        return;
    }
    case Kind::Spline: {
        std::vector<Vec3> controls, points;
        for (const Vec2& c : edge.controlPoints) controls.push_back({c.x, c.y, z});
        if (RkDraw::CurveTessellator::Spline(edge.degree, edge.knots, controls, edge.weights,
                                             PixelsPerUnit(SizeOf(controls)), points) &&
            !points.empty()) {
            points.pop_back();
            for (const Vec3& p : points) AddVertex(pl, {p.x, p.y, z}, 0.0);
        }
        return;
    }
    }
}

} // namespace

void DownConverter::CopyCommon(const RkDb::Entity& from, RkDb::Entity& to)
{
    to.layer = from.layer;
    to.lineType = from.lineType;
    to.color = from.color;
    to.transparency = from.transparency;
    to.lineWeight = from.lineWeight;
    to.invisible = from.invisible;
    to.lineTypeScale = from.lineTypeScale;
}

std::unique_ptr<RkDb::Polyline> DownConverter::FromLwPolyline(const RkDb::LwPolyline& lw)
{
    auto pl = std::make_unique<RkDb::Polyline>();
    CopyCommon(lw, *pl);
    pl->handle = lw.handle;
    pl->thickness = lw.thickness;
    pl->extrusion = lw.extrusion;
    pl->closed = lw.closed;
    pl->plinegen = lw.plinegen;
    pl->elevation = lw.elevation;
    pl->defaultStartWidth = pl->defaultEndWidth = lw.constantWidth;
    for (const RkDb::LwVertex& v : lw.vertices) {
        RkDb::PolyVertex pv;
        pv.position = {v.x, v.y, lw.elevation};
        pv.startWidth = v.startWidth != 0.0 ? v.startWidth : lw.constantWidth;
        pv.endWidth = v.endWidth != 0.0 ? v.endWidth : lw.constantWidth;
        pv.bulge = v.bulge;
        pl->vertices.push_back(pv);
    }
    return pl;
}

std::unique_ptr<RkDb::Polyline> DownConverter::Through(const RkDb::Entity& source,
                                                       const std::vector<Vec3>& points, bool closed)
{
    auto pl = std::make_unique<RkDb::Polyline>();
    CopyCommon(source, *pl);
    pl->kind = RkDb::Polyline::Kind::Poly3d;
    pl->closed = closed;
    for (const Vec3& p : points) {
        RkDb::PolyVertex v;
        v.position = p;
        v.flags = 32;
        pl->vertices.push_back(v);
    }
    return pl;
}

std::unique_ptr<RkDb::Polyline> DownConverter::FromEllipse(const RkDb::Ellipse& e)
{
    std::vector<Vec3> points;
    double end = e.endParam;
    while (end <= e.startParam) end += 2.0 * kPi;
    const bool full = end - e.startParam >= 2.0 * kPi - 1e-9;
    RkDraw::CurveTessellator::Ellipse(e.center, e.majorAxis, e.extrusion, e.ratio, e.startParam,
                                      end, PixelsPerUnit(2.0 * RkDb::Length(e.majorAxis)), points);
    if (full && points.size() > 1)
        points.pop_back();
    return Through(e, points, full);
}

std::unique_ptr<RkDb::Polyline> DownConverter::FromSpline(const RkDb::Entity& source,
                                                          const RkDb::SplineData& s)
{
    std::vector<Vec3> points;
    const bool curve = RkDraw::CurveTessellator::Spline(s.degree, s.knots, s.controlPoints,
                                                        s.weights,
                                                        PixelsPerUnit(SizeOf(s.controlPoints)), points);
    if (!curve || points.size() < 2) {
        if (s.fitPoints.size() < 2)
            return nullptr;
        points = s.fitPoints;
    }
    return Through(source, points, false);
}

DownConverter::Polylines DownConverter::FromHatch(const RkDb::Hatch& hatch)
{
    Polylines out;
    for (const RkDb::HatchLoop& loop : hatch.loops) {
        auto pl = std::make_unique<RkDb::Polyline>();
        CopyCommon(hatch, *pl);
        pl->extrusion = hatch.extrusion;
        pl->elevation = hatch.elevation;
        pl->closed = true;
        if ((loop.flags & 2) != 0 || loop.edges.empty()) {
            for (std::size_t i = 0; i < loop.polyline.size(); ++i) {
                const Vec2& p = loop.polyline[i];
                AddVertex(*pl, {p.x, p.y, hatch.elevation},
                          i < loop.bulges.size() ? loop.bulges[i] : 0.0);
            }
            pl->closed = loop.closed;
        } else {
            for (const RkDb::HatchEdge& edge : loop.edges)
                AddEdge(*pl, edge);
        }
        if (pl->vertices.size() >= 2)
            out.push_back(std::move(pl));
    }
    return out;
}

std::unique_ptr<RkDb::Polyline> DownConverter::FromMesh(const RkDb::Mesh& mesh)
{
    // The polyface counts its vertices and faces in 16 bits.
    constexpr std::size_t kMost = 32767;
    auto pl = std::make_unique<RkDb::Polyline>();
    CopyCommon(mesh, *pl);
    pl->kind = RkDb::Polyline::Kind::PolyFace;
    const std::size_t count = mesh.vertices.size();
    if (count == 0 || count > kMost)
        return nullptr;
    for (const Vec3& p : mesh.vertices) {
        RkDb::PolyVertex v;
        v.position = p;
        v.flags = 128 | 64;
        pl->vertices.push_back(v);
    }
    const auto valid = [count](std::int32_t index) { return index >= 0 && static_cast<std::size_t>(index) < count; };
    std::size_t faces = 0;
    for (const std::vector<std::int32_t>& face : mesh.faces) {
        if (face.size() < 3 || !std::all_of(face.begin(), face.end(), valid))
            continue;
        // Records of up to four 1-based corners; a negative one starts a hidden edge.
        const auto record = [&pl, &faces](std::array<std::int32_t, 4> corners) {
            RkDb::PolyVertex v;
            v.flags = 128;
            std::copy(corners.begin(), corners.end(), v.faceIndex);
            pl->vertices.push_back(v);
            ++faces;
        };
        const std::size_t n = face.size();
        if (n <= 4) {
            record({face[0] + 1, face[1] + 1, face[2] + 1, n == 4 ? face[3] + 1 : 0});
            continue;
        }
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const std::int32_t a = face[0] + 1, b = face[i] + 1, c = face[i + 1] + 1;
            record({i == 1 ? a : -a, b, i + 2 == n ? c : -c, 0});
        }
    }
    if (faces == 0 || faces > kMost)
        return nullptr;
    pl->meshM = static_cast<std::int32_t>(count);
    pl->meshN = static_cast<std::int32_t>(faces);
    return pl;
}

DownConverter::Polylines DownConverter::FromMLine(const RkDb::MLine& mline)
{
    Polylines out;
    std::size_t elements = mline.elements.size();
    for (const RkDb::MLineVertex& v : mline.vertices)
        elements = std::max(elements, v.offsets.size());
    elements = std::min<std::size_t>(elements, 16);
    for (std::size_t i = 0; i < elements; ++i) {
        std::vector<Vec3> points;
        for (const RkDb::MLineVertex& v : mline.vertices) {
            const double offset = i < v.offsets.size() ? v.offsets[i] : 0.0;
            points.push_back(v.position + v.miter * offset);
        }
        if (points.size() < 2)
            continue;
        auto pl = Through(mline, points, mline.closed);
        if (i < mline.elements.size()) {
            if (!mline.elements[i].color.IsByLayer()) pl->color = mline.elements[i].color;
        }
        out.push_back(std::move(pl));
    }
    return out;
}

std::vector<std::string> DownConverter::PlainLines(const std::string& contents)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < contents.size() && lines.size() < 10000; ++i) {
        const char c = contents[i];
        if (c == '{' || c == '}')
            continue;
        if (c != '\\' || i + 1 >= contents.size()) {
            lines.back() += c;
            continue;
        }
        const char code = contents[++i];
        switch (code) {
        case 'P': lines.emplace_back(); break;
        case '~': lines.back() += ' '; break;
        case '\\': case '{': case '}': lines.back() += code; break;
        case 'S': {
            // A stacked fraction a^b, a/b or a#b up to ';' is written a/b.
            const std::size_t end = contents.find(';', i);
            std::string stacked = contents.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            std::replace(stacked.begin(), stacked.end(), '^', '/');
            std::replace(stacked.begin(), stacked.end(), '#', '/');
            lines.back() += stacked;
            i = end == std::string::npos ? contents.size() : end;
            break;
        }
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': case 'N': break;
        default: {
            // Codes with a value end at ';' (font, height, colour, width, tracking, ...).
            const std::size_t end = contents.find(';', i);
            i = end == std::string::npos ? contents.size() : end;
            break;
        }
        }
    }
    return lines;
}

std::vector<std::unique_ptr<RkDb::Text>> DownConverter::FromMText(const RkDb::MText& mtext)
{
    std::vector<std::unique_ptr<RkDb::Text>> out;
    const std::vector<std::string> lines = PlainLines(mtext.contents);
    Vec3 ax, ay, az;
    OcsAxes(mtext.extrusion, ax, ay, az);
    // The text's x direction in its OCS gives the rotation.
    const double rotation = std::atan2(RkDb::Dot(mtext.xDirection, ay), RkDb::Dot(mtext.xDirection, ax));
    const double h = mtext.height > 0.0 ? mtext.height : 1.0;
    const double step = h * (mtext.lineSpacing > 0.0 ? mtext.lineSpacing : 1.0) * 5.0 / 3.0;
    const int column = (std::clamp<int>(mtext.attachment, 1, 9) - 1) % 3;
    const int row = (std::clamp<int>(mtext.attachment, 1, 9) - 1) / 3;
    const double total = h + step * static_cast<double>(lines.size() - 1);
    const double firstDrop = h - (row == 1 ? total / 2.0 : row == 2 ? total : 0.0);
    const Vec3 base{RkDb::Dot(mtext.insertion, ax), RkDb::Dot(mtext.insertion, ay),
                    RkDb::Dot(mtext.insertion, az)};
    const Vec3 down{std::sin(rotation), -std::cos(rotation), 0.0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        auto text = std::make_unique<RkDb::Text>();
        CopyCommon(mtext, *text);
        text->extrusion = az;
        RkDb::TextData& t = text->text;
        t.insertion = base + down * (firstDrop + step * static_cast<double>(i));
        t.alignment = t.insertion;
        t.hasAlignment = column != 0;
        t.hAlign = static_cast<std::uint8_t>(column);
        t.height = h;
        t.rotation = rotation;
        t.style = mtext.style;
        t.value = lines[i];
        out.push_back(std::move(text));
    }
    return out;
}

} // namespace RkWrite
