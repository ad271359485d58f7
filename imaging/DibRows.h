// Row helpers of the GIF and JPEG writers: they turn the padded, bottom-up rows of a DIB into the
// tight, top-down rows the file formats want.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <windows.h>

class CDib;

using RowBuffer = std::unique_ptr<uint8_t[]>;

// Gives the writers a private copy to convert: attaches a new block (a copy the caller made) to
// copy, or frees it when it is null or not a sound DIB. False on failure.
bool AttachDibCopy(CDib& copy, HGLOBAL block);

// Copies the (width x bits) / 8 used bytes of each DWORD-aligned row into one array with no gap
// between rows, rows in stored order. Null input, or a size that does not fit, gives null.
RowBuffer PackDibRows(const uint8_t* rows, int width, int height, int bits);

// The same for 24-bit rows of width x 3 bytes taken every sourceRowSize bytes.
RowBuffer PackDibRows24(const uint8_t* rows, int width, size_t sourceRowSize, int height);

// Swaps row i with row count - 1 - i; false for null input.
bool FlipRows(uint8_t* buffer, size_t rowSize, int rowCount);

// Swaps the first and third byte of every 3-byte pixel (BGR to RGB); false for null input.
bool SwapRedBlue(uint8_t* buffer, int width, int rowCount);
