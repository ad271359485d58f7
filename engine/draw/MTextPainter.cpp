#include "engine/draw/MTextPainter.h"

#include "engine/db/AciPalette.h"
#include "engine/db/CodePage.h"
#include "engine/draw/DrawingRenderer.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

using namespace RkDb;

namespace {

// Lines one MTEXT may wrap into.
constexpr std::size_t kMaxLines = 10000;
// A stacked fraction's parts are this much of the text's height.
constexpr double kStackScale = 0.7;
// The line pitch of multiline text: 5/3 of the height, times its line spacing.
constexpr double kPitch = 5.0 / 3.0;

std::size_t CodePoints(const std::string& utf8)
{
    std::size_t n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

} // namespace

MTextLook MTextPainter::BaseLook(const MText& m) const
{
    const TextRun run = m_text.MakeRun(std::string(), m.style, m.height, 1.0, 0.0);
    MTextLook look;
    look.bold = run.bold;
    look.italic = run.italic;
    look.height = run.height / m_p.PixelsPerUnit();
    return look;
}

void MTextPainter::Paint(const MText& m)
{
    const MTextLook base = BaseLook(m);
    const TextRun baseRun = m_text.MakeRun(std::string(), m.style, m.height, 1.0, 0.0);
    m_baseFace = baseRun.face;
    m_baseShapes = baseRun.shapes;
    m_baseBigShapes = baseRun.bigShapes;
    const std::vector<MTextParagraph> paragraphs = MTextFormat::Parse(m.contents, base);
    // Text too small to see draws nothing; measuring it would cost as much as drawing it.
    double tallest = base.height;
    for (const MTextParagraph& p : paragraphs) {
        for (const MTextPiece& piece : p.pieces)
            tallest = std::max(tallest, piece.look.height);
    }
    const double ppu = m_p.PixelsPerUnit();
    if (!(tallest * ppu >= m_p.MinTextHeight()))
        return;
    m_xAxis = Normalized({m.xDirection.x, m.xDirection.y, 0.0});
    m_yAxis = {-m_xAxis.y, m_xAxis.x, 0.0};
    m_entityRgb = m_p.PenColor();
    m_entityWidth = m_p.PenWidth();
    const bool columns = m.columnType != 0 && m.columnWidth > 0.0 && !m.columnHeights.empty();
    const double wrapWidth = columns ? m.columnWidth : m.referenceWidth;
    std::vector<Line> lines;
    for (const MTextParagraph& p : paragraphs) {
        if (m_stopped)
            break;
        LayOut(p, wrapWidth, lines);
    }
    if (lines.empty())
        return;
    const double spacing = kPitch * m.lineSpacing;
    const int column = (m.attachment - 1) % 3;       // 0 left, 1 centre, 2 right
    const int row = (m.attachment - 1) / 3;          // 0 top, 1 middle, 2 bottom
    if (columns) {
        // Lines flow into the next column once they pass its height (its own, or the one of all).
        std::size_t columnIndex = 0;
        double depth = 0.0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const double h = m.columnHeights[std::min(columnIndex, m.columnHeights.size() - 1)];
            depth = i == 0 ? lines[i].height : depth + spacing * lines[i].height;
            if (i > 0 && depth > h && columnIndex < 1000) {
                ++columnIndex;
                depth = lines[i].height;
            }
            const double x = static_cast<double>(columnIndex) * (m.columnWidth + m.columnGutter);
            DrawFragments(lines[i], m.insertion + m_xAxis * (x + LineStart(lines[i], m.columnWidth, 0)) -
                                        m_yAxis * depth, JustifiedSpace(lines[i], m.columnWidth));
        }
    } else {
        std::vector<double> baseline(lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            baseline[i] = i == 0 ? -lines[0].height : baseline[i - 1] - spacing * lines[i].height;
        const double block = -baseline.back();
        const double shift = row == 0 ? 0.0 : (row == 1 ? block / 2 : block);
        double boxWidth = m.referenceWidth;
        if (!(boxWidth > 0.0)) {
            for (const Line& line : lines) {
                const MTextParagraph& p = *line.paragraph;
                boxWidth = std::max(boxWidth, line.width + p.leftIndent + p.rightIndent +
                                                  (line.first ? p.firstIndent : 0.0));
            }
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (m_p.WorkDone() >= m_p.WorkAllowance())
                break;
            DrawFragments(lines[i], m.insertion + m_xAxis * LineStart(lines[i], boxWidth, column) +
                                        m_yAxis * (baseline[i] + shift),
                          m.referenceWidth > 0.0 ? JustifiedSpace(lines[i], boxWidth) : 0.0);
        }
    }
    if (m_p.PenColor() != m_entityRgb)
        m_p.SetPen(m_entityRgb, m_entityWidth);
}

TextRun MTextPainter::RunOf(const MTextLook& look, const std::string& text) const
{
    TextRun run;
    run.utf8 = text;
    run.bold = look.bold;
    run.italic = look.italic;
    if (!look.face.empty()) {
        run.face = look.face;
    } else if (!look.fontFile.empty()) {
        run.face = TextPainter::FaceOfFile(look.fontFile);
        run.shapes = m_text.ShapesOf(look.fontFile);
        TextPainter::LookOfFile(look.fontFile, run.bold, run.italic);
    } else {
        run.face = m_baseFace;
        run.shapes = m_baseShapes;
        run.bigShapes = m_baseBigShapes;
    }
    run.height = look.height * m_p.PixelsPerUnit();
    run.widthFactor = look.widthFactor;
    run.oblique = look.oblique;
    return run;
}

double MTextPainter::Measure(const MTextLook& look, const std::string& text, double* charExtra)
{
    const double plain = m_text.Width(RunOf(look, text));
    const double n = static_cast<double>(std::max<std::size_t>(CodePoints(text), 1));
    // Tracking widens (or narrows) every character's advance by the same share.
    const double extra = (look.tracking - 1.0) * plain / n;
    if (charExtra)
        *charExtra = extra;
    return (plain + extra * n) / m_p.PixelsPerUnit();
}

MTextPainter::StackSize MTextPainter::MeasureStack(const MTextPiece& piece)
{
    const int codePage = CodePage::FromName(m_p.Db().Header().codePage);
    MTextLook small = piece.look;
    small.height *= kStackScale;
    StackSize size;
    size.upper = Measure(small, TextPainter::ExpandPercentCodes(piece.upper, codePage), nullptr);
    size.lower = Measure(small, TextPainter::ExpandPercentCodes(piece.lower, codePage), nullptr);
    size.width = piece.stackKind == '#' ? size.upper + 0.3 * piece.look.height + size.lower
                                        : std::max(size.upper, size.lower);
    return size;
}

double MTextPainter::Available(const Line& line, double wrapWidth) const
{
    const MTextParagraph& p = *line.paragraph;
    return wrapWidth - p.leftIndent - p.rightIndent - (line.first ? p.firstIndent : 0.0);
}

void MTextPainter::LayOut(const MTextParagraph& paragraph, double wrapWidth, std::vector<Line>& lines)
{
    const int codePage = CodePage::FromName(m_p.Db().Header().codePage);
    Line line;
    line.paragraph = &paragraph;
    line.first = true;
    for (const MTextPiece& piece : paragraph.pieces) {
        if (m_stopped)
            return;
        if (!piece.stacked) {
            PlaceTabbed(piece, TextPainter::ExpandPercentCodes(piece.text, codePage), wrapWidth, line, lines);
            continue;
        }
        const double width = MeasureStack(piece).width;
        if (wrapWidth > 0 && !line.fragments.empty() && line.width + width > Available(line, wrapWidth))
            EndLine(line, lines);
        Append(line, piece, std::string(), width, 0.0);
    }
    if (!m_stopped) {
        EndLine(line, lines);
        lines.back().last = true;
    }
}

// Text with tabs: each tab moves on to the paragraph's next stop (past the last one, stops every
// four heights).
void MTextPainter::PlaceTabbed(const MTextPiece& piece, const std::string& text, double wrapWidth, Line& line,
                               std::vector<Line>& lines)
{
    std::size_t start = 0;
    for (std::size_t tab = text.find('\t'); !m_stopped; tab = text.find('\t', start)) {
        PlaceText(piece, text.substr(start, tab == std::string::npos ? std::string::npos : tab - start),
                  wrapWidth, line, lines);
        if (tab == std::string::npos || m_stopped)
            return;
        const std::vector<double>& tabs = line.paragraph->tabs;
        const auto next = std::upper_bound(tabs.begin(), tabs.end(), line.width + 1e-9);
        const double every = 4.0 * piece.look.height;
        const double stop = next != tabs.end()
                                ? *next
                                : (std::floor(line.width / every + 1e-9) + 1.0) * every;
        Append(line, piece, std::string(), stop - line.width, 0.0);
        start = tab + 1;
    }
}

// Puts the text on the line, breaking it at the last space that fits; a word wider than a
// whole line stands on a line of its own.
void MTextPainter::PlaceText(const MTextPiece& piece, std::string rest, double wrapWidth, Line& line,
                             std::vector<Line>& lines)
{
    while (!rest.empty() && !m_stopped) {
        double extra = 0.0;
        const double width = Measure(piece.look, rest, &extra);
        const double room = Available(line, wrapWidth) - line.width;
        if (!(wrapWidth > 0) || width <= room * 1.001) {
            Append(line, piece, std::move(rest), width, extra);
            return;
        }
        // Prefixes only get wider, so the search walks forward and measures no more than the
        // line it makes.
        std::size_t cut = std::string::npos;
        double cutWidth = 0.0, cutExtra = 0.0;
        for (std::size_t next = rest.find(' '); next != std::string::npos; next = rest.find(' ', next + 1)) {
            if (next == 0 && line.fragments.empty())
                continue;
            double e = 0.0;
            const double w = next == 0 ? 0.0 : Measure(piece.look, rest.substr(0, next), &e);
            if (w > room)
                break;
            cut = next;
            cutWidth = w;
            cutExtra = e;
        }
        if (cut == std::string::npos && !line.fragments.empty()) {
            EndLine(line, lines);
            continue;
        }
        if (cut == std::string::npos) {
            cut = rest.find(' ', 1);
            if (cut == std::string::npos) {
                Append(line, piece, std::move(rest), width, extra);
                return;
            }
            cutWidth = Measure(piece.look, rest.substr(0, cut), &cutExtra);
        }
        if (cut > 0)
            Append(line, piece, rest.substr(0, cut), cutWidth, cutExtra);
        EndLine(line, lines);
        rest.erase(0, cut + 1);
    }
}

void MTextPainter::Append(Line& line, const MTextPiece& piece, std::string text, double width, double extra)
{
    Fragment f;
    f.piece = &piece;
    f.text = std::move(text);
    f.x = line.width;
    f.width = width;
    f.charExtra = extra;
    line.fragments.push_back(std::move(f));
    line.width += width;
    line.height = std::max(line.height, piece.look.height);
}

void MTextPainter::EndLine(Line& line, std::vector<Line>& lines)
{
    if (!(line.height > 0.0))
        line.height = line.paragraph->look.height;
    lines.push_back(std::move(line));
    line = Line();
    line.paragraph = lines.back().paragraph;
    m_stopped = lines.size() >= kMaxLines || m_p.WorkDone() >= m_p.WorkAllowance();
}

double MTextPainter::LineStart(const Line& line, double boxWidth, int column) const
{
    const MTextParagraph& p = *line.paragraph;
    MTextParagraph::Align align = p.align;
    if (align == MTextParagraph::Align::ByAttachment) {
        align = column == 1 ? MTextParagraph::Align::Centre
                            : (column == 2 ? MTextParagraph::Align::Right : MTextParagraph::Align::Left);
    }
    const double left = p.leftIndent + (line.first ? p.firstIndent : 0.0);
    const double room = boxWidth - left - p.rightIndent;
    double offset = 0.0;
    if (align == MTextParagraph::Align::Centre)
        offset = (room - line.width) / 2;
    else if (align == MTextParagraph::Align::Right)
        offset = room - line.width;
    return -static_cast<double>(column) * boxWidth / 2 + left + offset;
}

double MTextPainter::JustifiedSpace(const Line& line, double boxWidth) const
{
    const MTextParagraph& p = *line.paragraph;
    const bool justify = p.align == MTextParagraph::Align::Distributed ||
                         (p.align == MTextParagraph::Align::Justified && !line.last);
    if (!justify)
        return 0.0;
    std::size_t spaces = 0;
    for (const Fragment& f : line.fragments)
        spaces += f.piece->stacked ? 0 : static_cast<std::size_t>(std::count(f.text.begin(), f.text.end(), ' '));
    const double room = boxWidth - p.leftIndent - p.rightIndent - (line.first ? p.firstIndent : 0.0);
    return spaces > 0 && room > line.width ? (room - line.width) / static_cast<double>(spaces) : 0.0;
}

void MTextPainter::DrawFragments(const Line& line, const Vec3& start, double spaceExtra)
{
    double gained = 0.0;        // what the spaces before this fragment gained
    for (const Fragment& f : line.fragments) {
        if (m_p.WorkDone() >= m_p.WorkAllowance())
            return;
        const MTextLook& look = f.piece->look;
        double rise = 0.0;
        if (look.verticalAlign == 1)
            rise = (line.height - look.height) / 2;
        else if (look.verticalAlign == 2)
            rise = line.height - look.height;
        const Vec3 at = start + m_xAxis * (f.x + gained) + m_yAxis * rise;
        const double own = f.piece->stacked ? 0.0
                                            : spaceExtra * static_cast<double>(std::count(f.text.begin(), f.text.end(), ' '));
        UsePen(look);
        if (f.piece->stacked) {
            DrawStack(f, at);
        } else if (own > 0.0) {
            DrawWords(f, at, spaceExtra);
        } else if (f.text.find_first_not_of(' ') != std::string::npos) {
            TextRun run = RunOf(look, f.text);
            run.charExtra = f.charExtra;
            m_text.DrawLine(run, at, m_xAxis);
        }
        Decorate(look, at, f.width + own);
        gained += own;
    }
}

// A justified fragment word by word, each space widened by the line's share.
void MTextPainter::DrawWords(const Fragment& f, const Vec3& at, double spaceExtra)
{
    const MTextLook& look = f.piece->look;
    std::size_t spaces = 0;
    for (std::size_t a = 0; a < f.text.size();) {
        if (f.text[a] == ' ') {
            ++spaces;
            ++a;
            continue;
        }
        const std::size_t b = std::min(f.text.find(' ', a), f.text.size());
        const double x = (a == 0 ? 0.0 : Measure(look, f.text.substr(0, a), nullptr)) +
                         spaceExtra * static_cast<double>(spaces);
        TextRun run = RunOf(look, f.text.substr(a, b - a));
        run.charExtra = f.charExtra;
        m_text.DrawLine(run, at + m_xAxis * x, m_xAxis);
        a = b;
    }
}

void MTextPainter::DrawStack(const Fragment& f, const Vec3& at)
{
    const MTextPiece& piece = *f.piece;
    const int codePage = CodePage::FromName(m_p.Db().Header().codePage);
    const double h = piece.look.height;
    const StackSize size = MeasureStack(piece);
    MTextLook small = piece.look;
    small.height *= kStackScale;
    double upperX = 0.0, lowerX = 0.0;
    if (piece.stackKind == '/') {
        upperX = (size.width - size.upper) / 2;
        lowerX = (size.width - size.lower) / 2;
        Rule(at, size.width, 0.4 * h);
    } else if (piece.stackKind == '#') {
        lowerX = size.upper + 0.3 * h;
        m_p.SetLineType(nullptr, 1.0);
        m_p.Stroke({at + m_xAxis * size.upper - m_yAxis * (0.3 * h),
                    at + m_xAxis * (size.upper + 0.3 * h) + m_yAxis * (1.2 * h)}, false);
    }
    m_text.DrawLine(RunOf(small, TextPainter::ExpandPercentCodes(piece.upper, codePage)),
                    at + m_xAxis * upperX + m_yAxis * (0.5 * h), m_xAxis);
    m_text.DrawLine(RunOf(small, TextPainter::ExpandPercentCodes(piece.lower, codePage)),
                    at + m_xAxis * lowerX - m_yAxis * (0.4 * h), m_xAxis);
}

void MTextPainter::Decorate(const MTextLook& look, const Vec3& at, double width)
{
    if (look.underline)
        Rule(at, width, -0.2 * look.height);
    if (look.overline)
        Rule(at, width, 1.2 * look.height);
    if (look.strike)
        Rule(at, width, 0.5 * look.height);
}

// A straight rule along the text at that height above its baseline; rules are never dashed.
void MTextPainter::Rule(const Vec3& at, double width, double rise)
{
    m_p.SetLineType(nullptr, 1.0);
    const Vec3 from = at + m_yAxis * rise;
    m_p.Stroke({from, from + m_xAxis * width}, false);
}

// A run's own colour, as the colour mode shows it; with printing pens every run prints with the
// entity's pen.
void MTextPainter::UsePen(const MTextLook& look)
{
    std::uint32_t rgb = m_entityRgb;
    if (m_p.Options().pens.empty() && look.colour != MTextLook::Colour::Entity) {
        const std::uint32_t own = look.colour == MTextLook::Colour::Aci
                                      ? AciPalette::Rgb(static_cast<int>(look.colourValue))
                                      : look.colourValue;
        rgb = DrawingRenderer::ShownColor(own, m_p.Options());
    }
    if (rgb != m_p.PenColor())
        m_p.SetPen(rgb, m_entityWidth);
}

} // namespace RkDraw
