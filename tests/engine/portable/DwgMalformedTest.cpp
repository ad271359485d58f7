// The DWG reader on damaged files: truncations at many offsets and deterministic byte mutations of
// a sample of each release must end cleanly, each within a bounded time, whatever the result.
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;

struct Target
{
    const char* path;
    const char* name;    // the ctest name of its entries
    int mutations;
    int shards;          // ctest entries the mutations are split into, each a range of the sequence
    size_t from = 0;     // the mutated single bytes and runs lie in [from, to); to 0: the file's end
    size_t to = 0;
};

// One drawing per release, each with a few thousand mutations (ORVO_DWG_SWEEP multiplies them).
// Most of the 2007 sample is its stored preview, so two more runs aim at its coded file header
// and page map, and at the pages after the preview (objects, maps, classes, header). The large
// drawings are split so that no entry runs long under the sanitizers on a busy machine; the
// sequence of mutations does not depend on the split.
const Target kTargets[] = {
    {"dwg/example_r13.dwg", "r13", 2000, 10},
    {"dwg/example_r14.dwg", "r14", 2000, 10},
    {"dwg/sample_2000.dwg", "r2000", 2000, 2},
    {"dwg/example_2004.dwg", "r2004", 2000, 5},
    {"dwg/example_2007.dwg", "r2007", 2000, 10},
    {"dwg/example_2007.dwg", "r2007_head", 1000, 5, 0x80, 0xC80},
    {"dwg/example_2007.dwg", "r2007_pages", 2000, 10, 0x4C000, 0},
    {"dwg/example_2010.dwg", "r2010", 2000, 10},
    {"dwg/example_2013.dwg", "r2013", 2000, 10},
    {"dwg/sample_2018.dwg", "r2018", 2000, 2},
};

// One ctest entry: the mutations [first, first + count) of a target's sequence.
struct Shard
{
    const Target* target;
    int first;
    int count;
};

std::vector<Shard> Shards()
{
    std::vector<Shard> shards;
    for (const Target& target : kTargets) {
        for (int i = 0; i < target.shards; ++i) {
            const int first = target.mutations * i / target.shards;
            shards.push_back({&target, first, target.mutations * (i + 1) / target.shards - first});
        }
    }
    return shards;
}

// Each drawing once (the 2007 sample has three targets).
std::vector<Target> DistinctFiles()
{
    std::vector<Target> files;
    for (const Target& target : kTargets) {
        if (target.from == 0 && target.to == 0)
            files.push_back(target);
    }
    return files;
}

constexpr auto kLimit = std::chrono::seconds(2);

// The Windows build reads every fifth mutation of each shard: the native run reads them all under
// the sanitizers, which catch more than a crash does, and under Wine the whole sweep was a third of
// all the Windows tests' time. Every shard still reaches its part of the file.
#ifdef _WIN32
constexpr int kStride = 5;
#else
constexpr int kStride = 1;
#endif

void PrintTo(const Target& target, std::ostream* os) { *os << target.path; }
void PrintTo(const Shard& shard, std::ostream* os)
{
    *os << shard.target->path << " from " << shard.target->from << ", mutations " << shard.first << '+'
        << shard.count;
}

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

// One step of the deterministic sequence: the bytes it writes. Drawing a mutation costs the same
// random numbers whether it is applied or skipped, so a shard can start anywhere in the sequence.
struct Mutation
{
    size_t at = 0;
    std::vector<std::pair<size_t, uint8_t>> writes;
};

Mutation NextMutation(Lcg& random, const std::vector<uint8_t>& file, size_t from, size_t to)
{
    Mutation m;
    const uint32_t kind = random.Next() % 4;
    m.at = from + random.Next() % (to - from);
    switch (kind) {
    case 0: m.writes.emplace_back(m.at, static_cast<uint8_t>(file[m.at] ^ (1u << (random.Next() % 8)))); break;
    case 1: m.writes.emplace_back(m.at, static_cast<uint8_t>(random.Next())); break;
    case 2:  // a size or count becomes huge
        for (size_t n = 0; n < 3; ++n)
            m.writes.emplace_back(m.at + n, uint8_t{0xFF});
        m.writes.emplace_back(m.at + 3, uint8_t{0x7F});
        break;
    default:  // several bytes anywhere, the header included
        for (int n = 0; n < 8; ++n) {
            const auto value = static_cast<uint8_t>(random.Next());
            m.writes.emplace_back(random.Next() % file.size(), value);
        }
        break;
    }
    return m;
}

// Reads the bytes; fails the test when the read takes longer than the limit.
void ReadWithin(const std::vector<uint8_t>& bytes, const std::string& what)
{
    RkDb::Database db;
    const auto start = std::chrono::steady_clock::now();
    DwgReader().Read(bytes, db);
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_LT(spent, kLimit) << what;
}

std::vector<uint8_t> LoadSample(const std::string& dir, const char* path)
{
    const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, path));
    return std::vector<uint8_t>(data.begin(), data.end());
}

int SweepScale()
{
    const char* scale = std::getenv("ORVO_DWG_SWEEP");
    return scale ? std::max(1, std::atoi(scale)) : 1;
}

class DwgTruncated : public ::testing::TestWithParam<Target>
{
};

TEST_P(DwgTruncated, TruncationsEndCleanly)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::vector<uint8_t> file = LoadSample(dir, GetParam().path);
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

class DwgMalformed : public ::testing::TestWithParam<Shard>
{
};

TEST_P(DwgMalformed, MutationsEndCleanly)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const Target& target = *GetParam().target;
    const std::vector<uint8_t> file = LoadSample(dir, target.path);
    ASSERT_GT(file.size(), 0x100u);
    const int scale = SweepScale();
    const int first = GetParam().first * scale;
    const int end = first + GetParam().count * scale;
    const size_t from = std::min(target.from, file.size() - 4);
    const size_t to = target.to == 0 ? file.size() - 4 : std::min(target.to, file.size() - 4);
    ASSERT_LT(from, to);
    Lcg random(static_cast<uint32_t>(file.size() + from));
    for (int i = 0; i < first; ++i)
        NextMutation(random, file, from, to);
    std::vector<uint8_t> bytes = file;
    for (int i = first; i < end; ++i) {
        const Mutation m = NextMutation(random, file, from, to);
        if ((i - first) % kStride != 0)
            continue;
        for (const auto& [at, value] : m.writes)
            bytes[at] = value;
        ReadWithin(bytes, "mutation " + std::to_string(i) + " at " + std::to_string(m.at));
        for (const auto& write : m.writes)
            bytes[write.first] = file[write.first];
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, DwgTruncated, ::testing::ValuesIn(DistinctFiles()),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Samples, DwgMalformed, ::testing::ValuesIn(Shards()),
                         [](const ::testing::TestParamInfo<Shard>& info) {
                             return std::string(info.param.target->name) + "_" + std::to_string(info.param.first);
                         });

} // namespace
