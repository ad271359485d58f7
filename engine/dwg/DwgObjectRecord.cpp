#include "engine/dwg/DwgObjectRecord.h"

#include "engine/dwg/DwgStreams.h"

namespace orvo::dwg {

namespace {

// Line weights by their stored index, in 1/100 mm.
constexpr int16_t kLineWeights[] = {0,  5,  9,  13, 15, 18, 20,  25,  30,  35,  40,  50,
                                    53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

// The entity colour of 2004 and later: index and flags in one short, then what the flags announce.
DwgColor ReadEntityColor(DwgBitReader& data, bool& hasBook)
{
    DwgColor color;
    const uint16_t value = data.BS();
    color.index = static_cast<int16_t>(value & 0x1FF);
    hasBook = (value & 0x4000) != 0;
    if ((value & 0x8000) != 0) {
        const uint32_t rgb = data.BL();
        if ((rgb >> 24) == 0xC2) {
            color.hasRgb = true;
            color.rgb = rgb & 0xFFFFFF;
        }
    }
    if ((value & 0x2000) != 0)
        color.transparency = data.BL();
    return color;
}

} // namespace

int16_t LineWeightFromIndex(uint8_t index)
{
    if (index < sizeof kLineWeights / sizeof kLineWeights[0])
        return kLineWeights[index];
    switch (index) {
    case 29: return -1;
    case 30: return -2;
    default: return -3;
    }
}

bool DwgObjectRecord::Open(const std::vector<uint8_t>& objects, uint64_t offset, DwgVersion version,
                           const RkDxf::DxfTextDecoder* decoder)
{
    if (offset >= objects.size())
        return false;
    DwgBitReader prefix(objects.data() + offset, static_cast<size_t>(objects.size() - offset), version);
    const uint64_t size = prefix.MS();
    m_handleStreamBits = version >= DwgVersion::R2010 ? prefix.UMC() : 0;
    const uint64_t start = prefix.BitPosition() / 8;
    if (prefix.Failed() || size == 0 || size > prefix.BitsLeft() / 8)
        return false;
    m_objectBits = size * 8;
    m_hasText = false;
    // The section's bytes after the object may be loaded (never used) by the reads near its end.
    m_data = DwgBitReader(objects.data() + offset + start, static_cast<size_t>(size), version,
                          static_cast<size_t>(objects.size() - offset - start));
    m_data.SetTextDecoder(decoder);
    m_type = m_data.OT();
    uint64_t bitSize = 0;
    if (version >= DwgVersion::R2010) {
        if (m_handleStreamBits > m_objectBits)
            return false;
        bitSize = m_objectBits - m_handleStreamBits;
    } else if (version >= DwgVersion::R2000) {
        bitSize = m_data.RL();
    }
    m_handle = m_data.H().value;
    if (!SkipExtendedData())
        return false;
    return version < DwgVersion::R2000 || PlaceHandleStream(bitSize);
}

bool DwgObjectRecord::SkipExtendedData()
{
    // Each block: size, application handle, data; a size of zero ends the list.
    for (int blocks = 0; blocks < 0x10000; ++blocks) {
        const uint16_t size = m_data.BS();
        if (m_data.Failed())
            return false;
        if (size == 0)
            return true;
        const uint64_t application = m_data.H().value;
        // A long as the first item (group 1071: a layer's transparency) is kept.
        constexpr uint8_t kLongItem = 71;
        if (size >= 5 && m_extendedLongCount < kKeptExtendedLongs) {
            if (m_data.RC() == kLongItem) {
                m_extendedLongs[m_extendedLongCount++] = {application, m_data.RL()};
                m_data.SkipBytes(size - 5u);
            } else {
                m_data.SkipBytes(size - 1u);
            }
            continue;
        }
        m_data.SkipBytes(size);
    }
    return false;
}

bool DwgObjectRecord::PlaceHandleStream(uint64_t bitSize)
{
    if (m_data.Failed() || bitSize > m_objectBits || bitSize < m_data.BitPosition())
        return false;
    m_handles = m_data;
    m_handles.SeekBit(bitSize);
    if (m_data.Version() >= DwgVersion::R2007)
        return SplitStringStream(m_data, bitSize, m_text, m_hasText);
    m_data.LimitBits(bitSize);
    return true;
}

bool DwgObjectRecord::ReadR13BitSize()
{
    if (m_data.Version() >= DwgVersion::R2000)
        return true;
    return PlaceHandleStream(m_data.RL());
}

bool DwgObjectRecord::ReadEntityCommon(DwgEntityCommon& common)
{
    DwgBitReader& data = m_data;
    if (data.B() != 0) {
        const uint64_t graphicSize = Version() >= DwgVersion::R2010 ? data.BLL() : data.RL();
        common.graphicsBit = data.BitPosition();
        common.graphicsSize = graphicSize;
        data.SkipBytes(graphicSize);
    }
    if (!ReadR13BitSize())
        return false;
    common.entMode = data.BB();
    common.reactorCount = data.BL();
    if (Version() >= DwgVersion::R2004)
        common.xdicMissing = data.B() != 0;
    if (Version() >= DwgVersion::R2013)
        data.B(); // has binary data store
    if (Version() <= DwgVersion::R14)
        common.byLayerLineType = data.B() != 0;
    if (Version() <= DwgVersion::R2000)
        common.noLinks = data.B() != 0;
    if (Version() >= DwgVersion::R2004)
        common.color = ReadEntityColor(data, common.colorHasBook);
    else
        common.color.index = static_cast<int16_t>(data.BS());
    common.lineTypeScale = data.BD();
    if (Version() >= DwgVersion::R2000) {
        common.lineTypeFlags = data.BB();
        common.plotStyleFlags = data.BB();
    }
    if (Version() >= DwgVersion::R2007) {
        common.materialFlags = data.BB();
        data.RC(); // shadow flags
    }
    if (Version() >= DwgVersion::R2010) {
        common.fullVisualStyle = data.B() != 0;
        common.faceVisualStyle = data.B() != 0;
        common.edgeVisualStyle = data.B() != 0;
    }
    common.invisibility = data.BS();
    if (Version() >= DwgVersion::R2000)
        common.lineWeight = LineWeightFromIndex(data.RC());
    m_reactorCount = common.reactorCount;
    m_xdicMissing = common.xdicMissing;
    return !data.Failed() && common.reactorCount <= m_handles.BitsLeft() / 8;
}

void DwgObjectRecord::ReadEntityHandles(DwgEntityCommon& common)
{
    if (common.entMode == 0)
        common.owner = Ref();
    for (uint32_t i = 0; i < common.reactorCount && !m_handles.Failed(); ++i)
        Ref();
    if (!common.xdicMissing)
        Ref();
    if (Version() <= DwgVersion::R14) {
        common.layer = Ref();
        if (!common.byLayerLineType)
            common.lineType = Ref();
    }
    if (Version() <= DwgVersion::R2000) {
        // Without links the neighbours are the adjacent handles.
        common.next = m_handle + 1;
        if (!common.noLinks) {
            Ref(); // previous entity
            common.next = Ref();
        }
    }
    if (Version() >= DwgVersion::R2004 && common.colorHasBook)
        Ref();
    if (Version() >= DwgVersion::R2000) {
        common.layer = Ref();
        if (common.lineTypeFlags == 3)
            common.lineType = Ref();
    }
    if (Version() >= DwgVersion::R2007 && common.materialFlags == 3)
        Ref();
    if (Version() >= DwgVersion::R2000 && common.plotStyleFlags == 3)
        Ref();
    if (common.fullVisualStyle)
        Ref();
    if (common.faceVisualStyle)
        Ref();
    if (common.edgeVisualStyle)
        Ref();
}

bool DwgObjectRecord::ReadObjectCommon()
{
    if (!ReadR13BitSize())
        return false;
    m_reactorCount = m_data.BL();
    m_xdicMissing = Version() >= DwgVersion::R2004 && m_data.B() != 0;
    if (Version() >= DwgVersion::R2013)
        m_data.B();
    return !m_data.Failed() && m_reactorCount <= m_handles.BitsLeft() / 8;
}

uint64_t DwgObjectRecord::ReadObjectHandles()
{
    const uint64_t owner = Ref();
    for (uint32_t i = 0; i < m_reactorCount && !m_handles.Failed(); ++i)
        Ref();
    if (!m_xdicMissing)
        Ref();
    return owner;
}

uint64_t DwgObjectRecord::Ref()
{
    return m_handles.H().Resolve(m_handle);
}

} // namespace orvo::dwg
