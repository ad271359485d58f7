// The page and section structure of 2004 and later files (except 2007): the encrypted file
// header, the section page map, the section map and the compressed, masked data pages.
#pragma once

#include "engine/dwg/DwgSectionSet.h"

#include <vector>

namespace orvo::dwg {

// Decompresses the sections the reader needs from an AC1018/AC1024/AC1027/AC1032 file. A
// drawing with a security section (a password) gives PasswordProtected.
DwgReadResult ReadSectionsR2004(const std::vector<uint8_t>& file, DwgSectionSet& out);

} // namespace orvo::dwg
