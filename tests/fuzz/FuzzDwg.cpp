// libFuzzer target of the DWG reader. With ORVO_FUZZ_MAKE_SEEDS naming a folder, it first copies
// the shared sample drawings there (they are never part of the project's tree).
#include "engine/db/Database.h"
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/PortableSupport.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The smaller samples of each release keep the fuzzer's inputs short.
const char* const kSeeds[] = {
    "dwg/sample_2000.dwg",  "dwg/sample_2018.dwg",  "dwg/2000/Line.dwg",   "dwg/2018/Arc.dwg",
    "dwg/2018/Text.dwg",    "dwg/2018/Polyline.dwg", "dwg/example_2013.dwg", "dwg/example_2004.dwg",
    "dwg/example_r14.dwg",  "dwg/example_2007.dwg", "dwg/pre-r13/r9_entities.dwg", "dwg/pre-r13/r10_entities.dwg",
    "dwg/pre-r13/r11_entities-2d.dwg",
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    const std::string samples = orvo::portable::SamplesDir();
    if (!folder || samples.empty())
        return 0;
    int index = 0;
    for (const char* seed : kSeeds) {
        const std::string data = orvo::portable::ReadWholeFile(samples + seed);
        if (data.empty())
            continue;
        std::ofstream out(std::string(folder) + "/sample-" + std::to_string(index++) + ".dwg", std::ios::binary);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RkDb::Database db;
    orvo::dwg::DwgReader().Read(std::vector<std::uint8_t>(data, data + size), db);
    return 0;
}
