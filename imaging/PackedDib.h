// Free functions over packed device-independent bitmaps (a BITMAPINFOHEADER or the 12-byte core
// header, the colour table and the rows, bottom-up and DWORD-aligned, in one block) and over the
// movable global blocks that hold them. CDib is built on them.
//
// Blocks that come from outside (files, resources, the clipboard) are checked with DibIsSound
// before anything reads past their header. New global blocks are movable and zero-initialised;
// a null result means failure and the inputs are left as they were.
#pragma once

#include <windows.h>

#include <cstddef>

// Layout of a locked packed DIB.
void DibFree(HGLOBAL dib);
DWORD DibWidth(const void* dib);
DWORD DibHeight(const void* dib);
WORD DibBitCount(const void* dib);
// Colour-table bytes: biClrUsed x 4 when set, else 8, 64 or 1024 for 1, 4 or 8 bits (core
// headers: 6, 48 or 768); bit-field masks after a 40-byte header count with it.
WORD DibPaletteSize(const void* dib);
// Header, colour table and image bytes; a zero biSizeImage is computed (never written, so the
// block may be read-only resource memory). 0 for a header that is not sound.
DWORD DibSize(const void* dib);
BYTE* FindDibBits(void* dib);
const BYTE* FindDibBits(const void* dib);
// True when the header describes a picture whose table and rows fit in the given bytes.
bool DibIsSound(const void* dib, size_t size);
// True when the block holds a sound packed DIB.
bool DibHandleIsSound(HGLOBAL dib);

// A blank DIB; the bit count is rounded up to 1, 4, 8, 24 or 32 (16 gives 24).
HGLOBAL CreateDib(int width, int height, int bitCount);
HGLOBAL CopyDibHandle(HGLOBAL dib);
HGLOBAL CopyToDibHandle(const void* data, size_t size);
// A quarter turn counter-clockwise of a DIB of any bit count, with the busy cursor.
HGLOBAL RotateDib90(HGLOBAL dib);
