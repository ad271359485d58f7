#include "engine/dxf/DxfAcisData.h"

#include "engine/acis/SatReader.h"

namespace RkDxf {

namespace {

// Edges read from one body; far above what a drawing's solids hold.
constexpr std::size_t kMaxEdges = 1u << 20;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A 310 group's bytes: raw in binary DXF, hexadecimal text in ASCII DXF.
void AppendChunk(const DxfGroup& g, std::string& out)
{
    if (g.binary) {
        out.append(g.text.data(), g.text.size());
        return;
    }
    for (std::size_t i = 0; i + 1 < g.text.size(); i += 2) {
        const int high = HexDigit(g.text[i]), low = HexDigit(g.text[i + 1]);
        if (high < 0 || low < 0)
            return;
        out += static_cast<char>(high * 16 + low);
    }
}

} // namespace

void DxfAcisData::Add(const DxfGroup& g)
{
    switch (g.code) {
    case 0:
        m_owner = 0;
        m_inAsmData = false;
        break;
    case 320:
        m_owner = g.Handle();
        break;
    case 2:
        m_inAsmData = g.Is("ASM_Data") && m_owner != 0;
        break;
    case 310:
        if (m_inAsmData)
            AppendChunk(g, m_data[m_owner]);
        break;
    default:
        break;
    }
}

void DxfAcisData::Apply(RkDb::AcisSolid& solid) const
{
    const auto found = m_data.find(solid.handle);
    if (found == m_data.end())
        return;
    std::string sat;
    // The text form takes a few times the room of the binary.
    if (!RkAcis::SatReader::SabToSat(found->second, sat, 8 * found->second.size() + 1024))
        return;
    if (!RkAcis::SatReader::ReadEdges(sat, solid.edges, kMaxEdges))
        solid.edges.clear();
    else
        solid.sat = std::move(sat);
}

} // namespace RkDxf
