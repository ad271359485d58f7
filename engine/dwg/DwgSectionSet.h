// The sections of a DWG file that the reader needs, located (R13 to 2000) or decompressed (2004
// and later) into buffers of their own, with the facts the file header gives about them.
#pragma once

#include "engine/dwg/DwgVersion.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvo::dwg {

enum class DwgSectionKind
{
    Header,      // header variables
    Classes,     // class definitions
    Handles,     // object map
    Objects,     // object data; R13 to 2000: the whole file, the map holds file offsets
    SummaryInfo, // drawing properties (2004 and later)
    Template,    // MEASUREMENT (R13-2000: the measurement section; 2004 and later: the template)
    DataStorage, // 2013 and later: data kept apart from the objects (the ACIS data of solids)
    Count
};

// The section a 2004+ section map names ("AcDb:Header", ...); false for sections the reader skips.
bool SectionKindOf(const std::string& name, DwgSectionKind& kind);

// A drawing cannot be read without this section; the properties, the template and the data
// storage are optional.
inline bool IsRequired(DwgSectionKind kind)
{
    return kind != DwgSectionKind::SummaryInfo && kind != DwgSectionKind::Template &&
           kind != DwgSectionKind::DataStorage;
}

enum class DwgReadResult
{
    Ok,
    NotDwg,
    UnsupportedVersion,
    Corrupt,
    PasswordProtected,
    Cancelled,
    TooLarge,    // what the file builds would pass the reader's memory budget
};

class DwgMemoryBudget;

struct DwgSectionSet
{
    DwgVersion version = DwgVersion::Unknown;
    uint16_t codePage = 0;
    uint8_t maintenanceVersion = 0;
    DwgMemoryBudget* budget = nullptr; // charged with each section before it is allocated
    std::array<std::vector<uint8_t>, static_cast<size_t>(DwgSectionKind::Count)> sections;

    // Charges the budget, when there is one, with bytes about to be taken; false when they do not fit.
    bool Charge(uint64_t bytes) const;

    std::vector<uint8_t>& operator[](DwgSectionKind kind) { return sections[static_cast<size_t>(kind)]; }
    const std::vector<uint8_t>& operator[](DwgSectionKind kind) const
    {
        return sections[static_cast<size_t>(kind)];
    }
};

// The plain start of a 2004 and later file (at least 0x80 bytes): the maintenance version and
// code page into out; PasswordProtected when its security flags encrypt the data or properties.
DwgReadResult ReadPlainHeaderFacts(const std::vector<uint8_t>& file, DwgSectionSet& out);

// Reads the sections a 2004+ section map lists. Info has a name and an encrypted field;
// roomOf(info) is the memory a section takes while it is read, charged to the budget first;
// readOne(info, bytes) fills one section's bytes and says whether that worked. A security section
// or an encrypted one gives PasswordProtected, a section past the budget TooLarge, a missing or
// unreadable required one Corrupt.
template <typename Info, typename RoomOf, typename ReadOne>
DwgReadResult CollectSections(const std::vector<Info>& sections, RoomOf roomOf, ReadOne readOne, DwgSectionSet& out)
{
    for (const Info& info : sections) {
        if (info.name == "AcDb:Security" || info.encrypted == 1)
            return DwgReadResult::PasswordProtected;
    }
    // A name listed twice is read once: a forged map cannot multiply the work.
    std::array<bool, static_cast<size_t>(DwgSectionKind::Count)> done{};
    for (const Info& info : sections) {
        DwgSectionKind kind = DwgSectionKind::Count;
        if (!SectionKindOf(info.name, kind) || done[static_cast<size_t>(kind)])
            continue;
        done[static_cast<size_t>(kind)] = true;
        if (!out.Charge(roomOf(info)))
            return DwgReadResult::TooLarge;
        if (readOne(info, out[kind]))
            continue;
        if (IsRequired(kind))
            return DwgReadResult::Corrupt;
        out[kind].clear(); // an optional section that does not read is left out, not half read
    }
    if (out[DwgSectionKind::Objects].empty() || out[DwgSectionKind::Handles].empty())
        return DwgReadResult::Corrupt;
    return DwgReadResult::Ok;
}

} // namespace orvo::dwg
