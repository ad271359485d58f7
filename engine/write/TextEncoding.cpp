#include "engine/write/TextEncoding.h"

#include "engine/db/CodePage.h"
#include "engine/db/SymbolTable.h"
#include "engine/dwg/DwgCodePage.h"

#include <cstdint>
#include <cstdio>

namespace RkWrite {

std::string EncodeText(int codePage, std::string_view utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        const std::uint32_t cp = RkDb::CodePage::DecodeUtf8(utf8, i, length);
        i += length;
        if (cp < 0x20) {
            bytes += ' ';
            continue;
        }
        const int byte = RkDb::CodePage::EncodeByte(codePage, cp);
        if (byte >= 0) {
            bytes += static_cast<char>(byte);
            continue;
        }
        char escape[16];
        const int n = std::snprintf(escape, sizeof escape, "\\U+%04X", static_cast<unsigned>(cp));
        if (n > 0)
            bytes.append(escape, static_cast<std::size_t>(n));
    }
    return bytes;
}

int WrittenCodePage(const std::string& name)
{
    const int cp = RkDb::CodePage::FromName(name);
    return cp == 0 ? 1252 : cp;
}

std::uint16_t DwgCodePageIndex(const std::string& name)
{
    const std::string key = RkDb::TableKey(RkDb::CodePage::FromName(name) == 0 ? "ANSI_1252" : name);
    // Index 0 names 1252 as well; files say ANSI_1252 with its own number.
    for (std::uint16_t i = 1; i < 64; ++i) {
        if (RkDb::TableKey(orvo::dwg::CodePageNameOfDwg(i)) == key)
            return i;
    }
    return 30;
}

} // namespace RkWrite
