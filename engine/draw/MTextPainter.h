// Lays out and draws one MTEXT with its inline formatting: each piece in its own font, height,
// width, obliquing, tracking and colour, with its underline, overline and strike-through, stacked
// fractions, paragraphs with their alignment and indents, word wrap across pieces, columns.
#pragma once

#include "engine/draw/MTextFormat.h"
#include "engine/draw/TextPainter.h"

#include <string>
#include <vector>

namespace RkDraw {

class MTextPainter
{
public:
    MTextPainter(EntityPainter& painter, TextPainter& text) : m_p(painter), m_text(text) {}
    void Paint(const RkDb::MText& m);

private:
    // A piece's share of one line: its text (or stack) at x (drawing units from the line start).
    struct Fragment
    {
        const MTextPiece* piece = nullptr;
        std::string text;
        double x = 0.0, width = 0.0;
        double charExtra = 0.0;           // device pixels per character (tracking)
    };
    struct Line
    {
        std::vector<Fragment> fragments;
        const MTextParagraph* paragraph = nullptr;
        bool first = false;               // the paragraph's first line (its first indent)
        bool last = false;                // the paragraph's last line (not justified)
        double width = 0.0, height = 0.0;
    };
    struct StackSize
    {
        double upper = 0.0, lower = 0.0, width = 0.0;
    };

    MTextLook BaseLook(const RkDb::MText& m) const;
    TextRun RunOf(const MTextLook& look, const std::string& text) const;
    // Width in drawing units of text in the look; charExtra gets the tracking's extra pixels.
    double Measure(const MTextLook& look, const std::string& text, double* charExtra);
    StackSize MeasureStack(const MTextPiece& piece);
    void LayOut(const MTextParagraph& paragraph, double wrapWidth, std::vector<Line>& lines);
    void PlaceTabbed(const MTextPiece& piece, const std::string& text, double wrapWidth, Line& line,
                     std::vector<Line>& lines);
    void PlaceText(const MTextPiece& piece, std::string rest, double wrapWidth, Line& line,
                   std::vector<Line>& lines);
    void Append(Line& line, const MTextPiece& piece, std::string text, double width, double extra);
    void EndLine(Line& line, std::vector<Line>& lines);
    double Available(const Line& line, double wrapWidth) const;
    // Where the line starts in the text box, given the box's width and the attachment's column.
    double LineStart(const Line& line, double boxWidth, int column) const;
    // The room each space of the line gains when its paragraph is justified in a box that wide.
    double JustifiedSpace(const Line& line, double boxWidth) const;
    void DrawFragments(const Line& line, const RkDb::Vec3& start, double spaceExtra);
    void DrawWords(const Fragment& f, const RkDb::Vec3& at, double spaceExtra);
    void DrawStack(const Fragment& f, const RkDb::Vec3& at);
    void Decorate(const MTextLook& look, const RkDb::Vec3& at, double width);
    void Rule(const RkDb::Vec3& at, double width, double rise);
    void UsePen(const MTextLook& look);

    EntityPainter& m_p;
    TextPainter& m_text;
    std::string m_baseFace;
    const ShxFont* m_baseShapes = nullptr;
    const ShxFont* m_baseBigShapes = nullptr;
    RkDb::Vec3 m_xAxis{1.0, 0.0, 0.0}, m_yAxis{0.0, 1.0, 0.0};
    std::uint32_t m_entityRgb = 0;
    double m_entityWidth = 0.0;
    bool m_stopped = false;               // the line bound or the work allowance was reached
};

} // namespace RkDraw
