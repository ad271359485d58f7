// GIF and JPEG writers and their row helpers. GIF output is read back with the system's own
// imaging component (WIC), JPEG output with libjpeg, so neither is checked against itself.
#include "imaging/CDib.h"
#include "imaging/CGif.h"
#include "imaging/CJpeg.h"
#include "imaging/CRasterImage.h"
#include "imaging/DibRows.h"
#include "framework/GdiScopes.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FileBytes(const std::string& path)
{
    const std::string s = orvo::test::ReadFileBytes(path);
    return Bytes(s.begin(), s.end());
}

struct ComInit {
    ComInit() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComInit() { CoUninitialize(); }
};

template <class T> struct ComPtr {
    T* p = nullptr;
    ~ComPtr()
    {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// Decodes the first frame of a GIF into its palette indices, top row first.
bool DecodeGifIndices(const std::string& path, UINT& width, UINT& height, Bytes& indices)
{
    ComInit com;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        return false;
    std::wstring wide(path.begin(), path.end());
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    WICPixelFormatGUID format;
    if (FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder))
        || FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height))
        || FAILED(frame->GetPixelFormat(&format)) || format != GUID_WICPixelFormat8bppIndexed)
        return false;
    indices.assign(size_t(width) * height, 0);
    return SUCCEEDED(frame->CopyPixels(nullptr, width, UINT(indices.size()), indices.data()));
}

struct Palette {
    int red[256], green[256], blue[256];
    Palette()
    {
        for (int i = 0; i < 256; ++i) {
            red[i] = i;
            green[i] = 255 - i;
            blue[i] = (i * 7) & 0xFF;
        }
    }
};

Bytes Pattern(int width, int height, uint32_t seed, int colours)
{
    Bytes pixels(size_t(width) * height);
    for (uint8_t& p : pixels) {
        seed = seed * 1664525u + 1013904223u;
        p = uint8_t((seed >> 24) % colours);
    }
    return pixels;
}

TEST(GifWriter, RoundTripsThroughAnotherDecoder)
{
    const struct {
        int width, height, colours;
    } cases[] = {
        {1, 1, 1}, {3, 2, 4}, {17, 5, 2}, {64, 64, 256}, // noise: past 4096 codes, clear codes
        {300, 200, 3}, {1, 700, 256},
    };
    orvo::test::TempDir dir;
    const Palette palette;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const Bytes pixels = Pattern(c.width, c.height, uint32_t(c.width * 31 + c.height), c.colours);
        const std::string path = dir / "out.gif";
        CGif gif;
        ASSERT_NE(gif.WriteGif(path.c_str(), pixels.data(), c.width, c.height, 0, palette.red,
                               palette.green, palette.blue),
                  0);
        UINT width = 0, height = 0;
        Bytes decoded;
        ASSERT_TRUE(DecodeGifIndices(path, width, height, decoded));
        EXPECT_EQ(width, UINT(c.width));
        EXPECT_EQ(height, UINT(c.height));
        EXPECT_TRUE(decoded == pixels);
    }
}

// A DIB of three colours in bands (red, green, blue from the top), at the bit count.
std::unique_ptr<CDib> BandedDib(int width, int height, WORD bits)
{
    auto dib = std::make_unique<CDib>();
    if (!dib->Create(width, height, 24))
        return nullptr;
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = dib->GetBits() + stride * (height - 1 - y) + x * 3;
            const int band = y * 3 / height;
            p[0] = band == 2 ? 255 : 0;
            p[1] = band == 1 ? 255 : 0;
            p[2] = band == 0 ? 255 : 0;
        }
    if (bits != 24 && !dib->ChangeBitCount(bits))
        return nullptr;
    return dib;
}

COLORREF ColourAt(const CRasterImage& image, long x, long yFromTop)
{
    const RGBQUAD c = image.GetPixelColor(x, long(image.GetHeight()) - 1 - yFromTop);
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

TEST(GifWriter, SavedDibsReadBackThroughTheGifDecoder)
{
    orvo::test::TempDir dir;
    for (WORD bits : {WORD(24), WORD(8)}) {
        SCOPED_TRACE(bits);
        const std::unique_ptr<CDib> dib = BandedDib(7, 9, bits);
        ASSERT_NE(dib, nullptr);
        const std::string path = dir / "saved.gif";
        CGif gif;
        ASSERT_NE(gif.SaveDib(path.c_str(), dib.get()), 0) << gif.GetErrorText();
        const Bytes file = FileBytes(path);
        CRasterImage image;
        ASSERT_TRUE(image.Decode(file.data(), DWORD(file.size()), RASTER_FORMAT_GIF))
            << image.GetLastError();
        EXPECT_EQ(image.GetWidth(), 7u);
        EXPECT_EQ(image.GetHeight(), 9u);
        EXPECT_EQ(ColourAt(image, 3, 0), RGB(255, 0, 0));
        EXPECT_EQ(ColourAt(image, 3, 4), RGB(0, 255, 0));
        EXPECT_EQ(ColourAt(image, 6, 8), RGB(0, 0, 255));
        EXPECT_EQ(dib->GetBitCount(), bits) << "the caller's image is not changed";
    }
    // The writer's own image, and a packed DIB in memory.
    CGif gif;
    EXPECT_EQ(gif.SaveDib((dir / "none.gif").c_str()), 0);
    gif.SetImage(BandedDib(4, 3, 24));
    EXPECT_NE(gif.SaveDib((dir / "own.gif").c_str()), 0);
    const std::unique_ptr<CDib> dib = BandedDib(5, 6, 8);
    GlobalLockScope lock(dib->GetHandle());
    const size_t size = GlobalSize(dib->GetHandle());
    EXPECT_NE(gif.SaveDibMemory((dir / "memory.gif").c_str(), lock.Get(), size), 0);
    EXPECT_EQ(gif.SaveDibMemory((dir / "nothing.gif").c_str(), nullptr, 0), 0);
    CRasterImage image;
    const Bytes file = FileBytes(dir / "memory.gif");
    ASSERT_TRUE(image.Decode(file.data(), DWORD(file.size()), RASTER_FORMAT_GIF));
    EXPECT_EQ(ColourAt(image, 0, 5), RGB(0, 0, 255));
}

TEST(GifWriter, FileLayoutAndPacketSizes)
{
    orvo::test::TempDir dir;
    const Palette palette;
    const Bytes pixels = Pattern(120, 90, 7, 256);
    const std::string path = dir / "layout.gif";
    CGif gif;
    ASSERT_NE(gif.WriteGif(path.c_str(), pixels.data(), 120, 90, 5, palette.red, palette.green,
                           palette.blue),
              0);
    const Bytes b = FileBytes(path);
    ASSERT_GT(b.size(), 794u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
    EXPECT_EQ(b[6] | (b[7] << 8), 120);
    EXPECT_EQ(b[8] | (b[9] << 8), 90);
    EXPECT_EQ(b[10], 0xE7);
    EXPECT_EQ(b[11], 5);
    EXPECT_EQ(b[13 + 3 * 200], 200);     // red of entry 200
    EXPECT_EQ(b[13 + 3 * 200 + 1], 55);  // green
    EXPECT_EQ(b[781], 0x2C);
    EXPECT_EQ(b[791], 8);
    size_t at = 792;
    int packets = 0;
    while (at < b.size() && b[at] != 0) {
        EXPECT_LE(b[at], 254);
        at += b[at] + 1;
        ++packets;
    }
    EXPECT_GT(packets, 10);
    ASSERT_EQ(at + 2, b.size());
    EXPECT_EQ(b[at + 1], 0x3B);
}

TEST(GifWriter, OnePixelImageLayout)
{
    orvo::test::TempDir dir;
    const Palette palette;
    const uint8_t pixel = 9;
    const std::string path = dir / "one.gif";
    CGif gif;
    ASSERT_NE(gif.WriteGif(path.c_str(), &pixel, 1, 1, 0, palette.red, palette.green,
                           palette.blue),
              0);
    const Bytes b = FileBytes(path);
    // Clear (9 bits), the pixel, end: 27 bits in one packet of 4 bytes, then 0 and the trailer.
    ASSERT_EQ(b.size(), 792u + 5 + 2);
    EXPECT_EQ(b[792], 4);
    EXPECT_EQ(gif.GetErrorText(), "No Error");
}

TEST(GifWriter, FailuresLeaveNoFileAndSayWhy)
{
    orvo::test::TempDir dir;
    const Palette palette;
    const uint8_t pixel = 0;
    const struct {
        const char* name;
        std::string path;
        int width, height;
        const char* text;
    } cases[] = {
        {"zero width", dir / "a.gif", 0, 1, "Can't write an empty or oversized GIF image"},
        {"zero height", dir / "b.gif", 1, 0, "Can't write an empty or oversized GIF image"},
        {"too wide", dir / "c.gif", 70000, 1, "Can't write an empty or oversized GIF image"},
        {"missing folder", dir / "no\\d.gif", 1, 1, "Can't open GIF for writing"},
        {"target is a folder", dir.Path(), 1, 1, "Write Error in GIF file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CGif gif;
        EXPECT_EQ(gif.WriteGif(c.path.c_str(), &pixel, c.width, c.height, 0, palette.red,
                               palette.green, palette.blue),
                  0);
        EXPECT_EQ(gif.GetErrorText(), c.text);
    }
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir / "*").c_str(), &found);
    int files = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do
            files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (FindNextFileA(h, &found));
        FindClose(h);
    }
    EXPECT_EQ(files, 0) << "a failed write left a file behind";
}

struct DecodedJpeg {
    int width = 0, height = 0, components = 0, densityUnit = 0, xDensity = 0, yDensity = 0;
    Bytes pixels;
};

bool DecodeJpeg(const std::string& path, DecodedJpeg& out)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, f);
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    out.width = int(d.output_width);
    out.height = int(d.output_height);
    out.components = d.output_components;
    out.densityUnit = d.density_unit;
    out.xDensity = d.X_density;
    out.yDensity = d.Y_density;
    out.pixels.resize(size_t(out.width) * out.height * out.components);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &out.pixels[size_t(d.output_scanline) * out.width * out.components];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    fclose(f);
    return true;
}

TEST(JpegWriter, ColourAndGreyFiles)
{
    orvo::test::TempDir dir;
    const int width = 16, height = 8;
    Bytes rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = 200;
        rgb[i + 1] = 100;
        rgb[i + 2] = 50;
    }
    const struct {
        bool color;
        int density;
        int components;
        int expected;
    } cases[] = {
        {true, 300, 3, 200},
        // 0.299 x 200 + 0.587 x 100 + 0.114 x 50 = 124.2
        {false, 72, 1, 124},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.color ? "colour" : "grey");
        const std::string path = dir / "out.jpg";
        CJpeg jpeg;
        ASSERT_NE(jpeg.WriteJpeg(path.c_str(), rgb.data(), width, height, c.color, 95, c.density),
                  0);
        DecodedJpeg d;
        ASSERT_TRUE(DecodeJpeg(path, d));
        EXPECT_EQ(d.width, width);
        EXPECT_EQ(d.height, height);
        EXPECT_EQ(d.components, c.components);
        EXPECT_EQ(d.densityUnit, 1);
        EXPECT_EQ(d.xDensity, c.density);
        EXPECT_EQ(d.yDensity, c.density);
        EXPECT_NEAR(d.pixels[0], c.expected, 2);
    }
}

TEST(JpegWriter, FailuresSayWhy)
{
    orvo::test::TempDir dir;
    const Bytes rgb(12, 0);
    CJpeg jpeg;
    const std::string missing = dir / "no\\x.jpg";
    EXPECT_EQ(jpeg.WriteJpeg(missing.c_str(), rgb.data(), 2, 2, true, 75, 96), 0);
    EXPECT_EQ(jpeg.GetErrorText(), "JpegFile :\nCan't open " + missing + "\n");
    EXPECT_EQ(jpeg.WriteJpeg((dir / "x.jpg").c_str(), nullptr, 2, 2, true, 75, 96), 0);
    EXPECT_EQ(jpeg.WriteJpeg((dir / "x.jpg").c_str(), rgb.data(), 0, 2, true, 75, 96), 0);
    EXPECT_EQ(jpeg.WriteJpeg((dir / "x.jpg").c_str(), rgb.data(), 70000, 1, true, 75, 96), 0);
    EXPECT_EQ(GetFileAttributesA((dir / "x.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(JpegWriter, SavedDibsCarryTheirDensity)
{
    orvo::test::TempDir dir;
    const std::unique_ptr<CDib> dib = BandedDib(16, 12, 8);
    ASSERT_NE(dib, nullptr);
    const struct {
        int resolution;
        int density;
    } cases[] = {{300, 300}, {0, 72}};
    for (const auto& c : cases) {
        dib->SetResolution(c.resolution);
        CJpeg jpeg;
        const std::string path = dir / "saved.jpg";
        ASSERT_NE(jpeg.SaveDib(path.c_str(), dib.get(), true, 90), 0) << jpeg.GetErrorText();
        DecodedJpeg d;
        ASSERT_TRUE(DecodeJpeg(path, d));
        EXPECT_EQ(d.xDensity, c.density);
        EXPECT_EQ(d.width, 16);
        EXPECT_EQ(d.components, 3);
        EXPECT_NEAR(d.pixels[0], 255, 8); // top-left is red
        EXPECT_NEAR(d.pixels[2], 0, 8);
    }
    GlobalLockScope lock(dib->GetHandle());
    CJpeg jpeg;
    const std::string path = dir / "memory.jpg";
    ASSERT_NE(jpeg.SaveDibMemory(path.c_str(), lock.Get(), GlobalSize(dib->GetHandle()), false, 90),
              0);
    DecodedJpeg d;
    ASSERT_TRUE(DecodeJpeg(path, d));
    EXPECT_EQ(d.xDensity, 72);
    EXPECT_EQ(d.components, 1);
    EXPECT_EQ(jpeg.SaveDib(path.c_str(), nullptr, true, 90), 0);
}

TEST(DibRows, PackKeepsOnlyUsedBytes)
{
    // Two padded rows of each depth: only the bytes the pixels use are kept.
    const struct {
        int width, bits;
        size_t stride, used;
    } cases[] = {{5, 8, 8, 5}, {3, 24, 12, 9}, {9, 1, 4, 1}, {6, 4, 4, 3}, {4, 32, 16, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.bits);
        Bytes rows(c.stride * 2);
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = uint8_t(i);
        const RowBuffer packed = PackDibRows(rows.data(), c.width, 2, c.bits);
        ASSERT_NE(packed, nullptr);
        for (size_t i = 0; i < c.used; ++i) {
            EXPECT_EQ(packed[i], rows[i]);
            EXPECT_EQ(packed[c.used + i], rows[c.stride + i]);
        }
    }
    EXPECT_EQ(PackDibRows(nullptr, 4, 4, 8), nullptr);
    const Bytes rows24(20, 1);
    EXPECT_NE(PackDibRows24(rows24.data(), 3, 10, 2), nullptr);
    EXPECT_EQ(PackDibRows24(rows24.data(), 4, 10, 2), nullptr); // row wider than its stride
}

TEST(DibRows, FlipAndSwap)
{
    for (int count : {1, 2, 3, 4}) {
        Bytes b;
        for (int r = 0; r < count; ++r)
            b.insert(b.end(), {uint8_t(r), uint8_t(r + 10)});
        ASSERT_TRUE(FlipRows(b.data(), 2, count));
        for (int r = 0; r < count; ++r) {
            EXPECT_EQ(b[r * 2], count - 1 - r);
            EXPECT_EQ(b[r * 2 + 1], count - 1 - r + 10);
        }
    }
    EXPECT_FALSE(FlipRows(nullptr, 2, 2));
    Bytes px = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(SwapRedBlue(px.data(), 2, 1));
    EXPECT_EQ(px, (Bytes{3, 2, 1, 6, 5, 4}));
    EXPECT_FALSE(SwapRedBlue(nullptr, 2, 1));
}

} // namespace
