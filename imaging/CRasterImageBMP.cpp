#include "imaging/CRasterImageBMP.h"

#include "imaging/BitField.h"
#include "imaging/CRasterFile.h"
#include "imaging/DataBound.h"
#include "imaging/LittleEndian.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr WORD kBmpType = 0x4D42; // "BM"
constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kBitFields = 3;
constexpr DWORD kAlphaBitFields = 6;
// A run of two bytes draws at most 255 pixels (a delta skips more, but leaves them blank).
constexpr uint64_t kMostPixelsPerRleByte = 256;
constexpr DWORD kDefaultMasks[3] = {0x7C00, 0x03E0, 0x001F}; // red, green, blue (5-5-5)

struct FileHeader
{
    WORD type = 0;
    DWORD size = 0;
    DWORD offset = 0;
};

void PutDword(BYTE* p, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<BYTE>(v >> (8 * i));
}

// Bytes per row of the pixel data as the file stores it.
uint64_t FileRowBytes(const BITMAPINFOHEADER& header)
{
    const uint64_t width = static_cast<uint32_t>(header.biWidth);
    switch (header.biBitCount) {
    case 16: return (width + 1) / 2 * 4;
    case 32: return width * 4;
    default: return (width * header.biBitCount + 31) / 32 * 4;
    }
}

bool SupportedDepth(WORD bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Frees a malloc'd block on scope exit.
struct FreeDeleter
{
    void operator()(void* p) const { free(p); }
};

} // namespace

bool CRasterImageBMP::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

bool CRasterImageBMP::ReadInfoHeader(CRasterFile* stream, BITMAPINFOHEADER* header, DWORD* masks)
{
    if (!stream || !header)
        return false;
    BYTE raw[52] = {};
    const size_t got = stream->Read(raw, 1, sizeof(raw));
    if (got < 12)
        return false;
    const DWORD size = LittleEndian::Get32(raw);
    memset(header, 0, sizeof(*header));
    if (size == 12) {
        // OS/2 core header: 16-bit unsigned sizes, then the palette of 3-byte entries.
        header->biSize = 12;
        header->biWidth = LittleEndian::Get16(raw + 4);
        header->biHeight = LittleEndian::Get16(raw + 6);
        header->biPlanes = LittleEndian::Get16(raw + 8);
        header->biBitCount = LittleEndian::Get16(raw + 10);
        stream->Seek(-static_cast<int32_t>(got - 12), SEEK_CUR);
    } else {
        // OS/2 2.x headers may stop after any field from the sixteenth byte on: the fields left
        // out are zero.
        if (size < 16 || size > 0x10000 || got < std::min<size_t>(size, 40))
            return false;
        memcpy(header, raw, std::min<size_t>(size, 40));
        header->biSize = size;
        // OS/2 2.x keeps its own fields after the Windows ones; the later Windows headers carry
        // the bit fields (then alpha, colour space and profile, which a picture can do without).
        if (size >= 52 && size != 64) {
            if (got < 52)
                return false;
            if (masks)
                for (int i = 0; i < 3; ++i)
                    masks[i] = LittleEndian::Get32(raw + 40 + 4 * i);
        }
        stream->Seek(static_cast<int32_t>(size) - static_cast<int32_t>(got), SEEK_CUR);
    }
    if (header->biSizeImage == 0) {
        const uint64_t rowBytes =
            ((static_cast<uint64_t>(header->biBitCount) * static_cast<uint32_t>(header->biWidth) + 31) /
             8) & ~static_cast<uint64_t>(3);
        const int64_t height = header->biHeight;
        header->biSizeImage = static_cast<DWORD>(rowBytes * static_cast<uint64_t>(std::llabs(height)));
    }
    if (header->biClrUsed == 0 && header->biBitCount <= 8)
        header->biClrUsed = 1u << header->biBitCount;
    return true;
}

bool CRasterImageBMP::Decode(CRasterFile* stream)
{
    if (!stream)
        return false;
    const int64_t start = stream->Tell();
    BYTE rawFile[kFileHeaderSize] = {};
    if (stream->Read(rawFile, 1, sizeof(rawFile)) == 0)
        return Fail("Not a BMP");
    FileHeader file{LittleEndian::Get16(rawFile), LittleEndian::Get32(rawFile + 2), LittleEndian::Get32(rawFile + 10)};
    if (file.type != kBmpType) {
        // A bare packed DIB: information header, palette and pixels.
        file.offset = 0;
        stream->Seek(static_cast<int32_t>(start), SEEK_SET);
    }
    BITMAPINFOHEADER header;
    DWORD masks[3] = {kDefaultMasks[0], kDefaultMasks[1], kDefaultMasks[2]};
    if (!ReadInfoHeader(stream, &header, masks))
        return Fail("Error reading BMP info");
    const bool os2 = header.biSize == 12;
    const bool topDown = header.biHeight < 0;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == std::numeric_limits<LONG>::min() ||
        !SupportedDepth(header.biBitCount))
        return Fail("Error reading BMP info");
    if (topDown)
        header.biHeight = -header.biHeight;

    if (m_info.nEscape == -1) {
        m_header.biWidth = header.biWidth;
        m_header.biHeight = header.biHeight;
        SetLastError("output dimensions returned");
        return true;
    }

    // Bit-field masks follow a 40-byte information header, before the palette; longer headers
    // hold them.
    if (header.biSize >= 52 && header.biSize != 64 && header.biCompression != kBitFields &&
        header.biCompression != kAlphaBitFields) {
        // A longer header's masks count only with bit-field compression.
        std::copy(kDefaultMasks, kDefaultMasks + 3, masks);
    }
    if (header.biCompression == BI_JPEG || header.biCompression == BI_PNG)
        return Fail(header.biCompression == BI_JPEG ? "BMP: embedded JPEG pictures are not supported"
                                                    : "BMP: embedded PNG pictures are not supported");
    if (header.biCompression == kAlphaBitFields)
        header.biCompression = kBitFields;
    if (header.biSize == 40 && header.biCompression == kBitFields &&
        (header.biBitCount == 16 || header.biBitCount == 32)) {
        BYTE raw[12];
        if (stream->Read(raw, 1, sizeof(raw)) != sizeof(raw))
            return Fail("Error reading BMP info");
        for (int i = 0; i < 3; ++i)
            masks[i] = LittleEndian::Get32(raw + 4 * i);
    }

    // The header must agree with the data that is there before anything is allocated.
    const int64_t fileSize = stream->Size();
    const int64_t paletteBytes = header.biBitCount <= 8 || file.offset == 0
        ? static_cast<int64_t>(header.biClrUsed) * (os2 ? 3 : 4) : 0;
    const int64_t dataStart = file.offset ? start + file.offset : stream->Tell() + paletteBytes;
    if (stream->Tell() + (file.offset ? 0 : paletteBytes) > fileSize || dataStart > fileSize)
        return Fail("Error reading BMP info");
    const uint64_t available = static_cast<uint64_t>(fileSize - dataStart);
    const uint64_t needed = FileRowBytes(header) * static_cast<uint64_t>(header.biHeight);
    const bool rle = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
    // Plain rows must all be there (some writers drop the last row's padding, so up to 3 bytes
    // may be missing). Run-length data may leave much of a picture blank, but a few bytes cannot
    // stand for a picture of hundreds of millions of pixels.
    const uint64_t pixels = static_cast<uint64_t>(header.biWidth) * static_cast<uint64_t>(header.biHeight);
    if (!rle && needed > available + 3)
        return Fail("Error reading BMP info");
    if (rle && DataBound::Overclaims(pixels, available, kMostPixelsPerRleByte))
        return Fail("BMP: the header claims more pixels than the file holds");

    if (!Create(static_cast<DWORD>(header.biWidth), static_cast<DWORD>(header.biHeight),
                header.biBitCount, RASTER_FORMAT_BMP))
        return Fail("Can't allocate memory");
    m_header.biXPelsPerMeter = header.biXPelsPerMeter;
    m_header.biYPelsPerMeter = header.biYPelsPerMeter;
    m_info.xDPI = static_cast<LONG>(std::floor(header.biXPelsPerMeter * 0.0254 + 0.5));
    m_info.yDPI = static_cast<LONG>(std::floor(header.biYPelsPerMeter * 0.0254 + 0.5));
    SyncHeaderToDib();
    if (m_info.nEscape > 0)
        return Fail("Cancelled");
    if (!ReadPalette(*stream, header, os2))
        return false;
    if (m_info.nEscape > 0)
        return Fail("Cancelled");
    if (file.offset)
        stream->Seek(static_cast<int32_t>(start + file.offset), SEEK_SET);
    if (!ReadPixels(*stream, header, masks))
        return false;
    if (topDown)
        Flip();
    return true;
}

bool CRasterImageBMP::ReadPalette(CRasterFile& stream, const BITMAPINFOHEADER& header, bool os2)
{
    const size_t entrySize = os2 ? 3 : 4;
    const DWORD inFile = header.biClrUsed;
    // A colour count beyond what the image's palette holds is read only as far as the palette.
    const DWORD kept = std::min(inFile, GetNumColors());
    RGBQUAD* palette = GetPalette();
    for (DWORD i = 0; i < kept; ++i) {
        BYTE entry[4] = {};
        if (stream.Read(entry, 1, entrySize) != entrySize)
            return Fail("Error reading BMP info");
        palette[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
    }
    m_info.bLastColorValid = false;
    const int64_t skipped = static_cast<int64_t>(inFile - kept) * static_cast<int64_t>(entrySize);
    if (skipped > 0 && skipped <= INT32_MAX)
        stream.Seek(static_cast<int32_t>(skipped), SEEK_CUR);
    return true;
}

// Reads up to the given bytes; what the file does not hold is cleared.
void CRasterImageBMP::ReadRaw(CRasterFile& stream, BYTE* target, size_t bytes)
{
    const size_t got = stream.Read(target, 1, bytes);
    if (got < bytes)
        memset(target + got, 0, bytes - got);
}

bool CRasterImageBMP::ReadPixels(CRasterFile& stream, const BITMAPINFOHEADER& header,
                                 const DWORD masks[3])
{
    switch (header.biBitCount) {
    case 1:
    case 4:
    case 8:
        if (header.biCompression == BI_RGB) {
            ReadRaw(stream, m_info.pImage, m_header.biSizeImage);
        } else if (header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4) {
            // Each run-length coding has one depth: its pixels would not fit the rows of another.
            const WORD runBits = header.biCompression == BI_RLE8 ? 8 : 4;
            if (header.biBitCount != runBits)
                return Fail("BMP: run-length data of another depth than the picture's");
            memset(m_info.pImage, 0, m_header.biSizeImage);
            DecodeRunLength(stream, runBits);
        } else {
            return Fail("compression type not supported");
        }
        return true;
    case 24:
        if (header.biCompression != BI_RGB)
            return Fail("unknown compression");
        ReadRaw(stream, m_info.pImage, m_header.biSizeImage);
        return true;
    case 16: {
        const size_t bytes = static_cast<size_t>(FileRowBytes(header) * GetHeight());
        ReadRaw(stream, m_info.pImage, bytes);
        Bitfield2RGB(m_info.pImage, static_cast<WORD>(masks[0]), static_cast<WORD>(masks[1]),
                     static_cast<WORD>(masks[2]), 16);
        return true;
    }
    case 32: {
        if (header.biCompression != BI_RGB && header.biCompression != kBitFields)
            return Fail("unknown compression");
        const uint64_t bytes = FileRowBytes(header) * GetHeight();
        std::unique_ptr<BYTE, FreeDeleter> buffer(
            bytes <= SIZE_MAX ? static_cast<BYTE*>(malloc(static_cast<size_t>(bytes))) : nullptr);
        if (!buffer)
            return Fail("can't allocate memory");
        ReadRaw(stream, buffer.get(), static_cast<size_t>(bytes));
        const bool plain = header.biCompression == BI_RGB ||
                           (masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
        if (plain)
            Bitfield2RGB(buffer.get(), 0, 0, 0, 32);
        else
            StoreBitFields32(buffer.get(), masks);
        return true;
    }
    default:
        return true;
    }
}

void CRasterImageBMP::StoreBitFields32(const BYTE* source, const DWORD masks[3])
{
    const BitField red(masks[0]), green(masks[1]), blue(masks[2]);
    const DWORD width = GetWidth();
    for (DWORD y = 0; y < GetHeight(); ++y) {
        const BYTE* from = source + static_cast<size_t>(y) * width * 4;
        BYTE* to = GetBits(y);
        for (DWORD x = 0; x < width; ++x) {
            const DWORD v = LittleEndian::Get32(from + 4 * x);
            to[3 * x] = blue(v);
            to[3 * x + 1] = green(v);
            to[3 * x + 2] = red(v);
        }
    }
}

namespace {

// The cursor of the run-length readers: a row (0..height, height meaning past the image) and a
// pixel column inside it. Pixels are 4 or 8 bits; nothing is written past the picture's width or
// its last row, and pixels that fall there are dropped.
struct RleCursor
{
    BYTE* pixels;
    size_t stride;
    long width;
    long height;
    int bits;
    long row = 0;
    long column = 0;

    void Put(int32_t value)
    {
        if (row < height && column < width) {
            BYTE* line = pixels + static_cast<size_t>(row) * stride;
            if (bits == 8) {
                line[column] = static_cast<BYTE>(value);
            } else {
                BYTE& at = line[column / 2];
                const int shift = (column & 1) ? 0 : 4;
                at = static_cast<BYTE>((at & ~(0x0F << shift)) | ((value & 0x0F) << shift));
            }
        }
        column = std::min(column + 1, width);
    }
    void NextLine()
    {
        column = 0;
        row = std::min(row + 1, height);
    }
    void Move(long dx, long dy)
    {
        column = std::min(column + dx, width);
        row = std::min(row + dy, height);
    }
};

// The value of pixel `i` of a run whose pixels come from `byte`: the byte itself at 8 bits, at 4
// bits its high nibble for the even pixels and its low nibble for the odd ones.
int32_t RunPixel(int bits, int32_t byte, int32_t i)
{
    return bits == 8 ? byte : (i & 1) ? (byte & 0x0F) : (byte >> 4);
}

// An absolute run: `count` pixels packed as the depth says, padded to a 16-bit boundary.
void AbsoluteRun(CRasterFile& stream, RleCursor& cursor, int32_t count)
{
    const int32_t perByte = cursor.bits == 8 ? 1 : 2;
    const int32_t bytes = (count + perByte - 1) / perByte;
    int32_t value = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (i % perByte == 0 && (value = stream.GetC()) < 0)
            return;
        cursor.Put(RunPixel(cursor.bits, value, i));
    }
    if (bytes & 1)
        stream.GetC();
}

// RLE8 and RLE4: encoded runs, end of line, end of picture, delta and absolute runs. Every step
// reads at least one byte, so the loop ends with the data.
void RunLengthDecode(CRasterFile& stream, RleCursor& cursor)
{
    for (;;) {
        const int32_t count = stream.GetC();
        if (count < 0)
            return;
        if (count > 0) {
            const int32_t color = stream.GetC();
            if (color < 0)
                return;
            for (int32_t i = 0; i < count; ++i)
                cursor.Put(RunPixel(cursor.bits, color, i));
            continue;
        }
        const int32_t command = stream.GetC();
        if (command < 0 || command == 1)
            return;
        if (command == 0) {
            cursor.NextLine();
        } else if (command == 2) {
            const int32_t dx = stream.GetC();
            const int32_t dy = stream.GetC();
            if (dx < 0 || dy < 0)
                return;
            cursor.Move(dx, dy);
        } else {
            AbsoluteRun(stream, cursor, command);
        }
    }
}

} // namespace

void CRasterImageBMP::DecodeRunLength(CRasterFile& stream, int bits)
{
    RleCursor cursor{m_info.pImage, static_cast<size_t>(m_info.dwEffWidth), m_header.biWidth,
                     m_header.biHeight, bits};
    RunLengthDecode(stream, cursor);
}

bool CRasterImageBMP::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    const DWORD paletteBytes = LayoutColors() * sizeof(RGBQUAD);
    BYTE fileHeader[kFileHeaderSize] = {'B', 'M'};
    PutDword(fileHeader + 2, GetSize() + kFileHeaderSize);
    PutDword(fileHeader + 10, kFileHeaderSize + sizeof(BITMAPINFOHEADER) + paletteBytes);
    SyncHeaderToDib();
    if (stream->Write(fileHeader, sizeof(fileHeader), 1) != 1 ||
        stream->Write(GetDIB(), GetSize(), 1) != 1)
        return Fail("Error writing BMP file");
    return true;
}
