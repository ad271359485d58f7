// The reader's own memory budget: a crafted R2000 drawing whose object map points many entries at
// one object (a few bytes of map each, a whole decoded object each) is refused with TooLarge
// instead of growing without bound; the samples read within the default budget.
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/DwgCraftR2000.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgMemoryBudget;
using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;

using orvo::test::Le32;
using orvo::test::kLocatorCount;
using orvo::test::kLocatorSize;
using orvo::test::WithMap;

// An object map of count entries, all at one offset, with handles from 1 up.
std::vector<uint8_t> RepeatingMap(uint64_t offset, uint32_t count)
{
    std::vector<uint8_t> section, entries;
    uint64_t handle = 0;
    for (uint32_t i = 0; i < count; ++i) {
        ++handle;
        if (entries.empty()) {
            orvo::test::PutUmc(entries, handle); // each page starts again from zero
            orvo::test::PutMc(entries, static_cast<int64_t>(offset));
        } else {
            orvo::test::PutUmc(entries, 1);
            orvo::test::PutMc(entries, 0);
        }
        if (entries.size() >= 2000) {
            orvo::test::ClosePage(section, entries);
            entries.clear();
        }
    }
    if (!entries.empty())
        orvo::test::ClosePage(section, entries);
    orvo::test::ClosePage(section, {});
    return section;
}

// The offset of the drawing's first object, from the first entry of its own map.
uint64_t FirstObjectOffset(const std::vector<uint8_t>& file)
{
    const uint32_t count = Le32(file, kLocatorCount);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t record = kLocatorCount + 4 + i * kLocatorSize;
        if (file[record] != 2)
            continue;
        size_t at = Le32(file, record + 1) + 2;
        while (file[at] & 0x80) // the handle
            ++at;
        ++at;
        uint64_t offset = 0;
        for (unsigned shift = 0;; shift += 7, ++at) {
            const uint8_t byte = file[at];
            offset |= static_cast<uint64_t>(byte & ((byte & 0x80) ? 0x7F : 0x3F)) << shift;
            if (!(byte & 0x80))
                break;
        }
        return offset;
    }
    return 0;
}

TEST(DwgMemoryBudget, ChargesUpToTheLimitAndStaysExhausted)
{
    DwgMemoryBudget budget(1000);
    EXPECT_TRUE(budget.Charge(600));
    EXPECT_TRUE(budget.Charge(400));
    EXPECT_EQ(budget.Remaining(), 0u);
    EXPECT_FALSE(budget.Charge(1));
    EXPECT_TRUE(budget.Exhausted());
    EXPECT_FALSE(budget.Charge(0));
    EXPECT_EQ(budget.Used(), 1000u);
    EXPECT_EQ(DwgMemoryBudget::kDefaultLimit, 256ull * 1024 * 1024);
}

TEST(DwgMemoryBudget, RepeatedMapEntriesGiveTooLarge)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, "dwg/example_2000.dwg"));
    ASSERT_GT(data.size(), 0x100u);
    const std::vector<uint8_t> original(data.begin(), data.end());
    const uint64_t offset = FirstObjectOffset(original);
    ASSERT_GT(offset, 0u);

    struct Case
    {
        const char* what;
        uint32_t entries;
        uint64_t limit;
        DwgReadResult expected;
    };
    const Case cases[] = {
        // The map alone fits; the objects it names do not.
        {"objects over the budget", 50000, 16ull << 20, DwgReadResult::TooLarge},
        // The map itself does not fit.
        {"map over the budget", 50000, 2ull << 20, DwgReadResult::TooLarge},
        // The file's own sections do not fit.
        {"file over the budget", 10, 64 * 1024, DwgReadResult::TooLarge},
        // A few repeats fit and read.
        {"within the budget", 100, DwgMemoryBudget::kDefaultLimit, DwgReadResult::Ok},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> crafted = WithMap(original, RepeatingMap(offset, c.entries));
        DwgReader reader;
        reader.SetMemoryLimit(c.limit);
        RkDb::Database db;
        EXPECT_EQ(reader.Read(crafted, db), c.expected) << c.what;
    }
}

TEST(DwgMemoryBudget, SamplesReadWithinTheDefaultBudget)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const char* name : {"dwg/example_r14.dwg", "dwg/example_2000.dwg", "dwg/example_2018.dwg"}) {
        const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, name));
        RkDb::Database db;
        EXPECT_EQ(DwgReader().Read(std::vector<uint8_t>(data.begin(), data.end()), db), DwgReadResult::Ok) << name;
    }
}

} // namespace
