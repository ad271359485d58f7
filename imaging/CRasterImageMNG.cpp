#include "imaging/CRasterImageMNG.h"

#include "imaging/CRasterFile.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include <zlib.h>

namespace {

// A canvas larger than this is refused in the header callback (bytes).
constexpr uint64_t kMaxCanvasBytes = 256ull * 1024 * 1024;
// Display steps taken to count frames; a stream that loops for ever stops here.
constexpr long kMaxFrames = 100000;

CRasterImageMNG::MNGPLAYBACK& Playback(mng_handle handle)
{
    return *static_cast<CRasterImageMNG::MNGPLAYBACK*>(mng_get_userdata(handle));
}

struct FreeDeleter {
    void operator()(void* p) const { free(p); }
};

} // namespace

CRasterImageMNG::CRasterImageMNG() : CRasterImage(RASTER_FORMAT_MNG), m_handle(nullptr), m_playback()
{
    m_playback.speed = 1.0f;
    m_playback.backgroundIndex = -1;
}

CRasterImageMNG::~CRasterImageMNG()
{
    if (m_playback.thread) {
        m_playback.animationEnabled = 0;
        ResumeThread(m_playback.thread);
        WaitForSingleObject(m_playback.thread, 500);
        CloseHandle(m_playback.thread);
    }
    free(m_playback.canvas);
    ReleaseHandle();
}

bool CRasterImageMNG::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

void CRasterImageMNG::ReleaseHandle()
{
    if (m_handle)
        mng_cleanup(&m_handle);
    m_handle = nullptr;
}

bool CRasterImageMNG::InitializeHandle()
{
    ReleaseHandle();
    m_handle = mng_initialize(&m_playback, Alloc, Free, MNG_NULL);
    if (!m_handle)
        return false;
    mng_setcb_errorproc(m_handle, OnError);
    mng_setcb_openstream(m_handle, OpenStream);
    mng_setcb_closestream(m_handle, CloseStream);
    return true;
}

void CRasterImageMNG::InstallReadCallbacks()
{
    mng_set_srgb(m_handle, MNG_TRUE);
    mng_set_bgcolor(m_handle, 65535, 65535, 65535);
    mng_set_usebkgd(m_handle, MNG_TRUE);
    mng_set_storechunks(m_handle, MNG_FALSE);
    mng_set_suspensionmode(m_handle, MNG_FALSE);
    mng_setcb_readdata(m_handle, ReadData);
    mng_setcb_processheader(m_handle, ProcessHeader);
    mng_setcb_getcanvasline(m_handle, GetCanvasLine);
    mng_setcb_refresh(m_handle, Refresh);
    mng_setcb_gettickcount(m_handle, GetTickCount);
    mng_setcb_settimer(m_handle, SetTimer);
}

// Every display step that ends waiting for the timer has just shown a frame; a stream that never
// waits is one still picture.
void CRasterImageMNG::CountFrames()
{
    m_info.nNumFrames = 0;
    mng_retcode last = mng_readdisplay(m_handle);
    long frames = last == MNG_NEEDTIMERWAIT ? 1 : 0;
    for (long steps = 0; mng_status_reading(m_handle) && steps < kMaxFrames; ++steps) {
        last = mng_display_resume(m_handle);
        frames += last == MNG_NEEDTIMERWAIT ? 1 : 0;
    }
    if (last == MNG_NEEDTIMERWAIT)
        m_playback.animated = 1;
    m_info.nNumFrames = frames > 0 ? frames : 1;
}

// Shows the frame asked for: the stream is played again from its start up to that frame (the
// first pass leaves the last frame on the canvas).
bool CRasterImageMNG::ShowFrame(CRasterFile& stream, int32_t start)
{
    if (m_info.nFrame == m_info.nNumFrames - 1)
        return true;
    if (!stream.Seek(start, SEEK_SET) || !InitializeHandle())
        return false;
    InstallReadCallbacks();
    mng_readdisplay(m_handle);
    for (long i = 0; i < m_info.nFrame && mng_status_reading(m_handle); ++i)
        mng_display_resume(m_handle);
    return true;
}

bool CRasterImageMNG::Decode(CRasterFile* stream)
{
    if (!stream)
        return false;
    const int32_t start = stream->Tell();
    if (!InitializeHandle())
        return Fail("could not initialize libmng");
    m_playback.stream = stream;
    InstallReadCallbacks();
    CountFrames();
    if (m_playback.failed && m_playback.canvas)
        return Fail("Error: corrupted MNG stream");
    if (!m_playback.animationEnabled) {
        if (m_info.nFrame < 0 || m_info.nFrame >= m_info.nNumFrames)
            return Fail("Error: frame not present in MNG file");
        if (!ShowFrame(*stream, start))
            return Fail("Error: frame not present in MNG file");
    }
    if (m_playback.backgroundIndex != -1) {
        SetTransIndex(m_playback.backgroundIndex);
        SetTransColor(m_playback.backgroundColor);
    }
    if (!m_playback.canvas
        || !Create(m_playback.width, m_playback.height, 24, RASTER_FORMAT_MNG))
        return Fail("CRasterImageMNG::Decode cannot create image");
    memcpy(GetBits(), m_playback.canvas, size_t(m_playback.rowStride) * m_playback.height);
    return true;
}

bool CRasterImageMNG::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    if (IsIndexed())
        return Fail("MNG encoder can save only RGB images");
    const DWORD width = GetWidth(), height = GetHeight();
    // PNG rows hold the pixels only: the padding of the stored rows stays out.
    const uLong rowBytes = uLong(width) * 3;
    const uint64_t rawSize = uint64_t(rowBytes + 1) * height;
    if (rawSize > 0x7FFFFFFF)
        return Fail("could not allocate memory for MNG");
    std::unique_ptr<BYTE, FreeDeleter> raw(static_cast<BYTE*>(malloc(size_t(rawSize))));
    const uLong bound = compressBound(uLong(rawSize));
    std::unique_ptr<BYTE, FreeDeleter> packed(static_cast<BYTE*>(malloc(bound)));
    if (!raw || !packed)
        return Fail("could not allocate memory for MNG");
    // Rows from the top of the picture, each a filter byte 0 and red, green, blue.
    BYTE* out = raw.get();
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* row = GetBits(height - 1 - y);
        *out++ = 0;
        for (DWORD x = 0; x < width; ++x, out += 3) {
            out[0] = row[x * 3 + 2];
            out[1] = row[x * 3 + 1];
            out[2] = row[x * 3];
        }
    }
    uLongf packedSize = bound;
    if (compress2(packed.get(), &packedSize, raw.get(), uLong(rawSize), 9) != Z_OK)
        return Fail("MNG encoder cannot compress the image");

    m_playback.stream = stream;
    m_playback.width = width;
    m_playback.height = height;
    m_playback.rowStride = GetEffWidth();
    m_playback.bitCount = 24;
    if (!InitializeHandle())
        return Fail("could not initialize libmng");
    mng_setcb_writedata(m_handle, WriteData);
    if (mng_create(m_handle) != MNG_NOERROR || !PutChunks(packed.get(), DWORD(packedSize))
        || mng_write(m_handle) != MNG_NOERROR)
        return Fail("MNG encoder cannot write the file");
    return true;
}

// MHDR and MEND frame the still so that MNG readers (ours too) accept the file.
bool CRasterImageMNG::PutChunks(const BYTE* data, DWORD compressedSize)
{
    const DWORD width = m_playback.width, height = m_playback.height;
    return mng_putchunk_mhdr(m_handle, width, height, 1000, 0, 0, 0, 0) == MNG_NOERROR
           && mng_putchunk_defi(m_handle, 0, 0, 0, MNG_TRUE, 0, 0, MNG_FALSE, 0, 0, 0, 0)
                  == MNG_NOERROR
           && mng_putchunk_ihdr(m_handle, width, height, 8, 2, 0, 0, 0) == MNG_NOERROR
           && mng_putchunk_idat(m_handle, compressedSize, const_cast<BYTE*>(data)) == MNG_NOERROR
           && mng_putchunk_iend(m_handle) == MNG_NOERROR
           && mng_putchunk_mend(m_handle) == MNG_NOERROR;
}

mng_ptr MNG_DECL CRasterImageMNG::Alloc(mng_size_t size)
{
    return calloc(1, size);
}

void MNG_DECL CRasterImageMNG::Free(mng_ptr block, mng_size_t)
{
    free(block);
}

mng_bool MNG_DECL CRasterImageMNG::OnError(mng_handle handle, mng_int32, mng_int8, mng_chunkid,
                                           mng_uint32, mng_int32, mng_int32, mng_pchar)
{
    // The handle is released once, by the class; here libmng only learns to stop, and the
    // decode learns that what the canvas holds is not a picture of the stream.
    Playback(handle).failed = 1;
    return MNG_FALSE;
}

mng_bool MNG_DECL CRasterImageMNG::OpenStream(mng_handle)
{
    return MNG_TRUE;
}

mng_bool MNG_DECL CRasterImageMNG::CloseStream(mng_handle)
{
    return MNG_TRUE;
}

mng_bool MNG_DECL CRasterImageMNG::ReadData(mng_handle handle, mng_ptr buffer, mng_uint32 size,
                                            mng_uint32p read)
{
    *read = mng_uint32(Playback(handle).stream->Read(buffer, 1, size));
    return MNG_TRUE;
}

mng_bool MNG_DECL CRasterImageMNG::WriteData(mng_handle handle, mng_ptr buffer, mng_uint32 size,
                                             mng_uint32p written)
{
    *written = mng_uint32(Playback(handle).stream->Write(buffer, 1, size));
    return *written == size ? MNG_TRUE : MNG_FALSE;
}

mng_bool MNG_DECL CRasterImageMNG::ProcessHeader(mng_handle handle, mng_uint32 width,
                                                 mng_uint32 height)
{
    MNGPLAYBACK& p = Playback(handle);
    const uint64_t stride = (uint64_t(width) * 24 + 31) / 32 * 4;
    // A header cannot make us allocate beyond what a raster image may hold.
    if (width == 0 || height == 0 || stride * height > kMaxCanvasBytes)
        return MNG_FALSE;
    free(p.canvas);
    p.canvas = static_cast<BYTE*>(calloc(size_t(height), size_t(stride)));
    if (!p.canvas)
        return MNG_FALSE;
    p.width = width;
    p.height = height;
    p.bitCount = 24;
    p.rowStride = DWORD(stride);
    if (mng_get_usebkgd(handle)) {
        mng_uint16 red = 0, green = 0, blue = 0;
        mng_get_bgcolor(handle, &red, &green, &blue);
        p.backgroundIndex = 0;
        p.backgroundColor = {BYTE(blue >> 8), BYTE(green >> 8), BYTE(red >> 8), 0};
    }
    mng_set_canvasstyle(handle, MNG_CANVAS_BGR8);
    return MNG_TRUE;
}

mng_ptr MNG_DECL CRasterImageMNG::GetCanvasLine(mng_handle handle, mng_uint32 line)
{
    MNGPLAYBACK& p = Playback(handle);
    if (line >= p.height)
        line = p.height - 1;
    // Line 0 is the top of the picture: the last stored row.
    return p.canvas + size_t(p.height - line - 1) * p.rowStride;
}

mng_bool MNG_DECL CRasterImageMNG::Refresh(mng_handle, mng_uint32, mng_uint32, mng_uint32,
                                           mng_uint32)
{
    return MNG_TRUE;
}

mng_uint32 MNG_DECL CRasterImageMNG::GetTickCount(mng_handle)
{
    return ::GetTickCount();
}

mng_bool MNG_DECL CRasterImageMNG::SetTimer(mng_handle handle, mng_uint32 delay)
{
    Playback(handle).delay = delay;
    return MNG_TRUE;
}
