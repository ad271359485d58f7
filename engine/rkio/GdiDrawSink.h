// Draws the renderer's output into a Windows device context (screen, DIB section, printer or
// metafile): lines batched into PolyPolyline calls per pen, fills with PolyPolygon, TrueType text
// through a world transform (rotation, width factor, obliquing, mirroring), clipping with paths.
#pragma once

#include "engine/draw/DrawSink.h"
#include "engine/rkio/GlyphAdvances.h"

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace RkDraw {

class GdiDrawSink final : public DrawSink
{
public:
    explicit GdiDrawSink(HDC dc);
    ~GdiDrawSink() override;
    GdiDrawSink(const GdiDrawSink&) = delete;
    GdiDrawSink& operator=(const GdiDrawSink&) = delete;

    void SetPen(std::uint32_t rgb, double width) override;
    void Polyline(const DevPoint* points, int count) override;
    void Polygons(const DevPoint* points, const int* counts, int rings) override;
    void SetFillOpacity(double opacity) override;
    void Dot(DevPoint point) override;
    void Text(const TextRun& run) override;
    double TextWidth(const TextRun& run) override;
    void Picture(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                 DevPoint bottomLeft) override;
    void PushClip(const DevPoint* points, int count) override;
    void PopClip() override;
    void Flush() override;

    // 0x00RRGGBB to a COLORREF.
    static COLORREF ToColorRef(std::uint32_t rgb);

private:
    using FontKey = std::tuple<std::wstring, int, bool, bool>;

    HPEN PenFor(std::uint32_t rgb, int width);
    HFONT FontFor(const TextRun& run, int* pixelHeight);
    // Cumulative advances of the text's units in the face at the reference size; answers the
    // device pixels per reference pixel at the run's height.
    double Advances(const TextRun& run, const std::wstring& text, std::vector<double>& cumulative);
    std::vector<INT> Spacing(const TextRun& run, const std::wstring& text, double xScale);
    static std::size_t Characters(const std::wstring& text);
    void AddSegment(const DevPoint& a, const DevPoint& b);
    void Blit(const RasterPicture& picture, const RECT& to, BITMAPINFO& info);
    void SampleTurned(const RasterPicture& picture, DevPoint topLeft, DevPoint u, DevPoint v, BITMAPINFO& info);
    // Fills translucently where the device keeps its pixels (screen, bitmap); false on others.
    bool BlendPolygons(std::vector<POINT>& points, const std::vector<INT>& counts, HBRUSH brush);
    void ReleaseCaches();

    HDC m_dc;
    int m_savedDc;
    std::uint32_t m_rgb = 0;
    int m_width = 0;
    HPEN m_pen = nullptr;
    std::map<std::pair<std::uint32_t, int>, HPEN> m_pens;
    std::map<FontKey, HFONT> m_fonts;
    GlyphAdvances m_advances;
    std::vector<POINT> m_points;
    std::vector<DWORD> m_counts;
    int m_clipDepth = 0;
    double m_opacity = 1.0;
};

} // namespace RkDraw
