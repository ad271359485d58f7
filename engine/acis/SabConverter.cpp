#include "engine/acis/SabConverter.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace RkAcis {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void AppendDouble(std::string& out, double value)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::isfinite(value) ? value : 0.0);
    out.append(buffer, r.ptr);
    out += ' ';
}

// An integer token (a pointer's after its '$'), written in place: solids hold thousands of them.
void AppendInteger(std::string& out, std::int32_t value, const char* prefix = "")
{
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out += prefix;
    out.append(buffer, r.ptr);
    out += ' ';
}

} // namespace

bool SabConverter::Doubles(int count, std::string& out)
{
    for (int i = 0; i < count; ++i) {
        double value = 0.0;
        if (!Value(value))
            return false;
        AppendDouble(out, value);
    }
    return true;
}

bool SabConverter::Text(std::size_t lengthBytes, std::string& out)
{
    std::uint32_t length = 0;
    std::string_view bytes;
    if (!Take(lengthBytes, bytes))
        return false;
    for (std::size_t i = 0; i < lengthBytes; ++i)
        length |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    std::string_view text;
    if (!Take(length, text))
        return false;
    // Strings matter only as keywords ("nubs"); one with spaces is kept as a single token.
    for (const char c : text)
        out += IsSpace(c) || c == '#' || c == '$' || c == '@' ? '_' : c;
    if (text.empty())
        out += '_';
    out += ' ';
    return true;
}

bool SabConverter::Tag(std::string& out, bool& recordEnd, bool& dataEnd)
{
    std::string_view tag;
    if (!Take(1, tag))
        return false;
    const auto code = static_cast<unsigned char>(tag[0]);
    const bool partial = m_partial;
    m_partial = false;
    switch (code) {
    case 0x02: { std::int8_t v = 0; if (!Value(v)) return false; AppendInteger(out, v); return true; }
    case 0x03: { std::int16_t v = 0; if (!Value(v)) return false; AppendInteger(out, v); return true; }
    case 0x04: case 0x15: { std::int32_t v = 0; if (!Value(v)) return false; AppendInteger(out, v); return true; }
    case 0x05: { float v = 0; if (!Value(v)) return false; AppendDouble(out, v); return true; }
    case 0x06: return Doubles(1, out);
    case 0x07: return Text(1, out);
    case 0x08: return Text(2, out);
    case 0x09: return Text(4, out);
    // Logicals: the SAT keywords of a sense (the only ones the edges need) are written.
    case 0x0A: out += "reversed "; return true;
    case 0x0B: out += "forward "; return true;
    case 0x0C: { std::int32_t v = 0; if (!Value(v)) return false; AppendInteger(out, v, "$"); return true; }
    case 0x0D: case 0x0E: {
        // Type names: "straight" (0x0E, a part) then "curve" (0x0D) make "straight-curve".
        std::string name;
        if (!Text(1, name))
            return false;
        name.pop_back();
        // "End-of-ACIS-data" (or "End-of-ASM-data") closes the records.
        if (name == "End" && !partial)
            dataEnd = true;
        out += name;
        out += code == 0x0E ? "-" : " ";
        m_partial = code == 0x0E;
        return true;
    }
    case 0x0F: out += "{ "; return true;
    case 0x10: out += "} "; return true;
    case 0x11: out += "#\n"; recordEnd = true; return true;
    case 0x13: case 0x14: case 0x16: return Doubles(3, out);
    default: return false;
    }
}

bool SabConverter::Convert(std::string& sat, std::size_t maxText)
{
    // "ACIS BinaryFile" up to 2010, "ASM BinaryFile4" after: both 15 bytes, then the same tags.
    const std::string_view magic = m_sab.substr(0, 15);
    if (magic != "ACIS BinaryFile" && magic != "ASM BinaryFile4")
        return false;
    m_at = magic.size();
    std::int32_t version = 0, records = 0, bodies = 0, flags = 0;
    if (!Value(version) || !Value(records) || !Value(bodies) || !Value(flags))
        return false;
    sat = std::to_string(version) + " 0 " + std::to_string(bodies) + " 0\n";
    // The product strings and units: one line in the text form, as SAT has them.
    std::string header;
    bool recordEnd = false, dataEnd = false;
    for (int i = 0; i < 6; ++i) {
        if (!Tag(header, recordEnd, dataEnd))
            return false;
    }
    sat += header + "\n\n";
    std::string record;
    while (!dataEnd && sat.size() + record.size() <= maxText) {
        recordEnd = false;
        if (!Tag(record, recordEnd, dataEnd))
            break;
        if (recordEnd) {
            sat += record;
            record.clear();
        }
    }
    return true;
}

} // namespace RkAcis
