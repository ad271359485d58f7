// Reads a DWG file (R9 to 2018) into the drawing database; the releases before R13 go to
// DwgReaderR12.
#pragma once

#include "engine/db/Database.h"
#include "engine/dwg/DwgMemoryBudget.h"
#include "engine/dwg/DwgSectionSet.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orvo::dwg {

class DwgReader
{
public:
    // Asked now and then while objects are read; true abandons the read (result Cancelled).
    using CancelQuery = std::function<bool()>;

    void SetCancelQuery(CancelQuery query) { m_cancel = std::move(query); }
    // The memory a read may take for sections, the object map and decoded objects; a file that
    // would need more gives TooLarge.
    void SetMemoryLimit(uint64_t bytes) { m_memoryLimit = bytes; }

    // Fills db from the file's bytes. The database may hold part of the drawing when the result
    // is not Ok.
    DwgReadResult Read(std::vector<uint8_t> file, RkDb::Database& db) const;

private:
    CancelQuery m_cancel;
    uint64_t m_memoryLimit = DwgMemoryBudget::kDefaultLimit;
};

} // namespace orvo::dwg
