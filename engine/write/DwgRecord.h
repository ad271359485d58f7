// One object of a DWG objects section as it is written (R13 to 2000): the data stream and the
// handle stream, framed with the object's type and handle and closed by Finish with its size in
// bits, its size in bytes and its CRC.
#pragma once

#include "engine/write/DwgBitWriter.h"

#include <cstdint>
#include <vector>

namespace RkWrite {

// A long as the extended data of an application (group 1071), or none (application 0).
struct DwgExtendedLong
{
    std::uint64_t application = 0;
    std::uint32_t value = 0;
};

class DwgRecord
{
public:
    // Starts an object (isEntity: an entity, whose common part opens differently).
    DwgRecord(RkDb::DwgVersion version, std::uint16_t type, std::uint64_t handle, bool isEntity,
              const DwgExtendedLong& extended = DwgExtendedLong());

    DwgBitWriter& Data() { return m_data; }
    DwgBitWriter& Handles() { return m_handles; }
    std::uint64_t Handle() const { return m_handle; }

    // The common object fields before the type's own data: the owner, then (ownerReacts) the
    // owner again as the one reactor, then the extension dictionary (null for none) in the
    // handle stream.
    void ObjectCommon(std::uint64_t owner, std::uint64_t xdictionary = 0, bool ownerReacts = false);
    // The record as it goes into the file: its size, its bytes and its CRC.
    std::vector<std::uint8_t> Finish();

private:
    void MarkSize();

    DwgBitWriter m_data;
    DwgBitWriter m_handles;
    std::uint64_t m_handle;
    std::uint64_t m_sizeAt = 0;
};

} // namespace RkWrite
