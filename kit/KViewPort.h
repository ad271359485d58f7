// KViewPort: the world-to-device transform of the canvas kit (world y up, device y down) with
// fitting and zooming. The origin is the world point at the device's top-left corner.
#pragma once

#include <windows.h>

class KViewPort
{
public:
    KViewPort() = default;
    KViewPort(float originX, float originY, float scale)
        : m_originX(originX), m_originY(originY), m_scale(scale)
    {
    }
    virtual ~KViewPort() = default;
    KViewPort(const KViewPort&) = default;
    KViewPort& operator=(const KViewPort&) = default;

    // Boxes are {min x, max y, max x, min y}.
    void FitRect(int w, int h, const float box[4]);
    // FitRect, but never above scale 1 (the box is centred at scale 1 then).
    void FitExtents(int w, int h, const float box[4]);
    // New scale := scale + delta, keeping the world point under p; refused at or below 1e-5.
    bool ZoomAt(const POINT& p, float delta);
    bool ZoomAtFactor(const POINT& p, float factor) { return ZoomAt(p, m_scale * factor); }
    void WorldRectToDevice(const float box[4], RECT& out) const;

    POINT ToDevice(float x, float y) const;
    float DeviceToWorldX(double x) const { return static_cast<float>(x / m_scale + m_originX); }
    float DeviceToWorldY(double y) const { return static_cast<float>(m_originY - y / m_scale); }

    float GetOriginX() const { return m_originX; }
    float GetOriginY() const { return m_originY; }
    float GetScale() const { return m_scale; }
    void SetOrigin(float x, float y)
    {
        m_originX = x;
        m_originY = y;
    }
    void SetScale(float scale) { m_scale = scale; }

private:
    void CentreBox(int w, int h, const float box[4]);

    float m_originX = 0.0f;
    float m_originY = 0.0f;
    float m_scale = 1.0f;
};
