// The Exif orientation and thumbnail functions: tag reading in both byte orders and all value
// types, the in-place rewrite, the rotation table, the thumbnail, and damaged blocks.
#include "imaging/ExifOrientation.h"

#include "tests/imaging/ExifTestData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <algorithm>
#include <cstring>

using namespace orvo::test;

namespace {

Bytes JpegWithApp1(const Bytes& app1)
{
    return MakeJpegWithSegments({{0xE0, Bytes(14, 1)}, {0xE1, app1}, {0xDB, Bytes(65, 2)}});
}

Bytes OrientationBlock(bool bigEndian, uint16_t type, uint32_t value)
{
    ExifBuilder b(bigEndian);
    b.Ascii(ExifBuilder::Ifd0, 0x010F, "Maker");
    if (type == 3)
        b.Short(ExifBuilder::Ifd0, 274, uint16_t(value));
    else if (type == 4)
        b.Long(ExifBuilder::Ifd0, 274, value);
    else
        b.Byte(ExifBuilder::Ifd0, 274, uint8_t(value));
    return b.Build();
}

struct OrientationCase
{
    bool bigEndian;
    uint16_t type;
    uint32_t value;
};

class ExifOrientationRead : public testing::TestWithParam<OrientationCase>
{
};

TEST_P(ExifOrientationRead, ReadsEveryValueTypeInBothByteOrders)
{
    const OrientationCase c = GetParam();
    const Bytes app1 = OrientationBlock(c.bigEndian, c.type, c.value);
    EXPECT_EQ(ExifOrientation(app1.data(), app1.size()), c.value);
    const Bytes jpeg = JpegWithApp1(app1);
    EXPECT_EQ(ExifOrientation(jpeg.data(), jpeg.size()), c.value);
}

INSTANTIATE_TEST_SUITE_P(Types, ExifOrientationRead,
                         testing::Values(OrientationCase{false, 3, 6}, OrientationCase{true, 3, 6},
                                         OrientationCase{false, 4, 8}, OrientationCase{true, 4, 3},
                                         OrientationCase{false, 1, 5}, OrientationCase{true, 1, 2}));

TEST(ExifOrientation, BigEndianLongRewrittenAsBigEndianShort)
{
    Bytes app1 = OrientationBlock(true, 4, 6);
    EXPECT_EQ(ExifOrientation(app1.data(), app1.size(), 8), 6);
    EXPECT_EQ(ExifOrientation(app1.data(), app1.size()), 8);
    // Find the entry: tag 0x0112 big-endian, then type 3 and value 8 in big-endian order.
    const unsigned char entry[] = {0x01, 0x12, 0x00, 0x03, 0, 0, 0, 1, 0x00, 0x08};
    EXPECT_NE(std::search(app1.begin(), app1.end(), entry, entry + sizeof entry), app1.end());
}

TEST(ExifOrientation, RotationTable)
{
    EXPECT_EQ(ExifRotatedOrientation(0, ExifRotatedOrientation(0, 1)), 3);
    EXPECT_EQ(ExifRotatedOrientation(2, 6), 5);
    EXPECT_EQ(ExifRotatedOrientation(3, 1), 4);
    EXPECT_EQ(ExifRotatedOrientation(1, 8), 1);
    EXPECT_EQ(ExifRotatedOrientation(0, 0), 0);
    EXPECT_EQ(ExifRotatedOrientation(0, 9), 9);
    // Four turns, two mirrors or two flips give the start back for every orientation.
    for (WORD o = 1; o <= 8; ++o) {
        WORD r = o;
        for (int i = 0; i < 4; ++i)
            r = ExifRotatedOrientation(1, r);
        EXPECT_EQ(r, o);
        EXPECT_EQ(ExifRotatedOrientation(2, ExifRotatedOrientation(2, o)), o);
        EXPECT_EQ(ExifRotatedOrientation(0, ExifRotatedOrientation(1, o)), o);
    }
}

TEST(ExifOrientationFile, RewriteChangesOnlyTheEntry)
{
    TempDir dir;
    const std::string path = dir / "photo.jpg";
    const Bytes before = JpegWithApp1(OrientationBlock(false, 3, 1));
    ASSERT_TRUE(WriteFileBytes(path, before.data(), before.size()));
    EXPECT_EQ(ReadExifOrientation(path.c_str()), 1);
    ASSERT_TRUE(WriteExifOrientation(path.c_str(), 6));
    EXPECT_EQ(ReadExifOrientation(path.c_str()), 6);
    const std::string after = ReadFileBytes(path);
    ASSERT_EQ(after.size(), before.size());
    size_t first = after.size(), last = 0;
    for (size_t i = 0; i < after.size(); ++i)
        if (static_cast<unsigned char>(after[i]) != before[i]) {
            first = std::min(first, i);
            last = i;
        }
    ASSERT_LT(first, after.size());
    EXPECT_LT(last - first, 12u); // inside one directory entry
}

TEST(ExifOrientationFile, NoTagOrNoExifLeavesTheFileAlone)
{
    TempDir dir;
    const Bytes noApp1 = MakeJpegWithSegments({{0xE0, Bytes(14, 1)}});
    ExifBuilder noTag(false);
    noTag.Ascii(ExifBuilder::Ifd0, 0x010F, "Maker");
    const Bytes noOrientation = JpegWithApp1(noTag.Build());
    for (const Bytes* bytes : {&noApp1, &noOrientation}) {
        const std::string path = dir / "plain.jpg";
        ASSERT_TRUE(WriteFileBytes(path, bytes->data(), bytes->size()));
        EXPECT_EQ(ReadExifOrientation(path.c_str()), 0);
        EXPECT_FALSE(WriteExifOrientation(path.c_str(), 6));
        EXPECT_EQ(ReadFileBytes(path), std::string(bytes->begin(), bytes->end()));
        FILE* f = fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXIFTHUMBNAIL thumb;
        EXPECT_EQ(ReadExifThumbnail(f, thumb), 0);
        EXPECT_EQ(thumb.hBitmap, nullptr);
        fclose(f);
    }
    EXPECT_EQ(ReadExifOrientation((dir / "missing.jpg").c_str()), 0);
    EXPECT_FALSE(WriteExifOrientation((dir / "missing.jpg").c_str(), 3));
}

TEST(ExifOrientationFile, SegmentRunningPastTheEndIsNotFound)
{
    TempDir dir;
    Bytes jpeg = JpegWithApp1(OrientationBlock(false, 3, 6));
    jpeg.resize(30); // the APP1 segment's length now runs past the end of the file
    const std::string path = dir / "cut.jpg";
    ASSERT_TRUE(WriteFileBytes(path, jpeg.data(), jpeg.size()));
    EXPECT_EQ(ReadExifOrientation(path.c_str()), 0);
    EXPECT_EQ(ExifOrientation(jpeg.data(), jpeg.size()), 0);
}

TEST(ExifThumbnail, FoundAndLoadedAsBitmap)
{
    const Bytes thumbJpeg = EncodeTestJpeg(24, 16, 3);
    ExifBuilder b(true);
    b.Short(ExifBuilder::Ifd0, 274, 8).Short(ExifBuilder::Ifd1, 0x0103, 6).Thumbnail(thumbJpeg);
    const Bytes app1 = b.Build();
    const unsigned char* data = app1.data();
    size_t size = app1.size();
    ASSERT_TRUE(FindExifThumbnail(data, size));
    EXPECT_EQ(Bytes(data, data + size), thumbJpeg);

    TempDir dir;
    const std::string path = dir / "thumb.jpg";
    const Bytes jpeg = JpegWithApp1(app1);
    ASSERT_TRUE(WriteFileBytes(path, jpeg.data(), jpeg.size()));
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    FILE* f = fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXIFTHUMBNAIL thumb;
    EXPECT_NE(ReadExifThumbnail(f, thumb), 0);
    fclose(f);
    EXPECT_EQ(thumb.orientation, 8);
    EXPECT_EQ(thumb.frameSize, (16u << 16) | 24u);
    EXPECT_EQ(thumb.kind, 6);
    ASSERT_NE(thumb.hBitmap, nullptr);
    BITMAP bm = {};
    ASSERT_NE(GetObject(thumb.hBitmap, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmWidth, 24);
    EXPECT_EQ(bm.bmHeight, 16);
    DeleteObject(thumb.hBitmap);

    // The same from the whole file held in memory; bytes that are no JPEG give none.
    EXIFTHUMBNAIL inMemory;
    EXPECT_NE(ReadExifThumbnailOfFile(jpeg.data(), jpeg.size(), inMemory), 0);
    EXPECT_EQ(inMemory.orientation, 8);
    EXPECT_EQ(inMemory.frameSize, thumb.frameSize);
    ASSERT_NE(inMemory.hBitmap, nullptr);
    ASSERT_NE(GetObject(inMemory.hBitmap, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmWidth, 24);
    DeleteObject(inMemory.hBitmap);
    EXPECT_EQ(ReadExifThumbnailOfFile(app1.data(), app1.size(), inMemory), 0);
    EXPECT_EQ(ReadExifThumbnailOfFile(jpeg.data(), 40, inMemory), 0);
    EXPECT_EQ(ReadExifThumbnailOfFile(nullptr, 0, inMemory), 0);
    EXPECT_EQ(inMemory.hBitmap, nullptr);
    CoUninitialize();
}

TEST(ExifThumbnail, LengthBeyondTheBlockIsNotReturned)
{
    ExifBuilder b(false);
    b.Short(ExifBuilder::Ifd0, 274, 1).Thumbnail(Bytes(40, 0x55));
    Bytes app1 = b.Build();
    app1.resize(app1.size() - 1); // the thumbnail's last byte is gone
    const unsigned char* data = app1.data();
    size_t size = app1.size();
    EXPECT_FALSE(FindExifThumbnail(data, size));
}

TEST(ExifOrientation, DamagedBlocksNeverReadOutside)
{
    ExifBuilder b(false);
    b.Short(ExifBuilder::Ifd0, 274, 6).Ascii(ExifBuilder::Ifd0, 0x010F, "Camera maker")
        .Thumbnail(EncodeTestJpeg(8, 8, 1));
    const Bytes jpeg = JpegWithApp1(b.Build());
    for (size_t cut = 0; cut < jpeg.size(); ++cut) {
        Bytes part(jpeg.begin(), jpeg.begin() + cut);
        ExifOrientation(part.data(), part.size());
        const unsigned char* data = part.data();
        size_t size = part.size();
        if (FindExifThumbnail(data, size)) {
            EXPECT_GE(data, part.data());
            EXPECT_LE(data + size, part.data() + part.size());
        }
    }
    uint32_t seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        Bytes mutated = jpeg;
        for (int k = 0; k < 4; ++k) {
            seed = seed * 1103515245u + 12345u;
            mutated[(seed >> 8) % mutated.size()] = uint8_t(seed >> 24);
        }
        ExifOrientation(mutated.data(), mutated.size(), 3);
        const unsigned char* data = mutated.data();
        size_t size = mutated.size();
        if (FindExifThumbnail(data, size)) {
            EXPECT_LE(data + size, mutated.data() + mutated.size());
        }
    }
}

} // namespace
