// Passes every drawing call on to a sink and adds up what it costs the device, in the painter's
// work units (points): the points handed over, a share for each call, and the pixels a call
// makes the device touch (a line's length times its width, a fill's area, a text's glyphs), each
// cut to the device. A few entities repeated through nested arrays must spend the budget as
// fast as the time they take, whatever their kind: a dashed line of thousands of dashes, a fill
// of the whole device and a long text cost what they make the device do.
#pragma once

#include "engine/draw/DrawSink.h"

#include <cstddef>

namespace RkDraw {

class MeteredSink final : public DrawSink
{
public:
    explicit MeteredSink(DrawSink& inner) : m_inner(inner) {}

    void SetDeviceSize(int width, int height);
    // Measuring extents: the sink records a box and touches no pixel, so only points count.
    void SetCountPixels(bool countPixels) { m_countPixels = countPixels; }
    std::size_t Work() const { return m_work; }

    void SetPen(std::uint32_t rgb, double width) override;
    void SetColorIndex(int aci) override { m_inner.SetColorIndex(aci); }
    void Polyline(const DevPoint* points, int count) override;
    void Polygons(const DevPoint* points, const int* counts, int rings) override;
    void SetFillOpacity(double opacity) override;
    void Dot(DevPoint point) override;
    void Text(const TextRun& run) override;
    double TextWidth(const TextRun& run) override;
    void Picture(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                 DevPoint bottomLeft) override;
    void PushClip(const DevPoint* points, int count) override;
    void PopClip() override { m_inner.PopClip(); }
    void Flush() override { m_inner.Flush(); }

private:
    double Clipped(double length) const;
    // The pixels of the device under the box around the points.
    double AreaOnDevice(const DevPoint* points, std::size_t count) const;
    void AddPixels(double pixelWork);
    void Add(std::size_t units);

    DrawSink& m_inner;
    std::size_t m_work = 0;
    double m_penWidth = 0.0;
    bool m_blending = false;
    double m_width = 1.0, m_height = 1.0, m_diagonal = 1.5;
    bool m_countPixels = true;
};

} // namespace RkDraw
