#include "engine/db/AciPalette.h"

#include <array>
#include <cmath>

namespace RkDb {
namespace {

std::uint32_t Pack(int r, int g, int b)
{
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
           static_cast<std::uint32_t>(b);
}

// Entries 10..249 are 24 hues, 15 degrees apart starting at red, each in five brightness steps
// with a full and a half saturated variant; 250..255 are greys.
std::uint32_t HueEntry(int index)
{
    const int hue = (index / 10) - 1;        // 0..23
    const int variant = index % 10;          // even full, odd half saturated
    static const int levels[5] = {255, 204, 153, 127, 76};
    static const int ramp[5] = {0, 63, 127, 191, 255};
    // Red, green and blue components of the hue at full brightness, stepping 63.75 per 15 deg.
    const int sector = hue / 4, step = hue % 4;
    int c[3] = {0, 0, 0};
    const int up = ramp[step], down = ramp[4 - step];
    switch (sector) {
    case 0: c[0] = 255; c[1] = up; break;
    case 1: c[0] = down; c[1] = 255; break;
    case 2: c[1] = 255; c[2] = up; break;
    case 3: c[1] = down; c[2] = 255; break;
    case 4: c[2] = 255; c[0] = up; break;
    default: c[2] = down; c[0] = 255; break;
    }
    const double level = levels[variant / 2] / 255.0;
    int out[3];
    for (int i = 0; i < 3; ++i) {
        const double v = (variant % 2) ? c[i] + (255 - c[i]) / 2 : c[i];
        out[i] = static_cast<int>(std::lround(v * level));
    }
    return Pack(out[0], out[1], out[2]);
}

std::array<std::uint32_t, 256> BuildTable()
{
    std::array<std::uint32_t, 256> t{};
    t[0] = Pack(0, 0, 0);
    t[1] = Pack(255, 0, 0);
    t[2] = Pack(255, 255, 0);
    t[3] = Pack(0, 255, 0);
    t[4] = Pack(0, 255, 255);
    t[5] = Pack(0, 0, 255);
    t[6] = Pack(255, 0, 255);
    t[7] = Pack(255, 255, 255);
    t[8] = Pack(128, 128, 128);
    t[9] = Pack(192, 192, 192);
    for (int i = 10; i < 250; ++i)
        t[i] = HueEntry(i);
    static const int greys[6] = {51, 80, 105, 130, 190, 255};
    for (int i = 0; i < 6; ++i)
        t[250 + i] = Pack(greys[i], greys[i], greys[i]);
    return t;
}

const std::array<std::uint32_t, 256>& Table()
{
    static const std::array<std::uint32_t, 256> table = BuildTable();
    return table;
}

} // namespace

std::uint32_t AciPalette::Rgb(int index)
{
    if (index < 0 || index > 255)
        index = 7;
    return Table()[static_cast<std::size_t>(index)];
}

const char* AciPalette::Name(int index)
{
    static const char* const names[8] = {"ByBlock", "red",  "yellow",  "green",
                                         "cyan",    "blue", "magenta", "white"};
    if (index >= 0 && index < 8)
        return names[index];
    return index == 256 ? "ByLayer" : nullptr;
}

int AciPalette::Nearest(std::uint32_t rgb)
{
    const int r = static_cast<int>((rgb >> 16) & 0xFF), g = static_cast<int>((rgb >> 8) & 0xFF),
              b = static_cast<int>(rgb & 0xFF);
    int best = 7;
    long bestDistance = -1;
    for (int i = 1; i < 256; ++i) {
        const std::uint32_t c = Table()[static_cast<std::size_t>(i)];
        const long dr = r - static_cast<int>((c >> 16) & 0xFF);
        const long dg = g - static_cast<int>((c >> 8) & 0xFF);
        const long db = b - static_cast<int>(c & 0xFF);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

} // namespace RkDb
