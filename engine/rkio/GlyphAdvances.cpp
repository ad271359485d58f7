#include "engine/rkio/GlyphAdvances.h"

#include <algorithm>

namespace RkDraw {

namespace {

bool High(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool Low(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

void GlyphAdvances::Cumulative(HDC dc, HFONT font, const std::wstring& text, std::vector<double>& out)
{
    Table& table = m_tables[font];
    out.assign(text.size(), 0.0);
    double at = 0.0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (High(c) && i + 1 < text.size() && Low(text[i + 1])) {
            at += PairWidth(dc, font, &text[i]);
            out[i] = at;
            out[++i] = at;
            continue;
        }
        at += Advance(dc, font, table, static_cast<unsigned>(c) & 0xFFFF);
        out[i] = at;
    }
}

// Each character is asked for once, when first met: asking for a whole block would make the
// system load the outlines of 256 glyphs at the reference size.
float GlyphAdvances::Advance(HDC dc, HFONT font, Table& table, unsigned code)
{
    std::unique_ptr<Block>& block = table.blocks[code >> 8];
    if (!block) {
        block = std::make_unique<Block>();
        block->fill(-1.0f);
    }
    float& width = (*block)[code & 0xFF];
    if (width >= 0.0f)
        return width;
    // Whole pixels at the reference size are within a tenth of a percent. (Wine's
    // GetCharWidthFloatW answers a sixteenth of the width.)
    const HGDIOBJ old = SelectObject(dc, font);
    INT whole = 0;
    width = GetCharWidth32W(dc, code, code, &whole) ? static_cast<float>(std::max(whole, 0)) : 0.0f;
    SelectObject(dc, old);
    return width;
}

double GlyphAdvances::PairWidth(HDC dc, HFONT font, const wchar_t* pair)
{
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, pair, 2, &size);
    SelectObject(dc, old);
    return size.cx;
}

} // namespace RkDraw
