// The DWG reader on damaged files: truncations at many offsets and deterministic byte mutations of
// a sample of each release must end cleanly, each within a bounded time, whatever the result.
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;

struct Target
{
    const char* path;
    int mutations;
    size_t from = 0; // the mutated single bytes and runs lie in [from, to); to 0: the file's end
    size_t to = 0;
};

// One drawing per release, each with a few thousand mutations (ORVO_DWG_SWEEP multiplies them).
// Most of the 2007 sample is its stored preview, so two more runs aim at its coded file header
// and page map, and at the pages after the preview (objects, maps, classes, header).
const Target kTargets[] = {
    {"dwg/example_r13.dwg", 2000},  {"dwg/example_r14.dwg", 2000},  {"dwg/sample_2000.dwg", 2000},
    {"dwg/example_2004.dwg", 2000}, {"dwg/example_2007.dwg", 2000}, {"dwg/example_2007.dwg", 1000, 0x80, 0xC80},
    {"dwg/example_2007.dwg", 2000, 0x4C000, 0},                     {"dwg/example_2010.dwg", 2000},
    {"dwg/example_2013.dwg", 2000}, {"dwg/sample_2018.dwg", 2000},
};

constexpr auto kLimit = std::chrono::seconds(2);

void PrintTo(const Target& target, std::ostream* os) { *os << target.path << " from " << target.from; }

class Lcg
{
public:
    explicit Lcg(uint32_t seed) : m_state(seed) {}
    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

private:
    uint32_t m_state;
};

// Reads the bytes; fails the test when the read takes longer than the limit.
void ReadWithin(const std::vector<uint8_t>& bytes, const std::string& what)
{
    RkDb::Database db;
    const auto start = std::chrono::steady_clock::now();
    DwgReader().Read(bytes, db);
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_LT(spent, kLimit) << what;
}

class DwgMalformed : public ::testing::TestWithParam<Target>
{
protected:
    std::vector<uint8_t> Load(const std::string& dir)
    {
        const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, GetParam().path));
        return std::vector<uint8_t>(data.begin(), data.end());
    }
};

TEST_P(DwgMalformed, TruncationsEndCleanly)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::vector<uint8_t> file = Load(dir);
    ASSERT_FALSE(file.empty());
    std::vector<size_t> lengths = {0, 1, 5, 6, 0x14, 0x18, 0x40, 0x80, 0xEC, 0x100};
    for (size_t i = 1; i < 96; ++i)
        lengths.push_back(file.size() * i / 96);
    for (size_t length : lengths) {
        if (length >= file.size())
            continue;
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        ReadWithin(cut, "cut at " + std::to_string(length));
    }
}

TEST_P(DwgMalformed, MutationsEndCleanly)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::vector<uint8_t> file = Load(dir);
    ASSERT_GT(file.size(), 0x100u);
    int count = GetParam().mutations;
    if (const char* scale = std::getenv("ORVO_DWG_SWEEP"))
        count *= std::max(1, std::atoi(scale));
    const size_t from = std::min(GetParam().from, file.size() - 4);
    const size_t to = GetParam().to == 0 ? file.size() - 4 : std::min(GetParam().to, file.size() - 4);
    ASSERT_LT(from, to);
    Lcg random(static_cast<uint32_t>(file.size() + from));
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> bytes = file;
        const uint32_t kind = random.Next() % 4;
        const size_t at = from + random.Next() % (to - from);
        switch (kind) {
        case 0: bytes[at] ^= static_cast<uint8_t>(1u << (random.Next() % 8)); break;
        case 1: bytes[at] = static_cast<uint8_t>(random.Next()); break;
        case 2:  // a size or count becomes huge
            bytes[at] = bytes[at + 1] = bytes[at + 2] = 0xFF;
            bytes[at + 3] = 0x7F;
            break;
        default:  // several bytes anywhere, the header included
            for (int n = 0; n < 8; ++n)
                bytes[random.Next() % bytes.size()] = static_cast<uint8_t>(random.Next());
            break;
        }
        ReadWithin(bytes, "mutation " + std::to_string(i) + " at " + std::to_string(at));
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, DwgMalformed, ::testing::ValuesIn(kTargets));

} // namespace
