// A sink that keeps nothing and tallies what a device would have to do for what it is handed:
// calls, points, the pixels along lines (times a wide pen's width), the pixels under fills and
// glyphs, and characters laid out. The renderer's tests and the DXF fuzz target check it against
// the work budget, without the renderer's own meter. No Windows header.
#pragma once

#include "engine/draw/DrawSink.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace orvo::portable {

class DeviceWorkSink final : public RkDraw::DrawSink
{
public:
    DeviceWorkSink(int width, int height) : m_width(width), m_height(height) {}

    void SetPen(std::uint32_t, double width) override { m_pen = std::isfinite(width) ? width : 0.0; }
    void Polyline(const RkDraw::DevPoint* p, int n) override
    {
        ++calls;
        points += static_cast<double>(n);
        const double diagonal = std::hypot(m_width, m_height);
        for (int i = 1; i < n; ++i) {
            const double d = std::hypot(p[i].x - p[i - 1].x, p[i].y - p[i - 1].y);
            const double length = std::isfinite(d) ? std::min(d, diagonal) : diagonal;
            // A wide pen sweeps an area.
            if (m_pen >= 1.5)
                areaPixels += length * std::min(m_pen, 1000.0);
            else
                linePixels += length;
        }
    }
    void Polygons(const RkDraw::DevPoint* p, const int* counts, int rings) override
    {
        ++calls;
        int total = 0;
        for (int r = 0; r < rings; ++r)
            total += counts[r];
        points += total;
        double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
        for (int i = 0; i < total; ++i) {
            minX = std::min(minX, p[i].x);
            maxX = std::max(maxX, p[i].x);
            minY = std::min(minY, p[i].y);
            maxY = std::max(maxY, p[i].y);
        }
        const double w = std::min(maxX, double(m_width)) - std::max(minX, 0.0);
        const double h = std::min(maxY, double(m_height)) - std::max(minY, 0.0);
        if (w > 0 && h > 0)
            areaPixels += w * h;
        ++fills;
    }
    void Dot(RkDraw::DevPoint) override
    {
        ++calls;
        ++points;
    }
    void Text(const RkDraw::TextRun& run) override
    {
        ++calls;
        characters += static_cast<double>(run.utf8.size());
        const double h = std::isfinite(run.height) ? std::min(std::fabs(run.height), double(m_height)) : m_height;
        areaPixels += std::min(h * h, double(m_width) * m_height) * static_cast<double>(run.utf8.size());
    }
    double TextWidth(const RkDraw::TextRun& run) override
    {
        ++calls;
        characters += static_cast<double>(run.utf8.size());
        return run.height * 0.6 * static_cast<double>(run.utf8.size());
    }
    void PushClip(const RkDraw::DevPoint*, int) override { ++calls; }
    void PopClip() override {}

    // The whole in points of work, at the weakest rates a device was measured at: a point per
    // call or point, a point per ten pixels of line, per hundred pixels of area, per character.
    double Work() const { return calls + points + linePixels / 10.0 + areaPixels / 100.0 + characters; }

    double calls = 0, points = 0, linePixels = 0, areaPixels = 0, characters = 0, fills = 0;

private:
    int m_width, m_height;
    double m_pen = 0.0;
};

} // namespace orvo::portable
