#include "engine/dwg/DwgDecompressorR2007.h"

#include "engine/dwg/DwgLzCursor.h"

#include <array>
#include <cstring>

namespace orvo::dwg {

namespace {

// A literal run is written in blocks of 32 bytes, then a tail of 0 to 31 bytes. Each is stored as
// runs of source bytes in a fixed order per length: {start, count} pairs, written one after the
// other, a zero count ending the list.
struct CopyRun
{
    uint8_t start;
    uint8_t count;
};

constexpr size_t kMaxRuns = 7;
using TailOrder = CopyRun[kMaxRuns];

constexpr TailOrder kTailOrder[32] = {
    {},
    {{0, 1}},
    {{1, 1}, {0, 1}},
    {{2, 1}, {1, 1}, {0, 1}},
    {{0, 4}},
    {{4, 1}, {0, 4}},
    {{5, 1}, {1, 4}, {0, 1}},
    {{6, 1}, {5, 1}, {1, 4}, {0, 1}},
    {{0, 8}},
    {{8, 1}, {0, 8}},
    {{9, 1}, {1, 8}, {0, 1}},
    {{10, 1}, {9, 1}, {1, 8}, {0, 1}},
    {{8, 4}, {0, 8}},
    {{12, 1}, {8, 4}, {0, 8}},
    {{13, 1}, {9, 4}, {1, 8}, {0, 1}},
    {{14, 1}, {13, 1}, {9, 4}, {1, 8}, {0, 1}},
    {{8, 8}, {0, 8}},
    {{9, 8}, {8, 1}, {0, 8}},
    {{17, 1}, {9, 8}, {1, 8}, {0, 1}},
    {{18, 1}, {17, 1}, {16, 1}, {8, 8}, {0, 8}},
    {{16, 4}, {8, 8}, {0, 8}},
    {{20, 1}, {16, 4}, {8, 8}, {0, 8}},
    {{21, 1}, {20, 1}, {16, 4}, {8, 8}, {0, 8}},
    {{22, 1}, {21, 1}, {20, 1}, {16, 4}, {8, 8}, {0, 8}},
    {{16, 8}, {8, 8}, {0, 8}},
    {{17, 8}, {16, 1}, {8, 8}, {0, 8}},
    {{25, 1}, {17, 8}, {16, 1}, {8, 8}, {0, 8}},
    {{26, 1}, {25, 1}, {17, 8}, {16, 1}, {8, 8}, {0, 8}},
    {{24, 4}, {16, 8}, {8, 8}, {0, 8}},
    {{28, 1}, {24, 4}, {16, 8}, {8, 8}, {0, 8}},
    {{29, 1}, {28, 1}, {24, 4}, {16, 8}, {8, 8}, {0, 8}},
    {{30, 1}, {26, 4}, {18, 8}, {10, 8}, {2, 8}, {1, 1}, {0, 1}},
};

constexpr size_t kBlockSize = 32;

// The short tails (under eight bytes, the literals that follow a copy) as the source byte of each
// output byte, made from the runs above: one indexed move a byte instead of a walk of the runs.
constexpr size_t kShortTail = 8;
using TailBytes = std::array<std::array<uint8_t, kShortTail>, kShortTail>;

constexpr TailBytes MakeShortTails()
{
    TailBytes tails{};
    for (size_t count = 0; count < kShortTail; ++count) {
        size_t out = 0;
        for (size_t r = 0; r < kMaxRuns && kTailOrder[count][r].count != 0; ++r)
            for (size_t i = 0; i < kTailOrder[count][r].count; ++i)
                tails[count][out++] = static_cast<uint8_t>(kTailOrder[count][r].start + i);
    }
    return tails;
}

constexpr TailBytes kShortTails = MakeShortTails();

class Decoder : public DwgLzCursor
{
public:
    using DwgLzCursor::DwgLzCursor;

    bool Run();

private:
    bool LiteralLength(uint8_t opcode, size_t& length);
    bool Instruction(uint8_t& opcode, size_t& offset, size_t& length);
    bool CopyLiterals(size_t count);
    void CopyRuns(const CopyRun* runs, size_t base);
};

bool Decoder::LiteralLength(uint8_t opcode, size_t& length)
{
    length = static_cast<size_t>(opcode) + 8;
    if (length != 0x17)
        return true;
    uint8_t byte = 0;
    if (!Next(byte))
        return false;
    length += byte;
    if (byte != 0xFF)
        return true;
    // Further 16-bit counts follow while each is 0xFFFF; every one consumes input.
    while (true) {
        uint8_t low = 0, high = 0;
        if (!Next(low) || !Next(high))
            return false;
        const size_t count = low | (static_cast<size_t>(high) << 8);
        length += count;
        if (count != 0xFFFF)
            return true;
    }
}

// Reads one copy instruction; opcode becomes the byte whose low three bits count the literals
// that follow the copy.
bool Decoder::Instruction(uint8_t& opcode, size_t& offset, size_t& length)
{
    uint8_t first = 0, second = 0;
    switch (opcode >> 4) {
    case 0:
        length = (opcode & 0x0Fu) + 0x13;
        if (!Next(first) || !Next(opcode))
            return false;
        length += (opcode >> 3) & 0x10u;
        offset = (static_cast<size_t>(opcode & 0x78) << 5) + first + 1;
        return true;
    case 1:
        length = (opcode & 0x0Fu) + 3;
        if (!Next(first) || !Next(opcode))
            return false;
        offset = (static_cast<size_t>(opcode & 0xF8) << 5) + first + 1;
        return true;
    case 2:
        if (!Next(first) || !Next(second))
            return false;
        offset = first | (static_cast<size_t>(second) << 8);
        length = opcode & 7u;
        if ((opcode & 8) == 0) {
            if (!Next(opcode))
                return false;
            length += opcode & 0xF8u;
            return true;
        }
        ++offset;
        if (!Next(first) || !Next(opcode))
            return false;
        length += (static_cast<size_t>(first) << 3) + (static_cast<size_t>(opcode & 0xF8) << 8) + 0x100;
        return true;
    default:
        length = opcode >> 4;
        offset = opcode & 0x0Fu;
        if (!Next(opcode))
            return false;
        offset += (static_cast<size_t>(opcode & 0xF8) << 1) + 1;
        return true;
    }
}

void Decoder::CopyRuns(const CopyRun* runs, size_t base)
{
    // Runs are 8, 4 or 1 bytes: copies of a fixed size compile to single moves, where a copy of a
    // size known only at run time would be a call into the C library for each.
    for (size_t r = 0; r < kMaxRuns && runs[r].count != 0; ++r) {
        const uint8_t* from = m_src + base + runs[r].start;
        uint8_t* to = m_dst + m_out;
        switch (runs[r].count) {
        case 8: std::memcpy(to, from, 8); break;
        case 4: std::memcpy(to, from, 4); break;
        default:
            for (size_t i = 0; i < runs[r].count; ++i)
                to[i] = from[i];
            break;
        }
        m_out += runs[r].count;
    }
}

bool Decoder::CopyLiterals(size_t count)
{
    if (!Fits(count))
        return false;
    // A block of 32 is four groups of eight, last group first.
    static constexpr CopyRun kBlockOrder[kMaxRuns] = {{24, 8}, {16, 8}, {8, 8}, {0, 8}};
    if (count < kShortTail) {
        for (size_t i = 0; i < count; ++i)
            m_dst[m_out + i] = m_src[m_in + kShortTails[count][i]];
        m_out += count;
        m_in += count;
        return true;
    }
    for (; count >= kBlockSize; count -= kBlockSize, m_in += kBlockSize)
        CopyRuns(kBlockOrder, m_in);
    CopyRuns(kTailOrder[count], m_in);
    m_in += count;
    return true;
}

bool Decoder::Run()
{
    uint8_t opcode = 0;
    if (!Next(opcode))
        return false;
    size_t literals = 0;
    if ((opcode & 0xF0) == 0x20) {
        // The stream may open with a literal count in its third byte; the first two are unused.
        uint8_t unused = 0, count = 0;
        if (!Next(unused) || !Next(unused) || !Next(count))
            return false;
        literals = count & 7u;
        if (literals == 0)
            return false;
    }
    // Every pass consumes input, so the loop ends with the source.
    while (!AtEnd()) {
        if (literals == 0 && !LiteralLength(opcode, literals))
            return false;
        if (!CopyLiterals(literals))
            return false;
        literals = 0;
        if (AtEnd())
            break;
        if (!Next(opcode))
            return false;
        size_t offset = 0, length = 0;
        if (!Instruction(opcode, offset, length))
            return false;
        while (true) {
            if (!CopyMatch(offset, length))
                return false;
            literals = opcode & 7u;
            if (literals != 0 || AtEnd())
                break;
            if (!Next(opcode))
                return false;
            // A high nibble of zero starts a literal run; 0xF selects the long copy.
            if ((opcode >> 4) == 0)
                break;
            if ((opcode >> 4) == 0x0F)
                opcode &= 0x0F;
            if (!Instruction(opcode, offset, length))
                return false;
        }
    }
    return true;
}

} // namespace

bool Decompress2007(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize,
                    size_t& written)
{
    return RunDecoder<Decoder>(source, sourceSize, destination, destinationSize, written);
}

} // namespace orvo::dwg
