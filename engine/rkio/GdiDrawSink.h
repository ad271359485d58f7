// Draws the renderer's output into a Windows device context (screen, DIB section, printer or
// metafile): lines batched into PolyPolyline calls per pen, fills with PolyPolygon, TrueType text
// through a world transform (rotation, width factor, obliquing, mirroring), clipping with paths.
// On a plain 24- or 32-bit DIB section thin lines and dots are written into its pixels directly
// (PixelCanvas, the pixels GDI's thin pen gives), in their turn between the GDI calls of the rest:
// a drawing whose neighbouring entities change colour costs no system call per entity.
#pragma once

#include "engine/draw/DrawSink.h"
#include "engine/draw/PixelCanvas.h"
#include "engine/rkio/GlyphAdvances.h"

#include <windows.h>

#include <map>
#include <optional>
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
    // Thin lines go into the pixels directly now (no clip path, a thin pen).
    bool Direct() const { return m_canvas && m_clipDepth == 0 && m_width <= 1; }
    void DrawDirect();
    void SelectPen();
    // GDI may hold drawing back (Windows batches calls): done before the pixels are written.
    void GdiDrew() { m_gdiPending = true; }

    HDC m_dc;
    int m_savedDc;
    std::uint32_t m_rgb = 0;
    int m_width = 0;
    HPEN m_pen = nullptr;        // null until GDI draws with the chosen pen
    bool m_penChosen = false;
    std::map<std::pair<std::uint32_t, int>, HPEN> m_pens;
    std::map<FontKey, HFONT> m_fonts;
    GlyphAdvances m_advances;
    std::vector<POINT> m_points;
    std::vector<DWORD> m_counts;
    int m_clipDepth = 0;
    double m_opacity = 1.0;
    std::optional<PixelCanvas> m_canvas;
    bool m_gdiPending = true;
};

} // namespace RkDraw
