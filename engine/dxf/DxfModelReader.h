// Reads the DXF groups of the entities that ModelEntities.h holds: HELIX (its helix part; the
// spline part is a SPLINE's), 3DSOLID/REGION/BODY (the SAT text of groups 1 and 3), MESH,
// TOLERANCE, SHAPE and the PDF/DWF/DGN underlays.
#pragma once

#include "engine/db/ModelEntities.h"
#include "engine/dxf/DxfGroup.h"
#include "engine/dxf/DxfReadContext.h"

#include <vector>

namespace RkDxf {

class DxfModelReader
{
public:
    DxfModelReader(DxfReadContext& context, const std::vector<DxfGroup>& groups)
        : m_ctx(context), m_groups(groups)
    {
    }

    // Where the helix's own groups start (its "100 AcDbHelix"), or the group count.
    static std::size_t HelixStart(const std::vector<DxfGroup>& groups);
    void ReadHelix(RkDb::Helix& e, std::size_t from) const;
    void ReadAcisSolid(RkDb::AcisSolid& e) const;
    void ReadMesh(RkDb::Mesh& e) const;
    void ReadTolerance(RkDb::Tolerance& e) const;
    void ReadShape(RkDb::Shape& e) const;
    void ReadUnderlay(RkDb::Underlay& e) const;

    // The SAT text of groups 1 (a line each) and 3 (the rest of a long line), caret escapes
    // undone, still enciphered.
    static std::string StoredSat(const std::vector<DxfGroup>& groups);

private:
    DxfReadContext& m_ctx;
    const std::vector<DxfGroup>& m_groups;
};

} // namespace RkDxf
