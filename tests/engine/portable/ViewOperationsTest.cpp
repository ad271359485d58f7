// Linear units formatting (every kind, precisions, negative and rounding edges) and the 3D view's
// orbit about the screen axes (quarter turns give the view back, the pivot stays put, the screen
// axes stay perpendicular).
#include "engine/db/LinearUnits.h"
#include "engine/draw/ViewTransform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using RkDb::LinearUnits;
using RkDb::Vec3;
using RkDraw::ViewTransform;

constexpr double kQuarter = 1.5707963267948966;

struct UnitsCase
{
    double value;
    int units;
    int precision;
    const char* expected;
};

const UnitsCase kUnits[] = {
    {15.5, 1, 4, "1.5500E+01"},
    {-0.00123, 1, 2, "-1.23E-03"},
    {15.5, 2, 4, "15.5000"},
    {15.5, 2, 0, "16"},
    {-0.00001, 2, 2, "0.00"},
    {15.5, 3, 4, "1'-3.5000\""},
    {3.25, 3, 2, "0'-3.25\""},
    {143.9999, 3, 2, "12'-0.00\""},
    {-27.0, 3, 1, "-2'-3.0\""},
    {15.5, 4, 1, "1'-3 1/2\""},
    {15.5, 4, 4, "1'-3 1/2\""},
    {12.0625, 4, 4, "1'-0 1/16\""},
    {12.0625, 4, 3, "1'-0 1/8\""},
    {11.99, 4, 2, "1'-0\""},
    {0.375, 4, 3, "0'-0 3/8\""},
    {15.5, 5, 4, "15 1/2"},
    {0.75, 5, 2, "3/4"},
    {-2.25, 5, 2, "-2 1/4"},
    {2.0, 5, 8, "2"},
    {7.0, 9, 1, "7.0"},              // an unknown kind shows decimals
    {7.0, 2, 99, "7.00000000"},      // precision held to 8
    {NAN, 4, 2, "?"},
    {1e16, 4, 0, "10000000000000000"},  // past any drawing: decimals
};

TEST(LinearUnits, FormatsEveryKind)
{
    for (const UnitsCase& c : kUnits)
        EXPECT_EQ(LinearUnits::Format(c.value, c.units, c.precision), c.expected)
            << c.value << " units " << c.units << " precision " << c.precision;
}

void ExpectNear(const Vec3& a, const Vec3& b, double tolerance)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

ViewTransform TiltedView()
{
    ViewTransform view;
    view.SetDevice(400, 300);
    view.SetDirection({1, -2, 1.5}, {3, 4, 5}, 0.3);
    view.SetArea({10, -5}, 40);
    return view;
}

TEST(ViewOrbit, FourQuarterTurnsAboutEachScreenAxisGiveTheViewBack)
{
    for (int axis = 0; axis < 3; ++axis) {
        ViewTransform view = TiltedView();
        const ViewTransform start = view;
        for (int i = 0; i < 4; ++i) {
            const Vec3 about = axis == 0 ? view.Right() : axis == 1 ? view.Up() : view.Direction();
            view.Orbit(about, kQuarter);
        }
        ExpectNear(view.Direction(), start.Direction(), 1e-9);
        ExpectNear(view.Up(), start.Up(), 1e-9);
        for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{20, -7, 3}, Vec3{-5, 9, 40}})
            ExpectNear(view.WorldToDevice().Apply(p), start.WorldToDevice().Apply(p), 1e-6);
    }
}

TEST(ViewOrbit, TurnsKeepThePivotAndTheAxesPerpendicular)
{
    ViewTransform view = TiltedView();
    const Vec3 pivot = view.DeviceToWorld(200, 150);
    view.Orbit(view.Right(), 0.4);
    view.Orbit(view.Up(), -1.1);
    view.Orbit(view.Direction(), 2.0);
    ExpectNear(view.WorldToDevice().Apply(pivot), {200, 150, view.WorldToDevice().Apply(pivot).z}, 1e-6);
    EXPECT_NEAR(RkDb::Dot(view.Right(), view.Up()), 0.0, 1e-12);
    EXPECT_NEAR(RkDb::Dot(view.Right(), view.Direction()), 0.0, 1e-12);
    EXPECT_NEAR(RkDb::Length(view.Up()), 1.0, 1e-12);
}

TEST(ViewOrbit, AQuarterTurnAboutTheVerticalShowsTheSideFacingRight)
{
    // From the top (x right, y up), turning the viewer about the screen's vertical axis by +90
    // degrees brings it to look along -x or +x; the world's up stays the screen's up.
    ViewTransform view;
    view.SetDevice(100, 100);
    view.Orbit(view.Up(), kQuarter);
    EXPECT_NEAR(std::abs(view.Direction().x), 1.0, 1e-12);
    ExpectNear(view.Up(), {0, 1, 0}, 1e-12);
    // A roll by a quarter turn makes the world's x axis vertical on the screen.
    ViewTransform roll;
    roll.SetDevice(100, 100);
    roll.Orbit(roll.Direction(), kQuarter);
    EXPECT_NEAR(std::abs(RkDb::Dot(roll.Up(), {1, 0, 0})), 1.0, 1e-12);
}

TEST(ViewOrbit, NotFiniteOrZeroAxisLeavesTheView)
{
    ViewTransform view = TiltedView();
    const ViewTransform start = view;
    view.Orbit({0, 0, 0}, 1.0);
    view.Orbit(view.Up(), NAN);
    ExpectNear(view.Direction(), start.Direction(), 0);
    ExpectNear(view.Up(), start.Up(), 0);
}

} // namespace
