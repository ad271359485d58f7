// The sheet of a paper layout as CAD programs show it: the paper in its colour, with a shadow, on
// a darker surround, the printable area inside it as a dashed outline, and everything on the
// layout drawn against the paper's colour (so that white lines turn dark on it).
#pragma once

#include "engine/db/Database.h"
#include "engine/draw/DrawSink.h"
#include "engine/draw/ViewTransform.h"

#include <cstdint>

namespace RkDraw {

class PaperSheet
{
public:
    static constexpr std::uint32_t kPaper = 0xFFFFFF;
    static constexpr std::uint32_t kSurround = 0x808080;
    static constexpr std::uint32_t kShadow = 0x404040;
    static constexpr std::uint32_t kMargin = 0x303030;
    // The printable area's outline in device pixels: dash, gap.
    static constexpr double kDashPixels = 6.0;
    static constexpr double kGapPixels = 4.0;

    // The sheet and its printable area in paper units.
    struct Area
    {
        RkDb::Vec2 min, max;
        bool printable = false;          // the page set-up gives margins
        RkDb::Vec2 printMin, printMax;
    };

    // The sheet in paper units. With the layout's page set-up: its paper, turned as it plots, in
    // the layout's units (those its limits show when they hold the paper, else the set-up's), its
    // printable area's corner at the origin moved by the plot origin, or on the limits when they
    // hold the paper. Without one: the layout's limits, else its paper view (viewport 1), else its
    // paper size from the origin, else A4 across.
    static Area AreaOf(const RkDb::Layout& layout, const RkDb::Block& block);
    static void Bounds(const RkDb::Layout& layout, const RkDb::Block& block, RkDb::Vec2& min, RkDb::Vec2& max);
    // The same for a layout of the database; false for model space or a layout without a block.
    static bool AreaOf(const RkDb::Database& db, int layout, Area& area);
    static bool BoundsOf(const RkDb::Database& db, int layout, RkDb::Vec2& min, RkDb::Vec2& max);
    // The surround over the whole device, the sheet's shadow and the sheet.
    static void Draw(DrawSink& sink, const ViewTransform& view, RkDb::Vec2 min, RkDb::Vec2 max);
    // The same and then the printable area's dashed outline.
    static void Draw(DrawSink& sink, const ViewTransform& view, const Area& area);

private:
    static bool FromPageSetup(const RkDb::Layout& layout, Area& area);
    static void Fill(DrawSink& sink, std::uint32_t rgb, const DevPoint (&corners)[4]);
    static void DeviceBox(const ViewTransform& view, RkDb::Vec2 min, RkDb::Vec2 max, double& left,
                          double& top, double& right, double& bottom);
    // One edge of the outline, dashed from its start, only where it crosses the device.
    static void DashedEdge(DrawSink& sink, const ViewTransform& view, DevPoint a, DevPoint b);
};

} // namespace RkDraw
