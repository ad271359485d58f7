// libFuzzer target of the drawing writer: whatever the DXF reader makes of the input is written
// in every DXF and every DWG version and read back by the reader of its kind. No crash, and the
// file stays within a bound of the input.
#include "engine/db/Database.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DrawingSaver.h"
#include "tests/engine/portable/DxfSampleDrawing.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// With ORVO_FUZZ_MAKE_SEEDS naming a folder, writes the generated sample drawings there first.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    if (!folder)
        return 0;
    for (const char* version : {"AC1009", "AC1015", "AC1018"}) {
        const std::string data = orvo::portable::SampleDrawing(version).Ascii();
        std::ofstream out(std::string(folder) + "/sample-" + version + ".dxf", std::ios::binary);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RkDb::Database db;
    RkDxf::DxfReader reader(db);
    if (reader.Read(reinterpret_cast<const char*>(data), size) != RkDxf::DxfReader::Status::Ok)
        return 0;
    // Tables and the objects section cost a few kilobytes; every entity read from the input
    // has a bounded number of groups, each at least one input byte.
    const std::size_t limit = 64 * 1024 + size * 512;
    for (const int version : {5, 7, 8, 9}) {
        std::string bytes;
        const RkWrite::WriteReport report =
            RkWrite::DrawingSaver::Build(db, RkWrite::DrawingSaver::kDxf, version, bytes, limit);
        if (report.status != RkWrite::SaveStatus::Ok)
            continue;
        if (bytes.size() > limit)
            std::abort();
        RkDb::Database back;
        RkDxf::DxfReader again(back);
        if (again.Read(bytes.data(), bytes.size()) != RkDxf::DxfReader::Status::Ok)
            std::abort();
    }
    for (const int version : {5, 7, 8, 9}) {
        std::string bytes;
        const RkWrite::WriteReport report =
            RkWrite::DrawingSaver::Build(db, RkWrite::DrawingSaver::kDwg, version, bytes, limit);
        if (report.status != RkWrite::SaveStatus::Ok)
            continue;
        if (bytes.size() > limit)
            std::abort();
        RkDb::Database back;
        if (orvo::dwg::DwgReader().Read(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), back) !=
            orvo::dwg::DwgReadResult::Ok)
            std::abort();
    }
    return 0;
}
