#include "engine/db/Entity.h"

namespace RkDb {

const char* EntityTypeName(EntityType type)
{
    switch (type) {
    case EntityType::Line: return "LINE";
    case EntityType::Point: return "POINT";
    case EntityType::Circle: return "CIRCLE";
    case EntityType::Arc: return "ARC";
    case EntityType::Ellipse: return "ELLIPSE";
    case EntityType::Ray: return "RAY";
    case EntityType::XLine: return "XLINE";
    case EntityType::LwPolyline: return "LWPOLYLINE";
    case EntityType::Polyline: return "POLYLINE";
    case EntityType::Spline: return "SPLINE";
    case EntityType::Text: return "TEXT";
    case EntityType::MText: return "MTEXT";
    case EntityType::AttributeDefinition: return "ATTDEF";
    case EntityType::Attribute: return "ATTRIB";
    case EntityType::Insert: return "INSERT";
    case EntityType::Dimension: return "DIMENSION";
    case EntityType::Leader: return "LEADER";
    case EntityType::MLeader: return "MULTILEADER";
    case EntityType::MLine: return "MLINE";
    case EntityType::Hatch: return "HATCH";
    case EntityType::Solid: return "SOLID";
    case EntityType::Trace: return "TRACE";
    case EntityType::Face3d: return "3DFACE";
    case EntityType::Image: return "IMAGE";
    case EntityType::Wipeout: return "WIPEOUT";
    case EntityType::Viewport: return "VIEWPORT";
    case EntityType::Helix: return "HELIX";
    case EntityType::AcisSolid: return "3DSOLID";
    case EntityType::Mesh: return "MESH";
    case EntityType::Tolerance: return "TOLERANCE";
    case EntityType::Shape: return "SHAPE";
    case EntityType::Underlay: return "UNDERLAY";
    case EntityType::OleFrame: return "OLE2FRAME";
    }
    return "?";
}

} // namespace RkDb
