// Small value types decoded from DWG bit streams: DwgPoint3 (points and vectors), DwgHandleRef
// (a handle reference with its code), DwgColor (an index or true colour).
#pragma once

#include <cstdint>

namespace orvo::dwg {

struct DwgPoint3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct DwgHandleRef
{
    uint8_t code = 0;
    uint64_t value = 0;

    // The absolute handle this reference names, seen from the object whose handle is owner.
    // Codes 6, 8, 0xA and 0xC are relative to that object; the others are absolute.
    uint64_t Resolve(uint64_t owner) const
    {
        switch (code) {
        case 0x6: return owner + 1;
        case 0x8: return owner - 1;
        case 0xA: return owner + value;
        case 0xC: return owner - value;
        default: return value;
        }
    }
};

struct DwgColor
{
    int16_t index = 256; // 256 by layer, 0 by block
    bool hasRgb = false;
    uint32_t rgb = 0;   // 0x00RRGGBB when hasRgb
    uint32_t transparency = 0;  // as stored: the kind in the high byte, the alpha in the low
};

} // namespace orvo::dwg
