// CRasterImageMNG: the MNG format class (format code 5) over libmng. Decoding renders the stream on
// a 24-bit canvas and keeps the frame asked for; encoding writes the image as one 24-bit frame.
#pragma once

#include "imaging/CRasterImage.h"

#include <cstdio> // libmng's headers need FILE
#include <libmng.h>

class CRasterImageMNG : public CRasterImage
{
public:
    // What libmng's callbacks reach through the handle's user data.
    struct MNGPLAYBACK {
        CRasterFile* stream;
        BYTE* canvas;        // 24-bit, bottom-up rows of rowStride bytes; owned
        HANDLE thread;       // animation playback thread; none is started by this class
        DWORD delay;         // last timer delay asked for, in milliseconds
        DWORD width, height;
        DWORD rowStride;
        short bitCount;      // always 24
        BYTE animated;       // the stream asked for a timer wait after its last frame
        BYTE animationEnabled;
        float speed;
        long backgroundIndex; // -1 = none
        RGBQUAD backgroundColor;
        BYTE failed;          // libmng reported an error: the canvas is not to be trusted
    };

    CRasterImageMNG();
    ~CRasterImageMNG() override;

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

    bool IsAnimated() const { return m_playback.animated != 0; }

private:
    bool Fail(const char* text);
    void ReleaseHandle();
    bool InitializeHandle();
    void InstallReadCallbacks();
    void CountFrames();
    bool ShowFrame(CRasterFile& stream, int32_t start);
    bool PutChunks(const BYTE* data, DWORD compressedSize);

    static mng_ptr MNG_DECL Alloc(mng_size_t size);
    static void MNG_DECL Free(mng_ptr block, mng_size_t size);
    static mng_bool MNG_DECL OnError(mng_handle handle, mng_int32, mng_int8, mng_chunkid, mng_uint32,
                                     mng_int32, mng_int32, mng_pchar);
    static mng_bool MNG_DECL OpenStream(mng_handle);
    static mng_bool MNG_DECL CloseStream(mng_handle);
    static mng_bool MNG_DECL ReadData(mng_handle handle, mng_ptr buffer, mng_uint32 size,
                                      mng_uint32p read);
    static mng_bool MNG_DECL WriteData(mng_handle handle, mng_ptr buffer, mng_uint32 size,
                                       mng_uint32p written);
    static mng_bool MNG_DECL ProcessHeader(mng_handle handle, mng_uint32 width, mng_uint32 height);
    static mng_ptr MNG_DECL GetCanvasLine(mng_handle handle, mng_uint32 line);
    static mng_bool MNG_DECL Refresh(mng_handle, mng_uint32, mng_uint32, mng_uint32, mng_uint32);
    static mng_uint32 MNG_DECL GetTickCount(mng_handle);
    static mng_bool MNG_DECL SetTimer(mng_handle handle, mng_uint32 delay);

    mng_handle m_handle;
    MNGPLAYBACK m_playback;
};
