#include "engine/dwg/DwgMemoryBudget.h"

#include "engine/db/AreaEntities.h"
#include "engine/db/BlockEntities.h"
#include "engine/db/CurveEntities.h"
#include "engine/db/ModelEntities.h"
#include "engine/db/ViewportEntity.h"

#include <string>
#include <vector>

namespace orvo::dwg {

namespace {

template <class T> uint64_t Bytes(const std::vector<T>& list)
{
    return static_cast<uint64_t>(list.capacity()) * sizeof(T);
}

uint64_t Bytes(const std::string& text) { return text.capacity(); }

uint64_t HatchBytes(const RkDb::Hatch& hatch)
{
    uint64_t bytes = Bytes(hatch.loops) + Bytes(hatch.patternLines) + Bytes(hatch.patternName);
    for (const RkDb::HatchLoop& loop : hatch.loops) {
        bytes += Bytes(loop.edges) + Bytes(loop.polyline) + Bytes(loop.bulges);
        for (const RkDb::HatchEdge& edge : loop.edges)
            bytes += Bytes(edge.knots) + Bytes(edge.weights) + Bytes(edge.controlPoints);
    }
    for (const RkDb::HatchPatternLine& line : hatch.patternLines)
        bytes += Bytes(line.dashes);
    return bytes;
}

uint64_t SplineBytes(const RkDb::SplineData& spline)
{
    return Bytes(spline.knots) + Bytes(spline.weights) + Bytes(spline.controlPoints) + Bytes(spline.fitPoints);
}

uint64_t ModelBytes(const RkDb::Entity& e)
{
    if (const auto* helix = RkDb::As<RkDb::Helix>(e))
        return SplineBytes(*helix);
    if (const auto* solid = RkDb::As<RkDb::AcisSolid>(e)) {
        uint64_t bytes = Bytes(solid->edges);
        for (const RkDb::AcisEdge& edge : solid->edges)
            bytes += Bytes(edge.knots) + Bytes(edge.weights) + Bytes(edge.controlPoints);
        return bytes;
    }
    if (const auto* mesh = RkDb::As<RkDb::Mesh>(e)) {
        uint64_t bytes = Bytes(mesh->vertices) + Bytes(mesh->faces);
        for (const std::vector<int32_t>& face : mesh->faces)
            bytes += Bytes(face);
        return bytes;
    }
    if (const auto* tolerance = RkDb::As<RkDb::Tolerance>(e))
        return Bytes(tolerance->text);
    if (const auto* shape = RkDb::As<RkDb::Shape>(e))
        return Bytes(shape->name);
    if (const auto* underlay = RkDb::As<RkDb::Underlay>(e))
        return Bytes(underlay->clipBoundary);
    if (const auto* ole = RkDb::As<RkDb::OleFrame>(e))
        return Bytes(ole->picture);
    return 0;
}

uint64_t CurveBytes(const RkDb::Entity& e)
{
    if (const auto* poly = RkDb::As<RkDb::LwPolyline>(e))
        return Bytes(poly->vertices);
    if (const auto* poly = RkDb::As<RkDb::Polyline>(e))
        return Bytes(poly->vertices);
    if (const auto* spline = RkDb::As<RkDb::Spline>(e))
        return SplineBytes(*spline);
    if (const auto* leader = RkDb::As<RkDb::Leader>(e))
        return Bytes(leader->vertices);
    if (const auto* mleader = RkDb::As<RkDb::MLeader>(e)) {
        uint64_t bytes = Bytes(mleader->leaderLines) + Bytes(mleader->text);
        for (const std::vector<RkDb::Vec3>& line : mleader->leaderLines)
            bytes += Bytes(line);
        return bytes;
    }
    if (const auto* mline = RkDb::As<RkDb::MLine>(e)) {
        uint64_t bytes = Bytes(mline->vertices) + Bytes(mline->elements) + Bytes(mline->styleName);
        for (const RkDb::MLineVertex& vertex : mline->vertices)
            bytes += Bytes(vertex.offsets);
        return bytes;
    }
    return 0;
}

uint64_t TextBytes(const RkDb::Entity& e)
{
    if (const auto* text = RkDb::As<RkDb::Text>(e))
        return Bytes(text->text.value);
    if (const auto* definition = RkDb::As<RkDb::AttributeDefinition>(e))
        return Bytes(definition->text.value) + Bytes(definition->tag) + Bytes(definition->prompt);
    if (const auto* attribute = RkDb::As<RkDb::Attribute>(e))
        return Bytes(attribute->text.value) + Bytes(attribute->tag);
    if (const auto* mtext = RkDb::As<RkDb::MText>(e))
        return Bytes(mtext->contents) + Bytes(mtext->columnHeights);
    if (const auto* dimension = RkDb::As<RkDb::Dimension>(e))
        return Bytes(dimension->text);
    return 0;
}

uint64_t AreaBytes(const RkDb::Entity& e)
{
    if (const auto* hatch = RkDb::As<RkDb::Hatch>(e))
        return HatchBytes(*hatch);
    if (const auto* image = RkDb::As<RkDb::Image>(e))
        return Bytes(image->frame.clipBoundary) + Bytes(image->fileName);
    if (const auto* wipeout = RkDb::As<RkDb::Wipeout>(e))
        return Bytes(wipeout->frame.clipBoundary);
    if (const auto* viewport = RkDb::As<RkDb::ViewportEntity>(e))
        return Bytes(viewport->frozenLayers) + Bytes(viewport->clipPolygon);
    return 0;
}

} // namespace

bool DwgMemoryBudget::Charge(uint64_t bytes)
{
    if (m_exhausted || bytes > Remaining()) {
        m_exhausted = true;
        return false;
    }
    m_used += bytes;
    return true;
}

uint64_t EstimateEntityBytes(const RkDb::Entity& entity)
{
    return kObjectBytes + CurveBytes(entity) + TextBytes(entity) + AreaBytes(entity) + ModelBytes(entity);
}

} // namespace orvo::dwg
