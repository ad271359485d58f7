// CRasterImagePNG: the PNG format class (format code 4) over libpng 1.6. libpng parses, filters,
// interlaces and compresses; this class maps PNG colour types onto the image's depths, palette and
// alpha plane. libpng reports errors by a long jump back to the set-up point of the operation.
#pragma once

#include "imaging/CRasterImage.h"

struct PngDecodeJob;
struct PngEncodeJob;

class CRasterImagePNG : public CRasterImage
{
public:
    CRasterImagePNG() : CRasterImage(RASTER_FORMAT_PNG) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    // Works on a copy when the file needs changed pixels (a transparent index moved to 0, a
    // transparent colour turned into alpha): the image itself is never changed.
    bool Encode(CRasterFile* stream);

private:
    // The libpng parts: each sets its long-jump point and holds no object with a destructor.
    bool DecodePng(PngDecodeJob& job, CRasterFile* stream);
    bool Overclaimed(const PngDecodeJob& job, uint64_t bytesLeft);
    bool PrepareDecode(PngDecodeJob& job);
    bool CreateImage(PngDecodeJob& job);
    void ReadResolution(const PngDecodeJob& job);
    static void KeepPalette(PngDecodeJob& job);
    void ReadPalette(PngDecodeJob& job);
    bool ReadRows(PngDecodeJob& job);
    void LoadRow(const PngDecodeJob& job, DWORD y, BYTE* row) const;
    void StoreRow(const PngDecodeJob& job, DWORD y, const BYTE* row);
    static bool EncodePng(PngEncodeJob& job, CRasterFile* stream, const CRasterImagePNG& image);
    static void WritePalette(PngEncodeJob& job, const CRasterImagePNG& image);
    static void WriteRows(PngEncodeJob& job, const CRasterImagePNG& image);
};
