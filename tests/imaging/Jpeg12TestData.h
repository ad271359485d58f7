// JPEG files of 12-bit samples for the tests, written with the program's 12-bit libjpeg.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace orvo::test {

// The sample (0..4095) of component c at x, y.
using TwelveBitSample = std::function<uint16_t(unsigned x, unsigned y, int c)>;

// A width x height picture of one (grey) or three (RGB) components, quality 100 without chroma
// subsampling; progressive when asked.
std::vector<unsigned char> EncodeTwelveBitJpeg(unsigned width, unsigned height, int components,
                                               const TwelveBitSample& sample,
                                               bool progressive = false);

} // namespace orvo::test
