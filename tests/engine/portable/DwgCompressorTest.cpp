// The DWG 2004 page compression: whatever it makes, the reader's decompressor gives back the
// input byte for byte, and repeated data shrinks.
#include "engine/dwg/DwgDecompressor.h"
#include "engine/write/DwgCompressor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

struct CompressCase
{
    const char* name;
    std::size_t size;
    int alphabet;       // distinct byte values: small ones repeat, 256 is noise
    std::size_t period; // 0: random; else the data repeats with that period
};

class DwgCompressor : public ::testing::TestWithParam<CompressCase>
{
};

std::vector<std::uint8_t> Make(const CompressCase& c)
{
    std::mt19937 random(static_cast<unsigned>(c.size * 31 + c.period));
    std::vector<std::uint8_t> data(c.size);
    for (std::size_t i = 0; i < c.size; ++i)
        data[i] = c.period != 0 && i >= c.period ? data[i - c.period]
                                                 : static_cast<std::uint8_t>(random() % static_cast<unsigned>(c.alphabet));
    return data;
}

TEST_P(DwgCompressor, DecompressesToTheInput)
{
    const CompressCase c = GetParam();
    const std::vector<std::uint8_t> data = Make(c);
    const std::vector<std::uint8_t> packed = RkWrite::Compress2004(data.data(), data.size());
    std::vector<std::uint8_t> back(data.size() + 64, 0xEE);
    std::size_t written = 0;
    orvo::dwg::Decompress2004(packed.data(), packed.size(), back.data(), back.size(), written);
    ASSERT_EQ(written, data.size());
    back.resize(written);
    EXPECT_EQ(back, data);
    // Literals cost a little over their size; repeated data shrinks.
    EXPECT_LE(packed.size(), data.size() + data.size() / 200 + 8);
    if (c.period != 0 && c.size > 4 * c.period) {
        EXPECT_LT(packed.size(), data.size() / 2);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DwgCompressor,
    ::testing::Values(CompressCase{"Empty", 0, 256, 0}, CompressCase{"Four", 4, 256, 0},
                      CompressCase{"Eighteen", 18, 256, 0}, CompressCase{"Nineteen", 19, 256, 0},
                      CompressCase{"Noise", 70000, 256, 0}, CompressCase{"FewSymbols", 70000, 3, 0},
                      CompressCase{"Zeros", 70000, 1, 0}, CompressCase{"ShortPeriod", 5000, 256, 7},
                      CompressCase{"LongPeriod", 70000, 256, 9000}, CompressCase{"FarPeriod", 70000, 256, 20000}),
    [](const ::testing::TestParamInfo<CompressCase>& info) { return std::string(info.param.name); });

} // namespace
