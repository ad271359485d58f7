// Decoders of the text entities: TEXT, ATTRIB, ATTDEF and MTEXT.
#include "engine/dwg/DwgDecoderSupport.h"

#include "engine/db/TextEntities.h"

namespace orvo::dwg {

namespace {

// The fields TEXT, ATTRIB and ATTDEF share. From 2000 on a flag byte says which fields are left at
// their defaults.
void ReadTextData(DwgObjectRecord& record, RkDb::TextData& text, RkDb::Entity& entity)
{
    DwgBitReader& data = record.Data();
    if (!data.AtLeast(DwgVersion::R2000)) {
        const double elevation = data.BD();
        text.insertion = ToVec3(data.RD2());
        text.insertion.z = elevation;
        text.alignment = ToVec3(data.RD2());
        text.alignment.z = elevation;
        entity.extrusion = ToVec3(data.BD3());
        entity.thickness = data.BD();
        text.oblique = data.BD();
        text.rotation = data.BD();
        text.height = data.BD();
        text.widthFactor = data.BD();
        text.value = record.Text().TV();
        text.generation = static_cast<uint8_t>(data.BS());
        text.hAlign = static_cast<uint8_t>(data.BS());
        text.vAlign = static_cast<uint8_t>(data.BS());
    } else {
        const uint8_t flags = data.RC();
        const double elevation = (flags & 0x01) == 0 ? data.RD() : 0.0;
        text.insertion = ToVec3(data.RD2());
        text.insertion.z = elevation;
        // An alignment point left out is the insertion point (never the origin).
        text.alignment = text.insertion;
        if ((flags & 0x02) == 0) {
            text.alignment = ToVec3(data.DD2(ToPoint(text.insertion)));
            text.alignment.z = elevation;
        }
        entity.extrusion = ToVec3(data.BE());
        entity.thickness = data.BT();
        if ((flags & 0x04) == 0)
            text.oblique = data.RD();
        if ((flags & 0x08) == 0)
            text.rotation = data.RD();
        text.height = data.RD();
        if ((flags & 0x10) == 0)
            text.widthFactor = data.RD();
        text.value = record.Text().TV();
        if ((flags & 0x20) == 0)
            text.generation = static_cast<uint8_t>(data.BS());
        if ((flags & 0x40) == 0)
            text.hAlign = static_cast<uint8_t>(data.BS());
        if ((flags & 0x80) == 0)
            text.vAlign = static_cast<uint8_t>(data.BS());
    }
    text.hasAlignment = text.hAlign != 0 || text.vAlign != 0;
}

// Tag, field length, flags and lock of ATTRIB and ATTDEF. False for the multi-line attributes of
// 2018 and later, whose embedded MTEXT the database does not hold.
bool ReadAttributeData(DwgObjectRecord& record, std::string& tag, uint8_t& flags)
{
    DwgBitReader& data = record.Data();
    if (data.AtLeast(DwgVersion::R2010))
        data.RC(); // version
    if (data.AtLeast(DwgVersion::R2018) && data.RC() > 1)
        return false;
    tag = record.Text().TV();
    data.BS(); // field length
    flags = data.RC();
    if (data.AtLeast(DwgVersion::R2007))
        data.B(); // lock position
    return true;
}

RkDb::EntityPtr DecodeText(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto text = std::make_unique<RkDb::Text>();
    ReadTextData(record, text->text, *text);
    record.ReadEntityHandles(common);
    refs.style = record.Ref();
    return text;
}

RkDb::EntityPtr DecodeAttribute(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto attribute = std::make_unique<RkDb::Attribute>();
    ReadTextData(record, attribute->text, *attribute);
    if (!ReadAttributeData(record, attribute->tag, attribute->flags))
        return nullptr;
    record.ReadEntityHandles(common);
    refs.style = record.Ref();
    return attribute;
}

RkDb::EntityPtr DecodeAttributeDefinition(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto definition = std::make_unique<RkDb::AttributeDefinition>();
    ReadTextData(record, definition->text, *definition);
    if (!ReadAttributeData(record, definition->tag, definition->flags))
        return nullptr;
    if (record.Data().AtLeast(DwgVersion::R2010))
        record.Data().RC(); // version
    definition->prompt = record.Text().TV();
    record.ReadEntityHandles(common);
    refs.style = record.Ref();
    return definition;
}

RkDb::EntityPtr DecodeMText(DwgObjectRecord& record, DwgEntityCommon& common, DwgEntityRefs& refs)
{
    auto mtext = std::make_unique<RkDb::MText>();
    DwgBitReader& data = record.Data();
    mtext->insertion = ToVec3(data.BD3());
    mtext->extrusion = ToVec3(data.BD3());
    mtext->xDirection = ToVec3(data.BD3());
    mtext->referenceWidth = data.BD();
    if (data.AtLeast(DwgVersion::R2007))
        data.BD(); // rectangle height
    mtext->height = data.BD();
    mtext->attachment = static_cast<uint8_t>(data.BS());
    mtext->direction = static_cast<uint8_t>(data.BS());
    data.BD(); // extents height
    data.BD(); // extents width
    mtext->contents = record.Text().TV();
    if (data.AtLeast(DwgVersion::R2000)) {
        data.BS(); // line spacing style
        mtext->lineSpacing = data.BD();
    }
    record.ReadEntityHandles(common);
    refs.style = record.Ref();
    return mtext;
}

} // namespace

RkDb::EntityPtr DecodeTextEntity(uint16_t type, DwgObjectRecord& record, DwgEntityCommon& common,
                                 DwgEntityRefs& refs)
{
    switch (type) {
    case kTypeText: return DecodeText(record, common, refs);
    case kTypeAttrib: return DecodeAttribute(record, common, refs);
    case kTypeAttdef: return DecodeAttributeDefinition(record, common, refs);
    case kTypeMtext: return DecodeMText(record, common, refs);
    default: return nullptr;
    }
}

} // namespace orvo::dwg
