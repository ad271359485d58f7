#include "imaging/DataBound.h"

#include "imaging/CRasterFile.h"

#include <algorithm>

bool DataBound::Overclaims(uint64_t pixels, uint64_t dataBytes, uint64_t mostPixelsPerByte)
{
    if (pixels <= kPixelsTakenOnTrust)
        return false;
    return pixels / std::max<uint64_t>(mostPixelsPerByte, 1) > dataBytes;
}

uint64_t DataBound::BytesLeft(CRasterFile& stream)
{
    const int64_t left = int64_t(stream.Size()) - int64_t(stream.Tell());
    return left > 0 ? uint64_t(left) : 0;
}

uint64_t DataBound::FileBytes(CRasterFile& stream)
{
    const int32_t size = stream.Size();
    return size > 0 ? uint64_t(size) : 0;
}

uint64_t DataBound::DeflatePixelsPerByte(uint64_t bitsPerPixel)
{
    constexpr uint64_t kDeflateMostExpansion = 1032;
    return std::max<uint64_t>(1, kDeflateMostExpansion * 8 / std::max<uint64_t>(bitsPerPixel, 1));
}
