#include "engine/draw/ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

using RkDb::Matrix3d;
using RkDb::Vec2;
using RkDb::Vec3;

ViewTransform::ViewTransform()
{
    Rebuild();
}

void ViewTransform::SetDevice(int width, int height)
{
    m_width = std::max(1, width);
    m_height = std::max(1, height);
}

void ViewTransform::SetDirection(const Vec3& direction, const Vec3& target, double twist)
{
    m_direction = RkDb::Normalized(direction);
    m_target = target;
    m_twist = std::isfinite(twist) ? twist : 0.0;
    Rebuild();
}

void ViewTransform::SetArea(Vec2 center, double height)
{
    if (std::isfinite(center.x) && std::isfinite(center.y))
        m_center = center;
    if (height > 1e-300 && std::isfinite(height))
        m_viewHeight = height;
}

void ViewTransform::Fit(Vec2 min, Vec2 max, double factor)
{
    if (!(max.x >= min.x) || !(max.y >= min.y) || !(factor > 0.0))
        return;
    const double w = max.x - min.x, h = max.y - min.y;
    const double aspect = static_cast<double>(m_width) / m_height;
    double height = std::max(h, w / aspect) / factor;
    if (!(height > 1e-12))
        height = 1.0;
    SetArea({(min.x + max.x) / 2, (min.y + max.y) / 2}, height);
}

void ViewTransform::Rebuild()
{
    // View axes: x horizontal on the screen (perpendicular to the world z axis), unless the
    // view looks along the z axis; then the world x axis, from above and from below alike: the
    // view from below is the front view tipped on over the front edge (+y points down), as the
    // views just in front of straight below show it.
    const Vec3 z = m_direction;
    Vec3 x = RkDb::Cross({0, 0, 1}, z);
    if (RkDb::Length(x) < 1e-9)
        x = Vec3{1, 0, 0};
    x = RkDb::Normalized(x);
    const Vec3 y = RkDb::Normalized(RkDb::Cross(z, x));
    Matrix3d rows;
    const Vec3 axes[3] = {x, y, z};
    for (int r = 0; r < 3; ++r) {
        rows.Set(r, 0, axes[r].x);
        rows.Set(r, 1, axes[r].y);
        rows.Set(r, 2, axes[r].z);
    }
    m_worldToView = Matrix3d::RotationZ(-m_twist) * rows * Matrix3d::Translation(m_target * -1.0);
    // The inverse: rotation transposed.
    Matrix3d back = Matrix3d::FromAxes(x, y, z, m_target);
    m_viewToWorld = back * Matrix3d::RotationZ(m_twist);
    const double c = std::cos(m_twist), s = std::sin(m_twist);
    m_right = x * c + y * s;
    m_up = y * c - x * s;
}

namespace {

// Rodrigues' rotation of v about the unit axis k.
Vec3 Rotated(const Vec3& v, const Vec3& k, double c, double s)
{
    return v * c + RkDb::Cross(k, v) * s + k * (RkDb::Dot(k, v) * (1.0 - c));
}

} // namespace

void ViewTransform::Orbit(const Vec3& axis, double radians)
{
    if (!std::isfinite(radians) || RkDb::Length(axis) < 1e-12)
        return;
    const Vec3 k = RkDb::Normalized(axis);
    const double c = std::cos(radians), s = std::sin(radians);
    const Vec3 pivot = m_viewToWorld.Apply({m_center.x, m_center.y, 0.0});
    const Vec3 direction = RkDb::Normalized(Rotated(m_direction, k, c, s));
    const Vec3 up = Rotated(m_up, k, c, s);
    // The twist that puts up at the top of the screen for the new direction (the untwisted
    // axes of that direction first, then the angle of up between them).
    m_direction = direction;
    m_target = pivot;
    m_twist = 0.0;
    Rebuild();
    m_twist = std::atan2(-RkDb::Dot(up, m_right), RkDb::Dot(up, m_up));
    Rebuild();
    m_center = {0.0, 0.0};
}

double ViewTransform::PixelsPerUnit() const
{
    return m_height / m_viewHeight;
}

Matrix3d ViewTransform::ViewToDevice() const
{
    const double s = PixelsPerUnit();
    Matrix3d m;
    m.Set(0, 0, s);
    m.Set(0, 3, m_width / 2.0 - m_center.x * s);
    m.Set(1, 1, -s);
    m.Set(1, 3, m_height / 2.0 + m_center.y * s);
    return m;
}

Vec2 ViewTransform::DeviceToView(double x, double y) const
{
    const double s = PixelsPerUnit();
    return {m_center.x + (x - m_width / 2.0) / s, m_center.y - (y - m_height / 2.0) / s};
}

Vec3 ViewTransform::DeviceToWorld(double x, double y) const
{
    const Vec2 v = DeviceToView(x, y);
    return m_viewToWorld.Apply({v.x, v.y, 0.0});
}

void ViewTransform::ZoomAt(double x, double y, double factor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return;
    const Vec2 fixed = DeviceToView(x, y);
    const double height = m_viewHeight / factor;
    if (!(height > 1e-200) || !(height < 1e200))
        return;
    // Keep the view point under (x, y) in place.
    const Vec2 center{fixed.x - (fixed.x - m_center.x) / factor,
                      fixed.y - (fixed.y - m_center.y) / factor};
    SetArea(center, height);
}

void ViewTransform::Pan(double dx, double dy)
{
    const double s = PixelsPerUnit();
    SetArea({m_center.x - dx / s, m_center.y + dy / s}, m_viewHeight);
}

} // namespace RkDraw
