// Writes the entities of a block (or of the ENTITIES section) in one DXF version, converting the
// kinds that version lacks and counting what it writes, converts and drops in the report.
#pragma once

#include "engine/db/Database.h"
#include "engine/write/DxfOutput.h"
#include "engine/write/DxfVersion.h"
#include "engine/write/HatchBlockSet.h"
#include "engine/write/HandleAllocator.h"
#include "engine/write/WriteReport.h"

#include <map>
#include <string>
#include <vector>

namespace RkWrite {

class DxfEntityWriter
{
public:
    DxfEntityWriter(const RkDb::Database& db, DxfOutput& out, DxfVersion version,
                    HandleAllocator& handles, WriteReport& report);

    // The handles the layers are written with (viewports name their frozen layers by handle).
    void SetLayerHandles(const std::vector<RkDb::Handle>* handles) { m_layerHandles = handles; }

    // The image definitions the IMAGEs refer to (by file name), made as images are written; the
    // objects section writes them.
    struct ImageDef { RkDb::Handle handle; RkDb::Vec2 pixelSize; };
    void SetImageDefs(std::map<std::string, ImageDef>* defs) { m_imageDefs = defs; }

    // R12 draws a hatch through an anonymous block of its lines and fills, made before the
    // blocks are written; a hatch without one keeps its boundary.
    void SetHatchBlocks(const HatchBlockSet* blocks) { m_hatchBlocks = blocks; }

    // owner: the handle of the block record (R13 and later); paperSpace marks group 67.
    void Write(const RkDb::Entity& e, RkDb::Handle owner, bool paperSpace);
    // A part of a hatch's block: counted with its hatch, not on its own.
    void WritePart(const RkDb::Entity& e);
    // The handles of the records the last Write put at its owner's top level (none for what
    // the version drops, several for an entity converted into several).
    const std::vector<RkDb::Handle>& Written() const { return m_written; }

private:
    // Writes e as it is or converted; returns without writing what the version cannot hold.
    void Dispatch(const RkDb::Entity& e);
    // The record's type, handle, owner and common properties; counted as top-level when counted.
    RkDb::Handle Begin(const char* type, const RkDb::Entity& e, bool counted);
    void Subclass(const char* marker);
    void ThicknessAndExtrusion(const RkDb::Entity& e);
    std::string LayerName(std::int32_t layer) const;
    std::string LineTypeName(std::int32_t lineType) const;
    std::string StyleName(std::int32_t style) const;
    std::string BlockName(std::int32_t block) const;

    void WriteLine(const RkDb::Line& e);
    void WritePoint(const RkDb::Point& e);
    // What CIRCLE and ARC share.
    void CircleBody(const char* type, const RkDb::Entity& e, const RkDb::Vec3& center, double radius);
    void WriteCircle(const RkDb::Circle& e);
    void WriteArc(const RkDb::Arc& e);
    void WriteEllipse(const RkDb::Ellipse& e);
    void WriteRay(const RkDb::Entity& e, const char* type, const char* marker,
                  const RkDb::Vec3& base, const RkDb::Vec3& direction);
    void WriteLwPolyline(const RkDb::LwPolyline& e);
    void WritePolyline(const RkDb::Polyline& e);
    void WriteSpline(const RkDb::Entity& e, const RkDb::SplineData& s);
    void WriteTextData(const RkDb::TextData& t);
    void WriteText(const RkDb::Text& e);
    void WriteAttributeDefinition(const RkDb::AttributeDefinition& e);
    void WriteAttribute(const RkDb::Attribute& e, RkDb::Handle owner);
    void WriteMText(const RkDb::MText& e);
    void WriteInsert(const RkDb::Insert& e);
    void WriteDimension(const RkDb::Dimension& e);
    void WriteLeader(const RkDb::Entity& e, const std::vector<RkDb::Vec3>& vertices, bool arrow,
                     bool spline);
    void WriteMLeader(const RkDb::MLeader& e);
    void WriteHatch(const RkDb::Hatch& e);
    void WriteAcisSolid(const RkDb::AcisSolid& e);
    void WriteHatchInsert(const RkDb::Hatch& e, const HatchBlockSet::Block& block);
    void WriteCorners(const RkDb::Entity& e, const char* type, const char* marker,
                      const RkDb::Vec3 (&corners)[4]);
    void WriteFace(const RkDb::Face3d& e);
    void WriteViewport(const RkDb::ViewportEntity& e);
    void WriteRaster(const RkDb::Entity& e, const char* type, const char* marker,
                     const RkDb::RasterFrame& frame, RkDb::Handle imageDef, const RkDb::Image* image);
    void WriteTolerance(const RkDb::Tolerance& e);
    void WriteShape(const RkDb::Shape& e);
    void SeqEnd(const RkDb::Entity& e, RkDb::Handle owner);

    const RkDb::Database& m_db;
    DxfOutput& m_out;
    DxfVersion m_version;
    HandleAllocator& m_handles;
    WriteReport& m_report;
    RkDb::Handle m_owner = 0;
    RkDb::Handle m_topOwner = 0;        // the owner Write was given
    std::vector<RkDb::Handle> m_written;
    bool m_paperSpace = false;
    TypeCounts m_emitted{};
    const std::vector<RkDb::Handle>* m_layerHandles = nullptr;
    std::map<std::string, ImageDef>* m_imageDefs = nullptr;
    const HatchBlockSet* m_hatchBlocks = nullptr;
};

} // namespace RkWrite
