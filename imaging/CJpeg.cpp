#include "imaging/CJpeg.h"

#include "imaging/CDib.h"
#include "imaging/DibRows.h"
#include "imaging/PackedDib.h"
#include "imaging/ReplacingFile.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

#include <jpeglib.h>

namespace {

// libjpeg's error manager with an exit that returns to the writer instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info)
{
    ErrorManager* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    longjmp(err->jump, 1);
}

struct Picture {
    const uint8_t* rows;
    int width, height, components, quality, density;
};

// Runs the compressor over the picture into file. Holds nothing that needs a destructor, so the
// error exit may jump out of it; the caller owns the file and the rows.
bool Compress(const Picture& picture, FILE* file, ErrorManager& err)
{
    jpeg_compress_struct c;
    c.err = jpeg_std_error(&err.base);
    err.base.error_exit = ErrorExit;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        return false;
    }
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, file);
    c.image_width = JDIMENSION(picture.width);
    c.image_height = JDIMENSION(picture.height);
    c.input_components = picture.components;
    c.in_color_space = picture.components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, picture.quality, TRUE);
    c.density_unit = 1;
    c.X_density = UINT16(picture.density);
    c.Y_density = UINT16(picture.density);
    jpeg_start_compress(&c, TRUE);
    const size_t rowSize = size_t(picture.width) * picture.components;
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.rows + rowSize * c.next_scanline);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return true;
}

} // namespace

CJpeg::CJpeg() : m_errorText("No Error")
{
}

CJpeg::~CJpeg() = default;

void CJpeg::SetImage(std::unique_ptr<CDib> image)
{
    m_image = std::move(image);
}

int CJpeg::SaveDib(const char* path, CDib* image, bool color, int quality)
{
    CDib* source = image ? image : m_image.get();
    CDib copy;
    if (!source || !AttachDibCopy(copy, CopyDibHandle(source->GetHandle())))
        return 0;
    // A file needs a density: an image whose resolution was never set gets JFIF's usual 72.
    const int density = source->GetResolution() > 0 ? source->GetResolution() : 72;
    return SaveCopy(path, copy, color, quality, density);
}

int CJpeg::SaveDibMemory(const char* path, const void* packedDib, size_t size, bool color,
                         int quality)
{
    CDib copy;
    if (!packedDib || size == 0 || !AttachDibCopy(copy, CopyToDibHandle(packedDib, size)))
        return 0;
    return SaveCopy(path, copy, color, quality, 72);
}

int CJpeg::SaveCopy(const char* path, CDib& copy, bool color, int quality, int density)
{
    if (copy.GetBitCount() != 24 && !copy.ChangeBitCount(24))
        return 0;
    const int width = copy.GetWidth(), height = copy.GetHeight();
    const size_t stride = (size_t(width) * 24 + 31) / 32 * 4;
    RowBuffer rows = PackDibRows24(copy.GetBits(), width, stride, height);
    if (!rows || !FlipRows(rows.get(), size_t(width) * 3, height)
        || !SwapRedBlue(rows.get(), width, height))
        return 0;
    return WriteJpeg(path, rows.get(), width, height, color, quality, density);
}

int CJpeg::WriteJpeg(const char* path, const uint8_t* rgb, int width, int height, bool color,
                     int quality, int density)
{
    if (!rgb || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION
        || height > JPEG_MAX_DIMENSION)
        return 0;
    Picture picture = {rgb, width, height, color ? 3 : 1, quality, density};
    std::unique_ptr<uint8_t[]> grey;
    if (!color) {
        const size_t pixels = size_t(width) * size_t(height);
        grey.reset(new (std::nothrow) uint8_t[pixels]);
        if (!grey) {
            m_errorText = "Memory error";
            return 0;
        }
        for (size_t i = 0; i < pixels; ++i) {
            const uint8_t* p = rgb + i * 3;
            grey[i] = uint8_t(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]);
        }
        picture.rows = grey.get();
    }
    ReplacingFile file;
    if (!file.Open(path)) {
        m_errorText = std::string("JpegFile :\nCan't open ") + (path ? path : "") + "\n";
        return 0;
    }
    ErrorManager err = {};
    if (!Compress(picture, file.Stream(), err)) {
        m_errorText = err.message;
        return 0;
    }
    if (!file.Commit()) {
        m_errorText = "Write Error in JPEG file";
        return 0;
    }
    return 1;
}
