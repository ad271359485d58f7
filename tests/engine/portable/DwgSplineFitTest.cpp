// Splines stored by their fit points: the cubic through them, its knots at the chord lengths and
// its ends along the stored tangents; degenerate input leaves the spline as it was.
#include "engine/dwg/DwgSplineFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using RkDb::Vec3;

// The cubic B-spline at u (de Boor), for checking where the curve goes.
Vec3 Evaluate(const RkDb::Spline& s, double u)
{
    const std::vector<double>& k = s.knots;
    size_t span = 3;
    while (span + 1 < s.controlPoints.size() && u >= k[span + 1])
        ++span;
    Vec3 d[4];
    for (int j = 0; j < 4; ++j)
        d[j] = s.controlPoints[span - 3 + j];
    for (int r = 1; r <= 3; ++r) {
        for (int j = 3; j >= r; --j) {
            const size_t i = span - 3 + j;
            const double denominator = k[i + 4 - r] - k[i];
            const double a = denominator > 0.0 ? (u - k[i]) / denominator : 0.0;
            d[j] = d[j - 1] * (1.0 - a) + d[j] * a;
        }
    }
    return d[3];
}

double Distance(const Vec3& a, const Vec3& b) { return RkDb::Length(a - b); }

TEST(DwgSplineFit, CurvePassesThroughEveryFitPoint)
{
    struct Case
    {
        const char* what;
        std::vector<Vec3> fit;
        Vec3 start, end;
    };
    const Case cases[] = {
        {"two points", {{0, 0, 0}, {10, 0, 0}}, {}, {}},
        {"three points, tangents", {{0, 0, 0}, {5, 5, 0}, {10, 0, 0}}, {0, 1, 0}, {0, -2, 0}},
        {"wave", {{0, 0, 0}, {3, 2, 0}, {6, -1, 0}, {9, 4, 1}, {12, 0, 0}, {15, 3, 0}}, {}, {1, 0, 0}},
        {"repeated point", {{0, 0, 0}, {4, 4, 0}, {4, 4, 0}, {8, 0, 0}}, {1, 1, 0}, {}},
    };
    for (const Case& c : cases) {
        RkDb::Spline spline;
        spline.fitPoints = c.fit;
        ASSERT_TRUE(orvo::dwg::InterpolateFitPoints(spline, c.start, c.end)) << c.what;
        EXPECT_EQ(spline.degree, 3) << c.what;
        ASSERT_EQ(spline.knots.size(), spline.controlPoints.size() + 4) << c.what;
        // Each distinct fit point sits at its knot: 0, then the chord lengths added up.
        double t = 0.0;
        const Vec3* previous = nullptr;
        for (const Vec3& p : c.fit) {
            if (previous != nullptr)
                t += Distance(p, *previous);
            EXPECT_LT(Distance(Evaluate(spline, std::min(t, spline.knots.back() - 1e-12)), p), 1e-6) << c.what;
            previous = &p;
        }
        EXPECT_NEAR(spline.knots.back(), t, 1e-9) << c.what;
        // The ends leave along the stored tangents.
        const Vec3 first = spline.controlPoints[1] - spline.controlPoints[0];
        if (RkDb::Length(c.start) > 0.0) {
            EXPECT_NEAR(RkDb::Dot(first, c.start) / RkDb::Length(first) / RkDb::Length(c.start), 1.0, 1e-9) << c.what;
        }
        const size_t last = spline.controlPoints.size() - 1;
        const Vec3 final = spline.controlPoints[last] - spline.controlPoints[last - 1];
        if (RkDb::Length(c.end) > 0.0) {
            EXPECT_NEAR(RkDb::Dot(final, c.end) / RkDb::Length(final) / RkDb::Length(c.end), 1.0, 1e-9) << c.what;
        }
    }
}

TEST(DwgSplineFit, DegenerateFitPointsLeaveTheSpline)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = std::numeric_limits<double>::max();
    const std::vector<std::vector<Vec3>> cases = {
        {},
        {{1, 2, 3}},
        {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}},
        {{0, 0, 0}, {nan, 0, 0}, {1, 1, 0}},
        {{-huge, 0, 0}, {huge, 0, 0}, {0, huge, 0}},
    };
    for (const std::vector<Vec3>& fit : cases) {
        RkDb::Spline spline;
        spline.fitPoints = fit;
        EXPECT_FALSE(orvo::dwg::InterpolateFitPoints(spline, {}, {})) << fit.size();
        EXPECT_TRUE(spline.controlPoints.empty());
        EXPECT_TRUE(spline.knots.empty());
    }
}

} // namespace
