#include "imaging/CRasterImagePCX.h"

#include "imaging/CRasterFile.h"
#include "imaging/LittleEndian.h"

#include <cstring>

namespace {

constexpr size_t kHeaderSize = 128;
constexpr int kPaletteMarker = 12;
// The header's palette information: 2 is a grey picture.
constexpr uint16_t kGreyPalette = 2;
// One count byte and its value byte give at most 63 bytes.
constexpr uint64_t kMaxExpansion = 63;

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void EmitRun(uint8_t value, int count, std::vector<uint8_t>& sink)
{
    if (count > 1 || (value & 0xC0) == 0xC0)
        sink.push_back(uint8_t(0xC0 | count));
    sink.push_back(value);
}

} // namespace

struct CRasterImagePCX::Header {
    uint8_t manufacturer, version, encoding, bitsPerPixel;
    int xMin, yMin, xMax, yMax, xDpi, yDpi;
    uint8_t colorMap[48];
    int planes;
    int bytesPerLine;
    uint16_t paletteInfo;
    int width, height;
};

bool CRasterImagePCX::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

void CRasterImagePCX::PackPixels(int value, PackState& state, std::vector<uint8_t>& sink)
{
    if (value != state.current && state.count > 0) {
        if (state.count == 1 && state.current < 0xC0)
            sink.push_back(uint8_t(state.current));
        else
            EmitRun(uint8_t(state.current), state.count, sink);
        state.count = 0;
    }
    if (state.count == 63) {
        sink.push_back(0xFF);
        sink.push_back(uint8_t(state.current));
        state.count = 0;
    }
    if (value == -2)
        sink.push_back(0);
    state.current = value & 0xFF;
    ++state.count;
}

void CRasterImagePCX::PackPlanes(const uint8_t* buffer, size_t length, std::vector<uint8_t>& sink)
{
    if (length == 0)
        return;
    uint8_t run = buffer[0];
    int count = 1;
    for (size_t i = 1; i < length; ++i) {
        if (buffer[i] == run && count < 63) {
            ++count;
            continue;
        }
        EmitRun(run, count, sink);
        run = buffer[i];
        count = 1;
    }
    EmitRun(run, count, sink);
}

bool CRasterImagePCX::ReadHeader(CRasterFile& stream, Header& h)
{
    uint8_t raw[kHeaderSize];
    if (stream.Read(raw, kHeaderSize, 1) != 1)
        return Fail("Can't read PCX image");
    h.manufacturer = raw[0];
    h.version = raw[1];
    h.encoding = raw[2];
    h.bitsPerPixel = raw[3];
    h.xMin = LittleEndian::Get16(raw + 4);
    h.yMin = LittleEndian::Get16(raw + 6);
    h.xMax = LittleEndian::Get16(raw + 8);
    h.yMax = LittleEndian::Get16(raw + 10);
    h.xDpi = LittleEndian::Get16(raw + 12);
    h.yDpi = LittleEndian::Get16(raw + 14);
    memcpy(h.colorMap, raw + 16, sizeof(h.colorMap));
    h.planes = raw[65];
    h.bytesPerLine = LittleEndian::Get16(raw + 66);
    h.paletteInfo = LittleEndian::Get16(raw + 68);
    h.width = h.xMax - h.xMin + 1;
    h.height = h.yMax - h.yMin + 1;
    if (h.manufacturer != 10)
        return Fail("Error: Not a PCX file");
    if (h.encoding != 1)
        return Fail("PCX file has unknown encoding scheme");
    if (h.planes > 4)
        return Fail("Can't handle image with more than 4 planes");
    // A size below one pixel, an unknown depth or lines too short for their pixels cannot be
    // laid out: refused before anything is sized from them.
    const int bits = h.bitsPerPixel;
    if (h.width <= 0 || h.height <= 0 || h.planes == 0
        || !(bits == 1 || bits == 2 || bits == 4 || bits == 8)
        || int64_t(h.bytesPerLine) * 8 < int64_t(h.width) * bits)
        return Fail("corrupted PCX");
    // Several planes are either planes of one bit or 3 or 4 planes of bytes (RGB, RGBA).
    if (h.planes > 1 && bits != 1 && !(bits == 8 && h.planes >= 3))
        return Fail("Can't handle more than 1 bit per pixel");
    return true;
}

bool CRasterImagePCX::Decode(CRasterFile* stream)
{
    if (!stream)
        return false;
    Header h;
    if (!ReadHeader(*stream, h))
        return false;
    const uint64_t expected = uint64_t(h.bytesPerLine) * h.planes * h.height;
    const int64_t left = int64_t(stream->Size()) - stream->Tell();
    if (expected > uint64_t(left > 0 ? left : 0) * kMaxExpansion)
        return Fail("corrupted PCX");
    DWORD bpp = h.bitsPerPixel;
    if (h.bitsPerPixel == 8 && h.planes >= 3)
        bpp = 24;
    else if (h.bitsPerPixel == 1 && h.planes > 1)
        bpp = 4; // up to 4 planes of one bit give up to 16 colours
    if (!Create(DWORD(h.width), DWORD(h.height), bpp, RASTER_FORMAT_PCX))
        return false; // Create's own text says why
    SetXDPI(h.xDpi);
    SetYDPI(h.yDpi);
    SyncHeaderToDib();
    if (bpp == 24 && h.planes == 4)
        AlphaCreate();
    if (m_info.nEscape)
        return Fail("Cancelled");
    std::vector<uint8_t> data;
    if (!Decompress(*stream, data, expected) || !ReadPalette(*stream, h))
        return false;
    return StoreLines(h, data);
}

bool CRasterImagePCX::Decompress(CRasterFile& stream, std::vector<uint8_t>& data,
                                 uint64_t expected)
{
    data.resize(size_t(expected));
    size_t filled = 0;
    while (filled < data.size()) {
        const int32_t code = stream.GetC();
        if (code < 0)
            return Fail("corrupted PCX");
        if ((code & 0xC0) != 0xC0) {
            data[filled++] = uint8_t(code);
            continue;
        }
        const size_t count = size_t(code & 0x3F);
        if (count > data.size() - filled)
            return Fail("repeat count spans end of image");
        const int32_t value = stream.GetC();
        if (value < 0)
            return Fail("corrupted PCX");
        memset(data.data() + filled, value, count);
        filled += count;
    }
    return true;
}

bool CRasterImagePCX::ReadPalette(CRasterFile& stream, const Header& h)
{
    const DWORD entries = GetNumColors();
    if (entries == 0)
        return true;
    for (DWORD i = 0; i < 16 && i < entries; ++i)
        SetPaletteColor(BYTE(i), h.colorMap[i * 3], h.colorMap[i * 3 + 1], h.colorMap[i * 3 + 2]);
    if (h.bitsPerPixel == 8 && h.planes == 1) {
        // The 256-entry map closes the file: its marker and 768 bytes are the last 769 bytes,
        // whatever padding the data left before them. A grey picture may come without one.
        uint8_t table[768];
        const int32_t at = stream.Size() - int32_t(sizeof(table)) - 1;
        const bool marked = at >= stream.Tell() && stream.Seek(at, SEEK_SET) && stream.GetC() == kPaletteMarker;
        if (!marked && h.paletteInfo == kGreyPalette) {
            for (DWORD i = 0; i < 256 && i < entries; ++i)
                SetPaletteColor(BYTE(i), BYTE(i), BYTE(i), BYTE(i));
            return true;
        }
        if (!marked)
            return Fail("bad color map signature");
        if (stream.Read(table, 1, sizeof(table)) != sizeof(table))
            return Fail("corrupted PCX");
        for (DWORD i = 0; i < 256 && i < entries; ++i)
            SetPaletteColor(BYTE(i), table[i * 3], table[i * 3 + 1], table[i * 3 + 2]);
    } else if (h.bitsPerPixel == 1 && h.planes == 1) {
        // Many writers leave the header's map empty: one-bit images are black and white.
        SetPaletteColor(0, 0, 0, 0);
        SetPaletteColor(1, 255, 255, 255);
    }
    return true;
}

bool CRasterImagePCX::StoreLines(const Header& h, const std::vector<uint8_t>& data)
{
    const size_t bpl = size_t(h.bytesPerLine);
    const size_t lineBytes = bpl * size_t(h.planes);
    const int bits = h.bitsPerPixel;
    for (int y = 0; y < h.height; ++y) {
        if (m_info.nEscape)
            return Fail("Cancelled");
        const uint8_t* line = data.data() + lineBytes * size_t(y);
        const long row = h.height - 1 - y;
        if (bits == 8 && h.planes >= 3) {
            BYTE* target = GetBits(DWORD(row));
            for (int x = 0; x < h.width; ++x) {
                target[x * 3] = line[2 * bpl + x];
                target[x * 3 + 1] = line[bpl + x];
                target[x * 3 + 2] = line[x];
                if (h.planes == 4)
                    AlphaSet(x, row, line[3 * bpl + x]);
            }
        } else if (h.planes == 1) {
            const int perByte = 8 / bits;
            const int mask = (1 << bits) - 1;
            for (int x = 0; x < h.width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                SetPixelIndex(x, row, BYTE((line[x / perByte] >> shift) & mask));
            }
        } else {
            for (int x = 0; x < h.width; ++x) {
                int value = 0;
                for (int p = 0; p < h.planes; ++p)
                    if (line[bpl * p + x / 8] & (0x80 >> (x % 8)))
                        value |= 1 << p;
                SetPixelIndex(x, row, BYTE(value));
            }
        }
    }
    return true;
}

bool CRasterImagePCX::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    const DWORD width = GetWidth(), height = GetHeight();
    const bool byteDepth = GetBpp() == 8 || GetBpp() == 24;
    int planes;
    DWORD bytesPerLine;
    if (byteDepth) {
        planes = IsIndexed() ? 1 : (AlphaIsValid() ? 4 : 3);
        bytesPerLine = width;
    } else {
        planes = GetNumColors() == 16 ? 4 : 1;
        bytesPerLine = (width + 7) / 8;
    }
    bytesPerLine += bytesPerLine & 1;
    if (width > 0x10000 || height > 0x10000 || bytesPerLine > 0xFFFF)
        return Fail("Can't save this image as PCX");

    uint8_t header[kHeaderSize] = {10, 5, 1, uint8_t(byteDepth ? 8 : 1)};
    Put16(header + 8, width - 1);
    Put16(header + 10, height - 1);
    Put16(header + 12, DWORD(GetXDPI()));
    Put16(header + 14, DWORD(GetYDPI()));
    if (!byteDepth && planes == 1) {
        memset(header + 19, 255, 3); // entry 0 black, entry 1 white
    } else if (!byteDepth) {
        for (int i = 0; i < 16; ++i) {
            const RGBQUAD c = GetPaletteColor(BYTE(i));
            header[16 + i * 3] = c.rgbRed;
            header[17 + i * 3] = c.rgbGreen;
            header[18 + i * 3] = c.rgbBlue;
        }
    }
    header[65] = uint8_t(planes);
    Put16(header + 66, bytesPerLine);
    Put16(header + 68, IsIndexed() ? 0 : 1);
    if (stream->Write(header, kHeaderSize, 1) != 1)
        return Fail("cannot write PCX header");

    std::vector<uint8_t> out;
    if (!byteDepth)
        EncodePlanes(out, planes, bytesPerLine);
    else if (IsIndexed())
        EncodeIndexed(out);
    else
        EncodeTrueColor(out, bytesPerLine);
    if (stream->Write(out.data(), 1, out.size()) != out.size())
        return Fail("cannot write PCX data");
    return true;
}

void CRasterImagePCX::EncodeTrueColor(std::vector<uint8_t>& out, DWORD bytesPerLine) const
{
    const DWORD width = GetWidth();
    const int endOfLine = width == bytesPerLine ? -1 : -2;
    const int planes = AlphaIsValid() ? 4 : 3;
    for (long y = long(GetHeight()) - 1; y >= 0; --y) {
        const BYTE* row = GetBits(DWORD(y));
        for (int p = 0; p < planes; ++p) {
            PackState state;
            for (DWORD x = 0; x < width; ++x)
                PackPixels(p < 3 ? row[x * 3 + 2 - p] : AlphaGet(long(x), y), state, out);
            PackPixels(endOfLine, state, out);
        }
    }
}

void CRasterImagePCX::EncodeIndexed(std::vector<uint8_t>& out) const
{
    const DWORD width = GetWidth();
    const int endOfLine = width % 2 ? -2 : -1;
    for (long y = long(GetHeight()) - 1; y >= 0; --y) {
        const BYTE* row = GetBits(DWORD(y));
        PackState state;
        for (DWORD x = 0; x < width; ++x)
            PackPixels(row[x], state, out);
        PackPixels(endOfLine, state, out);
    }
    out.push_back(kPaletteMarker);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD c = GetPaletteColor(BYTE(i));
        out.insert(out.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
    }
}

void CRasterImagePCX::EncodePlanes(std::vector<uint8_t>& out, int planes,
                                   DWORD bytesPerLine) const
{
    const DWORD width = GetWidth();
    // A one-bit image is written with black as 0 and white as 1, as readers expect.
    const RGBQUAD first = GetPaletteColor(0), second = GetPaletteColor(1);
    const bool invert = GetBpp() == 1 && CompareColors(&first, &second) > 0;
    std::vector<uint8_t> indices(width), plane(bytesPerLine);
    for (long y = long(GetHeight()) - 1; y >= 0; --y) {
        for (DWORD x = 0; x < width; ++x)
            indices[x] = BYTE(GetPixelIndex(long(x), y) ^ (invert ? 1 : 0));
        for (int p = 0; p < planes; ++p) {
            std::fill(plane.begin(), plane.end(), 0);
            for (DWORD x = 0; x < width; ++x)
                if (indices[x] & (1 << p))
                    plane[x / 8] |= uint8_t(0x80 >> (x % 8));
            PackPlanes(plane.data(), plane.size(), out);
        }
    }
}
