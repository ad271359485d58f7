// The BMP format class and the load and save dispatch: decode table over hand-built files, round
// trips, error texts, detection and the codecs that are not built yet, and the safe Save.
#include "imaging/CRasterImage.h"
#include "imaging/CRasterImageBMP.h"
#include "imaging/CRasterMemFile.h"
#include "tests/imaging/RasterTestImages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

RGBQUAD Quad(BYTE red, BYTE green, BYTE blue)
{
    return RGBQUAD{blue, green, red, 0};
}

std::vector<RGBQUAD> Ramp(int count)
{
    std::vector<RGBQUAD> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Quad(static_cast<BYTE>(i), static_cast<BYTE>(i * 2), static_cast<BYTE>(255 - i)));
    return palette;
}

bool DecodeBytes(CRasterImage& image, const std::vector<BYTE>& bytes, DWORD type = 0)
{
    static const BYTE nothing = 0;
    return image.Decode(bytes.empty() ? &nothing : bytes.data(), static_cast<DWORD>(bytes.size()),
                        type);
}

COLORREF At(const CRasterImage& image, long x, long y)
{
    const RGBQUAD q = image.GetPixelColor(x, y, false);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

struct DecodeCase
{
    const char* name;
    BmpFileSpec spec;
    WORD bits;
    // Expected colours at (0,0), (1,0) and the top-left pixel (0, height - 1).
    COLORREF bottomLeft, bottomSecond, topLeft;
};

std::vector<DecodeCase> DecodeCases()
{
    std::vector<DecodeCase> cases;
    {
        BmpFileSpec s; // rows stored top-down: the first stored row is the top row
        s.width = 2;
        s.height = -2;
        s.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
        cases.push_back({"top-down 24", s, 24, RGB(9, 8, 7), RGB(12, 11, 10), RGB(3, 2, 1)});
    }
    {
        BmpFileSpec s; // OS/2 core header, 8 bits, no colours-used field: 256 3-byte entries
        s.headerSize = 12;
        s.width = 2;
        s.height = 1;
        s.bits = 8;
        s.palette = Ramp(256);
        s.pixels = {3, 200, 0, 0};
        cases.push_back({"OS/2 8", s, 8, RGB(3, 6, 252), RGB(200, 144, 55), RGB(3, 6, 252)});
    }
    {
        BmpFileSpec s; // 16 bits without masks: 5-5-5
        s.width = 2;
        s.bits = 16;
        s.pixels = {0x00, 0x7C, 0x1F, 0x00};
        cases.push_back({"16 no masks", s, 24, RGB(248, 0, 0), RGB(0, 0, 248), RGB(248, 0, 0)});
    }
    {
        BmpFileSpec s; // 16 bits with 5-6-5 masks after the header
        s.width = 2;
        s.bits = 16;
        s.compression = BI_BITFIELDS;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.pixels = {0xE0, 0x07, 0x00, 0xF8};
        cases.push_back({"16 masks", s, 24, RGB(0, 252, 0), RGB(248, 0, 0), RGB(0, 252, 0)});
    }
    {
        BmpFileSpec s;
        s.width = 2;
        s.bits = 32;
        s.pixels = {1, 2, 3, 0xFF, 4, 5, 6, 0xFF};
        cases.push_back({"32", s, 24, RGB(3, 2, 1), RGB(6, 5, 4), RGB(3, 2, 1)});
    }
    {
        BmpFileSpec s; // what ImageMagick writes for 32 bits: a 124-byte header with bit fields
        s.headerSize = 124;
        s.width = 2;
        s.bits = 32;
        s.compression = BI_BITFIELDS;
        s.headerMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        s.sizeImage = 8;
        s.pixels = {1, 2, 3, 0xFF, 4, 5, 6, 0xFF};
        cases.push_back({"124-byte header, 32 bit fields", s, 24, RGB(3, 2, 1), RGB(6, 5, 4), RGB(3, 2, 1)});
    }
    {
        BmpFileSpec s; // masks in another order, and no image size
        s.headerSize = 108;
        s.width = 2;
        s.bits = 32;
        s.compression = BI_BITFIELDS;
        s.headerMasks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
        s.pixels = {0, 1, 2, 3, 0, 4, 5, 6};
        cases.push_back({"108-byte header, other masks", s, 24, RGB(3, 2, 1), RGB(6, 5, 4), RGB(3, 2, 1)});
    }
    {
        BmpFileSpec s; // 5-6-5 in a 56-byte header
        s.headerSize = 56;
        s.width = 2;
        s.bits = 16;
        s.compression = BI_BITFIELDS;
        s.headerMasks = {0xF800, 0x07E0, 0x001F, 0};
        s.pixels = {0xE0, 0x07, 0x00, 0xF8};
        cases.push_back({"56-byte header, 16 bit fields", s, 24, RGB(0, 252, 0), RGB(248, 0, 0), RGB(0, 252, 0)});
    }
    {
        BmpFileSpec s; // run-length with a colour count in a 124-byte header
        s.headerSize = 124;
        s.width = 4;
        s.height = 1;
        s.bits = 8;
        s.compression = BI_RLE8;
        s.clrUsed = 3;
        s.palette = Ramp(3);
        s.pixels = {4, 2, 0, 1};
        cases.push_back({"124-byte header, RLE8, 3 colours", s, 8, RGB(2, 4, 253), RGB(2, 4, 253), RGB(2, 4, 253)});
    }
    {
        BmpFileSpec s; // an OS/2 2.x header cut after its sixteenth byte, 4-byte palette entries
        s.headerSize = 16;
        s.width = 2;
        s.bits = 8;
        s.palette = Ramp(256);
        s.pixels = {3, 200, 0, 0};
        cases.push_back({"16-byte OS/2 2.x header", s, 8, RGB(3, 6, 252), RGB(200, 144, 55), RGB(3, 6, 252)});
    }
    {
        BmpFileSpec s; // an image size that is not the rows' size
        s.headerSize = 108;
        s.width = 1;
        s.sizeImage = 1234;
        s.pixels = {1, 2, 3, 0};
        cases.push_back({"108-byte header, odd image size", s, 24, RGB(3, 2, 1), RGB(3, 2, 1), RGB(3, 2, 1)});
    }
    {
        BmpFileSpec s;
        s.width = 10;
        s.height = 2;
        s.bits = 1;
        s.palette = {Quad(0, 0, 0), Quad(255, 255, 255)};
        s.pixels = {0x40, 0, 0, 0, 0x80, 0, 0, 0};
        cases.push_back({"1 bit", s, 1, RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255)});
    }
    {
        BmpFileSpec s;
        s.width = 3;
        s.height = 1;
        s.bits = 4;
        s.clrUsed = 3;
        s.palette = Ramp(3);
        s.pixels = {0x21, 0x00, 0, 0};
        cases.push_back({"4 bit, 3 colours", s, 4, RGB(2, 4, 253), RGB(1, 2, 254), RGB(2, 4, 253)});
    }
    {
        BmpFileSpec s; // RLE8: run, absolute run, end of line, delta, end of bitmap
        s.width = 4;
        s.height = 3;
        s.bits = 8;
        s.compression = BI_RLE8;
        s.palette = Ramp(256);
        s.pixels = {2, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 1, 1, 4, 0, 1};
        cases.push_back({"RLE8", s, 8, RGB(5, 10, 250), RGB(5, 10, 250), RGB(0, 0, 255)});
    }
    {
        BmpFileSpec s; // RLE4: run of 3 pixels alternating 1 and 2, absolute 4 pixels
        s.width = 8;
        s.height = 2;
        s.bits = 4;
        s.compression = BI_RLE4;
        s.palette = Ramp(16);
        s.pixels = {3, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1};
        cases.push_back({"RLE4", s, 4, RGB(1, 2, 254), RGB(2, 4, 253), RGB(3, 6, 252)});
    }
    {
        BmpFileSpec s; // a bare packed DIB: no file header
        s.fileHeader = false;
        s.width = 1;
        s.bits = 8;
        s.clrUsed = 2;
        s.palette = {Quad(1, 1, 1), Quad(9, 9, 9)};
        s.pixels = {1, 0, 0, 0};
        cases.push_back({"bare DIB", s, 8, RGB(9, 9, 9), RGB(9, 9, 9), RGB(9, 9, 9)});
    }
    {
        BmpFileSpec s; // OS/2 2.x 64-byte header
        s.headerSize = 64;
        s.width = 1;
        s.pixels = {10, 20, 30, 0};
        cases.push_back({"64-byte header", s, 24, RGB(30, 20, 10), RGB(30, 20, 10), RGB(30, 20, 10)});
    }
    {
        BmpFileSpec s; // Windows 4 header over a plain picture
        s.headerSize = 108;
        s.width = 1;
        s.sizeImage = 4;
        s.pixels = {10, 20, 30, 0};
        cases.push_back({"108-byte header", s, 24, RGB(30, 20, 10), RGB(30, 20, 10), RGB(30, 20, 10)});
    }
    {
        BmpFileSpec s; // the last row's padding left out by the writer
        s.width = 1;
        s.pixels = {10, 20, 30};
        cases.push_back({"no last padding", s, 24, RGB(30, 20, 10), RGB(30, 20, 10), RGB(30, 20, 10)});
    }
    {
        BmpFileSpec s; // more colours used than 2 bits hold: the palette read stops at 2
        s.width = 2;
        s.bits = 1;
        s.clrUsed = 300;
        s.palette = Ramp(300);
        s.pixels = {0x40, 0, 0, 0};
        cases.push_back({"colours used above the palette", s, 1, RGB(0, 0, 255), RGB(1, 2, 254),
                         RGB(0, 0, 255)});
    }
    return cases;
}

TEST(BmpDecode, Table)
{
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        ASSERT_TRUE(DecodeBytes(image, MakeBmpFile(c.spec), 1)) << image.GetLastError();
        const long height = c.spec.height < 0 ? -c.spec.height : c.spec.height;
        EXPECT_EQ(image.GetType(), 1u);
        EXPECT_EQ(image.GetBpp(), c.bits);
        EXPECT_EQ(static_cast<long>(image.GetWidth()), c.spec.width);
        EXPECT_EQ(static_cast<long>(image.GetHeight()), height);
        EXPECT_EQ(At(image, 0, 0), c.bottomLeft);
        if (c.spec.width > 1) {
            EXPECT_EQ(At(image, 1, 0), c.bottomSecond);
        }
        EXPECT_EQ(At(image, 0, height - 1), c.topLeft);
        // Detection finds the same picture.
        CRasterImage detected;
        ASSERT_TRUE(DecodeBytes(detected, MakeBmpFile(c.spec), 0));
        EXPECT_EQ(ComparePixels(image, detected), "");
    }
}

TEST(BmpDecode, RunLengthDetails)
{
    BmpFileSpec s;
    s.width = 4;
    s.height = 3;
    s.bits = 8;
    s.compression = BI_RLE8;
    s.palette = Ramp(256);
    s.pixels = {2, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 1, 1, 4, 0, 1};
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, MakeBmpFile(s), 1));
    const BYTE row0[4] = {5, 5, 7, 8}; // the absolute run of 3 stops at the row's 4 bytes
    EXPECT_EQ(memcmp(image.GetBits(0), row0, 4), 0);
    EXPECT_EQ(image.GetPixelIndex(0, 1), 0); // skipped by the delta: cleared
    EXPECT_EQ(image.GetPixelIndex(1, 2), 4); // delta (1, 1) from the start of row 1

    // An encoded run past the end of the row ends the picture, keeping what was written.
    s.pixels = {6, 9, 1, 3};
    ASSERT_TRUE(DecodeBytes(image, MakeBmpFile(s), 1));
    EXPECT_EQ(image.GetPixelIndex(3, 0), 9);
    EXPECT_EQ(image.GetPixelIndex(0, 1), 0);

    // Deltas and runs far outside the picture write nothing outside it.
    s.pixels = {0, 2, 255, 255, 0, 2, 255, 255, 200, 1, 0, 255};
    for (int i = 0; i < 255; ++i)
        s.pixels.push_back(3);
    ASSERT_TRUE(DecodeBytes(image, MakeBmpFile(s), 1));
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 4; ++x)
            EXPECT_EQ(image.GetPixelIndex(x, y), 0);

    BmpFileSpec r4;
    r4.width = 8;
    r4.height = 2;
    r4.bits = 4;
    r4.compression = BI_RLE4;
    r4.palette = Ramp(16);
    r4.pixels = {3, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1};
    ASSERT_TRUE(DecodeBytes(image, MakeBmpFile(r4), 1));
    const BYTE r4row0[4] = {0x12, 0x10, 0, 0};
    const BYTE r4row1[4] = {0x34, 0x56, 0, 0};
    EXPECT_EQ(memcmp(image.GetBits(0), r4row0, 4), 0);
    EXPECT_EQ(memcmp(image.GetBits(1), r4row1, 4), 0);
}

// Runs of 4-bit pictures start and end at any pixel: an encoded run alternates its colour's two
// nibbles from its own first pixel, an absolute run takes its pixels in order from its bytes,
// wherever the row stands.
TEST(BmpDecode, RunLength4AtOddColumns)
{
    BmpFileSpec s;
    s.width = 7;
    s.height = 3;
    s.bits = 4;
    s.compression = BI_RLE4;
    s.palette = Ramp(16);
    s.pixels = {3, 0x12,             // 1 2 1
                0, 3, 0x34, 0x50,    // absolute 3 4 5 from column 3 (two bytes, no padding)
                1, 0x60,             // 6
                0, 0,                // end of line
                0, 2, 1, 0,          // delta one column right
                0, 5, 0x9A, 0xBC, 0xD0, 0, // absolute of five from column 1, padded
                1, 0xEF,             // 14
                0, 0,
                5, 0x78,             // 7 8 7 8 7
                4, 0x21,             // 2 1, then two pixels past the row, dropped
                0, 1};
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, MakeBmpFile(s), 1));
    const int expected[3][7] = {{1, 2, 1, 3, 4, 5, 6}, {0, 9, 10, 11, 12, 13, 14}, {7, 8, 7, 8, 7, 2, 1}};
    // The file's first row is the picture's bottom row (stored row 0).
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 7; ++x)
            EXPECT_EQ(image.GetPixelIndex(x, y), expected[y][x]) << x << "," << y;

    // Run-length data of another depth than the picture's is refused, not laid into its rows.
    s.bits = 8;
    s.palette = Ramp(256);
    EXPECT_FALSE(DecodeBytes(image, MakeBmpFile(s), 1));
    EXPECT_STREQ(image.GetLastError(), "BMP: run-length data of another depth than the picture's");
}

TEST(BmpDecode, FailureTexts)
{
    struct Case
    {
        const char* name;
        std::vector<BYTE> bytes;
        const char* error;
    };
    BmpFileSpec rle24;
    rle24.width = 1;
    rle24.compression = BI_RLE8;
    rle24.pixels = {0, 0, 0, 0};
    BmpFileSpec twoBits;
    twoBits.width = 4;
    twoBits.bits = 2;
    twoBits.palette = Ramp(4);
    twoBits.pixels = {0xFF, 0, 0, 0};
    BmpFileSpec comp8;
    comp8.bits = 8;
    comp8.compression = 7;
    comp8.palette = Ramp(256);
    comp8.pixels = {0, 0, 0, 0};
    BmpFileSpec comp32;
    comp32.bits = 32;
    comp32.compression = BI_RLE8;
    comp32.pixels = {0, 0, 0, 0};
    BmpFileSpec shortPixels;
    shortPixels.width = 100;
    shortPixels.height = 100;
    shortPixels.pixels = {1, 2, 3};
    BmpFileSpec wideRow; // one row of 1.5 GB announced by a file of a few bytes
    wideRow.width = 0x20000000;
    wideRow.height = 1;
    wideRow.pixels = {1, 2, 3, 4};
    BmpFileSpec hugeClrUsed;
    hugeClrUsed.bits = 8;
    hugeClrUsed.clrUsed = 0x40000000;
    hugeClrUsed.fileHeader = false;
    BmpFileSpec zeroWidth;
    zeroWidth.width = 0;
    BmpFileSpec rleHuge; // 131168 x 4096 at 4 bits from a few kilobytes
    rleHuge.width = 131168;
    rleHuge.height = 4096;
    rleHuge.bits = 4;
    rleHuge.compression = BI_RLE4;
    rleHuge.palette = Ramp(16);
    rleHuge.pixels.assign(5000, 0);
    BmpFileSpec jpeg;
    jpeg.headerSize = 124;
    jpeg.compression = BI_JPEG;
    jpeg.pixels = {0xFF, 0xD8, 0xFF, 0xD9};
    BmpFileSpec png = jpeg;
    png.compression = BI_PNG;
    const Case cases[] = {
        {"empty", {}, "Not a BMP"},
        {"text", std::vector<BYTE>(60, 'x'), "Error reading BMP info"},
        {"24 bits RLE", MakeBmpFile(rle24), "unknown compression"},
        {"2 bits", MakeBmpFile(twoBits), "Error reading BMP info"},
        {"8 bits, compression 7", MakeBmpFile(comp8), "compression type not supported"},
        {"32 bits RLE", MakeBmpFile(comp32), "unknown compression"},
        {"pixels missing", MakeBmpFile(shortPixels), "Error reading BMP info"},
        {"palette past the end", MakeBmpFile(hugeClrUsed), "Error reading BMP info"},
        {"one huge row", MakeBmpFile(wideRow), "Error reading BMP info"},
        {"zero width", MakeBmpFile(zeroWidth), "Error reading BMP info"},
        {"run-length picture far beyond its data", MakeBmpFile(rleHuge),
         "BMP: the header claims more pixels than the file holds"},
        {"embedded JPEG", MakeBmpFile(jpeg), "BMP: embedded JPEG pictures are not supported"},
        {"embedded PNG", MakeBmpFile(png), "BMP: embedded PNG pictures are not supported"},
    };
    for (const Case& c : cases) {
        CRasterImage image;
        FillPattern(image, 3, 3, 8);
        EXPECT_FALSE(DecodeBytes(image, c.bytes, 1)) << c.name;
        EXPECT_STREQ(image.GetLastError(), c.error) << c.name;
        // A failed decode keeps the picture that was there.
        EXPECT_EQ(image.GetWidth(), 3u) << c.name;
        EXPECT_TRUE(image.IsValid()) << c.name;
    }
}

TEST(BmpDecode, EscapeValues)
{
    BmpFileSpec s;
    s.width = 7;
    s.height = -5;
    s.pixels.assign(24 * 5, 0);
    CRasterImage image;
    image.SetEscape(-1);
    ASSERT_TRUE(DecodeBytes(image, MakeBmpFile(s), 1));
    EXPECT_STREQ(image.GetLastError(), "output dimensions returned");
    EXPECT_EQ(image.GetWidth(), 7u);
    EXPECT_EQ(image.GetHeight(), 5u);
    EXPECT_FALSE(image.IsValid());

    CRasterImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancelled, MakeBmpFile(s), 1));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(BmpEncode, RoundTripsAtEveryDepth)
{
    for (DWORD bpp : {1u, 4u, 8u, 24u})
        for (const SIZE& size : {SIZE{1, 1}, SIZE{13, 7}, SIZE{33, 2}}) {
            CRasterImage source;
            FillPattern(source, size.cx, size.cy, bpp);
            source.SetXDPI(300);
            CRasterMemFile stream;
            ASSERT_TRUE(stream.Open());
            ASSERT_TRUE(source.Encode(&stream, 1)) << source.GetLastError();
            const BYTE* bytes = stream.GetBuffer(false);
            const DWORD offset = bytes[10] | (bytes[11] << 8);
            EXPECT_EQ(offset, 14 + 40 + source.GetNumColors() * 4);
            EXPECT_EQ(static_cast<DWORD>(stream.Size()), 14 + source.GetSize());
            CRasterImage back;
            ASSERT_TRUE(back.Decode(stream.GetBuffer(false), static_cast<DWORD>(stream.Size()), 0));
            EXPECT_EQ(ComparePixels(back, source), "") << bpp;
            EXPECT_EQ(back.GetXDPI(), 300);
        }
}

TEST(RasterDispatch, UnknownAndNotYetBuiltFormats)
{
    CRasterImage image;
    FillPattern(image, 4, 4, 8);
    CRasterMemFile stream;
    ASSERT_TRUE(stream.Open());
    for (DWORD code : {0u, 17u, 18u, 100u}) {
        EXPECT_FALSE(image.Encode(&stream, code));
        EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    }
    EXPECT_TRUE(image.IsValid());
    const std::vector<BYTE> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                   'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0,
                                   0, 0x90, 0x77, 0x53, 0xDE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (DWORD code : {0u, 17u, 18u}) {
        EXPECT_FALSE(DecodeBytes(image, png, code));
        EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
        EXPECT_EQ(image.GetWidth(), 4u);
    }
    // Detection leaves the stream where it started when nothing accepts the data.
    CRasterMemFile input(const_cast<BYTE*>(png.data()), static_cast<int32_t>(png.size()));
    input.Seek(3, SEEK_SET);
    EXPECT_FALSE(image.Decode(&input, 0));
    EXPECT_EQ(input.Tell(), 3);
    EXPECT_FALSE(image.Decode(static_cast<CRasterFile*>(nullptr), 1));
}

TEST(RasterDispatch, SaveWritesThroughATemporaryFile)
{
    orvo::test::TempDir dir;
    const std::string path = dir / "picture.bmp";
    CRasterImage image;
    FillPattern(image, 5, 4, 24);
    ASSERT_TRUE(image.Save(path.c_str(), 1));
    const std::string first = orvo::test::ReadFileBytes(path);
    EXPECT_EQ(first.size(), 14 + image.GetSize());

    // A failed encode leaves the old file as it was and no temporary file behind.
    EXPECT_FALSE(image.Save(path.c_str(), 17));
    EXPECT_FALSE(image.Save(path.c_str(), 0));
    CRasterImage empty;
    EXPECT_FALSE(empty.Save(path.c_str(), 1));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    EXPECT_EQ(orvo::test::ReadFileBytes(path), first);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir / "*").c_str(), &data);
    int files = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    EXPECT_EQ(files, 1);

    EXPECT_FALSE(image.Save((dir / "missing\\x.bmp").c_str(), 1));
    CRasterImage loaded;
    const std::string bytes = orvo::test::ReadFileBytes(path);
    ASSERT_TRUE(loaded.Decode(reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()), 0));
    EXPECT_EQ(ComparePixels(loaded, image), "");
}

TEST(RasterDispatch, ConstructorFromBytes)
{
    BmpFileSpec s;
    s.width = 2;
    s.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    const std::vector<BYTE> bytes = MakeBmpFile(s);
    CRasterImage image(bytes.data(), static_cast<DWORD>(bytes.size()), 0);
    EXPECT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetType(), 1u);
    CRasterImage bad(bytes.data(), 10, 0);
    EXPECT_FALSE(bad.IsValid());
    EXPECT_STREQ(bad.GetLastError(), "Decode: Unknown or wrong format");
}

} // namespace
