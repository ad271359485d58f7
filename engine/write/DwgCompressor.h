// The compression of DWG 2004 pages, the form the reader's Decompress2004 undoes: runs of
// literal bytes and back references to earlier output, ended by the 0x11 code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace RkWrite {

// Compresses size bytes (none, or at least four: shorter data has no encoding of its own). Matches
// reach back at most 16 KB.
std::vector<std::uint8_t> Compress2004(const std::uint8_t* data, std::size_t size);

} // namespace RkWrite
