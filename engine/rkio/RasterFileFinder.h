// Finds the file of a raster image as CAD programs do: the path its image definition stores (a
// relative one from the drawing's folder), then the drawing's own folder with the file's name,
// then each search folder with it. Paths in and out are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace RkIo {

class RasterFileFinder
{
public:
    RasterFileFinder(std::string drawingPath, std::vector<std::string> searchFolders);

    // The file to read, or "" when none of the places holds it.
    std::string Find(const std::string& stored) const;

    static bool IsFile(const std::string& path);
    static std::string FileName(const std::string& path);
    static std::string Folder(const std::string& path);

private:
    static bool IsAbsolute(const std::string& path);
    static std::string Join(const std::string& folder, const std::string& name);

    std::string m_drawingFolder;
    std::vector<std::string> m_searchFolders;
};

} // namespace RkIo
