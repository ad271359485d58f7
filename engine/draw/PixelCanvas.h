// Direct drawing into the rows of a 24- or 32-bit picture (a device context's DIB section), as
// GDI's thin solid pen draws: the same pixels, so the device context sink can draw its lines
// without one system call per pen change and the picture stays what GDI would have made.
#pragma once

#include <cstddef>
#include <cstdint>

namespace RkDraw {

class PixelCanvas
{
public:
    // top: the first byte of the picture's top row; stride: bytes from one row to the one below
    // (negative for a bottom-up picture); bytesPerPixel 3 or 4 (blue, green, red[, 0]).
    PixelCanvas(std::uint8_t* top, std::ptrdiff_t stride, int width, int height, int bytesPerPixel);

    // Pixels outside [left, right) x [top, bottom) are left alone (cut to the picture).
    void SetClip(int left, int top, int right, int bottom);
    // The segment from a to b without its last pixel, in colour 0x00RRGGBB. Ties between two
    // pixels go the way GDI sends them for the segment's direction, and the part inside the clip
    // is found arithmetically, so a segment reaching far past the picture costs what shows.
    void Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::uint32_t rgb);
    void Pixel(std::int64_t x, std::int64_t y, std::uint32_t rgb);

private:
    struct Steps;
    bool Range(const Steps& s, std::int64_t& first, std::int64_t& last) const;
    void Walk(const Steps& s, std::int64_t first, std::int64_t last, std::uint32_t rgb);
    std::uint8_t* At(std::int64_t x, std::int64_t y) const
    {
        return m_top + static_cast<std::ptrdiff_t>(y) * m_stride + static_cast<std::ptrdiff_t>(x) * m_bytes;
    }

    std::uint8_t* m_top;
    std::ptrdiff_t m_stride;
    int m_width, m_height, m_bytes;
    int m_clipLeft = 0, m_clipTop = 0, m_clipRight, m_clipBottom;
};

} // namespace RkDraw
