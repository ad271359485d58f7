#include "imaging/CRasterImageICO.h"

#include "imaging/CRasterFile.h"
#include "imaging/CRasterImagePNG.h"
#include "imaging/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

void PutWord(BYTE* p, DWORD v)
{
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
}

void PutDword(BYTE* p, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = BYTE(v >> (8 * i));
}

DWORD MaskRowBytes(DWORD width)
{
    return (width + 31) / 32 * 4;
}

bool ReadAll(CRasterFile& stream, void* buffer, size_t size)
{
    return size == 0 || stream.Read(buffer, 1, size) == size;
}

bool WriteAll(CRasterFile& stream, const void* buffer, size_t size)
{
    return size == 0 || stream.Write(buffer, 1, size) == size;
}

} // namespace

bool CRasterImageICO::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

bool CRasterImageICO::Decode(CRasterFile* stream)
{
    if (stream == nullptr)
        return false;
    const int64_t start = stream->Tell();
    BYTE header[kHeaderSize];
    if (!ReadAll(*stream, header, kHeaderSize) || LittleEndian::Get16(header) != 0 ||
        (LittleEndian::Get16(header + 2) != 1 && LittleEndian::Get16(header + 2) != 2))
        return Fail("ICO: not an icon or cursor file");
    const DWORD count = LittleEndian::Get16(header + 4);
    m_info.nNumFrames = LONG(count);
    if (count == 0)
        return Fail("ICO: the file holds no picture");
    std::vector<BYTE> entries(count * kEntrySize);
    if (!ReadAll(*stream, entries.data(), entries.size()))
        return Fail("ICO: the directory is cut short");
    if (m_info.nFrame < 0 || DWORD(m_info.nFrame) >= count)
        return Fail("ICO: no such picture");
    const BYTE* entry = &entries[size_t(m_info.nFrame) * kEntrySize];
    // A size byte of 0 stands for 256 pixels.
    const DWORD width = entry[0] ? entry[0] : 256;
    const DWORD height = entry[1] ? entry[1] : 256;
    const int64_t offset = start + int64_t(LittleEndian::Get32(entry + 12));
    if (offset > INT32_MAX || offset >= stream->Size() || !stream->Seek(int32_t(offset), SEEK_SET))
        return Fail("ICO: the picture lies outside the file");
    BYTE signature[8] = {};
    const bool png = ReadAll(*stream, signature, 8) && std::memcmp(signature, kPngSignature, 8) == 0;
    stream->Seek(int32_t(offset), SEEK_SET);
    return png ? DecodePng(*stream) : ReadBitmap(*stream, width, height);
}

bool CRasterImageICO::DecodePng(CRasterFile& stream)
{
    CRasterImagePNG png;
    png.CopyInfo(*this);
    png.SetFrame(0);
    if (!png.Decode(&stream))
        return Fail(png.GetLastError()[0] ? png.GetLastError() : "ICO: the PNG picture cannot be read");
    const LONG frames = m_info.nNumFrames, frame = m_info.nFrame;
    if (!Transfer(png))
        return Fail("ICO: the picture could not be kept");
    m_info.dwType = RASTER_FORMAT_ICO;
    m_info.nNumFrames = frames;
    m_info.nFrame = frame;
    return true;
}

bool CRasterImageICO::ReadBitmap(CRasterFile& stream, DWORD width, DWORD height)
{
    BYTE raw[sizeof(BITMAPINFOHEADER)];
    if (!ReadAll(stream, raw, sizeof raw))
        return Fail("ICO: the bitmap header is cut short");
    const DWORD headerSize = LittleEndian::Get32(raw);
    const LONG headerWidth = LONG(LittleEndian::Get32(raw + 4));
    const LONG headerHeight = LONG(LittleEndian::Get32(raw + 8));
    const WORD depth = LittleEndian::Get16(raw + 14);
    const DWORD colorsUsed = LittleEndian::Get32(raw + 32);
    if (headerSize < sizeof raw || headerSize > 0x10000)
        return Fail("ICO: the bitmap header is damaged");
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return Fail(depth == 16 ? "ICO: 16-bit icons are not supported" : "ICO: unknown bit depth");
    if (LittleEndian::Get32(raw + 16) != 0)
        return Fail("ICO: compressed bitmaps are not supported");
    // The bitmap's own size wins over the directory's (the directory holds one byte a side, and
    // writers put anything there); its height counts the mask too.
    if (headerWidth > 0 && headerWidth <= 1024 && headerHeight > 0 && headerHeight <= 2048) {
        width = DWORD(headerWidth);
        height = DWORD(headerHeight) / 2 ? DWORD(headerHeight) / 2 : 1;
    }
    stream.Seek(int32_t(headerSize - sizeof raw), SEEK_CUR);
    if (!Create(width, height, depth, RASTER_FORMAT_ICO))
        return false;
    // A palette shorter than the depth allows is read as short as it is.
    const DWORD colors = colorsUsed != 0 && colorsUsed < GetNumColors() ? colorsUsed : GetNumColors();
    std::vector<RGBQUAD> palette(colors);
    if (!ReadAll(stream, palette.data(), palette.size() * sizeof(RGBQUAD)))
        return Fail("ICO: the palette is cut short");
    SetPalette(palette.data(), colors);
    if (depth > 24) {
        if (!ReadTrueColourWithAlpha(stream))
            return Fail("ICO: the pixels are cut short");
    } else if (!ReadAll(stream, GetBits(), m_header.biSizeImage)) {
        return Fail("ICO: the pixels are cut short");
    }
    std::vector<BYTE> mask(size_t(height) * MaskRowBytes(width));
    if (!ReadAll(stream, mask.data(), mask.size()))
        return true; // an icon without its mask is shown opaque
    ApplyMask(mask, depth);
    return true;
}

bool CRasterImageICO::ReadTrueColourWithAlpha(CRasterFile& stream)
{
    const DWORD width = GetWidth();
    std::vector<BYTE> pixels(size_t(width) * GetHeight() * 4);
    if (!ReadAll(stream, pixels.data(), pixels.size()))
        return false;
    AlphaCreate();
    if (!AlphaIsValid())
        return false;
    for (DWORD y = 0; y < GetHeight(); ++y) {
        BYTE* row = GetBits(y);
        const BYTE* source = &pixels[size_t(y) * width * 4];
        for (DWORD x = 0; x < width; ++x) {
            std::memcpy(row + 3 * size_t(x), source + 4 * size_t(x), 3);
            AlphaSet(long(x), long(y), source[4 * size_t(x) + 3]);
        }
    }
    return true;
}

bool CRasterImageICO::Masked(const std::vector<BYTE>& mask, DWORD x, DWORD y) const
{
    return (mask[size_t(y) * MaskRowBytes(GetWidth()) + x / 8] >> (7 - x % 8)) & 1;
}

void CRasterImageICO::ApplyMask(const std::vector<BYTE>& mask, WORD fileDepth)
{
    if (std::all_of(mask.begin(), mask.end(), [](BYTE b) { return b == 0xFF; })) {
        SetTransIndex(0);
        Negative();
        return;
    }
    const bool hadAlpha = AlphaIsValid();
    AlphaCreate();
    bool any = false;
    for (DWORD y = 0; y < GetHeight(); ++y)
        for (DWORD x = 0; x < GetWidth(); ++x)
            if (Masked(mask, x, y)) {
                AlphaSet(long(x), long(y), 0);
                any = true;
            }
    if (!hadAlpha && !any)
        AlphaDelete();
    if (fileDepth == 24)
        MaskToTransparentColour(mask);
    else if (fileDepth <= 8)
        MaskToTransparentIndex(mask);
}

void CRasterImageICO::MaskToTransparentColour(const std::vector<BYTE>& mask)
{
    bool found = false;
    RGBQUAD colour = {};
    for (DWORD y = 0; y < GetHeight(); ++y)
        for (DWORD x = 0; x < GetWidth(); ++x) {
            if (!Masked(mask, x, y))
                continue;
            const RGBQUAD c = GetPixelColor(long(x), long(y), false);
            if (found && (c.rgbRed != colour.rgbRed || c.rgbGreen != colour.rgbGreen ||
                          c.rgbBlue != colour.rgbBlue))
                return; // several colours under the mask: the alpha plane stays
            colour = c;
            found = true;
        }
    if (!found)
        return;
    SetTransColor(colour);
    SetTransIndex(0);
    AlphaDelete();
}

void CRasterImageICO::MaskToTransparentIndex(const std::vector<BYTE>& mask)
{
    bool used[256] = {};
    for (DWORD y = 0; y < GetHeight(); ++y)
        for (DWORD x = 0; x < GetWidth(); ++x)
            used[GetPixelIndex(long(x), long(y))] = true;
    DWORD free = 0;
    while (free < GetNumColors() && used[free])
        ++free;
    if (free >= GetNumColors())
        return; // every index is in use: the mask stays as alpha
    bool any = false;
    for (DWORD y = 0; y < GetHeight(); ++y)
        for (DWORD x = 0; x < GetWidth(); ++x)
            if (Masked(mask, x, y)) {
                SetPixelIndex(long(x), long(y), BYTE(free));
                any = true;
            }
    if (any)
        SetTransIndex(LONG(free));
    AlphaDelete();
}

std::vector<BYTE> CRasterImageICO::BuildMask() const
{
    const DWORD rowBytes = MaskRowBytes(GetWidth());
    std::vector<BYTE> mask(size_t(GetHeight()) * rowBytes, 0);
    const bool paletteAlpha = m_info.bAlphaPaletteEnabled && IsIndexed();
    const bool trans = GetTransIndex() != -1;
    const RGBQUAD key = GetTransColor();
    for (DWORD y = 0; y < GetHeight(); ++y)
        for (DWORD x = 0; x < GetWidth(); ++x) {
            const RGBQUAD c = GetPixelColor(long(x), long(y), false);
            const bool clear =
                (AlphaIsValid() && AlphaGet(long(x), long(y)) == 0) ||
                (paletteAlpha && GetPaletteColor(GetPixelIndex(long(x), long(y))).rgbReserved == 0) ||
                (trans && c.rgbRed == key.rgbRed && c.rgbGreen == key.rgbGreen &&
                 c.rgbBlue == key.rgbBlue);
            if (clear)
                mask[size_t(y) * rowBytes + x / 8] |= BYTE(0x80 >> (x % 8));
        }
    return mask;
}

bool CRasterImageICO::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    if (GetWidth() > 255 || GetHeight() > 255) {
        SetLastError("Can't save this image as icon");
        return false;
    }
    const bool withAlpha = AlphaIsValid() && !IsIndexed();
    const DWORD depth = withAlpha ? 32 : GetBpp();
    const DWORD pixelSize = withAlpha ? GetWidth() * GetHeight() * 4 : m_header.biSizeImage;
    const std::vector<BYTE> mask = BuildMask();
    const DWORD paletteBytes = GetNumColors() * sizeof(RGBQUAD);

    BYTE head[kHeaderSize + kEntrySize + sizeof(BITMAPINFOHEADER)] = {};
    PutWord(head + 2, 1);
    PutWord(head + 4, 1);
    BYTE* entry = head + kHeaderSize;
    entry[0] = BYTE(GetWidth());
    entry[1] = BYTE(GetHeight());
    entry[2] = BYTE(GetNumColors());
    PutWord(entry + 6, depth);
    PutDword(entry + 8, DWORD(sizeof(BITMAPINFOHEADER)) + paletteBytes + pixelSize + DWORD(mask.size()));
    PutDword(entry + 12, kHeaderSize + kEntrySize);
    BYTE* info = entry + kEntrySize;
    PutDword(info, sizeof(BITMAPINFOHEADER));
    PutDword(info + 4, GetWidth());
    PutDword(info + 8, GetHeight() * 2);
    PutWord(info + 12, 1);
    PutWord(info + 14, depth);
    PutDword(info + 20, pixelSize);
    const bool ok = WriteAll(*stream, head, sizeof head) &&
                    WriteAll(*stream, GetPalette(), paletteBytes) &&
                    WritePixels(*stream, withAlpha) && WriteAll(*stream, mask.data(), mask.size());
    if (!ok)
        SetLastError("Write Error in ICO file");
    return ok;
}

bool CRasterImageICO::WritePixels(CRasterFile& stream, bool withAlpha)
{
    if (!withAlpha)
        return WriteAll(stream, GetBits(), m_header.biSizeImage);
    std::vector<BYTE> row(size_t(GetWidth()) * 4);
    for (DWORD y = 0; y < GetHeight(); ++y) {
        const BYTE* bits = GetBits(y);
        for (DWORD x = 0; x < GetWidth(); ++x) {
            std::memcpy(&row[4 * size_t(x)], bits + 3 * size_t(x), 3);
            row[4 * size_t(x) + 3] = AlphaGet(long(x), long(y));
        }
        if (!WriteAll(stream, row.data(), row.size()))
            return false;
    }
    return true;
}
