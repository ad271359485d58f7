#include "engine/draw/MeteredSink.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace RkDraw {

namespace {

// The costs below were measured on the GDI of Wine's DIB engine (bench/DrawingBench --hostile):
// a unit of the budget (sixteen points) takes about a quarter of a microsecond on any of them.
// What a call costs besides its points (the device's set-up of each call), and each point of a
// line (its transform, clip and the set-up of its segment).
constexpr std::size_t kCallWork = 2;
constexpr std::size_t kLinePointWork = 4;
// A fill selects its brush and builds the edge table of its rings.
constexpr std::size_t kFillCallWork = 48;
// A wide pen's joins and caps: each vertex becomes a polygon of its own.
constexpr std::size_t kWideVertexWork = 48;
// A text run selects its font and lays out its glyphs; each character drawn, and measured.
constexpr std::size_t kTextCallWork = 16;
constexpr std::size_t kDrawnCharacterWork = 6;
constexpr std::size_t kMeasuredCharacterWork = 4;
// Glyphs higher than this are drawn as outlines, each costing a path of its own.
constexpr double kOutlineTextHeight = 400.0;
constexpr std::size_t kOutlineGlyphWork = 16;
// Pixels a device touches for one point's work: along a thin line, and over an area (a fill, a
// wide pen, a glyph).
constexpr double kLinePixelsPerPoint = 10.0;
constexpr double kAreaPixelsPerPoint = 96.0;
// A fill walks its active edges on each scan line: crossings of edges with scan lines, times
// the edges active on a line, per point of work. Rings nested hundreds deep cost the square of
// their number on every line.
constexpr double kEdgeStepsPerPoint = 32.0;
// A fill laid over what is drawn (not opaque) blends every pixel it covers.
constexpr double kBlendFactor = 8.0;
// A pen this wide and wider fills the area it sweeps.
constexpr double kWidePen = 1.5;
// Past this many points of pixels a call is charged no more (more than a whole budget): the
// count stays within its type whatever the coordinates, in 32-bit builds too.
constexpr double kMostPixelWork = 1e8;

bool Finite(const DevPoint& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

void MeteredSink::SetDeviceSize(int width, int height)
{
    m_width = std::max(1, width);
    m_height = std::max(1, height);
    m_diagonal = std::hypot(m_width, m_height);
}

double MeteredSink::Clipped(double length) const
{
    // What lies off the device is clipped away, but a line across it touches its diagonal.
    return std::isfinite(length) ? std::min(length, m_diagonal) : m_diagonal;
}

void MeteredSink::AddPixels(double pixelWork)
{
    if (!m_countPixels || !(pixelWork > 0.0))
        return;
    Add(static_cast<std::size_t>(std::min(pixelWork, kMostPixelWork)));
}

void MeteredSink::Add(std::size_t units)
{
    m_work = units < SIZE_MAX - m_work ? m_work + units : SIZE_MAX;
}

void MeteredSink::SetPen(std::uint32_t rgb, double width)
{
    m_penWidth = std::isfinite(width) ? std::clamp(width, 0.0, 1000.0) : 0.0;
    Add(kCallWork);
    m_inner.SetPen(rgb, width);
}

void MeteredSink::Polyline(const DevPoint* points, int count)
{
    const std::size_t n = static_cast<std::size_t>(std::max(count, 0));
    Add(kCallWork + n * kLinePointWork);
    double length = 0.0;
    for (int i = 1; i < count; ++i) {
        if (Finite(points[i - 1]) && Finite(points[i]))
            length += Clipped(std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y));
    }
    if (m_penWidth >= kWidePen && m_countPixels) {
        Add(n * kWideVertexWork);
        AddPixels(length * m_penWidth / kAreaPixelsPerPoint);
    } else {
        AddPixels(length / kLinePixelsPerPoint);
    }
    m_inner.Polyline(points, count);
}

double MeteredSink::AreaOnDevice(const DevPoint* points, std::size_t count) const
{
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (std::size_t i = 0; i < count; ++i) {
        if (!Finite(points[i]))
            continue;
        minX = std::min(minX, points[i].x);
        maxX = std::max(maxX, points[i].x);
        minY = std::min(minY, points[i].y);
        maxY = std::max(maxY, points[i].y);
    }
    const double w = std::min(maxX, m_width) - std::max(minX, 0.0);
    const double h = std::min(maxY, m_height) - std::max(minY, 0.0);
    return w > 0.0 && h > 0.0 ? w * h : 0.0;
}

void MeteredSink::Polygons(const DevPoint* points, const int* counts, int rings)
{
    std::size_t total = 0;
    // Crossings of the rings' edges with the device's scan lines.
    double crossings = 0.0;
    double top = HUGE_VAL, bottom = -HUGE_VAL;
    for (int r = 0; r < rings; ++r) {
        const std::size_t n = static_cast<std::size_t>(std::max(counts[r], 0));
        for (std::size_t i = 0; i < n; ++i) {
            const DevPoint& p = points[total + i];
            const DevPoint& q = points[total + (i + 1) % n];
            if (!Finite(p) || !Finite(q))
                continue;
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
            const double low = std::max(std::min(p.y, q.y), 0.0), high = std::min(std::max(p.y, q.y), m_height);
            if (high > low)
                crossings += high - low;
        }
        total += n;
    }
    Add(kFillCallWork + total);
    // The rings' box cut to the device: the pixels the fill may cover.
    const double area = AreaOnDevice(points, total);
    if (area > 0.0) {
        AddPixels(area * (m_blending ? kBlendFactor : 1.0) / kAreaPixelsPerPoint);
        // The edges active on a scan line, on average over the lines the rings cover.
        const double lines = std::max(1.0, std::min(bottom, m_height) - std::max(top, 0.0));
        AddPixels(crossings * std::max(1.0, crossings / lines) / kEdgeStepsPerPoint);
    }
    m_inner.Polygons(points, counts, rings);
}

void MeteredSink::SetFillOpacity(double opacity)
{
    m_blending = !(opacity >= 1.0);
    Add(kCallWork);
    m_inner.SetFillOpacity(opacity);
}

void MeteredSink::Picture(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                          DevPoint bottomLeft)
{
    // The device samples the picture over its parallelogram cut to the device.
    const DevPoint bottomRight{topRight.x + bottomLeft.x - topLeft.x, topRight.y + bottomLeft.y - topLeft.y};
    const DevPoint corners[4] = {topLeft, topRight, bottomRight, bottomLeft};
    Add(kFillCallWork);
    AddPixels(AreaOnDevice(corners, 4) * kBlendFactor / kAreaPixelsPerPoint);
    m_inner.Picture(picture, topLeft, topRight, bottomLeft);
}

void MeteredSink::Dot(DevPoint point)
{
    Add(kCallWork + 1);
    m_inner.Dot(point);
}

void MeteredSink::Text(const TextRun& run)
{
    const std::size_t characters = run.utf8.size();
    Add(kTextCallWork + characters * kDrawnCharacterWork);
    if (m_countPixels) {
        // Each glyph covers about its height squared (cut to the device's height); higher ones
        // are outlines of their own.
        const double height = std::isfinite(run.height) ? std::min(std::fabs(run.height), m_height) : m_height;
        const double wide = std::isfinite(run.widthFactor) ? std::clamp(std::fabs(run.widthFactor), 0.01, 100.0) : 1.0;
        const double glyph = std::min(height * height * wide, m_width * m_height);
        AddPixels(glyph * static_cast<double>(characters) / kAreaPixelsPerPoint);
        if (std::fabs(run.height) > kOutlineTextHeight)
            Add(characters * kOutlineGlyphWork);
    }
    m_inner.Text(run);
}

double MeteredSink::TextWidth(const TextRun& run)
{
    Add(kTextCallWork + run.utf8.size() * kMeasuredCharacterWork);
    return m_inner.TextWidth(run);
}

void MeteredSink::PushClip(const DevPoint* points, int count)
{
    Add(kFillCallWork + static_cast<std::size_t>(std::max(count, 0)));
    m_inner.PushClip(points, count);
}

} // namespace RkDraw
