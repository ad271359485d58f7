// CRasterImagePCX: the PCX format class (format code 9). Reads 1, 2, 4 and 8 bits per plane with
// 1 to 4 planes; writes 1-bit (1 or 4 planes), 8-bit indexed and 24-bit (3 planes, 4 with alpha).
#pragma once

#include "imaging/CRasterImage.h"

#include <cstdint>
#include <vector>

class CRasterImagePCX : public CRasterImage
{
public:
    CRasterImagePCX() : CRasterImage(RASTER_FORMAT_PCX) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

    // Run-length packer of one plane line of values: a pending run of count equal bytes.
    struct PackState {
        int current = 0;
        int count = 0;
    };
    // Feeds one value; -1 ends an even-width line, -2 an odd-width one (which adds the pad byte).
    static void PackPixels(int value, PackState& state, std::vector<uint8_t>& sink);
    // Run-length encodes a whole plane line.
    static void PackPlanes(const uint8_t* buffer, size_t length, std::vector<uint8_t>& sink);

private:
    struct Header;

    bool Fail(const char* text);
    bool ReadHeader(CRasterFile& stream, Header& header);
    bool Decompress(CRasterFile& stream, std::vector<uint8_t>& data, uint64_t expected);
    bool ReadPalette(CRasterFile& stream, const Header& header);
    bool StoreLines(const Header& header, const std::vector<uint8_t>& data);
    void EncodeTrueColor(std::vector<uint8_t>& out, DWORD bytesPerLine) const;
    void EncodeIndexed(std::vector<uint8_t>& out) const;
    void EncodePlanes(std::vector<uint8_t>& out, int planes, DWORD bytesPerLine) const;
};
