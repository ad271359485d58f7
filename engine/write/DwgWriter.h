// Writes a drawing database as a DWG file of R14 (AC1014), 2000 (AC1015) or 2004 (AC1018) into
// memory: the file header with its section locators, the header variables, the classes, the
// objects (table controls and records, dictionaries, every block with its entities and its draw
// order table), the object map and the closing sections, each with its CRC. Entities the format
// has no record for here are converted the way the DXF writer converts them, or left out and
// counted.
#pragma once

#include "engine/db/Database.h"
#include "engine/write/DwgHandles.h"
#include "engine/write/HandleAllocator.h"
#include "engine/write/WriteReport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace RkWrite {

class DwgEntityEncoder;
class DwgTableEncoder;
struct DwgChildren;

class DwgWriter
{
public:
    // version: R14, R2000 or R2004. limit: the largest file to make, in bytes.
    DwgWriter(const RkDb::Database& db, RkDb::DwgVersion version, std::size_t limit);

    // The whole file; false (report.status TooLarge) when it would pass the limit.
    bool Write(std::string& file, WriteReport& report);

private:
    struct Object
    {
        std::uint64_t handle;
        std::vector<std::uint8_t> bytes;
    };
    // One entity as it goes into a block: the source's own or one made from it.
    struct Unit
    {
        const RkDb::Entity* entity = nullptr;
        RkDb::EntityPtr made;
        std::uint64_t handle = 0;
        std::int32_t source = -1;       // the index of the block's entity it comes from
    };

    void AssignTableHandles();
    std::vector<Unit> Expand(const DwgEntityEncoder& encoder, const RkDb::Entity& e, WriteReport& report);
    void ImageDefinitions(const DwgTableEncoder& tables);
    void AssignLayoutHandles();
    void Layouts(const DwgTableEncoder& tables);
    void Tables();
    void Blocks(WriteReport& report);
    void Block(std::int32_t index, WriteReport& report);
    void Children(const DwgEntityEncoder& encoder, const Unit& unit, DwgChildren& children);
    // The block's extension dictionary and draw order table, when it is saved with one.
    void DrawOrder(std::int32_t index, const RkDb::Block& block, const std::vector<Unit>& units);
    std::uint8_t EntMode(std::int32_t block) const;
    void Add(std::uint64_t handle, std::vector<std::uint8_t> bytes);
    bool Assemble(std::string& file) const;

    const RkDb::Database& m_db;
    RkDb::DwgVersion m_version;
    std::size_t m_limit;
    int m_codePage;
    std::uint16_t m_codePageIndex;
    HandleAllocator m_allocator;
    DwgHandles m_handles;
    std::vector<Object> m_objects;
    std::size_t m_objectBytes = 0;
    bool m_overflow = false;
};

} // namespace RkWrite
