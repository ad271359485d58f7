#include "imaging/CRasterImageJAS.h"

#include "imaging/ByteCursor.h"
#include "imaging/CRasterFile.h"
#include "imaging/JasPicture.h"
#include "imaging/OpenJpegCoder.h"
#include "imaging/PgxCoder.h"
#include "imaging/PnmCoder.h"
#include "imaging/SunRasterCoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMaxComponents = 64;
// The small formats are read whole; no picture they can hold needs more.
constexpr size_t kMaxSmallFile = 512u * 1024 * 1024;

enum class Coding { Unknown, Jp2, CodeStream, Pgx, Pnm, SunRaster };

Coding Sniff(const uint8_t* b, size_t n)
{
    static const uint8_t jp2[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static const uint8_t codeStream[4] = {0xFF, 0x4F, 0xFF, 0x51};
    static const uint8_t sun[4] = {0x59, 0xA6, 0x6A, 0x95};
    if (n >= 12 && memcmp(b, jp2, 12) == 0)
        return Coding::Jp2;
    if (n >= 4 && memcmp(b, codeStream, 4) == 0)
        return Coding::CodeStream;
    if (n >= 4 && memcmp(b, sun, 4) == 0)
        return Coding::SunRaster;
    if (n >= 2 && b[0] == 'P' && b[1] == 'G')
        return Coding::Pgx;
    if (n >= 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6')
        return Coding::Pnm;
    return Coding::Unknown;
}

// Samples a grey palette shows as they are: 1, 4 or 8 bits over their full range.
bool PaletteDepth(const JasComponent& c)
{
    return (c.precision == 1 || c.precision == 4 || c.precision == 8)
           && c.maxValue == (1u << c.precision) - 1;
}

} // namespace

bool CRasterImageJAS::Fail(const std::string& text)
{
    SetLastError(text.c_str());
    return false;
}

bool CRasterImageJAS::ReadPicture(CRasterFile& stream, JasPicture& picture, std::string& error)
{
    error = "error: cannot load image data";
    const int32_t start = stream.Tell();
    uint8_t head[12] = {};
    const size_t got = stream.Read(head, 1, sizeof(head));
    if (!stream.Seek(start, SEEK_SET))
        return false;
    const Coding coding = Sniff(head, got);
    if (coding == Coding::Jp2 || coding == Coding::CodeStream)
        return OpenJpegCoder::Read(stream, coding == Coding::Jp2, picture, error);
    if (coding == Coding::Unknown)
        return false;
    const std::vector<uint8_t> bytes = ByteCursor::ReadRest(stream, kMaxSmallFile);
    ByteCursor in(bytes);
    switch (coding) {
    case Coding::Pgx: return PgxCoder::Read(in, picture);
    case Coding::Pnm: return PnmCoder::Read(in, picture);
    default: return SunRasterCoder::Read(in, picture);
    }
}

bool CRasterImageJAS::Decode(CRasterFile* stream, DWORD imageType)
{
    if (!stream)
        return false;
    JasPicture picture;
    std::string error;
    if (!ReadPicture(*stream, picture, error))
        return Fail(error);
    if (picture.components.empty())
        return Fail("error: cannot load image data");
    if (picture.components.size() > kMaxComponents)
        return Fail("error: too much components");
    // Separate frames of 1, 4 or 8 bits are shown as they are, each as a grey picture; anything
    // else becomes one colour picture.
    const bool frames = picture.SeparateFrames() || picture.components.size() == 1;
    if (frames && PaletteDepth(picture.components[0]))
        return StoreGrey(picture, imageType);
    picture.ConvertToRgb8();
    return StoreColour(picture, imageType);
}

bool CRasterImageJAS::StoreColour(const JasPicture& picture, DWORD imageType)
{
    const JasComponent& red = picture.components[0];
    if (!Create(red.width, red.height, 24, imageType))
        return Fail("Can't allocate memory");
    for (uint32_t y = 0; y < red.height; ++y) {
        // The first row of the picture is the top: the last row stored.
        BYTE* row = GetBits(red.height - 1 - y);
        for (uint32_t x = 0; x < red.width; ++x) {
            row[x * 3] = BYTE(picture.components[2].At(x, y));
            row[x * 3 + 1] = BYTE(picture.components[1].At(x, y));
            row[x * 3 + 2] = BYTE(red.At(x, y));
        }
    }
    if (picture.components.size() < 4)
        return true;
    AlphaCreate();
    if (!AlphaIsValid())
        return Fail("Can't allocate memory");
    const JasComponent& opacity = picture.components[3];
    for (uint32_t y = 0; y < red.height; ++y)
        for (uint32_t x = 0; x < red.width; ++x)
            AlphaSet(long(x), long(red.height - 1 - y), BYTE(opacity.At(x, y)));
    return true;
}

bool CRasterImageJAS::StoreGrey(const JasPicture& picture, DWORD imageType)
{
    m_info.nNumFrames = LONG(picture.components.size());
    if (m_info.nFrame < 0 || m_info.nFrame >= m_info.nNumFrames)
        return Fail("wrong frame!");
    const JasComponent& c = picture.components[size_t(m_info.nFrame)];
    if (!Create(c.width, c.height, DWORD(std::min(c.precision, 8)), imageType))
        return Fail("Can't allocate memory");
    SetGrayPalette();
    for (uint32_t y = 0; y < c.height; ++y)
        for (uint32_t x = 0; x < c.width; ++x)
            SetPixelIndex(long(x), long(c.height - 1 - y), BYTE(c.At(x, y)));
    return true;
}

// The image's pixels as 8-bit components, top row first: the palette indices of a grey image,
// or red, green and blue.
void CRasterImageJAS::TakePicture(JasPicture& picture) const
{
    const bool grey = IsIndexed();
    const uint32_t width = GetWidth(), height = GetHeight();
    picture.AddComponents(grey ? 1 : 3, width, height, 8, 255);
    for (uint32_t y = 0; y < height; ++y) {
        const long row = long(height - 1 - y);
        for (uint32_t x = 0; x < width; ++x) {
            const size_t i = size_t(y) * width + x;
            if (grey) {
                picture.components[0].samples[i] = GetPixelIndex(long(x), row);
                continue;
            }
            const RGBQUAD c = GetPixelColor(long(x), row, false);
            picture.components[0].samples[i] = c.rgbRed;
            picture.components[1].samples[i] = c.rgbGreen;
            picture.components[2].samples[i] = c.rgbBlue;
        }
    }
}

bool CRasterImageJAS::Encode(CRasterFile* stream, DWORD imageType)
{
    if (EncodeSafeCheck(stream))
        return false;
    if (IsIndexed() && !IsGrayScale())
        return Fail("JasPer can save only RGB or GrayScale images");
    JasPicture picture;
    TakePicture(picture);
    if (picture.components.empty())
        return Fail("error : can't allocate memory");
    const std::string cannotEncode = "error: cannot encode image\n";
    std::string error = cannotEncode;
    bool written = false;
    switch (imageType) {
    case RASTER_FORMAT_JP2:
    case RASTER_FORMAT_JPC:
        written = OpenJpegCoder::Write(*stream, imageType == RASTER_FORMAT_JP2, picture,
                                       GetJpegQuality() * 0.01, error);
        break;
    case RASTER_FORMAT_PGX:
        if (picture.components.size() != 1)
            return Fail("PGX can save only GrayScale images");
        written = PgxCoder::Write(*stream, picture);
        break;
    case RASTER_FORMAT_PNM:
        written = PnmCoder::Write(*stream, picture);
        break;
    case RASTER_FORMAT_RAS:
        written = SunRasterCoder::Write(*stream, picture);
        break;
    default:
        break;
    }
    return written ? true : Fail(error.empty() ? cannotEncode : error);
}
