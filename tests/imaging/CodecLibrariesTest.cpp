// The codec libraries are linked the way the program links them and really work: a tiny picture
// goes through each encoder and comes back unchanged (or nearly, for JPEG).
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <libmng.h>
#include <openjpeg.h>
#include <zlib.h>

namespace {

constexpr int kWidth = 8;
constexpr int kHeight = 4;

std::vector<unsigned char> Gradient()
{
    std::vector<unsigned char> rgb(kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            unsigned char* p = &rgb[(y * kWidth + x) * 3];
            p[0] = static_cast<unsigned char>(x * 32);
            p[1] = static_cast<unsigned char>(y * 64);
            p[2] = 128;
        }
    return rgb;
}

TEST(CodecLibraries, JpegRoundTripKeepsColoursClose)
{
    const std::vector<unsigned char> rgb = Gradient();
    jpeg_compress_struct c = {};
    jpeg_error_mgr err = {};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    // No chroma subsampling: an 8x4 picture with sharp steps would otherwise blur by design.
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&rgb[c.next_scanline * kWidth * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    ASSERT_GT(size, 100u);

    jpeg_decompress_struct d = {};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, buffer, size);
    ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
    jpeg_start_decompress(&d);
    std::vector<unsigned char> out(kWidth * kHeight * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &out[d.output_scanline * kWidth * 3];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    free(buffer);
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_NEAR(out[i], rgb[i], 12) << "byte " << i;
}

TEST(CodecLibraries, PngRoundTripIsExact)
{
    const std::vector<unsigned char> rgb = Gradient();
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr));
    std::vector<unsigned char> encoded(size);
    ASSERT_TRUE(png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), 0, nullptr));

    png_image back = {};
    back.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&back, encoded.data(), size));
    back.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> out(PNG_IMAGE_SIZE(back));
    ASSERT_TRUE(png_image_finish_read(&back, nullptr, out.data(), 0, nullptr));
    EXPECT_EQ(out, rgb);
    EXPECT_STREQ(png_get_libpng_ver(nullptr), PNG_LIBPNG_VER_STRING);
}

TEST(CodecLibraries, TiffRoundTripWithDeflateIsExact)
{
    const std::vector<unsigned char> rgb = Gradient();
    orvo::test::TempDir dir;
    const std::string path = dir / "tiny.tif";
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    for (int y = 0; y < kHeight; ++y)
        ASSERT_EQ(TIFFWriteScanline(tif, const_cast<unsigned char*>(&rgb[y * kWidth * 3]), y, 0), 1);
    TIFFClose(tif);

    tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    std::vector<unsigned char> out(kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        ASSERT_EQ(TIFFReadScanline(tif, &out[y * kWidth * 3], y, 0), 1);
    TIFFClose(tif);
    EXPECT_EQ(out, rgb);
    EXPECT_TRUE(TIFFIsCODECConfigured(COMPRESSION_JPEG));
    EXPECT_TRUE(TIFFIsCODECConfigured(COMPRESSION_LZW));
}

TEST(CodecLibraries, MngAndOpenJpegAndZlibAnswer)
{
    EXPECT_STREQ(mng_version_text(), MNG_VERSION_TEXT);
    EXPECT_EQ(std::string(opj_version()).substr(0, 3), "2.5");
    EXPECT_EQ(std::string(zlibVersion()).substr(0, 2), "1.");
}

} // namespace
