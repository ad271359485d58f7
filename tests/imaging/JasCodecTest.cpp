// JPEG-2000 family class: JP2 and code streams through OpenJPEG, PGX, PNM and Sun raster, the
// component-to-frame rules, the stream bridge and hostile files.
#include "imaging/CRasterImageJAS.h"

#include "imaging/CRasterMemFile.h"
#include "imaging/Jpeg2000Stream.h"
#include "tests/imaging/RasterCodecTestKit.h"
#include "tests/imaging/RasterTestImages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include <openjpeg.h>

namespace {

using orvo::test::Bytes;

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void MakeGrey(CRasterImage& image, DWORD width, DWORD height)
{
    image.Create(width, height, 8, 0);
    for (int i = 0; i < 256; ++i)
        image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i), BYTE(i));
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            image.SetPixelIndex(long(x), long(y), BYTE(x * 20 + y * 7));
}

// What OpenJpegFile makes: sample i of component c is (i x 3 + c x 50) modulo the range unless
// the component has a constant value.
struct MadeFile {
    bool jp2 = true;
    int components = 3;
    int precision = 8;
    uint32_t width = 6, height = 4;
    // Unspecified: sRGB for three components or more, else grey.
    OPJ_COLOR_SPACE space = OPJ_CLRSPC_UNSPECIFIED;
    int opacity = -1; // the component named the opacity (a JP2 file writes its channel types)
    std::vector<int> constants; // every sample of component c is constants[c]
};

// A JPEG-2000 code stream or JP2 file of the given components made with OpenJPEG directly.
Bytes OpenJpegFile(const MadeFile& made)
{
    std::vector<opj_image_cmptparm_t> parameters(static_cast<size_t>(made.components));
    for (opj_image_cmptparm_t& p : parameters) {
        p = {};
        p.dx = p.dy = 1;
        p.w = made.width;
        p.h = made.height;
        p.prec = OPJ_UINT32(made.precision);
    }
    const OPJ_COLOR_SPACE space = made.space != OPJ_CLRSPC_UNSPECIFIED ? made.space
                                  : made.components >= 3           ? OPJ_CLRSPC_SRGB
                                                                   : OPJ_CLRSPC_GRAY;
    opj_image_t* image = opj_image_create(OPJ_UINT32(made.components), parameters.data(), space);
    image->x1 = made.width;
    image->y1 = made.height;
    for (int c = 0; c < made.components; ++c) {
        image->comps[c].alpha = c == made.opacity ? 1 : 0;
        for (uint32_t i = 0; i < made.width * made.height; ++i)
            image->comps[c].data[i] = size_t(c) < made.constants.size()
                                          ? made.constants[size_t(c)]
                                          : OPJ_INT32((i * 3 + c * 50) % (1u << made.precision));
    }
    opj_cparameters_t options;
    opj_set_default_encoder_parameters(&options);
    options.numresolution = 2;
    opj_codec_t* codec = opj_create_compress(made.jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    orvo::test::TempDir dir;
    const std::string path = dir / "made.j2k";
    opj_stream_t* stream = opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE);
    const bool ok = opj_setup_encoder(codec, &options, image)
                    && opj_start_compress(codec, image, stream) && opj_encode(codec, stream)
                    && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    EXPECT_TRUE(ok);
    const std::string bytes = orvo::test::ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

Bytes OpenJpegFile(bool jp2, int components, int precision, uint32_t width, uint32_t height)
{
    MadeFile made;
    made.jp2 = jp2;
    made.components = components;
    made.precision = precision;
    made.width = width;
    made.height = height;
    return OpenJpegFile(made);
}

// The file with the big-endian 16-bit value at offset `at` after the first box of the given type
// (the type's first byte is offset 0) replaced.
Bytes PatchedBox(Bytes file, const std::string& type, size_t at, uint16_t value)
{
    const auto box = std::search(file.begin(), file.end(), type.begin(), type.end());
    EXPECT_NE(box, file.end()) << type;
    if (box == file.end() || size_t(file.end() - box) < at + 2)
        return file;
    box[ptrdiff_t(at)] = BYTE(value >> 8);
    box[ptrdiff_t(at + 1)] = BYTE(value);
    return file;
}

TEST(JasCodec, ColourRoundTripsLosslesslyAtFullQuality)
{
    for (DWORD format : {DWORD(RASTER_FORMAT_JP2), DWORD(RASTER_FORMAT_JPC),
                         DWORD(RASTER_FORMAT_PNM), DWORD(RASTER_FORMAT_RAS)}) {
        SCOPED_TRACE(format);
        CRasterImage image;
        FillPattern(image, 13, 7, 24);
        image.SetJpegQuality(100);
        const Bytes file = orvo::test::EncodeToBytes(image, format);
        ASSERT_FALSE(file.empty()) << image.GetLastError();
        CRasterImage back;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(back, file, format)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), 24);
        EXPECT_EQ(back.GetType(), format);
        EXPECT_EQ(ComparePixels(image, back), "");
    }
}

TEST(JasCodec, GreyRoundTripsAsOneFrame)
{
    for (DWORD format : {DWORD(RASTER_FORMAT_JP2), DWORD(RASTER_FORMAT_JPC),
                         DWORD(RASTER_FORMAT_PGX), DWORD(RASTER_FORMAT_PNM),
                         DWORD(RASTER_FORMAT_RAS)}) {
        SCOPED_TRACE(format);
        CRasterImage image;
        MakeGrey(image, 9, 5);
        image.SetJpegQuality(100);
        const Bytes file = orvo::test::EncodeToBytes(image, format);
        ASSERT_FALSE(file.empty()) << image.GetLastError();
        CRasterImage back;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(back, file, format)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), 8);
        EXPECT_EQ(back.GetNumFrames(), 1);
        EXPECT_EQ(ComparePixels(image, back), "");
        CRasterImage second;
        second.SetFrame(1);
        EXPECT_FALSE(orvo::test::DecodeFromBytes(second, file, format));
        EXPECT_STREQ(second.GetLastError(), "wrong frame!");
    }
}

TEST(JasCodec, LowerQualityWritesASmallerFile)
{
    CRasterImage image;
    image.Create(64, 64, 24, 0);
    uint32_t seed = 99;
    for (DWORD i = 0; i < image.GetHeader().biSizeImage; ++i) {
        seed = seed * 1664525u + 1013904223u;
        image.GetBits()[i] = BYTE(seed >> 24);
    }
    image.SetJpegQuality(100);
    const size_t lossless = orvo::test::EncodeToBytes(image, RASTER_FORMAT_JPC).size();
    image.SetJpegQuality(10);
    const Bytes lossy = orvo::test::EncodeToBytes(image, RASTER_FORMAT_JPC);
    ASSERT_FALSE(lossy.empty());
    // A rate of 0.10 keeps about a tenth of the raw 12288 bytes.
    EXPECT_LT(lossy.size(), lossless);
    EXPECT_LT(lossy.size(), 64u * 64 * 3 / 8);
}

TEST(JasCodec, ComponentsBecomeFrames)
{
    const struct {
        const char* name;
        bool jp2;
        int components;
        OPJ_COLOR_SPACE space;
        int frames; // 0: read as a colour image
    } cases[] = {
        {"3 components of 8 bits", true, 3, OPJ_CLRSPC_SRGB, 0},
        {"4 components of a grey picture", true, 4, OPJ_CLRSPC_GRAY, 4},
        {"5 components, no colour space", false, 5, OPJ_CLRSPC_UNSPECIFIED, 5},
        {"2 components", false, 2, OPJ_CLRSPC_GRAY, 2},
        {"1 component", false, 1, OPJ_CLRSPC_GRAY, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MadeFile made;
        made.jp2 = c.jp2;
        made.components = c.components;
        made.space = c.space;
        const Bytes file = OpenJpegFile(made);
        CRasterImage image;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(image, file, 0)) << image.GetLastError();
        EXPECT_EQ(image.GetType(), 0u); // found by detection
        if (c.frames == 0) {
            EXPECT_EQ(image.GetBpp(), 24);
            // Component 1 of pixel (1, 0) of the top row is (1 x 3 + 50) = 53.
            EXPECT_EQ(image.GetPixelColor(1, 3).rgbGreen, 53);
            continue;
        }
        EXPECT_EQ(image.GetBpp(), 8);
        EXPECT_EQ(image.GetNumFrames(), c.frames);
        for (int frame = 0; frame < c.frames; ++frame) {
            CRasterImage one;
            one.SetFrame(frame);
            ASSERT_TRUE(orvo::test::DecodeFromBytes(one, file, RASTER_FORMAT_JP2));
            // Top-left pixel is sample 0 of the component: frame x 50.
            EXPECT_EQ(one.GetPixelIndex(0, 3), frame * 50);
            EXPECT_EQ(one.GetPixelIndex(2, 3), 6 + frame * 50);
        }
    }
}

TEST(JasCodec, ColourPicturesKeepTheirOpacity)
{
    const auto made = [](bool jp2, int components, OPJ_COLOR_SPACE space, int opacity) {
        MadeFile m;
        m.jp2 = jp2;
        m.components = components;
        m.space = space;
        m.opacity = opacity;
        return OpenJpegFile(m);
    };
    // Pixel (1, 0) of the top row: components 3, 53, 103, 153.
    const struct {
        const char* name;
        Bytes file;
        BYTE red, green, blue, alpha;
    } cases[] = {
        {"4 components of sRGB, no channel types", made(true, 4, OPJ_CLRSPC_SRGB, -1), 3, 53, 103,
         153},
        {"4 components of a code stream", made(false, 4, OPJ_CLRSPC_SRGB, -1), 3, 53, 103, 153},
        {"sRGB with its opacity named", made(true, 4, OPJ_CLRSPC_SRGB, 3), 3, 53, 103, 153},
        {"grey with its opacity named", made(true, 2, OPJ_CLRSPC_GRAY, 1), 3, 3, 3, 53},
        // Channel 3's type (at 6 + 3 x 6 + 2 after the box type) made "premultiplied opacity":
        // the colours are divided by it.
        {"premultiplied opacity",
         PatchedBox(made(true, 4, OPJ_CLRSPC_SRGB, 3), "cdef", 26, 2), 5, 88, 172, 153},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(image, c.file, RASTER_FORMAT_JP2)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 24);
        ASSERT_TRUE(image.AlphaIsValid());
        const RGBQUAD p = image.GetPixelColor(1, 3, false);
        EXPECT_EQ(p.rgbRed, c.red);
        EXPECT_EQ(p.rgbGreen, c.green);
        EXPECT_EQ(p.rgbBlue, c.blue);
        EXPECT_EQ(image.AlphaGet(1, 3), c.alpha);
    }
}

TEST(JasCodec, ColourSpacesAreConvertedToRgb)
{
    MadeFile ycc;
    ycc.space = OPJ_CLRSPC_SYCC;
    ycc.constants = {100, 150, 90};
    MadeFile cmyk;
    cmyk.components = 4;
    cmyk.constants = {0, 255, 0, 0};
    const struct {
        const char* name;
        Bytes file;
        BYTE red, green, blue;
    } cases[] = {
        {"8-bit sYCC", OpenJpegFile(ycc), 47, 120, 139},
        // The colour box's enumerated space (4 bytes from 7 after the box type) made CMYK (12).
        {"CMYK, the black not taken for opacity", PatchedBox(OpenJpegFile(cmyk), "colr", 9, 12),
         255, 0, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(image, c.file, RASTER_FORMAT_JP2)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 24);
        EXPECT_FALSE(image.AlphaIsValid());
        const RGBQUAD p = image.GetPixelColor(2, 1);
        EXPECT_NEAR(p.rgbRed, c.red, 1);
        EXPECT_NEAR(p.rgbGreen, c.green, 1);
        EXPECT_NEAR(p.rgbBlue, c.blue, 1);
    }
}

TEST(JasCodec, DeepGreyIsConvertedToColour)
{
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"12-bit code stream", OpenJpegFile(false, 1, 12, 4, 2)},
        {"12-bit PGX", Concat(Text("PG ML + 12 4 2\n"),
                              {0x00, 0x00, 0x00, 0x03, 0x00, 0x06, 0x00, 0x09, 0x00, 0x0C, 0x00,
                               0x0F, 0x00, 0x12, 0x0F, 0xFF})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(image, c.file, RASTER_FORMAT_PGX)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 24);
        EXPECT_EQ(image.GetWidth(), 4u);
        const RGBQUAD black = image.GetPixelColor(0, 1);
        EXPECT_EQ(black.rgbRed, 0);
        EXPECT_EQ(black.rgbBlue, 0);
    }
    CRasterImage pgx;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(pgx, cases[1].file, RASTER_FORMAT_PGX));
    const RGBQUAD white = pgx.GetPixelColor(3, 0); // 4095 of 4095
    EXPECT_EQ(white.rgbRed, 255);
    EXPECT_EQ(white.rgbGreen, 255);
}

TEST(JasCodec, SmallFormatHeadersAsWritten)
{
    CRasterImage grey, colour;
    MakeGrey(grey, 3, 2);
    FillPattern(colour, 3, 2, 24);
    const struct {
        CRasterImage* image;
        DWORD format;
        Bytes header;
        size_t size;
    } cases[] = {
        {&grey, RASTER_FORMAT_PGX, Text("PG ML + 8 3 2\n"), 14 + 6},
        {&grey, RASTER_FORMAT_PNM, Text("P5\n3 2\n255\n"), 11 + 6},
        {&colour, RASTER_FORMAT_PNM, Text("P6\n3 2\n255\n"), 11 + 18},
        {&grey, RASTER_FORMAT_RAS,
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 8, 0, 0, 0, 8, 0, 0, 0, 1, 0,
          0, 0, 0, 0, 0, 0, 0},
         32 + 8},
        {&colour, RASTER_FORMAT_RAS,
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 24, 0, 0, 0, 20, 0, 0, 0, 1, 0,
          0, 0, 0, 0, 0, 0, 0},
         32 + 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const Bytes file = orvo::test::EncodeToBytes(*c.image, c.format);
        ASSERT_EQ(file.size(), c.size);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + c.header.size()), c.header);
    }
    // Sun raster colour pixels are blue, green, red: top-left pixel right after the header.
    const Bytes ras = orvo::test::EncodeToBytes(colour, RASTER_FORMAT_RAS);
    const RGBQUAD topLeft = colour.GetPixelColor(0, 1);
    EXPECT_EQ(ras[32], topLeft.rgbBlue);
    EXPECT_EQ(ras[34], topLeft.rgbRed);
}

TEST(JasCodec, ReadsTheSmallFormatsVariants)
{
    const struct {
        const char* name;
        Bytes file;
        WORD bpp;
        long x, y; // a pixel, y from the top
        BYTE red, green, blue;
    } cases[] = {
        {"P1 text bitmap with a comment", Text("P1\n# made by hand\n3 2\n0 1 0\n101"), 1, 1, 0,
         0, 0, 0},
        {"P2 text grey of 4 bits", Text("P2 2 1 15\n0 15"), 4, 1, 0, 255, 255, 255},
        {"P3 text colour", Text("P3 1 1 255 10 20 30"), 24, 0, 0, 10, 20, 30},
        {"P4 binary bitmap", Concat(Text("P4 9 1\n"), {0x80, 0x80}), 1, 0, 0, 0, 0, 0},
        {"P5 binary grey", Concat(Text("P5 2 1 255\n"), {7, 200}), 8, 1, 0, 200, 200, 200},
        {"P5 of 16 bits", Concat(Text("P5 2 1 65535\n"), {0xFF, 0xFF, 0, 0}), 24, 0, 0, 255, 255,
         255},
        {"P6 binary colour", Concat(Text("P6 1 1 255\n"), {1, 2, 3}), 24, 0, 0, 1, 2, 3},
        // A maximum below the full range of the sample's bits is scaled to it.
        {"P6 of maximum 10", Concat(Text("P6 2 1 10\n"), {5, 10, 0, 10, 10, 10}), 24, 0, 0, 128,
         255, 0},
        {"P5 of maximum 200", Concat(Text("P5 1 1 200\n"), {100}), 24, 0, 0, 128, 128, 128},
        {"PGX little-endian signed", Concat(Text("PG LM - 8 2 1\n"), {0x80, 0x7F}), 8, 1, 0, 255,
         255, 255},
        {"Sun raster 8 bits with a colour map",
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, 1, 0,
          0, 0, 1, 0, 0, 0, 6, 10, 11, 20, 21, 30, 31, 0, 1},
         24, 1, 0, 11, 21, 31},
        {"Sun raster RGB order of 32 bits",
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 32, 0, 0, 0, 4, 0, 0, 0, 3, 0,
          0, 0, 0, 0, 0, 0, 0, 0, 40, 50, 60},
         24, 0, 0, 40, 50, 60},
        {"Sun raster run-length of 24 bits (runs, literals, an escaped 0x80)",
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 2, 0,
          0, 0, 0, 0, 0, 0, 0, 0x80, 0x02, 0x0A, 1, 2, 3, 0x80, 0x00, 4, 5, 0},
         24, 2, 0, 5, 4, 0x80},
        {"Sun raster 1 bit (1 is black)",
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0,
          0, 0, 0, 0, 0, 0, 0, 0x40, 0x00},
         1, 0, 0, 255, 255, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(image, c.file, RASTER_FORMAT_PNM)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), c.bpp);
        const RGBQUAD p = image.GetPixelColor(c.x, long(image.GetHeight()) - 1 - c.y);
        EXPECT_EQ(p.rgbRed, c.red);
        EXPECT_EQ(p.rgbGreen, c.green);
        EXPECT_EQ(p.rgbBlue, c.blue);
    }
}

TEST(JasCodec, RefusalsAndFailures)
{
    CRasterImage palette, colour, grey;
    FillPattern(palette, 4, 4, 4);
    FillPattern(colour, 4, 4, 24);
    MakeGrey(grey, 4, 4);
    const Bytes jp2 = OpenJpegFile(true, 3, 8, 4, 4);
    const struct {
        const char* name;
        CRasterImage* image;
        DWORD format;
        const char* error;
    } encodes[] = {
        {"16 colours", &palette, RASTER_FORMAT_JP2, "JasPer can save only RGB or GrayScale images"},
        {"colour as PGX", &colour, RASTER_FORMAT_PGX, "PGX can save only GrayScale images"},
    };
    for (const auto& c : encodes) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(orvo::test::EncodeToBytes(*c.image, c.format).empty());
        EXPECT_STREQ(c.image->GetLastError(), c.error);
    }
    const struct {
        const char* name;
        Bytes file;
        const char* error;
    } decodes[] = {
        {"not a family member", Text("hello, world"), "error: cannot load image data"},
        {"cut JP2", Bytes(jp2.begin(), jp2.begin() + 40), "error: cannot load image data"},
        {"PNM without size", Text("P5\n"), "error: cannot load image data"},
        {"PNM short data", Concat(Text("P5 4 4 255\n"), {1, 2, 3}), "error: cannot load image data"},
        {"PNM huge size", Text("P6 65535 65535 255\n"), "error: cannot load image data"},
        {"PGX of 20 bits", Concat(Text("PG ML + 20 1 1\n"), {0, 0, 0, 0}),
         "error: cannot load image data"},
        {"Sun raster, TIFF type",
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0,
          0, 0, 0, 0, 0, 0, 1, 2},
         "error: cannot load image data"},
        {"Sun raster, run-length far beyond its data",
         {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0x7F, 0xFF, 0, 0, 0x7F, 0xFF, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0,
          0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 1},
         "error: cannot load image data"},
    };
    for (const auto& c : decodes) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        EXPECT_FALSE(orvo::test::DecodeFromBytes(image, c.file, RASTER_FORMAT_JP2));
        EXPECT_STREQ(image.GetLastError(), c.error);
    }
}

TEST(Jpeg2000Stream, SeekReturnsTheNewPosition)
{
    Bytes data(40, 0);
    CRasterMemFile file(data.data(), int32_t(data.size()));
    file.Seek(5, SEEK_SET);
    Jpeg2000Stream bridge(file, true);
    ASSERT_NE(bridge.Get(), nullptr);
    EXPECT_EQ(bridge.Seek(3, SEEK_SET), 3);
    EXPECT_EQ(file.Tell(), 8);
    EXPECT_EQ(bridge.Seek(2, SEEK_CUR), 5);
    EXPECT_EQ(bridge.Seek(0, SEEK_END), 35);
    EXPECT_EQ(bridge.Seek(-1, SEEK_SET), -1); // before the start of the picture
    EXPECT_EQ(bridge.Seek(0, 7), -1);
    uint8_t buffer[8];
    EXPECT_EQ(bridge.Seek(30, SEEK_SET), 30);
    EXPECT_EQ(bridge.Read(buffer, sizeof(buffer)), 5u);
}

TEST(JasCodec, MalformedInputFailsCleanly)
{
    CRasterImage colour, grey;
    FillPattern(colour, 7, 5, 24);
    MakeGrey(grey, 6, 3);
    const std::vector<Bytes> files = {
        orvo::test::EncodeToBytes(colour, RASTER_FORMAT_JP2), orvo::test::EncodeToBytes(grey, RASTER_FORMAT_JPC),
        orvo::test::EncodeToBytes(grey, RASTER_FORMAT_PGX), orvo::test::EncodeToBytes(colour, RASTER_FORMAT_PNM),
        orvo::test::EncodeToBytes(colour, RASTER_FORMAT_RAS), Text("P3 2 1 255\n1 2 3 4 5 6\n"),
    };
    for (const Bytes& f : files)
        ASSERT_FALSE(f.empty());
    orvo::test::MalformedInputSweep(files, RASTER_FORMAT_JP2, 3600);
}

} // namespace
