#include "kit/KCanvas.h"

KCanvas::KCanvas()
{
    m_points.reserve(200);
}

POINT KCanvas::ToDevice(const KType::RPoint2D& p) const
{
    const KViewPort identity;
    return (m_viewPort ? *m_viewPort : identity).ToDevice(p.x, p.y);
}

void KCanvas::TransformPoints(const float* points, uint32_t count, bool closed)
{
    m_points.clear();
    if (!points || count == 0)
        return;
    for (uint32_t i = 0; i < count; ++i)
        m_points.push_back(ToDevice({points[2 * i], points[2 * i + 1]}));
    if (closed)
        m_points.push_back(m_points.front());
}

void KCanvas::TransformBuffer(const OBuffer<KType::RPoint2D>& points, bool closed)
{
    m_points.clear();
    for (uint32_t i = 0; i < points.GetCount(); ++i)
        m_points.push_back(ToDevice(points[i]));
    if (closed && !m_points.empty())
        m_points.push_back(m_points.front());
}

bool KCanvas::ClipRect(RECT& rect) const
{
    // RECT edges: right and bottom are exclusive, so the canvas is 0..width, 0..height.
    if (rect.right <= 0 || rect.bottom <= 0 || rect.left >= m_width || rect.top >= m_height)
        return false;
    if (rect.left < 0)
        rect.left = 0;
    if (rect.top < 0)
        rect.top = 0;
    if (rect.right > m_width)
        rect.right = m_width;
    if (rect.bottom > m_height)
        rect.bottom = m_height;
    return true;
}
