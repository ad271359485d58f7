// The stored preview picture of a drawing as a BMP file image (a PNG preview is converted), and
// drawing such a picture scaled into a device context.
#pragma once

#include <windows.h>

#include <string>

namespace RkIo {

class PreviewPicture
{
public:
    // The preview of a DWG file held in memory as a whole BMP file image, or "".
    static std::string BmpFromDrawingBytes(const std::string& bytes);
    // A PNG image to a 24-bit BMP file image, or "" when it cannot be decoded.
    static std::string PngToBmp(const unsigned char* png, std::size_t size);
    // Draws the BMP file image centred in width x height, keeping its proportions.
    static bool DrawScaled(HDC dc, const std::string& bmp, int width, int height);
};

} // namespace RkIo
