// A DIB section (24-bit top-down unless asked otherwise) with a memory device context, for drawing
// checks at low resolution.
#pragma once

#include <windows.h>

#include <cstdint>

namespace orvo::test {

class OffscreenPicture
{
public:
    OffscreenPicture(int width, int height, COLORREF fill, int bitsPerPixel = 24, bool topDown = true);
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
    // Pixels at which the two pictures (of one size) differ.
    int CountDifferent(const OffscreenPicture& other) const;

private:
    int m_width, m_height, m_bytes, m_stride;
    bool m_topDown;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    const std::uint8_t* m_bits = nullptr;
};

} // namespace orvo::test
