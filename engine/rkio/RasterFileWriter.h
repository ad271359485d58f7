// Writes a bitmap as an uncompressed 24-bit TIFF or BMP file, through a temporary file beside the
// target that is renamed over it, so a failed write leaves the old file as it was.
#pragma once

#include <windows.h>

#include <string>

namespace RkIo {

class RasterFileWriter
{
public:
    enum Format { kBmp = 1, kTiff = 3 };
    static bool Save(HBITMAP bitmap, int format, const char* path);
    // The file image of a 24-bit bottom-up DIB's pixels (rows padded to 4 bytes).
    static std::string Tiff(int width, int height, const std::string& bottomUpBgr);
    static std::string Bmp(int width, int height, const std::string& bottomUpBgr);
};

} // namespace RkIo
