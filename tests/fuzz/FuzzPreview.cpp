// libFuzzer target of the stored-preview extractor and the drawing identification.
#include "engine/preview/DrawingIdentifier.h"
#include "engine/preview/StoredPreview.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    if (!folder)
        return 0;
    // A minimal DWG head whose preview pointer leads to a sentinel and one BMP entry.
    std::string f(0x140, '\0');
    f.replace(0, 6, "AC1018");
    f[0x0D] = 0x40;
    const char sentinel[] = "\x1F\x25\x6D\x07\xD4\x36\x28\x28\x9D\x57\xCA\x3F\x9D\x44\x10\x2B";
    f.replace(0x40, 16, sentinel, 16);
    f[0x54] = 1;
    f[0x55] = 2;
    f[0x56] = 0x00;
    f[0x57] = 0x01;
    f[0x5A] = 0x38;
    f[0x100] = 40;
    f[0x104] = 2;
    f[0x108] = 2;
    f[0x10C] = 1;
    f[0x10E] = 8;
    std::ofstream(std::string(folder) + "/dwg-head.bin", std::ios::binary).write(f.data(), static_cast<std::streamsize>(f.size()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t offset = 0, length = 0;
    if (RkPreview::StoredPreview::Find(data, size, offset, length) == RkPreview::StoredPreview::Kind::Dib)
        RkPreview::StoredPreview::DibToBmpFile(data + offset, length);
    RkPreview::DrawingIdentifier::Identify(data, size);
    return 0;
}
