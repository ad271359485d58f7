// The raster streams: reading and seeking over a caller's block, growth and ownership of the
// memory stream, and the C-stream file that never closes what it was handed.
#include "imaging/CRasterIOFile.h"
#include "imaging/CRasterMemFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

TEST(RasterMemFile, ReadCountsWholeItemsAndStopsAtTheEnd)
{
    unsigned char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CRasterMemFile stream(data, sizeof(data));
    unsigned char out[12] = {};
    EXPECT_EQ(stream.Read(out, 3, 4), 3u);
    EXPECT_EQ(memcmp(out, data, 10), 0);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.GetC(), -1);
    EXPECT_EQ(stream.Read(out, 1, 1), 0u);
}

TEST(RasterMemFile, TakeRestHandsOverWhatRemainsOnce)
{
    unsigned char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CRasterMemFile stream(data, sizeof(data));
    ASSERT_EQ(stream.GetC(), 0);
    size_t bytes = 0;
    EXPECT_EQ(stream.TakeRest(bytes), data + 1);
    EXPECT_EQ(bytes, 9u);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Tell(), 10);
    EXPECT_EQ(stream.TakeRest(bytes), nullptr);
    EXPECT_EQ(bytes, 0u);

    CRasterMemFile none;
    bytes = 5;
    EXPECT_EQ(none.TakeRest(bytes), nullptr);
    EXPECT_EQ(bytes, 0u);
}

TEST(RasterMemFile, SeekClampsBelowZeroAndAllowsPastTheEnd)
{
    unsigned char data[10] = {};
    CRasterMemFile stream(data, sizeof(data));
    EXPECT_TRUE(stream.Seek(-5, SEEK_SET));
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_TRUE(stream.Seek(100, SEEK_SET));
    EXPECT_EQ(stream.Error(), 1);
    unsigned char out[4];
    EXPECT_EQ(stream.Read(out, 1, 4), 0u);
    EXPECT_FALSE(stream.Seek(0, 7));
    EXPECT_TRUE(stream.Seek(-3, SEEK_END));
    EXPECT_EQ(stream.Tell(), 7);
    // Offsets that would pass 2^31 - 1 stop there instead of wrapping negative.
    EXPECT_TRUE(stream.Seek(INT32_MAX, SEEK_SET));
    EXPECT_TRUE(stream.Seek(INT32_MAX, SEEK_CUR));
    EXPECT_EQ(stream.Tell(), INT32_MAX);
    EXPECT_FALSE(stream.PutC(1));
}

TEST(RasterMemFile, GrowthTable)
{
    struct Case
    {
        int32_t seek;
        size_t bytes;
        int32_t capacity;
        int32_t size;
    };
    // Each row continues the same stream: capacity is the next multiple of 4096 above the end.
    const Case cases[] = {
        {100, 20, 4096, 120},
        {4000, 96, 8192, 4096}, // ends at 4096 exactly: still grows by a whole page
        {0, 10, 8192, 4096},
        {8190, 10, 12288, 8200},
    };
    CRasterMemFile stream;
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(stream.Open());
    std::vector<unsigned char> bytes(200, 0xAB);
    for (const Case& c : cases) {
        ASSERT_TRUE(stream.Seek(c.seek, SEEK_SET));
        EXPECT_EQ(stream.Write(bytes.data(), 1, c.bytes), c.bytes);
        EXPECT_EQ(stream.Capacity(), c.capacity) << c.seek;
        EXPECT_EQ(stream.Size(), c.size) << c.seek;
    }
    // Sizes whose product wraps or passes 2^31 are refused without touching the stream.
    EXPECT_EQ(stream.Write(bytes.data(), SIZE_MAX / 2 + 1, 2), 0u);
    EXPECT_EQ(stream.Write(bytes.data(), 0x40000000, 4), 0u);
    EXPECT_EQ(stream.Size(), 8200);
}

TEST(RasterMemFile, OwnershipTable)
{
    // A caller's block is read in place, never reallocated or freed, even when the stream grows.
    unsigned char caller[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    {
        CRasterMemFile stream(caller, sizeof(caller));
        EXPECT_EQ(stream.GetBuffer(false), caller);
        ASSERT_TRUE(stream.Seek(0, SEEK_END));
        const unsigned char more[4] = {9, 10, 11, 12};
        EXPECT_EQ(stream.Write(more, 1, 4), 4u);
        unsigned char* grown = stream.GetBuffer(false);
        EXPECT_NE(grown, caller);
        EXPECT_EQ(memcmp(grown, caller, 8), 0);
        EXPECT_EQ(grown[11], 12);
    } // the grown copy is the stream's and is freed here; the caller's block is untouched
    EXPECT_EQ(caller[7], 8);

    CRasterMemFile own;
    ASSERT_TRUE(own.Open());
    EXPECT_TRUE(own.PutC(0x42));
    unsigned char* detached = own.GetBuffer(true);
    own.Close(); // a detached block is the caller's now
    EXPECT_EQ(detached[0], 0x42);
    free(detached);

    CRasterMemFile empty;
    EXPECT_EQ(empty.Tell(), -1);
    EXPECT_EQ(empty.Size(), -1);
    EXPECT_EQ(empty.Error(), -1);
    EXPECT_TRUE(empty.Eof());
    EXPECT_FALSE(empty.Flush());
    EXPECT_EQ(empty.Write("x", 1, 1), 0u);
    EXPECT_FALSE(empty.PutC(1));
}

TEST(RasterIOFile, WithoutAStreamEveryOperationFails)
{
    CRasterIOFile file;
    size_t bytes = 5;
    EXPECT_EQ(file.TakeRest(bytes), nullptr); // a file is read in blocks, never handed over
    EXPECT_EQ(bytes, 0u);
    EXPECT_FALSE(file.PutC(1));
    EXPECT_EQ(file.GetC(), -1);
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_EQ(file.Size(), -1);
    EXPECT_EQ(file.Error(), -1);
    EXPECT_TRUE(file.Eof());
    EXPECT_FALSE(file.Seek(0, SEEK_SET));
    EXPECT_TRUE(file.Close());
}

TEST(RasterIOFile, LeavesACallersStreamOpen)
{
    orvo::test::TempDir dir;
    FILE* f = fopen((dir / "a.bin").c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    {
        CRasterIOFile file(f);
        EXPECT_TRUE(file.PutC('A'));
        EXPECT_EQ(file.Write("BC", 1, 2), 2u);
        EXPECT_EQ(file.Size(), 3);
        EXPECT_EQ(file.Tell(), 3);
        EXPECT_TRUE(file.Seek(1, SEEK_SET));
        EXPECT_EQ(file.GetC(), 'B');
        EXPECT_TRUE(file.Close());
    }
    fseek(f, 0, SEEK_END);
    EXPECT_EQ(fputc('D', f), 'D'); // still open
    fclose(f);
    EXPECT_EQ(orvo::test::ReadFileBytes(dir / "a.bin"), "ABCD");
}

} // namespace
