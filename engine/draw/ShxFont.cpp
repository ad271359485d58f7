#include "engine/draw/ShxFont.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace RkDraw {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Bounds on what one glyph may cost: commands run (with its subshapes), points, nesting.
constexpr std::size_t kMaxCommands = 100000;
constexpr std::size_t kMaxPoints = 20000;
constexpr int kMaxDepth = 8;
constexpr std::size_t kMaxStack = 16;
// Points all glyphs of one font may hold together.
constexpr std::size_t kMaxFontPoints = 4000000;

const double kDirections[16][2] = {
    {1, 0},  {1, 0.5},   {1, 1},   {0.5, 1},   {0, 1},  {-0.5, 1}, {-1, 1}, {-1, 0.5},
    {-1, 0}, {-1, -0.5}, {-1, -1}, {-0.5, -1}, {0, -1}, {0.5, -1}, {1, -1}, {1, -0.5},
};

std::uint32_t U16(const std::string& s, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8;
}

std::uint32_t U32(const std::string& s, std::size_t at)
{
    return U16(s, at) | U16(s, at + 2) << 16;
}

// The bytes of a definition after its zero-terminated name.
std::string ShapeBytes(const std::string& definition)
{
    const std::size_t zero = definition.find('\0');
    return zero == std::string::npos ? std::string() : definition.substr(zero + 1);
}

} // namespace

// Runs a shape's commands, moving the pen and gathering what it draws.
struct ShxFont::Decoder
{
    const ShxFont& font;
    ShxFont::Glyph glyph;
    ShxFont::Point at;
    bool down = true;
    double scale = 1.0;
    std::vector<ShxFont::Point> stack;
    std::vector<ShxFont::Point>* stroke = nullptr;
    std::size_t commands = 0, points = 0;
    bool failed = false;

    explicit Decoder(const ShxFont& f) : font(f) {}

    void PenUp() { stroke = nullptr; }

    void To(ShxFont::Point p)
    {
        if (down) {
            if (!stroke) {
                glyph.strokes.emplace_back();
                stroke = &glyph.strokes.back();
                stroke->push_back(at);
            }
            stroke->push_back(p);
            failed = failed || ++points > kMaxPoints;
        }
        at = p;
    }

    void Move(double dx, double dy) { To({at.x + dx * scale, at.y + dy * scale}); }

    void Arc(ShxFont::Point centre, double radius, double from, double sweep)
    {
        const int steps = std::max(2, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 16))));
        for (int k = 1; k <= steps; ++k) {
            const double a = from + sweep * k / steps;
            To({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
        }
    }

    // The octant byte: bit 7 clockwise, bits 4-6 the starting octant, bits 0-2 the span (0: 8).
    static void Octants(int code, int& start, int& span, double& sign)
    {
        start = (code >> 4) & 7;
        span = code & 7;
        if (span == 0)
            span = 8;
        sign = (code & 0x80) ? -1.0 : 1.0;
    }

    void OctantArc(int radiusByte, int code)
    {
        int start = 0, span = 0;
        double sign = 1.0;
        Octants(code, start, span, sign);
        const double r = radiusByte * scale;
        const double a0 = start * kPi / 4;
        const ShxFont::Point centre{at.x - r * std::cos(a0), at.y - r * std::sin(a0)};
        Arc(centre, r, a0, sign * span * kPi / 4);
    }

    void FractionArc(int startOffset, int endOffset, int radius, int code)
    {
        int start = 0, span = 0;
        double sign = 1.0;
        Octants(code, start, span, sign);
        const double r = radius * scale;
        const double a0 = (start + sign * startOffset / 256.0) * kPi / 4;
        const double endOctant = start + sign * (endOffset == 0 ? span : span - 1);
        const double a1 = (endOctant + sign * endOffset / 256.0) * kPi / 4;
        const ShxFont::Point centre{at.x - r * std::cos(a0), at.y - r * std::sin(a0)};
        Arc(centre, r, a0, a1 - a0);
    }

    // An arc to (dx, dy) whose bulge is given in 127ths (127: a half circle); 0 is a line.
    void BulgeArc(int dx, int dy, int bulge)
    {
        const ShxFont::Point end{at.x + dx * scale, at.y + dy * scale};
        const double cx = end.x - at.x, cy = end.y - at.y;
        const double d = std::hypot(cx, cy);
        if (bulge == 0 || d == 0.0) {
            To(end);
            return;
        }
        const double k = bulge / 127.0;
        const double h = k * d / 2;                        // signed sagitta
        const double r = (d * d / 4 + h * h) / (2 * std::fabs(h));
        const double nx = -cy / d, ny = cx / d;            // left of the chord
        const double off = (k > 0 ? 1.0 : -1.0) * (r - std::fabs(h));
        const ShxFont::Point centre{at.x + cx / 2 + nx * off, at.y + cy / 2 + ny * off};
        const double a0 = std::atan2(at.y - centre.y, at.x - centre.x);
        Arc(centre, r, a0, 4 * std::atan(k));
        at = end;
    }

    static int Signed(unsigned char b) { return b < 128 ? b : b - 256; }

    // The bytes the command at i takes (the vertical-only code 14 skips one).
    std::size_t Length(const std::string& s, std::size_t i) const
    {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = 1;
        switch (c) {
        case 3: case 4: return 2;
        case 7:
            // A big font's extended subshape: 0, the primitive's number, its base point and size.
            if (font.m_big)
                return i + 1 < s.size() && s[i + 1] == 0 ? 8 : 3;
            return font.m_unicode ? 3 : 2;
        case 8: case 10: return 3;
        case 11: return 6;
        case 12: return 4;
        case 9:
            while (i + n + 1 < s.size() && (s[i + n] != 0 || s[i + n + 1] != 0))
                n += 2;
            return n + 2;
        case 13:
            while (i + n + 1 < s.size() && (s[i + n] != 0 || s[i + n + 1] != 0))
                n += 3;
            return n + 2;
        default: return 1;
        }
    }

    void Run(const std::string& s, int depth)
    {
        for (std::size_t i = 0; i < s.size() && !failed;) {
            if (++commands > kMaxCommands) {
                failed = true;
                return;
            }
            const std::size_t need = Length(s, i);
            if (i + need > s.size())
                return;
            const unsigned char c = static_cast<unsigned char>(s[i]);
            const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
            if (c == 0)
                return;
            if (c == 14) {
                i += 1;
                if (i < s.size())
                    i += Length(s, i);
                continue;
            }
            Command(c, s, i, depth, b);
            i += need;
        }
    }

    template <class Byte>
    void Command(unsigned char c, const std::string& s, std::size_t i, int depth, const Byte& b)
    {
        switch (c) {
        case 1: down = true; break;
        case 2: down = false; PenUp(); break;
        case 3: if (b(1) != 0) scale /= b(1); break;
        case 4: if (b(1) != 0) scale *= b(1); break;
        case 5: if (stack.size() < kMaxStack) stack.push_back(at); break;
        case 6:
            if (!stack.empty()) {
                PenUp();
                at = stack.back();
                stack.pop_back();
            }
            break;
        case 7:
            // Extended subshapes (scaled primitives) are not drawn.
            if (!(font.m_big && b(1) == 0))
                Subshape(font.m_unicode || font.m_big ? (b(1) << 8 | b(2)) : b(1), depth);
            break;
        case 8: Move(Signed(b(1)), Signed(b(2))); break;
        case 9:
            for (std::size_t k = i + 1; k + 1 < s.size() && (s[k] != 0 || s[k + 1] != 0); k += 2)
                Move(Signed(static_cast<unsigned char>(s[k])), Signed(static_cast<unsigned char>(s[k + 1])));
            break;
        case 10: OctantArc(b(1), b(2)); break;
        case 11: FractionArc(b(1), b(2), b(3) << 8 | b(4), b(5)); break;
        case 12: BulgeArc(Signed(b(1)), Signed(b(2)), Signed(b(3))); break;
        case 13:
            for (std::size_t k = i + 1; k + 2 < s.size() && (s[k] != 0 || s[k + 1] != 0); k += 3)
                BulgeArc(Signed(static_cast<unsigned char>(s[k])), Signed(static_cast<unsigned char>(s[k + 1])),
                         Signed(static_cast<unsigned char>(s[k + 2])));
            break;
        default:
            if (c >= 0x10)
                Move(kDirections[c & 15][0] * (c >> 4), kDirections[c & 15][1] * (c >> 4));
            break;
        }
    }

    void Subshape(std::uint32_t number, int depth)
    {
        const auto found = font.m_definitions.find(number);
        if (found == font.m_definitions.end() || depth >= kMaxDepth)
            return;
        Run(ShapeBytes(found->second), depth + 1);
    }
};

std::unique_ptr<ShxFont> ShxFont::Parse(const std::string& bytes)
{
    static const char kShapes[] = "AutoCAD-86 shapes 1.";
    static const char kUnifont[] = "AutoCAD-86 unifont 1.0";
    static const char kBigfont[] = "AutoCAD-86 bigfont 1.0";
    const std::size_t eof = bytes.find('\x1A');
    if (eof == std::string::npos || eof > 64)
        return nullptr;
    auto font = std::make_unique<ShxFont>();
    std::size_t at = eof + 1;
    if (bytes.compare(0, sizeof kShapes - 1, kShapes) == 0) {
        if (at + 6 > bytes.size())
            return nullptr;
        const std::uint32_t count = U16(bytes, at + 4);
        at += 6;
        std::size_t data = at + static_cast<std::size_t>(count) * 4;
        if (data > bytes.size())
            return nullptr;
        for (std::uint32_t k = 0; k < count; ++k, at += 4) {
            const std::uint32_t number = U16(bytes, at), length = U16(bytes, at + 2);
            if (data + length > bytes.size())
                break;
            font->m_definitions[number] = bytes.substr(data, length);
            data += length;
        }
    } else if (bytes.compare(0, sizeof kUnifont - 1, kUnifont) == 0) {
        font->m_unicode = true;
        if (at + 6 > bytes.size())
            return nullptr;
        const std::uint32_t count = U32(bytes, at);
        const std::uint32_t infoLength = U16(bytes, at + 4);
        at += 6;
        if (at + infoLength > bytes.size())
            return nullptr;
        font->m_definitions[0] = bytes.substr(at, infoLength);
        at += infoLength;
        for (std::uint32_t k = 1; k < count && at + 4 <= bytes.size(); ++k) {
            const std::uint32_t number = U16(bytes, at), length = U16(bytes, at + 2);
            at += 4;
            if (at + length > bytes.size())
                break;
            font->m_definitions[number] = bytes.substr(at, length);
            at += length;
        }
    } else if (bytes.compare(0, sizeof kBigfont - 1, kBigfont) == 0) {
        if (!font->ReadBig(bytes, at))
            return nullptr;
    } else {
        return nullptr;         // shape files of other kinds are not read
    }
    // A font's shape 0 gives its capital height; a shape file has none (its unit is the size).
    const auto info = font->m_definitions.find(0);
    if (info == font->m_definitions.end() && (font->m_unicode || font->m_big || font->m_definitions.empty()))
        return nullptr;
    const std::string spec = info == font->m_definitions.end() ? std::string() : ShapeBytes(info->second);
    if (!spec.empty() && static_cast<unsigned char>(spec[0]) > 0)
        font->m_above = static_cast<unsigned char>(spec[0]);
    std::size_t total = 0;
    for (const auto& d : font->m_definitions) {
        if (d.first == 0)
            continue;
        Decoder decoder(*font);
        decoder.Run(ShapeBytes(d.second), 0);
        total += decoder.points;
        if (total > kMaxFontPoints)
            break;
        decoder.glyph.advance = decoder.at;
        font->m_glyphs.emplace(d.first, std::move(decoder.glyph));
        std::string name = d.second.substr(0, d.second.find('\0'));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!name.empty())
            font->m_names.emplace(std::move(name), d.first);
    }
    return font;
}

// After the header: a size, the count of index entries and of escape ranges, the ranges (first
// and last lead byte, two bytes each), then per entry the shape's code, its length and the
// offset of its definition in the file.
bool ShxFont::ReadBig(const std::string& bytes, std::size_t at)
{
    m_big = true;
    if (at + 6 > bytes.size())
        return false;
    const std::uint32_t count = U16(bytes, at + 2), ranges = U16(bytes, at + 4);
    at += 6 + static_cast<std::size_t>(ranges) * 4;
    if (at + static_cast<std::size_t>(count) * 8 > bytes.size())
        return false;
    for (std::uint32_t k = 0; k < count; ++k, at += 8) {
        const std::uint32_t number = U16(bytes, at), length = U16(bytes, at + 2);
        const std::size_t offset = U32(bytes, at + 4);
        if (length == 0 || offset > bytes.size() || length > bytes.size() - offset)
            continue;
        m_definitions[number] = bytes.substr(offset, length);
    }
    return true;
}

std::unique_ptr<ShxFont> ShxFont::Rekeyed(const std::function<std::uint32_t(std::uint32_t)>& character) const
{
    auto out = std::make_unique<ShxFont>();
    out->m_above = m_above;
    out->m_unicode = true;
    for (const auto& g : m_glyphs) {
        const std::uint32_t cp = character(g.first);
        if (cp != 0)
            out->m_glyphs.emplace(cp, g.second);
    }
    return out;
}

const ShxFont::Glyph* ShxFont::Find(std::uint32_t codePoint) const
{
    std::uint32_t number = codePoint;
    if (!m_unicode) {
        // The regular fonts keep these three signs past the printable ASCII codes.
        if (codePoint == 0xB0) number = 127;
        else if (codePoint == 0xB1) number = 128;
        else if (codePoint == 0xD8 || codePoint == 0x2300) number = 129;
    }
    auto found = m_glyphs.find(number);
    if (found == m_glyphs.end() && number != codePoint)
        found = m_glyphs.find(codePoint);
    return found == m_glyphs.end() ? nullptr : &found->second;
}

const ShxFont::Glyph* ShxFont::ShapeNumbered(std::uint32_t number) const
{
    const auto found = m_glyphs.find(number);
    return found == m_glyphs.end() ? nullptr : &found->second;
}

const ShxFont::Glyph* ShxFont::ShapeNamed(const std::string& name) const
{
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto found = m_names.find(key);
    return found == m_names.end() ? nullptr : ShapeNumbered(found->second);
}

std::string ShapeFontSet::Key(const std::string& file)
{
    std::string name = file.substr(file.find_last_of("\\/") == std::string::npos ? 0 : file.find_last_of("\\/") + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

void ShapeFontSet::Add(const std::string& file, std::shared_ptr<const ShxFont> font)
{
    if (font)
        m_fonts[Key(file)] = std::move(font);
}

const ShxFont* ShapeFontSet::Find(const std::string& file) const
{
    if (m_fonts.empty() || file.empty())
        return nullptr;
    const auto found = m_fonts.find(Key(file));
    return found == m_fonts.end() ? nullptr : found->second.get();
}

bool ShapeFontSet::Strokes(const std::string& shapeFile, int number,
                           std::vector<std::vector<RkDb::Vec2>>& strokes) const
{
    strokes.clear();
    const ShxFont* font = Find(shapeFile);
    const ShxFont::Glyph* glyph = font && number > 0 ? font->ShapeNumbered(static_cast<std::uint32_t>(number)) : nullptr;
    if (!glyph)
        return false;
    const double unit = 1.0 / font->Above();
    for (const std::vector<ShxFont::Point>& stroke : glyph->strokes) {
        strokes.emplace_back();
        for (const ShxFont::Point& p : stroke)
            strokes.back().push_back({p.x * unit, p.y * unit});
    }
    return true;
}

} // namespace RkDraw
