#include "imaging/CRasterImagePNG.h"

#include "imaging/CRasterFile.h"
#include "imaging/DataBound.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

struct PngDecodeJob
{
    png_structp png;
    png_infop info;
    png_bytep row;
    int colorType;
    int passes;
    bool alpha;     // 4-byte rows B, G, R, A split into the pixels and the alpha plane
    bool twoBit;    // 2-bit files are unpacked to a byte per pixel and stored as 4 bits
    // The file's own palette and transparency, taken before libpng's transformations change them.
    int paletteCount;
    png_color palette[256];
    int transCount;
    png_byte trans[256];
};

struct PngEncodeJob
{
    png_structp png;
    png_infop info;
    png_bytep row;
    png_color palette[256];
    png_byte alpha[256];
    int colorType;
};

namespace {

constexpr png_uint_32 kMostPngSide = 1000000;
constexpr png_uint_32 kMostPngChunks = 1000;
constexpr png_alloc_size_t kMostPngChunkBytes = 8u * 1024u * 1024u;
// libpng's own blocks: chunk data and rows (a row of a million 64-bit pixels is 8 MB). libpng
// only warns about a chunk beyond its chunk limit and then allocates it, so a chunk length of
// two gigabytes in a file of 57 bytes would be taken: its allocator refuses instead.
constexpr png_alloc_size_t kMostPngBlockBytes = 2 * kMostPngChunkBytes + 4096;
const char kCreateFailed[] = "Failed to create PNG structure";
const char kInfoFailed[] = "Failed to initialize PNG info structure";

void ErrorFn(png_structp png, png_const_charp message)
{
    char* lastError = static_cast<char*>(png_get_error_ptr(png));
    if (lastError && message) {
        std::strncpy(lastError, message, 255);
        lastError[255] = 0;
    }
    png_longjmp(png, 1);
}

// libpng's warnings are about chunks it drops; the picture decodes without them.
void QuietWarning(png_structp, png_const_charp) {}

png_voidp BoundedMalloc(png_structp, png_alloc_size_t size)
{
    return size <= kMostPngBlockBytes ? std::malloc(size) : nullptr;
}

void BoundedFree(png_structp, png_voidp block)
{
    std::free(block);
}

void ReadFn(png_structp png, png_bytep data, png_size_t length)
{
    CRasterFile* stream = static_cast<CRasterFile*>(png_get_io_ptr(png));
    if (stream->Read(data, 1, length) != length)
        png_error(png, "Read Error");
}

void WriteFn(png_structp png, png_bytep data, png_size_t length)
{
    CRasterFile* stream = static_cast<CRasterFile*>(png_get_io_ptr(png));
    if (stream->Write(data, 1, length) != length)
        png_error(png, "Write Error");
}

void FlushFn(png_structp png)
{
    if (!static_cast<CRasterFile*>(png_get_io_ptr(png))->Flush())
        png_error(png, "Flush Error");
}

// Largest palette index any pixel uses.
DWORD LargestIndex(const CRasterImagePNG& image)
{
    DWORD largest = 0;
    for (DWORD y = 0; y < image.GetHeight(); ++y)
        for (DWORD x = 0; x < image.GetWidth(); ++x)
            largest = std::max<DWORD>(largest, image.GetPixelIndex(long(x), long(y)));
    return largest;
}

// The image the encoder writes: the caller's own, or a copy with the changes the file needs.
std::unique_ptr<CRasterImagePNG> PrepareForEncode(const CRasterImagePNG& image)
{
    const LONG trans = image.GetTransIndex();
    const bool moveIndex = image.IsIndexed() && trans > 0;
    const bool colourToAlpha = !image.IsIndexed() && trans >= 0;
    if (!moveIndex && !colourToAlpha)
        return nullptr;
    auto copy = std::make_unique<CRasterImagePNG>();
    copy->Copy(image, true, false, true);
    if (moveIndex) {
        copy->SwapIndex(0, static_cast<BYTE>(trans));
        copy->SetTransIndex(0);
    } else {
        copy->AlphaCreate();
        const RGBQUAD t = image.GetTransColor();
        for (DWORD y = 0; y < copy->GetHeight(); ++y)
            for (DWORD x = 0; x < copy->GetWidth(); ++x) {
                const RGBQUAD p = copy->GetPixelColor(long(x), long(y), false);
                if (p.rgbRed == t.rgbRed && p.rgbGreen == t.rgbGreen && p.rgbBlue == t.rgbBlue)
                    copy->AlphaSet(long(x), long(y), 0);
            }
    }
    return copy;
}

} // namespace

bool CRasterImagePNG::Decode(CRasterFile* stream)
{
    if (stream == nullptr)
        return false;
    PngDecodeJob job = {};
    job.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, m_info.szLastError, ErrorFn, QuietWarning,
                                       nullptr, BoundedMalloc, BoundedFree);
    if (job.png == nullptr) {
        SetLastError(kCreateFailed);
        return false;
    }
    job.info = png_create_info_struct(job.png);
    if (job.info == nullptr) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        SetLastError(kInfoFailed);
        return false;
    }
    const bool decoded = DecodePng(job, stream);
    png_free(job.png, job.row);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    return decoded;
}

bool CRasterImagePNG::DecodePng(PngDecodeJob& job, CRasterFile* stream)
{
    if (setjmp(png_jmpbuf(job.png)))
        return false; // the error function stored libpng's message
    png_set_read_fn(job.png, stream, ReadFn);
    // Ancillary chunks are kept small and few (a forged text or profile chunk would otherwise
    // take a gigabyte before the picture fails); the sides stay within what an image can hold.
    png_set_user_limits(job.png, kMostPngSide, kMostPngSide);
    png_set_chunk_cache_max(job.png, kMostPngChunks);
    png_set_chunk_malloc_max(job.png, kMostPngChunkBytes);
    png_read_info(job.png, job.info);
    if (Overclaimed(job, DataBound::BytesLeft(*stream)))
        return false;
    if (!PrepareDecode(job) || m_info.nEscape != 0)
        return false;
    job.row = static_cast<png_bytep>(
        png_malloc(job.png, std::max<png_size_t>(png_get_rowbytes(job.png, job.info),
                                                 size_t(GetWidth()) * 4) + 10));
    if (!ReadRows(job))
        return false;
    png_read_end(job.png, nullptr);
    return true;
}

// Deflate fills at most 1032 bytes from one: a picture far beyond what the rest of the file can
// fill is refused before its memory is taken (libpng has read the first image data chunk's
// header, which is counted too).
bool CRasterImagePNG::Overclaimed(const PngDecodeJob& job, uint64_t bytesLeft)
{
    const uint64_t bits = uint64_t(png_get_channels(job.png, job.info)) * png_get_bit_depth(job.png, job.info);
    const uint64_t pixels = uint64_t(png_get_image_width(job.png, job.info)) *
                            png_get_image_height(job.png, job.info);
    // A picture beyond the memory limit is left to Create, which says so.
    if (!FitsInMemory(png_get_image_width(job.png, job.info), png_get_image_height(job.png, job.info),
                      bits >= 24 ? 24 : DWORD(std::min<uint64_t>(bits, 8))) ||
        !DataBound::Overclaims(pixels, bytesLeft + 8, DataBound::DeflatePixelsPerByte(bits)))
        return false;
    SetLastError("PNG: the picture is larger than its data can fill");
    return true;
}

bool CRasterImagePNG::PrepareDecode(PngDecodeJob& job)
{
    png_structp png = job.png;
    png_infop info = job.info;
    const int bitDepth = png_get_bit_depth(png, info);
    job.colorType = png_get_color_type(png, info);
    png_color_16p background = nullptr;
    const bool hasBackground = png_get_bKGD(png, info, &background) != 0 && background;
    // Every picture with an alpha channel keeps it, at either depth (its colours are not laid
    // over a background: the viewer shows what is behind a transparent picture). A grey or
    // colour picture that names one colour transparent gets the channel that colour makes.
    const bool keyed = job.colorType != PNG_COLOR_TYPE_PALETTE && (job.colorType & PNG_COLOR_MASK_ALPHA) == 0 &&
                       png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    job.alpha = (job.colorType & PNG_COLOR_MASK_ALPHA) != 0 || keyed;
    if (job.alpha) {
        // The background colour is kept as the transparent colour, in 8 bits.
        const int shift = bitDepth == 16 ? 8 : 0;
        if (hasBackground)
            SetTransColor(RGBQUAD{BYTE(background->blue >> shift), BYTE(background->green >> shift),
                                  BYTE(background->red >> shift), 0});
    } else if (hasBackground) {
        png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
        png_color_16 grey = {0, 192, 192, 192, 0};
        png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (job.alpha) {
        if (keyed)
            png_set_tRNS_to_alpha(png);
        if ((job.colorType & PNG_COLOR_MASK_COLOR) == 0) {
            png_set_gray_to_rgb(png);
            png_set_expand(png);
        }
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    if (job.colorType & PNG_COLOR_MASK_COLOR)
        png_set_bgr(png);
    job.twoBit = bitDepth == 2 && !job.alpha;
    if (job.twoBit)
        png_set_packing(png);
    job.passes = png_set_interlace_handling(png);
    KeepPalette(job);
    png_read_update_info(png, info);
    return CreateImage(job);
}

// The depth follows what libpng delivers, so rows always match the image they land in.
bool CRasterImagePNG::CreateImage(PngDecodeJob& job)
{
    png_structp png = job.png;
    png_infop info = job.info;
    const int channels = png_get_channels(png, info);
    const int outDepth = png_get_bit_depth(png, info);
    job.alpha = job.alpha && channels == 4;
    const DWORD bpp = channels >= 3 ? 24 : job.twoBit ? 4 : DWORD(outDepth * channels);
    if (!Create(png_get_image_width(png, info), png_get_image_height(png, info), bpp,
                RASTER_FORMAT_PNG))
        return false;
    ReadResolution(job);
    ReadPalette(job);
    if (job.alpha)
        AlphaCreate();
    SetCodecOption(job.passes > 1 ? 1 : 0, RASTER_FORMAT_PNG);
    return !job.alpha || AlphaIsValid();
}

void CRasterImagePNG::ReadResolution(const PngDecodeJob& job)
{
    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (!png_get_pHYs(job.png, job.info, &resX, &resY, &unit))
        return;
    if (unit == PNG_RESOLUTION_UNKNOWN) {
        SetXDPI(LONG(resX));
        SetYDPI(LONG(resY));
    } else if (unit == PNG_RESOLUTION_METER) {
        SetXDPI(LONG(std::floor(resX * 0.0254 + 0.5)));
        SetYDPI(LONG(std::floor(resY * 0.0254 + 0.5)));
    }
}

void CRasterImagePNG::ReadPalette(PngDecodeJob& job)
{
    if (job.paletteCount > 0) {
        const DWORD n = std::min<DWORD>(DWORD(job.paletteCount), GetNumColors());
        for (DWORD i = 0; i < n; ++i)
            SetPaletteColor(BYTE(i), job.palette[i].red, job.palette[i].green, job.palette[i].blue);
    } else if (job.twoBit) {
        for (BYTE i = 0; i < 4; ++i)
            SetPaletteColor(i, BYTE(85 * i), BYTE(85 * i), BYTE(85 * i));
    } else {
        SetGrayPalette();
    }
    const png_bytep alpha = job.trans;
    const int numTrans = job.transCount;
    if (numTrans <= 0 || !IsIndexed())
        return;
    RGBQUAD* entries = GetPalette();
    const DWORD n = std::min<DWORD>(DWORD(numTrans), GetNumColors());
    for (DWORD i = 0; i < n; ++i)
        entries[i].rgbReserved = alpha[i];
    if (numTrans == 1 && alpha[0] == 0) {
        SetTransIndex(0);
        return;
    }
    m_info.bAlphaPaletteEnabled = true;
    for (DWORD i = n; i < GetNumColors(); ++i)
        entries[i].rgbReserved = 255;
}

void CRasterImagePNG::KeepPalette(PngDecodeJob& job)
{
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(job.png, job.info, &palette, &count) && palette && count > 0) {
        job.paletteCount = std::min(count, 256);
        std::memcpy(job.palette, palette, sizeof(png_color) * size_t(job.paletteCount));
    }
    png_bytep alpha = nullptr;
    if (job.colorType == PNG_COLOR_TYPE_PALETTE &&
        png_get_tRNS(job.png, job.info, &alpha, &count, nullptr) && alpha && count > 0) {
        job.transCount = std::min(count, 256);
        std::memcpy(job.trans, alpha, size_t(job.transCount));
    }
}

bool CRasterImagePNG::ReadRows(PngDecodeJob& job)
{
    for (int pass = 0; pass < job.passes; ++pass)
        for (DWORD y = GetHeight(); y-- > 0;) {
            if (m_info.nEscape != 0)
                return false;
            // Later passes of an interlaced file merge into the row read so far.
            if (pass > 0)
                LoadRow(job, y, job.row);
            png_read_row(job.png, job.row, nullptr);
            StoreRow(job, y, job.row);
        }
    return true;
}

void CRasterImagePNG::LoadRow(const PngDecodeJob& job, DWORD y, BYTE* row) const
{
    const BYTE* bits = GetBits(y);
    const DWORD width = GetWidth();
    if (job.alpha) {
        for (DWORD x = 0; x < width; ++x) {
            std::memcpy(row + 4 * x, bits + 3 * x, 3);
            row[4 * x + 3] = AlphaGet(long(x), long(y));
        }
    } else if (job.twoBit) {
        for (DWORD x = 0; x < width; ++x)
            row[x] = (bits[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
    } else {
        std::memcpy(row, bits, GetEffWidth());
    }
}

void CRasterImagePNG::StoreRow(const PngDecodeJob& job, DWORD y, const BYTE* row)
{
    BYTE* bits = GetBits(y);
    const DWORD width = GetWidth();
    if (job.alpha) {
        for (DWORD x = 0; x < width; ++x) {
            std::memcpy(bits + 3 * x, row + 4 * x, 3);
            m_pAlpha[size_t(y) * width + x] = row[4 * x + 3];
        }
    } else if (job.twoBit) {
        for (DWORD x = 0; x < width; ++x) {
            const int shift = (x & 1) ? 0 : 4;
            bits[x / 2] = BYTE((bits[x / 2] & ~(0x0F << shift)) | ((row[x] & 0x0F) << shift));
        }
    } else {
        std::memcpy(bits, row, GetEffWidth());
    }
}

bool CRasterImagePNG::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    const std::unique_ptr<CRasterImagePNG> copy = PrepareForEncode(*this);
    PngEncodeJob job = {};
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, m_info.szLastError, ErrorFn, nullptr);
    if (job.png == nullptr) {
        SetLastError(kCreateFailed);
        return false;
    }
    job.info = png_create_info_struct(job.png);
    if (job.info == nullptr) {
        png_destroy_write_struct(&job.png, nullptr);
        SetLastError(kInfoFailed);
        return false;
    }
    const bool encoded = EncodePng(job, stream, copy ? *copy : *this);
    png_free(job.png, job.row);
    png_destroy_write_struct(&job.png, &job.info);
    if (!encoded)
        SetLastError("Error saving PNG file");
    return encoded;
}

bool CRasterImagePNG::EncodePng(PngEncodeJob& job, CRasterFile* stream, const CRasterImagePNG& image)
{
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_set_write_fn(job.png, stream, WriteFn, FlushFn);
    const bool alpha = image.AlphaIsValid() && !image.IsIndexed();
    job.colorType = image.IsIndexed() ? PNG_COLOR_TYPE_PALETTE
                    : alpha           ? PNG_COLOR_TYPE_RGB_ALPHA
                                      : PNG_COLOR_TYPE_RGB;
    const int bitDepth = image.IsIndexed() ? image.GetBpp() : 8;
    const int interlace =
        image.GetCodecOption(RASTER_FORMAT_PNG) == 1 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE;
    png_set_IHDR(job.png, job.info, image.GetWidth(), image.GetHeight(), bitDepth, job.colorType,
                 interlace, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_16 background = {0, 255, 255, 255, 0};
    if (image.GetTransIndex() != -1) {
        const RGBQUAD t = image.GetTransColor();
        background = png_color_16{0, t.rgbRed, t.rgbGreen, t.rgbBlue, 0};
    }
    png_set_bKGD(job.png, job.info, &background);
    const BITMAPINFOHEADER& header = image.GetHeader();
    png_set_pHYs(job.png, job.info, png_uint_32(header.biXPelsPerMeter),
                 png_uint_32(header.biYPelsPerMeter), PNG_RESOLUTION_METER);
    if (image.IsIndexed())
        WritePalette(job, image);
    png_write_info(job.png, job.info);
    const size_t rowBytes = std::max<size_t>(image.GetEffWidth(), size_t(image.GetWidth()) * 4);
    job.row = static_cast<png_bytep>(png_malloc(job.png, rowBytes + 10));
    WriteRows(job, image);
    png_write_end(job.png, job.info);
    return true;
}

void CRasterImagePNG::WritePalette(PngEncodeJob& job, const CRasterImagePNG& image)
{
    DWORD n = image.GetNumColors();
    // Small pictures list only the entries they use.
    if (n > 2 && uint64_t(image.GetWidth()) * image.GetHeight() < 0x10000)
        n = LargestIndex(image) + 1;
    const RGBQUAD* palette = image.GetPalette();
    for (DWORD i = 0; i < n; ++i) {
        job.palette[i] = png_color{palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
        job.alpha[i] = palette[i].rgbReserved;
    }
    png_set_PLTE(job.png, job.info, job.palette, int(n));
    const RASTERINFO& info = image.m_info;
    if (info.bAlphaPaletteEnabled) {
        png_set_tRNS(job.png, job.info, job.alpha, int(n), nullptr);
    } else if (image.GetTransIndex() == 0) {
        png_byte zero = 0;
        png_set_tRNS(job.png, job.info, &zero, 1, nullptr);
    }
}

void CRasterImagePNG::WriteRows(PngEncodeJob& job, const CRasterImagePNG& image)
{
    const int passes = png_set_interlace_handling(job.png);
    const DWORD width = image.GetWidth();
    const BYTE alphaMax = image.m_info.nAlphaMax;
    for (int pass = 0; pass < passes; ++pass)
        for (DWORD y = image.GetHeight(); y-- > 0;) {
            const BYTE* bits = image.GetBits(y);
            if (job.colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
                for (DWORD x = 0; x < width; ++x) {
                    png_bytep p = job.row + 4 * x;
                    p[0] = bits[3 * x + 2];
                    p[1] = bits[3 * x + 1];
                    p[2] = bits[3 * x];
                    p[3] = BYTE(alphaMax * image.AlphaGet(long(x), long(y)) / 255);
                }
            } else {
                std::memcpy(job.row, bits, image.GetEffWidth());
                if (job.colorType == PNG_COLOR_TYPE_RGB)
                    image.RGBtoBGR(job.row, int(image.GetEffWidth()));
            }
            png_write_row(job.png, job.row);
        }
}
