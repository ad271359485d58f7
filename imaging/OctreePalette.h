// Octree colour reduction: a palette of at most the given number of colours that represents the
// pixels of a DIB section or packed DIB.
#pragma once

#include <windows.h>

// colorBits (at most 8) is the depth of the tree; colorCount of 1 or more (at most 256 are kept).
// Null for counts below 1, an unsupported bit count or an unreadable picture.
HPALETTE CreateOctreePalette(HBITMAP section, int colorCount, int colorBits);
HPALETTE CreateDibOctreePalette(const void* dib, int colorCount, int colorBits);
