// The registration point of the format classes: one entry per raster format code, with the
// adapters that run a format class for the load and save dispatch of CRasterImage. A format whose
// class is not built has an empty entry: detection skips it, and asking for it by code fails with
// "Decode: Unknown or wrong format" or "Encode: Unknown format".
#pragma once

#include "imaging/CRasterImage.h"
#include "imaging/CRasterFile.h"

// Runs one format on a stream for the image. imageType is the code the dispatch was asked for
// (0 while detecting); only the JPEG-2000 family class needs it.
using RasterDecodeFn = bool (*)(CRasterImage& image, CRasterFile& stream, DWORD imageType);
using RasterEncodeFn = bool (*)(CRasterImage& image, CRasterFile& stream, DWORD imageType);

struct RASTERCODEC
{
    RasterDecodeFn decode; // null when the format cannot be read
    RasterEncodeFn encode; // null when the format cannot be written
};

// The entry of a format code 1..16; null for other codes and for formats not built.
const RASTERCODEC* FindRasterCodec(DWORD imageType);

// Detection tries the formats in this fixed order (cheapest and most common first); the last entry
// stands for the JPEG-2000 family reader, which detects its coding itself when given code 0.
struct RASTERDETECTSTEP
{
    DWORD tableCode;  // entry of the table to run
    DWORD passedCode; // code handed to the format
};
extern const RASTERDETECTSTEP kRasterDetectionOrder[12];

// Runs a decode call on a fresh format object TFormat: hands it the caller's settings, decodes and
// moves the result into the caller. A failure leaves the caller's picture and copies only the
// format's error text. No exception leaves a codec.
template <class TFormat, class Call>
bool DecodeWithCall(CRasterImage& image, Call call)
{
    TFormat format;
    format.CopyInfo(image);
    bool decoded = false;
    try {
        decoded = call(format);
    } catch (...) {
        format.SetLastError("Decode: exception in the format reader");
        decoded = false;
    }
    if (decoded)
        return image.Transfer(format);
    image.SetLastError(format.GetLastError());
    return false;
}

// Runs an encode call on a format object TFormat that borrows the caller's buffers as a ghost and
// writes them; nothing is copied or freed.
template <class TFormat, class Call>
bool EncodeWithCall(CRasterImage& image, Call call)
{
    TFormat format;
    format.Ghost(&image);
    bool encoded = false;
    try {
        encoded = call(format);
    } catch (...) {
        format.SetLastError("Encode: exception in the format writer");
        encoded = false;
    }
    if (!encoded)
        image.SetLastError(format.GetLastError());
    return encoded;
}

// Adapters for a format class TFormat with Decode(CRasterFile*) and Encode(CRasterFile*).
template <class TFormat>
bool DecodeWithFormat(CRasterImage& image, CRasterFile& stream, DWORD)
{
    return DecodeWithCall<TFormat>(image, [&stream](TFormat& f) { return f.Decode(&stream); });
}

template <class TFormat>
bool EncodeWithFormat(CRasterImage& image, CRasterFile& stream, DWORD)
{
    return EncodeWithCall<TFormat>(image, [&stream](TFormat& f) { return f.Encode(&stream); });
}
