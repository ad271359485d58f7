#include "engine/write/DwgCompressor.h"

#include <vector>

namespace RkWrite {

namespace {

constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxOffset = 0x4000;   // the two-byte offset form reaches this far back
constexpr std::size_t kShortOffset = 0x400;  // the one-byte form, for matches of 3 to 14 bytes
constexpr std::size_t kShortCount = 14;
constexpr unsigned kHashBits = 15;
// A far match takes three bytes or more, and it may split a literal run in two: shorter ones do
// not pay.
constexpr std::size_t kMinFarMatch = 5;

// A long count: a zero byte for each 0xFF, then the rest (1..0xFF).
void LongCount(std::vector<std::uint8_t>& out, std::size_t value)
{
    while (value > 0xFF) {
        out.push_back(0);
        value -= 0xFF;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

std::uint32_t Hash(const std::uint8_t* p)
{
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

class Encoder
{
public:
    Encoder(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size)
    {
        m_out.reserve(size / 2 + 16);
    }

    std::vector<std::uint8_t> Run();

private:
    std::size_t MatchLength(std::size_t at, std::size_t from) const
    {
        std::size_t n = 0;
        while (at + n < m_size && m_data[from + n] == m_data[at + n])
            ++n;
        return n;
    }
    // The literals between the last match (or the start) and at.
    void Literals(std::size_t at);
    void Match(std::size_t offset, std::size_t count);

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::vector<std::uint8_t> m_out;
    std::size_t m_literalStart = 0;
    // Where the last match's code keeps room for up to three literals that follow it.
    std::size_t m_literalBits = std::size_t(-1);
};

void Encoder::Literals(std::size_t at)
{
    const std::size_t count = at - m_literalStart;
    if (count == 0)
        return;
    if (m_literalBits != std::size_t(-1) && count <= 3) {
        m_out[m_literalBits] = static_cast<std::uint8_t>(m_out[m_literalBits] | count);
    } else if (count <= 0x12) {
        m_out.push_back(static_cast<std::uint8_t>(count - 3));
    } else {
        m_out.push_back(0);
        LongCount(m_out, count - 0x12);
    }
    m_out.insert(m_out.end(), m_data + m_literalStart, m_data + at);
}

void Encoder::Match(std::size_t offset, std::size_t count)
{
    const std::size_t off = offset - 1;
    if (count <= kShortCount && offset <= kShortOffset) {
        m_literalBits = m_out.size();
        m_out.push_back(static_cast<std::uint8_t>(((count + 1) << 4) | ((off & 3) << 2)));
        m_out.push_back(static_cast<std::uint8_t>(off >> 2));
        return;
    }
    if (count <= 0x21) {
        m_out.push_back(static_cast<std::uint8_t>(count + 0x1E));
    } else {
        m_out.push_back(0x20);
        LongCount(m_out, count - 0x21);
    }
    m_literalBits = m_out.size();
    m_out.push_back(static_cast<std::uint8_t>((off & 0x3F) << 2));
    m_out.push_back(static_cast<std::uint8_t>(off >> 6));
}

std::vector<std::uint8_t> Encoder::Run()
{
    std::vector<std::uint32_t> table(std::size_t(1) << kHashBits, 0xFFFFFFFFu);
    // The stream can only open with a run of at least four literals.
    std::size_t at = m_size < 4 ? m_size : 4;
    for (std::size_t i = 0; i + kMinMatch <= at; ++i)
        table[Hash(m_data + i)] = static_cast<std::uint32_t>(i);
    while (at + kMinMatch <= m_size) {
        const std::uint32_t h = Hash(m_data + at);
        const std::uint32_t candidate = table[h];
        table[h] = static_cast<std::uint32_t>(at);
        std::size_t length = 0;
        if (candidate != 0xFFFFFFFFu && at - candidate <= kMaxOffset)
            length = MatchLength(at, candidate);
        if (length < kMinMatch || (at - candidate > kShortOffset && length < kMinFarMatch)) {
            ++at;
            continue;
        }
        Literals(at);
        Match(at - candidate, length);
        for (std::size_t i = at + 1; i < at + length && i + kMinMatch <= m_size; ++i)
            table[Hash(m_data + i)] = static_cast<std::uint32_t>(i);
        at += length;
        m_literalStart = at;
    }
    Literals(m_size);
    m_out.push_back(0x11);
    return std::move(m_out);
}

} // namespace

std::vector<std::uint8_t> Compress2004(const std::uint8_t* data, std::size_t size)
{
    return Encoder(data, size).Run();
}

} // namespace RkWrite
