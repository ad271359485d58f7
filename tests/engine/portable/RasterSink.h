// A DrawSink that paints into a plain pixel array, for tests that judge a picture by its pixels
// (how much ink a pattern lays down, which colour lies on top). Lines are one pixel wide or
// stamped squares of the pen's width (a line of no length shows nothing, as on a display),
// polygons filled by the even-odd rule, dots one pixel or a square of the pen's width, texts as
// their box outline. Clipping is to the clip's bounding box.
#pragma once

#include "engine/draw/DrawSink.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orvo::portable {

class RasterSink final : public RkDraw::DrawSink
{
public:
    RasterSink(int width, int height, std::uint32_t background = 0xFFFFFF)
        : m_width(width), m_height(height), m_background(background),
          m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background)
    {
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::uint32_t At(int x, int y) const
    {
        return m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                        static_cast<std::size_t>(x)];
    }
    // Pixels of the box [x0, x1) x [y0, y1) that are not the background / that are exactly rgb.
    std::size_t Ink(int x0, int y0, int x1, int y1) const
    {
        return Count(x0, y0, x1, y1, [this](std::uint32_t p) { return p != m_background; });
    }
    std::size_t CountColor(int x0, int y0, int x1, int y1, std::uint32_t rgb) const
    {
        return Count(x0, y0, x1, y1, [rgb](std::uint32_t p) { return p == rgb; });
    }
    // A binary PPM of the picture (to look at while a test is written).
    bool SavePpm(const std::string& path) const
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        std::fprintf(f, "P6\n%d %d\n255\n", m_width, m_height);
        for (std::uint32_t p : m_pixels) {
            const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                          static_cast<unsigned char>(p >> 8),
                                          static_cast<unsigned char>(p)};
            std::fwrite(rgb, 1, 3, f);
        }
        return std::fclose(f) == 0;
    }

    void SetPen(std::uint32_t rgb, double width) override
    {
        m_rgb = rgb & 0xFFFFFF;
        m_pen = std::max(1, static_cast<int>(std::lround(width)));
    }
    void Polyline(const RkDraw::DevPoint* p, int n) override
    {
        if (n == 1)
            Dot(p[0]);
        for (int i = 1; i < n; ++i)
            Segment(p[i - 1], p[i]);
    }
    void SetFillOpacity(double opacity) override { m_opacity = std::clamp(opacity, 0.0, 1.0); }
    void Polygons(const RkDraw::DevPoint* p, const int* counts, int rings) override
    {
        m_filling = true;
        std::vector<double> cuts;
        for (int y = Top(); y < Bottom(); ++y) {
            const double sy = y + 0.5;
            cuts.clear();
            int at = 0;
            for (int r = 0; r < rings; ++r) {
                for (int i = 0, j = counts[r] - 1; i < counts[r]; j = i++) {
                    const RkDraw::DevPoint& a = p[at + i];
                    const RkDraw::DevPoint& b = p[at + j];
                    if ((a.y > sy) != (b.y > sy))
                        cuts.push_back(a.x + (sy - a.y) * (b.x - a.x) / (b.y - a.y));
                }
                at += counts[r];
            }
            std::sort(cuts.begin(), cuts.end());
            for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
                const int x0 = static_cast<int>(std::ceil(cuts[i] - 0.5));
                const int x1 = static_cast<int>(std::floor(cuts[i + 1] - 0.5));
                for (int x = x0; x <= x1; ++x)
                    Plot(x, y);
            }
        }
        m_filling = false;
    }
    void Dot(RkDraw::DevPoint p) override { Stamp(p.x, p.y); }
    void Text(const RkDraw::TextRun& run) override
    {
        texts.push_back(run);
        const double w = TextWidth(run), c = std::cos(run.angle), s = std::sin(run.angle);
        const RkDraw::DevPoint o = run.origin;
        const RkDraw::DevPoint e{o.x + w * c, o.y - w * s};
        const RkDraw::DevPoint up{-run.height * s, -run.height * c};
        const RkDraw::DevPoint box[5] = {o, e, {e.x + up.x, e.y + up.y}, {o.x + up.x, o.y + up.y}, o};
        Polyline(box, 5);
    }
    double TextWidth(const RkDraw::TextRun& run) override
    {
        return run.height * run.widthFactor * 0.8 * static_cast<double>(run.utf8.size());
    }
    void PushClip(const RkDraw::DevPoint* p, int n) override
    {
        Clip box{0, 0, m_width, m_height};
        if (n > 0) {
            double minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
            for (int i = 1; i < n; ++i) {
                minX = std::min(minX, p[i].x);
                maxX = std::max(maxX, p[i].x);
                minY = std::min(minY, p[i].y);
                maxY = std::max(maxY, p[i].y);
            }
            box = {static_cast<int>(std::floor(minX)), static_cast<int>(std::floor(minY)),
                   static_cast<int>(std::ceil(maxX)), static_cast<int>(std::ceil(maxY))};
        }
        if (!m_clips.empty()) {
            const Clip& o = m_clips.back();
            box = {std::max(box.x0, o.x0), std::max(box.y0, o.y0), std::min(box.x1, o.x1),
                   std::min(box.y1, o.y1)};
        }
        m_clips.push_back(box);
    }
    void PopClip() override
    {
        if (!m_clips.empty())
            m_clips.pop_back();
    }

    std::vector<RkDraw::TextRun> texts;

private:
    struct Clip
    {
        int x0, y0, x1, y1;
    };

    template <class Match>
    std::size_t Count(int x0, int y0, int x1, int y1, Match match) const
    {
        std::size_t n = 0;
        for (int y = std::max(0, y0); y < std::min(m_height, y1); ++y) {
            for (int x = std::max(0, x0); x < std::min(m_width, x1); ++x)
                n += match(At(x, y)) ? 1 : 0;
        }
        return n;
    }
    int Top() const { return m_clips.empty() ? 0 : std::max(0, m_clips.back().y0); }
    int Bottom() const { return m_clips.empty() ? m_height : std::min(m_height, m_clips.back().y1); }
    void Plot(int x, int y)
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return;
        if (!m_clips.empty()) {
            const Clip& c = m_clips.back();
            if (x < c.x0 || y < c.y0 || x >= c.x1 || y >= c.y1)
                return;
        }
        std::uint32_t& pixel = m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                                        static_cast<std::size_t>(x)];
        if (!m_filling || m_opacity >= 1.0) {
            pixel = m_rgb;
            return;
        }
        std::uint32_t mixed = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const double over = (m_rgb >> shift) & 0xFF, below = (pixel >> shift) & 0xFF;
            mixed |= static_cast<std::uint32_t>(std::lround(below + (over - below) * m_opacity)) << shift;
        }
        pixel = mixed;
    }
    void Stamp(double x, double y)
    {
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e7 || std::fabs(y) > 1e7)
            return;
        const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
        const int lo = -(m_pen - 1) / 2, hi = m_pen / 2;
        for (int dy = lo; dy <= hi; ++dy) {
            for (int dx = lo; dx <= hi; ++dx)
                Plot(cx + dx, cy + dy);
        }
    }
    void Segment(RkDraw::DevPoint a, RkDraw::DevPoint b)
    {
        // As a display device draws lines: one that begins and ends on one pixel shows nothing.
        if (std::lround(a.x) == std::lround(b.x) && std::lround(a.y) == std::lround(b.y))
            return;
        // Cut to a margin around the device so a far end costs nothing.
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        if (!std::isfinite(len))
            return;
        const int steps = static_cast<int>(std::min(len, 4.0 * (m_width + m_height))) + 1;
        for (int i = 0; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            Stamp(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
        }
    }

    int m_width, m_height;
    std::uint32_t m_background;
    std::vector<std::uint32_t> m_pixels;
    std::uint32_t m_rgb = 0;
    int m_pen = 1;
    double m_opacity = 1.0;
    bool m_filling = false;
    std::vector<Clip> m_clips;
};

} // namespace orvo::portable
