#include "engine/draw/HatchPainter.h"

#include "engine/draw/CurveTessellator.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

using namespace RkDb;

namespace {

// Pattern lines per family beyond which the pattern is too dense to show line by line; the area
// is then filled with the pattern's colour (what the eye would see).
constexpr double kMaxLinesPerFamily = 3000.0;
// Edge tests and dashes one hatch may cost. Many families of fine lines over a boundary of many
// edges, or dashes far shorter than the area, would otherwise hold the drawing for minutes; past
// the budget a family is filled and a span is drawn without its dashes.
constexpr std::size_t kMaxHatchWork = 4u * 1024u * 1024u;
// What making one loop's outline costs besides its points.
constexpr std::size_t kLoopWork = 16;

void AddEdge(const HatchEdge& e, double z, double ppu, std::vector<Vec3>& ring)
{
    std::vector<Vec3> pts;
    switch (e.kind) {
    case HatchEdge::Kind::Line:
        ring.push_back({e.start.x, e.start.y, z});
        ring.push_back({e.end.x, e.end.y, z});
        return;
    case HatchEdge::Kind::Arc: {
        double s = e.startAngle, t = e.endAngle;
        if (!e.counterClockwise) {
            s = -s;
            t = -t;
        }
        CurveTessellator::Arc({e.center.x, e.center.y, z}, e.radius, e.counterClockwise ? s : t,
                              e.counterClockwise ? t : s, ppu, pts);
        if (!e.counterClockwise)
            std::reverse(pts.begin(), pts.end());
        break;
    }
    case HatchEdge::Kind::Ellipse: {
        CurveTessellator::Ellipse({e.center.x, e.center.y, z}, {e.majorAxis.x, e.majorAxis.y, 0},
                                  {0, 0, e.counterClockwise ? 1.0 : -1.0}, e.ratio, e.startAngle,
                                  e.endAngle, ppu, pts);
        break;
    }
    case HatchEdge::Kind::Spline: {
        std::vector<Vec3> controls;
        for (const Vec2& p : e.controlPoints)
            controls.push_back({p.x, p.y, z});
        if (!CurveTessellator::Spline(e.degree, e.knots, controls, e.weights, ppu, pts))
            pts = controls;
        break;
    }
    }
    ring.insert(ring.end(), pts.begin(), pts.end());
}

// The flags of the loops a hatch style fills between (0: all of them): all (normal: islands
// alternate), the external and outermost ones (outer: islands within islands are not filled
// again), or the external ones alone (ignore: islands are filled over). A hatch whose loops
// carry none of those flags uses all.
std::uint32_t FilledLoops(const Hatch& h)
{
    constexpr std::uint32_t kExternal = 1, kOutermost = 16;
    const std::uint32_t wanted = h.style == 2 ? kExternal : (h.style == 1 ? kExternal | kOutermost : 0);
    const bool flagged = std::any_of(h.loops.begin(), h.loops.end(),
                                     [wanted](const HatchLoop& l) { return (l.flags & wanted) != 0; });
    return flagged ? wanted : 0;
}

} // namespace

std::vector<std::vector<Vec3>> HatchPainter::Rings(const Hatch& h, double ppu)
{
    std::vector<std::vector<Vec3>> rings;
    const std::uint32_t filled = FilledLoops(h);
    for (const HatchLoop& loop : h.loops) {
        if (filled != 0 && (loop.flags & filled) == 0)
            continue;
        std::vector<Vec3> ring;
        if (!loop.polyline.empty()) {
            const std::size_t n = loop.polyline.size();
            for (std::size_t i = 0; i < n; ++i) {
                const Vec2 a = loop.polyline[i], b = loop.polyline[(i + 1) % n];
                const double bulge = i < loop.bulges.size() ? loop.bulges[i] : 0.0;
                CurveTessellator::Bulge({a.x, a.y, h.elevation}, {b.x, b.y, h.elevation}, bulge,
                                        ppu, ring);
            }
        } else {
            for (const HatchEdge& e : loop.edges)
                AddEdge(e, h.elevation, ppu, ring);
        }
        if (ring.size() >= 3)
            rings.push_back(std::move(ring));
    }
    return rings;
}

void HatchPainter::Paint(const Hatch& h)
{
    const std::vector<std::vector<Vec3>> rings = Rings(h, m_p.PixelsPerUnit());
    // Each loop's outline is made afresh for every placement.
    for (const auto& ring : rings)
        m_p.AddWork(ring.size() + kLoopWork);
    if (rings.empty())
        return;
    const double opacity = m_p.Opacity();
    if (!(opacity > 0.0) && !m_p.Measuring())
        return;     // wholly transparent
    if (h.solid || h.gradient || h.patternLines.empty()) {
        if (!m_p.Options().fillAreas)
            return;
        // What lies below a transparent fill shows through it.
        if (opacity < 1.0)
            m_p.Sink().SetFillOpacity(opacity);
        if (h.gradient && h.gradientColor != 0) {
            const std::uint32_t old = m_p.PenColor();
            m_p.SetPen(h.gradientColor, 0.0);
            m_p.Fill(rings);
            m_p.SetPen(old, 0.0);
        } else if (h.solid) {
            m_p.Fill(rings);
        }
        if (opacity < 1.0)
            m_p.Sink().SetFillOpacity(1.0);
        return;
    }
    // The pattern lies inside the boundary: its extents are the boundary's, whatever the lines.
    if (m_p.Measuring()) {
        m_p.Fill(rings);
        return;
    }
    // The hatch takes its work from what the whole picture has left.
    const std::size_t allowance = std::min(kMaxHatchWork, m_p.WorkAllowance());
    m_workLeft = allowance;
    if (!VisibleCorners(h.elevation))
        m_visible.clear();
    for (const HatchPatternLine& line : h.patternLines)
        PaintPatternLine(line, rings, h.elevation);
    m_p.AddWork(allowance - m_workLeft);
}

bool HatchPainter::VisibleCorners(double z)
{
    // The hatch's plane reaches the device through an affine map (the view is a parallel one):
    // its 2 x 2 part inverted takes device points back.
    const Matrix3d& m = m_p.Transform();
    const double a = m.At(0, 0), b = m.At(0, 1), c = m.At(1, 0), d = m.At(1, 1);
    const double det = a * d - b * c;
    const double scale = std::fabs(a) + std::fabs(b) + std::fabs(c) + std::fabs(d);
    if (!(std::fabs(det) > 1e-12 * scale * scale) || !std::isfinite(det))
        return false;
    const double tx = m.At(0, 2) * z + m.At(0, 3), ty = m.At(1, 2) * z + m.At(1, 3);
    const double margin = m_p.PenWidth() + 2.0;
    const double w = m_p.DeviceWidth() + margin, h = m_p.DeviceHeight() + margin;
    m_visible.clear();
    for (const Vec2 corner : {Vec2{-margin, -margin}, Vec2{w, -margin}, Vec2{w, h}, Vec2{-margin, h}}) {
        const double x = corner.x - tx, y = corner.y - ty;
        m_visible.push_back({(d * x - b * y) / det, (a * y - c * x) / det});
    }
    return true;
}

void HatchPainter::FillAsDense(const HatchPatternLine& line, double spacing,
                               const std::vector<std::vector<Vec3>>& rings)
{
    // What the eye sees of lines closer than the pen: the share of the area they cover, the
    // pen's width over the spacing, times the inked share of a dash period (a dot inks a pixel).
    const double ppu = m_p.PixelsPerUnit();
    const double pen = std::max(1.0, m_p.PenWidth());
    double share = std::min(1.0, pen / (spacing * ppu));
    double period = 0.0, inked = 0.0;
    for (double dash : line.dashes) {
        period += std::fabs(dash);
        inked += dash > 0 ? dash : (dash == 0 ? pen / ppu : 0.0);
    }
    if (period > 0)
        share *= std::min(1.0, inked / period);
    if (!(share > 0.0) || !std::isfinite(share))
        return;
    if (share < 1.0)
        m_p.Sink().SetFillOpacity(share);
    m_p.Fill(rings);
    if (share < 1.0)
        m_p.Sink().SetFillOpacity(1.0);
}

bool HatchPainter::Spend(std::size_t units)
{
    if (units > m_workLeft)
        return false;
    m_workLeft -= units;
    return true;
}

void HatchPainter::PaintPatternLine(const HatchPatternLine& line,
                                    const std::vector<std::vector<Vec3>>& rings, double z)
{
    // Work in the family's own frame: u along the lines, v across them.
    const double c = std::cos(line.angle), s = std::sin(line.angle);
    const auto toU = [c, s](double x, double y) { return x * c + y * s; };
    const auto toV = [c, s](double x, double y) { return -x * s + y * c; };
    const double spacing = toV(line.offset.x, line.offset.y);
    const double shift = toU(line.offset.x, line.offset.y);
    if (!(std::fabs(spacing) > 1e-12) || !std::isfinite(spacing))
        return;
    double vMin = 1e300, vMax = -1e300;
    for (const auto& ring : rings) {
        for (const Vec3& p : ring) {
            vMin = std::min(vMin, toV(p.x, p.y));
            vMax = std::max(vMax, toV(p.x, p.y));
        }
    }
    // Only the lines and the parts of them that reach the device are drawn: a large hatch seen
    // close up keeps its pattern instead of passing the line budget.
    double uSeenMin = -1e300, uSeenMax = 1e300;
    if (!m_visible.empty()) {
        double vSeenMin = 1e300, vSeenMax = -1e300;
        uSeenMin = 1e300;
        uSeenMax = -1e300;
        for (const Vec2& p : m_visible) {
            vSeenMin = std::min(vSeenMin, toV(p.x, p.y));
            vSeenMax = std::max(vSeenMax, toV(p.x, p.y));
            uSeenMin = std::min(uSeenMin, toU(p.x, p.y));
            uSeenMax = std::max(uSeenMax, toU(p.x, p.y));
        }
        vMin = std::max(vMin, vSeenMin);
        vMax = std::min(vMax, vSeenMax);
        if (!(vMin <= vMax))
            return;
    }
    const double v0 = toV(line.base.x, line.base.y), u0 = toU(line.base.x, line.base.y);
    const double step = std::fabs(spacing);
    const double kFirst = std::ceil((vMin - v0) / step), kLast = std::floor((vMax - v0) / step);
    std::size_t edges = 0;
    for (const auto& ring : rings)
        edges += ring.size();
    if (kLast < kFirst)
        return;     // no line of the family crosses what is seen
    if (!(kLast - kFirst < kMaxLinesPerFamily) || !std::isfinite(kFirst) || !std::isfinite(kLast) ||
        !Spend(static_cast<std::size_t>(kLast - kFirst + 1.0) * edges)) {
        FillAsDense(line, step, rings);
        return;
    }
    double period = 0.0;
    for (double d : line.dashes)
        period += std::fabs(d);
    std::vector<double> cuts;
    std::vector<Vec3> segment(2);
    // Counted in integers: far from the origin adding 1.0 to k would not change it.
    const long lines = static_cast<long>(kLast - kFirst) + 1;
    for (long index = 0; index < lines; ++index) {
        const double k = kFirst + static_cast<double>(index);
        const double v = v0 + k * step;
        LineCuts(rings, c, s, v, cuts);
        // Dashes start at the base point, moved along by shift for every line.
        const double origin = u0 + shift * (spacing > 0 ? k : -k);
        for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
            cuts[i] = std::max(cuts[i], uSeenMin);
            cuts[i + 1] = std::min(cuts[i + 1], uSeenMax);
            if (!(cuts[i] < cuts[i + 1]))
                continue;
            const auto emit = [&](double ua, double ub) {
                segment[0] = {ua * c - v * s, ua * s + v * c, z};
                segment[1] = {ub * c - v * s, ub * s + v * c, z};
                m_p.Stroke(segment, false);
            };
            // A span of more dash periods than the budget holds is drawn as one line.
            const double periods = (cuts[i + 1] - cuts[i]) / period + 2.0;
            if (line.dashes.empty() || !(period * m_p.PixelsPerUnit() > 3.0) ||
                !(periods * static_cast<double>(line.dashes.size()) < static_cast<double>(m_workLeft)) ||
                !Spend(static_cast<std::size_t>(periods) * line.dashes.size())) {
                emit(cuts[i], cuts[i + 1]);
                continue;
            }
            double u = origin + std::floor((cuts[i] - origin) / period) * period;
            for (double n = 0; u < cuts[i + 1] && n < periods; n += 1.0) {
                for (double d : line.dashes) {
                    const double next = u + std::fabs(d);
                    if (d >= 0) {
                        const double a = std::max(u, cuts[i]), b = std::min(d == 0 ? u : next, cuts[i + 1]);
                        if (d == 0 && b >= a)
                            m_p.DotAt({a * c - v * s, a * s + v * c, z});
                        else if (b >= a && a <= cuts[i + 1])
                            emit(a, b);
                    }
                    u = next;
                }
            }
        }
    }
}

void HatchPainter::LineCuts(const std::vector<std::vector<Vec3>>& rings, double c, double s, double v,
                            std::vector<double>& cuts)
{
    const auto toU = [c, s](double x, double y) { return x * c + y * s; };
    const auto toV = [c, s](double x, double y) { return -x * s + y * c; };
    cuts.clear();
    for (const auto& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const Vec3& a = ring[i];
            const Vec3& b = ring[(i + 1) % ring.size()];
            const double va = toV(a.x, a.y), vb = toV(b.x, b.y);
            if ((va <= v) == (vb <= v))
                continue;
            const double t = (v - va) / (vb - va);
            cuts.push_back(toU(a.x, a.y) + (toU(b.x, b.y) - toU(a.x, a.y)) * t);
        }
    }
    std::sort(cuts.begin(), cuts.end());
}

} // namespace RkDraw
