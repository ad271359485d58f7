#include "OffscreenPicture.h"

#include <cstring>

namespace orvo::test {

OffscreenPicture::OffscreenPicture(int width, int height, COLORREF fill, int bitsPerPixel, bool topDown)
    : m_width(width), m_height(height), m_bytes(bitsPerPixel / 8), m_stride((width * (bitsPerPixel / 8) + 3) & ~3),
      m_topDown(topDown)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<const std::uint8_t*>(bits);
    m_dc = CreateCompatibleDC(nullptr);
    m_old = SelectObject(m_dc, m_bitmap);
    const RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
}

OffscreenPicture::~OffscreenPicture()
{
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
}

std::uint32_t OffscreenPicture::Pixel(int x, int y) const
{
    GdiFlush();
    const int row = m_topDown ? y : m_height - 1 - y;
    const std::uint8_t* p = m_bits + row * m_stride + x * m_bytes;
    return (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
}

int OffscreenPicture::CountOther(std::uint32_t rgb) const
{
    int n = 0;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            n += Pixel(x, y) != rgb ? 1 : 0;
    }
    return n;
}

int OffscreenPicture::CountDifferent(const OffscreenPicture& other) const
{
    // Every byte of a pixel, the fourth of a 32-bit one too.
    GdiFlush();
    int n = 0;
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t* a = m_bits + (m_topDown ? y : m_height - 1 - y) * m_stride;
        const std::uint8_t* b = other.m_bits + (other.m_topDown ? y : other.m_height - 1 - y) * other.m_stride;
        for (int x = 0; x < m_width; ++x)
            n += std::memcmp(a + x * m_bytes, b + x * other.m_bytes, static_cast<std::size_t>(m_bytes)) != 0 ? 1 : 0;
    }
    return n;
}

int OffscreenPicture::CountColor(std::uint32_t rgb) const
{
    return m_width * m_height - CountOther(rgb);
}

} // namespace orvo::test
