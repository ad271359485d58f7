// A paper-space viewport (VIEWPORT entity): a window on the paper that shows model space.
#pragma once

#include "engine/db/Entity.h"

namespace RkDb {

struct ViewportEntity final : Entity
{
    static constexpr EntityType kType = EntityType::Viewport;
    ViewportEntity() : Entity(kType) {}
    Vec3 center;                     // on the paper
    double width = 0.0, height = 0.0;
    std::int32_t id = 0;             // 1 is the paper-space view itself
    bool on = true;
    Vec3 viewCenter;                 // model-space view centre (display coordinates)
    Vec3 viewTarget;
    Vec3 viewDirection{0.0, 0.0, 1.0};
    double viewHeight = 0.0;         // model-space height shown
    double twist = 0.0;              // radians
    std::vector<std::int32_t> frozenLayers;
    Handle clipBoundary = 0;         // an entity of the same layout that clips the viewport
    std::vector<Vec2> clipPolygon;   // paper coordinates of that boundary, when resolved
};

} // namespace RkDb
