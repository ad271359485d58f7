// CRasterFile: the byte stream every raster codec reads and writes through, so that one decoder
// serves a file on disk (CRasterIOFile) and a block of memory (CRasterMemFile) alike.
#pragma once

#include <cstddef>
#include <cstdint>

class CRasterFile
{
public:
    CRasterFile() = default;
    CRasterFile(const CRasterFile&) = delete;
    CRasterFile& operator=(const CRasterFile&) = delete;
    virtual ~CRasterFile() = default;

    virtual bool Close() = 0;
    // Number of whole items read; a short count means the end of the data.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    // Number of items written.
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin: SEEK_SET, SEEK_CUR or SEEK_END.
    virtual bool Seek(int32_t offset, int origin) = 0;
    virtual int32_t Tell() = 0;
    virtual int32_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual int32_t Error() = 0;
    virtual bool PutC(unsigned char byte);
    // The byte (0-255), or -1 at the end of the data.
    virtual int32_t GetC() = 0;
    // The bytes from the position to the end when the stream holds them in one block, taking
    // them (the position moves to the end); null, and nothing taken, for other streams.
    virtual const unsigned char* TakeRest(size_t& bytes);
};
