// Splits a DXF file held in memory into groups: ASCII (code line, value line) or binary
// (R12 one-byte codes, R13 and later two-byte codes). Never reads outside the buffer.
#pragma once

#include "engine/dxf/DxfGroup.h"

#include <cstddef>
#include <string>

namespace RkDxf {

class DxfTokenizer
{
public:
    enum class Format { Ascii, Binary, NotDxf };

    DxfTokenizer(const char* data, std::size_t size);

    // What the first bytes say: the binary sentinel, or an ASCII file whose first group is
    // 0/SECTION or a 999 comment.
    static Format Detect(const char* data, std::size_t size);

    Format GetFormat() const { return m_format; }
    // The next group; false at the end of the data or on malformed data (then Failed()).
    bool Next(DxfGroup& group);
    // The group last returned by Next is returned again by the next call.
    void PushBack() { m_pushedBack = true; }
    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }
    std::size_t Offset() const { return m_pos; }
    std::size_t Size() const { return m_size; }

private:
    bool NextAscii(DxfGroup& group);
    bool NextBinary(DxfGroup& group);
    bool ReadLine(std::string_view& line);
    bool ReadBinaryValue(DxfGroup& group);
    bool Fail(const char* what);

    const char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    Format m_format;
    bool m_twoByteCodes = true;
    bool m_pushedBack = false;
    DxfGroup m_last;
    std::string m_error;
};

} // namespace RkDxf
