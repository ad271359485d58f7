// The ACDSDATA section of DXF 2013 and later: the binary ACIS data (SAB) of 3DSOLID, REGION and
// BODY, kept apart from the entities in records that name their entity by handle. Collected while
// the section is read, given to the solids once every entity is known.
#pragma once

#include "engine/db/ModelEntities.h"
#include "engine/dxf/DxfGroup.h"

#include <string>
#include <unordered_map>

namespace RkDxf {

class DxfAcisData
{
public:
    // One group of the section, in file order.
    void Add(const DxfGroup& g);
    // The edges of the solid's stored data, when the section held any for its handle.
    void Apply(RkDb::AcisSolid& solid) const;

private:
    std::unordered_map<RkDb::Handle, std::string> m_data;
    RkDb::Handle m_owner = 0;        // entity of the record being read (group 320)
    bool m_inAsmData = false;        // after "2 ASM_Data": its 310 chunks follow
};

} // namespace RkDxf
