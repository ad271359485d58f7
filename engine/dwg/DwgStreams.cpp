#include "engine/dwg/DwgStreams.h"

namespace orvo::dwg {

namespace {

constexpr size_t kSentinelSize = 16;

} // namespace

bool OpenSectionBody(const std::vector<uint8_t>& section, DwgVersion version, uint8_t maintenanceVersion,
                     DwgSectionBody& body)
{
    DwgBitReader reader(section.data(), section.size(), version);
    reader.SkipBytes(kSentinelSize);
    const uint64_t size = reader.RL();
    uint64_t start = reader.BitPosition();
    // Files of 2010 and later written by CAD programs all carry the high half of the size; the
    // byte at 0x0B that would tell otherwise holds other values there.
    (void)maintenanceVersion;
    if (version >= DwgVersion::R2010) {
        reader.RL(); // high half of the size
        start = reader.BitPosition();
    }
    if (reader.Failed() || size > reader.BitsLeft() / 8)
        return false;
    body.hasText = false;
    if (version >= DwgVersion::R2007) {
        // The size in bits counts from its own position: data and strings end at start + bitSize.
        const uint64_t bitSize = reader.RL();
        if (reader.Failed() || bitSize < 32 || bitSize - 32 > reader.BitsLeft())
            return false;
        body.handles = reader;
        body.handles.LimitBits(start + size * 8);
        body.handles.SeekBit(start + bitSize);
        reader.LimitBits(start + bitSize);
        body.data = reader;
        return SplitStringStream(body.data, start + bitSize, body.text, body.hasText);
    }
    reader.LimitBits(start + size * 8);
    body.data = reader;
    return true;
}

bool SplitStringStream(DwgBitReader& data, uint64_t dataEnd, DwgBitReader& text, bool& hasText)
{
    hasText = false;
    if (dataEnd < 1 || dataEnd > data.BitLimit())
        return false;
    const uint64_t resume = data.BitPosition();
    DwgBitReader probe = data;
    uint64_t flag = dataEnd - 1;
    probe.SeekBit(flag);
    if (probe.B() == 0) {
        data.LimitBits(flag);
        return !probe.Failed();
    }
    if (flag < 16)
        return false;
    probe.SeekBit(flag - 16);
    uint64_t size = probe.RS();
    uint64_t sizeStart = flag - 16;
    if ((size & 0x8000) != 0) {
        if (sizeStart < 16)
            return false;
        probe.SeekBit(sizeStart - 16);
        const uint64_t high = probe.RS();
        size = (size & 0x7FFF) | (high << 15);
        sizeStart -= 16;
    }
    if (probe.Failed() || size > sizeStart || sizeStart - size < resume)
        return false;
    text = data;
    text.SeekBit(sizeStart - size);
    text.LimitBits(sizeStart);
    data.LimitBits(sizeStart - size);
    hasText = true;
    return true;
}

} // namespace orvo::dwg
