#include "imaging/CRasterImageTIF.h"

#include "imaging/CRasterFile.h"
#include "imaging/CRasterMemFile.h"
#include "imaging/DataBound.h"
#include "imaging/TiffSamples.h"
#include "imaging/TiffStreamAdapter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

// A band buffer larger than this is refused as damaged rather than allocated.
constexpr uint64_t kMaxBuffer = uint64_t(1) << 30;

struct TiffCloser
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

bool Allocate(std::vector<BYTE>& buffer, uint64_t size)
{
    if (size == 0 || size > kMaxBuffer)
        return false;
    try {
        buffer.assign(static_cast<size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The most pixels one byte of a page's data can fill with its compression.
uint64_t MostPixelsPerByte(uint16_t compression, uint64_t bitsPerPixel, uint64_t width)
{
    const uint64_t bits = std::max<uint64_t>(bitsPerPixel, 1);
    const uint64_t plain = std::max<uint64_t>(1, 8 / bits);
    switch (compression) {
    case COMPRESSION_NONE:
        return plain;
    case COMPRESSION_PACKBITS: // two bytes repeat one byte 128 times
        return std::max<uint64_t>(1, 64 * 8 / bits);
    case COMPRESSION_LZW: // a 12-bit code stands for at most 4096 bytes
        return std::max<uint64_t>(1, 2731 * 8 / bits);
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return DataBound::DeflatePixelsPerByte(bits);
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: // a row like the one above takes a single bit
        return 8 * std::max<uint64_t>(width, 1);
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: // a bit a block of 64 pixels
        return 512;
    default: // the codings with the widest reach (LZMA, ZSTD, WebP ...)
        return 65536;
    }
}

BYTE LabChannel(double c)
{
    c = c > 0.00304 ? 1.055 * std::pow(c, 0.41667) - 0.055 : 12.92 * c;
    return BYTE(std::clamp(int(c * 255), 0, 255));
}

} // namespace

CRasterImageTIF::~CRasterImageTIF()
{
    if (m_tif)
        TIFFClose(m_tif);
}

bool CRasterImageTIF::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

bool CRasterImageTIF::FailCorrupted()
{
    // libtiff's own words say what it found; without them the file is damaged.
    if (m_libtiffError.empty())
        return Fail("Corrupted TIFF file!");
    m_reason = "TIFF: " + m_libtiffError;
    return Fail(m_reason.c_str());
}

bool CRasterImageTIF::Decode(CRasterFile* stream)
{
    m_libtiffError.clear();
    // libtiff reads from memory in place; a file stream is read into memory first.
    std::vector<BYTE> copy;
    std::unique_ptr<CRasterMemFile> memory;
    if (stream && !dynamic_cast<CRasterMemFile*>(stream)) {
        const int32_t size = stream->Size();
        if (size > 0 && Allocate(copy, uint64_t(size)) && stream->Seek(0, SEEK_SET) &&
            stream->Read(copy.data(), 1, copy.size()) == copy.size()) {
            memory = std::make_unique<CRasterMemFile>(copy.data(), size);
            stream = memory.get();
        }
    }
    const TiffPtr tif(OpenTiffOverStream(stream, "rb", &m_libtiffError));
    if (!tif)
        return Fail("Error encountered while opening TIFF file");
    return DecodePage(tif.get());
}

bool CRasterImageTIF::DecodePage(TIFF* tif)
{
    m_info.nNumFrames = LONG(TIFFNumberOfDirectories(tif));
    if (m_info.nFrame < 0 || !TIFFSetDirectory(tif, tdir_t(m_info.nFrame)))
        return Fail("Error: page not present in TIFF file");
    PageLayout page = {};
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.length);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &page.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &page.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &page.rowsPerStrip);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &page.photometric))
        page.photometric = PHOTOMETRIC_MINISWHITE;
    page.sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &page.sampleFormat);
    page.wideSamples = TakesWideSamples(page);
    if (m_info.nEscape == -1) {
        m_header.biWidth = LONG(page.width);
        m_header.biHeight = LONG(page.length);
        SetLastError("output dimensions returned");
        return true;
    }
    ReadResolution(tif);
    m_info.nTransIndex = -1;
    if (!TIFFIsTiled(tif) && (page.rowsPerStrip > page.length || page.rowsPerStrip == 0)) {
        page.rowsPerStrip = page.length;
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.rowsPerStrip);
    }
    page.rowBytes = (uint64_t(page.width) * page.bitsPerSample * page.samples + 7) / 8;
    if (m_info.nEscape != 0)
        return Fail("Cancelled");
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (const char* reason = Unsupported(tif, page, compression))
        return Fail(reason);
    auto* source = static_cast<CRasterFile*>(TIFFClientdata(tif));
    const uint64_t fileBytes = source ? DataBound::FileBytes(*source) : 0;
    if (DataBound::Overclaims(uint64_t(page.width) * page.length, fileBytes,
                              MostPixelsPerByte(compression, uint64_t(page.bitsPerSample) * page.samples,
                                                page.width)))
        return Fail("TIFF: the page is larger than its data can fill");
    const DWORD depth = ChooseDepth(page);
    if (!Create(page.width, page.length, depth, RASTER_FORMAT_TIF))
        return Fail("CRasterImageTIF can't create image");
    if (page.samples == 4 || page.samples == 2)
        AlphaCreate();
    SetCodecOption(compression, RASTER_FORMAT_TIF);
    const bool rgb = page.photometric == PHOTOMETRIC_RGB ||
                     page.photometric == PHOTOMETRIC_YCBCR ||
                     page.photometric == PHOTOMETRIC_SEPARATED ||
                     page.photometric == PHOTOMETRIC_LOGL || page.photometric == PHOTOMETRIC_LOGLUV;
    if (page.wideSamples && page.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
            return Fail("TIFF: the palette page has no colour map");
        m_colormap[0] = red;
        m_colormap[1] = green;
        m_colormap[2] = blue;
    }
    if (rgb && !page.wideSamples && !IsPlainRgb(tif, page))
        return ReadRgbaPage(tif, page);
    return FillPalette(tif, page) && ReadBands(tif, page);
}

bool CRasterImageTIF::IsPlainRgb(TIFF* tif, const PageLayout& page)
{
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    return page.photometric == PHOTOMETRIC_RGB && page.samples == 3 && page.bitsPerSample == 8 &&
           planar == PLANARCONFIG_CONTIG;
}

void CRasterImageTIF::ReadResolution(TIFF* tif)
{
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double scale = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    float value = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &value) && std::isfinite(value))
        SetXDPI(LONG(std::clamp(value * scale + (scale != 1.0 ? 0.5 : 0.0), 0.0, 1e6)));
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &value) && std::isfinite(value))
        SetYDPI(LONG(std::clamp(value * scale + (scale != 1.0 ? 0.5 : 0.0), 0.0, 1e6)));
    if (TIFFGetField(tif, TIFFTAG_XPOSITION, &value) && std::isfinite(value))
        m_info.xOffset = LONG(std::clamp(double(value), -1e9, 1e9));
    if (TIFFGetField(tif, TIFFTAG_YPOSITION, &value) && std::isfinite(value))
        m_info.yOffset = LONG(std::clamp(double(value), -1e9, 1e9));
}

bool CRasterImageTIF::TakesWideSamples(const PageLayout& page)
{
    const uint16_t p = page.photometric, b = page.bitsPerSample;
    const bool plainWidth = b == 1 || b == 2 || b == 4 || b == 8 || b == 16;
    // The plain paths take unsigned integers only.
    const bool unsignedInteger = page.sampleFormat == SAMPLEFORMAT_UINT || page.sampleFormat == SAMPLEFORMAT_VOID;
    if (p == PHOTOMETRIC_PALETTE)
        return page.samples == 1 && unsignedInteger && b > 8 && b <= 16;
    const bool grey = p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_MINISWHITE;
    const bool fits = grey ? page.samples <= 2 : p == PHOTOMETRIC_RGB && page.samples >= 3 && page.samples <= 4;
    return fits && (!plainWidth || !unsignedInteger) && TiffSamples::Readable(b, page.sampleFormat);
}

DWORD CRasterImageTIF::ChooseDepth(const PageLayout& page) const
{
    const uint16_t p = page.photometric;
    if (page.wideSamples)
        return p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_MINISWHITE ? 8 : 24;
    // RGB pages of any sample size go through libtiff's RGBA reader.
    if (p == PHOTOMETRIC_RGB || p == PHOTOMETRIC_YCBCR ||
        p == PHOTOMETRIC_SEPARATED || p == PHOTOMETRIC_LOGL || p == PHOTOMETRIC_LOGLUV)
        return 24;
    // Three or more samples that are not RGB are CIELab pixels: converted to true colour.
    if (page.samples >= 3)
        return 24;
    if ((p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_MINISWHITE) && page.bitsPerSample == 1)
        return 1;
    return page.bitsPerSample == 4 ? 4 : 8;
}

const char* CRasterImageTIF::Unsupported(TIFF* tif, const PageLayout& page, uint16_t compression)
{
    if (!TIFFIsCODECConfigured(compression)) {
        m_reason = "TIFF: compression " + std::to_string(compression) + " is not supported";
        return m_reason.c_str();
    }
    const uint16_t p = page.photometric;
    if (page.wideSamples) {
        uint16_t planar = PLANARCONFIG_CONTIG;
        TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
        if (planar == PLANARCONFIG_CONTIG || page.samples == 1)
            return nullptr;
        m_reason = "TIFF: " + std::to_string(page.bitsPerSample) +
                   "-bit samples in separate planes are not supported";
        return m_reason.c_str();
    }
    const bool rgba = p == PHOTOMETRIC_RGB || p == PHOTOMETRIC_YCBCR || p == PHOTOMETRIC_SEPARATED ||
                      p == PHOTOMETRIC_LOGL || p == PHOTOMETRIC_LOGLUV;
    if (rgba) {
        char message[1024] = {};
        if (TIFFRGBAImageOK(tif, message))
            return nullptr;
        m_reason = std::string("TIFF: ") + message;
        return m_reason.c_str();
    }
    const uint16_t bits = page.bitsPerSample;
    const bool oneSample = page.samples == 1;
    if (bits == 0 || bits > 16 || (!oneSample && bits != 8 && bits != 16) ||
        (p == PHOTOMETRIC_PALETTE && bits > 8)) {
        m_reason = "TIFF: " + std::to_string(bits) + "-bit samples are not supported here";
        return m_reason.c_str();
    }
    return nullptr;
}

bool CRasterImageTIF::ReadRgbaPage(TIFF* tif, const PageLayout& page)
{
    // libtiff fills every word: the buffer is not cleared first.
    const std::unique_ptr<uint32_t[]> raster(new (std::nothrow) uint32_t[size_t(page.width) * page.length]);
    if (!raster)
        return Fail("No space for raster buffer");
    if (!TIFFReadRGBAImage(tif, page.width, page.length, raster.get(), 1))
        return FailCorrupted();
    const bool alpha = page.samples == 4 && AlphaIsValid();
    // libtiff's raster premultiplies unassociated alpha: the colours are taken back out.
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    const bool unassociated = alpha && TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) &&
                              extraCount > 0 && extra && extra[0] == EXTRASAMPLE_UNASSALPHA;
    // libtiff's raster has its rows bottom-up, like the image.
    for (uint32_t y = 0; y < page.length; ++y) {
        if (m_info.nEscape != 0)
            return Fail("Cancelled");
        BYTE* row = GetBits(y);
        const uint32_t* words = raster.get() + size_t(y) * page.width;
        for (uint32_t x = 0; x < page.width; ++x) {
            const uint32_t w = words[x];
            const uint32_t a = w >> 24;
            auto channel = [unassociated, a](uint32_t c) {
                c &= 0xFF;
                return BYTE(unassociated && a != 0 ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : c);
            };
            row[3 * size_t(x)] = channel(w >> 16);
            row[3 * size_t(x) + 1] = channel(w >> 8);
            row[3 * size_t(x) + 2] = channel(w);
            if (alpha)
                AlphaSet(long(x), long(y), BYTE(w >> 24));
        }
    }
    return true;
}

bool CRasterImageTIF::FillPalette(TIFF* tif, const PageLayout& page)
{
    if (!IsIndexed())
        return true;
    RGBQUAD palette[256] = {};
    const DWORD colors = GetNumColors();
    const uint16_t p = page.photometric;
    if (colors == 2 && (p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_MINISWHITE)) {
        palette[p == PHOTOMETRIC_MINISBLACK ? 1 : 0] = RGBQUAD{255, 255, 255, 0};
    } else if (p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_MINISWHITE) {
        for (DWORD i = 0; i < colors; ++i) {
            const BYTE grey = BYTE(i * (255 / (colors - 1)));
            const BYTE v = p == PHOTOMETRIC_MINISBLACK ? grey : BYTE(255 - grey);
            palette[i] = RGBQUAD{v, v, v, 0};
        }
    } else if (p == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) && red && green && blue) {
            // libtiff's map holds 2^bits entries.
            const DWORD entries = std::min<DWORD>(colors, 1u << std::min<int>(page.bitsPerSample, 8));
            bool wide = false;
            for (DWORD i = 0; i < entries; ++i)
                wide = wide || red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
            auto scale = [wide](uint16_t v) { return BYTE(wide ? v * 255u / 65535u : v); };
            for (DWORD i = 0; i < entries; ++i)
                palette[i] = RGBQUAD{scale(blue[i]), scale(green[i]), scale(red[i]), 0};
        }
    }
    SetPalette(palette, colors);
    return true;
}

bool CRasterImageTIF::ReadBands(TIFF* tif, PageLayout page)
{
    const bool tiled = TIFFIsTiled(tif) != 0;
    uint32_t tileWidth = 0, tileLength = 0;
    std::vector<BYTE> band, tile;
    if (tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
        if (tileWidth == 0 || tileLength == 0 || !Allocate(tile, uint64_t(TIFFTileSize64(tif))))
            return Fail("CRasterImageTIF can't allocate memory");
        page.rowsPerStrip = tileLength;
    }
    // The band holds whole rows of the page: every copy below stays inside it.
    if (!Allocate(band, uint64_t(page.rowsPerStrip) * page.rowBytes))
        return Fail("CRasterImageTIF can't allocate memory");
    for (uint32_t top = 0; top < page.length; top += page.rowsPerStrip) {
        if (m_info.nEscape != 0)
            return Fail("Cancelled");
        const uint32_t rows = std::min(page.rowsPerStrip, page.length - top);
        if (tiled) {
            if (!ReadTileBand(tif, page, top, tileWidth, band, tile))
                return FailCorrupted();
        } else if (TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, top, 0), band.data(),
                                        tmsize_t(rows * page.rowBytes)) == -1) {
            return FailCorrupted();
        }
        for (uint32_t k = rows; k-- > 0;)
            StoreRow(page, &band[size_t(k * page.rowBytes)], top + k);
    }
    return true;
}

bool CRasterImageTIF::ReadTileBand(TIFF* tif, const PageLayout& page, uint32_t top,
                                   uint32_t tileWidth, std::vector<BYTE>& band,
                                   std::vector<BYTE>& tile)
{
    const uint64_t tileRowBytes = uint64_t(TIFFTileRowSize64(tif));
    const uint32_t rows = std::min(page.rowsPerStrip, page.length - top);
    if (tileRowBytes == 0 || tileRowBytes * rows > tile.size())
        return false;
    uint64_t column = 0;
    for (uint32_t x = 0; x < page.width && column < page.rowBytes; x += tileWidth) {
        if (TIFFReadTile(tif, tile.data(), x, top, 0, 0) == -1)
            return false;
        const uint64_t bytes = std::min(tileRowBytes, page.rowBytes - column);
        for (uint32_t k = 0; k < rows; ++k)
            std::memcpy(&band[size_t(k * page.rowBytes + column)], &tile[size_t(k * tileRowBytes)],
                        size_t(bytes));
        column += tileRowBytes;
    }
    return true;
}

void CRasterImageTIF::StoreRow(const PageLayout& page, BYTE* samples, DWORD rowFromTop)
{
    const DWORD row = GetHeight() - 1 - rowFromTop;
    if (page.wideSamples) {
        StoreWideRow(page, samples, row);
        return;
    }
    BYTE* bits = GetBits(row);
    const size_t stride = GetEffWidth();
    const size_t count = size_t(page.width) * page.samples; // samples in the row
    size_t rowBytes = size_t(page.rowBytes);
    if (page.bitsPerSample == 16) {
        // Samples come in the machine's byte order: keep their high-order bytes.
        for (size_t i = 0; i < count; ++i) {
            uint16_t v;
            std::memcpy(&v, samples + 2 * i, 2);
            samples[i] = BYTE(v >> 8);
        }
        rowBytes = count;
    }
    const int bits8 = page.bitsPerSample == 16 ? 8 : page.bitsPerSample;
    const uint16_t b = page.bitsPerSample;
    if (page.samples == 1 && b != 1 && b != 4 && b != 8 && b != 16) {
        StorePackedRow(page, samples, row);
        return;
    }
    if (page.photometric == PHOTOMETRIC_RGB) {
        // Plain 8-bit RGB rows go straight into the image, turned to its blue-green-red order.
        for (size_t x = 0; x < page.width && 3 * x + 2 < rowBytes && 3 * x + 2 < stride; ++x) {
            bits[3 * x] = samples[3 * x + 2];
            bits[3 * x + 1] = samples[3 * x + 1];
            bits[3 * x + 2] = samples[3 * x];
        }
    } else if (page.samples >= 3) {
        if (bits8 == 8 && rowBytes >= count)
            StoreLabRow(page, samples, row);
    } else if (page.samples == 2) {
        for (DWORD x = 0; x < page.width && 2 * size_t(x) + 1 < rowBytes && x < stride; ++x) {
            bits[x] = samples[2 * x];
            AlphaSet(long(x), long(row), samples[2 * x + 1]);
        }
    } else if (GetBpp() == 8 && bits8 < 8) {
        // Narrow samples in an 8-bit image (a 1- or 2-bit palette page): one byte each.
        const int perByte = 8 / bits8, mask = (1 << bits8) - 1;
        for (size_t x = 0; x < page.width && x < stride && x / perByte < rowBytes; ++x)
            bits[x] = BYTE((samples[x / perByte] >> (8 - bits8 * (x % perByte + 1))) & mask);
    } else {
        std::memcpy(bits, samples, std::min(stride, rowBytes));
    }
}

void CRasterImageTIF::StoreWideRow(const PageLayout& page, const BYTE* samples, DWORD row)
{
    const TiffSamples wide(page.bitsPerSample, page.sampleFormat);
    BYTE* bits = GetBits(row);
    const uint64_t n = page.samples;
    // Every sample read lies inside the row libtiff delivered.
    const uint64_t width = std::min<uint64_t>(page.width, page.rowBytes * 8 / (uint64_t(page.bitsPerSample) * n));
    const bool alpha = AlphaIsValid();
    for (uint64_t x = 0; x < width; ++x) {
        const uint64_t first = x * n;
        if (page.photometric == PHOTOMETRIC_PALETTE) {
            // libtiff's map holds 2^bits entries of 16 bits.
            const uint32_t index = wide.Integer(samples, first);
            for (int c = 0; c < 3; ++c)
                bits[3 * x + size_t(2 - c)] = BYTE((m_colormap[c][index] * 255u + 32767u) / 65535u);
        } else if (page.photometric == PHOTOMETRIC_RGB) {
            for (uint64_t c = 0; c < 3; ++c)
                bits[3 * x + (2 - c)] = wide.At(samples, first + c);
        } else {
            bits[x] = wide.At(samples, first);
        }
        if (alpha && n > (page.photometric == PHOTOMETRIC_RGB ? 3u : 1u))
            AlphaSet(long(x), long(row), wide.At(samples, first + n - 1));
    }
}

void CRasterImageTIF::StorePackedRow(const PageLayout& page, const BYTE* samples, DWORD row)
{
    BYTE* bits = GetBits(row);
    const unsigned width = page.bitsPerSample;
    const uint32_t top = (1u << width) - 1;
    // Grey levels spread over the palette's ramp; palette indices stay as they are.
    const bool grey = page.photometric != PHOTOMETRIC_PALETTE;
    const DWORD count = std::min<DWORD>(page.width, GetEffWidth());
    uint64_t bit = 0;
    for (DWORD x = 0; x < count; ++x, bit += width) {
        if ((bit + width + 7) / 8 > page.rowBytes)
            break;
        uint32_t v = 0;
        for (unsigned k = 0; k < width; ++k) {
            const uint64_t at = bit + k;
            v = (v << 1) | ((samples[at / 8] >> (7 - at % 8)) & 1u);
        }
        bits[x] = BYTE(grey ? (v * 255u + top / 2) / top : std::min<uint32_t>(v, 255));
    }
}

void CRasterImageTIF::StoreLabRow(const PageLayout& page, const BYTE* samples, DWORD row)
{
    BYTE* bits = GetBits(row);
    const int n = page.samples;
    for (DWORD x = 0; x < page.width; ++x) {
        const BYTE* s = samples + size_t(x) * n;
        const double p = (s[0] * 0.3921568627450981 + 16) * 0.008620689655172414;
        const double a = static_cast<signed char>(s[1]), b = static_cast<signed char>(s[2]);
        const double X = std::pow(p + a * 0.002, 3) * 0.95047;
        const double Y = std::pow(p, 3);
        const double Z = std::pow(p - b * 0.005, 3) * 1.0883;
        bits[3 * size_t(x) + 2] = LabChannel(3.240479 * X - 1.53715 * Y - 0.498535 * Z);
        bits[3 * size_t(x) + 1] = LabChannel(-0.969256 * X + 1.875992 * Y + 0.041556 * Z);
        bits[3 * size_t(x)] = LabChannel(0.055648 * X - 0.204043 * Y + 1.057311 * Z);
        if (n == 4 && AlphaIsValid())
            AlphaSet(long(x), long(row), s[3]);
    }
}

bool CRasterImageTIF::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    // libtiff reads an existing header where the stream stands: from its start, so that a
    // stream that already holds a TIFF gets one page more.
    stream->Seek(0, SEEK_SET);
    m_tif = OpenTiffOverStream(stream, "a");
    if (m_tif == nullptr)
        return Fail("initialization fail");
    bool ok = WritePage(m_tif) && TIFFFlush(m_tif) != 0;
    TIFFClose(m_tif);
    m_tif = nullptr;
    m_multiPage = false;
    m_pages = 0;
    ok = ok && stream->Error() == 0;
    return ok || Fail("Error saving TIFF file");
}

bool CRasterImageTIF::WritePage(TIFF* tif)
{
    const bool alpha = AlphaIsValid();
    DWORD bits = GetBpp();
    uint16_t samples = bits >= 24 ? 3 : 1;
    if (bits == 24 && alpha) {
        bits = 32;
        samples = 4;
    }
    uint16_t photometric = PHOTOMETRIC_RGB;
    bool invert = false;
    if (bits == 1) {
        // White is zero: the pixels are inverted on the way out when entry 0 is the darker.
        const RGBQUAD e0 = GetPaletteColor(0), e1 = GetPaletteColor(1);
        invert = CompareColors(&e0, &e1) < 0;
        photometric = PHOTOMETRIC_MINISWHITE;
    } else if (bits <= 8) {
        photometric = IsGrayScale() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
        if (bits == 8 && alpha)
            samples = 2;
    }
    const uint16_t bitsPerSample = uint16_t(samples == 2 ? 8 : bits / samples);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, GetWidth());
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, GetHeight());
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(GetXDPI()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(GetYDPI()));
    if (samples == 2 || samples == 4) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t red[256] = {}, green[256] = {}, blue[256] = {};
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            const RGBQUAD c = GetPaletteColor(BYTE(i));
            red[i] = uint16_t(c.rgbRed * 65535 / 255);
            green[i] = uint16_t(c.rgbGreen * 65535 / 255);
            blue[i] = uint16_t(c.rgbBlue * 65535 / 255);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
    }
    uint16_t compression = uint16_t(GetCodecOption(RASTER_FORMAT_TIF));
    if (compression == 0)
        compression = bits == 1                ? COMPRESSION_CCITTFAX4
                      : bits == 4 || bits == 8 ? COMPRESSION_LZW
                      : bits >= 24             ? COMPRESSION_JPEG
                                               : COMPRESSION_NONE;
    if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, compression))
        return false;
    uint32_t rowsPerStrip = TIFFDefaultStripSize(tif, 0);
    if (compression == COMPRESSION_LZW && bits >= 8)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, int(GetJpegQuality()));
        rowsPerStrip = (rowsPerStrip + 7) / 8 * 8;
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    return WriteRows(tif, bits, invert);
}

bool CRasterImageTIF::WriteRows(TIFF* tif, DWORD bits, bool invert)
{
    const DWORD width = GetWidth();
    std::vector<BYTE> line(size_t(width) * 4 + GetEffWidth());
    for (DWORD y = 0; y < GetHeight(); ++y) {
        const DWORD row = GetHeight() - 1 - y;
        const BYTE* source = GetBits(row);
        BYTE* out = line.data();
        if (bits == 32 || (bits == 8 && AlphaIsValid())) {
            const int size = bits == 32 ? 4 : 2;
            for (DWORD x = 0; x < width; ++x) {
                BYTE* p = out + size_t(x) * size;
                if (size == 4) {
                    p[0] = source[3 * x + 2];
                    p[1] = source[3 * x + 1];
                    p[2] = source[3 * x];
                } else {
                    p[0] = source[x];
                }
                p[size - 1] = AlphaGet(long(x), long(row));
            }
        } else {
            std::memcpy(out, source, GetEffWidth());
            if (bits == 24)
                RGBtoBGR(out, int(GetEffWidth()));
            for (size_t i = 0; invert && i < GetEffWidth(); ++i)
                out[i] = BYTE(~out[i]);
        }
        if (TIFFWriteScanline(tif, out, y, 0) == -1)
            return false;
    }
    return true;
}
