#include "imaging/CRasterImageWBMP.h"

#include "imaging/CRasterFile.h"

namespace {

// The writer keeps the one-byte limits of the format's first readers.
constexpr DWORD kMaxSavedSide = 255;

} // namespace

bool CRasterImageWBMP::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

bool CRasterImageWBMP::ReadMultiByte(CRasterFile& stream, uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 5; ++i) {
        const int32_t byte = stream.GetC();
        if (byte < 0)
            return false;
        value = (value << 7) | uint32_t(byte & 0x7F);
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

void CRasterImageWBMP::PutMultiByte(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(uint8_t(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

bool CRasterImageWBMP::Decode(CRasterFile* stream)
{
    if (!stream)
        return false;
    uint32_t type = 0;
    if (!ReadMultiByte(*stream, type))
        return Fail("Not a WBMP");
    if (type != 0)
        return Fail("Unsupported WBMP type");
    uint32_t width = 0, height = 0;
    if (stream->GetC() < 0 || !ReadMultiByte(*stream, width) || !ReadMultiByte(*stream, height)
        || width == 0 || height == 0)
        return Fail("Corrupted WBMP");
    // The rows must all be there: a header cannot make us size a buffer the file cannot fill.
    const uint64_t rowBytes = (uint64_t(width) + 7) / 8;
    const int64_t left = int64_t(stream->Size()) - stream->Tell();
    if (rowBytes * height > uint64_t(left > 0 ? left : 0))
        return Fail("Corrupted WBMP");
    if (!Create(width, height, 1, RASTER_FORMAT_WBMP))
        return Fail("WBMP Create failed");
    SetGrayPalette();
    for (uint32_t y = 0; y < height; ++y) {
        BYTE* row = GetBits(height - 1 - y);
        if (stream->Read(row, 1, size_t(rowBytes)) != rowBytes)
            return Fail("Corrupted WBMP");
    }
    return true;
}

bool CRasterImageWBMP::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    const DWORD width = GetWidth(), height = GetHeight();
    if (GetBpp() != 1 || width > kMaxSavedSide || height > kMaxSavedSide)
        return Fail("Can't save this image as WBMP");
    std::vector<uint8_t> header = {0, 0};
    PutMultiByte(header, width);
    PutMultiByte(header, height);
    if (stream->Write(header.data(), 1, header.size()) != header.size())
        return Fail("Can't write WBMP");
    const size_t rowBytes = (size_t(width) + 7) / 8;
    for (DWORD y = 0; y < height; ++y)
        if (stream->Write(GetBits(height - 1 - y), 1, rowBytes) != rowBytes)
            return Fail("Can't write WBMP");
    return true;
}
