#include "engine/draw/CurveTessellator.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

using RkDb::Vec3;

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

int CurveTessellator::Segments(double angle, double radiusPixels)
{
    if (!std::isfinite(angle) || !std::isfinite(radiusPixels))
        return 4;
    const double n = std::fabs(angle) * std::sqrt(std::max(radiusPixels, 0.0)) * 1.5;
    return static_cast<int>(std::clamp(std::ceil(n), 4.0, 256.0));
}

void CurveTessellator::Arc(const Vec3& c, double r, double start, double end, double ppu,
                           std::vector<Vec3>& out)
{
    double sweep = end - start;
    if (!std::isfinite(sweep))
        return;
    sweep = std::fmod(sweep, kTwoPi);
    if (sweep <= 1e-12)
        sweep += kTwoPi;
    const int n = Segments(sweep, r * ppu);
    for (int i = 0; i <= n; ++i) {
        const double a = start + sweep * i / n;
        out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a), c.z});
    }
}

void CurveTessellator::Bulge(const Vec3& a, const Vec3& b, double bulge, double ppu,
                             std::vector<Vec3>& out)
{
    out.push_back(a);
    if (std::fabs(bulge) < 1e-9 || !std::isfinite(bulge))
        return;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double chord = std::sqrt(dx * dx + dy * dy);
    if (chord < 1e-12)
        return;
    const double angle = 4.0 * std::atan(bulge);          // signed included angle
    const double radius = chord / (2.0 * std::sin(std::fabs(angle) / 2.0));
    // Centre: on the chord's perpendicular bisector.
    const double h = radius * std::cos(std::fabs(angle) / 2.0) * (bulge > 0 ? 1.0 : -1.0);
    const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
    const double cx = mx - dy / chord * h, cy = my + dx / chord * h;
    const double start = std::atan2(a.y - cy, a.x - cx);
    const int n = Segments(angle, radius * ppu);
    for (int i = 1; i < n; ++i) {
        const double t = start + angle * i / n;
        out.push_back({cx + radius * std::cos(t), cy + radius * std::sin(t),
                       a.z + (b.z - a.z) * i / n});
    }
}

void CurveTessellator::Ellipse(const Vec3& c, const Vec3& major, const Vec3& normal, double ratio,
                               double start, double end, double ppu, std::vector<Vec3>& out)
{
    const Vec3 minor = RkDb::Cross(RkDb::Normalized(normal), major) * ratio;
    double sweep = end - start;
    if (!std::isfinite(sweep))
        return;
    if (std::fabs(sweep) < 1e-12 || std::fabs(std::fabs(sweep) - kTwoPi) < 1e-9)
        sweep = kTwoPi;
    sweep = std::fmod(sweep, kTwoPi);
    if (sweep <= 0)
        sweep += kTwoPi;
    const int n = Segments(sweep, RkDb::Length(major) * ppu);
    for (int i = 0; i <= n; ++i) {
        const double t = start + sweep * i / n;
        out.push_back(c + major * std::cos(t) + minor * std::sin(t));
    }
}

void CurveTessellator::ThroughPoints(const std::vector<Vec3>& p, double ppu, std::vector<Vec3>& out)
{
    const std::size_t n = p.size();
    if (n < 3) {
        out.insert(out.end(), p.begin(), p.end());
        return;
    }
    const auto tangent = [&p, n](std::size_t i) {
        if (i == 0)
            return p[1] - p[0];
        if (i == n - 1)
            return p[n - 1] - p[n - 2];
        return (p[i + 1] - p[i - 1]) * 0.5;
    };
    out.push_back(p[0]);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Vec3 m0 = tangent(i), m1 = tangent(i + 1);
        const double pixels = RkDb::Length(p[i + 1] - p[i]) * ppu;
        const int steps = std::isfinite(pixels) ? std::clamp(static_cast<int>(pixels / 4.0), 4, 64) : 4;
        for (int k = 1; k <= steps; ++k) {
            const double t = static_cast<double>(k) / steps, t2 = t * t, t3 = t2 * t;
            out.push_back(p[i] * (2 * t3 - 3 * t2 + 1) + m0 * (t3 - 2 * t2 + t) +
                          p[i + 1] * (-2 * t3 + 3 * t2) + m1 * (t3 - t2));
        }
    }
}

bool CurveTessellator::Spline(int degree, const std::vector<double>& knots,
                              const std::vector<Vec3>& controls, const std::vector<double>& weights,
                              double ppu, std::vector<Vec3>& out)
{
    const int n = static_cast<int>(controls.size());
    if (degree < 1 || degree > 11 || n <= degree ||
        knots.size() != static_cast<std::size_t>(n + degree + 1))
        return false;
    for (std::size_t i = 1; i < knots.size(); ++i) {
        if (!(knots[i] >= knots[i - 1]))
            return false;
    }
    const bool rational = weights.size() == controls.size();
    const double t0 = knots[static_cast<std::size_t>(degree)];
    const double t1 = knots[static_cast<std::size_t>(n)];
    if (!(t1 > t0))
        return false;
    double length = 0.0;
    for (int i = 1; i < n; ++i)
        length += RkDb::Length(controls[i] - controls[i - 1]);
    // Enough samples for the control polygon, but bounded: a spline with a huge control count
    // from a damaged file must not cost more than a few thousand points' work.
    // Each sample costs the square of the order (de Boor's steps), so a high degree takes fewer.
    const double order = degree + 1.0;
    const double kMaxSamples = 20000.0 * 16.0 / (order * order);
    const double fewest = std::min(8.0 * n, kMaxSamples);
    const double wanted = length * ppu / 4.0;
    const int samples =
        static_cast<int>(std::isfinite(wanted) ? std::clamp(wanted, fewest, std::max(fewest, std::min(2000.0, kMaxSamples)))
                                               : fewest);
    std::vector<Vec3> d(static_cast<std::size_t>(degree + 1));
    std::vector<double> w(static_cast<std::size_t>(degree + 1));
    for (int s = 0; s <= samples; ++s) {
        const double t = std::min(t0 + (t1 - t0) * s / samples, t1);
        // Knot span k with knots[k] <= t < knots[k+1], within degree..n-1.
        // Binary search: the knot vector may be long, and a linear walk per sample is quadratic.
        const auto first = knots.begin() + degree + 1;
        const auto last = knots.begin() + n;
        const int k = degree + static_cast<int>(std::upper_bound(first, last, t) - first);
        // De Boor on homogeneous points.
        for (int j = 0; j <= degree; ++j) {
            const int idx = k - degree + j;
            const double wt = rational ? weights[static_cast<std::size_t>(idx)] : 1.0;
            d[static_cast<std::size_t>(j)] = controls[static_cast<std::size_t>(idx)] * wt;
            w[static_cast<std::size_t>(j)] = wt;
        }
        for (int r = 1; r <= degree; ++r) {
            for (int j = degree; j >= r; --j) {
                const double left = knots[static_cast<std::size_t>(j + k - degree)];
                const double right = knots[static_cast<std::size_t>(j + 1 + k - r)];
                const double alpha = right > left ? (t - left) / (right - left) : 0.0;
                const std::size_t uj = static_cast<std::size_t>(j);
                d[uj] = d[uj - 1] * (1.0 - alpha) + d[uj] * alpha;
                w[uj] = w[uj - 1] * (1.0 - alpha) + w[uj] * alpha;
            }
        }
        const double wd = w[static_cast<std::size_t>(degree)];
        out.push_back(std::fabs(wd) > 1e-300 ? d[static_cast<std::size_t>(degree)] * (1.0 / wd)
                                             : d[static_cast<std::size_t>(degree)]);
    }
    return true;
}

} // namespace RkDraw
