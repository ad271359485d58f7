// The AutoCAD Color Index: 256 entries as 0x00RRGGBB, and the names of the named colours.
#pragma once

#include <cstdint>

namespace RkDb {

class AciPalette
{
public:
    // Entry 0..255 of the palette; other values give entry 7. Entry 7 is white: renderers show it
    // black on a light background.
    static std::uint32_t Rgb(int index);
    // "red" .. "white" for 1..7, "ByBlock" for 0, "ByLayer" for 256, else null.
    static const char* Name(int index);
    // The index whose colour is nearest to rgb (1..255).
    static int Nearest(std::uint32_t rgb);
};

} // namespace RkDb
