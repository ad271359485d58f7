#include "imaging/TiffStreamAdapter.h"

#include "imaging/CRasterFile.h"
#include "imaging/CRasterMemFile.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr toff_t kSeekFailed = static_cast<toff_t>(-1);

CRasterFile* StreamOf(thandle_t handle)
{
    return static_cast<CRasterFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    if (size <= 0)
        return 0;
    return static_cast<tmsize_t>(StreamOf(handle)->Read(buffer, 1, static_cast<size_t>(size)));
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size)
{
    if (size <= 0)
        return 0;
    return static_cast<tmsize_t>(StreamOf(handle)->Write(buffer, 1, static_cast<size_t>(size)));
}

toff_t SeekProc(thandle_t handle, toff_t offset, int origin)
{
    if (offset == kSeekFailed)
        return kSeekFailed;
    // The streams address 31 bits; libtiff passes negative relative offsets as wrapped values.
    const int64_t signedOffset = static_cast<int64_t>(offset);
    if (signedOffset > INT32_MAX || signedOffset < INT32_MIN)
        return kSeekFailed;
    CRasterFile* stream = StreamOf(handle);
    if (!stream->Seek(static_cast<int32_t>(signedOffset), origin))
        return kSeekFailed;
    if (origin == SEEK_SET)
        return offset;
    const int32_t position = stream->Tell();
    return position < 0 ? kSeekFailed : static_cast<toff_t>(position);
}

int CloseProc(thandle_t)
{
    return 0; // the stream belongs to the caller
}

toff_t SizeProc(thandle_t handle)
{
    const int32_t size = StreamOf(handle)->Size();
    return size < 0 ? 0 : static_cast<toff_t>(size);
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

// A memory stream being read is handed to libtiff as a mapped file: libtiff then reads tiles and
// strips in place (and its RGBA reader takes uncompressed tiles, which it refuses from buffers
// it sized itself).
int MapMemory(thandle_t handle, void** base, toff_t* size)
{
    auto* memory = dynamic_cast<CRasterMemFile*>(StreamOf(handle));
    if (!memory || memory->Size() <= 0)
        return 0;
    *base = memory->GetBuffer(false);
    *size = static_cast<toff_t>(memory->Size());
    return *base != nullptr;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int QuietHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1; // handled: nothing reaches libtiff's global handlers
}

int KeepError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    if (user) {
        char text[256] = {};
        std::vsnprintf(text, sizeof text, format, args);
        *static_cast<std::string*>(user) = text;
    }
    return 1;
}

} // namespace

TIFF* OpenTiffOverStream(CRasterFile* stream, const char* mode, std::string* lastError)
{
    if (stream == nullptr)
        return nullptr;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, lastError);
    TIFFOpenOptionsSetWarningHandlerExtR(options, QuietHandler, nullptr);
    const bool reading = mode[0] == 'r';
    TIFF* tif = TIFFClientOpenExt("TIFF IMAGE", mode, stream, ReadProc, WriteProc, SeekProc,
                                  CloseProc, SizeProc, reading ? MapMemory : MapProc, UnmapProc,
                                  options);
    TIFFOpenOptionsFree(options);
    return tif;
}
