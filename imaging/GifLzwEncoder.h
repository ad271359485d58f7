// GifLzwEncoder: packs the pixel indices of one GIF image into a code stream of sub-blocks,
// either LZW-compressed or as plain codes that any LZW decoder reads without compression.
#pragma once

#include <windows.h>

#include <functional>

class CRasterFile;

class GifLzwEncoder
{
public:
    // Next pixel index, or -1 after the last one.
    using PixelSource = std::function<int()>;

    explicit GifLzwEncoder(CRasterFile& stream) : m_stream(stream) {}

    // initialBits: the code size byte + 1. False when the stream refused a write.
    bool PackLzw(const PixelSource& pixels, int initialBits);
    bool PackUncompressed(const PixelSource& pixels, int initialBits);

private:
    static constexpr int kHashSize = 5003;
    static constexpr int kMaxCodes = 4096;

    void Start(int initialBits);
    void Output(int code);
    void PutByte(BYTE byte);
    void FlushPacket();
    void ClearHash();

    CRasterFile& m_stream;
    bool m_writeFailed = false;
    DWORD m_accumulator = 0;
    int m_accumulatorBits = 0;
    int m_codeWidth = 0;
    int m_initialWidth = 0;
    int m_maxCode = 0;
    int m_nextFree = 0;
    bool m_clearPending = false;
    int m_clearCode = 0;
    int m_endCode = 0;
    int m_packetCount = 0;
    BYTE m_packet[256] = {};
    int m_hashKeys[kHashSize];
    WORD m_hashCodes[kHashSize];
};
