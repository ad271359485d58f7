// CRasterImageWBMP: the wireless bitmap format class (format code 10): type 0, black and white,
// uncompressed. Width and height are the format's multi-byte integers (7 bits a byte, high bit set
// on every byte but the last).
#pragma once

#include "imaging/CRasterImage.h"

#include <cstdint>
#include <vector>

class CRasterImageWBMP : public CRasterImage
{
public:
    CRasterImageWBMP() : CRasterImage(RASTER_FORMAT_WBMP) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

    // Reads one multi-byte integer of at most 32 bits; false at the end of the stream or when it
    // is longer than 5 bytes.
    static bool ReadMultiByte(CRasterFile& stream, uint32_t& value);
    // Appends value as a multi-byte integer.
    static void PutMultiByte(std::vector<uint8_t>& out, uint32_t value);

private:
    bool Fail(const char* text);
};
