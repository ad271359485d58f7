#include "kit/KFileBuffer.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

bool KFileBuffer::Allocate(uint32_t size)
{
    Free();
    if (size == 0)
        return false;
    m_data = static_cast<uint8_t*>(std::malloc(size));
    if (!m_data)
        return false;
    m_cursor = m_data;
    m_size = size;
    m_reserved = size;
    return true;
}

void KFileBuffer::Free()
{
    std::free(m_data);
    m_data = nullptr;
    m_cursor = nullptr;
    m_size = 0;
    m_reserved = 0;
}

void KFileBuffer::TrimKept()
{
    if (m_reserved > kMaxKeptBytes)
        Free();
}

bool KFileBuffer::LoadFile(const char* path)
{
    Free();
    return ReloadFile(path);
}

bool KFileBuffer::ReloadFile(const char* path)
{
    if (!path) {
        Free();
        return false;
    }
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    int64_t length = -1;
    if (file && _fseeki64(file.get(), 0, SEEK_END) == 0)
        length = _ftelli64(file.get());
    if (length <= 0 || length > kMaxFileBytes || _fseeki64(file.get(), 0, SEEK_SET) != 0) {
        Free();
        return false;
    }
    const uint32_t size = static_cast<uint32_t>(length);
    if (m_data && size <= m_reserved && m_reserved <= kMaxKeptBytes) {
        m_cursor = m_data;
        m_size = size;
    } else if (!Allocate(size)) {
        return false;
    }
    if (std::fread(m_data, 1, size, file.get()) != size) {
        Free();
        return false;
    }
    return true;
}
