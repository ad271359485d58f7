#include "engine/dwg/DwgClasses.h"

#include "engine/dwg/DwgBitReader.h"
#include "engine/dwg/DwgStreams.h"

namespace orvo::dwg {

namespace {

constexpr uint16_t kEntityClassId = 0x1F2;
// Class numbers are 16-bit; no drawing defines anywhere near this many.
constexpr size_t kMaxClasses = 4096;

} // namespace

bool DwgClasses::Read(const std::vector<uint8_t>& section, DwgVersion version, uint8_t maintenanceVersion)
{
    m_entries.clear();
    DwgSectionBody body;
    if (!OpenSectionBody(section, version, maintenanceVersion, body))
        return false;
    DwgBitReader& data = body.data;
    DwgBitReader& text = body.HasText() ? body.text : body.data;
    if (version >= DwgVersion::R2004) {
        data.BS(); // highest class number
        data.RC();
        data.RC();
        data.B();
    }
    while (data.BitsLeft() > 8 && m_entries.size() < kMaxClasses) {
        Entry entry;
        entry.number = data.BS();
        data.BS(); // proxy flags
        text.TV(); // application name
        entry.cppName = text.TV();
        entry.dxfName = text.TV();
        data.B(); // was a zombie
        entry.isEntity = data.BS() == kEntityClassId;
        if (version >= DwgVersion::R2004) {
            data.BL(); // instance count
            data.BL(); // DWG version
            data.BL(); // maintenance version
            data.BL();
            data.BL();
        }
        if (data.Failed() || text.Failed())
            return false;
        m_entries.push_back(std::move(entry));
    }
    return true;
}

const std::string& DwgClasses::DxfName(uint16_t number) const
{
    static const std::string kNone;
    for (const Entry& entry : m_entries) {
        if (entry.number == number)
            return entry.dxfName;
    }
    return kNone;
}

} // namespace orvo::dwg
