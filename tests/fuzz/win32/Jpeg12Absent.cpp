// The 12-bit JPEG reader for the native fuzzing build: this machine's libjpeg reads 8-bit samples
// only and the prefixed 12-bit library is built for Windows alone, so a 12-bit file ends at its
// header here, with a text that says so. The 8-bit path up to that point is fuzzed as shipped.
// The real reader's stream and memory bound go unused by this one.
#pragma clang diagnostic ignored "-Wunused-private-field"
#include "imaging/Jpeg12Decoder.h"

#include <cstring>

struct Jpeg12Decoder::Job
{
};

Jpeg12Decoder::Jpeg12Decoder(CRasterFile& stream, char* lastError, long maxMemory)
    : m_stream(stream), m_lastError(lastError), m_maxMemory(maxMemory)
{
}

Jpeg12Decoder::~Jpeg12Decoder() = default;

bool Jpeg12Decoder::ReadHeader()
{
    static const char kText[] = "JPEG: 12-bit samples are not read in this build";
    if (m_lastError)
        std::memcpy(m_lastError, kText, sizeof kText);
    return false;
}

uint32_t Jpeg12Decoder::ImageWidth() const { return 0; }
uint32_t Jpeg12Decoder::ImageHeight() const { return 0; }
bool Jpeg12Decoder::Arithmetic() const { return false; }
int Jpeg12Decoder::DensityUnit() const { return 0; }
unsigned Jpeg12Decoder::XDensity() const { return 0; }
unsigned Jpeg12Decoder::YDensity() const { return 0; }
bool Jpeg12Decoder::Plan(const JpegDecodeOptions&, int) { return false; }
uint32_t Jpeg12Decoder::OutputWidth() const { return 0; }
uint32_t Jpeg12Decoder::OutputHeight() const { return 0; }
int Jpeg12Decoder::OutputComponents() const { return 0; }
bool Jpeg12Decoder::Grey() const { return false; }
bool Jpeg12Decoder::Quantized() const { return false; }
bool Jpeg12Decoder::Start() { return false; }
int Jpeg12Decoder::ColourCount() const { return 0; }
int Jpeg12Decoder::ColourComponents() const { return 0; }
uint8_t Jpeg12Decoder::Colour(int, int) const { return 0; }
bool Jpeg12Decoder::ReadRow(uint8_t*) { return false; }
bool Jpeg12Decoder::Finish() { return false; }
bool Jpeg12Decoder::ReadScanline() { return false; }
