// Jpeg2000Stream: OpenJPEG's stream interface over a raster stream. Positions are counted from
// where the raster stream stood when the bridge was made, so a picture may start anywhere in it.
// The raster stream stays open and the caller's.
#pragma once

#include <cstddef>
#include <cstdint>

#include <openjpeg.h>

class CRasterFile;

class Jpeg2000Stream
{
public:
    Jpeg2000Stream(CRasterFile& file, bool input);
    ~Jpeg2000Stream();
    Jpeg2000Stream(const Jpeg2000Stream&) = delete;
    Jpeg2000Stream& operator=(const Jpeg2000Stream&) = delete;

    // The stream to hand to OpenJPEG; null when it could not be made.
    opj_stream_t* Get() const { return m_stream; }

    // The bridge operations. Read and Write return the bytes moved; Seek (origin SEEK_SET,
    // SEEK_CUR or SEEK_END) returns the new position, or -1 when the stream refused.
    size_t Read(void* buffer, size_t count);
    size_t Write(const void* buffer, size_t count);
    int64_t Seek(int64_t offset, int origin);

private:
    static OPJ_SIZE_T ReadCallback(void* buffer, OPJ_SIZE_T count, void* self);
    static OPJ_SIZE_T WriteCallback(void* buffer, OPJ_SIZE_T count, void* self);
    static OPJ_OFF_T SkipCallback(OPJ_OFF_T count, void* self);
    static OPJ_BOOL SeekCallback(OPJ_OFF_T position, void* self);

    CRasterFile& m_file;
    int64_t m_start;
    opj_stream_t* m_stream;
};
