#include "kit/KWinCanvas.h"

#include "framework/GdiScopes.h"

#include <cstring>
#include <vector>

namespace {

// Each channel raised by 50, wrapping at 256 (the shadow's lighter tone).
COLORREF Lighten(COLORREF color)
{
    return RGB((GetRValue(color) + 50) & 0xFF, (GetGValue(color) + 50) & 0xFF,
               (GetBValue(color) + 50) & 0xFF);
}

void FillWithColor(HDC dc, const RECT& rect, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    if (!brush)
        return;
    ::FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

LONG Truncate(double value)
{
    return static_cast<LONG>(value);
}

// A fast reduction of a large picture picks every n-th pixel as COLORONCOLOR does, but done here
// on the visible part only: the system's stretch of a picture of many megapixels converts the
// whole source first and takes hundreds of milliseconds for a pane of a few hundred pixels.
// Only plain 24- and 32-bit bottom-up pictures shrunk on both axes are taken; false otherwise.
bool DrawReducedByPicking(HDC dc, const RECT& device, LONG sourceX, LONG sourceY, LONG sourceWidth,
                          LONG sourceHeight, const void* bits, const BITMAPINFO* info)
{
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int width = device.right - device.left;
    const int height = device.bottom - device.top;
    const bool plain = header.biCompression == BI_RGB && (header.biBitCount == 24 || header.biBitCount == 32);
    if (!bits || !plain || header.biHeight <= 0 || width <= 0 || height <= 0 || width >= sourceWidth ||
        height >= sourceHeight || sourceX < 0 || sourceY < 0 || sourceX + sourceWidth > header.biWidth ||
        sourceY + sourceHeight > header.biHeight)
        return false;
    const size_t pixel = header.biBitCount / 8;
    const size_t sourceStride = ((static_cast<size_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    const size_t stride = ((static_cast<size_t>(width) * header.biBitCount + 31) / 32) * 4;
    std::vector<unsigned char> picked(stride * static_cast<size_t>(height));
    std::vector<size_t> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[static_cast<size_t>(x)] = (static_cast<size_t>(sourceX) + (2 * static_cast<size_t>(x) + 1) *
                                                                              sourceWidth / (2 * width)) * pixel;
    const auto* source = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < height; ++y) {
        // Both pictures are bottom-up: row y of the result counts from its bottom as well.
        const size_t row = static_cast<size_t>(sourceY) + (2 * static_cast<size_t>(y) + 1) * sourceHeight / (2 * height);
        const unsigned char* from = source + row * sourceStride;
        unsigned char* to = picked.data() + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            memcpy(to + static_cast<size_t>(x) * pixel, from + columns[static_cast<size_t>(x)], pixel);
    }
    BITMAPINFO out = {};
    out.bmiHeader = header;
    out.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    out.bmiHeader.biWidth = width;
    out.bmiHeader.biHeight = height;
    out.bmiHeader.biSizeImage = 0;
    out.bmiHeader.biClrUsed = 0;
    return SetDIBitsToDevice(dc, device.left, device.top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0,
                             0, 0, static_cast<UINT>(height), picked.data(), &out, DIB_RGB_COLORS) != 0;
}

} // namespace

void KWinCanvas::DCDeleter::operator()(HDC__* dc) const
{
    if (dc)
        DeleteDC(dc);
}

KWinCanvas::KWinCanvas()
{
    m_pen.lopnStyle = PS_SOLID;
    m_pen.lopnWidth.x = 1;
    m_pen.lopnWidth.y = 0;
    m_pen.lopnColor = 0xFFFFFF;
    m_brush.lbStyle = BS_SOLID;
    m_brush.lbColor = 0xDCDCDC;
    m_brush.lbHatch = HS_DIAGCROSS;
}

KWinCanvas::~KWinCanvas()
{
    RestoreTools();
    ReleaseBitmap();
}

void KWinCanvas::ReleaseBitmap()
{
    if (m_ownDC && m_oldBitmap)
        SelectObject(m_ownDC.get(), m_oldBitmap);
    m_oldBitmap = nullptr;
    m_bitmap.Reset();
    if (m_drawDC == m_ownDC.get())
        m_drawDC = nullptr;
    m_ownDC.reset();
    m_bitmapWidth = 0;
    m_bitmapHeight = 0;
}

bool KWinCanvas::Create()
{
    RestoreTools();
    ReleaseBitmap();
    const int32_t width = m_width > 0 ? m_width : 1;
    const int32_t height = m_height > 0 ? m_height : 1;
    m_ownDC.reset(CreateCompatibleDC(nullptr));
    if (!m_ownDC)
        return false;
    ScreenDC screen;
    m_bitmap.Reset(CreateCompatibleBitmap(m_target ? m_target : screen.Get(), width, height));
    if (!m_bitmap) {
        m_ownDC.reset();
        return false;
    }
    m_oldBitmap = SelectObject(m_ownDC.get(), m_bitmap.Get());
    m_drawDC = m_ownDC.get();
    m_bitmapWidth = width;
    m_bitmapHeight = height;
    m_needsPresent = true;
    return true;
}

bool KWinCanvas::EnsureBitmap()
{
    return m_drawDC != nullptr || Create();
}

void KWinCanvas::AttachDC(HDC memoryDC, int32_t width, int32_t height)
{
    RestoreTools();
    m_drawDC = memoryDC;
    m_width = width;
    m_height = height;
}

void KWinCanvas::DetachDC()
{
    RestoreTools();
    m_drawDC = m_ownDC.get();
    if (m_drawDC) {
        m_width = m_bitmapWidth;
        m_height = m_bitmapHeight;
    }
}

void KWinCanvas::SelectOwn(HGDIOBJ made, GdiObject<HGDIOBJ>& own, HGDIOBJ& old)
{
    if (!made)
        return;
    HGDIOBJ previous = SelectObject(m_drawDC, made);
    if (!old)
        old = previous;
    own.Reset(made); // the replaced own object is out of the context now
}

void KWinCanvas::SelectPen()
{
    if (m_drawDC)
        SelectOwn(CreatePenIndirect(&m_pen), m_ownPen, m_oldPen);
}

void KWinCanvas::SelectBrush()
{
    if (m_drawDC)
        SelectOwn(CreateBrushIndirect(&m_brush), m_ownBrush, m_oldBrush);
}

void KWinCanvas::RestoreTools()
{
    if (m_drawDC && m_oldPen)
        SelectObject(m_drawDC, m_oldPen);
    if (m_drawDC && m_oldBrush)
        SelectObject(m_drawDC, m_oldBrush);
    m_oldPen = nullptr;
    m_oldBrush = nullptr;
    m_ownPen.Reset();
    m_ownBrush.Reset();
}

void KWinCanvas::SetDrawMode(int32_t mode)
{
    if (m_drawDC)
        SetROP2(m_drawDC, mode == 1 ? R2_NOT : R2_COPYPEN);
}

void KWinCanvas::SetPenColor(COLORREF color)
{
    if (color == m_pen.lopnColor && m_ownPen)
        return;
    m_pen.lopnColor = color;
    SelectPen();
}

void KWinCanvas::SetBrushColor(COLORREF color)
{
    if (color == m_brush.lbColor && m_ownBrush)
        return;
    m_brush.lbColor = color;
    SelectBrush();
}

void KWinCanvas::SetBackColor(COLORREF color)
{
    m_backColor = color;
    if (m_drawDC)
        SetBkColor(m_drawDC, color);
}

void KWinCanvas::SetPenWidth(int32_t width)
{
    const LONG wanted = width == 0 ? 1 : width;
    if (wanted == m_pen.lopnWidth.x && m_ownPen)
        return;
    m_pen.lopnWidth.x = wanted;
    SelectPen();
}

void KWinCanvas::Clear(COLORREF color)
{
    if (!EnsureBitmap())
        return;
    const RECT all = {0, 0, m_width, m_height};
    FillWithColor(m_drawDC, all, color);
}

void KWinCanvas::BlitTo(HDC target)
{
    if (target && m_drawDC)
        BitBlt(target, m_offsetX, m_offsetY, m_width, m_height, m_drawDC, 0, 0, SRCCOPY);
    m_needsPresent = false;
}

void KWinCanvas::Present()
{
    if (m_target) {
        BlitTo(m_target);
        return;
    }
    ScreenDC screen;
    BlitTo(screen.Get());
}

int32_t KWinCanvas::BeginDraw(COLORREF background, bool clear)
{
    m_drawingFinished = 0;
    if (!m_viewPort) {
        m_beginResult = 4;
        return m_beginResult;
    }
    if (!EnsureBitmap()) {
        m_beginResult = 4;
        return m_beginResult;
    }
    SelectPen();
    SelectBrush();
    if (clear) {
        const RECT all = {0, 0, m_width, m_height};
        FillWithColor(m_drawDC, all, background);
    }
    SetPolyFillMode(m_drawDC, ALTERNATE);
    m_beginResult = 0;
    return m_beginResult;
}

int32_t KWinCanvas::EndDraw()
{
    RestoreTools();
    m_needsPresent = false;
    m_drawingFinished = 1;
    return m_beginResult;
}

bool KWinCanvas::SetSize(int32_t width, int32_t height)
{
    m_width = width;
    m_height = height;
    const bool grew = width > m_bitmapWidth || height > m_bitmapHeight;
    const bool attached = m_drawDC && m_drawDC != m_ownDC.get();
    if (grew && !attached) {
        const bool drawing = m_oldPen || m_oldBrush;
        Create();
        if (drawing) {
            SelectPen();
            SelectBrush();
        }
    }
    return grew;
}

void KWinCanvas::Line(const KType::RPoint2D& a, const KType::RPoint2D& b)
{
    Line(ToDevice(a), ToDevice(b));
}

void KWinCanvas::Line(const POINT& a, const POINT& b)
{
    Line(a.x, a.y, b.x, b.y);
}

void KWinCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!m_drawDC)
        return;
    MoveToEx(m_drawDC, x1, y1, nullptr);
    ::LineTo(m_drawDC, x2, y2);
}

void KWinCanvas::FillRect(COLORREF color, const RECT* rect)
{
    if (!m_drawDC || !rect)
        return;
    SetBrushColor(color);
    if (m_ownBrush)
        ::FillRect(m_drawDC, rect, static_cast<HBRUSH>(m_ownBrush.Get()));
}

void KWinCanvas::Marker(const KType::RPoint2D& p, int32_t half)
{
    const POINT c = ToDevice(p);
    const RECT square = {c.x - half, c.y - half, c.x + half, c.y + half};
    FillRect(0xFF0000, &square);
}

void KWinCanvas::SetPixel(float x, float y, COLORREF color)
{
    if (!m_drawDC)
        return;
    const POINT p = ToDevice({x, y});
    SetPixelV(m_drawDC, p.x, p.y, color);
}

void KWinCanvas::MoveTo(const KType::RPoint2D& p)
{
    MoveTo(ToDevice(p));
}

void KWinCanvas::MoveTo(const POINT& p)
{
    if (m_drawDC)
        MoveToEx(m_drawDC, p.x, p.y, nullptr);
}

void KWinCanvas::LineTo(const KType::RPoint2D& p)
{
    LineTo(ToDevice(p));
}

void KWinCanvas::LineTo(const POINT& p)
{
    if (m_drawDC)
        ::LineTo(m_drawDC, p.x, p.y);
}

void KWinCanvas::Poly(const float* points, uint32_t count, bool closed, bool filled)
{
    TransformPoints(points, count, closed && !filled);
    if (!m_drawDC || Points().empty())
        return;
    const int n = static_cast<int>(Points().size());
    if (filled)
        Polygon(m_drawDC, Points().data(), n);
    else
        Polyline(m_drawDC, Points().data(), n);
}

void KWinCanvas::Poly(const OBuffer<KType::RPoint2D>& points, bool closed, bool filled)
{
    TransformBuffer(points, closed && !filled);
    if (!m_drawDC || Points().empty())
        return;
    const int n = static_cast<int>(Points().size());
    if (filled)
        Polygon(m_drawDC, Points().data(), n);
    else
        Polyline(m_drawDC, Points().data(), n);
}

void KWinCanvas::PolyPolygon(const OList<OBuffer<KType::RPoint2D>>& rings, uint32_t totalPoints)
{
    std::vector<POINT> all;
    std::vector<INT> counts;
    all.reserve(totalPoints);
    rings.ForEach([&](const OBuffer<KType::RPoint2D>& ring) {
        if (ring.GetCount() == 0)
            return;
        for (uint32_t i = 0; i < ring.GetCount(); ++i)
            all.push_back(ToDevice(ring[i]));
        counts.push_back(static_cast<INT>(ring.GetCount()));
    });
    if (m_drawDC && !counts.empty())
        ::PolyPolygon(m_drawDC, all.data(), counts.data(), static_cast<int>(counts.size()));
}

void KWinCanvas::DrawShadowBands(const RECT& box, int32_t shadow, COLORREF color)
{
    if (shadow <= 0)
        return;
    const COLORREF light = Lighten(color);
    const RECT right = {box.right, box.top + shadow, box.right + shadow, box.bottom + shadow};
    const RECT below = {box.left + shadow, box.bottom, box.right + shadow, box.bottom + shadow};
    FillWithColor(m_drawDC, right, light);
    FillWithColor(m_drawDC, below, light);
}

void KWinCanvas::DrawFrame(const RECT& box, COLORREF color)
{
    SetPenWidth(1);
    SetPenColor(color);
    Line(box.left - 1, box.top - 1, box.right + 1, box.top - 1);
    Line(box.left - 1, box.bottom, box.right + 1, box.bottom);
    Line(box.left - 1, box.top - 1, box.left - 1, box.bottom + 1);
    Line(box.right, box.top - 1, box.right, box.bottom + 1);
}

void KWinCanvas::StretchVisible(const RECT& device, const RECT& imageDevice,
                                const KType::RPoint2D& position, int32_t height, const void* bits,
                                const BITMAPINFO* info, bool fastStretch)
{
    // The visible part in world units is also the source part: image pixels are world units.
    // Bottom-up bitmaps count the source's y from their bottom row.
    const KViewPort& view = *m_viewPort;
    const double left = view.DeviceToWorldX(device.left) - position.x;
    const double right = view.DeviceToWorldX(device.right) - position.x;
    const double bottom = view.DeviceToWorldY(device.bottom) - (position.y - height);
    const double top = view.DeviceToWorldY(device.top) - (position.y - height);
    const LONG sourceX = Truncate(left);
    const LONG sourceY = Truncate(bottom);
    LONG sourceWidth = Truncate(right - left + 0.5);
    LONG sourceHeight = Truncate(top - bottom + 0.5);
    if (device.right - device.left == imageDevice.right - imageDevice.left)
        sourceWidth = info->bmiHeader.biWidth;
    if (device.bottom - device.top == imageDevice.bottom - imageDevice.top)
        sourceHeight = height;
    const bool oneBit = info->bmiHeader.biBitCount == 1;
    int mode = HALFTONE;
    if (fastStretch)
        mode = (oneBit && !m_colorStretch) ? BLACKONWHITE : COLORONCOLOR;
    if (mode == COLORONCOLOR && DrawReducedByPicking(m_drawDC, device, sourceX, sourceY, sourceWidth > 0 ? sourceWidth : 1,
                                                     sourceHeight > 0 ? sourceHeight : 1, bits, info))
        return;
    SetStretchBltMode(m_drawDC, mode);
    if (mode == HALFTONE)
        SetBrushOrgEx(m_drawDC, 0, 0, nullptr);
    StretchDIBits(m_drawDC, device.left, device.top, device.right - device.left,
                  device.bottom - device.top, sourceX, sourceY, sourceWidth > 0 ? sourceWidth : 1,
                  sourceHeight > 0 ? sourceHeight : 1, bits, info, DIB_RGB_COLORS, SRCCOPY);
}

void KWinCanvas::DrawImage(const KType::RPoint2D& position, int32_t width, int32_t height,
                           const void* bits, const BITMAPINFO* info, bool framed, int32_t shadow,
                           COLORREF frameColor, bool fastStretch)
{
    if (!m_drawDC || !m_viewPort || width <= 0 || height <= 0)
        return;
    const float box[4] = {position.x, position.y, position.x + static_cast<float>(width),
                          position.y - static_cast<float>(height)};
    RECT imageDevice;
    m_viewPort->WorldRectToDevice(box, imageDevice);
    RECT device = imageDevice;
    if (!ClipRect(device) || device.right <= device.left || device.bottom <= device.top)
        return;
    if (framed && !(m_noFrame && bits)) {
        DrawShadowBands(imageDevice, shadow, frameColor);
        DrawFrame(imageDevice, frameColor);
    }
    if (!bits || !info)
        return;
    StretchVisible(device, imageDevice, position, height, bits, info, fastStretch);
}

void KWinCanvas::FillRectShadow(COLORREF color, const float box[4], int32_t shadow,
                                COLORREF shadowColor)
{
    if (!m_drawDC)
        return;
    RECT device;
    (m_viewPort ? *m_viewPort : KViewPort()).WorldRectToDevice(box, device);
    DrawShadowBands(device, shadow, shadowColor);
    FillWithColor(m_drawDC, device, color);
}

void KWinCanvas::Rectangle(const float box[4], COLORREF color, bool filled)
{
    if (!m_drawDC)
        return;
    SetPenColor(color);
    RECT device;
    (m_viewPort ? *m_viewPort : KViewPort()).WorldRectToDevice(box, device);
    if (filled) {
        ::Rectangle(m_drawDC, device.left, device.top, device.right, device.bottom);
        return;
    }
    SetBrushColor(color);
    const POINT outline[5] = {{device.left, device.top},
                              {device.right, device.top},
                              {device.right, device.bottom},
                              {device.left, device.bottom},
                              {device.left, device.top}};
    Polyline(m_drawDC, outline, 5);
}

void KWinCanvas::XorRect(const POINT& a, const POINT& b)
{
    if (!m_drawDC)
        return;
    const POINT outline[5] = {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {a.x, a.y}};
    SetROP2(m_drawDC, R2_NOT);
    Polyline(m_drawDC, outline, 5);
    SetROP2(m_drawDC, R2_COPYPEN);
}
