#include "imaging/CGif.h"

#include "imaging/CDib.h"
#include "imaging/DibRows.h"
#include "framework/GdiScopes.h"
#include "imaging/PackedDib.h"
#include "imaging/ReplacingFile.h"

#include <algorithm>
#include <cstring>

namespace {

void Put16(FILE* f, int v)
{
    fputc(v & 0xFF, f);
    fputc((v >> 8) & 0xFF, f);
}

// The size of a data sub-block: the classic compressor stops at 254 bytes, not 255.
constexpr int kPacketLimit = 254;

} // namespace

CGif::CGif()
    : m_errorText("No Error"), m_width(0), m_height(0), m_column(0), m_row(0), m_pixelsLeft(0),
      m_accumulator(0), m_accumulatorBits(0), m_pixels(nullptr), m_codeSize(0),
      m_maxCodeSize(kMaxBits), m_maxCode(0), m_codeLimit(kCodeLimit), m_hashTable(),
      m_codeTable(), m_nextFreeCode(0), m_clearFlag(0), m_initialBits(0), m_file(nullptr),
      m_clearCode(0), m_endCode(0), m_packetCount(0), m_packet()
{
}

CGif::~CGif() = default;

void CGif::SetImage(std::unique_ptr<CDib> image)
{
    m_image = std::move(image);
}

int CGif::SaveDib(const char* path, CDib* image)
{
    CDib* source = image ? image : m_image.get();
    CDib copy;
    if (!source || !AttachDibCopy(copy, CopyDibHandle(source->GetHandle())))
        return 0;
    return SaveCopy(path, copy);
}

int CGif::SaveDibMemory(const char* path, const void* packedDib, size_t size)
{
    CDib copy;
    if (!packedDib || size == 0 || !AttachDibCopy(copy, CopyToDibHandle(packedDib, size)))
        return 0;
    return SaveCopy(path, copy);
}

int CGif::SaveCopy(const char* path, CDib& copy)
{
    if (copy.GetBitCount() != 8 && !copy.Quantize(8))
        return 0;
    int red[256] = {}, green[256] = {}, blue[256] = {};
    {
        GlobalLockScope lock(copy.GetHandle());
        if (!lock)
            return 0;
        const BITMAPINFOHEADER* header = lock.Get<BITMAPINFOHEADER>();
        const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(lock.Get() + header->biSize);
        const int entries = std::min(int(DibPaletteSize(header) / sizeof(RGBQUAD)), 256);
        for (int i = 0; i < entries; ++i) {
            red[i] = table[i].rgbRed;
            green[i] = table[i].rgbGreen;
            blue[i] = table[i].rgbBlue;
        }
    }
    const int width = copy.GetWidth(), height = copy.GetHeight();
    RowBuffer rows = PackDibRows(copy.GetBits(), width, height, 8);
    if (!rows || !FlipRows(rows.get(), size_t(width), height))
        return 0;
    return WriteGif(path, rows.get(), width, height, 0, red, green, blue);
}

int CGif::WriteGif(const char* path, const uint8_t* pixels, int width, int height, int background,
                   const int* red, const int* green, const int* blue)
{
    // The logical screen holds 16-bit sizes; an empty picture has nothing to compress.
    if (!pixels || !red || !green || !blue || width <= 0 || height <= 0 || width > 0xFFFF
        || height > 0xFFFF) {
        m_errorText = "Can't write an empty or oversized GIF image";
        return 0;
    }
    ReplacingFile file;
    if (!file.Open(path)) {
        m_errorText = "Can't open GIF for writing";
        return 0;
    }
    m_file = file.Stream();
    m_width = width;
    m_height = height;
    m_pixels = pixels;
    m_column = m_row = 0;
    m_pixelsLeft = uint32_t(width) * uint32_t(height);
    WriteHeader(background, red, green, blue);
    Compress(9);
    fputc(0, m_file);    // block terminator
    fputc(0x3B, m_file); // trailer
    m_file = nullptr;
    if (!file.Commit()) {
        m_errorText = "Write Error in GIF file";
        return 0;
    }
    return 1;
}

void CGif::WriteHeader(int background, const int* red, const int* green, const int* blue)
{
    fwrite("GIF87a", 1, 6, m_file);
    Put16(m_file, m_width);
    Put16(m_file, m_height);
    fputc(0xE7, m_file); // global table of 256 entries, 8-bit colour resolution
    fputc(background & 0xFF, m_file);
    fputc(0, m_file);
    for (int i = 0; i < 256; ++i) {
        fputc(red[i] & 0xFF, m_file);
        fputc(green[i] & 0xFF, m_file);
        fputc(blue[i] & 0xFF, m_file);
    }
    fputc(0x2C, m_file);
    Put16(m_file, 0);
    Put16(m_file, 0);
    Put16(m_file, m_width);
    Put16(m_file, m_height);
    fputc(0, m_file);
    fputc(8, m_file); // minimum code size
}

int CGif::NextPixel()
{
    if (m_pixelsLeft == 0)
        return -1;
    --m_pixelsLeft;
    const int value = m_pixels[size_t(m_row) * m_width + m_column];
    if (++m_column == uint32_t(m_width)) {
        m_column = 0;
        ++m_row;
    }
    return value;
}

void CGif::Compress(int initialBits)
{
    m_initialBits = initialBits;
    m_codeSize = initialBits;
    m_maxCode = uint16_t((1 << m_codeSize) - 1);
    m_clearFlag = 0;
    m_clearCode = 1 << (initialBits - 1);
    m_endCode = m_clearCode + 1;
    m_nextFreeCode = uint16_t(m_clearCode + 2);
    m_accumulator = 0;
    m_accumulatorBits = 0;
    m_packetCount = 0;

    int hashShift = 0;
    for (long f = kHashSize; f < 65536; f *= 2)
        ++hashShift;
    hashShift = 8 - hashShift;

    int prefix = NextPixel();
    ClearHash();
    Output(m_clearCode);
    for (int c = NextPixel(); c >= 0; c = NextPixel()) {
        const int32_t key = (int32_t(c) << m_maxCodeSize) + prefix;
        int i = (c << hashShift) ^ prefix;
        bool found = m_hashTable[i] == key;
        if (!found && m_hashTable[i] >= 0) {
            const int step = i == 0 ? 1 : kHashSize - i;
            do {
                i -= step;
                if (i < 0)
                    i += kHashSize;
                found = m_hashTable[i] == key;
            } while (!found && m_hashTable[i] > 0);
        }
        if (found) {
            prefix = m_codeTable[i];
            continue;
        }
        Output(prefix);
        prefix = c;
        if (m_nextFreeCode < m_codeLimit) {
            m_codeTable[i] = m_nextFreeCode++;
            m_hashTable[i] = key;
        } else {
            ClearBlock();
        }
    }
    Output(prefix);
    Output(m_endCode);
}

void CGif::ClearHash()
{
    for (int32_t& entry : m_hashTable)
        entry = -1;
}

void CGif::ClearBlock()
{
    ClearHash();
    m_nextFreeCode = uint16_t(m_clearCode + 2);
    m_clearFlag = 1;
    Output(m_clearCode);
}

void CGif::Output(int code)
{
    m_accumulator &= (1u << m_accumulatorBits) - 1;
    m_accumulator |= uint32_t(code) << m_accumulatorBits;
    m_accumulatorBits += m_codeSize;
    while (m_accumulatorBits >= 8) {
        PutByte(uint8_t(m_accumulator & 0xFF));
        m_accumulator >>= 8;
        m_accumulatorBits -= 8;
    }
    if (m_nextFreeCode > m_maxCode || m_clearFlag) {
        if (m_clearFlag) {
            m_codeSize = m_initialBits;
            m_maxCode = uint16_t((1 << m_codeSize) - 1);
            m_clearFlag = 0;
        } else {
            ++m_codeSize;
            m_maxCode = m_codeSize == m_maxCodeSize ? m_codeLimit : uint16_t((1 << m_codeSize) - 1);
        }
    }
    if (code == m_endCode) {
        while (m_accumulatorBits > 0) {
            PutByte(uint8_t(m_accumulator & 0xFF));
            m_accumulator >>= 8;
            m_accumulatorBits -= 8;
        }
        FlushPacket();
    }
}

void CGif::PutByte(uint8_t byte)
{
    m_packet[m_packetCount++] = byte;
    if (m_packetCount >= kPacketLimit)
        FlushPacket();
}

void CGif::FlushPacket()
{
    if (m_packetCount > 0) {
        fputc(m_packetCount, m_file);
        fwrite(m_packet, 1, size_t(m_packetCount), m_file);
        m_packetCount = 0;
    }
}
