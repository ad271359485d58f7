#include "engine/draw/PaperSheet.h"

#include "engine/db/ViewportEntity.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

using RkDb::Vec2;
using RkDb::Vec3;

namespace {

constexpr double kShadowPixels = 4.0;

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
    max = layout.paperSize;
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

void PaperSheet::Fill(DrawSink& sink, std::uint32_t rgb, const DevPoint (&corners)[4])
{
    const int count = 4;
    sink.SetPen(rgb, 0.0);
    sink.Polygons(corners, &count, 1);
}

void PaperSheet::Draw(DrawSink& sink, const ViewTransform& view, Vec2 min, Vec2 max)
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
}

} // namespace RkDraw
