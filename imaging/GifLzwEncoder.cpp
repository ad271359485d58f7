#include "imaging/GifLzwEncoder.h"

#include "imaging/CRasterFile.h"

#include <algorithm>

namespace {

// The classic packer closes its packets at 254 bytes.
constexpr int kPacketLimit = 254;
constexpr int kHashShift = 4; // 8 minus the doublings of 5003 needed to reach 65536

int MaxCodeFor(int width)
{
    return width >= 12 ? 4096 : (1 << width) - 1;
}

} // namespace

void GifLzwEncoder::Start(int initialBits)
{
    m_initialWidth = m_codeWidth = initialBits;
    m_maxCode = MaxCodeFor(initialBits);
    m_clearCode = 1 << (initialBits - 1);
    m_endCode = m_clearCode + 1;
    m_nextFree = m_clearCode + 2;
    m_clearPending = false;
    m_accumulator = 0;
    m_accumulatorBits = 0;
    m_packetCount = 0;
    m_writeFailed = false;
}

void GifLzwEncoder::ClearHash()
{
    for (int& key : m_hashKeys)
        key = -1;
}

void GifLzwEncoder::PutByte(BYTE byte)
{
    m_packet[m_packetCount++] = byte;
    if (m_packetCount >= kPacketLimit)
        FlushPacket();
}

void GifLzwEncoder::FlushPacket()
{
    if (m_packetCount == 0)
        return;
    const BYTE length = BYTE(m_packetCount);
    if (!m_stream.PutC(length) ||
        m_stream.Write(m_packet, 1, size_t(m_packetCount)) != size_t(m_packetCount))
        m_writeFailed = true;
    m_packetCount = 0;
}

void GifLzwEncoder::Output(int code)
{
    m_accumulator &= (DWORD(1) << m_accumulatorBits) - 1;
    m_accumulator |= DWORD(code) << m_accumulatorBits;
    m_accumulatorBits += m_codeWidth;
    while (m_accumulatorBits >= 8) {
        PutByte(BYTE(m_accumulator));
        m_accumulator >>= 8;
        m_accumulatorBits -= 8;
    }
    if (m_nextFree > m_maxCode || m_clearPending) {
        if (m_clearPending) {
            m_codeWidth = m_initialWidth;
            m_clearPending = false;
        } else {
            ++m_codeWidth;
        }
        m_maxCode = MaxCodeFor(m_codeWidth);
    }
    if (code == m_endCode) {
        while (m_accumulatorBits > 0) {
            PutByte(BYTE(m_accumulator));
            m_accumulator >>= 8;
            m_accumulatorBits -= std::min(m_accumulatorBits, 8);
        }
        FlushPacket();
        if (!m_stream.Flush())
            m_writeFailed = true;
    }
}

bool GifLzwEncoder::PackLzw(const PixelSource& pixels, int initialBits)
{
    Start(initialBits);
    int prefix = pixels();
    ClearHash();
    Output(m_clearCode);
    if (prefix < 0) {
        Output(m_endCode);
        return !m_writeFailed;
    }
    for (int c = pixels(); c >= 0; c = pixels()) {
        const int key = (c << 12) + prefix;
        int slot = (c << kHashShift) ^ prefix;
        bool found = false;
        if (m_hashKeys[slot] == key) {
            found = true;
        } else if (m_hashKeys[slot] >= 0) {
            const int step = slot == 0 ? 1 : kHashSize - slot;
            do {
                slot -= step;
                if (slot < 0)
                    slot += kHashSize;
                found = m_hashKeys[slot] == key;
            } while (!found && m_hashKeys[slot] > 0);
        }
        if (found) {
            prefix = m_hashCodes[slot];
            continue;
        }
        Output(prefix);
        prefix = c;
        if (m_nextFree < kMaxCodes) {
            m_hashCodes[slot] = WORD(m_nextFree++);
            m_hashKeys[slot] = key;
        } else {
            ClearHash();
            m_nextFree = m_clearCode + 2;
            m_clearPending = true;
            Output(m_clearCode);
        }
    }
    Output(prefix);
    Output(m_endCode);
    return !m_writeFailed;
}

bool GifLzwEncoder::PackUncompressed(const PixelSource& pixels, int initialBits)
{
    Start(initialBits);
    Output(m_clearCode);
    for (int c = pixels(); c >= 0; c = pixels()) {
        Output(c);
        if (m_nextFree < kMaxCodes) {
            ++m_nextFree;
        } else {
            m_nextFree = m_clearCode + 2;
            m_clearPending = true;
            Output(m_clearCode);
        }
    }
    Output(m_endCode);
    return !m_writeFailed;
}
