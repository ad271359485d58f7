// Sends the renderer's output to a CDwgExport device: device pixels (y down, 0..height) become page
// units with y upwards; lines become MoveTo/LineTo, fills PolyPolygon, text TextParam, pictures
// upright bitmaps (DrawBitmap).
#pragma once

#include "engine/draw/DrawSink.h"
#include "engine/rkio/CDwgExport.h"

#include <vector>

namespace RkDraw {

class ExportDrawSink final : public DrawSink
{
public:
    // height: the page height in units, to turn y around.
    ExportDrawSink(CDwgExport& target, double height) : m_target(target), m_height(height) {}

    void SetPen(std::uint32_t rgb, double width) override;
    void SetColorIndex(int aci) override { m_pen = aci; }
    void Polyline(const DevPoint* points, int count) override;
    void Polygons(const DevPoint* points, const int* counts, int rings) override;
    void Dot(DevPoint point) override;
    void Text(const TextRun& run) override;
    double TextWidth(const TextRun& run) override;
    void Picture(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                 DevPoint bottomLeft) override;
    void PushClip(const DevPoint* points, int count) override;
    void PopClip() override;

private:
    void Append(std::vector<double>& out, const DevPoint& p) const;

    CDwgExport& m_target;
    double m_height;
    std::uint32_t m_rgb = 0xFFFFFFFF;
    int m_pen = 7;
    int m_lastPen = -1;
    double m_width = -1.0;
    std::vector<double> m_buffer;
};

} // namespace RkDraw
