// libtiff glue over the raster streams: the client procedures (64-bit offsets) handed to
// libtiff's client open. libtiff's messages about one handle are dropped with that handle: the
// codec reports its own failure texts.
#pragma once

#include <tiffio.h>

#include <string>

class CRasterFile;

// A libtiff handle reading or writing through the stream, which stays the caller's (closing the
// handle does not close it). Null when libtiff refuses the stream. libtiff's last error message,
// when lastError is given, is kept there (it must outlive the handle).
TIFF* OpenTiffOverStream(CRasterFile* stream, const char* mode, std::string* lastError = nullptr);
