// The text of an ASCII DXF file as it is being written: groups of a code and a value, numbers in
// their shortest exact form, texts converted from UTF-8 to the drawing's code page (characters
// the code page lacks become \U+XXXX escapes). Stops growing past a size limit, so a hostile
// drawing cannot make an unbounded file.
#pragma once

#include "engine/db/Entity.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace RkWrite {

class DxfOutput
{
public:
    // codePage: 1252, 1251 or another Windows code page (only ASCII is then written as bytes).
    DxfOutput(int codePage, std::size_t limit);

    void Text(int code, std::string_view utf8);
    // A value known to be ASCII (names of sections, subclass markers).
    void Raw(int code, std::string_view ascii);
    void Int(int code, long long value);
    void Real(int code, double value);
    // Groups code, code + 10 and code + 20.
    void Point(int code, const RkDb::Vec3& p);
    void Point2(int code, const RkDb::Vec2& p);
    void Handle(int code, RkDb::Handle handle);
    // Radians written as the degrees DXF stores.
    void Angle(int code, double radians);

    bool Overflowed() const { return m_overflow; }
    const std::string& Data() const { return m_data; }

private:
    void Code(int code);
    void Line(std::string_view value);

    int m_codePage;
    std::size_t m_limit;
    bool m_overflow = false;
    std::string m_data;
};

} // namespace RkWrite
