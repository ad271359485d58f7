// DataBound: what the bytes of a file can fill. Every decoder asks before it takes a picture's
// memory, so that a few bytes never claim gigabytes and a refusal comes before the allocation.
#pragma once

#include <cstdint>

class CRasterFile;

class DataBound
{
public:
    // Pictures up to this many pixels are taken as they claim, whatever their data: a cut-short
    // file still shows what it holds, and the memory stays small.
    static constexpr uint64_t kPixelsTakenOnTrust = 16u * 1024u * 1024u;

    // Whether a picture of `pixels` is more than `dataBytes` can fill, when no byte of the
    // format's codings stands for more than `mostPixelsPerByte` pixels.
    static bool Overclaims(uint64_t pixels, uint64_t dataBytes, uint64_t mostPixelsPerByte);
    // The bytes of the stream from its position on (0 when it cannot tell).
    static uint64_t BytesLeft(CRasterFile& stream);
    // The bytes of the whole stream.
    static uint64_t FileBytes(CRasterFile& stream);
    // The most pixels a byte of deflate data fills at `bitsPerPixel` (deflate expands a byte
    // at most 1032 times).
    static uint64_t DeflatePixelsPerByte(uint64_t bitsPerPixel);
};
