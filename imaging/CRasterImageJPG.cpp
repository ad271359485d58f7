#include "imaging/CRasterImageJPG.h"

#include "imaging/CRasterIOFile.h"
#include "imaging/CRasterMemFile.h"
#include "imaging/DataBound.h"
#include "imaging/Jpeg12Decoder.h"
#include "imaging/JpegStreamManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

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

bool Overclaimed(DWORD width, DWORD height, bool arithmetic, uint64_t fileBytes)
{
    const uint64_t pixels = uint64_t(width) * height;
    return DataBound::Overclaims(pixels, fileBytes, arithmetic ? kMostArithmeticPixelsPerByte
                                                               : kMostHuffmanPixelsPerByte);
}

int ScanLimit(DWORD width, DWORD height)
{
    const double pixels = static_cast<double>(width) * height;
    const double allowed = pixels > 0 ? kScanPixels / pixels : kMostScans;
    return static_cast<int>(std::clamp(allowed, double(kFewestScans), double(kMostScans)));
}

// What libjpeg says of a file whose samples are not 8 bits wide.
bool IsTwelveBit(const JpegDecodeJob& job)
{
    return job.errors.pub.msg_code == JERR_BAD_PRECISION && job.cinfo.data_precision == 12;
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
    const int32_t start = stream->Tell();
    if (setjmp(job.errors.jump)) {
        const bool twelveBit = IsTwelveBit(job);
        jpeg_destroy_decompress(&cinfo);
        return twelveBit && stream->Seek(start, SEEK_SET) && DecodeTwelveBit(stream, hasExif);
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kJpegMaxMemory;
    JpegAttachSource(&cinfo, job.adapter, stream);
    jpeg_read_header(&cinfo, TRUE);
    JpegLimitScans(&cinfo, job.scans, ScanLimit(cinfo.image_width, cinfo.image_height));
    const JpegDecodeOptions options = DecodeOptions(cinfo.image_width, cinfo.image_height);
    m_info.nDecodedScale = static_cast<BYTE>(options.scaleDenominator);
    JpegApplyDecodeOptions(&cinfo, options);
    if (m_info.nEscape == -1) {
        jpeg_calc_output_dimensions(&cinfo);
        m_header.biWidth = static_cast<LONG>(cinfo.output_width);
        m_header.biHeight = static_cast<LONG>(cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    // Three-component pictures come straight out in the DIB's blue, green, red order.
    const bool bgr = JpegOutputBgr(&cinfo);
    // Refused before libjpeg starts: a progressive picture is read whole before the first row.
    jpeg_calc_output_dimensions(&cinfo);
    if (RefuseOutput(cinfo.output_width, cinfo.output_height, cinfo.output_components,
                     cinfo.arith_code != FALSE, *stream)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    if (!CreateFullyWritten(cinfo.output_width, cinfo.output_height, 8 * cinfo.output_components,
                RASTER_FORMAT_JPG)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    SetDecodedResolution(cinfo.density_unit, cinfo.X_density, cinfo.Y_density, hasExif);
    SetDecodedPalette(cinfo.quantize_colors != FALSE, cinfo.out_color_space == JCS_GRAYSCALE,
                      cinfo.actual_number_of_colors, cinfo.colormap, cinfo.out_color_components);
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
        StoreRow(cinfo.output_components, cinfo.quantize_colors != FALSE, cinfo.output_width,
                 samples[0], GetBits(y));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return m_info.nEscape == 0;
}

bool CRasterImageJPG::DecodeTwelveBit(CRasterFile* stream, bool hasExif)
{
    SetLastError(""); // the 8-bit library's refusal
    Jpeg12Decoder decoder(*stream, m_info.szLastError, kJpegMaxMemory);
    if (!decoder.ReadHeader())
        return false;
    const DWORD imageWidth = decoder.ImageWidth();
    const DWORD imageHeight = decoder.ImageHeight();
    const JpegDecodeOptions options = DecodeOptions(imageWidth, imageHeight);
    m_info.nDecodedScale = static_cast<BYTE>(options.scaleDenominator);
    if (!decoder.Plan(options, ScanLimit(imageWidth, imageHeight)))
        return false;
    const DWORD width = decoder.OutputWidth();
    const DWORD height = decoder.OutputHeight();
    const int components = decoder.OutputComponents();
    if (m_info.nEscape == -1) {
        m_header.biWidth = static_cast<LONG>(width);
        m_header.biHeight = static_cast<LONG>(height);
        return true;
    }
    if (RefuseOutput(width, height, components, decoder.Arithmetic(), *stream) ||
        !decoder.Start() || !CreateFullyWritten(width, height, 8 * components, RASTER_FORMAT_JPG))
        return false;
    SetDecodedResolution(decoder.DensityUnit(), decoder.XDensity(), decoder.YDensity(), hasExif);
    const int colours = decoder.Quantized() ? decoder.ColourCount() : 0;
    std::vector<BYTE> map[3];
    const BYTE* maps[3] = {};
    for (int c = 0; c < decoder.ColourComponents() && c < 3 && colours > 0; ++c) {
        for (int i = 0; i < colours; ++i)
            map[c].push_back(decoder.Colour(c, i));
        maps[c] = map[c].data();
    }
    SetDecodedPalette(decoder.Quantized(), decoder.Grey(), colours, maps,
                      decoder.ColourComponents());
    std::vector<BYTE> samples(size_t(width) * components);
    for (DWORD y = GetHeight(); y-- > 0;) {
        if (m_info.nEscape != 0 || !decoder.ReadRow(samples.data()))
            return false;
        StoreRow(components, decoder.Quantized(), width, samples.data(), GetBits(y));
    }
    return decoder.Finish() && m_info.nEscape == 0;
}

bool CRasterImageJPG::RefuseOutput(DWORD width, DWORD height, int components, bool arithmetic,
                                   CRasterFile& stream)
{
    if (!FitsInMemory(width, height, 8 * components)) {
        SetLastError("RASTER_MAX_MEMORY exceeded");
        return true;
    }
    if (Overclaimed(width, height, arithmetic, DataBound::FileBytes(stream))) {
        SetLastError("JPEG: the picture is larger than its data can fill");
        return true;
    }
    return false;
}

JpegDecodeOptions CRasterImageJPG::DecodeOptions(DWORD imageWidth, DWORD imageHeight) const
{
    const DWORD codecOptions = GetCodecOption(RASTER_FORMAT_JPG);
    JpegDecodeOptions options;
    options.grey = (codecOptions & DEC_GRAYSCALE) != 0;
    options.quantize = (codecOptions & DEC_QUANTIZE) != 0;
    options.colours = m_info.nJpegQuality;
    options.dither = (codecOptions & DEC_DITHER) != 0;
    options.ditherMode = m_ditherMode;
    options.onePass = (codecOptions & DEC_ONE_PASS) != 0;
    options.noFancyUpsampling = (codecOptions & DEC_NO_FANCY_UPSAMPLING) != 0;
    // 0 means full size (libjpeg-turbo would take a denominator of 0 as an enlargement).
    options.scaleDenominator = m_info.nJpegScale != 0 ? m_info.nJpegScale : 1;
    // A picture wanted only at a small size decodes at the DCT scale that still covers it: far
    // less work than a full decode followed by a shrink.
    if (m_info.nJpegScale == 0 && m_info.dwFitBoxWidth != 0 && m_info.dwFitBoxHeight != 0)
        options.scaleDenominator = ScaleDenominatorForBox(imageWidth, imageHeight,
                                                          m_info.dwFitBoxWidth,
                                                          m_info.dwFitBoxHeight);
    return options;
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

void CRasterImageJPG::SetDecodedResolution(int densityUnit, unsigned xDensity, unsigned yDensity,
                                           bool hasExif)
{
    if (hasExif) {
        const EXIFINFO& e = m_exifInfo;
        if (e.xResolution != 0 && e.resolutionUnit != 0)
            SetXDPI(static_cast<LONG>(e.xResolution / e.resolutionUnit));
        if (e.yResolution != 0 && e.resolutionUnit != 0)
            SetYDPI(static_cast<LONG>(e.yResolution / e.resolutionUnit));
    } else if (densityUnit == 2) {
        SetXDPI(static_cast<LONG>(std::floor(xDensity * 2.54 + 0.5)));
        SetYDPI(static_cast<LONG>(std::floor(yDensity * 2.54 + 0.5)));
    } else {
        SetXDPI(static_cast<LONG>(xDensity));
        SetYDPI(static_cast<LONG>(yDensity));
    }
}

void CRasterImageJPG::SetDecodedPalette(bool quantized, bool grey, int colours,
                                        const BYTE* const* maps, int components)
{
    if (quantized) {
        SetPalette(static_cast<DWORD>(colours), maps[0], components > 1 ? maps[1] : nullptr,
                   components > 2 ? maps[2] : nullptr);
        m_header.biClrUsed = static_cast<DWORD>(colours);
    } else if (grey) {
        SetGrayPalette();
        m_header.biClrUsed = 256;
    }
}

void CRasterImageJPG::StoreRow(int components, bool quantized, DWORD width, const BYTE* samples,
                               BYTE* row) const
{
    const size_t stride = GetEffWidth();
    if (components == 4 && !quantized) {
        // CMYK as Adobe writes it (inverted): the fourth sample scales the other three.
        const size_t pixels = std::min<size_t>(stride / 3, width);
        for (size_t x = 0; x < pixels; ++x) {
            const BYTE* s = samples + 4 * x;
            row[3 * x] = static_cast<BYTE>(s[3] * s[2] / 255);
            row[3 * x + 1] = static_cast<BYTE>(s[3] * s[1] / 255);
            row[3 * x + 2] = static_cast<BYTE>(s[3] * s[0] / 255);
        }
        return;
    }
    const size_t bytes = size_t(width) * components;
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
