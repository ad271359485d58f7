// Drawing format versions: the $ACADVER / DWG magic texts ("AC1009" .. "AC1032") and the version
// codes the engine reports for them.
#pragma once

#include <cstdint>
#include <string>

namespace RkDb {

enum class DwgVersion : std::uint8_t {
    Unknown, R9, R10, R11_12, R13, R14, R2000, R2004, R2007, R2010, R2013, R2018,
};

class DwgVersionInfo
{
public:
    // "AC1004" -> R9, "AC1009" -> R11_12 ... "AC1032" -> R2018; other texts -> Unknown. Only the first six
    // characters count.
    static DwgVersion FromAcadVer(const std::string& text);
    static const char* AcadVer(DwgVersion version);
    // The version code the drawing object reports: R9 11, R10 12, R12 16, R13 19, R14 21, 2000 23,
    // 2004 25, 2007 27, 2010 29, 2013 31, 2018 33; unknown -1.
    static std::int16_t Code(DwgVersion version);
    // "R12", "2000", ... for messages and the benchmark.
    static const char* Name(DwgVersion version);
};

} // namespace RkDb
