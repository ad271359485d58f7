// libFuzzer target of the DXF reader (ASCII and binary). With ORVO_FUZZ_MAKE_SEEDS naming a
// folder, it first writes generated seed drawings there.
#include "engine/db/Database.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/DxfSampleDrawing.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void WriteSeed(const std::string& folder, const std::string& name, const std::string& data)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    if (!folder)
        return 0;
    for (const char* version : {"AC1009", "AC1015", "AC1032"}) {
        const orvo::portable::DxfBuilder drawing = orvo::portable::SampleDrawing(version);
        WriteSeed(folder, std::string("sample-") + version + ".dxf", drawing.Ascii());
        WriteSeed(folder, std::string("sample-") + version + ".dxfb", drawing.Binary());
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RkDb::Database db;
    RkDxf::DxfReader reader(db);
    reader.Read(reinterpret_cast<const char*>(data), size);
    return 0;
}
