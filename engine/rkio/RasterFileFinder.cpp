#include "engine/rkio/RasterFileFinder.h"

#include <windows.h>

namespace RkIo {

namespace {

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

} // namespace

RasterFileFinder::RasterFileFinder(std::string drawingPath, std::vector<std::string> searchFolders)
    : m_drawingFolder(Folder(drawingPath)), m_searchFolders(std::move(searchFolders))
{
}

std::string RasterFileFinder::Find(const std::string& stored) const
{
    if (stored.empty())
        return {};
    const std::string asStored = IsAbsolute(stored) ? stored : Join(m_drawingFolder, stored);
    if (IsFile(asStored))
        return asStored;
    const std::string name = FileName(stored);
    if (name.empty())
        return {};
    const std::string beside = Join(m_drawingFolder, name);
    if (IsFile(beside))
        return beside;
    for (const std::string& folder : m_searchFolders) {
        const std::string there = Join(folder, name);
        if (!folder.empty() && IsFile(there))
            return there;
    }
    return {};
}

bool RasterFileFinder::IsFile(const std::string& path)
{
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Drawings made on other systems store either separator.
std::string RasterFileFinder::FileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RasterFileFinder::Folder(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool RasterFileFinder::IsAbsolute(const std::string& path)
{
    return path[0] == '\\' || path[0] == '/' || (path.size() > 1 && path[1] == ':');
}

std::string RasterFileFinder::Join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

} // namespace RkIo
