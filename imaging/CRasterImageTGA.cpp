#include "imaging/CRasterImageTGA.h"

#include "imaging/CRasterFile.h"
#include "imaging/DataBound.h"
#include "imaging/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr BYTE kNoPending = 255;
// A run-length packet of two bytes at least repeats a pixel 128 times; plain pixels take a byte
// or more each.
constexpr uint64_t kMostRlePixelsPerByte = 64;

void PutWord(BYTE* p, DWORD v)
{
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
}

TGAHEADER ParseHeader(const BYTE* b)
{
    return TGAHEADER{b[0],        b[1],        b[2],         LittleEndian::Get16(b + 3), LittleEndian::Get16(b + 5), b[7],
                     LittleEndian::Get16(b + 8), LittleEndian::Get16(b + 10), LittleEndian::Get16(b + 12), LittleEndian::Get16(b + 14), b[16],      b[17]};
}

bool IsGrey(const TGAHEADER& h)
{
    return h.imageType == 3 || h.imageType == 11;
}

// 5-5-5 word (bit 15 ignored) as blue, green, red.
void Expand555(const BYTE* source, BYTE* bgr)
{
    const unsigned w = LittleEndian::Get16(source);
    bgr[0] = BYTE((w & 0x1F) << 3);
    bgr[1] = BYTE(((w >> 5) & 0x1F) << 3);
    bgr[2] = BYTE(((w >> 10) & 0x1F) << 3);
}

int BytesOfDepth(int bits)
{
    return (bits + 7) / 8;
}

} // namespace

bool CRasterImageTGA::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

bool CRasterImageTGA::Decode(CRasterFile* stream)
{
    if (stream == nullptr)
        return false;
    BYTE raw[kHeaderSize];
    if (stream->Read(raw, kHeaderSize, 1) != 1)
        return Fail("Not a TGA");
    const TGAHEADER h = ParseHeader(raw);
    if (!((h.imageType >= 1 && h.imageType <= 3) || (h.imageType >= 9 && h.imageType <= 11)))
        return Fail("Unknown TGA image type");
    if (h.width == 0 || h.height == 0 || h.pixelDepth == 0 || h.colorMapLength > 256)
        return Fail("bad TGA header");
    const BYTE d = h.pixelDepth;
    if (d != 8 && d != 15 && d != 16 && d != 24 && d != 32)
        return Fail("bad TGA header");
    if (h.colorMapType != 0 && h.colorMapEntrySize != 15 && h.colorMapEntrySize != 16 &&
        h.colorMapEntrySize != 24 && h.colorMapEntrySize != 32)
        return Fail("bad TGA header");
    stream->Seek(h.idLength, SEEK_CUR);
    if (DataBound::Overclaims(uint64_t(h.width) * h.height, DataBound::BytesLeft(*stream),
                              h.imageType >= 9 ? kMostRlePixelsPerByte : 1))
        return Fail("TGA: the picture is larger than its data can fill");
    // Grey at 16 bits is a grey byte and an alpha byte per pixel.
    const bool greyAlpha = IsGrey(h) && d >= 16;
    if (!Create(h.width, h.height, greyAlpha ? 8 : d, RASTER_FORMAT_TGA))
        return Fail("TGA Create failed");
    if (d == 32 || greyAlpha)
        AlphaCreate();
    if (m_info.nEscape != 0)
        return Fail("Cancelled");
    if (h.colorMapType != 0 && !ReadColorMap(*stream, h))
        return Fail("corrupted TGA");
    if (IsGrey(h))
        SetGrayPalette();
    const bool compressed = h.imageType >= 9;
    const bool topDown = (h.descriptor & 0x20) != 0;
    BYTE pending = kNoPending;
    for (DWORD y = 0; y < h.height; ++y) {
        if (m_info.nEscape != 0)
            return Fail("Cancelled");
        if (stream->Eof())
            return Fail("corrupted TGA");
        const DWORD row = topDown ? h.height - 1 - y : y;
        if (compressed)
            pending = ExpandCompressedLine(GetBits(row), h, *stream, h.width, row, pending);
        else
            ExpandUncompressedLine(GetBits(row), h, *stream, h.width, row, 0);
    }
    if (h.descriptor & 0x10)
        Mirror();
    return true;
}

bool CRasterImageTGA::ReadColorMap(CRasterFile& stream, const TGAHEADER& h)
{
    const int entryBytes = BytesOfDepth(h.colorMapEntrySize);
    std::vector<BYTE> map(size_t(h.colorMapLength) * entryBytes);
    if (!map.empty() && stream.Read(map.data(), 1, map.size()) != map.size())
        return false;
    // Entries land at the map's first index; the pixels index the whole table.
    for (DWORD i = 0; i < h.colorMapLength && h.colorMapFirst + i < GetNumColors(); ++i) {
        const BYTE* e = &map[size_t(i) * entryBytes];
        BYTE bgr[3] = {0, 0, 0};
        if (entryBytes == 2)
            Expand555(e, bgr);
        else
            std::memcpy(bgr, e, 3);
        SetPaletteColor(BYTE(h.colorMapFirst + i), bgr[2], bgr[1], bgr[0]);
    }
    return true;
}

void CRasterImageTGA::StorePixel(BYTE* destination, const BYTE* source, int fileBytes, DWORD x,
                                 DWORD row)
{
    if (GetBpp() != 24) {
        destination[x] = source[0];
        if (fileBytes == 2)
            AlphaSet(long(x), long(row), source[1]);
        return;
    }
    BYTE* p = destination + 3 * size_t(x);
    if (fileBytes == 2) {
        Expand555(source, p);
        return;
    }
    if (fileBytes == 1) {
        p[0] = p[1] = p[2] = source[0];
        return;
    }
    std::memcpy(p, source, 3);
    if (fileBytes == 4)
        AlphaSet(long(x), long(row), source[3]);
}

bool CRasterImageTGA::ExpandUncompressedLine(BYTE* destination, const TGAHEADER& header,
                                             CRasterFile& stream, DWORD count, DWORD row,
                                             DWORD firstColumn)
{
    const int fileBytes = BytesOfDepth(header.pixelDepth);
    count = std::min(count, GetWidth() - std::min(firstColumn, GetWidth()));
    std::vector<BYTE> pixels(size_t(count) * fileBytes, 0);
    const bool complete =
        pixels.empty() || stream.Read(pixels.data(), 1, pixels.size()) == pixels.size();
    for (DWORD i = 0; i < count; ++i)
        StorePixel(destination, &pixels[size_t(i) * fileBytes], fileBytes, firstColumn + i, row);
    return complete;
}

BYTE CRasterImageTGA::ExpandCompressedLine(BYTE* destination, const TGAHEADER& header,
                                           CRasterFile& stream, DWORD width, DWORD row,
                                           BYTE pending)
{
    const int fileBytes = BytesOfDepth(header.pixelDepth);
    width = std::min(width, GetWidth());
    for (DWORD x = 0; x < width;) {
        int packet = pending;
        pending = kNoPending;
        if (packet == kNoPending && (packet = stream.GetC()) < 0)
            return kNoPending; // the data ended inside the row
        DWORD n = (packet & 0x7F) + 1;
        const DWORD room = width - x;
        if (!(packet & 0x80)) {
            if (n > room) {
                pending = BYTE(n - room - 1);
                n = room;
            }
            ExpandUncompressedLine(destination, header, stream, n, row, x);
        } else {
            const int32_t at = stream.Tell();
            if (n > room) {
                pending = BYTE(0x80 + (n - room - 1));
                n = room;
            }
            BYTE value[4] = {0, 0, 0, 0};
            stream.Read(value, 1, size_t(fileBytes));
            for (DWORD i = 0; i < n; ++i)
                StorePixel(destination, value, fileBytes, x + i, row);
            // A run split over two rows gives its value to the next row too.
            if (pending != kNoPending)
                stream.Seek(at, SEEK_SET);
        }
        x += n;
    }
    return pending;
}

bool CRasterImageTGA::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    if (GetBpp() < 8)
        return Fail("Bit depth must be 8 or 24");
    const bool paletted = IsIndexed();
    const bool alpha = GetBpp() == 24 && AlphaIsValid();
    BYTE header[kHeaderSize] = {};
    header[1] = paletted ? 1 : 0;
    header[2] = GetBpp() == 8 ? 1 : 2;
    PutWord(header + 5, GetBpp() == 8 ? 256 : 0);
    header[7] = GetBpp() == 8 ? 24 : 0;
    PutWord(header + 12, GetWidth());
    PutWord(header + 14, GetHeight());
    header[16] = BYTE(alpha ? 32 : GetBpp());
    if (stream->Write(header, 1, kHeaderSize) != kHeaderSize)
        return Fail("Write Error in TGA file");
    if (GetBpp() == 8) {
        BYTE map[256 * 3] = {};
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            const RGBQUAD c = GetPaletteColor(BYTE(i));
            map[3 * i] = c.rgbBlue;
            map[3 * i + 1] = c.rgbGreen;
            map[3 * i + 2] = c.rgbRed;
        }
        if (stream->Write(map, 1, sizeof map) != sizeof map)
            return Fail("Write Error in TGA file");
    }
    return WriteRows(*stream) || Fail("Write Error in TGA file");
}

bool CRasterImageTGA::WriteRows(CRasterFile& stream)
{
    const DWORD width = GetWidth();
    const bool alpha = GetBpp() == 24 && AlphaIsValid();
    std::vector<BYTE> line(size_t(width) * 4);
    for (DWORD y = 0; y < GetHeight(); ++y) {
        const BYTE* bits = GetBits(y);
        size_t bytes = size_t(GetBpp() / 8) * width;
        if (alpha) {
            for (DWORD x = 0; x < width; ++x) {
                std::memcpy(&line[4 * size_t(x)], bits + 3 * size_t(x), 3);
                line[4 * size_t(x) + 3] =
                    BYTE(m_info.nAlphaMax * AlphaGet(long(x), long(y)) / 255);
            }
            bytes = line.size();
            bits = line.data();
        }
        if (stream.Write(bits, 1, bytes) != bytes)
            return false;
    }
    return true;
}
