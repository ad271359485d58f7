// The header variables section reader on damaged sections, and MEASUREMENT from the sections
// that hold it. The samples check the values themselves (DwgSamplesTest).
#include "engine/dwg/DwgHeaderVariables.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using orvo::dwg::DwgHeaderRefs;
using orvo::dwg::DwgVersion;

// A sentinel-framed section whose body is the given bytes.
std::vector<uint8_t> Section(const std::vector<uint8_t>& body, uint32_t storedSize)
{
    std::vector<uint8_t> section(16, 0xCF);
    for (int i = 0; i < 4; ++i)
        section.push_back(static_cast<uint8_t>(storedSize >> (8 * i)));
    section.insert(section.end(), body.begin(), body.end());
    return section;
}

TEST(DwgHeaderVariables, DamagedSectionsLeaveTheDefaults)
{
    const std::vector<uint8_t> zeros(64, 0);
    const std::vector<uint8_t> ones(400, 0xFF);
    struct Case
    {
        const char* what;
        std::vector<uint8_t> section;
    };
    const Case cases[] = {
        {"missing", {}},
        {"sentinel only", std::vector<uint8_t>(16, 0xCF)},
        {"size past the end", Section(zeros, 1000)},
        {"ends early", Section(zeros, static_cast<uint32_t>(zeros.size()))},
        {"bad bit codes", Section(ones, static_cast<uint32_t>(ones.size()))},
    };
    for (const Case& c : cases) {
        for (const DwgVersion version : {DwgVersion::R14, DwgVersion::R2000, DwgVersion::R2018}) {
            RkDb::DrawingHeader header;
            header.ltScale = 7.0;
            DwgHeaderRefs refs;
            EXPECT_FALSE(orvo::dwg::ReadHeaderVariables(c.section, version, 0, nullptr, header, refs)) << c.what;
            EXPECT_EQ(header.ltScale, 7.0) << c.what;
            EXPECT_EQ(header.extMin.x, RkDb::DrawingHeader().extMin.x) << c.what;
            EXPECT_EQ(refs.layer, 0u) << c.what;
        }
    }
}

TEST(DwgHeaderVariables, MeasurementFromItsSection)
{
    struct Case
    {
        DwgVersion version;
        std::vector<uint8_t> section;
        int expected;
    };
    const Case cases[] = {
        {DwgVersion::R14, {0, 0, 1, 0}, 1},
        {DwgVersion::R2000, {0, 0, 0, 0}, 0},
        {DwgVersion::R2000, {0, 0, 1}, -1},
        {DwgVersion::R2000, {}, -1},
        {DwgVersion::R2004, {0, 0, 1, 0}, 1},
        {DwgVersion::R2004, {2, 0, 'a', 'b', 0, 0}, 0},
        {DwgVersion::R2004, {9, 0, 1, 0}, -1},
        {DwgVersion::R2018, {1, 0, 0, 0, 1, 0}, 1},
        {DwgVersion::R2018, {1, 0, 0, 0, 7, 0}, -1},
        {DwgVersion::R2018, {0xFF, 0xFF, 0, 0}, -1},
        {DwgVersion::R2018, {1}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(orvo::dwg::ReadMeasurement(c.section, c.version), c.expected) << c.section.size();
}

} // namespace
