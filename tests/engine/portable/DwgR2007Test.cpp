// The 2007 (AC1021) file structure: the page decompressor with its shuffled literal runs, and the
// Reed-Solomon coded file header, on hand-made streams and on the 2007 sample.
#include "engine/dwg/DwgDecompressorR2007.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dwg/DwgReedSolomon.h"
#include "tests/engine/portable/DwgR2007TestCode.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using orvo::dwg::Decompress2007;
using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;
using orvo::dwg::DwgReedSolomon;
using namespace orvo::test2007;

std::vector<uint8_t> Decompress(const std::vector<uint8_t>& stream, size_t room, bool& ok)
{
    std::vector<uint8_t> out(room);
    size_t written = 0;
    ok = Decompress2007(stream.data(), stream.size(), out.data(), out.size(), written);
    out.resize(written);
    return out;
}

// A stream of one literal run of length bytes: short runs open with 0x2X and a count in the third
// byte, longer ones with a length code and, from 0x17 on, an extra length byte.
std::vector<uint8_t> LiteralStream(const std::vector<uint8_t>& bytes)
{
    const size_t length = bytes.size();
    std::vector<uint8_t> stream;
    if (length < 8)
        stream = {0x20, 0, 0, static_cast<uint8_t>(length)};
    else if (length < 0x17)
        stream = {static_cast<uint8_t>(length - 8)};
    else
        stream = {0x0F, static_cast<uint8_t>(length - 0x17)};
    stream.insert(stream.end(), bytes.begin(), bytes.end());
    return stream;
}

// Runs of 1 to 256 distinct bytes: the shuffled order must neither lose nor repeat a byte.
TEST(Dwg2007Decompressor, EveryLiteralRunKeepsEachByteOnce)
{
    for (size_t length = 1; length <= 256; ++length) {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i)
            bytes[i] = static_cast<uint8_t>(i);
        bool ok = false;
        std::vector<uint8_t> out = Decompress(LiteralStream(bytes), length, ok);
        EXPECT_TRUE(ok) << length;
        std::sort(out.begin(), out.end());
        EXPECT_EQ(out, bytes) << length;
    }
}

// Fragments of the 2007 sample's file header and section map with what they stand for.
TEST(Dwg2007Decompressor, SampleFragments)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> stream;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"header size and file size: literals, a copy of the byte before, literals",
         {0x20, 0, 0, 0x02, 0x00, 0x70, 0x60, 0x03, 0x06, 0xF5, 0x40},
         {0x70, 0, 0, 0, 0, 0, 0, 0, 0x40, 0xF5, 0x06}},
        {"a run of 10: seed then stream version",
         LiteralStream({0x01, 0x20, 0x3D, 0xCF, 0x33, 0x55, 0x82, 0xA4, 0x00, 0x0D}),
         {0x0D, 0x20, 0x3D, 0xCF, 0x33, 0x55, 0x82, 0xA4, 0x00, 0x01}},
        {"a run of 13: \"AcDb:Ap\" in UTF-16",
         LiteralStream({0x00, 0x62, 0x00, 0x3A, 0x00, 0x41, 0x00, 0x70, 0x00, 0x63, 0x00, 0x44, 0x41}),
         {0x41, 0x00, 0x63, 0x00, 0x44, 0x00, 0x62, 0x00, 0x3A, 0x00, 0x41, 0x00, 0x70}},
        {"a run of 15: \"InfoHist\" in UTF-16",
         LiteralStream({0x74, 0x6F, 0x00, 0x48, 0x00, 0x69, 0x00, 0x73, 0x00, 0x6E, 0x00, 0x66, 0x00, 0x00, 0x49}),
         {0x49, 0x00, 0x6E, 0x00, 0x66, 0x00, 0x6F, 0x00, 0x48, 0x00, 0x69, 0x00, 0x73, 0x00, 0x74}},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(Decompress(c.stream, 64, ok), c.expected) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
}

TEST(Dwg2007Decompressor, BrokenStreamsFail)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> stream;
        size_t room;
    };
    const Case cases[] = {
        {"empty stream", {}, 16},
        {"opening count of zero", {0x20, 0, 0, 0x00, 'a'}, 16},
        {"literals past the input", {0x05, 'a', 'b'}, 64},
        {"output too small", LiteralStream({1, 2, 3, 4, 5, 6, 7, 8, 9}), 4},
        {"copy from before the start", {0x20, 0, 0, 0x01, 'a', 0x60, 0x13}, 64},
        {"copy past the output", {0x20, 0, 0, 0x01, 'a', 0xF0, 0x00}, 4},
        {"length bytes past the input", {0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 1u << 20},
        {"copy instruction cut short", {0x20, 0, 0, 0x01, 'a', 0x21, 0x01}, 64},
    };
    for (const Case& c : cases) {
        bool ok = true;
        const std::vector<uint8_t> out = Decompress(c.stream, c.room, ok);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_LE(out.size(), c.room) << c.what;
    }
}

// Both codes of the format (and, for the word-packed division check, parities that fill one and
// a half of its words): every pattern of up to parity / 2 wrong bytes is corrected. The
// header's code refuses sixteen wrong bytes and leaves the word alone (the short code of the data
// pages may take such a word for another one, as any code of its distance may).
TEST(Dwg2007ReedSolomon, CorrectsUpToHalfTheParity)
{
    struct Code
    {
        unsigned polynomial;
        size_t parity;
    };
    for (const Code& code : {Code{0x169, 16}, Code{0x11D, 4}, Code{0x11D, 8}, Code{0x169, 12}}) {
        const TestCode encoder(code.polynomial, code.parity);
        const DwgReedSolomon decoder(code.polynomial, code.parity);
        uint32_t seed = 7;
        const auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
        for (int round = 0; round < 50; ++round) {
            std::vector<uint8_t> data(255 - code.parity);
            for (uint8_t& byte : data)
                byte = static_cast<uint8_t>(next());
            const std::vector<uint8_t> clean = encoder.Encode(data);
            std::vector<uint8_t> word = clean;
            ASSERT_TRUE(decoder.Correct(word.data())) << "clean word";
            EXPECT_EQ(word, clean);
            const size_t errors = static_cast<size_t>(round) % (code.parity / 2) + 1;
            for (size_t e = 0; e < errors; ++e)
                word[(round * 37 + e * 101) % 255] ^= static_cast<uint8_t>(next() | 1);
            EXPECT_TRUE(decoder.Correct(word.data())) << code.parity << " round " << round;
            EXPECT_EQ(word, clean) << code.parity << " round " << round;
        }
    }
    const TestCode encoder(0x169, 16);
    std::vector<uint8_t> word = encoder.Encode(std::vector<uint8_t>(239, 0x5A));
    for (size_t e = 0; e < 16; ++e)
        word[e * 3] ^= static_cast<uint8_t>(0x11 + e);
    const std::vector<uint8_t> damaged = word;
    EXPECT_FALSE(DwgReedSolomon(0x169, 16).Correct(word.data()));
    EXPECT_EQ(word, damaged);
}

// Words interleaved as the file stores them (byte k of word l at l + k * words): checked four at
// a time and one by one at the end, each damaged word found among the whole ones, for both codes.
TEST(Dwg2007ReedSolomon, InterleavedWordsCheckedSideBySide)
{
    for (const auto& [polynomial, parity] : {std::pair<unsigned, size_t>{0x169, 16}, {0x11D, 4}}) {
        const TestCode encoder(polynomial, parity);
        const DwgReedSolomon decoder(polynomial, parity);
        constexpr size_t kWords = 7;
        std::vector<uint8_t> stored(kWords * 255);
        for (size_t l = 0; l < kWords; ++l) {
            const std::vector<uint8_t> word = encoder.Encode(std::vector<uint8_t>(255 - parity, static_cast<uint8_t>(l * 29 + 3)));
            for (size_t k = 0; k < 255; ++k)
                stored[l + k * kWords] = word[k];
        }
        for (const size_t damaged : {size_t{kWords}, size_t{1}, size_t{5}}) {
            std::vector<uint8_t> copy = stored;
            if (damaged < kWords)
                copy[damaged + 40 * kWords] ^= 0x21;
            for (size_t first = 0; first < kWords; first += DwgReedSolomon::kLanes) {
                const size_t lanes = std::min(DwgReedSolomon::kLanes, kWords - first);
                bool whole[DwgReedSolomon::kLanes] = {};
                decoder.Whole(copy.data() + first, kWords, lanes, whole);
                for (size_t l = 0; l < lanes; ++l)
                    EXPECT_EQ(whole[l], first + l != damaged) << parity << " word " << first + l;
            }
        }
    }
}

std::vector<uint8_t> LoadSample(const std::string& dir)
{
    const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, "dwg/example_2007.dwg"));
    return std::vector<uint8_t>(data.begin(), data.end());
}

DwgReadResult Read(const std::vector<uint8_t>& file, RkDb::Database& db) { return DwgReader().Read(file, db); }

// A header stored uncompressed (a negative length) reads like the compressed one.
TEST(Dwg2007Sections, UncompressedFileHeaderReads)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    std::vector<uint8_t> file = LoadSample(dir);
    ASSERT_GT(file.size(), 0x480u);
    std::vector<uint8_t> data = HeaderData(file);
    const int32_t length = static_cast<int32_t>(data[24] | (data[25] << 8) | (data[26] << 16) | (data[27] << 24));
    ASSERT_GT(length, 0);
    std::vector<uint8_t> plain(0x110);
    size_t written = 0;
    ASSERT_TRUE(Decompress2007(&data[32], static_cast<size_t>(length), plain.data(), plain.size(), written));
    std::copy(plain.begin(), plain.end(), data.begin() + 32);
    const uint32_t stored = static_cast<uint32_t>(-static_cast<int32_t>(plain.size()));
    for (int i = 0; i < 4; ++i)
        data[24 + i] = static_cast<uint8_t>(stored >> (8 * i));
    StoreHeaderData(data, file);

    RkDb::Database original, restored;
    ASSERT_EQ(Read(LoadSample(dir), original), DwgReadResult::Ok);
    ASSERT_EQ(Read(file, restored), DwgReadResult::Ok);
    EXPECT_EQ(restored.CountByType(), original.CountByType());
}

// Wrong bytes within what each code word corrects: eight in each of the header's words, or one
// byte anywhere in the pages after the preview (0x4C000 on); the drawing reads as before.
TEST(Dwg2007Sections, CorrectableDamageIsRepaired)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::vector<uint8_t> sample = LoadSample(dir);
    ASSERT_GT(sample.size(), 0x4C000u + 0x1000u);
    RkDb::Database original;
    ASSERT_EQ(Read(sample, original), DwgReadResult::Ok);
    const auto readsAsBefore = [&original](const std::vector<uint8_t>& file, const std::string& what) {
        RkDb::Database repaired;
        EXPECT_EQ(Read(file, repaired), DwgReadResult::Ok) << what;
        EXPECT_EQ(repaired.CountByType(), original.CountByType()) << what;
    };
    std::vector<uint8_t> file = sample;
    for (size_t i = 0; i < 8; ++i) {
        for (size_t block = 0; block < kHeaderBlocks; ++block)
            file[kHeaderOffset + block + (i * 31) * kHeaderBlocks] ^= 0xA5;
    }
    readsAsBefore(file, "header");
    const size_t span = sample.size() - 0x4C000;
    for (size_t i = 0; i < 24; ++i) {
        file = sample;
        const size_t at = 0x4C000 + span * i / 24 + i;
        file[at] ^= 0x5A;
        readsAsBefore(file, "byte " + std::to_string(at));
    }
}

TEST(Dwg2007Sections, DamagedStructureIsCorrupt)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const std::vector<uint8_t> sample = LoadSample(dir);
    ASSERT_GT(sample.size(), 0x480u);
    struct Case
    {
        const char* what;
        size_t from;
        size_t to;
        uint8_t value;
    };
    const Case cases[] = {
        {"header data wiped", kHeaderOffset, kHeaderOffset + 0x3D8, 0x00},
        {"page map wiped", 0x480, 0x880, 0x00},
        {"everything after the header overwritten with 0xFF", 0x480, sample.size(), 0xFF},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = sample;
        std::fill(file.begin() + static_cast<std::ptrdiff_t>(c.from), file.begin() + static_cast<std::ptrdiff_t>(c.to),
                  c.value);
        RkDb::Database db;
        EXPECT_EQ(Read(file, db), DwgReadResult::Corrupt) << c.what;
    }
    for (const size_t length : {size_t(0x80), size_t(0x300), size_t(0x480), sample.size() / 2}) {
        RkDb::Database db;
        EXPECT_EQ(Read(std::vector<uint8_t>(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(length)), db),
                  DwgReadResult::Corrupt)
            << "cut at " << length;
    }
}

} // namespace
