#include "engine/dwg/DwgReader.h"

#include "engine/db/ProxyGraphics.h"
#include "engine/dwg/DwgClasses.h"
#include "engine/dwg/DwgCodePage.h"
#include "engine/dwg/DwgDataStorage.h"
#include "engine/dwg/DwgDatabaseBuilder.h"
#include "engine/dwg/DwgHeaderVariables.h"
#include "engine/dwg/DwgObjectMap.h"
#include "engine/dwg/DwgReaderR12.h"
#include "engine/dwg/DwgSectionsR13.h"
#include "engine/dwg/DwgSectionsR2004.h"
#include "engine/dwg/DwgSectionsR2007.h"
#include "engine/dwg/DwgSummaryInfo.h"

namespace orvo::dwg {

namespace {

constexpr size_t kCancelInterval = 256;

bool IsEntity(uint16_t type, const DwgClasses& classes)
{
    if (type >= 500) {
        for (const DwgClasses::Entry& entry : classes.Entries()) {
            if (entry.number == type)
                return entry.isEntity;
        }
        return false;
    }
    // 498: a proxy entity, kept as a link of its owner's entity chain though it is not drawn.
    return (type >= kTypeText && type <= kTypeXline) || (type >= kTypeMtext && type <= kTypeMline) ||
           type == kTypeOle2frame || type == kTypeLwpolyline || type == kTypeHatch || type == 498;
}

constexpr uint16_t kTypeProxyEntity = 498;

// The entities of a proxy's or an application class's graphics, as an insert of their block;
// null when it keeps none that can be read.
RkDb::EntityPtr DecodeProxyGraphics(DwgObjectRecord& record, const DwgEntityCommon& common, DwgMemoryBudget& budget,
                                    RkDb::Database& db)
{
    if (common.graphicsSize == 0 || !budget.Charge(common.graphicsSize))
        return nullptr;
    DwgBitReader reader = record.Data();
    reader.SeekBit(common.graphicsBit);
    const std::vector<uint8_t> graphics = reader.Bytes(common.graphicsSize);
    if (reader.Failed())
        return nullptr;
    const RkDb::ProxyGraphics::Charge charge = [&budget](uint64_t bytes) { return budget.Charge(bytes); };
    const DwgVersion version = record.Version();
    const RkDb::ProxyGraphics::EmbeddedPolyline polyline = [version](const uint8_t* data, size_t size) {
        DwgBitReader bits(data, size, version);
        RkDb::EntityPtr entity = DecodeLwPolylineData(bits);
        return bits.Failed() ? nullptr : std::move(entity);
    };
    RkDb::EntityList primitives;
    RkDb::ProxyGraphics::Decode(graphics.data(), graphics.size(), db, charge, primitives, polyline);
    return RkDb::ProxyGraphics::MakeInsert(db, record.Handle(), std::move(primitives));
}

void DecodeEntityObject(DwgObjectRecord& record, const std::string& className, DwgDatabaseBuilder& builder,
                        DwgMemoryBudget& budget, RkDb::Database& db)
{
    DwgEntityCommon common;
    if (!record.ReadEntityCommon(common))
        return;
    const uint16_t type = record.Type();
    if (IsVertexType(type)) {
        DwgVertex vertex;
        if (DecodeVertex(type, record, common, vertex) && budget.Charge(kObjectBytes))
            builder.AddVertex(record.Handle(), common, vertex);
        return;
    }
    DwgEntityRefs refs;
    DwgObjectRecord pristine = record;
    record.Data().SetBudget(&budget);
    RkDb::EntityPtr entity = DecodeEntity(type, className, record, common, refs);
    const uint64_t claimed = record.Data().Claimed();
    record.Data().SetBudget(nullptr);
    uint64_t bytes = (entity ? EstimateEntityBytes(*entity) : kObjectBytes) +
                     static_cast<uint64_t>(refs.children.capacity()) * sizeof(uint64_t);
    bytes = bytes > claimed ? bytes - claimed : 0;
    if (budget.Exhausted() || !budget.Charge(bytes))
        return;
    if (!entity && (type == kTypeProxyEntity || type >= 500)) {
        // Drawn by the graphics it keeps; its block is found by the entity's own handle.
        DwgEntityCommon links = common;
        pristine.ReadEntityHandles(links);
        RkDb::EntityPtr proxy = DecodeProxyGraphics(pristine, common, budget, db);
        if (proxy && !pristine.Failed()) {
            DwgEntityRefs proxyRefs;
            proxyRefs.block = record.Handle();
            builder.AddEntity(record.Handle(), std::move(proxy), links, std::move(proxyRefs));
            return;
        }
    }
    if (!entity || record.Failed()) {
        // Kept as a link of its owner's chain even when the database has no such entity.
        DwgEntityCommon links = common;
        pristine.ReadEntityHandles(links);
        builder.AddEntity(record.Handle(), nullptr, links, DwgEntityRefs());
        return;
    }
    builder.AddEntity(record.Handle(), std::move(entity), common, std::move(refs));
}

void DecodeTableObject(DwgObjectRecord& record, const std::string& className, DwgDatabaseBuilder& builder,
                       DwgMemoryBudget& budget)
{
    if (!budget.Charge(kObjectBytes))
        return;
    switch (record.Type()) {
    case kTypeLayer: {
        DwgLayerRecord layer;
        if (DecodeLayer(record, layer))
            builder.AddLayer(std::move(layer));
        return;
    }
    case kTypeLtype: {
        RkDb::LineType lineType;
        if (DecodeLineType(record, lineType))
            builder.AddLineType(std::move(lineType));
        return;
    }
    case kTypeStyle: {
        RkDb::TextStyle style;
        if (DecodeTextStyle(record, style))
            builder.AddTextStyle(std::move(style));
        return;
    }
    case kTypeDimstyle: {
        RkDb::DimStyle style;
        if (DecodeDimStyle(record, style))
            builder.AddDimStyle(std::move(style));
        return;
    }
    case kTypeVport: {
        RkDb::ViewportRecord viewport;
        if (DecodeViewportRecord(record, viewport))
            builder.AddViewportRecord(std::move(viewport));
        return;
    }
    case kTypeBlockHeader: {
        DwgBlockRecord block;
        if (DecodeBlockHeader(record, block) &&
            budget.Charge(static_cast<uint64_t>(block.entities.capacity()) * sizeof(uint64_t)))
            builder.AddBlock(std::move(block));
        return;
    }
    case kTypeAppid: {
        std::string name;
        if (DecodeAppId(record, name))
            builder.AddAppId(record.Handle(), name);
        return;
    }
    case kTypeBlockControl: {
        DwgTableControl control;
        if (DecodeTableControl(record, true, control))
            builder.SetBlockControl(std::move(control));
        return;
    }
    default: break;
    }
    if (record.Type() == kTypeMlinestyle) {
        RkDb::MLineStyle style;
        if (DecodeMLineStyle(record, style))
            builder.AddMLineStyle(std::move(style));
        return;
    }
    if (className == "SORTENTSTABLE") {
        DwgSortEntsTable table;
        if (DecodeSortEntsTable(record, table))
            builder.AddSortEntsTable(std::move(table));
        return;
    }
    if (className == "IMAGEDEF") {
        std::string fileName;
        if (DecodeImageDefinition(record, fileName))
            builder.AddImageDefinition(record.Handle(), std::move(fileName));
        return;
    }
    if (record.Type() == kTypeLayout || className == "LAYOUT") {
        RkDb::Layout layout;
        if (DecodeLayout(record, layout))
            builder.AddLayout(std::move(layout));
    }
}

} // namespace

DwgReadResult DwgReader::Read(std::vector<uint8_t> file, RkDb::Database& db) const
{
    if (file.size() < 6 || file[0] != 'A' || file[1] != 'C')
        return DwgReadResult::NotDwg;
    const DwgVersion version =
        RkDb::DwgVersionInfo::FromAcadVer(std::string(reinterpret_cast<const char*>(file.data()), 6));
    if (version == DwgVersion::Unknown)
        return DwgReadResult::UnsupportedVersion;
    DwgMemoryBudget budget(m_memoryLimit);
    if (version < DwgVersion::R13)
        return DwgReaderR12(budget, m_cancel).Read(file, version, db);
    DwgSectionSet sections;
    sections.version = version;
    sections.budget = &budget;
    DwgReadResult result = DwgReadResult::Corrupt;
    if (version <= DwgVersion::R2000) {
        // The sections are copies of parts of the file, and the objects are the file itself.
        if (!budget.Charge(2 * static_cast<uint64_t>(file.size())))
            return DwgReadResult::TooLarge;
        result = ReadSectionsR13(std::move(file), sections);
    } else if (version == DwgVersion::R2007) {
        result = ReadSectionsR2007(file, sections);
    } else {
        result = ReadSectionsR2004(file, sections);
    }
    if (result != DwgReadResult::Ok)
        return result;

    DwgClasses classes;
    classes.Read(sections[DwgSectionKind::Classes], version, sections.maintenanceVersion);
    const std::vector<uint8_t>& objects = sections[DwgSectionKind::Objects];
    // An entry costs itself, its sorted copy and the room a growing list keeps.
    constexpr uint64_t kEntryCost = 4 * sizeof(DwgObjectMap::Entry);
    DwgObjectMap map;
    if (!map.Read(sections[DwgSectionKind::Handles], objects.size(), budget.Remaining() / kEntryCost))
        return map.OverLimit() ? DwgReadResult::TooLarge : DwgReadResult::Corrupt;
    budget.Charge(map.Entries().size() * kEntryCost);

    RkDxf::DxfTextDecoder decoder;
    decoder.SetCodePage(version >= DwgVersion::R2007 ? 0 : WindowsCodePageOfDwg(sections.codePage));
    DwgHeaderRefs headerRefs;
    ReadHeaderVariables(sections[DwgSectionKind::Header], version, sections.maintenanceVersion, &decoder,
                        db.Header(), headerRefs);
    db.Header().version = version;
    db.Header().acadVer = RkDb::DwgVersionInfo::AcadVer(version);
    db.Header().codePage = CodePageNameOfDwg(sections.codePage);
    const int measurement = ReadMeasurement(sections[DwgSectionKind::Template], version);
    if (measurement >= 0)
        db.Header().measurement = measurement;
    if (!sections[DwgSectionKind::SummaryInfo].empty())
        ReadSummaryInfo(sections[DwgSectionKind::SummaryInfo], version, decoder, db.Summary());
    DwgDatabaseBuilder builder(db);
    builder.SetHeaderRefs(headerRefs);
    builder.Reserve(map.Entries().size());
    size_t count = 0;
    for (const DwgObjectMap::Entry& entry : map.Entries()) {
        if (++count % kCancelInterval == 0 && m_cancel && m_cancel())
            return DwgReadResult::Cancelled;
        DwgObjectRecord record;
        if (!record.Open(objects, entry.offset, version, &decoder))
            continue;
        const std::string& className = record.Type() >= 500 ? classes.DxfName(record.Type()) : std::string();
        if (IsEntity(record.Type(), classes))
            DecodeEntityObject(record, className, builder, budget, db);
        else
            DecodeTableObject(record, className, builder, budget);
        if (budget.Exhausted())
            return DwgReadResult::TooLarge;
    }
    builder.Finish();
    if (!sections[DwgSectionKind::DataStorage].empty()) {
        DwgDataStorage storage;
        storage.Read(sections[DwgSectionKind::DataStorage]);
        storage.ApplyTo(db, budget);
        if (budget.Exhausted())
            return DwgReadResult::TooLarge;
    }
    return DwgReadResult::Ok;
}

} // namespace orvo::dwg
