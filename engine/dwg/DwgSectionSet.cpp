#include "engine/dwg/DwgSectionSet.h"

#include "engine/dwg/DwgMemoryBudget.h"

namespace orvo::dwg {

namespace {

struct NamedSection
{
    const char* name;
    DwgSectionKind kind;
};

// The stored preview ("AcDb:Preview") is not among them: the reader draws no picture of it, and
// in some files it is larger than the objects, so decompressing it cost more than reading them.
// The preview extractor takes it from the file by itself.
constexpr NamedSection kNamedSections[] = {
    {"AcDb:Header", DwgSectionKind::Header},   {"AcDb:Classes", DwgSectionKind::Classes},
    {"AcDb:Handles", DwgSectionKind::Handles}, {"AcDb:AcDbObjects", DwgSectionKind::Objects},
    {"AcDb:SummaryInfo", DwgSectionKind::SummaryInfo}, {"AcDb:Template", DwgSectionKind::Template},
    {"AcDb:AcDsPrototype_1b", DwgSectionKind::DataStorage},
};

constexpr size_t kMaintenanceOffset = 0x0B;
constexpr size_t kCodePageOffset = 0x13;
constexpr size_t kSecurityFlagsOffset = 0x18;
constexpr size_t kPlainHeaderSize = 0x80;

} // namespace

DwgReadResult ReadPlainHeaderFacts(const std::vector<uint8_t>& file, DwgSectionSet& out)
{
    if (file.size() < kPlainHeaderSize)
        return DwgReadResult::Corrupt;
    out.maintenanceVersion = file[kMaintenanceOffset];
    out.codePage = static_cast<uint16_t>(file[kCodePageOffset] | (file[kCodePageOffset + 1] << 8));
    // Bit 0: the data sections are encrypted, bit 1: the properties are; both need the password.
    // The flags are a little-endian 32-bit value: both bits lie in its first byte.
    if ((file[kSecurityFlagsOffset] & 3) != 0)
        return DwgReadResult::PasswordProtected;
    return DwgReadResult::Ok;
}

bool DwgSectionSet::Charge(uint64_t bytes) const
{
    return budget == nullptr || budget->Charge(bytes);
}

bool SectionKindOf(const std::string& name, DwgSectionKind& kind)
{
    for (const NamedSection& named : kNamedSections) {
        if (name == named.name) {
            kind = named.kind;
            return true;
        }
    }
    return false;
}

} // namespace orvo::dwg
