// ByteCursor: reads the bytes of a small raster file held in memory: the text headers of PNM and
// PGX, numbers of either byte order, and blocks whose length is checked against what is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CRasterFile;

class ByteCursor
{
public:
    explicit ByteCursor(const std::vector<uint8_t>& bytes) : m_bytes(bytes), m_position(0) {}

    // The rest of the stream from its position (at most limit bytes); empty when unreadable.
    static std::vector<uint8_t> ReadRest(CRasterFile& file, size_t limit);

    size_t Left() const { return m_bytes.size() - m_position; }
    const uint8_t* Here() const { return m_bytes.data() + m_position; }
    bool Skip(uint64_t count);
    bool Byte(uint8_t& value);
    bool BigEndian32(uint32_t& value);
    // Skips white space, and with comments also '#' to the end of the line (PNM's comments).
    void SkipSpace(bool comments);
    // A decimal number after optional white space; false when there is none or it overflows.
    bool Number(uint32_t& value, bool comments);
    // The next byte when it is one of the given characters.
    bool Accept(const char* characters, char& found);

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_position;
};
