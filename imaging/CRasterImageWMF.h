// CRasterImageWMF: the metafile format class (format code 11). Reads placeable Windows metafiles
// and enhanced metafiles by playing them on a screen-compatible bitmap; saving is not supported.
#pragma once

#include "imaging/CRasterImage.h"

#include <cstdint>
#include <string>
#include <vector>

class CRasterImageWMF : public CRasterImage
{
public:
    CRasterImageWMF() : CRasterImage(RASTER_FORMAT_WMF) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    // forcedWidth, forcedHeight: a size to play the picture at (0 = the picture's own).
    bool Decode(CRasterFile* stream, long forcedWidth = 0, long forcedHeight = 0);
    bool Encode(CRasterFile* stream);

    // Largest side of the bitmap a metafile is played on.
    static constexpr long kMaxSide = 4000;

private:
    bool Fail(const char* text);
    HENHMETAFILE ReadPlaceable(CRasterFile& stream, long& width, long& height, bool& empty);
    // A Windows metafile without a placeable header: its size is its window extent.
    HENHMETAFILE ReadPlain(CRasterFile& stream, long& width, long& height);
    HENHMETAFILE ReadEnhanced(CRasterFile& stream, long& width, long& height);
    std::string m_reason; // why the records were refused
    bool Render(HENHMETAFILE metafile, long width, long height);
};
