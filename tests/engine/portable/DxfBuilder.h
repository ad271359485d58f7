// Writes DXF files for the tests, as ASCII text or as binary DXF (two-byte group codes), from one
// list of groups, so a test can read the same drawing both ways. No Windows header.
#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace orvo::portable {

class DxfBuilder
{
public:
    DxfBuilder& S(int code, const std::string& value) { return Add(code, Kind::String, value, 0, 0); }
    DxfBuilder& D(int code, double value) { return Add(code, Kind::Double, "", value, 0); }
    DxfBuilder& I(int code, std::int64_t value) { return Add(code, Kind::Int, "", 0, value); }
    DxfBuilder& P(int code, double x, double y, double z = 0.0)
    {
        return D(code, x).D(code + 10, y).D(code + 20, z);
    }
    DxfBuilder& Section(const std::string& name) { return S(0, "SECTION").S(2, name); }
    DxfBuilder& EndSection() { return S(0, "ENDSEC"); }
    DxfBuilder& Header(const std::string& acadVer, const std::string& codePage = "ANSI_1252")
    {
        return Section("HEADER").S(9, "$ACADVER").S(1, acadVer).S(9, "$DWGCODEPAGE")
            .S(3, codePage).EndSection();
    }
    DxfBuilder& Eof() { return S(0, "EOF"); }

    std::string Ascii() const
    {
        std::ostringstream out;
        out.precision(17);
        for (const Group& g : m_groups) {
            out << (g.code < 10 ? "  " : (g.code < 100 ? " " : "")) << g.code << "\r\n";
            switch (g.kind) {
            case Kind::String: out << g.text; break;
            case Kind::Double: out << g.number; break;
            case Kind::Int: out << g.integer; break;
            }
            out << "\r\n";
        }
        return out.str();
    }

    std::string Binary() const
    {
        std::string out("AutoCAD Binary DXF\r\n\x1a", 22);
        for (const Group& g : m_groups) {
            Put<std::uint16_t>(out, static_cast<std::uint16_t>(g.code));
            switch (BinaryKind(g.code)) {
            case 's': out += g.kind == Kind::String ? g.text : ToText(g); out += '\0'; break;
            case 'd': Put<double>(out, g.kind == Kind::Double ? g.number : static_cast<double>(g.integer)); break;
            case 'h': Put<std::int16_t>(out, static_cast<std::int16_t>(g.integer)); break;
            case 'l': Put<std::int32_t>(out, static_cast<std::int32_t>(g.integer)); break;
            case 'q': Put<std::int64_t>(out, g.integer); break;
            case 'b': out += static_cast<char>(g.integer); break;
            default: out += static_cast<char>(g.text.size()); out += g.text; break;
            }
        }
        return out;
    }

private:
    enum class Kind { String, Double, Int };
    struct Group
    {
        int code;
        Kind kind;
        std::string text;
        double number;
        std::int64_t integer;
    };

    DxfBuilder& Add(int code, Kind kind, const std::string& text, double number, std::int64_t integer)
    {
        m_groups.push_back({code, kind, text, number, integer});
        return *this;
    }

    static std::string ToText(const Group& g)
    {
        std::ostringstream s;
        s.precision(17);
        if (g.kind == Kind::Double) s << g.number; else s << g.integer;
        return s.str();
    }

    // The value type of a group code in binary DXF, after the DXF reference's ranges.
    static char BinaryKind(int c)
    {
        if (c <= 9 || (c >= 100 && c <= 105) || (c >= 300 && c <= 309) || (c >= 320 && c <= 369) ||
            (c >= 390 && c <= 399) || (c >= 410 && c <= 419) || (c >= 430 && c <= 439) ||
            (c >= 470 && c <= 481) || c == 999 || (c >= 1000 && c <= 1009 && c != 1004))
            return 's';
        if ((c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
            (c >= 460 && c <= 469) || (c >= 1010 && c <= 1059))
            return 'd';
        if ((c >= 60 && c <= 79) || (c >= 170 && c <= 179) || (c >= 270 && c <= 289) ||
            (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 1060 && c <= 1070))
            return 'h';
        if ((c >= 90 && c <= 99) || (c >= 420 && c <= 429) || (c >= 440 && c <= 459) || c == 1071)
            return 'l';
        if (c >= 160 && c <= 169)
            return 'q';
        if (c >= 290 && c <= 299)
            return 'b';
        return 'c';
    }

    template <class T> static void Put(std::string& out, T value)
    {
        char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        out.append(bytes, sizeof(T));
    }

    std::vector<Group> m_groups;
};

// After the header: the paper space block (record 1E) holding a line, and a line in model space.
inline void AddSheetSpaces(DxfBuilder& b)
{
    b.Section("BLOCKS").S(0, "BLOCK").S(5, "20").S(330, "1E").S(100, "AcDbEntity").S(8, "0");
    b.S(100, "AcDbBlockBegin").S(2, "*Paper_Space").I(70, 0).P(10, 0, 0).S(3, "*Paper_Space");
    b.S(0, "LINE").S(8, "0").P(10, 10, 10).P(11, 400, 280);
    b.S(0, "ENDBLK").S(5, "21").S(100, "AcDbEntity").S(8, "0").S(100, "AcDbBlockEnd").EndSection();
    b.Section("ENTITIES").S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 100, 50).EndSection();
}

// After the header: a paper layout of that name, 420 x 297, whose paper space holds a line, and
// a line in model space; ends the file.
inline void AddSheet(DxfBuilder& b, const std::string& layoutName)
{
    AddSheetSpaces(b);
    b.Section("OBJECTS").S(0, "LAYOUT").S(5, "30").S(100, "AcDbPlotSettings").S(100, "AcDbLayout");
    b.S(1, layoutName).I(71, 1).P(10, -10, -5).P(11, 410, 292).S(330, "1E").EndSection().Eof();
}

} // namespace orvo::portable
