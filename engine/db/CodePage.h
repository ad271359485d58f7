// Conversion of a drawing's 8-bit texts to UTF-8: Windows code pages 1252 and 1251 built in,
// other code pages through a converter that the platform registers (rkio registers one that uses
// the system's tables); without one, bytes above 0x7F are taken as Latin-1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace RkDb {

class CodePage
{
public:
    // Converts bytes of a code page (0 = UTF-8) to UTF-8; returns false when it cannot.
    using Converter = bool (*)(int codePage, std::string_view bytes, std::string& utf8);

    // "ANSI_1252" -> 1252, "UTF-8"/"UTF8" -> 0, "DOS932" -> 932; unknown or empty -> 1252.
    static int FromName(std::string_view name);
    // Appends the UTF-8 form of bytes in codePage (0 = UTF-8: invalid sequences are taken as
    // code page 1252 bytes, so no text is lost).
    static void AppendUtf8(int codePage, std::string_view bytes, std::string& out);
    static void AppendCodePoint(std::uint32_t codePoint, std::string& out);
    // The byte of codePoint in code page 1252 or 1251 (ASCII in every code page), or -1 when that
    // code page has no byte for it (writers then escape the character).
    static int EncodeByte(int codePage, std::uint32_t codePoint);
    // The code point of the UTF-8 sequence at text[i] and its length (invalid bytes count as
    // one-byte U+FFFD).
    static std::uint32_t DecodeUtf8(std::string_view text, std::size_t i, std::size_t& length);
    // Registers the converter for code pages other than 1252 and 1251 (null removes it). Set once
    // at engine start, before any reader runs.
    static void SetConverter(Converter converter);
    // Decodes a byte sequence of a double-byte code page (\M+ escapes) through the converter.
    static bool ConvertWithPlatform(int codePage, std::string_view bytes, std::string& out);
};

} // namespace RkDb
