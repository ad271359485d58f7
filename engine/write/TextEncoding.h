// Texts of a written drawing in its code page: UTF-8 in, the code page's bytes out, characters
// the code page lacks as \U+XXXX escapes (which the readers turn back into the characters).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace RkWrite {

// codePage: a Windows code page (only ASCII is written as bytes for one the engine cannot map).
// Control characters become spaces (a DXF value is one line; a DWG text never holds them).
std::string EncodeText(int codePage, std::string_view utf8);

// The code page a drawing is written in: one read as UTF-8 (2007 and later) goes out in 1252.
int WrittenCodePage(const std::string& name);

// The number a DWG file header gives the code page a drawing is written in ($DWGCODEPAGE name).
std::uint16_t DwgCodePageIndex(const std::string& name);

} // namespace RkWrite
