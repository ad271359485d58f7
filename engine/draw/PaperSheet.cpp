#include "engine/draw/PaperSheet.h"

#include "engine/db/ViewportEntity.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

using RkDb::Vec2;
using RkDb::Vec3;

namespace {

constexpr double kShadowPixels = 4.0;
constexpr double kDashPixels = 6.0, kGapPixels = 4.0;
constexpr double kMillimetresPerInch = 25.4;

bool Usable(Vec2 min, Vec2 max)
{
    return std::isfinite(min.x) && std::isfinite(min.y) && std::isfinite(max.x) &&
           std::isfinite(max.y) && max.x - min.x > 1e-9 && max.y - min.y > 1e-9;
}

} // namespace

void PaperSheet::Bounds(const RkDb::Layout& layout, const RkDb::Block& block, Vec2& min, Vec2& max)
{
    min = layout.limMin;
    max = layout.limMax;
    if (Usable(min, max))
        return;
    for (const RkDb::EntityPtr& e : block.entities) {
        const auto* vp = RkDb::As<RkDb::ViewportEntity>(*e);
        if (vp && vp->id == 1 && vp->width > 0 && vp->height > 0) {
            min = {vp->center.x - vp->width / 2, vp->center.y - vp->height / 2};
            max = {vp->center.x + vp->width / 2, vp->center.y + vp->height / 2};
            if (Usable(min, max))
                return;
        }
    }
    min = {0, 0};
    max = SheetPaper(layout);
    if (Usable(min, max))
        return;
    max = {297, 210};
}

bool PaperSheet::BoundsOf(const RkDb::Database& db, int layoutIndex, Vec2& min, Vec2& max)
{
    if (layoutIndex < 0 || static_cast<std::size_t>(layoutIndex) >= db.Layouts().size())
        return false;
    const RkDb::Layout& layout = db.Layouts()[static_cast<std::size_t>(layoutIndex)];
    if (layout.IsModel() || !db.Blocks().Valid(layout.block) || layout.block == db.ModelSpace())
        return false;
    Bounds(layout, db.Blocks()[layout.block], min, max);
    return true;
}

Vec2 PaperSheet::SheetPaper(const RkDb::Layout& layout)
{
    const double unit = layout.plot.units == RkDb::PlotSettings::kInches ? kMillimetresPerInch : 1.0;
    const Vec2 paper{layout.paperSize.x / unit, layout.paperSize.y / unit};
    return layout.plot.rotation % 2 == 1 ? Vec2{paper.y, paper.x} : paper;
}

// The margins are the printer's, for the paper as it goes through it: a quarter turn
// anticlockwise brings its top margin to the sheet's left, its left margin to the bottom.
bool PaperSheet::PrintableArea(const RkDb::Layout& layout, Vec2 min, Vec2 max, Vec2& low, Vec2& high)
{
    const RkDb::PlotSettings& plot = layout.plot;
    if (!plot.known || (plot.left <= 0 && plot.bottom <= 0 && plot.right <= 0 && plot.top <= 0))
        return false;
    const double unit = plot.units == RkDb::PlotSettings::kInches ? kMillimetresPerInch : 1.0;
    const double printer[4] = {plot.left / unit, plot.bottom / unit, plot.right / unit, plot.top / unit};
    // left, bottom, right, top of the sheet: the printer's, each moved on by the turn.
    double sheet[4];
    for (int side = 0; side < 4; ++side)
        sheet[side] = printer[(side + 3 * (plot.rotation & 3)) % 4];
    low = {min.x + sheet[0], min.y + sheet[1]};
    high = {max.x - sheet[2], max.y - sheet[3]};
    return Usable(low, high);
}

// The part of a to b (as shares of its length) inside the device, grown by a pixel; false when
// none is.
bool PaperSheet::Inside(const ViewTransform& view, DevPoint a, DevPoint b, double& from, double& to)
{
    from = 0.0;
    to = 1.0;
    const double d[2] = {b.x - a.x, b.y - a.y}, p[2] = {a.x, a.y};
    const double high[2] = {view.DeviceWidth() + 1.0, view.DeviceHeight() + 1.0};
    for (int axis = 0; axis < 2; ++axis) {
        for (const double bound : {-1.0, high[axis]}) {
            const bool lower = bound < 0;
            if (d[axis] == 0) {
                if (lower ? p[axis] < bound : p[axis] > bound)
                    return false;
                continue;
            }
            const double t = (bound - p[axis]) / d[axis];
            if ((d[axis] > 0) == lower)
                from = std::max(from, t);
            else
                to = std::min(to, t);
        }
    }
    return from < to;
}

void PaperSheet::DashedFrame(DrawSink& sink, const ViewTransform& view, Vec2 low, Vec2 high)
{
    const RkDb::Matrix3d toDevice = view.WorldToDevice();
    const Vec2 corners[5] = {low, {high.x, low.y}, high, {low.x, high.y}, low};
    sink.SetPen(kPrintable, 0.0);
    const double period = kDashPixels + kGapPixels;
    for (int side = 0; side < 4; ++side) {
        const Vec3 a3 = toDevice.Apply({corners[side].x, corners[side].y, 0.0});
        const Vec3 b3 = toDevice.Apply({corners[side + 1].x, corners[side + 1].y, 0.0});
        const DevPoint a{a3.x, a3.y}, b{b3.x, b3.y};
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        double from = 0, to = 0;
        if (!std::isfinite(length) || !(length > 0) || !Inside(view, a, b, from, to))
            continue;
        // Dashes of a fixed size on the screen, counted from the side's start, only where it shows.
        for (double at = std::floor(from * length / period) * period; at < to * length; at += period) {
            const double end = std::min(length, at + kDashPixels);
            const DevPoint dash[2] = {{a.x + (b.x - a.x) * at / length, a.y + (b.y - a.y) * at / length},
                                      {a.x + (b.x - a.x) * end / length, a.y + (b.y - a.y) * end / length}};
            sink.Polyline(dash, 2);
        }
    }
}

void PaperSheet::Fill(DrawSink& sink, std::uint32_t rgb, const DevPoint (&corners)[4])
{
    const int count = 4;
    sink.SetPen(rgb, 0.0);
    sink.Polygons(corners, &count, 1);
}

void PaperSheet::Draw(DrawSink& sink, const ViewTransform& view, Vec2 min, Vec2 max, const RkDb::Layout* layout)
{
    const double w = view.DeviceWidth(), h = view.DeviceHeight();
    Fill(sink, kSurround, {{0, 0}, {w, 0}, {w, h}, {0, h}});
    const RkDb::Matrix3d toDevice = view.WorldToDevice();
    const Vec3 a = toDevice.Apply({min.x, min.y, 0.0});
    const Vec3 b = toDevice.Apply({max.x, max.y, 0.0});
    const double left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    const double top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
    const double s = kShadowPixels;
    Fill(sink, kShadow, {{left + s, top + s}, {right + s, top + s}, {right + s, bottom + s}, {left + s, bottom + s}});
    Fill(sink, kPaper, {{left, top}, {right, top}, {right, bottom}, {left, bottom}});
    Vec2 low, high;
    if (layout && PrintableArea(*layout, min, max, low, high))
        DashedFrame(sink, view, low, high);
}

} // namespace RkDraw
