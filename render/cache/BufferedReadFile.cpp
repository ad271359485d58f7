#include "render/cache/BufferedReadFile.h"

#include "framework/CFileException.h"

#include <algorithm>
#include <cstring>

BufferedReadFile::BufferedReadFile(CFile& file)
    : m_file(file), m_length(file.GetLength()), m_position(file.GetPosition())
{
}

UINT BufferedReadFile::Read(void* lpBuf, UINT nCount)
{
    auto* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nCount) {
        const bool inBlock = m_position >= m_blockStart && m_position < m_blockStart + m_block.size();
        if (!inBlock && !Load())
            break;
        const size_t offset = static_cast<size_t>(m_position - m_blockStart);
        const UINT part = static_cast<UINT>(std::min<size_t>(nCount - done, m_block.size() - offset));
        std::memcpy(out + done, m_block.data() + offset, part);
        done += part;
        m_position += part;
    }
    return done;
}

ULONGLONG BufferedReadFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LONGLONG base = 0;
    if (nFrom == current)
        base = static_cast<LONGLONG>(m_position);
    else if (nFrom == end)
        base = static_cast<LONGLONG>(m_length);
    if (base + lOff < 0)
        AfxThrowFileException(CFileException::badSeek);
    m_position = static_cast<ULONGLONG>(base + lOff);
    return m_position;
}

bool BufferedReadFile::Load()
{
    if (m_position >= m_length)
        return false;
    m_file.Seek(static_cast<LONGLONG>(m_position), begin);
    m_block.resize(static_cast<size_t>(std::min<ULONGLONG>(kBlockSize, m_length - m_position)));
    m_block.resize(m_file.Read(m_block.data(), static_cast<UINT>(m_block.size())));
    m_blockStart = m_position;
    return !m_block.empty();
}
