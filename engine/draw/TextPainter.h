// Lays out and draws TEXT, ATTRIB and MTEXT: alignment, style (TrueType face or a readable
// stand-in for SHX fonts), the %% codes of texts, attributes and dimension texts, and the MTEXT
// formatting codes (through MTextPainter).
#pragma once

#include "engine/draw/EntityPainter.h"
#include "engine/draw/ShxFont.h"

#include <string>
#include <vector>

namespace RkDraw {

class TextPainter
{
public:
    explicit TextPainter(EntityPainter& painter) : m_p(painter) {}
    void PaintText(const RkDb::TextData& text);
    void PaintMText(const RkDb::MText& text);

    // "%%d" degree, "%%p" plus/minus, "%%c" diameter, "%%%" percent, "%%nnn" the character of
    // that code in the code page (Windows code page number); %%u and %%o (underline, overline
    // toggles) are dropped. Any case.
    static std::string ExpandPercentCodes(const std::string& value, int codePage = 1252);
    // MTEXT contents to plain paragraphs (separated by '\n'), formatting codes removed, stacks as
    // "a/b"; the first \H height factor found, when any, goes to heightFactor.
    static std::string PlainMText(const std::string& contents, double* heightFactor);
    // A run in the face of a text style (index; -1 for the default face), pixelHeight high, for
    // texts that other painters place themselves (the texts of line types).
    TextRun StyledRun(const std::string& utf8, std::int32_t style, double pixelHeight) const;

    // The TrueType face that draws a style / a font file: its own face, the family of a .ttf
    // file, else a plain sans face standing in for the shape fonts.
    static std::string FaceOf(const RkDb::TextStyle& style);
    static std::string FaceOfFile(const std::string& file);
    static bool IsTrueTypeFile(const std::string& file);
    // Sets bold and italic when a TrueType file's name says so.
    static void LookOfFile(const std::string& file, bool& bold, bool& italic);
    // The shape font the options hold for a font file that is no TrueType file, or null.
    const ShxFont* ShapesOf(const std::string& fontFile) const;
    // Strokes a glyph (font units) at origin: x along xAxis scaled by sx and slanted by shear,
    // y scaled by sy; never dashed.
    static void StrokeGlyph(EntityPainter& painter, const ShxFont::Glyph& glyph, const RkDb::Vec3& origin,
                            const RkDb::Vec3& xAxis, double sx, double sy, double shear);

    TextRun MakeRun(const std::string& utf8, std::int32_t style, double height,
                    double widthFactor, double oblique) const;
    // Draws one line with its left baseline point at p and x axis xAxis (entity coordinates).
    void DrawLine(TextRun run, const RkDb::Vec3& p, const RkDb::Vec3& xAxis);
    // The run's width on the device, its measuring charged to the entity's work.
    double Width(const TextRun& run);

private:
    double ShapeWidth(const TextRun& run) const;
    void DrawShapes(const TextRun& run, const RkDb::Vec3& p, const RkDb::Vec3& xAxis);
    EntityPainter& m_p;
};

} // namespace RkDraw
