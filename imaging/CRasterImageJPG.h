// CRasterImageJPG: the JPEG format class (format code 3) over libjpeg, with its own source,
// destination and error managers over the raster streams. Before decoding it reads the file's Exif
// block; an object that holds Exif data writes it back into the JPEG it encodes.
#pragma once

#include "imaging/CRasterExifInfo.h"
#include "imaging/CRasterImage.h"
#include "imaging/JpegDecodeOptions.h"

#include <cstdio>
#include <memory>

#include <jpeglib.h>

struct JpegDecodeJob;
struct JpegEncodeJob;

class CRasterImageJPG : public CRasterImage
{
public:
    CRasterImageJPG();
    ~CRasterImageJPG() override;

    // Codec option bits (the image's option word for format code 3).
    enum : DWORD {
        ENC_BASELINE = 0x01,
        ENC_ARITHMETIC = 0x02,
        ENC_GRAYSCALE = 0x04,
        ENC_OPTIMIZE = 0x08,
        ENC_PROGRESSIVE = 0x10,
        ENC_SMOOTHING = 0x40,
        DEC_GRAYSCALE = 0x80,
        DEC_QUANTIZE = 0x100,
        DEC_DITHER = 0x200,
        DEC_ONE_PASS = 0x400,
        DEC_NO_FANCY_UPSAMPLING = 0x800,
    };

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

    // Reads the Exif block (a second read replaces the first); the stream is put back where it
    // was. True when the file has Exif data.
    bool DecodeExif(CRasterFile* stream);
    bool DecodeExif(FILE* stream);

    // The DCT scale denominator (1, 2, 4 or 8) that decodes a width x height picture as small as
    // it can while it still covers its fit into the box, whichever way up it is shown (Exif
    // orientation turns it after decoding). 1 for an empty box or image.
    static unsigned ScaleDenominatorForBox(DWORD width, DWORD height, DWORD boxWidth,
                                           DWORD boxHeight);

    const EXIFINFO& GetExifInfo() const { return m_exifInfo; }
    void SetSmoothingFactor(int factor) { m_smoothingFactor = factor; }
    void SetDitherMode(int mode) { m_ditherMode = mode; }

private:
    // The libjpeg parts: each sets its long-jump point and holds no object with a destructor.
    bool DecodeJpeg(JpegDecodeJob& job, CRasterFile* stream, bool hasExif);
    bool EncodeJpeg(JpegEncodeJob& job, CRasterFile* stream, bool grey);
    void ApplyEncodeOptions(jpeg_compress_struct& cinfo) const;
    // Files of 12-bit samples, which the 8-bit library refuses, through the second library.
    bool DecodeTwelveBit(CRasterFile* stream, bool hasExif);
    JpegDecodeOptions DecodeOptions(DWORD imageWidth, DWORD imageHeight) const;
    // A refusal (its text set) of a picture that cannot be held or that its data cannot fill.
    bool RefuseOutput(DWORD width, DWORD height, int components, bool arithmetic,
                      CRasterFile& stream);
    void SetDecodedResolution(int densityUnit, unsigned xDensity, unsigned yDensity, bool hasExif);
    // A quantized picture's colours (colours entries of up to three component maps) or, for
    // grey output, the grey scale.
    void SetDecodedPalette(bool quantized, bool grey, int colours, const BYTE* const* maps,
                           int components);
    void StoreRow(int components, bool quantized, DWORD width, const BYTE* samples,
                  BYTE* row) const;
    bool SpliceExif(CRasterFile& encoded, CRasterFile& stream);

    std::unique_ptr<CRasterExifInfo> m_exif;
    EXIFINFO m_exifInfo;
    int m_smoothingFactor = 0;
    int m_ditherMode = 0;
};
