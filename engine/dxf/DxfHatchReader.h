// Reads the groups of a HATCH: boundary loops (polyline or edge loops with lines, arcs, elliptic
// arcs and splines), fill style and pattern definition lines.
#pragma once

#include "engine/dxf/DxfGroup.h"
#include "engine/dxf/DxfReadContext.h"

#include <vector>

namespace RkDxf {

class DxfHatchReader
{
public:
    explicit DxfHatchReader(DxfReadContext& context) : m_ctx(context) {}
    void Read(RkDb::Hatch& hatch, const std::vector<DxfGroup>& groups);

private:
    bool More() const { return m_i < m_groups->size(); }
    const DxfGroup& Peek() const { return (*m_groups)[m_i]; }
    const DxfGroup& Take() { return (*m_groups)[m_i++]; }
    // The value of the next group when it has that code (and consumes it), else fallback.
    double TakeDouble(int code, double fallback = 0.0);
    std::int32_t TakeInt(int code, std::int32_t fallback = 0);
    RkDb::Vec2 TakePoint(int code);

    void ReadLoops(RkDb::Hatch& hatch, std::int32_t count);
    void ReadPolylineLoop(RkDb::HatchLoop& loop);
    void ReadEdge(RkDb::HatchLoop& loop);
    void ReadSplineEdge(RkDb::HatchEdge& edge);
    void ReadPatternLines(RkDb::Hatch& hatch, std::int32_t count);

    DxfReadContext& m_ctx;
    const std::vector<DxfGroup>* m_groups = nullptr;
    std::size_t m_i = 0;
};

} // namespace RkDxf
