// CRasterImageTGA: the Truevision TGA format class (format code 8), read and written without a
// library: uncompressed and run-length colour-mapped, true-colour and grey images in; 8-bit
// colour-mapped, 24-bit and 32-bit true-colour images out.
#pragma once

#include "imaging/CRasterImage.h"

struct TGAHEADER
{
    BYTE idLength;
    BYTE colorMapType;
    BYTE imageType;
    WORD colorMapFirst;
    WORD colorMapLength;
    BYTE colorMapEntrySize;
    WORD xOrigin;
    WORD yOrigin;
    WORD width;
    WORD height;
    BYTE pixelDepth;
    BYTE descriptor;
};

class CRasterImageTGA : public CRasterImage
{
public:
    CRasterImageTGA() : CRasterImage(RASTER_FORMAT_TGA) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

    // Reads count pixels of the file's depth into the row at the first column; 32-bit pixels set
    // the alpha plane at (first column + i, row). False on a short read.
    bool ExpandUncompressedLine(BYTE* destination, const TGAHEADER& header, CRasterFile& stream,
                                DWORD count, DWORD row, DWORD firstColumn);
    // Decodes one row of packets; pending carries a packet split at the row's end into the next
    // row (255 = none) and is returned updated.
    BYTE ExpandCompressedLine(BYTE* destination, const TGAHEADER& header, CRasterFile& stream,
                              DWORD width, DWORD row, BYTE pending);

private:
    bool Fail(const char* text);
    bool ReadColorMap(CRasterFile& stream, const TGAHEADER& header);
    void StorePixel(BYTE* destination, const BYTE* source, int fileBytes, DWORD x, DWORD row);
    bool WriteRows(CRasterFile& stream);
};
