#include "imaging/PsdColor.h"

#include <cmath>

namespace {

// The largest stored value: full-range samples must reach exactly 1.0, not 1 - 1/2^depth.
double FullRange(int depth)
{
    return double((uint32_t(1) << depth) - 1);
}

uint8_t Clamp(double v)
{
    if (v <= 0.0)
        return 0;
    if (v >= 255.0)
        return 255;
    return static_cast<uint8_t>(v);
}

double LabPivot(double f)
{
    const double cube = f * f * f;
    return cube > 0.008856 ? cube : (f - 16.0 / 116.0) / 7.787;
}

double SrgbCompand(double c)
{
    return c > 0.0031308 ? 1.055 * std::pow(c, 1.0 / 2.4) - 0.055 : 12.92 * c;
}

} // namespace

namespace PsdColor {

void CmykToRgb(uint32_t cyan, uint32_t magenta, uint32_t yellow, uint32_t black, int depth,
               uint8_t rgb[3], bool useBlack)
{
    const double range = FullRange(depth);
    const double k = useBlack ? 1.0 - black / range : 0.0;
    const uint32_t inks[3] = {cyan, magenta, yellow};
    for (int i = 0; i < 3; ++i) {
        const double ink = 1.0 - inks[i] / range;
        rgb[i] = Clamp(std::trunc(255.0 * (1.0 - (ink * (1.0 - k) + k))));
    }
}

void LabToRgb(uint32_t lightness, uint32_t a, uint32_t b, int depth, uint8_t rgb[3])
{
    const double range = FullRange(depth);
    const double l = std::trunc(lightness * 100.0 / range);
    const double fa = std::trunc(a * 256.0 / range - 128.0);
    const double fb = std::trunc(b * 256.0 / range - 128.0);
    const double fy = (l + 16.0) / 116.0;
    const double fx = fa / 500.0 + fy;
    const double fz = fy - fb / 200.0;
    // Reference white D65 (95.047, 100.0, 108.883), scaled to 0..1.
    const double x = 0.95047 * LabPivot(fx);
    const double y = 1.0 * LabPivot(fy);
    const double z = 1.08883 * LabPivot(fz);
    const double linear[3] = {
        3.2406 * x - 1.5372 * y - 0.4986 * z,
        -0.9689 * x + 1.8758 * y + 0.0415 * z,
        0.0557 * x - 0.2040 * y + 1.0570 * z,
    };
    // Rounded: white comes out of the matrix a hair below 1.0 in blue.
    for (int i = 0; i < 3; ++i)
        rgb[i] = Clamp(SrgbCompand(linear[i]) * 255.0 + 0.5);
}

} // namespace PsdColor
