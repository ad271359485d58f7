// A 24-bit DIB section with a memory device context, for drawing checks at low resolution.
#pragma once

#include <windows.h>

#include <cstdint>

namespace orvo::test {

class OffscreenPicture
{
public:
    OffscreenPicture(int width, int height, COLORREF fill);
    ~OffscreenPicture();
    OffscreenPicture(const OffscreenPicture&) = delete;
    OffscreenPicture& operator=(const OffscreenPicture&) = delete;

    HDC Dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    // The pixel at (x, y), y downwards, as 0x00RRGGBB.
    std::uint32_t Pixel(int x, int y) const;
    // Pixels that differ from rgb.
    int CountOther(std::uint32_t rgb) const;
    int CountColor(std::uint32_t rgb) const;

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    const std::uint8_t* m_bits = nullptr;
};

} // namespace orvo::test
