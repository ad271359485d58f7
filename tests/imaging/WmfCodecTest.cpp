// Metafiles: placeable WMF and EMF built here with GDI, their sizes and colours, the size limits,
// refusals and hostile files.
#include "imaging/CRasterImageWMF.h"

#include "imaging/CRasterMemFile.h"
#include "tests/imaging/RasterCodecTestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using orvo::test::Bytes;

void Put16(Bytes& b, int v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

// A placeable WMF whose frame is right x bottom units at unitsPerInch, with its left half red.
Bytes PlaceableWmf(int right, int bottom, int unitsPerInch, bool header = true)
{
    HDC dc = CreateMetaFileA(nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, right, bottom, nullptr);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, red);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 0, 0, right / 2, bottom + 1);
    SelectObject(dc, old);
    HMETAFILE metafile = CloseMetaFile(dc);
    DeleteObject(red);
    Bytes bits(GetMetaFileBitsEx(metafile, 0, nullptr));
    GetMetaFileBitsEx(metafile, UINT(bits.size()), bits.data());
    DeleteMetaFile(metafile);
    if (!header)
        return bits;
    Bytes b = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0};
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, right);
    Put16(b, bottom);
    Put16(b, unitsPerInch);
    b.insert(b.end(), 4, 0);
    int sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= b[i] | (b[i + 1] << 8);
    Put16(b, sum);
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

// A Windows metafile with no placeable header: its header, records of the given words (size,
// function, parameters) and the end record.
Bytes PlainWmf(const std::vector<std::vector<uint16_t>>& records)
{
    std::vector<uint16_t> words = {1, 9, 0x0300, 0, 0, 0, 3, 0, 0};
    for (const auto& r : records)
        words.insert(words.end(), r.begin(), r.end());
    words.insert(words.end(), {3, 0, 0});
    words[3] = uint16_t(words.size());
    Bytes b;
    for (uint16_t w : words)
        Put16(b, w);
    return b;
}

Bytes PlainWmfWithoutExtent()
{
    return PlainWmf({{4, 0, 0x0102, 1}}); // SetBkMode only
}

Bytes PlainWmfSelectingObject(uint16_t object)
{
    return PlainWmf({{4, 0, 0x012D, object}});
}

// An EMF of what draw records.
Bytes RecordedEmf(const std::function<void(HDC)>& draw)
{
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    draw(dc);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    Bytes bits(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, UINT(bits.size()), bits.data());
    DeleteEnhMetaFile(metafile);
    return bits;
}

uint32_t Get32(const Bytes& b, size_t at)
{
    return uint32_t(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24));
}

void Set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// Where the first record of the type starts (the size of the file when there is none).
size_t FindRecord(const Bytes& emf, uint32_t type)
{
    size_t at = 0;
    while (at + 8 <= emf.size() && Get32(emf, at) != type && Get32(emf, at + 4) >= 8)
        at += Get32(emf, at + 4);
    return at + 8 <= emf.size() && Get32(emf, at) == type ? at : emf.size();
}

// An EMF with area filled red; an empty area draws nothing.
Bytes RedEmf(const RECT& area)
{
    return RecordedEmf([&](HDC dc) {
        if (IsRectEmpty(&area))
            return;
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &area, red);
        DeleteObject(red);
    });
}

int ScreenDpi(int index)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return dpi;
}

bool IsRed(const RGBQUAD& c)
{
    return c.rgbRed == 255 && c.rgbGreen == 0 && c.rgbBlue == 0;
}

TEST(WmfCodec, PlaceableMetafileSizeAndColours)
{
    const Bytes file = PlaceableWmf(2880, 1440, 1440);
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, RASTER_FORMAT_WMF)) << image.GetLastError();
    const long width = 2880 * ScreenDpi(LOGPIXELSX) / 1440;
    const long height = 1440 * ScreenDpi(LOGPIXELSY) / 1440;
    EXPECT_EQ(image.GetWidth(), DWORD(width)); // 192 x 96 on a 96-dpi screen
    EXPECT_EQ(image.GetHeight(), DWORD(height));
    EXPECT_EQ(image.GetType(), DWORD(RASTER_FORMAT_WMF));
    EXPECT_TRUE(IsRed(image.GetPixelColor(width / 4, height / 2)));
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const RGBQUAD right = image.GetPixelColor(width * 3 / 4, height / 2);
    EXPECT_EQ(right.rgbRed, GetRValue(window));
    EXPECT_EQ(right.rgbGreen, GetGValue(window));
    EXPECT_EQ(right.rgbBlue, GetBValue(window));
}

TEST(WmfCodec, EnhancedMetafileSizeAndColours)
{
    const Bytes file = RedEmf({10, 10, 110, 60});
    ENHMETAHEADER header = {};
    HENHMETAFILE metafile = SetEnhMetaFileBits(UINT(file.size()), file.data());
    GetEnhMetaFileHeader(metafile, sizeof(header), &header);
    DeleteEnhMetaFile(metafile);
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, 0)) << image.GetLastError(); // found by detection
    EXPECT_EQ(image.GetType(), DWORD(RASTER_FORMAT_WMF));
    EXPECT_EQ(long(image.GetWidth()), header.rclBounds.right - header.rclBounds.left);
    EXPECT_EQ(long(image.GetHeight()), header.rclBounds.bottom - header.rclBounds.top);
    EXPECT_TRUE(IsRed(image.GetPixelColor(long(image.GetWidth()) / 2,
                                          long(image.GetHeight()) / 2)));
}

// A Windows metafile without a placeable header is played at its window extent, a logical unit
// to a pixel.
TEST(WmfCodec, PlainMetafileTakesItsWindowExtent)
{
    const Bytes file = PlaceableWmf(300, 200, 1440, false);
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, RASTER_FORMAT_WMF)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 300u);
    EXPECT_EQ(image.GetHeight(), 200u);
    EXPECT_TRUE(IsRed(image.GetPixelColor(75, 100)));
    EXPECT_FALSE(IsRed(image.GetPixelColor(225, 100)));
}

// An EMF whose header keeps no bounds takes its size from its frame.
TEST(WmfCodec, EnhancedMetafileWithoutBoundsUsesItsFrame)
{
    Bytes file = RedEmf({10, 10, 110, 60});
    ENHMETAHEADER header = {};
    std::memcpy(&header, file.data(), sizeof header);
    header.rclBounds = RECTL{0, 0, -1, -1};
    std::memcpy(file.data(), &header, sizeof header);
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, RASTER_FORMAT_WMF)) << image.GetLastError();
    const long width = long((int64_t(header.rclFrame.right) - header.rclFrame.left) * header.szlDevice.cx /
                            (100 * int64_t(header.szlMillimeters.cx)));
    EXPECT_EQ(long(image.GetWidth()), width);
    EXPECT_GT(image.GetHeight(), 0u);
}

// Some writers count the placeable header in the metafile's size too.
TEST(WmfCodec, PlaceableSizeCountingItsHeader)
{
    Bytes file = PlaceableWmf(2880, 1440, 1440);
    const uint32_t words = uint32_t(file.size() / 2);
    for (int i = 0; i < 4; ++i)
        file[22 + 6 + i] = uint8_t(words >> (8 * i));
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, RASTER_FORMAT_WMF)) << image.GetLastError();
    const long width = long(image.GetWidth()), height = long(image.GetHeight());
    EXPECT_EQ(width, 2880 * ScreenDpi(LOGPIXELSX) / 1440);
    EXPECT_TRUE(IsRed(image.GetPixelColor(width / 4, height / 2)));
    EXPECT_FALSE(IsRed(image.GetPixelColor(width * 3 / 4, height / 2)));
}

// The EMF with the record put before its end record, its header counting it.
Bytes WithRecord(Bytes emf, const Bytes& record)
{
    const size_t end = FindRecord(emf, EMR_EOF);
    emf.insert(emf.begin() + long(end), record.begin(), record.end());
    Set32(emf, 48, Get32(emf, 48) + uint32_t(record.size())); // nBytes
    Set32(emf, 52, Get32(emf, 52) + 1);                         // nRecords
    return emf;
}

// A bitmap storing only the two colours it uses (its header saying 0, all 256) is drawn in them.
TEST(WmfCodec, BitmapOfOnlyItsColours)
{
    // EMR_STRETCHDIBITS of a 2 x 1 8-bit picture (red, blue) over 100 x 50.
    Bytes record;
    for (uint32_t v : {uint32_t(EMR_STRETCHDIBITS), 8u + 40u + 32u + 48u + 4u, 0u, 0u, 99u, 49u,
                       0u, 0u, 0u, 0u, 2u, 1u, 80u, 48u, 128u, 4u, uint32_t(DIB_RGB_COLORS),
                       uint32_t(SRCCOPY), 100u, 50u,
                       40u, 2u, 1u, 1u | (8u << 16), uint32_t(BI_RGB), 0u, 0u, 0u, 0u, 0u,
                       0xFF0000u, 0x0000FFu, 0x0100u})
        for (int i = 0; i < 4; ++i)
            record.push_back(uint8_t(v >> (8 * i)));
    const Bytes file = WithRecord(RecordedEmf([](HDC dc) {
        RECT all = {0, 0, 100, 50};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }), record);
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, RASTER_FORMAT_WMF)) << image.GetLastError();
    const long width = long(image.GetWidth()), height = long(image.GetHeight());
    EXPECT_TRUE(IsRed(image.GetPixelColor(width / 4, height / 2)));
    const RGBQUAD right = image.GetPixelColor(width * 3 / 4, height / 2);
    EXPECT_EQ(right.rgbBlue, 255);
    EXPECT_EQ(right.rgbRed, 0);
    EXPECT_EQ(right.rgbGreen, 0);
}

// A region filled with a stock brush, which the object table does not hold, is left out; a brush
// past the table refuses the file, naming the record.
TEST(WmfCodec, RegionFillBrushes)
{
    Bytes file = RecordedEmf([](HDC dc) {
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        RECT all = {0, 0, 100, 50};
        FillRect(dc, &all, red);
        HRGN region = CreateRectRgn(0, 0, 50, 50);
        FillRgn(dc, region, red);
        DeleteObject(region);
        DeleteObject(red);
    });
    const size_t at = FindRecord(file, EMR_FILLRGN);
    ASSERT_LT(at, file.size());
    Bytes stock = file;
    Set32(stock, at + 28, 0x80000000u | GRAY_BRUSH);
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, stock, RASTER_FORMAT_WMF)) << image.GetLastError();
    EXPECT_TRUE(IsRed(image.GetPixelColor(long(image.GetWidth()) / 4, long(image.GetHeight()) / 2)));

    Bytes past = file;
    Set32(past, at + 28, 50);
    CRasterImage refused;
    EXPECT_FALSE(orvo::test::DecodeFromBytes(refused, past, RASTER_FORMAT_WMF));
    EXPECT_NE(std::string(refused.GetLastError()).find("(type 0x0047): it names an object past"), std::string::npos)
        << refused.GetLastError();
}

TEST(WmfCodec, SizesAreLimitedAndForced)
{
    const int dpi = ScreenDpi(LOGPIXELSX);
    ASSERT_EQ(dpi, ScreenDpi(LOGPIXELSY));
    const Bytes big = PlaceableWmf(8000, 2000, dpi); // 8000 x 2000 pixels
    const Bytes small = PlaceableWmf(200, 100, dpi);
    const struct {
        const char* name;
        const Bytes* file;
        long forcedWidth, forcedHeight;
        DWORD width, height;
    } cases[] = {
        {"wide picture", &big, 0, 0, 4000, 1000},
        {"forced beyond the limit", &small, 5000, 100, 4000, 80},
        {"forced width only", &small, 50, 0, 50, 100},
        {"forced height only", &small, 0, 7, 200, 7},
        {"tall forced size", &small, 10, 8000, 5, 4000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = *c.file;
        CRasterMemFile stream(bytes.data(), int32_t(bytes.size()));
        CRasterImageWMF image;
        ASSERT_TRUE(image.Decode(&stream, c.forcedWidth, c.forcedHeight)) << image.GetLastError();
        EXPECT_EQ(image.GetWidth(), c.width);
        EXPECT_EQ(image.GetHeight(), c.height);
    }
}

TEST(WmfCodec, RefusedFiles)
{
    auto withWord = [](Bytes b, size_t offset, int value, bool fixSum) {
        b[offset] = uint8_t(value);
        b[offset + 1] = uint8_t(value >> 8);
        if (fixSum) {
            int sum = 0;
            for (size_t i = 0; i < 20; i += 2)
                sum ^= b[i] | (b[i + 1] << 8);
            b[20] = uint8_t(sum);
            b[21] = uint8_t(sum >> 8);
        }
        return b;
    };
    const Bytes good = PlaceableWmf(1440, 1440, 1440);
    const struct {
        const char* name;
        Bytes file;
        const char* error;
    } cases[] = {
        {"no placeable header nor window extent", PlainWmfWithoutExtent(),
         "WMF without a placeable header or a window extent (no size) is not supported"},
        {"record naming a missing object", PlainWmfSelectingObject(5),
         "WMF record 0 (type 0x012D): it names an object past the metafile's count"},
        {"units per inch 0", withWord(good, 14, 0, true), "corrupted WMF"},
        {"units per inch 2541", withWord(good, 14, 2541, true), "corrupted WMF"},
        {"bad checksum", withWord(good, 20, 0x1234, false), "corrupted WMF"},
        {"metafile size past the end", withWord(good, 22 + 6, 0x7FFF, false), "corrupted WMF"},
        {"no width", withWord(good, 10, 0, true), "empty WMF"},
        {"negative height", withWord(good, 12, -100, true), "empty WMF"},
        {"EMF without drawing", RedEmf({0, 0, 0, 0}), "empty WMF"},
        {"text", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'm', 'e', 't', 'a', 'f', 'i', 'l', 'e'},
         "corrupted WMF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        EXPECT_FALSE(orvo::test::DecodeFromBytes(image, c.file, RASTER_FORMAT_WMF));
        EXPECT_STREQ(image.GetLastError(), c.error);
    }
    CRasterImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(orvo::test::DecodeFromBytes(cancelled, good, RASTER_FORMAT_WMF));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
    EXPECT_FALSE(cancelled.IsValid());

    CRasterImage image;
    image.Create(4, 4, 24, 0);
    EXPECT_TRUE(orvo::test::EncodeToBytes(image, RASTER_FORMAT_WMF).empty());
    EXPECT_STREQ(image.GetLastError(), "Save WMF not supported");
}

TEST(WmfCodec, MalformedInputFailsCleanly)
{
    orvo::test::MalformedInputSweep({PlaceableWmf(300, 200, 1440), RedEmf({0, 0, 20, 10})},
                                    RASTER_FORMAT_WMF, 4000);
}

} // namespace
