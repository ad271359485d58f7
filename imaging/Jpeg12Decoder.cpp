#include "imaging/Jpeg12Decoder.h"

#include "imaging/CRasterFile.h"

#include <windows.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

// The 12-bit library's types live in a namespace of their own: its structures have the 8-bit
// library's names with other members (JSAMPLE is 16 bits wide), and its glue functions would
// otherwise have the same names as the 8-bit glue's. Its functions are told apart by their
// prefixed names (its jpeglib.h maps each public name onto the prefixed one).
namespace j12 {
#include <jpeg12/jpeglib.h>
#include <jpeg12/jerror.h>

#include "imaging/JpegGlue.h"
#include "imaging/JpegGlueCode.h"
} // namespace j12

using namespace j12;

namespace {

// Samples of 0..MAXJSAMPLE (4095) to the nearest of 0..255.
uint8_t ToEightBits(JSAMPLE sample)
{
    const int value = std::clamp<int>(sample, 0, MAXJSAMPLE);
    return static_cast<uint8_t>((value * 255 + MAXJSAMPLE / 2) / MAXJSAMPLE);
}

} // namespace

// A plain record: libjpeg leaves the steps by long jumps to the jump buffer in errors.
struct Jpeg12Decoder::Job
{
    jpeg_decompress_struct cinfo;
    JPEGERRORMANAGER errors;
    JPEGSTREAMADAPTER adapter;
    JPEGSCANLIMIT scans;
    JSAMPARRAY row;
};

Jpeg12Decoder::Jpeg12Decoder(CRasterFile& stream, char* lastError, long maxMemory)
    : m_job(std::make_unique<Job>()), m_stream(stream), m_lastError(lastError),
      m_maxMemory(maxMemory)
{
}

// A libjpeg object that was never created (all zero) is destroyed without harm.
Jpeg12Decoder::~Jpeg12Decoder()
{
    jpeg_destroy_decompress(&m_job->cinfo);
}

bool Jpeg12Decoder::ReadHeader()
{
    jpeg_decompress_struct& cinfo = m_job->cinfo;
    cinfo.err = JpegInitErrorManager(m_job->errors, m_lastError);
    if (setjmp(m_job->errors.jump))
        return false;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = m_maxMemory;
    JpegAttachSource(&cinfo, m_job->adapter, &m_stream);
    jpeg_read_header(&cinfo, TRUE);
    return true;
}

uint32_t Jpeg12Decoder::ImageWidth() const
{
    return m_job->cinfo.image_width;
}

uint32_t Jpeg12Decoder::ImageHeight() const
{
    return m_job->cinfo.image_height;
}

bool Jpeg12Decoder::Arithmetic() const
{
    return m_job->cinfo.arith_code != FALSE;
}

int Jpeg12Decoder::DensityUnit() const
{
    return m_job->cinfo.density_unit;
}

unsigned Jpeg12Decoder::XDensity() const
{
    return m_job->cinfo.X_density;
}

unsigned Jpeg12Decoder::YDensity() const
{
    return m_job->cinfo.Y_density;
}

bool Jpeg12Decoder::Plan(const JpegDecodeOptions& options, int maxScans)
{
    jpeg_decompress_struct& cinfo = m_job->cinfo;
    if (setjmp(m_job->errors.jump))
        return false;
    JpegLimitScans(&cinfo, m_job->scans, maxScans);
    JpegApplyDecodeOptions(&cinfo, options);
    JpegOutputBgr(&cinfo);
    jpeg_calc_output_dimensions(&cinfo);
    return true;
}

uint32_t Jpeg12Decoder::OutputWidth() const
{
    return m_job->cinfo.output_width;
}

uint32_t Jpeg12Decoder::OutputHeight() const
{
    return m_job->cinfo.output_height;
}

int Jpeg12Decoder::OutputComponents() const
{
    return m_job->cinfo.output_components;
}

bool Jpeg12Decoder::Grey() const
{
    return m_job->cinfo.out_color_space == JCS_GRAYSCALE;
}

bool Jpeg12Decoder::Quantized() const
{
    return m_job->cinfo.quantize_colors != FALSE;
}

bool Jpeg12Decoder::Start()
{
    jpeg_decompress_struct& cinfo = m_job->cinfo;
    if (setjmp(m_job->errors.jump))
        return false;
    jpeg_start_decompress(&cinfo);
    m_job->row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                            cinfo.output_width * cinfo.output_components, 1);
    return true;
}

int Jpeg12Decoder::ColourCount() const
{
    return m_job->cinfo.actual_number_of_colors;
}

int Jpeg12Decoder::ColourComponents() const
{
    return m_job->cinfo.out_color_components;
}

uint8_t Jpeg12Decoder::Colour(int component, int index) const
{
    return ToEightBits(m_job->cinfo.colormap[component][index]);
}

bool Jpeg12Decoder::ReadRow(uint8_t* samples)
{
    if (!ReadScanline())
        return false;
    const jpeg_decompress_struct& cinfo = m_job->cinfo;
    const size_t count = size_t(cinfo.output_width) * cinfo.output_components;
    const JSAMPLE* row = m_job->row[0];
    if (cinfo.quantize_colors) {
        // Colour indices stay below the 256 colours asked for at most.
        std::transform(row, row + count, samples,
                       [](JSAMPLE index) { return static_cast<uint8_t>(index); });
        return true;
    }
    std::transform(row, row + count, samples, ToEightBits);
    return true;
}

// Apart from ReadRow: nothing of a frame that sets a jump point may live across libjpeg's calls.
bool Jpeg12Decoder::ReadScanline()
{
    if (setjmp(m_job->errors.jump))
        return false;
    jpeg_read_scanlines(&m_job->cinfo, m_job->row, 1);
    return true;
}

bool Jpeg12Decoder::Finish()
{
    if (setjmp(m_job->errors.jump))
        return false;
    jpeg_finish_decompress(&m_job->cinfo);
    return true;
}
