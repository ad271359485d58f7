// Save times of the benchmark drawing (100,000 lines and 20,000 polylines, about 27 MB of DXF 2000)
// in every kind the writer makes: read once, then each kind saved to a file beside it; prints the
// seconds (best of several runs) and the file size. Kinds not written are listed as such.
//   DrawingSaveBench [work folder, default the current one] [runs]
#include "BenchDrawingGenerator.h"
#include "engine/db/Database.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DrawingSaver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string source = folder + "/bench-save-source.dxf";
    if (!bench::WriteBenchDrawing(source, 100000, 20000)) {
        std::printf("could not write %s\n", source.c_str());
        return 1;
    }
    std::ifstream in(source, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RkDb::Database db;
    RkDxf::DxfReader reader(db);
    if (reader.Read(data.data(), data.size()) != RkDxf::DxfReader::Status::Ok) {
        std::printf("could not read %s\n", source.c_str());
        return 1;
    }
    std::printf("source %zu bytes, %zu entities\n", data.size(), db.EntityCount());
    struct Kind { const char* name; int kind, version; } kinds[] = {
        {"DWG 2004", 1, 9}, {"DWG 2000", 1, 8}, {"DWG R14", 1, 7}, {"DWG R12", 1, 5},
        {"DXF 2004", 2, 9}, {"DXF 2000", 2, 8}, {"DXF R14", 2, 7}, {"DXF R12", 2, 5},
    };
    for (const Kind& k : kinds) {
        if (!RkWrite::DrawingSaver::Supports(k.kind, k.version)) {
            std::printf("%-9s not written\n", k.name);
            continue;
        }
        const std::string target = folder + "/bench-save-" + std::to_string(k.kind) + "-" +
                                   std::to_string(k.version) + (k.kind == 1 ? ".dwg" : ".dxf");
        double best = 1e9;
        std::size_t bytes = 0;
        for (int i = 0; i < runs; ++i) {
            const auto start = std::chrono::steady_clock::now();
            const RkWrite::WriteReport r = RkWrite::DrawingSaver::Save(db, target, k.kind, k.version);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (r.status != RkWrite::SaveStatus::Ok) {
                std::printf("%-9s failed: %s\n", k.name, r.message.c_str());
                return 1;
            }
            bytes = r.bytes;
        }
        std::printf("%-9s %.3f s  %zu bytes\n", k.name, best, bytes);
        std::remove(target.c_str());
    }
    std::remove(source.c_str());
    return 0;
}
