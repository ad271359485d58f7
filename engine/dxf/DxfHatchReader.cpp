#include "engine/dxf/DxfHatchReader.h"

#include "engine/dxf/DxfEntityReader.h"

namespace RkDxf {

using namespace RkDb;

double DxfHatchReader::TakeDouble(int code, double fallback)
{
    if (More() && Peek().code == code)
        return Take().Double();
    return fallback;
}

std::int32_t DxfHatchReader::TakeInt(int code, std::int32_t fallback)
{
    if (More() && Peek().code == code)
        return Take().Int();
    return fallback;
}

Vec2 DxfHatchReader::TakePoint(int code)
{
    Vec2 p;
    p.x = TakeDouble(code);
    p.y = TakeDouble(code + 10);
    return p;
}

void DxfHatchReader::Read(Hatch& hatch, const std::vector<DxfGroup>& groups)
{
    m_groups = &groups;
    m_i = 0;
    // Loop and pattern groups reuse codes (10, 40, 49, ...): they are read in sequence after
    // their count group; everything else is read by code.
    while (More()) {
        const DxfGroup& g = Take();
        switch (g.code) {
        case 2: hatch.patternName = m_ctx.Text(g.text); break;
        case 30: hatch.elevation = g.Double(); break;
        case 70: hatch.solid = g.Int() != 0; break;
        case 75: hatch.style = static_cast<std::uint8_t>(g.Int()); break;
        case 91: ReadLoops(hatch, g.Int()); break;
        case 78: ReadPatternLines(hatch, g.Int()); break;
        case 450: hatch.gradient = g.Int() != 0; break;
        case 421:
            if (hatch.gradient && hatch.gradientColor == 0)
                hatch.gradientColor = static_cast<std::uint32_t>(g.Int()) & 0xFFFFFFu;
            break;
        default: break;
        }
    }
}

void DxfHatchReader::ReadLoops(Hatch& hatch, std::int32_t count)
{
    // Each loop starts with its 92 group; a count larger than the loops present ends early.
    for (std::int32_t n = 0; n < count && More(); ++n) {
        if (Peek().code != 92)
            return;
        HatchLoop loop;
        loop.flags = static_cast<std::uint32_t>(Take().Int());
        if (loop.flags & 2) {
            ReadPolylineLoop(loop);
        } else {
            const std::int32_t edges = TakeInt(93);
            for (std::int32_t k = 0; k < edges && More() && Peek().code == 72; ++k)
                ReadEdge(loop);
        }
        // Source boundary objects: 97 count, then that many 330 handles.
        const std::int32_t sources = TakeInt(97);
        for (std::int32_t k = 0; k < sources && More() && Peek().code == 330; ++k)
            Take();
        hatch.loops.push_back(std::move(loop));
    }
}

void DxfHatchReader::ReadPolylineLoop(HatchLoop& loop)
{
    const bool hasBulge = TakeInt(72) != 0;
    loop.closed = TakeInt(73, 1) != 0;
    const std::int32_t count = TakeInt(93);
    for (std::int32_t k = 0; k < count && More() && Peek().code == 10; ++k) {
        loop.polyline.push_back(TakePoint(10));
        loop.bulges.push_back(hasBulge ? TakeDouble(42) : 0.0);
    }
}

void DxfHatchReader::ReadEdge(HatchLoop& loop)
{
    HatchEdge edge;
    switch (Take().Int()) {
    case 1:
        edge.kind = HatchEdge::Kind::Line;
        edge.start = TakePoint(10);
        edge.end = TakePoint(11);
        break;
    case 2:
        edge.kind = HatchEdge::Kind::Arc;
        edge.center = TakePoint(10);
        edge.radius = TakeDouble(40);
        edge.startAngle = TakeDouble(50) * kDegree;
        edge.endAngle = TakeDouble(51) * kDegree;
        edge.counterClockwise = TakeInt(73, 1) != 0;
        break;
    case 3:
        edge.kind = HatchEdge::Kind::Ellipse;
        edge.center = TakePoint(10);
        edge.majorAxis = TakePoint(11);
        edge.ratio = TakeDouble(40, 1.0);
        edge.startAngle = TakeDouble(50) * kDegree;
        edge.endAngle = TakeDouble(51) * kDegree;
        edge.counterClockwise = TakeInt(73, 1) != 0;
        break;
    case 4:
        edge.kind = HatchEdge::Kind::Spline;
        ReadSplineEdge(edge);
        break;
    default:
        return;     // unknown edge type: its groups are skipped by the caller's code checks
    }
    loop.edges.push_back(std::move(edge));
}

void DxfHatchReader::ReadSplineEdge(HatchEdge& edge)
{
    edge.degree = TakeInt(94, 3);
    const bool rational = TakeInt(73) != 0;
    TakeInt(74);
    const std::int32_t knots = TakeInt(95);
    const std::int32_t controls = TakeInt(96);
    for (std::int32_t k = 0; k < knots && More() && Peek().code == 40; ++k)
        edge.knots.push_back(Take().Double());
    for (std::int32_t k = 0; k < controls && More() && Peek().code == 10; ++k) {
        edge.controlPoints.push_back(TakePoint(10));
        if (rational)
            edge.weights.push_back(TakeDouble(42, 1.0));
    }
    // Fit data (97 count, 11/21 points, 12/22 and 13/23 tangents) is not needed to draw.
    const std::int32_t fits = TakeInt(97);
    for (std::int32_t k = 0; k < fits && More() && Peek().code == 11; ++k)
        TakePoint(11);
    if (More() && Peek().code == 12)
        TakePoint(12);
    if (More() && Peek().code == 13)
        TakePoint(13);
}

void DxfHatchReader::ReadPatternLines(Hatch& hatch, std::int32_t count)
{
    for (std::int32_t n = 0; n < count && More() && Peek().code == 53; ++n) {
        HatchPatternLine line;
        line.angle = Take().Double() * kDegree;
        line.base = {TakeDouble(43), TakeDouble(44)};
        line.offset = {TakeDouble(45), TakeDouble(46)};
        const std::int32_t dashes = TakeInt(79);
        for (std::int32_t k = 0; k < dashes && More() && Peek().code == 49; ++k)
            line.dashes.push_back(Take().Double());
        hatch.patternLines.push_back(std::move(line));
    }
}

} // namespace RkDxf
