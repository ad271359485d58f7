// GifRunLengthEncoder: packs a GIF image's pixels as runs, in a code stream any LZW decoder reads.
// Runs of one colour are sent as codes that stand for growing repetitions of the pixel (which the
// decoder's own table builds up), with clear codes placed where they make the output shorter.
#pragma once

#include <windows.h>

#include <functional>

class CRasterFile;

class GifRunLengthEncoder
{
public:
    // Next pixel index, or -1 after the last one.
    using PixelSource = std::function<int()>;

    explicit GifRunLengthEncoder(CRasterFile& stream) : m_stream(stream) {}

    // initialBits: the code size byte + 1. False when the stream refused a write.
    bool Pack(const PixelSource& pixels, int initialBits);

private:
    void Output(int code);
    void PutByte(BYTE byte);
    void WritePacket();
    void DidClear();
    void OutputPlain(int code);
    void MaxOutClear() { m_outClear = m_maxCodes; }
    void ResetOutClear();
    void FlushRun();
    void FlushFromClear(int count);
    void FlushClearOrRepeat(int count);
    void FlushWithTable(int count);
    int TriangleCount(int count, int codes) const;

    CRasterFile& m_stream;
    bool m_writeFailed = false;
    int m_runPixel = -1;
    int m_baseCode = 0;
    int m_runCount = 0;
    int m_tablePixel = 0;
    int m_tableMax = 0;
    bool m_justCleared = false;
    int m_outBits = 0, m_outBitsInit = 0;
    int m_outCount = 0;
    int m_outBump = 0, m_outBumpInit = 0;
    int m_outClear = 0, m_outClearInit = 0;
    int m_maxCodes = 0;
    int m_clearCode = 0, m_endCode = 0;
    DWORD m_bitBuffer = 0;
    int m_bitCount = 0;
    BYTE m_packet[256] = {};
    int m_packetLength = 0;
};
