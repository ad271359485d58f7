// The advance widths of a face's characters at the reference size, read from GDI once per
// character and kept: measuring a text of known characters then costs no GDI call.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace RkDraw {

class GlyphAdvances
{
public:
    // Cumulative advances (pixels of the font) of each UTF-16 unit of the text; the second unit
    // of a surrogate pair adds nothing to the advance of its pair.
    void Cumulative(HDC dc, HFONT font, const std::wstring& text, std::vector<double>& out);
    // Forgets every table (the fonts they were read from are being deleted).
    void Clear() { m_tables.clear(); }

private:
    using Block = std::array<float, 256>;
    struct Table
    {
        std::array<std::unique_ptr<Block>, 256> blocks;
    };

    float Advance(HDC dc, HFONT font, Table& table, unsigned code);
    static double PairWidth(HDC dc, HFONT font, const wchar_t* pair);

    std::map<HFONT, Table> m_tables;
};

} // namespace RkDraw
