// A bounded little-endian reader over a byte range, for the byte-aligned records of the formats
// before R13 and of proxy graphics. Reading past the end yields zeros and marks the cursor failed,
// so a decoder reads on and checks Failed() once.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace RkDb {

class ByteCursor
{
public:
    ByteCursor() = default;
    ByteCursor(const uint8_t* data, uint64_t size) : m_data(data), m_size(size) {}

    uint64_t Position() const { return m_pos; }
    uint64_t Size() const { return m_size; }
    uint64_t Left() const { return m_pos < m_size ? m_size - m_pos : 0; }
    bool Failed() const { return m_failed; }
    void Fail() { m_failed = true; }
    // Moves to an offset inside the range; an offset past its end fails the cursor.
    void Seek(uint64_t offset)
    {
        if (offset > m_size) {
            m_failed = true;
            offset = m_size;
        }
        m_pos = offset;
    }
    bool Skip(uint64_t bytes)
    {
        if (!Take(bytes))
            return false;
        m_pos += bytes;
        return true;
    }

    uint8_t RC() { return static_cast<uint8_t>(Le(1)); }
    uint16_t RS() { return static_cast<uint16_t>(Le(2)); }
    uint32_t RL() { return static_cast<uint32_t>(Le(4)); }
    double RD()
    {
        const uint64_t bits = Le(8);
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // A fixed field of bytes holding a text up to its first NUL.
    std::string FixedText(uint64_t bytes)
    {
        if (!Take(bytes))
            return std::string();
        const char* begin = reinterpret_cast<const char*>(m_data + m_pos);
        m_pos += bytes;
        return std::string(begin, strnlen(begin, static_cast<size_t>(bytes)));
    }
    // The bytes at the position, when that many are left.
    const uint8_t* Bytes(uint64_t bytes)
    {
        if (!Take(bytes))
            return nullptr;
        const uint8_t* at = m_data + m_pos;
        m_pos += bytes;
        return at;
    }

private:
    bool Take(uint64_t bytes)
    {
        if (m_failed || bytes > Left()) {
            m_failed = true;
            return false;
        }
        return true;
    }
    uint64_t Le(unsigned bytes)
    {
        if (!Take(bytes))
            return 0;
        uint64_t value = 0;
        for (unsigned i = 0; i < bytes; ++i)
            value |= static_cast<uint64_t>(m_data[m_pos + i]) << (8 * i);
        m_pos += bytes;
        return value;
    }

    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    uint64_t m_pos = 0;
    bool m_failed = false;
};

} // namespace RkDb
