#include "engine/rkio/GdiDrawSink.h"

#include "engine/draw/RasterSampler.h"
#include "engine/rkio/DirectCanvas.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

namespace {

// GDI takes 32-bit coordinates, and some drivers only 2^27: segments are clipped to this square.
constexpr double kLimit = 1.0e7;
constexpr std::size_t kBatchPoints = 16384;
constexpr std::size_t kMaxCachedObjects = 256;
// Text higher than this many pixels is drawn as a filled outline.
constexpr double kOutlineTextHeight = 400.0;

std::uint32_t OverPaper(std::uint32_t rgb, double opacity)
{
    std::uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double channel = (rgb >> shift) & 0xFF;
        mixed |= static_cast<std::uint32_t>(std::lround(255.0 + (channel - 255.0) * opacity)) << shift;
    }
    return mixed;
}

bool Inside(const DevPoint& p)
{
    return std::fabs(p.x) <= kLimit && std::fabs(p.y) <= kLimit;
}

LONG Round(double v)
{
    return static_cast<LONG>(std::lround(std::clamp(v, -kLimit, kLimit)));
}

// Liang-Barsky clip of a to b against the limit square; false when nothing is left.
bool ClipSegment(DevPoint& a, DevPoint& b)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x + kLimit, kLimit - a.x, a.y + kLimit, kLimit - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
    }
    if (!(t0 <= t1))
        return false;
    const DevPoint start{a.x + dx * t0, a.y + dy * t0};
    b = {a.x + dx * t1, a.y + dy * t1};
    a = start;
    return true;
}

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

} // namespace

COLORREF GdiDrawSink::ToColorRef(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

GdiDrawSink::GdiDrawSink(HDC dc) : m_dc(dc), m_savedDc(SaveDC(dc)), m_canvas(DirectCanvas(dc))
{
    SetBkMode(m_dc, TRANSPARENT);
    SetPolyFillMode(m_dc, ALTERNATE);
    SetPen(0, 0.0);
}

GdiDrawSink::~GdiDrawSink()
{
    Flush();
    RestoreDC(m_dc, m_savedDc);
    ReleaseCaches();
}

void GdiDrawSink::ReleaseCaches()
{
    SelectObject(m_dc, GetStockObject(BLACK_PEN));
    SelectObject(m_dc, GetStockObject(SYSTEM_FONT));
    SelectObject(m_dc, GetStockObject(NULL_BRUSH));
    for (auto& p : m_pens)
        DeleteObject(p.second);
    m_pens.clear();
    for (auto& f : m_fonts)
        DeleteObject(f.second);
    m_fonts.clear();
    m_advances.Clear();
    m_pen = nullptr;
}

HPEN GdiDrawSink::PenFor(std::uint32_t rgb, int width)
{
    const auto key = std::make_pair(rgb, width);
    const auto found = m_pens.find(key);
    if (found != m_pens.end())
        return found->second;
    if (m_pens.size() >= kMaxCachedObjects) {
        SelectObject(m_dc, GetStockObject(BLACK_PEN));
        for (auto& p : m_pens)
            DeleteObject(p.second);
        m_pens.clear();
    }
    HPEN pen;
    if (width <= 1) {
        pen = CreatePen(PS_SOLID, width, ToColorRef(rgb));
    } else {
        // Wide lines end round, as plotted lines do.
        const LOGBRUSH brush = {BS_SOLID, ToColorRef(rgb), 0};
        pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                           static_cast<DWORD>(width), &brush, 0, nullptr);
    }
    m_pens.emplace(key, pen);
    return pen;
}

void GdiDrawSink::SetPen(std::uint32_t rgb, double width)
{
    const int w = static_cast<int>(std::lround(std::clamp(width, 0.0, 1000.0)));
    if (m_penChosen && rgb == m_rgb && w == m_width)
        return;
    Flush();
    m_penChosen = true;
    m_rgb = rgb;
    m_width = w;
    // Made and selected when GDI draws with it: lines written into the pixels need no pen.
    m_pen = nullptr;
}

void GdiDrawSink::SelectPen()
{
    if (m_pen)
        return;
    m_pen = PenFor(m_rgb, m_width);
    SelectObject(m_dc, m_pen);
}

void GdiDrawSink::AddSegment(const DevPoint& a, const DevPoint& b)
{
    m_points.push_back({Round(a.x), Round(a.y)});
    m_points.push_back({Round(b.x), Round(b.y)});
    m_counts.push_back(2);
}

void GdiDrawSink::Polyline(const DevPoint* points, int count)
{
    if (count < 2)
        return;
    bool inside = true;
    for (int i = 0; i < count && inside; ++i)
        inside = Inside(points[i]);
    if (inside) {
        for (int i = 0; i < count; ++i)
            m_points.push_back({static_cast<LONG>(std::lround(points[i].x)),
                                static_cast<LONG>(std::lround(points[i].y))});
        m_counts.push_back(static_cast<DWORD>(count));
    } else {
        for (int i = 1; i < count; ++i) {
            DevPoint a = points[i - 1], b = points[i];
            if (std::isfinite(a.x + a.y + b.x + b.y) && ClipSegment(a, b))
                AddSegment(a, b);
        }
    }
    if (Direct())
        DrawDirect();
    else if (m_points.size() >= kBatchPoints)
        Flush();
}

// The batch as GDI would have drawn it: each polyline's segments without their last pixels.
void GdiDrawSink::DrawDirect()
{
    if (m_gdiPending) {
        GdiFlush();
        m_gdiPending = false;
    }
    const std::uint32_t rgb = m_rgb & 0xFFFFFF;
    std::size_t at = 0;
    for (const DWORD count : m_counts) {
        for (std::size_t i = at + 1; i < at + count; ++i)
            m_canvas->Line(m_points[i - 1].x, m_points[i - 1].y, m_points[i].x, m_points[i].y, rgb);
        at += count;
    }
    m_points.clear();
    m_counts.clear();
}

void GdiDrawSink::Flush()
{
    if (!m_counts.empty()) {
        SelectPen();
        PolyPolyline(m_dc, m_points.data(), m_counts.data(), static_cast<DWORD>(m_counts.size()));
        GdiDrew();
    }
    m_points.clear();
    m_counts.clear();
}

void GdiDrawSink::Polygons(const DevPoint* points, const int* counts, int rings)
{
    Flush();
    std::vector<POINT> pts;
    std::vector<INT> ringCounts;
    int at = 0;
    for (int r = 0; r < rings; ++r) {
        if (counts[r] >= 2) {
            for (int i = 0; i < counts[r]; ++i)
                pts.push_back({Round(points[at + i].x), Round(points[at + i].y)});
            ringCounts.push_back(counts[r]);
        }
        at += counts[r];
    }
    if (ringCounts.empty())
        return;
    HBRUSH brush = CreateSolidBrush(ToColorRef(m_rgb));
    if (m_opacity < 1.0) {
        if (BlendPolygons(pts, ringCounts, brush)) {
            DeleteObject(brush);
            return;
        }
        // A printer or a metafile keeps no pixels to blend with: the colour as it would look
        // over the paper.
        DeleteObject(brush);
        brush = CreateSolidBrush(ToColorRef(OverPaper(m_rgb, m_opacity)));
    }
    SelectPen();
    HGDIOBJ old = SelectObject(m_dc, brush);
    PolyPolygon(m_dc, pts.data(), ringCounts.data(), static_cast<int>(ringCounts.size()));
    GdiDrew();
    SelectObject(m_dc, old);
    DeleteObject(brush);
}

void GdiDrawSink::SetFillOpacity(double opacity)
{
    m_opacity = std::isfinite(opacity) ? std::clamp(opacity, 0.0, 1.0) : 1.0;
}

bool GdiDrawSink::BlendPolygons(std::vector<POINT>& points, const std::vector<INT>& counts, HBRUSH brush)
{
    const DWORD kind = GetObjectType(m_dc);
    if (kind == OBJ_ENHMETADC || kind == OBJ_METADC || GetDeviceCaps(m_dc, TECHNOLOGY) != DT_RASDISPLAY)
        return false;       // a metafile or a printer: no pixels to read back
    RECT visible;
    if (GetClipBox(m_dc, &visible) == ERROR)
        return false;
    RECT box{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
    for (const POINT& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x + 1);
        box.bottom = std::max(box.bottom, p.y + 1);
    }
    RECT area;
    if (!IntersectRect(&area, &box, &visible))
        return true;        // nothing of it shows
    const int w = area.right - area.left, h = area.bottom - area.top;
    HDC memory = CreateCompatibleDC(m_dc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(m_dc, w, h) : nullptr;
    if (!bitmap) {
        if (memory)
            DeleteDC(memory);
        return false;
    }
    // The area as drawn so far, the polygons painted into it, then the copy blended back: what
    // lies outside the polygons comes back unchanged.
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    if (!BitBlt(memory, 0, 0, w, h, m_dc, area.left, area.top, SRCCOPY)) {
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
        return false;
    }
    for (POINT& p : points) {
        p.x -= area.left;
        p.y -= area.top;
    }
    SetPolyFillMode(memory, ALTERNATE);
    HGDIOBJ oldPen = SelectObject(memory, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(memory, brush);
    PolyPolygon(memory, points.data(), counts.data(), static_cast<int>(counts.size()));
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::lround(m_opacity * 255.0)), 0};
    const bool blended =
        AlphaBlend(m_dc, area.left, area.top, w, h, memory, 0, 0, w, h, blend) != FALSE;
    GdiDrew();
    SelectObject(memory, oldBrush);
    SelectObject(memory, oldPen);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    if (!blended) {
        for (POINT& p : points) {
            p.x += area.left;
            p.y += area.top;
        }
    }
    return blended;
}

void GdiDrawSink::Dot(DevPoint p)
{
    if (!Inside(p))
        return;
    // A segment one pixel long marks the dot with the pen: one pixel for a thin pen (a line
    // leaves out its last pixel), a round dot of the pen's width for a wide one. A segment of
    // no length would draw nothing.
    const POINT at{Round(p.x), Round(p.y)};
    m_points.push_back(at);
    m_points.push_back({at.x + 1, at.y});
    m_counts.push_back(2);
    if (Direct())
        DrawDirect();
    else if (m_points.size() >= kBatchPoints)
        Flush();
}

HFONT GdiDrawSink::FontFor(const TextRun& run, int* pixelHeight)
{
    // CAD heights are cap heights, about 70 % of the em height GDI asks for.
    const int height = static_cast<int>(std::lround(std::clamp(run.height / 0.7, 1.0, 20000.0)));
    *pixelHeight = height;
    const FontKey key{Widen(run.face), height, run.bold, run.italic};
    const auto found = m_fonts.find(key);
    if (found != m_fonts.end())
        return found->second;
    if (m_fonts.size() >= kMaxCachedObjects) {
        SelectObject(m_dc, GetStockObject(SYSTEM_FONT));
        for (auto& f : m_fonts)
            DeleteObject(f.second);
        m_fonts.clear();
        m_advances.Clear();
    }
    LOGFONTW lf = {};
    lf.lfHeight = -height;
    lf.lfWeight = run.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = run.italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = ANTIALIASED_QUALITY;
    const std::wstring& face = std::get<0>(key);
    wcsncpy(lf.lfFaceName, face.empty() ? L"Arial" : face.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    m_fonts.emplace(key, font);
    return font;
}

// Advances come from the face at one reference size, where hinting moves them by a fraction of
// a percent: measured and drawn at any zoom, a text then takes the width the face gives it, and
// the extents measured at one scale hold the text drawn at another.
double GdiDrawSink::Advances(const TextRun& run, const std::wstring& text, std::vector<double>& cumulative)
{
    TextRun reference = run;
    reference.height = kOutlineTextHeight;
    int em = 0;
    HFONT font = FontFor(reference, &em);
    m_advances.Cumulative(m_dc, font, text, cumulative);
    // Device pixels per reference pixel at the run's own height.
    return run.height / 0.7 / std::max(em, 1);
}

double GdiDrawSink::TextWidth(const TextRun& run)
{
    const std::wstring text = Widen(run.utf8);
    if (text.empty())
        return 0.0;
    std::vector<double> cumulative;
    const double k = Advances(run, text, cumulative);
    return cumulative.back() * k * run.widthFactor + run.charExtra * static_cast<double>(Characters(text));
}

// Characters, not UTF-16 units: the second half of a surrogate pair adds no tracking.
std::size_t GdiDrawSink::Characters(const std::wstring& text)
{
    std::size_t n = 0;
    for (const wchar_t c : text)
        n += (c >= 0xDC00 && c <= 0xDFFF) ? 0 : 1;
    return n;
}

// The advance of each UTF-16 unit in the drawn font's logical units (x is scaled by xScale on
// the device), rounded cumulatively so no error gathers along the text.
std::vector<INT> GdiDrawSink::Spacing(const TextRun& run, const std::wstring& text, double xScale)
{
    std::vector<double> cumulative;
    const double k = Advances(run, text, cumulative) * run.widthFactor / xScale;
    const double extra = run.charExtra / xScale;
    std::vector<INT> dx(text.size(), 0);
    long previous = 0;
    double characters = 0.0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] >= 0xDC00 && text[i] <= 0xDFFF))
            characters += 1.0;
        const long at = std::lround(cumulative[i] * k + extra * characters);
        dx[i] = static_cast<INT>(at - previous);
        previous = at;
    }
    return dx;
}

void GdiDrawSink::Text(const TextRun& run)
{
    Flush();
    // Very large text is drawn as a filled outline of a smaller font scaled up: rasterizing glyphs
    // thousands of pixels high is slow, filling their outline is not.
    TextRun shown = run;
    double scale = 1.0;
    if (run.height > kOutlineTextHeight) {
        scale = run.height / kOutlineTextHeight;
        shown.height = kOutlineTextHeight;
    }
    const std::wstring text = Widen(run.utf8);
    if (text.empty())
        return;
    const double xScale = std::max(std::fabs(run.widthFactor), 1e-6) * scale;
    const std::vector<INT> dx = Spacing(run, text, xScale);
    int height = 0;
    HFONT font = FontFor(shown, &height);
    // The run's own frame: baseline origin, rotation, width factor, obliquing and mirroring.
    const int oldMode = SetGraphicsMode(m_dc, GM_ADVANCED);
    XFORM old;
    GetWorldTransform(m_dc, &old);
    const double c = std::cos(run.angle), s = std::sin(run.angle);
    const double sx = run.widthFactor * (run.mirrorX ? -1.0 : 1.0) * scale;
    const double sy = (run.mirrorY ? -1.0 : 1.0) * scale;
    const double shear = std::tan(std::clamp(run.oblique, -1.4, 1.4));
    XFORM x;
    // Text space (x right, y down as GDI draws) -> device: scale/shear, then rotate, then move.
    x.eM11 = static_cast<FLOAT>(c * sx);
    x.eM12 = static_cast<FLOAT>(-s * sx);
    x.eM21 = static_cast<FLOAT>((-shear * c + s) * sy);
    x.eM22 = static_cast<FLOAT>((shear * s + c) * sy);
    x.eDx = static_cast<FLOAT>(run.origin.x);
    x.eDy = static_cast<FLOAT>(run.origin.y);
    SetWorldTransform(m_dc, &x);
    HGDIOBJ oldFont = SelectObject(m_dc, font);
    SetTextColor(m_dc, ToColorRef(m_rgb));
    SetTextAlign(m_dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    const UINT count = static_cast<UINT>(text.size());
    if (scale > 1.0) {
        BeginPath(m_dc);
        ExtTextOutW(m_dc, 0, 0, 0, nullptr, text.c_str(), count, dx.data());
        EndPath(m_dc);
        HBRUSH brush = CreateSolidBrush(ToColorRef(m_rgb));
        HGDIOBJ oldBrush = SelectObject(m_dc, brush);
        FillPath(m_dc);
        SelectObject(m_dc, oldBrush);
        DeleteObject(brush);
    } else {
        ExtTextOutW(m_dc, 0, 0, 0, nullptr, text.c_str(), count, dx.data());
    }
    GdiDrew();
    SelectObject(m_dc, oldFont);
    SetWorldTransform(m_dc, &old);
    SetGraphicsMode(m_dc, oldMode);
}

// An upright picture (mirrored or not) is one StretchDIBits. A turned or skewed one is sampled
// here into the device's pixels within its parallelogram (and cut to the clip box): Wine's
// StretchDIBits maps only the corners of its rectangle through a world transform and would draw
// it upright.
void GdiDrawSink::Picture(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                          DevPoint bottomLeft)
{
    if (picture.width <= 0 || picture.height <= 0)
        return;
    Flush();
    const double w = picture.width, h = picture.height;
    const double ux = (topRight.x - topLeft.x) / w, uy = (topRight.y - topLeft.y) / w;
    const double vx = (bottomLeft.x - topLeft.x) / h, vy = (bottomLeft.y - topLeft.y) / h;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int oldStretch = SetStretchBltMode(m_dc, COLORONCOLOR);
    const double scale = std::max(std::fabs(ux) + std::fabs(uy), std::fabs(vx) + std::fabs(vy));
    // Far past the device (a close zoom) the corners would be cut to GDI's range: sampled too.
    const bool upright = std::fabs(uy) <= 1e-9 * scale && std::fabs(vx) <= 1e-9 * scale;
    if (upright && Inside(topLeft) && Inside(topRight) && Inside(bottomLeft)) {
        info.bmiHeader.biWidth = picture.width;
        info.bmiHeader.biHeight = -picture.height;     // rows from the top
        Blit(picture, {Round(topLeft.x), Round(topLeft.y), Round(topRight.x), Round(bottomLeft.y)}, info);
    } else {
        SampleTurned(picture, topLeft, {ux, uy}, {vx, vy}, info);
    }
    SetStretchBltMode(m_dc, oldStretch);
}

void GdiDrawSink::SampleTurned(const RasterPicture& picture, DevPoint topLeft, DevPoint u, DevPoint v,
                               BITMAPINFO& info)
{
    RECT clip;
    if (GetClipBox(m_dc, &clip) == ERROR)
        return;
    const DevPoint topRight{topLeft.x + u.x * picture.width, topLeft.y + u.y * picture.width};
    const DevPoint bottomLeft{topLeft.x + v.x * picture.height, topLeft.y + v.y * picture.height};
    const double limits[4] = {static_cast<double>(clip.left), static_cast<double>(clip.top),
                              static_cast<double>(clip.right), static_cast<double>(clip.bottom)};
    const DeviceBox box = RasterSampler::Cover(topLeft, topRight, bottomLeft, limits);
    RasterPicture sampled;
    if (!RasterSampler::Sample(picture, topLeft, topRight, bottomLeft, box, 1.0, 0, sampled))
        return;
    sampled.keyed = picture.keyed;
    sampled.key = picture.key;
    // Only the parallelogram: the rest of its box keeps what lies below.
    const DevPoint frame[4] = {topLeft, topRight,
                               {topRight.x + bottomLeft.x - topLeft.x, topRight.y + bottomLeft.y - topLeft.y},
                               bottomLeft};
    PushClip(frame, 4);
    Blit(sampled, {box.left, box.top, box.left + sampled.width, box.top + sampled.height}, info);
    PopClip();
}

// A keyed picture goes down in two strokes, as a sprite: its mask (black where it draws) ANDed
// in, then its colours (black where it does not) ORed over, so its key pixels leave what lies
// below. Both strokes work on printers and metafiles as on the screen.
void GdiDrawSink::Blit(const RasterPicture& picture, const RECT& to, BITMAPINFO& info)
{
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;     // rows from the top
    const auto stroke = [&](const std::uint32_t* pixels, DWORD rop) {
        StretchDIBits(m_dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, picture.width,
                      picture.height, pixels, &info, DIB_RGB_COLORS, rop);
        GdiDrew();
    };
    if (!picture.keyed) {
        stroke(picture.pixels.data(), SRCCOPY);
        return;
    }
    std::vector<std::uint32_t> mask(picture.pixels.size()), colours(picture.pixels.size());
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const bool clear = picture.pixels[i] == picture.key;
        mask[i] = clear ? 0xFFFFFFu : 0u;
        colours[i] = clear ? 0u : picture.pixels[i];
    }
    stroke(mask.data(), SRCAND);
    stroke(colours.data(), SRCPAINT);
}

void GdiDrawSink::PushClip(const DevPoint* points, int count)
{
    Flush();
    SaveDC(m_dc);
    ++m_clipDepth;
    std::vector<POINT> pts;
    for (int i = 0; i < count; ++i)
        pts.push_back({Round(points[i].x), Round(points[i].y)});
    // A path takes logical coordinates, so the clip also fits a printer's page mapping.
    BeginPath(m_dc);
    ::Polygon(m_dc, pts.data(), count);
    EndPath(m_dc);
    SelectClipPath(m_dc, RGN_AND);
}

void GdiDrawSink::PopClip()
{
    Flush();
    if (m_clipDepth == 0)
        return;
    --m_clipDepth;
    RestoreDC(m_dc, -1);
    // RestoreDC put back the pen of the time of SaveDC.
    if (m_pen)
        SelectObject(m_dc, m_pen);
}

} // namespace RkDraw
