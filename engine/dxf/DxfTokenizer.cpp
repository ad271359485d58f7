#include "engine/dxf/DxfTokenizer.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace RkDxf {
namespace {

constexpr char kBinarySentinel[] = "AutoCAD Binary DXF\r\n\x1a";   // 22 bytes with its NUL
constexpr std::size_t kSentinelSize = 22;

enum class ValueType { String, Double, Int16, Int32, Int64, Bool, Chunk, Invalid };

ValueType BinaryValueType(int code)
{
    if (code < 0)
        return ValueType::Invalid;
    if (code <= 9 || (code >= 100 && code <= 105) || (code >= 300 && code <= 309) ||
        (code >= 320 && code <= 369) || (code >= 390 && code <= 399) ||
        (code >= 410 && code <= 419) || (code >= 430 && code <= 439) ||
        (code >= 470 && code <= 481) || code == 999 || (code >= 1000 && code <= 1009 && code != 1004))
        return ValueType::String;
    if ((code >= 10 && code <= 59) || (code >= 110 && code <= 149) ||
        (code >= 210 && code <= 239) || (code >= 460 && code <= 469) ||
        (code >= 1010 && code <= 1059))
        return ValueType::Double;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) ||
        (code >= 270 && code <= 289) || (code >= 370 && code <= 389) ||
        (code >= 400 && code <= 409) || (code >= 1060 && code <= 1070))
        return ValueType::Int16;
    if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) ||
        (code >= 440 && code <= 459) || code == 1071)
        return ValueType::Int32;
    if (code >= 160 && code <= 169)
        return ValueType::Int64;
    if (code >= 290 && code <= 299)
        return ValueType::Bool;
    if ((code >= 310 && code <= 319) || code == 1004)
        return ValueType::Chunk;
    return ValueType::Invalid;
}

template <class T> T ReadLittle(const char* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);   // files are little-endian, like every target here
    return value;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

} // namespace

DxfTokenizer::DxfTokenizer(const char* data, std::size_t size)
    : m_data(data), m_size(size), m_format(Detect(data, size))
{
    if (m_format == Format::Binary) {
        m_pos = kSentinelSize;
        // R12 binary files have one-byte group codes: their first group is 0 "SECTION" with a
        // single zero byte before the text (R13 and later write two; a 999 comment may come first).
        m_twoByteCodes = !(m_size >= m_pos + 2 && m_data[m_pos] == 0 && m_data[m_pos + 1] == 'S');
    } else if (m_size >= 3 && std::memcmp(m_data, "\xEF\xBB\xBF", 3) == 0) {
        m_pos = 3;
    }
}

DxfTokenizer::Format DxfTokenizer::Detect(const char* data, std::size_t size)
{
    if (size >= kSentinelSize && std::memcmp(data, kBinarySentinel, kSentinelSize) == 0)
        return Format::Binary;
    std::size_t i = 0;
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0)
        i = 3;
    while (i < size && (IsBlank(data[i]) || data[i] == '\n'))
        ++i;
    if (i < size && data[i] == '0') {
        std::size_t j = i + 1;
        while (j < size && IsBlank(data[j]))
            ++j;
        if (j < size && data[j] == '\n') {
            ++j;
            while (j < size && IsBlank(data[j]))
                ++j;
            if (size - j >= 7 && std::memcmp(data + j, "SECTION", 7) == 0)
                return Format::Ascii;
        }
    }
    if (size - i >= 3 && std::memcmp(data + i, "999", 3) == 0)
        return Format::Ascii;
    return Format::NotDxf;
}

bool DxfTokenizer::Fail(const char* what)
{
    if (m_error.empty())
        m_error = std::string(what) + " at byte " + std::to_string(m_pos);
    m_pos = m_size;
    return false;
}

bool DxfTokenizer::Next(DxfGroup& group)
{
    if (m_pushedBack) {
        m_pushedBack = false;
        group = m_last;
        return true;
    }
    if (!m_error.empty() || m_pos >= m_size)
        return false;
    const bool ok = m_format == Format::Binary ? NextBinary(group) : NextAscii(group);
    if (ok)
        m_last = group;
    return ok;
}

bool DxfTokenizer::ReadLine(std::string_view& line)
{
    if (m_pos >= m_size)
        return false;
    const char* start = m_data + m_pos;
    const void* nl = std::memchr(start, '\n', m_size - m_pos);
    std::size_t len = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start)
                         : m_size - m_pos;
    m_pos += len + (nl ? 1 : 0);
    if (len > 0 && start[len - 1] == '\r')
        --len;
    line = std::string_view(start, len);
    return true;
}

bool DxfTokenizer::NextAscii(DxfGroup& group)
{
    std::string_view codeLine;
    // Blank lines at the very end (after EOF) are harmless.
    do {
        if (!ReadLine(codeLine))
            return false;
    } while (codeLine.find_first_not_of(" \t") == std::string_view::npos && m_pos < m_size);
    std::size_t b = 0, e = codeLine.size();
    while (b < e && IsBlank(codeLine[b]))
        ++b;
    while (e > b && IsBlank(codeLine[e - 1]))
        --e;
    if (b == e)
        return false;       // only blank lines remained
    int code = 0;
    const auto r = std::from_chars(codeLine.data() + b, codeLine.data() + e, code);
    if (r.ec != std::errc() || r.ptr != codeLine.data() + e || code < 0)
        return Fail("bad group code");
    std::string_view value;
    if (!ReadLine(value))
        return Fail("missing group value");
    group.code = code;
    group.text = value;
    group.binary = false;
    group.number = 0.0;
    return true;
}

bool DxfTokenizer::NextBinary(DxfGroup& group)
{
    int code;
    if (m_twoByteCodes) {
        if (m_size - m_pos < 2)
            return Fail("truncated group code");
        code = ReadLittle<std::uint16_t>(m_data + m_pos);
        m_pos += 2;
    } else {
        code = static_cast<unsigned char>(m_data[m_pos++]);
        if (code == 255) {
            if (m_size - m_pos < 2)
                return Fail("truncated group code");
            code = ReadLittle<std::uint16_t>(m_data + m_pos);
            m_pos += 2;
        }
    }
    group.code = code;
    group.binary = true;
    group.number = 0.0;
    group.text = std::string_view();
    return ReadBinaryValue(group);
}

bool DxfTokenizer::ReadBinaryValue(DxfGroup& group)
{
    const std::size_t left = m_size - m_pos;
    const char* p = m_data + m_pos;
    switch (BinaryValueType(group.code)) {
    case ValueType::String: {
        const void* nul = std::memchr(p, 0, left);
        if (!nul)
            return Fail("unterminated string");
        const std::size_t len = static_cast<std::size_t>(static_cast<const char*>(nul) - p);
        group.text = std::string_view(p, len);
        m_pos += len + 1;
        return true;
    }
    case ValueType::Double:
        if (left < 8)
            return Fail("truncated number");
        group.number = ReadLittle<double>(p);
        m_pos += 8;
        return true;
    case ValueType::Int16:
        if (left < 2)
            return Fail("truncated number");
        group.number = ReadLittle<std::int16_t>(p);
        m_pos += 2;
        return true;
    case ValueType::Int32:
        if (left < 4)
            return Fail("truncated number");
        group.number = ReadLittle<std::int32_t>(p);
        m_pos += 4;
        return true;
    case ValueType::Int64:
        if (left < 8)
            return Fail("truncated number");
        group.number = static_cast<double>(ReadLittle<std::int64_t>(p));
        m_pos += 8;
        return true;
    case ValueType::Bool:
        if (left < 1)
            return Fail("truncated number");
        group.number = static_cast<unsigned char>(*p);
        m_pos += 1;
        return true;
    case ValueType::Chunk: {
        if (left < 1)
            return Fail("truncated chunk");
        const std::size_t len = static_cast<unsigned char>(*p);
        if (left - 1 < len)
            return Fail("truncated chunk");
        group.text = std::string_view(p + 1, len);
        m_pos += len + 1;
        return true;
    }
    case ValueType::Invalid: break;
    }
    return Fail("unknown group code");
}

} // namespace RkDxf
