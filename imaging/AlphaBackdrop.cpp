#include "imaging/AlphaBackdrop.h"

#include "imaging/CRasterImage.h"

namespace {

BYTE Blend(BYTE front, BYTE back, unsigned alpha)
{
    return static_cast<BYTE>((front * alpha + back * (255u - alpha) + 127u) / 255u);
}

} // namespace

bool LayOverBackdrop(const CRasterImage& image, COLORREF backdrop, BackdropPicture& out)
{
    if (!image.AlphaIsValid() || !image.GetDIB())
        return false;
    const long width = static_cast<long>(image.GetWidth());
    const long height = static_cast<long>(image.GetHeight());
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    out.header = {};
    out.header.biSize = sizeof(BITMAPINFOHEADER);
    out.header.biWidth = width;
    out.header.biHeight = height;
    out.header.biPlanes = 1;
    out.header.biBitCount = 24;
    out.header.biCompression = BI_RGB;
    out.header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(height));
    out.bits.assign(out.header.biSizeImage, 0);
    const bool direct = image.GetBpp() == 24 && image.GetNumColors() == 0;
    for (long y = 0; y < height; ++y) {
        BYTE* row = out.bits.data() + stride * static_cast<size_t>(y);
        // 24-bit rows are read in place: a picture of millions of pixels is laid at every redraw.
        const BYTE* source = direct ? image.GetBits(static_cast<DWORD>(y)) : nullptr;
        for (long x = 0; x < width; ++x) {
            RGBQUAD c;
            if (source) {
                c = {source[x * 3], source[x * 3 + 1], source[x * 3 + 2], image.AlphaGet(x, y)};
            } else {
                c = image.GetPixelColor(x, y, true);
            }
            const unsigned alpha = c.rgbReserved;
            row[x * 3] = Blend(c.rgbBlue, GetBValue(backdrop), alpha);
            row[x * 3 + 1] = Blend(c.rgbGreen, GetGValue(backdrop), alpha);
            row[x * 3 + 2] = Blend(c.rgbRed, GetRValue(backdrop), alpha);
        }
    }
    return true;
}
