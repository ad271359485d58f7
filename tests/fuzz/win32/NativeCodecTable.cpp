// The codec table of the native fuzzing build: the formats whose libraries the Linux machine has
// (zlib, libpng, libjpeg) and those the program codes itself. TIFF, MNG, JPEG-2000 and metafiles
// have no entry here, as a Windows build without them would.
#include "imaging/RasterCodecTable.h"

#include "imaging/CRasterImageBMP.h"
#include "imaging/CRasterImageGIF.h"
#include "imaging/CRasterImageICO.h"
#include "imaging/CRasterImageJPG.h"
#include "imaging/CRasterImagePCX.h"
#include "imaging/CRasterImagePNG.h"
#include "imaging/CRasterImageTGA.h"
#include "imaging/CRasterImageWBMP.h"

namespace {

template <class T>
constexpr RASTERCODEC Both()
{
    return {DecodeWithFormat<T>, EncodeWithFormat<T>};
}

const RASTERCODEC kCodecs[RASTER_CODEC_OPTION_COUNT] = {
    {nullptr, nullptr},          Both<CRasterImageBMP>(), Both<CRasterImageGIF>(),
    Both<CRasterImageJPG>(),     Both<CRasterImagePNG>(), {nullptr, nullptr},
    Both<CRasterImageICO>(),     {nullptr, nullptr},      Both<CRasterImageTGA>(),
    Both<CRasterImagePCX>(),     Both<CRasterImageWBMP>(),
};

} // namespace

const RASTERCODEC* FindRasterCodec(DWORD imageType)
{
    if (imageType == 0 || imageType >= RASTER_CODEC_OPTION_COUNT)
        return nullptr;
    return &kCodecs[imageType];
}
