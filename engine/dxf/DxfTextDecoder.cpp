#include "engine/dxf/DxfTextDecoder.h"

#include "engine/db/CodePage.h"

#include <cstdint>

namespace RkDxf {
namespace {

bool NeedsWork(std::string_view s)
{
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\\')
            return true;
    }
    return false;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Value of the 4 hex digits at s[i], or -1.
long Hex4(std::string_view s, std::size_t i)
{
    if (s.size() < i + 4)
        return -1;
    long v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const int d = HexDigit(s[i + k]);
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}

// Code page of a \M+N escape's N: the double-byte code pages of the DXF reference.
int MultiByteCodePage(char n)
{
    switch (n) {
    case '1': return 932;
    case '2': return 950;
    case '3': return 949;
    case '4': return 1361;
    case '5': return 936;
    default: return -1;
    }
}

bool IsEscape(std::string_view s, std::size_t i, char kind)
{
    return s.size() >= i + 3 && s[i] == '\\' && (s[i + 1] == kind || s[i + 1] == kind + 32) &&
           s[i + 2] == '+';
}

} // namespace

std::string DxfTextDecoder::Decode(std::string_view raw) const
{
    if (!NeedsWork(raw))
        return std::string(raw);
    std::string utf8;
    utf8.reserve(raw.size() + 8);
    RkDb::CodePage::AppendUtf8(m_codePage, raw, utf8);
    if (utf8.find('\\') == std::string::npos)
        return utf8;
    std::string out;
    out.reserve(utf8.size());
    AppendEscapes(utf8, out);
    return out;
}

void DxfTextDecoder::AppendEscapes(std::string_view s, std::string& out) const
{
    for (std::size_t i = 0; i < s.size();) {
        if (IsEscape(s, i, 'U')) {
            long cp = Hex4(s, i + 3);
            if (cp >= 0) {
                std::size_t used = 7;
                // A surrogate pair comes as two escapes.
                if (cp >= 0xD800 && cp <= 0xDBFF && IsEscape(s, i + 7, 'U')) {
                    const long low = Hex4(s, i + 10);
                    if (low >= 0xDC00 && low <= 0xDFFF) {
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                        used = 14;
                    }
                }
                RkDb::CodePage::AppendCodePoint(static_cast<std::uint32_t>(cp), out);
                i += used;
                continue;
            }
        }
        if (IsEscape(s, i, 'M') && s.size() >= i + 8) {
            const int cp = MultiByteCodePage(s[i + 3]);
            const long bytes = Hex4(s, i + 4);
            if (cp > 0 && bytes >= 0) {
                const char pair[2] = {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
                if (!RkDb::CodePage::ConvertWithPlatform(cp, std::string_view(pair, 2), out))
                    out += '?';
                i += 8;
                continue;
            }
        }
        out += s[i++];
    }
}

} // namespace RkDxf
