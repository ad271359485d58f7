// PsdColor: the colour conversions of the Photoshop reader (CMYK and CIE L*a*b* to RGB).
// Samples are stored values of depth bits; their full range maps to the full 0..255 range.
#pragma once

#include <cstdint>

namespace PsdColor {

// Stored CMYK samples are inverted ink values (the maximum means no ink). Without useBlack the
// black ink is taken as none, whatever black holds.
void CmykToRgb(uint32_t cyan, uint32_t magenta, uint32_t yellow, uint32_t black, int depth,
               uint8_t rgb[3], bool useBlack = true);

// Stored L*a*b* samples: L over 0..100, a and b over -128..127.
void LabToRgb(uint32_t lightness, uint32_t a, uint32_t b, int depth, uint8_t rgb[3]);

} // namespace PsdColor
