#include "engine/db/CodePage.h"

#include <atomic>
#include <charconv>

namespace RkDb {
namespace {

std::atomic<CodePage::Converter> g_converter{nullptr};

// Code page 1252, bytes 0x80..0x9F (0 = undefined, kept as the byte's value).
const std::uint16_t k1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

// Code page 1251, bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
const std::uint16_t k1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

std::uint32_t Map1252(unsigned char b)
{
    if (b >= 0x80 && b < 0xA0 && k1252[b - 0x80] != 0)
        return k1252[b - 0x80];
    return b;
}

std::uint32_t Map1251(unsigned char b)
{
    if (b >= 0xC0)
        return 0x0410u + (b - 0xC0u);
    if (b >= 0x80 && k1251[b - 0x80] != 0)
        return k1251[b - 0x80];
    return b;
}

// Length of the valid UTF-8 sequence at s (1..4), or 0.
std::size_t Utf8Length(std::string_view s, std::size_t i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    std::uint32_t min;
    if (c >= 0xC2 && c <= 0xDF) { n = 2; min = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { n = 3; min = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { n = 4; min = 0x10000; }
    else return 0;
    if (s.size() - i < n)
        return 0;
    std::uint32_t cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

int CodePage::EncodeByte(int codePage, std::uint32_t codePoint)
{
    if (codePoint < 0x80)
        return static_cast<int>(codePoint);
    if (codePage != 1252 && codePage != 1251)
        return -1;
    for (int b = 0x80; b <= 0xFF; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        if ((codePage == 1252 ? Map1252(byte) : Map1251(byte)) == codePoint)
            return b;
    }
    return -1;
}

std::uint32_t CodePage::DecodeUtf8(std::string_view text, std::size_t i, std::size_t& length)
{
    length = Utf8Length(text, i);
    if (length == 0) {
        length = 1;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        return c < 0x80 ? c : 0xFFFDu;
    }
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = length == 1 ? c : (c & (0x7Fu >> length));
    for (std::size_t k = 1; k < length; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    return cp;
}

int CodePage::FromName(std::string_view name)
{
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (upper == "UTF-8" || upper == "UTF8")
        return 0;
    std::size_t i = 0;
    while (i < upper.size() && (upper[i] < '0' || upper[i] > '9'))
        ++i;
    int cp = 0;
    const auto r = std::from_chars(upper.data() + i, upper.data() + upper.size(), cp);
    if (r.ec != std::errc() || cp <= 0 || cp > 65535)
        return 1252;
    return cp;
}

void CodePage::AppendCodePoint(std::uint32_t cp, std::string& out)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void CodePage::AppendUtf8(int codePage, std::string_view bytes, std::string& out)
{
    if (codePage != 0 && codePage != 1252 && codePage != 1251) {
        if (ConvertWithPlatform(codePage, bytes, out))
            return;
        codePage = 1252;
    }
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (codePage == 0) {
            const std::size_t n = Utf8Length(bytes, i);
            if (n > 0) {
                out.append(bytes.data() + i, n);
                i += n;
                continue;
            }
        }
        AppendCodePoint(codePage == 1251 ? Map1251(c) : Map1252(c), out);
        ++i;
    }
}

void CodePage::SetConverter(Converter converter)
{
    g_converter.store(converter);
}

bool CodePage::ConvertWithPlatform(int codePage, std::string_view bytes, std::string& out)
{
    const Converter converter = g_converter.load();
    if (!converter)
        return false;
    std::string converted;
    if (!converter(codePage, bytes, converted))
        return false;
    out += converted;
    return true;
}

} // namespace RkDb
