#include "engine/draw/ModelPainter.h"

#include "engine/draw/CurveTessellator.h"
#include "engine/draw/TextPainter.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

using namespace RkDb;

namespace {

// The GDT font's letters and the symbols they draw.
const char* GdtSymbol(char letter)
{
    switch (letter) {
    case 'a': return "\xE2\x88\xA0";     // angularity
    case 'b': return "\xE2\x8A\xA5";     // perpendicularity
    case 'c': return "\xE2\x8F\xA5";     // flatness
    case 'd': return "\xE2\x8C\x93";     // profile of a surface
    case 'e': return "\xE2\x97\x8B";     // circularity
    case 'f': return "\xE2\x88\xA5";     // parallelism
    case 'g': return "\xE2\x8C\xAD";     // cylindricity
    case 'h': return "\xE2\x86\x97";     // circular run-out
    case 'i': return "\xE2\x8C\xAF";     // symmetry
    case 'j': return "\xE2\x8C\x96";     // position
    case 'k': return "\xE2\x8C\x92";     // profile of a line
    case 'l': return "\xE2\x93\x81";     // least material condition
    case 'm': return "\xE2\x93\x82";     // maximum material condition
    case 'n': return "\xE2\x8C\x80";     // diameter
    case 'p': return "\xE2\x93\x85";     // projected tolerance zone
    case 'r': return "\xE2\x97\x8E";     // concentricity
    case 's': return "\xE2\x93\x88";     // regardless of feature size
    case 't': return "\xE2\x8C\xB0";     // total run-out
    case 'u': return "\xE2\x8F\xA4";     // straightness
    default: return nullptr;
    }
}

// One box's text: "{\Fgdt;j}" groups become their symbols, other braces and font codes go.
std::string CellText(const std::string& raw)
{
    std::string out;
    bool gdt = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw.compare(i, 6, "{\\Fgdt") == 0 || raw.compare(i, 6, "{\\fgdt") == 0) {
            const std::size_t semi = raw.find(';', i);
            if (semi == std::string::npos)
                break;
            i = semi;
            gdt = true;
            continue;
        }
        const char c = raw[i];
        if (c == '{' || c == '}') {
            gdt = gdt && c != '}';
            continue;
        }
        const char* symbol = gdt ? GdtSymbol(c) : nullptr;
        if (symbol)
            out += symbol;
        else
            out += c;
    }
    return TextPainter::ExpandPercentCodes(out);
}

void Split(const std::string& text, const std::string& separator, std::vector<std::string>& out)
{
    std::size_t at = 0;
    while (true) {
        const std::size_t next = text.find(separator, at);
        out.push_back(text.substr(at, next == std::string::npos ? std::string::npos : next - at));
        if (next == std::string::npos)
            return;
        at = next + separator.size();
    }
}

// The UTF-8 characters of a string, for the width of a box.
std::size_t Characters(const std::string& s)
{
    std::size_t n = 0;
    for (const char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

} // namespace

std::vector<std::vector<std::string>> ModelPainter::ToleranceCells(const std::string& text)
{
    std::vector<std::string> rows;
    Split(text, "\n", rows);
    std::vector<std::vector<std::string>> out;
    for (const std::string& row : rows) {
        std::vector<std::string> raw;
        Split(row, "%%v", raw);
        std::vector<std::string> cells;
        for (const std::string& cell : raw)
            cells.push_back(CellText(cell));
        // Empty boxes at the end of a row are not drawn.
        while (!cells.empty() && cells.back().empty())
            cells.pop_back();
        out.push_back(std::move(cells));
    }
    return out;
}

void ModelPainter::PaintAcisSolid(const AcisSolid& e)
{
    std::vector<Vec3> points;
    for (const AcisEdge& edge : e.edges) {
        points.clear();
        switch (edge.kind) {
        case AcisEdge::Kind::Line: points = {edge.start, edge.end}; break;
        case AcisEdge::Kind::Ellipse:
            CurveTessellator::Ellipse(edge.center, edge.majorAxis, edge.normal, edge.ratio,
                                      edge.startParam, edge.endParam, m_p.PixelsPerUnit(), points);
            break;
        case AcisEdge::Kind::Spline:
            if (!CurveTessellator::Spline(edge.degree, edge.knots, edge.controlPoints, edge.weights,
                                          m_p.PixelsPerUnit(), points))
                points.clear();
            break;
        }
        m_p.AddWork(points.size());
        m_p.Stroke(points, false);
    }
}

void ModelPainter::PaintMesh(const Mesh& e)
{
    std::vector<Vec3> ring;
    for (const std::vector<std::int32_t>& face : e.faces) {
        ring.clear();
        for (const std::int32_t index : face) {
            if (index >= 0 && static_cast<std::size_t>(index) < e.vertices.size())
                ring.push_back(e.vertices[static_cast<std::size_t>(index)]);
        }
        m_p.AddWork(ring.size());
        m_p.Stroke(ring, true);
    }
}

void ModelPainter::PaintTolerance(const Tolerance& e)
{
    double height = e.textHeight;
    if (m_p.Db().DimStyles().Valid(e.dimStyle)) {
        const DimStyle& style = m_p.Db().DimStyles()[e.dimStyle];
        height = style.textHeight * (style.scale > 0.0 ? style.scale : 1.0);
    }
    if (!(height > 0.0) || !std::isfinite(height))
        return;
    const Vec3 x = Normalized(e.xDirection);
    const Vec3 y = Normalized(Cross(Normalized(e.extrusion), x));
    const double boxHeight = 2.0 * height;
    // The insertion point is the middle of the left side of the first row.
    Vec3 rowOrigin = e.insertion + y * (-height);
    for (const std::vector<std::string>& row : ToleranceCells(e.text)) {
        double along = 0.0;
        for (const std::string& cell : row) {
            const double width = std::max(boxHeight, (0.8 * Characters(cell) + 1.0) * height);
            const Vec3 a = rowOrigin + x * along;
            m_p.Stroke({a, a + x * width, a + x * width + y * boxHeight, a + y * boxHeight}, true);
            if (!cell.empty()) {
                TextData text;
                text.insertion = a + x * (0.5 * height) + y * (0.5 * height);
                text.height = height;
                text.rotation = std::atan2(x.y, x.x);
                text.value = cell;
                TextPainter(m_p).PaintText(text);
            }
            along += width;
        }
        rowOrigin = rowOrigin + y * (-boxHeight);
    }
}

// The shape in the shape file its style names (DWG), or the shape of that name in any shape
// file the drawing's styles name (DXF keeps only the name); null when none is found.
const ShxFont::Glyph* ModelPainter::ShapeGlyph(const Shape& e, const ShxFont** file) const
{
    const ShapeFontSet* fonts = m_p.Options().shapeFonts;
    const auto& styles = m_p.Db().TextStyles();
    const bool byStyle = styles.Valid(e.style);
    for (std::int32_t i = 0; fonts && i < styles.Count(); ++i) {
        if (byStyle ? i != e.style : !styles[i].isShapeFile)
            continue;
        const ShxFont* font = fonts->Find(styles[i].fontFile);
        if (!font)
            continue;
        const ShxFont::Glyph* g = !byStyle && !e.name.empty()
                                      ? font->ShapeNamed(e.name)
                                      : font->ShapeNumbered(static_cast<std::uint32_t>(e.shapeNumber));
        if (g) {
            *file = font;
            return g;
        }
    }
    return nullptr;
}

void ModelPainter::PaintShape(const Shape& e)
{
    const double size = std::fabs(e.size);
    if (!(size > 0.0) || !std::isfinite(size))
        return;
    const double width = size * (e.widthFactor > 0.0 ? e.widthFactor : 1.0);
    const Vec3 x{std::cos(e.rotation), std::sin(e.rotation), 0.0};
    const Vec3 y{-x.y, x.x, 0.0};
    const Vec3 a = e.insertion;
    const ShxFont* font = nullptr;
    if (const ShxFont::Glyph* g = ShapeGlyph(e, &font)) {
        const double scale = size / font->Above();
        TextPainter::StrokeGlyph(m_p, *g, a, x, scale * width / size, scale,
                                 std::tan(std::clamp(e.oblique, -1.4, 1.4)));
        return;
    }
    m_p.Stroke({a, a + x * width, a + x * width + y * size, a + y * size}, true);
}

void ModelPainter::PaintUnderlay(const Underlay& e)
{
    const Ocs ocs(e.extrusion);
    const double c = std::cos(e.rotation), s = std::sin(e.rotation);
    const auto toWorld = [&](const Vec2& p) {
        const double u = p.x * e.scale.x, v = p.y * e.scale.y;
        const Vec3 planar{u * c - v * s, u * s + v * c, 0.0};
        return e.insertion + ocs.ToWorld(planar);
    };
    std::vector<Vec3> ring;
    if (e.clipBoundary.size() == 2) {
        const Vec2 a = e.clipBoundary[0], b = e.clipBoundary[1];
        ring = {toWorld(a), toWorld({b.x, a.y}), toWorld(b), toWorld({a.x, b.y})};
    } else {
        for (const Vec2& p : e.clipBoundary)
            ring.push_back(toWorld(p));
    }
    if (ring.size() >= 3) {
        m_p.Stroke(ring, true);
        return;
    }
    // Without a clip boundary the size is the attached file's: a cross of one unit marks the
    // insertion point.
    m_p.Stroke({toWorld({-0.5, 0.0}), toWorld({0.5, 0.0})}, false);
    m_p.Stroke({toWorld({0.0, -0.5}), toWorld({0.0, 0.5})}, false);
}

} // namespace RkDraw
