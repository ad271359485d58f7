// What a drawing save did: its outcome and, per entity type, what was written, what a version
// could not hold (dropped) and what was converted into other types (an R12 MTEXT into TEXT lines).
#pragma once

#include "engine/db/Database.h"

#include <array>
#include <cstddef>
#include <string>

namespace RkWrite {

enum class SaveStatus {
    Ok,
    UnsupportedKind,    // a file kind or version this engine does not write
    TooLarge,           // the drawing would make a file past the size limit
    CannotWrite,        // the target (or its temporary file) cannot be written or replaced
};

using TypeCounts = std::array<std::size_t, RkDb::kEntityTypeCount>;

struct WriteReport
{
    SaveStatus status = SaveStatus::Ok;
    std::string message;        // why a save failed, for the log
    TypeCounts written{};       // top-level entities in the file, by the type written
    TypeCounts dropped{};       // source entities left out, by their type
    TypeCounts convertedFrom{}; // source entities written as other types, by their type
    TypeCounts convertedInto{}; // the entities those conversions made, by their type
    std::size_t bytes = 0;
};

} // namespace RkWrite
