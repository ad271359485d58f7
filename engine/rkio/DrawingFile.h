// Reading a drawing file whole, with its size checked, and the head of a file for its preview.
#pragma once

#include <string>

namespace RkIo {

class DrawingFile
{
public:
    // Files above this size are refused rather than read into memory.
    static constexpr unsigned long long kMaxSize = 1024ull * 1024ull * 1024ull;
    static bool ReadAll(const char* path, std::string& bytes);
    // The first limit bytes of the file (fewer when it is shorter) and the file's whole size.
    static bool ReadHead(const char* path, unsigned long long limit, std::string& bytes, unsigned long long& fileSize);
};

} // namespace RkIo
