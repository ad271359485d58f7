#include "engine/draw/EntityPainter.h"

#include "engine/draw/CurveTessellator.h"
#include "engine/draw/HatchPainter.h"
#include "engine/draw/ModelPainter.h"
#include "engine/draw/RasterPainter.h"
#include "engine/draw/ShapeSource.h"
#include "engine/draw/TextPainter.h"

#include <algorithm>
#include <utility>
#include <cmath>
#include <functional>

namespace RkDraw {

using namespace RkDb;

namespace {
constexpr double kTwoPi = 6.283185307179586;
// A dash pattern finer than this many pixels per period is drawn as a continuous line.
constexpr double kMinDashPeriod = 4.0;
// Dashes shown per stroke beyond which the line is drawn continuous (a pattern far too fine to
// see).
constexpr double kMaxDashesPerStroke = 20000.0;
// What a dash costs the sink: a call of two points.
constexpr double kWorkPerDash = 4.0;
}

EntityPainter::EntityPainter(const Database& db, DrawSink& sink, const RenderOptions& options)
    : m_db(db), m_sink(sink), m_options(options)
{
}

void EntityPainter::SetTransform(const Matrix3d& toDevice)
{
    m_toDevice = toDevice;
    m_ppu = toDevice.PlanarScale();
    if (!std::isfinite(m_ppu))
        m_ppu = 1.0;
}

void EntityPainter::SetLineType(const LineType* lineType, double scale)
{
    m_dashes.clear();
    m_dashPeriod = 0.0;
    m_lineType = nullptr;
    m_elementsShown = false;
    if (!lineType || lineType->elements.size() < 2)
        return;
    double period = 0.0;
    for (const LineTypeElement& e : lineType->elements)
        period += std::fabs(e.length) * scale * m_ppu;
    if (!(period >= kMinDashPeriod) || !std::isfinite(period))
        return;
    for (const LineTypeElement& e : lineType->elements)
        m_dashes.push_back(e.length * scale * m_ppu);
    m_dashPeriod = period;
    m_lineType = lineType;
    m_dashScale = scale * m_ppu;
    m_elementsShown = std::any_of(lineType->elements.begin(), lineType->elements.end(),
                                  [](const LineTypeElement& e) { return e.kind != LineTypeElement::Kind::Plain; });
}

void EntityPainter::SetDeviceSize(int width, int height)
{
    m_width = width;
    m_height = height;
    m_sink.SetDeviceSize(width, height);
}

void EntityPainter::SetMeasuring(bool measuring)
{
    m_measuring = measuring;
    m_sink.SetCountPixels(!measuring);
}

void EntityPainter::SetPen(std::uint32_t rgb, double width)
{
    m_rgb = rgb;
    m_penWidth = width;
    m_sink.SetPen(rgb, width);
}

DevPoint EntityPainter::ToDevice(const Vec3& p) const
{
    const Vec3 d = m_toDevice.Apply(p);
    return {d.x, d.y};
}

bool EntityPainter::OffDevice(const std::vector<DevPoint>& points) const
{
    if (m_measuring)
        return false;
    double minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
    for (const DevPoint& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const double margin = m_penWidth + 2.0;
    // NaN coordinates fail every comparison and count as off the device.
    return !(maxX >= -margin && minX <= m_width + margin && maxY >= -margin &&
             minY <= m_height + margin);
}

void EntityPainter::Stroke(const std::vector<Vec3>& points, bool closed)
{
    if (points.size() < 2 || OverAllowance())
        return;
    m_extraWork += points.size();
    m_device.clear();
    m_device.reserve(points.size() + 1);
    for (const Vec3& p : points)
        m_device.push_back(ToDevice(p));
    if (closed)
        m_device.push_back(m_device.front());
    StrokeDevice(m_device);
}

void EntityPainter::StrokeDevice(std::vector<DevPoint>& points)
{
    if (points.size() < 2 || OverAllowance() || OffDevice(points))
        return;
    // The extents of a dashed line are the line's.
    if (m_dashes.empty() || m_measuring) {
        m_sink.Polyline(points.data(), static_cast<int>(points.size()));
        return;
    }
    Dash(points);
}

bool EntityPainter::ClipToDevice(DevPoint a, DevPoint b, double& from, double& to) const
{
    const double margin = m_penWidth + 2.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x + margin, m_width + margin - a.x, a.y + margin, m_height + margin - a.y};
    from = 0.0;
    to = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (!(q[i] >= 0.0))
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0)
            from = std::max(from, r);
        else
            to = std::min(to, r);
    }
    return from < to;
}

// The dash pattern walked along a polyline: it starts at the first vertex and runs on across
// vertices. Only what shows is cut into dashes; along the parts off the device the pattern just
// moves on, so a line reaching far beyond a zoomed-in view costs its visible dashes only. Each
// element that starts where the line shows is handed to onElement (its text or shape).
class DashWalk
{
public:
    using ElementAt = std::function<void(std::size_t element, DevPoint a, double dx, double dy)>;

    DashWalk(const std::vector<double>& dashes, double period, DrawSink& sink, ElementAt onElement)
        : m_dashes(dashes), m_period(period), m_sink(sink), m_onElement(std::move(onElement)),
          m_left(std::fabs(dashes[0])), m_drawing(dashes[0] >= 0.0)
    {
    }

    // Moves the pattern on by a length that is not shown.
    void Skip(double length)
    {
        if (!(length > 1e-9))
            return;
        EndRun();
        m_atStart = false;
        if (length < m_left) {
            m_left -= length;
            return;
        }
        // Whole periods bring the pattern back where it was.
        length = std::fmod(length - m_left, m_period);
        Next();
        while ((m_left == 0.0 && length > 0.0) || (m_left > 0.0 && length >= m_left)) {
            length -= m_left;       // a dash, a gap or a dot passed over
            Next();
        }
        m_left -= length;
        m_started = false;
    }

    // Walks from a to b on the device, drawing the dashes.
    void Walk(DevPoint a, const DevPoint& b)
    {
        double segment = std::hypot(b.x - a.x, b.y - a.y);
        const double dx = b.x - a.x, dy = b.y - a.y;
        if (!m_started) {
            m_started = true;
            if (m_drawing)
                m_run.push_back(a);
        }
        if (m_atStart && segment > 1e-9) {
            m_atStart = false;
            if (m_onElement)
                m_onElement(0, a, dx, dy);
        }
        while (segment > 1e-9) {
            const double step = std::min(m_left, segment);
            const double t = step / segment;
            a = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
            segment -= step;
            m_left -= step;
            if (m_left > 1e-9)
                continue;
            if (m_drawing && m_dashes[m_element] == 0.0) {
                m_sink.Dot(a);             // a line of no length would show nothing
            } else if (m_drawing) {
                m_run.push_back(a);
                m_sink.Polyline(m_run.data(), static_cast<int>(m_run.size()));
            }
            m_run.clear();
            Next();
            if (m_onElement)
                m_onElement(m_element, a, dx, dy);
            if (m_drawing)
                m_run.push_back(a);
        }
        if (m_drawing && !m_run.empty())
            m_run.push_back(b);
    }

    void EndRun()
    {
        // A dash that the line's end (or the device's edge) cuts to nothing is left out.
        const bool empty = m_run.size() == 2 && m_run[0].x == m_run[1].x && m_run[0].y == m_run[1].y;
        if (m_drawing && m_run.size() >= 2 && !empty)
            m_sink.Polyline(m_run.data(), static_cast<int>(m_run.size()));
        m_run.clear();
    }

private:
    void Next()
    {
        m_element = (m_element + 1) % m_dashes.size();
        m_left = std::fabs(m_dashes[m_element]);
        m_drawing = m_dashes[m_element] >= 0.0;
    }

    const std::vector<double>& m_dashes;
    const double m_period;
    DrawSink& m_sink;
    const ElementAt m_onElement;
    std::size_t m_element = 0;
    double m_left;
    bool m_drawing;
    bool m_started = false;
    bool m_atStart = true;
    std::vector<DevPoint> m_run;
};

void EntityPainter::Dash(const std::vector<DevPoint>& points)
{
    // The dashes that show, against what a stroke may cost and what the entity has left.
    double shown = 0.0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        double from = 0.0, to = 0.0;
        if (ClipToDevice(points[i - 1], points[i], from, to))
            shown += std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y) * (to - from);
    }
    const double dashes = shown / m_dashPeriod * static_cast<double>(m_dashes.size());
    const double room = static_cast<double>(m_allowance - WorkDone()) / kWorkPerDash;
    if (!(dashes <= kMaxDashesPerStroke) || !(dashes <= room)) {
        m_sink.Polyline(points.data(), static_cast<int>(points.size()));
        return;
    }
    DashWalk::ElementAt onElement;
    if (m_elementsShown)
        onElement = [this](std::size_t element, DevPoint a, double dx, double dy) { PaintElement(element, a, dx, dy); };
    DashWalk walk(m_dashes, m_dashPeriod, m_sink, onElement);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const DevPoint a = points[i - 1], b = points[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        double from = 0.0, to = 0.0;
        if (!std::isfinite(length) || !ClipToDevice(a, b, from, to)) {
            walk.Skip(length);
            continue;
        }
        const auto at = [&a, &b](double t) { return DevPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
        walk.Skip(length * from);
        walk.Walk(at(from), to < 1.0 ? at(to) : b);
        walk.Skip(length * (1.0 - to));
    }
    walk.EndRun();
}

void EntityPainter::PaintElement(std::size_t element, DevPoint a, double dx, double dy)
{
    if (!m_lineType || element >= m_lineType->elements.size())
        return;
    const LineTypeElement& e = m_lineType->elements[element];
    const double length = std::hypot(dx, dy);
    if (e.kind == LineTypeElement::Kind::Plain || !(length > 0))
        return;
    // Along the line and across it (to its left) on the device, whose y runs downwards.
    const double ux = dx / length, uy = dy / length;
    const double k = m_dashScale;
    const DevPoint origin{a.x + (ux * e.offset.x + uy * e.offset.y) * k,
                          a.y + (uy * e.offset.x - ux * e.offset.y) * k};
    double angle = e.rotation;
    if (e.absoluteRotation) {
        const DevPoint o = ToDevice({0, 0, 0}), x = ToDevice({1, 0, 0});
        angle += std::atan2(-(x.y - o.y), x.x - o.x);
    } else {
        angle += std::atan2(-uy, ux);
    }
    if (e.kind == LineTypeElement::Kind::Shape) {
        PaintElementShape(e, origin, angle, e.scale * k);
        return;
    }
    if (e.text.empty())
        return;
    const auto& styles = m_db.TextStyles();
    // The scale is the text's height when its style has none of its own.
    const double styleHeight = styles.Valid(e.style) && styles[e.style].fixedHeight > 0
                                   ? styles[e.style].fixedHeight : 1.0;
    TextRun run = TextPainter(*this).StyledRun(e.text, e.style, e.scale * styleHeight * k);
    if (!(run.height >= MinTextHeight()) || !(run.height < 100000.0))
        return;
    run.origin = origin;
    run.angle = angle;
    m_extraWork += run.utf8.size() + 16;
    m_sink.Text(run);
}

void EntityPainter::PaintElementShape(const LineTypeElement& e, DevPoint origin, double angle, double scale)
{
    const auto& styles = m_db.TextStyles();
    if (!m_options.shapes || !styles.Valid(e.style) || !(scale * 2.0 >= MinTextHeight()))
        return;
    std::vector<std::vector<Vec2>> strokes;
    if (!m_options.shapes->Strokes(styles[e.style].fontFile, e.shapeNumber, strokes))
        return;
    const double c = std::cos(angle) * scale, s = std::sin(angle) * scale;
    std::vector<DevPoint> device;
    for (const std::vector<Vec2>& stroke : strokes) {
        device.clear();
        // Shape units turned by the angle (counter-clockwise on the screen, whose y runs down).
        for (const Vec2& p : stroke)
            device.push_back({origin.x + p.x * c - p.y * s, origin.y - (p.x * s + p.y * c)});
        m_extraWork += device.size();
        if (device.size() == 1)
            m_sink.Dot(device[0]);
        else if (device.size() > 1)
            m_sink.Polyline(device.data(), static_cast<int>(device.size()));
    }
}

void EntityPainter::DotAt(const Vec3& p)
{
    const DevPoint d = ToDevice(p);
    const double margin = m_penWidth + 2.0;
    if (m_measuring || (d.x >= -margin && d.x <= m_width + margin && d.y >= -margin && d.y <= m_height + margin))
        m_sink.Dot(d);
}

void EntityPainter::Fill(const std::vector<std::vector<Vec3>>& rings)
{
    if (OverAllowance())
        return;
    std::vector<DevPoint> points;
    std::vector<int> counts;
    for (const std::vector<Vec3>& ring : rings) {
        if (ring.size() < 3)
            continue;
        for (const Vec3& p : ring)
            points.push_back(ToDevice(p));
        counts.push_back(static_cast<int>(ring.size()));
    }
    m_extraWork += points.size();
    if (counts.empty() || OffDevice(points))
        return;
    m_sink.Polygons(points.data(), counts.data(), static_cast<int>(counts.size()));
}

void EntityPainter::Paint(const Entity& e)
{
    m_extraWork = 0;
    m_sinkWorkBefore = m_sink.Work();
    m_points.clear();
    switch (e.type) {
    case EntityType::Line: PaintLine(static_cast<const Line&>(e)); break;
    case EntityType::Point: PaintPoint(static_cast<const Point&>(e)); break;
    case EntityType::Circle: PaintCircle(static_cast<const Circle&>(e)); break;
    case EntityType::Arc: PaintArc(static_cast<const Arc&>(e)); break;
    case EntityType::Ellipse: PaintEllipse(static_cast<const Ellipse&>(e)); break;
    case EntityType::Ray: {
        const auto& r = static_cast<const Ray&>(e);
        PaintInfinite(r.base, r.direction, false);
        break;
    }
    case EntityType::XLine: {
        const auto& x = static_cast<const XLine&>(e);
        PaintInfinite(x.base, x.direction, true);
        break;
    }
    case EntityType::LwPolyline: PaintLwPolyline(static_cast<const LwPolyline&>(e)); break;
    case EntityType::Polyline: PaintPolyline(static_cast<const Polyline&>(e)); break;
    case EntityType::Spline: PaintSpline(static_cast<const Spline&>(e)); break;
    case EntityType::Text:
        TextPainter(*this).PaintText(static_cast<const Text&>(e).text);
        break;
    case EntityType::Attribute: {
        const auto& a = static_cast<const Attribute&>(e);
        if (!(a.flags & kAttInvisible) || m_db.Header().attMode == 2)
            TextPainter(*this).PaintText(a.text);
        break;
    }
    case EntityType::AttributeDefinition: break;    // shown by the attributes of inserts
    case EntityType::MText: TextPainter(*this).PaintMText(static_cast<const MText&>(e)); break;
    case EntityType::Hatch: HatchPainter(*this).Paint(static_cast<const Hatch&>(e)); break;
    case EntityType::Solid: PaintCorners(static_cast<const Solid&>(e).corners, true); break;
    case EntityType::Trace: PaintCorners(static_cast<const Trace&>(e).corners, true); break;
    case EntityType::Face3d: PaintFace3d(static_cast<const Face3d&>(e)); break;
    case EntityType::Leader: PaintLeader(static_cast<const Leader&>(e)); break;
    case EntityType::MLeader: PaintMLeaderLines(static_cast<const MLeader&>(e)); break;
    case EntityType::MLine: PaintMLine(static_cast<const MLine&>(e)); break;
    case EntityType::Image: RasterPainter(*this).PaintImage(static_cast<const Image&>(e)); break;
    case EntityType::Wipeout: PaintRasterFrame(static_cast<const Wipeout&>(e).frame); break;
    case EntityType::Helix: PaintSpline(static_cast<const Helix&>(e)); break;
    case EntityType::AcisSolid: ModelPainter(*this).PaintAcisSolid(static_cast<const AcisSolid&>(e)); break;
    case EntityType::Mesh: ModelPainter(*this).PaintMesh(static_cast<const Mesh&>(e)); break;
    case EntityType::Tolerance: ModelPainter(*this).PaintTolerance(static_cast<const Tolerance&>(e)); break;
    case EntityType::Shape: ModelPainter(*this).PaintShape(static_cast<const Shape&>(e)); break;
    case EntityType::Underlay: ModelPainter(*this).PaintUnderlay(static_cast<const Underlay&>(e)); break;
    case EntityType::OleFrame: RasterPainter(*this).PaintOleFrame(static_cast<const OleFrame&>(e)); break;
    case EntityType::Insert:
    case EntityType::Dimension:
    case EntityType::Viewport:
        break;      // DrawingRenderer
    }
}

void EntityPainter::PaintLine(const Line& e)
{
    m_device.clear();
    m_device.push_back(ToDevice(e.start));
    m_device.push_back(ToDevice(e.end));
    StrokeDevice(m_device);
}

void EntityPainter::PaintPoint(const Point& e)
{
    const int mode = m_options.pointMode >= 0 ? m_options.pointMode : m_db.Header().pdMode;
    const DevPoint c = ToDevice(e.position);
    if (m_measuring) {
        // $PDMODE 1 draws nothing: such points (the definition points of dimensions, often far
        // from the drawing) take no room.
        if (mode != 1)
            m_sink.Dot(c);
        return;
    }
    if (!(c.x >= -20 && c.x <= m_width + 20 && c.y >= -20 && c.y <= m_height + 20))
        return;
    double size = m_options.pointMode >= 0 ? m_options.pointSize : m_db.Header().pdSize;
    // $PDSIZE: positive in drawing units, negative a percentage of the view, 0 five per cent.
    const double pixels = size > 0 ? size * m_ppu
                                   : (size < 0 ? -size / 100.0 : 0.05) * m_height;
    const double h = std::clamp(pixels, 2.0, 4096.0) / 2.0;
    const int shape = mode & 7;
    if (shape == 0)
        m_sink.Dot(c);
    auto segment = [this](DevPoint a, DevPoint b) {
        DevPoint pts[2] = {a, b};
        m_sink.Polyline(pts, 2);
    };
    if (shape == 2) {
        segment({c.x - h, c.y}, {c.x + h, c.y});
        segment({c.x, c.y - h}, {c.x, c.y + h});
    } else if (shape == 3) {
        segment({c.x - h, c.y - h}, {c.x + h, c.y + h});
        segment({c.x - h, c.y + h}, {c.x + h, c.y - h});
    } else if (shape == 4) {
        segment(c, {c.x, c.y - h});
    }
    if (mode & 32) {
        std::vector<DevPoint> ring;
        for (int i = 0; i <= 24; ++i)
            ring.push_back({c.x + h * std::cos(kTwoPi * i / 24), c.y + h * std::sin(kTwoPi * i / 24)});
        m_sink.Polyline(ring.data(), static_cast<int>(ring.size()));
    }
    if (mode & 64) {
        DevPoint square[5] = {{c.x - h, c.y - h}, {c.x + h, c.y - h}, {c.x + h, c.y + h},
                              {c.x - h, c.y + h}, {c.x - h, c.y - h}};
        m_sink.Polyline(square, 5);
    }
}

void EntityPainter::PaintCircle(const Circle& e)
{
    m_points.clear();
    CurveTessellator::Arc(e.center, e.radius, 0.0, kTwoPi, m_ppu, m_points);
    Stroke(m_points, false);
}

void EntityPainter::PaintArc(const Arc& e)
{
    m_points.clear();
    CurveTessellator::Arc(e.center, e.radius, e.startAngle, e.endAngle, m_ppu, m_points);
    Stroke(m_points, false);
}

void EntityPainter::PaintEllipse(const Ellipse& e)
{
    m_points.clear();
    CurveTessellator::Ellipse(e.center, e.majorAxis, e.extrusion, e.ratio, e.startParam,
                              e.endParam, m_ppu, m_points);
    Stroke(m_points, false);
}

bool EntityPainter::InfiniteBases(DevPoint& min, DevPoint& max) const
{
    min = m_infiniteMin;
    max = m_infiniteMax;
    return m_hasInfiniteBases;
}

void EntityPainter::PaintInfinite(const Vec3& base, const Vec3& direction, bool bothWays)
{
    const DevPoint a = ToDevice(base);
    if (m_measuring) {
        if (!std::isfinite(a.x) || !std::isfinite(a.y))
            return;
        if (!m_hasInfiniteBases)
            m_infiniteMin = m_infiniteMax = a;
        m_infiniteMin = {std::min(m_infiniteMin.x, a.x), std::min(m_infiniteMin.y, a.y)};
        m_infiniteMax = {std::max(m_infiniteMax.x, a.x), std::max(m_infiniteMax.y, a.y)};
        m_hasInfiniteBases = true;
        return;
    }
    const DevPoint b = ToDevice(base + Normalized(direction));
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (!(std::hypot(dx, dy) > 1e-12) || !std::isfinite(dx) || !std::isfinite(dy))
        return;
    // Clipped to the device (with the pen's margin): the part that shows, in coordinates any
    // device takes, wherever the base point lies.
    const double margin = m_penWidth + 2.0;
    double from = bothWays ? -HUGE_VAL : 0.0, to = HUGE_VAL;
    const double edges[4][2] = {{-dx, a.x + margin}, {dx, m_width + margin - a.x},
                                {-dy, a.y + margin}, {dy, m_height + margin - a.y}};
    for (const auto& edge : edges) {
        const double p = edge[0], q = edge[1];
        if (p == 0.0) {
            if (q < 0.0)
                return;         // parallel to this edge and outside it
            continue;
        }
        const double t = q / p;
        if (p < 0.0)
            from = std::max(from, t);
        else
            to = std::min(to, t);
    }
    if (!(from < to) || !std::isfinite(from) || !std::isfinite(to))
        return;
    m_device.clear();
    m_device.push_back({a.x + dx * from, a.y + dy * from});
    m_device.push_back({a.x + dx * to, a.y + dy * to});
    StrokeDevice(m_device);
}

bool EntityPainter::PaintWide(const std::vector<WideSegment>& segments)
{
    double widest = 0.0;
    bool varying = false;
    for (const WideSegment& s : segments) {
        widest = std::max({widest, s.startWidth, s.endWidth});
        varying = varying || s.startWidth != s.endWidth || s.startWidth != segments.front().startWidth;
    }
    if (!varying || !(widest * m_ppu > 1.5) || !std::isfinite(widest))
        return false;
    std::vector<Vec3> path, ring;
    std::vector<double> along;
    for (const WideSegment& s : segments) {
        path.clear();
        CurveTessellator::Bulge(s.a, s.b, s.bulge, m_ppu, path);
        path.push_back(s.b);
        along.assign(1, 0.0);
        for (std::size_t i = 1; i < path.size(); ++i)
            along.push_back(along.back() + Length(path[i] - path[i - 1]));
        if (!(along.back() > 1e-12))
            continue;
        ring.assign(2 * path.size(), Vec3{});
        for (std::size_t i = 0; i < path.size(); ++i) {
            // Across the path: the normal of the chord through the neighbours.
            const Vec3 d = path[std::min(i + 1, path.size() - 1)] - path[i > 0 ? i - 1 : 0];
            const double len = std::hypot(d.x, d.y);
            const double half =
                (s.startWidth + (s.endWidth - s.startWidth) * along[i] / along.back()) / 2.0;
            const Vec3 n = len > 0 ? Vec3{-d.y / len * half, d.x / len * half, 0.0} : Vec3{};
            ring[i] = path[i] + n;
            ring[ring.size() - 1 - i] = path[i] - n;
        }
        m_extraWork += ring.size();
        Fill({ring});
    }
    return true;
}

void EntityPainter::PaintLwPolyline(const LwPolyline& e)
{
    const std::size_t n = e.vertices.size();
    if (n == 0)
        return;
    const auto widths = [&e](const LwVertex& v) {
        return std::make_pair(v.startWidth > 0 ? v.startWidth : e.constantWidth,
                              v.endWidth > 0 ? v.endWidth : e.constantWidth);
    };
    // Most polylines have no width, or one width throughout: they need no bands.
    const auto first = widths(e.vertices[0]);
    const bool varying = first.first != first.second ||
                         std::any_of(e.vertices.begin(), e.vertices.end(),
                                     [&](const LwVertex& v) { return widths(v) != first; });
    if (varying) {
        std::vector<WideSegment> wide;
        for (std::size_t i = 0; i + 1 < n || (e.closed && i < n); ++i) {
            const LwVertex& v = e.vertices[i];
            const LwVertex& w = e.vertices[(i + 1) % n];
            const auto [from, to] = widths(v);
            wide.push_back({{v.x, v.y, e.elevation}, {w.x, w.y, e.elevation}, v.bulge, from, to});
        }
        if (PaintWide(wide))
            return;
    }
    m_points.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const LwVertex& v = e.vertices[i];
        const bool last = i + 1 == n;
        const Vec3 a{v.x, v.y, e.elevation};
        if (last && !e.closed) {
            m_points.push_back(a);
            break;
        }
        const LwVertex& w = e.vertices[last ? 0 : i + 1];
        CurveTessellator::Bulge(a, {w.x, w.y, e.elevation}, v.bulge, m_ppu, m_points);
    }
    if (e.closed)
        m_points.push_back(m_points.front());
    const double width = e.constantWidth > 0 ? e.constantWidth : e.vertices[0].startWidth;
    if (width > 0 && width * m_ppu > 1.5) {
        const std::uint32_t rgb = m_rgb;
        const double old = m_penWidth;
        SetPen(rgb, width * m_ppu);
        Stroke(m_points, false);
        SetPen(rgb, old);
        return;
    }
    Stroke(m_points, false);
}

void EntityPainter::PaintPolyline(const Polyline& e)
{
    if (e.kind == Polyline::Kind::Mesh) {
        PaintMesh(e);
        return;
    }
    if (e.kind == Polyline::Kind::PolyFace) {
        PaintPolyFace(e);
        return;
    }
    const std::size_t n = e.vertices.size();
    if (n == 0)
        return;
    const bool flat = e.kind == Polyline::Kind::Flat2d;
    const auto wider = [](const PolyVertex& v) { return v.startWidth > 0 || v.endWidth > 0; };
    if (flat && (e.defaultStartWidth > 0 || e.defaultEndWidth > 0 ||
                 std::any_of(e.vertices.begin(), e.vertices.end(), wider))) {
        std::vector<WideSegment> wide;
        for (std::size_t i = 0; i + 1 < n || (e.closed && i < n); ++i) {
            const PolyVertex& v = e.vertices[i];
            const PolyVertex& w = e.vertices[(i + 1) % n];
            wide.push_back({{v.position.x, v.position.y, e.elevation},
                            {w.position.x, w.position.y, e.elevation}, v.bulge,
                            v.startWidth > 0 ? v.startWidth : e.defaultStartWidth,
                            v.endWidth > 0 ? v.endWidth : e.defaultEndWidth});
        }
        if (PaintWide(wide))
            return;
    }
    m_points.clear();
    for (std::size_t i = 0; i < n; ++i) {
        Vec3 a = e.vertices[i].position;
        if (flat)
            a.z = e.elevation;
        const bool last = i + 1 == n;
        if (last && !e.closed) {
            m_points.push_back(a);
            break;
        }
        Vec3 b = e.vertices[last ? 0 : i + 1].position;
        if (flat)
            b.z = e.elevation;
        CurveTessellator::Bulge(a, b, flat ? e.vertices[i].bulge : 0.0, m_ppu, m_points);
    }
    if (e.closed)
        m_points.push_back(m_points.front());
    Stroke(m_points, false);
}

void EntityPainter::PaintMesh(const Polyline& e)
{
    const std::int64_t m = e.meshM, n = e.meshN;
    if (m < 1 || n < 1 || m * n > static_cast<std::int64_t>(e.vertices.size()))
        return;
    std::vector<Vec3> line;
    for (std::int64_t i = 0; i < m; ++i) {
        line.clear();
        for (std::int64_t j = 0; j < n; ++j)
            line.push_back(e.vertices[static_cast<std::size_t>(i * n + j)].position);
        Stroke(line, e.closedN);
    }
    for (std::int64_t j = 0; j < n; ++j) {
        line.clear();
        for (std::int64_t i = 0; i < m; ++i)
            line.push_back(e.vertices[static_cast<std::size_t>(i * n + j)].position);
        Stroke(line, e.closed);
    }
}

void EntityPainter::PaintPolyFace(const Polyline& e)
{
    std::vector<Vec3> positions;
    for (const PolyVertex& v : e.vertices) {
        if ((v.flags & 128) && !(v.flags & 64))
            continue;
        positions.push_back(v.position);
    }
    std::vector<Vec3> edge(2);
    for (const PolyVertex& v : e.vertices) {
        if (!((v.flags & 128) && !(v.flags & 64)))
            continue;
        int count = 0;
        while (count < 4 && v.faceIndex[count] != 0)
            ++count;
        for (int k = 0; k < count; ++k) {
            const int from = v.faceIndex[k], to = v.faceIndex[(k + 1) % count];
            if (from < 0)
                continue;       // a hidden edge
            const std::size_t a = static_cast<std::size_t>(from) - 1;
            const std::size_t b = static_cast<std::size_t>(std::abs(to)) - 1;
            if (from == 0 || a >= positions.size() || b >= positions.size())
                continue;
            edge[0] = positions[a];
            edge[1] = positions[b];
            Stroke(edge, false);
        }
    }
}

void EntityPainter::PaintSpline(const SplineData& e)
{
    m_points.clear();
    if (CurveTessellator::Spline(e.degree, e.knots, e.controlPoints, e.weights, m_ppu, m_points)) {
        // Each point took de Boor's steps, the square of the order.
        m_extraWork += m_points.size() * static_cast<std::size_t>((e.degree + 1) * (e.degree + 1)) / 4;
    } else {
        m_points.clear();
        m_points = e.fitPoints.size() >= 2 ? e.fitPoints : e.controlPoints;
    }
    Stroke(m_points, false);
}

void EntityPainter::PaintCorners(const Vec3 (&c)[4], bool fill)
{
    // SOLID and TRACE corners run 1, 2, 4, 3 around the outline.
    std::vector<std::vector<Vec3>> rings{{c[0], c[1], c[3], c[2]}};
    if (fill && m_options.fillAreas && m_db.Header().fillMode)
        Fill(rings);
    else
        Stroke(rings[0], true);
}

void EntityPainter::PaintFace3d(const Face3d& e)
{
    std::vector<Vec3> edge(2);
    for (int i = 0; i < 4; ++i) {
        if (e.hiddenEdges & (1 << i))
            continue;
        edge[0] = e.corners[i];
        edge[1] = e.corners[(i + 1) % 4];
        if (edge[0] != edge[1])
            Stroke(edge, false);
    }
}

void EntityPainter::PaintArrow(const Vec3& tip, const Vec3& from, double size)
{
    const Vec3 d = from - tip;
    const double len = Length(d);
    if (!(len > 1e-12) || !(size > 0))
        return;
    const Vec3 u = d * (1.0 / len);
    const Vec3 n{-u.y, u.x, 0.0};
    const Vec3 back = tip + u * size;
    Fill({{tip, back + n * (size / 6.0), back - n * (size / 6.0)}});
}

void EntityPainter::PaintLeader(const Leader& e)
{
    if (e.vertices.size() < 2)
        return;
    if (e.spline && e.vertices.size() > 2) {
        m_points.clear();
        CurveTessellator::ThroughPoints(e.vertices, m_ppu, m_points);
        Stroke(m_points, false);
    } else {
        Stroke(e.vertices, false);
    }
    if (e.arrowHead)
        PaintArrow(e.vertices[0], e.vertices[1], e.arrowSize);
}

// The leader's text in its own colour when the content gives one (by block it takes the
// leader's, as the text's own codes may still change it).
std::string EntityPainter::LeaderText(const MLeader& e)
{
    switch (e.textColor.GetKind()) {
    case Color::Kind::Index: return "{\\C" + std::to_string(e.textColor.Index()) + ";" + e.text + "}";
    case Color::Kind::True: {
        const std::uint32_t rgb = e.textColor.Rgb();
        const std::uint32_t bgr = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
        return "{\\c" + std::to_string(bgr) + ";" + e.text + "}";
    }
    default: return e.text;
    }
}

void EntityPainter::PaintMLeaderLines(const MLeader& e)
{
    for (const std::vector<Vec3>& line : e.leaderLines) {
        if (line.size() < 2)
            continue;
        Stroke(line, false);
        PaintArrow(line[0], line[1], e.arrowSize);
    }
    if (e.hasText) {
        MText text;
        text.insertion = e.textLocation;
        text.height = e.textHeight;
        text.referenceWidth = e.textWidth;
        text.attachment = e.textAttachment;
        text.xDirection = e.textDirection;
        text.style = e.textStyle;
        text.contents = LeaderText(e);
        TextPainter(*this).PaintMText(text);
    }
}

void EntityPainter::PaintMLine(const MLine& e)
{
    if (e.vertices.empty())
        return;
    const std::size_t elements = e.vertices.front().offsets.size();
    std::vector<Vec3> line;
    for (std::size_t k = 0; k < elements; ++k) {
        line.clear();
        for (const MLineVertex& v : e.vertices) {
            const double offset = k < v.offsets.size() ? v.offsets[k] : 0.0;
            line.push_back(v.position + v.miter * offset);
        }
        Stroke(line, e.closed);
    }
}

// A wipeout: its frame filled with the background, then the frame itself.
void EntityPainter::PaintRasterFrame(const RasterFrame& f)
{
    const std::vector<Vec3> ring = RasterPainter::FrameRing(f);
    const std::uint32_t rgb = m_rgb;
    const double width = m_penWidth;
    SetPen(m_options.background, 0.0);
    Fill({ring});
    SetPen(rgb, width);
    Stroke(ring, true);     // the frame, shown as CAD programs show it by default
}

} // namespace RkDraw
