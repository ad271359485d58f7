// CRasterImageICO: the icon format class (format code 6). Reads one image of an icon or cursor
// file (the one the frame index picks; PNG-compressed entries through the PNG codec) and turns
// its AND mask into alpha, a transparent index or a transparent colour; writes one-image icons.
#pragma once

#include "imaging/CRasterImage.h"

#include <vector>

class CRasterImageICO : public CRasterImage
{
public:
    CRasterImageICO() : CRasterImage(RASTER_FORMAT_ICO) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

private:
    bool Fail(const char* text);
    bool DecodePng(CRasterFile& stream);
    bool ReadBitmap(CRasterFile& stream, DWORD width, DWORD height);
    bool ReadTrueColourWithAlpha(CRasterFile& stream);
    void ApplyMask(const std::vector<BYTE>& mask, WORD fileDepth);
    void MaskToTransparentColour(const std::vector<BYTE>& mask);
    void MaskToTransparentIndex(const std::vector<BYTE>& mask);
    bool Masked(const std::vector<BYTE>& mask, DWORD x, DWORD y) const;
    std::vector<BYTE> BuildMask() const;
    bool WritePixels(CRasterFile& stream, bool withAlpha);
};
