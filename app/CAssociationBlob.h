// CAssociationBlob: the growable byte buffer that carries association requests to the elevated
// tool, with its little-endian items: u16, u32 and strings (u32 length counting the terminating
// zero, then the characters and the zero). Reads never pass the end of what was written.
#pragma once

#include "framework/Afx.h"

#include <cstddef>
#include <vector>

class CAssociationBlob
{
public:
    CAssociationBlob() = default;
    CAssociationBlob(const CAssociationBlob&) = delete;
    CAssociationBlob& operator=(const CAssociationBlob&) = delete;

    // Gives the storage back: size and position become 0.
    void Free();
    // Replaces the contents (a request file read back) and moves to the start.
    void Assign(const void* data, size_t size);

    void WriteU16(WORD value);
    void WriteU32(DWORD value);
    void WriteString(const char* text);

    // Moves the read position to the start.
    void Rewind() { m_position = 0; }
    // A read that would pass the end fails; the data after the damage is not looked at.
    bool ReadU16(WORD& value);
    bool ReadU32(DWORD& value);
    bool ReadString(CString& text);

    const BYTE* GetData() const { return m_data.data(); }
    size_t GetSize() const { return m_data.size(); }
    bool IsEmpty() const { return m_data.empty(); }

private:
    void WriteBytes(const void* bytes, size_t count);
    bool ReadBytes(void* bytes, size_t count);

    std::vector<BYTE> m_data;
    size_t m_position = 0;
};
