// CGif: writes an 8-bit image as a GIF87a file with a compressor of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class CDib;

class CGif
{
public:
    CGif();
    virtual ~CGif();
    CGif(const CGif&) = delete;
    CGif& operator=(const CGif&) = delete;

    // The image a save without one writes; owned by the writer.
    void SetImage(std::unique_ptr<CDib> image);

    // Writes a copy of the image (the writer's own when null), reduced to 256 colours first when
    // it has another depth. Nonzero on success; 0 without an image or when the copy fails.
    int SaveDib(const char* path, CDib* image = nullptr);
    // The same for a packed DIB in memory.
    int SaveDibMemory(const char* path, const void* packedDib, size_t size);

    // Writes pixels (8-bit indices, top row first, rows of width bytes) with a 256-entry colour
    // table taken from the low bytes of red, green and blue. Nonzero on success; on failure the
    // error text tells why and the file at path is left as it was.
    int WriteGif(const char* path, const uint8_t* pixels, int width, int height, int background,
                 const int* red, const int* green, const int* blue);

    const std::string& GetErrorText() const { return m_errorText; }

private:
    static constexpr int kHashSize = 5003;
    static constexpr int kMaxBits = 12;
    static constexpr int kCodeLimit = 1 << kMaxBits;

    int SaveCopy(const char* path, CDib& copy);
    void WriteHeader(int background, const int* red, const int* green, const int* blue);
    void Compress(int initialBits);
    int NextPixel();
    void ClearHash();
    void ClearBlock();
    void Output(int code);
    void PutByte(uint8_t byte);
    void FlushPacket();

    std::unique_ptr<CDib> m_image;
    std::string m_errorText;
    int m_width, m_height;
    uint32_t m_column, m_row;
    uint32_t m_pixelsLeft;
    uint32_t m_accumulator;
    int m_accumulatorBits;
    const uint8_t* m_pixels;
    int m_codeSize;
    int m_maxCodeSize;
    uint16_t m_maxCode;
    uint16_t m_codeLimit;
    int32_t m_hashTable[kHashSize];
    uint16_t m_codeTable[kHashSize];
    uint16_t m_nextFreeCode;
    int m_clearFlag;
    int m_initialBits;
    FILE* m_file;
    int m_clearCode, m_endCode;
    int m_packetCount;
    uint8_t m_packet[256];
};
