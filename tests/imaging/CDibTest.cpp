// The packed-DIB functions and CDib: creation, layout, conversions, turns, files, drawing.
#include "framework/CArchive.h"
#include "framework/CFile.h"
#include "imaging/BitmapDrawing.h"
#include "imaging/CDib.h"
#include "imaging/CGDIDevice.h"
#include "imaging/CRasterImage.h"
#include "imaging/DibConversion.h"
#include "framework/GdiScopes.h"
#include "imaging/OctreePalette.h"
#include "imaging/PackedDib.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A core-header DIB in read-only memory with no image size: layout queries must not write.
const BYTE kCoreDib[] = {
    12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 1, 0,  // 3 x 2, 1 bit
    0, 0, 0, 255, 255, 255,               // two RGBTRIPLEs
    0xA0, 0, 0, 0, 0x40, 0, 0, 0,         // rows
};

TEST(PackedDib, CreateDibTable)
{
    const struct { int bits; WORD stored; DWORD table; } cases[] = {
        {0, 1, 8}, {1, 1, 8}, {2, 4, 64}, {8, 8, 1024}, {16, 24, 0}, {24, 24, 0}, {32, 32, 0}};
    for (const auto& c : cases) {
        GlobalBlock dib(CreateDib(5, 3, c.bits));
        GlobalLockScope lock(dib.Get());
        ASSERT_TRUE(lock) << c.bits;
        const auto* h = lock.Get<BITMAPINFOHEADER>();
        EXPECT_EQ(h->biBitCount, c.stored) << c.bits;
        EXPECT_EQ(DibPaletteSize(h), c.table) << c.bits;
        const DWORD row = (5 * c.stored + 31) / 32 * 4;
        EXPECT_EQ(DibSize(h), 40 + c.table + row * 3) << c.bits;
        EXPECT_EQ(GlobalSize(dib.Get()), DibSize(h));
        EXPECT_EQ(FindDibBits(static_cast<const void*>(h)), lock.Get() + 40 + c.table);
        EXPECT_TRUE(DibIsSound(h, GlobalSize(dib.Get())));
        EXPECT_FALSE(DibIsSound(h, GlobalSize(dib.Get()) - 1));
    }
    EXPECT_EQ(CreateDib(5, 3, 33), nullptr);
    EXPECT_EQ(CreateDib(0, 3, 8), nullptr);
    EXPECT_EQ(CreateDib(0x7FFFFFFF, 0x7FFFFFFF, 24), nullptr);
}

TEST(PackedDib, CoreHeaderLayoutInReadOnlyMemory)
{
    EXPECT_EQ(DibWidth(kCoreDib), 3u);
    EXPECT_EQ(DibHeight(kCoreDib), 2u);
    EXPECT_EQ(DibPaletteSize(kCoreDib), 6);
    EXPECT_EQ(DibSize(kCoreDib), sizeof(kCoreDib));
    EXPECT_EQ(FindDibBits(static_cast<const void*>(kCoreDib)), kCoreDib + 18);
    EXPECT_TRUE(DibIsSound(kCoreDib, sizeof(kCoreDib)));
    CDib dib;
    ASSERT_TRUE(dib.CreateFromPackedDib(kCoreDib));
    EXPECT_EQ(dib.GetWidth(), 3);
    EXPECT_EQ(dib.GetBitCount(), 1);
    EXPECT_NE(dib.GetPalette(), nullptr);
}

// A 24-bit or paletted DIB with a distinct value at each pixel.
void FillDib(CDib& dib, int width, int height, WORD bits)
{
    ASSERT_TRUE(dib.Create(width, height, bits));
    GlobalLockScope lock(dib.GetHandle());
    auto* h = lock.Get<BITMAPINFOHEADER>();
    if (bits <= 8) {
        auto* table = reinterpret_cast<RGBQUAD*>(h + 1);
        for (int i = 0; i < (1 << bits); ++i)
            table[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3), 0};
    }
    BYTE* p = FindDibBits(static_cast<void*>(h));
    const DWORD row = (static_cast<DWORD>(width) * h->biBitCount + 31) / 32 * 4;
    for (DWORD i = 0; i < row * static_cast<DWORD>(height); ++i)
        p[i] = static_cast<BYTE>(i * 37 + 11);
    // Padding bytes are not pixels: clear them so turns can be compared bytewise.
    const DWORD used = (static_cast<DWORD>(width) * h->biBitCount + 7) / 8;
    for (int y = 0; y < height; ++y)
        for (DWORD b = used; b < row; ++b)
            p[y * row + b] = 0;
    if (const DWORD extra = static_cast<DWORD>(width) * h->biBitCount % 8)
        for (int y = 0; y < height; ++y)
            p[y * row + used - 1] &= static_cast<BYTE>(0xFF << (8 - extra));
}

// The DIB's bytes with the fields that only restate the layout (image size, full colour count)
// normalised, so that pictures compare by what they show.
std::vector<BYTE> Bytes(const CDib& dib)
{
    GlobalLockScope lock(dib.GetHandle());
    const DWORD size = DibSize(lock.Get());
    std::vector<BYTE> bytes(lock.Get(), lock.Get() + size);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(bytes.data());
    h->biSizeImage = 0;
    if (h->biBitCount <= 8 && h->biClrUsed == (1u << h->biBitCount))
        h->biClrUsed = 0;
    return bytes;
}

TEST(CDibCreate, BitCountsAndReplacement)
{
    CDib dib;
    EXPECT_EQ(dib.GetWidth(), 0);
    EXPECT_EQ(dib.GetBits(), nullptr);
    ASSERT_TRUE(dib.Create(4, 4, 16));
    EXPECT_EQ(dib.GetBitCount(), 24);
    ASSERT_TRUE(dib.Create(4, 4, 32));
    EXPECT_EQ(dib.GetBitCount(), 32);
    HGLOBAL before = dib.GetHandle();
    EXPECT_FALSE(dib.Create(0, 4, 8)); // a failed creation keeps the DIB
    EXPECT_EQ(dib.GetHandle(), before);
    EXPECT_FALSE(dib.CreateFromBitmap(nullptr));
    EXPECT_FALSE(dib.CreateFromPackedDib(nullptr));

    EXPECT_FALSE(dib.LoadResource("NO_SUCH_BITMAP"));
    EXPECT_EQ(dib.GetHandle(), before);

    // Attach refuses a block that is not a sound DIB and leaves it to the caller.
    HGLOBAL junk = CopyToDibHandle("not a bitmap at all, really not", 32);
    EXPECT_FALSE(dib.Attach(junk));
    EXPECT_EQ(dib.GetHandle(), before);
    DibFree(junk);
}

TEST(CDibTurns, LeftThenRightIsTheIdentityAtEveryDepth)
{
    for (WORD bits : {1, 4, 8, 24, 32}) {
        for (const SIZE& size : {SIZE{3, 2}, SIZE{9, 5}, SIZE{17, 33}}) {
            CDib dib;
            FillDib(dib, size.cx, size.cy, bits);
            const std::vector<BYTE> before = Bytes(dib);
            ASSERT_TRUE(dib.RotateLeft()) << bits;
            EXPECT_EQ(dib.GetWidth(), size.cy);
            EXPECT_EQ(dib.GetHeight(), size.cx);
            ASSERT_TRUE(dib.RotateRight()) << bits;
            EXPECT_EQ(Bytes(dib), before) << bits << " " << size.cx << "x" << size.cy;
            ASSERT_TRUE(dib.Rotate180());
            ASSERT_TRUE(dib.Rotate180());
            EXPECT_EQ(Bytes(dib), before) << bits;
        }
    }
}

TEST(CDibTurns, SixteenBitDibsTurnToo)
{
    // 3 x 2 at 16 bits: rows of 8 bytes, each pixel a distinct word.
    std::vector<BYTE> dib(40 + 16);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    *h = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 3, 2, 1, 16, BI_RGB};
    const WORD pixels[8] = {0x0101, 0x0202, 0x0303, 0, 0x0404, 0x0505, 0x0606, 0};
    memcpy(dib.data() + 40, pixels, sizeof(pixels));
    CDib turned;
    ASSERT_TRUE(turned.Attach(CopyToDibHandle(dib.data(), dib.size())));
    ASSERT_TRUE(turned.RotateLeft());
    EXPECT_EQ(turned.GetBitCount(), 16);
    const WORD* rows = reinterpret_cast<const WORD*>(turned.GetBits());
    // Top-down 4 5 6 / 1 2 3 turned left reads 6 3 / 5 2 / 4 1; bottom row first: 4 1.
    EXPECT_EQ(rows[0], 0x0404);
    EXPECT_EQ(rows[1], 0x0101);
    EXPECT_EQ(rows[4], 0x0606);
    ASSERT_TRUE(turned.RotateRight());
    EXPECT_EQ(memcmp(turned.GetBits(), pixels, sizeof(pixels)), 0);
}

TEST(CDibTurns, QuarterTurnIsCounterClockwise)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 8));
    BYTE* bits = dib.GetBits();
    // Stored rows bottom-up: bottom row 1 2 3, top row 4 5 6.
    const BYTE rows[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    memcpy(bits, rows, 8);
    ASSERT_TRUE(dib.RotateLeft());
    // Top-down the picture was 4 5 6 / 1 2 3; turned left it reads 6 3 / 5 2 / 4 1.
    const BYTE* turned = dib.GetBits();
    const BYTE expected[12] = {4, 1, 0, 0, 5, 2, 0, 0, 6, 3, 0, 0};
    EXPECT_EQ(memcmp(turned, expected, 12), 0);
}

TEST(CDibConvert, ChangeBitCountAndQuantize)
{
    CDib dib;
    FillDib(dib, 6, 4, 24);
    const std::vector<BYTE> before = Bytes(dib);
    EXPECT_TRUE(dib.ChangeBitCount(24));
    EXPECT_EQ(Bytes(dib), before);
    ASSERT_TRUE(dib.ChangeBitCount(8));
    EXPECT_EQ(dib.GetBitCount(), 8);
    ASSERT_TRUE(dib.ChangeBitCount(1));
    EXPECT_EQ(dib.GetBitCount(), 1);
    ASSERT_TRUE(dib.ChangeBitCount(24));
    EXPECT_EQ(dib.GetBitCount(), 24);

    // Without a palette a 4-bit conversion uses the 16 VGA colours: white stays white.
    CDib white;
    ASSERT_TRUE(white.Create(2, 1, 24));
    memset(white.GetBits(), 255, 6);
    ASSERT_TRUE(white.ChangeBitCount(4));
    GlobalLockScope whiteLock(white.GetHandle());
    const auto* table = reinterpret_cast<const RGBQUAD*>(whiteLock.Get() + 40);
    const RGBQUAD shown = table[white.GetBits()[0] >> 4];
    EXPECT_EQ(RGB(shown.rgbRed, shown.rgbGreen, shown.rgbBlue), RGB(255, 255, 255));

    CDib quantized;
    FillDib(quantized, 8, 8, 24);
    ASSERT_TRUE(quantized.Quantize(4));
    EXPECT_EQ(quantized.GetBitCount(), 4);
    CDib empty;
    EXPECT_FALSE(empty.ChangeBitCount(8));
    EXPECT_FALSE(empty.RotateLeft());
}

TEST(OctreePalette, ColourCounts)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 1, 24));
    BYTE* p = dib.GetBits();
    const BYTE pixels[12] = {0, 0, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0}; // red, red, green, blue
    memcpy(p, pixels, 12);
    GlobalLockScope lock(dib.GetHandle());
    EXPECT_EQ(CreateDibOctreePalette(lock.Get(), 0, 8), nullptr);
    EXPECT_EQ(CreateDibOctreePalette(lock.Get(), -3, 8), nullptr);
    EXPECT_EQ(CreateDibOctreePalette(lock.Get(), 8, 9), nullptr);
    GdiObject<HPALETTE> three(CreateDibOctreePalette(lock.Get(), 256, 8));
    ASSERT_TRUE(three);
    PALETTEENTRY entries[8] = {};
    EXPECT_EQ(GetPaletteEntries(three.Get(), 0, 8, entries), 3u);
    GdiObject<HPALETTE> one(CreateDibOctreePalette(lock.Get(), 1, 8));
    ASSERT_TRUE(one);
    EXPECT_EQ(GetPaletteEntries(one.Get(), 0, 8, entries), 1u);
    EXPECT_EQ(entries[0].peRed, 127); // (255 + 255 + 0 + 0) / 4
}

TEST(CDibFiles, WriteAndReadTable)
{
    orvo::test::TempDir dir;
    CDib dib;
    FillDib(dib, 5, 3, 8);
    dib.SetResolution(96);
    {
        CFile file((dir / "a.bmp").c_str(), CFile::modeCreate | CFile::modeWrite);
        ASSERT_TRUE(dib.WriteFile(file));
    }
    const std::string bytes = orvo::test::ReadFileBytes(dir / "a.bmp");
    ASSERT_GE(bytes.size(), 54u);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data() + 14);
    EXPECT_EQ(header->biXPelsPerMeter, 3780);
    EXPECT_EQ(bytes[10], static_cast<char>((14 + 40 + 1024) & 0xFF));
    EXPECT_EQ(header->biSizeImage, 8u * 3);

    // The file reads back with the same pixels through CDib and through the raster image.
    CDib back;
    {
        CFile file((dir / "a.bmp").c_str(), CFile::modeRead);
        ASSERT_TRUE(back.ReadFile(file));
    }
    EXPECT_EQ(Bytes(back), Bytes(dib));
    CRasterImage image;
    ASSERT_TRUE(image.Decode(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0));
    EXPECT_EQ(image.GetWidth(), 5u);

    // An 8-bit file without colours-used and image size gets both filled in; 24 bits keeps 0.
    std::string zeroed = bytes;
    auto* z = reinterpret_cast<BITMAPINFOHEADER*>(&zeroed[14]);
    z->biClrUsed = 0;
    z->biSizeImage = 0;
    orvo::test::WriteFileBytes(dir / "b.bmp", zeroed.data(), zeroed.size());
    {
        CFile file((dir / "b.bmp").c_str(), CFile::modeRead);
        ASSERT_TRUE(back.ReadFile(file));
    }
    GlobalLockScope lock(back.GetHandle());
    EXPECT_EQ(lock.Get<BITMAPINFOHEADER>()->biClrUsed, 256u);
    EXPECT_EQ(lock.Get<BITMAPINFOHEADER>()->biSizeImage, 24u);
}

TEST(CDibFiles, ReadRefusesBadFiles)
{
    orvo::test::TempDir dir;
    CDib dib;
    FillDib(dib, 4, 4, 24);
    DWORD size = 0;
    BYTE* image = dib.GetBmpFileImage(&size);
    ASSERT_NE(image, nullptr);
    std::string good(reinterpret_cast<char*>(image), size);
    free(image);
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    std::string notBm = good;
    notBm[0] = 'X';
    std::string bigSize = good;
    bigSize[5] = 0x40; // file size field of a gigabyte: refused before any allocation
    std::string core = good;
    core[14] = 12;
    const Case cases[] = {{"empty", ""}, {"not BM", notBm}, {"size past the end", bigSize},
                          {"header not 40", core}, {"truncated", good.substr(0, 60)}};
    for (const Case& c : cases) {
        orvo::test::WriteFileBytes(dir / "x.bmp", c.bytes.data(), c.bytes.size());
        CDib target;
        FillDib(target, 2, 2, 8);
        const std::vector<BYTE> before = Bytes(target);
        CFile file((dir / "x.bmp").c_str(), CFile::modeRead);
        EXPECT_FALSE(target.ReadFile(file)) << c.name;
        EXPECT_EQ(Bytes(target), before) << c.name;
    }
}

TEST(CDibFiles, SaveFileSerializeAndFileImage)
{
    orvo::test::TempDir dir;
    CDib dib;
    FillDib(dib, 7, 5, 4);
    ASSERT_TRUE(dib.SaveFile((dir / "s.bmp").c_str()));
    const std::string saved = orvo::test::ReadFileBytes(dir / "s.bmp");
    CDib empty;
    EXPECT_FALSE(empty.SaveFile((dir / "s.bmp").c_str())); // nothing to save: old file kept
    EXPECT_EQ(orvo::test::ReadFileBytes(dir / "s.bmp"), saved);
    DWORD size = 0;
    BYTE* image = dib.GetBmpFileImage(&size);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(image), size), saved);
    free(image);
    EXPECT_EQ(empty.GetBmpFileImage(), nullptr);

    {
        CFile file((dir / "ar.bin").c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        dib.Serialize(ar);
        ar.Close();
    }
    CDib loaded;
    {
        CFile file((dir / "ar.bin").c_str(), CFile::modeRead);
        CArchive ar(&file, CArchive::load);
        loaded.Serialize(ar);
    }
    EXPECT_EQ(Bytes(loaded), Bytes(dib));
    CObject* created = RUNTIME_CLASS(CDib)->CreateObject();
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CDib)));
    delete created;
}

COLORREF PixelOf(const CGDIDevice& device, int x, int yFromTop)
{
    const BYTE* p = device.GetRow(yFromTop) + x * device.GetBytesPerPixel();
    return RGB(p[2], p[1], p[0]);
}

TEST(CDibDraw, FillDrawAndMemoryDevice)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 3, 24));
    dib.Fill(RGB(10, 20, 30));
    EXPECT_EQ(dib.GetBits()[0], 30);
    EXPECT_EQ(dib.GetBits()[2], 10);

    HDC dc = dib.BeginMemDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dib.BeginMemDC(nullptr), nullptr); // one at a time
    EXPECT_FALSE(dib.Create(2, 2, 8));            // nothing replaces the DIB while it is open
    RECT topLeft = {0, 0, 1, 1};
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 0));
    FillRect(dc, &topLeft, brush);
    DeleteObject(brush);
    dib.EndMemDC();
    // Top-left is the last stored row.
    EXPECT_EQ(dib.GetBits()[2 * 12 + 2], 200);

    CGDIDevice device;
    ASSERT_TRUE(device.Create(8, 8, 3));
    EXPECT_TRUE(dib.Draw(device.GetDC(), 2, 2));
    GdiFlush();
    EXPECT_EQ(PixelOf(device, 2, 2), RGB(200, 0, 0));
    EXPECT_EQ(PixelOf(device, 3, 3), RGB(10, 20, 30));
    EXPECT_EQ(PixelOf(device, 0, 0), RGB(0, 0, 0));
    EXPECT_TRUE(dib.StretchDraw(device.GetDC(), 0, 0, 8, 6, 0, 0, 4, 3));
    GdiFlush();
    EXPECT_EQ(PixelOf(device, 7, 5), RGB(10, 20, 30));

    ASSERT_NE(dib.BeginMemDC(device.GetDC()), nullptr);
    EXPECT_TRUE(dib.BlitMemDC(device.GetDC(), 4, 4));
    GdiFlush();
    EXPECT_EQ(PixelOf(device, 4, 4), RGB(200, 0, 0));
    EXPECT_TRUE(dib.Create(2, 2, 8)); // the device was closed
}

TEST(BitmapDrawing, RectAndTransparent)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(2, 1, 24));
    const BYTE pixels[6] = {0, 255, 0, 255, 0, 255}; // green, magenta
    memcpy(dib.GetBits(), pixels, 6);
    GdiObject<HBITMAP> section(DibToDibSection(dib.GetHandle()));
    ASSERT_TRUE(section);
    CGDIDevice device;
    ASSERT_TRUE(device.Create(6, 4, 3));
    memset(device.GetBits(), 0x80, static_cast<size_t>(device.GetImageSize()));
    DrawTransparentBitmap(device.GetDC(), section.Get(), 1, 1, RGB(255, 0, 255));
    GdiFlush();
    EXPECT_EQ(PixelOf(device, 1, 1), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(device, 2, 1), RGB(128, 128, 128)); // the transparent pixel
    EXPECT_EQ(memcmp(dib.GetBits(), pixels, 6), 0);

    const RECT to = {0, 2, 4, 3}, from = {0, 0, 2, 1};
    EXPECT_TRUE(DrawBitmapRect(device.GetDC(), to, section.Get(), from, nullptr, SRCCOPY));
    GdiFlush();
    EXPECT_EQ(PixelOf(device, 0, 2), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(device, 3, 2), RGB(255, 0, 255));
}

} // namespace
