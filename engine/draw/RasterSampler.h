// Samples a picture placed on a parallelogram (any rotation, skew or pixel shape) into an upright
// box of device pixels, for devices that can only place upright pictures.
#pragma once

#include "engine/draw/DrawSink.h"

namespace RkDraw {

struct DeviceBox
{
    int left = 0, top = 0, width = 0, height = 0;
};

class RasterSampler
{
public:
    // The most pixels a sampled box may have (a page at printer resolution is cut to it).
    static constexpr double kMaxPixels = 64e6;

    // The device box the parallelogram covers, cut to the limits (left, top, right, bottom).
    static DeviceBox Cover(DevPoint topLeft, DevPoint topRight, DevPoint bottomLeft, const double (&limits)[4]);
    // The picture as it shows in the box, each output pixel standing for step x step device
    // units; pixels outside the parallelogram take the fill colour. False when the parallelogram
    // is flat or the box too large.
    static bool Sample(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight, DevPoint bottomLeft,
                       const DeviceBox& box, double step, std::uint32_t fill, RasterPicture& out);
};

} // namespace RkDraw
