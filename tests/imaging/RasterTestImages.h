// Test pictures and a naive pixel comparison shared by the raster image tests.
#pragma once

#include "imaging/CRasterImage.h"

#include <string>
#include <vector>

// Makes the image width x height at the depth with a distinct index or colour at each pixel (and
// a palette of distinct colours), so any misplaced pixel shows.
void FillPattern(CRasterImage& image, DWORD width, DWORD height, DWORD bpp);

// Empty when both images have the same size, depth and pixel colours; else where they differ.
std::string ComparePixels(const CRasterImage& a, const CRasterImage& b);

// A BMP file (or a bare packed DIB) built field by field, so tests can describe odd files.
struct BmpFileSpec
{
    LONG width = 1;
    LONG height = 1;
    WORD bits = 24;
    DWORD compression = 0;
    DWORD headerSize = 40; // 12 writes an OS/2 core header with 3-byte palette entries
    DWORD clrUsed = 0;
    DWORD sizeImage = 0;
    std::vector<RGBQUAD> palette;
    std::vector<DWORD> masks; // written after the header when not empty
    std::vector<DWORD> headerMasks; // red, green, blue (alpha) at offset 40 of a longer header
    std::vector<BYTE> pixels;
    bool fileHeader = true;
};
std::vector<BYTE> MakeBmpFile(const BmpFileSpec& spec);
