// The class section: the custom object types (numbers 500 and up) with their DXF names, which
// say what an object of such a type is ("LWPOLYLINE", "LAYOUT", "HATCH", ...).
#pragma once

#include "engine/dwg/DwgVersion.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvo::dwg {

class DwgClasses
{
public:
    struct Entry
    {
        uint16_t number = 0;
        std::string dxfName;
        std::string cppName;
        bool isEntity = false;
    };

    // Decodes the section (start sentinel, size, classes); false when it is cut short.
    bool Read(const std::vector<uint8_t>& section, DwgVersion version, uint8_t maintenanceVersion);

    // The DXF name of a class number, or an empty text.
    const std::string& DxfName(uint16_t number) const;
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

} // namespace orvo::dwg
