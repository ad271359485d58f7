// A DrawSink that records what it is given, for the renderer tests and the fuzz target.
#pragma once

#include "engine/draw/DrawSink.h"

#include <vector>

namespace orvo::portable {

class RecordingSink final : public RkDraw::DrawSink
{
public:
    struct Stroke
    {
        std::uint32_t rgb;
        double width;
        std::vector<RkDraw::DevPoint> points;
    };

    void SetPen(std::uint32_t rgb, double width) override
    {
        m_rgb = rgb;
        m_width = width;
    }
    void Polyline(const RkDraw::DevPoint* p, int n) override
    {
        strokes.push_back({m_rgb, m_width, std::vector<RkDraw::DevPoint>(p, p + n)});
    }
    void Polygons(const RkDraw::DevPoint* p, const int* counts, int rings) override
    {
        int total = 0;
        for (int i = 0; i < rings; ++i)
            total += counts[i];
        fills.push_back({m_rgb, 0.0, std::vector<RkDraw::DevPoint>(p, p + total)});
    }
    void Dot(RkDraw::DevPoint p) override { dots.push_back(p); }
    void Text(const RkDraw::TextRun& run) override
    {
        texts.push_back(run);
        textColours.push_back(m_rgb);
    }
    double TextWidth(const RkDraw::TextRun& run) override
    {
        return (run.height * run.widthFactor * 0.6 + run.charExtra) * static_cast<double>(run.utf8.size());
    }
    struct PictureCall
    {
        const RkDraw::RasterPicture* picture;
        RkDraw::DevPoint topLeft, topRight, bottomLeft;
        int clipDepth;
    };
    void Picture(const RkDraw::RasterPicture& picture, RkDraw::DevPoint topLeft,
                 RkDraw::DevPoint topRight, RkDraw::DevPoint bottomLeft) override
    {
        pictures.push_back({&picture, topLeft, topRight, bottomLeft, depth});
    }
    void PushClip(const RkDraw::DevPoint* p, int n) override
    {
        clips.emplace_back(p, p + n);
        ++depth;
    }
    void PopClip() override { --depth; }

    std::vector<Stroke> strokes, fills;
    std::vector<RkDraw::DevPoint> dots;
    std::vector<RkDraw::TextRun> texts;
    std::vector<std::uint32_t> textColours;     // the pen's colour of each text
    std::vector<std::vector<RkDraw::DevPoint>> clips;
    std::vector<PictureCall> pictures;
    int depth = 0;

private:
    std::uint32_t m_rgb = 0;
    double m_width = 0.0;
};

} // namespace orvo::portable
