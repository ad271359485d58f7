#include "engine/rkio/PreviewPicture.h"

#include "engine/preview/StoredPreview.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace RkIo {

namespace {

// Largest preview accepted from a file (a DWG stores thumbnails of a few hundred pixels).
constexpr png_uint_32 kMaxPreviewSide = 4096;

struct PngSource
{
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos)
        png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

void Put32At(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Put16At(std::string& s, std::size_t at, std::uint16_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

// The BMP file is made at its full size at once and its rows written in place: the workers make
// these side by side, and each growth of the block was another trip through the shared heap.
std::string MakeBmp24(int width, int height, const std::vector<unsigned char>& rgbTopDown)
{
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    std::string bmp(54 + static_cast<std::size_t>(imageSize), '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32At(bmp, 2, 54 + imageSize);
    Put32At(bmp, 10, 54);
    Put32At(bmp, 14, 40);
    Put32At(bmp, 18, static_cast<std::uint32_t>(width));
    Put32At(bmp, 22, static_cast<std::uint32_t>(height));
    Put16At(bmp, 26, 1);
    Put16At(bmp, 28, 24);
    Put32At(bmp, 34, imageSize);
    Put32At(bmp, 38, 2835);
    Put32At(bmp, 42, 2835);
    for (int y = 0; y < height; ++y) {
        const unsigned char* src = &rgbTopDown[static_cast<std::size_t>(y) * width * 3];
        char* row = &bmp[54 + static_cast<std::size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<char>(src[x * 3 + 2]);
            row[x * 3 + 1] = static_cast<char>(src[x * 3 + 1]);
            row[x * 3 + 2] = static_cast<char>(src[x * 3]);
        }
    }
    return bmp;
}

} // namespace

std::string PreviewPicture::PngToBmp(const unsigned char* data, std::size_t size)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return {};
    png_infop info = png_create_info_struct(png);
    std::string result;
    std::vector<unsigned char> pixels;
    std::vector<png_bytep> rows;
    PngSource source{data, size, 0};
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &source, ReadFromMemory);
        png_read_info(png, info);
        const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
        if (w == 0 || h == 0 || w > kMaxPreviewSide || h > kMaxPreviewSide)
            png_error(png, "size");
        png_set_strip_16(png);
        png_set_palette_to_rgb(png);
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
        // Transparent parts show the paper colour.
        png_color_16 white = {0, 255, 255, 255, 255};
        png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
        png_set_strip_alpha(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != w * 3)
            png_error(png, "format");
        pixels.resize(static_cast<std::size_t>(w) * h * 3);
        for (png_uint_32 y = 0; y < h; ++y)
            rows.push_back(&pixels[static_cast<std::size_t>(y) * w * 3]);
        png_read_image(png, rows.data());
        result = MakeBmp24(static_cast<int>(w), static_cast<int>(h), pixels);
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return result;
}

std::string PreviewPicture::BmpFromDrawingBytes(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t offset = 0, length = 0;
    switch (RkPreview::StoredPreview::Find(data, bytes.size(), offset, length)) {
    case RkPreview::StoredPreview::Kind::Dib:
        return RkPreview::StoredPreview::DibToBmpFile(data + offset, length);
    case RkPreview::StoredPreview::Kind::Png:
        return PngToBmp(data + offset, length);
    case RkPreview::StoredPreview::Kind::None:
        break;
    }
    return {};
}

bool PreviewPicture::DrawScaled(HDC dc, const std::string& bmp, int width, int height)
{
    if (bmp.size() < 54)
        return false;
    const auto* file = reinterpret_cast<const BITMAPFILEHEADER*>(bmp.data());
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bmp.data() + sizeof(BITMAPFILEHEADER));
    const LONG bw = info->bmiHeader.biWidth, bh = std::abs(info->bmiHeader.biHeight);
    if (bw <= 0 || bh <= 0 || bw > 65536 || bh > 65536 || file->bfOffBits >= bmp.size())
        return false;
    // The bits must all be there (uncompressed rows padded to 4 bytes).
    const unsigned long long stride = (static_cast<unsigned long long>(bw) * info->bmiHeader.biBitCount + 31) / 32 * 4;
    if (info->bmiHeader.biCompression == BI_RGB && file->bfOffBits + stride * bh > bmp.size())
        return false;
    const double scale = std::min(static_cast<double>(width) / bw, static_cast<double>(height) / bh);
    const int w = static_cast<int>(bw * scale), h = static_cast<int>(bh * scale);
    SetStretchBltMode(dc, HALFTONE);
    return StretchDIBits(dc, (width - w) / 2, (height - h) / 2, w, h, 0, 0, bw, bh,
                         bmp.data() + file->bfOffBits, info, DIB_RGB_COLORS, SRCCOPY) != 0;
}

} // namespace RkIo
