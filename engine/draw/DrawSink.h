// What the renderer draws into: a device context (GdiDrawSink), the export callbacks of a printer
// device (ExportDrawSink) or a recording in the tests. Coordinates are device pixels, x to the
// right and y downwards, as doubles (sinks round them).
#pragma once

#include "engine/draw/RasterPicture.h"

#include <cstdint>
#include <string>

namespace RkDraw {

class ShxFont;

struct DevPoint
{
    double x = 0.0;
    double y = 0.0;
};

struct TextRun
{
    std::string utf8;
    DevPoint origin;            // left end of the baseline
    double height = 0.0;        // cap height in pixels
    double angle = 0.0;         // radians, counter-clockwise on the screen
    double widthFactor = 1.0;
    double oblique = 0.0;       // radians
    double charExtra = 0.0;     // pixels added to each character's advance (tracking)
    std::string face;           // TrueType face name
    bool bold = false, italic = false;
    bool mirrorX = false, mirrorY = false;
    // A shape font the renderer draws the run with as strokes (sinks never get such runs).
    const ShxFont* shapes = nullptr;
    // The style's big font (its glyphs by Unicode character), for the characters past ASCII.
    const ShxFont* bigShapes = nullptr;
};

class DrawSink
{
public:
    virtual ~DrawSink() = default;
    // Colour (0x00RRGGBB) and width in pixels (0 = thinnest) of what follows.
    virtual void SetPen(std::uint32_t rgb, double width) = 0;
    // The ACI number (1..255, 7 for true colours) of the colour that the next SetPen gives, for
    // devices that choose pens by number (printer pen sets).
    virtual void SetColorIndex(int aci) { (void)aci; }
    virtual void Polyline(const DevPoint* points, int count) = 0;
    // Filled polygons with the pen's colour; several rings use the alternate (even-odd) rule.
    virtual void Polygons(const DevPoint* points, const int* counts, int rings) = 0;
    // Opacity (0 clear to 1 opaque) of the polygons that follow, over what is drawn already;
    // a device that cannot blend draws them opaque.
    virtual void SetFillOpacity(double opacity) { (void)opacity; }
    virtual void Dot(DevPoint point) = 0;
    virtual void Text(const TextRun& run) = 0;
    // Width of the run in pixels as the sink would draw it.
    virtual double TextWidth(const TextRun& run) = 0;
    // A raster picture on the parallelogram whose corners are the picture's top left, top right
    // and bottom left (any rotation, skew or pixel shape). Sinks that show no pictures ignore it.
    virtual void Picture(const RasterPicture& picture, DevPoint topLeft, DevPoint topRight,
                         DevPoint bottomLeft)
    {
        (void)picture, (void)topLeft, (void)topRight, (void)bottomLeft;
    }
    // Clipping to a polygon until the matching PopClip.
    virtual void PushClip(const DevPoint* points, int count) = 0;
    virtual void PopClip() = 0;
    // Everything drawn so far must reach the device (sinks may batch).
    virtual void Flush() {}
};

} // namespace RkDraw
