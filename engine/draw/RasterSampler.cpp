#include "engine/draw/RasterSampler.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

DeviceBox RasterSampler::Cover(DevPoint topLeft, DevPoint topRight, DevPoint bottomLeft,
                               const double (&limits)[4])
{
    const DevPoint bottomRight{topRight.x + bottomLeft.x - topLeft.x, topRight.y + bottomLeft.y - topLeft.y};
    const double xs[4] = {topLeft.x, topRight.x, bottomLeft.x, bottomRight.x};
    const double ys[4] = {topLeft.y, topRight.y, bottomLeft.y, bottomRight.y};
    const double x0 = std::max(*std::min_element(xs, xs + 4), limits[0]);
    const double y0 = std::max(*std::min_element(ys, ys + 4), limits[1]);
    const double x1 = std::min(*std::max_element(xs, xs + 4), limits[2]);
    const double y1 = std::min(*std::max_element(ys, ys + 4), limits[3]);
    DeviceBox box;
    if (!(x1 > x0) || !(y1 > y0) || !std::isfinite(x0 + x1 + y0 + y1) || (x1 - x0) * (y1 - y0) > 1e18)
        return box;
    box.left = static_cast<int>(std::floor(x0));
    box.top = static_cast<int>(std::floor(y0));
    box.width = static_cast<int>(std::ceil(x1)) - box.left;
    box.height = static_cast<int>(std::ceil(y1)) - box.top;
    return box;
}

bool RasterSampler::Sample(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                           DevPoint bottomLeft, const DeviceBox& box, double step, std::uint32_t fill,
                           RasterPicture& out)
{
    if (picture.width <= 0 || picture.height <= 0 || box.width <= 0 || box.height <= 0 || !(step > 0))
        return false;
    const double ux = (topRight.x - topLeft.x) / picture.width, uy = (topRight.y - topLeft.y) / picture.width;
    const double vx = (bottomLeft.x - topLeft.x) / picture.height, vy = (bottomLeft.y - topLeft.y) / picture.height;
    const double det = ux * vy - uy * vx;
    const double across = std::ceil(box.width / step), down = std::ceil(box.height / step);
    if (!(std::fabs(det) > 1e-12) || across * down > kMaxPixels)
        return false;
    out.width = static_cast<int>(across);
    out.height = static_cast<int>(down);
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, fill);
    for (int y = 0; y < out.height; ++y) {
        const double dy = box.top + (y + 0.5) * step - topLeft.y;
        std::uint32_t* row = out.pixels.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) {
            // The output pixel's centre back in picture pixels.
            const double dx = box.left + (x + 0.5) * step - topLeft.x;
            const double px = (dx * vy - dy * vx) / det, py = (ux * dy - uy * dx) / det;
            if (px >= 0 && py >= 0 && px < picture.width && py < picture.height)
                row[x] = picture.pixels[static_cast<std::size_t>(py) * picture.width + static_cast<std::size_t>(px)];
        }
    }
    return true;
}

} // namespace RkDraw
