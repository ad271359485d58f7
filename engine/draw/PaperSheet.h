// The sheet of a paper layout as CAD programs show it: the paper in its colour, with a shadow, on
// a darker surround, and everything on the layout drawn against the paper's colour (so that
// white lines turn dark on it).
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
    static constexpr std::uint32_t kPrintable = 0x606060;

    // The sheet in paper units: the layout's limits, else its paper view (viewport 1), else its
    // paper size from the origin, else A4 across.
    static void Bounds(const RkDb::Layout& layout, const RkDb::Block& block, RkDb::Vec2& min, RkDb::Vec2& max);
    // The same for a layout of the database; false for model space or a layout without a block.
    static bool BoundsOf(const RkDb::Database& db, int layout, RkDb::Vec2& min, RkDb::Vec2& max);
    // The part of the sheet the printer reaches: the sheet less the page set-up's margins (turned
    // with the paper, in the layout's paper units); false when the layout keeps no margins.
    static bool PrintableArea(const RkDb::Layout& layout, RkDb::Vec2 min, RkDb::Vec2 max, RkDb::Vec2& low,
                              RkDb::Vec2& high);
    // The surround over the whole device, the sheet's shadow and the sheet; with the layout, the
    // printable area's dashed outline on it.
    static void Draw(DrawSink& sink, const ViewTransform& view, RkDb::Vec2 min, RkDb::Vec2 max,
                     const RkDb::Layout* layout = nullptr);

private:
    static void Fill(DrawSink& sink, std::uint32_t rgb, const DevPoint (&corners)[4]);
    static void DashedFrame(DrawSink& sink, const ViewTransform& view, RkDb::Vec2 low, RkDb::Vec2 high);
    static bool Inside(const ViewTransform& view, DevPoint a, DevPoint b, double& from, double& to);
    // The paper as it lies on the sheet, in the layout's paper units.
    static RkDb::Vec2 SheetPaper(const RkDb::Layout& layout);
};

} // namespace RkDraw
