// One DXF group: a group code and its value. ASCII files give the value as text and parse numbers
// on demand; binary files give numbers already decoded.
#pragma once

#include <cstdint>
#include <string_view>

namespace RkDxf {

struct DxfGroup
{
    int code = -1;
    std::string_view text;       // ASCII value line (without line end), or a binary string
    double number = 0.0;         // binary: the decoded number (integers too)
    bool binary = false;         // value came from a binary file

    double Double() const;
    // Integer value; ASCII text with a fraction or garbage gives what strtol-like parsing gives,
    // out-of-range values are clamped to the int32 range.
    std::int32_t Int() const;
    std::int64_t Int64() const;
    // Hexadecimal handle (groups 5, 105, 320..369, 390..399, 480, 1005).
    std::uint64_t Handle() const;
    bool Is(std::string_view value) const { return text == value; }
};

} // namespace RkDxf
