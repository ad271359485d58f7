// KCanvas: the abstract drawing surface of the canvas kit: world coordinates (floats, y up) go
// through the current view port to device pixels (y down); device coordinates are integers.
// Holds what every canvas shares: the view port, the size, the device offset and a point buffer.
#pragma once

#include "kit/KType.h"
#include "kit/KViewPort.h"
#include "kit/OBuffer.h"
#include "kit/OList.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class KCanvas
{
public:
    KCanvas();
    virtual ~KCanvas() = default;
    KCanvas(const KCanvas&) = delete;
    KCanvas& operator=(const KCanvas&) = delete;

    virtual bool Create() = 0;
    virtual void SetDrawMode(int32_t mode) = 0;
    virtual void SetPenColor(COLORREF color) = 0;
    virtual void SetBrushColor(COLORREF color) = 0;
    virtual void SetBackColor(COLORREF color) = 0;
    virtual void SetPenWidth(int32_t width) = 0;
    virtual void Clear(COLORREF color) = 0;
    virtual void Present() = 0;
    // 0 when drawing may start; 4 without a view port.
    virtual int32_t BeginDraw(COLORREF background, bool clear) = 0;
    virtual int32_t EndDraw() = 0;
    // True when the size grew in either direction beyond the picture held.
    virtual bool SetSize(int32_t width, int32_t height) = 0;
    virtual void Line(const KType::RPoint2D& a, const KType::RPoint2D& b) = 0;
    virtual void Line(const POINT& a, const POINT& b) = 0;
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void FillRect(COLORREF color, const RECT* rect) = 0;
    virtual void Marker(const KType::RPoint2D& p, int32_t half) = 0;
    virtual void SetPixel(float x, float y, COLORREF color) = 0;
    virtual void MoveTo(const KType::RPoint2D& p) = 0;
    virtual void MoveTo(const POINT& p) = 0;
    virtual void LineTo(const KType::RPoint2D& p) = 0;
    virtual void LineTo(const POINT& p) = 0;
    // points holds x, y pairs.
    virtual void Poly(const float* points, uint32_t count, bool closed, bool filled) = 0;
    virtual void Poly(const OBuffer<KType::RPoint2D>& points, bool closed, bool filled) = 0;
    virtual void PolyPolygon(const OList<OBuffer<KType::RPoint2D>>& rings, uint32_t totalPoints) = 0;
    // position is the image's top-left corner in world units; image pixels are world units.
    virtual void DrawImage(const KType::RPoint2D& position, int32_t width, int32_t height,
                           const void* bits, const BITMAPINFO* info, bool framed, int32_t shadow,
                           COLORREF frameColor, bool fastStretch) = 0;
    // box = {min x, max y, max x, min y}.
    virtual void FillRectShadow(COLORREF color, const float box[4], int32_t shadow,
                                COLORREF shadowColor) = 0;
    virtual void Rectangle(const float box[4], COLORREF color, bool filled) = 0;
    virtual void XorRect(const POINT& a, const POINT& b) = 0;

    // The world points (x, y pairs) or the buffer into the point buffer; closed repeats the first.
    void TransformPoints(const float* points, uint32_t count, bool closed);
    void TransformBuffer(const OBuffer<KType::RPoint2D>& points, bool closed);
    // False when the rectangle (right and bottom exclusive) lies wholly outside the canvas; else
    // clipped to it.
    bool ClipRect(RECT& rect) const;

    void SetViewPort(KViewPort* viewPort) { m_viewPort = viewPort; }
    KViewPort* GetViewPort() const { return m_viewPort; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    void SetOffset(int32_t x, int32_t y)
    {
        m_offsetX = x;
        m_offsetY = y;
    }
    bool IsDrawingFinished() const { return m_drawingFinished != 0; }
    void SetNoFrame(bool on) { m_noFrame = on ? 1 : 0; }
    void SetColorStretch(bool on) { m_colorStretch = on ? 1 : 0; }

protected:
    POINT ToDevice(const KType::RPoint2D& p) const;
    const std::vector<POINT>& Points() const { return m_points; }
    void AddPoint(const POINT& p) { m_points.push_back(p); }
    void ClearPoints() { m_points.clear(); }

    uint32_t m_drawingFinished = 0;
    uint32_t m_noFrame = 0;
    KViewPort* m_viewPort = nullptr; // not owned
    int32_t m_offsetX = 0;
    int32_t m_offsetY = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_colorStretch = 0;

private:
    std::vector<POINT> m_points; // grows with the largest shape, never shrinks
};
