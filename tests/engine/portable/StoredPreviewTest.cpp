// The stored preview of DWG files and the identification of drawing files.
#include "PortableSupport.h"
#include "DxfBuilder.h"

#include "engine/preview/DrawingIdentifier.h"
#include "engine/preview/StoredPreview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using RkPreview::DrawingIdentifier;
using RkPreview::StoredPreview;

void Put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t value)
{
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    if (at + 4 <= v.size())
        std::memcpy(v.data() + at, bytes, 4);
}

// A DWG-like file: magic, the pointer at 0x0D, the sentinel and one or two picture entries.
std::vector<std::uint8_t> FakeDwg(bool withPng)
{
    std::vector<std::uint8_t> f(0x200, 0);
    std::memcpy(f.data(), "AC1018", 6);
    Put32(f, 0x0D, 0x40);
    const std::uint8_t sentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                       0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
    std::memcpy(f.data() + 0x40, sentinel, 16);
    f[0x40 + 20] = withPng ? 2 : 1;
    // Entry: code 2 (BMP) at 0x100, 40 + 4 * 2 + 8 bytes: a 2 x 2, 8-bit DIB with 2 colours.
    f[0x55] = 2;
    Put32(f, 0x56, 0x100);
    Put32(f, 0x5A, 56);
    if (withPng) {
        f[0x5E] = 6;
        Put32(f, 0x5F, 0x180);
        Put32(f, 0x63, 8);
        std::memcpy(f.data() + 0x180, "\x89PNG\r\n\x1a\n", 8);
    }
    Put32(f, 0x100, 40);
    Put32(f, 0x104, 2);
    Put32(f, 0x108, 2);
    f[0x10C] = 1;
    f[0x10E] = 8;
    Put32(f, 0x120, 2);     // two palette entries
    return f;
}

TEST(StoredPreview, FindsBmpAndPrefersPng)
{
    std::size_t offset = 0, length = 0;
    auto dib = FakeDwg(false);
    ASSERT_EQ(StoredPreview::Find(dib.data(), dib.size(), offset, length), StoredPreview::Kind::Dib);
    EXPECT_EQ(offset, 0x100u);
    const std::string bmp = StoredPreview::DibToBmpFile(dib.data() + offset, length);
    ASSERT_EQ(bmp.size(), 14u + 56u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[10]), 14u + 40u + 8u);   // bits after 2 colours
    auto png = FakeDwg(true);
    ASSERT_EQ(StoredPreview::Find(png.data(), png.size(), offset, length), StoredPreview::Kind::Png);
    EXPECT_EQ(offset, 0x180u);
}

TEST(StoredPreview, DamagedFilesHaveNone)
{
    std::size_t offset = 0, length = 0;
    auto f = FakeDwg(false);
    auto badPointer = f;
    Put32(badPointer, 0x0D, 0xFFFFFFF0u);
    auto badEntry = f;
    Put32(badEntry, 0x5A, 0x7FFFFFFF);
    auto badSentinel = f;
    badSentinel[0x41] ^= 1;
    for (auto* v : {&badPointer, &badEntry, &badSentinel})
        EXPECT_EQ(StoredPreview::Find(v->data(), v->size(), offset, length), StoredPreview::Kind::None);
    for (std::size_t cut = 0; cut < f.size(); ++cut)
        StoredPreview::Find(f.data(), cut, offset, length);
    const std::uint8_t tiny[41] = {40};
    EXPECT_EQ(StoredPreview::DibToBmpFile(tiny, sizeof tiny), "");     // 0 bits per pixel
}

// Whatever head of the file is looked at first, the bytes it says are needed give the answer the
// whole file gives (the file's tail past the pictures is never needed).
TEST(StoredPreview, BytesNeededGiveTheWholeFilesAnswer)
{
    auto bmpOnly = FakeDwg(false);
    auto both = FakeDwg(true);
    auto pngBeyondEnd = FakeDwg(true);
    Put32(pngBeyondEnd, 0x63, 0x1000);      // Find on the whole file skips it and takes the BMP
    auto notDwg = bmpOnly;
    notDwg[0] = 'X';
    auto badSentinel = bmpOnly;
    badSentinel[0x41] ^= 1;
    for (auto* f : {&bmpOnly, &both, &pngBeyondEnd, &notDwg, &badSentinel}) {
        std::size_t wholeOffset = 0, wholeLength = 0;
        const auto whole = StoredPreview::Find(f->data(), f->size(), wholeOffset, wholeLength);
        for (std::size_t head = 0; head <= f->size(); ++head) {
            const std::uint64_t needed = StoredPreview::BytesNeeded(f->data(), head, f->size());
            ASSERT_LE(needed, f->size());
            const std::size_t taken = static_cast<std::size_t>(std::max<std::uint64_t>(needed, head));
            std::size_t offset = 0, length = 0;
            ASSERT_EQ(StoredPreview::Find(f->data(), taken, offset, length), whole) << head;
            if (whole != StoredPreview::Kind::None) {
                EXPECT_EQ(offset, wholeOffset);
                EXPECT_EQ(length, wholeLength);
            }
        }
    }
    // The pictures of the fake end at 0x188 of its 0x200 bytes; a head past them is enough.
    EXPECT_EQ(StoredPreview::BytesNeeded(both.data(), 0x190, both.size()), 0x188u);
}

TEST(DrawingIdentifier, VersionTable)
{
    const struct { const char* magic; DrawingIdentifier::Format format; int code; } cases[] = {
        {"AC1009", DrawingIdentifier::Format::Dwg, 16}, {"AC1012", DrawingIdentifier::Format::Dwg, 19},
        {"AC1014", DrawingIdentifier::Format::Dwg, 21}, {"AC1015", DrawingIdentifier::Format::Dwg, 23},
        {"AC1018", DrawingIdentifier::Format::Dwg, 25}, {"AC1021", DrawingIdentifier::Format::Dwg, 27},
        {"AC1024", DrawingIdentifier::Format::Dwg, 29}, {"AC1027", DrawingIdentifier::Format::Dwg, 31},
        {"AC1032", DrawingIdentifier::Format::Dwg, 33}, {"AC1004", DrawingIdentifier::Format::Dwg, 11},
        {"AC9999", DrawingIdentifier::Format::Unknown, -1}, {"hello!", DrawingIdentifier::Format::Unknown, -1},
    };
    for (const auto& c : cases) {
        const auto r = DrawingIdentifier::Identify(reinterpret_cast<const std::uint8_t*>(c.magic), 6);
        EXPECT_EQ(r.format, c.format) << c.magic;
        EXPECT_EQ(r.versionCode, c.code) << c.magic;
    }
    orvo::portable::DxfBuilder b;
    b.Header("AC1024").Eof();
    for (const std::string& data : {b.Ascii(), b.Binary()}) {
        const auto r = DrawingIdentifier::Identify(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
        EXPECT_EQ(r.format, DrawingIdentifier::Format::Dxf);
        EXPECT_EQ(r.versionCode, 29);
    }
}

TEST(StoredPreview, SampleDrawings)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const struct { const char* file; StoredPreview::Kind kind; } cases[] = {
        {"dwg/example_r14.dwg", StoredPreview::Kind::Dib}, {"dwg/example_2000.dwg", StoredPreview::Kind::Dib},
        {"dwg/example_2010.dwg", StoredPreview::Kind::Dib}, {"dwg/example_2013.dwg", StoredPreview::Kind::Png},
        {"dwg/example_2018.dwg", StoredPreview::Kind::Png},
    };
    for (const auto& c : cases) {
        const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, c.file));
        if (data.empty())
            continue;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
        std::size_t offset = 0, length = 0;
        EXPECT_EQ(StoredPreview::Find(bytes, data.size(), offset, length), c.kind) << c.file;
        if (c.kind == StoredPreview::Kind::Dib)
            EXPECT_FALSE(StoredPreview::DibToBmpFile(bytes + offset, length).empty()) << c.file;
        else
            EXPECT_EQ(std::memcmp(bytes + offset, "\x89PNG", 4), 0) << c.file;
        EXPECT_EQ(DrawingIdentifier::Identify(bytes, data.size()).format, DrawingIdentifier::Format::Dwg);
    }
}

} // namespace
