// What the entity decoder files share: point conversion and the per-family decoders that
// DecodeEntity dispatches to.
#pragma once

#include "engine/db/Geometry.h"
#include "engine/dwg/DwgEntityDecoders.h"

namespace orvo::dwg {

inline RkDb::Vec3 ToVec3(const DwgPoint3& p) { return RkDb::Vec3{p.x, p.y, p.z}; }
inline DwgPoint3 ToPoint(const RkDb::Vec3& v) { return DwgPoint3{v.x, v.y, v.z}; }

RkDb::EntityPtr DecodeCurveEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                  DwgEntityCommon& common, DwgEntityRefs& refs);
RkDb::EntityPtr DecodeTextEntity(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common,
                                 DwgEntityRefs& refs);
RkDb::EntityPtr DecodeAreaEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                 DwgEntityCommon& common, DwgEntityRefs& refs);
RkDb::EntityPtr DecodeAnnotationEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                       DwgEntityCommon& common, DwgEntityRefs& refs);
RkDb::EntityPtr DecodeModelEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                  DwgEntityCommon& common, DwgEntityRefs& refs);
RkDb::EntityPtr DecodeReferenceEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                      DwgEntityCommon& common, DwgEntityRefs& refs);

} // namespace orvo::dwg
