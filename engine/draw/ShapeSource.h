// Where the renderer finds the strokes of shapes (the glyphs of .shx shape files) that line types
// embed in their patterns. The program's shape file reader provides them; without a source, or
// for a shape it does not find, the element's place stays empty.
#pragma once

#include "engine/db/Geometry.h"

#include <string>
#include <vector>

namespace RkDraw {

class ShapeSource
{
public:
    virtual ~ShapeSource() = default;
    // The pen strokes of shape `number` of the shape file (as a text style names it: "ltypeshp.shx"),
    // each a polyline in the shape's own units with the shape's origin at (0, 0); false (strokes
    // left empty) when the file or the shape is not found.
    virtual bool Strokes(const std::string& shapeFile, int number,
                         std::vector<std::vector<RkDb::Vec2>>& strokes) const = 0;
};

} // namespace RkDraw
