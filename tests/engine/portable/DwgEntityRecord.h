// Entity records of R2000 made by hand for the decoder tests: the common fields, the entity's
// own data written by the test, the handle stream, and decoding the result as the reader does.
#pragma once

#include "engine/dwg/DwgEntityDecoders.h"
#include "tests/engine/portable/DwgBitWriter.h"

#include <functional>
#include <string>
#include <vector>

namespace orvo::test {

constexpr uint64_t kRecordHandle = 0x2A;

// The fields of an R2000 entity record up to the entity's own, with bitSize as its handle
// stream's start.
inline void WriteEntityStart(DwgBitWriter& w, uint32_t bitSize, uint16_t type)
{
    w.BS(type).Long(bitSize).H(0, kRecordHandle);
    w.BS(0);              // no extended data
    w.Bit(0);             // no graphics
    w.Bits(2, 2);         // model space
    w.BL(0);              // reactors
    w.Bit(1);             // no links
    w.Bits(3, 2);         // colour 256: by layer
    w.Bits(1, 2);         // line type scale 1.0
    w.Bits(0, 2).Bits(0, 2); // line type and plot style by layer
    w.Bits(2, 2);         // visible
    w.Byte(29);           // line weight by layer
}

// The object as the map finds it: its size, then its data and its handle stream.
inline std::vector<uint8_t> SizedObject(const DwgBitWriter& w)
{
    std::vector<uint8_t> object;
    const size_t size = w.Bytes().size();
    object.push_back(static_cast<uint8_t>(size));
    object.push_back(static_cast<uint8_t>(size >> 8));
    object.insert(object.end(), w.Bytes().begin(), w.Bytes().end());
    return object;
}

// A whole record: the common fields, what writeData writes, then the handles writeHandles writes
// after the extension dictionary and layer (layer 0x10).
inline std::vector<uint8_t> EntityRecord(uint16_t type, const std::function<void(DwgBitWriter&)>& writeData,
                                         const std::function<void(DwgBitWriter&)>& writeHandles)
{
    uint32_t bitSize = 0;
    DwgBitWriter w;
    for (int pass = 0; pass < 2; ++pass) {
        w = DwgBitWriter();
        WriteEntityStart(w, bitSize, type);
        writeData(w);
        bitSize = static_cast<uint32_t>(w.BitCount());
    }
    w.H(3, 0).H(5, 0x10);
    if (writeHandles)
        writeHandles(w);
    return SizedObject(w);
}

// The entity as the reader keeps it: none when the record does not read whole.
inline RkDb::EntityPtr DecodeRecord(const std::vector<uint8_t>& object, orvo::dwg::DwgEntityRefs& refs,
                                    orvo::dwg::DwgEntityCommon& common, const std::string& className = "")
{
    orvo::dwg::DwgObjectRecord record;
    if (!record.Open(object, 0, orvo::dwg::DwgVersion::R2000) || !record.ReadEntityCommon(common))
        return nullptr;
    RkDb::EntityPtr entity = orvo::dwg::DecodeEntity(record.Type(), className, record, common, refs);
    return record.Failed() ? nullptr : std::move(entity);
}

} // namespace orvo::test
