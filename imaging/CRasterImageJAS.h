// CRasterImageJAS: the format class of the JPEG-2000 family and the small formats read beside it:
// JP2 files (code 12) and JPEG-2000 code streams (13) through OpenJPEG, PGX (14), PNM (15) and Sun
// raster (16) with coders of our own. Decoding finds the coding from the data; the code given is
// only recorded as the image's format. A colour picture (by the file's colour space, or three or
// four components of one size where it names none) is read as red, green, blue with its opacity;
// other components become frames of a grey image.
#pragma once

#include "imaging/CRasterImage.h"

#include <string>

struct JasPicture;

class CRasterImageJAS : public CRasterImage
{
public:
    CRasterImageJAS() : CRasterImage(RASTER_FORMAT_UNKNOWN) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream, DWORD imageType);
    bool Encode(CRasterFile* stream, DWORD imageType);

private:
    bool Fail(const std::string& text);
    bool ReadPicture(CRasterFile& stream, JasPicture& picture, std::string& error);
    bool StoreColour(const JasPicture& picture, DWORD imageType);
    bool StoreGrey(const JasPicture& picture, DWORD imageType);
    void TakePicture(JasPicture& picture) const;
};
