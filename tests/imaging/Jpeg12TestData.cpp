#include "tests/imaging/Jpeg12TestData.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

// Apart from the 8-bit library's types of the same names (see imaging/Jpeg12Decoder.cpp).
namespace j12 {
#include <jpeg12/jpeglib.h>
} // namespace j12

using namespace j12;

namespace orvo::test {

// libjpeg's own error manager ends the test program on an error: these inputs are all valid.
std::vector<unsigned char> EncodeTwelveBitJpeg(unsigned width, unsigned height, int components,
                                               const TwelveBitSample& sample, bool progressive)
{
    jpeg_compress_struct cinfo = {};
    jpeg_error_mgr errors = {};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * components);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                row[size_t(x) * components + c] = static_cast<JSAMPLE>(sample(x, y, c));
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

} // namespace orvo::test
