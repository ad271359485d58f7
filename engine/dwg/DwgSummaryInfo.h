// The drawing properties of 2004 and later files (section AcDb:SummaryInfo): title, subject,
// author, keywords, comments, last saved by, revision, hyperlink base and custom properties.
#pragma once

#include "engine/db/DrawingHeader.h"
#include "engine/dwg/DwgVersion.h"
#include "engine/dxf/DxfTextDecoder.h"

#include <cstdint>
#include <vector>

namespace orvo::dwg {

// Fills summary from the section; false (with what was read kept) when it is cut short.
bool ReadSummaryInfo(const std::vector<uint8_t>& section, DwgVersion version,
                     const RkDxf::DxfTextDecoder& decoder, RkDb::SummaryInfo& summary);

} // namespace orvo::dwg
