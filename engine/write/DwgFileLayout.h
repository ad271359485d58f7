// Lays out a DWG file of R14, 2000 or 2004 from its parts. R14 and 2000: the file header with
// the section locators and its CRC, the header variables and classes sections framed by their
// sentinels with their CRCs, the objects, the object map in CRC-checked pages, the free-space and
// measurement sections and the second header. 2004: the same sections by name in the page
// container (DwgPagedFile).
#pragma once

#include "engine/db/DwgVersion.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace RkWrite {

class DwgFileLayout
{
public:
    struct Object
    {
        std::uint64_t handle;
        const std::vector<std::uint8_t>* bytes;  // the framed record, owned by the caller
    };

    DwgFileLayout(RkDb::DwgVersion version, std::uint16_t codePageIndex);

    void SetHeader(std::vector<std::uint8_t> variables) { m_variables = std::move(variables); }
    void AddClass(std::uint16_t number, const std::string& cppName, const std::string& dxfName, bool isEntity);
    void SetMeasurement(int measurement) { m_measurement = measurement; }
    // The handles the second header lists: the seed, the table controls from the block control
    // to the viewport entity control, the named objects, multiline style and group dictionaries.
    void SetRootHandles(const std::array<std::uint64_t, 14>& roots) { m_roots = roots; }
    // The file into out; false when it would pass limit bytes.
    bool Compose(std::vector<Object> objects, std::size_t limit, std::string& out) const;

private:
    std::vector<std::uint8_t> Classes() const;
    std::vector<std::uint8_t> Framed(const std::uint8_t* start, const std::uint8_t* end,
                                     const std::vector<std::uint8_t>& data) const;
    bool ComposePaged(const std::vector<Object>& objects, std::size_t limit, std::string& out) const;
    std::array<std::uint8_t, 4> Template() const;
    std::vector<std::uint8_t> AuxHeader() const;
    void SecondHeader(const std::uint32_t* seekers, const std::uint32_t* sizes, std::string& out) const;
    static void Section(const std::uint8_t* start, const std::uint8_t* end, const std::vector<std::uint8_t>& data,
                        std::string& out);
    static std::string ObjectMap(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& offsets);
    static std::string ObjectMapPages(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& offsets);

    RkDb::DwgVersion m_version;
    std::uint16_t m_codePageIndex;
    std::vector<std::uint8_t> m_variables;
    struct Class
    {
        std::uint16_t number;
        std::string cppName, dxfName;
        bool isEntity;
    };
    std::vector<Class> m_classes;
    int m_measurement = 0;
    std::array<std::uint64_t, 14> m_roots{};
};

} // namespace RkWrite
