#include "engine/write/DrawingSaver.h"

#include "engine/write/DwgR12Writer.h"
#include "engine/write/DwgWriter.h"
#include "engine/write/DxfWriter.h"
#include "engine/write/FileReplacer.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace RkWrite {
namespace {

bool DxfVersionOf(int version, DxfVersion& out)
{
    switch (version) {
    case 5: out = DxfVersion::R12; return true;
    case 7: out = DxfVersion::R14; return true;
    case 8: out = DxfVersion::R2000; return true;
    case 9: out = DxfVersion::R2004; return true;
    default: return false;
    }
}

// The DWG releases written: R12 (the format before R13), R14, 2000 and 2004.
bool DwgVersionOf(int version, RkDb::DwgVersion& out)
{
    switch (version) {
    case 5: out = RkDb::DwgVersion::R11_12; return true;
    case 7: out = RkDb::DwgVersion::R14; return true;
    case 8: out = RkDb::DwgVersion::R2000; return true;
    case 9: out = RkDb::DwgVersion::R2004; return true;
    default: return false;
    }
}

} // namespace

bool DrawingSaver::Supports(int kind, int version)
{
    DxfVersion v;
    RkDb::DwgVersion d;
    return (kind == kDxf && DxfVersionOf(version, v)) || (kind == kDwg && DwgVersionOf(version, d));
}

WriteReport DrawingSaver::Build(const RkDb::Database& db, int kind, int version,
                                std::string& bytes, std::size_t limit)
{
    WriteReport report;
    RkDb::DwgVersion d;
    if (kind == kDwg && DwgVersionOf(version, d)) {
        std::string file;
        const bool written = d == RkDb::DwgVersion::R11_12 ? DwgR12Writer(db, limit).Write(file, report)
                                                            : DwgWriter(db, d, limit).Write(file, report);
        if (written) {
            bytes = std::move(file);
            report.bytes = bytes.size();
        }
        return report;
    }
    DxfVersion v;
    if (kind != kDxf || !DxfVersionOf(version, v)) {
        report.status = SaveStatus::UnsupportedKind;
        report.message = kind == kDwg ? "DWG files of this version are not written" : "unknown file kind or version";
        return report;
    }
    DxfWriter writer(db, v, limit);
    if (writer.Write(bytes, report))
        report.bytes = bytes.size();
    return report;
}

std::string DrawingSaver::Losses(const WriteReport& report)
{
    std::vector<std::pair<std::size_t, std::size_t>> dropped; // count, type
    for (std::size_t t = 0; t < report.dropped.size(); ++t) {
        if (report.dropped[t] != 0)
            dropped.emplace_back(report.dropped[t], t);
    }
    std::stable_sort(dropped.begin(), dropped.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::string text;
    for (const auto& [count, type] : dropped) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(count) + " " + RkDb::EntityTypeName(static_cast<RkDb::EntityType>(type));
    }
    return text;
}

WriteReport DrawingSaver::Save(const RkDb::Database& db, const std::string& path, int kind,
                               int version)
{
    std::string bytes;
    WriteReport report = Build(db, kind, version, bytes);
    if (report.status != SaveStatus::Ok)
        return report;
    std::string error;
    if (!FileReplacer::Replace(path, bytes, error)) {
        report.status = SaveStatus::CannotWrite;
        report.message = error;
        report.bytes = 0;
    }
    return report;
}

} // namespace RkWrite
