// Helpers for the portable tests (built natively and for Windows): the shared samples folder and
// reading whole files. No Windows header.
#pragma once

#include <cstdio>
#include <string>

namespace orvo::portable {

// The shared sample drawings folder with a trailing separator, or "" when it is absent.
std::string SamplesDir();
// The shared tools folder (the independent DWG reader that judges the writer's output) with a
// trailing separator, or "" when it is absent.
std::string ToolsDir();

inline std::string SamplePath(const std::string& dir, const std::string& relative)
{
    std::string path = dir + relative;
#ifdef _WIN32
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
#endif
    return path;
}

// The whole file, or "" when it cannot be read.
inline std::string ReadWholeFile(const std::string& path)
{
    std::string data;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return data;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    std::fclose(f);
    return data;
}

} // namespace orvo::portable

#define ORVO_PORTABLE_REQUIRE_SAMPLES(dir)                                               \
    const std::string dir = ::orvo::portable::SamplesDir();                              \
    if (dir.empty())                                                                     \
        GTEST_SKIP() << "the shared sample drawings folder is absent";
