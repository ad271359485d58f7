#include "engine/dwg/DwgChecksum.h"

#include <array>

namespace orvo::dwg {

namespace {

using Crc16Table = std::array<uint16_t, 256>;

constexpr Crc16Table MakeCrc16Table()
{
    Crc16Table table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) != 0 ? (value >> 1) ^ 0xA001 : value >> 1;
        table[i] = static_cast<uint16_t>(value);
    }
    return table;
}

constexpr Crc16Table kCrc16Table = MakeCrc16Table();

} // namespace

uint16_t Crc16(uint16_t seed, const uint8_t* data, size_t size)
{
    unsigned crc = seed;
    for (size_t i = 0; i < size; ++i)
        crc = (crc >> 8) ^ kCrc16Table[(crc ^ data[i]) & 0xFF];
    return static_cast<uint16_t>(crc);
}

uint32_t PageChecksum(uint32_t seed, const uint8_t* data, size_t size)
{
    uint32_t sum1 = seed & 0xFFFF;
    uint32_t sum2 = seed >> 16;
    while (size > 0) {
        // 0x15B0 bytes keep both sums below 2^32 before the modulo.
        const size_t chunk = size < 0x15B0 ? size : 0x15B0;
        size -= chunk;
        for (size_t i = 0; i < chunk; ++i) {
            sum1 += *data++;
            sum2 += sum1;
        }
        sum1 %= 0xFFF1;
        sum2 %= 0xFFF1;
    }
    return (sum2 << 16) | (sum1 & 0xFFFF);
}

} // namespace orvo::dwg
