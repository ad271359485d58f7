// Builds small SHX shape fonts for the tests, regular ("shapes 1.0") and Unicode ("unifont"):
// shape numbers with their command bytes. No Windows header.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orvo::portable {

class ShxBuilder
{
public:
    // above: the capital height in font units.
    explicit ShxBuilder(int above) : m_above(above) {}

    // The shape's commands (without the closing 0, which is added) and its name.
    ShxBuilder& Shape(std::uint32_t number, std::vector<int> commands, const std::string& name = "")
    {
        m_shapes[number] = std::move(commands);
        m_names[number] = name;
        return *this;
    }

    // A font, or with font false a shape file (no shape 0 giving the font's heights).
    std::string Regular(bool font = true) const
    {
        std::string out = "AutoCAD-86 shapes 1.0\r\n\x1A";
        std::map<std::uint32_t, std::string> defs = Definitions();
        if (!font)
            defs.erase(0);
        U16(out, defs.begin()->first);
        U16(out, defs.rbegin()->first);
        U16(out, static_cast<std::uint32_t>(defs.size()));
        for (const auto& d : defs) {
            U16(out, d.first);
            U16(out, static_cast<std::uint32_t>(d.second.size()));
        }
        for (const auto& d : defs)
            out += d.second;
        return out;
    }

    std::string Unifont() const
    {
        std::string out = "AutoCAD-86 unifont 1.0\r\n\x1A";
        std::map<std::uint32_t, std::string> defs = Definitions();
        const std::string info = defs[0] + std::string(2, '\0');     // encoding, type
        out.append(4, '\0');
        const auto count = static_cast<std::uint32_t>(defs.size());
        out[out.size() - 4] = static_cast<char>(count & 0xFF);
        out[out.size() - 3] = static_cast<char>(count >> 8);
        U16(out, static_cast<std::uint32_t>(info.size()));
        out += info;
        for (const auto& d : defs) {
            if (d.first == 0)
                continue;
            U16(out, d.first);
            U16(out, static_cast<std::uint32_t>(d.second.size()));
            out += d.second;
        }
        return out;
    }

    // A big font whose double-byte codes start with the lead bytes of the ranges given (first
    // and last): the count of entries and of ranges, the ranges, then per shape its code,
    // length and offset in the file, then the definitions.
    std::string Bigfont(const std::vector<std::pair<int, int>>& ranges) const
    {
        std::string out = "AutoCAD-86 bigfont 1.0\r\n\x1A";
        const std::map<std::uint32_t, std::string> defs = Definitions();
        U16(out, static_cast<std::uint32_t>(4 + 4 * ranges.size()));
        U16(out, static_cast<std::uint32_t>(defs.size()));
        U16(out, static_cast<std::uint32_t>(ranges.size()));
        for (const auto& r : ranges) {
            U16(out, static_cast<std::uint32_t>(r.first));
            U16(out, static_cast<std::uint32_t>(r.second));
        }
        std::size_t offset = out.size() + defs.size() * 8;
        for (const auto& d : defs) {
            U16(out, d.first);
            U16(out, static_cast<std::uint32_t>(d.second.size()));
            U16(out, static_cast<std::uint32_t>(offset & 0xFFFF));
            U16(out, static_cast<std::uint32_t>(offset >> 16));
            offset += d.second.size();
        }
        for (const auto& d : defs)
            out += d.second;
        return out;
    }

private:
    std::map<std::uint32_t, std::string> Definitions() const
    {
        std::map<std::uint32_t, std::string> defs;
        defs[0] = std::string("TEST") + '\0' + static_cast<char>(m_above) + static_cast<char>(2) + '\0' + '\0';
        for (const auto& s : m_shapes) {
            std::string d = m_names.at(s.first) + '\0';
            for (const int c : s.second)
                d += static_cast<char>(c & 0xFF);
            d += '\0';
            defs[s.first] = d;
        }
        return defs;
    }
    static void U16(std::string& out, std::uint32_t v)
    {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    }

    int m_above;
    std::map<std::uint32_t, std::vector<int>> m_shapes;
    std::map<std::uint32_t, std::string> m_names;
};

// A font of capital height 10: "I" a bar (with a command for vertical text only that must be
// skipped), "L", "O" a full circle by an octant arc, "1" the "I" as a subshape, "C" a half
// circle by a bulge arc, "V" by a run of displacements, "X" a square box, 127 (the degree sign)
// a short bar, and U+4E2D (unifont only) a bar.
inline ShxBuilder TestFont()
{
    ShxBuilder b(10);
    b.Shape('I', {14, 8, 50, 50, 1, 0xA4, 2, 8, 4, -10});
    b.Shape('L', {2, 0xA4, 1, 0xAC, 0x60, 2, 0x20});
    b.Shape('O', {2, 0x50, 1, 10, 5, 0x60, 2, 8, 7, 0});
    b.Shape('1', {7, 'I'});
    b.Shape('C', {2, 8, 10, 0, 1, 12, -10, 0, 127, 2, 8, 12, 0});
    b.Shape('V', {2, 8, 0, 10, 1, 9, 3, -10, 3, 10, 0, 0, 2, 8, 2, -10});
    b.Shape('X', {1, 0xA0, 0xA4, 0xA8, 0xAC, 2, 0xC0});
    b.Shape(127, {1, 0x24, 2, 8, 2, -2});
    return b;
}

} // namespace orvo::portable
