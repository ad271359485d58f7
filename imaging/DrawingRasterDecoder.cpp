#include "imaging/DrawingRasterDecoder.h"

#include "imaging/AreaShrink.h"
#include "imaging/KImage.h"

#include <windows.h>

#include <algorithm>
#include <memory>

namespace {

// The engine's paths are UTF-8; the codecs open files by the system's code page.
std::string SystemPath(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return utf8;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
    const int m = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (m <= 0)
        return utf8;
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), m, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(m - 1));
    return out;
}

} // namespace

bool DrawingRasterDecoder::Decode(const std::string& path, int fitWidth, int fitHeight,
                                  RkDraw::RasterPicture& out)
{
    if (fitWidth <= 0 || fitHeight <= 0)
        return false;
    const std::unique_ptr<CRasterImage> image =
        LoadRasterImage(SystemPath(path).c_str(), -1, static_cast<DWORD>(fitWidth), static_cast<DWORD>(fitHeight));
    return image && Deliver(*image, fitWidth, fitHeight, out);
}

bool DrawingRasterDecoder::DecodeBytes(const std::string& bytes, int fitWidth, int fitHeight,
                                       RkDraw::RasterPicture& out)
{
    if (fitWidth <= 0 || fitHeight <= 0 || bytes.empty())
        return false;
    CRasterImage image(RASTER_FORMAT_UNKNOWN);
    image.SetDecodeFitBox(static_cast<DWORD>(fitWidth), static_cast<DWORD>(fitHeight));
    if (!image.Decode(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                      RASTER_FORMAT_UNKNOWN))
        return false;
    return Deliver(image, fitWidth, fitHeight, out);
}

bool DrawingRasterDecoder::Deliver(const CRasterImage& image, int fitWidth, int fitHeight,
                                   RkDraw::RasterPicture& out)
{
    if (!image.IsValid() || image.GetWidth() == 0 || image.GetHeight() == 0)
        return false;
    // Each side as the view needs it, never more than the picture has (24 bits, rows upwards).
    const DWORD width = std::min<DWORD>(image.GetWidth(), static_cast<DWORD>(fitWidth));
    const DWORD height = std::min<DWORD>(image.GetHeight(), static_cast<DWORD>(fitHeight));
    const std::unique_ptr<CRasterImage> shrunk = ShrinkByArea(image, width, height);
    if (!shrunk || shrunk->GetBpp() != 24)
        return false;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.bitonal = image.GetBpp() == 1;
    out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* row = shrunk->GetBits(height - 1 - y);
        if (!row)
            return false;
        std::uint32_t* target = out.pixels.data() + static_cast<std::size_t>(y) * width;
        for (DWORD x = 0; x < width; ++x)
            target[x] = (static_cast<std::uint32_t>(row[3 * x + 2]) << 16) |
                        (static_cast<std::uint32_t>(row[3 * x + 1]) << 8) | row[3 * x];
    }
    return true;
}
