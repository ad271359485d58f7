#include "imaging/CRasterMemFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CRasterMemFile::CRasterMemFile(unsigned char* buffer, int32_t size)
    : m_buffer(buffer),
      m_size(buffer ? std::max<int32_t>(size, 0) : 0),
      m_freeOnClose(buffer == nullptr),
      m_position(0),
      m_capacity(m_size)
{
}

CRasterMemFile::~CRasterMemFile()
{
    Close();
}

bool CRasterMemFile::Open()
{
    if (m_buffer)
        return false;
    m_buffer = static_cast<unsigned char*>(malloc(1));
    if (!m_buffer)
        return false;
    m_position = m_size = m_capacity = 0;
    m_freeOnClose = true;
    return true;
}

unsigned char* CRasterMemFile::GetBuffer(bool detach)
{
    // Ownership of a caller's block never passes to the stream, whatever detach says.
    if (detach)
        m_freeOnClose = false;
    return m_buffer;
}

bool CRasterMemFile::Close()
{
    if (m_buffer && m_freeOnClose) {
        free(m_buffer);
        m_buffer = nullptr;
        m_size = 0;
    }
    return true;
}

size_t CRasterMemFile::Read(void* buffer, size_t size, size_t count)
{
    if (!buffer || !m_buffer || m_position >= m_size || size == 0 || count == 0)
        return 0;
    const uint64_t wanted = static_cast<uint64_t>(size) * count;
    if (count != 0 && wanted / count != size)
        return 0;
    const uint64_t available = static_cast<uint64_t>(m_size - m_position);
    const size_t bytes = static_cast<size_t>(std::min(wanted, available));
    memcpy(buffer, m_buffer + m_position, bytes);
    m_position += static_cast<int32_t>(bytes);
    return bytes / size;
}

// Makes room for the given number of bytes: the next multiple of 4096 above it (a write that ends
// exactly at the capacity grows it too). Fails, keeping buffer, size and position, when the memory
// cannot be had or the size would pass 2^31 - 1.
bool CRasterMemFile::Reserve(int64_t bytes)
{
    if (bytes < m_capacity)
        return true;
    const int64_t capacity = (bytes & ~static_cast<int64_t>(0xFFF)) + 0x1000;
    if (capacity > INT32_MAX)
        return false;
    unsigned char* grown = nullptr;
    if (m_buffer && m_freeOnClose) {
        grown = static_cast<unsigned char*>(realloc(m_buffer, static_cast<size_t>(capacity)));
    } else {
        grown = static_cast<unsigned char*>(malloc(static_cast<size_t>(capacity)));
        if (grown && m_buffer)
            memcpy(grown, m_buffer, static_cast<size_t>(m_size));
    }
    if (!grown)
        return false;
    m_buffer = grown;
    m_capacity = static_cast<int32_t>(capacity);
    m_freeOnClose = true;
    return true;
}

size_t CRasterMemFile::Write(const void* buffer, size_t size, size_t count)
{
    if (!m_buffer || !buffer || size == 0 || count == 0)
        return 0;
    const uint64_t bytes = static_cast<uint64_t>(size) * count;
    if (bytes / count != size || bytes > INT32_MAX)
        return 0;
    const int64_t end = static_cast<int64_t>(m_position) + static_cast<int64_t>(bytes);
    if (!Reserve(end))
        return 0;
    memcpy(m_buffer + m_position, buffer, static_cast<size_t>(bytes));
    m_position = static_cast<int32_t>(end);
    m_size = std::max(m_size, m_position);
    return count;
}

bool CRasterMemFile::Seek(int32_t offset, int origin)
{
    if (!m_buffer)
        return false;
    int64_t position = 0;
    switch (origin) {
    case SEEK_SET: position = offset; break;
    case SEEK_CUR: position = static_cast<int64_t>(m_position) + offset; break;
    case SEEK_END: position = static_cast<int64_t>(m_size) + offset; break;
    default: return false;
    }
    m_position = static_cast<int32_t>(std::clamp<int64_t>(position, 0, INT32_MAX));
    return true;
}

int32_t CRasterMemFile::Tell()
{
    return m_buffer ? m_position : -1;
}

int32_t CRasterMemFile::Size()
{
    return m_buffer ? m_size : -1;
}

bool CRasterMemFile::Flush()
{
    return m_buffer != nullptr;
}

bool CRasterMemFile::Eof()
{
    return !m_buffer || m_position >= m_size;
}

int32_t CRasterMemFile::Error()
{
    if (!m_buffer)
        return -1;
    return m_position > m_size ? 1 : 0;
}

bool CRasterMemFile::PutC(unsigned char byte)
{
    if (!m_buffer || !Reserve(static_cast<int64_t>(m_position) + 1))
        return false;
    m_buffer[m_position++] = byte;
    m_size = std::max(m_size, m_position);
    return true;
}

int32_t CRasterMemFile::GetC()
{
    if (Eof())
        return -1;
    return m_buffer[m_position++];
}

const unsigned char* CRasterMemFile::TakeRest(size_t& bytes)
{
    bytes = 0;
    if (Eof())
        return nullptr;
    const unsigned char* rest = m_buffer + m_position;
    bytes = static_cast<size_t>(m_size - m_position);
    m_position = m_size;
    return rest;
}
