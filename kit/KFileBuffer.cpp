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

bool KFileBuffer::LoadFile(const char* path)
{
    Free();
    if (!path)
        return false;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file || _fseeki64(file.get(), 0, SEEK_END) != 0)
        return false;
    const int64_t length = _ftelli64(file.get());
    if (length <= 0 || length > kMaxFileBytes || _fseeki64(file.get(), 0, SEEK_SET) != 0)
        return false;
    const uint32_t size = static_cast<uint32_t>(length);
    if (!Allocate(size))
        return false;
    if (std::fread(m_data, 1, size, file.get()) != size) {
        Free();
        return false;
    }
    return true;
}
