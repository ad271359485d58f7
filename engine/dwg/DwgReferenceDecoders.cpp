// Decoders of the entities that refer to blocks or other objects: INSERT, MINSERT, the
// DIMENSION kinds and VIEWPORT.
#include "engine/dwg/DwgDecoderSupport.h"

#include "engine/db/BlockEntities.h"
#include "engine/db/ViewportEntity.h"

namespace orvo::dwg {

namespace {

RkDb::Vec3 ReadInsertScale(DwgBitReader& data)
{
    if (!data.AtLeast(DwgVersion::R2000))
        return ToVec3(data.BD3());
    RkDb::Vec3 scale{1.0, 1.0, 1.0};
    switch (data.BB()) {
    case 0:
        scale.x = data.RD();
        scale.y = data.DD(scale.x);
        scale.z = data.DD(scale.x);
        break;
    case 1:
        scale.y = data.DD(1.0);
        scale.z = data.DD(1.0);
        break;
    case 2:
        scale.x = scale.y = scale.z = data.RD();
        break;
    default: break;
    }
    return scale;
}

RkDb::EntityPtr DecodeInsert(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common,
                             DwgEntityRefs& refs)
{
    auto insert = std::make_unique<RkDb::Insert>();
    DwgBitReader& data = record.Data();
    insert->insertion = ToVec3(data.BD3());
    insert->scale = ReadInsertScale(data);
    insert->rotation = data.BD();
    insert->extrusion = ToVec3(data.BD3());
    const bool hasAttributes = data.B() != 0;
    const uint32_t owned = hasAttributes && data.AtLeast(DwgVersion::R2004) ? data.BL() : 0;
    if (type == kTypeMinsert) {
        insert->columns = data.BS();
        insert->rows = data.BS();
        insert->columnSpacing = data.BD();
        insert->rowSpacing = data.BD();
    }
    record.ReadEntityHandles(common);
    refs.block = record.Ref();
    if (hasAttributes) {
        refs.ownsChildren = true;
        if (record.Version() >= DwgVersion::R2004) {
            if (owned > record.Handles().BitsLeft() / 8)
                return nullptr;
            for (uint32_t i = 0; i < owned && !record.Handles().Failed(); ++i)
                refs.children.push_back(record.Ref());
        } else {
            refs.firstChild = record.Ref();
            refs.lastChild = record.Ref();
        }
    }
    return insert;
}

// The fields every dimension starts with.
void ReadDimensionCommon(DwgObjectRecord& record, RkDb::Dimension& dim)
{
    DwgBitReader& data = record.Data();
    if (data.AtLeast(DwgVersion::R2010))
        data.RC(); // version
    dim.extrusion = ToVec3(data.BD3());
    dim.textMidpoint = ToVec3(data.RD2());
    dim.textMidpoint.z = data.BD();
    data.RC(); // flags
    dim.text = record.Text().TV();
    data.BD(); // text rotation
    data.BD(); // horizontal direction
    data.BD3(); // insertion scale
    data.BD(); // insertion rotation
    if (data.AtLeast(DwgVersion::R2000)) {
        data.BS(); // attachment point
        data.BS(); // line spacing style
        data.BD(); // line spacing factor
        dim.measurement = data.BD();
    }
    if (data.AtLeast(DwgVersion::R2007)) {
        data.B();
        data.B(); // flip arrows
        data.B();
    }
    data.RD2(); // insertion point of the block (clones)
}

RkDb::EntityPtr DecodeDimension(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common,
                                DwgEntityRefs& refs)
{
    auto dim = std::make_unique<RkDb::Dimension>();
    ReadDimensionCommon(record, *dim);
    DwgBitReader& data = record.Data();
    switch (type) {
    case kTypeDimOrdinate:
        dim->dimType = 6;
        dim->definitionPoint = ToVec3(data.BD3());
        dim->points[0] = ToVec3(data.BD3());
        dim->points[1] = ToVec3(data.BD3());
        data.RC();
        break;
    case kTypeDimLinear:
    case kTypeDimAligned:
        dim->dimType = type == kTypeDimLinear ? 0 : 1;
        dim->points[0] = ToVec3(data.BD3());
        dim->points[1] = ToVec3(data.BD3());
        dim->definitionPoint = ToVec3(data.BD3());
        data.BD(); // extension line rotation
        if (type == kTypeDimLinear)
            dim->angle = data.BD();
        break;
    case kTypeDimAng3Pt:
        dim->dimType = 5;
        dim->definitionPoint = ToVec3(data.BD3());
        dim->points[0] = ToVec3(data.BD3());
        dim->points[1] = ToVec3(data.BD3());
        dim->points[2] = ToVec3(data.BD3());
        break;
    case kTypeDimAng2Ln:
        dim->dimType = 2;
        dim->points[3] = ToVec3(data.RD2());
        dim->points[0] = ToVec3(data.BD3());
        dim->points[1] = ToVec3(data.BD3());
        dim->points[2] = ToVec3(data.BD3());
        dim->definitionPoint = ToVec3(data.BD3());
        break;
    default:
        dim->dimType = type == kTypeDimRadius ? 4 : 3;
        dim->definitionPoint = ToVec3(data.BD3());
        dim->points[2] = ToVec3(data.BD3());
        data.BD(); // leader length
        break;
    }
    record.ReadEntityHandles(common);
    refs.dimStyle = record.Ref();
    refs.block = record.Ref();
    return dim;
}

// ARC_DIMENSION: the arc's end points and centre; drawn, like every dimension, through its block.
RkDb::EntityPtr DecodeArcDimension(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto dim = std::make_unique<RkDb::Dimension>();
    ReadDimensionCommon(record, *dim);
    DwgBitReader& data = record.Data();
    dim->dimType = 5;
    dim->definitionPoint = ToVec3(data.BD3());
    dim->points[0] = ToVec3(data.BD3());
    dim->points[1] = ToVec3(data.BD3());
    dim->points[2] = ToVec3(data.BD3());
    record.ReadEntityHandles(common);
    refs.dimStyle = record.Ref();
    refs.block = record.Ref();
    return dim;
}

RkDb::EntityPtr DecodeViewport(DwgObjectRecord& record, DwgEntityCommon& common)
{
    auto viewport = std::make_unique<RkDb::ViewportEntity>();
    DwgBitReader& data = record.Data();
    viewport->center = ToVec3(data.BD3());
    viewport->width = data.BD();
    viewport->height = data.BD();
    uint32_t frozenCount = 0;
    if (data.AtLeast(DwgVersion::R2000)) {
        viewport->viewTarget = ToVec3(data.BD3());
        viewport->viewDirection = ToVec3(data.BD3());
        viewport->twist = data.BD();
        viewport->viewHeight = data.BD();
        data.BD(); // lens length
        data.BD(); // front clip
        data.BD(); // back clip
        data.BD(); // snap angle
        viewport->viewCenter = ToVec3(data.RD2());
        data.RD2(); // snap base
        data.RD2(); // snap spacing
        data.RD2(); // grid spacing
        data.BS();  // circle zoom
        if (data.AtLeast(DwgVersion::R2007))
            data.BS(); // grid major
        frozenCount = data.BL();
        const uint32_t status = data.BL();
        viewport->on = (status & 0x20000) == 0;
    }
    record.ReadEntityHandles(common);
    if (frozenCount > record.Handles().BitsLeft() / 8)
        return nullptr;
    for (uint32_t i = 0; i < frozenCount; ++i)
        record.Ref(); // frozen layers: resolved by handle when needed
    if (record.Version() >= DwgVersion::R2000)
        viewport->clipBoundary = record.Ref();
    return viewport;
}

} // namespace

RkDb::EntityPtr DecodeReferenceEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                                      DwgEntityCommon& common, DwgEntityRefs& refs)
{
    if (className == "ARC_DIMENSION")
        return DecodeArcDimension(record, common, refs);
    // A table starts as a block reference to the anonymous block that draws it; its cells are
    // the block's entities.
    if (className == "ACAD_TABLE")
        return DecodeInsert(kTypeInsert, record, common, refs);
    switch (type) {
    case kTypeInsert:
    case kTypeMinsert: return DecodeInsert(type, record, common, refs);
    case kTypeDimOrdinate:
    case kTypeDimLinear:
    case kTypeDimAligned:
    case kTypeDimAng3Pt:
    case kTypeDimAng2Ln:
    case kTypeDimRadius:
    case kTypeDimDiameter: return DecodeDimension(type, record, common, refs);
    case kTypeViewport: return DecodeViewport(record, common);
    default: return nullptr;
    }
}

RkDb::EntityPtr DecodeEntity(uint16_t type, const std::string& className, DwgObjectRecord& record,
                             DwgEntityCommon& common, DwgEntityRefs& refs)
{
    if (RkDb::EntityPtr entity = DecodeCurveEntity(type, className, record, common, refs))
        return entity;
    if (RkDb::EntityPtr entity = DecodeTextEntity(type, record, common, refs))
        return entity;
    if (RkDb::EntityPtr entity = DecodeAreaEntity(type, className, record, common, refs))
        return entity;
    if (RkDb::EntityPtr entity = DecodeAnnotationEntity(type, className, record, common, refs))
        return entity;
    if (RkDb::EntityPtr entity = DecodeModelEntity(type, className, record, common, refs))
        return entity;
    return DecodeReferenceEntity(type, className, record, common, refs);
}

} // namespace orvo::dwg
