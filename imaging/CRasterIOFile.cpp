#include "imaging/CRasterIOFile.h"

CRasterIOFile::CRasterIOFile(FILE* stream)
    : m_stream(stream), m_closeOnEnd(stream == nullptr)
{
}

CRasterIOFile::~CRasterIOFile()
{
    Close();
}

bool CRasterIOFile::Close()
{
    if (!m_stream || !m_closeOnEnd)
        return true;
    const int result = fclose(m_stream);
    m_stream = nullptr;
    return result == 0;
}

size_t CRasterIOFile::Read(void* buffer, size_t size, size_t count)
{
    return m_stream ? fread(buffer, size, count, m_stream) : 0;
}

size_t CRasterIOFile::Write(const void* buffer, size_t size, size_t count)
{
    return m_stream ? fwrite(buffer, size, count, m_stream) : 0;
}

bool CRasterIOFile::Seek(int32_t offset, int origin)
{
    return m_stream && fseek(m_stream, offset, origin) == 0;
}

int32_t CRasterIOFile::Tell()
{
    return m_stream ? static_cast<int32_t>(ftell(m_stream)) : 0;
}

int32_t CRasterIOFile::Size()
{
    if (!m_stream)
        return -1;
    const long position = ftell(m_stream);
    fseek(m_stream, 0, SEEK_END);
    const long size = ftell(m_stream);
    fseek(m_stream, position, SEEK_SET);
    return static_cast<int32_t>(size);
}

bool CRasterIOFile::Flush()
{
    return m_stream && fflush(m_stream) == 0;
}

bool CRasterIOFile::Eof()
{
    return !m_stream || feof(m_stream) != 0;
}

int32_t CRasterIOFile::Error()
{
    return m_stream ? ferror(m_stream) : -1;
}

bool CRasterIOFile::PutC(unsigned char byte)
{
    return m_stream && fputc(byte, m_stream) == byte;
}

int32_t CRasterIOFile::GetC()
{
    return m_stream ? getc(m_stream) : -1;
}
