#include "engine/db/DrawingStatistics.h"

#include <algorithm>
#include <cmath>

namespace RkDb {

EditingTime SplitEditingTime(double days)
{
    EditingTime time;
    if (!std::isfinite(days) || days <= 0.0)
        return time;
    constexpr double kMaxMinutes = 32767.0 * 60.0 + 59.0;
    const double minutes = std::floor(std::min(days * 24.0 * 60.0, kMaxMinutes));
    const auto whole = static_cast<std::int32_t>(minutes);
    time.hours = static_cast<std::int16_t>(whole / 60);
    time.minutes = static_cast<std::int16_t>(whole % 60);
    return time;
}

SummaryInfo EffectiveSummary(const Database& db)
{
    SummaryInfo summary = db.Summary();
    const DrawingHeader& header = db.Header();
    if (summary.lastSavedBy.empty())
        summary.lastSavedBy = header.lastSavedBy;
    // The header's timer is the drawing's own; the summary keeps a copy from its last update,
    // which may lag behind by the minutes of the last session.
    if (header.tdInDwg > 0.0 && std::isfinite(header.tdInDwg))
        summary.totalEditingDays = header.tdInDwg;
    return summary;
}

} // namespace RkDb
