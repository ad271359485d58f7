#include "engine/rkio/ExportDrawSink.h"

#include "engine/draw/RasterSampler.h"
#include "engine/rkio/GdiDrawSink.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace RkDraw {

void ExportDrawSink::SetPen(std::uint32_t rgb, double width)
{
    if (rgb != m_rgb || m_pen != m_lastPen) {
        m_rgb = rgb;
        m_lastPen = m_pen;
        m_target.SetColor(GdiDrawSink::ToColorRef(rgb), m_pen);
    }
    if (width != m_width) {
        m_width = width;
        m_target.SetLineWidth(width);
    }
}

void ExportDrawSink::Append(std::vector<double>& out, const DevPoint& p) const
{
    out.insert(out.end(), {p.x, m_height - p.y, 0.0, 0.0, 0.0});
}

void ExportDrawSink::Polyline(const DevPoint* points, int count)
{
    if (count < 2)
        return;
    m_target.MoveTo(points[0].x, m_height - points[0].y, 0.0);
    for (int i = 1; i < count; ++i)
        m_target.LineTo(points[i].x, m_height - points[i].y, 0.0);
}

void ExportDrawSink::Polygons(const DevPoint* points, const int* counts, int rings)
{
    m_buffer.clear();
    int total = 0;
    for (int r = 0; r < rings; ++r)
        total += counts[r];
    for (int i = 0; i < total; ++i)
        Append(m_buffer, points[i]);
    if (rings == 1)
        m_target.Polygon(0, counts[0] - 1, m_buffer.data());
    else
        m_target.PolyPolygon(m_buffer.data(), counts, rings);
}

void ExportDrawSink::Dot(DevPoint p)
{
    m_target.Pixel(p.x, m_height - p.y, 0.0);
}

void ExportDrawSink::Text(const TextRun& run)
{
    m_target.TextParam(run.utf8.c_str(), run.origin.x, m_height - run.origin.y, run.height,
                       run.angle, run.widthFactor, run.face.c_str());
}

double ExportDrawSink::TextWidth(const TextRun& run)
{
    // Proportional fonts average a little over half their height per character.
    return (run.height * run.widthFactor * 0.85 + run.charExtra) * static_cast<double>(run.utf8.size());
}

// The device places upright bitmaps: the picture is sampled upright on white paper.
void ExportDrawSink::Picture(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                             DevPoint bottomLeft)
{
    const double unbounded[4] = {-1e9, -1e9, 1e9, 1e9};
    const DeviceBox box = RasterSampler::Cover(topLeft, topRight, bottomLeft, unbounded);
    if (box.width <= 0 || box.height <= 0 || picture.width <= 0 || picture.height <= 0)
        return;
    const double pagePixels = static_cast<double>(box.width) * box.height;
    const double own = static_cast<double>(picture.width) * picture.height;
    // Twice the picture's resolution each way keeps its pixels' edges where they are; a page
    // bitmap stays within 16 million pixels.
    const double step = std::max({1.0, std::sqrt(pagePixels / (4.0 * own)), std::sqrt(pagePixels / 16e6)});
    RasterPicture sampled;
    if (!RasterSampler::Sample(picture, topLeft, topRight, bottomLeft, box, step, 0xFFFFFF, sampled))
        return;
    // The device keeps no pixels below to show through: a clear pixel is paper.
    if (picture.keyed)
        std::replace(sampled.pixels.begin(), sampled.pixels.end(), picture.key, 0xFFFFFFu);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = sampled.width;
    info.bmiHeader.biHeight = -sampled.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        return;
    }
    std::memcpy(bits, sampled.pixels.data(), sampled.Bytes());
    // The device takes the lower left corner, y upwards.
    m_target.DrawBitmap(box.left, m_height - (box.top + box.height), box.width, box.height, 0, 0,
                        sampled.width, sampled.height, 0, bitmap, 0, 0);
    DeleteObject(bitmap);
}

void ExportDrawSink::PushClip(const DevPoint* points, int count)
{
    m_buffer.clear();
    for (int i = 0; i < count; ++i)
        Append(m_buffer, points[i]);
    m_target.BeginClip(count, m_buffer.data());
}

void ExportDrawSink::PopClip()
{
    m_target.EndClip();
}

} // namespace RkDraw
