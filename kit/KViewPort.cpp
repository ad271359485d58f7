#include "kit/KViewPort.h"

#include <cmath>

namespace {

constexpr float kMinScale = 1e-5f;

LONG RoundToDevice(double value)
{
    // Nearest, ties to even (the FPU's default mode); clamped so a huge zoom cannot overflow.
    if (value > 2.0e9)
        return 2000000000L;
    if (value < -2.0e9)
        return -2000000000L;
    return static_cast<LONG>(std::nearbyint(value));
}

} // namespace

POINT KViewPort::ToDevice(float x, float y) const
{
    POINT p;
    p.x = RoundToDevice((static_cast<double>(x) - m_originX) * m_scale);
    p.y = RoundToDevice((static_cast<double>(m_originY) - y) * m_scale);
    return p;
}

void KViewPort::CentreBox(int w, int h, const float box[4])
{
    const double centreX = (static_cast<double>(box[0]) + box[2]) / 2.0;
    const double centreY = (static_cast<double>(box[1]) + box[3]) / 2.0;
    m_originX = static_cast<float>(centreX - w / m_scale / 2.0);
    m_originY = static_cast<float>(centreY + h / m_scale / 2.0);
}

void KViewPort::FitRect(int w, int h, const float box[4])
{
    const double boxWidth = static_cast<double>(box[2]) - box[0];
    const double boxHeight = static_cast<double>(box[1]) - box[3];
    // A flat or empty box has no ratio in that direction; a box flat both ways keeps the scale.
    double scale = 0.0;
    if (boxHeight > 0.0)
        scale = h / boxHeight;
    if (boxWidth > 0.0 && (scale == 0.0 || w / boxWidth < scale))
        scale = w / boxWidth;
    if (scale > kMinScale && std::isfinite(scale))
        m_scale = static_cast<float>(scale);
    CentreBox(w, h, box);
}

void KViewPort::FitExtents(int w, int h, const float box[4])
{
    FitRect(w, h, box);
    if (m_scale >= 1.0f) {
        m_scale = 1.0f;
        CentreBox(w, h, box);
    }
}

bool KViewPort::ZoomAt(const POINT& p, float delta)
{
    const float scale = m_scale + delta;
    if (!(scale > kMinScale) || !std::isfinite(scale))
        return false;
    const float worldX = DeviceToWorldX(p.x);
    const float worldY = DeviceToWorldY(p.y);
    m_scale = scale;
    m_originX = static_cast<float>(worldX - p.x / static_cast<double>(scale));
    m_originY = static_cast<float>(worldY + p.y / static_cast<double>(scale));
    return true;
}

void KViewPort::WorldRectToDevice(const float box[4], RECT& out) const
{
    const POINT topLeft = ToDevice(box[0], box[1]);
    const POINT bottomRight = ToDevice(box[2], box[3]);
    out.left = topLeft.x;
    out.top = topLeft.y;
    out.right = bottomRight.x;
    out.bottom = bottomRight.y;
}
