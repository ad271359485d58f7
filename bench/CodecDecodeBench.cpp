// Decode speed of a 12-megapixel JPEG, PNG and TIFF through CRasterImage, next to the same decode
// done with the codec library alone, and their ratio: the cost of the glue (goal: under 1.2).
//   CodecDecodeBench.exe [runs] [folder]
// With a folder, the encoded files are also written there (bench.jpg, bench.png, bench.tif), so that
// the library's own native tools can be timed on the very same bytes.
#include "imaging/CRasterImage.h"
#include "imaging/CRasterMemFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace {

constexpr DWORD kWidth = 4000;
constexpr DWORD kHeight = 3000;

using Bytes = std::vector<BYTE>;

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// The best of several runs, in seconds.
double Best(int runs, const std::function<bool()>& decode)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = Seconds();
        if (!decode()) {
            std::puts("decode failed");
            return 0;
        }
        best = std::min(best, Seconds() - start);
    }
    return best;
}

// A photograph-like picture: smooth gradients with a little noise.
void MakePicture(CRasterImage& image)
{
    image.Create(kWidth, kHeight, 24, 0);
    uint32_t seed = 1;
    for (DWORD y = 0; y < kHeight; ++y) {
        BYTE* row = image.GetBits(y);
        for (DWORD x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            row[3 * x] = BYTE(std::clamp(int(x * 255 / kWidth) + noise, 0, 255));
            row[3 * x + 1] = BYTE(std::clamp(int(y * 255 / kHeight) + noise, 0, 255));
            row[3 * x + 2] = BYTE(std::clamp(int((x + y) * 255 / (kWidth + kHeight)) + noise, 0, 255));
        }
    }
}

Bytes Encode(CRasterImage& image, DWORD format)
{
    CRasterMemFile stream;
    stream.Open();
    if (!image.Encode(&stream, format))
        return Bytes();
    return Bytes(stream.GetBuffer(false), stream.GetBuffer(false) + stream.Size());
}

bool JpegAlone(const Bytes& file, Bytes& pixels)
{
    jpeg_decompress_struct cinfo = {};
    jpeg_error_mgr errors = {};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * cinfo.output_components;
    pixels.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &pixels[stride * cinfo.output_scanline];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct MemoryReader
{
    const Bytes* file;
    size_t position;
};

void PngRead(png_structp png, png_bytep data, png_size_t length)
{
    MemoryReader* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (r->position + length > r->file->size())
        png_error(png, "short");
    std::memcpy(data, r->file->data() + r->position, length);
    r->position += length;
}

bool PngAlone(const Bytes& file, Bytes& pixels)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{&file, 0};
    png_set_read_fn(png, &reader, PngRead);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const size_t stride = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(stride * height);
    for (png_uint_32 y = 0; y < height; ++y)
        png_read_row(png, &pixels[stride * y], nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool TiffAlone(const std::string& path, Bytes& pixels)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return false;
    uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    pixels.resize(size_t(width) * height * 4);
    const bool ok = TIFFReadRGBAImage(tif, width, height, reinterpret_cast<uint32_t*>(pixels.data()), 1);
    TIFFClose(tif);
    return ok;
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

std::string WriteTemporary(const Bytes& bytes)
{
    char folder[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "obn", 0, path);
    WriteBytes(path, bytes);
    return path;
}

void Keep(const std::string& folder, const char* name, const Bytes& bytes)
{
    if (folder.empty())
        return;
    WriteBytes(folder + "\\bench." + name, bytes);
}

void Report(const char* name, const Bytes& file, double glue, double alone)
{
    const double megapixels = kWidth * kHeight / 1e6;
    std::printf("%-5s %9zu bytes  CRasterImage %7.2f MP/s  library alone %7.2f MP/s  ratio %.2f\n",
                name, file.size(), glue > 0 ? megapixels / glue : 0, alone > 0 ? megapixels / alone : 0,
                alone > 0 ? glue / alone : 0);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string keepFolder = argc > 2 ? argv[2] : "";
    CRasterImage picture;
    MakePicture(picture);
    const struct
    {
        const char* name;
        const char* extension;
        DWORD format;
    } formats[] = {{"JPEG", "jpg", RASTER_FORMAT_JPG}, {"PNG", "png", RASTER_FORMAT_PNG}, {"TIFF", "tif", RASTER_FORMAT_TIF}};
    std::printf("decode of a %lux%lu picture, best of %d runs\n", kWidth, kHeight, runs);
    for (const auto& f : formats) {
        const Bytes file = Encode(picture, f.format);
        if (file.empty()) {
            std::printf("%s: encode failed: %s\n", f.name, picture.GetLastError());
            continue;
        }
        Keep(keepFolder, f.extension, file);
        const double glue = Best(runs, [&] {
            CRasterImage image;
            return image.Decode(file.data(), DWORD(file.size()), f.format);
        });
        double alone = 0;
        if (f.format == RASTER_FORMAT_JPG) {
            alone = Best(runs, [&] {
                Bytes pixels; // a fresh buffer each time, as the image's own
                return JpegAlone(file, pixels);
            });
        } else if (f.format == RASTER_FORMAT_PNG) {
            alone = Best(runs, [&] {
                Bytes pixels;
                return PngAlone(file, pixels);
            });
        } else {
            const std::string path = WriteTemporary(file);
            alone = Best(runs, [&] {
                Bytes pixels;
                return TiffAlone(path, pixels);
            });
            DeleteFileA(path.c_str());
        }
        Report(f.name, file, glue, alone);
    }
    return 0;
}
