// Writes a drawing database as a DWG of R11/R12 (AC1009, the format before R13) into memory: the
// file header with the section and table pointers and the header variables at their fixed
// offsets, the entities section (model space), the block entities section (every block between
// its BLOCK and ENDBLK records) and the tables of fixed-size records. Entities R12 cannot hold
// are converted as the DXF R12 output converts them (a hatch into an insert of an anonymous block
// of its lines and fills, after the drawing's own blocks); paper space is not written (as in DXF
// R12).
#pragma once

#include "engine/db/Database.h"
#include "engine/write/HatchBlockSet.h"
#include "engine/write/WriteReport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace RkWrite {

class DwgR12Writer
{
public:
    DwgR12Writer(const RkDb::Database& db, std::size_t limit);

    // The whole file; false (report.status TooLarge) when it would pass the limit.
    bool Write(std::string& file, WriteReport& report);

private:
    class Record;

    // hatchBlocks: whether hatches are drawn through blocks of their parts (else outlined).
    DwgR12Writer(const RkDb::Database& db, std::size_t limit, bool hatchBlocks);
    bool WriteOnce(std::string& file, WriteReport& report);
    void MapTables();
    // The block's BLOCK record, its entities (counted as written when report is given), ENDBLK.
    void BlockRecords(const RkDb::Vec3& base, const std::vector<RkDb::EntityPtr>& entities,
                      std::string& out, WriteReport* report);
    std::vector<RkDb::EntityPtr> Expand(const RkDb::Entity& e, bool& self, WriteReport& report) const;
    void Entities(const std::vector<RkDb::EntityPtr>& entities, std::string& out, WriteReport& report);
    void Entity(const RkDb::Entity& e, std::string& out);
    void Polyline(const RkDb::Polyline& p, std::string& out);
    void Insert(const RkDb::Insert& i, std::string& out);
    // Closes the followers of the record at file offset begin.
    void SeqEnd(std::int32_t layer, std::size_t begin, std::string& out);
    // The INSERT record of the block of that table index.
    void InsertRecord(const RkDb::Insert& i, std::uint16_t block, std::string& out);
    void Text(const RkDb::Entity& e, std::uint8_t type, const RkDb::TextData& t, const std::string& tag,
              const std::string& prompt, std::uint8_t flags, std::string& out);
    struct Table
    {
        std::uint16_t itemSize = 0, count = 0;
        std::uint32_t begin = 0;
    };
    struct Sections
    {
        std::uint32_t entitiesBegin = 0, entitiesEnd = 0, blocksBegin = 0, blocksEnd = 0, extrasBegin = 0;
    };
    void Header(std::string& file, const Sections& sections, const std::vector<Table>& tables) const;
    void AuxHeader(std::string& file, const Sections& sections, const std::vector<Table>& tables) const;
    // The tables from file offset at, in the header's order of them.
    std::string Tables(std::uint32_t at, std::vector<Table>& tables) const;
    std::string Encode(const std::string& utf8) const;
    std::int32_t LayerOf(const RkDb::Entity& e) const;
    std::int32_t LineTypeOf(const RkDb::Entity& e) const;
    bool Over(const std::string& out) const { return out.size() > m_limit; }

    const RkDb::Database& m_db;
    std::size_t m_limit;
    bool m_explodeHatches;
    int m_codePage;
    std::uint16_t m_codePageIndex;
    // Table indices in the file, by database index (-1: not written).
    std::vector<std::int32_t> m_layers, m_lineTypes, m_styles, m_blocks;
    std::vector<std::int32_t> m_writtenBlocks;    // database indices, in table order
    std::vector<std::uint32_t> m_blockOffsets;    // of each written block's BLOCK record, then each hatch's
    HatchBlockSet m_hatchBlocks;                  // in the table after the drawing's blocks
    // The names the fixed-size records hold, in the code page, by database index.
    std::vector<std::string> m_layerNames, m_lineTypeNames, m_styleNames, m_blockNames;
    std::int32_t m_layerZero = 0, m_continuous = 0;
    bool m_addLayerZero = false, m_addContinuous = false, m_addStandard = false;
};

} // namespace RkWrite
