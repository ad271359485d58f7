// The DWG releases the reader knows, ordered so that "at least R2000" is a comparison.
#pragma once

#include <cstddef>
#include <string>

namespace orvo::dwg {

enum class DwgVersion
{
    Unknown = 0,
    R13,   // AC1012
    R14,   // AC1014
    R2000, // AC1015
    R2004, // AC1018
    R2007, // AC1021
    R2010, // AC1024
    R2013, // AC1027
    R2018, // AC1032
};

// The release named by the six-character signature at the start of a file; Unknown otherwise.
DwgVersion VersionFromSignature(const unsigned char* data, size_t size);

// "AC1015" and so on; an empty text for Unknown.
const char* SignatureOf(DwgVersion version);

} // namespace orvo::dwg
