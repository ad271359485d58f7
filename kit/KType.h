// KType: the small value types of the scene model.
#pragma once

namespace KType {

// A point of the scene model in two floats.
struct RPoint2D
{
    float x = 0.0f;
    float y = 0.0f;
};

} // namespace KType
