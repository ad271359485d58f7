#include "imaging/GifByteReader.h"

#include "imaging/CRasterFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>

GifByteReader::GifByteReader(CRasterFile& stream) : m_stream(stream)
{
    m_base = stream.Tell();
}

bool GifByteReader::Fill()
{
    m_base += int64_t(m_count);
    m_position = 0;
    m_count = m_stream.Read(m_buffer, 1, kBufferSize);
    return m_count > 0;
}

int GifByteReader::Byte()
{
    if (m_position >= m_count && !Fill())
        return -1;
    return m_buffer[m_position++];
}

size_t GifByteReader::Read(void* buffer, size_t size)
{
    BYTE* out = static_cast<BYTE*>(buffer);
    size_t done = 0;
    while (done < size) {
        if (m_position >= m_count && !Fill())
            break;
        const size_t n = std::min(size - done, m_count - m_position);
        for (size_t i = 0; i < n; ++i)
            out[done + i] = m_buffer[m_position + i];
        m_position += n;
        done += n;
    }
    return done;
}

void GifByteReader::Skip(size_t size)
{
    while (size > 0) {
        if (m_position >= m_count && !Fill())
            return;
        const size_t n = std::min(size, m_count - m_position);
        m_position += n;
        size -= n;
    }
}

void GifByteReader::Seek(int64_t position)
{
    if (position >= m_base && position <= m_base + int64_t(m_count)) {
        m_position = size_t(position - m_base);
        return;
    }
    if (position > INT32_MAX)
        return;
    m_stream.Seek(int32_t(position), SEEK_SET);
    m_base = position;
    m_position = m_count = 0;
}
