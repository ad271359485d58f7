// The drawing's statistics as the file properties show them: the summary completed from the
// header where a format keeps a field there instead (the last editor and the total editing time
// of files without a summary section), and the total editing time split into hours and minutes.
#pragma once

#include "engine/db/Database.h"

#include <cstdint>

namespace RkDb {

struct EditingTime
{
    std::int16_t hours = 0;
    std::int16_t minutes = 0;
};

// Whole minutes, rounded down; a negative, unset or non-finite span is 0 hours 0 minutes, and
// one beyond the 16-bit hours stops at 32767 hours 59 minutes.
EditingTime SplitEditingTime(double days);

// The summary with the header's last editor where it has none, and the header's total editing
// time whenever the header has one.
SummaryInfo EffectiveSummary(const Database& db);

} // namespace RkDb
