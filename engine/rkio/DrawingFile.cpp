#include "engine/rkio/DrawingFile.h"

#include <windows.h>

#include <algorithm>

namespace RkIo {

namespace {

// Owns a file handle.
class FileHandle
{
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

} // namespace

bool DrawingFile::ReadAll(const char* path, std::string& bytes)
{
    unsigned long long size = 0;
    return ReadHead(path, kMaxSize, bytes, size) && bytes.size() == size;
}

bool DrawingFile::ReadHead(const char* path, unsigned long long limit, std::string& bytes,
                           unsigned long long& fileSize)
{
    bytes.clear();
    fileSize = 0;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxSize)
        return false;
    fileSize = static_cast<unsigned long long>(size.QuadPart);
    try {
        bytes.resize(static_cast<std::size_t>(std::min(fileSize, limit)));
    } catch (...) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(file.Get(), &bytes[done], chunk, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    bytes.resize(done);     // a file that shrank while being read is taken as it was read
    if (done < fileSize && limit >= fileSize)
        fileSize = done;
    return true;
}

} // namespace RkIo
