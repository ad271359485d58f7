#include "OffscreenPicture.h"

namespace orvo::test {

OffscreenPicture::OffscreenPicture(int width, int height, COLORREF fill)
    : m_width(width), m_height(height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;      // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
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
    const int stride = (m_width * 3 + 3) & ~3;
    const std::uint8_t* p = m_bits + y * stride + x * 3;
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

int OffscreenPicture::CountColor(std::uint32_t rgb) const
{
    return m_width * m_height - CountOther(rgb);
}

} // namespace orvo::test
