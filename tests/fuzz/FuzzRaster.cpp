// libFuzzer target of the raster decoders: the first byte of an input picks the reader (BMP, GIF,
// JPEG, PNG, icon, TGA, PCX, WBMP, detection, and the PNM, PGX and Sun raster coders), the rest
// is the file. A decode must end cleanly, within the picture bounds: libFuzzer's memory limits
// catch a file that makes a reader allocate past them.
#include "imaging/ByteCursor.h"
#include "imaging/CRasterImage.h"
#include "imaging/CRasterImageJPG.h"
#include "imaging/CRasterMemFile.h"
#include "imaging/JasPicture.h"
#include "imaging/PgxCoder.h"
#include "imaging/PnmCoder.h"
#include "imaging/SunRasterCoder.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const DWORD kFormats[] = {RASTER_FORMAT_BMP,  RASTER_FORMAT_GIF, RASTER_FORMAT_JPG,
                          RASTER_FORMAT_PNG,  RASTER_FORMAT_ICO, RASTER_FORMAT_TGA,
                          RASTER_FORMAT_PCX,  RASTER_FORMAT_WBMP, RASTER_FORMAT_UNKNOWN};
constexpr size_t kFormatCount = sizeof kFormats / sizeof kFormats[0];
// Selectors past the formats: the coders of the JPEG-2000 family class.
constexpr size_t kPnm = kFormatCount, kPgx = kFormatCount + 1, kSun = kFormatCount + 2;
constexpr size_t kSelectors = kFormatCount + 3;

// A small picture of every index and a colour ramp, at the depth given.
void Pattern(CRasterImage& image, DWORD bpp)
{
    image.Create(13, 7, bpp, RASTER_FORMAT_BMP);
    for (DWORD i = 0; i < image.GetNumColors(); ++i)
        image.SetPaletteColor(BYTE(i), BYTE(i * 37), BYTE(i * 11), BYTE(255 - i));
    for (long y = 0; y < 7; ++y)
        for (long x = 0; x < 13; ++x) {
            if (bpp <= 8)
                image.SetPixelIndex(x, y, BYTE((x + y) % image.GetNumColors()));
            else
                image.SetPixelColor(x, y, RGBQUAD{BYTE(x * 19), BYTE(y * 35), BYTE(x * y), 0});
        }
}

void WriteSeed(const std::string& folder, const std::string& name, size_t selector,
               const BYTE* data, size_t size)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    const char first = char(selector);
    out.write(&first, 1);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// Seeds: the program's own encoding of a small picture in each format and depth it writes.
void MakeSeeds(const std::string& folder)
{
    for (size_t f = 0; f + 1 < kFormatCount; ++f)
        for (DWORD bpp : {1u, 4u, 8u, 24u}) {
            CRasterImage image;
            Pattern(image, bpp);
            if (kFormats[f] == RASTER_FORMAT_JPG && bpp == 24)
                image.SetCodecOption(CRasterImageJPG::ENC_PROGRESSIVE, RASTER_FORMAT_JPG);
            CRasterMemFile stream;
            stream.Open();
            if (!image.Encode(&stream, kFormats[f]))
                continue;
            WriteSeed(folder, "format" + std::to_string(f) + "-" + std::to_string(bpp) + ".bin", f,
                      stream.GetBuffer(false), size_t(stream.Size()));
        }
    const std::string pnm = "P6\n3 2\n255\n" + std::string(18, '\x40');
    WriteSeed(folder, "pnm.bin", kPnm, reinterpret_cast<const BYTE*>(pnm.data()), pnm.size());
    const std::string pgx = "PG ML + 8 3 2\n" + std::string(6, '\x20');
    WriteSeed(folder, "pgx.bin", kPgx, reinterpret_cast<const BYTE*>(pgx.data()), pgx.size());
    const BYTE sun[] = {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 8, 0, 0, 0, 4,
                        0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 3, 7, 1, 2, 3};
    WriteSeed(folder, "sun.bin", kSun, sun, sizeof sun);
}

void DecodeCoder(size_t selector, const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    ByteCursor in(bytes);
    JasPicture picture;
    if (selector == kPnm)
        PnmCoder::Read(in, picture);
    else if (selector == kPgx)
        PgxCoder::Read(in, picture);
    else
        SunRasterCoder::Read(in, picture);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS"))
        MakeSeeds(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t selector = data[0] % kSelectors;
    if (selector >= kFormatCount) {
        DecodeCoder(selector, data + 1, size - 1);
        return 0;
    }
    CRasterImage image;
    // The stream reads the bytes in place and never writes them.
    CRasterMemFile stream(const_cast<uint8_t*>(data + 1), int32_t(size - 1));
    if (image.Decode(&stream, kFormats[selector]) && image.IsValid() &&
        (image.GetWidth() == 0 || image.GetHeight() == 0))
        std::abort(); // a decoded picture always has pixels
    return 0;
}
