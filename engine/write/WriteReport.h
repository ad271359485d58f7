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

// Counts what one source entity of type source became: emitted holds the entities written for it
// by type (none: dropped; anything but itself alone: converted).
inline void Account(WriteReport& report, RkDb::EntityType source, const TypeCounts& emitted)
{
    const std::size_t self = static_cast<std::size_t>(source);
    std::size_t total = 0;
    for (std::size_t i = 0; i < emitted.size(); ++i) {
        total += emitted[i];
        report.written[i] += emitted[i];
    }
    if (total == 0) {
        ++report.dropped[self];
    } else if (!(total == 1 && emitted[self] == 1)) {
        ++report.convertedFrom[self];
        for (std::size_t i = 0; i < emitted.size(); ++i)
            report.convertedInto[i] += emitted[i];
    }
}

} // namespace RkWrite
