// libjpeg glue over the raster streams for the 8-bit library: see JpegGlue.h.
#pragma once

#include "imaging/JpegDecodeOptions.h"

#include <cstddef>
#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>
#include <jerror.h>

class CRasterFile;

#include "imaging/JpegGlue.h"
