// The input and output cursors that both page decompressors (2004 and 2007) work with: bytes
// taken from the source, back references copied within the output, every step bounds-checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvo::dwg {

class DwgLzCursor
{
public:
    DwgLzCursor(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize)
        : m_src(source), m_srcSize(sourceSize), m_dst(destination), m_dstSize(destinationSize)
    {
    }

    size_t Written() const { return m_out; }

protected:
    bool Next(uint8_t& byte)
    {
        if (m_in >= m_srcSize)
            return false;
        byte = m_src[m_in++];
        return true;
    }
    bool AtEnd() const { return m_in >= m_srcSize; }
    // count more bytes can be taken from the source and written to the output.
    bool Fits(size_t count) const { return count <= m_srcSize - m_in && count <= m_dstSize - m_out; }

    bool CopyMatch(size_t offset, size_t count)
    {
        if (offset == 0 || offset > m_out || count > m_dstSize - m_out)
            return false;
        // Eight bytes at a time when each chunk's source lies wholly behind it; fixed-size copies
        // become plain moves, with no library call for the short matches that are most of them.
        if (offset >= 8) {
            for (; count >= 8; count -= 8, m_out += 8) {
                uint64_t chunk;
                std::memcpy(&chunk, m_dst + m_out - offset, sizeof(chunk));
                std::memcpy(m_dst + m_out, &chunk, sizeof(chunk));
            }
            // The tail of at most seven bytes in at most three moves.
            if ((count & 4) != 0)
                CopyBack<4>(offset);
            if ((count & 2) != 0)
                CopyBack<2>(offset);
            if ((count & 1) != 0)
                CopyBack<1>(offset);
            return true;
        }
        // Byte by byte where a match overlaps the bytes it produces.
        for (size_t i = 0; i < count; ++i, ++m_out)
            m_dst[m_out] = m_dst[m_out - offset];
        return true;
    }

    // size bytes from offset back, wholly behind the output (offset at least size).
    template <size_t size> void CopyBack(size_t offset)
    {
        uint8_t chunk[size];
        std::memcpy(chunk, m_dst + m_out - offset, size);
        std::memcpy(m_dst + m_out, chunk, size);
        m_out += size;
    }

    const uint8_t* m_src;
    size_t m_srcSize;
    size_t m_in = 0;
    uint8_t* m_dst;
    size_t m_dstSize;
    size_t m_out = 0;
};

// Runs a decoder built on the cursor over source into destination; written tells how far the
// output got, also when the stream fails.
template <typename Decoder>
bool RunDecoder(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize,
                size_t& written)
{
    Decoder decoder(source, sourceSize, destination, destinationSize);
    const bool ok = decoder.Run();
    written = decoder.Written();
    return ok;
}

} // namespace orvo::dwg
