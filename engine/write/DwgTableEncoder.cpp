#include "engine/write/DwgTableEncoder.h"

#include "engine/dwg/DwgEntityDecoders.h"
#include "engine/write/DwgEntityEncoder.h"
#include "engine/write/DwgHeaderEncoder.h"
#include "engine/write/TextEncoding.h"

#include <algorithm>
#include <vector>

namespace RkWrite {

namespace dwg = orvo::dwg;
using RkDb::DwgVersion;

namespace {

constexpr std::uint16_t kControlTypes[DwgHandles::kControlCount] = {48, 50, 52, 56, 60, 62, 64, 66, 68, 70};
constexpr std::uint16_t kTypeAppid = 67;
constexpr std::uint16_t kTypeLayout = 82;

} // namespace

std::string DwgTableEncoder::Encode(const std::string& utf8) const { return EncodeText(m_codePage, utf8); }

std::vector<std::uint8_t> DwgTableEncoder::Control(DwgHandles::Control which,
                                                   const std::vector<std::uint64_t>& entries) const
{
    DwgRecord r(m_version, kControlTypes[which], m_handles.controls[which], false);
    r.ObjectCommon(0);
    r.Data().BL(static_cast<std::uint32_t>(entries.size()));
    for (const std::uint64_t entry : entries)
        r.Handles().H(2, entry);
    if (which == DwgHandles::kBlock) {
        r.Handles().H(3, m_handles.Block(m_handles.modelSpace));
        r.Handles().H(3, m_handles.Block(m_handles.paperSpace));
    } else if (which == DwgHandles::kDimStyle && m_version >= DwgVersion::R2000) {
        // From 2000 the control counts further handles after its records: none here.
        r.Data().RC(0);
    } else if (which == DwgHandles::kLineType) {
        r.Handles().H(3, m_handles.byBlock);
        r.Handles().H(3, m_handles.byLayer);
    }
    return r.Finish();
}

DwgRecord DwgTableEncoder::Record(std::uint16_t type, std::uint64_t handle, std::uint64_t owner,
                                  const std::string& name, std::uint64_t xdictionary,
                                  const DwgExtendedLong& extended) const
{
    DwgRecord r(m_version, type, handle, false, extended);
    r.ObjectCommon(owner, xdictionary);
    DwgBitWriter& d = r.Data();
    d.TV(Encode(name));
    d.B(false); // 64-flag
    d.BS(0);    // external reference index
    d.B(false); // depends on an external reference
    return r;
}

std::vector<std::uint8_t> DwgTableEncoder::Layer(const RkDb::Layer& layer, std::uint64_t handle) const
{
    // A layer's transparency is extended data of its application (when the file has it: 2004).
    DwgExtendedLong transparency;
    if (layer.transparency != 0 && m_handles.transparencyAppId != 0)
        transparency = {m_handles.transparencyAppId, layer.transparency};
    DwgRecord r = Record(dwg::kTypeLayer, handle, m_handles.controls[DwgHandles::kLayer], layer.name, 0,
                         transparency);
    DwgBitWriter& d = r.Data();
    if (m_version >= DwgVersion::R2000) {
        unsigned flags = (layer.frozen ? 1 : 0) | (layer.off ? 2 : 0) | (layer.locked ? 8 : 0) | (layer.plot ? 16 : 0);
        flags |= static_cast<unsigned>(LineWeightIndex(layer.lineWeight) & 0x1F) << 5;
        d.BS(static_cast<std::uint16_t>(flags));
    } else {
        d.B(layer.frozen);
        d.B(!layer.off);
        d.B(false); // frozen in new viewports
        d.B(layer.locked);
    }
    // An off layer keeps its colour negated.
    std::int16_t color = ColorIndex(layer.color);
    if (color <= 0 || color > 255)
        color = 7;
    d.CMC(static_cast<std::int16_t>(layer.off ? -color : color));
    DwgBitWriter& h = r.Handles();
    h.H(5, 0); // external reference block
    if (m_version >= DwgVersion::R2000)
        h.H(5, 0); // plot style
    h.H(5, layer.lineType >= 0 ? m_handles.LineType(layer.lineType) : m_handles.continuous);
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::LineType(const RkDb::LineType& lineType, std::uint64_t handle) const
{
    DwgRecord r = Record(dwg::kTypeLtype, handle, m_handles.controls[DwgHandles::kLineType], lineType.name);
    DwgBitWriter& d = r.Data();
    d.TV(Encode(lineType.description));
    d.BD(lineType.patternLength);
    d.RC('A');
    const std::size_t count = lineType.elements.size() < 255 ? lineType.elements.size() : 255;
    d.RC(static_cast<std::uint8_t>(count));
    // The texts of text elements go into the text area, each ending at a zero, the element's
    // shape number field giving where it starts; a text that does not fit is left out.
    std::uint8_t strings[256] = {};
    std::size_t used = 0;
    std::vector<std::uint64_t> styles(count, 0);
    using Kind = RkDb::LineTypeElement::Kind;
    for (std::size_t i = 0; i < count; ++i) {
        const RkDb::LineTypeElement& el = lineType.elements[i];
        const bool styled = el.style >= 0 && static_cast<std::size_t>(el.style) < m_handles.styles.size();
        std::uint16_t code = 0, flags = 0;
        if (styled && el.kind == Kind::Shape) {
            code = static_cast<std::uint16_t>(el.shapeNumber);
            flags = 4;
        } else if (styled && el.kind == Kind::Text) {
            const std::string text = Encode(el.text);
            if (!text.empty() && used + text.size() < sizeof strings) {
                std::copy(text.begin(), text.end(), strings + used);
                code = static_cast<std::uint16_t>(used);
                used += text.size() + 1;
                flags = 2;
            }
        }
        if (flags != 0) {
            flags |= el.absoluteRotation ? 1 : 0;
            styles[i] = m_handles.styles[static_cast<std::size_t>(el.style)];
        }
        d.BD(el.length);
        d.BS(code);
        d.RD(flags != 0 ? el.offset.x : 0.0);
        d.RD(flags != 0 ? el.offset.y : 0.0);
        d.BD(flags != 0 ? el.scale : 1.0);
        d.BD(flags != 0 ? el.rotation : 0.0);
        d.BS(flags);
    }
    d.Raw(strings, sizeof strings);
    r.Handles().H(5, 0); // external reference block
    for (std::size_t i = 0; i < count; ++i)
        r.Handles().H(5, styles[i]); // the style of the element's text or shape file
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::Style(const RkDb::TextStyle& style, std::uint64_t handle) const
{
    DwgRecord r = Record(dwg::kTypeStyle, handle, m_handles.controls[DwgHandles::kStyle], style.name);
    DwgBitWriter& d = r.Data();
    d.B(false); // vertical
    d.B(style.isShapeFile);
    d.BD(style.fixedHeight);
    d.BD(style.widthFactor);
    d.BD(style.oblique);
    d.RC(style.generation);
    d.BD(style.fixedHeight > 0.0 ? style.fixedHeight : 0.2); // last height
    d.TV(Encode(style.fontFile));
    d.TV(Encode(style.bigFontFile));
    r.Handles().H(5, 0);
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::DimStyle(const RkDb::DimStyle& style, std::uint64_t handle) const
{
    DwgRecord r = Record(dwg::kTypeDimstyle, handle, m_handles.controls[DwgHandles::kDimStyle], style.name);
    r.Handles().H(5, 0); // external reference block
    EncodeDimensionVariables(r.Data(), r.Handles(), DwgDimValues{style.scale, style.arrowSize, style.textHeight},
                             m_handles.standardStyle);
    r.Data().B(false);
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::Vport(const RkDb::ViewportRecord& vport, std::uint64_t handle) const
{
    DwgRecord r = Record(dwg::kTypeVport, handle, m_handles.controls[DwgHandles::kVport], vport.name);
    DwgBitWriter& d = r.Data();
    const bool r2000 = m_version >= DwgVersion::R2000;
    d.BD(vport.height);
    d.BD(vport.height * vport.aspect);
    d.RD2(vport.center.x, vport.center.y);
    d.BD3(vport.target.x, vport.target.y, vport.target.z);
    d.BD3(vport.direction.x, vport.direction.y, vport.direction.z);
    d.BD(vport.twist);
    d.BD(50.0); // lens length
    d.BD(0.0);  // front and back clip
    d.BD(0.0);
    for (int i = 0; i < 4; ++i)
        d.B(false); // view mode
    if (r2000)
        d.RC(0);    // render mode
    d.RD2(0.0, 0.0); // the viewport's corners on the screen
    d.RD2(1.0, 1.0);
    d.B(false);     // UCSFOLLOW
    d.BS(1000);     // circle zoom percent
    d.B(true);      // fast zoom
    d.BB(3);        // UCSICON
    d.B(false);     // grid off, its spacing
    d.RD2(10.0, 10.0);
    d.B(false);     // snap off, style, isometric plane, angle, base, spacing
    d.B(false);
    d.BS(0);
    d.BD(0.0);
    d.RD2(0.0, 0.0);
    d.RD2(10.0, 10.0);
    DwgBitWriter& h = r.Handles();
    h.H(5, 0); // external reference block
    if (r2000) {
        d.B(false); // UCS at origin, UCS per viewport
        d.B(true);
        d.BD3(0.0, 0.0, 0.0); // the world UCS: origin, axes, elevation, not orthographic
        d.BD3(1.0, 0.0, 0.0);
        d.BD3(0.0, 1.0, 0.0);
        d.BD(0.0);
        d.BS(0);
        h.H(5, 0); // named and base UCS
        h.H(5, 0);
    }
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::AppId(const std::string& name, std::uint64_t handle) const
{
    DwgRecord r = Record(kTypeAppid, handle, m_handles.controls[DwgHandles::kAppId], name);
    r.Data().RC(0);
    r.Handles().H(5, 0);
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::BlockHeader(const RkDb::Block& block, std::int32_t index,
                                                       const std::vector<std::uint64_t>& entities) const
{
    const std::size_t at = static_cast<std::size_t>(index);
    DwgRecord r = Record(dwg::kTypeBlockHeader, m_handles.Block(index), m_handles.controls[DwgHandles::kBlock],
                         block.name, at < m_handles.blockDictionaries.size() ? m_handles.blockDictionaries[at] : 0);
    DwgBitWriter& d = r.Data();
    const bool xref = (block.flags & RkDb::kBlockXref) != 0;
    const bool overlay = (block.flags & RkDb::kBlockXrefOverlay) != 0;
    d.B((block.flags & RkDb::kBlockAnonymous) != 0);
    d.B((block.flags & RkDb::kBlockHasAttributes) != 0);
    d.B(xref);
    d.B(overlay);
    if (m_version >= DwgVersion::R2000)
        d.B(false); // loaded
    const bool listed = m_version >= DwgVersion::R2004 && !xref && !overlay;
    if (listed)
        d.BL(static_cast<std::uint32_t>(entities.size()));
    d.BD3(block.basePoint.x, block.basePoint.y, block.basePoint.z);
    // Only an external reference has a path: readers take a block with one for a reference.
    d.TV(xref || overlay ? Encode(block.xrefPath) : std::string());
    if (m_version >= DwgVersion::R2000) {
        d.RC(0);    // no insert counts
        d.TV("");   // description
        d.BL(0);    // no preview
    }
    DwgBitWriter& h = r.Handles();
    h.H(5, 0);
    h.H(3, m_handles.blockBegin[static_cast<std::size_t>(index)]);
    if (listed) {
        for (const std::uint64_t entity : entities)
            h.H(3, entity);
    } else if (!xref && !overlay) {
        h.H(4, entities.empty() ? 0 : entities.front());
        h.H(4, entities.empty() ? 0 : entities.back());
    }
    h.H(3, m_handles.blockEnd[static_cast<std::size_t>(index)]);
    if (m_version >= DwgVersion::R2000)
        h.H(5, m_handles.blockLayouts[static_cast<std::size_t>(index)]);
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::Layout(const RkDb::Layout& layout, std::uint64_t handle,
                                                  std::uint64_t block) const
{
    DwgRecord r(m_version, kTypeLayout, handle, false);
    r.ObjectCommon(m_handles.layoutDict);
    DwgBitWriter& d = r.Data();
    const bool r2004 = m_version >= DwgVersion::R2004;
    d.TV("");   // page setup name, printer
    d.TV("");
    d.BS(0x2A0); // plot flags: use standard scale, print line weights, plot styles
    const RkDb::PlotSettings& plot = layout.plot;
    d.BD(plot.left);
    d.BD(plot.bottom);
    d.BD(plot.right);
    d.BD(plot.top);
    d.BD(layout.paperSize.x);
    d.BD(layout.paperSize.y);
    d.TV("");   // paper size name
    d.BD2(plot.origin.x, plot.origin.y);
    d.BS(static_cast<std::uint16_t>(plot.units));
    d.BS(static_cast<std::uint16_t>(plot.rotation));
    d.BS(5);    // plot type: the layout
    d.BD2(0.0, 0.0);
    d.BD2(0.0, 0.0);
    if (!r2004)
        d.TV(""); // plot view name
    d.BD(1.0);  // real world and drawing units
    d.BD(1.0);
    d.TV("");   // style sheet
    d.BS(16);   // scale type: 1:1
    d.BD(1.0);
    d.BD2(0.0, 0.0);
    if (r2004) {
        d.BS(0); // shade plot mode, resolution, dpi
        d.BS(2);
        d.BS(300);
    }
    d.TV(Encode(layout.name));
    d.BS(static_cast<std::uint16_t>(layout.tabOrder));
    d.BS(layout.IsModel() ? 0 : 1); // flags
    d.BD3(0.0, 0.0, 0.0);
    d.RD2(layout.limMin.x, layout.limMin.y);
    d.RD2(layout.limMax.x, layout.limMax.y);
    d.BD3(0.0, 0.0, 0.0);   // insertion base
    d.BD3(1.0, 0.0, 0.0);   // UCS axes
    d.BD3(0.0, 1.0, 0.0);
    d.BD(0.0);
    d.BS(0);
    d.BD3(layout.extMin.x, layout.extMin.y, layout.extMin.z);
    d.BD3(layout.extMax.x, layout.extMax.y, layout.extMax.z);
    if (r2004)
        d.BL(0); // viewports
    DwgBitWriter& h = r.Handles();
    if (r2004)
        h.H(5, 0); // plot view
    h.H(4, block);
    h.H(4, 0); // last active viewport, base UCS, named UCS
    h.H(5, 0);
    h.H(5, 0);
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::ImageDef(std::uint64_t handle, std::uint64_t owner, const std::string& file,
                                                    const RkDb::Vec2& pixels) const
{
    DwgRecord r(m_version, DwgEntityEncoder::ClassNumber(m_version, "IMAGEDEF"), handle, false);
    r.ObjectCommon(owner);
    DwgBitWriter& d = r.Data();
    d.BL(0); // class version
    d.RD2(pixels.x, pixels.y);
    d.TV(Encode(file));
    d.B(true); // loaded
    d.RC(0);   // no resolution units
    d.RD2(1.0, 1.0);
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::Dictionary(
    std::uint64_t handle, std::uint64_t owner, const std::vector<std::pair<std::string, std::uint64_t>>& entries,
    bool hardOwner) const
{
    DwgRecord r(m_version, dwg::kTypeDictionary, handle, false);
    r.ObjectCommon(owner, 0, hardOwner);
    DwgBitWriter& d = r.Data();
    d.BL(static_cast<std::uint32_t>(entries.size()));
    if (m_version == DwgVersion::R14)
        d.RC(0);
    if (m_version >= DwgVersion::R2000) {
        d.BS(1); // cloning: keep existing
        d.RC(hardOwner ? 1 : 0);
    }
    for (const auto& entry : entries) {
        d.TV(Encode(entry.first));
        r.Handles().H(2, entry.second);
    }
    return r.Finish();
}

std::vector<std::uint8_t> DwgTableEncoder::SortEntsTable(
    std::int32_t index, const std::vector<std::pair<RkDb::Handle, RkDb::Handle>>& entries) const
{
    const std::size_t at = static_cast<std::size_t>(index);
    const std::uint64_t dictionary = m_handles.blockDictionaries[at];
    DwgRecord r(m_version, DwgEntityEncoder::ClassNumber(m_version, "SORTENTSTABLE"), m_handles.blockSortTables[at],
                false);
    r.ObjectCommon(dictionary, 0, true);
    // The places are in the data stream, the block and the entities in the handle stream.
    r.Data().BL(static_cast<std::uint32_t>(entries.size()));
    for (const auto& entry : entries)
        r.Data().H(0, entry.second);
    r.Handles().H(4, m_handles.Block(index));
    for (const auto& entry : entries)
        r.Handles().H(4, entry.first);
    return r.Finish();
}

} // namespace RkWrite
