// Records of the drawing's symbol tables and objects: Layer, LineType, TextStyle, DimStyle,
// MLineStyle, ViewportRecord (the VPORT table), Block (a block record with its entities) and
// Layout.
#pragma once

#include "engine/db/BlockEntities.h"

#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace RkDb {

struct Layer
{
    std::string name;
    Handle handle = 0;
    Color color = Color::FromAci(7);     // never by layer or by block
    std::int32_t lineType = kRefNone;    // index into the line types; none = continuous
    std::int16_t lineWeight = kLwDefault;
    bool off = false;                    // DXF: negative colour
    bool frozen = false;
    bool locked = false;
    bool plot = true;
    std::uint32_t transparency = 0;      // 0 opaque, or kTransparencyAlpha with the opacity
};

struct LineTypeElement
{
    enum class Kind : std::uint8_t { Plain, Text, Shape };

    double length = 0.0;                 // positive dash, negative gap, 0 dot
    // An embedded text or shape, placed from the element's start: offset along and across the
    // line, scale (times the text style's height for a text), rotation relative to the line
    // (or to the x axis when absolute).
    Kind kind = Kind::Plain;
    std::string text;
    std::int16_t shapeNumber = 0;
    Handle styleHandle = 0;              // the text style, or the style of the shape file
    std::int32_t style = -1;             // its index (Database::FinishLoading); -1 none
    Vec2 offset;
    double scale = 1.0;
    double rotation = 0.0;               // radians
    bool absoluteRotation = false;
};

struct LineType
{
    std::string name;
    Handle handle = 0;
    std::string description;
    double patternLength = 0.0;
    std::vector<LineTypeElement> elements;  // empty: continuous
};

struct TextStyle
{
    std::string name;
    Handle handle = 0;
    std::string fontFile;                // "txt", "romans.shx", "arial.ttf", ...
    std::string bigFontFile;
    std::string typeface;                // TrueType family name, when the file names one
    double fixedHeight = 0.0;
    double widthFactor = 1.0;
    double oblique = 0.0;                // radians
    std::uint8_t generation = 0;         // 2 backward, 4 upside down
    bool isShapeFile = false;            // a shape table, not a text font
    bool bold = false, italic = false;
};

struct DimStyle
{
    std::string name;
    Handle handle = 0;
    double scale = 1.0;                  // DIMSCALE
    double arrowSize = 0.18;             // DIMASZ
    double textHeight = 0.18;            // DIMTXT
};

struct MLineStyle
{
    std::string name;
    Handle handle = 0;
    std::vector<MLineElement> elements;
};

// One record of the VPORT table; "*ACTIVE" holds the model-space view the drawing was saved with.
struct ViewportRecord
{
    std::string name;
    Handle handle = 0;
    Vec2 center;                         // view centre in display coordinates
    double height = 0.0;                 // view height
    double aspect = 1.0;                 // width / height
    Vec3 direction{0.0, 0.0, 1.0};       // from the target towards the viewer
    Vec3 target;
    double twist = 0.0;                  // radians
};

// Block flags (group 70).
enum BlockFlags : std::uint16_t { kBlockAnonymous = 1, kBlockHasAttributes = 2,
                                  kBlockXref = 4, kBlockXrefOverlay = 8, kBlockExternal = 16 };

// A block record with its definition: model space, every paper space and every block.
struct Block
{
    std::string name;
    Handle handle = 0;                   // of the BLOCK_RECORD (or of the BLOCK in R12)
    Vec3 basePoint;
    std::uint16_t flags = 0;
    std::string xrefPath;
    std::int32_t layout = -1;            // index into the layouts for a space, else -1
    EntityList entities;                 // in stored order
    // The block's draw order table (SORTENTSTABLE): each listed entity (first) is drawn in the
    // place of the handle paired with it (second); the others in the place of their own handle.
    std::vector<std::pair<Handle, Handle>> sortHandles;
    // Indices into entities in the order they are drawn (Database::FinishLoading makes it from
    // sortHandles); empty: the stored order.
    std::vector<std::int32_t> drawOrder;
};

// What a layout keeps of its page set-up that shows on the sheet: the printer's margins, the
// plot origin and the turn of the paper. Margins and origin are in millimetres whatever the
// layout's units; the paper size beside them is the layout's paperSize.
struct PlotSettings
{
    enum Units : std::int16_t { kInches = 0, kMillimetres = 1, kPixels = 2 };
    bool known = false;                  // the file held a page set-up for the layout
    double left = 0, bottom = 0, right = 0, top = 0; // unprintable margins of the paper as it
                                         // lies in the printer (before the rotation)
    Vec2 origin;                         // plot origin offset
    std::int16_t units = kMillimetres;   // the layout's paper units
    std::int16_t rotation = 0;           // quarter turns anticlockwise: 0, 1 (90), 2, 3 (270)

    // Values a file may hold that no page set-up has (a unit or turn out of range, margins or an
    // origin that are not numbers or negative margins) become the defaults, so that neither the
    // sheet nor a saved copy carries them on.
    void Normalize()
    {
        for (double* margin : {&left, &bottom, &right, &top})
            if (!std::isfinite(*margin) || *margin < 0)
                *margin = 0;
        if (!std::isfinite(origin.x) || !std::isfinite(origin.y))
            origin = {};
        if (units < kInches || units > kPixels)
            units = kMillimetres;
        if (rotation < 0 || rotation > 3)
            rotation = 0;
    }
};

struct Layout
{
    std::string name;                    // "Model", "Layout1", ...
    Handle handle = 0;
    Handle blockHandle = 0;              // the block record it shows
    std::int32_t block = -1;             // index into the blocks
    std::int32_t tabOrder = 0;
    Vec2 limMin, limMax;                 // paper limits
    Vec3 extMin, extMax;                 // extents as saved; may be unset (min > max)
    Vec2 paperSize;                      // in millimetres, when known (as the paper lies in
                                         // the printer: plot.rotation turns it on the sheet)
    PlotSettings plot;
    bool IsModel() const { return tabOrder == 0 && name == "Model"; }
};

} // namespace RkDb
