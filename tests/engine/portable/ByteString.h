// Little-endian values into byte strings, for tests that build binary records (pre-R13 DWG
// entities, proxy graphics metafiles). No Windows header.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

namespace orvo::test {

inline void PutLe16(std::string& s, size_t at, uint64_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void PutLe32(std::string& s, size_t at, uint64_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string LeLong(uint32_t v)
{
    std::string out(4, '\0');
    PutLe32(out, 0, v);
    return out;
}

inline std::string LeDoubles(std::initializer_list<double> values)
{
    std::string out;
    for (const double v : values) {
        char bytes[8];
        std::memcpy(bytes, &v, 8);
        out.append(bytes, 8);
    }
    return out;
}

} // namespace orvo::test
