#include "engine/dwg/DwgTableDecoders.h"

#include "engine/dwg/DwgDecoderSupport.h"

namespace orvo::dwg {

namespace {

// Every table record starts with its name and its external-reference fields.
std::string ReadEntryName(DwgObjectRecord& record)
{
    std::string name = record.Text().TV();
    DwgBitReader& data = record.Data();
    data.B(); // 64-flag
    // From 2007 on the external reference index is no longer stored with the record.
    if (!data.AtLeast(DwgVersion::R2007))
        data.BS();
    data.B(); // depends on an external reference
    return name;
}

bool Start(DwgObjectRecord& record) { return record.ReadObjectCommon(); }

// The text that begins at a place of a line type's text area (bytes of the code page, or UTF-16
// units from 2007).
std::string TextOfArea(const std::vector<uint8_t>& area, uint16_t at, bool wide, const DwgBitReader& data)
{
    std::string text;
    if (!wide) {
        for (std::size_t i = at; i < area.size() && area[i] != 0; ++i)
            text += static_cast<char>(area[i]);
    } else {
        std::vector<uint16_t> units;
        for (std::size_t i = static_cast<std::size_t>(at) * 2; i + 1 < area.size(); i += 2) {
            const uint16_t unit = static_cast<uint16_t>(area[i] | (area[i + 1] << 8));
            if (unit == 0)
                break;
            units.push_back(unit);
        }
        text = Utf16ToUtf8(units.data(), units.size());
    }
    return data.TextDecoder() ? data.TextDecoder()->Decode(text) : text;
}

} // namespace

bool DecodeLayer(DwgObjectRecord& record, DwgLayerRecord& out)
{
    if (!Start(record))
        return false;
    RkDb::Layer& layer = out.layer;
    layer.handle = record.Handle();
    out.extendedLongs = record.ExtendedLongs();
    layer.name = ReadEntryName(record);
    DwgBitReader& data = record.Data();
    if (data.AtLeast(DwgVersion::R2000)) {
        const uint16_t flags = data.BS();
        layer.frozen = (flags & 1) != 0;
        layer.off = (flags & 2) != 0;
        layer.locked = (flags & 8) != 0;
        layer.plot = (flags & 16) != 0;
        layer.lineWeight = LineWeightFromIndex(static_cast<uint8_t>((flags >> 5) & 0x1F));
    } else {
        layer.frozen = data.B() != 0;
        data.B(); // on
        data.B(); // frozen in new viewports
        layer.locked = data.B() != 0;
    }
    const DwgColor color = data.CMC(&record.Text());
    if (color.index < 0)
        layer.off = true;
    layer.color = color.hasRgb ? RkDb::Color::FromRgb(color.rgb) : RkDb::Color::FromAci(color.index);
    record.ReadObjectHandles();
    record.Ref(); // external reference block
    if (record.Version() >= DwgVersion::R2000)
        record.Ref(); // plot style
    if (record.Version() >= DwgVersion::R2007)
        record.Ref(); // material
    out.lineType = record.Ref();
    return !record.Failed();
}

bool DecodeLineType(DwgObjectRecord& record, RkDb::LineType& out)
{
    if (!Start(record))
        return false;
    out.handle = record.Handle();
    out.name = ReadEntryName(record);
    DwgBitReader& data = record.Data();
    out.description = record.Text().TV();
    out.patternLength = data.BD();
    data.RC(); // alignment
    const uint8_t count = data.RC();
    std::vector<uint16_t> textAt;       // per element: where its text starts in the text area
    bool texts = false;
    for (uint8_t i = 0; i < count && !data.Failed(); ++i) {
        RkDb::LineTypeElement element;
        element.length = data.BD();
        const uint16_t code = data.BS();    // the shape number, or a text's place in the area
        element.offset.x = data.RD();
        element.offset.y = data.RD();
        element.scale = data.BD();
        element.rotation = data.BD();
        const uint16_t flags = data.BS();
        element.absoluteRotation = (flags & 1) != 0;
        if (flags & 2) {
            element.kind = RkDb::LineTypeElement::Kind::Text;
            texts = true;
        } else if (flags & 4) {
            element.kind = RkDb::LineTypeElement::Kind::Shape;
            element.shapeNumber = static_cast<int16_t>(code);
        }
        textAt.push_back(code);
        out.elements.push_back(std::move(element));
    }
    // The texts of the elements: up to 2004 a 256-byte area of the code page's text, from 2007
    // (only when an element has a text) 512 bytes of UTF-16; each text ends at a zero.
    const bool wide = data.AtLeast(DwgVersion::R2007);
    if (!wide || texts) {
        const std::vector<uint8_t> area = data.Bytes(wide ? 512 : 256);
        for (std::size_t i = 0; i < out.elements.size() && area.size() == (wide ? 512u : 256u); ++i) {
            if (out.elements[i].kind == RkDb::LineTypeElement::Kind::Text)
                out.elements[i].text = TextOfArea(area, textAt[i], wide, data);
        }
    }
    // Handles: the owner, reactors and dictionary, the external reference block, then the
    // style of each element.
    record.ReadObjectHandles();
    record.Ref();
    for (RkDb::LineTypeElement& element : out.elements) {
        element.styleHandle = record.Ref();
        if (element.kind == RkDb::LineTypeElement::Kind::Plain)
            element.styleHandle = 0;
    }
    return !record.Failed();
}

bool DecodeTextStyle(DwgObjectRecord& record, RkDb::TextStyle& out)
{
    if (!Start(record))
        return false;
    out.handle = record.Handle();
    out.name = ReadEntryName(record);
    DwgBitReader& data = record.Data();
    data.B(); // vertical
    out.isShapeFile = data.B() != 0;
    out.fixedHeight = data.BD();
    out.widthFactor = data.BD();
    out.oblique = data.BD();
    out.generation = data.RC();
    data.BD(); // last height
    out.fontFile = record.Text().TV();
    out.bigFontFile = record.Text().TV();
    return !record.Failed();
}

bool DecodeDimStyle(DwgObjectRecord& record, RkDb::DimStyle& out)
{
    if (!Start(record))
        return false;
    out.handle = record.Handle();
    out.name = ReadEntryName(record);
    return !record.Failed();
}

bool DecodeViewportRecord(DwgObjectRecord& record, RkDb::ViewportRecord& out)
{
    if (!Start(record))
        return false;
    out.handle = record.Handle();
    out.name = ReadEntryName(record);
    DwgBitReader& data = record.Data();
    out.height = data.BD();
    const double width = data.BD();
    out.aspect = out.height > 0.0 ? width / out.height : 1.0;
    const DwgPoint3 center = data.RD2();
    out.center = RkDb::Vec2{center.x, center.y};
    out.target = ToVec3(data.BD3());
    out.direction = ToVec3(data.BD3());
    out.twist = data.BD();
    return !record.Failed();
}

bool DecodeBlockHeader(DwgObjectRecord& record, DwgBlockRecord& out)
{
    if (!Start(record))
        return false;
    RkDb::Block& block = out.block;
    block.handle = record.Handle();
    block.name = ReadEntryName(record);
    DwgBitReader& data = record.Data();
    if (data.B() != 0)
        block.flags |= RkDb::kBlockAnonymous;
    if (data.B() != 0)
        block.flags |= RkDb::kBlockHasAttributes;
    const bool isXref = data.B() != 0;
    const bool overlaid = data.B() != 0;
    if (isXref)
        block.flags |= RkDb::kBlockXref;
    if (overlaid)
        block.flags |= RkDb::kBlockXrefOverlay;
    if (data.AtLeast(DwgVersion::R2000))
        data.B(); // loaded
    uint32_t owned = 0;
    if (data.AtLeast(DwgVersion::R2004) && !isXref && !overlaid)
        owned = data.BL();
    block.basePoint = ToVec3(data.BD3());
    block.xrefPath = record.Text().TV();
    uint32_t inserts = 0;
    if (data.AtLeast(DwgVersion::R2000)) {
        // One non-zero byte per insert of the block, ended by a zero.
        while (data.RC() != 0 && !data.Failed())
            ++inserts;
        record.Text().TV(); // description
        data.SkipBytes(data.BL()); // preview
    }
    if (data.Failed())
        return false;
    record.ReadObjectHandles();
    record.Ref(); // null
    out.blockEntity = record.Ref();
    if (record.Version() >= DwgVersion::R2004) {
        if (owned > record.Handles().BitsLeft() / 8)
            return false;
        for (uint32_t i = 0; i < owned; ++i)
            out.entities.push_back(record.Ref());
    } else if (!isXref && !overlaid) {
        out.firstEntity = record.Ref();
        out.lastEntity = record.Ref();
    }
    record.Ref(); // ENDBLK
    if (inserts > record.Handles().BitsLeft() / 8)
        return false;
    for (uint32_t i = 0; i < inserts; ++i)
        record.Ref();
    if (record.Version() >= DwgVersion::R2000)
        out.layout = record.Ref();
    return !record.Failed();
}

bool DecodeLayout(DwgObjectRecord& record, RkDb::Layout& out)
{
    if (!Start(record))
        return false;
    out.handle = record.Handle();
    DwgBitReader& data = record.Data();
    DwgBitReader& text = record.Text();
    text.TV(); // page setup name
    text.TV(); // printer or configuration
    data.BS(); // plot layout flags
    RkDb::PlotSettings& plot = out.plot;
    plot.left = data.BD();
    plot.bottom = data.BD();
    plot.right = data.BD();
    plot.top = data.BD();
    out.paperSize.x = data.BD();
    out.paperSize.y = data.BD();
    text.TV(); // paper size name
    const DwgPoint3 origin = data.BD2();
    plot.origin = RkDb::Vec2{origin.x, origin.y};
    plot.units = static_cast<std::int16_t>(data.BS());
    plot.rotation = static_cast<std::int16_t>(data.BS());
    plot.known = true;
    plot.Normalize();
    data.BS(); // plot type
    data.BD2(); // window
    data.BD2();
    if (!data.AtLeast(DwgVersion::R2004))
        text.TV(); // plot view name
    data.BD(); // real world units
    data.BD(); // drawing units
    text.TV(); // style sheet
    data.BS(); // scale type
    data.BD(); // scale factor
    data.BD2(); // paper image origin
    if (data.AtLeast(DwgVersion::R2004)) {
        data.BS();
        data.BS();
        data.BS();
    }
    out.name = text.TV();
    out.tabOrder = data.BS();
    data.BS(); // flags
    data.BD3(); // UCS origin
    const DwgPoint3 limMin = data.RD2();
    const DwgPoint3 limMax = data.RD2();
    out.limMin = RkDb::Vec2{limMin.x, limMin.y};
    out.limMax = RkDb::Vec2{limMax.x, limMax.y};
    data.BD3(); // insertion base
    data.BD3(); // UCS axes
    data.BD3();
    data.BD();  // elevation
    data.BS();  // orthographic view type
    out.extMin = ToVec3(data.BD3());
    out.extMax = ToVec3(data.BD3());
    if (data.Failed())
        return false;
    record.ReadObjectHandles();
    if (record.Version() >= DwgVersion::R2004)
        record.Ref(); // plot view
    if (record.Version() >= DwgVersion::R2007)
        record.Ref(); // visual style
    out.blockHandle = record.Ref();
    return !record.Failed();
}

} // namespace orvo::dwg

namespace orvo::dwg {

bool DecodeTableControl(DwgObjectRecord& record, bool isBlockControl, DwgTableControl& out)
{
    if (!Start(record))
        return false;
    const uint32_t count = record.Data().BL();
    record.ReadObjectHandles();
    if (record.Failed() || count > record.Handles().BitsLeft() / 8)
        return false;
    out.entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        out.entries.push_back(record.Ref());
    if (isBlockControl) {
        out.modelSpace = record.Ref();
        out.paperSpace = record.Ref();
    }
    return !record.Failed();
}

} // namespace orvo::dwg

namespace orvo::dwg {

bool DecodeMLineStyle(DwgObjectRecord& record, RkDb::MLineStyle& out)
{
    if (!Start(record))
        return false;
    out.handle = record.Handle();
    DwgBitReader& data = record.Data();
    out.name = record.Text().TV();
    record.Text().TV(); // description
    data.BS();          // flags
    data.CMC(&record.Text()); // fill colour
    data.BD();          // start and end angles
    data.BD();
    const uint8_t lines = data.RC();
    for (uint8_t i = 0; i < lines && !data.Failed(); ++i) {
        RkDb::MLineElement element;
        element.offset = data.BD();
        const DwgColor color = data.CMC(&record.Text());
        element.color = color.hasRgb ? RkDb::Color::FromRgb(color.rgb) : RkDb::Color::FromAci(color.index);
        if (!data.AtLeast(DwgVersion::R2018))
            data.BS(); // line type index
        out.elements.push_back(element);
    }
    return !record.Failed();
}

bool DecodeAppId(DwgObjectRecord& record, std::string& name)
{
    if (!Start(record))
        return false;
    name = ReadEntryName(record);
    return !record.Failed();
}

bool DecodeImageDefinition(DwgObjectRecord& record, std::string& fileName)
{
    if (!Start(record))
        return false;
    DwgBitReader& data = record.Data();
    data.BL();  // class version
    data.RD2(); // size in pixels
    fileName = record.Text().TV();
    return !record.Failed();
}

} // namespace orvo::dwg
