// SunRasterCoder: Sun raster files (1, 8, 24 and 32 bits, uncompressed, with or without an RGB
// colour map) read into and written from a JasPicture.
#pragma once

#include "imaging/JasPicture.h"

class ByteCursor;
class CRasterFile;

namespace SunRasterCoder {

constexpr uint32_t kMagic = 0x59A66A95;

bool Read(ByteCursor& in, JasPicture& picture);
// Writes 8-bit components: one as 8-bit grey, three as 24-bit colour (blue, green, red).
bool Write(CRasterFile& file, const JasPicture& picture);

} // namespace SunRasterCoder
