#include "app/CAssociationBlob.h"

#include <cstring>

void CAssociationBlob::Free()
{
    std::vector<BYTE>().swap(m_data);
    m_position = 0;
}

void CAssociationBlob::Assign(const void* data, size_t size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    m_data.assign(bytes, bytes + size);
    m_position = 0;
}

void CAssociationBlob::WriteU16(WORD value)
{
    const BYTE bytes[2] = {LOBYTE(value), HIBYTE(value)};
    WriteBytes(bytes, sizeof(bytes));
}

void CAssociationBlob::WriteU32(DWORD value)
{
    WriteU16(LOWORD(value));
    WriteU16(HIWORD(value));
}

void CAssociationBlob::WriteString(const char* text)
{
    if (!text)
        text = "";
    const size_t length = std::strlen(text) + 1;
    WriteU32(static_cast<DWORD>(length));
    WriteBytes(text, length);
}

bool CAssociationBlob::ReadU16(WORD& value)
{
    BYTE bytes[2];
    if (!ReadBytes(bytes, sizeof(bytes)))
        return false;
    value = MAKEWORD(bytes[0], bytes[1]);
    return true;
}

bool CAssociationBlob::ReadU32(DWORD& value)
{
    WORD low = 0;
    WORD high = 0;
    const size_t start = m_position;
    if (!ReadU16(low) || !ReadU16(high)) {
        m_position = start;
        return false;
    }
    value = MAKELONG(low, high);
    return true;
}

bool CAssociationBlob::ReadString(CString& text)
{
    const size_t start = m_position;
    DWORD length = 0;
    // The length counts the terminating zero, so 0 is never valid; a length beyond the data
    // is refused before anything is copied.
    if (!ReadU32(length) || length == 0 || length > m_data.size() - m_position ||
        length > 0x7FFFFFFFu) {
        m_position = start;
        return false;
    }
    const char* chars = reinterpret_cast<const char*>(m_data.data() + m_position);
    // The terminating zero must be the last byte: anything else is a damaged string.
    if (strnlen(chars, length) != length - 1) {
        m_position = start;
        return false;
    }
    text = CString(chars, static_cast<int>(length - 1));
    m_position += length;
    return true;
}

void CAssociationBlob::WriteBytes(const void* bytes, size_t count)
{
    const BYTE* begin = static_cast<const BYTE*>(bytes);
    if (m_position > m_data.size())
        m_position = m_data.size();
    const size_t end = m_position + count;
    if (end > m_data.size())
        m_data.resize(end);
    std::memcpy(m_data.data() + m_position, begin, count);
    m_position = end;
}

bool CAssociationBlob::ReadBytes(void* bytes, size_t count)
{
    if (m_position > m_data.size() || count > m_data.size() - m_position)
        return false;
    std::memcpy(bytes, m_data.data() + m_position, count);
    m_position += count;
    return true;
}
