// Turns SAB, the binary form of ACIS data ("ACIS BinaryFile" up to 2010, "ASM BinaryFile4"
// after), into the SAT text SatReader reads: each tagged value (integers, doubles, strings,
// pointers, identifiers, logicals, positions, record terminators) becomes its text token.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace RkAcis {

class SabConverter
{
public:
    explicit SabConverter(std::string_view sab) : m_sab(sab) {}

    // False when the data is not SAB. The text is at most maxText bytes (a longer one is cut
    // where a record ends).
    bool Convert(std::string& sat, std::size_t maxText);

private:
    bool Take(std::size_t n, std::string_view& out)
    {
        if (m_sab.size() - m_at < n)
            return false;
        out = m_sab.substr(m_at, n);
        m_at += n;
        return true;
    }
    template <class T> bool Value(T& value)
    {
        std::string_view bytes;
        if (!Take(sizeof(T), bytes))
            return false;
        std::memcpy(&value, bytes.data(), sizeof(T));
        return true;
    }
    bool Doubles(int count, std::string& out);
    bool Text(std::size_t lengthBytes, std::string& out);
    // One tagged value; false at the end of the data or on damage.
    bool Tag(std::string& out, bool& recordEnd, bool& dataEnd);

    std::string_view m_sab;
    std::size_t m_at = 0;
    bool m_partial = false;      // the last identifier was a part of a compound type name
};

} // namespace RkAcis
