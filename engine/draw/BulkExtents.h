// The part of a drawing's extents where its bulk lies: the boxes of a layout's objects without
// the few that lie absurdly far from the rest (a stray point, hatches left thousands of units
// away, an insert scaled a thousandfold). The opening view and thumbnails frame the bulk; zoom
// extents still shows every box.
#pragma once

#include "engine/db/Geometry.h"

#include <vector>

namespace RkDraw {

struct Box2
{
    RkDb::Vec2 min;
    RkDb::Vec2 max;
};

class BulkExtents
{
public:
    // Fewer objects than this are all bulk: with a handful there is no "rest" to stand apart from.
    static constexpr std::size_t kMinObjects = 20;
    // At most one object in this many may be left out, so a drawing of two real clusters keeps both.
    static constexpr std::size_t kMaxOutlierShare = 20;
    // How far beyond the bulk, in the bulk's own sizes, an object may reach and still be part of
    // it. A plan's legend or a detail beside it lies within a plan's width or two; what was left
    // behind lies many widths away.
    static constexpr double kReach = 4.0;
    // The core is found from at most this many of the objects' centres.
    static constexpr std::size_t kMaxSamples = 8192;
    // The bulk is measured again from what it kept at most this often.
    static constexpr int kPasses = 4;

    // The union of the boxes that are bulk; false when there are none.
    static bool Of(const std::vector<Box2>& boxes, Box2& bulk);

private:
    static Box2 Core(const std::vector<Box2>& boxes);
    static double CoreSize(const Box2& core, const std::vector<Box2>& boxes);
};

} // namespace RkDraw
