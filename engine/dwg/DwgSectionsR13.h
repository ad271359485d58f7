// The file header of R13, R14 and 2000 drawings: the section locator records that say where the
// header variables, classes and object map lie in the file.
#pragma once

#include "engine/dwg/DwgSectionSet.h"

#include <vector>

namespace orvo::dwg {

// Locates the sections of an AC1012/AC1014/AC1015 file. The file bytes become the Objects section
// (the object map holds absolute file offsets); the other sections are copied out of them.
DwgReadResult ReadSectionsR13(std::vector<uint8_t> file, DwgSectionSet& out);

} // namespace orvo::dwg
