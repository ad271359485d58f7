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

Vec2 Plus(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
Vec2 Minus(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
Vec2 Times(Vec2 a, double k) { return {a.x * k, a.y * k}; }

} // namespace

bool PaperSheet::FromPageSetup(const RkDb::Layout& layout, Area& area)
{
    const RkDb::PlotSettings& plot = layout.plot;
    const bool turned = plot.rotation % 2 == 1;
    const Vec2 paper = turned ? Vec2{layout.paperSize.y, layout.paperSize.x} : layout.paperSize;
    if (!plot.known || !Usable({0, 0}, paper))
        return false;
    // The margins as the sheet shows them: a quarter turn brings the next edge (left, bottom,
    // right, top go round anticlockwise) to each place.
    const double stored[4] = {plot.left, plot.bottom, plot.right, plot.top};
    double margin[4];
    for (int i = 0; i < 4; ++i)
        margin[i] = stored[(i + plot.rotation) % 4];
    const Vec2 limits = Minus(layout.limMax, layout.limMin);
    double unit = plot.units == RkDb::PlotSettings::kInches ? 1.0 / 25.4 : 1.0;
    bool onLimits = false;
    for (const double candidate : {1.0, 1.0 / 25.4}) {
        const Vec2 size = Times(paper, candidate);
        if (Usable(layout.limMin, layout.limMax) && std::fabs(limits.x - size.x) <= size.x * 0.01 &&
            std::fabs(limits.y - size.y) <= size.y * 0.01) {
            unit = candidate;
            onLimits = true;
            break;
        }
    }
    if (onLimits) {
        area.min = layout.limMin;
        area.max = layout.limMax;
    } else {
        area.min = Times(Vec2{-(margin[0] + plot.origin.x), -(margin[1] + plot.origin.y)}, unit);
        area.max = Plus(area.min, Times(paper, unit));
    }
    area.printMin = Plus(area.min, Times(Vec2{margin[0], margin[1]}, unit));
    area.printMax = Minus(area.max, Times(Vec2{margin[2], margin[3]}, unit));
    area.printable = (margin[0] > 0 || margin[1] > 0 || margin[2] > 0 || margin[3] > 0) &&
                     Usable(area.printMin, area.printMax);
    return Usable(area.min, area.max);
}

PaperSheet::Area PaperSheet::AreaOf(const RkDb::Layout& layout, const RkDb::Block& block)
{
    Area area;
    if (FromPageSetup(layout, area))
        return area;
    area = Area();
    Vec2& min = area.min;
    Vec2& max = area.max;
    min = layout.limMin;
    max = layout.limMax;
    if (Usable(min, max))
        return area;
    for (const RkDb::EntityPtr& e : block.entities) {
        const auto* vp = RkDb::As<RkDb::ViewportEntity>(*e);
        if (vp && vp->id == 1 && vp->width > 0 && vp->height > 0) {
            min = {vp->center.x - vp->width / 2, vp->center.y - vp->height / 2};
            max = {vp->center.x + vp->width / 2, vp->center.y + vp->height / 2};
            if (Usable(min, max))
                return area;
        }
    }
    min = {0, 0};
    max = layout.paperSize;
    if (Usable(min, max))
        return area;
    max = {297, 210};
    return area;
}

void PaperSheet::Bounds(const RkDb::Layout& layout, const RkDb::Block& block, Vec2& min, Vec2& max)
{
    const Area area = AreaOf(layout, block);
    min = area.min;
    max = area.max;
}

bool PaperSheet::AreaOf(const RkDb::Database& db, int layoutIndex, Area& area)
{
    if (layoutIndex < 0 || static_cast<std::size_t>(layoutIndex) >= db.Layouts().size())
        return false;
    const RkDb::Layout& layout = db.Layouts()[static_cast<std::size_t>(layoutIndex)];
    if (layout.IsModel() || !db.Blocks().Valid(layout.block) || layout.block == db.ModelSpace())
        return false;
    area = AreaOf(layout, db.Blocks()[layout.block]);
    return true;
}

bool PaperSheet::BoundsOf(const RkDb::Database& db, int layoutIndex, Vec2& min, Vec2& max)
{
    Area area;
    if (!AreaOf(db, layoutIndex, area))
        return false;
    min = area.min;
    max = area.max;
    return true;
}

void PaperSheet::Fill(DrawSink& sink, std::uint32_t rgb, const DevPoint (&corners)[4])
{
    const int count = 4;
    sink.SetPen(rgb, 0.0);
    sink.Polygons(corners, &count, 1);
}

void PaperSheet::DeviceBox(const ViewTransform& view, Vec2 min, Vec2 max, double& left, double& top,
                           double& right, double& bottom)
{
    const RkDb::Matrix3d toDevice = view.WorldToDevice();
    const Vec3 a = toDevice.Apply({min.x, min.y, 0.0});
    const Vec3 b = toDevice.Apply({max.x, max.y, 0.0});
    left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
}

void PaperSheet::Draw(DrawSink& sink, const ViewTransform& view, Vec2 min, Vec2 max)
{
    const double w = view.DeviceWidth(), h = view.DeviceHeight();
    Fill(sink, kSurround, {{0, 0}, {w, 0}, {w, h}, {0, h}});
    double left = 0, top = 0, right = 0, bottom = 0;
    DeviceBox(view, min, max, left, top, right, bottom);
    const double s = kShadowPixels;
    Fill(sink, kShadow, {{left + s, top + s}, {right + s, top + s}, {right + s, bottom + s}, {left + s, bottom + s}});
    Fill(sink, kPaper, {{left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

void PaperSheet::Draw(DrawSink& sink, const ViewTransform& view, const Area& area)
{
    Draw(sink, view, area.min, area.max);
    if (!area.printable)
        return;
    double left = 0, top = 0, right = 0, bottom = 0;
    DeviceBox(view, area.printMin, area.printMax, left, top, right, bottom);
    sink.SetPen(kMargin, 0.0);
    const DevPoint corners[4] = {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
    for (int i = 0; i < 4; ++i)
        DashedEdge(sink, view, corners[i], corners[(i + 1) % 4]);
}

void PaperSheet::DashedEdge(DrawSink& sink, const ViewTransform& view, DevPoint a, DevPoint b)
{
    // The edges are upright or level on the device: only the stretch across the device is
    // dashed, in the phase the edge's start gives, so a zoom far in costs no more than the view.
    const double period = kDashPixels + kGapPixels;
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!(length > 0) || !std::isfinite(length))
        return;
    const double ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
    const double w = view.DeviceWidth(), h = view.DeviceHeight();
    const double pad = period;
    double from = 0, to = length;
    const auto limit = [&](double start, double step, double low, double high) {
        if (std::fabs(step) < 1e-12) {
            if (start < low || start > high)
                to = -1;
            return;
        }
        double t0 = (low - start) / step, t1 = (high - start) / step;
        if (t0 > t1)
            std::swap(t0, t1);
        from = std::max(from, t0);
        to = std::min(to, t1);
    };
    limit(a.x, ux, -pad, w + pad);
    limit(a.y, uy, -pad, h + pad);
    if (to <= from)
        return;
    for (double t = std::floor(from / period) * period; t < to; t += period) {
        const double end = std::min(t + kDashPixels, length);
        const DevPoint dash[2] = {{a.x + ux * t, a.y + uy * t}, {a.x + ux * end, a.y + uy * end}};
        sink.Polyline(dash, 2);
    }
}

} // namespace RkDraw
