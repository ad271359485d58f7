// MetafileCheck: walks the records of a Windows or enhanced metafile before the system plays it.
// The system trusts the counts, offsets and object indices inside the records; a hostile file
// could make it read or write outside the metafile, so such files are refused here. A field that
// valid writers get wrong in a harmless way is set to what the record holds instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace MetafileCheck {

// A Windows metafile (its 18-byte header and the records, without the placeable header). On a
// refusal, why (when given) names the record and what is wrong with it. The row length of an old
// blit's bitmap is set to the one its rows have, which is what the system reads.
bool WindowsRecordsFit(std::vector<uint8_t>& bits, std::string* why = nullptr);

// An enhanced metafile, from its header record on. A bitmap whose colour table is shorter than its
// header's count (writers that store only the colours used) gets the count of what it holds, so
// the system reads no further.
bool EnhancedRecordsFit(std::vector<uint8_t>& bits, std::string* why = nullptr);

} // namespace MetafileCheck
