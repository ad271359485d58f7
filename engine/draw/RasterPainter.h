// Draws raster images: the picture (from the drawing's RasterCache) on its frame, clipped to its
// clip boundary; a picture that is not found or cannot be read keeps its frame with a cross and
// the file's name. Also gives the frame ring that IMAGE and WIPEOUT share.
#pragma once

#include "engine/db/AreaEntities.h"
#include "engine/draw/EntityPainter.h"

#include <vector>

namespace RkDraw {

class RasterPainter
{
public:
    explicit RasterPainter(EntityPainter& painter) : m_p(painter) {}

    void PaintImage(const RkDb::Image& e);
    // An OLE object: the picture it keeps on its frame, else the frame.
    void PaintOleFrame(const RkDb::OleFrame& e);
    // The frame (the clip boundary where clipping is on) in world coordinates.
    static std::vector<RkDb::Vec3> FrameRing(const RkDb::RasterFrame& f);

private:
    bool PaintPicture(const RkDb::Image& e, const std::vector<DevPoint>& clip);
    // The picture on the parallelogram of its top left, top right and bottom left corners (world),
    // clipped to the ring; the pixels it needs are those the frame covers, up to its own.
    void PlacePicture(const RasterPicture& picture, const std::vector<DevPoint>& clip, DevPoint topLeft,
                      DevPoint topRight, DevPoint bottomLeft);
    void PaintFileName(const RkDb::Image& e);

    EntityPainter& m_p;
};

} // namespace RkDraw
