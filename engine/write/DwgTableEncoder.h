// Encodes the table objects of a DWG file of R14 or 2000: the table controls, the LAYER, LTYPE,
// STYLE, DIMSTYLE, VPORT, APPID and BLOCK_HEADER records and the dictionaries the header names.
#pragma once

#include "engine/db/Database.h"
#include "engine/write/DwgHandles.h"
#include "engine/write/DwgRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace RkWrite {

class DwgTableEncoder
{
public:
    DwgTableEncoder(RkDb::DwgVersion version, const DwgHandles& handles, int codePage)
        : m_version(version), m_handles(handles), m_codePage(codePage)
    {
    }

    // A control with its records; the block control adds model and paper space, the line type
    // control BYBLOCK and BYLAYER after the list.
    std::vector<std::uint8_t> Control(DwgHandles::Control which, const std::vector<std::uint64_t>& entries) const;
    std::vector<std::uint8_t> Layer(const RkDb::Layer& layer, std::uint64_t handle) const;
    std::vector<std::uint8_t> LineType(const RkDb::LineType& lineType, std::uint64_t handle) const;
    std::vector<std::uint8_t> Style(const RkDb::TextStyle& style, std::uint64_t handle) const;
    std::vector<std::uint8_t> DimStyle(const RkDb::DimStyle& style, std::uint64_t handle) const;
    std::vector<std::uint8_t> Vport(const RkDb::ViewportRecord& vport, std::uint64_t handle) const;
    std::vector<std::uint8_t> AppId(const std::string& name, std::uint64_t handle) const;
    // Block record of block index with its entities (listed from 2004 on, else the chain's ends).
    std::vector<std::uint8_t> BlockHeader(const RkDb::Block& block, std::int32_t index,
                                          const std::vector<std::uint64_t>& entities) const;
    std::vector<std::uint8_t> Layout(const RkDb::Layout& layout, std::uint64_t handle, std::uint64_t block) const;
    std::vector<std::uint8_t> ImageDef(std::uint64_t handle, std::uint64_t owner, const std::string& file,
                                       const RkDb::Vec2& pixels) const;
    // hardOwner: an extension dictionary, which owns its entries (and has its owner as reactor).
    std::vector<std::uint8_t> Dictionary(std::uint64_t handle, std::uint64_t owner,
                                         const std::vector<std::pair<std::string, std::uint64_t>>& entries,
                                         bool hardOwner = false) const;
    // The draw order table of block index: entity handle and place handle pairs.
    std::vector<std::uint8_t> SortEntsTable(std::int32_t index,
                                            const std::vector<std::pair<RkDb::Handle, RkDb::Handle>>& entries) const;

private:
    DwgRecord Record(std::uint16_t type, std::uint64_t handle, std::uint64_t owner, const std::string& name,
                     std::uint64_t xdictionary = 0,
                     const DwgExtendedLong& extended = DwgExtendedLong()) const;
    std::string Encode(const std::string& utf8) const;

    RkDb::DwgVersion m_version;
    const DwgHandles& m_handles;
    int m_codePage;
};

} // namespace RkWrite
