// Load and save of CRasterImage by format code: the decode dispatch with format detection, the
// encode dispatch, and the entry points over memory blocks, C streams and file names.
#include "imaging/CRasterImage.h"

#include "imaging/CRasterIOFile.h"
#include "imaging/CRasterMemFile.h"
#include "imaging/RasterCodecTable.h"

#include <cstring>
#include <string>

namespace {

const char kDecodeUnknown[] = "Decode: Unknown or wrong format";
const char kEncodeUnknown[] = "Encode: Unknown format";

// The format the file's first bytes name beyond doubt (0 for none): a file whose name says one
// format and whose bytes are another's (a PNG saved as .pbm) still opens.
DWORD SignatureFormat(CRasterFile& stream)
{
    const int32_t start = stream.Tell();
    unsigned char head[8] = {};
    const size_t got = stream.Read(head, 1, sizeof head);
    stream.Seek(start, SEEK_SET);
    if (got < 4)
        return RASTER_FORMAT_UNKNOWN;
    if (got == 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0)
        return RASTER_FORMAT_PNG;
    if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return RASTER_FORMAT_JPG;
    if (std::memcmp(head, "GIF8", 4) == 0)
        return RASTER_FORMAT_GIF;
    if (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0)
        return RASTER_FORMAT_TIF;
    return RASTER_FORMAT_UNKNOWN;
}

} // namespace

bool CRasterImage::Decode(CRasterFile* stream, DWORD imageType)
{
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    if (imageType == RASTER_FORMAT_UNKNOWN) {
        const int32_t start = stream->Tell();
        for (const RASTERDETECTSTEP& step : kRasterDetectionOrder) {
            const RASTERCODEC* codec = FindRasterCodec(step.tableCode);
            if (!codec || !codec->decode)
                continue;
            if (codec->decode(*this, *stream, step.passedCode))
                return true;
            stream->Seek(start, SEEK_SET);
        }
        SetLastError(kDecodeUnknown);
        return false;
    }
    const RASTERCODEC* codec = FindRasterCodec(imageType);
    if (!codec || !codec->decode) {
        SetLastError(kDecodeUnknown);
        return false;
    }
    const int32_t start = stream->Tell();
    if (codec->decode(*this, *stream, imageType))
        return true;
    if (!stream->Seek(start, SEEK_SET))
        return false;
    const DWORD named = SignatureFormat(*stream);
    const RASTERCODEC* other = named != imageType ? FindRasterCodec(named) : nullptr;
    if (!other || !other->decode)
        return false;
    // The first reader's reason stays when the other cannot read it either.
    const std::string reason = GetLastError();
    if (other->decode(*this, *stream, named))
        return true;
    SetLastError(reason.c_str());
    return false;
}

bool CRasterImage::Decode(const BYTE* buffer, DWORD size, DWORD imageType)
{
    if (!buffer || size > 0x7FFFFFFF) {
        SetLastError(kDecodeUnknown);
        return false;
    }
    // The stream reads the caller's bytes in place and never frees them.
    CRasterMemFile stream(const_cast<BYTE*>(buffer), static_cast<int32_t>(size));
    return Decode(&stream, imageType);
}

bool CRasterImage::Encode(CRasterFile* stream, DWORD imageType)
{
    const RASTERCODEC* codec = FindRasterCodec(imageType);
    if (!codec || !codec->encode) {
        SetLastError(kEncodeUnknown);
        return false;
    }
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    return codec->encode(*this, *stream, imageType);
}

bool CRasterImage::Encode(FILE* stream, DWORD imageType)
{
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    CRasterIOFile file(stream);
    return Encode(&file, imageType);
}

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':'))
        return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

} // namespace

bool CRasterImage::Save(const char* fileName, DWORD imageType)
{
    if (!fileName || !*fileName)
        return false;
    // The picture goes to a temporary file beside the target first, so that a failed encode never
    // destroys the file that was there.
    char temp[MAX_PATH] = {};
    if (!GetTempFileNameA(FolderOf(fileName).c_str(), "orv", 0, temp))
        return false;
    FILE* file = fopen(temp, "wb");
    if (!file) {
        DeleteFileA(temp);
        return false;
    }
    bool saved = Encode(file, imageType);
    saved = (fclose(file) == 0) && saved;
    if (saved)
        saved = MoveFileExA(temp, fileName, MOVEFILE_REPLACE_EXISTING) != 0;
    if (!saved)
        DeleteFileA(temp);
    return saved;
}
