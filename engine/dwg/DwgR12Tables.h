// The tables of a DWG before R13: fixed-size records (layers, line types, text styles, viewports,
// dimension styles, blocks) read into the drawing database. Entities name records by their place
// in the table, so the reader keeps, for each table, the database index of every record.
#pragma once

#include "engine/db/Database.h"
#include "engine/dwg/DwgR12Layout.h"
#include "engine/dxf/DxfTextDecoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvo::dwg {

class DwgR12Tables
{
public:
    void Read(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db);
    // Record names are in the drawing's code page; without a decoder they are taken as they are.
    // The decoder must outlive Read.
    void SetTextDecoder(const RkDxf::DxfTextDecoder* text) { m_text = text; }

    // Database indices by file index; -1 (or the given fallback) when out of range.
    std::int32_t Layer(int index) const { return At(m_layers, index, 0); }
    std::int32_t LineType(int index) const { return At(m_lineTypes, index, RkDb::kRefByLayer); }
    std::int32_t Style(int index) const { return At(m_styles, index, 0); }
    std::int32_t Block(int index) const { return At(m_blocks, index, -1); }
    // The block whose entities begin at this offset of the block entities section, else -1.
    std::int32_t BlockAt(uint64_t offset) const;

private:
    static std::int32_t At(const std::vector<std::int32_t>& map, int index, std::int32_t fallback)
    {
        return index >= 0 && static_cast<size_t>(index) < map.size() ? map[static_cast<size_t>(index)] : fallback;
    }
    void ReadLayers(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db);
    void ReadLineTypes(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db);
    void ReadStyles(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db);
    void ReadBlocks(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db);
    void ReadViewports(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db);
    void ReadDimStyles(const std::vector<uint8_t>& file, const DwgR12Layout& layout, RkDb::Database& db);

    std::vector<std::int32_t> m_layers, m_lineTypes, m_styles, m_blocks;
    std::vector<uint64_t> m_blockOffsets;
    const RkDxf::DxfTextDecoder* m_text = nullptr;
};

} // namespace orvo::dwg
