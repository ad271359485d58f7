// MetafileCheck: walks the records of a Windows or enhanced metafile before the system plays it.
// The system trusts the counts, offsets and object indices inside the records; a hostile file
// could make it read or write outside the metafile, so such files are refused here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace MetafileCheck {

// A Windows metafile (its 18-byte header and the records, without the placeable header). On a
// refusal, why (when given) names the record and what is wrong with it.
bool WindowsRecordsFit(const std::vector<uint8_t>& bits, std::string* why = nullptr);

// An enhanced metafile, from its header record on.
bool EnhancedRecordsFit(const std::vector<uint8_t>& bits, std::string* why = nullptr);

} // namespace MetafileCheck
