// The decoder the engine draws the raster images of drawings with: every picture format the
// program reads, decoded at the size the view needs (a JPEG at its smallest DCT scale that still
// covers it) and shrunk by area averaging. Stateless, so any thread may use it.
#pragma once

#include "engine/draw/RasterPicture.h"

class CRasterImage;

class DrawingRasterDecoder final : public RkDraw::RasterDecoder
{
public:
    bool Decode(const std::string& path, int fitWidth, int fitHeight, RkDraw::RasterPicture& out) override;
    bool DecodeBytes(const std::string& bytes, int fitWidth, int fitHeight, RkDraw::RasterPicture& out) override;

private:
    // The decoded picture at the size the view needs, as the engine keeps pictures.
    static bool Deliver(const CRasterImage& image, int fitWidth, int fitHeight, RkDraw::RasterPicture& out);
};
