#include "engine/rkio/RasterFileWriter.h"

#include <vector>

namespace RkIo {

namespace {

void Put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, unsigned long v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// One TIFF directory entry of a SHORT or LONG value.
void Entry(std::string& s, unsigned tag, unsigned type, unsigned long value)
{
    Put16(s, tag);
    Put16(s, type);
    Put32(s, 1);
    if (type == 3) {
        Put16(s, static_cast<unsigned>(value));
        Put16(s, 0);
    } else {
        Put32(s, value);
    }
}

bool WriteReplacing(const char* path, const std::string& bytes)
{
    const std::string temp = std::string(path) + ".tmp~";
    HANDLE f = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    if (!ok || written != bytes.size() ||
        !MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

std::string RasterFileWriter::Tiff(int width, int height, const std::string& dib)
{
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    const unsigned long imageSize = static_cast<unsigned long>(width) * 3 * static_cast<unsigned long>(height);
    std::string s("II");
    Put16(s, 42);
    Put32(s, 8);
    const unsigned entries = 11;
    const unsigned long bitsOffset = 8 + 2 + entries * 12 + 4;
    const unsigned long pixelsOffset = bitsOffset + 6;
    Put16(s, entries);
    Entry(s, 256, 4, static_cast<unsigned long>(width));
    Entry(s, 257, 4, static_cast<unsigned long>(height));
    Put16(s, 258); Put16(s, 3); Put32(s, 3); Put32(s, bitsOffset);     // 8, 8, 8
    Entry(s, 259, 3, 1);            // no compression
    Entry(s, 262, 3, 2);            // RGB
    Entry(s, 273, 4, pixelsOffset);
    Entry(s, 277, 3, 3);
    Entry(s, 278, 4, static_cast<unsigned long>(height));
    Entry(s, 279, 4, imageSize);
    Entry(s, 284, 3, 1);            // chunky
    Entry(s, 296, 3, 1);            // no resolution unit
    Put32(s, 0);
    Put16(s, 8); Put16(s, 8); Put16(s, 8);
    for (int y = height - 1; y >= 0; --y) {
        const char* row = dib.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            s += row[x * 3 + 2];
            s += row[x * 3 + 1];
            s += row[x * 3];
        }
    }
    return s;
}

std::string RasterFileWriter::Bmp(int width, int height, const std::string& dib)
{
    std::string s("BM");
    Put32(s, 54 + static_cast<unsigned long>(dib.size()));
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, static_cast<unsigned long>(width));
    Put32(s, static_cast<unsigned long>(height));
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);
    Put32(s, static_cast<unsigned long>(dib.size()));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    return s + dib;
}

bool RasterFileWriter::Save(HBITMAP bitmap, int format, const char* path)
{
    BITMAP bm;
    if (!bitmap || !path || !*path || !GetObject(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0 || (format != kTiff && format != kBmp))
        return false;
    const std::size_t stride = (static_cast<std::size_t>(bm.bmWidth) * 3 + 3) & ~static_cast<std::size_t>(3);
    std::string pixels(stride * static_cast<std::size_t>(bm.bmHeight), '\0');
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), &pixels[0], &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != bm.bmHeight)
        return false;
    const std::string file = format == kTiff ? Tiff(bm.bmWidth, bm.bmHeight, pixels)
                                             : Bmp(bm.bmWidth, bm.bmHeight, pixels);
    return WriteReplacing(path, file);
}

} // namespace RkIo
