// Builds the data of an OLE2FRAME for the tests: the kind, the four corners and an OLE compound
// file whose "CONTENTS" stream holds a picture file, and writes it as DXF 310 chunks.
#pragma once

#include "DxfBuilder.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace orvo::portable {

// A 2 x 2 BMP file: red, green on the bottom row; blue, yellow on the top row.
inline std::string FourColourBmp()
{
    const unsigned char pixels[] = {0, 0, 255, 0, 255, 0, 0, 0,       // bottom row (BGR), padded
                                    255, 0, 0, 0, 255, 255, 0, 0};    // top row
    std::string bmp(54, '\0');
    const auto put32 = [&bmp](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54 + sizeof pixels);
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, sizeof pixels);
    bmp.append(reinterpret_cast<const char*>(pixels), sizeof pixels);
    return bmp;
}

// Sectors of 512 bytes: the FAT, the directory (root and the stream), then the stream.
inline std::string CompoundFileWith(const std::string& contents, const char16_t* name = u"CONTENTS")
{
    const std::size_t streamSectors = (contents.size() + 511) / 512;
    std::string file(512 * (3 + streamSectors), '\0');
    const auto put16 = [&file](std::size_t at, std::uint16_t v) { std::memcpy(&file[at], &v, 2); };
    const auto put32 = [&file](std::size_t at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); };
    const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(&file[0], signature, 8);
    put16(24, 0x3E);
    put16(26, 3);
    put16(28, 0xFFFE);
    put16(30, 9);
    put16(32, 6);
    put32(44, 1);             // one FAT sector
    put32(48, 1);             // the directory at sector 1
    put32(56, 0);             // every stream in the FAT's sectors
    put32(60, 0xFFFFFFFE);
    put32(68, 0xFFFFFFFE);
    put32(76, 0);             // the FAT at sector 0
    for (int i = 1; i < 109; ++i)
        put32(76 + 4 * i, 0xFFFFFFFF);
    const std::size_t fat = 512, directory = 1024;
    for (std::size_t i = 0; i < 128; ++i)
        put32(fat + 4 * i, 0xFFFFFFFF);
    put32(fat, 0xFFFFFFFD);
    put32(fat + 4, 0xFFFFFFFE);
    for (std::size_t i = 0; i < streamSectors; ++i)
        put32(fat + 4 * (2 + i), i + 1 < streamSectors ? static_cast<std::uint32_t>(3 + i) : 0xFFFFFFFE);
    const auto entry = [&](std::size_t at, const char16_t* name, int type, std::uint32_t start, std::uint32_t size) {
        std::size_t n = 0;
        for (; name[n]; ++n)
            put16(at + 2 * n, static_cast<std::uint16_t>(name[n]));
        put16(at + 64, static_cast<std::uint16_t>(2 * (n + 1)));
        file[at + 66] = static_cast<char>(type);
        put32(at + 116, start);
        put32(at + 120, size);
    };
    entry(directory, u"Root Entry", 5, 0xFFFFFFFE, 0);
    entry(directory + 128, name, 2, 2, static_cast<std::uint32_t>(contents.size()));
    std::memcpy(&file[1536], contents.data(), contents.size());
    return file;
}

// A Windows metafile that fills its 100 x 100 window with red, as a metafile presentation
// ("\2OlePres000": clipboard format 3, no target device, then aspect, index, advice, reserved,
// width, height, size and the metafile).
inline std::string RedMetafilePresentation()
{
    std::string wmf;
    const auto u16 = [&wmf](std::uint32_t v) {
        wmf += static_cast<char>(v & 0xFF);
        wmf += static_cast<char>((v >> 8) & 0xFF);
    };
    const auto u32 = [&u16](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const std::uint32_t records = 5 + 5 + 7 + 4 + 7 + 3;
    u16(1); u16(9); u16(0x300); u32(9 + records); u16(1); u32(7); u16(0);
    u32(5); u16(0x020B); u16(0); u16(0);                   // SetWindowOrg
    u32(5); u16(0x020C); u16(100); u16(100);               // SetWindowExt
    u32(7); u16(0x02FC); u16(0); u32(0x0000FF); u16(0);    // CreateBrushIndirect: solid red
    u32(4); u16(0x012D); u16(0);                           // SelectObject
    u32(7); u16(0x041B); u16(100); u16(100); u16(0); u16(0);   // Rectangle
    u32(3); u16(0);                                        // end
    std::string stream;
    const auto put = [&stream](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            stream += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(0xFFFFFFFF);
    put(3);
    put(4);
    put(1); put(0xFFFFFFFF); put(0); put(0);
    put(2646); put(2646);
    put(static_cast<std::uint32_t>(wmf.size()));
    return stream + wmf;
}

// The OLE2FRAME data: kind, corners (upper left, upper right, lower right, lower left), a header
// and the compound file.
inline std::string OleData(double left, double bottom, double right, double top, const std::string& compound)
{
    std::string data(0x80, '\0');
    data[0] = '\x80';
    data[1] = '\x55';
    const double corners[4][3] = {{left, top, 0}, {right, top, 0}, {right, bottom, 0}, {left, bottom, 0}};
    std::memcpy(&data[2], corners, sizeof corners);
    const auto size = static_cast<std::uint32_t>(compound.size());
    std::memcpy(&data[0x7C], &size, 4);
    return data + compound;
}

inline void AddOleFrame(DxfBuilder& b, const std::string& data, double left, double bottom, double right, double top)
{
    b.S(0, "OLE2FRAME").S(8, "0").S(100, "AcDbOle2Frame").I(70, 2).S(3, "Picture (Device Independent Bitmap)");
    b.P(10, left, top).P(11, right, bottom).I(71, 3).I(72, 0).I(90, static_cast<std::int64_t>(data.size()));
    static const char digits[] = "0123456789ABCDEF";
    for (std::size_t at = 0; at < data.size(); at += 127) {
        std::string hex;
        for (std::size_t i = at; i < data.size() && i < at + 127; ++i) {
            const auto byte = static_cast<unsigned char>(data[i]);
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        b.S(310, hex);
    }
    b.S(1, "OLE");
}

} // namespace orvo::portable
