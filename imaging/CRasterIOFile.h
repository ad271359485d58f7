// CRasterIOFile: a raster stream over a C stream (FILE). A stream handed in stays the caller's:
// this object closes only what it was not given.
#pragma once

#include "imaging/CRasterFile.h"

#include <cstdio>

class CRasterIOFile : public CRasterFile
{
public:
    explicit CRasterIOFile(FILE* stream = nullptr);
    ~CRasterIOFile() override;

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

private:
    FILE* m_stream;
    bool m_closeOnEnd;
};
