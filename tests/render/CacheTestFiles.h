// Builders of cache files for the tests: library headers and records, and per-drive index
// files, written byte by byte as the format lays them out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace cachetest {

inline void PutU32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void PutU64(std::string& out, uint64_t value)
{
    PutU32(out, static_cast<uint32_t>(value));
    PutU32(out, static_cast<uint32_t>(value >> 32));
}

inline void PutText(std::string& out, const std::string& text)
{
    out += text;
    out += '\0';
}

// A library header for folder with the given version and thumbnail size.
inline std::string LibHeader(const std::string& folder, uint32_t version, uint32_t width,
                             uint32_t height)
{
    std::string out = "OrvoKestalImageCacheLib";
    PutU32(out, version);
    const uint64_t first = 27 + 8 + folder.size() + 1 + 8;
    PutU64(out, first);
    PutText(out, folder);
    PutU32(out, width);
    PutU32(out, height);
    return out;
}

// The drive identity of path's drive, as the index reads it.
inline bool DriveIdentity(const std::string& path, uint32_t& type, uint32_t& serial)
{
    const std::string root = path.substr(0, path.find('\\') + 1);
    DWORD volumeSerial = 0;
    if (!GetVolumeInformationA(root.c_str(), nullptr, 0, &volumeSerial, nullptr, nullptr,
                               nullptr, 0))
        return false;
    type = GetDriveTypeA(root.c_str());
    serial = volumeSerial;
    return true;
}

// Start of a per-drive index file: identity and the root record.
inline std::string DriveIndexHeader(uint32_t type, uint32_t serial, const std::string& rootLib)
{
    std::string out("OrvoKestalImageCacheLibIndexFile", 33);
    PutU32(out, 10);
    PutU64(out, 53);
    PutU32(out, type);
    PutU32(out, serial);
    out += static_cast<char>(rootLib.empty() ? 0 : 1);
    if (!rootLib.empty())
        PutText(out, rootLib);
    return out;
}

} // namespace cachetest
