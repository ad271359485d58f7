// BufferedReadFile: an open file read through a block of memory, for readers that take a few
// bytes at a time (the cache library's records): under Wine every read and every seek of the file
// is a system call, and a library of 2,000 thumbnails took over 100,000 of them.
#pragma once

#include "framework/CFile.h"

#include <vector>

class BufferedReadFile : public CFile
{
public:
    static constexpr UINT kBlockSize = 1u << 20;

    // Reads file from its position on; file stays open and unchanged while this is used.
    explicit BufferedReadFile(CFile& file);
    BufferedReadFile(const BufferedReadFile&) = delete;
    BufferedReadFile& operator=(const BufferedReadFile&) = delete;

    UINT Read(void* lpBuf, UINT nCount) override;
    // Like the file's own: a position before the start throws, one beyond the end reads nothing.
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override { return m_position; }
    ULONGLONG GetLength() const override { return m_length; }

private:
    // Loads the block that starts at the position; false at the end of the file.
    bool Load();

    CFile& m_file;
    ULONGLONG m_length;
    ULONGLONG m_position;
    ULONGLONG m_blockStart = 0;
    std::vector<BYTE> m_block;
};
