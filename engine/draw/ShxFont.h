// SHX shape fonts, the stroke fonts of CAD programs, and shape files: the regular ones
// ("AutoCAD-86 shapes 1.0/1.1", one byte per character code) and the Unicode ones ("AutoCAD-86 unifont 1.0"). Each
// glyph is decoded once into strokes in font units (the capital height is Above() units) and
// the pen's move to the next character. ShxFont is one font, ShapeFontSet the fonts of a drawing
// by their file's name (and the shapes their line types embed).
#pragma once

#include "engine/draw/ShapeSource.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace RkDraw {

class ShxFont
{
public:
    struct Point
    {
        double x = 0.0, y = 0.0;
    };
    struct Glyph
    {
        std::vector<std::vector<Point>> strokes;
        Point advance;
    };

    // The font in the file's bytes, or null when they are no shape font or do not read whole.
    static std::unique_ptr<ShxFont> Parse(const std::string& bytes);

    // The glyph of a Unicode character (the degree, plus/minus and diameter signs at the codes
    // the regular fonts keep them), or null when the font has none.
    const Glyph* Find(std::uint32_t codePoint) const;
    // A shape by its number or by its name (any case), as SHAPE entities name them, or null.
    const Glyph* ShapeNumbered(std::uint32_t number) const;
    const Glyph* ShapeNamed(const std::string& name) const;
    // Units from the baseline to the top of the capitals (1 in a shape file that is no font).
    double Above() const { return m_above; }
    bool Unicode() const { return m_unicode; }
    // A big font ("AutoCAD-86 bigfont 1.0", the Asian fonts): its glyphs are kept by their
    // double-byte code (lead byte high) until rekeyed.
    bool Big() const { return m_big; }
    // The font with each glyph kept by the Unicode character its code gives (0: dropped), as
    // a Unicode font; a big font's codes are those of the code page its drawing is written in.
    std::unique_ptr<ShxFont> Rekeyed(const std::function<std::uint32_t(std::uint32_t)>& character) const;

private:
    struct Decoder;
    bool ReadBig(const std::string& bytes, std::size_t at);

    std::map<std::uint32_t, std::string> m_definitions;   // shape number -> its bytes
    std::map<std::uint32_t, Glyph> m_glyphs;
    std::map<std::string, std::uint32_t> m_names;        // lower-case shape name -> number
    double m_above = 1.0;
    bool m_unicode = false;
    bool m_big = false;
};

class ShapeFontSet final : public ShapeSource
{
public:
    // Keeps the font under the file's base name (folders, extension and case do not count). A
    // font is read-only once parsed, so several drawings may share one.
    void Add(const std::string& file, std::shared_ptr<const ShxFont> font);
    const ShxFont* Find(const std::string& file) const;
    bool Empty() const { return m_fonts.empty(); }
    // The key a file's name is kept under: "C:\Fonts\RomanS.SHX" -> "romans".
    static std::string Key(const std::string& file);
    // A shape of a found file, in units of the file's height (its capital height when the file
    // is a font), so that a line type's scale is the shape's size as for SHAPE entities.
    bool Strokes(const std::string& shapeFile, int number,
                 std::vector<std::vector<RkDb::Vec2>>& strokes) const override;

private:
    std::map<std::string, std::shared_ptr<const ShxFont>> m_fonts;
};

} // namespace RkDraw
