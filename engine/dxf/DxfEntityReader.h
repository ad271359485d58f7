// Builds one database entity from the groups of one DXF entity record (everything between its
// "0 TYPE" group and the next 0 group). Unknown types give no entity.
#pragma once

#include "engine/dxf/DxfGroup.h"
#include "engine/dxf/DxfReadContext.h"

#include <string_view>
#include <vector>

namespace RkDxf {

class DxfEntityReader
{
public:
    struct Result
    {
        RkDb::EntityPtr entity;
        bool paperSpace = false;         // group 67
        bool followers = false;          // group 66: ATTRIBs or VERTEXes follow, up to SEQEND
    };

    explicit DxfEntityReader(DxfReadContext& context) : m_ctx(context) {}

    Result Build(std::string_view type, const std::vector<DxfGroup>& groups);
    // A VERTEX record of the polyline being read.
    void AddVertex(RkDb::Polyline& polyline, const std::vector<DxfGroup>& groups);

private:
    bool SplitCommon(std::string_view type, RkDb::Entity& entity, const std::vector<DxfGroup>& groups,
                     Result& result);
    RkDb::EntityPtr Create(std::string_view type);
    // An insert of the proxy graphics an unknown entity keeps, or null.
    RkDb::EntityPtr BuildProxyGraphics(const std::vector<DxfGroup>& groups);
    void Fill(RkDb::Entity& entity);

    void ReadLine(RkDb::Line& e);
    void ReadPoint(RkDb::Point& e);
    void ReadCircle(RkDb::Circle& e);
    void ReadArc(RkDb::Arc& e);
    void ReadEllipse(RkDb::Ellipse& e);
    void ReadRay(RkDb::Vec3& base, RkDb::Vec3& direction);
    void ReadLwPolyline(RkDb::LwPolyline& e);
    void ReadPolyline(RkDb::Polyline& e);
    void ReadSpline(RkDb::SplineData& e);
    void ReadText(RkDb::TextData& t, bool attribute);
    void ReadAttribute(RkDb::Attribute& e);
    void ReadAttributeDefinition(RkDb::AttributeDefinition& e);
    void ReadMText(RkDb::MText& e);
    void ReadInsert(RkDb::Insert& e);
    void ReadDimension(RkDb::Dimension& e);
    void ReadLeader(RkDb::Leader& e);
    void ReadMLeader(RkDb::MLeader& e);
    static RkDb::Color RawColor(std::int64_t value);
    void ReadMLine(RkDb::MLine& e);
    void ReadCorners(RkDb::Vec3 (&corners)[4]);
    void ReadFace3d(RkDb::Face3d& e);
    void ReadRasterFrame(RkDb::RasterFrame& frame, RkDb::Handle* imageDef);
    void ReadImageLook(RkDb::Image& e);
    void ReadOleFrame(RkDb::OleFrame& e);
    void ReadViewport(RkDb::ViewportEntity& e);

    DxfReadContext& m_ctx;
    std::vector<DxfGroup> m_groups;      // the entity's own groups, common ones removed
};

// Sets x, y or z of v from a coordinate group whose x code is base (10, 11, ...).
inline bool SetCoordinate(RkDb::Vec3& v, const DxfGroup& g, int base)
{
    if (g.code == base) { v.x = g.Double(); return true; }
    if (g.code == base + 10) { v.y = g.Double(); return true; }
    if (g.code == base + 20) { v.z = g.Double(); return true; }
    return false;
}

constexpr double kDegree = 0.017453292519943295;

} // namespace RkDxf
