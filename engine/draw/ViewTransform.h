// The mapping from world coordinates to device pixels: a view direction with target and twist
// (the 3D view), a centre and height of the shown area in view coordinates, and the device size.
#pragma once

#include "engine/db/Geometry.h"

namespace RkDraw {

class ViewTransform
{
public:
    ViewTransform();

    void SetDevice(int width, int height);
    int DeviceWidth() const { return m_width; }
    int DeviceHeight() const { return m_height; }
    // direction points from the target towards the viewer.
    void SetDirection(const RkDb::Vec3& direction, const RkDb::Vec3& target, double twist);
    const RkDb::Vec3& Direction() const { return m_direction; }
    const RkDb::Vec3& Target() const { return m_target; }
    double Twist() const { return m_twist; }
    // The screen's axes in world coordinates: to the right and upwards (unit vectors).
    const RkDb::Vec3& Right() const { return m_right; }
    const RkDb::Vec3& Up() const { return m_up; }
    // Turns the viewer about a world axis through the point shown at the device's centre: that
    // point stays where it is, the scale too. Four quarter turns give the view back.
    void Orbit(const RkDb::Vec3& axis, double radians);
    // Centre (view coordinates) and height (world units) of what the device shows.
    void SetArea(RkDb::Vec2 center, double height);
    RkDb::Vec2 Center() const { return m_center; }
    double Height() const { return m_viewHeight; }
    // Shows the view-coordinate box [min, max] whole, with a margin factor (0.98 leaves 1 %).
    void Fit(RkDb::Vec2 min, RkDb::Vec2 max, double factor);

    // World to view coordinates (x right, y up, z towards the viewer), without the area.
    const RkDb::Matrix3d& WorldToView() const { return m_worldToView; }
    // View coordinates to device pixels (y downwards).
    RkDb::Matrix3d ViewToDevice() const;
    RkDb::Matrix3d WorldToDevice() const { return ViewToDevice() * m_worldToView; }
    double PixelsPerUnit() const;
    // A device point (y downwards) back to view coordinates, and to the world (on the plane
    // through the target).
    RkDb::Vec2 DeviceToView(double x, double y) const;
    RkDb::Vec3 DeviceToWorld(double x, double y) const;

    // Zooms by factor (>1 closer) keeping the device point (x, y) where it is.
    void ZoomAt(double x, double y, double factor);
    // Moves the picture by (dx, dy) device pixels.
    void Pan(double dx, double dy);

private:
    void Rebuild();

    int m_width = 1, m_height = 1;
    RkDb::Vec3 m_direction{0, 0, 1};
    RkDb::Vec3 m_target;
    double m_twist = 0.0;
    RkDb::Vec2 m_center;
    double m_viewHeight = 1.0;
    RkDb::Vec3 m_right{1, 0, 0};
    RkDb::Vec3 m_up{0, 1, 0};
    RkDb::Matrix3d m_worldToView;
    RkDb::Matrix3d m_viewToWorld;
};

} // namespace RkDraw
