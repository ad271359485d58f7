// libFuzzer target of the DWG reader. With ORVO_FUZZ_MAKE_SEEDS naming a folder, it first copies
// shared sample drawings there (they are never part of the project's tree). The script merges
// them into a small corpus capped in length, so the short runs mutate small inputs.
#include "engine/db/Database.h"
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/PortableSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

// One drawing per release (the large ones give their head: file header, section maps, classes),
// and the folders of small drawings, one entity type each.
const char* const kSeeds[] = {
    "dwg/sample_2000.dwg",  "dwg/sample_2018.dwg",  "dwg/example_r13.dwg", "dwg/example_r14.dwg",
    "dwg/example_2004.dwg", "dwg/example_2007.dwg", "dwg/example_2010.dwg", "dwg/example_2013.dwg",
};
const char* const kSeedFolders[] = {"dwg/pre-r13", "dwg/2000", "dwg/2018"};

std::vector<std::string> SeedPaths(const std::string& samples)
{
    std::vector<std::string> paths;
    for (const char* seed : kSeeds)
        paths.push_back(samples + seed);
    for (const char* folder : kSeedFolders) {
        std::vector<std::string> found;
        std::error_code error;
        for (std::filesystem::directory_iterator it(samples + folder, error), end; !error && it != end;
             it.increment(error)) {
            if (it->path().extension() == ".dwg")
                found.push_back(it->path().string());
        }
        std::sort(found.begin(), found.end());
        paths.insert(paths.end(), found.begin(), found.end());
    }
    return paths;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    const std::string samples = orvo::portable::SamplesDir();
    if (!folder || samples.empty())
        return 0;
    int index = 0;
    for (const std::string& path : SeedPaths(samples)) {
        const std::string data = orvo::portable::ReadWholeFile(path);
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
