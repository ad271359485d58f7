// MetafileCheck: walks the records of a Windows or enhanced metafile before the system plays it.
// The system trusts the counts, offsets and object indices inside the records; a hostile file
// could make it read or write outside the metafile, so such files are refused here.
#pragma once

#include <cstdint>
#include <vector>

namespace MetafileCheck {

// A Windows metafile (its 18-byte header and the records, without the placeable header).
bool WindowsRecordsFit(const std::vector<uint8_t>& bits);

// An enhanced metafile, from its header record on.
bool EnhancedRecordsFit(const std::vector<uint8_t>& bits);

} // namespace MetafileCheck
