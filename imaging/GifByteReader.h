// GifByteReader: buffered byte reading over a raster stream for the GIF decoder, with its own
// position so that the frame counter can return to where it started.
#pragma once

#include <windows.h>

#include <cstdint>

class CRasterFile;

class GifByteReader
{
public:
    explicit GifByteReader(CRasterFile& stream);

    // The next byte (0-255), or -1 at the end of the data.
    int Byte();
    // Bytes read into the buffer (fewer at the end of the data).
    size_t Read(void* buffer, size_t size);
    void Skip(size_t size);
    int64_t Tell() const { return m_base + int64_t(m_position); }
    void Seek(int64_t position);

private:
    static constexpr size_t kBufferSize = 16384;
    bool Fill();

    CRasterFile& m_stream;
    int64_t m_base = 0; // stream offset of the buffer's first byte
    size_t m_position = 0;
    size_t m_count = 0;
    BYTE m_buffer[kBufferSize];
};
