// Reads the inline formatting of multiline text into paragraphs of pieces, each with its own
// look: font, bold and italic, height, width factor, obliquing, tracking, colour, underline,
// overline and strike-through, stacked fractions, and the paragraphs' alignment and indents.
// MTextLook is one piece's look, MTextPiece a run of one look (or one stack), MTextParagraph a
// paragraph's pieces and layout, MTextFormat the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace RkDraw {

struct MTextLook
{
    enum class Colour : std::uint8_t { Entity, Aci, Rgb };

    std::string face;                 // TrueType face; empty: the text style's
    std::string fontFile;             // \F: a font file (a shape font names one), else empty
    bool bold = false, italic = false;
    double height = 0.0;              // drawing units
    double widthFactor = 1.0;
    double oblique = 0.0;             // radians
    double tracking = 1.0;            // factor of the spacing between characters
    bool underline = false, overline = false, strike = false;
    std::uint8_t verticalAlign = 0;   // \A: 0 bottom (baseline), 1 centre, 2 top
    Colour colour = Colour::Entity;   // the entity's own colour, a colour number or a true colour
    std::uint32_t colourValue = 0;    // ACI 1..255 or 0x00RRGGBB
};

struct MTextPiece
{
    std::string text;                 // UTF-8 as stored (the %% codes not yet expanded); '\t' a tab
    MTextLook look;
    bool stacked = false;             // a stack: upper over lower
    char stackKind = '/';             // '/' fraction bar, '#' diagonal, '^' tolerance (no bar)
    std::string upper, lower;
};

struct MTextParagraph
{
    enum class Align : std::uint8_t { ByAttachment, Left, Centre, Right, Justified, Distributed };

    std::vector<MTextPiece> pieces;
    MTextLook look;                   // the look where the paragraph starts (an empty line's height)
    Align align = Align::ByAttachment;
    double firstIndent = 0.0;         // drawing units: the first line's indent beyond the left one
    double leftIndent = 0.0;
    double rightIndent = 0.0;
    std::vector<double> tabs;         // drawing units from the line's start, ascending
};

class MTextFormat
{
public:
    // At most this many pieces are read from one text; the rest is left out.
    static constexpr std::size_t kMaxPieces = 100000;

    // Paragraphs of the contents, starting from the base look. Indents are given in the stored
    // text as multiples of the base height. Never empty (an empty text is one empty paragraph).
    static std::vector<MTextParagraph> Parse(const std::string& contents, const MTextLook& base);
};

} // namespace RkDraw
