// Draws the entities that show what they store without a modeller or an outside file: helixes,
// the edges of ACIS bodies, subdivision meshes, tolerance frames, shapes (from their shape file when
// it is found, else their box) and underlays (their frame).
#pragma once

#include "engine/db/ModelEntities.h"
#include "engine/draw/EntityPainter.h"
#include "engine/draw/ShxFont.h"

namespace RkDraw {

class ModelPainter
{
public:
    explicit ModelPainter(EntityPainter& painter) : m_p(painter) {}

    void PaintAcisSolid(const RkDb::AcisSolid& e);
    void PaintMesh(const RkDb::Mesh& e);
    void PaintTolerance(const RkDb::Tolerance& e);
    void PaintShape(const RkDb::Shape& e);
    void PaintUnderlay(const RkDb::Underlay& e);

    // A tolerance text as rows of boxes: rows split at line breaks, boxes at "%%v", GDT font letters
    // turned into the symbols they stand for.
    static std::vector<std::vector<std::string>> ToleranceCells(const std::string& text);

private:
    const ShxFont::Glyph* ShapeGlyph(const RkDb::Shape& e, const ShxFont** file) const;

    EntityPainter& m_p;
};

} // namespace RkDraw
