#include "engine/write/HatchExploder.h"

#include "engine/draw/HatchPainter.h"
#include "engine/write/DownConverter.h"

#include <algorithm>
#include <cmath>

namespace RkWrite {

using RkDb::Vec3;

namespace {

// A hatch makes at most this many parts; the renderer draws a denser pattern as a fill.
constexpr std::size_t kMostParts = 100000;
constexpr double kMostLinesPerFamily = 3000.0;
// Curves of the boundary are cut to about this fraction of the hatch's size.
constexpr double kStepsAcross = 400.0;

template <class T> std::unique_ptr<T> Part(const RkDb::Hatch& hatch)
{
    auto part = std::make_unique<T>();
    DownConverter::CopyCommon(hatch, *part);
    return part;
}

} // namespace

std::vector<RkDb::EntityPtr> HatchExploder::Explode(const RkDb::Hatch& hatch)
{
    std::vector<RkDb::EntityPtr> out;
    // A first coarse pass gives the size, which sets how finely the curves are cut.
    double lo = 1e300, hi = -1e300;
    for (const Ring& ring : RkDraw::HatchPainter::Rings(hatch, 1.0)) {
        for (const Vec3& p : ring) {
            lo = std::min({lo, p.x, p.y});
            hi = std::max({hi, p.x, p.y});
        }
    }
    if (!(hi > lo) || !std::isfinite(hi - lo))
        return out;
    const std::vector<Ring> rings = RkDraw::HatchPainter::Rings(hatch, kStepsAcross / (hi - lo));
    if (rings.empty())
        return out;
    bool whole = true;
    if (hatch.solid || hatch.gradient) {
        whole = Fill(hatch, rings, out);
    } else {
        for (const RkDb::HatchPatternLine& line : hatch.patternLines) {
            if (!Pattern(hatch, line, rings, out)) {
                // Too dense to draw line by line: filled, as the renderer shows it.
                out.clear();
                whole = Fill(hatch, rings, out);
                break;
            }
        }
    }
    if (!whole)
        out.clear();
    return out;
}

bool HatchExploder::Fill(const RkDb::Hatch& hatch, const std::vector<Ring>& rings, std::vector<RkDb::EntityPtr>& out)
{
    // Horizontal strips between the heights of the corners; in each, the edges that cross it
    // pair off by the even-odd rule into trapezoids.
    struct Edge { Vec3 a, b; };
    std::vector<Edge> edges;
    std::vector<double> heights;
    for (const Ring& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            Vec3 a = ring[i], b = ring[(i + 1) % ring.size()];
            heights.push_back(a.y);
            if (a.y == b.y)
                continue;
            if (a.y > b.y)
                std::swap(a, b);
            edges.push_back(Edge{a, b});
        }
    }
    std::sort(heights.begin(), heights.end());
    heights.erase(std::unique(heights.begin(), heights.end()), heights.end());
    if (heights.size() * edges.size() > 64 * kMostParts)
        return false;
    const auto xAt = [](const Edge& e, double y) { return e.a.x + (e.b.x - e.a.x) * (y - e.a.y) / (e.b.y - e.a.y); };
    std::vector<std::pair<double, const Edge*>> crossing;
    const double z = hatch.elevation;
    const RkDb::Color color =
        hatch.gradient && hatch.gradientColor != 0 ? RkDb::Color::FromRgb(hatch.gradientColor) : hatch.color;
    for (std::size_t k = 0; k + 1 < heights.size(); ++k) {
        const double y0 = heights[k], y1 = heights[k + 1], middle = (y0 + y1) / 2;
        crossing.clear();
        for (const Edge& e : edges) {
            if (e.a.y <= y0 && e.b.y >= y1)
                crossing.emplace_back(xAt(e, middle), &e);
        }
        std::sort(crossing.begin(), crossing.end(),
                  [](const auto& l, const auto& r) { return l.first < r.first; });
        for (std::size_t i = 0; i + 1 < crossing.size(); i += 2) {
            if (out.size() >= kMostParts)
                return false;
            auto strip = Part<RkDb::Solid>(hatch);
            strip->color = color;
            strip->extrusion = hatch.extrusion;
            const Edge& left = *crossing[i].second;
            const Edge& right = *crossing[i + 1].second;
            // Corners in the order SOLID keeps them: the third and fourth are swapped.
            strip->corners[0] = {xAt(left, y0), y0, z};
            strip->corners[1] = {xAt(right, y0), y0, z};
            strip->corners[2] = {xAt(left, y1), y1, z};
            strip->corners[3] = {xAt(right, y1), y1, z};
            out.push_back(std::move(strip));
        }
    }
    return true;
}

bool HatchExploder::Pattern(const RkDb::Hatch& hatch, const RkDb::HatchPatternLine& line,
                            const std::vector<Ring>& rings, std::vector<RkDb::EntityPtr>& out)
{
    // In the family's own frame: u along the lines, v across them.
    const double c = std::cos(line.angle), s = std::sin(line.angle);
    const auto toU = [c, s](double x, double y) { return x * c + y * s; };
    const auto toV = [c, s](double x, double y) { return -x * s + y * c; };
    const double spacing = toV(line.offset.x, line.offset.y);
    const double shift = toU(line.offset.x, line.offset.y);
    if (!(std::fabs(spacing) > 1e-12) || !std::isfinite(spacing))
        return true; // a family that draws nothing
    double vMin = 1e300, vMax = -1e300;
    for (const Ring& ring : rings) {
        for (const Vec3& p : ring) {
            vMin = std::min(vMin, toV(p.x, p.y));
            vMax = std::max(vMax, toV(p.x, p.y));
        }
    }
    const double v0 = toV(line.base.x, line.base.y), u0 = toU(line.base.x, line.base.y);
    const double step = std::fabs(spacing);
    const double kFirst = std::ceil((vMin - v0) / step), kLast = std::floor((vMax - v0) / step);
    if (!(kLast - kFirst < kMostLinesPerFamily) || !std::isfinite(kFirst) || !std::isfinite(kLast))
        return false;
    double period = 0.0;
    for (const double d : line.dashes)
        period += std::fabs(d);
    const RkDb::Ocs ocs(hatch.extrusion);
    const double z = hatch.elevation;
    std::vector<double> cuts;
    const long lines = static_cast<long>(kLast - kFirst) + 1;
    for (long index = 0; index < lines; ++index) {
        const double k = kFirst + static_cast<double>(index);
        const double v = v0 + k * step;
        RkDraw::HatchPainter::LineCuts(rings, c, s, v, cuts);
        const auto emit = [&](double ua, double ub) {
            if (out.size() >= kMostParts)
                return false;
            auto part = Part<RkDb::Line>(hatch);
            part->start = ocs.ToWorld({ua * c - v * s, ua * s + v * c, z});
            part->end = ocs.ToWorld({ub * c - v * s, ub * s + v * c, z});
            out.push_back(std::move(part));
            return true;
        };
        // Dashes start at the base point, moved along by shift for every line.
        const double origin = u0 + shift * (spacing > 0 ? k : -k);
        for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
            const double periods = line.dashes.empty() || !(period > 0.0) ? 0.0 : (cuts[i + 1] - cuts[i]) / period + 2.0;
            if (periods == 0.0 || periods * static_cast<double>(line.dashes.size()) > double(kMostParts)) {
                if (!emit(cuts[i], cuts[i + 1]))
                    return false;
                continue;
            }
            double u = origin + std::floor((cuts[i] - origin) / period) * period;
            for (double n = 0; u < cuts[i + 1] && n < periods; n += 1.0) {
                for (const double d : line.dashes) {
                    const double next = u + std::fabs(d);
                    if (d >= 0) {
                        const double a = std::max(u, cuts[i]), b = std::min(d == 0 ? u : next, cuts[i + 1]);
                        if (b >= a && a <= cuts[i + 1] && !emit(a, d == 0 ? a : b))
                            return false;
                    }
                    u = next;
                }
            }
        }
    }
    return true;
}

} // namespace RkWrite
