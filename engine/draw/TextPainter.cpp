#include "engine/draw/TextPainter.h"

#include "engine/db/CodePage.h"
#include "engine/draw/MTextPainter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

namespace RkDraw {

using namespace RkDb;

namespace {

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

std::string TextPainter::FaceOf(const TextStyle& style)
{
    return style.typeface.empty() ? FaceOfFile(style.fontFile) : style.typeface;
}

bool TextPainter::IsTrueTypeFile(const std::string& file)
{
    std::string lower(file);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t dot = lower.rfind('.');
    return dot != std::string::npos && (lower.compare(dot, 4, ".ttf") == 0 || lower.compare(dot, 4, ".ttc") == 0 ||
                                        lower.compare(dot, 4, ".otf") == 0);
}

const ShxFont* TextPainter::ShapesOf(const std::string& fontFile) const
{
    const ShapeFontSet* fonts = m_p.Options().shapeFonts;
    return fonts && !IsTrueTypeFile(fontFile) ? fonts->Find(fontFile) : nullptr;
}

// A style that names only a TrueType file keeps its bold and italic in the file's name:
// "OpenSans-BoldItalic.ttf", or the short names of the system's faces ("arialbi", "timesi").
void TextPainter::LookOfFile(const std::string& file, bool& bold, bool& italic)
{
    if (!IsTrueTypeFile(file))
        return;
    std::string name = file.substr(file.find_last_of("\\/") == std::string::npos ? 0 : file.find_last_of("\\/") + 1);
    name = name.substr(0, name.rfind('.'));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name.find("italic") != std::string::npos || name.find("oblique") != std::string::npos)
        italic = true;
    if (name.find("bold") != std::string::npos || name.find("black") != std::string::npos)
        bold = true;
    for (const char* family : {"arial", "times", "cour", "verdana", "georgia", "trebuc", "tahoma"}) {
        const std::size_t n = std::strlen(family);
        if (name.size() <= n || name.compare(0, n, family) != 0)
            continue;
        const std::string suffix = name.substr(n);
        if (suffix == "i" || suffix == "bi" || suffix == "z" || suffix == "bz")
            italic = true;
        if (suffix == "bd" || suffix == "b" || suffix == "bi" || suffix == "z" || suffix == "bz")
            bold = true;
    }
}

std::string TextPainter::FaceOfFile(const std::string& file)
{
    if (!IsTrueTypeFile(file))
        return "Arial";
    std::string lower(file);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("arial") != std::string::npos) return "Arial";
    if (lower.find("times") != std::string::npos) return "Times New Roman";
    if (lower.find("cour") != std::string::npos) return "Courier New";
    if (lower.find("simsun") != std::string::npos) return "SimSun";
    const std::size_t slash = file.find_last_of("\\/");
    std::string base = file.substr(slash == std::string::npos ? 0 : slash + 1);
    return base.substr(0, base.rfind('.'));
}

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
        if (ts.typeface.empty()) {
            run.shapes = ShapesOf(ts.fontFile);
            run.bigShapes = run.shapes && !ts.bigFontFile.empty() ? ShapesOf(ts.bigFontFile) : nullptr;
            LookOfFile(ts.fontFile, run.bold, run.italic);
        }
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
    if (run.shapes) {
        DrawShapes(run, p, xAxis);
        return;
    }
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
    // The sink's measure is metered; a shape font's is the painter's own.
    if (!run.shapes)
        return m_p.Sink().TextWidth(run);
    m_p.AddWork(run.utf8.size());
    return ShapeWidth(run);
}

namespace {

// The text's characters; a byte that starts no valid sequence counts as itself.
std::vector<std::uint32_t> CodePointsOf(const std::string& utf8)
{
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int extra = c >= 0xF0 ? 3 : (c >= 0xE0 ? 2 : (c >= 0xC0 ? 1 : 0));
        std::uint32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        bool ok = i + static_cast<std::size_t>(extra) < utf8.size() || extra == 0;
        for (int k = 1; ok && k <= extra; ++k) {
            const auto n = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            ok = (n & 0xC0) == 0x80;
            cp = cp << 6 | (n & 0x3F);
        }
        out.push_back(ok ? cp : c);
        i += ok ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return out;
}

// The font that draws a character: the big font for one it holds past ASCII, else the style's.
const ShxFont& FontOf(const TextRun& run, std::uint32_t cp)
{
    return run.bigShapes && cp >= 0x80 && run.bigShapes->Find(cp) ? *run.bigShapes : *run.shapes;
}

// A character the font lacks takes the room of its question mark, else of half a capital; in
// capital heights.
double AdvanceOf(const ShxFont& font, std::uint32_t cp)
{
    if (const ShxFont::Glyph* g = font.Find(cp))
        return g->advance.x / font.Above();
    if (const ShxFont::Glyph* q = font.Find('?'))
        return q->advance.x / font.Above();
    return 0.5;
}

} // namespace

double TextPainter::ShapeWidth(const TextRun& run) const
{
    const std::vector<std::uint32_t> cps = CodePointsOf(run.utf8);
    double heights = 0.0;
    for (const std::uint32_t cp : cps)
        heights += AdvanceOf(FontOf(run, cp), cp);
    return heights * run.height * run.widthFactor + run.charExtra * static_cast<double>(cps.size());
}

// The glyphs' strokes in entity coordinates, never dashed: x along the text (width factor,
// obliquing, tracking), y up from the baseline.
void TextPainter::DrawShapes(const TextRun& run, const Vec3& p, const Vec3& xAxis)
{
    const double ppu = m_p.PixelsPerUnit();
    const double height = run.height / ppu;
    const double sx = height * run.widthFactor * (run.mirrorX ? -1.0 : 1.0);
    const double sy = height * (run.mirrorY ? -1.0 : 1.0);
    const double shear = std::tan(std::clamp(run.oblique, -1.4, 1.4));
    double pen = 0.0;
    for (const std::uint32_t cp : CodePointsOf(run.utf8)) {
        if (m_p.WorkDone() >= m_p.WorkAllowance())
            return;
        const ShxFont& font = FontOf(run, cp);
        const ShxFont::Glyph* g = font.Find(cp);
        if (g == nullptr)
            g = font.Find('?');
        if (g)
            StrokeGlyph(m_p, *g, p + xAxis * pen, xAxis, sx / font.Above(), sy / font.Above(), shear);
        pen += AdvanceOf(font, cp) * sx + (run.mirrorX ? -1.0 : 1.0) * run.charExtra / ppu;
    }
}

void TextPainter::StrokeGlyph(EntityPainter& painter, const ShxFont::Glyph& glyph, const Vec3& origin,
                              const Vec3& xAxis, double sx, double sy, double shear)
{
    const Vec3 yAxis = RkDb::Cross({0, 0, 1}, xAxis);
    painter.SetLineType(nullptr, 1.0);
    std::vector<Vec3> points;
    for (const auto& stroke : glyph.strokes) {
        points.clear();
        for (const ShxFont::Point& q : stroke)
            points.push_back(origin + xAxis * ((q.x + q.y * shear) * sx) + yAxis * (q.y * sy));
        painter.Stroke(points, false);
    }
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
    MTextPainter(m_p, *this).Paint(m);
}

TextRun TextPainter::StyledRun(const std::string& utf8, std::int32_t style, double pixelHeight) const
{
    const auto& styles = m_p.Db().TextStyles();
    const double ppu = m_p.PixelsPerUnit() > 0 ? m_p.PixelsPerUnit() : 1.0;
    TextRun run = MakeRun(utf8, style, pixelHeight / ppu, styles.Valid(style) ? styles[style].widthFactor : 1.0,
                          styles.Valid(style) ? styles[style].oblique : 0.0);
    run.height = pixelHeight;
    return run;
}

} // namespace RkDraw
