#include "imaging/RasterCodecTable.h"

#include "imaging/CRasterImageBMP.h"
#include "imaging/CRasterImageGIF.h"
#include "imaging/CRasterImageICO.h"
#include "imaging/CRasterImageJPG.h"
#include "imaging/CRasterImagePNG.h"
#include "imaging/CRasterImageTGA.h"
#include "imaging/CRasterImageTIF.h"
#include "imaging/CRasterImageJAS.h"
#include "imaging/CRasterImageMNG.h"
#include "imaging/CRasterImagePCX.h"
#include "imaging/CRasterImageWBMP.h"
#include "imaging/CRasterImageWMF.h"

namespace {

// The JPEG-2000 family class takes the format code as an argument of both operations.
bool DecodeJas(CRasterImage& image, CRasterFile& stream, DWORD imageType)
{
    return DecodeWithCall<CRasterImageJAS>(
        image, [&](CRasterImageJAS& f) { return f.Decode(&stream, imageType); });
}

// The metafile class plays the picture at its own size when the dispatch reads it.
bool DecodeWmf(CRasterImage& image, CRasterFile& stream, DWORD)
{
    return DecodeWithCall<CRasterImageWMF>(
        image, [&](CRasterImageWMF& f) { return f.Decode(&stream, 0, 0); });
}

bool EncodeJas(CRasterImage& image, CRasterFile& stream, DWORD imageType)
{
    return EncodeWithCall<CRasterImageJAS>(
        image, [&](CRasterImageJAS& f) { return f.Encode(&stream, imageType); });
}

// One line per format code. To add a format: include its class and fill its entry with the
// adapters (DecodeWithFormat<CRasterImageXXX>, EncodeWithFormat<CRasterImageXXX>), or with an
// adapter of its own when its operations take further arguments.
const RASTERCODEC kCodecs[RASTER_CODEC_OPTION_COUNT] = {
    /* 0 none */ {nullptr, nullptr},
    /* 1 BMP  */ {DecodeWithFormat<CRasterImageBMP>, EncodeWithFormat<CRasterImageBMP>},
    /* 2 GIF  */ {DecodeWithFormat<CRasterImageGIF>, EncodeWithFormat<CRasterImageGIF>},
    /* 3 JPG  */ {DecodeWithFormat<CRasterImageJPG>, EncodeWithFormat<CRasterImageJPG>},
    /* 4 PNG  */ {DecodeWithFormat<CRasterImagePNG>, EncodeWithFormat<CRasterImagePNG>},
    /* 5 MNG  */ {DecodeWithFormat<CRasterImageMNG>, EncodeWithFormat<CRasterImageMNG>},
    /* 6 ICO  */ {DecodeWithFormat<CRasterImageICO>, EncodeWithFormat<CRasterImageICO>},
    /* 7 TIF  */ {DecodeWithFormat<CRasterImageTIF>, EncodeWithFormat<CRasterImageTIF>},
    /* 8 TGA  */ {DecodeWithFormat<CRasterImageTGA>, EncodeWithFormat<CRasterImageTGA>},
    /* 9 PCX  */ {DecodeWithFormat<CRasterImagePCX>, EncodeWithFormat<CRasterImagePCX>},
    /* 10 WBMP */ {DecodeWithFormat<CRasterImageWBMP>, EncodeWithFormat<CRasterImageWBMP>},
    /* 11 WMF  */ {DecodeWmf, EncodeWithFormat<CRasterImageWMF>},
    /* 12 JP2  */ {DecodeJas, EncodeJas},
    /* 13 JPC  */ {DecodeJas, EncodeJas},
    /* 14 PGX  */ {DecodeJas, EncodeJas},
    /* 15 PNM  */ {DecodeJas, EncodeJas},
    /* 16 RAS  */ {DecodeJas, EncodeJas},
};

} // namespace

const RASTERCODEC* FindRasterCodec(DWORD imageType)
{
    if (imageType == 0 || imageType >= RASTER_CODEC_OPTION_COUNT)
        return nullptr;
    return &kCodecs[imageType];
}
