// A small drawing for the writer's tests of what a save keeps: draw orders and transparency.
#pragma once

#include "engine/db/Database.h"

#include <memory>

namespace orvo::portable {

// A drawing whose author sent things behind others: in model space a blue square stored first
// and a red solid hatch stored after it but drawn behind it, a green square of opacity 0x40 over
// both, an insert of a block whose two squares are drawn in the reverse of their stored order
// and a magenta square on the layer "Glass" of opacity 0x80.
inline std::unique_ptr<RkDb::Database> LayeredDrawing()
{
    auto db = std::make_unique<RkDb::Database>();
    const auto square = [](RkDb::Handle handle, int aci, double x0, double y0, double x1, double y1) {
        auto solid = std::make_unique<RkDb::Solid>();
        solid->handle = handle;
        solid->color = RkDb::Color::FromAci(aci);
        solid->corners[0] = {x0, y0, 0};
        solid->corners[1] = {x1, y0, 0};
        solid->corners[2] = {x0, y1, 0};
        solid->corners[3] = {x1, y1, 0};
        return solid;
    };
    const std::int32_t pair = db->EnsureBlock("Pair");
    db->Blocks().SetHandle(pair, 0x90);
    RkDb::Block& block = db->Blocks()[pair];
    block.entities.push_back(square(0xB0, 2, 0, 0, 15, 15));     // yellow
    block.entities.push_back(square(0xB1, 4, 5, 5, 20, 20));     // cyan, drawn below the yellow
    block.sortHandles = {{0xB1, 0xB0}, {0xB0, 0xB1}};
    auto& model = db->ModelSpaceBlock();
    model.entities.push_back(square(0xA0, 5, 30, 30, 70, 70));
    auto hatch = std::make_unique<RkDb::Hatch>();
    hatch->handle = 0xA1;
    hatch->color = RkDb::Color::FromAci(1);
    hatch->solid = true;
    hatch->patternName = "SOLID";
    RkDb::HatchLoop loop;
    loop.flags = 2;
    loop.polyline = {{20, 20}, {80, 20}, {80, 80}, {20, 80}};
    hatch->loops.push_back(loop);
    model.entities.push_back(std::move(hatch));
    auto glass = square(0xA2, 3, 50, 10, 95, 55);
    glass->transparency = RkDb::kTransparencyAlpha | 0x40;
    model.entities.push_back(std::move(glass));
    auto insert = std::make_unique<RkDb::Insert>();
    insert->handle = 0xA3;
    insert->block = pair;
    insert->insertion = {2, 75, 0};
    model.entities.push_back(std::move(insert));
    RkDb::Layer glassLayer;
    glassLayer.name = "Glass";
    glassLayer.transparency = RkDb::kTransparencyAlpha | 0x80;
    const std::int32_t layer = db->Layers().Add(glassLayer);
    auto onGlass = square(0xA4, 6, 60, 60, 90, 90);
    onGlass->layer = layer;
    model.entities.push_back(std::move(onGlass));
    model.sortHandles = {{0xA1, 0xA0}, {0xA0, 0xA1}};
    db->FinishLoading();
    return db;
}

} // namespace orvo::portable
