// Turns a DXF string value into UTF-8: the drawing's code page ($DWGCODEPAGE before 2007, UTF-8
// from 2007 on) and the \U+XXXX and \M+NXXXX escapes.
#pragma once

#include <string>
#include <string_view>

namespace RkDxf {

class DxfTextDecoder
{
public:
    // 0 = UTF-8, else a Windows code page number.
    void SetCodePage(int codePage) { m_codePage = codePage; }
    int GetCodePage() const { return m_codePage; }
    std::string Decode(std::string_view raw) const;

private:
    void AppendEscapes(std::string_view utf8, std::string& out) const;
    int m_codePage = 1252;
};

} // namespace RkDxf
