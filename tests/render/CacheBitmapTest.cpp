// The cache bitmap (KBMP), the file buffer and the fit factor.
#include "render/cache/KBMP.h"
#include "kit/KFileBuffer.h"

#include "framework/CFile.h"
#include "tests/support/TestSupport.h"
#include "tests/imaging/RasterTestImages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using orvo::test::TempDir;
using orvo::test::WriteFileBytes;

TEST(ComputeFitScaleTest, NeverEnlarges)
{
    EXPECT_FLOAT_EQ(0.25f, ComputeFitScale(400, 200, 100, 100));
    EXPECT_FLOAT_EQ(1.0f, ComputeFitScale(50, 50, 100, 100));
    EXPECT_FLOAT_EQ(0.5f, ComputeFitScale(100, 400, 100, 200));
    EXPECT_FLOAT_EQ(static_cast<float>(1.0 / 3.0), ComputeFitScale(300, 300, 100, 100));
}

namespace {

std::vector<BYTE> Bitmap(LONG width, LONG height, WORD bits)
{
    BmpFileSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bits = bits;
    if (bits <= 8)
        spec.palette.assign(1u << bits, RGBQUAD{10, 20, 30, 0});
    const size_t row = ((bits * static_cast<size_t>(width) + 31) / 8) & ~size_t{3};
    spec.pixels.assign(row * static_cast<size_t>(height), 0x5A);
    return MakeBmpFile(spec);
}

bool ReadFromFile(KBMP& bmp, const std::string& path)
{
    CFile file(path.c_str(), CFile::modeRead);
    return bmp.ReadFrom(file);
}

void* MallocCopy(const std::vector<BYTE>& bytes)
{
    void* block = std::malloc(bytes.size());
    std::memcpy(block, bytes.data(), bytes.size());
    return block;
}

template <class T>
void Poke(std::vector<BYTE>& bytes, size_t offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

} // namespace

TEST(KBMPTest, AttachTakesOnlyBmImages)
{
    KBMP bmp;
    EXPECT_TRUE(bmp.Attach(nullptr, true));
    EXPECT_TRUE(bmp.IsEmpty());
    std::vector<BYTE> bytes = Bitmap(4, 4, 24);
    ASSERT_TRUE(bmp.Attach(MallocCopy(bytes), false));
    EXPECT_EQ(4, bmp.GetBitmapWidth());
    bytes[0] = 'X';
    EXPECT_FALSE(bmp.Attach(MallocCopy(bytes), false)); // freed, as the heap checker would see
    EXPECT_TRUE(bmp.IsEmpty());
    EXPECT_EQ(nullptr, bmp.GetInfo());
}

TEST(KBMPTest, NotOwnedImagesAreNeverFreed)
{
    std::vector<BYTE> bytes = Bitmap(2, 2, 24);
    {
        KBMP bmp;
        ASSERT_TRUE(bmp.Attach(bytes.data(), true));
        KBMP copy;
        ASSERT_TRUE(copy.Copy(bmp));
        EXPECT_NE(bmp.GetImage(), copy.GetImage());
        EXPECT_EQ(0, std::memcmp(bytes.data(), copy.GetImage(), bytes.size()));
    }
    EXPECT_EQ('B', bytes[0]); // still ours, still intact
    KBMP bad;
    bytes[1] = 'X';
    EXPECT_FALSE(bad.Attach(bytes.data(), true));
    EXPECT_EQ('X', bytes[1]);
}

TEST(KBMPTest, ReadFromRepairsColourCountsOnlyForPalettedPictures)
{
    struct Case
    {
        WORD bits;
        DWORD clrUsed;
    };
    const Case cases[] = {{1, 2}, {4, 16}, {8, 256}, {24, 0}, {32, 0}};
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir / "picture.bmp";
        const std::vector<BYTE> bytes = Bitmap(5, 3, c.bits);
        ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
        KBMP bmp;
        ASSERT_TRUE(ReadFromFile(bmp, path)) << c.bits;
        EXPECT_EQ(c.clrUsed, bmp.GetInfo()->bmiHeader.biClrUsed) << c.bits;
        EXPECT_NE(0u, bmp.GetInfo()->bmiHeader.biSizeImage) << c.bits;
    }
}

TEST(KBMPTest, ReadFromRefusesHeadersThatDisagreeWithTheBlock)
{
    const std::vector<BYTE> good = Bitmap(8, 8, 8);
    struct Case
    {
        const char* what;
        size_t offset;
        DWORD value;
        bool word;
    };
    const Case cases[] = {
        {"not BM", 0, 0x4D43, true},
        {"bfSize beyond the file", 2, static_cast<DWORD>(good.size() + 100), false},
        {"bfSize below the headers", 2, 20, false},
        {"bfSize huge", 2, 0xFFFFFFF0u, false},
        {"biSize too small", 14, 12, false},
        {"biSize beyond the block", 14, 0x10000, false},
        {"colours used beyond 256", 14 + 32, 257, false},
        {"bits offset inside the colour table", 10, 54, false},
        {"bits offset past the block", 10, static_cast<DWORD>(good.size()), false},
        {"height beyond the block", 14 + 8, 4000, false},
        {"zero width", 14 + 4, 0, false},
        {"odd bit count", 14 + 14, 7, true},
        {"compression of no known kind", 14 + 16, 9, false},
        {"run lengths of 4 bits on 8-bit rows", 14 + 16, BI_RLE4, false},
        {"colour masks on 8-bit rows", 14 + 16, BI_BITFIELDS, false},
        {"two planes", 14 + 12, 2, true},
        {"pixel size beyond the rows", 14 + 20, 8 * 8 + 40, false},
    };
    TempDir dir;
    const std::string path = dir / "bad.bmp";
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = good;
        if (c.word)
            Poke<WORD>(bytes, c.offset, static_cast<WORD>(c.value));
        else
            Poke<DWORD>(bytes, c.offset, c.value);
        ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
        KBMP bmp;
        EXPECT_FALSE(ReadFromFile(bmp, path)) << c.what;
        EXPECT_TRUE(bmp.IsEmpty()) << c.what;
    }
    ASSERT_TRUE(WriteFileBytes(path, good.data(), good.size() - 1));
    KBMP shortFile;
    EXPECT_FALSE(ReadFromFile(shortFile, path));
    EXPECT_TRUE(shortFile.IsEmpty());
}

TEST(KBMPTest, WritesAndReadsBackTheSameImage)
{
    TempDir dir;
    const std::vector<BYTE> bytes = Bitmap(7, 5, 24);
    KBMP bmp;
    ASSERT_TRUE(bmp.Attach(MallocCopy(bytes), false));
    ASSERT_TRUE(bmp.SaveToFile((dir / "saved.bmp").c_str()));
    KBMP back;
    ASSERT_TRUE(ReadFromFile(back, dir / "saved.bmp"));
    EXPECT_EQ(bytes.size(), back.GetImageSize());
    // Identical but for the pixel size that reading fills in (offset 34).
    EXPECT_EQ(0, std::memcmp(bytes.data(), back.GetImage(), 34));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 38, back.GetImage() + 38, bytes.size() - 38));
    KBMP empty;
    EXPECT_FALSE(empty.SaveToFile((dir / "empty.bmp").c_str()));
    EXPECT_FALSE(empty.SaveToFile((dir / "no-folder\\x.bmp").c_str()));
}

TEST(KBMPTest, DrawCentresASmallPictureAndShrinksALargeOne)
{
    KBMP small;
    ASSERT_TRUE(small.Attach(MallocCopy(Bitmap(100, 50, 24)), false));
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 200;
    info.bmiHeader.biHeight = 200;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, target);
    RECT rect = {0, 0, 200, 200};
    EXPECT_NE(0, small.Draw(dc, rect, false));
    EXPECT_EQ(50, rect.left);
    EXPECT_EQ(75, rect.top);
    EXPECT_EQ(150, rect.right);
    EXPECT_EQ(125, rect.bottom);

    KBMP large;
    ASSERT_TRUE(large.Attach(MallocCopy(Bitmap(400, 100, 24)), false));
    RECT box = {0, 0, 200, 200};
    large.Draw(dc, box, false);
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(75, box.top);
    EXPECT_EQ(200, box.right);
    EXPECT_EQ(125, box.bottom);
    RECT stretched = {0, 0, 200, 200};
    large.Draw(dc, stretched, true);
    EXPECT_EQ(200, stretched.bottom);
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
}

TEST(KFileBufferTest, AllocateAndLoad)
{
    KFileBuffer buffer;
    EXPECT_FALSE(buffer.Allocate(0));
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(0u, buffer.GetSize());
    ASSERT_TRUE(buffer.Allocate(16));
    EXPECT_EQ(buffer.GetData(), buffer.GetCursor());

    TempDir dir;
    EXPECT_FALSE(buffer.LoadFile((dir / "missing.bin").c_str()));
    EXPECT_TRUE(buffer.IsEmpty());
    ASSERT_TRUE(WriteFileBytes(dir / "empty.bin", "", 0));
    EXPECT_FALSE(buffer.LoadFile((dir / "empty.bin").c_str()));
    ASSERT_TRUE(WriteFileBytes(dir / "data.bin", "0123456789", 10));
    ASSERT_TRUE(buffer.LoadFile((dir / "data.bin").c_str()));
    EXPECT_EQ(10u, buffer.GetSize());
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), "0123456789", 10));
    buffer.Free();
    EXPECT_TRUE(buffer.IsEmpty());
}

TEST(KFileBufferTest, ReloadKeepsTheBlockWhileFilesFitInIt)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "long.bin", "0123456789", 10));
    ASSERT_TRUE(WriteFileBytes(dir / "short.bin", "abc", 3));
    ASSERT_TRUE(WriteFileBytes(dir / "longer.bin", "ABCDEFGHIJKL", 12));
    KFileBuffer buffer;
    ASSERT_TRUE(buffer.ReloadFile((dir / "long.bin").c_str()));
    const uint8_t* block = buffer.GetData();
    ASSERT_TRUE(buffer.ReloadFile((dir / "short.bin").c_str()));
    EXPECT_EQ(block, buffer.GetData());
    EXPECT_EQ(3u, buffer.GetSize());
    EXPECT_EQ(buffer.GetData(), buffer.GetCursor());
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), "abc", 3));
    ASSERT_TRUE(buffer.ReloadFile((dir / "longer.bin").c_str()));
    EXPECT_EQ(12u, buffer.GetSize());
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), "ABCDEFGHIJKL", 12));
    buffer.TrimKept(); // a small block stays
    EXPECT_FALSE(buffer.IsEmpty());
    // A file that cannot be read leaves nothing behind, as LoadFile does.
    EXPECT_FALSE(buffer.ReloadFile((dir / "missing.bin").c_str()));
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_FALSE(buffer.ReloadFile(nullptr));
}
