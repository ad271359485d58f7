#include "engine/draw/BulkExtents.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

namespace {

// The value at the fraction q (0..1) of the sorted values (the values are reordered).
double Quantile(std::vector<double>& values, double q)
{
    const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

void Join(Box2& into, const Box2& b, bool& empty)
{
    if (empty) {
        into = b;
        empty = false;
        return;
    }
    into.min.x = std::min(into.min.x, b.min.x);
    into.min.y = std::min(into.min.y, b.min.y);
    into.max.x = std::max(into.max.x, b.max.x);
    into.max.y = std::max(into.max.y, b.max.y);
}

bool Inside(const Box2& b, const Box2& region)
{
    return b.min.x >= region.min.x && b.max.x <= region.max.x && b.min.y >= region.min.y &&
           b.max.y <= region.max.y;
}

bool Same(const Box2& a, const Box2& b)
{
    return a.min.x == b.min.x && a.min.y == b.min.y && a.max.x == b.max.x && a.max.y == b.max.y;
}

} // namespace

// Where the middle four fifths of the objects' centres lie, on each axis apart: the far few
// cannot move it, however far they are.
Box2 BulkExtents::Core(const std::vector<Box2>& boxes)
{
    // Of a large drawing an even sample of the centres tells where they lie.
    const std::size_t step = boxes.size() / kMaxSamples + 1;
    std::vector<double> xs, ys;
    xs.reserve(boxes.size() / step + 1);
    ys.reserve(boxes.size() / step + 1);
    for (std::size_t i = 0; i < boxes.size(); i += step) {
        const Box2& b = boxes[i];
        xs.push_back((b.min.x + b.max.x) / 2);
        ys.push_back((b.min.y + b.max.y) / 2);
    }
    Box2 core;
    core.min = {Quantile(xs, 0.1), Quantile(ys, 0.1)};
    core.max = {Quantile(xs, 0.9), Quantile(ys, 0.9)};
    return core;
}

// The core's larger side, or where the centres coincide (many copies at one place) the median
// object's size.
double BulkExtents::CoreSize(const Box2& core, const std::vector<Box2>& boxes)
{
    const double size = std::max(core.max.x - core.min.x, core.max.y - core.min.y);
    if (size > 0)
        return size;
    std::vector<double> sizes;
    sizes.reserve(boxes.size());
    for (const Box2& b : boxes)
        sizes.push_back(std::max(b.max.x - b.min.x, b.max.y - b.min.y));
    return Quantile(sizes, 0.5);
}

// Objects within reach of the core are bulk; the reach is then measured again from the bulk's
// own box (the core of the centres is smaller than what the bulk covers), until it settles.
bool BulkExtents::Of(const std::vector<Box2>& boxes, Box2& bulk)
{
    bool empty = true;
    for (const Box2& b : boxes)
        Join(bulk, b, empty);
    if (empty || boxes.size() < kMinObjects)
        return !empty;
    Box2 around = Core(boxes);
    double size = CoreSize(around, boxes);
    for (int pass = 0; pass < kPasses; ++pass) {
        const double reach = kReach * size;
        if (!(reach > 0) || !std::isfinite(reach))
            return true;
        const Box2 region{{around.min.x - reach, around.min.y - reach},
                          {around.max.x + reach, around.max.y + reach}};
        Box2 kept;
        bool keptEmpty = true;
        std::size_t outliers = 0;
        for (const Box2& b : boxes) {
            if (Inside(b, region))
                Join(kept, b, keptEmpty);
            else
                ++outliers;
        }
        if (keptEmpty || outliers > boxes.size() / kMaxOutlierShare)
            return true;
        if (outliers == 0 || (pass > 0 && Same(kept, around))) {
            bulk = kept;
            return true;
        }
        around = kept;
        size = std::max(kept.max.x - kept.min.x, kept.max.y - kept.min.y);
    }
    bulk = around;
    return true;
}

} // namespace RkDraw
