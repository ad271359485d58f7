// Load times of the largest sample DWG of each release next to its DXF export, read into the
// drawing database by the DWG and DXF readers (best of several runs, the file already in memory).
// The goal is a DWG that loads faster than its DXF.
//   DwgLoadBench [samples folder, default ../shared/samples/dwg next to the project] [runs]
#include "engine/db/Database.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <class Load> double BestSeconds(int runs, Load load)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        load();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : std::string(ORVO_SOURCE_DIR) + "/../shared/samples/dwg";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const char* const releases[] = {"r13", "r14", "2000", "2004", "2007", "2010", "2013", "2018"};
    std::printf("%-6s %10s %10s %10s %10s %8s %s\n", "file", "dwg KB", "dwg ms", "dxf KB", "dxf ms", "ratio", "entities dwg/dxf");
    for (const char* release : releases) {
        const std::string dwg = ReadAll(folder + "/example_" + release + ".dwg");
        const std::string dxf = ReadAll(folder + "/example_" + release + ".dxf");
        if (dwg.empty() || dxf.empty()) {
            std::printf("%-6s missing\n", release);
            continue;
        }
        std::size_t dwgEntities = 0, dxfEntities = 0;
        orvo::dwg::DwgReadResult result = orvo::dwg::DwgReadResult::Ok;
        // The reader takes its buffer over, so each run gets a copy made before the clock starts:
        // the DXF reader is timed on bytes already in memory too.
        std::vector<std::vector<std::uint8_t>> copies(static_cast<size_t>(runs),
                                                      std::vector<std::uint8_t>(dwg.begin(), dwg.end()));
        size_t run = 0;
        const double dwgSeconds = BestSeconds(runs, [&] {
            RkDb::Database db;
            result = orvo::dwg::DwgReader().Read(std::move(copies[run++]), db);
            dwgEntities = db.EntityCount();
        });
        const double dxfSeconds = BestSeconds(runs, [&] {
            RkDb::Database db;
            RkDxf::DxfReader(db).Read(dxf.data(), dxf.size());
            dxfEntities = db.EntityCount();
        });
        std::printf("%-6s %10zu %10.2f %10zu %10.2f %8.2f %zu/%zu%s\n", release, dwg.size() / 1024, dwgSeconds * 1e3,
                    dxf.size() / 1024, dxfSeconds * 1e3, dwgSeconds / dxfSeconds, dwgEntities, dxfEntities,
                    result == orvo::dwg::DwgReadResult::Ok ? "" : " (DWG not read)");
    }
    return 0;
}
