#include "engine/write/DwgWriter.h"

#include "engine/db/SymbolTable.h"
#include "engine/dwg/DwgChecksum.h"
#include "engine/write/DownConverter.h"
#include "engine/write/DrawOrderTable.h"
#include "engine/write/DwgEntityEncoder.h"
#include "engine/write/DwgFileLayout.h"
#include "engine/write/DwgHeaderEncoder.h"
#include "engine/write/DwgTableEncoder.h"
#include "engine/write/TextEncoding.h"

#include <algorithm>
#include <iterator>

namespace RkWrite {

using RkDb::DwgVersion;
using RkDb::EntityType;

namespace {


template <class Table> std::int32_t FindKey(const Table& table, const char* key)
{
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        if (RkDb::TableKey(table[i].name) == key)
            return i;
    }
    return -1;
}

} // namespace

DwgWriter::DwgWriter(const RkDb::Database& db, DwgVersion version, std::size_t limit)
    : m_db(db), m_version(version), m_limit(limit), m_codePage(WrittenCodePage(db.Header().codePage)),
      m_codePageIndex(DwgCodePageIndex(db.Header().codePage)),
      m_allocator(db)
{
}

void DwgWriter::AssignTableHandles()
{
    DwgHandles& h = m_handles;
    for (std::uint64_t& control : h.controls)
        control = m_allocator.Next();
    const auto keep = [this](const auto& table, std::vector<std::uint64_t>& out) {
        for (const auto& record : table)
            out.push_back(m_allocator.Keep(record.handle));
    };
    keep(m_db.Layers(), h.layers);
    keep(m_db.LineTypes(), h.lineTypes);
    keep(m_db.TextStyles(), h.styles);
    keep(m_db.DimStyles(), h.dimStyles);
    keep(m_db.ViewportRecords(), h.vports);
    keep(m_db.Blocks(), h.blocks);
    const auto pick = [this](const std::vector<std::uint64_t>& handles, std::int32_t index) {
        return index >= 0 ? handles[static_cast<std::size_t>(index)] : m_allocator.Next();
    };
    h.layerZero = pick(h.layers, FindKey(m_db.Layers(), "0"));
    h.byBlock = pick(h.lineTypes, FindKey(m_db.LineTypes(), "BYBLOCK"));
    h.byLayer = pick(h.lineTypes, FindKey(m_db.LineTypes(), "BYLAYER"));
    h.continuous = pick(h.lineTypes, FindKey(m_db.LineTypes(), "CONTINUOUS"));
    h.standardStyle = pick(h.styles, FindKey(m_db.TextStyles(), "STANDARD"));
    h.standardDimStyle = pick(h.dimStyles, FindKey(m_db.DimStyles(), "STANDARD"));
    h.acadAppId = m_allocator.Next();
    const bool transparentLayer = std::any_of(m_db.Layers().begin(), m_db.Layers().end(),
                                              [](const RkDb::Layer& layer) { return layer.transparency != 0; });
    if (m_version >= DwgVersion::R2004 && transparentLayer)
        h.transparencyAppId = m_allocator.Next();
    h.groupDict = m_allocator.Next();
    h.mlineDict = m_allocator.Next();
    h.namedDict = m_allocator.Next();
    h.modelSpace = m_db.ModelSpace();
    h.paperSpace = FindKey(m_db.Blocks(), "*PAPER_SPACE");
    if (h.paperSpace < 0) {
        // Every R13 and later file has a paper space; a drawing read without one gets an empty one.
        h.paperSpace = m_db.Blocks().Count();
        h.blocks.push_back(m_allocator.Next());
    }
    // A block's BLOCK follows its record, as in the files CAD programs write; its ENDBLK, given
    // with the block's entities, follows them.
    for (std::size_t i = 0; i < h.blocks.size(); ++i)
        h.blockBegin.push_back(m_allocator.After(h.blocks[i]));
    h.blockEnd.assign(h.blocks.size(), 0);
    // One picture definition per file the drawing's images show.
    for (const RkDb::Block& block : m_db.Blocks()) {
        for (const RkDb::EntityPtr& e : block.entities) {
            const auto* image = RkDb::As<RkDb::Image>(*e);
            if (image && !image->fileName.empty() && h.imageDefs.count(image->fileName) == 0)
                h.imageDefs.emplace(image->fileName, m_allocator.Next());
        }
    }
    if (!h.imageDefs.empty())
        h.imageDict = m_allocator.Next();
    // A block drawn in an order of its own keeps its draw order table, in its extension dictionary.
    h.blockDictionaries.assign(h.blocks.size(), 0);
    h.blockSortTables.assign(h.blocks.size(), 0);
    for (std::int32_t i = 0; i < m_db.Blocks().Count(); ++i) {
        if (!DrawOrderTable::Needed(m_db.Blocks()[i]))
            continue;
        h.blockDictionaries[static_cast<std::size_t>(i)] = m_allocator.Next();
        h.blockSortTables[static_cast<std::size_t>(i)] = m_allocator.Next();
    }
    AssignLayoutHandles();
}

void DwgWriter::AssignLayoutHandles()
{
    DwgHandles& h = m_handles;
    h.blockLayouts.assign(h.blocks.size(), 0);
    if (m_version < DwgVersion::R2000)
        return;
    h.layoutDict = m_allocator.Next();
    for (const RkDb::Layout& layout : m_db.Layouts()) {
        const std::int32_t block = layout.IsModel() ? h.modelSpace : layout.block;
        std::uint64_t handle = 0;
        // A layout shows one block, and a block has one layout.
        if (block >= 0 && static_cast<std::size_t>(block) < h.blocks.size() &&
            h.blockLayouts[static_cast<std::size_t>(block)] == 0) {
            handle = m_allocator.Keep(layout.handle);
            h.blockLayouts[static_cast<std::size_t>(block)] = handle;
        }
        h.layouts.push_back(handle);
    }
}

void DwgWriter::Layouts(const DwgTableEncoder& tables)
{
    const DwgHandles& h = m_handles;
    if (h.layoutDict == 0)
        return;
    std::vector<std::pair<std::string, std::uint64_t>> entries;
    for (std::size_t i = 0; i < h.layouts.size(); ++i) {
        if (h.layouts[i] == 0)
            continue;
        const RkDb::Layout& layout = m_db.Layouts()[i];
        const std::int32_t block = layout.IsModel() ? h.modelSpace : layout.block;
        entries.emplace_back(layout.name, h.layouts[i]);
        Add(h.layouts[i], tables.Layout(layout, h.layouts[i], h.Block(block)));
    }
    Add(h.layoutDict, tables.Dictionary(h.layoutDict, h.namedDict, entries));
}

void DwgWriter::Add(std::uint64_t handle, std::vector<std::uint8_t> bytes)
{
    m_objectBytes += bytes.size();
    if (m_objectBytes > m_limit) {
        m_overflow = true;
        return;
    }
    m_objects.push_back(Object{handle, std::move(bytes)});
}

void DwgWriter::Tables()
{
    const DwgHandles& h = m_handles;
    const DwgTableEncoder tables(m_version, h, m_codePage);
    std::vector<std::uint64_t> blockEntries;
    for (std::size_t i = 0; i < h.blocks.size(); ++i) {
        if (static_cast<std::int32_t>(i) != h.modelSpace && static_cast<std::int32_t>(i) != h.paperSpace)
            blockEntries.push_back(h.blocks[i]);
    }
    // Records the drawing lacks (layer 0, the standard styles, the special line types) are added.
    RkDb::Layer zero;
    zero.name = "0";
    std::vector<std::uint64_t> layers = h.layers;
    if (FindKey(m_db.Layers(), "0") < 0) {
        layers.push_back(h.layerZero);
        Add(h.layerZero, tables.Layer(zero, h.layerZero));
    }
    for (std::int32_t i = 0; i < m_db.Layers().Count(); ++i)
        Add(h.layers[i], tables.Layer(m_db.Layers()[i], h.layers[i]));
    std::vector<std::uint64_t> lineTypes;
    for (std::int32_t i = 0; i < m_db.LineTypes().Count(); ++i) {
        Add(h.lineTypes[i], tables.LineType(m_db.LineTypes()[i], h.lineTypes[i]));
        if (h.lineTypes[i] != h.byBlock && h.lineTypes[i] != h.byLayer)
            lineTypes.push_back(h.lineTypes[i]);
    }
    const std::pair<const char*, std::uint64_t> special[] = {
        {"ByBlock", h.byBlock}, {"ByLayer", h.byLayer}, {"Continuous", h.continuous}};
    for (const auto& [name, handle] : special) {
        if (FindKey(m_db.LineTypes(), RkDb::TableKey(name).c_str()) >= 0)
            continue;
        RkDb::LineType lineType;
        lineType.name = name;
        lineType.description = name == std::string("Continuous") ? "Solid line" : "";
        Add(handle, tables.LineType(lineType, handle));
        if (handle == h.continuous)
            lineTypes.push_back(handle);
    }
    std::vector<std::uint64_t> styles = h.styles;
    if (FindKey(m_db.TextStyles(), "STANDARD") < 0) {
        RkDb::TextStyle standard;
        standard.name = "Standard";
        standard.fontFile = "txt";
        styles.push_back(h.standardStyle);
        Add(h.standardStyle, tables.Style(standard, h.standardStyle));
    }
    for (std::int32_t i = 0; i < m_db.TextStyles().Count(); ++i)
        Add(h.styles[i], tables.Style(m_db.TextStyles()[i], h.styles[i]));
    std::vector<std::uint64_t> dimStyles = h.dimStyles;
    if (FindKey(m_db.DimStyles(), "STANDARD") < 0) {
        dimStyles.push_back(h.standardDimStyle);
        RkDb::DimStyle standard;
        standard.name = "Standard";
        Add(h.standardDimStyle, tables.DimStyle(standard, h.standardDimStyle));
    }
    for (std::int32_t i = 0; i < m_db.DimStyles().Count(); ++i)
        Add(h.dimStyles[i], tables.DimStyle(m_db.DimStyles()[i], h.dimStyles[i]));
    for (std::int32_t i = 0; i < m_db.ViewportRecords().Count(); ++i)
        Add(h.vports[i], tables.Vport(m_db.ViewportRecords()[i], h.vports[i]));
    Add(h.acadAppId, tables.AppId("ACAD", h.acadAppId));
    std::vector<std::uint64_t> appIds = {h.acadAppId};
    if (h.transparencyAppId != 0) {
        Add(h.transparencyAppId, tables.AppId("AcCmTransparency", h.transparencyAppId));
        appIds.push_back(h.transparencyAppId);
    }

    const std::vector<std::uint64_t> none;
    Add(h.controls[DwgHandles::kBlock], tables.Control(DwgHandles::kBlock, blockEntries));
    Add(h.controls[DwgHandles::kLayer], tables.Control(DwgHandles::kLayer, layers));
    Add(h.controls[DwgHandles::kStyle], tables.Control(DwgHandles::kStyle, styles));
    Add(h.controls[DwgHandles::kLineType], tables.Control(DwgHandles::kLineType, lineTypes));
    Add(h.controls[DwgHandles::kView], tables.Control(DwgHandles::kView, none));
    Add(h.controls[DwgHandles::kUcs], tables.Control(DwgHandles::kUcs, none));
    Add(h.controls[DwgHandles::kVport], tables.Control(DwgHandles::kVport, h.vports));
    Add(h.controls[DwgHandles::kAppId], tables.Control(DwgHandles::kAppId, appIds));
    Add(h.controls[DwgHandles::kDimStyle], tables.Control(DwgHandles::kDimStyle, dimStyles));
    if (m_version < DwgVersion::R2004) // the viewport entity headers went with 2004
        Add(h.controls[DwgHandles::kVpEntity], tables.Control(DwgHandles::kVpEntity, none));
    std::vector<std::pair<std::string, std::uint64_t>> named = {{"ACAD_GROUP", h.groupDict},
                                                                {"ACAD_MLINESTYLE", h.mlineDict}};
    if (h.imageDict != 0)
        named.emplace_back("ACAD_IMAGE_DICT", h.imageDict);
    if (h.layoutDict != 0)
        named.emplace_back("ACAD_LAYOUT", h.layoutDict);
    Add(h.namedDict, tables.Dictionary(h.namedDict, 0, named));
    ImageDefinitions(tables);
    Layouts(tables);
    Add(h.groupDict, tables.Dictionary(h.groupDict, h.namedDict, {}));
    Add(h.mlineDict, tables.Dictionary(h.mlineDict, h.namedDict, {}));
}

void DwgWriter::ImageDefinitions(const DwgTableEncoder& tables)
{
    const DwgHandles& h = m_handles;
    if (h.imageDict == 0)
        return;
    std::vector<std::pair<std::string, std::uint64_t>> entries;
    for (const auto& [file, handle] : h.imageDefs) {
        // The dictionary names a picture by its file's base name.
        const std::size_t slash = file.find_last_of("/\\");
        std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
        const std::size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0)
            name.resize(dot);
        entries.emplace_back(name + "_" + std::to_string(entries.size() + 1), handle);
        RkDb::Vec2 pixels{1.0, 1.0};
        for (const RkDb::Block& block : m_db.Blocks()) {
            for (const RkDb::EntityPtr& e : block.entities) {
                const auto* image = RkDb::As<RkDb::Image>(*e);
                if (image && image->fileName == file)
                    pixels = image->frame.pixelSize;
            }
        }
        Add(handle, tables.ImageDef(handle, h.imageDict, file, pixels));
    }
    Add(h.imageDict, tables.Dictionary(h.imageDict, h.namedDict, entries));
}

std::vector<DwgWriter::Unit> DwgWriter::Expand(const DwgEntityEncoder& encoder, const RkDb::Entity& e,
                                               WriteReport& report)
{
    using namespace RkDb;
    std::vector<Unit> units;
    const auto made = [&units](EntityPtr entity) {
        Unit unit;
        unit.entity = entity.get();
        unit.made = std::move(entity);
        units.push_back(std::move(unit));
    };
    if (e.type != EntityType::Attribute && encoder.Stores(e)) {
        Unit unit;
        unit.entity = &e;
        units.push_back(std::move(unit));
    } else if (e.type == EntityType::Helix) {
        auto spline = std::make_unique<Spline>();
        DownConverter::CopyCommon(e, *spline);
        static_cast<SplineData&>(*spline) = static_cast<const SplineData&>(static_cast<const Helix&>(e));
        made(std::move(spline));
    } else if (e.type == EntityType::Mesh) {
        if (auto pl = DownConverter::FromMesh(static_cast<const Mesh&>(e)))
            made(std::move(pl));
    } else if (e.type == EntityType::MLine) {
        for (auto& p : DownConverter::FromMLine(static_cast<const MLine&>(e)))
            made(std::move(p));
    } else if (e.type == EntityType::MLeader) {
        const auto& m = static_cast<const MLeader&>(e);
        for (const auto& line : m.leaderLines)
            made(DownConverter::Through(e, line, false));
    }
    TypeCounts emitted{};
    for (const Unit& unit : units)
        ++emitted[static_cast<std::size_t>(unit.entity->type)];
    Account(report, e.type, emitted);
    return units;
}

std::uint8_t DwgWriter::EntMode(std::int32_t block) const
{
    if (block == m_handles.modelSpace)
        return 2;
    return block == m_handles.paperSpace ? 1 : 0;
}

void DwgWriter::Children(const DwgEntityEncoder& encoder, const Unit& unit, DwgChildren& children)
{
    std::uint64_t& first = children.first;
    std::uint64_t& last = children.last;
    std::uint64_t& seqend = children.seqend;
    std::vector<std::uint64_t> handles;
    const auto* polyline = RkDb::As<RkDb::Polyline>(*unit.entity);
    const auto* insert = RkDb::As<RkDb::Insert>(*unit.entity);
    const std::size_t count = polyline ? polyline->vertices.size() : insert ? insert->attributes.size() : 0;
    if (count == 0 && !polyline)
        return;
    // Each part follows the one before, and the first its owner, in handle order as in the file.
    std::uint64_t previous = unit.handle;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t handle =
            m_allocator.KeepAfter(polyline ? 0 : insert->attributes[i]->handle, previous);
        handles.push_back(handle);
        previous = handle;
    }
    seqend = m_allocator.After(previous);
    children.all = handles;
    first = handles.empty() ? 0 : handles.front();
    last = handles.empty() ? 0 : handles.back();
    for (std::size_t i = 0; i < count; ++i) {
        DwgPlace place{handles[i], 0, unit.handle, i > 0 ? handles[i - 1] : 0, i + 1 < count ? handles[i + 1] : 0};
        if (polyline)
            Add(place.handle, encoder.Vertex(*polyline, polyline->vertices[i], place));
        else
            Add(place.handle, encoder.Entity(*insert->attributes[i], place));
    }
    Add(seqend, encoder.Seqend(DwgPlace{seqend, 0, unit.handle, 0, 0}));
}

void DwgWriter::Block(std::int32_t index, WriteReport& report)
{
    const bool generated = index >= m_db.Blocks().Count();
    RkDb::Block empty;
    empty.name = "*Paper_Space";
    const RkDb::Block& block = generated ? empty : m_db.Blocks()[index];
    const DwgEntityEncoder encoder(m_version, m_handles, m_codePage);
    std::vector<Unit> units;
    for (std::size_t k = 0; k < block.entities.size(); ++k) {
        for (Unit& unit : Expand(encoder, *block.entities[k], report)) {
            unit.source = static_cast<std::int32_t>(k);
            units.push_back(std::move(unit));
        }
    }
    for (Unit& unit : units)
        unit.handle = unit.made ? m_allocator.Next() : m_allocator.Keep(unit.entity->handle);
    const std::uint64_t header = m_handles.Block(index);
    const std::uint8_t mode = EntMode(index);
    const std::size_t at = static_cast<std::size_t>(index);
    std::uint64_t highest = m_handles.blockBegin[at];
    Add(m_handles.blockBegin[at], encoder.BlockBegin(block.name, DwgPlace{m_handles.blockBegin[at], 0, header, 0, 0}));
    for (std::size_t i = 0; i < units.size() && !m_overflow; ++i) {
        const DwgPlace place{units[i].handle, mode, header, i > 0 ? units[i - 1].handle : 0,
                             i + 1 < units.size() ? units[i + 1].handle : 0};
        DwgChildren children;
        Children(encoder, units[i], children);
        Add(place.handle, encoder.Entity(*units[i].entity, place, children));
        highest = std::max({highest, place.handle, children.seqend});
    }
    m_handles.blockEnd[at] = m_allocator.After(highest);
    Add(m_handles.blockEnd[at], encoder.BlockEnd(DwgPlace{m_handles.blockEnd[at], 0, header, 0, 0}));
    const DwgTableEncoder tables(m_version, m_handles, m_codePage);
    std::vector<std::uint64_t> entities;
    entities.reserve(units.size());
    for (const Unit& unit : units)
        entities.push_back(unit.handle);
    Add(header, tables.BlockHeader(block, index, entities));
    DrawOrder(index, block, units);
}

void DwgWriter::DrawOrder(std::int32_t index, const RkDb::Block& block, const std::vector<Unit>& units)
{
    const std::size_t at = static_cast<std::size_t>(index);
    if (at >= m_handles.blockSortTables.size() || m_handles.blockSortTables[at] == 0)
        return;
    DrawOrderTable table;
    for (const Unit& unit : units)
        table.Add(unit.source, unit.handle);
    const DwgTableEncoder tables(m_version, m_handles, m_codePage);
    const std::uint64_t dictionary = m_handles.blockDictionaries[at];
    Add(dictionary, tables.Dictionary(dictionary, m_handles.Block(index),
                                      {{"ACAD_SORTENTS", m_handles.blockSortTables[at]}}, true));
    Add(m_handles.blockSortTables[at], tables.SortEntsTable(index, table.Entries(block)));
}

void DwgWriter::Blocks(WriteReport& report)
{
    for (std::size_t i = 0; i < m_handles.blocks.size() && !m_overflow; ++i)
        Block(static_cast<std::int32_t>(i), report);
}

bool DwgWriter::Write(std::string& file, WriteReport& report)
{
    AssignTableHandles();
    Tables();
    Blocks(report);
    if (m_overflow || !Assemble(file)) {
        file.clear();
        report.status = SaveStatus::TooLarge;
        report.message = "the drawing would make a file past the size limit";
        return false;
    }
    return true;
}

bool DwgWriter::Assemble(std::string& file) const
{
    DwgFileLayout layout(m_version, m_codePageIndex);
    DwgHeaderRefs refs;
    const auto current = [](const auto& table, const std::vector<std::uint64_t>& handles, const std::string& name,
                            std::uint64_t fallback) {
        const std::int32_t index = table.Find(name);
        return index >= 0 ? handles[static_cast<std::size_t>(index)] : fallback;
    };
    const RkDb::DrawingHeader& header = m_db.Header();
    refs.layer = current(m_db.Layers(), m_handles.layers, header.currentLayer, m_handles.layerZero);
    refs.style = current(m_db.TextStyles(), m_handles.styles, header.textStyle, m_handles.standardStyle);
    refs.lineType = current(m_db.LineTypes(), m_handles.lineTypes, header.currentLineType, m_handles.byLayer);
    refs.dimStyle = current(m_db.DimStyles(), m_handles.dimStyles, header.dimStyle, m_handles.standardDimStyle);
    refs.seed = m_allocator.Seed();
    layout.SetHeader(EncodeHeaderVariables(header, m_version, m_handles, refs, m_codePage));
    static const char* const kCppNames[] = {"AcDbPolyline", "AcDbHatch", "AcDbRasterImage", "AcDbRasterImageDef",
                                            "AcDbWipeout", "AcDbSortentsTable"};
    static_assert(std::size(kCppNames) == std::size(DwgEntityEncoder::kClassNames));
    for (std::size_t i = 0; i < std::size(kCppNames); ++i) {
        const std::string name = DwgEntityEncoder::kClassNames[i];
        const std::uint16_t number = DwgEntityEncoder::ClassNumber(m_version, name.c_str());
        if (number != 0)
            layout.AddClass(number, kCppNames[i], name, name != "IMAGEDEF" && name != "SORTENTSTABLE");
    }
    std::vector<DwgFileLayout::Object> objects;
    objects.reserve(m_objects.size());
    for (const Object& object : m_objects)
        objects.push_back(DwgFileLayout::Object{object.handle, &object.bytes});
    layout.SetMeasurement(header.measurement);
    std::array<std::uint64_t, 14> roots{};
    roots[0] = refs.seed;
    for (int i = 0; i < DwgHandles::kControlCount; ++i)
        roots[static_cast<std::size_t>(i) + 1] = m_handles.controls[i];
    roots[11] = m_handles.namedDict;
    roots[12] = m_handles.mlineDict;
    roots[13] = m_handles.groupDict;
    layout.SetRootHandles(roots);
    return layout.Compose(objects, m_limit, file);
}

} // namespace RkWrite
