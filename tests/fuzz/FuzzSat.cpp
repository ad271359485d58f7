// libFuzzer target of the ACIS readers: the input as SAB (turned into SAT text) and as SAT text,
// each read into edges.
#include "engine/acis/SatReader.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    if (!folder)
        return 0;
    // A half circle and a cubic B-spline edge in the 4.00 layout.
    const std::string sat =
        "400 6 1 0\n@7 product\n1 1e-06 1e-10\n"
        "edge $-1 $2 $3 $-1 $4 forward #\n"
        "edge $-1 $2 $3 $-1 $5 reversed #\n"
        "vertex $-1 $0 $6 #\nvertex $-1 $0 $7 #\n"
        "ellipse-curve $-1 0 0 0 0 0 1 5 0 0 1 I I #\n"
        "intcurve-curve $-1 forward { exactcur nubs 3 open 2 0 3 1 3 "
        "5 0 0 1 2 0 -2 2 0 -5 0 0 0 F 0 F 1 } I I #\n"
        "point $-1 5 0 0 #\npoint $-1 -5 0 0 #\nEnd-of-ACIS-data\n";
    std::ofstream(std::string(folder) + "/edges.sat", std::ios::binary).write(sat.data(), static_cast<std::streamsize>(sat.size()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<RkDb::AcisEdge> edges;
    std::string sat;
    if (RkAcis::SatReader::SabToSat(input, sat, 64 * size + 1024))
        RkAcis::SatReader::ReadEdges(sat, edges, 4096);
    edges.clear();
    RkAcis::SatReader::ReadEdges(input, edges, 4096);
    RkAcis::SatReader::ReadEdges(RkAcis::SatReader::Decipher(input), edges, 4096);
    return 0;
}
