// CRasterMemFile: a raster stream over a block of memory. A block handed in is read in place and
// stays the caller's: the stream never reallocates or frees it; a write that needs more room copies
// the data into a block of the stream's own. Blocks the stream allocates come from malloc, so a
// buffer detached with GetBuffer is released with free().
#pragma once

#include "imaging/CRasterFile.h"

class CRasterMemFile : public CRasterFile
{
public:
    explicit CRasterMemFile(unsigned char* buffer = nullptr, int32_t size = 0);
    ~CRasterMemFile() override;

    // Starts an empty stream of the stream's own; false when it already has a buffer.
    bool Open();
    // The data; with detach the block becomes the caller's (when it was the stream's own).
    unsigned char* GetBuffer(bool detach = true);

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    int32_t Error() override;
    bool PutC(unsigned char byte) override;
    int32_t GetC() override;
    const unsigned char* TakeRest(size_t& bytes) override;

    int32_t Capacity() const { return m_capacity; }

private:
    bool Reserve(int64_t bytes);

    unsigned char* m_buffer;
    int32_t m_size;
    bool m_freeOnClose; // the block is the stream's own and is freed by Close
    int32_t m_position;
    int32_t m_capacity;
};
