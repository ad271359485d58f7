#include "engine/draw/TextPainter.h"

#include "engine/db/CodePage.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace RkDraw {

using namespace RkDb;

namespace {

// Lines one MTEXT may wrap into.
constexpr std::size_t kMaxLines = 10000;

// A TrueType face for a style: its own face, the family of a .ttf file, else a plain sans face
// standing in for the SHX stroke fonts (they are not shipped with the program).
std::string FaceOf(const TextStyle& style)
{
    if (!style.typeface.empty())
        return style.typeface;
    std::string file = style.fontFile;
    std::string lower(file);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t dot = lower.rfind('.');
    if (dot != std::string::npos && (lower.compare(dot, 4, ".ttf") == 0 ||
                                     lower.compare(dot, 4, ".otf") == 0)) {
        const std::size_t slash = file.find_last_of("\\/");
        std::string base = file.substr(slash == std::string::npos ? 0 : slash + 1);
        base = base.substr(0, base.rfind('.'));
        if (lower.find("arial") != std::string::npos) return "Arial";
        if (lower.find("times") != std::string::npos) return "Times New Roman";
        if (lower.find("cour") != std::string::npos) return "Courier New";
        if (lower.find("simsun") != std::string::npos) return "SimSun";
        return base;
    }
    return "Arial";
}

bool IsDigits(const std::string& s, std::size_t at, std::size_t count)
{
    if (at + count > s.size())
        return false;
    for (std::size_t k = at; k < at + count; ++k) {
        if (!std::isdigit(static_cast<unsigned char>(s[k])))
            return false;
    }
    return true;
}

int CodePageOf(const Database& db)
{
    return RkDb::CodePage::FromName(db.Header().codePage);
}

} // namespace

std::string TextPainter::ExpandPercentCodes(const std::string& value, int codePage)
{
    if (value.find("%%") == std::string::npos)
        return value;
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%' || i + 2 >= value.size() || value[i + 1] != '%') {
            out += value[i];
            continue;
        }
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(value[i + 2])));
        switch (c) {
        case 'd': out += "\xC2\xB0"; break;            // degree
        case 'p': out += "\xC2\xB1"; break;            // plus/minus
        // Diameter: the slashed O, which every TrueType face has (the diameter sign U+2300 is
        // missing from the common ones and would show as a box).
        case 'c': out += "\xC3\x98"; break;
        case '%': out += '%'; break;
        case 'u': case 'o': break;                      // underline and overline toggles
        default:
            if (IsDigits(value, i + 2, 3)) {
                // %%nnn: the character of that code in the drawing's code page (a control
                // character other than tab is not drawn).
                const int code = std::stoi(value.substr(i + 2, 3));
                if (code < 256 && (code >= 32 || code == 9))
                    RkDb::CodePage::AppendUtf8(codePage, std::string(1, static_cast<char>(code)), out);
                else if (code >= 256)
                    RkDb::CodePage::AppendCodePoint(static_cast<std::uint32_t>(code), out);
                i += 2;
                break;
            }
            out += "%%";
            out += value[i + 2];
            break;
        }
        i += 2;
    }
    return out;
}

std::string TextPainter::PlainMText(const std::string& s, double* heightFactor)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '{' || c == '}')
            continue;
        if (c != '\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const char code = s[++i];
        switch (code) {
        case 'P': case 'n': out += '\n'; break;
        case '~': out += ' '; break;
        case '\\': case '{': case '}': out += code; break;
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': break;
        case 'S': {
            // \Sa^b; \Sa/b; \Sa#b; -> a/b
            const std::size_t end = s.find(';', i);
            const std::string stack = s.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            for (const char sc : stack)
                out += (sc == '^' || sc == '#') ? '/' : sc;
            i = end == std::string::npos ? s.size() : end;
            break;
        }
        case 'H': {
            const std::size_t end = s.find(';', i);
            if (heightFactor && *heightFactor <= 0.0 && end != std::string::npos) {
                const std::string v = s.substr(i + 1, end - i - 1);
                const double f = std::atof(v.c_str());
                if (f > 0 && f < 100 && v.find('x') != std::string::npos)
                    *heightFactor = f;
            }
            i = end == std::string::npos ? s.size() : end;
            break;
        }
        default: {
            // \f..; \F..; \C..; \c..; \Q..; \W..; \A..; \T..; \p..; take to the semicolon.
            const std::size_t end = s.find(';', i);
            i = end == std::string::npos ? s.size() : end;
            break;
        }
        }
    }
    return out;
}

TextRun TextPainter::MakeRun(const std::string& utf8, std::int32_t style, double height,
                             double widthFactor, double oblique) const
{
    TextRun run;
    run.utf8 = utf8;
    const auto& styles = m_p.Db().TextStyles();
    if (styles.Valid(style)) {
        const TextStyle& ts = styles[style];
        run.face = FaceOf(ts);
        run.bold = ts.bold;
        run.italic = ts.italic;
        if (!(height > 0) && ts.fixedHeight > 0)
            height = ts.fixedHeight;
    } else {
        run.face = "Arial";
    }
    run.height = height * m_p.PixelsPerUnit();
    run.widthFactor = widthFactor > 0 ? widthFactor : 1.0;
    run.oblique = oblique;
    return run;
}

void TextPainter::DrawLine(TextRun run, const Vec3& p, const Vec3& xAxis)
{
    if (run.utf8.empty() || !(run.height >= m_p.MinTextHeight()) || !(run.height < 100000.0))
        return;
    const DevPoint o = m_p.ToDevice(p);
    const DevPoint x = m_p.ToDevice(p + xAxis);
    run.origin = o;
    run.angle = std::atan2(-(x.y - o.y), x.x - o.x);
    // Text wholly off the device is not drawn: rasterizing glyphs is the costly part of a text,
    // and a drawing zoomed far in may hold texts thousands of pixels high around the view.
    const double reach = Width(run) + run.height * 2.0;
    if (!m_p.Measuring() && m_p.OffDevice({{o.x - reach, o.y - reach}, {o.x + reach, o.y + reach}}))
        return;
    const Vec3 y = RkDb::Cross({0, 0, 1}, xAxis);
    const DevPoint yd = m_p.ToDevice(p + y);
    // A mirrored transform flips the text's y axis on the device.
    const double cross = (x.x - o.x) * (yd.y - o.y) - (x.y - o.y) * (yd.x - o.x);
    if (cross > 0)
        run.mirrorY = !run.mirrorY;
    m_p.Sink().Text(run);
}

double TextPainter::Width(const TextRun& run)
{
    return m_p.Sink().TextWidth(run);
}

void TextPainter::Wrap(std::string paragraph, const TextRun& proto, double wrapWidth,
                       std::vector<std::string>& lines)
{
    const double ppu = m_p.PixelsPerUnit();
    TextRun probe = proto;
    while (wrapWidth > 0 && !paragraph.empty() && lines.size() < kMaxLines &&
           m_p.WorkDone() < m_p.WorkAllowance()) {
        probe.utf8 = paragraph;
        if (Width(probe) / ppu <= wrapWidth * 1.001)
            break;
        // Break at the last space that fits, else at the first space. Prefixes only get wider,
        // so the search walks forward and measures no more than the line it makes.
        std::size_t cut = paragraph.find(' ');
        if (cut == std::string::npos)
            break;
        for (std::size_t next = paragraph.find(' ', cut + 1); next != std::string::npos;
             next = paragraph.find(' ', next + 1)) {
            probe.utf8.assign(paragraph, 0, next);
            if (Width(probe) / ppu > wrapWidth)
                break;
            cut = next;
        }
        lines.push_back(paragraph.substr(0, cut));
        paragraph.erase(0, cut + 1);
    }
    lines.push_back(std::move(paragraph));
}

void TextPainter::PaintText(const TextData& t)
{
    const std::string value = ExpandPercentCodes(t.value, CodePageOf(m_p.Db()));
    if (value.empty())
        return;
    double height = t.height;
    double widthFactor = t.widthFactor;
    TextRun run = MakeRun(value, t.style, height, widthFactor, t.oblique);
    if (!(run.height >= m_p.MinTextHeight()))
        return;
    height = run.height / m_p.PixelsPerUnit();
    run.mirrorX = (t.generation & 2) != 0;
    run.mirrorY = (t.generation & 4) != 0;
    const double width = Width(run) / m_p.PixelsPerUnit();   // drawing units
    Vec3 xAxis{std::cos(t.rotation), std::sin(t.rotation), 0.0};
    Vec3 origin = t.insertion;
    const bool aligned = t.hasAlignment && (t.hAlign != 0 || t.vAlign != 0);
    if (aligned) {
        const Vec3 a = t.alignment;
        if (t.hAlign == 3 || t.hAlign == 5) {
            // Aligned and fit: the text runs from the insertion to the alignment point.
            const Vec3 d = a - t.insertion;
            const double len = Length(d);
            if (len > 1e-12 && width > 1e-12) {
                xAxis = d * (1.0 / len);
                if (t.hAlign == 5)
                    run.widthFactor *= len / width;
                else
                    run.height *= len / width;
            }
        } else {
            double shift = 0.0;
            if (t.hAlign == 1 || t.hAlign == 4) shift = width / 2;
            else if (t.hAlign == 2) shift = width;
            double rise = 0.0;
            if (t.hAlign == 4 || t.vAlign == 2) rise = -height / 2;
            else if (t.vAlign == 3) rise = -height;
            else if (t.vAlign == 1) rise = height * 0.3;
            const Vec3 yAxis{-xAxis.y, xAxis.x, 0.0};
            origin = a - xAxis * shift + yAxis * rise;
        }
    }
    DrawLine(run, origin, xAxis);
}

void TextPainter::PaintMText(const MText& m)
{
    double factor = 0.0;
    // Multiline text takes the %% codes as single-line text does (dimension texts use them).
    const std::string plain = ExpandPercentCodes(PlainMText(m.contents, &factor), CodePageOf(m_p.Db()));
    double height = m.height;
    TextRun proto = MakeRun(std::string(), m.style, height, 1.0, 0.0);
    if (factor > 0.0)
        proto.height *= factor;
    if (!(proto.height >= m_p.MinTextHeight()))
        return;
    const double ppu = m_p.PixelsPerUnit();
    height = proto.height / ppu;
    // Columns: lines wrap to the column width and flow into the next column at its height.
    const bool columns = m.columnType != 0 && m.columnWidth > 0.0 && !m.columnHeights.empty();
    const double wrapWidth = columns ? m.columnWidth : m.referenceWidth;
    // Lines: paragraphs, wrapped at spaces to the reference width.
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= plain.size()) {
        std::size_t end = plain.find('\n', start);
        if (end == std::string::npos)
            end = plain.size();
        Wrap(plain.substr(start, end - start), proto, wrapWidth, lines);
        if (lines.size() >= kMaxLines)
            break;
        start = end + 1;
    }
    const Vec3 xAxis = Normalized({m.xDirection.x, m.xDirection.y, 0.0});
    const Vec3 yAxis{-xAxis.y, xAxis.x, 0.0};
    const double pitch = height * 5.0 / 3.0 * m.lineSpacing;
    const double block = height + pitch * static_cast<double>(lines.size() - 1);
    const int column = (m.attachment - 1) % 3;       // 0 left, 1 centre, 2 right
    const int row = (m.attachment - 1) / 3;          // 0 top, 1 middle, 2 bottom
    double top = 0.0;                                 // baseline of the first line below the insertion
    if (row == 0) top = -height;
    else if (row == 1) top = block / 2 - height;
    else top = block - height;
    std::size_t columnIndex = 0, line = 0;
    for (std::size_t i = 0; i < lines.size(); ++i, ++line) {
        double x = 0.0, rowTop = top;
        if (columns) {
            // The column this line falls in: its own height, or the one height of all.
            const double h = m.columnHeights[std::min(columnIndex, m.columnHeights.size() - 1)];
            if (line > 0 && height + pitch * static_cast<double>(line) > h && columnIndex < 1000) {
                ++columnIndex;
                line = 0;
            }
            x = static_cast<double>(columnIndex) * (m.columnWidth + m.columnGutter);
            rowTop = -height;
        }
        if (m_p.WorkDone() >= m_p.WorkAllowance())
            break;
        TextRun run = proto;
        run.utf8 = lines[i];
        if (run.utf8.empty())
            continue;
        const double width = Width(run) / ppu;
        const double shift = columns ? 0.0 : (column == 0 ? 0.0 : (column == 1 ? width / 2 : width));
        const Vec3 origin = m.insertion + xAxis * (x - shift) + yAxis * (rowTop - pitch * static_cast<double>(line));
        DrawLine(run, origin, xAxis);
    }
}

} // namespace RkDraw
