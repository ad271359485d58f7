// Jpeg12Decoder: reads a JPEG of 12-bit samples through the second libjpeg the program links (built
// for 12-bit samples, its names prefixed j12_ by scripts/setup.sh) and hands its rows out as 8-bit
// samples. The 8-bit library stops such a file in its header; the JPEG codec then reads it again
// with this class. The steps go in order (ReadHeader, Plan, Start, ReadRow for each row, Finish);
// each answers false after a libjpeg error, whose text is then in the buffer given at construction.
#pragma once

#include "imaging/JpegDecodeOptions.h"

#include <cstdint>
#include <memory>

class CRasterFile;

class Jpeg12Decoder
{
public:
    // lastError holds 256 characters; maxMemory bounds libjpeg's working memory.
    Jpeg12Decoder(CRasterFile& stream, char* lastError, long maxMemory);
    ~Jpeg12Decoder();
    Jpeg12Decoder(const Jpeg12Decoder&) = delete;
    Jpeg12Decoder& operator=(const Jpeg12Decoder&) = delete;

    bool ReadHeader();
    // The picture as stored and its density (JFIF unit 0, 1 dots an inch or 2 a centimetre).
    uint32_t ImageWidth() const;
    uint32_t ImageHeight() const;
    bool Arithmetic() const;
    int DensityUnit() const;
    unsigned XDensity() const;
    unsigned YDensity() const;

    // Sets the options and works out the output; three-component colour comes out in blue, green,
    // red order. A progressive file that reaches more than maxScans scans fails.
    bool Plan(const JpegDecodeOptions& options, int maxScans);
    uint32_t OutputWidth() const;
    uint32_t OutputHeight() const;
    int OutputComponents() const;
    bool Grey() const;
    bool Quantized() const;

    bool Start();
    // After Start, for a quantized output: its colours, each component scaled to 8 bits.
    int ColourCount() const;
    int ColourComponents() const;
    uint8_t Colour(int component, int index) const;

    // The next row, top first: OutputWidth x OutputComponents samples, each of 0..4095 scaled to
    // 0..255 (colour indices when quantized).
    bool ReadRow(uint8_t* samples);
    bool Finish();

private:
    bool ReadScanline();

    struct Job;
    std::unique_ptr<Job> m_job;
    CRasterFile& m_stream;
    char* m_lastError;
    long m_maxMemory;
};
