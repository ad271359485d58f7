// ShrinkByArea: a picture made smaller by averaging, the quality a thumbnail needs.
#pragma once

#include "imaging/CRasterImage.h"

#include <memory>

// Every target pixel is the mean of the source area it covers, partly covered source pixels by
// their share (a box filter with exact edges). Windows' HALFTONE stretch does the same; Wine's
// only samples, so fine patterns alias there: thumbnails use this instead. The result is 24 bits
// per pixel at width x height; null when the source or the target is empty or cannot be made.
std::unique_ptr<CRasterImage> ShrinkByArea(const CRasterImage& source, DWORD width, DWORD height);
