// The preview picture a DWG file (R13 and later) stores: found through the 32-bit pointer at file
// offset 0x0D, a sentinel, and a table of entries (BMP as a device-independent bitmap up to 2010,
// PNG from 2013). Portable; every offset and size is checked against the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace RkPreview {

class StoredPreview
{
public:
    enum class Kind { None, Dib, Png };

    // Finds the preview in the file's bytes (the whole file, or at least its first part up to the
    // end of the picture).
    static Kind Find(const std::uint8_t* data, std::size_t size, std::size_t& offset,
                     std::size_t& length);
    // How many bytes from the start of a file of fileSize bytes Find needs to give the answer it
    // gives on the whole file, judged from the first size bytes (fileSize when they do not tell).
    static std::uint64_t BytesNeeded(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize);
    // The preview as a whole BMP file image (file header added to the DIB); "" when the file has
    // no BMP preview or it is damaged.
    static std::string DibToBmpFile(const std::uint8_t* dib, std::size_t size);
};

} // namespace RkPreview
