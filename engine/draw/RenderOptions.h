// How a drawing is rendered: background, colour mode, line weights, point display and the abort
// query that a long render polls.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace RkDraw {

class RasterCache;
class ShapeSource;
class WorkBudget;
class ShapeFontSet;
struct TextRun;

// A printing pen, chosen by the colour number (ACI) of what is drawn: its width in 1/100 mm and
// the colour number it prints in.
struct PlotPen
{
    int width = 25;
    short colorIndex = 7;
};

enum class ColorMode : std::uint8_t { Color = 0, Grey = 1, BlackWhite = 2 };

struct RenderOptions
{
    std::uint32_t background = 0xFFFFFF;   // 0x00RRGGBB
    ColorMode colorMode = ColorMode::Color;
    bool lineWeights = false;              // draw line weights (else every line is thin)
    double dpi = 96.0;
    // Line weights are multiplied by this when drawn (a print's line-weight scale).
    double lineWeightScale = 1.0;
    // When not empty, indexed by colour number: each pen gives the width and colour of what is
    // drawn in that colour, instead of the drawing's line weights and colours.
    std::vector<PlotPen> pens;
    int pointMode = -1;                    // -1: the drawing's $PDMODE
    double pointSize = 0.0;                // used with pointMode >= 0; as $PDSIZE
    bool fillAreas = true;
    // Polled often while drawing; true abandons the render.
    std::function<bool()> abort;
    // The budget shared by every pass of one picture (its extents, then its drawing); it polls
    // its own abort query. Null: each pass has a budget of its own with the abort query above.
    WorkBudget* budget = nullptr;
    // The pictures of the drawing's raster images; null: images are drawn as their frames.
    RasterCache* rasters = nullptr;
    // The strokes of the shapes line types embed; null: such shapes are not drawn.
    const ShapeSource* shapes = nullptr;
    // Measures texts while extents are taken, with the fonts the device draws them in (pixels,
    // as DrawSink::TextWidth). Empty: an estimate from the height and the character count.
    std::function<double(const TextRun&)> textWidth;
    // The shape (SHX) fonts found for the drawing's styles; a style whose font is not among
    // them draws with a TrueType face.
    const ShapeFontSet* shapeFonts = nullptr;
};

} // namespace RkDraw
