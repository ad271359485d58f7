// CRasterImageBMP: the BMP format class (format code 1). Reads Windows and OS/2 bitmaps, with or
// without the 14-byte file header (so a bare packed DIB is accepted too), uncompressed, bit fields,
// RLE8 and RLE4; writes uncompressed Windows bitmaps.
#pragma once

#include "imaging/CRasterImage.h"

class CRasterImageBMP : public CRasterImage
{
public:
    CRasterImageBMP() : CRasterImage(RASTER_FORMAT_BMP) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

    // Reads the information header (40-byte Windows, 12-byte OS/2, 64-byte OS/2 2.x, and the
    // 52- to 124-byte Windows headers) and completes its image size and colour count. The stream
    // is left after the header. masks, when given, receives the red, green and blue bit fields a
    // longer header carries (left alone otherwise).
    static bool ReadInfoHeader(CRasterFile* stream, BITMAPINFOHEADER* header, DWORD* masks = nullptr);

private:
    bool Fail(const char* text);
    bool ReadPalette(CRasterFile& stream, const BITMAPINFOHEADER& header, bool os2);
    bool ReadPixels(CRasterFile& stream, const BITMAPINFOHEADER& header, const DWORD masks[3]);
    void ReadRaw(CRasterFile& stream, BYTE* target, size_t bytes);
    // 32-bit pixels of any red, green and blue masks into the 24-bit rows.
    void StoreBitFields32(const BYTE* source, const DWORD masks[3]);
    // Run-length data of 8 or 4 bits a pixel into the cleared picture.
    void DecodeRunLength(CRasterFile& stream, int bits);
};
