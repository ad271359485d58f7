#include "engine/rkio/CDwgExport.h"

#include <cmath>
#include <vector>

CDwgExport::CDwgExport() = default;
CDwgExport::~CDwgExport() = default;

void CDwgExport::SetExtendMode(int mode) { m_extendMode = mode; }
int CDwgExport::GetExtendMode() { return m_extendMode; }
BOOL CDwgExport::BeginExport(int, int, int, double, double, void*) { return TRUE; }
BOOL CDwgExport::EndExport() { return TRUE; }
void CDwgExport::BeginEntityDraw(int) {}
void CDwgExport::EndEntityDraw() {}

void CDwgExport::TextParam(const char* utf8, double x, double y, double height, double angle,
                           double widthFactor, const char* face)
{
    if (!utf8 || !*utf8 || !(height > 0.0))
        return;
    // Lay the text out at 100 units per em on a screen-compatible DC, take its outline as a
    // path and hand the flattened outline to the geometry operations in page units.
    const int em = 100;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return;
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::vector<wchar_t> text(static_cast<std::size_t>(wide > 0 ? wide : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), wide);
    wchar_t faceW[LF_FACESIZE] = L"Arial";
    if (face && *face)
        MultiByteToWideChar(CP_UTF8, 0, face, -1, faceW, LF_FACESIZE - 1);
    HFONT font = CreateFontW(-em, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                             0, 0, 0, faceW);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    BeginPath(dc);
    TextOutW(dc, 0, 0, text.data(), wide - 1);
    EndPath(dc);
    FlattenPath(dc);
    const int n = GetPath(dc, nullptr, nullptr, 0);
    if (n > 0) {
        std::vector<POINT> pts(static_cast<std::size_t>(n));
        std::vector<BYTE> kinds(static_cast<std::size_t>(n));
        GetPath(dc, pts.data(), kinds.data(), n);
        // Cap height is about 70 % of the em.
        const double s = height / (0.7 * em);
        const double c = std::cos(angle), sn = std::sin(angle);
        std::vector<double> ring;
        std::vector<double> all;
        std::vector<int> counts;
        auto close = [&]() {
            if (ring.size() >= 15) {
                all.insert(all.end(), ring.begin(), ring.end());
                counts.push_back(static_cast<int>(ring.size() / 5));
            }
            ring.clear();
        };
        for (int i = 0; i < n; ++i) {
            if ((kinds[static_cast<std::size_t>(i)] & ~PT_CLOSEFIGURE) == PT_MOVETO)
                close();
            const double px = pts[static_cast<std::size_t>(i)].x * s * widthFactor;
            const double py = -pts[static_cast<std::size_t>(i)].y * s;
            ring.insert(ring.end(), {x + px * c - py * sn, y + px * sn + py * c, 0.0, 0.0, 0.0});
        }
        close();
        if (!counts.empty())
            PolyPolygon(all.data(), counts.data(), static_cast<int>(counts.size()));
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}

void CDwgExport::BeginClip(int, const double*) {}
void CDwgExport::EndClip() {}
void CDwgExport::Raster(double, double, double, double, HBITMAP) {}
BOOL CDwgExport::SupportsRaster() { return FALSE; }
void CDwgExport::RasterEx(int, int, int, int, int, int, int, int, int, int, int) {}
void CDwgExport::Pixel(double, double, double) {}
void CDwgExport::MoveTo(double, double, double) {}
void CDwgExport::LineTo(double, double, double) {}
void CDwgExport::Arc(double, double, double, double, double, double) {}
BOOL CDwgExport::SupportsArc() { return TRUE; }
void CDwgExport::Polygon(int, int, const double*) {}
void CDwgExport::PolyPolygon(const double*, const int*, int) {}
BOOL CDwgExport::SupportsPolygon() { return TRUE; }
BOOL CDwgExport::SupportTTF() { return TRUE; }
void CDwgExport::TextEx(int, int, int, int, int, int, int, int, int, int, int, int, int, int) {}
void CDwgExport::SetColor(COLORREF, int) {}
void CDwgExport::SetLineWidth(double) {}
BOOL CDwgExport::SupportsFillMode() { return FALSE; }
void CDwgExport::FlushPage() {}
COLORREF CDwgExport::PageColor() { return RGB(255, 255, 255); }
BOOL CDwgExport::SupportLineWeight() { return TRUE; }
BOOL CDwgExport::SupportsGradient() { return FALSE; }
BOOL CDwgExport::SupportsClip() { return TRUE; }
BOOL CDwgExport::ExportOriginalScaleRaster() { return FALSE; }
void CDwgExport::ShellCallback(int) {}
void CDwgExport::BeginLayer(int, int, int) {}
void CDwgExport::EndLayer(int, int) {}
void CDwgExport::Idle() {}
BOOL CDwgExport::Hatch(int, int, int, int, int, int, int, int, int) { return TRUE; }
void CDwgExport::DrawBitmap(double, double, int, int, int, int, int, int, int, HBITMAP, int, int) {}
