#include "imaging/ByteCursor.h"

#include "imaging/CRasterFile.h"

#include <cctype>
#include <cstring>

std::vector<uint8_t> ByteCursor::ReadRest(CRasterFile& file, size_t limit)
{
    const int64_t left = int64_t(file.Size()) - file.Tell();
    if (left <= 0)
        return {};
    std::vector<uint8_t> bytes(size_t(left < int64_t(limit) ? left : int64_t(limit)));
    bytes.resize(file.Read(bytes.data(), 1, bytes.size()));
    return bytes;
}

bool ByteCursor::Skip(uint64_t count)
{
    if (count > Left())
        return false;
    m_position += size_t(count);
    return true;
}

bool ByteCursor::Byte(uint8_t& value)
{
    if (Left() < 1)
        return false;
    value = m_bytes[m_position++];
    return true;
}

bool ByteCursor::BigEndian32(uint32_t& value)
{
    if (Left() < 4)
        return false;
    const uint8_t* p = Here();
    value = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    m_position += 4;
    return true;
}

void ByteCursor::SkipSpace(bool comments)
{
    while (m_position < m_bytes.size()) {
        const uint8_t c = m_bytes[m_position];
        if (comments && c == '#') {
            while (m_position < m_bytes.size() && m_bytes[m_position] != '\n'
                   && m_bytes[m_position] != '\r')
                ++m_position;
        } else if (isspace(c)) {
            ++m_position;
        } else {
            return;
        }
    }
}

bool ByteCursor::Number(uint32_t& value, bool comments)
{
    SkipSpace(comments);
    uint64_t v = 0;
    size_t digits = 0;
    while (m_position < m_bytes.size() && isdigit(m_bytes[m_position])) {
        v = v * 10 + (m_bytes[m_position++] - '0');
        if (v > UINT32_MAX)
            return false;
        ++digits;
    }
    value = uint32_t(v);
    return digits > 0;
}

bool ByteCursor::Accept(const char* characters, char& found)
{
    if (m_position >= m_bytes.size() || m_bytes[m_position] == 0
        || !strchr(characters, m_bytes[m_position]))
        return false;
    found = char(m_bytes[m_position++]);
    return true;
}
