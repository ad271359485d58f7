// libFuzzer target of the drawing writer: whatever the DXF reader makes of the input is written
// in every DXF version and read back. No crash, and the file stays within a bound of the input.
#include "engine/db/Database.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DrawingSaver.h"

#include <cstdint>
#include <cstdlib>
#include <string>

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
    return 0;
}
