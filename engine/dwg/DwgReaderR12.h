// Reads a DWG of the releases before R13 (R9, R10, R11/R12) into the drawing database: the file
// header, the tables, then the entities section into model space and the block entities section
// into the blocks, following the jumps that move a run of records into the extra entities section.
#pragma once

#include "engine/db/Database.h"
#include "engine/dwg/DwgMemoryBudget.h"
#include "engine/dwg/DwgR12EntityDecoder.h"
#include "engine/dwg/DwgSectionSet.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orvo::dwg {

class DwgReaderR12
{
public:
    using CancelQuery = std::function<bool()>;

    DwgReaderR12(DwgMemoryBudget& budget, CancelQuery cancel) : m_budget(budget), m_cancel(std::move(cancel)) {}

    DwgReadResult Read(const std::vector<uint8_t>& file, RkDb::DwgVersion version, RkDb::Database& db);

private:
    // The records of one section from its start, with the block each lands in; a BLOCK record
    // of the block section picks the block for the records after it.
    DwgReadResult Walk(const std::vector<uint8_t>& file, const DwgR12Range& start, bool blockSection,
                       const DwgR12EntityDecoder& decoder, RkDb::Database& db);
    // The range holding a jump's address (flags in its top byte), or an empty one.
    DwgR12Range JumpTarget(uint32_t address, uint64_t& target) const;
    void Place(DwgR12Record& record, std::int32_t block, RkDb::Database& db);
    void CloseOpen(std::int32_t block, RkDb::Database& db);

    DwgMemoryBudget& m_budget;
    CancelQuery m_cancel;
    DwgR12Layout m_layout;
    DwgR12Tables m_tables;
    size_t m_records = 0;
    // A POLYLINE or INSERT that gathers the VERTEX or ATTRIB records up to its SEQEND.
    RkDb::EntityPtr m_open;
};

} // namespace orvo::dwg
