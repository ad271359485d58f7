// How a drawing is rendered: background, colour mode, line weights, point display and the abort
// query that a long render polls.
#pragma once

#include <cstdint>
#include <functional>

namespace RkDraw {

class WorkBudget;

enum class ColorMode : std::uint8_t { Color = 0, Grey = 1, BlackWhite = 2 };

struct RenderOptions
{
    std::uint32_t background = 0xFFFFFF;   // 0x00RRGGBB
    ColorMode colorMode = ColorMode::Color;
    bool lineWeights = false;              // draw line weights (else every line is thin)
    double dpi = 96.0;
    int pointMode = -1;                    // -1: the drawing's $PDMODE
    double pointSize = 0.0;                // used with pointMode >= 0; as $PDSIZE
    bool fillAreas = true;
    // Polled often while drawing; true abandons the render.
    std::function<bool()> abort;
    // The budget shared by every pass of one picture (its extents, then its drawing); it polls
    // its own abort query. Null: each pass has a budget of its own with the abort query above.
    WorkBudget* budget = nullptr;
};

} // namespace RkDraw
