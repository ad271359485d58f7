// The code page numbers of the DWG file header (R13 to 2004 texts are in that code page).
#pragma once

#include <cstdint>

namespace orvo::dwg {

// The Windows code page of a DWG code page index; 1252 for an unknown index.
int WindowsCodePageOfDwg(uint16_t index);

// The $DWGCODEPAGE name of a DWG code page index, as DXF files spell it ("ANSI_1252").
const char* CodePageNameOfDwg(uint16_t index);

} // namespace orvo::dwg
