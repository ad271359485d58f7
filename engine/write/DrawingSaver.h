// Saves a drawing database as a file of a kind and version code as the program's Save As passes
// them: kind 1 DWG, 2 DXF; version 9 = 2004, 8 = 2000, 7 = R14, 5 = R12. Both kinds are written
// in all four versions; any other kind or version fails with UnsupportedKind before anything
// touches the disk.
#pragma once

#include "engine/db/Database.h"
#include "engine/write/WriteReport.h"

#include <cstddef>
#include <string>

namespace RkWrite {

class DrawingSaver
{
public:
    enum Kind { kDwg = 1, kDxf = 2 };
    // Files past this size are refused (a hostile drawing cannot fill the disk).
    static constexpr std::size_t kDefaultLimit = std::size_t(1) << 30;

    // Whether Save writes that kind and version.
    static bool Supports(int kind, int version);
    // Writes the file through a temporary file; on failure no file is left at path.
    static WriteReport Save(const RkDb::Database& db, const std::string& path, int kind,
                            int version);
    // The file's bytes without touching the disk (report.status says whether they are valid).
    static WriteReport Build(const RkDb::Database& db, int kind, int version, std::string& bytes,
                             std::size_t limit = kDefaultLimit);
    // What a save left out, for the user: "3 3DSOLID, 1 WIPEOUT" (by type, most first), or ""
    // when the file holds everything.
    static std::string Losses(const WriteReport& report);
};

} // namespace RkWrite
