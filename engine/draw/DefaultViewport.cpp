#include "engine/draw/DefaultViewport.h"

#include "engine/db/ViewportEntity.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/PaperSheet.h"
#include "engine/draw/ViewTransform.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace RkDraw {

using RkDb::Vec2;

namespace {

constexpr double kSheetFill = 0.9;      // the viewport leaves a tenth of the sheet as margin
constexpr double kModelMargin = 1.02;

} // namespace

bool DefaultViewport::HasModelViewport(const RkDb::Block& block)
{
    for (const RkDb::EntityPtr& e : block.entities) {
        if (const auto* vp = RkDb::As<RkDb::ViewportEntity>(*e); vp && vp->id != 1)
            return true;
    }
    return false;
}

bool DefaultViewport::Ensure(RkDb::Database& db, int layoutIndex)
{
    if (layoutIndex <= 0 || static_cast<std::size_t>(layoutIndex) >= db.Layouts().size())
        return false;
    const RkDb::Layout& layout = db.Layouts()[static_cast<std::size_t>(layoutIndex)];
    if (layout.IsModel() || !db.Blocks().Valid(layout.block) || layout.block == db.ModelSpace())
        return false;
    RkDb::Block& block = db.Blocks()[layout.block];
    if (HasModelViewport(block))
        return false;
    ViewTransform top;
    Vec2 modelMin, modelMax;
    if (!DrawingRenderer::Extents(db, 0, top, modelMin, modelMax))
        return false;
    Vec2 sheetMin, sheetMax;
    PaperSheet::Bounds(layout, block, sheetMin, sheetMax);
    auto vp = std::make_unique<RkDb::ViewportEntity>();
    vp->id = 2;
    vp->center = {(sheetMin.x + sheetMax.x) / 2, (sheetMin.y + sheetMax.y) / 2, 0.0};
    vp->width = (sheetMax.x - sheetMin.x) * kSheetFill;
    vp->height = (sheetMax.y - sheetMin.y) * kSheetFill;
    vp->viewCenter = {(modelMin.x + modelMax.x) / 2, (modelMin.y + modelMax.y) / 2, 0.0};
    const double modelWidth = std::max(modelMax.x - modelMin.x, 1e-9);
    const double modelHeight = std::max(modelMax.y - modelMin.y, 1e-9);
    vp->viewHeight = std::max(modelHeight, modelWidth * vp->height / vp->width) * kModelMargin;
    block.entities.push_back(std::move(vp));
    // Drawn last, as the viewport a CAD program makes then is the newest entity.
    if (!block.drawOrder.empty())
        block.drawOrder.push_back(static_cast<std::int32_t>(block.entities.size() - 1));
    return true;
}

} // namespace RkDraw
