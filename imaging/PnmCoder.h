// PnmCoder: the portable any-map formats (P1 to P6: bitmap, grey map, pixel map, as text or
// binary) read into and written from a JasPicture.
#pragma once

#include "imaging/JasPicture.h"

class ByteCursor;
class CRasterFile;

namespace PnmCoder {

bool Read(ByteCursor& in, JasPicture& picture);
// Writes 8-bit components: one as a binary grey map (P5), three as a binary pixel map (P6).
bool Write(CRasterFile& file, const JasPicture& picture);

} // namespace PnmCoder
