#include "tests/imaging/RasterTestImages.h"

#include <sstream>

void FillPattern(CRasterImage& image, DWORD width, DWORD height, DWORD bpp)
{
    image.Create(width, height, bpp, 0);
    for (DWORD i = 0; i < image.GetNumColors(); ++i)
        image.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 7),
                              static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3));
    for (long y = 0; y < static_cast<long>(height); ++y)
        for (long x = 0; x < static_cast<long>(width); ++x) {
            if (image.GetNumColors())
                image.SetPixelIndex(x, y, static_cast<BYTE>((x * 5 + y * 3) % image.GetNumColors()));
            else
                image.SetPixelColor(x, y, RGB(x * 9, y * 11, (x + y) * 3));
        }
}

std::string ComparePixels(const CRasterImage& a, const CRasterImage& b)
{
    std::ostringstream out;
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBpp() != b.GetBpp()) {
        out << "size " << a.GetWidth() << "x" << a.GetHeight() << "x" << a.GetBpp() << " vs "
            << b.GetWidth() << "x" << b.GetHeight() << "x" << b.GetBpp();
        return out.str();
    }
    for (long y = 0; y < static_cast<long>(a.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(a.GetWidth()); ++x) {
            const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue) {
                out << "pixel (" << x << "," << y << ")";
                return out.str();
            }
        }
    return {};
}

namespace {

void Put(std::vector<BYTE>& out, DWORD value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

} // namespace

std::vector<BYTE> MakeBmpFile(const BmpFileSpec& spec)
{
    std::vector<BYTE> info;
    const bool os2 = spec.headerSize == 12;
    Put(info, spec.headerSize, 4);
    if (os2) {
        Put(info, static_cast<DWORD>(spec.width), 2);
        Put(info, static_cast<DWORD>(spec.height), 2);
        Put(info, 1, 2);
        Put(info, spec.bits, 2);
    } else {
        Put(info, static_cast<DWORD>(spec.width), 4);
        Put(info, static_cast<DWORD>(spec.height), 4);
        Put(info, 1, 2);
        Put(info, spec.bits, 2);
        Put(info, spec.compression, 4);
        Put(info, spec.sizeImage, 4);
        Put(info, 2835, 4);
        Put(info, 2835, 4);
        Put(info, spec.clrUsed, 4);
        Put(info, 0, 4);
        info.resize(spec.headerSize, 0);
        for (size_t i = 0; i < spec.headerMasks.size() && 44 + 4 * i <= info.size(); ++i)
            for (size_t b = 0; b < 4; ++b)
                info[40 + 4 * i + b] = static_cast<BYTE>(spec.headerMasks[i] >> (8 * b));
    }
    for (DWORD mask : spec.masks)
        Put(info, mask, 4);
    for (const RGBQUAD& q : spec.palette) {
        info.push_back(q.rgbBlue);
        info.push_back(q.rgbGreen);
        info.push_back(q.rgbRed);
        if (!os2)
            info.push_back(0);
    }
    std::vector<BYTE> out;
    if (spec.fileHeader) {
        out = {'B', 'M'};
        Put(out, static_cast<DWORD>(14 + info.size() + spec.pixels.size()), 4);
        Put(out, 0, 4);
        Put(out, static_cast<DWORD>(14 + info.size()), 4);
    }
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), spec.pixels.begin(), spec.pixels.end());
    return out;
}
