#include "imaging/GifRunLengthEncoder.h"

#include "imaging/CRasterFile.h"

namespace {

constexpr int kPacketLimit = 255;

unsigned IntegerSquareRoot(unsigned x)
{
    if (x < 2)
        return x;
    unsigned digits = 0;
    for (unsigned v = x; v; v >>= 2)
        ++digits;
    unsigned r = 1u << digits;
    for (;;) {
        const unsigned next = (x / r + r) / 2;
        if (next == r || next == r + 1)
            return r;
        r = next;
    }
}

} // namespace

void GifRunLengthEncoder::WritePacket()
{
    if (m_packetLength == 0)
        return;
    if (!m_stream.PutC(BYTE(m_packetLength)) ||
        m_stream.Write(m_packet, 1, size_t(m_packetLength)) != size_t(m_packetLength))
        m_writeFailed = true;
    m_packetLength = 0;
}

void GifRunLengthEncoder::PutByte(BYTE byte)
{
    m_packet[m_packetLength++] = byte;
    if (m_packetLength >= kPacketLimit)
        WritePacket();
}

void GifRunLengthEncoder::Output(int code)
{
    m_bitBuffer |= DWORD(code) << m_bitCount;
    m_bitCount += m_outBits;
    while (m_bitCount >= 8) {
        PutByte(BYTE(m_bitBuffer));
        m_bitBuffer >>= 8;
        m_bitCount -= 8;
    }
}

void GifRunLengthEncoder::DidClear()
{
    m_outBits = m_outBitsInit;
    m_outBump = m_outBumpInit;
    m_outClear = m_outClearInit;
    m_outCount = 0;
    m_tableMax = 0;
    m_justCleared = true;
}

void GifRunLengthEncoder::OutputPlain(int code)
{
    m_justCleared = false;
    Output(code);
    ++m_outCount;
    if (m_outCount >= m_outBump) {
        ++m_outBits;
        m_outBump += 1 << (m_outBits - 1);
    }
    if (m_outCount >= m_outClear) {
        Output(m_clearCode);
        DidClear();
    }
}

void GifRunLengthEncoder::ResetOutClear()
{
    m_outClear = m_outClearInit;
    if (m_outCount >= m_outClear) {
        Output(m_clearCode);
        DidClear();
    }
}

int GifRunLengthEncoder::TriangleCount(int count, int codes) const
{
    const int perRepeat = codes * (codes + 1) / 2;
    int cost = 0;
    for (; count >= perRepeat; count -= perRepeat)
        cost += codes;
    if (count > 0) {
        int n = int(IntegerSquareRoot(unsigned(count)));
        while (n * (n + 1) >= 2 * count)
            --n;
        while (n * (n + 1) < 2 * count)
            ++n;
        cost += n;
    }
    return cost;
}

// Just after a clear the decoder's table is empty: codes for 1, 2, 3, ... pixels build it up.
void GifRunLengthEncoder::FlushFromClear(int count)
{
    MaxOutClear();
    m_tablePixel = m_runPixel;
    int n = 1;
    while (count > 0) {
        if (n == 1) {
            m_tableMax = 1;
            OutputPlain(m_runPixel);
            --count;
        } else if (count >= n) {
            m_tableMax = n;
            OutputPlain(m_baseCode + n - 2);
            count -= n;
        } else if (count == 1) {
            ++m_tableMax;
            OutputPlain(m_runPixel);
            count = 0;
        } else {
            ++m_tableMax;
            OutputPlain(m_baseCode + count - 2);
            count = 0;
        }
        n = m_outCount == 0 ? 1 : n + 1;
    }
    ResetOutClear();
}

void GifRunLengthEncoder::FlushClearOrRepeat(int count)
{
    const int withClear = 1 + TriangleCount(count, m_maxCodes);
    if (withClear < count) {
        Output(m_clearCode);
        DidClear();
        FlushFromClear(count);
        return;
    }
    for (; count > 0; --count)
        OutputPlain(m_runPixel);
}

void GifRunLengthEncoder::FlushWithTable(int count)
{
    int repeats = count / m_tableMax;
    int leftover = count % m_tableMax;
    int extra = leftover ? 1 : 0;
    if (m_outCount + repeats + extra > m_maxCodes) {
        repeats = m_maxCodes - m_outCount;
        leftover = count - repeats * m_tableMax;
        extra = 1 + TriangleCount(leftover, m_maxCodes);
    }
    if (1 + TriangleCount(count, m_maxCodes) < repeats + extra) {
        Output(m_clearCode);
        DidClear();
        FlushFromClear(count);
        return;
    }
    MaxOutClear();
    for (; repeats > 0; --repeats)
        OutputPlain(m_baseCode + m_tableMax - 2);
    if (leftover) {
        if (m_justCleared)
            FlushFromClear(leftover);
        else if (leftover == 1)
            OutputPlain(m_runPixel);
        else
            OutputPlain(m_baseCode + leftover - 2);
    }
    ResetOutClear();
}

void GifRunLengthEncoder::FlushRun()
{
    if (m_runCount == 1)
        OutputPlain(m_runPixel);
    else if (m_justCleared)
        FlushFromClear(m_runCount);
    else if (m_tableMax < 2 || m_tablePixel != m_runPixel)
        FlushClearOrRepeat(m_runCount);
    else
        FlushWithTable(m_runCount);
    m_runCount = 0;
}

bool GifRunLengthEncoder::Pack(const PixelSource& pixels, int initialBits)
{
    m_clearCode = 1 << (initialBits - 1);
    m_endCode = m_clearCode + 1;
    m_baseCode = m_endCode + 1;
    m_outBumpInit = m_clearCode - 1;
    m_outClearInit = initialBits <= 3 ? 9 : m_outBumpInit - 1;
    m_outBitsInit = initialBits;
    m_maxCodes = 4093 - m_clearCode;
    m_bitBuffer = 0;
    m_bitCount = 0;
    m_packetLength = 0;
    m_runCount = 0;
    m_runPixel = -1;
    m_writeFailed = false;
    DidClear();
    Output(m_clearCode);
    for (;;) {
        const int c = pixels();
        if (m_runCount > 0 && c != m_runPixel)
            FlushRun();
        if (c < 0)
            break;
        if (c == m_runPixel) {
            ++m_runCount;
        } else {
            m_runPixel = c;
            m_runCount = 1;
        }
    }
    Output(m_endCode);
    if (m_bitCount > 0)
        PutByte(BYTE(m_bitBuffer));
    WritePacket();
    if (!m_stream.Flush())
        m_writeFailed = true;
    return !m_writeFailed;
}
