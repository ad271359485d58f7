#include "engine/dwg/DwgSplineFit.h"

#include <array>
#include <cmath>
#include <vector>

namespace orvo::dwg {

namespace {

using RkDb::Vec3;

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

Vec3 Unit(const Vec3& v)
{
    const double length = RkDb::Length(v);
    return length > 0.0 ? v * (1.0 / length) : Vec3{};
}

// The fit points without repeats (a zero chord has no parameter step); none when one of them is
// not a number.
std::vector<Vec3> DistinctPoints(const std::vector<Vec3>& points)
{
    std::vector<Vec3> distinct;
    distinct.reserve(points.size());
    for (const Vec3& p : points) {
        if (!Finite(p))
            return {};
        if (distinct.empty() || RkDb::Length(p - distinct.back()) > 0.0)
            distinct.push_back(p);
    }
    return distinct;
}

// The direction at an end when the file gives none: that of the parabola through the three
// points nearest the end (the chord when there are only two).
Vec3 EndDirection(const std::vector<Vec3>& p, const std::vector<double>& t, bool atStart)
{
    const size_t n = p.size() - 1;
    if (n < 2)
        return Unit(p[n] - p[0]);
    const size_t a = atStart ? 0 : n - 2;
    const double h0 = t[a + 1] - t[a], h1 = t[a + 2] - t[a + 1];
    const Vec3 d0 = (p[a + 1] - p[a]) * (1.0 / h0), d1 = (p[a + 2] - p[a + 1]) * (1.0 / h1);
    // Derivative of the parabola at its first or last point.
    const Vec3 slope = atStart ? d0 * ((2.0 * h0 + h1) / (h0 + h1)) - d1 * (h0 / (h0 + h1))
                               : d1 * ((2.0 * h1 + h0) / (h0 + h1)) - d0 * (h1 / (h0 + h1));
    return Unit(slope);
}

// The three cubic basis functions that do not vanish at the simple knot u = knots[span].
std::array<double, 3> BasisAtKnot(const std::vector<double>& knots, size_t span)
{
    double left[4] = {}, right[4] = {};
    double n[4] = {1.0, 0.0, 0.0, 0.0};
    const double u = knots[span];
    for (int j = 1; j <= 3; ++j) {
        left[j] = u - knots[span + 1 - j];
        right[j] = knots[span + j] - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            const double denominator = right[r + 1] + left[j - r];
            const double temp = denominator != 0.0 ? n[r] / denominator : 0.0;
            n[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        n[j] = saved;
    }
    return {n[0], n[1], n[2]};
}

// Solves the tridiagonal rows lower[i] x[i-1] + diagonal[i] x[i] + upper[i] x[i+1] = rhs[i].
bool SolveTridiagonal(std::vector<double> lower, std::vector<double> diagonal, std::vector<double> upper,
                      std::vector<Vec3>& rhs)
{
    const size_t count = diagonal.size();
    for (size_t i = 1; i < count; ++i) {
        if (diagonal[i - 1] == 0.0)
            return false;
        const double factor = lower[i] / diagonal[i - 1];
        diagonal[i] -= factor * upper[i - 1];
        rhs[i] = rhs[i] - rhs[i - 1] * factor;
    }
    for (size_t i = count; i-- > 0;) {
        if (diagonal[i] == 0.0)
            return false;
        if (i + 1 < count)
            rhs[i] = rhs[i] - rhs[i + 1] * upper[i];
        rhs[i] = rhs[i] * (1.0 / diagonal[i]);
    }
    return true;
}

} // namespace

bool InterpolateFitPoints(RkDb::SplineData& spline, const Vec3& startTangent, const Vec3& endTangent)
{
    const std::vector<Vec3> p = DistinctPoints(spline.fitPoints);
    if (p.size() < 2)
        return false;
    const size_t n = p.size() - 1;
    std::vector<double> t(n + 1, 0.0);
    for (size_t i = 1; i <= n; ++i)
        t[i] = t[i - 1] + RkDb::Length(p[i] - p[i - 1]);
    if (!std::isfinite(t[n]))
        return false;
    const Vec3 d0 = RkDb::Length(startTangent) > 0.0 ? Unit(startTangent) : EndDirection(p, t, true);
    const Vec3 dn = RkDb::Length(endTangent) > 0.0 ? Unit(endTangent) : EndDirection(p, t, false);

    std::vector<double> knots(4, t[0]);
    for (size_t i = 1; i < n; ++i)
        knots.push_back(t[i]);
    knots.insert(knots.end(), 4, t[n]);
    std::vector<Vec3> q(n + 3);
    q[0] = p[0];
    q[1] = p[0] + d0 * ((t[1] - t[0]) / 3.0);
    q[n + 1] = p[n] - dn * ((t[n] - t[n - 1]) / 3.0);
    q[n + 2] = p[n];
    if (n >= 2) {
        // Row k (fit point k) ties q[k], q[k+1], q[k+2]; the unknowns are q[2] .. q[n].
        std::vector<double> lower(n - 1), diagonal(n - 1), upper(n - 1);
        std::vector<Vec3> rhs(n - 1);
        for (size_t k = 1; k < n; ++k) {
            const std::array<double, 3> basis = BasisAtKnot(knots, k + 3);
            lower[k - 1] = basis[0];
            diagonal[k - 1] = basis[1];
            upper[k - 1] = basis[2];
            rhs[k - 1] = p[k];
        }
        rhs[0] = rhs[0] - q[1] * lower[0];
        rhs[n - 2] = rhs[n - 2] - q[n + 1] * upper[n - 2];
        if (!SolveTridiagonal(lower, diagonal, upper, rhs))
            return false;
        for (size_t k = 0; k + 1 < n; ++k)
            q[k + 2] = rhs[k];
    }
    for (const Vec3& point : q) {
        if (!Finite(point))
            return false;
    }
    spline.degree = 3;
    spline.knots = std::move(knots);
    spline.controlPoints = std::move(q);
    spline.weights.clear();
    return true;
}

} // namespace orvo::dwg
