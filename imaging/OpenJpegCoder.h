// OpenJpegCoder: reads and writes JP2 files and JPEG-2000 code streams through OpenJPEG, between a
// raster stream and a JasPicture. Failures give false and the text to show.
#pragma once

#include "imaging/JasPicture.h"

#include <string>

class CRasterFile;

namespace OpenJpegCoder {

// jp2: the file format with boxes; otherwise a bare code stream.
bool Read(CRasterFile& file, bool jp2, JasPicture& picture, std::string& error);

// Writes 8-bit unsigned components (1 grey or 3 red, green, blue) of equal size. rate is the
// wanted size as a fraction of the raw size; 1 or more writes losslessly.
bool Write(CRasterFile& file, bool jp2, const JasPicture& picture, double rate,
           std::string& error);

} // namespace OpenJpegCoder
