#include "engine/write/DwgRecord.h"

#include "engine/dwg/DwgChecksum.h"

namespace RkWrite {

using RkDb::DwgVersion;

DwgRecord::DwgRecord(DwgVersion version, std::uint16_t type, std::uint64_t handle, bool isEntity,
                     const DwgExtendedLong& extended)
    : m_data(version), m_handles(version), m_handle(handle)
{
    m_data.BS(type);
    if (version >= DwgVersion::R2000)
        MarkSize();
    m_data.H(0, handle);
    if (extended.application != 0) {
        constexpr std::uint8_t kLongItem = 71; // group 1071
        m_data.BS(5);
        m_data.H(5, extended.application);
        m_data.RC(kLongItem);
        m_data.RL(extended.value);
    }
    m_data.BS(0); // the end of the extended data
    if (isEntity) {
        m_data.B(false); // no proxy graphics
        if (version < DwgVersion::R2000)
            MarkSize();
    }
}

void DwgRecord::MarkSize()
{
    // The size in bits of the data is known only once the data is written.
    m_sizeAt = m_data.BitSize();
    m_data.RL(0);
}

void DwgRecord::ObjectCommon(std::uint64_t owner, std::uint64_t xdictionary, bool ownerReacts)
{
    if (m_data.Version() < DwgVersion::R2000)
        MarkSize();
    m_data.BL(ownerReacts ? 1 : 0); // reactors
    m_handles.H(4, owner);
    if (ownerReacts)
        m_handles.H(4, owner);
    // Before 2004 the extension dictionary handle is always there (null for none); from 2004 a
    // bit says whether it is.
    if (m_data.Version() >= DwgVersion::R2004)
        m_data.B(xdictionary == 0);
    if (m_data.Version() < DwgVersion::R2004 || xdictionary != 0)
        m_handles.H(3, xdictionary);
}

std::vector<std::uint8_t> DwgRecord::Finish()
{
    m_data.PatchRL(m_sizeAt, static_cast<std::uint32_t>(m_data.BitSize()));
    m_data.Append(m_handles);
    const std::vector<std::uint8_t>& body = m_data.Bytes();
    DwgBitWriter out(m_data.Version());
    out.MS(static_cast<std::uint32_t>(body.size()));
    out.Raw(body.data(), body.size());
    const std::vector<std::uint8_t>& framed = out.Bytes();
    const std::uint16_t crc = orvo::dwg::Crc16(0xC0C1, framed.data(), framed.size());
    std::vector<std::uint8_t> bytes = framed;
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

} // namespace RkWrite
