// The pixels of a device context that the program may write itself: a memory device context
// with a 24- or 32-bit DIB section selected, drawn in device pixels (no mapping, no world
// transform, plain copy mode), clipped to nothing or to one rectangle.
#pragma once

#include "engine/draw/PixelCanvas.h"

#include <windows.h>

#include <optional>

namespace RkDraw {

// Empty for any other device context (a screen, a printer, a metafile, another depth).
std::optional<PixelCanvas> DirectCanvas(HDC dc);

} // namespace RkDraw
