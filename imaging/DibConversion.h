// Conversions between packed DIBs, DIB sections and palettes, and bit-depth changes that let GDI do
// the colour matching.
#pragma once

#include <windows.h>

// The locked forms take the header (a BITMAPINFOHEADER or a BITMAPCOREHEADER cast to it), never a
// plain pointer, so that a pointer can never be taken for a global handle.
//
// A logical palette of the DIB's colour table; null for DIBs without one.
HPALETTE CreateDibPalette(const BITMAPINFOHEADER* dib);
HPALETTE CreateDibPalette(HGLOBAL dib);
// A packed DIB read back from a DIB section.
HGLOBAL BitmapToDib(HBITMAP section);
// A DIB section holding the DIB's rows and colour table.
HBITMAP DibToDibSection(const BITMAPINFOHEADER* dib);
HBITMAP DibToDibSection(HGLOBAL dib);
// A new DIB of the bit count (the source stays); the colour table comes from the palette when one
// is given, else from standard tables (see the source for the rules by depth).
HGLOBAL ChangeDibFormat(HGLOBAL dib, WORD bitCount, HPALETTE palette);
// ChangeDibFormat with an octree palette of the colour count, under the busy cursor.
HGLOBAL QuantizeDib(HGLOBAL dib, WORD bitCount, int colorCount);
