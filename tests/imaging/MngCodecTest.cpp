// MNG: the chunks of a written file, round trips, frames of an animation, refusals and hostile
// streams.
#include "imaging/CRasterImageMNG.h"

#include "imaging/CRasterIOFile.h"
#include "tests/imaging/RasterCodecTestKit.h"
#include "tests/imaging/RasterTestImages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <zlib.h>

namespace {

using orvo::test::Bytes;

const Bytes kSignature = {0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void Put32(Bytes& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(uint8_t(v >> s));
}

struct Chunk {
    std::string name;
    Bytes data;
    bool crcGood;
};

std::vector<Chunk> Chunks(const Bytes& file)
{
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = Be32(&file[at]);
        if (at + 12 + length > file.size())
            break;
        Chunk c;
        c.name.assign(file.begin() + at + 4, file.begin() + at + 8);
        c.data.assign(file.begin() + at + 8, file.begin() + at + 8 + length);
        const uint32_t crc = uint32_t(crc32(0, &file[at + 4], length + 4));
        c.crcGood = crc == Be32(&file[at + 8 + length]);
        chunks.push_back(c);
        at += 12 + length;
    }
    return chunks;
}

void AddChunk(Bytes& file, const char* name, const Bytes& data)
{
    Put32(file, uint32_t(data.size()));
    const size_t start = file.size();
    file.insert(file.end(), name, name + 4);
    file.insert(file.end(), data.begin(), data.end());
    Put32(file, uint32_t(crc32(0, &file[start], uInt(data.size() + 4))));
}

// One RGB image of a single colour as IHDR, IDAT, IEND.
void AddImage(Bytes& file, uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b)
{
    Bytes ihdr;
    Put32(ihdr, width);
    Put32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    AddChunk(file, "IHDR", ihdr);
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        for (uint32_t x = 0; x < width; ++x)
            raw.insert(raw.end(), {r, g, b});
    }
    uLongf size = compressBound(uLong(raw.size()));
    Bytes packed(size);
    compress2(packed.data(), &size, raw.data(), uLong(raw.size()), 9);
    packed.resize(size);
    AddChunk(file, "IDAT", packed);
    AddChunk(file, "IEND", {});
}

// An animation of frames of one colour each, ticksPerSecond in MHDR, each frame shown for a tick.
Bytes Animation(const std::vector<uint8_t>& reds)
{
    Bytes file = kSignature;
    Bytes mhdr;
    for (uint32_t v : {4u, 3u, 10u, 0u, 0u, 0u, 0u})
        Put32(mhdr, v);
    AddChunk(file, "MHDR", mhdr);
    AddChunk(file, "FRAM", {1});
    for (uint8_t red : reds)
        AddImage(file, 4, 3, red, 0, 0);
    AddChunk(file, "MEND", {});
    return file;
}

TEST(MngCodec, WrittenFileHasItsChunksInOrder)
{
    CRasterImage image;
    FillPattern(image, 5, 3, 24); // odd width: stored rows are padded, PNG rows are not
    const Bytes file = orvo::test::EncodeToBytes(image, RASTER_FORMAT_MNG);
    ASSERT_GT(file.size(), 8u) << image.GetLastError();
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), kSignature);
    const std::vector<Chunk> chunks = Chunks(file);
    std::vector<std::string> names;
    for (const Chunk& c : chunks) {
        names.push_back(c.name);
        EXPECT_TRUE(c.crcGood) << c.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"MHDR", "DEFI", "IHDR", "IDAT", "IEND", "MEND"}));
    ASSERT_EQ(chunks.size(), 6u);
    const Bytes& ihdr = chunks[2].data;
    ASSERT_EQ(ihdr.size(), 13u);
    EXPECT_EQ(Be32(&ihdr[0]), 5u);
    EXPECT_EQ(Be32(&ihdr[4]), 3u);
    EXPECT_EQ(Bytes(ihdr.begin() + 8, ihdr.end()), (Bytes{8, 2, 0, 0, 0}));
    // The data: rows from the top, each a filter byte 0 and red, green, blue.
    Bytes raw(3 * (5 * 3 + 1));
    uLongf rawSize = uLongf(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &rawSize, chunks[3].data.data(), uLong(chunks[3].data.size())),
              Z_OK);
    ASSERT_EQ(rawSize, raw.size());
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(raw[y * 16], 0);
        for (int x = 0; x < 5; ++x) {
            const RGBQUAD c = image.GetPixelColor(x, 2 - y);
            const uint8_t* p = &raw[y * 16 + 1 + x * 3];
            EXPECT_EQ(p[0], c.rgbRed);
            EXPECT_EQ(p[1], c.rgbGreen);
            EXPECT_EQ(p[2], c.rgbBlue);
        }
    }
}

TEST(MngCodec, RoundTripIsOneFrame)
{
    for (DWORD width : {1u, 5u, 64u}) {
        SCOPED_TRACE(width);
        CRasterImage image;
        FillPattern(image, width, 7, 24);
        const Bytes file = orvo::test::EncodeToBytes(image, RASTER_FORMAT_MNG);
        CRasterImage back;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(back, file, RASTER_FORMAT_MNG)) << back.GetLastError();
        EXPECT_EQ(ComparePixels(image, back), "");
        EXPECT_EQ(back.GetNumFrames(), 1);
        EXPECT_EQ(back.GetType(), DWORD(RASTER_FORMAT_MNG));
        // The background asked for (white) becomes the transparent colour.
        EXPECT_EQ(back.GetTransIndex(), 0);
        const RGBQUAD white = back.GetTransColor();
        EXPECT_EQ(white.rgbRed, 255);
        EXPECT_EQ(white.rgbBlue, 255);
        CRasterImage second;
        second.SetFrame(1);
        EXPECT_FALSE(orvo::test::DecodeFromBytes(second, file, RASTER_FORMAT_MNG));
        EXPECT_STREQ(second.GetLastError(), "Error: frame not present in MNG file");
    }
}

TEST(MngCodec, AnimationFramesAreCountedAndSelected)
{
    const Bytes file = Animation({10, 20, 30});
    CRasterImage first;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(first, file, RASTER_FORMAT_MNG)) << first.GetLastError();
    EXPECT_EQ(first.GetNumFrames(), 3);
    for (int frame = 0; frame < 3; ++frame) {
        CRasterImage image;
        image.SetFrame(frame);
        ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, RASTER_FORMAT_MNG)) << frame;
        EXPECT_EQ(image.GetPixelColor(1, 1).rgbRed, 10 * (frame + 1)) << frame;
    }
}

TEST(MngCodec, Refusals)
{
    CRasterImage paletted;
    FillPattern(paletted, 4, 4, 8);
    EXPECT_TRUE(orvo::test::EncodeToBytes(paletted, RASTER_FORMAT_MNG).empty());
    EXPECT_STREQ(paletted.GetLastError(), "MNG encoder can save only RGB images");

    // A stream that takes no bytes: the write fails and says so.
    orvo::test::TempDir dir;
    const std::string path = dir / "readonly.mng";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, "x", 1));
    FILE* readOnly = fopen(path.c_str(), "rb");
    ASSERT_NE(readOnly, nullptr);
    {
        CRasterIOFile stream(readOnly);
        CRasterImage image;
        FillPattern(image, 4, 4, 24);
        EXPECT_FALSE(image.Encode(&stream, RASTER_FORMAT_MNG));
        EXPECT_STREQ(image.GetLastError(), "MNG encoder cannot write the file");
    }
    fclose(readOnly);

    // A stream that breaks off after its header is no picture, whatever the canvas holds.
    CRasterImage whole;
    FillPattern(whole, 16, 16, 24);
    const Bytes file = orvo::test::EncodeToBytes(whole, RASTER_FORMAT_MNG);
    Bytes cut = kSignature;
    AddImage(cut, 2, 2, 1, 2, 3);
    cut.resize(cut.size() - 20); // inside IDAT
    for (const Bytes& broken : {Bytes(file.begin(), file.begin() + 100), cut}) {
        CRasterImage image;
        EXPECT_FALSE(orvo::test::DecodeFromBytes(image, broken, RASTER_FORMAT_MNG));
        EXPECT_STREQ(image.GetLastError(), "Error: corrupted MNG stream");
    }

    for (const Bytes& junk : {Bytes{'h', 'e', 'l', 'l', 'o'}, kSignature}) {
        CRasterImage image;
        EXPECT_FALSE(orvo::test::DecodeFromBytes(image, junk, RASTER_FORMAT_MNG));
        EXPECT_STREQ(image.GetLastError(), "CRasterImageMNG::Decode cannot create image");
    }
}

TEST(MngCodec, MalformedInputFailsCleanly)
{
    CRasterImage image;
    FillPattern(image, 9, 4, 24);
    orvo::test::MalformedInputSweep(
        {orvo::test::EncodeToBytes(image, RASTER_FORMAT_MNG), Animation({1, 2})}, RASTER_FORMAT_MNG,
        2400);
}

} // namespace
