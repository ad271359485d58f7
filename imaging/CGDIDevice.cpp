#include "imaging/CGDIDevice.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// A surface under construction: nothing of it reaches the object until it is complete.
struct CGDIDevice::Surface
{
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    BITMAPINFOHEADER header = {};
    BYTE* bits = nullptr;
    int bytesPerPixel = 3;
    int rowSize = 0;
    std::vector<BYTE*> rows;

    ~Surface()
    {
        if (oldBitmap)
            SelectObject(dc, oldBitmap);
        if (bitmap)
            DeleteObject(bitmap);
        if (dc)
            DeleteDC(dc);
    }
};

CGDIDevice::~CGDIDevice()
{
    DeleteFont();
    Release();
}

bool CGDIDevice::MakeSurface(int width, int height, int depth, Surface& surface)
{
    surface.bytesPerPixel = depth == 3 ? 3 : 4;
    const int64_t rowSize = (static_cast<int64_t>(width) * surface.bytesPerPixel + 3) & ~3LL;
    if (rowSize * height > INT32_MAX)
        return false;
    surface.rowSize = static_cast<int>(rowSize);
    surface.dc = CreateCompatibleDC(nullptr);
    if (!surface.dc)
        return false;
    BITMAPINFOHEADER& h = surface.header;
    h.biSize = sizeof(h);
    h.biWidth = width;
    h.biHeight = height; // positive: rows bottom-up
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(surface.bytesPerPixel * 8);
    h.biCompression = BI_RGB;
    void* bits = nullptr;
    surface.bitmap = CreateDIBSection(surface.dc, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    if (!surface.bitmap || !bits)
        return false;
    surface.bits = static_cast<BYTE*>(bits);
    surface.oldBitmap = SelectObject(surface.dc, surface.bitmap);
    surface.rows.resize(static_cast<size_t>(height));
    for (int i = 0; i < height; ++i)
        surface.rows[static_cast<size_t>(i)] =
            surface.bits + static_cast<size_t>(surface.rowSize) * static_cast<size_t>(height - 1 - i);
    return true;
}

void CGDIDevice::Release()
{
    if (!m_hDC)
        return;
    SelectObject(m_hDC, m_hOldBitmap);
    DeleteObject(m_hBitmap);
    DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_hBitmap = nullptr;
    m_hOldBitmap = nullptr;
    m_hOldFont = nullptr;
    m_pBits = nullptr;
    m_rows.clear();
    m_nWidth = m_nHeight = m_nRowSize = m_nImageSize = 0;
}

void CGDIDevice::Adopt(Surface& surface)
{
    DeleteFont();
    Release();
    m_hDC = surface.dc;
    m_hBitmap = surface.bitmap;
    m_hOldBitmap = surface.oldBitmap;
    surface.dc = nullptr;
    surface.bitmap = nullptr;
    surface.oldBitmap = nullptr;
    m_header = surface.header;
    m_nWidth = surface.header.biWidth;
    m_nHeight = surface.header.biHeight;
    m_nBytesPerPixel = surface.bytesPerPixel;
    m_pBits = surface.bits;
    m_nRowSize = surface.rowSize;
    m_rows = std::move(surface.rows);
    m_nImageSize = m_nRowSize * m_nHeight;
}

bool CGDIDevice::Create(int width, int height, int depth)
{
    // Callers that want a fresh picture of the same size clear the current one themselves.
    if ((m_hDC && width == m_nWidth && height == m_nHeight) || width < 2 || height < 2)
        return false;
    Surface surface;
    if (!MakeSurface(width, height, depth, surface))
        return false;
    Adopt(surface);
    return true;
}

bool CGDIDevice::CopyFrom(const CGDIDevice& other)
{
    if (!other.m_hDC || &other == this)
        return false;
    const bool reuse = m_hDC && m_nWidth == other.m_nWidth && m_nHeight == other.m_nHeight &&
                       m_nBytesPerPixel == 3;
    if (!reuse) {
        Surface surface;
        if (!MakeSurface(other.m_nWidth, other.m_nHeight, 3, surface))
            return false;
        Adopt(surface);
    }
    GdiFlush();
    if (other.m_nBytesPerPixel == 3) {
        memcpy(m_pBits, other.m_pBits, static_cast<size_t>(m_nImageSize));
        return true;
    }
    // A 32-bit source is narrowed pixel by pixel; its rows are laid out differently.
    for (int y = 0; y < m_nHeight; ++y) {
        const BYTE* from = other.GetRow(y);
        BYTE* to = GetRow(y);
        for (int x = 0; x < m_nWidth; ++x)
            memcpy(to + 3 * x, from + 4 * x, 3);
    }
    return true;
}

bool CGDIDevice::CopyTo(HDC target) const
{
    if (m_nWidth <= 0 || m_nHeight <= 0)
        return false;
    return BitBlt(target, 0, 0, m_nWidth, m_nHeight, m_hDC, 0, 0, SRCCOPY) != 0;
}

BYTE* CGDIDevice::GetRow(int i) const
{
    if (i < 0 || i >= m_nHeight)
        return nullptr;
    return m_rows[static_cast<size_t>(i)];
}

namespace {

void BlendPixel(BYTE* pixel, COLORREF color, int weight)
{
    const int components[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    for (int i = 0; i < 3; ++i)
        pixel[i] = static_cast<BYTE>((pixel[i] * (32 - weight) + components[i] * weight) >> 5);
}

} // namespace

void CGDIDevice::BlendRect(int x1, int y1, int x2, int y2, COLORREF fill, int percent, bool frame,
                           COLORREF frameColor)
{
    if (!m_hDC || percent == 0 || y1 >= m_nHeight || x1 >= m_nWidth || x2 < 1 || y2 < 1)
        return;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, m_nWidth - 1);
    y2 = std::min(y2, m_nHeight - 1);
    const int weight = (percent >= 0 && percent < 100) ? static_cast<int>(percent * 0.32f) : 32;
    GdiFlush();
    for (int y = y1; y <= y2; ++y) {
        BYTE* row = GetRow(y);
        for (int x = x1; x <= x2; ++x) {
            const bool edge = frame && (y == y1 || y == y2 || x == x1 || x == x2);
            BlendPixel(row + static_cast<size_t>(x) * m_nBytesPerPixel, edge ? frameColor : fill,
                       weight);
        }
    }
}

void CGDIDevice::InitTextFont()
{
    if (m_hDC || !Create(2, 2, m_nBytesPerPixel))
        return;
    LOGFONTA font = {};
    GetObjectA(GetCurrentObject(m_hDC, OBJ_FONT), sizeof(font), &font);
    SetBkMode(m_hDC, TRANSPARENT);
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
    font.lfHeight = 16;
    font.lfWidth = 0;
    font.lfWeight = FW_NORMAL;
    HFONT created = CreateFontIndirectA(&font);
    if (created)
        m_hOldFont = SelectObject(m_hDC, created);
}

void CGDIDevice::DeleteFont()
{
    if (!m_hDC || !m_hOldFont)
        return;
    DeleteObject(SelectObject(m_hDC, m_hOldFont));
    m_hOldFont = nullptr;
}
