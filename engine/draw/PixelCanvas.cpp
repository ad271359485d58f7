#include "engine/draw/PixelCanvas.h"

#include <algorithm>
#include <cstring>

namespace RkDraw {

namespace {

// Coordinates beyond this are refused: the products below stay far inside 64 bits.
constexpr std::int64_t kLimit = std::int64_t{1} << 30;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b)
{
    return -FloorDiv(-a, b);
}

} // namespace

// One segment as a walk along its major axis: pixel i (0 <= i < count) lies at major + i steps and
// minor + k(i) steps, k(i) = floor((2 i minorLength + majorLength - bias) / (2 majorLength)).
// The bias is where GDI rounds a pixel exactly between two: towards the start (1) or away (0),
// as measured on its output for each of the eight directions.
struct PixelCanvas::Steps
{
    std::int64_t x0, y0;
    int sx, sy;
    bool xMajor;
    std::int64_t majorLength, minorLength, bias;
};

PixelCanvas::PixelCanvas(std::uint8_t* top, std::ptrdiff_t stride, int width, int height, int bytesPerPixel)
    : m_top(top), m_stride(stride), m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_bytes(bytesPerPixel == 4 ? 4 : 3), m_clipRight(m_width), m_clipBottom(m_height)
{
}

void PixelCanvas::SetClip(int left, int top, int right, int bottom)
{
    m_clipLeft = std::clamp(left, 0, m_width);
    m_clipTop = std::clamp(top, 0, m_height);
    m_clipRight = std::clamp(right, m_clipLeft, m_width);
    m_clipBottom = std::clamp(bottom, m_clipTop, m_height);
}

void PixelCanvas::Pixel(std::int64_t x, std::int64_t y, std::uint32_t rgb)
{
    if (x < m_clipLeft || x >= m_clipRight || y < m_clipTop || y >= m_clipBottom)
        return;
    std::uint8_t* p = At(x, y);
    p[0] = static_cast<std::uint8_t>(rgb);
    p[1] = static_cast<std::uint8_t>(rgb >> 8);
    p[2] = static_cast<std::uint8_t>(rgb >> 16);
    if (m_bytes == 4)
        p[3] = 0;
}

void PixelCanvas::Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::uint32_t rgb)
{
    const std::int64_t most = std::max({x0 < 0 ? -x0 : x0, y0 < 0 ? -y0 : y0, x1 < 0 ? -x1 : x1, y1 < 0 ? -y1 : y1});
    if (most > kLimit || (x0 == x1 && y0 == y1))
        return;
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const std::int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    Steps s{x0, y0, dx < 0 ? -1 : 1, dy < 0 ? -1 : 1, ax >= ay, 0, 0, 0};
    s.majorLength = s.xMajor ? ax : ay;
    s.minorLength = s.xMajor ? ay : ax;
    // GDI rounds a tie towards the start when a mostly level segment runs down the picture or a
    // mostly upright one runs to the right (measured on its output in every direction).
    const bool towardsStart = s.xMajor ? s.sy > 0 : s.sx > 0;
    s.bias = towardsStart ? 1 : 0;
    std::int64_t first = 0, last = 0;
    if (Range(s, first, last))
        Walk(s, first, last, rgb);
}

// The steps [first, last] whose pixels lie inside the clip; false when none does.
bool PixelCanvas::Range(const Steps& s, std::int64_t& first, std::int64_t& last) const
{
    first = 0;
    last = s.majorLength - 1;
    const auto major = [&](std::int64_t from, int sign, std::int64_t low, std::int64_t high) {
        // from + sign * i within [low, high)
        if (sign > 0) {
            first = std::max(first, low - from);
            last = std::min(last, high - 1 - from);
        } else {
            first = std::max(first, from - (high - 1));
            last = std::min(last, from - low);
        }
    };
    const auto minor = [&](std::int64_t from, int sign, std::int64_t low, std::int64_t high) {
        // k within [kLow, kHigh]
        const std::int64_t kLow = sign > 0 ? low - from : from - (high - 1);
        const std::int64_t kHigh = sign > 0 ? high - 1 - from : from - low;
        if (s.minorLength == 0) {
            if (kLow > 0 || kHigh < 0)
                last = -1;
            return;
        }
        const std::int64_t m2 = 2 * s.majorLength, n2 = 2 * s.minorLength;
        first = std::max(first, CeilDiv(m2 * kLow - s.majorLength + s.bias, n2));
        last = std::min(last, CeilDiv(m2 * (kHigh + 1) - s.majorLength + s.bias, n2) - 1);
    };
    if (s.xMajor) {
        major(s.x0, s.sx, m_clipLeft, m_clipRight);
        minor(s.y0, s.sy, m_clipTop, m_clipBottom);
    } else {
        major(s.y0, s.sy, m_clipTop, m_clipBottom);
        minor(s.x0, s.sx, m_clipLeft, m_clipRight);
    }
    return first <= last;
}

void PixelCanvas::Walk(const Steps& s, std::int64_t first, std::int64_t last, std::uint32_t rgb)
{
    const std::int64_t m2 = 2 * s.majorLength, n2 = 2 * s.minorLength;
    const std::int64_t a = n2 * first + s.majorLength - s.bias;
    const std::int64_t k = a / m2;
    std::int64_t error = a - k * m2;
    const std::ptrdiff_t xStep = s.sx * m_bytes, yStep = s.sy * m_stride;
    const std::ptrdiff_t majorStep = s.xMajor ? xStep : yStep, minorStep = s.xMajor ? yStep : xStep;
    std::uint8_t* p = s.xMajor ? At(s.x0 + s.sx * first, s.y0 + s.sy * k) : At(s.x0 + s.sx * k, s.y0 + s.sy * first);
    const std::uint8_t b = static_cast<std::uint8_t>(rgb), g = static_cast<std::uint8_t>(rgb >> 8),
                       r = static_cast<std::uint8_t>(rgb >> 16);
    const std::uint32_t quad = rgb & 0xFFFFFF;
    for (std::int64_t i = first; i <= last; ++i) {
        if (m_bytes == 4) {
            std::memcpy(p, &quad, 4);       // blue, green, red, 0 on a little-endian machine
        } else {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
        p += majorStep;
        error += n2;
        if (error >= m2) {
            error -= m2;
            p += minorStep;
        }
    }
}

} // namespace RkDraw
