#include "imaging/CRasterImageJPG.h"

#include "imaging/CRasterIOFile.h"
#include "imaging/CRasterMemFile.h"
#include "imaging/DataBound.h"
#include "imaging/JpegStreamManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

struct JpegDecodeJob
{
    jpeg_decompress_struct cinfo;
    JPEGERRORMANAGER errors;
    JPEGSTREAMADAPTER adapter;
    JPEGSCANLIMIT scans;
};

namespace {

// libjpeg's own working memory (the coefficients of a progressive picture, its strips): a
// forged header must not make it take gigabytes before the first row is out.
constexpr long kJpegMaxMemory = 768L * 1024 * 1024;
// Scans of a progressive picture: ordinary scripts use ten or so. Each scan costs a pass over
// the whole picture, so a large picture gets fewer (never below kFewestScans).
constexpr int kMostScans = 100;
constexpr int kFewestScans = 32;
constexpr double kScanPixels = 400e6;

// A Huffman-coded block of 64 pixels takes at least one bit of the file in each component (its
// DC difference); arithmetic coding spends a small fraction of a bit on a block that repeats.
constexpr uint64_t kMostHuffmanPixelsPerByte = 512;
constexpr uint64_t kMostArithmeticPixelsPerByte = 65536;

bool Overclaimed(const jpeg_decompress_struct& cinfo, uint64_t fileBytes)
{
    const uint64_t pixels = uint64_t(cinfo.image_width) * cinfo.image_height;
    return DataBound::Overclaims(pixels, fileBytes, cinfo.arith_code ? kMostArithmeticPixelsPerByte
                                                                     : kMostHuffmanPixelsPerByte);
}

int ScanLimit(const jpeg_decompress_struct& cinfo)
{
    const double pixels = static_cast<double>(cinfo.image_width) * cinfo.image_height;
    const double allowed = pixels > 0 ? kScanPixels / pixels : kMostScans;
    return static_cast<int>(std::clamp(allowed, double(kFewestScans), double(kMostScans)));
}

} // namespace

struct JpegEncodeJob
{
    jpeg_compress_struct cinfo;
    JPEGERRORMANAGER errors;
    JPEGSTREAMADAPTER adapter;
};

CRasterImageJPG::CRasterImageJPG() : CRasterImage(RASTER_FORMAT_JPG), m_exifInfo()
{
}

CRasterImageJPG::~CRasterImageJPG() = default;

bool CRasterImageJPG::DecodeExif(CRasterFile* stream)
{
    if (stream == nullptr)
        return false;
    m_exifInfo = EXIFINFO();
    m_exif.reset(new (std::nothrow) CRasterExifInfo(&m_exifInfo));
    if (!m_exif)
        return false;
    const int32_t position = stream->Tell();
    m_exif->DecodeExif(stream, CRasterExifInfo::READ_EXIF);
    stream->Seek(position, SEEK_SET);
    return m_exifInfo.isExif;
}

bool CRasterImageJPG::DecodeExif(FILE* stream)
{
    CRasterIOFile file(stream);
    return DecodeExif(&file);
}

bool CRasterImageJPG::Decode(CRasterFile* stream)
{
    if (stream == nullptr)
        return false;
    const bool hasExif = DecodeExif(stream);
    // Plain records only: libjpeg leaves DecodeJpeg by a long jump on errors.
    JpegDecodeJob job = {};
    return DecodeJpeg(job, stream, hasExif);
}

bool CRasterImageJPG::DecodeJpeg(JpegDecodeJob& job, CRasterFile* stream, bool hasExif)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    cinfo.err = JpegInitErrorManager(job.errors, m_info.szLastError);
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kJpegMaxMemory;
    JpegAttachSource(&cinfo, job.adapter, stream);
    jpeg_read_header(&cinfo, TRUE);
    JpegLimitScans(&cinfo, job.scans, ScanLimit(cinfo));
    ApplyDecodeOptions(cinfo);
    if (m_info.nEscape == -1) {
        jpeg_calc_output_dimensions(&cinfo);
        m_header.biWidth = static_cast<LONG>(cinfo.output_width);
        m_header.biHeight = static_cast<LONG>(cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    // Three-component pictures come straight out in the DIB's blue, green, red order.
    const bool bgr = cinfo.out_color_space == JCS_RGB && !cinfo.quantize_colors;
    if (bgr)
        cinfo.out_color_space = JCS_EXT_BGR;
    // Refused before libjpeg starts: a progressive picture is read whole before the first row.
    jpeg_calc_output_dimensions(&cinfo);
    if (!FitsInMemory(cinfo.output_width, cinfo.output_height, 8 * cinfo.output_components))
        JpegFail(reinterpret_cast<j_common_ptr>(&cinfo), "RASTER_MAX_MEMORY exceeded");
    if (Overclaimed(cinfo, DataBound::FileBytes(*stream)))
        JpegFail(reinterpret_cast<j_common_ptr>(&cinfo), "JPEG: the picture is larger than its data can fill");
    jpeg_start_decompress(&cinfo);
    if (!Create(cinfo.output_width, cinfo.output_height, 8 * cinfo.output_components,
                RASTER_FORMAT_JPG)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    SetDecodedResolution(cinfo, hasExif);
    SetDecodedPalette(cinfo);
    JSAMPARRAY samples = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                    JPOOL_IMAGE,
                                                    cinfo.output_width * cinfo.output_components, 1);
    // The first decoded row is the top of the picture: the last stored row.
    for (DWORD y = GetHeight(); y-- > 0;) {
        if (m_info.nEscape != 0) {
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        if (bgr) {
            JSAMPROW row = GetBits(y); // a stored row holds at least width x 3 bytes
            jpeg_read_scanlines(&cinfo, &row, 1);
            continue;
        }
        jpeg_read_scanlines(&cinfo, samples, 1);
        StoreRow(cinfo, samples[0], GetBits(y));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return m_info.nEscape == 0;
}

void CRasterImageJPG::ApplyDecodeOptions(jpeg_decompress_struct& cinfo) const
{
    const DWORD options = GetCodecOption(RASTER_FORMAT_JPG);
    if (options & DEC_GRAYSCALE)
        cinfo.out_color_space = JCS_GRAYSCALE;
    if (options & DEC_QUANTIZE) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = m_info.nJpegQuality;
    }
    if (options & DEC_DITHER)
        cinfo.dither_mode = static_cast<J_DITHER_MODE>(m_ditherMode);
    if (options & DEC_ONE_PASS)
        cinfo.two_pass_quantize = FALSE;
    if (options & DEC_NO_FANCY_UPSAMPLING)
        cinfo.do_fancy_upsampling = FALSE;
    // 0 means full size (libjpeg-turbo would take a denominator of 0 as an enlargement).
    cinfo.scale_denom = m_info.nJpegScale != 0 ? m_info.nJpegScale : 1;
    // A picture wanted only at a small size decodes at the DCT scale that still covers it: far
    // less work than a full decode followed by a shrink.
    if (m_info.nJpegScale == 0 && m_info.dwFitBoxWidth != 0 && m_info.dwFitBoxHeight != 0)
        cinfo.scale_denom = ScaleDenominatorForBox(cinfo.image_width, cinfo.image_height,
                                                   m_info.dwFitBoxWidth, m_info.dwFitBoxHeight);
}

unsigned CRasterImageJPG::ScaleDenominatorForBox(DWORD width, DWORD height, DWORD boxWidth,
                                                 DWORD boxHeight)
{
    if (width == 0 || height == 0 || boxWidth == 0 || boxHeight == 0)
        return 1;
    const double w = width;
    const double h = height;
    const double upright = std::min(boxWidth / w, boxHeight / h);
    const double turned = std::min(boxWidth / h, boxHeight / w);
    const double scale = std::max(upright, turned);
    if (scale >= 1.0)
        return 1;
    const double neededWidth = std::ceil(w * scale);
    const double neededHeight = std::ceil(h * scale);
    for (unsigned denominator = 8; denominator > 1; denominator /= 2) {
        // libjpeg rounds a scaled side up.
        if (std::ceil(w / denominator) >= neededWidth && std::ceil(h / denominator) >= neededHeight)
            return denominator;
    }
    return 1;
}

void CRasterImageJPG::SetDecodedResolution(const jpeg_decompress_struct& cinfo, bool hasExif)
{
    if (hasExif) {
        const EXIFINFO& e = m_exifInfo;
        if (e.xResolution != 0 && e.resolutionUnit != 0)
            SetXDPI(static_cast<LONG>(e.xResolution / e.resolutionUnit));
        if (e.yResolution != 0 && e.resolutionUnit != 0)
            SetYDPI(static_cast<LONG>(e.yResolution / e.resolutionUnit));
    } else if (cinfo.density_unit == 2) {
        SetXDPI(static_cast<LONG>(std::floor(cinfo.X_density * 2.54 + 0.5)));
        SetYDPI(static_cast<LONG>(std::floor(cinfo.Y_density * 2.54 + 0.5)));
    } else {
        SetXDPI(cinfo.X_density);
        SetYDPI(cinfo.Y_density);
    }
}

void CRasterImageJPG::SetDecodedPalette(const jpeg_decompress_struct& cinfo)
{
    if (cinfo.quantize_colors) {
        const int n = cinfo.actual_number_of_colors;
        const int c = cinfo.out_color_components;
        SetPalette(static_cast<DWORD>(n), cinfo.colormap[0], c > 1 ? cinfo.colormap[1] : nullptr,
                   c > 2 ? cinfo.colormap[2] : nullptr);
        m_header.biClrUsed = static_cast<DWORD>(n);
    } else if (cinfo.out_color_space == JCS_GRAYSCALE) {
        SetGrayPalette();
        m_header.biClrUsed = 256;
    }
}

void CRasterImageJPG::StoreRow(const jpeg_decompress_struct& cinfo, const BYTE* samples,
                               BYTE* row) const
{
    const size_t stride = GetEffWidth();
    if (cinfo.output_components == 4 && !cinfo.quantize_colors) {
        // CMYK as Adobe writes it (inverted): the fourth sample scales the other three.
        const size_t pixels = std::min<size_t>(stride / 3, cinfo.output_width);
        for (size_t x = 0; x < pixels; ++x) {
            const BYTE* s = samples + 4 * x;
            row[3 * x] = static_cast<BYTE>(s[3] * s[2] / 255);
            row[3 * x + 1] = static_cast<BYTE>(s[3] * s[1] / 255);
            row[3 * x + 2] = static_cast<BYTE>(s[3] * s[0] / 255);
        }
        return;
    }
    const size_t bytes = size_t(cinfo.output_width) * cinfo.output_components;
    std::memcpy(row, samples, std::min(stride, bytes));
}

bool CRasterImageJPG::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    // Only 8-bit grey images go out as one-component files: their indices are the grey levels.
    const bool grey = GetBpp() == 8 && IsGrayScale();
    if (IsIndexed() && !grey) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    JpegEncodeJob job = {};
    if (m_exif && m_exifInfo.isExif) {
        // The Exif block is spliced in memory, so a failure leaves the stream unwritten.
        CRasterMemFile memory;
        return memory.Open() && EncodeJpeg(job, &memory, grey) && SpliceExif(memory, *stream);
    }
    return EncodeJpeg(job, stream, grey);
}

bool CRasterImageJPG::EncodeJpeg(JpegEncodeJob& job, CRasterFile* stream, bool grey)
{
    jpeg_compress_struct& cinfo = job.cinfo;
    cinfo.err = JpegInitErrorManager(job.errors, m_info.szLastError);
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    JpegAttachDestination(&cinfo, job.adapter, stream);
    cinfo.image_width = GetWidth();
    cinfo.image_height = GetHeight();
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    ApplyEncodeOptions(cinfo);
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(GetXDPI());
    cinfo.Y_density = static_cast<UINT16>(GetYDPI());
    jpeg_start_compress(&cinfo, TRUE);
    const DWORD stride = GetEffWidth();
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                stride + 8, 1);
    for (DWORD y = GetHeight(); y-- > 0;) {
        std::memcpy(row[0], GetBits(y), stride);
        RGBtoBGR(row[0], static_cast<int>(stride)); // nothing for grey images
        jpeg_write_scanlines(&cinfo, row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

void CRasterImageJPG::ApplyEncodeOptions(jpeg_compress_struct& cinfo) const
{
    const DWORD options = GetCodecOption(RASTER_FORMAT_JPG);
    if (options & ENC_ARITHMETIC)
        cinfo.arith_code = TRUE;
    if (options & ENC_OPTIMIZE)
        cinfo.optimize_coding = TRUE;
    if (options & ENC_GRAYSCALE)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (options & ENC_SMOOTHING)
        cinfo.smoothing_factor = m_smoothingFactor;
    jpeg_set_quality(&cinfo, m_info.nJpegQuality, (options & ENC_BASELINE) ? TRUE : FALSE);
    if (options & ENC_PROGRESSIVE)
        jpeg_simple_progression(&cinfo);
}

bool CRasterImageJPG::SpliceExif(CRasterFile& encoded, CRasterFile& stream)
{
    m_exif->DiscardAllButExif();
    if (!encoded.Seek(0, SEEK_SET) ||
        !m_exif->DecodeExif(&encoded, CRasterExifInfo::READ_IMAGE) ||
        !m_exif->EncodeExif(&stream)) {
        SetLastError(m_exif->GetLastError()[0] ? m_exif->GetLastError()
                                               : "Can't write exif : didn't read all");
        return false;
    }
    return true;
}
