#include "render/print/CPrintDevice.h"

#include "engine/rkui/RkUI.h"
#include "imaging/CDib.h"

#include <cmath>
#include <cstring>

namespace {

// Engine point arrays hold five doubles per vertex: x, y, z and two reserved.
const int kDoublesPerVertex = 5;
// A polygon call with more vertices than this is not drawn (a corrupt count from the engine).
const int64_t kMaxVertices = 16 * 1024 * 1024;
const double kQuarterTurn = 1.5707963267948966;

int Truncate(double value)
{
    return static_cast<int>(value);
}

} // namespace

CPrintDevice::~CPrintDevice()
{
    ReleaseTools();
}

void CPrintDevice::SetSavedMapping(int mapMode, int extentX, int extentY, int originX,
                                   int originY, int yOffset)
{
    m_savedMapMode = mapMode;
    m_savedExtentX = extentX;
    m_savedExtentY = extentY;
    m_savedOriginX = originX;
    m_savedOriginY = originY;
    m_yOffset = yOffset;
}

void CPrintDevice::Turn(double& x, double& y) const
{
    const double px = x;
    const double py = y;
    switch (m_rotation) {
    case 1:
        x = m_extentY - py;
        y = px;
        break;
    case 2:
        x = m_extentX - px;
        y = m_extentY - py;
        break;
    case 3:
        x = py;
        y = m_extentX - px;
        break;
    default:
        break;
    }
}

POINT CPrintDevice::Transform(double x, double y) const
{
    Turn(x, y);
    return POINT{Truncate(x + m_offsetX), Truncate(y + m_offsetY + m_yOffset)};
}

std::vector<POINT> CPrintDevice::TransformVertices(const double* points, int count) const
{
    std::vector<POINT> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double* vertex = points + static_cast<ptrdiff_t>(i) * kDoublesPerVertex;
        out.push_back(Transform(vertex[0], vertex[1]));
    }
    return out;
}

BOOL CPrintDevice::BeginExport(int, int, int, double extentX, double extentY, void*)
{
    ReleaseTools();
    m_color = 0;
    m_penWidth = 0;
    m_extentX = extentX;
    m_extentY = extentY;
    CreateTools();
    return TRUE;
}

BOOL CPrintDevice::EndExport()
{
    ReleaseTools();
    return TRUE;
}

void CPrintDevice::ReleaseTools()
{
    if (m_dc && m_oldPen)
        SelectObject(m_dc, m_oldPen);
    if (m_dc && m_oldBrush)
        SelectObject(m_dc, m_oldBrush);
    if (m_pen)
        DeleteObject(m_pen);
    if (m_brush)
        DeleteObject(m_brush);
    m_pen = nullptr;
    m_brush = nullptr;
    m_oldPen = nullptr;
    m_oldBrush = nullptr;
}

void CPrintDevice::CreateTools()
{
    if (!m_dc)
        return;
    m_pen = CreatePen(PS_SOLID, m_penWidth, m_color);
    m_brush = CreateSolidBrush(m_color);
    m_oldPen = m_pen ? SelectObject(m_dc, m_pen) : nullptr;
    m_oldBrush = m_brush ? SelectObject(m_dc, m_brush) : nullptr;
}

void CPrintDevice::BeginClip(int count, const double* points)
{
    if (!m_dc || count < 3 || !points || count > kMaxVertices) {
        m_clipLevels.push_back(0);
        return;
    }
    m_clipLevels.push_back(SaveDC(m_dc));
    const std::vector<POINT> vertices = TransformVertices(points, count);
    const INT counts[1] = {count};
    BeginPath(m_dc);
    ::PolyPolygon(m_dc, vertices.data(), counts, 1);
    EndPath(m_dc);
    SelectClipPath(m_dc, RGN_AND);
}

// The pen and brush chosen inside the clip are selected again after the restore, so colour and
// width changes made inside it outlive it.
void CPrintDevice::EndClip()
{
    if (m_clipLevels.empty())
        return;
    const int level = m_clipLevels.back();
    m_clipLevels.pop_back();
    if (!m_dc || level == 0)
        return;
    const HGDIOBJ pen = GetCurrentObject(m_dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(m_dc, OBJ_BRUSH);
    RestoreDC(m_dc, level);
    SelectObject(m_dc, pen);
    SelectObject(m_dc, brush);
}

void CPrintDevice::Pixel(double x, double y, double)
{
    if (!m_dc)
        return;
    const POINT p = Transform(x, y);
    SetPixel(m_dc, p.x, p.y, m_color);
}

void CPrintDevice::MoveTo(double x, double y, double)
{
    if (!m_dc)
        return;
    const POINT p = Transform(x, y);
    MoveToEx(m_dc, p.x, p.y, nullptr);
}

void CPrintDevice::LineTo(double x, double y, double)
{
    if (!m_dc)
        return;
    const POINT p = Transform(x, y);
    ::LineTo(m_dc, p.x, p.y);
}

void CPrintDevice::Arc(double cx, double cy, double, double radius, double startAngle,
                       double endAngle)
{
    if (!m_dc)
        return;
    const POINT centre = Transform(cx, cy);
    const double turn = kQuarterTurn * m_rotation;
    const double start = startAngle + turn;
    const double end = endAngle + turn;
    ::Arc(m_dc, Truncate(centre.x - radius), Truncate(centre.y - radius),
          Truncate(centre.x + radius), Truncate(centre.y + radius),
          Truncate(centre.x + radius * std::cos(start)),
          Truncate(centre.y + radius * std::sin(start)),
          Truncate(centre.x + radius * std::cos(end)), Truncate(centre.y + radius * std::sin(end)));
}

void CPrintDevice::Polygon(int first, int last, const double* points)
{
    if (m_noFill || !m_dc || !points || first < 0 || last < first ||
        static_cast<int64_t>(last) - first + 1 > kMaxVertices)
        return;
    const int count = last - first + 1;
    const std::vector<POINT> vertices =
        TransformVertices(points + static_cast<ptrdiff_t>(first) * kDoublesPerVertex, count);
    ::Polygon(m_dc, vertices.data(), count);
}

void CPrintDevice::PolyPolygon(const double* points, const int* counts, int polygons)
{
    if (m_noFill || !m_dc || !points || !counts || polygons <= 0 || polygons > kMaxVertices)
        return;
    int64_t total = 0;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 0)
            return;
        total += counts[i];
    }
    if (total == 0 || total > kMaxVertices)
        return;
    const std::vector<POINT> vertices = TransformVertices(points, static_cast<int>(total));
    std::vector<INT> polygonCounts(counts, counts + polygons);
    ::PolyPolygon(m_dc, vertices.data(), polygonCounts.data(), polygons);
}

COLORREF CPrintDevice::MapColor(COLORREF color) const
{
    COLORREF result = color & 0xFFFFFF;
    if (result == RGB(255, 255, 255))
        result = 0;
    if (m_colorMode == 1) {
        const double grey = 0.299 * GetRValue(result) + 0.587 * GetGValue(result) +
                            0.114 * GetBValue(result);
        result = static_cast<COLORREF>(static_cast<unsigned>(grey) & 0xFF) * 0x010101u;
    } else if (m_colorMode == 2) {
        result = 0;
    }
    return result;
}

// With the pen set's widths in use, the pen number picks width and colour from the table; a
// number outside the table keeps the engine's colour and prints at the thinnest width.
void CPrintDevice::SetColor(COLORREF color, int pen)
{
    COLORREF chosen = color;
    if (g_printPenSet.getUsePenWidth()) {
        if (pen < 0 || pen >= RkUI::PrintPenSet::kPens) {
            m_penWidth = 0;
        } else {
            const tagPENWIDTHS& entry = g_printPenSet.getPenWidths()[pen];
            chosen = GetColorIndex(entry.colorIndex, nullptr);
            m_penWidth = entry.width;
        }
        const double minimum = g_printPenSet.GetMinWidth();
        if (m_penWidth < minimum)
            m_penWidth = Truncate(minimum);
    }
    ReleaseTools();
    m_color = MapColor(chosen);
    CreateTools();
}

void CPrintDevice::SetLineWidth(double width)
{
    if (g_printPenSet.getUsePenWidth() || std::fabs(width - m_penWidth) <= 1e-8 || !m_dc)
        return;
    if (m_oldPen)
        SelectObject(m_dc, m_oldPen);
    if (m_pen)
        DeleteObject(m_pen);
    m_penWidth = Truncate(width);
    m_pen = CreatePen(PS_SOLID, m_penWidth, m_color);
    m_oldPen = m_pen ? SelectObject(m_dc, m_pen) : nullptr;
}

// The bitmap is placed in the mapping the context had before the page mapping; SaveDC and
// RestoreDC bring the page mapping back exactly, whatever the bitmap's placement changed.
void CPrintDevice::DrawBitmap(double x, double y, int width, int height, int, int,
                              int sourceWidth, int sourceHeight, int, HBITMAP bitmap, int, int)
{
    if (!m_dc || !bitmap)
        return;
    CDib dib;
    if (!dib.CreateFromBitmap(bitmap))
        return;
    double px = x;
    double py = y;
    Turn(px, py);
    if (m_rotation == 1)
        dib.RotateLeft();
    else if (m_rotation == 2)
        dib.Rotate180();
    else if (m_rotation == 3)
        dib.RotateRight();
    px += m_offsetX;
    py += m_offsetY;

    const int level = SaveDC(m_dc);
    SetWindowOrgEx(m_dc, m_savedOriginX, m_savedOriginY, nullptr);
    SetWindowExtEx(m_dc, m_savedExtentX, m_savedExtentY, nullptr);
    SetMapMode(m_dc, m_savedMapMode);

    double left = px;
    double top = m_extentY - py - height;
    int drawWidth = width;
    int drawHeight = height;
    switch (m_rotation) {
    case 1:
        left = px - height;
        top = m_extentX - py - width;
        drawWidth = height;
        drawHeight = width;
        break;
    case 2:
        left = px - width;
        top = m_extentY - py;
        break;
    case 3:
        top = m_extentX - py;
        drawWidth = height;
        drawHeight = width;
        break;
    default:
        break;
    }
    if (width != sourceWidth || height != sourceHeight)
        dib.StretchDraw(m_dc, Truncate(left), Truncate(top), drawWidth, drawHeight, 0, 0,
                        dib.GetWidth(), dib.GetHeight(), SRCCOPY);
    else
        dib.Draw(m_dc, Truncate(left), Truncate(top), SRCCOPY);
    if (level)
        RestoreDC(m_dc, level);
}
