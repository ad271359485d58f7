// The page and section structure of 2007 (AC1021) files: the Reed-Solomon coded file header, the
// page map and section map in coded system pages, and the coded, compressed data pages.
#pragma once

#include "engine/dwg/DwgSectionSet.h"

#include <vector>

namespace orvo::dwg {

// Decompresses the sections the reader needs from an AC1021 file. A drawing with a security
// section or encrypted sections (a password) gives PasswordProtected.
DwgReadResult ReadSectionsR2007(const std::vector<uint8_t>& file, DwgSectionSet& out);

} // namespace orvo::dwg
