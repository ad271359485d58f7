#include "engine/dxf/DxfModelReader.h"

#include "engine/acis/SatReader.h"
#include "engine/dxf/DxfEntityReader.h"

#include <algorithm>
#include <cstdint>

namespace RkDxf {

using namespace RkDb;

namespace {

// Edges and mesh elements a single entity may hold; far above what CAD programs write.
constexpr std::size_t kMaxEdges = 1u << 20;
constexpr std::int64_t kMaxMeshItems = 1 << 24;

// A DXF string with its caret escapes undone ("^ " is a caret, "^J" a control character).
void AppendUnescaped(std::string& out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '^' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == ' ' ? '^' : static_cast<char>(next & 0x1F);
            continue;
        }
        out += c;
    }
}

} // namespace

std::size_t DxfModelReader::HelixStart(const std::vector<DxfGroup>& groups)
{
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].code == 100 && groups[i].Is("AcDbHelix"))
            return i;
    }
    return groups.size();
}

void DxfModelReader::ReadHelix(Helix& e, std::size_t from) const
{
    for (std::size_t i = from; i < m_groups.size(); ++i) {
        const DxfGroup& g = m_groups[i];
        if (SetCoordinate(e.axisBase, g, 10) || SetCoordinate(e.start, g, 11) ||
            SetCoordinate(e.axisVector, g, 12))
            continue;
        switch (g.code) {
        case 40: e.topRadius = g.Double(); break;
        case 41: e.turns = g.Double(); break;
        case 42: e.turnHeight = g.Double(); break;
        case 290: e.counterClockwise = g.Int() != 0; break;
        default: break;
        }
    }
}

std::string DxfModelReader::StoredSat(const std::vector<DxfGroup>& groups)
{
    std::string sat;
    for (const DxfGroup& g : groups) {
        if (g.code == 1) {
            if (!sat.empty())
                sat += '\n';
            AppendUnescaped(sat, g.text);
        } else if (g.code == 3) {
            AppendUnescaped(sat, g.text);
        }
    }
    return sat;
}

void DxfModelReader::ReadAcisSolid(AcisSolid& e) const
{
    std::string sat = RkAcis::SatReader::Decipher(StoredSat(m_groups));
    if (!RkAcis::SatReader::ReadEdges(sat, e.edges, kMaxEdges))
        e.edges.clear();
    else
        e.sat = std::move(sat);
}

void DxfModelReader::ReadMesh(Mesh& e) const
{
    // 92 vertex count, then the vertices (10); 93 face list size, then that many 90 items:
    // each face is its vertex count followed by its vertex indices.
    std::int64_t faceItems = 0;
    std::int64_t faceLeft = 0;
    std::vector<std::int32_t>* face = nullptr;
    for (const DxfGroup& g : m_groups) {
        if (g.code == 10) {
            if (e.vertices.size() < static_cast<std::size_t>(kMaxMeshItems))
                e.vertices.push_back({g.Double(), 0.0, 0.0});
        } else if (g.code == 20 && !e.vertices.empty()) {
            e.vertices.back().y = g.Double();
        } else if (g.code == 30 && !e.vertices.empty()) {
            e.vertices.back().z = g.Double();
        } else if (g.code == 93) {
            faceItems = std::min<std::int64_t>(std::max<std::int64_t>(g.Int64(), 0), kMaxMeshItems);
        } else if (g.code == 90 && faceItems > 0) {
            --faceItems;
            const std::int64_t value = g.Int64();
            if (faceLeft > 0 && face) {
                face->push_back(static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -1, INT32_MAX - 1)));
                --faceLeft;
            } else {
                faceLeft = std::clamp<std::int64_t>(value, 0, faceItems);
                e.faces.emplace_back();
                face = &e.faces.back();
            }
        } else if (g.code == 94) {
            faceItems = 0;      // the edge list follows: not needed, the faces give the edges
        }
    }
}

void DxfModelReader::ReadTolerance(Tolerance& e) const
{
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(e.insertion, g, 10) || SetCoordinate(e.xDirection, g, 11))
            continue;
        if (g.code == 1) {
            // Rows are separated by "^J", the DXF escape of the line break DWG stores.
            std::string raw;
            AppendUnescaped(raw, g.text);
            e.text = m_ctx.Text(raw);
        }
        else if (g.code == 3)
            e.dimStyle = m_ctx.DimStyle(g.text);
    }
    if (e.dimStyle < 0)
        e.dimStyle = m_ctx.DimStyle("Standard");
}

void DxfModelReader::ReadShape(Shape& e) const
{
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(e.insertion, g, 10))
            continue;
        switch (g.code) {
        case 2: e.name = m_ctx.Text(g.text); break;
        case 40: e.size = g.Double(); break;
        case 41: e.widthFactor = g.Double(); break;
        case 50: e.rotation = g.Double() * kDegree; break;
        case 51: e.oblique = g.Double() * kDegree; break;
        default: break;
        }
    }
}

void DxfModelReader::ReadUnderlay(Underlay& e) const
{
    for (const DxfGroup& g : m_groups) {
        if (SetCoordinate(e.insertion, g, 10))
            continue;
        switch (g.code) {
        case 340: e.definition = g.Handle(); break;
        case 41: e.scale.x = g.Double(); break;
        case 42: e.scale.y = g.Double(); break;
        case 43: e.scale.z = g.Double(); break;
        case 50: e.rotation = g.Double() * kDegree; break;
        case 11:
            if (e.clipBoundary.size() < static_cast<std::size_t>(kMaxMeshItems))
                e.clipBoundary.push_back({g.Double(), 0.0});
            break;
        case 21: if (!e.clipBoundary.empty()) e.clipBoundary.back().y = g.Double(); break;
        default: break;
        }
    }
}

} // namespace RkDxf
