#include "engine/dwg/DwgDecompressor.h"

#include "engine/dwg/DwgLzCursor.h"

namespace orvo::dwg {

namespace {

class Decoder : public DwgLzCursor
{
public:
    using DwgLzCursor::DwgLzCursor;

    bool Run();

private:
    // Runs of zero bytes add 0xFF each; the first non-zero byte ends the number.
    bool LongCount(size_t& value);
    bool LiteralLength(uint8_t first, size_t& length);
    bool TwoByteOffset(size_t& offset, size_t& literals);
    bool CopyLiterals(size_t count);
};

bool Decoder::LongCount(size_t& value)
{
    value = 0;
    uint8_t byte = 0;
    while (true) {
        if (!Next(byte))
            return false;
        if (byte != 0)
            break;
        value += 0xFF;
    }
    value += byte;
    return true;
}

bool Decoder::LiteralLength(uint8_t first, size_t& length)
{
    if (first != 0) {
        length = static_cast<size_t>(first) + 3;
        return true;
    }
    if (!LongCount(length))
        return false;
    length += 0x0F + 3;
    return true;
}

bool Decoder::TwoByteOffset(size_t& offset, size_t& literals)
{
    uint8_t first = 0, second = 0;
    if (!Next(first) || !Next(second))
        return false;
    offset = static_cast<size_t>(first >> 2) | (static_cast<size_t>(second) << 6);
    literals = first & 3;
    return true;
}

bool Decoder::CopyLiterals(size_t count)
{
    if (!Fits(count))
        return false;
    for (size_t i = 0; i < count; ++i)
        m_dst[m_out++] = m_src[m_in++];
    return true;
}

bool Decoder::Run()
{
    uint8_t opcode = 0;
    if (!Next(opcode))
        return false;
    if (opcode < 0x10) {
        size_t length = 0;
        if (!LiteralLength(opcode, length) || !CopyLiterals(length) || !Next(opcode))
            return false;
    }
    // Every pass consumes input, so the loop ends with the source.
    while (true) {
        size_t count = 0, offset = 0, literals = 0;
        if (opcode == 0x11)
            return true;
        if (opcode >= 0x40) {
            uint8_t second = 0;
            if (!Next(second))
                return false;
            count = static_cast<size_t>(opcode >> 4) - 1;
            offset = ((static_cast<size_t>(second) << 2) | ((opcode & 0x0C) >> 2)) + 1;
            literals = opcode & 3;
        } else if (opcode >= 0x20) {
            count = static_cast<size_t>(opcode) - 0x1E;
            if (opcode == 0x20) {
                if (!LongCount(count))
                    return false;
                count += 0x21;
            }
            if (!TwoByteOffset(offset, literals))
                return false;
            offset += 1;
        } else if (opcode >= 0x10) {
            count = opcode & 7;
            if (count == 0) {
                if (!LongCount(count))
                    return false;
                count += 7;
            }
            count += 2;
            if (!TwoByteOffset(offset, literals))
                return false;
            offset += 0x4000 + (static_cast<size_t>(opcode & 8) << 11);
        } else {
            return false;
        }
        if (!CopyMatch(offset, count))
            return false;
        if (literals == 0) {
            if (!Next(opcode))
                return false;
            if (opcode >= 0x10)
                continue;
            if (!LiteralLength(opcode, literals))
                return false;
        }
        if (!CopyLiterals(literals) || !Next(opcode))
            return false;
    }
}

} // namespace

bool Decompress2004(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize,
                    size_t& written)
{
    return RunDecoder<Decoder>(source, sourceSize, destination, destinationSize, written);
}

} // namespace orvo::dwg
