// The page container of a DWG 2004 file: the plain and the encrypted file header, the sections
// cut into compressed data pages with masked headers and checksums, the section map and the
// page map as system pages, and the header's copy at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace RkWrite {

class DwgPagedFile
{
public:
    explicit DwgPagedFile(std::uint16_t codePageIndex) : m_codePageIndex(codePageIndex) {}

    // A section by its name ("AcDb:Header", ...), in the order the section map lists them.
    void AddSection(const std::string& name, std::vector<std::uint8_t> data);
    // The file into out; false when it would pass limit bytes.
    bool Compose(std::size_t limit, std::string& out) const;

private:
    struct Section
    {
        std::string name;
        std::vector<std::uint8_t> data;
    };
    struct Page
    {
        std::uint32_t number;
        std::uint64_t address;
        std::uint32_t size;
    };
    struct PagePlan
    {
        std::size_t section;
        std::uint64_t start;
        std::uint32_t size;
        std::uint32_t number = 0;
        std::uint32_t compressedSize = 0;
    };

    static std::uint32_t SectionId(const std::string& name);
    std::vector<PagePlan> Plan() const;
    std::vector<std::uint8_t> SectionMap(const std::vector<PagePlan>& plan) const;
    static void SystemPage(std::uint32_t type, const std::vector<std::uint8_t>& data, std::string& out);
    void FileHeader(std::string& out, std::uint32_t lastPage, std::uint32_t pageCount, std::uint32_t pageMapId,
                    std::uint64_t pageMapAddress, std::uint32_t sectionMapId, std::uint64_t secondHeader) const;

    std::uint16_t m_codePageIndex;
    std::vector<Section> m_sections;
};

} // namespace RkWrite
